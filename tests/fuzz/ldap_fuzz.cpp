// SPDX-License-Identifier: MIT
// Feeds the LDAP server's request decoding, filter matching and answer
// encoding with malformed messages made from well-formed ones: every
// truncation, every byte set to telling values, lengths inflated, random
// bytes written over and put in, filters nested deeper than allowed. Each
// message is either decoded or refused; nothing may crash, read outside its
// bytes or overflow. scripts/sanitize.sh runs it built with AddressSanitizer
// and UndefinedBehaviorSanitizer; ctest runs it as built.
#include "../directory/BerBytes.h"
#include "directory/DirectoryEntry.h"
#include "directory/ldap/LdapRequest.h"
#include "directory/ldap/LdapResponse.h"

#include <QList>
#include <cstdio>
#include <random>

namespace
{

QByteArray message(const QByteArray& op, const QByteArray& controls = {})
{
    return tlv(0x30, tlv(0x02, "\x07") + op + controls);
}

QByteArray text(const char* utf8)
{
    return QByteArray(utf8);
}

QByteArray search(const QByteArray& filter, const QByteArray& controls = {})
{
    const QByteArray op = tlv(0x04, "ou=people,dc=sprav") + tlv(0x0a, "\x02") +
                          tlv(0x0a, QByteArray(1, 0)) + tlv(0x02, "\x32") + tlv(0x02, "\x05") +
                          tlv(0x01, QByteArray(1, 0)) + filter +
                          tlv(0x30, tlv(0x04, "cn") + tlv(0x04, "mobile"));
    return message(tlv(0x63, op), controls);
}

QByteArray equality(quint8 tag, const char* attribute, const QByteArray& value)
{
    return tlv(tag, tlv(0x04, attribute) + tlv(0x04, value));
}

// Well-formed requests of every kind the server reads.
QList<QByteArray> seeds()
{
    const QByteArray name = equality(0xa3, "cn", text("Иванов Иван"));
    const QByteArray pieces =
        tlv(0xa4,
            tlv(0x04, "sn") + tlv(0x30, tlv(0x80, text("Ива")) + tlv(0x81, "no") + tlv(0x82, "v")));
    const QByteArray number = equality(0xa3, "telephoneNumber", "+7 (916) 123-45-67");
    const QByteArray paged =
        tlv(0xa0, tlv(0x30, tlv(0x04, "1.2.840.113556.1.4.319") + tlv(0x01, "\xff") +
                                tlv(0x04, tlv(0x30, tlv(0x02, "\x02") + tlv(0x04, "0123abcd")))));
    QByteArray deep = tlv(0x87, "objectClass");
    for (int i = 0; i < 40; ++i)
        deep = tlv(i % 2 ? 0xa0 : 0xa2, deep);
    return {
        message(tlv(0x60, tlv(0x02, "\x03") + tlv(0x04, "uid=ivanov,ou=users,dc=sprav") +
                              tlv(0x80, text("секрет")))),
        message(tlv(0x60, tlv(0x02, "\x03") + tlv(0x04, {}) + tlv(0x80, {}))),
        message(tlv(0x60, tlv(0x02, "\x03") + tlv(0x04, {}) +
                              tlv(0xa3, tlv(0x04, "PLAIN") + tlv(0x04, "x")))),
        search(tlv(0xa1, name + pieces + number)),
        search(tlv(0xa0, tlv(0xa2, tlv(0x87, "mail")) + equality(0xa5, "sn", "А") +
                             equality(0xa6, "sn", "Я") + equality(0xa8, "o", "Школа"))),
        search(tlv(0xa9, tlv(0x81, "cn") + tlv(0x82, "x") + tlv(0x84, "\xff")), paged),
        search(deep),
        message(tlv(0x42, {})),
        message(tlv(0x50, "\x05")),
        message(tlv(0x4a, "uid=1,ou=people,dc=sprav")),
        message(tlv(0x66, tlv(0x04, "uid=1") + tlv(0x30, {}))),
        message(tlv(0x6e, tlv(0x04, "uid=1") + equality(0x30, "cn", "x"))),
        message(tlv(0x77, tlv(0x80, "1.3.6.1.4.1.1466.20037"))),
    };
}

DirectoryEntry sampleEntry()
{
    DirectoryEntry entry{QStringLiteral("uid=1,ou=people,dc=sprav"), {}};
    entry.add(QStringLiteral("cn"), QStringLiteral("Иванов Иван Петрович"));
    entry.add(QStringLiteral("sn"), QStringLiteral("Иванов"));
    entry.add(QStringLiteral("o"), QStringLiteral("Школа № 5"));
    entry.add(QStringLiteral("telephoneNumber"),
              QStringList{QStringLiteral("8 (843) 555-12-34"), QStringLiteral("12-34")});
    entry.add(QStringLiteral("mail"), QStringLiteral("ivanov@example.org"));
    return entry;
}

struct Counts {
    qint64 tried = 0;
    qint64 decoded = 0;
};

void feed(const QByteArray& bytes, const DirectoryEntry& entry, Counts& counts)
{
    ++counts.tried;
    const std::optional<LdapRequest> request = LdapRequest::decode(bytes, 32);
    if (!request)
        return;
    ++counts.decoded;
    if (request->op != LdapRequest::Op::Search)
        return;
    request->filter.evaluate(entry);
    LdapResponse::entry(request->messageId, entry, request->attributes, request->typesOnly);
}

} // namespace

int main(int argc, char* argv[])
{
    // Random rounds per seed: more when asked (ldap_fuzz 100000).
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 30000;
    std::mt19937 random(20261209);
    const DirectoryEntry entry = sampleEntry();
    Counts counts;
    const quint8 telling[] = {0x00, 0x01, 0x7f, 0x80, 0x81, 0x84, 0x85, 0xff};
    for (const QByteArray& seed : seeds()) {
        feed(seed, entry, counts);
        for (qsizetype cut = 0; cut < seed.size(); ++cut)
            feed(seed.left(cut), entry, counts);
        for (qsizetype at = 0; at < seed.size(); ++at)
            for (const quint8 value : telling) {
                QByteArray changed = seed;
                changed[at] = static_cast<char>(value);
                feed(changed, entry, counts);
            }
        for (int round = 0; round < rounds; ++round) {
            QByteArray changed = seed;
            const int edits = 1 + int(random() % 4);
            for (int e = 0; e < edits && !changed.isEmpty(); ++e) {
                const auto at = qsizetype(random() % quint32(changed.size()));
                const auto byte = static_cast<char>(random() & 0xff);
                switch (random() % 3) {
                case 0:
                    changed[at] = byte;
                    break;
                case 1:
                    changed.insert(at, byte);
                    break;
                default:
                    changed.remove(at, 1);
                    break;
                }
            }
            feed(changed, entry, counts);
        }
    }
    std::printf("ldap_fuzz: %lld messages, %lld decoded, none crashed\n",
                static_cast<long long>(counts.tried), static_cast<long long>(counts.decoded));
    // The well-formed search must decode, or the run above tried little.
    return LdapRequest::decode(seeds().at(3), 32) ? 0 : 1;
}
