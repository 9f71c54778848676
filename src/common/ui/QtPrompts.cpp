// SPDX-License-Identifier: MIT
#include "common/ui/QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

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
    // Without an escape button of its own, QMessageBox takes "No" for Escape
    // and the title bar's close button. Those mean "closed without an
    // answer" here, so an invisible button takes that part.
    QAbstractButton* closed = box.addButton(QMessageBox::Cancel);
    closed->hide();
    box.setEscapeButton(closed);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return Answer::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No))
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

int QtPrompts::choose(QWidget* parent, const QString& text, const QStringList& choices,
                      const QString& details)
{
    QMessageBox box(QMessageBox::Question, title(), text, QMessageBox::NoButton, parent);
    box.setInformativeText(details);
    QList<QAbstractButton*> buttons;
    for (const QString& choice : choices)
        buttons.append(box.addButton(choice, QMessageBox::ActionRole));
    // As in confirm: Escape and the close button answer nothing.
    QAbstractButton* closed = box.addButton(QMessageBox::Cancel);
    closed->hide();
    box.setEscapeButton(closed);
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
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

QString QtPrompts::openFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

QString QtPrompts::saveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                                const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}
