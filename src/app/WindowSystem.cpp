// SPDX-License-Identifier: MIT
#include "app/WindowSystem.h"
#include "app/CommandLine.h"

#include <QList>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace
{

QtMessageHandler previousHandler = nullptr;

// What Qt said while it started its window system; its first warning names
// the cause ("could not connect to display :1") better than the fatal line.
struct Held {
    QtMsgType type;
    QString category;
    QString text;
};
QList<Held> held;

void failStart(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        held.append({type, QString::fromUtf8(context.category), text});
        return;
    }
    const QString reason = held.isEmpty() ? text : held.first().text;
    const QByteArray line = WindowSystem::unavailableMessage(reason).toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    std::_Exit(CommandLine::NoDisplay);
}

} // namespace

bool WindowSystem::available(const QStringList& arguments)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS) && !defined(Q_OS_ANDROID)
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
        arguments.contains(QLatin1String("-platform")))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    Q_UNUSED(arguments);
    return true;
#endif
}

QString WindowSystem::unavailableMessage(const QString& reason)
{
    QString first = reason.section(QLatin1Char('\n'), 0, 0).trimmed();
    while (first.endsWith(QLatin1Char('.')))
        first.chop(1);
    return QStringLiteral("sprav: окно программы не открывается: %1. Команды без окна: "
                          "sprav --help")
        .arg(first.isEmpty() ? QStringLiteral("нет дисплея (не заданы DISPLAY и WAYLAND_DISPLAY)")
                             : first);
}

WindowSystem::StartGuard::StartGuard()
{
    previousHandler = qInstallMessageHandler(failStart);
}

WindowSystem::StartGuard::~StartGuard()
{
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
    // The window system started: what Qt said meanwhile goes where it would have.
    for (const Held& message : std::exchange(held, {})) {
        const QByteArray category = message.category.toUtf8();
        QMessageLogContext context(nullptr, 0, nullptr, category.constData());
        qt_message_output(message.type, context, message.text);
    }
}
