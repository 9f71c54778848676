// SPDX-License-Identifier: MIT
#include "search/ListingQueries.h"
#include "db/ContactIndex.h"
#include "db/Database.h"
#include "db/ListingIndex.h"
#include "db/SearchIndex.h"
#include "db/SortKey.h"
#include "db/Sql.h"
#include "db/SqliteFile.h"
#include "db/TextFold.h"
#include "db/Visibility.h"
#include "search/BirthdayWindow.h"
#include "search/SearchRequest.h"

#include <QHash>
#include <QSqlDriver>
#include <QSqlQuery>
#include <algorithm>
#include <functional>
#include <sqlite3.h>
#include <vector>

// The records of a listing: the tables, the condition (with the visibility
// filter) and the values to bind.
struct ListingQueries::Selection {
    QString from;
    QString where;
    QString orderBy;
    QString id = QStringLiteral("sprav.id");
    std::function<void(QSqlQuery&)> bind;
};

namespace
{

// Records joined with their city; a record of an unknown city keeps NULLs.
QString spravWithCity(const QSqlDatabase& db)
{
    return SortKey::records(db) + QStringLiteral(" LEFT JOIN city ON city.id = sprav.cityid");
}

QSqlQuery open(const QSqlDatabase& db, const QString& statement,
               const std::function<void(QSqlQuery&)>& bind)
{
    QSqlQuery query = Sql::prepare(db, statement);
    bind(query);
    Sql::exec(query);
    return query;
}

// Listed ids travel as one bound value: a JSON array on SQLite, an integer
// array on PostgreSQL.
QString idArray(const QList<int>& ids, bool postgres)
{
    QString list;
    list.reserve(ids.size() * 8 + 2);
    list += postgres ? QLatin1Char('{') : QLatin1Char('[');
    for (qsizetype i = 0; i < ids.size(); ++i) {
        if (i > 0)
            list += QLatin1Char(',');
        list += QString::number(ids.at(i));
    }
    list += postgres ? QLatin1Char('}') : QLatin1Char(']');
    return list;
}

// The condition that a column holds one of the ids bound by idArray().
QString amongIds(const QString& column, const QString& placeholder, bool postgres)
{
    return postgres
               ? QStringLiteral("%1 = ANY(CAST(%2 AS integer[]))").arg(column, placeholder)
               : QStringLiteral("%1 IN (SELECT value FROM json_each(%2))").arg(column, placeholder);
}

// The numbers of a text such as "12,7,31", in their order.
QList<int> idList(const QString& text)
{
    QList<int> found;
    found.reserve(text.count(QLatin1Char(',')) + 1);
    int id = 0;
    bool digits = false;
    for (const QChar c : text) {
        if (c.isDigit()) {
            id = id * 10 + c.digitValue();
            digits = true;
        } else if (digits) {
            found.append(id);
            id = 0;
            digits = false;
        }
    }
    if (digits)
        found.append(id);
    return found;
}

// The ids of "Все записи" in list order, per user, kept with the driver of an
// SQLite connection for as long as the database is the same: a commit through
// another connection changes the file's data version, a write through this
// one the connection's count of changes (a rolled-back write too, which only
// costs a reading). When they moved, the records that sprav_reordered notes
// as moved since (ListingIndex) are taken out and put in again at their
// present place; without such notes (too many, or none kept) the ids are read
// anew. Inside a transaction of this connection nothing is kept: a rollback
// would undo what the ids were read from without changing either number. A
// broad name search keeps the ids of its matches in this order instead of
// sorting them.
class ListedOrder : public QObject
{
public:
    // Above this many notes the ids are read anew rather than brought up to
    // date.
    static constexpr qint64 mostNotesApplied = 200;

    explicit ListedOrder(QObject* driver) : QObject(driver) {}

    static ListedOrder& of(const QSqlDatabase& db)
    {
        QSqlDriver* driver = db.driver();
        auto* order = driver->findChild<ListedOrder*>(QString(), Qt::FindDirectChildrenOnly);
        return order ? *order : *new ListedOrder(driver);
    }

    // Whether the user's ids are kept and current.
    bool kept(const QSqlDatabase& db, const QString& user)
    {
        refresh(db);
        return m_ids.contains(user);
    }

    // The ids for the user as `read` gives them, read again once the database
    // changed.
    QList<int> ids(const QSqlDatabase& db, const QString& user,
                   const std::function<QList<int>()>& read)
    {
        refresh(db);
        if (inTransaction(db))
            return read();
        auto found = m_ids.find(user);
        if (found == m_ids.end())
            found = m_ids.insert(user, read());
        return found.value();
    }

private:
    struct Stamp {
        QVariant handle;
        qint64 dataVersion = -1;
        qint64 changes = -1;
        qint64 lastNote = -1;   // the newest note's seq (0 without notes, -1 without the table)
        qint64 oldestNote = -1; // the oldest one's
        bool operator==(const Stamp& other) const
        {
            return handle == other.handle && dataVersion == other.dataVersion &&
                   changes == other.changes && lastNote == other.lastNote;
        }
    };

    static bool inTransaction(const QSqlDatabase& db)
    {
        sqlite3* handle = SqliteFile::handle(db.driver());
        return !handle || sqlite3_get_autocommit(handle) == 0;
    }

    void refresh(const QSqlDatabase& db)
    {
        const Stamp now = stamp(db);
        if (now == m_stamp && !inTransaction(db))
            return;
        if (inTransaction(db) || !bringUpToDate(db, now))
            m_ids.clear();
        m_stamp = now;
    }

    // Applies the notes taken since the ids were read; false when they do
    // not tell all that changed.
    bool bringUpToDate(const QSqlDatabase& db, const Stamp& now)
    {
        if (m_ids.isEmpty() || now.handle != m_stamp.handle || m_stamp.lastNote < 0 ||
            now.lastNote < m_stamp.lastNote || now.lastNote - m_stamp.lastNote > mostNotesApplied ||
            (now.lastNote > m_stamp.lastNote && now.oldestNote > m_stamp.lastNote + 1))
            return false;
        if (now.lastNote == m_stamp.lastNote)
            return true; // nothing moved: a phone, a city or another table changed
        QSqlQuery notes = Sql::run(
            db, QStringLiteral("SELECT DISTINCT id FROM sprav_reordered WHERE seq > :seen"),
            {{"seen", m_stamp.lastNote}});
        std::vector<bool> moved;
        QList<int> movedIds;
        while (Sql::next(notes)) {
            const int id = notes.value(0).toInt();
            if (id < 0)
                continue;
            if (size_t(id) >= moved.size())
                moved.resize(size_t(id) + 1);
            moved[size_t(id)] = true;
            movedIds.append(id);
        }
        QSqlQuery keyOf = Sql::prepare(
            db, QStringLiteral("SELECT CAST(sortkey AS BLOB) FROM sprav_order WHERE id = :id"));
        const auto key = [&keyOf](int id) {
            keyOf.bindValue(QStringLiteral(":id"), id);
            Sql::exec(keyOf);
            const QByteArray found = Sql::next(keyOf) ? keyOf.value(0).toByteArray() : QByteArray();
            keyOf.finish();
            return found;
        };
        QSqlQuery shown = Sql::prepare(
            db, QStringLiteral("SELECT CAST(sortkey AS BLOB) FROM sprav_order WHERE id = :id "
                               "AND (hiddenowns IS NULL OR instr(hiddenowns, :visuser) > 0)"));
        for (auto it = m_ids.begin(); it != m_ids.end(); ++it) {
            QList<int>& ids = it.value();
            ids.removeIf([&moved](int id) {
                return id >= 0 && size_t(id) < moved.size() && moved[size_t(id)];
            });
            for (const int id : std::as_const(movedIds)) {
                shown.bindValue(QStringLiteral(":id"), id);
                Visibility::bindUser(shown, it.key());
                Sql::exec(shown);
                if (!Sql::next(shown))
                    continue; // deleted, or hidden from this user
                const QByteArray movedKey = shown.value(0).toByteArray();
                shown.finish();
                // The place among the others, ordered by key, then id.
                const auto place = std::partition_point(ids.begin(), ids.end(), [&](int other) {
                    const int order = key(other).compare(movedKey);
                    return order < 0 || (order == 0 && other < id);
                });
                ids.insert(place, id);
            }
        }
        return true;
    }

    static Stamp stamp(const QSqlDatabase& db)
    {
        Stamp s;
        s.handle = db.driver()->handle();
        QSqlQuery q = Sql::run(db, QStringLiteral("SELECT (SELECT data_version FROM "
                                                  "pragma_data_version), total_changes(), "
                                                  "(SELECT count(*) FROM sqlite_master WHERE "
                                                  "name = 'sprav_reordered')"));
        if (!q.next())
            return s;
        s.dataVersion = q.value(0).toLongLong();
        s.changes = q.value(1).toLongLong();
        if (q.value(2).toInt() == 0)
            return s;
        q = Sql::run(db, QStringLiteral("SELECT coalesce(max(seq), 0), coalesce(min(seq), 0) "
                                        "FROM sprav_reordered"));
        if (q.next()) {
            s.lastNote = q.value(0).toLongLong();
            s.oldestNote = q.value(1).toLongLong();
        }
        return s;
    }

    Stamp m_stamp;
    QHash<QString, QList<int>> m_ids;
};

QString fullName(const QSqlQuery& query, int f, int io)
{
    return Sql::text(query, f) + QLatin1Char(' ') + Sql::text(query, io);
}

} // namespace

ListingQueries::ListingQueries(const QSqlDatabase& db, const QString& user,
                               int wholePhoneTableAbove, int sortedByEngineBelow)
    : m_db(db), m_user(user), m_wholePhoneTableAbove(wholePhoneTableAbove),
      m_sortedByEngineBelow(sortedByEngineBelow)
{
}

QString ListingQueries::searchText(const QString& typed)
{
    return SearchRequest(typed).text();
}

// A name, number or e-mail search, as the request says.
ListingQueries::Selection ListingQueries::searchSelection(const SearchRequest& request) const
{
    Selection selection;
    selection.from = spravWithCity(m_db);
    const QString text = request.text();
    std::function<void(QSqlQuery&)> bindText;
    if (request.kind() == SearchRequest::Kind::Phone) {
        selection.where = ContactIndex::phoneCondition(m_db);
        bindText = [text](QSqlQuery& query) { ContactIndex::bindPhone(query, text); };
    } else if (request.kind() == SearchRequest::Kind::Email) {
        selection.where = ContactIndex::emailCondition(m_db);
        bindText = [text](QSqlQuery& query) { ContactIndex::bindEmail(query, text); };
    } else {
        selection.where = SearchIndex::condition(m_db);
        bindText = [text](QSqlQuery& query) { SearchIndex::bind(query, text); };
    }
    selection.where +=
        QStringLiteral(" AND ") + Visibility::VisibilityFilter(Visibility::Filter::Plain);
    selection.orderBy = SortKey::orderBy(m_db);
    selection.bind = [this, bindText](QSqlQuery& query) {
        bindText(query);
        Visibility::bindUser(query, m_user);
    };
    return selection;
}

// The ids of a name search, where the names table is kept: read from it
// alone, its folded names compared as plain texts, its sortkey and hiddenowns
// ordering and filtering the records as the full listing does. A trigram
// index picks the records to compare: SQLite's once complete, PostgreSQL's
// pg_trgm index on the names table.
ListingQueries::Selection ListingQueries::nameIdsSelection(const SearchRequest& request) const
{
    const QString needle = TextFold::text(request.text());
    const bool postgres = Database::engineOf(m_db) == Engine::PostgreSQL;
    const QString trigrams =
        !postgres && SearchIndex::indexed(m_db) ? SearchIndex::trigramQuery(needle) : QString();
    Selection selection;
    selection.from = QStringLiteral("sprav_names");
    selection.where = ListingIndex::namesCondition(m_db) +
                      QStringLiteral(" AND (sprav_names.hiddenowns IS NULL OR "
                                     "instr(sprav_names.hiddenowns, :visuser) > 0)");
    if (!trigrams.isEmpty()) {
        selection.from =
            QStringLiteral("sprav_fts CROSS JOIN sprav_names ON sprav_names.id = sprav_fts.rowid");
        selection.where = QStringLiteral("sprav_fts MATCH :ftsquery AND ") + selection.where;
    }
    selection.orderBy = QStringLiteral("sprav_names.sortkey, sprav_names.id");
    selection.id = QStringLiteral("sprav_names.id");
    selection.bind = [this, needle, trigrams, postgres](QSqlQuery& query) {
        if (postgres)
            query.bindValue(QStringLiteral(":pattern"), SearchIndex::likePattern(needle));
        else
            query.bindValue(QStringLiteral(":needle"), needle);
        if (!trigrams.isEmpty())
            query.bindValue(QStringLiteral(":ftsquery"), trigrams);
        Visibility::bindUser(query, m_user);
    };
    return selection;
}

ListingQueries::Selection ListingQueries::allSelection() const
{
    Selection selection;
    selection.from = spravWithCity(m_db);
    selection.where = Visibility::VisibilityFilter(Visibility::Filter::Plain);
    selection.orderBy = SortKey::orderBy(m_db);
    selection.bind = [this](QSqlQuery& query) { Visibility::bindUser(query, m_user); };
    return selection;
}

// The ids of "Все записи" come from the order table alone, in its index's
// order (the visibility filter's test on the owns of records hidden as a
// whole).
ListingQueries::Selection ListingQueries::allIdsSelection() const
{
    if (!SortKey::available(m_db))
        return allSelection();
    Selection selection;
    selection.from = QStringLiteral("sprav_order");
    selection.where = QStringLiteral("(sprav_order.hiddenowns IS NULL OR "
                                     "instr(sprav_order.hiddenowns, :visuser) > 0)");
    selection.orderBy = QStringLiteral("sprav_order.sortkey, sprav_order.id");
    selection.id = QStringLiteral("sprav_order.id");
    selection.bind = [this](QSqlQuery& query) { Visibility::bindUser(query, m_user); };
    return selection;
}

// The cities of that name are found first, so that the records are read
// through their city's index rather than all of them tested.
ListingQueries::Selection ListingQueries::citySelection(const QString& cityName) const
{
    Selection selection;
    selection.from = spravWithCity(m_db);
    selection.where = QStringLiteral("sprav.cityid IN (SELECT named.id FROM city AS named "
                                     "WHERE %1 = %2) AND ")
                          .arg(TextFold::sql(QStringLiteral("named.cityname")),
                               TextFold::sql(QStringLiteral(":cityname"))) +
                      Visibility::VisibilityFilter(Visibility::Filter::Qualified);
    selection.orderBy = SortKey::orderBy(m_db);
    selection.bind = [this, cityName](QSqlQuery& query) {
        query.bindValue(QStringLiteral(":cityname"), cityName);
        Visibility::bindUser(query, m_user);
    };
    return selection;
}

// The grid puts a page's rows in the order of its ids (FoundModel), so a page
// is read without the order table, in the order of the ids' index.
ListingQueries::Selection ListingQueries::only(Selection selection, const QList<int>& ids,
                                               bool postgres) const
{
    selection.from.replace(SortKey::records(m_db), QStringLiteral("sprav"));
    selection.orderBy = QStringLiteral("sprav.id");
    selection.where = amongIds(QStringLiteral("sprav.id"), QStringLiteral(":pageids"), postgres) +
                      QStringLiteral(" AND ") + selection.where;
    const QString list = idArray(ids, postgres);
    selection.bind = [bind = std::move(selection.bind), list](QSqlQuery& query) {
        bind(query);
        query.bindValue(QStringLiteral(":pageids"), list);
    };
    return selection;
}

// The ids come as one value in list order: a row per record would cost more
// than the listing itself. SQLite's aggregate takes the rows of an ordered
// subquery in that order (a subquery with ORDER BY under an aggregate is never
// flattened) and gives them as 32-bit integers (idlist(), which Database
// registers); PostgreSQL's is told the order and gives a text, "12,7,31".
QList<int> ListingQueries::ids(const Selection& selection) const
{
    const bool postgres = Database::engineOf(m_db) == Engine::PostgreSQL;
    const QString statement =
        postgres ? QStringLiteral("SELECT string_agg(CAST(%4 AS text), ',' ORDER BY %3) "
                                  "FROM %1 WHERE %2")
                 : QStringLiteral("SELECT idlist(id) FROM (SELECT %4 AS id FROM %1 "
                                  "WHERE %2 ORDER BY %3)");
    QSqlQuery query =
        open(m_db, statement.arg(selection.from, selection.where, selection.orderBy, selection.id),
             selection.bind);
    if (!postgres)
        return Sql::idList(query);
    return Sql::next(query) ? idList(Sql::text(query, 0)) : QList<int>();
}

std::optional<QList<FoundRow>> ListingQueries::search(const QString& typed) const
{
    const SearchRequest request(typed);
    if (request.kind() == SearchRequest::Kind::None)
        return std::nullopt;
    return directory(searchSelection(request));
}

QList<FoundRow> ListingQueries::allRecords() const
{
    return directory(allSelection());
}

QList<FoundRow> ListingQueries::city(const QString& cityName) const
{
    return directory(citySelection(cityName));
}

std::optional<QList<int>> ListingQueries::searchIds(const QString& typed) const
{
    const SearchRequest request(typed);
    if (request.kind() == SearchRequest::Kind::None)
        return std::nullopt;
    if (request.kind() == SearchRequest::Kind::Name && ListingIndex::namesAvailable(m_db)) {
        if (Database::engineOf(m_db) == Engine::SQLite && SortKey::available(m_db) &&
            SearchIndex::indexed(m_db))
            return nameIdsInOrder(request);
        return ids(nameIdsSelection(request));
    }
    return ids(searchSelection(request));
}

// SQLite: the ids of the records whose names hold the text, whoever may see
// them: from the trigram index alone where it is exact, else its candidates
// with the folded names compared.
QList<int> ListingQueries::matchingNames(const SearchRequest& request) const
{
    if (std::optional<QList<int>> exact = SearchIndex::matchingIds(m_db, request.text()))
        return *std::move(exact);
    const QString needle = TextFold::text(request.text());
    const QString trigrams = SearchIndex::trigramQuery(needle);
    const QString from =
        trigrams.isEmpty()
            ? QStringLiteral("sprav_names")
            : QStringLiteral(
                  "sprav_fts CROSS JOIN sprav_names ON sprav_names.id = sprav_fts.rowid");
    const QString where = trigrams.isEmpty() ? ListingIndex::namesCondition(m_db)
                                             : QStringLiteral("sprav_fts MATCH :ftsquery AND ") +
                                                   ListingIndex::namesCondition(m_db);
    QSqlQuery query = open(
        m_db, QStringLiteral("SELECT idlist(sprav_names.id) FROM %1 WHERE %2").arg(from, where),
        [&](QSqlQuery& q) {
            q.bindValue(QStringLiteral(":needle"), needle);
            if (!trigrams.isEmpty())
                q.bindValue(QStringLiteral(":ftsquery"), trigrams);
        });
    return Sql::idList(query);
}

// SQLite: the matching ids unordered (matchingNames()), then kept in the
// order of "Все записи" for the user, which also leaves out what the user may
// not see.
QList<int> ListingQueries::nameIdsInOrder(const SearchRequest& request) const
{
    const QList<int> matching = matchingNames(request);
    if (matching.isEmpty())
        return {};
    // Reading the whole order costs more than sorting a few matches.
    ListedOrder& listed = ListedOrder::of(m_db);
    if (matching.size() < m_sortedByEngineBelow && !listed.kept(m_db, m_user)) {
        Selection few;
        few.from = QStringLiteral("sprav_names");
        few.where = amongIds(QStringLiteral("sprav_names.id"), QStringLiteral(":found"), false) +
                    QStringLiteral(" AND (sprav_names.hiddenowns IS NULL OR "
                                   "instr(sprav_names.hiddenowns, :visuser) > 0)");
        few.orderBy = QStringLiteral("sprav_names.sortkey, sprav_names.id");
        few.id = QStringLiteral("sprav_names.id");
        const QString list = idArray(matching, false);
        few.bind = [this, list](QSqlQuery& q) {
            q.bindValue(QStringLiteral(":found"), list);
            Visibility::bindUser(q, m_user);
        };
        return ids(few);
    }
    std::vector<bool> matches;
    for (const int id : matching) {
        if (id < 0)
            continue;
        if (size_t(id) >= matches.size())
            matches.resize(size_t(id) + 1);
        matches[size_t(id)] = true;
    }
    const QList<int> order = listed.ids(m_db, m_user, [this] { return ids(allIdsSelection()); });
    QList<int> found;
    found.reserve(matching.size());
    for (const int id : order)
        if (id >= 0 && size_t(id) < matches.size() && matches[size_t(id)])
            found.append(id);
    return found;
}

QList<int> ListingQueries::allRecordIds() const
{
    if (Database::engineOf(m_db) == Engine::PostgreSQL)
        return allRecordIdsPostgres();
    if (!SortKey::available(m_db))
        return ids(allIdsSelection());
    return ListedOrder::of(m_db).ids(m_db, m_user, [this] { return ids(allIdsSelection()); });
}

// PostgreSQL sorts the rows of an aggregate with an ORDER BY of its own however
// they come, and the order index alone cannot tell which records are hidden.
// So the ids of the records not hidden as a whole are read in the order of
// their partial index (ListingIndex), and each record hidden as a whole that
// the user may see comes with the id of the first of those that follows it
// ("id:next", no next at the end), to be put before that one.
QList<int> ListingQueries::allRecordIdsPostgres() const
{
    QSqlQuery query = Sql::prepare(
        m_db,
        QStringLiteral(
            "SELECT array_to_string(ARRAY(SELECT id FROM sprav_order WHERE hiddenowns IS NULL "
            "ORDER BY sortkey, id), ','), "
            "array_to_string(ARRAY(SELECT CAST(h.id AS text) || ':' || coalesce(CAST(("
            "SELECT o.id FROM sprav_order o WHERE o.hiddenowns IS NULL AND "
            "(o.sortkey, o.id) > (h.sortkey, h.id) ORDER BY o.sortkey, o.id LIMIT 1) AS text), '') "
            "FROM sprav_order h WHERE h.hiddenowns IS NOT NULL AND instr(h.hiddenowns, :visuser) > "
            "0 "
            "ORDER BY h.sortkey, h.id), ',')"));
    Visibility::bindUser(query, m_user);
    Sql::exec(query);
    if (!Sql::next(query))
        return {};
    const QList<int> open = idList(Sql::text(query, 0));
    const QStringList hidden = Sql::text(query, 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
    QList<int> found;
    found.reserve(open.size() + hidden.size());
    qsizetype h = 0;
    // The hidden records come in list order, so the records they precede do too.
    const auto putHiddenBefore = [&](int next) {
        for (; h < hidden.size(); ++h) {
            const QString& entry = hidden.at(h);
            const qsizetype colon = entry.indexOf(QLatin1Char(':'));
            if (entry.mid(colon + 1).toInt() != next)
                return;
            found.append(entry.left(colon).toInt());
        }
    };
    for (const int id : open) {
        putHiddenBefore(id);
        found.append(id);
    }
    putHiddenBefore(0);
    return found;
}

QList<int> ListingQueries::cityIds(const QString& cityName) const
{
    return ids(citySelection(cityName));
}

// A page of a search, all records or a city: the records are those of all
// records (the user's visibility of the moment applies), by id.
QList<FoundRow> ListingQueries::directoryRows(const QList<int>& ids) const
{
    if (ids.isEmpty())
        return {};
    return directory(only(allSelection(), ids, Database::engineOf(m_db) == Engine::PostgreSQL));
}

// Search, all records and one city: id, name, short enterprise name, phones.
QList<FoundRow> ListingQueries::directory(const Selection& selection) const
{
    QSqlQuery query = open(m_db,
                           QStringLiteral("SELECT sprav.id, sprav.f, sprav.io, sprav.shortpp, "
                                          "sprav.owns, city.id, city.citycode FROM %1 WHERE %2 "
                                          "ORDER BY %3")
                               .arg(selection.from, selection.where, selection.orderBy),
                           selection.bind);
    QList<FoundRow> rows;
    QList<bool> permitted;
    QStringList prefixes;
    while (Sql::next(query)) {
        FoundRow row;
        row.id = query.value(0).toInt();
        row.name = fullName(query, 1, 2);
        row.second = Sql::text(query, 3);
        rows.append(std::move(row));
        permitted.append(Visibility::IsPermitted(Sql::text(query, 4), m_user));
        const bool knownCity = !query.value(5).isNull();
        prefixes.append(knownCity ? QLatin1Char('(') + Sql::text(query, 6) + QStringLiteral(") ")
                                  : QString());
    }
    query.finish();
    if (!rows.isEmpty())
        addPhones(rows, permitted, prefixes);
    return rows;
}

// One statement for the phones of every listed record, grouped by record and
// in the order of their kinds. The listed ids travel as one bound value (a
// JSON array on SQLite, an integer array on PostgreSQL), so the search
// condition does not run a second time; a listing of most of the directory
// reads the whole phone table instead, which is cheaper than looking up each
// id. A hidden phone is left out unless the user is named in the record's
// owns; the prefix stands before the first phone row even when every phone is
// left out.
void ListingQueries::addPhones(QList<FoundRow>& rows, const QList<bool>& permitted,
                               const QStringList& prefixes) const
{
    QHash<int, qsizetype> rowOfId;
    rowOfId.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        rowOfId.insert(rows.at(i).id, i);
    const bool postgres = Database::engineOf(m_db) == Engine::PostgreSQL;
    const bool byId = !rows.isEmpty() && rows.size() <= m_wholePhoneTableAbove;
    QString ids;
    QString listed;
    if (byId) {
        QList<int> listedIds;
        listedIds.reserve(rows.size());
        for (const FoundRow& row : rows)
            listedIds.append(row.id);
        ids = idArray(listedIds, postgres);
        listed =
            QStringLiteral("WHERE %1 ")
                .arg(amongIds(QStringLiteral("phone.parentid"), QStringLiteral(":ids"), postgres));
    }
    QSqlQuery query =
        open(m_db,
             QStringLiteral("SELECT phone.parentid, notes.note, phone.phone, phone.hid FROM phone "
                            "JOIN notes ON notes.id = phone.noteid %1"
                            "ORDER BY phone.parentid, phone.noteid, phone.phone")
                 .arg(listed),
             [&](QSqlQuery& q) {
                 if (byId)
                     q.bindValue(QStringLiteral(":ids"), ids);
             });
    int previous = 0;
    bool first = true;
    while (Sql::next(query)) {
        const int parent = query.value(0).toInt();
        const auto found = rowOfId.constFind(parent);
        if (found == rowOfId.constEnd())
            continue;
        const qsizetype i = found.value();
        QString& phones = rows[i].phones;
        if (first || parent != previous) {
            phones = prefixes.at(i);
            previous = parent;
            first = false;
        }
        if (query.value(3).toBool() && !permitted.at(i))
            continue;
        phones += Sql::text(query, 1);
        phones += Sql::text(query, 2);
        phones += QStringLiteral("; ");
    }
}

namespace
{
// A birthday of the person, or of the spouse where the user may see the
// spouse data, falls in the window; the record is not hidden from the user.
QString birthdayCondition(const BirthdayWindow& window, Visibility::Filter filter)
{
    return QStringLiteral("(%1 OR (%2 AND %3)) AND %4")
        .arg(window.condition(QStringLiteral("sprav.birthday")),
             window.condition(QStringLiteral("sprav.spbirthday")),
             Visibility::SpouseVisibleCondition(), Visibility::VisibilityFilter(filter));
}
} // namespace

ListingQueries::Selection ListingQueries::birthdaySelection(const BirthdayWindow& window) const
{
    Selection selection;
    selection.from = SortKey::records(m_db);
    selection.where = birthdayCondition(window, Visibility::Filter::Birthday);
    selection.orderBy = SortKey::orderBy(m_db);
    selection.bind = [this, window](QSqlQuery& query) {
        window.bind(query);
        Visibility::bindUser(query, m_user);
    };
    return selection;
}

QList<FoundRow> ListingQueries::birthdays(const QDate& today) const
{
    const BirthdayWindow window(today);
    return birthdayList(birthdaySelection(window), window);
}

QList<int> ListingQueries::birthdayIds(const QDate& today) const
{
    return ids(birthdaySelection(BirthdayWindow(today)));
}

QList<FoundRow> ListingQueries::birthdayRows(const QList<int>& ids, const QDate& today) const
{
    if (ids.isEmpty())
        return {};
    const BirthdayWindow window(today);
    return birthdayList(
        only(birthdaySelection(window), ids, Database::engineOf(m_db) == Engine::PostgreSQL),
        window);
}

QList<FoundRow> ListingQueries::birthdayList(const Selection& selection,
                                             const BirthdayWindow& window) const
{
    QSqlQuery query = open(m_db,
                           QStringLiteral("SELECT sprav.id, sprav.f, sprav.io, sprav.birthday, "
                                          "sprav.spbirthday, sprav.owns, sprav.hided FROM %1 "
                                          "WHERE %2 ORDER BY %3")
                               .arg(selection.from, selection.where, selection.orderBy),
                           selection.bind);
    QList<FoundRow> rows;
    QList<bool> permitted;
    while (Sql::next(query)) {
        FoundRow row;
        row.id = query.value(0).toInt();
        row.name = fullName(query, 1, 2);
        const QString owns = Sql::text(query, 5);
        const QString person = Sql::text(query, 3);
        const QString spouse = Visibility::SpouseVisible(Sql::text(query, 6), owns, m_user)
                                   ? Sql::text(query, 4)
                                   : QString();
        if (!window.contains(spouse)) {
            row.second = person;
        } else if (!window.contains(person)) {
            row.name += spouseOnlySuffix();
            row.second = spouse;
        } else {
            row.name += withSpouseSuffix();
            row.second = person + QStringLiteral(" и ") + spouse;
        }
        rows.append(std::move(row));
        permitted.append(Visibility::IsPermitted(owns, m_user));
    }
    query.finish();
    if (!rows.isEmpty())
        addPhones(rows, permitted, QStringList(rows.size()));
    return rows;
}

bool ListingQueries::hasBirthdays(const QDate& today) const
{
    const BirthdayWindow window(today);
    QSqlQuery query =
        Sql::prepare(m_db, QStringLiteral("SELECT sprav.id FROM sprav WHERE %1 LIMIT 1")
                               .arg(birthdayCondition(window, Visibility::Filter::BirthdayProbe)));
    window.bind(query);
    Visibility::bindUser(query, m_user);
    Sql::exec(query);
    return query.next();
}

QStringList ListingQueries::cities() const
{
    QSqlQuery query =
        Sql::run(m_db, QStringLiteral("SELECT DISTINCT city.cityname FROM city, sprav "
                                      "WHERE city.id = sprav.cityid "
                                      "ORDER BY city.cityname"));
    QStringList names;
    while (Sql::next(query)) {
        const QString name = Sql::text(query, 0);
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}
