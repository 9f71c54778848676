// SPDX-License-Identifier: MIT
#include "TypeText.h"

#include <QtTest>

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        const auto key = static_cast<Qt::Key>(c.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}
