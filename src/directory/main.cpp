// SPDX-License-Identifier: MIT
// sprav-directory: the headless directory service over the same database as
// the desktop program.
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sprav-directory"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SPRAV_VERSION));
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments == QStringList{QStringLiteral("--version")}) {
        std::printf("sprav-directory %s\n", SPRAV_VERSION);
        return 0;
    }
    std::fprintf(stderr, "%s\n",
                 QStringLiteral("Служба справочника ещё не настроена.").toUtf8().constData());
    return 2;
}
