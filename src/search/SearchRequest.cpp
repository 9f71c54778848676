// SPDX-License-Identifier: MIT
#include "search/SearchRequest.h"
#include "db/ContactIndex.h"

namespace
{

QString trimmed(const QString& typed)
{
    qsizetype begin = 0;
    qsizetype end = typed.size();
    while (begin < end && typed.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && typed.at(end - 1).unicode() <= 32)
        --end;
    return typed.mid(begin, end - begin);
}

// Numbers are written as "+7 (843) 512-34-56", "8 843 5123456", "512.34.56".
bool looksLikeNumber(const QString& text)
{
    int digits = 0;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (!c.isSpace() && !QStringView(u"+-().").contains(c))
            return false;
    }
    return digits >= ContactIndex::MinDigits;
}

} // namespace

SearchRequest::SearchRequest(const QString& typed) : m_text(trimmed(typed))
{
    if (m_text.size() < MinLength)
        m_kind = Kind::None;
    else if (m_text.contains(QLatin1Char('@')))
        m_kind = Kind::Email;
    else if (looksLikeNumber(m_text))
        m_kind = Kind::Phone;
    else
        m_kind = Kind::Name;
}
