#pragma once

#include <QProcess>
#include <QString>
#include <optional>

// A StatusNotifierWatcher of the test's own (StatusNotifierWatcherStub.cpp),
// run as a separate process so that the app's blocking calls to it never wait
// on the test's thread.
class WatcherProcess {
public:
    struct Item {
        QString service;
        QString path;
    };

    WatcherProcess();
    ~WatcherProcess();

    // True once the watcher owns its name on the session bus.
    bool ready();
    // The next item that registers.
    std::optional<Item> nextItem();

private:
    QString nextLine();

    QProcess m_process;
};

// Calls Activate(x, y) on the item as a tray host does on a left click,
// without blocking: the item may be served by the calling thread.
bool activate(const WatcherProcess::Item& item);
