// SPDX-License-Identifier: MIT
#include "editor/ui/LinkLabels.h"
#include "common/ui/ShellOpen.h"
#include "editor/ui/RecordForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QUrl>

LinkLabels::LinkLabels(const RecordForm& form)
    : m_form(form), m_links{{form.Label12, form.EdtEMail, QStringLiteral("mailto:")},
                            {form.Label19, form.EdtWww, QStringLiteral("http://")}}
{
    for (const Link& link : std::as_const(m_links)) {
        link.label->setMouseTracking(true);
        link.label->installEventFilter(this);
    }
}

bool LinkLabels::eventFilter(QObject* watched, QEvent* event)
{
    for (const Link& link : std::as_const(m_links))
        if (watched == link.label)
            linkEvent(link, event);
    return QObject::eventFilter(watched, event);
}

void LinkLabels::linkEvent(const Link& link, QEvent* event)
{
    const QString text = m_form.fieldText(link.edit);
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        if (!text.isEmpty())
            showLinkLook(link.label, true);
        break;
    case QEvent::Leave:
        showLinkLook(link.label, false);
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && !text.isEmpty())
            ShellOpen::open(QUrl(link.scheme + text));
        break;
    default:
        break;
    }
}

void LinkLabels::showLinkLook(QLabel* label, bool link)
{
    QFont font = label->font();
    font.setUnderline(link);
    label->setFont(font);
    if (link) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::blue);
        label->setPalette(palette);
        label->setCursor(Qt::PointingHandCursor);
    } else {
        label->setPalette(QPalette());
        label->unsetCursor();
    }
}
