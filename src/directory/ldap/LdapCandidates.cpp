// SPDX-License-Identifier: MIT
#include "directory/ldap/LdapCandidates.h"
#include "db/ContactIndex.h"
#include "db/SearchIndex.h"
#include "db/SortKey.h"
#include "db/Sql.h"
#include "db/TextFold.h"
#include "db/Visibility.h"

#include <QRegularExpression>
#include <algorithm>

namespace
{

using Kind = LdapFilter::Kind;

enum TermKind { Name, Phone, Email };

// Attributes made of the record's names (surname, name and patronymic,
// enterprise names), which the name index holds.
bool isNameAttribute(const QString& name)
{
    static const QStringList names{QStringLiteral("cn"), QStringLiteral("displayname"),
                                   QStringLiteral("sn"), QStringLiteral("givenname"),
                                   QStringLiteral("o")};
    return names.contains(name);
}

// The asserted texts of a term: the value, or the pieces of a substring.
QStringList pieces(const LdapFilter& filter)
{
    if (filter.kind != Kind::Substrings)
        return {filter.value};
    return QStringList{filter.initial} + filter.any + QStringList{filter.final};
}

// The longest run of a text that one stored value must hold whole: an entry's
// name joins the record's names with a blank, so a run holds no blank.
QString longestRun(const QStringList& texts)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QString longest;
    for (const QString& text : texts)
        for (const QString& run : text.split(blanks, Qt::SkipEmptyParts))
            if (run.size() > longest.size())
                longest = run;
    return longest;
}

// Rows of (id, sort key) as a statement gives them, in the order of the
// lists: by the key's bytes (as both engines compare it), then by id.
LdapCandidates::Places placesOf(QSqlQuery& query)
{
    LdapCandidates::Places places;
    while (Sql::next(query))
        places.append({Sql::text(query, 1).toUtf8(), query.value(0).toInt()});
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    return places;
}

} // namespace

std::optional<QList<int>> LdapCandidates::of(const LdapFilter& filter) const
{
    const std::optional<Places> places = set(filter);
    if (!places)
        return std::nullopt;
    QList<int> ids;
    ids.reserve(places->size());
    for (const Place& place : *places)
        ids.append(place.id);
    return ids;
}

// The records in the lists' order, or nothing when the filter cannot be
// narrowed. Every list here is sorted, so And and Or merge them.
std::optional<LdapCandidates::Places> LdapCandidates::set(const LdapFilter& filter) const
{
    switch (filter.kind) {
    case Kind::And: {
        std::optional<Places> common;
        for (const LdapFilter& child : filter.children) {
            std::optional<Places> these = set(child);
            if (!these)
                continue;
            if (!common) {
                common = std::move(these);
                continue;
            }
            Places both;
            std::set_intersection(common->begin(), common->end(), these->begin(), these->end(),
                                  std::back_inserter(both));
            common = std::move(both);
        }
        return common;
    }
    case Kind::Or: {
        Places all;
        for (const LdapFilter& child : filter.children) {
            const std::optional<Places> these = set(child);
            if (!these)
                return std::nullopt;
            Places either;
            std::set_union(all.begin(), all.end(), these->begin(), these->end(),
                           std::back_inserter(either));
            all = std::move(either);
        }
        return all;
    }
    case Kind::Equality:
    case Kind::Approx:
    case Kind::Substrings:
        return term(filter);
    default:
        return std::nullopt;
    }
}

std::optional<LdapCandidates::Places> LdapCandidates::term(const LdapFilter& filter) const
{
    const QString name = LdapFilter::canonical(filter.attribute);
    if (name == QLatin1String("uid") && filter.kind != Kind::Substrings) {
        QSqlQuery query = Sql::prepare(
            m_db, QStringLiteral("SELECT id, sortkey FROM sprav_order WHERE id = :id"));
        bool numeric = false;
        query.bindValue(QStringLiteral(":id"), filter.value.trimmed().toInt(&numeric));
        if (!numeric)
            return Places{};
        Sql::exec(query);
        return placesOf(query);
    }
    if (LdapFilter::isPhoneAttribute(name)) {
        // Phones are compared by their digits: each piece of a substring is
        // held whole by the stored number's digits.
        QString digits;
        for (const QString& piece : pieces(filter))
            if (const QString d = ContactIndex::digitsOf(piece); d.size() > digits.size())
                digits = d;
        if (digits.size() < ContactIndex::MinDigits)
            return std::nullopt;
        return matching(ContactIndex::phoneCondition(m_db), digits, Phone);
    }
    const QString run = longestRun(pieces(filter));
    if (TextFold::text(run).size() < 3)
        return std::nullopt;
    if (name == QLatin1String("mail"))
        return matching(ContactIndex::emailCondition(m_db), run, Email);
    // A record without any name goes by its id: digits are not looked up.
    if (!isNameAttribute(name) || ContactIndex::digitsOf(run).contains(run))
        return std::nullopt;
    // A desk phone's name search asks for beginnings, which the name order
    // finds without reading every record that holds the text elsewhere.
    const QString& initial = filter.initial;
    if (filter.kind == Kind::Substrings && name != QLatin1String("givenname") &&
        name != QLatin1String("o") && !initial.isEmpty() &&
        std::none_of(initial.begin(), initial.end(), [](QChar c) { return c.isSpace(); }) &&
        initial.size() <= SortKey::MaxPartLength &&
        !ContactIndex::digitsOf(initial).contains(initial))
        return beginning(initial);
    return matching(SearchIndex::condition(m_db), run, Name);
    return std::nullopt;
}

LdapCandidates::Places LdapCandidates::matching(const QString& condition, const QString& text,
                                                int kind) const
{
    QSqlQuery query = Sql::prepare(
        m_db, QStringLiteral("SELECT sprav.id, sprav_order.sortkey FROM sprav JOIN sprav_order ON "
                             "sprav_order.id = sprav.id WHERE %1 AND %2")
                  .arg(condition, Visibility::VisibilityFilter(Visibility::Filter::Plain)));
    if (kind == Name)
        SearchIndex::bind(query, text);
    else if (kind == Phone)
        ContactIndex::bindPhone(query, text);
    else
        ContactIndex::bindEmail(query, text);
    Visibility::bindUser(query, m_viewer.user);
    Sql::exec(query);
    return placesOf(query);
}

// The records whose cn (and sn, displayName) can begin with the text: their
// surname begins with it (the order key of the surname does), or they have
// no surname and their name and patronymic begin with it, or they have no
// person's name at all and their enterprise's name begins with it.
LdapCandidates::Places LdapCandidates::beginning(const QString& text) const
{
    QString key = SortKey::of(text, {});
    key.chop(1); // the separator of the surname's key from the given names'
    const QString separator = SortKey::of({}, {});
    // Greater than every text that begins with the key, byte by byte.
    const QString beyond = QString::fromUcs4(U"\U0010FFFF");
    const QString folded = TextFold::text(text);
    QString pattern;
    for (const QChar c : folded) {
        if (c == u'%' || c == u'_' || c == u'\\')
            pattern += u'\\';
        pattern += c;
    }
    pattern += u'%';
    QSqlQuery query = Sql::prepare(
        m_db, QStringLiteral("SELECT id, sortkey FROM sprav_order WHERE sortkey >= :surname AND "
                             "sortkey < :surnameend UNION ALL SELECT id, sortkey FROM sprav_order "
                             "WHERE sortkey >= :given AND sortkey < :givenend UNION ALL SELECT "
                             "sprav.id, sprav_order.sortkey FROM sprav JOIN "
                             "sprav_order ON sprav_order.id = sprav.id WHERE sprav_order.sortkey = "
                             ":nameless AND (%1 LIKE :pattern ESCAPE '\\' OR %2 LIKE :pattern "
                             "ESCAPE '\\')")
                  .arg(TextFold::sql(QStringLiteral("trim(coalesce(sprav.shortpp, ''))")),
                       TextFold::sql(QStringLiteral("trim(coalesce(sprav.longpp, ''))"))));
    query.bindValue(QStringLiteral(":surname"), key);
    query.bindValue(QStringLiteral(":surnameend"), key + beyond);
    query.bindValue(QStringLiteral(":given"), separator + key);
    query.bindValue(QStringLiteral(":givenend"), separator + key + beyond);
    query.bindValue(QStringLiteral(":nameless"), separator);
    query.bindValue(QStringLiteral(":pattern"), pattern);
    Sql::exec(query);
    return placesOf(query);
}
