// SPDX-License-Identifier: MIT
#pragma once

#include "exchange/TextEncoding.h"

#include <QByteArray>
#include <QStringDecoder>
#include <memory>

class QIODevice;

// Reads a text file line by line as bytes: UTF-8 or Windows-1251 as they
// stand, UTF-16 turned into UTF-8 on the way. A line ends at LF, CR LF or a
// lone CR; the byte-order mark is left out. A line longer than the limit is
// cut there and marked, and the rest of it is skipped without being kept, so
// a file with an absurd line takes no more memory than the limit.
class LineReader
{
public:
    struct Line {
        QByteArray bytes;
        int number = 0; // 1 for the first line
        bool overlong = false;
    };

    LineReader(QIODevice* device, TextEncoding::Kind encoding, qsizetype maxLength);
    ~LineReader();

    // False at the end of the file.
    bool next(Line& line);
    // Bytes of the file read so far, for progress.
    qint64 bytesRead() const { return m_consumed; }

private:
    bool fill();

    QIODevice* m_device;
    qsizetype m_maxLength;
    std::unique_ptr<QStringDecoder> m_utf16;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_consumed = 0;
    int m_number = 0;
    bool m_started = false;
    bool m_eof = false;
    bool m_skipLf = false; // the last line ended with CR: an LF right after belongs to it
};
