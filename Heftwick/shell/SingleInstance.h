#pragma once

#include <QObject>

// One Pilewatch per desktop session. The first start owns a name on the
// session bus; a later start asks it to bring its window forward and leaves,
// instead of putting a second icon in the tray.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.pilewatch.Pilewatch")

public:
    static inline const QString serviceName = QStringLiteral("io.pilewatch.Pilewatch");

    using QObject::QObject;

    // True when this process is to run: it now owns the name, or there is no
    // session bus, or the owner did not answer. False when a running Pilewatch
    // took over.
    bool claim();

public slots:
    Q_SCRIPTABLE void Activate();

signals:
    // Another start asked for the window.
    void activated();
};
