// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// One line of a result list: the record's id and the three texts the grid
// shows and the report prints. Kept lean: a listing may hold 100,000 of them.
struct FoundRow {
    int id = 0;
    QString name;   // surname, blank, name and patronymic (birthday list: with a suffix)
    QString second; // short enterprise name, or the birthday texts
    QString phones; // the phones text
};
