// SPDX-License-Identifier: MIT
#pragma once

#include "directory/http/PhonebookEntries.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The remote phonebooks of desk phones, as UTF-8 XML. Texts are escaped by
// the writer, and characters XML cannot carry (control characters, which a
// name may hold after an import) become blanks.
class PhonebookXml
{
public:
    // Cisco's phones show at most this many entries (a phone each) per page,
    // and cut longer texts.
    static constexpr int CiscoPageSize = 32;
    static constexpr int CiscoTextLength = 32;

    // <YealinkIPPhoneDirectory>: one DirectoryEntry per record, a Telephone
    // per phone with its kind as the label.
    static QByteArray yealink(const QList<PhonebookEntry>& entries);
    // Grandstream's <AddressBook>: one Contact per record, its phones typed
    // Work, Home or Cell, dialled from the first account.
    static QByteArray grandstream(const QList<PhonebookEntry>& entries);

    struct CiscoPage {
        QList<PhonebookEntry> entries;
        QString title;
        QString prompt;
        QString nextUrl; // empty on the last page
    };
    // <CiscoIPPhoneDirectory>: one DirectoryEntry per phone, with soft keys
    // to dial, to turn the page and to leave.
    static QByteArray cisco(const CiscoPage& page);
    // <CiscoIPPhoneInput>: asks for a name; the phone opens url with
    // &q=<what was typed>.
    static QByteArray ciscoSearch(const QString& url);
    // Cisco's phones take no URL longer than this.
    static constexpr int CiscoUrlLength = 256;

    // The text with every character XML 1.0 cannot hold as a blank, blanks at
    // the ends removed.
    static QString clean(const QString& text);
    // At most length UTF-16 units, never half a surrogate pair.
    static QString cut(const QString& text, int length);
};
