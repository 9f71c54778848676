// SPDX-License-Identifier: MIT
#include "Parallel.h"
#include "common/DbError.h"

#include <mutex>
#include <thread>
#include <vector>

QStringList runInParallel(int count, const std::function<void(int)>& work)
{
    QStringList errors;
    std::mutex guard;
    std::vector<std::thread> threads;
    for (int n = 0; n < count; ++n) {
        threads.emplace_back([&, n] {
            QString error;
            try {
                work(n);
            } catch (const DbError& e) {
                error = e.text();
            } catch (const std::exception& e) {
                error = QString::fromLocal8Bit(e.what());
            }
            if (!error.isEmpty()) {
                const std::lock_guard<std::mutex> lock(guard);
                errors.append(error);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    return errors;
}
