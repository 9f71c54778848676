// SPDX-License-Identifier: MIT
#include "exchange/ContactMapper.h"
#include "db/DateText.h"
#include "records/FieldLength.h"
#include "records/RecordStore.h"

#include <QRegularExpression>

namespace
{

using Kind = Contact::AddressKind;

QString joined(const QStringList& parts, const QString& separator)
{
    QStringList kept;
    for (const QString& part : parts) {
        const QString text = RecordStore::trimmed(part);
        if (!text.isEmpty())
            kept.append(text);
    }
    return kept.join(separator);
}

QString nameOf(const Contact& c)
{
    return RecordStore::trimmed(c.family);
}

QString givenNamesOf(const Contact& c)
{
    if (!RecordStore::trimmed(c.givenNames).isEmpty())
        return RecordStore::trimmed(c.givenNames);
    const QString given = c.given;
    return RecordStore::trimmed(c.additional.isEmpty() ? given
                                                       : given + QLatin1Char(' ') + c.additional);
}

// The city: the one the file names, else the locality of the work address,
// then of any other, the postal, the legal and the home address.
QString cityOf(const Contact& c)
{
    const QString named = RecordStore::trimmed(c.city);
    if (!named.isEmpty())
        return named;
    for (Kind kind : {Kind::Work, Kind::Other, Kind::Postal, Kind::Legal, Kind::Home})
        for (const Contact::Address& a : c.addresses)
            if (a.kind == kind && !RecordStore::trimmed(a.locality).isEmpty())
                return RecordStore::trimmed(a.locality);
    return {};
}

QString addressText(const Contact::Address& a, const QString& city)
{
    const QString locality = RecordStore::trimmed(a.locality);
    return joined({a.poBox, a.extended, a.street,
                   locality.compare(city, Qt::CaseInsensitive) == 0 ? QString() : locality,
                   a.region, a.code, a.country},
                  QStringLiteral(", "));
}

// The box an address of a kind goes to; an address of no kind of its own
// takes the postal box, then the physical one.
QString* slotFor(RecordData& r, Kind kind)
{
    switch (kind) {
    case Kind::Work:
        return &r.fizaddress;
    case Kind::Home:
        return &r.homeaddress;
    case Kind::Postal:
        return &r.postaddress;
    case Kind::Legal:
        return &r.legaladdress;
    case Kind::Other:
        break;
    }
    return r.postaddress.isEmpty() ? &r.postaddress : &r.fizaddress;
}

bool isEmpty(const RecordData& r)
{
    for (const QString* text :
         {&r.f, &r.io, &r.prof, &r.shortpp, &r.longpp, &r.legaladdress, &r.postaddress,
          &r.fizaddress, &r.homeaddress, &r.city, &r.path, &r.email, &r.www, &r.otherphones,
          &r.info, &r.spfio, &r.spbirthday, &r.spinfo, &r.req})
        if (!text->isEmpty())
            return false;
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
        if (!r.phones[kind].isEmpty())
            return false;
    return !r.birthday.isValid();
}

// The texts of a record with the editor's captions; limited marks those
// whose length the editor checks.
struct Field {
    const QString* text;
    const char* caption;
    bool limited;
};

QList<Field> fieldsOf(const RecordData& r)
{
    return {
        {&r.f, "Фамилия", true},
        {&r.io, "Имя, Отчество", true},
        {&r.prof, "Должность", true},
        {&r.phones[1], "Рабочий", true},
        {&r.phones[2], "Домашний", true},
        {&r.phones[3], "Мобильный", true},
        {&r.phones[4], "Прямой", true},
        {&r.phones[5], "Секретарь", true},
        {&r.phones[6], "Факс", true},
        {&r.otherphones, "Другие", true},
        {&r.shortpp, "Краткое название п/п", true},
        {&r.longpp, "Полное название п/п", true},
        {&r.city, "Город", true},
        {&r.legaladdress, "Юридический адрес", true},
        {&r.fizaddress, "Физический адрес", true},
        {&r.postaddress, "Почтовый адрес", true},
        {&r.homeaddress, "Домашний адрес", true},
        {&r.path, "Как доехать", true},
        {&r.email, "Электронная почта", true},
        {&r.www, "Веб сайт", true},
        {&r.info, "Дополнительная информация", false},
        {&r.spfio, "Супруг(а)", false},
        {&r.spinfo, "О супруге", false},
        {&r.req, "Реквизиты", false},
    };
}

} // namespace

QString ContactMapper::digits(const QString& phone)
{
    QString d;
    for (const QChar c : phone)
        if (c.isDigit())
            d += c;
    return d;
}

std::optional<QDate> ContactMapper::parseDate(const QString& text, bool* empty)
{
    bool ignored = false;
    bool& none = empty ? *empty : ignored;
    QString t = RecordStore::trimmed(text);
    none = t.isEmpty() || t == QLatin1String("0/0/00") || t == QLatin1String("0.0.00") ||
           t == QLatin1String("00.00.0000") || t == QLatin1String("0000-00-00");
    if (none)
        return std::nullopt;
    const qsizetype time = t.indexOf(u'T');
    if (time > 0)
        t.truncate(time);
    QDate date;
    static const QRegularExpression yearless(QStringLiteral("^--(\\d\\d)-?(\\d\\d)$"));
    if (const QRegularExpressionMatch m = yearless.match(t); m.hasMatch()) {
        date = QDate(yearlessYear, m.captured(1).toInt(), m.captured(2).toInt());
    } else {
        for (const char* format :
             {"yyyy-MM-dd", "yyyyMMdd", "dd.MM.yyyy", "d.M.yyyy", "M/d/yyyy", "yyyy.MM.dd"}) {
            date = QDate::fromString(t, QLatin1String(format));
            if (date.isValid())
                break;
        }
    }
    if (date == DateText::noDate()) {
        none = true;
        return std::nullopt;
    }
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

ContactMapper::Result ContactMapper::map(const Contact& c)
{
    Result result;
    RecordData& r = result.record;
    if (!c.unreadReason.isEmpty()) {
        result.field = c.unreadField;
        result.reason = c.unreadReason;
        return result;
    }
    r.f = nameOf(c);
    r.io = givenNamesOf(c);
    if (r.f.isEmpty() && r.io.isEmpty())
        r.f = RecordStore::trimmed(c.formatted);
    r.prof = RecordStore::trimmed(c.title);
    r.shortpp = RecordStore::trimmed(c.org);
    r.longpp = RecordStore::trimmed(c.orgFull);
    r.city = cityOf(c);
    QStringList notes;
    if (!RecordStore::trimmed(c.note).isEmpty())
        notes.append(RecordStore::trimmed(c.note));
    for (const Contact::Address& a : c.addresses) {
        const QString text = addressText(a, r.city);
        if (text.isEmpty())
            continue;
        QString* slot = slotFor(r, a.kind);
        if (slot->isEmpty())
            *slot = text;
        else
            notes.append(QStringLiteral("Адрес: ") + text);
    }
    r.path = RecordStore::trimmed(c.path);
    r.req = RecordStore::trimmed(c.requisites);

    QStringList others;
    for (const QString& text : c.otherPhones)
        if (!RecordStore::trimmed(text).isEmpty())
            others.append(RecordStore::trimmed(text));
    for (const Contact::Phone& phone : c.phones) {
        if (phone.kind >= RecordData::firstPhoneKind && phone.kind <= RecordData::lastPhoneKind &&
            r.phones[phone.kind].isEmpty())
            r.phones[phone.kind] = phone.number;
        else if (!RecordStore::trimmed(phone.number).isEmpty())
            others.append(RecordStore::trimmed(phone.number));
    }
    r.otherphones = others.join(QStringLiteral(", "));
    r.email = joined(c.emails, QStringLiteral(", "));
    r.www = joined(c.urls, QStringLiteral(", "));
    r.info = notes.join(QLatin1Char('\n'));
    r.spfio = RecordStore::trimmed(c.spouse);
    r.spinfo = RecordStore::trimmed(c.spouseInfo);

    bool empty = false;
    if (const std::optional<QDate> date = parseDate(c.birthday, &empty)) {
        r.birthday = *date;
    } else if (!empty) {
        result.field = QStringLiteral("День рождения");
        result.reason = QStringLiteral("«%1» не читается как дата").arg(c.birthday.trimmed());
        return result;
    }
    if (const std::optional<QDate> date = parseDate(c.spouseBirthday, &empty)) {
        r.spbirthday = DateText::toText(*date);
    } else if (!empty) {
        result.field = QStringLiteral("День рождения супруга");
        result.reason = QStringLiteral("«%1» не читается как дата").arg(c.spouseBirthday.trimmed());
        return result;
    }

    for (const Field& field : fieldsOf(r)) {
        // No database keeps a NUL inside a text.
        if (field.text->contains(QChar(QChar::Null)))
            result.reason = QStringLiteral("в тексте нулевой знак (NUL)");
        else if (field.limited && FieldLength::of(*field.text) > FieldLength::max)
            result.reason = QStringLiteral("длиннее %1 знаков").arg(FieldLength::max);
        if (result.rejected()) {
            result.field = QString::fromUtf8(field.caption);
            return result;
        }
    }
    if (isEmpty(r))
        result.reason = QStringLiteral("запись пуста");
    return result;
}
