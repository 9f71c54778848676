// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

// The encodings contact files come in: UTF-8 (with or without a byte-order
// mark), UTF-16 with a byte-order mark, and Windows-1251, which spreadsheet
// programs and old phones in Russian write. Windows-1251 is decoded from a
// table of its own, so it works whatever the Qt build supports.
class TextEncoding
{
public:
    enum class Kind { Utf8, Utf16LE, Utf16BE, Windows1251 };

    // Decodes 8-bit text (UTF-8 or Windows-1251).
    static QString decode(QByteArrayView bytes, Kind kind);
    static QString fromWindows1251(QByteArrayView bytes);
    static bool isUtf8(QByteArrayView bytes);

    // The decoder for a charset a vCard names (CHARSET=...); nothing when
    // the name is unknown. Names are compared without regard to case.
    static std::optional<QString> decodeCharset(QByteArrayView bytes, const QString& charset);

    // Works out a file's encoding from all its bytes, fed in chunks.
    class Detector
    {
    public:
        void feed(QByteArrayView chunk);
        // The encoding, or the reason the bytes are no text this program
        // reads (binary data, an unknown encoding).
        std::optional<Kind> result(QString* reason) const;

    private:
        bool m_started = false;
        std::optional<Kind> m_bom;
        qint64 m_bytes = 0;
        qint64 m_nul = 0;
        qint64 m_controls = 0;
        qint64 m_high = 0;
        // UTF-8 check across chunks: continuation bytes still expected.
        int m_pending = 0;
        // A vCard folds lines by bytes, sometimes inside a character: a line
        // break and one blank may stand between its bytes.
        bool m_inFold = false;
        bool m_utf8 = true;
        // Windows-1251 against KOI8-R: letter frequencies under each reading.
        qint64 m_letters1251 = 0;
        double m_score1251 = 0;
        double m_scoreKoi8 = 0;
    };
};
