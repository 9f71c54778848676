// SPDX-License-Identifier: MIT
#include "exchange/CsvReader.h"
#include "exchange/ContactReader.h"
#include "exchange/CsvFormula.h"
#include "exchange/ExchangeError.h"

#include <QIODevice>

namespace
{

QString strayQuote(int line)
{
    return QStringLiteral("Строка %1: кавычка стоит не в начале и не в конце поля. Поля с "
                          "кавычками, разделителями или переводами строк заключаются в "
                          "кавычки целиком, кавычка внутри удваивается.")
        .arg(line);
}

} // namespace

CsvReader::CsvReader(std::unique_ptr<QIODevice> device, TextEncoding::Kind encoding,
                     QChar separator)
    : m_device(std::move(device)),
      m_encoding(encoding == TextEncoding::Kind::Windows1251 ? encoding : TextEncoding::Kind::Utf8),
      m_separator(separator), m_lines(m_device.get(), encoding, ContactReader::maxLineBytes)
{
}

CsvReader::~CsvReader() = default;

QChar CsvReader::separatorOf(const QString& line)
{
    int commas = 0;
    int semicolons = 0;
    bool quoted = false;
    for (const QChar c : line) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u',')
            ++commas;
        else if (!quoted && c == u';')
            ++semicolons;
    }
    return semicolons > commas ? QLatin1Char(';') : QLatin1Char(',');
}

bool CsvReader::nextText(QString& text, int& number)
{
    LineReader::Line line;
    if (!m_lines.next(line))
        return false;
    if (line.overlong)
        throw ExchangeError(ContactReader::overlongLine(line.number));
    text = TextEncoding::decode(line.bytes, m_encoding);
    number = line.number;
    return true;
}

bool CsvReader::next(QStringList& fields, int& line)
{
    QString text;
    int number = 0;
    do {
        if (!nextText(text, number))
            return false;
    } while (text.isEmpty());

    fields.clear();
    line = number;
    QString field;
    bool quoted = false; // inside a quoted field
    bool closed = false; // right after the closing quote of a field
    qsizetype size = 0;
    for (;;) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (quoted) {
                if (c != u'"') {
                    field += c;
                } else if (i + 1 < text.size() && text.at(i + 1) == u'"') {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                    closed = true;
                }
            } else if (c == m_separator) {
                fields.append(field);
                field.clear();
                closed = false;
            } else if (c == u'"' && field.isEmpty() && !closed) {
                quoted = true;
            } else if (c == u'"' || closed) {
                throw ExchangeError(strayQuote(number));
            } else {
                field += c;
            }
        }
        if (!quoted)
            break;
        // A line break inside quotes belongs to the field.
        size += text.size();
        if (size > ContactReader::maxValueBytes || !nextText(text, number))
            throw ExchangeError(QStringLiteral("Строка %1: кавычка открывает поле, которое "
                                               "нигде не закрыто.")
                                    .arg(line));
        field += u'\n';
    }
    fields.append(field);
    for (QString& f : fields)
        f = CsvFormula::unguarded(f);
    return true;
}
