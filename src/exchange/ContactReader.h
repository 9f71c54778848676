// SPDX-License-Identifier: MIT
#pragma once

#include "exchange/Contact.h"

#include <QtGlobal>

// Reads the contacts of a file one after the other, keeping only the one at
// hand in memory.
class ContactReader
{
public:
    // Longer lines are no contact data: the file is refused.
    static constexpr qsizetype maxLineBytes = 4 * 1024 * 1024;
    // The longest value of a used property or CSV record, with its
    // continuation lines.
    static constexpr qsizetype maxValueBytes = 1024 * 1024;

    virtual ~ContactReader() = default;

    // The next contact; false at the end of the file. Throws ExchangeError
    // when the file cannot be read on (nothing of it may be stored then).
    virtual bool next(Contact& contact) = 0;
    // Bytes of the file read so far.
    virtual qint64 bytesRead() const = 0;

    // The refusal of a file with an absurdly long line.
    static QString overlongLine(int line);
};
