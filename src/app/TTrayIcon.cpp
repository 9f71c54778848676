// SPDX-License-Identifier: MIT
#include "app/TTrayIcon.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QWidget>

namespace
{
std::function<bool()>& availabilityCheck()
{
    static std::function<bool()> check;
    return check;
}
} // namespace

TTrayIcon::TTrayIcon(QWidget* owner)
    : QObject(owner), m_owner(owner), m_tray(new QSystemTrayIcon(this)),
      m_hint(QApplication::applicationName())
{
    setObjectName(QStringLiteral("TrayIcon"));
    UpdateIcon();
    connect(m_tray, &QSystemTrayIcon::activated, this, &TTrayIcon::activated);
    m_owner->installEventFilter(this);
}

TTrayIcon::~TTrayIcon()
{
    // The owner is being destroyed: only the icon goes.
    m_tray->hide();
}

void TTrayIcon::setAvailabilityCheck(std::function<bool()> check)
{
    availabilityCheck() = std::move(check);
}

bool TTrayIcon::trayAvailable()
{
    const auto& check = availabilityCheck();
    return check ? check() : QSystemTrayIcon::isSystemTrayAvailable();
}

void TTrayIcon::SetVisible(bool value)
{
    if (value == m_visible)
        return;
    if (value)
        ShowInTray();
    else
        RemoveFromTray();
}

void TTrayIcon::SetHint(const QString& text)
{
    if (text == m_hint)
        return;
    m_hint = text;
    UpdateIcon();
}

void TTrayIcon::SetIcon(const QIcon& icon)
{
    m_icon = icon;
    UpdateIcon();
}

void TTrayIcon::UpdateIcon()
{
    m_tray->setIcon(m_icon);
    m_tray->setToolTip(m_hint.left(maxTipLength));
}

void TTrayIcon::ShowInTray()
{
    // Without a notification area a hidden window could not be reached again.
    if (!trayAvailable())
        return;
    UpdateIcon();
    m_tray->show();
    // Set before minimising, so that the minimise handler does not add the
    // icon a second time.
    m_visible = true;
    if (!m_owner->isMinimized())
        m_owner->showMinimized();
    // A hidden window has no task-bar button.
    m_owner->hide();
}

void TTrayIcon::RemoveFromTray()
{
    m_tray->hide();
    m_owner->showNormal();
    m_owner->raise();
    m_owner->activateWindow();
    m_visible = false;
}

void TTrayIcon::ApplicationMinimized()
{
    if (m_actOnMinimize != m_visible)
        ShowInTray();
}

void TTrayIcon::ShowPopupMenu()
{
    if (!m_popupMenu)
        return;
    // The menu stands above the cursor, its left edge at the cursor.
    const QPoint cursor = QCursor::pos();
    m_popupMenu->popup(cursor - QPoint(0, m_popupMenu->sizeHint().height()));
}

void TTrayIcon::activated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        RemoveFromTray();
    else if (reason == QSystemTrayIcon::Context)
        ShowPopupMenu();
}

bool TTrayIcon::eventFilter(QObject* watched, QEvent* event)
{
    // Acts once the minimising has finished: hiding the window while its
    // state changes would be undone by the rest of that change.
    if (watched == m_owner && event->type() == QEvent::WindowStateChange &&
        m_owner->isMinimized() && !m_visible)
        QMetaObject::invokeMethod(this, &TTrayIcon::minimizedLater, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

void TTrayIcon::minimizedLater()
{
    if (m_owner->isMinimized() && m_owner->isVisible())
        ApplicationMinimized();
}
