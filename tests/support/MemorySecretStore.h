// SPDX-License-Identifier: MIT
#pragma once

#include "auth/SecretStore.h"

#include <QMap>

// A secret store in memory. Its entries live in a map the test owns, so the
// test sees them after the settings store that used them is gone. Without a
// map the store is absent, as on a desktop without a secret service.
class MemorySecretStore : public SecretStore
{
public:
    explicit MemorySecretStore(QMap<QString, QString>* entries) : m_entries(entries) {}

    bool isAvailable() override { return m_entries != nullptr; }
    std::optional<QString> read(const QString& user) override;
    bool write(const QString& user, const QString& password) override;
    bool remove(const QString& user) override;

private:
    QMap<QString, QString>* m_entries;
};
