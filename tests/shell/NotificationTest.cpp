#include "EngineTestSupport.h"
#include "HeftwickApp.h"
#include "Platform/ByteFormat.h"
#include "dashboard/DesktopNotifier.h"
#include "dashboard/LoadDashboard.h"
#include "dashboard/RemedyNoteLine.h"
#include "dashboard/RemedyReport.h"
#include "shell/CriticalWatcher.h"
#include "tabs/CleanupTab.h"
#include "tabs/DashboardTab.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <optional>

namespace {

// The app names its desktop entry at start; notifications carry that name.
const bool desktopEntryNamed = [] {
    QGuiApplication::setDesktopFileName(QStringLiteral("io.pilewatch.Pilewatch"));
    return true;
}();

// An object of the test's own, served under a well-known name on its own
// connection to the session bus.
class BusStub : public QObject {
public:
    BusStub(const QString& service, const QString& path)
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, service)) {
        EXPECT_TRUE(m_bus.registerObject(path, this, QDBusConnection::ExportAllSlots));
        EXPECT_TRUE(m_bus.registerService(service));
    }
    ~BusStub() override { QDBusConnection::disconnectFromBus(m_bus.name()); }

protected:
    QDBusConnection m_bus;
};

// A notification server: records Notify calls and invokes actions as a user would.
class NotificationServer : public BusStub {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call {
        uint id = 0;
        uint replaces = 0;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
    };

    explicit NotificationServer(QStringList capabilities)
        : BusStub(DesktopNotifier::service, DesktopNotifier::path),
          m_capabilities(std::move(capabilities)) {}

    void invoke(uint id, const QString& key) {
        m_bus.send(QDBusMessage::createSignal(DesktopNotifier::path, DesktopNotifier::service,
                                              QStringLiteral("ActionInvoked"))
                   << id << key);
    }

    QList<Call> calls;

public slots:
    QStringList GetCapabilities() { return m_capabilities; }
    uint Notify(const QString&, uint replaces, const QString&, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int) {
        const uint id = replaces ? replaces : ++m_lastId;
        calls.append({id, replaces, summary, body, actions, hints});
        return id;
    }
    void CloseNotification(uint) {}

private:
    QStringList m_capabilities;
    uint m_lastId = 0;
};

// A file manager: records the items it is asked to show.
class FileManagerStub : public BusStub {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    FileManagerStub() : BusStub("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1") {}

    QStringList shown;

public slots:
    void ShowItems(const QStringList& uris, const QString&) { shown += uris; }
};

constexpr qint64 day = 86'400;

// Scans the engine's Desktop once and waits for the result.
void scanOnce(LoadEngine& engine) {
    int published = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&engine, &LoadEngine::stateChanged, [&] { ++published; });
    engine.scan();
    EXPECT_TRUE(waitUntil([&] { return published > 0; }));
    QObject::disconnect(counting);
}

// A Desktop with two old files the Trash takes (one named with a newline and
// a byte that is not UTF-8), one old entry it cannot take, named like markup,
// and a recent one; scanned.
struct RemedyDesktop {
    RemedyDesktop() : stuck(desktop / "<b>a&b", QDateTime::currentSecsSinceEpoch() - 40 * day) {
        for (const QByteArray& name : names) {
            writeFile(desktop / name, name);
            setModified(desktop / name, QDateTime::currentSecsSinceEpoch() - 40 * day);
        }
        writeFile(desktop / "recent", "new");
        scanOnce(engine);
    }

    TempDesktop desktop;
    const QList<QByteArray> names{"caf\xe9\nnote", "plain.txt"};
    Unmovable stuck;
    LoadEngine engine{desktop.path()};
};

} // namespace

TEST(Notifications, RemedyOutcomeWithUndoThatRefusesATakenPath) {
    NotificationServer server({"actions", "body", "body-markup"});
    RemedyDesktop d;
    RemedyNoteLine line(d.engine);
    line.run([&] { d.engine.cleanOldFiles(30); });
    ASSERT_TRUE(waitUntil([&] { return !server.calls.isEmpty(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(server.calls.size(), 1);
    const NotificationServer::Call first = server.calls[0];
    EXPECT_EQ(first.hints.value("desktop-entry").toString(), "io.pilewatch.Pilewatch");
    EXPECT_EQ(first.summary, "Moved to the Trash");
    EXPECT_EQ(first.body, "2 items (" + formatBytes(18) +
                              ") went to the Trash.\n“&lt;b&gt;a&amp;b” stayed: permission denied");
    EXPECT_EQ(first.actions, (QStringList{"undo", "Undo"})); // key, label
    EXPECT_TRUE(line.isHidden());                            // the server shows it

    // Meanwhile a new file takes one of the original names.
    writeFile(d.desktop / "plain.txt", "a new one");
    server.invoke(first.id, "undo");
    ASSERT_TRUE(waitUntil([&] { return server.calls.size() == 2; }));
    const NotificationServer::Call second = server.calls[1];
    EXPECT_EQ(second.replaces, first.id);
    EXPECT_EQ(second.summary, "Put back from the Trash");
    EXPECT_EQ(second.body, "“caf\uFFFD\u240Anote” is back on the Desktop.\n“plain.txt” stayed "
                           "in the Trash: another item has taken its place");
    EXPECT_TRUE(second.actions.isEmpty());

    // The action is spent: a second invocation puts nothing back.
    server.invoke(first.id, "undo");
    QCoreApplication::processEvents();
    EXPECT_FALSE(waitUntil([&] { return server.calls.size() > 2; }, 300));
}

// Without a server, or with one that shows words but no buttons, the line
// tells, at once, and keeps Undo in reach.
TEST(Notifications, WithoutAServerOrItsActionsTheLineTellsAndOffersUndoWithoutBlocking) {
    for (const bool withServer : {false, true}) {
        SCOPED_TRACE(withServer ? "a server without actions" : "no server");
        std::optional<NotificationServer> server;
        if (withServer)
            server.emplace(QStringList{"body"});
        RemedyDesktop d;
        RemedyNoteLine line(d.engine);
        QElapsedTimer clock;
        clock.start();
        line.run([&] { d.engine.cleanOldFiles(30); });
        EXPECT_LT(clock.elapsed(), 1000);
        ASSERT_TRUE(waitUntil([&] { return !line.isHidden(); }));
        const QString text = line.findChild<QLabel*>()->text();
        EXPECT_TRUE(text.startsWith("Moved to the Trash\n2 items (")) << text.toStdString();
        EXPECT_TRUE(text.endsWith("“<b>a&b” stayed: permission denied")) << text.toStdString();
        if (server) {
            ASSERT_EQ(server->calls.size(), 1);
            EXPECT_TRUE(server->calls[0].actions.isEmpty());
            // Without body-markup the name goes as it is.
            EXPECT_TRUE(server->calls[0].body.endsWith("“<b>a&b” stayed: permission denied"));
        }
        QPushButton* undo = line.findChild<QPushButton*>();
        ASSERT_TRUE(undo);
        EXPECT_EQ(undo->text(), "Undo");
        undo->click();
        EXPECT_TRUE(waitUntil([&] { // where the words of the remedy went
            return server ? server->calls.size() == 2 &&
                                server->calls[1].summary == "Put back from the Trash"
                          : line.findChild<QLabel*>()->text().startsWith("Put back from the Trash");
        }));
    }
}

// Without a server the words go to the line of the view the remedy was run
// from, and only there.
TEST(Notifications, TheLineAppearsInTheViewActedFrom) {
    RemedyDesktop d;
    LoadDashboard panel(d.engine);
    DashboardTab dashboard(d.engine);
    CleanupTab cleanup(d.engine);
    const QList<QWidget*> views{&panel, &dashboard, &cleanup};
    for (QWidget* view : views)
        view->show();
    const QStringList buttons{"Old Files", "Clean Old", "Archive All Desktop Items"};
    for (qsizetype i = 0; i < views.size(); ++i) {
        for (QAbstractButton* b : views[i]->findChildren<QAbstractButton*>())
            if (b->text() == buttons[i])
                b->click();
        const auto lineOf = [](QWidget* view) { return view->findChild<RemedyNoteLine*>(); };
        ASSERT_TRUE(waitUntil([&] { return !lineOf(views[i])->isHidden(); })) << i;
        for (qsizetype j = 0; j < views.size(); ++j)
            EXPECT_EQ(lineOf(views[j])->isHidden(), j != i) << i << j;
        lineOf(views[i])->findChild<QPushButton*>()->click(); // Undo
        ASSERT_TRUE(waitUntil(
            [&] { return lineOf(views[i])->findChild<QLabel*>()->text().startsWith("Put back"); }));
        lineOf(views[i])->hide();
    }
}

TEST(Notifications, ArchiveNamesTheFolderAndOffersToOpenIt) {
    NotificationServer server({"actions"});
    TempDesktop desktop;
    writeFile(desktop / "report.pdf", "12345");
    LoadEngine engine(desktop.path());
    scanOnce(engine);
    RemedyNoteLine line(engine);
    line.run([&] { engine.archiveToFolder(); });
    ASSERT_TRUE(waitUntil([&] { return !server.calls.isEmpty(); }));
    const QString folder = "DesktopArchive_" + QDate::currentDate().toString(u"yyyy-MM-dd");
    EXPECT_EQ(server.calls[0].summary, "Archived into " + folder);
    EXPECT_EQ(server.calls[0].body, "“report.pdf” (" + formatBytes(5) + ") went into the folder.");
    EXPECT_EQ(server.calls[0].actions, (QStringList{"undo", "Undo", "open", "Open Folder"}));

    FileManagerStub fileManager;
    server.invoke(server.calls[0].id, "open");
    ASSERT_TRUE(waitUntil([&] { return !fileManager.shown.isEmpty(); }));
    EXPECT_EQ(fileManager.shown, QStringList{"file://" +
                                             QString::fromLatin1(QUrl::toPercentEncoding(
                                                 QFile::decodeName(desktop.path()), "/")) +
                                             '/' + folder});
}

// Crossing into Critical notifies once; hovering at the line does not
// repeat; going a margin below and back does; the first publication of a
// run, already Critical, does not.
TEST(Notifications, CriticalOnceAPerCrossingAndNeverAtStart) {
    NotificationServer server({"actions"});
    AppDelegate delegate;
    LoadEngine& engine = delegate.engine();
    const auto notified = [&] {
        QCoreApplication::processEvents();
        waitUntil([] { return false; }, 200);
        return server.calls.size();
    };
    LoadEngineTestHook::publishLoad(engine, 0.9); // a restart on a Critical Desktop
    EXPECT_EQ(notified(), 0);
    LoadEngineTestHook::publishLoad(engine, 0.5);
    LoadEngineTestHook::publishLoad(engine, 0.86);
    ASSERT_EQ(notified(), 1);
    EXPECT_EQ(server.calls[0].summary,
              "Your Desktop is Critical: " +
                  formatBytes(qint64(0.86 * double(LoadEngine::maxLoadBytes))));
    EXPECT_EQ(server.calls[0].hints.value("desktop-entry").toString(), "io.pilewatch.Pilewatch");
    EXPECT_TRUE(server.calls[0].actions.startsWith("default"));
    for (const double hover : {0.69, 0.71, 0.66, 0.75})
        LoadEngineTestHook::publishLoad(engine, hover);
    EXPECT_EQ(notified(), 1);
    LoadEngineTestHook::publishLoad(engine, CriticalWatcher::heavyUpperBound -
                                                CriticalWatcher::rearmMargin - 0.01);
    LoadEngineTestHook::publishLoad(engine, 0.72);
    EXPECT_EQ(notified(), 2);

    // Its default action brings the dashboard forward: without a tray, the
    // main window.
    int requested = 0;
    QObject::connect(&delegate, &AppDelegate::mainWindowRequested, [&] { ++requested; });
    server.invoke(server.calls[1].id, "default");
    EXPECT_TRUE(waitUntil([&] { return requested == 1; }));
}

// A long name keeps both of its ends, so a name and its extension stay readable.
TEST(Notifications, LongNamesAreCutInTheMiddle) {
    const QByteArray name = "Start" + QByteArray(100, 'x') + "\xff.mov";
    const QString shown = RemedyReport::displayName("/d/" + name);
    EXPECT_EQ(shown.size(), RemedyReport::maxNameLength);
    EXPECT_TRUE(shown.startsWith("Startxxx")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(u"xxx\uFFFD.mov")) << shown.toStdString();
    EXPECT_EQ(shown.count(u'…'), 1);
}

#include "NotificationTest.moc"
