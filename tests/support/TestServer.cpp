// SPDX-License-Identifier: MIT
#include "TestServer.h"

#include <QProcess>

TestServer::~TestServer()
{
    release();
}

void TestServer::release()
{
    if (m_paused)
        resume();
}

bool TestServer::pause()
{
    return run("pause");
}

bool TestServer::resume()
{
    return run("resume");
}

bool TestServer::run(const char* command)
{
    const QString script = qEnvironmentVariable("SPRAV_PG_SCRIPT");
    if (script.isEmpty())
        return false;
    const QString name = QString::fromLatin1(command);
    const bool done = QProcess::execute(QStringLiteral("bash"),
                                        {script, name, qEnvironmentVariable("SPRAV_PG_DIR")}) == 0;
    if (done)
        m_paused = name == QLatin1String("pause");
    return done;
}
