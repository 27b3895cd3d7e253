#include "shell/DBusMenuExporter.h"

#include "shell/DBusStructure.h"

#include <QAction>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QMenu>

namespace {

// An item with its properties and, for the root, its children: (ia{sv}av).
struct MenuLayout {
    int id = 0;
    QVariantMap properties;
    QList<MenuLayout> children;
};

// An item's properties, as GetGroupProperties reports them: (ia{sv}).
struct MenuItem {
    int id = 0;
    QVariantMap properties;
};
using MenuItems = QList<MenuItem>;

// An item's removed properties, as ItemsPropertiesUpdated reports them: (ias).
struct MenuItemKeys {
    int id = 0;
    QStringList names;
};
using MenuItemKeysList = QList<MenuItemKeys>;

// One event of EventGroup: (isvu).
struct MenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using MenuEvents = QList<MenuEvent>;

} // namespace

Q_DECLARE_METATYPE(MenuLayout)
Q_DECLARE_METATYPE(MenuItem)
Q_DECLARE_METATYPE(MenuItemKeys)
Q_DECLARE_METATYPE(MenuEvent)

namespace {

QDBusArgument& operator<<(QDBusArgument& argument, const MenuLayout& layout) {
    argument.beginStructure();
    argument << layout.id << layout.properties;
    argument.beginArray(qMetaTypeId<QDBusVariant>());
    for (const MenuLayout& child : layout.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuLayout& layout) {
    argument.beginStructure();
    argument >> layout.id >> layout.properties;
    argument.beginArray();
    layout.children.clear();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        layout.children << qdbus_cast<MenuLayout>(child.variant());
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const MenuItem& item) {
    return writeStructure(argument, item.id, item.properties);
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuItem& item) {
    return readStructure(argument, item.id, item.properties);
}

QDBusArgument& operator<<(QDBusArgument& argument, const MenuItemKeys& keys) {
    return writeStructure(argument, keys.id, keys.names);
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuItemKeys& keys) {
    return readStructure(argument, keys.id, keys.names);
}

QDBusArgument& operator<<(QDBusArgument& argument, const MenuEvent& event) {
    return writeStructure(argument, event.id, event.eventId, event.data, event.timestamp);
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuEvent& event) {
    return readStructure(argument, event.id, event.eventId, event.data, event.timestamp);
}

// dbusmenu marks the mnemonic with '_' where Qt uses '&'; a literal '_' is doubled.
QString dbusMenuLabel(QString text) {
    text.replace('_', "__");
    text.replace("&&", QChar(0xE000));
    text.replace('&', '_');
    text.replace(QChar(0xE000), '&');
    return text;
}

QVariantMap propertiesOf(const QAction* action) {
    if (!action)
        return {{"children-display", QStringLiteral("submenu")}};
    if (action->isSeparator())
        return {{"type", QStringLiteral("separator")}, {"visible", action->isVisible()}};
    return {{"label", dbusMenuLabel(action->text())},
            {"enabled", action->isEnabled()},
            {"visible", action->isVisible()}};
}

QVariantMap only(QVariantMap properties, const QStringList& names) {
    if (names.isEmpty())
        return properties;
    for (auto it = properties.begin(); it != properties.end();)
        it = names.contains(it.key()) ? std::next(it) : properties.erase(it);
    return properties;
}

// com.canonical.dbusmenu on the exporter's object.
class MenuAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    explicit MenuAdaptor(DBusMenuExporter& menu) : QDBusAbstractAdaptor(&menu), m_menu(menu) {}

    uint version() const { return 3; }
    QString textDirection() const {
        return QGuiApplication::isRightToLeft() ? QStringLiteral("rtl") : QStringLiteral("ltr");
    }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   MenuLayout& layout) {
        layout = {parentId, only(propertiesOf(m_menu.action(parentId)), propertyNames), {}};
        if (parentId == 0 && recursionDepth != 0)
            for (int id = 1; id <= m_menu.itemCount(); ++id)
                layout.children << MenuLayout{
                    id, only(propertiesOf(m_menu.action(id)), propertyNames), {}};
        return revision;
    }

    MenuItems GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames) {
        MenuItems items;
        for (const int id : ids)
            if (id >= 0 && id <= m_menu.itemCount())
                items << MenuItem{id, only(propertiesOf(m_menu.action(id)), propertyNames)};
        return items;
    }

    QDBusVariant GetProperty(int id, const QString& name) {
        return QDBusVariant(propertiesOf(m_menu.action(id)).value(name));
    }

    void Event(int id, const QString& eventId, const QDBusVariant&, uint) {
        QAction* action = m_menu.action(id);
        // After the reply: the action may open a window or quit.
        if (action && eventId == "clicked" && action->isEnabled())
            QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
    }

    // Returns the ids it does not know.
    QList<int> EventGroup(const MenuEvents& events) {
        QList<int> unknown;
        for (const MenuEvent& event : events) {
            if (event.id < 0 || event.id > m_menu.itemCount())
                unknown << event.id;
            else
                Event(event.id, event.eventId, event.data, event.timestamp);
        }
        return unknown;
    }

    // The menu never changes when it is about to show: no update is needed.
    bool AboutToShow(int) { return false; }
    QList<int> AboutToShowGroup(const QList<int>&, QList<int>& idErrors) {
        idErrors.clear();
        return {};
    }

signals:
    void ItemsPropertiesUpdated(const MenuItems& updated, const MenuItemKeysList& removed);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    static constexpr uint revision = 1;
    DBusMenuExporter& m_menu;
};

} // namespace

DBusMenuExporter::DBusMenuExporter(QMenu& menu, QObject* parent) : QObject(parent), m_menu(menu) {
    qDBusRegisterMetaType<MenuLayout>();
    qDBusRegisterMetaType<MenuItem>();
    qDBusRegisterMetaType<MenuItems>();
    qDBusRegisterMetaType<MenuItemKeys>();
    qDBusRegisterMetaType<MenuItemKeysList>();
    qDBusRegisterMetaType<MenuEvent>();
    qDBusRegisterMetaType<MenuEvents>();
    qDBusRegisterMetaType<QList<int>>();
    new MenuAdaptor(*this);
}

bool DBusMenuExporter::publish(QDBusConnection& bus, const QString& path) {
    return bus.registerObject(path, this, QDBusConnection::ExportAdaptors);
}

QAction* DBusMenuExporter::action(int id) const {
    return id >= 1 && id <= itemCount() ? m_menu.actions().at(id - 1) : nullptr;
}

int DBusMenuExporter::itemCount() const {
    return int(m_menu.actions().size());
}

#include "DBusMenuExporter.moc"
