// SPDX-License-Identifier: MIT
#include "auth/AccountAdmin.h"
#include "auth/AccountStore.h"
#include "auth/PasswordHash.h"
#include "common/Clock.h"
#include "common/DbError.h"
#include "db/DateText.h"
#include "db/ServerLock.h"
#include "db/Sql.h"
#include "db/StoredText.h"

#include <QSet>

namespace
{

// The names of a privacy list, as IsPermitted finds them: words between blanks.
QStringList namesIn(const QString& owns)
{
    return owns.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The list with every word `from` replaced by `to`; blanks kept as they were.
QString replaced(const QString& owns, const QString& from, const QString& to)
{
    QStringList words = owns.split(QLatin1Char(' '));
    for (QString& word : words)
        if (word == from)
            word = to;
    return words.join(QLatin1Char(' '));
}

// The list without the word `name`, in the form the privacy dialog writes.
QString without(const QString& owns, const QString& name)
{
    QStringList names = namesIn(owns);
    names.removeAll(name);
    return QLatin1Char(' ') + names.join(QLatin1Char(' ')) + QLatin1Char(' ');
}

struct Listed {
    qint64 id;
    QString owns;
};

// Rows of the table whose privacy list names the user.
QList<Listed> naming(const QSqlDatabase& db, const char* table, const char* key,
                     const QString& name)
{
    QSqlQuery q = Sql::run(db,
                           QStringLiteral("SELECT %1, owns FROM %2 WHERE instr(owns, :token) > 0")
                               .arg(QLatin1String(key), QLatin1String(table)),
                           {{"token", QLatin1Char(' ') + name + QLatin1Char(' ')}});
    QList<Listed> rows;
    while (Sql::next(q))
        if (namesIn(Sql::text(q, 1)).contains(name))
            rows.append({q.value(0).toLongLong(), Sql::text(q, 1)});
    return rows;
}

// Writes the list with `change` made, unless another workstation changed the
// row since it was read: then the change is made again on what the row holds
// now, so the other change is kept. False when the row is gone or no longer
// names the user.
template <typename Change>
bool rewriteOwns(const QSqlDatabase& db, const char* table, const char* key, const Listed& row,
                 const QString& name, Change change)
{
    const QString update =
        QStringLiteral("UPDATE %1 SET owns = :owns WHERE %2 = :id AND owns = :was")
            .arg(QLatin1String(table), QLatin1String(key));
    const QString select = QStringLiteral("SELECT owns FROM %1 WHERE %2 = :id")
                               .arg(QLatin1String(table), QLatin1String(key));
    QString owns = row.owns;
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (Sql::run(db, update, {{"owns", change(owns)}, {"id", row.id}, {"was", owns}})
                .numRowsAffected() > 0)
            return true;
        QSqlQuery now = Sql::run(db, select, {{"id", row.id}});
        if (!Sql::next(now))
            return false;
        owns = Sql::text(now, 0);
        if (!namesIn(owns).contains(name))
            return false;
    }
    throw DbError(QStringLiteral("список допущенных к записи %1 меняется без остановки другой "
                                 "рабочей станцией; повторите команду.")
                      .arg(row.id));
}

// A new revision by nobody in particular: an editor that loaded the record
// before is told that it changed.
void advance(const QSqlDatabase& db, qint64 id)
{
    Sql::run(db,
             QStringLiteral("INSERT INTO sprav_rev (id, rev, usr, at) VALUES (:id, 1, NULL, :at) "
                            "ON CONFLICT (id) DO UPDATE SET rev = sprav_rev.rev + 1, usr = NULL, "
                            "at = excluded.at"),
             {{"id", id}, {"at", DateText::toStamp(Clock::now())}});
}

} // namespace

AccountAdmin::AccountAdmin(const QSqlDatabase& db) : m_db(db) {}

QList<AccountAdmin::User> AccountAdmin::users() const
{
    QSqlQuery q = Sql::run(m_db, QStringLiteral("SELECT log, pass FROM users ORDER BY log, id"));
    QList<User> list;
    while (Sql::next(q))
        list.append({Sql::text(q, 0), PasswordHash::isHash(Sql::text(q, 1))});
    return list;
}

QString AccountAdmin::nameProblem(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("имя пользователя пусто");
    if (name == QLatin1String("user"))
        return QStringLiteral("«user» — зарезервированное слово");
    if (name.contains(u' ') || name.contains(u';'))
        return QStringLiteral("имя пользователя не должно содержать пробелов и точек с запятой");
    if (!StoredText::storable(name))
        return QStringLiteral("в имени пользователя нулевой знак (NUL)");
    return {};
}

QString AccountAdmin::stored(const QString& name) const
{
    const QString found = AccountStore(m_db).storedName(name);
    if (found.isEmpty())
        throw AccountRefused(QStringLiteral("пользователь «%1» не зарегистрирован.").arg(name));
    return found;
}

QString AccountAdmin::resetPassword(const QString& name, const QString& password) const
{
    if (password.isEmpty())
        throw AccountRefused(QStringLiteral("пароль пуст. Ничего не изменено."));
    const QString hash = PasswordHash::make(password);
    Sql::Transaction transaction(m_db);
    const QString user = stored(name);
    Sql::run(m_db, QStringLiteral("UPDATE users SET pass = :pass WHERE log = :log"),
             {{"pass", hash}, {"log", user}});
    transaction.commit();
    return user;
}

AccountAdmin::Renamed AccountAdmin::rename(const QString& oldName, const QString& newName) const
{
    if (const QString problem = nameProblem(newName); !problem.isEmpty())
        throw AccountRefused(QStringLiteral("новое имя не подходит: %1.").arg(problem));
    Sql::Transaction transaction(m_db);
    // A registration of the new name at the same moment waits for the rename.
    ServerLock::forTransaction(m_db, ServerLock::Purpose::Registration);
    Renamed done;
    done.from = stored(oldName);
    const QString taken = AccountStore(m_db).storedName(newName);
    if (!taken.isEmpty() && taken != done.from)
        throw AccountRefused(
            QStringLiteral("имя «%1» уже занято пользователем «%2».").arg(newName, taken));
    // Records left to a user removed with --force still name them: the
    // renamed user would be given those records.
    if (const qsizetype left = naming(m_db, "sprav", "id", newName).size(); left > 0)
        throw AccountRefused(QStringLiteral("имя «%1» осталось в списках допущенных к записям "
                                            "удалённого пользователя: %2. Ничего не изменено.")
                                 .arg(newName)
                                 .arg(left));
    if (done.from == newName)
        throw AccountRefused(QStringLiteral("пользователь уже называется «%1».").arg(newName));
    Sql::run(m_db, QStringLiteral("UPDATE users SET log = :new WHERE log = :old"),
             {{"new", newName}, {"old", done.from}});
    const auto rename = [&](const QString& owns) { return replaced(owns, done.from, newName); };
    for (const Listed& row : naming(m_db, "sprav", "id", done.from)) {
        if (!rewriteOwns(m_db, "sprav", "id", row, done.from, rename))
            continue;
        advance(m_db, row.id);
        ++done.records;
    }
    for (const Listed& row : naming(m_db, "sprav_history", "histid", done.from))
        done.history += rewriteOwns(m_db, "sprav_history", "histid", row, done.from, rename);
    transaction.commit();
    return done;
}

AccountAdmin::Removed AccountAdmin::remove(const QString& name, bool force) const
{
    Sql::Transaction transaction(m_db);
    Removed done;
    done.name = stored(name);
    const QList<Listed> rows = naming(m_db, "sprav", "id", done.name);
    QList<Listed> shared;
    for (const Listed& row : rows) {
        const QStringList names = namesIn(row.owns);
        if (QSet<QString>(names.begin(), names.end()).size() == 1)
            ++done.keptIn;
        else
            shared.append(row);
    }
    if (done.keptIn > 0 && !force)
        throw AccountRefused(
            QStringLiteral("пользователь «%1» — единственный, кому открыты записи: %2. Ничего не "
                           "изменено; --force удалит его, а эти записи останутся скрытыми от "
                           "всех остальных.")
                .arg(done.name)
                .arg(done.keptIn));
    const auto drop = [&](const QString& owns) { return without(owns, done.name); };
    for (const Listed& row : std::as_const(shared)) {
        if (!rewriteOwns(m_db, "sprav", "id", row, done.name, drop))
            continue;
        advance(m_db, row.id);
        ++done.droppedIn;
    }
    Sql::run(m_db, QStringLiteral("DELETE FROM users WHERE log = :log"), {{"log", done.name}});
    transaction.commit();
    return done;
}
