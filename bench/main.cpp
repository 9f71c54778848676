// SPDX-License-Identifier: MIT
// sprav_bench: fills a database with generated records and times the listings,
// the record operations, and the export and import of vCard files. Prints one
// line per figure ("name median_ms p95_ms"), the peak resident memory, and how
// much faster the listings are than the straightforward way (plain test, no
// helper indexes, one phone statement per record). Lines starting with '#'
// tell what was measured.
#include "BackupFigures.h"
#include "DataGenerator.h"
#include "DirectoryFigures.h"
#include "ExchangeFigures.h"
#include "HistoryFigures.h"
#include "Lines.h"
#include "Measure.h"
#include "NaiveListings.h"
#include "OfficeDay.h"
#include "Operations.h"
#include "StartupFigures.h"
#include "common/DbError.h"
#include "db/ContactIndex.h"
#include "db/DataLink.h"
#include "db/Database.h"
#include "db/SearchIndex.h"
#include "db/Sql.h"
#include "db/Visibility.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSqlDriver>
#include <QSqlField>
#include <QTemporaryDir>
#include <QTextStream>
#include <cmath>
#include <memory>

namespace
{

const QString user = QStringLiteral("u1");
const QDate today(2025, 6, 10);

using Lines::figure;
using Lines::info;
using Lines::value;

struct Options {
    qint64 records = 100000;
    int runs = 11;
    int recordRuns = 50;
    quint64 seed = 1;
    QString pg;
    QString restart;
    QString file;
    bool replace = false;
    double naiveBudgetMs = 8000;
    QStringList only; // figures to measure; all when empty
};

Options parse(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the listings of Справочник."));
    parser.addHelpOption();
    const QCommandLineOption records(QStringLiteral("records"),
                                     QStringLiteral("Records to generate (100000)."),
                                     QStringLiteral("N"), QStringLiteral("100000"));
    const QCommandLineOption pg(QStringLiteral("pg"),
                                QStringLiteral("PostgreSQL instead of SQLite: \"Data Source=HOST;"
                                               "Port=P;Initial Catalog=DB;User ID=U\"."),
                                QStringLiteral("connection"));
    const QCommandLineOption file(QStringLiteral("db"),
                                  QStringLiteral("SQLite file to use and keep (filled when "
                                                 "empty, reused when it holds N records)."),
                                  QStringLiteral("path"));
    const QCommandLineOption replace(QStringLiteral("replace"),
                                     QStringLiteral("Start from an empty PostgreSQL database "
                                                    "(drop it and create it again)."));
    const QCommandLineOption runs(QStringLiteral("runs"),
                                  QStringLiteral("Timed runs per listing (11)."),
                                  QStringLiteral("n"), QStringLiteral("11"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Generator seed (1)."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption budget(QStringLiteral("naive-budget"),
                                    QStringLiteral("Seconds per naive listing before it is "
                                                   "extrapolated (8)."),
                                    QStringLiteral("s"), QStringLiteral("8"));
    const QCommandLineOption only(QStringLiteral("only"),
                                  QStringLiteral("Measure only these figures (comma-separated, "
                                                 "e.g. search_broad,naive)."),
                                  QStringLiteral("names"));
    const QCommandLineOption restart(
        QStringLiteral("restart"),
        QStringLiteral("PostgreSQL: shell command that restarts the server and returns once it "
                       "is back, for reconnect_ms (without it the session is ended instead)."),
        QStringLiteral("command"));
    parser.addOptions({records, pg, file, replace, runs, seed, budget, only, restart});
    parser.process(app);
    Options o;
    o.records = parser.value(records).toLongLong();
    if (o.records < 1)
        parser.showHelp(1);
    o.runs = std::max(1, parser.value(runs).toInt());
    o.seed = parser.value(seed).toULongLong();
    o.pg = parser.value(pg);
    o.restart = parser.value(restart);
    o.file = parser.value(file);
    o.replace = parser.isSet(replace);
    o.naiveBudgetMs = parser.value(budget).toDouble() * 1000;
    if (parser.isSet(only))
        o.only = parser.value(only).split(QLatin1Char(','));
    return o;
}

qint64 count(const QSqlDatabase& db, const QString& statement,
             const std::function<void(QSqlQuery&)>& binder = {})
{
    QSqlQuery q = Sql::prepare(db, statement);
    if (binder)
        binder(q);
    Sql::exec(q);
    return q.next() ? q.value(0).toLongLong() : 0;
}

// Creates the PostgreSQL database when it is missing (or replaced).
void preparePostgres(const DataLink& link, bool replace)
{
    const QString name = QStringLiteral("sprav_bench_admin");
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        admin.setHostName(link.dataSource);
        admin.setPort(link.port);
        admin.setUserName(link.user);
        admin.setPassword(link.password);
        admin.setDatabaseName(QStringLiteral("postgres"));
        if (!admin.open())
            throw DbError(QStringLiteral("cannot connect to PostgreSQL"));
        const bool exists =
            count(admin,
                  QStringLiteral("SELECT count(*) FROM pg_database "
                                 "WHERE datname = :name"),
                  [&](QSqlQuery& q) { q.bindValue(QStringLiteral(":name"), link.catalog); }) > 0;
        const QString quoted =
            admin.driver()->escapeIdentifier(link.catalog, QSqlDriver::TableName);
        if (exists && replace)
            Sql::run(admin, QStringLiteral("DROP DATABASE %1").arg(quoted));
        if (!exists || replace)
            Sql::run(admin, QStringLiteral("CREATE DATABASE %1").arg(quoted));
        admin.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// A search text of at least three letters found in about `share` of the records.
QString pickNeedle(const QSqlDatabase& db, const QStringList& candidates, double wanted)
{
    const QString statement =
        QStringLiteral("SELECT count(*) FROM sprav WHERE ") + SearchIndex::condition(db);
    QString best;
    double bestDistance = 1e300;
    for (const QString& text : candidates) {
        const qint64 n = count(db, statement, [&](QSqlQuery& q) { SearchIndex::bind(q, text); });
        const double distance = std::abs(std::log((double(n) + 0.5) / wanted));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = text;
        }
    }
    return best;
}

QStringList surnameStems(const QSqlDatabase& db)
{
    QStringList stems;
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT DISTINCT f FROM sprav WHERE id <= 5000"));
    while (q.next()) {
        const QString stem = Sql::text(q, 0).left(6).toLower();
        if (stem.size() >= 5 && !stems.contains(stem))
            stems.append(stem);
    }
    return stems;
}

QString pickCity(const QSqlDatabase& db, double wanted)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT city.cityname, count(*) FROM sprav "
                                              "JOIN city ON city.id = sprav.cityid "
                                              "GROUP BY city.cityname"));
    QString best;
    double bestDistance = 1e300;
    while (q.next()) {
        const double distance = std::abs(std::log(q.value(1).toDouble() / wanted));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = Sql::text(q, 0);
        }
    }
    return best;
}

// A stored mobile number as another user would type it: "8 (9xx) xxx xx xx"
// for "+7 9xx xxx-xx-xx".
QString pickPhone(const QSqlDatabase& db)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT phone FROM phone WHERE noteid = 3 "
                                              "ORDER BY parentid LIMIT 1 OFFSET 500"));
    const QString digits = q.next() ? ContactIndex::digitsOf(Sql::text(q, 0)) : QString();
    return QStringLiteral("8 (%1) %2 %3 %4")
        .arg(digits.mid(1, 3), digits.mid(4, 3), digits.mid(7, 2), digits.mid(9));
}

// Four digits that occur in the phones of about `wanted` records.
QString pickDigits(const ListingQueries& queries, double wanted)
{
    QString best;
    double bestDistance = 1e300;
    // Mobile numbers begin +7 9xy: such four digits are the most frequent.
    for (const char* digits :
         {"1234", "3456", "5678", "7890", "7912", "7934", "7956", "7978", "+7 91", "+7 95"}) {
        const QString text = QString::fromLatin1(digits);
        const double n = double(queries.searchIds(text).value_or(QList<int>()).size());
        const double distance = std::abs(std::log((n + 0.5) / wanted));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = text;
        }
    }
    return best;
}

QString pickEmail(const QSqlDatabase& db)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT email FROM sprav WHERE email LIKE '%@%' "
                                              "ORDER BY id LIMIT 1 OFFSET 5000"));
    return q.next() ? Sql::text(q, 0) : QStringLiteral("ivanov@");
}

// The plan of the search listing's record statement, in one line.
QString searchPlan(const QSqlDatabase& db, const QString& text)
{
    QString statement = QStringLiteral("SELECT sprav.id FROM sprav LEFT JOIN city ON city.id = "
                                       "sprav.cityid WHERE ") +
                        SearchIndex::condition(db) + QStringLiteral(" and ") +
                        Visibility::VisibilityFilter(Visibility::Filter::Plain);
    QStringList lines;
    if (Database::engineOf(db) == Engine::SQLite) {
        QSqlQuery q = Sql::prepare(db, QStringLiteral("EXPLAIN QUERY PLAN ") + statement);
        SearchIndex::bind(q, text);
        Visibility::bindUser(q, user);
        Sql::exec(q);
        while (q.next())
            lines.append(q.value(3).toString());
        return lines.join(QStringLiteral(" | "));
    }
    // EXPLAIN cannot be prepared on PostgreSQL: spell the (generated) values out.
    QSqlQuery values = Sql::prepare(db, statement);
    SearchIndex::bind(values, text);
    Visibility::bindUser(values, user);
    for (const char* name : {":needle", ":pattern", ":visuser"}) {
        QSqlField field(QString(), QMetaType::fromType<QString>());
        field.setValue(values.boundValue(QLatin1String(name)).toString());
        statement.replace(QLatin1String(name), db.driver()->formatValue(field));
    }
    QSqlQuery q = Sql::run(db, QStringLiteral("EXPLAIN ") + statement);
    while (q.next())
        lines.append(q.value(0).toString().trimmed());
    return lines.join(QStringLiteral(" | "));
}

RecordData sampleRecord(int variant)
{
    RecordData r;
    r.f = variant % 2 ? QStringLiteral("Кузнецова") : QStringLiteral("Смирнова");
    r.io = QStringLiteral("Анна Сергеевна");
    r.prof = QStringLiteral("Бухгалтер");
    r.shortpp = QStringLiteral("ООО «Уралстрой»");
    r.longpp = QStringLiteral("Общество с ограниченной ответственностью «Уралстрой»");
    r.city = QStringLiteral("Пермь");
    r.email = QStringLiteral("anna@uralstroy.ru");
    r.birthday = QDate(1981, 4, 12);
    r.phones[1] = QStringLiteral("212-85-0%1").arg(variant % 10);
    r.phones[3] = QStringLiteral("+7 912 345-67-8%1").arg(variant % 10);
    if (variant % 3)
        r.phones[6] = QStringLiteral("212-85-99");
    return r;
}

// Opening the database, the first action after a lost connection, and a
// start-up that brings an older database up to date while another copy saves.
void startupFigures(const QSqlDatabase& db, const DataLink& link, const Options& o,
                    const std::function<void()>& firstAction,
                    const std::function<bool(const QString&)>& wanted)
{
    const StartupFigures startup(link, user, today);
    if (wanted(QStringLiteral("open_ms")))
        figure(QStringLiteral("open_ms"), startup.open(o.runs));
    if (Database::engineOf(db) == Engine::PostgreSQL && wanted(QStringLiteral("reconnect_ms"))) {
        info(o.restart.isEmpty() ? QStringLiteral("reconnect_ms: session ended by the server")
                                 : QStringLiteral("reconnect_ms: after \"%1\"").arg(o.restart));
        figure(QStringLiteral("reconnect_ms"),
               startup.reconnect(db, o.restart, std::min(o.runs, 5), firstAction));
    }
    if (!wanted(QStringLiteral("upgrade")))
        return;
    const StartupFigures::Upgrade upgrade = startup.upgrade(db);
    info(QStringLiteral("upgrade: %1 saves by another copy meanwhile, %2 failed%3")
             .arg(upgrade.saves)
             .arg(upgrade.failures.size())
             .arg(upgrade.failures.isEmpty()
                      ? QString()
                      : QStringLiteral(": ") + upgrade.failures.join(QStringLiteral(" | "))));
    value(QStringLiteral("upgrade_open_ms"), upgrade.openMs);
    value(QStringLiteral("upgrade_save_max_ms"), upgrade.longestSaveMs);
}

// Export to vCard and import of that file (into SQLite); after the other
// figures, as the import's own peak memory is measured from here on.
void runExchange(const QSqlDatabase& db, const std::function<bool(const QString&)>& wanted)
{
    const QString exportName = QStringLiteral("export_vcf_100k");
    const QString importName = QStringLiteral("import_vcf_100k");
    if (!wanted(exportName) && !wanted(importName))
        return;
    const ExchangeFigures::Result r =
        ExchangeFigures::run(db, user, 3, wanted(exportName), wanted(importName));
    info(QStringLiteral("vCard file: %1 records, %2 MB")
             .arg(r.records)
             .arg(double(r.fileBytes) / (1024 * 1024), 0, 'f', 1));
    if (wanted(exportName))
        figure(exportName, r.exported);
    if (!wanted(importName))
        return;
    info(QStringLiteral("%1: stored %2, duplicates skipped %3, refused %4; processor time %5 ms")
             .arg(importName)
             .arg(r.imported.stored)
             .arg(r.imported.duplicates)
             .arg(r.imported.rejections.size())
             .arg(r.importCpuMs, 0, 'f', 0));
    Lines::text(importName + QLatin1Char(' ') + QString::number(r.importMs, 'f', 0));
    value(QStringLiteral("import_peak_rss_mb"), r.importPeakMb);
}

void runBenchmark(const QSqlDatabase& db, const DataLink& link, const Options& o, qint64 records)
{
    Operations ops(db, user);
    auto wanted = [&](const QString& name) { return o.only.isEmpty() || o.only.contains(name); };

    // The memory of the program showing "Все записи" through the grid's model,
    // before any other listing ran in this process (peak_rss_mb at the end
    // includes the full listings).
    if (wanted(QStringLiteral("peak_rss_first_screen_mb"))) {
        const int shown = ops.firstScreenAll();
        info(QStringLiteral("peak_rss_first_screen_mb: \"Все записи\", %1 rows (on a database "
                            "generated by an earlier run)")
                 .arg(shown));
        value(QStringLiteral("peak_rss_first_screen_mb"), Measure::peakRssMb());
    }

    const QString selective = pickNeedle(db, surnameStems(db), double(records) * 0.001);
    const QString broad =
        pickNeedle(db,
                   {QStringLiteral("ова"), QStringLiteral("ови"), QStringLiteral("вна"),
                    QStringLiteral("нов"), QStringLiteral("евич"), QStringLiteral("ович"),
                    QStringLiteral("ана"), QStringLiteral("ски"), QStringLiteral("ина"),
                    QStringLiteral("ООО"), QStringLiteral("али"), QStringLiteral("стр")},
                   double(records) * 0.3);
    const QString city = pickCity(db, double(records) * 0.01);

    auto listing = [&](const QString& name, const QString& what, const std::function<int()>& run) {
        if (!wanted(name))
            return Measure::Figures{1, 1, 1};
        qint64 rows = 0;
        const Measure::Figures f = Measure::run(o.runs, [&] { rows = run(); });
        info(QStringLiteral("%1: %2, %3 rows").arg(name, what).arg(rows));
        figure(name, f);
        return f;
    };
    const Measure::Figures searchSelective =
        listing(QStringLiteral("search_selective"), QStringLiteral("text \"%1\"").arg(selective),
                [&] { return ops.search(selective); });
    info(QStringLiteral("plan: ") + searchPlan(db, selective));
    listing(QStringLiteral("search_broad"), QStringLiteral("text \"%1\"").arg(broad),
            [&] { return ops.search(broad); });
    const QString phoneFull = pickPhone(db);
    listing(QStringLiteral("search_phone_full"), QStringLiteral("number \"%1\"").arg(phoneFull),
            [&] { return ops.search(phoneFull); });
    const QString phonePart = pickDigits(ListingQueries(db, user), double(records) * 0.01);
    listing(QStringLiteral("search_phone_part"), QStringLiteral("number \"%1\"").arg(phonePart),
            [&] { return ops.search(phonePart); });
    const QString email = pickEmail(db);
    listing(QStringLiteral("search_email"), QStringLiteral("e-mail \"%1\"").arg(email),
            [&] { return ops.search(email); });
    const Measure::Figures all = listing(QStringLiteral("all_records"), QStringLiteral("all"),
                                         [&] { return ops.allRecords(); });
    listing(QStringLiteral("city"), QStringLiteral("city \"%1\"").arg(city),
            [&] { return ops.city(city); });
    listing(QStringLiteral("birthdays"), QStringLiteral("from %1").arg(today.toString(Qt::ISODate)),
            [&] { return ops.birthdays(today); });

    listing(QStringLiteral("first_screen_broad"), QStringLiteral("text \"%1\"").arg(broad),
            [&] { return ops.firstScreenSearch(broad); });
    // The same, each time right after a record was stored: what the program
    // keeps between listings is then read anew.
    if (wanted(QStringLiteral("first_screen_broad_changed"))) {
        QList<double> wall;
        QList<double> cpu;
        for (int run = 0; run < o.runs; ++run) {
            Sql::run(db, QStringLiteral("UPDATE sprav SET f = f WHERE id = (SELECT min(id) FROM "
                                        "sprav)"));
            double cpuMs = 0;
            wall.append(Measure::once([&] { ops.firstScreenSearch(broad); }, &cpuMs));
            cpu.append(cpuMs);
        }
        figure(QStringLiteral("first_screen_broad_changed"), Measure::of(wall, cpu));
    }
    listing(QStringLiteral("first_screen_city"), QStringLiteral("city \"%1\"").arg(city),
            [&] { return ops.firstScreenCity(city); });
    listing(QStringLiteral("first_screen_birthdays"),
            QStringLiteral("from %1").arg(today.toString(Qt::ISODate)),
            [&] { return ops.firstScreenBirthdays(today); });
    listing(QStringLiteral("first_screen_all"), QStringLiteral("all"),
            [&] { return ops.firstScreenAll(); });
    // The first "Все записи" of a connection, which reads the order of all
    // records (SQLite keeps it for the next listings).
    if (wanted(QStringLiteral("first_screen_all_first"))) {
        QList<double> wall;
        QList<double> cpu;
        for (int run = 0; run < o.runs; ++run) {
            Database fresh(link, QStringLiteral("bench_first"));
            Operations first(fresh.db(), user);
            double cpuMs = 0;
            wall.append(Measure::once([&] { first.firstScreenAll(); }, &cpuMs));
            cpu.append(cpuMs);
        }
        figure(QStringLiteral("first_screen_all_first"), Measure::of(wall, cpu));
    }
    // Scrolling and printing work on "Все записи" as the grid shows it.
    const bool onAll = wanted(QStringLiteral("scroll_page")) || wanted(QStringLiteral("print_all"));
    const int shown = onAll ? ops.firstScreenAll() : 0;
    if (wanted(QStringLiteral("scroll_page")) && shown > 0) {
        qint64 at = 0;
        figure(QStringLiteral("scroll_page"), Measure::run(o.recordRuns, [&] {
                   at = (at * 7919 + 104729) % shown;
                   ops.screenAt(int(at));
               }));
    }
    if (wanted(QStringLiteral("print_all")) && shown > 0) {
        int pages = 0;
        figure(QStringLiteral("print_all"), Measure::run(3, [&] { pages = ops.printList(); }));
        info(QStringLiteral("print_all: %1 rows on %2 pages").arg(shown).arg(pages));
    }

    int n = 0;
    auto recordOperation = [&](const QString& name, const std::function<void()>& run) {
        if (wanted(name))
            figure(name, Measure::run(o.recordRuns, run));
    };
    recordOperation(QStringLiteral("show_record"),
                    [&] { ops.showRecord(int(1 + (qint64(++n) * 7919) % records)); });
    recordOperation(QStringLiteral("create_record"), [&] { ops.createRecord(sampleRecord(++n)); });
    recordOperation(QStringLiteral("change_record"), [&] {
        ++n;
        ops.changeRecord(int(1 + (qint64(n) * 104729) % records), sampleRecord(n));
    });
    if (wanted(QStringLiteral("restore_record"))) {
        // Records stored and deleted first, each brought back by one run (the
        // first one warms up).
        QList<int> deleted;
        for (int i = 0; i <= o.recordRuns; ++i) {
            ops.deleteRecord(ops.createRecord(sampleRecord(++n)));
            QSqlQuery q = Sql::run(db, QStringLiteral("SELECT max(histid) FROM sprav_history "
                                                      "WHERE deleted = 1"));
            q.next();
            deleted.append(q.value(0).toInt());
        }
        qsizetype next = 0;
        figure(QStringLiteral("restore_record"),
               Measure::run(o.recordRuns, [&] { ops.restoreRecord(deleted.value(next++)); }));
    }
    startupFigures(
        db, link, o, [&] { ops.search(selective); }, wanted);
    if (wanted(QStringLiteral("history_trim_ms"))) {
        const HistoryFigures::Result h = HistoryFigures::run(1000000, o.runs);
        info(QStringLiteral("history_trim_ms: SQLite, %1 history rows over two years (written in "
                            "%2 s); the first trim without a mark took %3 ms and removed %4; %5 "
                            "start-ups a day apart after 2000 new versions a day removed %6")
                 .arg(h.rows)
                 .arg(h.fillSeconds, 0, 'f', 1)
                 .arg(h.firstMs, 0, 'f', 0)
                 .arg(h.firstRemoved)
                 .arg(o.runs)
                 .arg(h.dailyRemoved));
        figure(QStringLiteral("history_trim_ms"), h.daily);
    }
    if (wanted(QStringLiteral("backup_100k"))) {
        std::optional<DataLink> emptyPg;
        if (Database::engineOf(db) == Engine::PostgreSQL) {
            emptyPg = link;
            emptyPg->catalog = link.catalog + QStringLiteral("_copy");
            preparePostgres(*emptyPg, true);
        }
        const BackupFigures::Result b = BackupFigures::run(db, 3, emptyPg);
        info(QStringLiteral("backup_100k: %1 records, %2 MB; restore_100k: that backup into an "
                            "empty SQLite database%3")
                 .arg(b.records)
                 .arg(b.backupMb, 0, 'f', 1)
                 .arg(emptyPg ? QStringLiteral("; copy_to_pg_100k: into an empty PostgreSQL "
                                               "database")
                              : QString()));
        figure(QStringLiteral("backup_100k"), b.backup);
        value(QStringLiteral("restore_100k"), b.restoreMs);
        if (b.copyToPgMs)
            value(QStringLiteral("copy_to_pg_100k"), *b.copyToPgMs);
    }
    if (Database::engineOf(db) == Engine::PostgreSQL && wanted(QStringLiteral("office_day"))) {
        constexpr int workstations = 20;
        constexpr int seconds = 60;
        const OfficeDay::Result d =
            OfficeDay::run(link, user, workstations, seconds, surnameStems(db));
        info(QStringLiteral("office_day: %1 workstations for %2 s: %3 searches, %4 records "
                            "opened, %5 changed, %6 created, %7 deleted, %8 conflicts told; "
                            "%9 changes lost")
                 .arg(workstations)
                 .arg(seconds)
                 .arg(d.searches)
                 .arg(d.shows)
                 .arg(d.changes)
                 .arg(d.creates)
                 .arg(d.deletes)
                 .arg(d.conflicts)
                 .arg(d.lost));
        value(QStringLiteral("office_day_p95_search"), d.search.p95);
        value(QStringLiteral("office_day_p95_show"), d.show.p95);
        value(QStringLiteral("office_day_p95_change"), d.change.p95);
        value(QStringLiteral("office_day_failed"), d.failed + d.lost);
    }
    const QStringList directoryLines = {
        QStringLiteral("ldap_search_prefix"), QStringLiteral("ldap_search_number"),
        QStringLiteral("cid_lookup"), QStringLiteral("ldap_concurrent")};
    if (std::any_of(directoryLines.begin(), directoryLines.end(), wanted))
        DirectoryFigures::report(link, surnameStems(db), phoneFull, o.runs, wanted);
    value(QStringLiteral("peak_rss_mb"), Measure::peakRssMb());
    runExchange(db, wanted);
    if (!wanted(QStringLiteral("naive")))
        return;

    NaiveListings::dropHelperIndexes(db);
    NaiveListings naive(db, user, o.naiveBudgetMs);
    auto compare = [&](const QString& name, const NaiveListings::Estimate& e,
                       const Measure::Figures& ours) {
        info(QStringLiteral("naive %1: %2 ms for %3 rows (phones fetched for %4 of them, the "
                            "rest extrapolated)")
                 .arg(name, QString::number(e.milliseconds, 'f', 0))
                 .arg(e.records)
                 .arg(e.measured));
        value(QStringLiteral("ratio_%1_vs_naive").arg(name), e.milliseconds / ours.median);
    };
    compare(QStringLiteral("all_records"), naive.allRecords(), all);
    compare(QStringLiteral("search"), naive.search(selective), searchSelective);
}

int runMain(const Options& o)
{
    DataLink link;
    QTemporaryDir dir;
    if (o.pg.isEmpty()) {
        link.provider = DataLink::Provider::SQLite;
        link.dataSource = o.file.isEmpty() ? dir.filePath(QStringLiteral("bench.db"))
                                           : QFileInfo(o.file).absoluteFilePath();
    } else {
        link = DataLink::parse((QStringLiteral("Provider=PostgreSQL;") + o.pg).toUtf8(), QString());
        preparePostgres(link, o.replace);
    }
    QElapsedTimer timer;
    timer.start();
    auto database = std::make_unique<Database>(link, QStringLiteral("bench"));
    info(QStringLiteral("%1, schema ready in %2 ms")
             .arg(o.pg.isEmpty() ? QStringLiteral("SQLite ") + link.dataSource
                                 : QStringLiteral("PostgreSQL ") + link.catalog)
             .arg(timer.elapsed()));

    qint64 stored = count(database->db(), QStringLiteral("SELECT count(*) FROM sprav"));
    if (stored == 0) {
        timer.restart();
        DataGenerator(o.seed).fill(database->db(), o.records);
        stored = o.records;
        info(QStringLiteral("generated %1 records in %2 s")
                 .arg(o.records)
                 .arg(double(timer.elapsed()) / 1000, 0, 'f', 1));
        // As at the program's next start; on PostgreSQL autovacuum would
        // vacuum and analyze the new rows soon.
        timer.restart();
        database.reset();
        database = std::make_unique<Database>(link, QStringLiteral("bench"));
        if (database->engine() == Engine::PostgreSQL)
            Sql::run(database->db(), QStringLiteral("VACUUM ANALYZE"));
        info(QStringLiteral("reopened (and on PostgreSQL vacuumed) in %1 s")
                 .arg(double(timer.elapsed()) / 1000, 0, 'f', 1));
    } else {
        info(QStringLiteral("reusing %1 stored records").arg(stored));
    }
    info(QStringLiteral("search index: %1")
             .arg(SearchIndex::indexed(database->db()) ? QStringLiteral("yes")
                                                       : QStringLiteral("no")));
    runBenchmark(database->db(), link, o, stored);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    // Printing lays text out with fonts: a GUI application, with no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const Options options = parse(app);
    try {
        return runMain(options);
    } catch (const DbError& e) {
        QTextStream(stderr) << "sprav_bench: " << e.text() << Qt::endl;
        return 1;
    }
}
