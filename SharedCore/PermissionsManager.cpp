#include "PermissionsManager.h"

#include "EventTapManager.h"
#include "InputTap.h"
#include "PrivacySettings.h"
#include "SandboxPermissions.h"

#include <QCoreApplication>

namespace {

// Hands granted to callback later, on the main thread. Without an application
// object there is no main event loop to deliver it.
void answerOnMainThread(std::function<void(bool)> callback, bool granted) {
    if (!callback || !QCoreApplication::instance())
        return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [callback = std::move(callback), granted] { callback(granted); }, Qt::QueuedConnection);
}

} // namespace

PermissionsManager& PermissionsManager::shared() {
    static PermissionsManager instance;
    return instance;
}

bool PermissionsManager::isAccessibilityGranted() const {
    return inputTrusted();
}

void PermissionsManager::requestAccessibility() {
    EventTapManager::requestAccessibility();
}

void PermissionsManager::openAccessibilitySettings() {
    EventTapManager::openAccessibilitySettings();
}

void PermissionsManager::openInputMonitoringSettings() {
    EventTapManager::openInputMonitoringSettings();
}

void PermissionsManager::requestMicrophone(std::function<void(bool)> callback) {
    answerOnMainThread(std::move(callback), isMicrophoneGranted());
}

bool PermissionsManager::isMicrophoneGranted() const {
    return SandboxPermissions::current().microphone;
}

void PermissionsManager::openMicrophoneSettings() {
    PrivacySettings::open(PrivacySettings::microphone);
}

void PermissionsManager::requestCalendar(std::function<void(bool)> callback) {
    answerOnMainThread(std::move(callback), SandboxPermissions::current().calendars);
}

void PermissionsManager::openCalendarSettings() {
    PrivacySettings::open(PrivacySettings::calendars);
}

void PermissionsManager::openFullDiskAccessSettings() {
    PrivacySettings::open(PrivacySettings::fullDiskAccess);
}
