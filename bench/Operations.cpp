// SPDX-License-Identifier: MIT
#include "Operations.h"

Operations::Operations(const QSqlDatabase& db, const QString& user)
    : m_user(user), m_queries(db, user), m_store(db)
{
}

int Operations::show(QList<FoundRow> rows, const QString& secondHeader)
{
    m_model.setRows(std::move(rows), secondHeader);
    return m_model.rowCount();
}

int Operations::search(const QString& text)
{
    std::optional<QList<FoundRow>> rows = m_queries.search(text);
    return rows ? show(std::move(*rows), FoundModel::firmHeader()) : m_model.rowCount();
}

int Operations::allRecords()
{
    return show(m_queries.allRecords(), FoundModel::firmHeader());
}

int Operations::city(const QString& cityName)
{
    return show(m_queries.city(cityName), FoundModel::firmHeader());
}

int Operations::birthdays(const QDate& today)
{
    return show(m_queries.birthdays(today), FoundModel::birthdayHeader());
}

RecordData Operations::showRecord(int id)
{
    return m_store.load(id, m_user).value_or(RecordData());
}

int Operations::createRecord(const RecordData& record)
{
    return m_store.insert(record);
}

void Operations::changeRecord(int id, const RecordData& record)
{
    m_store.update(id, record);
}
