// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

// Hand-made LDAP messages for the tests: one BER element with a definite
// length, whatever its content (a malformed one too).
inline QByteArray tlv(quint8 tag, const QByteArray& content)
{
    QByteArray length;
    if (content.size() < 0x80) {
        length.append(static_cast<char>(content.size()));
    } else {
        for (qsizetype n = content.size(); n > 0; n >>= 8)
            length.prepend(static_cast<char>(n & 0xff));
        length.prepend(static_cast<char>(0x80 | length.size()));
    }
    return static_cast<char>(tag) + length + content;
}
