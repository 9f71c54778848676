// SPDX-License-Identifier: MIT
#include "Parallel.h"
#include "TestDatabase.h"
#include "auth/AccountStore.h"
#include "auth/PasswordHash.h"
#include "auth/PasswordHashError.h"
#include "common/DbError.h"
#include "db/Sql.h"

#include <QScopeGuard>
#include <QtTest>
#include <latch>
#include <limits>
#include <sodium.h>
#include <vector>

using Outcome = AccountStore::Outcome;

class TestAccountStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void registeredUserSignsIn();
    void nameInOtherLetterCase();
    void registrationRefusesAnyCaseAndKeepsText();
    void legacyPlainPasswordIsRehashed();
    void nullAndEmptyPasswords();
    void storedHashIsNoPassword();
    void injectionTextIsJustAName();
    void severalSpellingsPreferTheExactOne();
    void hashFailureWritesNothing();
    void simultaneousRegistrationsOfOneName();

private:
    void addRaw(const QString& log, const QVariant& pass);
    QString storedPass(const QString& log);
    int userCount();
    void holdUsersUntilTwoWait(const QSqlDatabase& db, std::latch& locked);

    std::unique_ptr<TestDatabase> m_database;
    QSqlDatabase m_db;
};

void TestAccountStore::initTestCase()
{
    PasswordHash::setCostForTesting(crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN);
}

void TestAccountStore::init()
{
    SPRAV_REQUIRE_DATABASE();
    m_database = std::make_unique<TestDatabase>();
    m_db = m_database->db();
}

void TestAccountStore::cleanup()
{
    m_db = QSqlDatabase();
    m_database.reset();
}

void TestAccountStore::addRaw(const QString& log, const QVariant& pass)
{
    Sql::run(m_db, QStringLiteral("INSERT INTO users (log, pass) VALUES (:log, :pass)"),
             {{"log", log}, {"pass", pass}});
}

QString TestAccountStore::storedPass(const QString& log)
{
    QSqlQuery q =
        Sql::run(m_db, QStringLiteral("SELECT pass FROM users WHERE log = :log"), {{"log", log}});
    return q.next() ? Sql::text(q, 0) : QStringLiteral("<no row>");
}

int TestAccountStore::userCount()
{
    QSqlQuery q = Sql::run(m_db, QStringLiteral("SELECT COUNT(*) FROM users"));
    return q.next() ? q.value(0).toInt() : -1;
}

void TestAccountStore::registeredUserSignsIn()
{
    AccountStore store(m_db);
    QVERIFY(store.registerUser(QStringLiteral("Иван"), QStringLiteral("пароль")));
    const QString stored = storedPass(QStringLiteral("Иван"));
    QVERIFY2(PasswordHash::isHash(stored), qPrintable(stored));
    QVERIFY(!stored.contains(QStringLiteral("пароль")));

    const AccountStore::Login ok = store.login(QStringLiteral("Иван"), QStringLiteral("пароль"));
    QCOMPARE(ok.outcome, Outcome::Accepted);
    QCOMPARE(ok.user, QStringLiteral("Иван"));
    QCOMPARE(store.login(QStringLiteral("Иван"), QStringLiteral("Пароль")).outcome,
             Outcome::WrongPassword);
    QCOMPARE(store.login(QStringLiteral("Иван"), QString()).outcome, Outcome::WrongPassword);
    QCOMPARE(store.login(QStringLiteral("Ива"), QStringLiteral("пароль")).outcome,
             Outcome::Unknown);
    // A second registration hashes with a new salt.
    QVERIFY(store.registerUser(QStringLiteral("Пётр"), QStringLiteral("пароль")));
    QVERIFY(storedPass(QStringLiteral("Пётр")) != stored);
}

void TestAccountStore::nameInOtherLetterCase()
{
    AccountStore store(m_db);
    QVERIFY(store.registerUser(QStringLiteral("Ёлкин"), QStringLiteral("1")));
    QVERIFY(store.registerUser(QStringLiteral("Smith"), QStringLiteral("2")));

    const AccountStore::Login cyrillic = store.login(QStringLiteral("ёЛКИН"), QStringLiteral("1"));
    QCOMPARE(cyrillic.outcome, Outcome::Accepted);
    QCOMPARE(cyrillic.user, QStringLiteral("Ёлкин"));
    const AccountStore::Login latin = store.login(QStringLiteral("SMITH"), QStringLiteral("2"));
    QCOMPARE(latin.outcome, Outcome::Accepted);
    QCOMPARE(latin.user, QStringLiteral("Smith"));
    QVERIFY(store.exists(QStringLiteral("smith")));
}

void TestAccountStore::registrationRefusesAnyCaseAndKeepsText()
{
    AccountStore store(m_db);
    QVERIFY(store.registerUser(QStringLiteral("Мария"), QStringLiteral("a")));
    QVERIFY(!store.registerUser(QStringLiteral("МАРИЯ"), QStringLiteral("b")));
    QVERIFY(!store.registerUser(QStringLiteral("мария"), QStringLiteral("b")));
    QCOMPARE(userCount(), 1);
    QCOMPARE(store.login(QStringLiteral("Мария"), QStringLiteral("a")).outcome, Outcome::Accepted);

    // Neither the name nor the password is trimmed.
    QVERIFY(store.registerUser(QStringLiteral("\tpat"), QStringLiteral(" p ")));
    QCOMPARE(store.login(QStringLiteral("\tpat"), QStringLiteral("p")).outcome,
             Outcome::WrongPassword);
    QCOMPARE(store.login(QStringLiteral("\tpat"), QStringLiteral(" p ")).outcome,
             Outcome::Accepted);
    QCOMPARE(store.login(QStringLiteral("pat"), QStringLiteral(" p ")).outcome, Outcome::Unknown);
}

void TestAccountStore::legacyPlainPasswordIsRehashed()
{
    addRaw(QStringLiteral("old"), QStringLiteral("plain"));
    AccountStore store(m_db);
    QCOMPARE(store.login(QStringLiteral("old"), QStringLiteral("Plain")).outcome,
             Outcome::WrongPassword);
    QCOMPARE(storedPass(QStringLiteral("old")), QStringLiteral("plain"));

    const AccountStore::Login ok = store.login(QStringLiteral("OLD"), QStringLiteral("plain"));
    QCOMPARE(ok.outcome, Outcome::Accepted);
    QCOMPARE(ok.user, QStringLiteral("old"));
    const QString rehashed = storedPass(QStringLiteral("old"));
    QVERIFY2(PasswordHash::isHash(rehashed), qPrintable(rehashed));
    QVERIFY(PasswordHash::verify(rehashed, QStringLiteral("plain")));
    QCOMPARE(store.login(QStringLiteral("old"), QStringLiteral("plain")).outcome,
             Outcome::Accepted);
    QCOMPARE(userCount(), 1);
}

void TestAccountStore::nullAndEmptyPasswords()
{
    addRaw(QStringLiteral("nobody"), Sql::nullText());
    addRaw(QStringLiteral("blank"), QString(QLatin1String("")));
    AccountStore store(m_db);
    QCOMPARE(store.login(QStringLiteral("nobody"), QStringLiteral("x")).outcome,
             Outcome::WrongPassword);
    QCOMPARE(store.login(QStringLiteral("nobody"), QString()).outcome, Outcome::Accepted);
    QCOMPARE(store.login(QStringLiteral("blank"), QString()).outcome, Outcome::Accepted);
    QVERIFY(PasswordHash::isHash(storedPass(QStringLiteral("nobody"))));

    QVERIFY(store.registerUser(QStringLiteral("empty"), QString()));
    QCOMPARE(store.login(QStringLiteral("empty"), QString()).outcome, Outcome::Accepted);
    QCOMPARE(store.login(QStringLiteral("empty"), QStringLiteral(" ")).outcome,
             Outcome::WrongPassword);
}

void TestAccountStore::storedHashIsNoPassword()
{
    AccountStore store(m_db);
    QVERIFY(store.registerUser(QStringLiteral("anna"), QStringLiteral("secret")));
    const QString hash = storedPass(QStringLiteral("anna"));
    QCOMPARE(store.login(QStringLiteral("anna"), hash).outcome, Outcome::WrongPassword);
}

void TestAccountStore::injectionTextIsJustAName()
{
    AccountStore store(m_db);
    QVERIFY(store.registerUser(QStringLiteral("admin"), QStringLiteral("s")));
    for (const QString& name :
         {QStringLiteral("' OR '1'='1"), QStringLiteral("x'; DROP TABLE users; --"),
          QStringLiteral("admin' --"), QStringLiteral("%"), QStringLiteral("adm_n")})
        QCOMPARE(store.login(name, QStringLiteral("s")).outcome, Outcome::Unknown);
    QCOMPARE(userCount(), 1);

    const QString odd = QStringLiteral("o'brien\"; DELETE FROM users; --");
    QVERIFY(store.registerUser(odd, QStringLiteral("p'q")));
    QCOMPARE(userCount(), 2);
    const AccountStore::Login ok = store.login(odd, QStringLiteral("p'q"));
    QCOMPARE(ok.outcome, Outcome::Accepted);
    QCOMPARE(ok.user, odd);
}

void TestAccountStore::severalSpellingsPreferTheExactOne()
{
    // An older database may hold one name in two spellings (and then has no
    // unique index on the names).
    Sql::run(m_db, QStringLiteral("DROP INDEX IF EXISTS users_log_unique"));
    addRaw(QStringLiteral("Petr"), QStringLiteral("a"));
    addRaw(QStringLiteral("petr"), QStringLiteral("b"));
    AccountStore store(m_db);
    const AccountStore::Login exact = store.login(QStringLiteral("petr"), QStringLiteral("b"));
    QCOMPARE(exact.outcome, Outcome::Accepted);
    QCOMPARE(exact.user, QStringLiteral("petr"));
    const AccountStore::Login oldest = store.login(QStringLiteral("PETR"), QStringLiteral("a"));
    QCOMPARE(oldest.outcome, Outcome::Accepted);
    QCOMPARE(oldest.user, QStringLiteral("Petr"));
    QCOMPARE(store.login(QStringLiteral("PETR"), QStringLiteral("b")).outcome,
             Outcome::WrongPassword);
    QVERIFY(!store.registerUser(QStringLiteral("PETR"), QStringLiteral("c")));

    // Opening the database tells the log which names are doubled.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("\\bPetr, petr\\b")));
    m_database->connectAgain(QStringLiteral("again"));
    QCOMPARE(userCount(), 2);
}

void TestAccountStore::simultaneousRegistrationsOfOneName()
{
    // Two copies register one name at the same moment, in other letter case:
    // one account, and exactly one copy succeeds. On PostgreSQL `users` is
    // kept from writes until both wait, so that both checks would find the
    // name free; SQLite lets one writer in at a time anyway.
    std::latch locked(1);
    std::vector<int> added(2);
    const QStringList errors = runInParallel(3, [&](int n) {
        const auto copy = m_database->connectAgain(QStringLiteral("copy%1").arg(n));
        if (n == 2) {
            holdUsersUntilTwoWait(copy->db(), locked);
            return;
        }
        locked.wait();
        added[n] =
            AccountStore(copy->db())
                .registerUser(n == 0 ? QStringLiteral("Сотрудник") : QStringLiteral("СОТРУДНИК"),
                              QString());
    });
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
    QCOMPARE(added[0] + added[1], 1);
    QCOMPARE(userCount(), 1);
    // PostgreSQL's unique index holds against any other program, too.
    if (m_database->engine() == Engine::PostgreSQL)
        QVERIFY_THROWS_EXCEPTION(DbError, addRaw(QStringLiteral("сотрудник"), QString()));
}

void TestAccountStore::holdUsersUntilTwoWait(const QSqlDatabase& db, std::latch& locked)
{
    if (Database::engineOf(db) != Engine::PostgreSQL) {
        locked.count_down();
        return;
    }
    // Locks are watched from another connection: within a transaction
    // pg_stat_activity keeps showing what it showed first.
    const auto watch = m_database->connectAgain(QStringLiteral("watch"));
    Sql::Transaction transaction(db);
    try {
        Sql::run(db, QStringLiteral("LOCK TABLE users IN SHARE MODE"));
    } catch (...) {
        locked.count_down();
        throw;
    }
    locked.count_down();
    const bool waiting = QTest::qWaitFor([&] {
        QSqlQuery q = Sql::run(watch->db(), QStringLiteral("SELECT count(*) FROM pg_stat_activity "
                                                           "WHERE datname = current_database() "
                                                           "AND wait_event_type = 'Lock'"));
        return q.next() && q.value(0).toInt() == 2;
    });
    if (!waiting)
        throw DbError(QStringLiteral("the registrations did not wait for the lock"));
}

void TestAccountStore::hashFailureWritesNothing()
{
    addRaw(QStringLiteral("old"), QStringLiteral("plain"));
    AccountStore store(m_db);
    // A memory limit beyond libsodium's range makes every hash fail.
    PasswordHash::setCostForTesting(crypto_pwhash_OPSLIMIT_MIN,
                                    std::numeric_limits<std::size_t>::max());
    const auto restore = qScopeGuard([] {
        PasswordHash::setCostForTesting(crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN);
    });
    QVERIFY_THROWS_EXCEPTION(PasswordHashError,
                             store.registerUser(QStringLiteral("new"), QStringLiteral("p")));
    QVERIFY_THROWS_EXCEPTION(PasswordHashError,
                             store.login(QStringLiteral("old"), QStringLiteral("plain")));
    QCOMPARE(userCount(), 1);
    QCOMPARE(storedPass(QStringLiteral("old")), QStringLiteral("plain"));
}

QTEST_GUILESS_MAIN(TestAccountStore)
#include "tst_accountstore.moc"
