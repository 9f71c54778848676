// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

// Where saved login passwords are kept apart from the settings: the
// desktop's secret store, or a stand-in in tests. Entries are named after
// the user.
class SecretStore
{
public:
    virtual ~SecretStore() = default;

    // Whether the store can be used now. An implementation that finds its
    // store gone or silent says so from then on.
    virtual bool isAvailable() = 0;
    // The password saved for the user; none when nothing is saved or the
    // store did not answer.
    virtual std::optional<QString> read(const QString& user) = 0;
    // False when the password was not stored.
    virtual bool write(const QString& user, const QString& password) = 0;
    // Removing an entry that does not exist succeeds.
    virtual bool remove(const QString& user) = 0;
};
