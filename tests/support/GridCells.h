// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <QTableWidget>

// Every cell's text of a list grid, row by row (empty for a cell without an
// item).
inline QStringList gridCells(const QTableWidget* grid)
{
    QStringList texts;
    for (int row = 0; row < grid->rowCount(); ++row)
        for (int column = 0; column < grid->columnCount(); ++column)
            texts.append(grid->item(row, column) ? grid->item(row, column)->text() : QString());
    return texts;
}
