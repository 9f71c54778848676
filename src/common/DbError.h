// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <stdexcept>

// Raised by the database layer when a statement or a connection fails. The
// window that started the action catches it and shows the text in an error box.
class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};
