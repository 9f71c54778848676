// SPDX-License-Identifier: MIT
#include "search/ListingQueries.h"
#include "db/ContactIndex.h"
#include "db/Database.h"
#include "db/IdArray.h"
#include "db/ListingIndex.h"
#include "db/SearchIndex.h"
#include "db/SortKey.h"
#include "db/Sql.h"
#include "db/StoredText.h"
#include "db/TextFold.h"
#include "db/Visibility.h"
#include "search/BirthdayWindow.h"
#include "search/ListedOrder.h"
#include "search/ListingRows.h"
#include "search/ListingSelection.h"
#include "search/SearchRequest.h"

#include <QSqlQuery>
#include <functional>
#include <vector>

namespace
{

// Records joined with their city; a record of an unknown city keeps NULLs.
QString spravWithCity(const QSqlDatabase& db)
{
    return SortKey::records(db) + QStringLiteral(" LEFT JOIN city ON city.id = sprav.cityid");
}

} // namespace

ListingQueries::ListingQueries(const QSqlDatabase& db, const QString& user,
                               int wholePhoneTableAbove, int sortedByEngineBelow)
    : m_db(db), m_user(user), m_wholePhoneTableAbove(wholePhoneTableAbove),
      m_sortedByEngineBelow(sortedByEngineBelow)
{
}

ListingRows ListingQueries::rows() const
{
    return ListingRows(m_db, m_user, m_wholePhoneTableAbove);
}

QString ListingQueries::searchText(const QString& typed)
{
    return SearchRequest(typed).text();
}

namespace
{

// What a number or a text with @ finds besides the names: the records owning
// such a phone or e-mail that the user may see. Empty for a name.
struct ContactTest {
    QString where;
    std::function<void(QSqlQuery&)> bind;
};

ContactTest contactTest(const QSqlDatabase& db, const SearchRequest& request)
{
    const QString text = request.text();
    if (request.kind() == SearchRequest::Kind::Phone)
        return {ContactIndex::phoneCondition(db),
                [text](QSqlQuery& query) { ContactIndex::bindPhone(query, text); }};
    if (request.kind() == SearchRequest::Kind::Email)
        return {ContactIndex::emailCondition(db),
                [text](QSqlQuery& query) { ContactIndex::bindEmail(query, text); }};
    return {};
}

} // namespace

// The names always; for a number or a text with @ also the records owning
// such a phone or e-mail, all in the list's order.
ListingSelection ListingQueries::searchSelection(const SearchRequest& request) const
{
    const QString text = request.text();
    const ContactTest contact = contactTest(m_db, request);
    ListingSelection selection;
    selection.from = spravWithCity(m_db);
    selection.where = SearchIndex::condition(m_db);
    if (!contact.where.isEmpty())
        selection.where = QStringLiteral("(%1 OR %2)").arg(selection.where, contact.where);
    selection.where +=
        QStringLiteral(" AND ") + Visibility::VisibilityFilter(Visibility::Filter::Plain);
    selection.orderBy = SortKey::orderBy(m_db);
    selection.bind = [this, text, bindContact = contact.bind](QSqlQuery& query) {
        SearchIndex::bind(query, text);
        if (bindContact)
            bindContact(query);
        Visibility::bindUser(query, m_user);
    };
    return selection;
}

// The ids of the records a number or a text with @ finds by phone or e-mail,
// in no particular order.
QList<int> ListingQueries::contactIds(const SearchRequest& request) const
{
    const ContactTest contact = contactTest(m_db, request);
    if (contact.where.isEmpty())
        return {};
    ListingSelection selection;
    selection.from = QStringLiteral("sprav");
    selection.where = contact.where + QStringLiteral(" AND ") +
                      Visibility::VisibilityFilter(Visibility::Filter::Plain);
    selection.orderBy = QStringLiteral("sprav.id");
    selection.bind = [this, bindContact = contact.bind](QSqlQuery& query) {
        bindContact(query);
        Visibility::bindUser(query, m_user);
    };
    return selection.ids(m_db);
}

// The ids of a name search, where the names table is kept: read from it
// alone, its folded names compared as plain texts, its sortkey and hiddenowns
// ordering and filtering the records as the full listing does. A trigram
// index picks the records to compare: SQLite's once complete, PostgreSQL's
// pg_trgm index on the names table.
ListingSelection ListingQueries::nameIdsSelection(const SearchRequest& request) const
{
    const QString needle = TextFold::text(request.text());
    const bool postgres = Database::engineOf(m_db) == Engine::PostgreSQL;
    const QString trigrams =
        !postgres && SearchIndex::indexed(m_db) ? SearchIndex::trigramQuery(needle) : QString();
    ListingSelection selection;
    selection.from = QStringLiteral("sprav_names");
    selection.where = ListingIndex::namesCondition(m_db) + QStringLiteral(" AND ") +
                      Visibility::HiddenOwnsFilter(QStringLiteral("sprav_names"));
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

ListingSelection ListingQueries::allSelection() const
{
    ListingSelection selection;
    selection.from = spravWithCity(m_db);
    selection.where = Visibility::VisibilityFilter(Visibility::Filter::Plain);
    selection.orderBy = SortKey::orderBy(m_db);
    selection.bind = [this](QSqlQuery& query) { Visibility::bindUser(query, m_user); };
    return selection;
}

// The ids of "Все записи" come from the order table alone, in its index's
// order (the visibility filter's test on the owns of records hidden as a
// whole).
ListingSelection ListingQueries::allIdsSelection() const
{
    if (!SortKey::available(m_db))
        return allSelection();
    ListingSelection selection;
    selection.from = QStringLiteral("sprav_order");
    selection.where = Visibility::HiddenOwnsFilter(QStringLiteral("sprav_order"));
    selection.orderBy = QStringLiteral("sprav_order.sortkey, sprav_order.id");
    selection.id = QStringLiteral("sprav_order.id");
    selection.bind = [this](QSqlQuery& query) { Visibility::bindUser(query, m_user); };
    return selection;
}

// The cities of that name are found first, so that the records are read
// through their city's index rather than all of them tested.
ListingSelection ListingQueries::citySelection(const QString& cityName) const
{
    ListingSelection selection;
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

std::optional<QList<FoundRow>> ListingQueries::search(const QString& typed) const
{
    const SearchRequest request(typed);
    if (request.kind() == SearchRequest::Kind::None)
        return std::nullopt;
    // Nothing stored holds a NUL (StoredText), and no engine takes one bound.
    if (!StoredText::storable(request.text()))
        return QList<FoundRow>();
    return rows().directory(searchSelection(request));
}

QList<FoundRow> ListingQueries::allRecords() const
{
    return rows().directory(allSelection());
}

QList<FoundRow> ListingQueries::city(const QString& cityName) const
{
    if (!StoredText::storable(cityName))
        return {};
    return rows().directory(citySelection(cityName));
}

std::optional<QList<int>> ListingQueries::searchIds(const QString& typed) const
{
    const SearchRequest request(typed);
    if (request.kind() == SearchRequest::Kind::None)
        return std::nullopt;
    if (!StoredText::storable(request.text()))
        return QList<int>();
    const bool keptNames = ListingIndex::namesAvailable(m_db);
    if (keptNames && Database::engineOf(m_db) == Engine::SQLite && SortKey::available(m_db) &&
        SearchIndex::indexed(m_db)) {
        QList<int> matching = matchingNames(request);
        matching += contactIds(request);
        return inListOrder(matching);
    }
    if (request.kind() == SearchRequest::Kind::Name && keptNames)
        return nameIdsSelection(request).ids(m_db);
    return searchSelection(request).ids(m_db);
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
    QSqlQuery query = Sql::prepare(
        m_db, QStringLiteral("SELECT idlist(sprav_names.id) FROM %1 WHERE %2").arg(from, where));
    query.bindValue(QStringLiteral(":needle"), needle);
    if (!trigrams.isEmpty())
        query.bindValue(QStringLiteral(":ftsquery"), trigrams);
    Sql::exec(query);
    return Sql::idList(query);
}

// SQLite: matching ids in no order (an id may come twice), kept in the
// order of "Все записи" for the user, which also leaves out what the user may
// not see.
QList<int> ListingQueries::inListOrder(const QList<int>& matching) const
{
    if (matching.isEmpty())
        return {};
    // Reading the whole order costs more than sorting a few matches.
    ListedOrder& listed = ListedOrder::of(m_db);
    if (matching.size() < m_sortedByEngineBelow && !listed.kept(m_db, m_user)) {
        ListingSelection few;
        few.from = QStringLiteral("sprav_names");
        few.where =
            IdArray::among(QStringLiteral("sprav_names.id"), QStringLiteral(":found"), false) +
            QStringLiteral(" AND ") + Visibility::HiddenOwnsFilter(QStringLiteral("sprav_names"));
        few.orderBy = QStringLiteral("sprav_names.sortkey, sprav_names.id");
        few.id = QStringLiteral("sprav_names.id");
        const QString list = IdArray::value(matching, false);
        few.bind = [this, list](QSqlQuery& q) {
            q.bindValue(QStringLiteral(":found"), list);
            Visibility::bindUser(q, m_user);
        };
        return few.ids(m_db);
    }
    std::vector<bool> matches;
    for (const int id : matching) {
        if (id < 0)
            continue;
        if (size_t(id) >= matches.size())
            matches.resize(size_t(id) + 1);
        matches[size_t(id)] = true;
    }
    const QList<int> order =
        listed.ids(m_db, m_user, [this] { return allIdsSelection().ids(m_db); });
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
        return allIdsSelection().ids(m_db);
    return ListedOrder::of(m_db).ids(m_db, m_user, [this] { return allIdsSelection().ids(m_db); });
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
            "FROM sprav_order h WHERE h.hiddenowns IS NOT NULL AND %1 "
            "ORDER BY h.sortkey, h.id), ',')")
            .arg(Visibility::HiddenOwnsFilter(QStringLiteral("h"))));
    Visibility::bindUser(query, m_user);
    Sql::exec(query);
    if (!Sql::next(query))
        return {};
    const QList<int> open = IdArray::parse(Sql::text(query, 0));
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
    if (!StoredText::storable(cityName))
        return {};
    return citySelection(cityName).ids(m_db);
}

// A page of a search, all records or a city: the records are those of all
// records (the user's visibility of the moment applies), by id.
QList<FoundRow> ListingQueries::directoryRows(const QList<int>& ids) const
{
    if (ids.isEmpty())
        return {};
    return rows().directory(allSelection().only(m_db, ids));
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

ListingSelection ListingQueries::birthdaySelection(const BirthdayWindow& window) const
{
    ListingSelection selection;
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
    return rows().birthdays(birthdaySelection(window), window);
}

QList<int> ListingQueries::birthdayIds(const QDate& today) const
{
    return birthdaySelection(BirthdayWindow(today)).ids(m_db);
}

QList<FoundRow> ListingQueries::birthdayRows(const QList<int>& ids, const QDate& today) const
{
    if (ids.isEmpty())
        return {};
    const BirthdayWindow window(today);
    return rows().birthdays(birthdaySelection(window).only(m_db, ids), window);
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
