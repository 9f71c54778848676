// SPDX-License-Identifier: MIT
#pragma once

#include <QEventLoop>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QTimer>

// The OpenLDAP command-line clients (ldapsearch, ldapdelete, …) run against
// a server of the test, and their LDIF read back.
namespace LdapClient
{

// One entry of ldapsearch's LDIF: attribute names in lower case, values
// decoded from base64 where LDIF wrote them so.
using Entry = QMap<QString, QStringList>;

struct Answer {
    int exitCode = -1;
    QList<Entry> entries;
    QByteArray output;
    QString errors;

    QStringList all(const QString& attribute) const
    {
        QStringList values;
        for (const Entry& e : entries)
            values += e.value(attribute);
        values.sort();
        return values;
    }
};

inline QList<Entry> parseLdif(const QByteArray& text)
{
    QList<Entry> entries;
    Entry current;
    for (const QByteArray& line : text.split('\n')) {
        if (line.trimmed().isEmpty() || line.startsWith('#')) {
            if (!current.isEmpty())
                entries.append(current);
            current.clear();
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QString name = QString::fromUtf8(line.left(colon)).toLower();
        const bool encoded = line.mid(colon + 1).startsWith(':');
        const QByteArray value = line.mid(colon + (encoded ? 2 : 1)).trimmed();
        current[name].append(QString::fromUtf8(encoded ? QByteArray::fromBase64(value) : value));
    }
    if (!current.isEmpty())
        entries.append(current);
    return entries;
}

// Waits for a process while this thread's event loop goes on serving the
// server under test; a process that hangs is killed after half a minute.
inline bool finished(QProcess& process)
{
    if (!process.waitForStarted())
        return false;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, [&]() {
        process.kill();
        loop.quit();
    });
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    process.waitForFinished();
    return process.exitStatus() == QProcess::NormalExit;
}

enum class Security {
    Plain,
    Ldaps,    // TLS from the first byte
    StartTls, // -ZZ: TLS after the StartTLS operation, or nothing at all
};

// One of the OpenLDAP command-line clients, with a simple bind as the user
// (anonymous without one); ldap.conf and .ldaprc are not read.
inline Answer run(const QString& program, quint16 port, const QStringList& arguments,
                  const QString& user, const QString& password, Security security)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (security != Security::Plain) {
        // The test's own certificate is trusted as it is.
        environment.insert(QStringLiteral("LDAPCONF"), QStringLiteral("/dev/null"));
        environment.insert(QStringLiteral("LDAPRC"), QStringLiteral("/nonexistent"));
        environment.insert(QStringLiteral("LDAPTLS_REQCERT"), QStringLiteral("never"));
    } else {
        environment.insert(QStringLiteral("LDAPNOINIT"), QStringLiteral("1"));
    }
    process.setProcessEnvironment(environment);
    QStringList args{
        QStringLiteral("-x"), QStringLiteral("-H"),
        QStringLiteral("%1://127.0.0.1:%2")
            .arg(security == Security::Ldaps ? QStringLiteral("ldaps") : QStringLiteral("ldap"))
            .arg(port)};
    if (security == Security::StartTls)
        args << QStringLiteral("-ZZ");
    if (!user.isEmpty())
        args << QStringLiteral("-D") << QStringLiteral("uid=%1,ou=users,dc=sprav").arg(user)
             << QStringLiteral("-w") << password;
    process.start(program, args + arguments);
    Answer answer;
    if (!finished(process))
        return answer;
    answer.exitCode = process.exitCode();
    answer.output = process.readAllStandardOutput();
    answer.errors = QString::fromUtf8(process.readAllStandardError());
    answer.entries = parseLdif(answer.output);
    return answer;
}

} // namespace LdapClient
