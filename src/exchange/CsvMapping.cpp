// SPDX-License-Identifier: MIT
#include "exchange/CsvMapping.h"
#include "exchange/PhoneKind.h"

#include <QMap>

namespace
{

using Field = CsvColumn::Field;
using Part = CsvColumn::Part;

bool isName(Field field)
{
    return field == Field::Surname || field == Field::GivenName || field == Field::MiddleName ||
           field == Field::GivenNames || field == Field::FullName || field == Field::Enterprise;
}

// Some programs put several values in one cell, separated so.
QStringList values(const QString& cell)
{
    return cell.split(QStringLiteral(" ::: "), Qt::SkipEmptyParts);
}

void addText(QString& field, const QString& text, const QString& separator)
{
    field = field.isEmpty() ? text : field + separator + text;
}

Contact::AddressKind addressKindOf(const QString& label)
{
    const QString lower = label.toLower();
    if (lower.contains(QLatin1String("home")) || lower.contains(QStringLiteral("дом")))
        return Contact::AddressKind::Home;
    if (lower.contains(QLatin1String("work")) || lower.contains(QStringLiteral("раб")))
        return Contact::AddressKind::Work;
    return Contact::AddressKind::Other;
}

bool isSpouse(const QString& label)
{
    const QString lower = label.toLower();
    for (const char* word : {"spouse", "wife", "husband", "супруг", "жена", "муж"})
        if (lower.contains(QString::fromUtf8(word)))
            return true;
    return false;
}

void setPart(Contact::Address& address, Part part, const QString& value)
{
    switch (part) {
    case Part::Street:
        address.street = value;
        break;
    case Part::Street2:
    case Part::Street3:
        addText(address.street, value, QStringLiteral(", "));
        break;
    case Part::City:
        address.locality = value;
        break;
    case Part::Region:
        address.region = value;
        break;
    case Part::Code:
        address.code = value;
        break;
    case Part::Country:
        address.country = value;
        break;
    case Part::PoBox:
        address.poBox = value;
        break;
    case Part::Extended:
        address.extended = value;
        break;
    }
}

} // namespace

std::optional<CsvMapping> CsvMapping::recognize(const QStringList& header)
{
    CsvMapping mapping;
    int mapped = 0;
    bool named = false;
    bool dateInParts = false;
    for (const QString& cell : header) {
        const CsvColumn column = CsvColumn::forHeader(cell);
        mapping.columns.append(column);
        if (column.field != Field::None)
            ++mapped;
        named = named || isName(column.field);
        dateInParts =
            dateInParts || column.field == Field::BirthYear || column.field == Field::BirthMonth;
    }
    if (mapped < 2 || !named)
        return std::nullopt;
    // Beside a year and a month, "День рождения" is the day of the month.
    if (dateInParts)
        for (CsvColumn& column : mapping.columns)
            if (column.field == Field::Birthday)
                column.field = Field::BirthDay;
    return mapping;
}

QStringList CsvMapping::unmapped(const QStringList& header) const
{
    QStringList names;
    for (qsizetype i = 0; i < header.size() && i < columns.size(); ++i)
        if (columns.at(i).field == Field::None && !header.at(i).trimmed().isEmpty())
            names.append(header.at(i).simplified());
    return names;
}

QStringList CsvMapping::ownHeader()
{
    QStringList header;
    for (const CsvColumn& column : own().columns)
        header.append(column.caption());
    return header;
}

const CsvMapping& CsvMapping::own()
{
    static const CsvMapping mapping = [] {
        QList<CsvColumn> columns;
        for (const CsvColumn& column : CsvColumn::choices())
            if (column.field != Field::None && column.field != Field::GivenName &&
                column.field != Field::MiddleName && column.field != Field::FullName &&
                !(column.field == Field::Phone && column.kind == PhoneKind::other))
                columns.append(column);
        return CsvMapping(columns);
    }();
    return mapping;
}

Contact CsvMapping::contact(const QStringList& fields, int line) const
{
    Contact c;
    c.position = line;
    for (qsizetype i = columns.size(); i < fields.size(); ++i)
        if (!fields.at(i).trimmed().isEmpty()) {
            c.unreadReason = QStringLiteral("в строке больше полей (%1), чем столбцов (%2)")
                                 .arg(fields.size())
                                 .arg(columns.size());
            return c;
        }

    QMap<int, QString> phoneLabels;
    QMap<int, QString> addressLabels;
    QMap<int, QString> relationLabels;
    for (qsizetype i = 0; i < columns.size() && i < fields.size(); ++i) {
        const CsvColumn& column = columns.at(i);
        if (column.field == Field::PhoneLabel)
            phoneLabels.insert(column.group, fields.at(i));
        else if (column.field == Field::AddressLabel)
            addressLabels.insert(column.group, fields.at(i));
        else if (column.field == Field::RelationLabel)
            relationLabels.insert(column.group, fields.at(i));
    }

    // Addresses in parts, by kind, or by group where a label names the kind.
    QList<int> addressOrder;
    QMap<int, Contact::Address> addresses;
    auto addressFor = [&](const CsvColumn& column) -> Contact::Address& {
        const int key = column.kind == CsvColumn::byLabel ? 100 + column.group : column.kind;
        if (!addresses.contains(key)) {
            Contact::Address address;
            address.kind = column.kind == CsvColumn::byLabel
                               ? addressKindOf(addressLabels.value(column.group))
                               : Contact::AddressKind(column.kind);
            addresses.insert(key, address);
            addressOrder.append(key);
        }
        return addresses[key];
    };

    QString year;
    QString month;
    QString day;
    for (qsizetype i = 0; i < columns.size() && i < fields.size(); ++i) {
        const CsvColumn& column = columns.at(i);
        const QString& v = fields.at(i);
        if (v.isEmpty())
            continue;
        switch (column.field) {
        case Field::None:
        case Field::PhoneLabel:
        case Field::AddressLabel:
        case Field::RelationLabel:
            break;
        case Field::Surname:
            c.family = v;
            break;
        case Field::GivenName:
            c.given = v;
            break;
        case Field::MiddleName:
            c.additional = v;
            break;
        case Field::GivenNames:
            c.givenNames = v;
            break;
        case Field::FullName:
            c.formatted = v;
            break;
        case Field::JobTitle:
            c.title = v;
            break;
        case Field::Enterprise:
            c.org = v;
            break;
        case Field::EnterpriseFull:
            c.orgFull = v;
            break;
        case Field::City:
            if (c.city.trimmed().isEmpty())
                c.city = v;
            break;
        case Field::Address:
            addressFor(column).street = v;
            break;
        case Field::AddressPart:
            setPart(addressFor(column), column.part, v);
            break;
        case Field::Path:
            c.path = v;
            break;
        case Field::Phone:
            for (const QString& number : values(v))
                c.phones.append({number, column.kind == CsvColumn::byLabel
                                             ? PhoneKind::fromLabel(phoneLabels.value(column.group))
                                             : column.kind});
            break;
        case Field::OtherPhones:
            c.otherPhones.append(column.label.isEmpty() ? v
                                                        : column.label + QStringLiteral(": ") + v);
            break;
        case Field::Email:
            c.emails += values(v);
            break;
        case Field::Www:
            c.urls += values(v);
            break;
        case Field::Birthday:
            c.birthday = v;
            break;
        case Field::BirthYear:
            year = v.trimmed();
            break;
        case Field::BirthMonth:
            month = v.trimmed();
            break;
        case Field::BirthDay:
            day = v.trimmed();
            break;
        case Field::Notes:
            addText(c.note, v, QStringLiteral("\n"));
            break;
        case Field::Spouse:
            c.spouse = v;
            break;
        case Field::SpouseBirthday:
            c.spouseBirthday = v;
            break;
        case Field::SpouseInfo:
            c.spouseInfo = v;
            break;
        case Field::Requisites:
            c.requisites = v;
            break;
        case Field::RelationValue:
            if (isSpouse(relationLabels.value(column.group)) && c.spouse.isEmpty())
                c.spouse = v;
            break;
        }
    }
    if (c.birthday.isEmpty() && !month.isEmpty() && !day.isEmpty()) {
        const QString md = QStringLiteral("%1-%2")
                               .arg(month.toInt(), 2, 10, QLatin1Char('0'))
                               .arg(day.toInt(), 2, 10, QLatin1Char('0'));
        c.birthday = year.isEmpty() ? QStringLiteral("--") + md : year + u'-' + md;
    }
    for (int key : addressOrder)
        c.addresses.append(addresses.value(key));
    return c;
}
