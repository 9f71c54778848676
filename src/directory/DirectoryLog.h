// SPDX-License-Identifier: MIT
#pragma once

#include <QLoggingCategory>

// The directory service's log, "sprav.directory": who connected, binds that
// failed, databases that could not be read. Never a password.
Q_DECLARE_LOGGING_CATEGORY(lcDirectory)
