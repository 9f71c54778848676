// SPDX-License-Identifier: MIT
#include "exchange/CsvWriter.h"
#include "db/DateText.h"
#include "exchange/CsvFormula.h"
#include "exchange/CsvMapping.h"

namespace
{

using Field = CsvColumn::Field;
using Kind = Contact::AddressKind;

QString dateText(const QDate& date)
{
    return date.isValid() && date != DateText::noDate() ? DateText::toText(date) : QString();
}

QByteArray line(const QStringList& fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& field : fields)
        quoted.append(CsvWriter::quoted(field));
    return quoted.join(QLatin1Char(CsvWriter::separator)).toUtf8() + "\r\n";
}

QString address(const RecordData& r, int kind)
{
    switch (Kind(kind)) {
    case Kind::Legal:
        return r.legaladdress;
    case Kind::Work:
        return r.fizaddress;
    case Kind::Postal:
        return r.postaddress;
    case Kind::Home:
        return r.homeaddress;
    case Kind::Other:
        break;
    }
    return {};
}

} // namespace

QString CsvWriter::quoted(const QString& field)
{
    QString text = CsvFormula::guarded(field);
    // One kind of line break inside a field, whatever the record holds.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const bool needs = text.contains(QLatin1Char(separator)) || text.contains(u'"') ||
                       text.contains(u'\n') || text.startsWith(u' ') || text.endsWith(u' ');
    if (!needs)
        return text;
    text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

QByteArray CsvWriter::header()
{
    return "\xEF\xBB\xBF" + line(CsvMapping::ownHeader());
}

QString CsvWriter::value(const RecordData& r, const CsvColumn& column)
{
    switch (column.field) {
    case Field::Surname:
        return r.f;
    case Field::GivenNames:
        return r.io;
    case Field::JobTitle:
        return r.prof;
    case Field::Enterprise:
        return r.shortpp;
    case Field::EnterpriseFull:
        return r.longpp;
    case Field::City:
        return r.city;
    case Field::Address:
        return address(r, column.kind);
    case Field::Path:
        return r.path;
    case Field::Phone:
        return column.kind >= RecordData::firstPhoneKind && column.kind <= RecordData::lastPhoneKind
                   ? r.phones[column.kind]
                   : QString();
    case Field::OtherPhones:
        return r.otherphones;
    case Field::Email:
        return r.email;
    case Field::Www:
        return r.www;
    case Field::Birthday:
        return dateText(r.birthday);
    case Field::Notes:
        return r.info;
    case Field::Spouse:
        return r.spfio;
    case Field::SpouseBirthday:
        return dateText(DateText::fromText(r.spbirthday));
    case Field::SpouseInfo:
        return r.spinfo;
    case Field::Requisites:
        return r.req;
    default:
        return {};
    }
}

QByteArray CsvWriter::row(const RecordData& record)
{
    QStringList fields;
    for (const CsvColumn& column : CsvMapping::own().columns)
        fields.append(value(record, column));
    return line(fields);
}
