#include "EventTapManager.h"

#include "InputTap.h"
#include "PrivacySettings.h"
#include "SyntheticTyping.h"
#include "VirtualKeyCodes.h"

#include <cstdio>

namespace {

void printLine(const char* line) {
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

EventTapManager::EventTapManager() = default;

EventTapManager::~EventTapManager() {
    stopAll();
}

// An earlier tap is stopped before its successor starts, so no event is ever
// reported twice. The taps call back through the stored callback, taken as a
// copy, so a callback may replace itself or stop the taps while it runs.
bool EventTapManager::startMouseTracking(MouseCallback callback) {
    if (!checkAccessibility())
        return false;
    m_mouseCallback = std::move(callback);
    m_mouseTap.reset();
    m_mouseTap = InputTap::pointer([this](QPointF position) {
        if (const MouseCallback report = m_mouseCallback)
            report(position);
    });
    if (!m_mouseTap) {
        printLine("❌ EventTap: Failed to create mouse tap. Check Accessibility permissions.");
        return false;
    }
    printLine("✅ Mouse tracking started");
    return true;
}

bool EventTapManager::startKeyTracking(KeyCallback callback) {
    if (!checkAccessibility())
        return false;
    m_keyCallback = std::move(callback);
    m_keyTap.reset();
    m_keyTap = InputTap::keyboard([this](const KeyPress& press) {
        if (const KeyCallback report = m_keyCallback)
            report(press.characters, press.keyCode, press.keyCode == VirtualKeyCodes::deleteKey);
    });
    if (!m_keyTap) {
        printLine("❌ EventTap: Failed to create key tap. Check Input Monitoring permissions.");
        return false;
    }
    printLine("✅ Key tracking started");
    return true;
}

bool EventTapManager::checkAccessibility() {
    return inputTrusted();
}

void EventTapManager::stopAll() {
    m_mouseTap.reset();
    m_keyTap.reset();
}

void EventTapManager::typeText(const QString& text) {
    SyntheticTyping::type(text);
}

// Trust comes with the session (an X server with the right extensions), not
// from a grant the user could be asked for: there is nothing to request.
void EventTapManager::requestAccessibility() {}

void EventTapManager::openAccessibilitySettings() {
    PrivacySettings::open(PrivacySettings::accessibility);
}

void EventTapManager::openInputMonitoringSettings() {
    PrivacySettings::open(PrivacySettings::inputMonitoring);
}
