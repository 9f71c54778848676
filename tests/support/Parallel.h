// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <functional>

// Runs work(0) to work(count - 1) at the same time, each in a thread of its
// own with its own connections, as separate copies of the program would, and
// waits for all of them. Returns the texts of the errors they raised.
QStringList runInParallel(int count, const std::function<void(int)>& work);
