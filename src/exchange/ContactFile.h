// SPDX-License-Identifier: MIT
#pragma once

#include "exchange/ContactReader.h"
#include "exchange/CsvMapping.h"
#include "exchange/TextEncoding.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// A file to import, examined once: its format (vCard when its first line
// opens a card, CSV otherwise), its encoding, and for CSV the separator and
// the header row. A file that cannot be contacts (empty, binary, in an
// unknown encoding, a .vcf without cards) is refused when it is opened.
class ContactFile
{
public:
    enum class Format { VCard, Csv };

    // Throws ExchangeError.
    explicit ContactFile(const QString& path);

    const QString& path() const { return m_path; }
    Format format() const { return m_format; }
    TextEncoding::Kind encoding() const { return m_encoding; }
    qint64 size() const { return m_size; }

    // CSV: the separator, the first row, and the mapping of that row when it
    // is a header this program knows.
    QChar separator() const { return m_separator; }
    const QStringList& header() const { return m_header; }
    const std::optional<CsvMapping>& knownMapping() const { return m_known; }

    // Reads the file's contacts from its start. A CSV file is read by the
    // mapping given, or by the known one; its first row is skipped as the
    // header unless headerRow is false. Throws ExchangeError.
    std::unique_ptr<ContactReader> open(const std::optional<CsvMapping>& mapping = std::nullopt,
                                        bool headerRow = true) const;
    // CSV: the first records after the header, as they stand.
    QList<QStringList> firstRows(int count, bool headerRow = true) const;

    // "строка 12" or "карточка 3": where a contact of this file starts.
    QString where(int position) const;

private:
    std::unique_ptr<QIODevice> openDevice() const;
    void detectEncoding();
    void detectFormat();

    QString m_path;
    Format m_format = Format::Csv;
    TextEncoding::Kind m_encoding = TextEncoding::Kind::Utf8;
    qint64 m_size = 0;
    QChar m_separator = QLatin1Char(',');
    QStringList m_header;
    std::optional<CsvMapping> m_known;
};
