// SPDX-License-Identifier: MIT
#pragma once

#include "search/FoundRow.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <functional>

// The result list behind the search view's grid: column 0 the record id,
// columns 1 to 3 the texts. Read-only.
//
// A listing is held as the ids of its records in grid order; the texts of
// the rows are made on request, a page at a time, by the listing's row
// source, and a bounded number of pages is kept. So a list of any size
// appears at once, and the rows fetched later belong to the same ids in the
// same order. A list may also be handed over whole (setRows).
class FoundModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { IdColumn = 0, NameColumn = 1, SecondColumn = 2, PhonesColumn = 3, ColumnCount };

    // Makes the rows of the given ids; a record it does not return (deleted
    // or hidden since the list was made) shows as an empty row. Throws
    // DbError.
    using RowSource = std::function<QList<FoundRow>(const QList<int>& ids)>;

    static constexpr int DefaultPageSize = 64;
    static constexpr int KeptPages = 96;
    // Pages made at once, at most, when the rows are walked in order
    // (printing): one statement for a few thousand rows.
    static constexpr int ReadAhead = 64;

    explicit FoundModel(QObject* parent = nullptr, int pageSize = DefaultPageSize);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Replaces the list; secondHeader is the caption of column 2.
    void setListing(QList<int> ids, const QString& secondHeader, RowSource source);
    void setRows(QList<FoundRow> rows, const QString& secondHeader);
    void clear();

    const QString& secondHeader() const { return m_secondHeader; }
    int idAt(int row) const;
    // The text of a cell as the grid holds it (column 0: the id in decimal).
    QString text(int row, int column) const;

    static QString firmHeader();
    static QString birthdayHeader();

private:
    const FoundRow& rowAt(int row) const;
    const QList<FoundRow>& page(int number) const;
    // Makes the pages from first on (count of them) in one call of the source.
    bool makePages(int first, int count) const;

    int m_pageSize;
    QList<int> m_ids;
    QString m_secondHeader;
    RowSource m_source;
    // Pages made so far, the most recently used last in m_recent.
    mutable QHash<int, QList<FoundRow>> m_pages;
    mutable QList<int> m_recent;
    mutable int m_lastMade = -1;
    mutable int m_readAhead = 1; // pages made with the last one
};
