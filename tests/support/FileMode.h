// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The owner, group and others' permission bits of a file as the octal
// number ls and chmod show, e.g. 0600.
int fileMode(const QString& path);
