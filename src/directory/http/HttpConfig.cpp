// SPDX-License-Identifier: MIT
#include "directory/http/HttpConfig.h"

#include <QSettings>

namespace
{

// A list value: QSettings gives a text for one item and a list for items
// separated by commas; blanks around the items and empty items are dropped.
QStringList listValue(const QSettings& settings, const QString& key)
{
    QStringList items;
    const QStringList raw = settings.value(key).toStringList();
    for (const QString& item : raw) {
        for (const QString& part : item.split(QLatin1Char(','))) {
            const QString trimmed = part.trimmed();
            if (!trimmed.isEmpty())
                items.append(trimmed);
        }
    }
    return items;
}

QString bad(const QString& key, const QString& value)
{
    return QStringLiteral("[http] %1: неверное значение «%2»").arg(key, value);
}

// An address or a subnet; IPv4 written as IPv6 (::ffff:a.b.c.d) is kept as
// IPv4, as client addresses are compared.
std::optional<QPair<QHostAddress, int>> subnet(const QString& text)
{
    QPair<QHostAddress, int> parsed;
    if (text.contains(QLatin1Char('/'))) {
        parsed = QHostAddress::parseSubnet(text);
    } else {
        parsed.first = QHostAddress(text);
        parsed.second = parsed.first.protocol() == QAbstractSocket::IPv6Protocol ? 128 : 32;
    }
    if (parsed.first.isNull())
        return std::nullopt;
    bool ipv4 = false;
    const quint32 v4 = parsed.first.toIPv4Address(&ipv4);
    if (ipv4 && parsed.first.protocol() == QAbstractSocket::IPv6Protocol) {
        if (parsed.second < 96)
            return std::nullopt;
        parsed = qMakePair(QHostAddress(v4), parsed.second - 96);
    }
    return parsed;
}

} // namespace

bool HttpConfig::configured(QSettings& settings)
{
    return settings.childGroups().contains(QStringLiteral("http"));
}

std::optional<HttpConfig> HttpConfig::read(QSettings& settings, QString* error)
{
    HttpConfig config;
    const auto fail = [error](const QString& message) {
        if (error)
            *error = message;
        return std::nullopt;
    };
    config.profile = settings.value(QStringLiteral("anonymous_profile")).toString().trimmed();
    settings.beginGroup(QStringLiteral("http"));
    const auto endGroup = qScopeGuard([&settings] { settings.endGroup(); });

    const QString address = settings.value(QStringLiteral("address")).toString().trimmed();
    if (!address.isEmpty()) {
        config.address = QHostAddress(address);
        if (config.address.isNull())
            return fail(bad(QStringLiteral("address"), address));
    }
    const QString port = settings.value(QStringLiteral("port")).toString().trimmed();
    if (!port.isEmpty()) {
        bool ok = false;
        const uint number = port.toUInt(&ok);
        if (!ok || number > 65535)
            return fail(bad(QStringLiteral("port"), port));
        config.port = quint16(number);
    }
    config.keys = listValue(settings, QStringLiteral("keys"));
    for (const QString& item : listValue(settings, QStringLiteral("allow"))) {
        const auto allowed = subnet(item);
        if (!allowed)
            return fail(bad(QStringLiteral("allow"), item));
        config.allowed.append(*allowed);
    }
    const QString region = settings.value(QStringLiteral("region")).toString().trimmed();
    if (!region.isEmpty())
        config.region = region.toUpper();
    const QString limit = settings.value(QStringLiteral("phonebook_limit")).toString().trimmed();
    if (!limit.isEmpty()) {
        bool ok = false;
        config.phonebookLimit = limit.toInt(&ok);
        if (!ok || config.phonebookLimit < 1)
            return fail(bad(QStringLiteral("phonebook_limit"), limit));
    }
    return config;
}
