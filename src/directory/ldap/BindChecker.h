// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QThreadPool>
#include <functional>
#include <optional>

// Checks bind passwords on threads of its own: a slow password hash must not
// hold up the other clients of the service, and at most `limit` checks run
// at once, so a burst of binds cannot take all the memory Argon2 asks for.
class BindChecker : public QObject
{
    Q_OBJECT

public:
    explicit BindChecker(int limit, QObject* parent = nullptr);
    ~BindChecker() override;

    // Checks the password against the stored text (nothing: no such user,
    // which takes as long and never matches). False, starting nothing, when
    // `limit` checks are running; otherwise done(matches) is called later on
    // this object's thread, unless context is gone by then.
    bool start(const std::optional<QString>& stored, const QString& password, QObject* context,
               std::function<void(bool)> done);
    int running() const { return m_running; }

private:
    QThreadPool m_pool;
    int m_limit;
    int m_running = 0;
};
