// A core file and a window that keep to their libraries.
#include <QSqlQuery>
#include <QString>

#include "db/Sql.h"
#include "search/ListingQueries.h"
