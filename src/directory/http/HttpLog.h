// SPDX-License-Identifier: MIT
#pragma once

#include <QLoggingCategory>

// The directory service's log: refused requests and start-up problems of the
// HTTP side.
Q_DECLARE_LOGGING_CATEGORY(lcHttp)
