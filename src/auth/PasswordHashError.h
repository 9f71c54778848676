// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <stdexcept>

// Raised when a password cannot be hashed or checked: libsodium did not start,
// or memory ran short. It comes before anything is written; the window that
// started the action shows the text in an error box.
class PasswordHashError : public std::runtime_error
{
public:
    explicit PasswordHashError(const QString& text)
        : std::runtime_error(text.toStdString()), m_text(text)
    {
    }
    const QString& text() const { return m_text; }

private:
    QString m_text;
};
