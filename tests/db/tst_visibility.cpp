// SPDX-License-Identifier: MIT
#include "TestDatabase.h"
#include "db/Sql.h"
#include "db/Visibility.h"

#include <QtTest>

using Filter = Visibility::Filter;

class TestVisibility : public QObject
{
    Q_OBJECT

private slots:
    void codes();
    void permittedUsers();
    void phoneHiddenFlag();
    void filters_data();
    void filters();
    void userNameIsNeverSpliced();

private:
    static QList<int> idsFor(const QSqlDatabase& db, Filter variant, const QString& user);
    static void seed(const QSqlDatabase& db);
};

void TestVisibility::codes()
{
    QVERIFY(Visibility::HasCode(QStringLiteral(" 1 8 12 "), 1));
    QVERIFY(Visibility::HasCode(QStringLiteral(" 1 8 12 "), 12));
    QVERIFY(!Visibility::HasCode(QStringLiteral(" 11 "), 1));
    QVERIFY(!Visibility::HasCode(QStringLiteral(" 11 "), 10));
    QVERIFY(!Visibility::HasCode(QStringLiteral("all"), 1));
    QVERIFY(!Visibility::HasCode(QStringLiteral(" "), 1));
    QVERIFY(!Visibility::HasCode(QString(), 18));
    QVERIFY(Visibility::HasCode(QStringLiteral(" 18 "), 18));
}

void TestVisibility::permittedUsers()
{
    QVERIFY(Visibility::IsPermitted(QStringLiteral(" u1 u2 "), QStringLiteral("u2")));
    QVERIFY(!Visibility::IsPermitted(QStringLiteral(" u12 "), QStringLiteral("u1")));
    QVERIFY(!Visibility::IsPermitted(QStringLiteral(" u1 "), QStringLiteral("u12")));
    QVERIFY(!Visibility::IsPermitted(QStringLiteral(" Петров "), QStringLiteral("петров")));
    QVERIFY(!Visibility::IsPermitted(QString(), QStringLiteral("u1")));
    // Nobody named: everybody is exempt from the record view's blanking.
    QVERIFY(Visibility::IsExempt(QString(), QStringLiteral("u1")));
    QVERIFY(Visibility::IsExempt(QStringLiteral(" u1 "), QStringLiteral("u1")));
    QVERIFY(!Visibility::IsExempt(QStringLiteral(" u12 "), QStringLiteral("u1")));
}

void TestVisibility::phoneHiddenFlag()
{
    const QString allPhones = QStringLiteral(" 11 ");
    for (int kind = 1; kind <= 6; ++kind)
        QVERIFY(Visibility::PhoneHidFor(allPhones, kind));
    const QString homeOnly = QStringLiteral(" 2 13 ");
    QVERIFY(Visibility::PhoneHidFor(homeOnly, 2));
    QVERIFY(!Visibility::PhoneHidFor(homeOnly, 1));
    QVERIFY(!Visibility::PhoneHidFor(homeOnly, 3));
    QVERIFY(Visibility::PhoneHidFor(QStringLiteral(" 17 "), 6));
    // "all" hides the record, not its phone rows.
    for (int kind = 1; kind <= 6; ++kind)
        QVERIFY(!Visibility::PhoneHidFor(QStringLiteral("all"), kind));
}

// Records 1..8: what each hides and for whom.
void TestVisibility::seed(const QSqlDatabase& db)
{
    const QList<QPair<QString, QString>> rows = {
        {QString(), QString()},                                  // 1 public
        {QStringLiteral("all"), QStringLiteral(" u1 ")},         // 2 whole record, u1 only
        {QStringLiteral("all"), QStringLiteral(" u12 ")},        // 3 whole record, u12 only
        {QStringLiteral(" 8 "), QStringLiteral(" u1 ")},         // 4 birthday hidden
        {QStringLiteral(" 9 "), QStringLiteral(" u1 ")},         // 5 spouse hidden
        {QStringLiteral(" "), QString()},                        // 6 nothing hidden
        {QStringLiteral("all"), QString()},                      // 7 hidden from everybody
        {QStringLiteral(" 1 8 12 "), QStringLiteral(" u2 u1 ")}, // 8 several codes
    };
    for (const auto& [hided, owns] : rows)
        Sql::run(db,
                 QStringLiteral("INSERT INTO sprav (f, hided, owns) VALUES (:f, :hided, :owns)"),
                 {{"f", QStringLiteral("x")}, {"hided", hided}, {"owns", owns}});
    // A record written by hand without the privacy columns at all.
    Sql::run(db, QStringLiteral("INSERT INTO sprav (f) VALUES (:f)"), {{"f", QStringLiteral("y")}});
}

QList<int> TestVisibility::idsFor(const QSqlDatabase& db, Filter variant, const QString& user)
{
    QSqlQuery query =
        Sql::prepare(db, QStringLiteral("SELECT sprav.id FROM sprav WHERE %1 ORDER BY sprav.id")
                             .arg(Visibility::VisibilityFilter(variant)));
    Visibility::bindUser(query, user);
    Sql::exec(query);
    QList<int> ids;
    while (query.next())
        ids << query.value(0).toInt();
    return ids;
}

void TestVisibility::filters_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QList<int>>("expected");

    for (Filter list : {Filter::Plain, Filter::Qualified}) {
        const QByteArray name = list == Filter::Plain ? "plain" : "qualified";
        QTest::newRow(name + " u1") << int(list) << "u1" << QList<int>{1, 2, 4, 5, 6, 8, 9};
        QTest::newRow(name + " u12") << int(list) << "u12" << QList<int>{1, 3, 4, 5, 6, 8, 9};
        QTest::newRow(name + " stranger") << int(list) << "u3" << QList<int>{1, 4, 5, 6, 8, 9};
    }
    for (Filter list : {Filter::Birthday, Filter::BirthdayProbe}) {
        const QByteArray name = list == Filter::Birthday ? "birthday" : "probe";
        QTest::newRow(name + " u1") << int(list) << "u1" << QList<int>{1, 2, 4, 5, 6, 8, 9};
        QTest::newRow(name + " u2") << int(list) << "u2" << QList<int>{1, 5, 6, 8, 9};
        QTest::newRow(name + " stranger") << int(list) << "u3" << QList<int>{1, 5, 6, 9};
    }
}

void TestVisibility::filters()
{
    SPRAV_REQUIRE_DATABASE();
    QFETCH(int, variant);
    QFETCH(QString, user);
    QFETCH(QList<int>, expected);
    TestDatabase test;
    seed(test.db());
    QCOMPARE(idsFor(test.db(), Filter(variant), user), expected);
}

void TestVisibility::userNameIsNeverSpliced()
{
    SPRAV_REQUIRE_DATABASE();
    TestDatabase test;
    seed(test.db());
    // A name that would break out of a quoted text finds only the public records.
    const QString hostile = QStringLiteral("u1')))) or 1=1 or ((('");
    QCOMPARE(idsFor(test.db(), Filter::Plain, hostile), QList<int>({1, 4, 5, 6, 8, 9}));
    QCOMPARE(idsFor(test.db(), Filter::Plain, QStringLiteral("u1' ")),
             QList<int>({1, 4, 5, 6, 8, 9}));
    QSqlQuery count = Sql::run(test.db(), QStringLiteral("SELECT COUNT(*) FROM sprav"));
    QVERIFY(count.next());
    QCOMPARE(count.value(0).toInt(), 9);
}

QTEST_GUILESS_MAIN(TestVisibility)
#include "tst_visibility.moc"
