// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <stdexcept>

// Raised while a template is read or a report is prepared; the text is shown
// to the user in an error box.
class ReportError : public std::runtime_error
{
public:
    explicit ReportError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text)
    {
    }
    const QString& text() const { return m_text; }

private:
    QString m_text;
};
