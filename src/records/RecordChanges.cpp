// SPDX-License-Identifier: MIT
#include "records/RecordChanges.h"
#include "db/DateText.h"
#include "db/HiddenFields.h"
#include "records/RecordStore.h"

#include <functional>

namespace
{

QString birthdayText(const RecordData& r)
{
    if (r.birthday.isValid() && r.birthday != DateText::noDate())
        return DateText::toText(r.birthday);
    return r.unreadBirthday;
}

QString spouseBirthdayText(const RecordData& r)
{
    return r.spbirthday == DateText::noDateText() ? QString() : r.spbirthday;
}

QString codeName(HiddenCode code)
{
    using C = HiddenCode;
    switch (code) {
    case C::AllAddresses:
        return QStringLiteral("все адреса");
    case C::LegalAddress:
        return QStringLiteral("юридический адрес");
    case C::FizAddress:
        return QStringLiteral("физический адрес");
    case C::PostAddress:
        return QStringLiteral("почтовый адрес");
    case C::HomeAddress:
        return QStringLiteral("домашний адрес");
    case C::Path:
        return QStringLiteral("как доехать");
    case C::Email:
        return QStringLiteral("e-mail");
    case C::Birthday:
        return QStringLiteral("день рождения");
    case C::Spouse:
        return QStringLiteral("информация о супруге");
    case C::Requisites:
        return QStringLiteral("реквизиты");
    case C::AllPhones:
        return QStringLiteral("все телефоны");
    case C::WorkPhone:
        return QStringLiteral("рабочий телефон");
    case C::HomePhone:
        return QStringLiteral("домашний телефон");
    case C::MobilePhone:
        return QStringLiteral("мобильный телефон");
    case C::DirectPhone:
        return QStringLiteral("прямой телефон");
    case C::SecretaryPhone:
        return QStringLiteral("телефон секретаря");
    case C::FaxPhone:
        return QStringLiteral("факс");
    case C::OtherPhones:
        return QStringLiteral("дополнительные телефоны");
    }
    return {};
}

// The privacy codes in words, as the privacy dialog names them.
QString hiddenText(const RecordData& r)
{
    if (HiddenFields::hidesWholeRecord(r.hided))
        return QStringLiteral("вся запись");
    QStringList names;
    for (HiddenCode code : HiddenFields::codes())
        if (HiddenFields::has(r.hided, code))
            names.append(codeName(code));
    return names.join(QStringLiteral(", "));
}

QString ownersText(const RecordData& r)
{
    return r.owns.split(QLatin1Char(' '), Qt::SkipEmptyParts).join(QStringLiteral(", "));
}

struct Field {
    QString caption;
    std::function<QString(const RecordData&)> text;
};

// A text column: compared as it is stored, trimmed.
Field column(const QString& caption, QString RecordData::*member)
{
    return {caption, [member](const RecordData& r) { return RecordStore::trimmed(r.*member); }};
}

// Phones are stored as typed.
Field phone(const QString& caption, int kind)
{
    return {caption, [kind](const RecordData& r) { return r.phones[kind]; }};
}

// In the order of the editor's fields, then the dialogs.
const QList<Field>& fields()
{
    static const QList<Field> all = {
        column(QStringLiteral("Фамилия"), &RecordData::f),
        column(QStringLiteral("Имя, Отчество"), &RecordData::io),
        column(QStringLiteral("Должность"), &RecordData::prof),
        {QStringLiteral("День рождения"), birthdayText},
        phone(QStringLiteral("Рабочий телефон"), 1),
        phone(QStringLiteral("Домашний телефон"), 2),
        phone(QStringLiteral("Мобильный телефон"), 3),
        phone(QStringLiteral("Прямой телефон"), 4),
        phone(QStringLiteral("Телефон секретаря"), 5),
        phone(QStringLiteral("Факс"), 6),
        column(QStringLiteral("Другие телефоны"), &RecordData::otherphones),
        column(QStringLiteral("Краткое название п/п"), &RecordData::shortpp),
        column(QStringLiteral("Полное название п/п"), &RecordData::longpp),
        column(QStringLiteral("Город"), &RecordData::city),
        column(QStringLiteral("Юридический адрес"), &RecordData::legaladdress),
        column(QStringLiteral("Физический адрес"), &RecordData::fizaddress),
        column(QStringLiteral("Почтовый адрес"), &RecordData::postaddress),
        column(QStringLiteral("Домашний адрес"), &RecordData::homeaddress),
        column(QStringLiteral("Как доехать"), &RecordData::path),
        column(QStringLiteral("Электронная почта"), &RecordData::email),
        column(QStringLiteral("Веб сайт"), &RecordData::www),
        column(QStringLiteral("Дополнительная информация"), &RecordData::info),
        column(QStringLiteral("Супруг: имя, отчество"), &RecordData::spfio),
        {QStringLiteral("Супруг: день рождения"), spouseBirthdayText},
        column(QStringLiteral("Супруг: дополнительная информация"), &RecordData::spinfo),
        column(QStringLiteral("Реквизиты"), &RecordData::req),
        {QStringLiteral("Скрытые поля"), hiddenText},
        {QStringLiteral("Разрешить просмотр"), ownersText},
    };
    return all;
}

} // namespace

QList<TypedValue> RecordChanges::unsaved(const RecordData& loaded, const RecordData& typed,
                                         const std::optional<RecordData>& stored)
{
    QList<TypedValue> values;
    for (const Field& field : fields()) {
        const QString value = field.text(typed);
        const bool kept =
            stored ? value != field.text(loaded) && value != field.text(*stored) : !value.isEmpty();
        if (kept)
            values.append({field.caption, value});
    }
    return values;
}
