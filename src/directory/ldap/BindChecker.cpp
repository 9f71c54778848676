// SPDX-License-Identifier: MIT
#include "directory/ldap/BindChecker.h"
#include "auth/AccountStore.h"
#include "auth/PasswordHash.h"

#include <QPointer>

namespace
{

bool matches(const std::optional<QString>& stored, const QString& password)
{
    try {
        if (stored)
            return AccountStore::passwordMatches(*stored, password);
        // An unknown name costs the same hash as a known one, so the time of
        // the answer does not tell which names exist.
        static const QString unknown = PasswordHash::make(QStringLiteral("no such user"));
        PasswordHash::verify(unknown, password);
    } catch (...) {
        // libsodium could not start: no password is accepted.
    }
    return false;
}

} // namespace

BindChecker::BindChecker(int limit, QObject* parent) : QObject(parent), m_limit(limit)
{
    m_pool.setMaxThreadCount(limit);
}

BindChecker::~BindChecker()
{
    m_pool.waitForDone();
}

bool BindChecker::start(const std::optional<QString>& stored, const QString& password,
                        QObject* context, std::function<void(bool)> done)
{
    if (m_running >= m_limit)
        return false;
    ++m_running;
    QPointer<QObject> receiver(context);
    m_pool.start([this, stored, password, receiver, done = std::move(done)]() {
        const bool ok = matches(stored, password);
        QMetaObject::invokeMethod(
            this,
            [this, receiver, done, ok]() {
                --m_running;
                if (receiver)
                    done(ok);
            },
            Qt::QueuedConnection);
    });
    return true;
}
