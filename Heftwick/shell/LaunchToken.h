#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>
#include <optional>

// What a launcher hands a start of the app so that the window it brings up
// may take the focus from the window the user left: on X11 the startup
// notification ID (DESKTOP_STARTUP_ID, which also ends the launcher's busy
// cursor once answered), on Wayland an xdg-activation token
// (XDG_ACTIVATION_TOKEN). A second start passes its own on to the running
// app as D-Bus activation's platform data does.
struct LaunchToken {
    static inline const QString startupIdKey = QStringLiteral("desktop-startup-id");
    static inline const QString activationTokenKey = QStringLiteral("activation-token");

    QByteArray startupId;
    QString activationToken;

    // The launcher's token of this process, read from its environment; call
    // it before the application object exists, since Qt's X11 platform takes
    // DESKTOP_STARTUP_ID out of the environment when it connects.
    static LaunchToken fromEnvironment();
    static LaunchToken fromPlatformData(const QVariantMap& platformData);
    QVariantMap toPlatformData() const;

    // The X server time at which the user asked for the launch, from the
    // "_TIME<n>" end of a startup ID, if it has one.
    std::optional<uint32_t> launchTime() const;

    bool operator==(const LaunchToken&) const = default;
};
