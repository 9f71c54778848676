// SPDX-License-Identifier: MIT
#include "search/FoundModel.h"
#include "common/DbError.h"

#include <QLoggingCategory>
#include <algorithm>

namespace
{
Q_LOGGING_CATEGORY(listing, "sprav.listing")
} // namespace

FoundModel::FoundModel(QObject* parent, int pageSize)
    : QAbstractTableModel(parent), m_pageSize(pageSize), m_secondHeader(firmHeader())
{
}

QString FoundModel::firmHeader()
{
    return QStringLiteral("Название предприятия");
}

QString FoundModel::birthdayHeader()
{
    return QStringLiteral("День рождения");
}

int FoundModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_ids.size());
}

int FoundModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FoundModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    if (index.column() == IdColumn)
        return role == Qt::DisplayRole ? QVariant(m_ids.at(index.row())) : QVariant();
    return text(index.row(), index.column());
}

QVariant FoundModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case IdColumn:
        return QString();
    case NameColumn:
        return QStringLiteral("Фамилия Имя Отчество");
    case SecondColumn:
        return m_secondHeader;
    case PhonesColumn:
        return QStringLiteral("Телефоны");
    default:
        return {};
    }
}

Qt::ItemFlags FoundModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void FoundModel::setListing(QList<int> ids, const QString& secondHeader, RowSource source)
{
    beginResetModel();
    m_ids = std::move(ids);
    m_secondHeader = secondHeader;
    m_source = std::move(source);
    m_pages.clear();
    m_recent.clear();
    m_lastMade = -1;
    m_readAhead = 1;
    endResetModel();
}

void FoundModel::setRows(QList<FoundRow> rows, const QString& secondHeader)
{
    QList<int> ids;
    ids.reserve(rows.size());
    for (const FoundRow& row : rows)
        ids.append(row.id);
    // Every page is at hand: the source hands back the rows it was given.
    QHash<int, FoundRow> byId;
    byId.reserve(rows.size());
    for (FoundRow& row : rows)
        byId.insert(row.id, std::move(row));
    setListing(std::move(ids), secondHeader, [byId](const QList<int>& page) {
        QList<FoundRow> found;
        for (int id : page)
            found.append(byId.value(id));
        return found;
    });
}

void FoundModel::clear()
{
    if (m_ids.isEmpty() && !m_source)
        return;
    setListing({}, m_secondHeader, {});
}

int FoundModel::idAt(int row) const
{
    return row >= 0 && row < m_ids.size() ? m_ids.at(row) : 0;
}

QString FoundModel::text(int row, int column) const
{
    if (row < 0 || row >= m_ids.size())
        return {};
    if (column == IdColumn)
        return QString::number(m_ids.at(row));
    const FoundRow& found = rowAt(row);
    switch (column) {
    case NameColumn:
        return found.name;
    case SecondColumn:
        return found.second;
    case PhonesColumn:
        return found.phones;
    default:
        return {};
    }
}

const FoundRow& FoundModel::rowAt(int row) const
{
    static const FoundRow none;
    const QList<FoundRow>& rows = page(row / m_pageSize);
    const qsizetype at = row % m_pageSize;
    return at < rows.size() ? rows.at(at) : none;
}

// The rows of one page in grid order, made by the source when not kept.
const QList<FoundRow>& FoundModel::page(int number) const
{
    static const QList<FoundRow> none;
    if (const auto kept = m_pages.constFind(number); kept != m_pages.constEnd()) {
        if (m_recent.last() != number) {
            m_recent.removeOne(number);
            m_recent.append(number);
        }
        return kept.value();
    }
    // Walking on from the page made last: the next ones are made with it,
    // twice as many each time the walk goes on, so that a screen crossing
    // into the next page makes two pages and printing a few thousand rows at
    // once.
    if (m_lastMade >= 0 && number == m_lastMade + 1)
        m_readAhead = std::min(2 * m_readAhead, ReadAhead);
    else
        m_readAhead = 1;
    if (!makePages(number, m_readAhead))
        return none;
    return m_pages.constFind(number).value();
}

bool FoundModel::makePages(int first, int count) const
{
    const qsizetype begin = qsizetype(first) * m_pageSize;
    const QList<int> ids = m_ids.mid(begin, qsizetype(count) * m_pageSize);
    QList<FoundRow> rows;
    try {
        if (m_source)
            rows = m_source(ids);
    } catch (const DbError& e) {
        // A page that cannot be made shows empty rows; a later look tries again.
        qCWarning(listing) << "rows of a listing page not made:" << e.text();
        return false;
    }
    QHash<int, qsizetype> made;
    made.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        made.insert(rows.at(i).id, i);
    for (qsizetype start = 0; start < ids.size(); start += m_pageSize) {
        QList<FoundRow> ordered;
        ordered.reserve(m_pageSize);
        for (qsizetype i = start; i < ids.size() && i < start + m_pageSize; ++i) {
            const int id = ids.at(i);
            const auto found = made.constFind(id);
            if (found != made.constEnd()) {
                ordered.append(std::move(rows[found.value()]));
            } else {
                FoundRow gone;
                gone.id = id;
                ordered.append(std::move(gone));
            }
        }
        const int number = first + int(start / m_pageSize);
        if (m_pages.contains(number))
            m_recent.removeOne(number);
        else if (m_recent.size() >= KeptPages)
            m_pages.remove(m_recent.takeFirst());
        m_recent.append(number);
        m_pages.insert(number, std::move(ordered));
        m_lastMade = number;
    }
    return true;
}
