// SPDX-License-Identifier: MIT
#pragma once

#include "exchange/LineReader.h"

#include <QStringList>
#include <memory>

class QIODevice;

// Reads the records of a CSV file (RFC 4180): fields split at the
// separator, quoted fields with separators, doubled quotes and line breaks
// in them. A quote that opens no field or is never closed makes the file
// unreadable. Empty lines are no records.
class CsvReader
{
public:
    CsvReader(std::unique_ptr<QIODevice> device, TextEncoding::Kind encoding, QChar separator);
    ~CsvReader();

    // The next record and the line it starts on; false at the end. Throws
    // ExchangeError.
    bool next(QStringList& fields, int& line);
    qint64 bytesRead() const { return m_lines.bytesRead(); }

    // The separator a header line uses: a comma or a semicolon, whichever
    // stands more often outside quotes (a comma when neither does).
    static QChar separatorOf(const QString& line);

private:
    bool nextText(QString& text, int& number);

    std::unique_ptr<QIODevice> m_device;
    TextEncoding::Kind m_encoding;
    QChar m_separator;
    LineReader m_lines;
};
