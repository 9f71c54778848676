// SPDX-License-Identifier: MIT
#include "directory/ldap/LdapResponse.h"
#include "directory/ldap/Ber.h"
#include "directory/ldap/LdapFilter.h"

namespace
{

ber_int_t id(qint64 messageId)
{
    return static_cast<ber_int_t>(messageId);
}

void resultFields(BerWriter& w, LdapResult code, const QByteArray& matchedDn,
                  const QString& diagnostic)
{
    w.print("e", static_cast<ber_int_t>(code));
    w.printString(matchedDn);
    w.printString(diagnostic.toUtf8());
}

// operational: the attribute is one "+" asks for (those of the root DSE).
bool wanted(const QString& name, const QList<QByteArray>& attributes, bool operational)
{
    if (attributes.isEmpty() || (operational && attributes.contains("+")))
        return true;
    const QString canonical = LdapFilter::canonical(name);
    for (const QByteArray& asked : attributes) {
        if (asked == "*")
            return true;
        if (LdapFilter::canonical(QString::fromUtf8(asked)) == canonical)
            return true;
    }
    return false;
}

} // namespace

QByteArray LdapResponse::result(qint64 messageId, int tag, LdapResult code,
                                const QString& diagnostic, const QByteArray& matchedDn,
                                const QList<LdapControl>& controls)
{
    BerWriter w;
    w.print("{it{", id(messageId), static_cast<ber_tag_t>(tag));
    resultFields(w, code, matchedDn, diagnostic);
    w.print("N}");
    if (!controls.isEmpty()) {
        w.print("t{", static_cast<ber_tag_t>(0xa0));
        for (const LdapControl& control : controls) {
            w.print("{");
            w.printString(control.oid);
            w.printString(control.value);
            w.print("N}");
        }
        w.print("N}");
    }
    w.print("N}");
    return w.bytes();
}

QByteArray LdapResponse::extended(qint64 messageId, LdapResult code, const QString& diagnostic,
                                  const QByteArray& responseName)
{
    BerWriter w;
    w.print("{it{", id(messageId), static_cast<ber_tag_t>(0x78));
    resultFields(w, code, {}, diagnostic);
    w.printString(0x8a, responseName);
    w.print("N}N}");
    return w.bytes();
}

QByteArray LdapResponse::entry(qint64 messageId, const DirectoryEntry& entry,
                               const QList<QByteArray>& attributes, bool typesOnly)
{
    const bool none = attributes.size() == 1 && attributes.first() == "1.1";
    BerWriter w;
    w.print("{it{", id(messageId), static_cast<ber_tag_t>(0x64));
    w.printString(entry.dn.toUtf8());
    w.print("{");
    for (const DirectoryAttribute& attribute : entry.attributes) {
        if (none || !wanted(attribute.name, attributes, entry.dn.isEmpty()))
            continue;
        w.print("{");
        w.printString(attribute.name.toUtf8());
        w.print("[");
        if (!typesOnly)
            for (const QString& value : attribute.values)
                w.printString(value.toUtf8());
        w.print("N]N}");
    }
    w.print("N}N}N}");
    return w.bytes();
}

QByteArray LdapResponse::pagedValue(qint64 size, const QByteArray& cookie)
{
    BerWriter w;
    w.print("{i", static_cast<ber_int_t>(size));
    w.printString(cookie);
    w.print("N}");
    return w.bytes();
}

QByteArray LdapResponse::disconnection(LdapResult code, const QString& diagnostic)
{
    BerWriter w;
    w.print("{it{", static_cast<ber_int_t>(0), static_cast<ber_tag_t>(0x78));
    resultFields(w, code, {}, diagnostic);
    w.printString(0x8a, QByteArrayLiteral("1.3.6.1.4.1.1466.20036"));
    w.print("N}N}");
    return w.bytes();
}
