// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <stdexcept>

// Raised by the database layer when a statement or a connection fails. The
// window that started the action catches it and shows the text in an error box.
class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString& text, const QString& code = QString())
        : std::runtime_error(text.toStdString()), m_text(text), m_code(code)
    {
    }
    const QString& text() const { return m_text; }
    // The engine's own code of the failure (SQLSTATE on PostgreSQL); empty
    // when there is none.
    const QString& code() const { return m_code; }

private:
    QString m_text;
    QString m_code;
};
