// SPDX-License-Identifier: MIT
#include "exchange/ContactFile.h"
#include "exchange/CsvReader.h"
#include "exchange/ExchangeError.h"
#include "exchange/VCardReader.h"

#include <QFile>
#include <QFileInfo>

namespace
{

// Contacts in the records of a CSV file, by a mapping.
class CsvContactReader : public ContactReader
{
public:
    CsvContactReader(std::unique_ptr<CsvReader> reader, CsvMapping mapping, bool headerRow)
        : m_reader(std::move(reader)), m_mapping(std::move(mapping)), m_skipHeader(headerRow)
    {
    }

    bool next(Contact& contact) override
    {
        QStringList fields;
        int line = 0;
        for (;;) {
            if (!m_reader->next(fields, line))
                return false;
            if (m_skipHeader) {
                m_skipHeader = false;
                continue;
            }
            // Rows of empty fields are what spreadsheets leave below a table.
            bool blank = true;
            for (const QString& field : std::as_const(fields))
                blank = blank && field.trimmed().isEmpty();
            if (!blank)
                break;
        }
        contact = m_mapping.contact(fields, line);
        return true;
    }

    qint64 bytesRead() const override { return m_reader->bytesRead(); }

private:
    std::unique_ptr<CsvReader> m_reader;
    CsvMapping m_mapping;
    bool m_skipHeader;
};

bool opensCard(const QByteArray& line)
{
    return line.trimmed().toUpper().startsWith("BEGIN:VCARD");
}

} // namespace

ContactFile::ContactFile(const QString& path) : m_path(path)
{
    detectEncoding();
    detectFormat();
}

std::unique_ptr<QIODevice> ContactFile::openDevice() const
{
    auto file = std::make_unique<QFile>(m_path);
    if (!file->open(QIODevice::ReadOnly))
        throw ExchangeError(QStringLiteral("Файл %1 не открывается: %2")
                                .arg(QFileInfo(m_path).fileName(), file->errorString()));
    return file;
}

void ContactFile::detectEncoding()
{
    const std::unique_ptr<QIODevice> device = openDevice();
    m_size = device->size();
    if (m_size == 0)
        throw ExchangeError(QStringLiteral("Файл пуст."));
    TextEncoding::Detector detector;
    for (;;) {
        const QByteArray chunk = device->read(1024 * 1024);
        if (chunk.isEmpty())
            break;
        detector.feed(chunk);
    }
    QString reason;
    const std::optional<TextEncoding::Kind> kind = detector.result(&reason);
    if (!kind)
        throw ExchangeError(reason);
    m_encoding = *kind;
}

void ContactFile::detectFormat()
{
    {
        const std::unique_ptr<QIODevice> device = openDevice();
        LineReader lines(device.get(), m_encoding, ContactReader::maxLineBytes);
        LineReader::Line line;
        bool any = false;
        while (lines.next(line)) {
            if (line.overlong)
                throw ExchangeError(ContactReader::overlongLine(line.number));
            if (line.bytes.trimmed().isEmpty())
                continue;
            any = true;
            if (opensCard(line.bytes)) {
                m_format = Format::VCard;
                return;
            }
            // UTF-16 reaches here as UTF-8.
            m_separator = CsvReader::separatorOf(
                TextEncoding::decode(line.bytes, m_encoding == TextEncoding::Kind::Windows1251
                                                     ? m_encoding
                                                     : TextEncoding::Kind::Utf8));
            break;
        }
        if (!any)
            throw ExchangeError(QStringLiteral("Файл пуст."));
    }
    const QString suffix = QFileInfo(m_path).suffix().toLower();
    if (suffix == QLatin1String("vcf") || suffix == QLatin1String("vcard"))
        throw ExchangeError(
            QStringLiteral("В файле нет ни одной карточки vCard (строки BEGIN:VCARD)."));
    m_format = Format::Csv;
    CsvReader reader(openDevice(), m_encoding, m_separator);
    int line = 0;
    reader.next(m_header, line);
    m_known = CsvMapping::recognize(m_header);
}

std::unique_ptr<ContactReader> ContactFile::open(const std::optional<CsvMapping>& mapping,
                                                 bool headerRow) const
{
    if (m_format == Format::VCard)
        return std::make_unique<VCardReader>(openDevice(), m_encoding);
    const CsvMapping used = mapping ? *mapping : m_known.value_or(CsvMapping());
    return std::make_unique<CsvContactReader>(
        std::make_unique<CsvReader>(openDevice(), m_encoding, m_separator), used, headerRow);
}

QList<QStringList> ContactFile::firstRows(int count, bool headerRow) const
{
    QList<QStringList> rows;
    if (m_format != Format::Csv)
        return rows;
    CsvReader reader(openDevice(), m_encoding, m_separator);
    QStringList fields;
    int line = 0;
    if (headerRow)
        reader.next(fields, line);
    while (rows.size() < count && reader.next(fields, line))
        rows.append(fields);
    return rows;
}

QString ContactFile::where(int position) const
{
    return (m_format == Format::VCard ? QStringLiteral("карточка %1") : QStringLiteral("строка %1"))
        .arg(position);
}
