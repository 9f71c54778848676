// SPDX-License-Identifier: MIT
#include "db/DatabaseCopy.h"
#include "common/DbError.h"
#include "db/Database.h"
#include "db/Sql.h"

#include <QList>
#include <QSqlRecord>
#include <QStringList>
#include <algorithm>

namespace
{

// The tables a copy carries, parents first, with the columns that order
// their rows and the serial column PostgreSQL numbers.
struct CopiedTable {
    const char* name;
    const char* order;
    const char* serial; // nullptr: none
};

constexpr CopiedTable copiedTables[] = {
    {"notes", "id", nullptr},
    {"city", "id", "id"},
    {"prof", "id", "id"},
    {"users", "id", "id"},
    {"sprav", "id", "id"},
    {"phone", "parentid, noteid, phone", nullptr},
    {"sprav_rev", "id", nullptr},
    {"sprav_history", "histid", "histid"},
    {"phone_history", "histid, noteid, phone", nullptr},
};

// Rows go in batches of one statement each; both engines take up to 32766
// values in one statement.
constexpr qsizetype valuesPerStatement = 8000;

qint64 countOf(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT count(*) FROM %1").arg(table));
    q.next();
    return q.value(0).toLongLong();
}

// The columns both databases have, as the source spells them.
QStringList sharedColumns(const QSqlDatabase& from, const QSqlDatabase& to, const QString& table)
{
    const QSqlRecord target = to.record(table);
    const QSqlRecord source = from.record(table);
    QStringList names;
    for (int i = 0; i < source.count(); ++i)
        if (target.contains(source.fieldName(i)))
            names.append(source.fieldName(i).toLower());
    if (names.isEmpty())
        throw DbError(QStringLiteral("В базе данных нет таблицы %1.").arg(table));
    return names;
}

QString insertStatement(const QString& table, const QStringList& columns, qsizetype rows)
{
    QStringList marks(columns.size(), QStringLiteral("?"));
    const QString row = QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(table, columns.join(QLatin1Char(',')), QStringList(rows, row).join(QLatin1Char(',')));
}

// A value as stored: texts exactly (a leading U+FEFF kept), NULL as NULL,
// the rest in the target column's type (a phone's flag is a number on
// SQLite and a boolean on PostgreSQL).
QVariant storedValue(const QSqlQuery& q, int column, QMetaType target)
{
    QVariant value = q.value(column);
    if (value.isNull())
        return value;
    if (value.typeId() == QMetaType::QString)
        return Sql::text(q, column);
    if (value.metaType() != target && target.isValid())
        value.convert(target);
    return value;
}

qint64 copyTable(const QSqlDatabase& from, const QSqlDatabase& to, const CopiedTable& table)
{
    const QString name = QLatin1String(table.name);
    const QStringList columns = sharedColumns(from, to, name);
    QList<QMetaType> types;
    const QSqlRecord target = to.record(name);
    for (const QString& column : columns)
        types.append(target.field(column).metaType());
    const qsizetype batch = std::max<qsizetype>(1, valuesPerStatement / columns.size());
    QSqlQuery rows = Sql::prepare(
        from, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                  .arg(columns.join(QLatin1Char(',')), name, QLatin1String(table.order)));
    rows.setForwardOnly(true);
    Sql::exec(rows);
    QSqlQuery full = Sql::prepare(to, insertStatement(name, columns, batch));
    QVariantList pending;
    qint64 copied = 0;
    const auto flush = [&](QSqlQuery& insert) {
        for (qsizetype i = 0; i < pending.size(); ++i)
            insert.bindValue(int(i), pending.at(i));
        Sql::exec(insert);
        pending.clear();
    };
    while (Sql::next(rows)) {
        for (int c = 0; c < columns.size(); ++c)
            pending.append(storedValue(rows, c, types.at(c)));
        if (++copied % batch == 0)
            flush(full);
    }
    if (!pending.isEmpty()) {
        QSqlQuery rest =
            Sql::prepare(to, insertStatement(name, columns, pending.size() / columns.size()));
        flush(rest);
    }
    return copied;
}

// New rows are numbered after the largest id copied; a new record also
// after the ids of deleted ones, whose history keeps their id.
void continueNumbering(const QSqlDatabase& to)
{
    const bool postgres = Database::engineOf(to) == Engine::PostgreSQL;
    // A file made by an older program may number without AUTOINCREMENT.
    if (!postgres && !Sql::run(to, QStringLiteral("SELECT 1 FROM sqlite_master "
                                                  "WHERE name = 'sqlite_sequence'"))
                          .next())
        return;
    for (const CopiedTable& table : copiedTables) {
        if (!table.serial)
            continue;
        const QLatin1String name(table.name);
        QString largest = QStringLiteral("coalesce((SELECT max(%1) FROM %2), 0)")
                              .arg(QLatin1String(table.serial), name);
        if (name == QLatin1String("sprav"))
            largest =
                QStringLiteral("%1(%2, coalesce((SELECT max(id) FROM sprav_history), 0))")
                    .arg(postgres ? QStringLiteral("greatest") : QStringLiteral("max"), largest);
        if (postgres) {
            Sql::run(to,
                     QStringLiteral("SELECT setval(pg_get_serial_sequence(:table, :column), "
                                    "%1 + 1, false)")
                         .arg(largest),
                     {{"table", name}, {"column", QLatin1String(table.serial)}});
        } else {
            // AUTOINCREMENT numbers after the row sqlite_sequence keeps.
            Sql::run(to, QStringLiteral("DELETE FROM sqlite_sequence WHERE name = :table"),
                     {{"table", name}});
            Sql::run(to,
                     QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (:table, %1)")
                         .arg(largest),
                     {{"table", name}});
        }
    }
}

// The source read as one snapshot: PostgreSQL's repeatable read, SQLite's
// read transaction (in WAL mode the writers of other copies go on).
class Snapshot
{
public:
    explicit Snapshot(const QSqlDatabase& db) : m_db(db)
    {
        Sql::run(m_db, Database::engineOf(db) == Engine::PostgreSQL
                           ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")
                           : QStringLiteral("BEGIN"));
    }
    ~Snapshot()
    {
        try {
            Sql::run(m_db, QStringLiteral("ROLLBACK"));
        } catch (const DbError&) {
            // Only read: nothing to undo.
        }
    }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

private:
    QSqlDatabase m_db;
};

} // namespace

qint64 DatabaseCopy::records(const QSqlDatabase& db)
{
    return countOf(db, QStringLiteral("sprav"));
}

DatabaseCopy::Counts DatabaseCopy::countsOf(const QSqlDatabase& db)
{
    return {countOf(db, QStringLiteral("sprav")), countOf(db, QStringLiteral("phone")),
            countOf(db, QStringLiteral("users")), countOf(db, QStringLiteral("sprav_history"))};
}

QString DatabaseCopy::describe(const Counts& counts)
{
    return QStringLiteral("записей: %1, телефонов: %2, пользователей: %3, версий в истории: %4")
        .arg(counts.records)
        .arg(counts.phones)
        .arg(counts.users)
        .arg(counts.history);
}

DatabaseCopy::Counts DatabaseCopy::copy(const QSqlDatabase& from, const QSqlDatabase& to,
                                        bool replace)
{
    Sql::Transaction transaction(to);
    if (const qint64 held = records(to); held > 0 && !replace)
        throw DbError(QStringLiteral("В базе данных, куда копируется справочник, уже есть "
                                     "записи: %1. Ничего не изменено.")
                          .arg(held));
    // Children first, so that no trigger looks for a parent gone.
    for (auto table = std::rbegin(copiedTables); table != std::rend(copiedTables); ++table)
        Sql::run(to, QStringLiteral("DELETE FROM %1").arg(QLatin1String(table->name)));
    // The next start-up trims the copied history as a whole.
    Sql::run(to, QStringLiteral("DELETE FROM sprav_history_trimmed"));

    Counts counts;
    {
        const Snapshot snapshot(from);
        for (const CopiedTable& table : copiedTables) {
            const qint64 copied = copyTable(from, to, table);
            const QLatin1String name(table.name);
            if (name == QLatin1String("sprav"))
                counts.records = copied;
            else if (name == QLatin1String("phone"))
                counts.phones = copied;
            else if (name == QLatin1String("users"))
                counts.users = copied;
            else if (name == QLatin1String("sprav_history"))
                counts.history = copied;
        }
    }
    continueNumbering(to);
    transaction.commit();
    return counts;
}
