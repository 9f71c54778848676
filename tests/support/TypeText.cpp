// SPDX-License-Identifier: MIT
#include "TypeText.h"

#include <QTest>

void typeText(QWidget* widget, const QString& text)
{
    for (const char32_t c : text.toUcs4()) {
        if (c == U'\n') {
            QTest::keyClick(widget, Qt::Key_Return);
            continue;
        }
        // The key of a letter is its capital, as a keyboard reports it.
        const auto key = static_cast<Qt::Key>(QChar::toUpper(c));
        QTest::sendKeyEvent(QTest::Click, widget, key, QString::fromUcs4(&c, 1), Qt::NoModifier);
    }
}
