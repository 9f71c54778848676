// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>

class QMenu;
class QWidget;

// Puts the program into the desktop's notification area while its window is
// minimised: a left click on the icon brings the window back, a right click
// opens PopupMenu. Owned by the window it watches. Where the desktop has no
// notification area the window stays minimised on the task bar instead.
class TTrayIcon : public QObject
{
    Q_OBJECT

public:
    explicit TTrayIcon(QWidget* owner);
    ~TTrayIcon() override;

    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    bool ActOnMinimize() const { return m_actOnMinimize; }
    void SetActOnMinimize(bool value) { m_actOnMinimize = value; }
    const QString& Hint() const { return m_hint; }
    void SetHint(const QString& text);
    const QIcon& Icon() const { return m_icon; }
    void SetIcon(const QIcon& icon);
    QMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }

    void ShowInTray();
    void RemoveFromTray();
    // Runs when the owner window has been minimised.
    void ApplicationMinimized();
    void ShowPopupMenu();

    // At most this many characters of Hint reach the notification area.
    static constexpr int maxTipLength = 63;

    // Whether the desktop has a notification area; tests replace the check.
    // An empty function restores QSystemTrayIcon::isSystemTrayAvailable.
    static void setAvailabilityCheck(std::function<bool()> check);
    static bool trayAvailable();

    // The platform icon, for tests.
    QSystemTrayIcon* trayIcon() const { return m_tray; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateIcon();
    void minimizedLater();
    void activated(QSystemTrayIcon::ActivationReason reason);

    QWidget* m_owner;
    QSystemTrayIcon* m_tray;
    QPointer<QMenu> m_popupMenu;
    QIcon m_icon;
    QString m_hint;
    bool m_visible = false;
    bool m_actOnMinimize = false;
};
