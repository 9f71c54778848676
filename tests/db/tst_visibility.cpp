// SPDX-License-Identifier: MIT
#include "TestDatabase.h"
#include "db/HiddenFields.h"
#include "db/Sql.h"
#include "db/Visibility.h"

#include <QtTest>

using Filter = Visibility::Filter;

class TestVisibility : public QObject
{
    Q_OBJECT

private slots:
    void codes();
    void mapMatchesTheEnums();
    void wholeRecord_data();
    void wholeRecord();
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
    using C = HiddenCode;
    QVERIFY(HiddenFields::has(QStringLiteral(" 1 8 12 "), C::AllAddresses));
    QVERIFY(HiddenFields::has(QStringLiteral(" 1 8 12 "), C::WorkPhone));
    QVERIFY(!HiddenFields::has(QStringLiteral(" 11 "), C::AllAddresses));
    QVERIFY(!HiddenFields::has(QStringLiteral(" 11 "), C::Requisites));
    QVERIFY(!HiddenFields::has(QStringLiteral("all"), C::AllAddresses));
    QVERIFY(!HiddenFields::has(QStringLiteral(" "), C::AllAddresses));
    QVERIFY(!HiddenFields::has(QString(), C::OtherPhones));
    QVERIFY(HiddenFields::has(QStringLiteral(" 18 "), C::OtherPhones));
}

// Stored databases hold the numbers: the map lists every code once, in the
// enum's order, numbered 1 to 18; every part is hidden by a code of its own,
// and the phone of kind k by the code 11 + k alone.
void TestVisibility::mapMatchesTheEnums()
{
    const QList<HiddenCode>& codes = HiddenFields::codes();
    QCOMPARE(codes.size(), int(HiddenCode::OtherPhones) + 1);
    for (int i = 0; i < codes.size(); ++i) {
        QCOMPARE(int(codes.at(i)), i);
        QCOMPARE(HiddenFields::number(codes.at(i)), i + 1);
    }
    for (int p = 0; p <= int(HiddenPart::OtherPhones); ++p) {
        const HiddenCode own = HiddenFields::code(HiddenPart(p));
        QCOMPARE(HiddenFields::parts(own), QList<HiddenPart>{HiddenPart(p)});
    }
    for (int kind = 1; kind <= 6; ++kind) {
        QCOMPARE(HiddenFields::number(HiddenFields::code(HiddenFields::phone(kind))), 11 + kind);
        QVERIFY(HiddenFields::parts(HiddenCode::AllPhones).contains(HiddenFields::phone(kind)));
    }
}

// The record hidden as a whole: one rule for the C++ test and the SQL one, the
// marker anywhere in the text, letter case kept.
void TestVisibility::wholeRecord_data()
{
    QTest::addColumn<QVariant>("hided");
    QTest::addColumn<bool>("whole");
    QTest::newRow("marker") << QVariant(HiddenFields::wholeRecord()) << true;
    QTest::newRow("with blanks") << QVariant(QStringLiteral(" all\t")) << true;
    QTest::newRow("with a code") << QVariant(QStringLiteral("all 8 ")) << true;
    QTest::newRow("codes") << QVariant(QStringLiteral(" 1 8 12 ")) << false;
    QTest::newRow("upper case") << QVariant(QStringLiteral("ALL")) << false;
    QTest::newRow("empty") << QVariant(QString()) << false;
    QTest::newRow("NULL") << QVariant(QMetaType::fromType<QString>()) << false;
}

void TestVisibility::wholeRecord()
{
    SPRAV_REQUIRE_DATABASE();
    QFETCH(QVariant, hided);
    QFETCH(bool, whole);
    QCOMPARE(HiddenFields::hidesWholeRecord(hided.toString()), whole);
    TestDatabase test;
    QSqlQuery query =
        Sql::run(test.db(),
                 QStringLiteral("SELECT CASE WHEN %1 THEN 1 ELSE 0 END")
                     .arg(HiddenFields::wholeRecordSql(QStringLiteral("CAST(:hided AS TEXT)"))),
                 {{"hided", hided}});
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toInt() == 1, whole);
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
