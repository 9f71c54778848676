// SPDX-License-Identifier: MIT
#include "directory/DirectoryLog.h"

Q_LOGGING_CATEGORY(lcDirectory, "sprav.directory")
