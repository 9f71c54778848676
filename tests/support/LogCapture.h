// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

// Collects the messages logged in one category while it lives; the others go
// on to the handler that was installed before.
class LogCapture
{
public:
    explicit LogCapture(const char* category);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const QStringList& messages() const { return m_messages; }
    QString all() const { return m_messages.join(QLatin1Char('\n')); }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    QByteArray m_category;
    QStringList m_messages;
    QtMessageHandler m_previous;
};
