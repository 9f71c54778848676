// SPDX-License-Identifier: MIT
#include "db/DataLinkFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace
{

const QString fileName = QStringLiteral("sprav.udl");

QString inFolder(const QString& folder)
{
    return folder.isEmpty() ? QString() : QDir(folder).filePath(fileName);
}

} // namespace

DataLinkFile::Places DataLinkFile::systemPlaces()
{
    Places p;
    p.named = qEnvironmentVariable("SPRAV_DATA_LINK");
    p.workingDir = QDir::currentPath();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    p.userConfig = config.isEmpty() ? QString() : config + QStringLiteral("/sprav");
#ifdef Q_OS_WIN
    p.system.clear();
#else
    p.system = QStringLiteral("/etc/sprav");
#endif
    return p;
}

QString DataLinkFile::find(const Places& places)
{
    if (!places.named.isEmpty())
        return places.named;
    for (const QString& folder : {places.workingDir, places.userConfig, places.system}) {
        const QString path = inFolder(folder);
        if (!path.isEmpty() && QFileInfo(path).isFile())
            return path;
    }
    return inFolder(places.workingDir);
}
