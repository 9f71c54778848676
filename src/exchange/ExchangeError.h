// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <stdexcept>

// Raised when a file to import cannot be read as contacts as a whole (empty,
// binary, an unknown encoding, a card without its end, a stray quote, an
// absurdly long line), or a file to export cannot be written. Nothing is
// stored then; the text says why, for the user.
class ExchangeError : public std::runtime_error
{
public:
    explicit ExchangeError(const QString& text)
        : std::runtime_error(text.toStdString()), m_text(text)
    {
    }
    const QString& text() const { return m_text; }

private:
    QString m_text;
};
