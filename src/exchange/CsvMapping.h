// SPDX-License-Identifier: MIT
#pragma once

#include "exchange/Contact.h"
#include "exchange/CsvColumn.h"

#include <QList>
#include <QStringList>
#include <optional>

// What the columns of a CSV file hold, in their order, and the contact a
// record gives by it.
class CsvMapping
{
public:
    CsvMapping() = default;
    explicit CsvMapping(QList<CsvColumn> columns) : columns(std::move(columns)) {}

    QList<CsvColumn> columns;

    // The mapping of a header row that this program knows (its own export,
    // the exports of the common mail programs in English and Russian), or
    // nothing when the row is no such header.
    static std::optional<CsvMapping> recognize(const QStringList& header);
    // This program's own header row and what its columns hold.
    static QStringList ownHeader();
    static const CsvMapping& own();

    // The names of the header's columns that this mapping does not import.
    QStringList unmapped(const QStringList& header) const;

    // The contact in a record that starts on the line.
    Contact contact(const QStringList& fields, int line) const;

    friend bool operator==(const CsvMapping&, const CsvMapping&) = default;
};
