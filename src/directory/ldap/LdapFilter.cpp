// SPDX-License-Identifier: MIT
#include "directory/ldap/LdapFilter.h"
#include "db/ContactIndex.h"
#include "db/TextFold.h"

#include <QHash>

namespace
{

using Result = LdapFilter::Result;

// The attributes an entry of this directory can have, by their canonical
// name; a filter on any other is undefined.
const QHash<QString, QString>& aliases()
{
    static const QHash<QString, QString> table{
        {QStringLiteral("commonname"), QStringLiteral("cn")},
        {QStringLiteral("surname"), QStringLiteral("sn")},
        {QStringLiteral("gn"), QStringLiteral("givenname")},
        {QStringLiteral("organizationname"), QStringLiteral("o")},
        {QStringLiteral("organizationalunitname"), QStringLiteral("ou")},
        {QStringLiteral("localityname"), QStringLiteral("l")},
        {QStringLiteral("rfc822mailbox"), QStringLiteral("mail")},
        {QStringLiteral("userid"), QStringLiteral("uid")},
        {QStringLiteral("domaincomponent"), QStringLiteral("dc")},
        {QStringLiteral("mobiletelephonenumber"), QStringLiteral("mobile")},
        {QStringLiteral("hometelephonenumber"), QStringLiteral("homephone")},
        {QStringLiteral("fax"), QStringLiteral("facsimiletelephonenumber")},
    };
    return table;
}

const QStringList& knownAttributes()
{
    static const QStringList names{
        QStringLiteral("objectclass"),
        QStringLiteral("uid"),
        QStringLiteral("cn"),
        QStringLiteral("displayname"),
        QStringLiteral("sn"),
        QStringLiteral("givenname"),
        QStringLiteral("o"),
        QStringLiteral("ou"),
        QStringLiteral("dc"),
        QStringLiteral("title"),
        QStringLiteral("mail"),
        QStringLiteral("labeleduri"),
        QStringLiteral("l"),
        QStringLiteral("postaladdress"),
        QStringLiteral("description"),
        QStringLiteral("telephonenumber"),
        QStringLiteral("homephone"),
        QStringLiteral("mobile"),
        QStringLiteral("facsimiletelephonenumber"),
    };
    return names;
}

// The values of an attribute as they are compared.
QStringList comparable(const QStringList& values, bool phone)
{
    QStringList result;
    result.reserve(values.size());
    for (const QString& value : values)
        result.append(phone ? ContactIndex::digitsOf(value) : TextFold::text(value));
    return result;
}

QString asserted(const QString& value, bool phone)
{
    return phone ? ContactIndex::digitsOf(value) : TextFold::text(value);
}

// The program's number rule: the typed digits occur in the stored ones, or
// their last seven equal the stored number's last seven.
bool sameNumber(const QString& stored, const QString& typed)
{
    constexpr int local = ContactIndex::LocalDigits;
    if (typed.size() < ContactIndex::MinDigits)
        return false;
    return stored.contains(typed) || (typed.size() >= local && stored.size() >= local &&
                                      stored.right(local) == typed.right(local));
}

bool substringsMatch(const QString& value, const QString& initial, const QStringList& any,
                     const QString& final)
{
    if (!value.startsWith(initial))
        return false;
    qsizetype at = initial.size();
    for (const QString& piece : any) {
        const qsizetype found = value.indexOf(piece, at);
        if (found < 0)
            return false;
        at = found + piece.size();
    }
    return value.size() - at >= final.size() && value.endsWith(final);
}

Result fromBool(bool value)
{
    return value ? Result::True : Result::False;
}

Result combine(const QList<LdapFilter>& children, const DirectoryEntry& entry, bool isAnd)
{
    bool undefined = false;
    for (const LdapFilter& child : children) {
        const Result r = child.evaluate(entry);
        if (r == Result::Undefined)
            undefined = true;
        else if ((r == Result::True) != isAnd)
            return r;
    }
    if (undefined)
        return Result::Undefined;
    return fromBool(isAnd);
}

} // namespace

QString LdapFilter::canonical(const QString& attribute)
{
    const QString name = attribute.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    return aliases().value(name, name);
}

bool LdapFilter::isPhoneAttribute(const QString& attribute)
{
    const QString name = canonical(attribute);
    return name == QLatin1String("telephonenumber") || name == QLatin1String("homephone") ||
           name == QLatin1String("mobile") || name == QLatin1String("facsimiletelephonenumber");
}

LdapFilter::Result LdapFilter::evaluate(const DirectoryEntry& entry) const
{
    switch (kind) {
    case Kind::And:
        return combine(children, entry, true);
    case Kind::Or:
        return combine(children, entry, false);
    case Kind::Not: {
        const Result r = children.isEmpty() ? Result::Undefined : children.first().evaluate(entry);
        return r == Result::Undefined ? r : fromBool(r == Result::False);
    }
    case Kind::Extensible:
        return Result::Undefined;
    default:
        break;
    }
    const QString name = canonical(attribute);
    if (!knownAttributes().contains(name))
        return Result::Undefined;
    const QStringList stored = entry.values(name);
    if (kind == Kind::Present)
        return fromBool(!stored.isEmpty());
    const bool phone = isPhoneAttribute(name);
    const QStringList values = comparable(stored, phone);
    const QString wanted = asserted(value, phone);
    QStringList pieces;
    for (const QString& piece : any) {
        // A piece of a number without digits is matched by no phone.
        if (phone && ContactIndex::digitsOf(piece).isEmpty())
            return Result::False;
        pieces.append(asserted(piece, phone));
    }
    for (const QString& v : values) {
        bool hit = false;
        switch (kind) {
        case Kind::Equality:
        case Kind::Approx:
            hit = phone ? sameNumber(v, wanted) : v == wanted;
            break;
        case Kind::GreaterOrEqual:
            hit = v >= wanted;
            break;
        case Kind::LessOrEqual:
            hit = v <= wanted;
            break;
        case Kind::Substrings:
            hit = substringsMatch(v, asserted(initial, phone), pieces, asserted(final, phone));
            break;
        default:
            break;
        }
        if (hit)
            return Result::True;
    }
    return Result::False;
}
