// SPDX-License-Identifier: MIT
#include "db/Database.h"
#include "common/DbError.h"
#include "db/Connection.h"
#include "db/DbLog.h"
#include "db/Schema.h"
#include "db/Sql.h"
#include "db/SqliteFile.h"
#include "db/SqliteFunctions.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QThread>
#include <sqlite3.h>

namespace
{

// Copies of the program that open a new file at the same moment all switch
// its journal mode, which needs the file alone: SQLite refuses the others at
// once (busy) instead of letting them wait, so they try again.
void setJournalMode(const QSqlDatabase& db, const QString& statement)
{
    const QString busy = QString::number(SQLITE_BUSY);
    for (int attempt = 1;; ++attempt) {
        try {
            Sql::run(db, statement);
            return;
        } catch (const DbError& e) {
            if (e.code() != busy || attempt == 200)
                throw;
        }
        QThread::msleep(10);
    }
}

void enableWal(const QSqlDatabase& db)
{
    setJournalMode(db, QStringLiteral("PRAGMA journal_mode=WAL"));
}

// A file in a network folder: WAL's index is memory shared on one machine,
// which copies on other machines never see. A file still in WAL mode and open
// elsewhere cannot leave it now; it is used as it is rather than refused.
void useRollbackJournal(const QSqlDatabase& db)
{
    try {
        setJournalMode(db, QStringLiteral("PRAGMA journal_mode=DELETE"));
    } catch (const DbError& e) {
        if (e.code() != QString::number(SQLITE_BUSY))
            throw;
        qCWarning(lcDb) << "the database in a network folder is busy; its journal mode stays";
    }
}

// The engine's text may quote values of the data link, and with them a
// password that a mistyped separator put into one.
[[noreturn]] void openFailed(const QSqlDatabase& db, const DataLink& link, const QString& what)
{
    // The log names the database and its server, never the password, not even
    // where a driver's message would repeat it.
    const QString where = db.hostName().isEmpty() ? what
                                                  : QStringLiteral("%1 on %2:%3 as %4")
                                                        .arg(what, db.hostName())
                                                        .arg(db.port())
                                                        .arg(db.userName());
    QString cause = db.lastError().text().trimmed();
    if (!db.password().isEmpty())
        cause.replace(db.password(), QStringLiteral("***"));
    qCWarning(lcDb).noquote() << "cannot open database" << DataLink::maskPasswords(where) << "--"
                              << link.masked(cause);
    QString text;
    if (link.provider == DataLink::Provider::SQLite)
        text = SqliteFile::explain(db.lastError(), what);
    if (text.isEmpty())
        text = QStringLiteral("Не удалось открыть базу данных %1:\n%2")
                   .arg(DataLink::maskPasswords(what), db.lastError().text());
    throw DbError(link.masked(text));
}

} // namespace

Database::Database(const DataLink& link, const QString& connectionName) : m_name(connectionName)
{
    const bool sqlite = link.provider == DataLink::Provider::SQLite;
    m_engine = sqlite ? Engine::SQLite : Engine::PostgreSQL;
    const QString driver = sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    if (!QSqlDatabase::isDriverAvailable(driver))
        throw DbError(QStringLiteral("Драйвер базы данных %1 не установлен.").arg(driver));

    QSqlDatabase db = QSqlDatabase::addDatabase(driver, m_name);
    bool readOnly = false;
    try {
        if (sqlite) {
            SqliteFile::checkPath(link.databaseFile());
            db.setDatabaseName(link.databaseFile());
            db.setConnectOptions(
                QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000") +
                (link.readOnly ? QStringLiteral(";QSQLITE_OPEN_READONLY") : QString()));
            if (!db.open())
                openFailed(db, link, link.databaseFile());
            registerSqliteFunctions(db);
            // Nothing is written to a file before it is known to be ours.
            readOnly = SqliteFile::check(db);
            const bool networkShare = SqliteFile::onNetworkShare(link.databaseFile());
            if (networkShare)
                m_notice = SqliteFile::networkShareText(link.databaseFile());
            // The journal mode of a file that can only be read stays as it is.
            if (!readOnly && networkShare)
                useRollbackJournal(db);
            else if (!readOnly)
                enableWal(db);
            // Listings read much of the file: map it and cache 64 MiB instead
            // of 2, so they need no read call per page. Mapped pages count as
            // the program's memory, and reading a few of them maps their
            // neighbours too: 256 MiB holds a directory of a few hundred
            // thousand records, and keeps a larger one within bounds.
            Sql::run(db, QStringLiteral("PRAGMA mmap_size=268435456"));
            Sql::run(db, QStringLiteral("PRAGMA cache_size=-65536"));
        } else {
            db.setHostName(link.dataSource);
            db.setPort(link.port);
            db.setDatabaseName(link.catalog);
            db.setUserName(link.user);
            db.setPassword(link.password);
            db.setConnectOptions(Connection::postgresOptions());
            if (!db.open())
                openFailed(db, link, link.catalog);
            Connection::configure(db);
        }
        // A database that can only be read is browsed as it is.
        if (!readOnly)
            Schema::ensure(db);
    } catch (...) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        throw;
    }
}

Database::~Database()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase Database::db() const
{
    return QSqlDatabase::database(m_name, false);
}

Engine Database::engineOf(const QSqlDatabase& db)
{
    return db.driverName() == QLatin1String("QPSQL") ? Engine::PostgreSQL : Engine::SQLite;
}

bool Database::isReadOnly(const QSqlDatabase& db)
{
    return engineOf(db) == Engine::SQLite && SqliteFile::readOnly(db);
}

QString Database::fold(const QString& text)
{
    // Lower-casing Σ gives σ or, at the end of a word, ς, depending on who
    // lowers (Qt never writes ς, ICU does): both count as σ.
    return text.toLower().replace(QChar(0x3C2), QChar(0x3C3));
}

// The search compares every record's names in lower case, so the common
// alphabets are lowered on the UTF-8 bytes directly: ASCII, and the basic
// Cyrillic capitals U+0400 to U+042F (two bytes, lead byte D0). Anything else
// goes through fold(), which gives the same result for these.
QByteArray Database::lowerUtf8(const QByteArray& text)
{
    QByteArray lowered(text.size(), Qt::Uninitialized);
    char* out = lowered.data();
    const auto* in = reinterpret_cast<const unsigned char*>(text.constData());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char c = in[i];
        if (c < 0x80) {
            *out++ = char(c >= 'A' && c <= 'Z' ? c + 0x20 : c);
            continue;
        }
        const unsigned char next = i + 1 < size ? in[i + 1] : 0;
        if (c == 0xD0 && next >= 0x80 && next <= 0xBF) {
            if (next <= 0x8F) { // U+0400..U+040F -> U+0450..U+045F
                *out++ = char(0xD1);
                *out++ = char(next + 0x10);
            } else if (next <= 0x9F) { // U+0410..U+041F -> U+0430..U+043F
                *out++ = char(0xD0);
                *out++ = char(next + 0x20);
            } else if (next <= 0xAF) { // U+0420..U+042F -> U+0440..U+044F
                *out++ = char(0xD1);
                *out++ = char(next - 0x20);
            } else { // U+0430..U+043F, lower case already
                *out++ = char(c);
                *out++ = char(next);
            }
            ++i;
        } else if (c == 0xD1 && next >= 0x80 && next <= 0x9F) { // U+0440..U+045F
            *out++ = char(c);
            *out++ = char(next);
            ++i;
        } else {
            return fold(QString::fromUtf8(text)).toUtf8();
        }
    }
    return lowered;
}

void Database::registerSqliteFunctions(const QSqlDatabase& db)
{
    sqlite3* handle = SqliteFile::handle(db.driver());
    if (!handle)
        throw DbError(QStringLiteral("Нет доступа к соединению SQLite."));
    if (SqliteFunctions::registerOn(handle) != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(handle)));
}
