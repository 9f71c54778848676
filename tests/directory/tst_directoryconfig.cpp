// SPDX-License-Identifier: MIT
#include "directory/DirectoryConfig.h"

#include <QtTest>

namespace
{

// The settings the service acts on, in one line for comparisons.
QString summary(const DirectoryConfig& c)
{
    return QStringLiteral("%1 %2:%3 %4 anonymous=%5 bytes=%6 depth=%7 connections=%8 idle=%9 "
                          "binds=%10 delay=%11 size=%12 tls=%13,%14:%15")
        .arg(QFileInfo(c.dataLink).fileName(), c.ldapAddress)
        .arg(c.ldapPort)
        .arg(c.baseDn)
        .arg(c.anonymousAllowed ? QStringLiteral("true") : QStringLiteral("false"))
        .arg(c.maxMessageBytes)
        .arg(c.maxFilterDepth)
        .arg(c.maxConnections)
        .arg(c.idleSeconds)
        .arg(c.concurrentBinds)
        .arg(c.failedBindDelayMs)
        .arg(c.sizeLimit)
        .arg(QFileInfo(c.tlsCertificate).fileName(), QFileInfo(c.tlsKey).fileName())
        .arg(c.tlsPort);
}

} // namespace

class TestDirectoryConfig : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void missingFileRefused();
};

void TestDirectoryConfig::read_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("expected");

    const QString defaults = summary(DirectoryConfig());
    QTest::newRow("empty: safe defaults") << QByteArray() << defaults;
    QTest::newRow("every key")
        << QByteArray("data_link = office.udl\n[ldap]\naddress = 0.0.0.0\nport = 1389\n"
                      "base = dc=firma,dc=ru\nanonymous = false\nmax_message_bytes = 8192\n"
                      "max_filter_depth = 8\nmax_connections = 20\nidle_seconds = 60\n"
                      "concurrent_binds = 1\nfailed_bind_delay_ms = 2000\nsize_limit = 50\n"
                      "[tls]\ncertificate = c.pem\nkey = k.pem\nport = 1636\n")
        << QStringLiteral("office.udl 0.0.0.0:1389 dc=firma,dc=ru anonymous=false bytes=8192 "
                          "depth=8 connections=20 idle=60 binds=1 delay=2000 size=50 "
                          "tls=c.pem,k.pem:1636");
    // A typing error never leaves the service without a limit.
    QTest::newRow("out of range: defaults")
        << QByteArray("[ldap]\nport = 70000\nanonymous = maybe\nmax_message_bytes = 10\n"
                      "max_filter_depth = 0\nmax_connections = -1\nidle_seconds = many\n"
                      "concurrent_binds = 1000\nsize_limit = 0\n")
        << defaults;
}

void TestDirectoryConfig::read()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("directory.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ini);
    file.close();
    const DirectoryConfig config = DirectoryConfig::fromFile(file.fileName());
    QCOMPARE(summary(config), expected);
    // A relative data link lies beside the settings.
    if (!config.dataLink.isEmpty())
        QCOMPARE(QFileInfo(config.dataLink).absolutePath(),
                 QFileInfo(dir.path()).absoluteFilePath());
}

void TestDirectoryConfig::missingFileRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("none.ini"));
    try {
        DirectoryConfig::fromFile(path);
        QFAIL("a missing file was read");
    } catch (const std::runtime_error& e) {
        QVERIFY(QString::fromUtf8(e.what()).contains(path));
    }
}

QTEST_GUILESS_MAIN(TestDirectoryConfig)
#include "tst_directoryconfig.moc"
