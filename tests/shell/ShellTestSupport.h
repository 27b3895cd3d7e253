#pragma once

#include "HeftwickApp.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QProcess>

// Puts holiday.mov (2.4 GB, sparse), report.pdf (12 MB, sparse) and notes.txt
// on the temporary home's Desktop: a moderate load of 2.41 GB.
inline bool putSampleDesktop(const ScopedHome& home) {
    const QByteArray desktop = home.homeBytes() + "/Desktop";
    if (!QDir().mkpath(QString::fromLocal8Bit(desktop)))
        return false;
    makeSparseFile(desktop + "/holiday.mov", 2'400'000'000);
    makeSparseFile(desktop + "/report.pdf", 12'000'000);
    writeFile(desktop + "/notes.txt", "notes");
    return true;
}

// Launches the app and waits until it has finished launching; false if it
// does not in time.
inline bool launchAndWait(PilewatchApp& app) {
    app.launch();
    return waitUntil([&] { return app.appDelegate().hasFinishedLaunching(); });
}

// A helper program run beside a test, killed when the object goes.
class ChildProcess {
public:
    ChildProcess(const QString& program, const QStringList& arguments,
                 const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setProcessEnvironment(env);
        m_process.start(program, arguments);
        m_process.waitForStarted();
    }
    ~ChildProcess() {
        m_process.kill();
        m_process.waitForFinished();
    }
    // The next line it prints (the event loop runs meanwhile), or "" if none comes.
    QString nextLine(int timeoutMs = 5000) {
        if (!waitUntil([&] { return m_process.canReadLine(); }, timeoutMs))
            return {};
        return QString::fromLocal8Bit(m_process.readLine().trimmed());
    }
    // Whether it exits with status 0 in time.
    bool succeeds(int timeoutMs) {
        return m_process.waitForFinished(timeoutMs) &&
               m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    // All it printed that nobody read yet, standard output and error together.
    std::string output() { return m_process.readAll().toStdString(); }

private:
    QProcess m_process;
};
