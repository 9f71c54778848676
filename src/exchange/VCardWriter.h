// SPDX-License-Identifier: MIT
#pragma once

#include "records/RecordData.h"

#include <QByteArray>

// Writes a directory record as a vCard 3.0 card in UTF-8: lines end with
// CR LF and are folded at 75 bytes. Fields vCard has no property for go to
// properties of this program (X-SPRAV-...), which other programs ignore
// and this one reads back, so a card read in and written out again is the
// same card.
class VCardWriter
{
public:
    static QByteArray card(const RecordData& record);
    // A text value with \, ; , and line breaks escaped.
    static QString escaped(const QString& text);
    // A content line folded to lines of at most 75 bytes, each ended by CR LF.
    static QByteArray folded(const QByteArray& line);
};
