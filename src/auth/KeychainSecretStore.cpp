// SPDX-License-Identifier: MIT
#include "auth/KeychainSecretStore.h"

#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#endif

namespace
{

// On Linux the secret store is a service on the session bus. Without a bus,
// or with none of the services QtKeychain talks to, asking would only end in
// an error or a wait.
bool desktopHasSecretService()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QStringList names = {QStringLiteral("org.freedesktop.secrets"),
                               QStringLiteral("org.kde.kwalletd6"),
                               QStringLiteral("org.kde.kwalletd5")};
    const QDBusReply<QStringList> activatable = bus.interface()->activatableServiceNames();
    for (const QString& name : names) {
        if (bus.interface()->isServiceRegistered(name).value())
            return true;
        if (activatable.isValid() && activatable.value().contains(name))
            return true;
    }
    return false;
#else
    return true;
#endif
}

// Windows keeps every program's credentials under one list of names.
QString entryName(const QString& service, const QString& user)
{
#ifdef Q_OS_WIN
    return service + u'/' + user;
#else
    Q_UNUSED(service)
    return user;
#endif
}

} // namespace

KeychainSecretStore::KeychainSecretStore(const QString& service, std::chrono::milliseconds timeout)
    : m_service(service), m_timeout(timeout)
{
}

bool KeychainSecretStore::isAvailable()
{
    if (!m_available)
        m_available = desktopHasSecretService();
    return *m_available;
}

KeychainSecretStore::Answer KeychainSecretStore::await(QKeychain::Job* job)
{
    Answer answer;
    QEventLoop loop;
    // The job deletes itself when it ends, even after this wait has given
    // up; the connection goes with the loop.
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* finished) {
        answer.done = finished->error() == QKeychain::NoError ||
                      finished->error() == QKeychain::EntryNotFound;
        answer.found = finished->error() == QKeychain::NoError;
        if (auto* reading = qobject_cast<QKeychain::ReadPasswordJob*>(finished))
            answer.text = reading->textData();
        if (!answer.done)
            qWarning("secret store: %s", qUtf8Printable(finished->errorString()));
        loop.exit(1);
    });
    QTimer::singleShot(m_timeout, &loop, [&loop] { loop.exit(0); });
    job->start();
    if (loop.exec(QEventLoop::ExcludeUserInputEvents) == 0)
        qWarning("secret store: no answer");
    if (!answer.done)
        m_available = false;
    return answer;
}

std::optional<QString> KeychainSecretStore::read(const QString& user)
{
    if (!isAvailable())
        return std::nullopt;
    auto* job = new QKeychain::ReadPasswordJob(m_service);
    job->setKey(entryName(m_service, user));
    const Answer answer = await(job);
    if (!answer.found)
        return std::nullopt;
    return answer.text;
}

bool KeychainSecretStore::write(const QString& user, const QString& password)
{
    if (!isAvailable())
        return false;
    auto* job = new QKeychain::WritePasswordJob(m_service);
    job->setKey(entryName(m_service, user));
    job->setTextData(password);
    return await(job).done;
}

bool KeychainSecretStore::remove(const QString& user)
{
    if (!isAvailable())
        return false;
    auto* job = new QKeychain::DeletePasswordJob(m_service);
    job->setKey(entryName(m_service, user));
    return await(job).done;
}
