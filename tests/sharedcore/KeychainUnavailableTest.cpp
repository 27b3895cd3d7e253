#include "TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A generous guard against hanging, not a speed requirement.
constexpr qint64 hangGuardMs = 5000;

struct ProbeResult {
    QByteArray line;
    QByteArray errors;
    qint64 slowestMs = -1;
};

// Runs the probe with the given session bus address (and no X display, so
// nothing can start a bus behind the test's back).
ProbeResult runProbe(const QString& busAddress) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
    environment.remove("DISPLAY");
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(KEYCHAIN_PROBE, QStringList());
    if (!probe.waitForFinished(30000)) {
        probe.kill();
        probe.waitForFinished();
        return {"<hung>", {}, -1};
    }
    ProbeResult result{probe.readAllStandardOutput().trimmed(), probe.readAllStandardError(), 0};
    const QRegularExpression times("(\\w+)Ms=(\\d+)");
    for (auto it = times.globalMatch(QString::fromUtf8(result.line)); it.hasNext();)
        result.slowestMs = std::max(result.slowestMs, it.next().captured(2).toLongLong());
    return result;
}

void expectFailedQuietly(const ProbeResult& result) {
    EXPECT_TRUE(result.line.startsWith("save=0 read=absent delete=0 ")) << result.line.data();
    EXPECT_GE(result.slowestMs, 0);
    EXPECT_LT(result.slowestMs, hangGuardMs) << result.line.data();
    EXPECT_EQ(result.errors, QByteArray());
}

// A private session bus on which nothing is activatable, so no secret service
// can appear on it unless the test starts one.
class PrivateBus {
public:
    explicit PrivateBus(const QString& folder) {
        const QString config = folder + "/bus.conf";
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(QString(R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
                       .arg(folder)
                       .toUtf8());
        file.close();
        m_daemon.start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address=1"});
        if (m_daemon.waitForStarted() && waitUntil([&] { return m_daemon.canReadLine(); }))
            m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    }

    ~PrivateBus() {
        QDBusConnection::disconnectFromBus("private-bus");
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    QString address() const { return m_address; }

    bool hasOwner(const QString& name) const {
        QDBusConnection bus = QDBusConnection::connectToBus(m_address, "private-bus");
        return bus.isConnected() && bus.interface()->isServiceRegistered(name);
    }

private:
    QProcess m_daemon;
    QString m_address;
};

} // namespace

TEST(KeychainWithoutService, NoSessionBusAtAll) {
    ScopedHome home;
    expectFailedQuietly(runProbe("unix:path=" + home.home() + "/no-such-bus"));
}

TEST(KeychainWithoutService, ABusWithoutAnySecretService) {
    ScopedHome home;
    const PrivateBus bus(home.home());
    ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
    expectFailedQuietly(runProbe(bus.address()));
}

// The service owns its name but never answers (the process is stopped): every
// call must still come back, cancelled by its deadline.
TEST(KeychainWithoutService, AServiceThatNeverAnswers) {
    ScopedHome home;
    const PrivateBus bus(home.home());
    ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";

    const QString runtimeDir = home.home() + "/run";
    QDir().mkpath(runtimeDir);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
    environment.insert("XDG_RUNTIME_DIR", runtimeDir);
    QProcess keyring;
    keyring.setProcessEnvironment(environment);
    keyring.start("gnome-keyring-daemon", {"--foreground", "--unlock", "--components=secrets"});
    ASSERT_TRUE(keyring.waitForStarted()) << "gnome-keyring-daemon is not installed";
    keyring.write("pilewatch-test-password");
    keyring.closeWriteChannel();
    ASSERT_TRUE(waitUntil([&] { return bus.hasOwner("org.freedesktop.secrets"); }, 10000));

    ::kill(pid_t(keyring.processId()), SIGSTOP);
    const ProbeResult result = runProbe(bus.address());
    keyring.kill();
    keyring.waitForFinished();

    expectFailedQuietly(result);
}
