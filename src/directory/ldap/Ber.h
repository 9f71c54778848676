// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <lber.h>
#include <memory>

// Reads one BER-encoded message with liblber. The reader never trusts a
// length: every element must lie inside the bytes given, and every read
// checks liblber's answer; a false result means the message is malformed,
// after which the reader is of no further use.
class BerReader
{
public:
    explicit BerReader(const QByteArray& bytes);

    bool valid() const { return m_ber != nullptr; }
    // The bytes not yet read.
    qint64 remaining() const;
    // The tag of the next element without reading it; LBER_DEFAULT at the end.
    ber_tag_t peek() const;

    // Steps into a constructed element of that tag; end is then the value
    // of remaining() at which its contents are read up.
    bool enter(ber_tag_t tag, qint64& end);
    bool integer(ber_tag_t tag, qint64& value);
    bool boolean(ber_tag_t tag, bool& value);
    bool string(ber_tag_t tag, QByteArray& value);
    // Passes over the next element, whatever it is.
    bool skip();

private:
    struct Free {
        void operator()(BerElement* ber) const { ber_free(ber, 1); }
    };
    std::unique_ptr<BerElement, Free> m_ber;
};

// Builds one BER-encoded message with liblber's ber_printf; a failure of any
// step makes bytes() empty, so nothing half-built is ever sent.
class BerWriter
{
public:
    BerWriter();

    // ber_printf with the format and its arguments; ignored after a failure.
    template <typename... Args> void print(const char* format, Args... args)
    {
        if (m_ber && ber_printf(m_ber.get(), format, args...) == -1)
            m_failed = true;
    }
    void printString(const QByteArray& bytes)
    {
        print("o", bytes.constData(), static_cast<ber_len_t>(bytes.size()));
    }
    void printString(ber_tag_t tag, const QByteArray& bytes)
    {
        print("to", tag, bytes.constData(), static_cast<ber_len_t>(bytes.size()));
    }
    QByteArray bytes() const;

private:
    struct Free {
        void operator()(BerElement* ber) const { ber_free(ber, 1); }
    };
    std::unique_ptr<BerElement, Free> m_ber;
    bool m_failed = false;
};
