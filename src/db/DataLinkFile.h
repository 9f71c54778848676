// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Where the program finds its data-link file, first found first:
//   1. the file SPRAV_DATA_LINK names;
//   2. sprav.udl in the working directory (a folder set up by hand, ./run.sh);
//   3. the user's own, ~/.config/sprav/sprav.udl;
//   4. the workstation's, /etc/sprav/sprav.udl (an office's admin puts one
//      there, naming the PostgreSQL server).
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
    };
    static Places systemPlaces();

    static QString find(const Places& places);
    static QString find() { return find(systemPlaces()); }
};
