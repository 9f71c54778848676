// SPDX-License-Identifier: MIT
#pragma once

#include "Measure.h"
#include "db/DataLink.h"

#include <QStringList>

// The directory service as its clients meet it: sprav-directory started as a
// program of its own on the bench's database, asked over LDAP by OpenLDAP's
// client library (as desk phones and mail clients ask) and over HTTP for
// caller ID.
class DirectoryFigures
{
public:
    struct Input {
        DataLink link;
        QStringList prefixes; // name beginnings a desk phone's user types
        QString number;       // a stored mobile number as another user types it
        int runs = 11;
        int clients = 100;
        int seconds = 30;
    };
    struct Result {
        Measure::Figures prefix; // the first 50 entries of a name search
        Measure::Figures number;
        Measure::Figures cid;
        qint64 prefixEntries = 0;
        qint64 numberEntries = 0;
        QString cidName;
        double concurrentQps = 0;
        qint64 concurrentSearches = 0;
        qint64 concurrentErrors = 0;
        double rssMb = 0; // the service's peak resident set
    };
    // Throws std::runtime_error when the service does not start.
    static Result run(const Input& input, const std::function<bool(const QString&)>& wanted);
    // Runs the figures wanted with three-letter beginnings of the surnames
    // and prints their lines.
    static void report(const DataLink& link, const QStringList& surnames, const QString& phone,
                       int runs, const std::function<bool(const QString&)>& wanted);
};
