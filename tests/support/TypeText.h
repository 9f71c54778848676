// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;

// Types text into a widget key by key, as a user would, for any alphabet
// (QTest::keyClicks only manages Latin-1).
void typeText(QWidget* widget, const QString& text);
