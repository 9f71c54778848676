// SPDX-License-Identifier: MIT
#include "db/Visibility.h"

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
    return HasCode(hided, 11) || HasCode(hided, kind + 11);
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
        hidden = QStringLiteral("(%1 or instr(%2, ' 8 ') > 0)").arg(hidden, hided);
    return QStringLiteral("not(%1 and not(instr(%2, :visuser) > 0))").arg(hidden, owns);
}

QString Visibility::SpouseVisibleCondition()
{
    return QStringLiteral("(instr(coalesce(sprav.hided, ''), ' 9 ') = 0 OR "
                          "instr(coalesce(sprav.owns, ''), :visuser) > 0)");
}

bool Visibility::SpouseVisible(const QString& hided, const QString& owns, const QString& user)
{
    return !HasCode(hided, 9) || IsPermitted(owns, user);
}

void Visibility::bindUser(QSqlQuery& query, const QString& user)
{
    query.bindValue(QStringLiteral(":visuser"), blanked(user));
}
