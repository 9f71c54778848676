// SPDX-License-Identifier: MIT
#include "db/DbLog.h"

Q_LOGGING_CATEGORY(lcDb, "sprav.db")
