#pragma once

#include <QObject>

class QAction;
class QDBusConnection;
class QMenu;

// A flat QMenu on the session bus as com.canonical.dbusmenu, the menu
// protocol of StatusNotifierItem hosts: the menu's actions, in order, are the
// root's children (separators included), with ids from 1; a "clicked" event
// triggers the action. The menu is read when the host asks, so its actions'
// texts and states are always current.
class DBusMenuExporter : public QObject {
    Q_OBJECT

public:
    // The menu must outlive the exporter.
    DBusMenuExporter(QMenu& menu, QObject* parent);

    // Exports the menu at path on bus; false when the path is taken.
    bool publish(QDBusConnection& bus, const QString& path);

    // The action of an item id, or null (the root, an unknown id).
    QAction* action(int id) const;
    int itemCount() const;

private:
    QMenu& m_menu;
};
