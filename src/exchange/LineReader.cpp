// SPDX-License-Identifier: MIT
#include "exchange/LineReader.h"

#include <QIODevice>

namespace
{
constexpr qint64 chunkSize = 256 * 1024;
} // namespace

LineReader::LineReader(QIODevice* device, TextEncoding::Kind encoding, qsizetype maxLength)
    : m_device(device), m_maxLength(maxLength)
{
    if (encoding == TextEncoding::Kind::Utf16LE || encoding == TextEncoding::Kind::Utf16BE)
        m_utf16 = std::make_unique<QStringDecoder>(encoding == TextEncoding::Kind::Utf16LE
                                                       ? QStringConverter::Utf16LE
                                                       : QStringConverter::Utf16BE);
}

LineReader::~LineReader() = default;

// Appends the next chunk of the file to the buffer; false at its end.
bool LineReader::fill()
{
    if (m_eof)
        return false;
    const QByteArray chunk = m_device->read(chunkSize);
    if (chunk.isEmpty()) {
        m_eof = true;
        return false;
    }
    m_consumed += chunk.size();
    if (m_pos > 0) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    QByteArray bytes = m_utf16 ? QString(m_utf16->decode(chunk)).toUtf8() : chunk;
    if (!m_started) {
        m_started = true;
        // The UTF-16 decoder drops its own mark; a UTF-8 one is dropped here.
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
    }
    m_buffer.append(bytes);
    return true;
}

bool LineReader::next(Line& line)
{
    line.bytes.clear();
    line.overlong = false;
    bool any = false;
    for (;;) {
        if (m_pos >= m_buffer.size() && !fill()) {
            if (!any)
                return false;
            break;
        }
        if (m_skipLf) {
            m_skipLf = false;
            if (m_buffer.at(m_pos) == '\n') {
                ++m_pos;
                continue;
            }
        }
        any = true;
        const char* begin = m_buffer.constData() + m_pos;
        const char* end = m_buffer.constData() + m_buffer.size();
        const char* p = begin;
        while (p < end && *p != '\n' && *p != '\r')
            ++p;
        const qsizetype room = m_maxLength - line.bytes.size();
        if (p - begin > room)
            line.overlong = true;
        if (room > 0)
            line.bytes.append(begin, std::min<qsizetype>(p - begin, room));
        m_pos += p - begin;
        if (p < end) {
            m_skipLf = *p == '\r';
            ++m_pos;
            break;
        }
    }
    line.number = ++m_number;
    return true;
}
