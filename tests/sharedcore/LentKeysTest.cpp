#include "SharedCore/EventTapManager.h"
#include "SharedCore/VirtualKeyCodes.h"
#include "SharedCore/X11Connection.h"
#include "TestEnvironment.h"

#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

// Typists in other processes, killed or stopped in the middle of a word, on an
// X server of the test's own that never resets (as a desktop session's server
// does not): what they lent stays lent until a later call gives it back.

namespace {

using namespace std::chrono_literals;

// Four characters the test server's keymap lacks.
const QString offKeyboard = QString::fromUtf8("€ü→✓");

// Xvfb on a free display, started with -noreset, named by DISPLAY for the life
// of the object; only the server started here is stopped.
class PrivateXServer {
public:
    PrivateXServer() : m_savedDisplay(qgetenv("DISPLAY")) {
        m_xvfb.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_xvfb.start("Xvfb", {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0",
                              "320x240x24"});
        while (!m_xvfb.canReadLine() && m_xvfb.waitForReadyRead(10000)) {
        }
        m_display = ":" + m_xvfb.readLine().trimmed();
        qputenv("DISPLAY", m_display);
    }
    ~PrivateXServer() {
        qputenv("DISPLAY", m_savedDisplay);
        m_xvfb.terminate();
        m_xvfb.waitForFinished();
    }

    bool running() const { return m_display.size() > 1; }

private:
    QByteArray m_savedDisplay;
    QByteArray m_display;
    QProcess m_xvfb;
};

class LentKeys : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.running());
        m_before = keymap();
        ASSERT_FALSE(m_before.isEmpty()) << "xmodmap (x11-xserver-utils) is needed";
    }

    // The core keymap as xmodmap prints it, one line per keycode.
    static QMap<quint32, QByteArray> keymap() {
        QProcess xmodmap;
        xmodmap.start("xmodmap", {"-pke"});
        xmodmap.waitForFinished();
        QMap<quint32, QByteArray> lines;
        for (const QByteArray& line : xmodmap.readAllStandardOutput().split('\n')) {
            if (line.startsWith("keycode "))
                lines.insert(line.split('=').first().mid(8).trimmed().toUInt(), line);
        }
        return lines;
    }

    // The loans on record on the server: keycode, keysym, keycode, keysym...
    static std::vector<quint32> record() {
        const XConnection x;
        const QByteArray name = "_PILEWATCH_FAMILY_LENT_KEYS";
        const auto atom = owned(xcb_intern_atom_reply(
            x.get(), xcb_intern_atom(x.get(), 0, quint16(name.size()), name.constData()), nullptr));
        const auto reply = owned(xcb_get_property_reply(
            x.get(), xcb_get_property(x.get(), 0, x.root(), atom->atom, XCB_ATOM_CARDINAL, 0, 1024),
            nullptr));
        if (!reply)
            return {};
        const auto* values = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
        return {values, values + xcb_get_property_value_length(reply.get()) / 4};
    }

    // The keys whose mapping differs from the one at the start.
    QList<quint32> changedKeys() const {
        const QMap<quint32, QByteArray> now = keymap();
        QList<quint32> keys;
        for (const auto& [key, line] : now.asKeyValueRange()) {
            if (m_before.value(key) != line)
                keys.append(key);
        }
        return keys;
    }

    // Starts a typist in a process of its own and waits until it has lent a key.
    void startTypist(QProcess& typist, const QString& text) const {
        typist.start(TYPIST_PROBE, {text});
        ASSERT_TRUE(typist.waitForStarted());
        ASSERT_TRUE(waitUntil([&] { return !changedKeys().empty(); })) << "no key was lent";
        ASSERT_GT(typist.processId(), 0) << "the typist finished already";
    }

    QMap<quint32, QByteArray> m_before;

private:
    PrivateXServer m_server;
};

TEST_F(LentKeys, AKilledTypistsKeysAreEmptiedByTheNextTypistOrTap) {
    // Right after the first loan, in the middle of the text (about 125 ms of
    // typing), and while the last lent characters are held for the
    // application to read.
    enum class Then { typeText, startTaps };
    const std::vector<std::pair<std::chrono::milliseconds, Then>> moments{
        {0ms, Then::typeText}, {50ms, Then::startTaps}, {170ms, Then::typeText}};
    for (const auto& [delay, then] : moments) {
        SCOPED_TRACE(delay.count());
        QProcess typist;
        ASSERT_NO_FATAL_FAILURE(startTypist(typist, offKeyboard.repeated(3)));
        std::this_thread::sleep_for(delay);
        typist.kill();
        typist.waitForFinished();
        ASSERT_FALSE(changedKeys().empty()) << "the typist finished before it was killed";

        if (then == Then::typeText) {
            QProcess next;
            next.start(TYPIST_PROBE, {"a"});
            ASSERT_TRUE(next.waitForFinished());
        } else {
            EventTapManager taps;
            ASSERT_TRUE(taps.startMouseTracking([](QPointF) {}));
        }
        EXPECT_EQ(changedKeys(), QList<quint32>());
        EXPECT_TRUE(record().empty());
    }
}

// A keymap loaded after the typist died gave its key a meaning: that stays,
// and only the loan is struck off.
TEST_F(LentKeys, AKeyRemappedSinceItsTypistDiedIsLeftAlone) {
    QProcess typist;
    ASSERT_NO_FATAL_FAILURE(startTypist(typist, offKeyboard.left(1) + QString(30, 'a')));
    typist.kill();
    typist.waitForFinished();
    const QList<quint32> changed = changedKeys();
    ASSERT_EQ(changed.size(), 1);
    const QByteArray key = QByteArray::number(changed.front());
    QProcess::execute("xmodmap", {"-e", "keycode " + key + " = sterling"});
    const QByteArray remapped = keymap().value(changed.front());
    ASSERT_TRUE(remapped.contains("sterling")) << remapped.toStdString();

    EventTapManager::typeText("b");
    EXPECT_EQ(keymap().value(changed.front()), remapped);
    EXPECT_TRUE(record().empty());
}

// A second typist needs a character that a live typist has lent a key: it
// takes neither that key nor any other key held, and the first typist still
// gives its key back.
TEST_F(LentKeys, ALiveTypistsKeyIsNeitherTakenForItsCharacterNorLentAgain) {
    QProcess first;
    ASSERT_NO_FATAL_FAILURE(startTypist(first, offKeyboard.left(1) + QString(30, 'a')));
    ::kill(first.processId(), SIGSTOP); // after its one loan, before giving it back
    const QList<quint32> changed = changedKeys();
    ASSERT_EQ(changed.size(), 1);
    const quint32 held = changed.front();
    const QByteArray heldLine = keymap().value(held);
    ASSERT_TRUE(heldLine.contains("EuroSign")) << heldLine.toStdString();
    const std::vector<quint32> heldRecord = record();

    EventTapManager taps;
    QList<quint16> pressed;
    ASSERT_TRUE(taps.startKeyTracking(
        [&](const QString&, quint16 keyCode, bool) { pressed.append(keyCode); }));
    std::thread second([] { EventTapManager::typeText(QString::fromUtf8("€ü")); });
    EXPECT_TRUE(waitUntil([&] { return pressed.size() >= 2; }));
    second.join();
    taps.stopAll();
    EXPECT_FALSE(pressed.contains(VirtualKeyCodes::fromEvdev(held - 8)));
    EXPECT_EQ(keymap().value(held), heldLine);
    EXPECT_EQ(record(), heldRecord);

    ::kill(first.processId(), SIGCONT);
    ASSERT_TRUE(first.waitForFinished());
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(changedKeys(), QList<quint32>());
    EXPECT_TRUE(record().empty());
}

} // namespace
