// SPDX-License-Identifier: MIT
#include "DataGenerator.h"
#include "db/Database.h"
#include "db/DateText.h"
#include "db/Sql.h"
#include "db/Visibility.h"

#include <QDate>
#include <QFile>
#include <QStringTokenizer>
#include <QVariantList>
#include <algorithm>
#include <cmath>

namespace
{

// One entry per line of a word list in the generator's resources (UTF-8).
// A missing or empty list is a fault of the build, not of a run.
QStringList wordList(const char* name)
{
    QFile file(QStringLiteral(":/generator/%1.txt").arg(QLatin1String(name)));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("word list %s is missing from the generator's resources", name);
    QStringList entries;
    const QString text = QString::fromUtf8(file.readAll());
    for (const QStringView line : QStringTokenizer(text, u'\n')) {
        const QStringView entry = line.trimmed();
        if (!entry.isEmpty())
            entries.append(entry.toString());
    }
    if (entries.isEmpty())
        qFatal("word list %s is empty", name);
    return entries;
}

// The first word of an entry and the rest of it.
QPair<QString, QString> splitFirstWord(const QString& entry)
{
    const qsizetype space = entry.indexOf(u' ');
    if (space < 0)
        qFatal("entry \"%s\" has only one word", qPrintable(entry));
    return {entry.left(space), entry.mid(space + 1)};
}

struct MaleName {
    QString name;
    QString sonOf;
    QString daughterOf;
};

struct CompanyKind {
    QString shortForm;
    QString longForm;
};

struct WordLists {
    // Male surnames; the female form is derived by femaleSurname().
    QStringList surnames = wordList("surnames");
    QList<MaleName> maleNames;
    QStringList femaleNames = wordList("female-names");
    QStringList cities = wordList("cities");
    QStringList jobTitles = wordList("job-titles");
    QList<CompanyKind> companyKinds;
    QStringList namePrefixes = wordList("name-prefixes");
    QStringList nameSuffixes = wordList("name-suffixes");
    QStringList plainNames = wordList("plain-names");
    QStringList streets = wordList("streets");

    WordLists()
    {
        // "Илья Ильич Ильинична": the name, and the patronymics it gives
        for (const QString& entry : wordList("male-names")) {
            const auto [name, patronymics] = splitFirstWord(entry);
            const auto [sonOf, daughterOf] = splitFirstWord(patronymics);
            maleNames.append({name, sonOf, daughterOf});
        }
        // "ООО Общество с ограниченной ответственностью": short and long form
        for (const QString& entry : wordList("company-kinds")) {
            const auto [shortForm, longForm] = splitFirstWord(entry);
            companyKinds.append({shortForm, longForm});
        }
    }
};

const WordLists& words()
{
    static const WordLists lists;
    return lists;
}

// Telephone codes of the largest cities, the first lines of cities.txt; the
// others get generated ones.
const char* const knownCodes[] = {"495", "812", "383", "343",  "843", "831", "351", "391",
                                  "846", "347", "863", "3812", "861", "473", "342", "8442"};

// Pieces that hostile mode puts into names: statement and pattern syntax,
// search-engine operators, and letters with unusual case mappings. They stay
// here, spelled with escapes: tabs, blanks at the ends and combining marks
// would not survive a word list's editor.
const char* const hostilePieces[] = {
    "'",      "\"",    "%",      "_",     "\\",   "''",    "\"\"", "%_", "\\%",
    "\\_",    " AND ", " OR ",   " NOT ", "NEAR", "NEAR(", "*",    "-",  ":",
    "(",      ")",     "^",      "+",     "{f}",  "f:",    "io:",  "😀",  "👨‍👩‍👧",
    "İ",      "ı",     "ß",      "ẞ",     "K",    "Å",     "Σ",    "ς",  "ǅ",
    "Ა",    "ა",     "\u0307", "\t",    "  ",   "ﬁ",     "Ǆ",    "Ё",  "ё",
    "SELECT", ";",     "--",     "/*",    "Ⅻ",
};

// Cyrillic letters and the Latin letters that look the same.
const char16_t lookAlikes[][2] = {
    {u'а', u'a'}, {u'е', u'e'}, {u'о', u'o'}, {u'р', u'p'}, {u'с', u'c'}, {u'у', u'y'},
    {u'х', u'x'}, {u'А', u'A'}, {u'В', u'B'}, {u'Е', u'E'}, {u'К', u'K'}, {u'М', u'M'},
    {u'Н', u'H'}, {u'О', u'O'}, {u'Р', u'P'}, {u'С', u'C'}, {u'Т', u'T'}, {u'Х', u'X'},
};

QString femaleSurname(const QString& male)
{
    if (male.endsWith(QLatin1String("ий")))
        return male.chopped(2) + QStringLiteral("ая");
    if (male.endsWith(QLatin1String("ой")))
        return male.chopped(2) + QStringLiteral("ая");
    for (const char* ending : {"ов", "ев", "ёв", "ин", "ын"}) {
        if (male.endsWith(QString::fromUtf8(ending)))
            return male + QStringLiteral("а");
    }
    return male; // Ткаченко, Черных: one form for both
}

QString latin(const QString& text)
{
    static const char* const table[] = {
        "a", "b", "v", "g", "d", "e",  "zh", "z",  "i",  "y",    "k", "l", "m", "n", "o",  "p",
        "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "",  "y", "",  "e", "yu", "ya",
    };
    QString out;
    for (const QChar c : text.toLower()) {
        if (c >= u'а' && c <= u'я')
            out += QLatin1String(table[c.unicode() - u'а']);
        else if (c == u'ё')
            out += QLatin1Char('e');
        else if (c.isLetterOrNumber() && c.unicode() < 128)
            out += c;
    }
    return out;
}

// Multi-row INSERT statements of one table, prepared once per batch size.
class RowWriter
{
public:
    RowWriter(const QSqlDatabase& db, const QString& table, const QStringList& columns, int batch)
        : m_db(db), m_table(table), m_columns(columns), m_batch(batch)
    {
    }
    ~RowWriter() = default;

    void add(QVariantList row)
    {
        m_pending.append(std::move(row));
        if (m_pending.size() == m_batch)
            flush();
    }

    void flush()
    {
        if (m_pending.isEmpty())
            return;
        QSqlQuery* query = &m_full;
        if (m_pending.size() < m_batch) {
            m_rest = Sql::prepare(m_db, statement(int(m_pending.size())));
            query = &m_rest;
        } else if (!m_prepared) {
            m_full = Sql::prepare(m_db, statement(m_batch));
            m_prepared = true;
        }
        for (const QVariantList& row : std::as_const(m_pending)) {
            for (const QVariant& value : row)
                query->addBindValue(value);
        }
        Sql::exec(*query);
        m_pending.clear();
    }

private:
    QString statement(int rows) const
    {
        const QString one =
            QLatin1Char('(') +
            QStringList(m_columns.size(), QStringLiteral("?")).join(QLatin1Char(',')) +
            QLatin1Char(')');
        return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
            .arg(m_table, m_columns.join(QLatin1Char(',')),
                 QStringList(rows, one).join(QLatin1Char(',')));
    }

    QSqlDatabase m_db;
    QString m_table;
    QStringList m_columns;
    int m_batch;
    bool m_prepared = false;
    QSqlQuery m_full;
    QSqlQuery m_rest;
    QList<QVariantList> m_pending;
};

qint64 largestId(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT coalesce(max(id), 0) FROM %1").arg(table));
    return q.next() ? q.value(0).toLongLong() : 0;
}

void resetSequence(const QSqlDatabase& db, const QString& table)
{
    if (Database::engineOf(db) != Engine::PostgreSQL)
        return; // SQLite's AUTOINCREMENT follows the largest id inserted
    Sql::run(db, QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'id'), "
                                "(SELECT max(id) FROM %1))")
                     .arg(table));
}

QVariant textOrNull(const QString& text, bool null)
{
    return null ? Sql::nullText() : QVariant(text);
}

} // namespace

struct DataGenerator::Record {
    QVariantList values; // id and the columns of sprav after it
    QList<QPair<int, QString>> phones;
    QString hided;
};

DataGenerator::DataGenerator(quint64 seed, bool hostile)
    : m_state(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull), m_hostile(hostile)
{
}

const QStringList& DataGenerator::cityNames()
{
    return words().cities;
}

// splitmix64: small, fast, and the same sequence on every compiler.
quint64 DataGenerator::next()
{
    quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int DataGenerator::below(int bound)
{
    return int((next() >> 11) % quint64(bound));
}

bool DataGenerator::chance(int percent)
{
    return below(1000) < percent * 10;
}

int DataGenerator::zipf(int size, double skew)
{
    const double u = double(next() >> 11) / double(1ull << 53);
    return std::min(size - 1, int(size * std::pow(u, skew)));
}

void DataGenerator::fillLookups(const QSqlDatabase& db)
{
    auto count = [&](const char* table) {
        QSqlQuery q =
            Sql::run(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)));
        return q.next() ? q.value(0).toInt() : 0;
    };
    if (count("users") == 0) {
        RowWriter users(db, QStringLiteral("users"),
                        {QStringLiteral("log"), QStringLiteral("pass")}, userCount);
        for (int n = 1; n <= userCount; ++n)
            users.add({userName(n), QStringLiteral("p%1").arg(n)});
        users.flush();
        resetSequence(db, QStringLiteral("users"));
    }
    if (count("city") == 0) {
        RowWriter writer(
            db, QStringLiteral("city"),
            {QStringLiteral("id"), QStringLiteral("cityname"), QStringLiteral("citycode")},
            int(cityNames().size()));
        int id = 0;
        for (const QString& name : cityNames()) {
            const QString code = id < int(std::size(knownCodes))
                                     ? QString::fromLatin1(knownCodes[id])
                                     : QString::number(80000 + (id * 7919) % 20000).mid(1);
            writer.add({++id, name, code});
        }
        writer.flush();
        resetSequence(db, QStringLiteral("city"));
    }
    if (count("prof") == 0) {
        RowWriter writer(db, QStringLiteral("prof"),
                         {QStringLiteral("id"), QStringLiteral("proftitle")},
                         int(words().jobTitles.size()));
        int id = 0;
        for (const QString& title : words().jobTitles)
            writer.add({++id, title});
        writer.flush();
        resetSequence(db, QStringLiteral("prof"));
    }
    m_cities = count("city");
    m_profs = count("prof");
}

void DataGenerator::makeEnterprises(qint64 records)
{
    const int wanted = int(std::clamp<qint64>(records / 12, 40, 40000));
    m_enterprises.clear();
    m_enterprises.reserve(wanted);
    for (int n = 0; n < wanted; ++n) {
        QString name;
        if (chance(20)) {
            name = pick(words().plainNames);
        } else {
            // Drawn in a fixed order (suffix first), so the data does not
            // depend on the order a compiler evaluates operands in.
            const QString& suffix = pick(words().nameSuffixes);
            name = pick(words().namePrefixes) + suffix;
        }
        if (n >= 600)
            name += QStringLiteral("-%1").arg(n / 600); // keeps large pools distinct
        const CompanyKind& kind = pick(words().companyKinds);
        const QString quoted = QStringLiteral("«%1»").arg(name);
        m_enterprises.append({kind.shortForm + QLatin1Char(' ') + quoted,
                              kind.longForm + QLatin1Char(' ') + quoted, latin(name)});
    }
}

QString DataGenerator::dateText()
{
    const QDate start(1945 + below(60), 1, 1);
    return DateText::toText(start.addDays(below(start.daysInYear())));
}

QString DataGenerator::hostile(QString text)
{
    if (!m_hostile || !chance(40))
        return text;
    switch (below(5)) {
    case 0: // mixed letter case
        for (QChar& c : text)
            c = chance(50) ? c.toUpper() : c.toLower();
        break;
    case 1: // ё and Ё
        text.replace(u'е', chance(50) ? u'ё' : u'Ё');
        break;
    case 2: // Latin letters that look Cyrillic
        for (const auto& pair : lookAlikes) {
            if (chance(50))
                text.replace(QChar(pair[0]), QChar(pair[1]));
        }
        break;
    default: { // pieces of syntax and unusual letters, anywhere
        const int pieces = 1 + below(3);
        for (int n = 0; n < pieces; ++n) {
            const QString piece = QString::fromUtf8(pick(hostilePieces)); // drawn first
            text.insert(below(int(text.size()) + 1), piece);
        }
        break;
    }
    }
    return text;
}

DataGenerator::Record DataGenerator::makeRecord(qint64 id)
{
    const bool female = chance(50);
    const WordLists& lists = words();
    const QString male = lists.surnames[zipf(int(lists.surnames.size()), 1.5)];
    const QString surname = female ? femaleSurname(male) : male;
    const MaleName& father = lists.maleNames[zipf(int(lists.maleNames.size()), 1.5)];
    const QString firstName = female ? pick(lists.femaleNames) : pick(lists.maleNames).name;
    const QString io = firstName + QLatin1Char(' ') + (female ? father.daughterOf : father.sonOf);
    const Enterprise& firm = m_enterprises[zipf(int(m_enterprises.size()), 2.0)];
    const int cityId = chance(1) ? 0 : 1 + zipf(m_cities, 2.2);
    const QString cityName = cityId > 0 ? cityNames().value(cityId - 1) : QString();
    auto address = [&] {
        return QStringLiteral("г. %1, ул. %2, д. %3")
            .arg(cityName.isEmpty() ? QStringLiteral("Москва") : cityName, pick(lists.streets))
            .arg(1 + below(120));
    };

    QString birthday;
    bool birthdayNull = false;
    if (chance(10))
        birthdayNull = true;
    else
        birthday = chance(8) ? DateText::noDateText() : dateText();

    const bool married = chance(30);
    QString spouse;
    QString spouseBirthday;
    if (married) {
        spouse = (female ? male : femaleSurname(male)) + QLatin1Char(' ') +
                 (female ? pick(lists.maleNames).name : pick(lists.femaleNames));
        spouseBirthday = chance(25) ? DateText::noDateText() : dateText();
    }

    QString hided;
    QString owns;
    if (chance(5)) {
        if (chance(35)) {
            hided = QStringLiteral("all");
        } else {
            QList<int> codes;
            const int count = 1 + below(3);
            for (int n = 0; n < count; ++n) {
                const int code = 1 + below(18);
                if (!codes.contains(code))
                    codes.append(code);
            }
            std::sort(codes.begin(), codes.end());
            hided = QStringLiteral(" ");
            for (int code : codes)
                hided += QString::number(code) + QLatin1Char(' ');
        }
        owns = QStringLiteral(" ");
        const int permitted = 1 + below(3);
        QList<int> users;
        for (int n = 0; n < permitted; ++n) {
            const int user = 1 + below(userCount);
            if (!users.contains(user)) {
                users.append(user);
                owns += userName(user) + QLatin1Char(' ');
            }
        }
    } else if (chance(30)) {
        hided = QStringLiteral(" "); // privacy dialog accepted with nothing checked
    }

    Record record;
    record.hided = hided;
    const bool nullNames = m_hostile && chance(3);
    record.values = {
        id,
        textOrNull(hostile(surname), nullNames),
        textOrNull(hostile(io), nullNames && chance(50)),
        chance(85) ? QVariant(1 + below(m_profs)) : Sql::nullInt(),
        textOrNull(hostile(firm.shortName), m_hostile && chance(3)),
        textOrNull(hostile(firm.longName), m_hostile && chance(3)),
        chance(60) ? address() : QString(),
        chance(30) ? address() : QString(),
        chance(50) ? address() : QString(),
        chance(20) ? address() : QString(),
        cityId,
        chance(15) ? QStringLiteral("От метро 5 минут пешком, вход со двора") : QString(),
        chance(60) ? latin(surname) + QLatin1Char('@') + firm.latin + QStringLiteral(".ru")
                   : QString(),
        chance(40) ? QStringLiteral("www.%1.ru").arg(firm.latin) : QString(),
        textOrNull(birthday, birthdayNull),
        married ? QVariant(spouse) : Sql::nullText(),
        married || chance(50) ? QVariant(married ? spouseBirthday : DateText::noDateText())
                              : Sql::nullText(),
        married && chance(20) ? QStringLiteral("Работает в школе") : QString(),
        chance(10) ? QStringLiteral("доб. %1").arg(100 + below(900)) : QString(),
        chance(10) ? QStringLiteral("Звонить после 14:00") : QString(),
        chance(10) ? QStringLiteral("ИНН %1").arg(7700000000ll + next() % 99999999ll) : QString(),
        owns,
        hided,
    };

    static const int phoneCounts[] = {0, 1, 1, 1, 1, 2, 2, 2, 3, 4};
    QList<int> kinds = {1, 2, 3, 4, 5, 6};
    const int phones = phoneCounts[below(int(std::size(phoneCounts)))];
    for (int n = 0; n < phones; ++n) {
        const int kind = kinds.takeAt(below(int(kinds.size())));
        const QString number = kind == 3 ? QStringLiteral("+7 9%1 %2-%3-%4")
                                               .arg(10 + below(90))
                                               .arg(100 + below(900))
                                               .arg(10 + below(90))
                                               .arg(10 + below(90))
                                         : QStringLiteral("%1-%2-%3")
                                               .arg(100 + below(900))
                                               .arg(10 + below(90))
                                               .arg(10 + below(90));
        record.phones.append({kind, number});
    }
    return record;
}

void DataGenerator::fill(const QSqlDatabase& db, qint64 records)
{
    Sql::Transaction transaction(db);
    fillLookups(db);
    makeEnterprises(records);

    static const QStringList spravColumns = {
        QStringLiteral("id"),           QStringLiteral("f"),           QStringLiteral("io"),
        QStringLiteral("profid"),       QStringLiteral("shortpp"),     QStringLiteral("longpp"),
        QStringLiteral("legaladdress"), QStringLiteral("postaddress"), QStringLiteral("fizaddress"),
        QStringLiteral("homeaddress"),  QStringLiteral("cityid"),      QStringLiteral("path"),
        QStringLiteral("email"),        QStringLiteral("www"),         QStringLiteral("birthday"),
        QStringLiteral("spfio"),        QStringLiteral("spbirthday"),  QStringLiteral("spInfo"),
        QStringLiteral("otherphones"),  QStringLiteral("info"),        QStringLiteral("req"),
        QStringLiteral("owns"),         QStringLiteral("hided"),
    };
    RowWriter sprav(db, QStringLiteral("sprav"), spravColumns, 100);
    RowWriter phone(db, QStringLiteral("phone"),
                    {QStringLiteral("parentid"), QStringLiteral("phone"), QStringLiteral("noteid"),
                     QStringLiteral("hid")},
                    400);
    const qint64 first = largestId(db, QStringLiteral("sprav")) + 1;
    for (qint64 id = first; id < first + records; ++id) {
        Record record = makeRecord(id);
        sprav.add(std::move(record.values));
        for (const auto& [kind, number] : std::as_const(record.phones))
            phone.add({id, number, kind, Visibility::PhoneHidFor(record.hided, kind)});
    }
    sprav.flush();
    phone.flush();
    resetSequence(db, QStringLiteral("sprav"));
    transaction.commit();
}
