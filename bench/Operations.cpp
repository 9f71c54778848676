// SPDX-License-Identifier: MIT
#include "Operations.h"
#include "report/ReportPreparer.h"
#include "report/ReportTemplateParser.h"
#include "report/UserDataSet.h"

Operations::Operations(const QSqlDatabase& db, const QString& user)
    : m_user(user), m_queries(db, user), m_store(db), m_history(db)
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

int Operations::showIds(QList<int> ids, const QString& secondHeader,
                        const FoundModel::RowSource& source)
{
    m_lazyModel.setListing(std::move(ids), secondHeader, source);
    screenAt(0);
    return m_lazyModel.rowCount();
}

void Operations::screenAt(int row)
{
    constexpr int screenRows = 25;
    for (int r = row; r < row + screenRows && r < m_lazyModel.rowCount(); ++r)
        for (int column = 0; column < FoundModel::ColumnCount; ++column)
            m_lazyModel.text(r, column);
}

int Operations::firstScreenSearch(const QString& text)
{
    const ListingQueries& q = m_queries;
    return showIds(m_queries.searchIds(text).value_or(QList<int>()), FoundModel::firmHeader(),
                   [&q](const QList<int>& page) { return q.directoryRows(page); });
}

int Operations::firstScreenAll()
{
    const ListingQueries& q = m_queries;
    return showIds(m_queries.allRecordIds(), FoundModel::firmHeader(),
                   [&q](const QList<int>& page) { return q.directoryRows(page); });
}

int Operations::firstScreenCity(const QString& cityName)
{
    const ListingQueries& q = m_queries;
    return showIds(m_queries.cityIds(cityName), FoundModel::firmHeader(),
                   [&q](const QList<int>& page) { return q.directoryRows(page); });
}

int Operations::firstScreenBirthdays(const QDate& today)
{
    const ListingQueries& q = m_queries;
    return showIds(m_queries.birthdayIds(today), FoundModel::birthdayHeader(),
                   [&q, today](const QList<int>& page) { return q.birthdayRows(page, today); });
}

// As the search view prints: the report asks for each row's texts.
int Operations::printList()
{
    UserDataSet data;
    data.setRangeEndCount(m_lazyModel.rowCount());
    const ReportTemplate list = ReportTemplateParser::load(QStringLiteral(":/report/list.rpt"));
    ReportPreparer preparer(list, &data, [this, &data](const QString& name, QVariant& value) {
        const int row = data.recNo();
        if (name.contains(QLatin1String("fio")))
            value = m_lazyModel.text(row, FoundModel::NameColumn);
        if (name.contains(QLatin1String("pp")))
            value = m_lazyModel.text(row, FoundModel::SecondColumn);
        if (name.contains(QLatin1String("phone")))
            value = m_lazyModel.text(row, FoundModel::PhonesColumn);
    });
    return int(preparer.prepare().size());
}

RecordData Operations::showRecord(int id)
{
    return m_store.load(id, m_user).value_or(RecordData());
}

int Operations::createRecord(const RecordData& record)
{
    return m_store.insert(record, m_user);
}

void Operations::changeRecord(int id, const RecordData& record)
{
    // As the editor does: the revision it saw when it showed the record.
    m_store.update(id, record, {m_store.revision(id).rev, m_user});
}

void Operations::deleteRecord(int id)
{
    m_store.remove(id, {m_store.revision(id).rev, m_user});
}

int Operations::restoreRecord(int histId)
{
    return m_history.restoreDeleted(histId, m_user);
}
