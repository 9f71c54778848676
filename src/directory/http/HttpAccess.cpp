// SPDX-License-Identifier: MIT
#include "directory/http/HttpAccess.h"

#include <QCryptographicHash>

namespace
{

// Compares in a time that does not depend on where the texts differ, so the
// answer's timing tells nothing about a key.
bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    unsigned char differ = a.size() == b.size() ? 0 : 1;
    for (qsizetype i = 0; i < b.size(); ++i)
        differ |= static_cast<unsigned char>((i < a.size() ? a.at(i) : 0) ^ b.at(i));
    return differ == 0;
}

// An IPv4 client that reaches a socket listening on IPv6 comes as ::ffff:a.b.c.d.
QHostAddress plain(const QHostAddress& address)
{
    bool ipv4 = false;
    const quint32 v4 = address.toIPv4Address(&ipv4);
    return ipv4 ? QHostAddress(v4) : address;
}

} // namespace

bool HttpAccess::keyAccepted(const QString& key) const
{
    if (key.isEmpty())
        return false;
    const QByteArray given = key.toUtf8();
    bool accepted = false;
    for (const QString& known : m_config.keys)
        accepted |= sameBytes(given, known.toUtf8());
    return accepted;
}

bool HttpAccess::addressAllowed(const QHostAddress& client) const
{
    if (m_config.allowed.isEmpty())
        return true;
    const QHostAddress address = plain(client);
    for (const auto& [network, length] : m_config.allowed) {
        if (address.isInSubnet(network, length))
            return true;
    }
    return false;
}

QString HttpAccess::fingerprint(const QString& key)
{
    if (key.isEmpty())
        return QStringLiteral("(нет)");
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("#") + QString::fromLatin1(hash.toHex().left(8));
}
