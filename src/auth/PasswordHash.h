// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstddef>

// Salted slow hashes of the users' passwords (libsodium's crypto_pwhash_str,
// Argon2id). A stored text that is no such hash is a password kept in plain
// text by an older copy of the program.
class PasswordHash
{
public:
    // Both throw PasswordHashError when libsodium cannot start; make() also
    // when the hash cannot be made (out of memory).
    static QString make(const QString& password);
    static bool verify(const QString& hash, const QString& password);
    static bool isHash(const QString& stored);

    // Lowers the cost of make() so test suites run quickly; the program keeps
    // the interactive limits. Zero values restore them.
    static void setCostForTesting(unsigned long long opsLimit, std::size_t memLimit);
};
