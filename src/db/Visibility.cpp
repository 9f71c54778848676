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
} // namespace

bool Visibility::HasCode(const QString& hided, int code)
{
    return hided.contains(blanked(QString::number(code)));
}

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
    return hided.contains(QLatin1String("all")) && !IsPermitted(owns, user);
}

bool Visibility::PhoneHidFor(const QString& hided, int kind)
{
    return HiddenFields::hides(hided, HiddenFields::phone(kind));
}

QString Visibility::VisibilityFilter(Filter variant)
{
    const bool qualified = variant == Filter::Qualified;
    const QString hided = qualified ? QStringLiteral("coalesce(sprav.hided, '')")
                                    : QStringLiteral("coalesce(hided, '')");
    const QString owns = qualified ? QStringLiteral("coalesce(sprav.owns, '')")
                                   : QStringLiteral("coalesce(owns, '')");
    QString hidden = QStringLiteral("instr(%1, 'all') > 0").arg(hided);
    if (variant == Filter::Birthday || variant == Filter::BirthdayProbe)
        hidden = QStringLiteral("(%1 or instr(%2, '%3') > 0)")
                     .arg(hidden, hided, HiddenFields::spelled(HiddenCode::Birthday));
    return QStringLiteral("not(%1 and not(instr(%2, :visuser) > 0))").arg(hidden, owns);
}

QString Visibility::SpouseVisibleCondition()
{
    return QStringLiteral("(instr(coalesce(sprav.hided, ''), '%1') = 0 OR "
                          "instr(coalesce(sprav.owns, ''), :visuser) > 0)")
        .arg(HiddenFields::spelled(HiddenCode::Spouse));
}

bool Visibility::SpouseVisible(const QString& hided, const QString& owns, const QString& user)
{
    return !HiddenFields::has(hided, HiddenCode::Spouse) || IsPermitted(owns, user);
}

void Visibility::bindUser(QSqlQuery& query, const QString& user)
{
    query.bindValue(QStringLiteral(":visuser"), blanked(user));
}
