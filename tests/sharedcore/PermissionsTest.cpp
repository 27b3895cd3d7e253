#include "SharedCore/EventTapManager.h"
#include "SharedCore/PermissionsManager.h"
#include "SharedCore/PrivacySettings.h"
#include "SharedCore/SandboxPermissions.h"
#include "SharedCore/VirtualKeyCodes.h"
#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

namespace {

// Removes a variable from the environment for the life of the object.
class ScopedUnset {
public:
    explicit ScopedUnset(const char* name) : m_name(name), m_value(qgetenv(name)) {
        m_wasSet = qEnvironmentVariableIsSet(name);
        qunsetenv(name);
    }
    ~ScopedUnset() {
        if (m_wasSet)
            qputenv(m_name, m_value);
    }
    ScopedUnset(const ScopedUnset&) = delete;
    ScopedUnset& operator=(const ScopedUnset&) = delete;

private:
    const char* m_name;
    QByteArray m_value;
    bool m_wasSet = false;
};

using VirtualKeyCodes::fromEvdev;

} // namespace

TEST(VirtualKeyCodes, NamePhysicalKeysByTheirAnsiPosition) {
    EXPECT_EQ(fromEvdev(30), 0);     // A
    EXPECT_EQ(fromEvdev(31), 1);     // S
    EXPECT_EQ(fromEvdev(16), 0x0C);  // Q
    EXPECT_EQ(fromEvdev(44), 0x06);  // Z
    EXPECT_EQ(fromEvdev(14), 51);    // Backspace, the Mac's Delete
    EXPECT_EQ(fromEvdev(28), 0x24);  // Return
    EXPECT_EQ(fromEvdev(57), 0x31);  // Space
    EXPECT_EQ(fromEvdev(1), 0x35);   // Escape
    EXPECT_EQ(fromEvdev(11), 0x1D);  // 0
    EXPECT_EQ(fromEvdev(59), 0x7A);  // F1
    EXPECT_EQ(fromEvdev(111), 0x75); // Delete, forward
    EXPECT_EQ(fromEvdev(105), 0x7B); // Left
    EXPECT_EQ(fromEvdev(125), 0x37); // left Meta = Command
}

TEST(VirtualKeyCodes, KeysOffTheAnsiKeyboardStayDistinct) {
    EXPECT_EQ(fromEvdev(86), 0x8000 + 86); // the ISO key beside left Shift
    EXPECT_EQ(fromEvdev(0), 0x8000);
    EXPECT_EQ(fromEvdev(191), 0x8000 + 191); // F21
    // Every physical key has its own code, and only ANSI keys get codes below 0x80.
    QSet<quint16> seen;
    for (quint32 evdev = 0; evdev < 256; ++evdev) {
        const quint16 code = fromEvdev(evdev);
        EXPECT_FALSE(seen.contains(code)) << "evdev " << evdev;
        seen.insert(code);
        EXPECT_TRUE(code < 0x80 || code == (0x8000 | evdev)) << "evdev " << evdev;
    }
}

TEST(PrivacySettings, OpenTheRunningDesktopsOwnPages) {
    using PrivacySettings::command;
    const QStringList gnomeMicrophone{"gnome-control-center", "microphone"};
    EXPECT_EQ(command(PrivacySettings::microphone, "GNOME"), gnomeMicrophone);
    EXPECT_EQ(command(PrivacySettings::microphone, "ubuntu:GNOME"), gnomeMicrophone);
    EXPECT_EQ(command(PrivacySettings::microphone, "GNOME-Classic:GNOME"), gnomeMicrophone);
    EXPECT_EQ(command(PrivacySettings::fullDiskAccess, "GNOME"),
              QStringList({"gnome-control-center", "applications"}));
    EXPECT_EQ(command(PrivacySettings::microphone, "KDE"),
              QStringList({"systemsettings", "kcm_pulseaudio"}));
    EXPECT_EQ(command(PrivacySettings::fullDiskAccess, "KDE"),
              QStringList({"systemsettings", "kcm_flatpak"}));
    // Pages neither desktop has, and desktops without such pages.
    for (const char* anchor : {PrivacySettings::accessibility, PrivacySettings::inputMonitoring,
                               PrivacySettings::calendars}) {
        EXPECT_TRUE(command(anchor, "GNOME").isEmpty()) << anchor;
        EXPECT_TRUE(command(anchor, "KDE").isEmpty()) << anchor;
    }
    EXPECT_TRUE(command(PrivacySettings::microphone, "XFCE").isEmpty());
    EXPECT_TRUE(command(PrivacySettings::microphone, "").isEmpty());
    EXPECT_TRUE(command(PrivacySettings::microphone, "GNOMEish").isEmpty());
    EXPECT_TRUE(command("Privacy_Camera", "GNOME").isEmpty());
}

TEST(SandboxPermissions, APlainDesktopGrantsEverything) {
    const SandboxPermissions plain = SandboxPermissions::from(std::nullopt);
    EXPECT_TRUE(plain.microphone);
    EXPECT_TRUE(plain.calendars);
}

TEST(SandboxPermissions, AFlatpakGrantsWhatItWasStartedWith) {
    const QByteArray audioOnly = "[Application]\nname=org.example.App\n\n"
                                 "[Context]\nshared=network;ipc;\nsockets=x11;pulseaudio;\n";
    EXPECT_TRUE(SandboxPermissions::from(audioOnly).microphone);
    EXPECT_FALSE(SandboxPermissions::from(audioOnly).calendars);

    const QByteArray calendarsOnly =
        "[Context]\nsockets=wayland;\n\n[Session Bus Policy]\n"
        "org.freedesktop.Notifications=talk\norg.gnome.evolution.dataserver.Calendar8=talk\n";
    EXPECT_FALSE(SandboxPermissions::from(calendarsOnly).microphone);
    EXPECT_TRUE(SandboxPermissions::from(calendarsOnly).calendars);

    const QByteArray wholeBus = "[Context]\nsockets=session-bus;pulseaudio\n";
    EXPECT_TRUE(SandboxPermissions::from(wholeBus).microphone);
    EXPECT_TRUE(SandboxPermissions::from(wholeBus).calendars);

    // Seeing a name is not talking to it; a socket named in another group grants nothing.
    const QByteArray seeOnly = "[Session Bus Policy]\norg.gnome.evolution.dataserver.*=see\n"
                               "[Instance]\nsockets=pulseaudio\n";
    EXPECT_FALSE(SandboxPermissions::from(seeOnly).microphone);
    EXPECT_FALSE(SandboxPermissions::from(seeOnly).calendars);

    // An unreadable or empty record grants nothing.
    EXPECT_FALSE(SandboxPermissions::from(QByteArray()).microphone);
    EXPECT_FALSE(SandboxPermissions::from(QByteArray()).calendars);
}

TEST(PermissionsManager, AnswersLaterOnTheMainThread) {
    PermissionsManager& permissions = PermissionsManager::shared();
    EXPECT_EQ(&permissions, &PermissionsManager::shared());
    ASSERT_FALSE(QFile::exists("/.flatpak-info")) << "expects a plain desktop";
    EXPECT_TRUE(permissions.isMicrophoneGranted());

    QList<std::pair<bool, QThread*>> answers;
    const auto record = [&](bool granted) { answers.append({granted, QThread::currentThread()}); };
    permissions.requestMicrophone(record);
    permissions.requestCalendar(record);
    EXPECT_TRUE(answers.isEmpty()) << "answered inside the request";
    std::thread([&] { permissions.requestMicrophone(record); }).join();
    ASSERT_TRUE(waitUntil([&] { return answers.size() == 3; }));
    for (const auto& [granted, thread] : answers) {
        EXPECT_TRUE(granted);
        EXPECT_EQ(thread, QCoreApplication::instance()->thread());
    }
    permissions.requestCalendar(nullptr); // nothing to answer, nothing breaks
    QCoreApplication::processEvents();
}

TEST(EventTapManager, WithoutADisplayNothingIsTrustedAndNothingIsPrinted) {
    const ScopedUnset display("DISPLAY");
    EventTapManager taps;
    bool called = false;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(taps.checkAccessibility());
    EXPECT_FALSE(PermissionsManager::shared().isAccessibilityGranted());
    EXPECT_FALSE(taps.startMouseTracking([&](QPointF) { called = true; }));
    EXPECT_FALSE(taps.startKeyTracking([&](const QString&, quint16, bool) { called = true; }));
    EventTapManager::typeText("nowhere to go");
    taps.stopAll();
    taps.stopAll();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(called);
}
