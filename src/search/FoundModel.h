// SPDX-License-Identifier: MIT
#pragma once

#include "search/FoundRow.h"

#include <QAbstractTableModel>
#include <QList>

// The result list behind the search view's grid: column 0 the record id,
// columns 1 to 3 the texts. Read-only; the rows are handed over, not copied.
class FoundModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { IdColumn = 0, NameColumn = 1, SecondColumn = 2, PhonesColumn = 3, ColumnCount };

    explicit FoundModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Replaces the list; secondHeader is the caption of column 2.
    void setRows(QList<FoundRow> rows, const QString& secondHeader);
    void clear();

    const QList<FoundRow>& rows() const { return m_rows; }
    const QString& secondHeader() const { return m_secondHeader; }
    int idAt(int row) const;
    // The text of a cell as the grid holds it (column 0: the id in decimal).
    QString text(int row, int column) const;

    static QString firmHeader();
    static QString birthdayHeader();

private:
    QList<FoundRow> m_rows;
    QString m_secondHeader;
};
