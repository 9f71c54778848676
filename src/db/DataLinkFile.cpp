// SPDX-License-Identifier: MIT
#include "db/DataLinkFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
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
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    p.userData = data.isEmpty() ? QString() : data + QStringLiteral("/sprav");
    return p;
}

QString DataLinkFile::find(const Places& places, bool create)
{
    if (!places.named.isEmpty())
        return places.named;
    const QString own = inFolder(places.workingDir);
    for (const QString& folder :
         {places.workingDir, places.userConfig, places.system, places.userData}) {
        const QString path = inFolder(folder);
        if (!path.isEmpty() && QFileInfo(path).isFile())
            return path;
    }
    if (!create || places.userData.isEmpty() || !QDir().mkpath(places.userData))
        return own;
    QSaveFile file(inFolder(places.userData));
    if (!file.open(QIODevice::WriteOnly))
        return own;
    file.write("Provider=SQLite;Data Source=sprav.db\n");
    return file.commit() ? file.fileName() : own;
}
