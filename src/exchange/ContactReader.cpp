// SPDX-License-Identifier: MIT
#include "exchange/ContactReader.h"

QString ContactReader::overlongLine(int line)
{
    return QStringLiteral("Строка %1 длиннее %2 МБ: это не файл контактов.")
        .arg(line)
        .arg(maxLineBytes / (1024 * 1024));
}
