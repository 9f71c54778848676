// SPDX-License-Identifier: MIT
#include "editor/ui/YourChangesWindow.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace
{

// Read-only, but selectable and copyable.
QWidget* valueField(const QString& value, QWidget* parent)
{
    if (value.contains(QLatin1Char('\n'))) {
        auto* memo = new QPlainTextEdit(value, parent);
        memo->setReadOnly(true);
        memo->setMaximumHeight(memo->fontMetrics().lineSpacing() * 4 + 12);
        return memo;
    }
    auto* edit = new QLineEdit(value, parent);
    edit->setReadOnly(true);
    edit->setCursorPosition(0);
    return edit;
}

} // namespace

YourChangesWindow::YourChangesWindow(const QList<TypedValue>& values, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("YourChanges"));
    setWindowTitle(QStringLiteral("Ваши изменения"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* intro =
        new QLabel(QStringLiteral("Эти значения вы ввели, а в сохранённой записи их нет. Их можно "
                                  "выделить и скопировать в запись."),
                   this);
    intro->setWordWrap(true);

    auto* body = new QWidget;
    auto* form = new QFormLayout(body);
    for (const TypedValue& value : values)
        form->addRow(value.caption, valueField(value.value, body));
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(body);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(scroll, 1);
    layout->addWidget(buttons);
    // All values in view when they fit on a screen of a small notebook.
    const QSize content = body->sizeHint();
    resize(qMax(420, content.width() + 40),
           qMin(content.height() + intro->sizeHint().height() + buttons->sizeHint().height() + 60,
                560));
}

YourChangesWindow* YourChangesWindow::showFor(const QList<TypedValue>& values, QWidget* parent)
{
    if (values.isEmpty())
        return nullptr;
    auto* window = new YourChangesWindow(values, parent->window());
    window->show();
    return window;
}
