// SPDX-License-Identifier: MIT
#include "directory/ldap/Ber.h"

BerReader::BerReader(const QByteArray& bytes)
{
    berval value{static_cast<ber_len_t>(bytes.size()), const_cast<char*>(bytes.constData())};
    // ber_init copies the bytes.
    m_ber.reset(ber_init(&value));
}

qint64 BerReader::remaining() const
{
    ber_len_t left = 0;
    if (!m_ber || ber_get_option(m_ber.get(), LBER_OPT_BER_REMAINING_BYTES, &left) != 0)
        return 0;
    return static_cast<qint64>(left);
}

ber_tag_t BerReader::peek() const
{
    ber_len_t length = 0;
    if (!m_ber || remaining() == 0)
        return LBER_DEFAULT;
    return ber_peek_tag(m_ber.get(), &length);
}

bool BerReader::enter(ber_tag_t tag, qint64& end)
{
    ber_len_t length = 0;
    if (!m_ber || peek() != tag || ber_skip_tag(m_ber.get(), &length) != tag)
        return false;
    const qint64 left = remaining();
    if (static_cast<qint64>(length) > left)
        return false;
    end = left - static_cast<qint64>(length);
    return true;
}

bool BerReader::integer(ber_tag_t tag, qint64& value)
{
    ber_int_t number = 0;
    if (!m_ber || peek() != tag || ber_get_int(m_ber.get(), &number) != tag)
        return false;
    value = number;
    return true;
}

bool BerReader::boolean(ber_tag_t tag, bool& value)
{
    ber_int_t flag = 0;
    if (!m_ber || peek() != tag || ber_get_boolean(m_ber.get(), &flag) != tag)
        return false;
    value = flag != 0;
    return true;
}

bool BerReader::string(ber_tag_t tag, QByteArray& value)
{
    berval bytes{0, nullptr};
    // LBER_BV_NOTERM: a view into the reader's own copy, which stays
    // untouched; copied out at once.
    if (!m_ber || peek() != tag || ber_get_stringbv(m_ber.get(), &bytes, LBER_BV_NOTERM) != tag)
        return false;
    value = QByteArray(bytes.bv_val, static_cast<qsizetype>(bytes.bv_len));
    return true;
}

bool BerReader::skip()
{
    berval element{0, nullptr};
    return m_ber && peek() != LBER_DEFAULT &&
           ber_skip_element(m_ber.get(), &element) != LBER_DEFAULT;
}

BerWriter::BerWriter() : m_ber(ber_alloc_t(LBER_USE_DER)) {}

QByteArray BerWriter::bytes() const
{
    if (!m_ber || m_failed)
        return {};
    berval* flat = nullptr;
    if (ber_flatten(m_ber.get(), &flat) != 0 || !flat)
        return {};
    QByteArray result(flat->bv_val, static_cast<qsizetype>(flat->bv_len));
    ber_bvfree(flat);
    return result;
}
