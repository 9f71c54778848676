// SPDX-License-Identifier: MIT
#pragma once

#include "common/ui/Prompts.h"

// The program's prompts: Qt's message boxes, input dialog and file dialogs.
class QtPrompts : public Prompts
{
public:
    void warning(QWidget* parent, const QString& text) override;
    Answer confirm(QWidget* parent, const QString& text) override;
    void information(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
    int choose(QWidget* parent, const QString& text, const QStringList& choices,
               const QString& details) override;
    bool getText(QWidget* parent, const QString& caption, const QString& label,
                 QString& text) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                         const QString& filter) override;
};
