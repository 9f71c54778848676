// SPDX-License-Identifier: MIT
#include "records/RecordFields.h"
#include "db/DateText.h"
#include "db/Schema.h"
#include "db/Visibility.h"

namespace
{

using P = HiddenPart;

QString dateText(const QDate& date)
{
    return date.isValid() && date != DateText::noDate() ? DateText::toText(date) : QString();
}

RecordField text(const char* name, const QString& caption, QString RecordData::*member,
                 std::optional<HiddenPart> part = std::nullopt)
{
    return {QLatin1String(name), caption, [member](const RecordData& r) { return r.*member; },
            part};
}

QList<RecordField> makeTable()
{
    QList<RecordField> t = {
        text("f", QStringLiteral("Фамилия"), &RecordData::f),
        text("io", QStringLiteral("Имя, Отчество"), &RecordData::io),
        text("prof", QStringLiteral("Должность"), &RecordData::prof),
        {QStringLiteral("birthday"), QStringLiteral("День рождения"),
         [](const RecordData& r) {
             return r.unreadBirthday.isEmpty() ? dateText(r.birthday) : r.unreadBirthday;
         },
         P::Birthday},
    };
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
        t.append(RecordField{QStringLiteral("phone%1").arg(kind), Schema::phoneKinds().at(kind - 1),
                             [kind](const RecordData& r) { return r.phones[kind]; },
                             HiddenFields::phone(kind)});
    t.append(QList<RecordField>{
        text("otherphones", QStringLiteral("Другие"), &RecordData::otherphones, P::OtherPhones),
        text("shortpp", QStringLiteral("Краткое название п/п"), &RecordData::shortpp),
        text("longpp", QStringLiteral("Полное название п/п"), &RecordData::longpp),
        text("city", QStringLiteral("Город"), &RecordData::city),
        text("legaladdress", QStringLiteral("Юридический адрес"), &RecordData::legaladdress,
             P::LegalAddress),
        text("fizaddress", QStringLiteral("Физический адрес"), &RecordData::fizaddress,
             P::FizAddress),
        text("postaddress", QStringLiteral("Почтовый адрес"), &RecordData::postaddress,
             P::PostAddress),
        text("homeaddress", QStringLiteral("Домашний адрес"), &RecordData::homeaddress,
             P::HomeAddress),
        text("path", QStringLiteral("Как доехать"), &RecordData::path, P::Path),
        text("email", QStringLiteral("Электронная почта"), &RecordData::email, P::Email),
        text("www", QStringLiteral("Веб сайт"), &RecordData::www),
        text("info", QStringLiteral("Дополнительная информация"), &RecordData::info),
        text("spfio", QStringLiteral("Супруг: Имя Отчество"), &RecordData::spfio, P::Spouse),
        text("spbirthday", QStringLiteral("Супруг: День рождения"), &RecordData::spbirthday,
             P::Spouse),
        text("spInfo", QStringLiteral("Супруг: Дополнительная информация"), &RecordData::spinfo,
             P::Spouse),
        text("req", QStringLiteral("Реквизиты"), &RecordData::req, P::Requisites),
    });
    for (const char* name : {"owns", "hided"}) {
        RecordField privacy = text(name, QStringLiteral("Личное"),
                                   name[0] == 'o' ? &RecordData::owns : &RecordData::hided);
        privacy.privacy = true;
        t.append(privacy);
    }
    return t;
}

} // namespace

const QList<RecordField>& RecordFields::all()
{
    static const QList<RecordField> table = makeTable();
    return table;
}

const RecordField* RecordFields::find(const QString& name)
{
    for (const RecordField& field : all())
        if (field.name.compare(name, Qt::CaseInsensitive) == 0)
            return &field;
    return nullptr;
}

QStringList RecordFields::captions(const QStringList& names, const RecordData& record,
                                   const QString& user)
{
    QStringList result;
    for (const RecordField& field : all())
        if (names.contains(field.name, Qt::CaseInsensitive) && !hidden(field, record, user) &&
            !result.contains(field.caption))
            result.append(field.caption);
    return result;
}

bool RecordFields::hidden(const RecordField& field, const RecordData& record, const QString& user)
{
    return field.part && !Visibility::IsExempt(record.owns, user) &&
           HiddenFields::hides(record.hided, *field.part);
}

QList<const RecordField*> RecordFields::visible(const RecordData& record, const QString& user)
{
    QList<const RecordField*> shown;
    for (const RecordField& field : all())
        if (!field.privacy && !hidden(field, record, user))
            shown.append(&field);
    return shown;
}

QString RecordFields::phonesText(const RecordData& record, const QString& user)
{
    const bool exempt = Visibility::IsExempt(record.owns, user);
    QString text;
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
        if (!record.phones[kind].isEmpty() &&
            (exempt || !HiddenFields::hides(record.hided, HiddenFields::phone(kind))))
            text += Schema::phoneKindNote(kind) + record.phones[kind] + QStringLiteral("; ");
    return text;
}
