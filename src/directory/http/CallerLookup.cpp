// SPDX-License-Identifier: MIT
#include "directory/http/CallerLookup.h"
#include "db/ContactIndex.h"
#include "db/Schema.h"
#include "db/Sql.h"
#include "db/Visibility.h"
#include "directory/Viewer.h"

#include <QSqlQuery>
#include <array>
#include <tuple>

namespace
{

// Rank of a phone kind (1 work ... 6 fax): lower wins.
int kindRank(int kind)
{
    // mobile, direct, home, work, secretary, fax
    static constexpr std::array<int, 7> rank = {9, 3, 2, 0, 1, 4, 5};
    return kind >= 1 && kind <= 6 ? rank.at(std::size_t(kind)) : 9;
}

QString joined(const QString& a, const QString& b)
{
    return (a.trimmed() + QLatin1Char(' ') + b.trimmed()).trimmed();
}

} // namespace

CallerLookup::CallerLookup(const QSqlDatabase& db, const PhoneNumbers& numbers,
                           const Viewer& viewer)
    : m_db(db), m_numbers(numbers), m_viewer(viewer)
{
}

// The statement finds the candidates by their digits (every matching phone
// holds the hint); PhoneNumbers decides which of them are the number.
std::optional<CallerLookup::Caller> CallerLookup::find(const QString& calling) const
{
    const QString hint = m_numbers.storedDigitsHint(calling);
    if (hint.isEmpty())
        return std::nullopt;
    // Three digits and more: the number index of the program's search
    // narrows the records to those with a phone holding the hint.
    const bool indexed = hint.size() >= 3;
    QSqlQuery query = Sql::prepare(
        m_db, QStringLiteral("SELECT sprav.id, sprav.f, sprav.io, sprav.shortpp, sprav.longpp, "
                             "phone.phone, phone.noteid FROM phone JOIN sprav ON sprav.id = "
                             "phone.parentid WHERE instr(phonedigits(phone.phone), :hint) > 0 "
                             "AND %1 AND %2%3")
                  .arg(Visibility::VisibilityFilter(Visibility::Filter::Qualified),
                       Visibility::PhoneVisibleCondition(),
                       indexed ? QStringLiteral(" AND ") + ContactIndex::phoneCondition(m_db)
                               : QString()));
    query.bindValue(QStringLiteral(":hint"), hint);
    if (indexed)
        ContactIndex::bindPhone(query, hint);
    Visibility::bindUser(query, m_viewer.user);
    Sql::exec(query);

    std::optional<Caller> best;
    std::tuple<int, int, int> bestRank;
    while (Sql::next(query)) {
        const auto match = m_numbers.match(calling, Sql::text(query, 5));
        if (match == PhoneNumbers::Match::None)
            continue;
        const int id = query.value(0).toInt();
        const int kind = query.value(6).toInt();
        const auto rank =
            std::make_tuple(match == PhoneNumbers::Match::Exact ? 0 : 1, kindRank(kind), id);
        if (best && rank >= bestRank)
            continue;
        bestRank = rank;
        Caller caller;
        caller.id = id;
        caller.enterprise = Sql::text(query, 3).trimmed();
        if (caller.enterprise.isEmpty())
            caller.enterprise = Sql::text(query, 4).trimmed();
        caller.name = joined(Sql::text(query, 1), Sql::text(query, 2));
        if (caller.name.isEmpty())
            caller.name = caller.enterprise;
        if (kind >= 1 && kind <= Schema::phoneKinds().size())
            caller.kind = Schema::phoneKinds().at(kind - 1);
        best = caller;
    }
    return best;
}
