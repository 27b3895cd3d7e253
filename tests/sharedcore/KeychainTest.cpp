#include "SharedCore/StorageManager.h"
#include "TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDir>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// Starts a GNOME Keyring unlocked with its login keyring under home, on the bus at
// busAddress; true once it, and no other (the user's own), owns the secret service.
bool startKeyring(QProcess& daemon, const ScopedHome& home, const QString& busAddress) {
    const QString runtimeDir = home.home() + "/run";
    QDir().mkpath(runtimeDir);
    QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtimeDir);
    environment.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
    daemon.setProcessEnvironment(environment);
    daemon.start("gnome-keyring-daemon", {"--foreground", "--unlock", "--components=secrets"});
    daemon.write("pilewatch-test-password");
    daemon.closeWriteChannel();
    const QDBusConnection bus = QDBusConnection::connectToBus(busAddress, busAddress);
    return waitUntil(
        [&] {
            const QDBusReply<uint> owner = bus.interface()->servicePid("org.freedesktop.secrets");
            return owner.isValid() && owner.value() == uint(daemon.processId());
        },
        10000);
}

void stop(QProcess& process) {
    process.kill();
    process.waitForFinished();
}

// secret-tool, the desktop's own command-line peer of the keyring.
QByteArray secretTool(const QStringList& arguments, const QByteArray& input = {}) {
    QProcess tool;
    tool.start("secret-tool", arguments);
    tool.write(input);
    tool.closeWriteChannel();
    const bool ok = tool.waitForFinished(10000) && tool.exitCode() == 0;
    return ok ? tool.readAllStandardOutput() : QByteArray("<failed>");
}

QByteArray lookup(const QString& account, const QString& service = "io.example.mail") {
    return secretTool({"lookup", "account", account, "service", service});
}

} // namespace

// Against a real GNOME Keyring on the session bus that run-in-session.sh provides.
TEST(Keychain, KeepsGenericPasswordsInTheSecretService) {
    ScopedHome home;
    QProcess daemon;
    ASSERT_TRUE(startKeyring(daemon, home, qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS")));
    const StorageManager& storage = StorageManager::shared();
    const QString mail = "io.example.mail";
    const auto itemCount = [&](const QString& account) {
        return secretTool({"search", "--all", "account", account, "service", mail})
            .count("label = ");
    };
    // Save, read, overwrite and delete, by account and service together.
    EXPECT_EQ(storage.readFromKeychain("alice", mail), std::nullopt);
    EXPECT_FALSE(storage.deleteFromKeychain("alice", mail));
    ASSERT_TRUE(storage.saveToKeychain("for chat", "alice", "io.example.chat"));
    ASSERT_TRUE(storage.saveToKeychain("bob's", "bob", mail));
    EXPECT_TRUE(storage.saveToKeychain("first secret", "alice", mail));
    EXPECT_EQ(storage.readFromKeychain("alice", mail), "first secret");
    EXPECT_TRUE(storage.saveToKeychain("second secret", "alice", mail));
    EXPECT_EQ(storage.readFromKeychain("alice", mail), "second secret");
    EXPECT_EQ(lookup("alice"), "second secret");
    EXPECT_EQ(itemCount("alice"), 1);
    EXPECT_TRUE(storage.deleteFromKeychain("alice", mail));
    EXPECT_FALSE(storage.deleteFromKeychain("alice", mail));
    EXPECT_EQ(storage.readFromKeychain("alice", mail), std::nullopt);
    EXPECT_EQ(lookup("alice"), "<failed>");
    EXPECT_EQ(storage.readFromKeychain("alice", "io.example.chat"), "for chat");
    EXPECT_EQ(storage.readFromKeychain("bob", mail), "bob's");
    ASSERT_TRUE(storage.saveToKeychain("token-42", "frank"));
    EXPECT_EQ(lookup("frank", "io.pilewatch.family"), "token-42");
    EXPECT_EQ(storage.readFromKeychain("frank"), "token-42");
    // Secrets are UTF-8 text both ways; items other tools wrote under the same
    // two attributes are the same items.
    for (const QString& text : {QString("pässwörd ✓\nsecond line\t\"quoted\""), QString()}) {
        ASSERT_TRUE(storage.saveToKeychain(text, "grace", mail));
        EXPECT_EQ(storage.readFromKeychain("grace", mail), text);
        EXPECT_EQ(lookup("grace"), text.toUtf8());
    }
    const QStringList store = {"store", "--label=peer", "service", mail, "account"};
    ASSERT_EQ(secretTool(store + QStringList("heidi"), "from the peer"), "");
    EXPECT_EQ(storage.readFromKeychain("heidi", mail), "from the peer");
    EXPECT_TRUE(storage.saveToKeychain("replaced", "heidi", mail));
    EXPECT_EQ(itemCount("heidi"), 1);
    ASSERT_EQ(secretTool(store + QStringList("ivan"), QByteArray("\xff\xfe\x00\x01", 4)), "");
    EXPECT_EQ(storage.readFromKeychain("ivan", mail), std::nullopt);
    EXPECT_FALSE(storage.saveToKeychain(QString(QChar(0xd800)), "judy", mail)); // not Unicode
    EXPECT_EQ(storage.readFromKeychain("judy", mail), std::nullopt);
    stop(daemon);
}

namespace {

// Starts a private session bus on which nothing is activatable, so no secret
// service can appear on it unless the test starts one; gives its address.
QString startPrivateBus(QProcess& daemon) {
    daemon.start("dbus-daemon",
                 {"--config-file=" PRIVATE_BUS_CONFIG, "--nofork", "--print-address=1"});
    waitUntil([&] { return daemon.canReadLine(); });
    return QString::fromUtf8(daemon.readLine().trimmed());
}

// Runs the probe on the given bus, with no X display to start one behind the test's
// back: every call must fail, quietly, and come back (the limit guards against hanging).
void expectProbeFailsQuietly(const QString& busAddress) {
    SCOPED_TRACE(busAddress.toStdString());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
    environment.remove("DISPLAY");
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(KEYCHAIN_PROBE, QStringList());
    ASSERT_TRUE(probe.waitForFinished(5000)) << "the probe hung";
    EXPECT_EQ(probe.readAllStandardOutput(), "save=0 read=absent delete=0\n");
    EXPECT_EQ(probe.readAllStandardError(), QByteArray());
}

} // namespace

// No bus at all; a bus without a secret service; and a service that owns its
// name but never answers (the process is stopped), whose calls must still come
// back, cancelled by their deadline.
TEST(KeychainWithoutService, EveryCallFailsQuietly) {
    ScopedHome home;
    expectProbeFailsQuietly("unix:path=" + home.home() + "/no-such-bus");
    QProcess bus;
    const QString address = startPrivateBus(bus);
    ASSERT_FALSE(address.isEmpty()) << "dbus-daemon did not start";
    expectProbeFailsQuietly(address);
    QProcess keyring;
    ASSERT_TRUE(startKeyring(keyring, home, address));
    ::kill(pid_t(keyring.processId()), SIGSTOP);
    expectProbeFailsQuietly(address);
    stop(keyring);
    stop(bus);
}
