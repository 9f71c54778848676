// SPDX-License-Identifier: MIT
#pragma once

#include "db/Sql.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <initializer_list>

// The first value of the statement's first row: invalid without a row, null
// for NULL.
QVariant scalar(const QSqlDatabase& db, const QString& statement,
                std::initializer_list<Sql::Binding> bindings = {});
// The same as a number (a count, an id), -1 without a row.
int count(const QSqlDatabase& db, const QString& statement,
          std::initializer_list<Sql::Binding> bindings = {});
