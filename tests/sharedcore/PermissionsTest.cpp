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

using VirtualKeyCodes::fromEvdev;

// Landmarks of the Mac's layout-independent codes, by evdev code: letters, a
// digit, Backspace (the Mac's Delete), Return, Space, Escape, F1, forward
// Delete, Left and left Meta (Command).
TEST(VirtualKeyCodes, NamePhysicalKeysByTheirAnsiPosition) {
    const std::pair<quint32, quint16> keys[] = {
        {30, 0},    {31, 1},   {16, 0x0C}, {44, 0x06},  {11, 0x1D},  {14, 51},   {28, 0x24},
        {57, 0x31}, {1, 0x35}, {59, 0x7A}, {111, 0x75}, {105, 0x7B}, {125, 0x37}};
    for (const auto& [evdev, code] : keys)
        EXPECT_EQ(fromEvdev(evdev), code) << "evdev " << evdev;
}

TEST(VirtualKeyCodes, KeysOffTheAnsiKeyboardStayDistinct) {
    EXPECT_EQ(fromEvdev(86), 0x8000 + 86); // the ISO key beside left Shift
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
    for (const char* desktop : {"GNOME", "ubuntu:GNOME", "GNOME-Classic:GNOME"}) {
        EXPECT_EQ(command(PrivacySettings::microphone, desktop),
                  QStringList({"gnome-control-center", "microphone"}));
    }
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
    for (const char* desktop : {"XFCE", "", "GNOMEish"})
        EXPECT_TRUE(command(PrivacySettings::microphone, desktop).isEmpty()) << desktop;
    EXPECT_TRUE(command("Privacy_Camera", "GNOME").isEmpty());
}

// A plain desktop (no sandbox record) grants everything; a Flatpak what it was
// started with, and an unreadable or empty record nothing. Seeing a bus name is
// not talking to it; a socket named in another group grants nothing.
TEST(SandboxPermissions, AFlatpakGrantsWhatItWasStartedWith) {
    struct Case {
        std::optional<QByteArray> record;
        bool microphone;
        bool calendars;
    };
    const Case cases[] = {
        {std::nullopt, true, true},
        {"[Application]\nname=org.example.App\n\n"
         "[Context]\nshared=network;ipc;\nsockets=x11;pulseaudio;\n",
         true, false},
        {"[Context]\nsockets=wayland;\n\n[Session Bus Policy]\n"
         "org.freedesktop.Notifications=talk\norg.gnome.evolution.dataserver.Calendar8=talk\n",
         false, true},
        {"[Context]\nsockets=session-bus;pulseaudio\n", true, true},
        {"[Session Bus Policy]\norg.gnome.evolution.dataserver.*=see\n"
         "[Instance]\nsockets=pulseaudio\n",
         false, false},
        {QByteArray(), false, false}};
    for (const auto& [record, microphone, calendars] : cases) {
        SCOPED_TRACE(record.value_or("no record").toStdString());
        const SandboxPermissions granted = SandboxPermissions::from(record);
        EXPECT_EQ(granted.microphone, microphone);
        EXPECT_EQ(granted.calendars, calendars);
    }
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
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
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
    qputenv("DISPLAY", display);
}
