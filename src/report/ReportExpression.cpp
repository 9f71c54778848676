// SPDX-License-Identifier: MIT
#include "report/ReportExpression.h"
#include "report/ReportError.h"

#include <QStringList>

namespace
{

class Parser
{
public:
    explicit Parser(const QString& text) : m_text(text) { tokenize(); }

    qint64 run()
    {
        const qint64 value = comparison();
        if (m_pos != m_tokens.size())
            fail();
        return value;
    }

private:
    void tokenize()
    {
        qsizetype i = 0;
        while (i < m_text.size()) {
            const QChar c = m_text[i];
            if (c.isSpace()) {
                ++i;
            } else if (c.isDigit() || c.isLetter()) {
                const qsizetype start = i;
                const bool digits = c.isDigit();
                while (i < m_text.size() &&
                       (digits ? m_text[i].isDigit() : m_text[i].isLetterOrNumber()))
                    ++i;
                m_tokens.append(m_text.mid(start, i - start).toLower());
            } else if ((c == u'<' || c == u'>') && i + 1 < m_text.size() &&
                       (m_text[i + 1] == u'=' || (c == u'<' && m_text[i + 1] == u'>'))) {
                m_tokens.append(m_text.mid(i, 2));
                i += 2;
            } else {
                m_tokens.append(QString(c));
                ++i;
            }
        }
    }

    [[noreturn]] void fail() const
    {
        throw ReportError(QStringLiteral("Ошибка в выражении \"%1\"").arg(m_text));
    }
    QString peek() const { return m_pos < m_tokens.size() ? m_tokens[m_pos] : QString(); }
    bool take(const QString& token)
    {
        if (peek() != token)
            return false;
        ++m_pos;
        return true;
    }

    qint64 comparison()
    {
        const qint64 left = sum();
        static const QStringList ops = {QStringLiteral("="),  QStringLiteral("<>"),
                                        QStringLiteral("<"),  QStringLiteral(">"),
                                        QStringLiteral("<="), QStringLiteral(">=")};
        const QString op = peek();
        if (!ops.contains(op))
            return left;
        ++m_pos;
        const qint64 right = sum();
        if (op == u"=")
            return left == right;
        if (op == u"<>")
            return left != right;
        if (op == u"<")
            return left < right;
        if (op == u">")
            return left > right;
        if (op == u"<=")
            return left <= right;
        return left >= right;
    }

    qint64 sum()
    {
        qint64 value = product();
        for (;;) {
            if (take(QStringLiteral("+")))
                value += product();
            else if (take(QStringLiteral("-")))
                value -= product();
            else
                return value;
        }
    }

    qint64 product()
    {
        qint64 value = unary();
        for (;;) {
            const bool mul = take(QStringLiteral("*"));
            const bool div = !mul && take(QStringLiteral("div"));
            const bool mod = !mul && !div && take(QStringLiteral("mod"));
            if (!mul && !div && !mod)
                return value;
            const qint64 right = unary();
            if (mul) {
                value *= right;
            } else {
                if (right == 0)
                    throw ReportError(
                        QStringLiteral("Деление на ноль в выражении \"%1\"").arg(m_text));
                value = div ? value / right : value % right;
            }
        }
    }

    qint64 unary()
    {
        if (take(QStringLiteral("-")))
            return -unary();
        if (take(QStringLiteral("("))) {
            const qint64 value = comparison();
            if (!take(QStringLiteral(")")))
                fail();
            return value;
        }
        bool ok = false;
        const qint64 value = peek().toLongLong(&ok);
        if (!ok)
            fail();
        ++m_pos;
        return value;
    }

    QString m_text;
    QStringList m_tokens;
    qsizetype m_pos = 0;
};

} // namespace

qint64 ReportExpression::evaluate(const QString& expression)
{
    return Parser(expression).run();
}
