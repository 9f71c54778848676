// SPDX-License-Identifier: MIT
#include "db/Visibility.h"
#include "db/HiddenFields.h"

#include <QSqlQuery>

namespace
{

QString blanked(const QString& word)
{
    return QLatin1Char(' ') + word + QLatin1Char(' ');
}

// IsPermitted in SQL, on an owns expression that is never NULL.
QString permittedSql(const QString& owns)
{
    return QStringLiteral("instr(%1, :visuser) > 0").arg(owns);
}

const QString spravHided = QStringLiteral("coalesce(sprav.hided, '')");
const QString spravOwns = QStringLiteral("coalesce(sprav.owns, '')");

// The part of a record in sprav that the code hides may be listed.
QString codeVisible(HiddenCode code)
{
    return QStringLiteral("(NOT (%1) OR %2)")
        .arg(HiddenFields::hasSql(spravHided, code), permittedSql(spravOwns));
}

} // namespace

bool Visibility::IsPermitted(const QString& owns, const QString& user)
{
    return owns.contains(blanked(user));
}

bool Visibility::IsExempt(const QString& owns, const QString& user)
{
    return owns.isEmpty() || IsPermitted(owns, user);
}

bool Visibility::HiddenAsWhole(const QString& hided, const QString& owns, const QString& user)
{
    return HiddenFields::hidesWholeRecord(hided) && !IsPermitted(owns, user);
}

bool Visibility::HasCode(const QString& hided, int code)
{
    return hided.contains(QLatin1Char(' ') + QString::number(code) + QLatin1Char(' '));
}

bool Visibility::PhoneHidFor(const QString& hided, int kind)
{
    return HiddenFields::hides(hided, HiddenFields::phone(kind));
}

QString Visibility::VisibilityFilter(Filter variant)
{
    const bool qualified = variant == Filter::Qualified;
    const QString hided = qualified ? QStringLiteral("sprav.hided") : QStringLiteral("hided");
    const QString owns = qualified ? spravOwns : QStringLiteral("coalesce(owns, '')");
    QString hidden = HiddenFields::wholeRecordSql(hided);
    if (variant == Filter::Birthday || variant == Filter::BirthdayProbe)
        hidden =
            QStringLiteral("(%1 or %2)")
                .arg(hidden, HiddenFields::hasSql(QStringLiteral("coalesce(%1, '')").arg(hided),
                                                  HiddenCode::Birthday));
    return QStringLiteral("not(%1 and not(%2))").arg(hidden, permittedSql(owns));
}

QString Visibility::HiddenOwnsFilter(const QString& table)
{
    const QString owns = table + QStringLiteral(".hiddenowns");
    return QStringLiteral("(%1 IS NULL OR %2)").arg(owns, permittedSql(owns));
}

QString Visibility::SpouseVisibleCondition()
{
    return codeVisible(HiddenCode::Spouse);
}

QString Visibility::EmailVisibleCondition()
{
    return codeVisible(HiddenCode::Email);
}

QString Visibility::PhoneVisibleCondition()
{
    return QStringLiteral("(%1 OR NOT (coalesce(phone.hid, false) OR %2 OR %3))")
        .arg(permittedSql(spravOwns), HiddenFields::hasSql(spravHided, HiddenCode::AllPhones),
             HiddenFields::phoneKindSql(spravHided, QStringLiteral("phone.noteid")));
}

bool Visibility::SpouseVisible(const QString& hided, const QString& owns, const QString& user)
{
    return !HiddenFields::has(hided, HiddenCode::Spouse) || IsPermitted(owns, user);
}

void Visibility::bindUser(QSqlQuery& query, const QString& user)
{
    query.bindValue(QStringLiteral(":visuser"), blanked(user));
}
