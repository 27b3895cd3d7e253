#include "SharedCore/EventTapManager.h"
#include "SharedCore/X11Connection.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <xcb/xtest.h>

// Under the private Xvfb of run-in-session.sh: real XTest input reaches the
// taps, and typed text reaches a real Qt window.

namespace {

// X keycodes of the standard evdev keymap (evdev code + 8).
constexpr xcb_keycode_t backspaceKey = 22;
constexpr xcb_keycode_t shiftKey = 50;
constexpr xcb_keycode_t aKey = 38;
constexpr xcb_keycode_t isoKey = 94; // the key beside left Shift on ISO keyboards

// Plays the user at the keyboard and the pointer, through XTest on a
// connection of its own.
class User {
public:
    User() { EXPECT_TRUE(m_x.canObserveAndSynthesize()); }

    void press(xcb_keycode_t key) { fake(XCB_KEY_PRESS, key); }
    void release(xcb_keycode_t key) { fake(XCB_KEY_RELEASE, key); }
    void tap(xcb_keycode_t key) {
        press(key);
        release(key);
    }
    // Puts the pointer somewhere without moving the device (no raw motion).
    void warpTo(qint16 x, qint16 y) {
        xcb_warp_pointer(m_x.get(), XCB_NONE, m_x.root(), 0, 0, 0, 0, x, y);
        m_x.sync();
    }
    void pressButton() { fake(XCB_BUTTON_PRESS, 1); }
    void releaseButton() { fake(XCB_BUTTON_RELEASE, 1); }
    // Moves the pointer device by (dx, dy), as a mouse would.
    void moveBy(qint16 dx, qint16 dy) {
        xcb_test_fake_input(m_x.get(), XCB_MOTION_NOTIFY, 1, XCB_CURRENT_TIME, XCB_NONE, dx, dy, 0);
        m_x.sync();
    }

private:
    void fake(quint8 type, quint8 detail) {
        xcb_test_fake_input(m_x.get(), type, detail, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        m_x.sync();
    }

    XConnection m_x;
};

struct Key {
    QString characters;
    quint16 keyCode;
    bool isDelete;
    bool operator==(const Key&) const = default;
};

void PrintTo(const Key& key, std::ostream* out) {
    *out << '(' << key.characters.toStdString() << ", " << key.keyCode << ", " << key.isDelete
         << ')';
}

// Lets queued input arrive, for checks that nothing more does.
void settle() {
    waitUntil([] { return false; }, 300);
}

} // namespace

TEST(EventTaps, ReportKeyPressesWithTheirVirtualKeyCodes) {
    EventTapManager taps;
    ASSERT_TRUE(taps.checkAccessibility());
    User user;
    QList<Key> keys;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(taps.startKeyTracking([&](const QString& characters, quint16 code, bool isDelete) {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        keys.append({characters, code, isDelete});
    }));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "✅ Key tracking started\n");

    user.tap(backspaceKey);
    user.tap(aKey);
    user.press(shiftKey);
    user.tap(aKey); // the keyboard's state is followed: Shift makes it a capital
    user.release(shiftKey);
    user.tap(isoKey);
    ASSERT_TRUE(waitUntil([&] { return keys.size() >= 5; })) << keys.size();
    settle();
    ASSERT_EQ(keys.size(), 5); // presses only, each once
    EXPECT_EQ(keys[0], (Key{"", 51, true}));
    EXPECT_EQ(keys[1], (Key{"a", 0, false}));
    EXPECT_EQ(keys[2], (Key{"", 0x38, false})); // Shift types nothing
    EXPECT_EQ(keys[3], (Key{"A", 0, false}));
    EXPECT_EQ(keys[4].keyCode, 0x8000 + 86);
}

TEST(EventTaps, ReportWherePointerMotionLeavesThePointer) {
    EventTapManager taps;
    User user;
    user.warpTo(100, 100);
    QList<QPointF> positions;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(taps.startMouseTracking([&](QPointF at) { positions.append(at); }));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "✅ Mouse tracking started\n");
    settle();
    EXPECT_TRUE(positions.isEmpty()); // a warp is no motion

    user.moveBy(15, 7);
    ASSERT_TRUE(waitUntil([&] { return !positions.isEmpty(); }));
    EXPECT_EQ(positions.back(), QPointF(115, 107));
    user.pressButton(); // dragging counts as motion too
    user.moveBy(-20, 3);
    ASSERT_TRUE(waitUntil([&] { return positions.back() == QPointF(95, 110); }));
    user.releaseButton();

    taps.stopAll();
    settle();
    const qsizetype reported = positions.size();
    user.moveBy(5, 5);
    settle();
    EXPECT_EQ(positions.size(), reported);
}

// A new start replaces both the callback and the tap, so nothing is reported
// twice; a callback may do that to itself, or stop the taps, while it runs.
TEST(EventTaps, ACallbackMayReplaceItselfOrStopTheTaps) {
    EventTapManager taps;
    User user;
    int first = 0;
    int second = 0;
    ASSERT_TRUE(taps.startKeyTracking([&](const QString&, quint16, bool) {
        ++first;
        taps.startKeyTracking([&](const QString&, quint16, bool) {
            ++second;
            taps.stopAll();
        });
    }));
    user.tap(aKey);
    ASSERT_TRUE(waitUntil([&] { return first == 1; }));
    user.tap(aKey);
    user.tap(aKey); // arrives after the taps were stopped
    ASSERT_TRUE(waitUntil([&] { return second == 1; }));
    settle();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
}

TEST(EventTaps, DeliverOnTheThreadThatStartedThem) {
    QThread worker;
    worker.start();
    QObject onWorker;
    onWorker.moveToThread(&worker);
    std::unique_ptr<EventTapManager> taps;
    std::atomic<QThread*> reportedOn = nullptr;
    const auto onWorkerThread = [&](const std::function<void()>& work) {
        QMetaObject::invokeMethod(&onWorker, work, Qt::BlockingQueuedConnection);
    };
    bool started = false;
    onWorkerThread([&] {
        taps = std::make_unique<EventTapManager>();
        started = taps->startKeyTracking(
            [&](const QString&, quint16, bool) { reportedOn = QThread::currentThread(); });
    });
    ASSERT_TRUE(started);
    User().tap(aKey);
    EXPECT_TRUE(waitUntil([&] { return reportedOn != nullptr; }));
    EXPECT_EQ(reportedOn, &worker);
    onWorkerThread([&] { taps.reset(); });
    worker.quit();
    worker.wait();
}

TEST(EventTaps, AThreadWithoutAnEventLoopGetsNoTap) {
    EventTapManager taps;
    bool mouse = true;
    bool keys = true;
    testing::internal::CaptureStdout();
    std::thread([&] {
        mouse = taps.startMouseTracking([](QPointF) {});
        keys = taps.startKeyTracking([](const QString&, quint16, bool) {});
    }).join();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "❌ EventTap: Failed to create mouse tap. Check Accessibility permissions.\n"
              "❌ EventTap: Failed to create key tap. Check Input Monitoring permissions.\n");
    EXPECT_FALSE(mouse);
    EXPECT_FALSE(keys);
}

namespace {

// A focused line edit in a window of its own that notes the X server's time of
// every key press that types something.
class TypingTarget : public QObject {
public:
    TypingTarget() {
        m_edit.installEventFilter(this);
        m_edit.show();
        m_edit.activateWindow();
        m_edit.setFocus();
    }
    bool focused() {
        return waitUntil([&] { return m_edit.isActiveWindow() && m_edit.hasFocus(); });
    }
    QString text() const { return m_edit.text(); }
    const QList<ulong>& pressTimes() const { return m_times; }

    // Types text from another thread (typeText blocks its caller) while this
    // thread's event loop keeps the window going, until the text and whatever
    // else the test waits for have arrived; gives what arrived.
    QString typed(
        const QString& text, const std::function<bool()>& alsoArrived = [] { return true; }) {
        const qsizetype wanted = m_edit.text().size() + text.size();
        std::thread typing([&] { EventTapManager::typeText(text); });
        waitUntil([&] { return m_edit.text().size() >= wanted && alsoArrived(); });
        typing.join();
        settle();
        return m_edit.text();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (!key->text().isEmpty())
                m_times.append(key->timestamp());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QLineEdit m_edit;
    QList<ulong> m_times;
};

} // namespace

// Characters the keyboard lacks go through lent keys, which the key tap
// follows too: shifted keys, a symbol, a character outside the BMP, a
// decomposed character and one repeated off-keyboard character.
TEST(TypeText, TypesEachCharacterIntoTheFocusedWindow) {
    TypingTarget target;
    ASSERT_TRUE(target.focused());
    EventTapManager taps;
    QStringList seen;
    ASSERT_TRUE(taps.startKeyTracking(
        [&](const QString& characters, quint16, bool) { seen.append(characters); }));
    EXPECT_EQ(target.typed("hé", [&] { return seen.size() >= 2; }), "hé");
    ASSERT_EQ(target.pressTimes().size(), 2);
    EXPECT_GE(target.pressTimes()[1] - target.pressTimes()[0], 10u);
    EXPECT_EQ(seen, QStringList({"h", "é"}));

    const QString text = QString::fromUtf8("Hi! €😀 e\u0301 ü€");
    EXPECT_EQ(target.typed(text), "hé" + text);
    EventTapManager::typeText(""); // posts nothing
    settle();
    EXPECT_EQ(target.text(), "hé" + text);
}
