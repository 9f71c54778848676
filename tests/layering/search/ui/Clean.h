// A window may use widgets and the core.
#include <QDialog>

#include "db/Sql.h"
#include "search/ui/TfrFind.h"
