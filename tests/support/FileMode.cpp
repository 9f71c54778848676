// SPDX-License-Identifier: MIT
#include "FileMode.h"

#include <QFileInfo>
#include <utility>

int fileMode(const QString& path)
{
    const QFile::Permissions permissions = QFileInfo(path).permissions();
    const std::pair<QFile::Permission, int> bits[] = {
        {QFile::ReadOwner, 0400}, {QFile::WriteOwner, 0200}, {QFile::ExeOwner, 0100},
        {QFile::ReadGroup, 0040}, {QFile::WriteGroup, 0020}, {QFile::ExeGroup, 0010},
        {QFile::ReadOther, 0004}, {QFile::WriteOther, 0002}, {QFile::ExeOther, 0001}};
    int mode = 0;
    for (const auto& [bit, value] : bits) {
        if (permissions.testFlag(bit))
            mode |= value;
    }
    return mode;
}
