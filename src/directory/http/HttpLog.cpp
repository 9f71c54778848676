// SPDX-License-Identifier: MIT
#include "directory/http/HttpLog.h"

Q_LOGGING_CATEGORY(lcHttp, "sprav.directory")
