// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;

// Types text into a widget key by key, as a keyboard would, in any alphabet,
// emoji included (QTest::keyClicks manages Latin-1 only); a line break is the
// Return key.
void typeText(QWidget* widget, const QString& text);
