// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// What a text typed into the search box asks for. Every text is looked for
// in the names; a text of digits, blanks and the characters + - ( ) . with at
// least ContactIndex::MinDigits digits is also a phone number (Kind::Phone),
// a text with @ also (part of) an e-mail address (Kind::Email). Fewer than
// three characters, after trimming, ask for nothing.
class SearchRequest
{
public:
    enum class Kind { None, Name, Phone, Email };

    static constexpr int MinLength = 3;

    explicit SearchRequest(const QString& typed);

    Kind kind() const { return m_kind; }
    // The typed text without the characters of code 32 or below at its ends.
    const QString& text() const { return m_text; }

private:
    QString m_text;
    Kind m_kind = Kind::None;
};
