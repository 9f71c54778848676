// SPDX-License-Identifier: MIT
#pragma once

#include "exchange/CsvColumn.h"
#include "records/RecordData.h"

#include <QByteArray>

// Writes directory records as CSV (RFC 4180) the way spreadsheet programs in
// Russian read it: UTF-8 with a byte-order mark, semicolons between fields,
// CR LF after each record, quotes around fields that need them. The header
// row is this program's own, which its import recognises.
class CsvWriter
{
public:
    static constexpr char separator = ';';

    // The byte-order mark and the header row.
    static QByteArray header();
    static QByteArray row(const RecordData& record);
    // What a record holds for a column of this program's own export.
    static QString value(const RecordData& record, const CsvColumn& column);
    static QString quoted(const QString& field);
};
