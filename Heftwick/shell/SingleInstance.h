#pragma once

#include "shell/LaunchToken.h"

#include <QObject>
#include <QVariantMap>

// One Pilewatch per desktop session. The first start owns a name on the
// session bus; a later start asks it to bring its window forward and leaves,
// instead of putting a second icon in the tray. The request carries the later
// start's launch token as platform data, as org.freedesktop.Application's
// Activate does, so that the window may take the focus.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.pilewatch.Pilewatch")

public:
    static inline const QString serviceName = QStringLiteral("io.pilewatch.Pilewatch");

    using QObject::QObject;

    // True when this process is to run: it now owns the name, or there is no
    // session bus, or the owner did not answer. False when a running Pilewatch
    // took over, handed this start's launch token.
    bool claim(const LaunchToken& launch = {});

public slots:
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);

signals:
    // Another start asked for the window, with its launch token.
    void activated(const LaunchToken& launch);

private:
    bool handOver(const LaunchToken& launch);
};
