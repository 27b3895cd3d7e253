#include "SharedCore/StorageManager.h"
#include "TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>
#include <memory>

// Runs against a real GNOME Keyring on the session bus that run-in-session.sh
// provides. The daemon keeps its login keyring in a temporary home, unlocked
// with a fixed password, and is stopped after the suite.
class Keychain : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        home = std::make_unique<ScopedHome>();
        const QString runtimeDir = home->home() + "/run";
        QDir().mkpath(runtimeDir);
        QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtimeDir);
        daemon = std::make_unique<QProcess>();
        daemon->setProcessEnvironment(environment);
        daemon->start("gnome-keyring-daemon", {"--foreground", "--unlock", "--components=secrets"});
        ASSERT_TRUE(daemon->waitForStarted()) << "gnome-keyring-daemon is not installed";
        daemon->write("pilewatch-test-password");
        daemon->closeWriteChannel();
        // Only the test's own daemon will do: should the bus already have a
        // secret service (the user's own keyring), the suite must not run.
        ASSERT_TRUE(waitUntil(
            [] {
                const QDBusReply<uint> owner =
                    QDBusConnection::sessionBus().interface()->servicePid(
                        "org.freedesktop.secrets");
                return owner.isValid() && owner.value() == uint(daemon->processId());
            },
            10000))
            << "the test's own keyring never owned the secret service on this bus";
    }

    static void TearDownTestSuite() {
        daemon->terminate();
        if (!daemon->waitForFinished(5000))
            daemon->kill();
        daemon.reset();
        home.reset();
    }

    struct ToolResult {
        int exitCode;
        QByteArray output;
    };

    // secret-tool, the desktop's own command-line peer of the keyring.
    static ToolResult secretTool(const QStringList& arguments, const QByteArray& input = {}) {
        QProcess tool;
        tool.start("secret-tool", arguments);
        tool.write(input);
        tool.closeWriteChannel();
        if (!tool.waitForFinished(10000))
            return {-1, {}};
        return {tool.exitCode(), tool.readAllStandardOutput()};
    }

    static QByteArray lookup(const QString& account, const QString& service) {
        const ToolResult result = secretTool({"lookup", "account", account, "service", service});
        return result.exitCode == 0 ? result.output : QByteArray("<absent>");
    }

    // How many items secret-tool finds under the account and service.
    static int itemCount(const QString& account, const QString& service) {
        const ToolResult result =
            secretTool({"search", "--all", "account", account, "service", service});
        return int(result.output.count("\nlabel = ") + result.output.startsWith("label = "));
    }

    StorageManager& storage = StorageManager::shared();

    static inline std::unique_ptr<ScopedHome> home;
    static inline std::unique_ptr<QProcess> daemon;
};

TEST_F(Keychain, SaveReadAndOverwrite) {
    EXPECT_TRUE(storage.saveToKeychain("first secret", "alice", "io.example.mail"));
    EXPECT_EQ(storage.readFromKeychain("alice", "io.example.mail"), "first secret");
    EXPECT_TRUE(storage.saveToKeychain("second secret", "alice", "io.example.mail"));
    EXPECT_EQ(storage.readFromKeychain("alice", "io.example.mail"), "second secret");
    EXPECT_EQ(lookup("alice", "io.example.mail"), "second secret");
    EXPECT_EQ(itemCount("alice", "io.example.mail"), 1);
}

TEST_F(Keychain, AccountAndServiceTogetherIdentifyAnItem) {
    ASSERT_TRUE(storage.saveToKeychain("for mail", "carol", "io.example.mail"));
    ASSERT_TRUE(storage.saveToKeychain("for chat", "carol", "io.example.chat"));
    ASSERT_TRUE(storage.saveToKeychain("dave's", "dave", "io.example.mail"));
    EXPECT_TRUE(storage.deleteFromKeychain("carol", "io.example.mail"));
    EXPECT_EQ(storage.readFromKeychain("carol", "io.example.mail"), std::nullopt);
    EXPECT_EQ(storage.readFromKeychain("carol", "io.example.chat"), "for chat");
    EXPECT_EQ(storage.readFromKeychain("dave", "io.example.mail"), "dave's");
}

TEST_F(Keychain, DeleteTwiceAndReadWhatIsAbsent) {
    EXPECT_EQ(storage.readFromKeychain("nobody", "io.example.mail"), std::nullopt);
    EXPECT_FALSE(storage.deleteFromKeychain("nobody", "io.example.mail"));

    ASSERT_TRUE(storage.saveToKeychain("short-lived", "erin", "io.example.mail"));
    EXPECT_TRUE(storage.deleteFromKeychain("erin", "io.example.mail"));
    EXPECT_FALSE(storage.deleteFromKeychain("erin", "io.example.mail"));
    EXPECT_EQ(storage.readFromKeychain("erin", "io.example.mail"), std::nullopt);
    EXPECT_EQ(lookup("erin", "io.example.mail"), "<absent>");
}

TEST_F(Keychain, TheDefaultServiceIsTheFamilyIdentifier) {
    ASSERT_TRUE(storage.saveToKeychain("token-42", "frank"));
    EXPECT_EQ(lookup("frank", "io.pilewatch.family"), "token-42");
    EXPECT_EQ(storage.readFromKeychain("frank"), "token-42");
    EXPECT_TRUE(storage.deleteFromKeychain("frank"));
}

TEST_F(Keychain, TextSurvivesByteForByte) {
    for (const QString& text : {QString("pässwörd ✓\nsecond line\t\"quoted\""), QString()}) {
        ASSERT_TRUE(storage.saveToKeychain(text, "grace", "io.example.mail"));
        EXPECT_EQ(storage.readFromKeychain("grace", "io.example.mail"), text);
        EXPECT_EQ(lookup("grace", "io.example.mail"), text.toUtf8());
    }
}

// Items written by other tools under the same two attributes are the same items.
TEST_F(Keychain, ItemsStoredBySecretToolAreFoundAndDeleted) {
    ASSERT_EQ(
        secretTool({"store", "--label=peer", "account", "heidi", "service", "io.example.mail"},
                   "from the peer")
            .exitCode,
        0);
    EXPECT_EQ(storage.readFromKeychain("heidi", "io.example.mail"), "from the peer");
    EXPECT_TRUE(storage.saveToKeychain("replaced", "heidi", "io.example.mail"));
    EXPECT_EQ(itemCount("heidi", "io.example.mail"), 1);
    EXPECT_TRUE(storage.deleteFromKeychain("heidi", "io.example.mail"));
    EXPECT_EQ(lookup("heidi", "io.example.mail"), "<absent>");
}

TEST_F(Keychain, ASecretThatIsNotUtf8ReadsAsAbsent) {
    ASSERT_EQ(
        secretTool({"store", "--label=binary", "account", "ivan", "service", "io.example.mail"},
                   QByteArray("\xff\xfe\x00\x01", 4))
            .exitCode,
        0);
    EXPECT_EQ(storage.readFromKeychain("ivan", "io.example.mail"), std::nullopt);
}

TEST_F(Keychain, TextThatIsNotValidUnicodeIsRefused) {
    const QString loneSurrogate(QChar(0xd800));
    EXPECT_FALSE(storage.saveToKeychain(loneSurrogate, "judy", "io.example.mail"));
    EXPECT_FALSE(storage.saveToKeychain("secret", loneSurrogate, "io.example.mail"));
    EXPECT_EQ(storage.readFromKeychain("judy", "io.example.mail"), std::nullopt);
}
