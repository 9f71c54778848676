// SPDX-License-Identifier: MIT
#pragma once

#include "Measure.h"

#include <QString>

// The start-up trim of the history on a database of its own (SQLite, in a
// temporary folder) holding a million history rows written over two years:
// most records with a few versions, some changed often enough to have more
// than are kept.
class HistoryFigures
{
public:
    struct Result {
        qint64 rows = 0;
        double fillSeconds = 0;
        // The first trim, without the mark an earlier trim leaves (a database
        // made by an older program).
        double firstMs = 0;
        qint64 firstRemoved = 0;
        // Start-ups a day apart, each after a day's work wrote new versions.
        Measure::Figures daily;
        qint64 dailyRemoved = 0;
    };
    static Result run(qint64 rows, int days);
};
