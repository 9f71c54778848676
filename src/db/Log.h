// SPDX-License-Identifier: MIT
#pragma once

#include <QLoggingCategory>

// What the database layer tells whoever reads the program's log: connections
// opened again, schema upgrades, data that needs an administrator's eye.
Q_DECLARE_LOGGING_CATEGORY(lcDatabase)
