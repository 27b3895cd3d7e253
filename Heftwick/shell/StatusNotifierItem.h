#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>

class DBusMenuExporter;
class QMenu;

// The app's tray item on the StatusNotifierItem protocol (KDE, GNOME's
// AppIndicator extension, XFCE's and LXQt's panels, waybar), its menu over
// com.canonical.dbusmenu.
//
// Qt's own D-Bus tray icon drops the position the host sends with Activate
// and ContextMenu, announces no IconThemePath and has a tooltip title only;
// this item keeps all three. The host draws the icon from its theme name
// (recolouring a -symbolic one to the bar) or, failing that, from pixmaps.
class StatusNotifierItem : public QObject {
    Q_OBJECT

public:
    static inline const QString objectPath = QStringLiteral("/StatusNotifierItem");
    static inline const QString menuPath = QStringLiteral("/MenuBar");

    // The menu is exported as it is and must outlive the item.
    explicit StatusNotifierItem(QMenu& menu, QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // The icon's theme name, when it has one, and its drawing at the usual
    // tray sizes.
    void setIcon(const QIcon& icon);
    // The folder holding the icon's theme when the host would not look there.
    void setIconThemePath(const QString& path);
    void setToolTip(const QString& title, const QString& description);

    // Puts the item on the session bus under its own name and registers it
    // with the StatusNotifierWatcher, again whenever a watcher appears anew.
    // False without a session bus or when the name or path is taken.
    bool publish();
    QString serviceName() const { return m_serviceName; }

    QString iconName() const { return m_icon.name(); }
    QIcon icon() const { return m_icon; }
    QString iconThemePath() const { return m_iconThemePath; }
    QString toolTipTitle() const { return m_toolTipTitle; }
    QString toolTipDescription() const { return m_toolTipDescription; }

signals:
    // The host's primary action (usually a left click) at a position in the
    // host's coordinates: global ones on X11 and Plasma, its own surface's on
    // some Wayland bars; (0, 0) when the host tells none.
    void activated(const QPoint& position);
    // The host asks the item to show its menu itself.
    void contextMenuRequested(const QPoint& position);

    // Change notifications relayed to the host.
    void iconChanged();
    void toolTipChanged();

private:
    void registerWithWatcher();

    QIcon m_icon;
    QString m_iconThemePath;
    QString m_toolTipTitle;
    QString m_toolTipDescription;
    QString m_serviceName;
    DBusMenuExporter* m_menu = nullptr;
};
