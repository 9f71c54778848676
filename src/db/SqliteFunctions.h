// SPDX-License-Identifier: MIT
#pragma once

struct sqlite3;

// The functions the statements and the triggers of an SQLite directory call:
// ulower (Database::fold for every alphabet), sortkey (SortKey::of),
// phonedigits (ContactIndex::digitsOf), contains (instr() > 0, faster) and
// the aggregate idlist (the ids of its rows in their order, as 32-bit
// integers in one blob). The program registers them on each connection; the
// same source, built as the loadable extension libsprav_sqlite, gives them
// to the sqlite3 shell and other SQLite tools, so that they can change the
// file (".load libsprav_sqlite").
namespace SqliteFunctions
{
// SQLITE_OK, or SQLite's error code.
int registerOn(sqlite3* handle);
} // namespace SqliteFunctions
