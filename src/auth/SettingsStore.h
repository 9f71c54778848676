// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <memory>

class QSettings;

// What the login dialog remembers for the signed-in account of the system:
// the last user name (value "user") and, per user name, a saved password.
// On Windows the key Kavelton directly under HKEY_CURRENT_USER; elsewhere
// Kavelton.ini in the user's configuration folder. Every write is flushed at
// once.
class SettingsStore
{
public:
    // The user's own store.
    SettingsStore();
    // An INI file elsewhere (tests).
    explicit SettingsStore(const QString& iniFile);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // What a missing password value reads as: one carriage return. Any other
    // text, the empty one included, is a saved password.
    static QString noPassword() { return QStringLiteral("\r"); }

    QString lastUser() const;
    void setLastUser(const QString& user);

    // The saved password of a user, or noPassword().
    QString password(const QString& user) const;
    void savePassword(const QString& user, const QString& password);
    void removePassword(const QString& user);

    // The value name that holds a user's password: the name itself, with
    // '%', '/' and '\' percent-encoded (they would make groups), and the
    // first letter encoded for any spelling of "user" (value names are not
    // case-sensitive in the registry).
    static QString valueName(const QString& user);

private:
    void flush();

    std::unique_ptr<QSettings> m_settings;
};
