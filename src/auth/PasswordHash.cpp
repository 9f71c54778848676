// SPDX-License-Identifier: MIT
#include "auth/PasswordHash.h"
#include "auth/PasswordHashError.h"

#include <mutex>
#include <sodium.h>

namespace
{

unsigned long long opsLimit = crypto_pwhash_OPSLIMIT_INTERACTIVE;
std::size_t memLimit = crypto_pwhash_MEMLIMIT_INTERACTIVE;

void initSodium()
{
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = sodium_init() >= 0; });
    if (!ready)
        throw PasswordHashError(QStringLiteral("Не удалось подготовить библиотеку libsodium."));
}

} // namespace

QString PasswordHash::make(const QString& password)
{
    initSodium();
    const QByteArray bytes = password.toUtf8();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, bytes.constData(), static_cast<unsigned long long>(bytes.size()),
                          opsLimit, memLimit) != 0)
        throw PasswordHashError(QStringLiteral("Не хватает памяти, чтобы защитить пароль."));
    return QString::fromLatin1(hash);
}

bool PasswordHash::verify(const QString& hash, const QString& password)
{
    initSodium();
    const QByteArray stored = hash.toLatin1();
    const QByteArray bytes = password.toUtf8();
    return crypto_pwhash_str_verify(stored.constData(), bytes.constData(),
                                    static_cast<unsigned long long>(bytes.size())) == 0;
}

bool PasswordHash::isHash(const QString& stored)
{
    return stored.startsWith(QLatin1String("$argon2id$")) ||
           stored.startsWith(QLatin1String("$argon2i$"));
}

void PasswordHash::setCostForTesting(unsigned long long ops, std::size_t mem)
{
    opsLimit = ops ? ops : crypto_pwhash_OPSLIMIT_INTERACTIVE;
    memLimit = mem ? mem : crypto_pwhash_MEMLIMIT_INTERACTIVE;
}
