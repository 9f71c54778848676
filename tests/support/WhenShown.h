// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>

// Runs action on the modal dialog of type Dialog as soon as it is shown, and
// fails the test when no such dialog comes up. A dialog the action leaves
// open (a failed check) is cancelled, so that the test goes on instead of
// waiting for it.
template <typename Dialog> void whenShown(std::function<void(Dialog*)> action)
{
    QTimer::singleShot(0, [action] {
        QPointer<Dialog> dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        QVERIFY2(dialog, "the expected modal dialog is not shown");
        dialog->activateWindow();
        if (!QTest::qWaitFor([&dialog] { return QApplication::activeWindow() == dialog; }))
            qWarning("the dialog did not become active");
        if (dialog)
            action(dialog);
        if (dialog && dialog->isVisible()) {
            qWarning("the dialog was left open");
            dialog->reject();
        }
    });
}
