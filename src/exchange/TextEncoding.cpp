// SPDX-License-Identifier: MIT
#include "exchange/TextEncoding.h"

#include <QStringDecoder>
#include <array>
#include <cmath>

namespace
{

// Windows-1251 from 0x80 to 0xFF; 0x98 is unassigned.
constexpr std::array<char16_t, 128> windows1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// How often each letter of the Russian alphabet occurs, per thousand
// letters, in the order а б в г д е ж з и й к л м н о п р с т у ф х ц ч ш щ
// ъ ы ь э ю я, then ё.
constexpr std::array<double, 33> letterFrequency = {80, 16, 45, 17,  30, 85, 9,  17, 74, 12, 35,
                                                    44, 32, 67, 110, 28, 47, 55, 63, 26, 3,  10,
                                                    5,  14, 7,  4,   1,  19, 17, 3,  6,  20, 1};
constexpr int yo = 32;

// The letter a byte stands for when read as Windows-1251, or -1.
int letterIn1251(unsigned char b)
{
    if (b >= 0xC0)
        return (b - 0xC0) % 32;
    return b == 0xA8 || b == 0xB8 ? yo : -1;
}

// The same when read as KOI8-R, whose letters stand in another order.
int letterInKoi8(unsigned char b)
{
    // Positions in а..я of the letters at 0xC0..0xDF (lower) and 0xE0..0xFF (upper).
    static constexpr std::array<int, 32> order = {30, 0,  1,  22, 4,  5,  20, 3,  21, 8,  9,
                                                  10, 11, 12, 13, 14, 15, 31, 16, 17, 18, 19,
                                                  6,  2,  28, 27, 7,  24, 29, 25, 23, 26};
    if (b >= 0xC0)
        return order[b & 0x1F];
    return b == 0xA3 || b == 0xB3 ? yo : -1;
}

double weight(int letter)
{
    // A byte that is no letter under a reading counts against it.
    return letter < 0 ? std::log(0.0005) : std::log(letterFrequency[letter] / 1000);
}

// The weight of each byte from 0x80 under both readings, worked out once.
struct Weights {
    std::array<double, 128> in1251{};
    std::array<double, 128> inKoi8{};
};

const Weights& weights()
{
    static const Weights table = [] {
        Weights w;
        for (int b = 0x80; b < 0x100; ++b) {
            // 0x98 is no character in Windows-1251.
            w.in1251[b - 0x80] = b == 0x98 ? -1000 : weight(letterIn1251(uchar(b)));
            w.inKoi8[b - 0x80] = weight(letterInKoi8(uchar(b)));
        }
        return w;
    }();
    return table;
}

QString normalizedCharset(const QString& name)
{
    return name.trimmed().toLower();
}

} // namespace

QString TextEncoding::fromWindows1251(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = b < 0x80 ? QChar(char16_t(b)) : QChar(windows1251[b - 0x80]);
    }
    return text;
}

QString TextEncoding::decode(QByteArrayView bytes, Kind kind)
{
    return kind == Kind::Windows1251 ? fromWindows1251(bytes) : QString::fromUtf8(bytes);
}

bool TextEncoding::isUtf8(QByteArrayView bytes)
{
    int pending = 0;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (pending > 0) {
            if ((b & 0xC0) != 0x80)
                return false;
            --pending;
        } else if (b >= 0x80) {
            if (b >= 0xC2 && b <= 0xDF)
                pending = 1;
            else if (b >= 0xE0 && b <= 0xEF)
                pending = 2;
            else if (b >= 0xF0 && b <= 0xF4)
                pending = 3;
            else
                return false;
        }
    }
    return pending == 0;
}

std::optional<QString> TextEncoding::decodeCharset(QByteArrayView bytes, const QString& charset)
{
    const QString name = normalizedCharset(charset);
    if (name == QLatin1String("utf-8") || name == QLatin1String("utf8"))
        return QString::fromUtf8(bytes);
    if (name == QLatin1String("windows-1251") || name == QLatin1String("cp1251") ||
        name == QLatin1String("cp-1251") || name == QLatin1String("win-1251") ||
        name == QLatin1String("x-cp1251") || name == QLatin1String("1251"))
        return fromWindows1251(bytes);
    if (name == QLatin1String("us-ascii") || name == QLatin1String("ascii") ||
        name == QLatin1String("iso-8859-1") || name == QLatin1String("latin1"))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(name.toLatin1().constData());
    if (!decoder.isValid())
        return std::nullopt;
    return decoder.decode(bytes);
}

void TextEncoding::Detector::feed(QByteArrayView chunk)
{
    if (!m_started) {
        m_started = true;
        if (chunk.startsWith("\xEF\xBB\xBF"))
            m_bom = Kind::Utf8;
        else if (chunk.startsWith("\xFF\xFE"))
            m_bom = Kind::Utf16LE;
        else if (chunk.startsWith("\xFE\xFF"))
            m_bom = Kind::Utf16BE;
    }
    m_bytes += chunk.size();
    if (m_bom == Kind::Utf16LE || m_bom == Kind::Utf16BE)
        return;
    const Weights& table = weights();
    for (const char c : chunk) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20) {
            if (b == 0)
                ++m_nul;
            else if (b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1A)
                ++m_controls;
        }
        if (m_pending > 0 && (b == '\r' || b == '\n')) {
            m_inFold = true;
        } else if (m_inFold && (b == ' ' || b == '\t')) {
            m_inFold = false;
        } else if (m_pending > 0) {
            if ((b & 0xC0) != 0x80 || m_inFold)
                m_utf8 = false;
            m_inFold = false;
            m_pending = (b & 0xC0) == 0x80 ? m_pending - 1 : 0;
        } else if (b >= 0x80) {
            if (b >= 0xC2 && b <= 0xDF)
                m_pending = 1;
            else if (b >= 0xE0 && b <= 0xEF)
                m_pending = 2;
            else if (b >= 0xF0 && b <= 0xF4)
                m_pending = 3;
            else
                m_utf8 = false;
        }
        if (b >= 0x80) {
            ++m_high;
            if (letterIn1251(b) >= 0)
                ++m_letters1251;
            m_score1251 += table.in1251[b - 0x80];
            m_scoreKoi8 += table.inKoi8[b - 0x80];
        }
    }
}

std::optional<TextEncoding::Kind> TextEncoding::Detector::result(QString* reason) const
{
    if (m_bom == Kind::Utf16LE || m_bom == Kind::Utf16BE)
        return m_bom;
    if (m_nul > 0 || m_controls * 100 > m_bytes) {
        *reason = QStringLiteral("Файл не текстовый: в нём двоичные данные.");
        return std::nullopt;
    }
    if (m_utf8 && m_pending == 0)
        return Kind::Utf8;
    if (m_bom == Kind::Utf8) {
        *reason = QStringLiteral("Файл помечен как UTF-8, но в нём есть знаки не в этой "
                                 "кодировке.");
        return std::nullopt;
    }
    // Mostly letters, and letters that make Russian text when read so.
    if (m_letters1251 * 10 >= m_high * 6 && m_score1251 >= m_scoreKoi8)
        return Kind::Windows1251;
    *reason = QStringLiteral("Кодировка файла не распознана. Читаются файлы в UTF-8, в UTF-16 "
                             "с меткой порядка байтов и в Windows-1251.");
    return std::nullopt;
}
