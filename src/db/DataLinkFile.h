// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Where the program finds its data-link file, first found first:
//   1. the file SPRAV_DATA_LINK names;
//   2. sprav.udl in the working directory (a folder set up by hand, ./run.sh);
//   3. the user's own, ~/.config/sprav/sprav.udl;
//   4. the workstation's, /etc/sprav/sprav.udl (an office's admin puts one
//      there, naming the PostgreSQL server);
//   5. at a first start of the windows, a new one in the user's data folder
//      (~/.local/share/sprav/sprav.udl) for an SQLite book beside it.
// Without any, the working directory's name is given, which the start then
// reports as missing.
class DataLinkFile
{
public:
    struct Places {
        QString named; // SPRAV_DATA_LINK
        QString workingDir;
        QString userConfig;
        QString system;
        QString userData;
    };
    static Places systemPlaces();

    // create: make the first start's file when none is found.
    static QString find(const Places& places, bool create);
    static QString find(bool create) { return find(systemPlaces(), create); }
};
