// SPDX-License-Identifier: MIT
#include "DataGenerator.h"
#include "RecordSeed.h"
#include "SampleRecord.h"
#include "TestDatabase.h"
#include "common/DbError.h"
#include "db/ContactIndex.h"
#include "db/Sql.h"
#include "db/StoredText.h"
#include "db/Visibility.h"
#include "exchange/VisibleRecords.h"
#include "records/RecordStore.h"
#include "search/ListingQueries.h"
#include "search/SearchRequest.h"

#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>

namespace
{

const QString u1 = QStringLiteral("u1");
const QString u2 = QStringLiteral("u2");

QStringList names(const std::optional<QList<FoundRow>>& rows)
{
    QStringList list;
    for (const FoundRow& row : rows.value_or(QList<FoundRow>()))
        list.append(row.name.trimmed());
    return list;
}

int addRecord(const QSqlDatabase& db, const QString& f, const QString& shortpp = QString(),
              const QString& hided = QString(), const QString& owns = QString())
{
    return RecordSeed::record(db, SampleRecord::person(f).firm(shortpp).hided(hided).owns(owns));
}

QList<int> idsWhere(const QSqlDatabase& db, const QString& condition,
                    const std::function<void(QSqlQuery&)>& bind)
{
    QSqlQuery query =
        Sql::prepare(db, QStringLiteral("SELECT sprav.id FROM sprav WHERE ") + condition);
    bind(query);
    Visibility::bindUser(query, u2);
    Sql::exec(query);
    QList<int> ids;
    while (query.next())
        ids.append(query.value(0).toInt());
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace

class TestContactSearch : public QObject
{
    Q_OBJECT

private slots:
    void init() { SPRAV_REQUIRE_DATABASE(); }
    void requestKinds_data();
    void requestKinds();
    void numberForms_data();
    void numberForms();
    void hiddenPhonesNeverFound_data();
    void hiddenPhonesNeverFound();
    void emailSearch();
    void numberAndEmailTextsFindNamesToo_data();
    void numberAndEmailTextsFindNamesToo();
    void hostileTextsAnswerWithAList_data();
    void hostileTextsAnswerWithAList();
    void indexEqualsPlainScan();
};

void TestContactSearch::requestKinds_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("kind");
    const auto kind = [](SearchRequest::Kind k) { return int(k); };
    QTest::newRow("full number") << "+7 (843) 512-34-56" << kind(SearchRequest::Kind::Phone);
    QTest::newRow("four digits") << " 34-56 " << kind(SearchRequest::Kind::Phone);
    QTest::newRow("dots, no-break space") << "512.34\u00a056" << kind(SearchRequest::Kind::Phone);
    QTest::newRow("three digits") << "1 2 3" << kind(SearchRequest::Kind::Name);
    QTest::newRow("digits and letters") << "Цех 512" << kind(SearchRequest::Kind::Name);
    QTest::newRow("e-mail part") << "@ma" << kind(SearchRequest::Kind::Email);
    QTest::newRow("address") << "Ivanov@Mail.ru" << kind(SearchRequest::Kind::Email);
    QTest::newRow("too short") << " a@ " << kind(SearchRequest::Kind::None);
    QTest::newRow("name") << "Иванов" << kind(SearchRequest::Kind::Name);
}

void TestContactSearch::requestKinds()
{
    QFETCH(QString, typed);
    QFETCH(int, kind);
    QCOMPARE(int(SearchRequest(typed).kind()), kind);
}

void TestContactSearch::numberForms_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found");
    const QStringList local = {QStringLiteral("Городской"), QStringLiteral("Добавочный")};
    QTest::newRow("international") << "+7 (843) 512-34-56" << local.mid(0, 1);
    QTest::newRow("trunk prefix 8") << "8 843 5123456" << local.mid(0, 1);
    // The name holds these texts as typed.
    const QStringList andName = local + QStringList{QStringLiteral("Цех")};
    QTest::newRow("local") << "512-34-56" << andName;
    QTest::newRow("local digits") << "5123456" << local;
    QTest::newRow("four digits") << "34-56" << andName;
    QTest::newRow("with extension") << "512-34-56 12" << local.mid(1);
    QTest::newRow("short number with comment") << "2-12-34" << QStringList{"Приёмная"};
    QTest::newRow("stored without codes") << "8 (843) 212-30-40" << QStringList{"Без кода"};
    QTest::newRow("mobile +7 finds 8") << "+7 917 000 11 22" << QStringList{"Мобильный"};
    QTest::newRow("not stored") << "+7 843 999-99-99" << QStringList{};
    QTest::newRow("three digits are a name") << "512" << QStringList{"Цех"};
    QTest::newRow("digits and letters are a name") << "Цех 512" << QStringList{"Цех"};
}

// Phones stored as users write them, found by numbers typed in any common
// form; the digits alone count.
void TestContactSearch::numberForms()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, found);
    TestDatabase test;
    const QSqlDatabase db = test.db();
    RecordSeed::phone(db, addRecord(db, QStringLiteral("Городской")), 1,
                      QStringLiteral("+7 (843) 512-34-56"));
    RecordSeed::phone(db, addRecord(db, QStringLiteral("Добавочный")), 1,
                      QStringLiteral("512-34-56 доб. 12"));
    RecordSeed::phone(db, addRecord(db, QStringLiteral("Приёмная")), 2,
                      QStringLiteral("2-12-34 (приёмная)"));
    RecordSeed::phone(db, addRecord(db, QStringLiteral("Без кода")), 1,
                      QStringLiteral("212-30-40"));
    RecordSeed::phone(db, addRecord(db, QStringLiteral("Мобильный")), 3,
                      QStringLiteral("8-917-000-11-22"));
    // A name is found by the text as typed, never by its digits alone.
    addRecord(db, QStringLiteral("Цех"), QStringLiteral("Цех 512-34-56"));
    QCOMPARE(names(ListingQueries(db, u1).search(typed)), found);
}

void TestContactSearch::hiddenPhonesNeverFound_data()
{
    QTest::addColumn<QString>("hided");
    QTest::addColumn<QString>("owns");
    QTest::addColumn<bool>("hid");
    QTest::addColumn<bool>("forU1"); // the phone of kind k found for u1 (named in owns)
    QTest::addColumn<bool>("forU2"); // and for u2 (not named)
    QTest::newRow("nothing hidden") << " "
                                    << "" << false << true << true;
    QTest::newRow("hid flag") << " "
                              << " u1 " << true << true << false;
    QTest::newRow("all phones (11)") << " 11 "
                                     << " u1 " << false << true << false;
    QTest::newRow("its kind's code") << "kind"
                                     << " u1 " << false << true << false;
    QTest::newRow("another kind's code") << "other"
                                         << " u1 " << false << true << true;
    QTest::newRow("e-mail only (7)") << " 7 "
                                     << " u1 " << false << true << true;
    QTest::newRow("whole record") << "all"
                                  << " u1 " << false << true << false;
    QTest::newRow("hidden, nobody named") << " 11 "
                                          << "" << true << false << false;
}

// For each phone kind: a hidden number typed in full finds nothing for a user
// who may not see it, exactly as if it were not stored.
void TestContactSearch::hiddenPhonesNeverFound()
{
    QFETCH(QString, hided);
    QFETCH(QString, owns);
    QFETCH(bool, hid);
    QFETCH(bool, forU1);
    QFETCH(bool, forU2);
    TestDatabase test;
    const QSqlDatabase db = test.db();
    for (int kind = 1; kind <= 6; ++kind) {
        QString codes = hided;
        if (hided == QLatin1String("kind"))
            codes = QStringLiteral(" %1 ").arg(11 + kind);
        else if (hided == QLatin1String("other"))
            codes = QStringLiteral(" %1 ").arg(11 + kind % 6 + 1);
        const QString name = QStringLiteral("Запись%1").arg(kind);
        const int id = addRecord(db, name, QString(), codes, owns);
        const QString number = QStringLiteral("+7 (843) 50%1-00-0%1").arg(kind);
        RecordSeed::phone(db, id, kind, number, hid);
        for (const auto& [user, visible] : {std::pair{u1, forU1}, std::pair{u2, forU2}}) {
            const QStringList found = names(ListingQueries(db, user).search(number));
            QVERIFY2(
                found == (visible ? QStringList{name} : QStringList{}),
                qPrintable(
                    QStringLiteral("%1, kind %2: %3").arg(user).arg(kind).arg(found.join(u','))));
        }
    }
}

void TestContactSearch::emailSearch()
{
    TestDatabase test;
    const QSqlDatabase db = test.db();
    const auto withMail = [&](const QString& f, const QString& email, const QString& hided,
                              const QString& owns) {
        const int id = addRecord(db, f, QString(), hided, owns);
        Sql::run(db, QStringLiteral("UPDATE sprav SET email = :email WHERE id = :id"),
                 {{"email", email}, {"id", id}});
    };
    withMail(QStringLiteral("Открытый"), QStringLiteral("Ivanov@Mail.ru"), QString(), QString());
    withMail(QStringLiteral("Скрытый"), QStringLiteral("petrov@mail.ru"), QStringLiteral(" 7 "),
             QStringLiteral(" u1 "));
    withMail(QStringLiteral("Весь скрыт"), QStringLiteral("sidorov@mail.ru"), QStringLiteral("all"),
             QStringLiteral(" u1 "));
    withMail(QStringLiteral("Ничей"), QStringLiteral("nobody@mail.ru"), QStringLiteral(" 7 "),
             QString());
    withMail(QStringLiteral("Телефон скрыт"), QStringLiteral("open@list.ru"),
             QStringLiteral(" 11 "), QStringLiteral(" u1 "));
    QCOMPARE(names(ListingQueries(db, u1).search(QStringLiteral("@MAIL.RU"))),
             (QStringList{"Весь скрыт", "Открытый", "Скрытый"}));
    QCOMPARE(names(ListingQueries(db, u2).search(QStringLiteral("@mail.ru"))),
             QStringList{"Открытый"});
    QCOMPARE(names(ListingQueries(db, u2).search(QStringLiteral("petrov@mail.ru"))), QStringList{});
    QCOMPARE(names(ListingQueries(db, u2).search(QStringLiteral("N@LIST"))),
             QStringList{"Телефон скрыт"});
    QCOMPARE(names(ListingQueries(db, u1).search(QStringLiteral("%@_"))), QStringList{});
}

void TestContactSearch::numberAndEmailTextsFindNamesToo_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("forU1"); // named in the owns of the hidden contacts
    QTest::addColumn<QStringList>("forU2"); // named in none
    const QStringList u2Sees = {"Аптека", "Гимназия 1234", "Школа 1234"};
    QTest::newRow("digits in names and phones")
        << "1234" << QStringList{"Аптека", "Банк", "Гимназия 1234", "Школа 1234"} << u2Sees;
    QTest::newRow("digits in a name only")
        << "1534" << QStringList{"Лицей 1534"} << QStringList{"Лицей 1534"};
    QTest::newRow("number form in phones only")
        << "12-34" << QStringList{"Аптека", "Банк", "Гимназия 1234"} << QStringList{"Аптека"};
    QTest::newRow("e-mail text in names and e-mails")
        << "info@" << QStringList{"Кафе", "Клуб info@", "Почта"}
        << QStringList{"Кафе", "Клуб info@"};
}

// A number or a text with @ finds the names that hold it as well as the
// phones or e-mails, in the list's order; a hidden contact finds nothing for
// a user who may not see it. The grid's ids, the full listing and the
// export's search agree.
void TestContactSearch::numberAndEmailTextsFindNamesToo()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, forU1);
    QFETCH(QStringList, forU2);
    TestDatabase test;
    const QSqlDatabase db = test.db();
    const auto add = [&](const char* f, const char* phone = "", bool hid = false,
                         const char* hided = "", const char* email = "") {
        const int id = addRecord(db, QString::fromUtf8(f), QString(), QString::fromUtf8(hided),
                                 *hided || hid ? QStringLiteral(" u1 ") : QString());
        if (*phone)
            RecordSeed::phone(db, id, 1, QString::fromUtf8(phone), hid);
        if (*email)
            Sql::run(db, QStringLiteral("UPDATE sprav SET email = :email WHERE id = :id"),
                     {{"email", QString::fromUtf8(email)}, {"id", id}});
    };
    add("Школа 1234");
    add("Лицей 1534", "999-99-99");
    add("Аптека", "512-34-56");
    add("Банк", "12-34-00", true);
    add("Гимназия 1234", "12-34-00", true);
    add("Завод", "777-00-00");
    add("Клуб info@");
    add("Кафе", "", false, "", "info@cafe.ru");
    add("Почта", "", false, " 7 ", "info@mail.ru");
    for (const auto& [user, expected] : {std::pair{u1, forU1}, std::pair{u2, forU2}}) {
        const std::optional<QList<FoundRow>> rows = ListingQueries(db, user).search(typed);
        QCOMPARE(names(rows), expected);
        QList<int> ids;
        for (const FoundRow& row : *rows)
            ids.append(row.id);
        QCOMPARE(ListingQueries(db, user).searchIds(typed), ids);
        // On SQLite, the ids kept in the order of all records.
        QCOMPARE(ListingQueries(db, user, ListingQueries::WholePhoneTableAbove, 0).searchIds(typed),
                 ids);
        QCOMPARE(VisibleRecords(db, user).searchIds(typed), ids);
    }
}

void TestContactSearch::hostileTextsAnswerWithAList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("findsItself"); // the search finds the record of that name
    const auto row = [](const char* name, const QString& text, bool findsItself = true) {
        QTest::newRow(name) << text << findsItself;
    };
    // The folded names the search compares are made by the engine, which
    // reads a leading mark as a byte-order mark: a name stored with one is
    // not found with it.
    row("leading byte-order mark", QStringLiteral("\uFEFFИванов"), false);
    row("two leading marks", QStringLiteral("\uFEFF\uFEFFxyz"), false);
    row("mark alone", QStringLiteral("\uFEFF"), false);
    row("marks inside and at the end", QStringLiteral("a\uFEFFb\uFEFF"));
    row("direction and joiner marks", QStringLiteral("\u202Eabc\u200D\u200B"));
    row("combining and astral", QStringLiteral("e\u0301 𝔘𝔫𝔦 \U0001F600"));
    // SQLite gives the noncharacter back as U+FFFD.
    row("leading noncharacter U+FFFE", QStringLiteral("\uFFFEПетров"), false);
    row("NUL inside", QStringLiteral("Ива") + QChar(u'\0') + QStringLiteral("нов"), false);
    row("NUL in a number", QStringLiteral("12") + QChar(u'\0') + QStringLiteral("34-56"), false);
    row("mark before a number", QStringLiteral("\uFEFF+7 (843) 512-34-56"), false);
    row("mark before an e-mail", QStringLiteral("\uFEFFinfo@mail.ru"), false);
    row("statement", QStringLiteral("'); DELETE FROM sprav; --"));
    row("quotes", QStringLiteral("д'Артаньян \"Мушкетёр\";"));
    row("placeholders and wildcards", QStringLiteral("1 OR 1=1 /* :f ? $1 %_ */"));
    row("emoji", QStringLiteral("Смайл 😀 и 👍🏽"));
    row("long", QString(255, QChar(0x0416)));
    row("wildcards only", QStringLiteral("%%%"));
    row("drop table", QStringLiteral("'; DROP TABLE sprav; --"));
}

// Whatever is typed or pasted, the search (names, numbers, e-mails), the
// city listing and the editor's city lookup answer, never with an error.
void TestContactSearch::hostileTextsAnswerWithAList()
{
    QFETCH(QString, text);
    QFETCH(bool, findsItself);
    TestDatabase test;
    const QSqlDatabase db = test.db();
    RecordStore store(db);
    const int other = RecordSeed::record(db, SampleRecord::person("Обычный").hided(" 11 "),
                                         RecordSeed::city(db, QStringLiteral("Казань"), "843"));
    RecordSeed::phone(db, other, 1, QStringLiteral("+7 (843) 512-34-56"), true);
    int own = 0;
    if (StoredText::storable(text)) {
        own = RecordSeed::record(db, SampleRecord::person(text), store.addCity(text, "77"));
        RecordSeed::phone(db, own, 2, text);
    }
    for (const QString& typed :
         {text, text + QStringLiteral("@"), text + QStringLiteral(" 1234")}) {
        const ListingQueries queries(db, u2);
        std::optional<QList<FoundRow>> rows;
        std::optional<QList<int>> ids;
        try {
            rows = queries.search(typed);
            ids = queries.searchIds(typed);
        } catch (const DbError& error) {
            QFAIL(error.what());
        }
        QCOMPARE(rows.has_value(), ids.has_value());
        QCOMPARE(rows.value_or(QList<FoundRow>()).size(), ids.value_or(QList<int>()).size());
        if (typed == text && findsItself)
            QCOMPARE(ids, std::optional(QList<int>{own}));
    }
    const bool stored = own != 0;
    const QList<FoundRow> listed = ListingQueries(db, u2).city(text);
    QCOMPARE(listed.size(), stored ? 1 : 0);
    QCOMPARE(ListingQueries(db, u2).cityIds(text), stored ? QList<int>{own} : QList<int>());
    QCOMPARE(store.cityCode(text).has_value(), stored);
}

// The indexed conditions find what the plain ones find, for numbers and
// e-mail texts cut from the stored data, after inserts, changes and deletions.
void TestContactSearch::indexEqualsPlainScan()
{
    TestDatabase test;
    const QSqlDatabase db = test.db();
    DataGenerator(17, true).fill(db, 800);
    QVERIFY(ContactIndex::phoneCondition(db) != ContactIndex::plainPhoneCondition());
    QVERIFY(ContactIndex::emailCondition(db) != ContactIndex::plainEmailCondition());
    QRandomGenerator random(20251208);
    const auto check = [&] {
        QStringList numbers;
        QSqlQuery q =
            Sql::run(db, QStringLiteral("SELECT phone FROM phone ORDER BY parentid, noteid"));
        while (q.next()) {
            const QString digits = ContactIndex::digitsOf(Sql::text(q, 0));
            if (digits.size() < ContactIndex::MinDigits)
                continue;
            const int length = 4 + random.bounded(std::max(1, int(digits.size()) - 3));
            numbers.append(digits.mid(random.bounded(int(digits.size()) - length + 1), length));
            numbers.append(QStringLiteral("8 (843) ") + digits.right(7));
        }
        int nonEmpty = 0;
        for (qsizetype n = 0; n < numbers.size(); n += 7) {
            const auto bind = [&](QSqlQuery& query) { ContactIndex::bindPhone(query, numbers[n]); };
            const QList<int> plain = idsWhere(db, ContactIndex::plainPhoneCondition(), bind);
            QCOMPARE(idsWhere(db, ContactIndex::phoneCondition(db), bind), plain);
            nonEmpty += plain.isEmpty() ? 0 : 1;
        }
        QVERIFY(nonEmpty > 0);
        for (const char* text : {"@", ".ru", "a@", "ov@", "%", "'", "@\u0130"}) {
            const auto bind = [&](QSqlQuery& query) {
                ContactIndex::bindEmail(query, QString::fromUtf8(text));
            };
            QCOMPARE(idsWhere(db, ContactIndex::emailCondition(db), bind),
                     idsWhere(db, ContactIndex::plainEmailCondition(), bind));
        }
    };
    check();
    if (QTest::currentTestFailed())
        return;
    Sql::run(db, QStringLiteral("INSERT INTO phone (parentid, phone, noteid) SELECT id, "
                                "'+7 (999) 123-45-67 доб. 8', 5 FROM sprav WHERE id % 9 = 1"));
    Sql::run(db,
             QStringLiteral("UPDATE phone SET phone = '8 800 555-35-35' WHERE parentid % 7 = 2"));
    Sql::run(db,
             QStringLiteral("UPDATE phone SET parentid = parentid + 1 WHERE parentid % 11 = 3"));
    Sql::run(db, QStringLiteral("UPDATE sprav SET email = 'new@Example.org' WHERE id % 5 = 0"));
    check();
    if (QTest::currentTestFailed())
        return;
    Sql::run(db, QStringLiteral("DELETE FROM phone WHERE parentid % 4 = 3"));
    Sql::run(db, QStringLiteral("DELETE FROM sprav WHERE id % 6 = 5"));
    check();
    if (test.engine() == Engine::SQLite)
        Sql::run(db,
                 QStringLiteral("INSERT INTO phone_fts (phone_fts) VALUES ('integrity-check')"));
}

QTEST_GUILESS_MAIN(TestContactSearch)
#include "tst_contactsearch.moc"
