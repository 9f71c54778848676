// SPDX-License-Identifier: MIT
#include "directory/ldap/LdapDn.h"
#include "db/TextFold.h"
#include "directory/ldap/LdapFilter.h"

namespace
{

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The value's characters with escapes resolved; \XX pairs make UTF-8 bytes.
std::optional<QString> unescape(const QString& text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\')) {
            bytes += QString(c).toUtf8();
            continue;
        }
        if (i + 1 >= text.size())
            return std::nullopt;
        const int high = hexDigit(text.at(i + 1));
        if (high >= 0 && i + 2 < text.size() && hexDigit(text.at(i + 2)) >= 0) {
            bytes += static_cast<char>(high * 16 + hexDigit(text.at(i + 2)));
            i += 2;
        } else {
            bytes += QString(text.at(i + 1)).toUtf8();
            ++i;
        }
    }
    return QString::fromUtf8(bytes);
}

// The text split at the separator where it is not escaped.
QStringList splitUnescaped(const QString& text, QChar separator)
{
    QStringList parts;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            current += c;
            current += text.at(++i);
        } else if (c == separator) {
            parts.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.append(current);
    return parts;
}

} // namespace

std::optional<QList<LdapDn::Rdn>> LdapDn::parse(const QString& dn)
{
    QList<Rdn> rdns;
    if (dn.trimmed().isEmpty())
        return rdns;
    for (const QString& part : splitUnescaped(dn, QLatin1Char(','))) {
        if (splitUnescaped(part, QLatin1Char('+')).size() != 1)
            return std::nullopt;
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return std::nullopt;
        const QString type = part.left(equals).trimmed();
        const std::optional<QString> value = unescape(part.mid(equals + 1).trimmed());
        if (type.isEmpty() || !value || value->isEmpty())
            return std::nullopt;
        rdns.append({LdapFilter::canonical(type), *value});
    }
    return rdns;
}

QString LdapDn::normalized(const QString& dn)
{
    const std::optional<QList<Rdn>> rdns = parse(dn);
    if (!rdns)
        return {};
    QStringList parts;
    for (const Rdn& rdn : *rdns)
        parts.append(rdn.first + QLatin1Char('=') + escaped(TextFold::text(rdn.second)));
    return parts.join(QLatin1Char(','));
}

bool LdapDn::same(const Rdn& a, const Rdn& b)
{
    return a.first == b.first && TextFold::text(a.second) == TextFold::text(b.second);
}

bool LdapDn::same(const QList<Rdn>& a, const QList<Rdn>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (!same(a.at(i), b.at(i)))
            return false;
    return true;
}

QString LdapDn::escaped(const QString& value)
{
    QString result;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const bool edge = (i == 0 && (c == QLatin1Char(' ') || c == QLatin1Char('#'))) ||
                          (i == value.size() - 1 && c == QLatin1Char(' '));
        if (edge || QStringLiteral(",+\"\\<>;=").contains(c))
            result += QLatin1Char('\\');
        result += c;
    }
    return result;
}
