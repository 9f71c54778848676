// SPDX-License-Identifier: MIT
#include "db/HiddenFields.h"
#include "db/Visibility.h"

#include <array>

namespace
{

using P = HiddenPart;

struct Entry {
    HiddenCode code;
    int number;
    QList<HiddenPart> parts;
};

// Codes, their numbers and what each hides. Stored databases hold these
// numbers: they never change.
const std::array<Entry, 18>& table()
{
    static const std::array<Entry, 18> entries = {{
        {HiddenCode::AllAddresses,
         1,
         {P::LegalAddress, P::FizAddress, P::PostAddress, P::HomeAddress, P::Path}},
        {HiddenCode::LegalAddress, 2, {P::LegalAddress}},
        {HiddenCode::FizAddress, 3, {P::FizAddress}},
        {HiddenCode::PostAddress, 4, {P::PostAddress}},
        {HiddenCode::HomeAddress, 5, {P::HomeAddress}},
        {HiddenCode::Path, 6, {P::Path}},
        {HiddenCode::Email, 7, {P::Email}},
        {HiddenCode::Birthday, 8, {P::Birthday}},
        {HiddenCode::Spouse, 9, {P::Spouse}},
        {HiddenCode::Requisites, 10, {P::Requisites}},
        {HiddenCode::AllPhones,
         11,
         {P::Phone1, P::Phone2, P::Phone3, P::Phone4, P::Phone5, P::Phone6, P::OtherPhones}},
        {HiddenCode::WorkPhone, 12, {P::Phone1}},
        {HiddenCode::HomePhone, 13, {P::Phone2}},
        {HiddenCode::MobilePhone, 14, {P::Phone3}},
        {HiddenCode::DirectPhone, 15, {P::Phone4}},
        {HiddenCode::SecretaryPhone, 16, {P::Phone5}},
        {HiddenCode::FaxPhone, 17, {P::Phone6}},
        {HiddenCode::OtherPhones, 18, {P::OtherPhones}},
    }};
    return entries;
}

const Entry& entry(HiddenCode code)
{
    return table().at(std::size_t(code));
}

constexpr int firstPhoneKind = 1;
constexpr int lastPhoneKind = 6;

} // namespace

const QList<HiddenCode>& HiddenFields::codes()
{
    static const QList<HiddenCode> all = [] {
        QList<HiddenCode> list;
        for (const Entry& e : table())
            list.append(e.code);
        return list;
    }();
    return all;
}

int HiddenFields::number(HiddenCode code)
{
    return entry(code).number;
}

QString HiddenFields::spelled(HiddenCode code)
{
    return QLatin1Char(' ') + QString::number(number(code)) + QLatin1Char(' ');
}

QList<HiddenPart> HiddenFields::parts(HiddenCode code)
{
    return entry(code).parts;
}

QList<HiddenCode> HiddenFields::members(HiddenCode code)
{
    const QList<HiddenPart>& group = entry(code).parts;
    QList<HiddenCode> list;
    if (group.size() < 2)
        return list;
    for (const Entry& e : table())
        if (e.code != code && e.parts.size() == 1 && group.contains(e.parts.first()))
            list.append(e.code);
    return list;
}

bool HiddenFields::has(const QString& hided, HiddenCode code)
{
    return Visibility::HasCode(hided, number(code));
}

QString HiddenFields::hasSql(const QString& hided, HiddenCode code)
{
    return QStringLiteral("instr(%1, '%2') > 0").arg(hided, spelled(code));
}

QString HiddenFields::wholeRecord()
{
    return QStringLiteral("all");
}

bool HiddenFields::hidesWholeRecord(const QString& hided)
{
    return hided.contains(wholeRecord());
}

QString HiddenFields::wholeRecordSql(const QString& hided, const QString& find)
{
    return QStringLiteral("%1(coalesce(%2, ''), '%3') > 0").arg(find, hided, wholeRecord());
}

bool HiddenFields::hides(const QString& hided, HiddenPart part)
{
    for (const Entry& e : table())
        if (e.parts.contains(part) && has(hided, e.code))
            return true;
    return false;
}

HiddenPart HiddenFields::phone(int kind)
{
    Q_ASSERT(kind >= firstPhoneKind && kind <= lastPhoneKind);
    return HiddenPart(int(HiddenPart::Phone1) + kind - firstPhoneKind);
}

HiddenCode HiddenFields::code(HiddenPart part)
{
    for (const Entry& e : table())
        if (e.parts == QList<HiddenPart>{part})
            return e.code;
    Q_ASSERT_X(false, "HiddenFields::code", "every part has a code of its own");
    return HiddenCode::OtherPhones;
}

QString HiddenFields::phoneKindSql(const QString& hided, const QString& kind)
{
    QString cases;
    for (int k = firstPhoneKind; k <= lastPhoneKind; ++k)
        cases += QStringLiteral(" WHEN %1 THEN %2")
                     .arg(QString::number(k), hasSql(hided, code(phone(k))));
    return QStringLiteral("(CASE %1%2 ELSE false END)").arg(kind, cases);
}
