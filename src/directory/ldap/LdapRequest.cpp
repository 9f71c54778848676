// SPDX-License-Identifier: MIT
#include "directory/ldap/LdapRequest.h"
#include "directory/ldap/Ber.h"

namespace
{

constexpr ber_tag_t Sequence = LBER_SEQUENCE;
// Terms of one filter at most: each is matched against every entry, and
// desk phones and mail programs send a handful.
constexpr int maxFilterTerms = 1024;
constexpr ber_tag_t OctetString = LBER_OCTETSTRING;

// The protocol ops of the requests, with their application tags.
struct OpTag {
    ber_tag_t tag;
    LdapRequest::Op op;
    int response;
};
constexpr OpTag opTags[] = {
    {0x60, LdapRequest::Op::Bind, 0x61},    {0x42, LdapRequest::Op::Unbind, 0},
    {0x63, LdapRequest::Op::Search, 0x65},  {0x50, LdapRequest::Op::Abandon, 0},
    {0x66, LdapRequest::Op::Modify, 0x67},  {0x68, LdapRequest::Op::Add, 0x69},
    {0x4a, LdapRequest::Op::Delete, 0x6b},  {0x6c, LdapRequest::Op::ModifyDn, 0x6d},
    {0x6e, LdapRequest::Op::Compare, 0x6f}, {0x77, LdapRequest::Op::Extended, 0x78},
};

QString utf8(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}

class Decoder
{
public:
    Decoder(const QByteArray& message, int maxDepth) : m_ber(message), m_maxDepth(maxDepth) {}

    bool message(LdapRequest& r);

private:
    bool op(ber_tag_t tag, LdapRequest& r);
    bool bind(LdapRequest& r);
    bool search(LdapRequest& r);
    bool extended(LdapRequest& r);
    bool filter(LdapFilter& f, int depth);
    bool assertion(LdapFilter& f, ber_tag_t tag);
    bool substrings(LdapFilter& f);
    bool controls(LdapRequest& r);
    bool stringOf(ber_tag_t tag, QString& text);
    // The contents of a constructed element were read exactly.
    bool done(qint64 end) const { return m_ber.remaining() == end; }

    BerReader m_ber;
    int m_maxDepth;
    int m_terms = 0;
};

bool Decoder::message(LdapRequest& r)
{
    qint64 end = 0;
    if (!m_ber.valid() || !m_ber.enter(Sequence, end) || end != 0)
        return false;
    if (!m_ber.integer(LBER_INTEGER, r.messageId) || r.messageId < 0)
        return false;
    const ber_tag_t tag = m_ber.peek();
    if (!op(tag, r))
        return false;
    if (m_ber.peek() == 0xa0 && !controls(r))
        return false;
    return done(0);
}

bool Decoder::op(ber_tag_t tag, LdapRequest& r)
{
    const OpTag* known = nullptr;
    for (const OpTag& candidate : opTags)
        if (candidate.tag == tag)
            known = &candidate;
    if (!known)
        return false;
    r.op = known->op;
    switch (r.op) {
    case LdapRequest::Op::Bind:
        return bind(r);
    case LdapRequest::Op::Search:
        return search(r);
    case LdapRequest::Op::Extended:
        return extended(r);
    case LdapRequest::Op::Abandon:
        return m_ber.integer(tag, r.abandoned);
    default:
        // Refused whatever they hold.
        return m_ber.skip();
    }
}

bool Decoder::bind(LdapRequest& r)
{
    qint64 end = 0;
    if (!m_ber.enter(0x60, end) || !m_ber.integer(LBER_INTEGER, r.version) ||
        !m_ber.string(OctetString, r.name))
        return false;
    if (m_ber.peek() == 0x80) {
        r.simple = true;
        if (!m_ber.string(0x80, r.password))
            return false;
    } else if (!m_ber.skip()) {
        return false;
    }
    return done(end);
}

bool Decoder::search(LdapRequest& r)
{
    qint64 end = 0;
    qint64 scope = 0;
    qint64 deref = 0;
    if (!m_ber.enter(0x63, end) || !m_ber.string(OctetString, r.base) ||
        !m_ber.integer(LBER_ENUMERATED, scope) || !m_ber.integer(LBER_ENUMERATED, deref) ||
        !m_ber.integer(LBER_INTEGER, r.sizeLimit) || !m_ber.integer(LBER_INTEGER, r.timeLimit) ||
        !m_ber.boolean(LBER_BOOLEAN, r.typesOnly))
        return false;
    if (scope < 0 || scope > 2 || r.sizeLimit < 0 || r.timeLimit < 0)
        return false;
    r.scope = static_cast<LdapRequest::Scope>(scope);
    if (!filter(r.filter, 1))
        return false;
    qint64 listEnd = 0;
    if (!m_ber.enter(Sequence, listEnd))
        return false;
    while (m_ber.remaining() > listEnd) {
        QByteArray name;
        if (!m_ber.string(OctetString, name))
            return false;
        r.attributes.append(name);
    }
    return done(listEnd) && done(end);
}

bool Decoder::extended(LdapRequest& r)
{
    qint64 end = 0;
    if (!m_ber.enter(0x77, end) || !m_ber.string(0x80, r.requestName))
        return false;
    QByteArray value;
    if (m_ber.remaining() > end && !m_ber.string(0x81, value))
        return false;
    return done(end);
}

bool Decoder::stringOf(ber_tag_t tag, QString& text)
{
    QByteArray bytes;
    if (!m_ber.string(tag, bytes))
        return false;
    text = utf8(bytes);
    return true;
}

bool Decoder::filter(LdapFilter& f, int depth)
{
    if (depth > m_maxDepth || ++m_terms > maxFilterTerms)
        return false;
    const ber_tag_t tag = m_ber.peek();
    qint64 end = 0;
    switch (tag) {
    case 0xa0:
    case 0xa1:
    case 0xa2: {
        f.kind = tag == 0xa0   ? LdapFilter::Kind::And
                 : tag == 0xa1 ? LdapFilter::Kind::Or
                               : LdapFilter::Kind::Not;
        if (!m_ber.enter(tag, end))
            return false;
        while (m_ber.remaining() > end) {
            LdapFilter child;
            if (!filter(child, depth + 1))
                return false;
            f.children.append(std::move(child));
        }
        // NOT holds exactly one filter.
        if (f.kind == LdapFilter::Kind::Not && f.children.size() != 1)
            return false;
        return done(end);
    }
    case 0xa3:
        f.kind = LdapFilter::Kind::Equality;
        return assertion(f, tag);
    case 0xa4:
        return substrings(f);
    case 0xa5:
        f.kind = LdapFilter::Kind::GreaterOrEqual;
        return assertion(f, tag);
    case 0xa6:
        f.kind = LdapFilter::Kind::LessOrEqual;
        return assertion(f, tag);
    case 0x87:
        f.kind = LdapFilter::Kind::Present;
        return stringOf(tag, f.attribute);
    case 0xa8:
        f.kind = LdapFilter::Kind::Approx;
        return assertion(f, tag);
    case 0xa9:
        f.kind = LdapFilter::Kind::Extensible;
        return m_ber.skip();
    default:
        return false;
    }
}

bool Decoder::assertion(LdapFilter& f, ber_tag_t tag)
{
    qint64 end = 0;
    return m_ber.enter(tag, end) && stringOf(OctetString, f.attribute) &&
           stringOf(OctetString, f.value) && done(end);
}

bool Decoder::substrings(LdapFilter& f)
{
    f.kind = LdapFilter::Kind::Substrings;
    qint64 end = 0;
    qint64 piecesEnd = 0;
    if (!m_ber.enter(0xa4, end) || !stringOf(OctetString, f.attribute) ||
        !m_ber.enter(Sequence, piecesEnd))
        return false;
    // initial first and final last, each at most once, and one piece at least.
    bool any = false;
    bool finalSeen = false;
    while (m_ber.remaining() > piecesEnd) {
        const ber_tag_t tag = m_ber.peek();
        QString piece;
        if (finalSeen || !stringOf(tag, piece))
            return false;
        if (tag == 0x80 && !any && f.initial.isEmpty() && f.any.isEmpty()) {
            f.initial = piece;
        } else if (tag == 0x81) {
            f.any.append(piece);
        } else if (tag == 0x82) {
            f.final = piece;
            finalSeen = true;
        } else {
            return false;
        }
        any = true;
    }
    return any && done(piecesEnd) && done(end);
}

bool Decoder::controls(LdapRequest& r)
{
    qint64 end = 0;
    if (!m_ber.enter(0xa0, end))
        return false;
    while (m_ber.remaining() > end) {
        LdapControl control;
        qint64 controlEnd = 0;
        if (!m_ber.enter(Sequence, controlEnd) || !m_ber.string(OctetString, control.oid))
            return false;
        if (m_ber.remaining() > controlEnd && m_ber.peek() == LBER_BOOLEAN &&
            !m_ber.boolean(LBER_BOOLEAN, control.critical))
            return false;
        if (m_ber.remaining() > controlEnd && !m_ber.string(OctetString, control.value))
            return false;
        if (!done(controlEnd))
            return false;
        r.controls.append(control);
    }
    return done(end);
}

} // namespace

std::optional<LdapRequest> LdapRequest::decode(const QByteArray& message, int maxFilterDepth)
{
    LdapRequest request;
    Decoder decoder(message, maxFilterDepth);
    if (!decoder.message(request))
        return std::nullopt;
    return request;
}

int LdapRequest::responseTag(Op op)
{
    for (const OpTag& known : opTags)
        if (known.op == op)
            return known.response;
    return 0;
}
