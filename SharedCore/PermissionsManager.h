#pragma once

#include <functional>

// The one place that checks and requests the permissions an app of the family
// may need, and opens the desktop's settings at the matching privacy page.
// Nothing here throws or prints.
//
// What the answers mean on Linux:
// - Accessibility: the process can observe and synthesize input, that is, an
//   X server with XInput 2, XTest and XKB is reachable (see EventTapManager).
//   There is nothing to request.
// - Microphone and calendars: granted on a plain desktop, which has no
//   permission system for them; inside a Flatpak sandbox, what the sandbox was
//   started with (see SandboxPermissions.h for the details). The sandbox's
//   grants cannot change while the app runs, so a request answers what the
//   check answers, without asking the user and without waiting on any service.
// - Settings pages: the running desktop's own privacy settings where it has a
//   page for the permission (GNOME Settings, KDE System Settings), started
//   detached; elsewhere nothing happens.
//
// Answers to requests always arrive later, on the main thread, through the Qt
// event loop of the application object (which must exist); never inside the
// request call.
class PermissionsManager {
public:
    // The single instance, created on first use (thread-safely).
    static PermissionsManager& shared();

    PermissionsManager(const PermissionsManager&) = delete;
    PermissionsManager& operator=(const PermissionsManager&) = delete;

    bool isAccessibilityGranted() const;
    void requestAccessibility();
    void openAccessibilitySettings();
    void openInputMonitoringSettings();

    void requestMicrophone(std::function<void(bool)> callback);
    bool isMicrophoneGranted() const;
    void openMicrophoneSettings();

    void requestCalendar(std::function<void(bool)> callback);
    void openCalendarSettings();
    void openFullDiskAccessSettings();

private:
    PermissionsManager() = default;
};
