// SPDX-License-Identifier: MIT
#include "Scalar.h"

QVariant scalar(const QSqlDatabase& db, const QString& statement,
                std::initializer_list<Sql::Binding> bindings)
{
    QSqlQuery q = Sql::run(db, statement, bindings);
    return q.next() ? q.value(0) : QVariant();
}

int count(const QSqlDatabase& db, const QString& statement,
          std::initializer_list<Sql::Binding> bindings)
{
    const QVariant value = scalar(db, statement, bindings);
    return value.isValid() ? value.toInt() : -1;
}
