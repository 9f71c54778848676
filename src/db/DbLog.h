// SPDX-License-Identifier: MIT
#pragma once

#include <QLoggingCategory>

// The database layer's log ("sprav.db"): statements and connections that
// failed, named by their text and the database's place. Values reach the
// statements bound, so the texts hold none; passwords are never logged.
Q_DECLARE_LOGGING_CATEGORY(lcDb)
