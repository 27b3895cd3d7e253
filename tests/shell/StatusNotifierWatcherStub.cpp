// A minimal StatusNotifierWatcher with one registered host. Prints "ready" once
// it owns its name, then "item <service> <path>" for every item that registers.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <cstdio>

class Watcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered MEMBER m_hostRegistered)
    bool m_hostRegistered = true;

public slots:
    // An item names its service, or only its object path on the caller's connection.
    void RegisterStatusNotifierItem(const QString& serviceOrPath) {
        const bool isPath = serviceOrPath.startsWith('/');
        const QString service = isPath ? message().service() : serviceOrPath;
        const QString path = isPath ? serviceOrPath : QStringLiteral("/StatusNotifierItem");
        std::printf("item %s %s\n", qPrintable(service), qPrintable(path));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Watcher watcher;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/StatusNotifierWatcher", &watcher,
                            QDBusConnection::ExportAllContents) ||
        !bus.registerService("org.kde.StatusNotifierWatcher"))
        return 1;
    std::printf("ready\n");
    return app.exec();
}

#include "StatusNotifierWatcherStub.moc"
