// SPDX-License-Identifier: MIT
#include "LogCapture.h"

namespace
{
LogCapture* active = nullptr;
}

LogCapture::LogCapture(const char* category) : m_category(category)
{
    active = this;
    m_previous = qInstallMessageHandler(&LogCapture::handle);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    active = nullptr;
}

void LogCapture::handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (active && context.category && active->m_category == context.category)
        active->m_messages.append(text);
    else if (active && active->m_previous)
        active->m_previous(type, context, text);
}
