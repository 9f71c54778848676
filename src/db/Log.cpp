// SPDX-License-Identifier: MIT
#include "db/Log.h"

Q_LOGGING_CATEGORY(lcDatabase, "sprav.db")
