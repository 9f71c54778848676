// SPDX-License-Identifier: MIT
#include "app/ToolIcons.h"

#include <QApplication>
#include <QStyle>

QIcon ToolIcons::icon(int index)
{
    QStyle* style = QApplication::style();
    switch (index) {
    case 0:
        return style->standardIcon(QStyle::SP_FileIcon);
    case 1:
        return style->standardIcon(QStyle::SP_DialogSaveButton);
    case 2:
        return style->standardIcon(QStyle::SP_FileDialogContentsView);
    case 3:
        return style->standardIcon(QStyle::SP_DriveFDIcon);
    case 4:
        return style->standardIcon(QStyle::SP_DialogHelpButton);
    case 6:
        return style->standardIcon(QStyle::SP_FileDialogNewFolder);
    default:
        return {};
    }
}

QIcon ToolIcons::windowIcon()
{
    return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
}
