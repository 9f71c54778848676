// SPDX-License-Identifier: MIT
#include "common/QtPrompts.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace
{
QString title()
{
    return QApplication::applicationName();
}
} // namespace

void QtPrompts::warning(QWidget* parent, const QString& text)
{
    QMessageBox::warning(parent, title(), text, QMessageBox::Ok);
}

Prompts::Answer QtPrompts::confirm(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, title(), text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setEscapeButton(static_cast<QAbstractButton*>(nullptr));
    const int result = box.exec();
    if (result == QMessageBox::Yes)
        return Answer::Yes;
    if (result == QMessageBox::No)
        return Answer::No;
    return Answer::Closed;
}

void QtPrompts::information(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, title(), text, QMessageBox::Ok);
}

void QtPrompts::error(QWidget* parent, const QString& text)
{
    QMessageBox::critical(parent, title(), text, QMessageBox::Ok);
}

bool QtPrompts::getText(QWidget* parent, const QString& caption, const QString& label,
                        QString& text)
{
    bool ok = false;
    const QString typed =
        QInputDialog::getText(parent, caption, label, QLineEdit::Normal, text, &ok);
    if (ok)
        text = typed;
    return ok;
}
