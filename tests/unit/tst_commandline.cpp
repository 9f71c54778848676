// SPDX-License-Identifier: MIT
#include "ContactFiles.h"
#include "app/CommandLine.h"
#include "auth/AccountStore.h"
#include "auth/PasswordHash.h"
#include "db/DataLink.h"
#include "db/Database.h"
#include "db/Sql.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sodium.h>

namespace
{

const QByteArray twoCardsAndAFault =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Иванов;Иван;;;\r\nTEL;TYPE=CELL:+7 917 1\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Петров;Пётр;;;\r\nORG:ООО Ромашка\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Сидоров;;;;\r\nBDAY:вчера\r\nEND:VCARD\r\n";

} // namespace

// The program run from a script: import and export, summary lines, exit codes.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void importAndExport();
    void refusals_data();
    void refusals();
    void runsWithoutDisplay();
    void withoutDisplay_data();
    void withoutDisplay();

private:
    // Runs the command line; the password as typed at the terminal.
    int run(const QStringList& arguments,
            const std::optional<QString>& typed = QStringLiteral("secret"));
    int storedRecords() const;
    static QByteArray fileBytes(const QString& name);
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldDir;
    QString m_out;
    QString m_err;
};

void TestCommandLine::initTestCase()
{
    PasswordHash::setCostForTesting(crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN);
}

void TestCommandLine::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_oldDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    ContactFiles::write(*m_dir, QStringLiteral("sprav.udl"),
                        "Provider=SQLite;Data Source=sprav.db\n");
    {
        Database database(DataLink::fromFile(path(QStringLiteral("sprav.udl"))),
                          QStringLiteral("setup"));
        QVERIFY(AccountStore(database.db())
                    .registerUser(QStringLiteral("Ivan"), QStringLiteral("secret")));
    }
    qunsetenv("SPRAV_PASSWORD");
}

void TestCommandLine::cleanup()
{
    qunsetenv("SPRAV_PASSWORD");
    QDir::setCurrent(m_oldDir);
    m_dir.reset();
}

int TestCommandLine::run(const QStringList& arguments, const std::optional<QString>& typed)
{
    m_out.clear();
    m_err.clear();
    QTextStream out(&m_out);
    QTextStream err(&m_err);
    CommandLine::Console console{out, err, [typed] { return typed; }};
    return CommandLine::run(QStringList{QStringLiteral("sprav")} + arguments, console);
}

QByteArray TestCommandLine::fileBytes(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int TestCommandLine::storedRecords() const
{
    Database database(DataLink::fromFile(path(QStringLiteral("sprav.udl"))),
                      QStringLiteral("count"));
    QSqlQuery q = Sql::run(database.db(), QStringLiteral("SELECT COUNT(*) FROM sprav"));
    return q.next() ? q.value(0).toInt() : -1;
}

void TestCommandLine::importAndExport()
{
    const QString cards = ContactFiles::write(*m_dir, QStringLiteral("in.vcf"), twoCardsAndAFault);
    const QStringList import = {"--import", cards, "--user", "ivan"};
    QCOMPARE(run(import), int(CommandLine::SomeRejected));
    QCOMPARE(m_out, QStringLiteral("stored: 2\nduplicates: 0\nrejected: 1\n"
                                   "card 3: День рождения — «вчера» не читается как дата\n"));
    QCOMPARE(m_err, QString());
    qputenv("SPRAV_PASSWORD", "secret");
    QCOMPARE(run(import, std::nullopt), int(CommandLine::SomeRejected));
    QVERIFY2(m_out.startsWith(QStringLiteral("stored: 0\nduplicates: 2\nrejected: 1\n")),
             qPrintable(m_out));

    QCOMPARE(run({"--export", path("found.txt"), "--format", "csv", "--search", "ива", "--user",
                  "ivan"}),
             int(CommandLine::Done));
    QCOMPARE(m_out, QStringLiteral("exported: 1\n"));
    QFile csv(path(QStringLiteral("found.txt")));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    QVERIFY(bytes.startsWith(QByteArray("\xEF\xBB\xBF") + "Фамилия;Имя Отчество;"));
    const QString text = QString::fromUtf8(bytes);
    QVERIFY(text.contains(QStringLiteral("\r\nИванов;Иван;")));

    QCOMPARE(run({"--export", path("all.vcf"), "--user", "ivan"}), int(CommandLine::Done));
    QCOMPARE(m_out, QStringLiteral("exported: 2\n"));
    QCOMPARE(run({"--import", path("all.vcf"), "--user", "ivan"}), int(CommandLine::Done));
    QCOMPARE(m_out, QStringLiteral("stored: 0\nduplicates: 2\nrejected: 0\n"));
}

void TestCommandLine::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<std::optional<QString>>("typed");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    const std::optional<QString> secret = QStringLiteral("secret");
    const QStringList ok = {"--user", "ivan"};
    const int usage = CommandLine::UnknownArguments;
    QTest::newRow("no user") << QStringList{"--import", "in.vcf"} << secret << usage << "«--user»";
    QTest::newRow("import and export") << QStringList{"--import", "a.vcf", "--export", "b.vcf"} + ok
                                       << secret << usage << "«--import» и «--export» нельзя";
    QTest::newRow("unknown format") << QStringList{"--export", "b.txt", "--format", "xls"} + ok
                                    << secret << int(CommandLine::WrongUsage) << "vcf или csv";
    QTest::newRow("format on import")
        << QStringList{"--import", "in.vcf", "--format", "csv"} + ok << secret << usage
        << "«--format» не относится к команде «--import»";
    QTest::newRow("unknown option")
        << QStringList{"--import", "in.vcf", "--colour"} + ok << secret << usage << "«--colour»";
    QTest::newRow("misspelled command")
        << QStringList{"--exprot", "b.vcf"} + ok << secret << usage << "«--exprot»";
    QTest::newRow("no value at the end") << QStringList{"--user", "ivan", "--import"} << secret
                                         << usage << "«--import» нет значения";
    QTest::newRow("option instead of a value") << QStringList{"--export", "--user", "ivan"}
                                               << secret << usage << "«--export» нет значения";
    QTest::newRow("stray argument")
        << QStringList{"--import", "in.vcf", "more.vcf"} + ok << secret << usage << "«more.vcf»";
    QTest::newRow("twice") << QStringList{"--import", "in.vcf", "--user", "a"} + ok << secret
                           << usage << "«--user» указан дважды";
    QTest::newRow("value of a flag")
        << QStringList{"--import", "in.vcf", "--store-duplicates=yes"} + ok << secret << usage
        << "«--store-duplicates» не принимает";
    QTest::newRow("no command") << ok << secret << usage << "«--user» нужен вместе с командой";
    QTest::newRow("short search") << QStringList{"--export", "b.vcf", "--search", " ив "} + ok
                                  << secret << int(CommandLine::WrongUsage) << "короче трёх";
    QTest::newRow("unknown user") << QStringList{"--import", "in.vcf", "--user", "petr"} << secret
                                  << int(CommandLine::SignInRefused) << "«petr» не зарегистрирован";
    QTest::newRow("wrong password")
        << QStringList{"--import", "in.vcf"} + ok << std::optional<QString>(QStringLiteral("guess"))
        << int(CommandLine::SignInRefused) << "неправильный пароль";
    QTest::newRow("no password") << QStringList{"--import", "in.vcf"} + ok
                                 << std::optional<QString>() << int(CommandLine::SignInRefused)
                                 << "пароль не задан";
    QTest::newRow("stray quote") << QStringList{"--import", "quote.csv"} + ok << secret
                                 << int(CommandLine::FileRefused)
                                 << "Строка 3: кавычка стоит не в начале";
    QTest::newRow("unknown header")
        << QStringList{"--import", "header.csv"} + ok << secret << int(CommandLine::FileRefused)
        << "Заголовок CSV не распознан: Кто, Где";
    QTest::newRow("unwritable") << QStringList{"--export", "missing/folder/b.vcf"} + ok << secret
                                << int(CommandLine::FileRefused) << "не открывается для записи";
    QTest::newRow("no data link") << QStringList{"--import", "in.vcf"} + ok << secret
                                  << int(CommandLine::DatabaseFailed) << "sprav.udl";
    QTest::newRow("rename without the new name")
        << QStringList{"--rename-user", "ivan"} << secret << usage << "--rename-user ИМЯ НОВОЕ_ИМЯ";
    QTest::newRow("a password is no argument")
        << QStringList{"--reset-password", "ivan", "--password", "x"} << secret << usage
        << "«--password»";
    QTest::newRow("password of an unknown user")
        << QStringList{"--reset-password", "petr"} << secret << int(CommandLine::Refused)
        << "«petr» не зарегистрирован";
    QTest::newRow("force on a backup") << QStringList{"--backup", "b.db", "--force"} << secret
                                       << usage << "«--force» не относится к команде «--backup»";
    QTest::newRow("restore from the database") << QStringList{"--restore", "sprav.db"} << secret
                                               << int(CommandLine::WrongUsage) << "сама база";
    QTest::newRow("backup onto the database") << QStringList{"--backup", "sprav.db"} << secret
                                              << int(CommandLine::FileRefused) << "сама база";
}

// A clear message on standard error, nothing on standard output, nothing
// stored; arguments the command line does not know leave the database
// file as it was, in one line that points to the help.
void TestCommandLine::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(std::optional<QString>, typed);
    QFETCH(int, code);
    QFETCH(QString, message);
    ContactFiles::write(*m_dir, QStringLiteral("in.vcf"), twoCardsAndAFault);
    ContactFiles::write(*m_dir, QStringLiteral("quote.csv"), "Фамилия,Имя\nА,Б\nВ\"Г,Д\n");
    ContactFiles::write(*m_dir, QStringLiteral("header.csv"), "Кто,Где\nИванов,Казань\n");
    if (QByteArray(QTest::currentDataTag()) == "no data link")
        QVERIFY(QFile::rename(path("sprav.udl"), path("other.udl")));
    const QByteArray database = fileBytes(path("sprav.db"));
    QCOMPARE(run(arguments, typed), code);
    QVERIFY2(m_err.startsWith(QStringLiteral("sprav: ")) && m_err.contains(message),
             qPrintable(m_err));
    QCOMPARE(m_out, QString());
    if (code == CommandLine::UnknownArguments) {
        QVERIFY2(m_err.endsWith(QStringLiteral(" Справка: sprav --help\n")) &&
                     m_err.count(QLatin1Char('\n')) == 1,
                 qPrintable(m_err));
        QCOMPARE(fileBytes(path("sprav.db")), database);
    }
    if (code != CommandLine::DatabaseFailed)
        QCOMPARE(storedRecords(), 0);
}

// The program itself without a display: every command runs, a wrong
// argument is refused before anything opens, and a start of the windows
// says why it cannot instead of aborting.
void TestCommandLine::withoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("out");
    QTest::addColumn<QString>("err");
    QTest::addColumn<QString>("display");
    QTest::newRow("help") << QStringList{"--help"} << 0
                          << QStringList{"--import",  "--export",
                                         "--version", "--store-duplicates",
                                         "--backup",  "--rename-user",
                                         "--check",   "SPRAV_PASSWORD",
                                         "64 ",       "69 "}
                          << QString() << QString();
    QTest::newRow("version") << QStringList{"--version"} << 0 << QStringList{"sprav 0."}
                             << QString() << QString();
    // Commands without sign-in that only read.
    QTest::newRow("list users") << QStringList{"--list-users"} << 0
                                << QStringList{"Ivan\tхеш", "Пользователей: 1"} << QString()
                                << QString();
    QTest::newRow("check") << QStringList{"--check"} << 0 << QStringList{"Неполадок не найдено."}
                           << QString() << QString();
    QTest::newRow("misspelled") << QStringList{"--exprot", "file.vcf"} << 64 << QStringList()
                                << "sprav: Неизвестный параметр «--exprot». Справка: sprav --help"
                                << QString();
    QTest::newRow("windows") << QStringList() << 69 << QStringList()
                             << "sprav: окно программы не открывается: нет дисплея" << QString();
    // A display that does not answer: Qt's own failure, told in one line.
    QTest::newRow("display gone") << QStringList() << 69 << QStringList()
                                  << "sprav: окно программы не открывается: "
                                  << ":97";
}

void TestCommandLine::withoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QStringList, out);
    QFETCH(QString, err);
    QFETCH(QString, display);
    const QByteArray database = fileBytes(path("sprav.db"));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    if (!display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), display);
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(m_dir->path());
    program.start(QStringLiteral(SPRAV_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), code);
    const QString printed = QString::fromUtf8(program.readAllStandardOutput());
    for (const QString& part : out)
        QVERIFY2(printed.contains(part), qPrintable(part + QStringLiteral(" in:\n") + printed));
    const QString complaint = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(err.isEmpty() ? complaint.isEmpty() : complaint.startsWith(err),
             qPrintable(complaint));
    QCOMPARE(complaint.count(QLatin1Char('\n')), err.isEmpty() ? 0 : 1);
    QCOMPARE(fileBytes(path("sprav.db")), database);
}

// The program itself on a machine without a display; the password as the
// first line of its input.
void TestCommandLine::runsWithoutDisplay()
{
    const QString file = ContactFiles::write(
        *m_dir, QStringLiteral("one.csv"), "Фамилия;Имя;Мобильный телефон\r\nИванов;Иван;+7 1\r\n");
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SPRAV_PASSWORD"})
        environment.remove(QLatin1String(name));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(m_dir->path());
    program.start(QStringLiteral(SPRAV_PROGRAM), {"--import", file, "--user", "ivan"});
    QVERIFY(program.waitForStarted());
    program.write("secret\n");
    program.closeWriteChannel();
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()),
             QStringLiteral("stored: 1\nduplicates: 0\nrejected: 0\n"));
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(storedRecords(), 1);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
