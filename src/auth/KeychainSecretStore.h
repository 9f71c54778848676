// SPDX-License-Identifier: MIT
#pragma once

#include "auth/SecretStore.h"

#include <chrono>

namespace QKeychain
{
class Job;
}

// The desktop's secret store through QtKeychain: the Secret Service or
// KWallet on Linux, the credential store on Windows, the keychain on macOS.
// Its jobs answer asynchronously; each is awaited in a local event loop that
// ignores user input, for at most the given time. A store that is missing,
// refuses or does not answer in time is left alone for the rest of the run.
class KeychainSecretStore : public SecretStore
{
public:
    explicit KeychainSecretStore(const QString& service,
                                 std::chrono::milliseconds timeout = std::chrono::seconds(3));

    bool isAvailable() override;
    std::optional<QString> read(const QString& user) override;
    bool write(const QString& user, const QString& password) override;
    bool remove(const QString& user) override;

private:
    struct Answer {
        bool done = false;
        bool found = false;
        QString text;
    };
    // Starts the job and waits for it; done is false when the store failed.
    Answer await(QKeychain::Job* job);

    QString m_service;
    std::chrono::milliseconds m_timeout;
    std::optional<bool> m_available;
};
