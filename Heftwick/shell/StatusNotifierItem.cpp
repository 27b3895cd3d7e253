#include "shell/StatusNotifierItem.h"

#include "shell/DBusMenuExporter.h"
#include "shell/DBusStructure.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QImage>
#include <QtEndian>

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");

// One drawing of the icon: width, height and ARGB32 pixels in network byte order.
struct ItemPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;
};
using ItemPixmaps = QList<ItemPixmap>;

struct ItemToolTip {
    QString iconName;
    ItemPixmaps iconPixmaps;
    QString title;
    QString description;
};

} // namespace

Q_DECLARE_METATYPE(ItemPixmap)
Q_DECLARE_METATYPE(ItemToolTip)

namespace {

QDBusArgument& operator<<(QDBusArgument& argument, const ItemPixmap& pixmap) {
    return writeStructure(argument, pixmap.width, pixmap.height, pixmap.argb);
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ItemPixmap& pixmap) {
    return readStructure(argument, pixmap.width, pixmap.height, pixmap.argb);
}

QDBusArgument& operator<<(QDBusArgument& argument, const ItemToolTip& toolTip) {
    return writeStructure(argument, toolTip.iconName, toolTip.iconPixmaps, toolTip.title,
                          toolTip.description);
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ItemToolTip& toolTip) {
    return readStructure(argument, toolTip.iconName, toolTip.iconPixmaps, toolTip.title,
                         toolTip.description);
}

// The sizes trays draw their icons at, and twice the common ones for HiDPI bars.
constexpr int pixmapSizes[] = {16, 22, 24, 32, 44, 48, 64};

ItemPixmaps pixmapsOf(const QIcon& icon) {
    ItemPixmaps pixmaps;
    for (const int size : pixmapSizes) {
        const QImage image =
            icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        ItemPixmap pixmap{image.width(), image.height(), {}};
        pixmap.argb.resize(image.sizeInBytes());
        qToBigEndian<quint32>(image.constBits(), image.width() * image.height(),
                              pixmap.argb.data());
        pixmaps << pixmap;
    }
    return pixmaps;
}

// org.kde.StatusNotifierItem on the item's object; reads the item's state.
class ItemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ iconThemePath)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(ItemPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ noName)
    Q_PROPERTY(ItemPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ noName)
    Q_PROPERTY(ItemPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ noName)
    Q_PROPERTY(ItemToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)

public:
    explicit ItemAdaptor(StatusNotifierItem& item) : QDBusAbstractAdaptor(&item), m_item(item) {
        connect(&item, &StatusNotifierItem::iconChanged, this, [this] {
            m_pixmaps = pixmapsOf(m_item.icon());
            emit NewIcon();
        });
        connect(&item, &StatusNotifierItem::toolTipChanged, this, &ItemAdaptor::NewToolTip);
    }

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QCoreApplication::applicationName(); }
    QString title() const { return QCoreApplication::applicationName(); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString iconThemePath() const { return m_item.iconThemePath(); }
    QString iconName() const { return m_item.iconName(); }
    ItemPixmaps iconPixmap() const { return m_pixmaps; }
    QString noName() const { return {}; }
    ItemPixmaps noPixmaps() const { return {}; }
    ItemToolTip toolTip() const {
        return {{}, {}, m_item.toolTipTitle(), m_item.toolTipDescription()};
    }
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return QDBusObjectPath(StatusNotifierItem::menuPath); }

public slots:
    void Activate(int x, int y) { emit m_item.activated(QPoint(x, y)); }
    void ContextMenu(int x, int y) { emit m_item.contextMenuRequested(QPoint(x, y)); }
    // A middle click: nothing of its own, so the same as a click.
    void SecondaryActivate(int x, int y) { Activate(x, y); }
    void Scroll(int, const QString&) {}

signals:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem& m_item;
    ItemPixmaps m_pixmaps;
};

int nextItemNumber = 1;

} // namespace

StatusNotifierItem::StatusNotifierItem(QMenu& menu, QObject* parent)
    : QObject(parent), m_menu(new DBusMenuExporter(menu, this)) {
    qDBusRegisterMetaType<ItemPixmap>();
    qDBusRegisterMetaType<ItemPixmaps>();
    qDBusRegisterMetaType<ItemToolTip>();
    new ItemAdaptor(*this);
}

StatusNotifierItem::~StatusNotifierItem() {
    if (m_serviceName.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(m_serviceName);
    bus.unregisterObject(objectPath);
    bus.unregisterObject(menuPath);
}

void StatusNotifierItem::setIcon(const QIcon& icon) {
    m_icon = icon;
    emit iconChanged();
}

void StatusNotifierItem::setIconThemePath(const QString& path) {
    m_iconThemePath = path;
    emit iconChanged();
}

void StatusNotifierItem::setToolTip(const QString& title, const QString& description) {
    if (title == m_toolTipTitle && description == m_toolTipDescription)
        return;
    m_toolTipTitle = title;
    m_toolTipDescription = description;
    emit toolTipChanged();
}

// The name follows the protocol's pattern, so that hosts that list names find
// the item too.
bool StatusNotifierItem::publish() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString name = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                             .arg(QCoreApplication::applicationPid())
                             .arg(nextItemNumber++);
    if (!bus.isConnected() ||
        !bus.registerObject(objectPath, this, QDBusConnection::ExportAdaptors) ||
        !m_menu->publish(bus, menuPath) || !bus.registerService(name))
        return false;
    m_serviceName = name;
    auto* watchers = new QDBusServiceWatcher(watcherService, bus,
                                             QDBusServiceWatcher::WatchForRegistration, this);
    connect(watchers, &QDBusServiceWatcher::serviceRegistered, this,
            &StatusNotifierItem::registerWithWatcher);
    registerWithWatcher();
    return true;
}

// The item registers by its object path, which watchers take on the caller's
// connection (KDE's, XFCE's, waybar's and GNOME's AppIndicator extension
// alike): registered by its name, GNOME 43's extension drops the item before
// it shows it. Asynchronous: the watcher is another process, which may be busy.
void StatusNotifierItem::registerWithWatcher() {
    QDBusMessage call = QDBusMessage::createMethodCall(watcherService, watcherPath, watcherService,
                                                       "RegisterStatusNotifierItem");
    call << objectPath;
    QDBusConnection::sessionBus().send(call);
}

#include "StatusNotifierItem.moc"
