// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>

// A read-only list grid in the search view's style: whole rows selected one
// at a time, rows of 17 pixels, no row numbers, texts on one line.
inline QTableWidget* makeListGrid(QWidget* parent, const char* name, const QStringList& headers)
{
    auto* grid = new QTableWidget(0, int(headers.size()), parent);
    grid->setObjectName(QLatin1String(name));
    grid->setHorizontalHeaderLabels(headers);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setWordWrap(false);
    grid->setCornerButtonEnabled(false);
    QHeaderView* rows = grid->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(17);
    rows->setDefaultSectionSize(17);
    QHeaderView* columns = grid->horizontalHeader();
    columns->setHighlightSections(false);
    columns->setSectionsClickable(false);
    columns->setStretchLastSection(true);
    return grid;
}

// Fills a row of a list grid with texts, one per column.
inline void setGridRow(QTableWidget* grid, int row, const QStringList& texts)
{
    for (int column = 0; column < texts.size(); ++column)
        grid->setItem(row, column, new QTableWidgetItem(texts.at(column)));
}

// The buttons at the foot of a list dialog, right-aligned: `BtnRestore` with
// the given caption and «Закрыть», which closes the dialog. Neither takes
// Enter from the grid.
inline QHBoxLayout* makeRestoreButtons(QDialog* dialog, const QString& restoreCaption,
                                       QPushButton** restore, QPushButton** close)
{
    *restore = new QPushButton(restoreCaption, dialog);
    (*restore)->setObjectName(QStringLiteral("BtnRestore"));
    (*restore)->setAutoDefault(false);
    *close = new QPushButton(QStringLiteral("Закрыть"), dialog);
    (*close)->setObjectName(QStringLiteral("BtnClose"));
    (*close)->setAutoDefault(false);
    QObject::connect(*close, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(*restore);
    row->addWidget(*close);
    return row;
}
