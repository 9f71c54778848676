// SPDX-License-Identifier: MIT
#include "search/FoundModel.h"

FoundModel::FoundModel(QObject* parent) : QAbstractTableModel(parent), m_secondHeader(firmHeader())
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
    return parent.isValid() ? 0 : int(m_rows.size());
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
    const FoundRow& row = m_rows.at(index.row());
    switch (index.column()) {
    case IdColumn:
        return role == Qt::DisplayRole ? QVariant(row.id) : QVariant();
    case NameColumn:
        return row.name;
    case SecondColumn:
        return row.second;
    case PhonesColumn:
        return row.phones;
    default:
        return {};
    }
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

void FoundModel::setRows(QList<FoundRow> rows, const QString& secondHeader)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_secondHeader = secondHeader;
    endResetModel();
}

void FoundModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows = QList<FoundRow>();
    endResetModel();
}

int FoundModel::idAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).id : 0;
}

QString FoundModel::text(int row, int column) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    const FoundRow& found = m_rows.at(row);
    switch (column) {
    case IdColumn:
        return QString::number(found.id);
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
