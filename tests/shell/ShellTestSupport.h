#pragma once

#include "HeftwickApp.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QProcess>
#include <QTemporaryDir>

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
    // Writes a line to its standard input.
    void send(const QByteArray& line) { m_process.write(line + '\n'); }
    // Whether it exits (or has exited) with status 0 in time.
    bool succeeds(int timeoutMs) {
        return (m_process.state() == QProcess::NotRunning ||
                m_process.waitForFinished(timeoutMs)) &&
               m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    // All it printed that nobody read yet, standard output and error together.
    std::string output() { return m_process.readAll().toStdString(); }

private:
    QProcess m_process;
};

// Runs xdotool with the arguments; whether it succeeded.
inline bool xdotool(const QStringList& arguments) {
    return ChildProcess("xdotool", arguments).succeeds(5000);
}

// A real click of the first button at a position of the X screen.
inline bool clickAt(const QPoint& p) {
    return xdotool({"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"});
}

// The icon themes of a desktop, in a temporary folder that is the only place
// Qt looks for theme icons while the object lives: the desktop's theme, which
// inherits hicolor as every theme does, and hicolor, empty at first as for
// the app run from its build folder; add() installs the app's icons into it.
class ScopedIconTheme {
public:
    ScopedIconTheme() : m_savedPaths(QIcon::themeSearchPaths()), m_savedName(QIcon::themeName()) {
        const QString desktopTheme = m_dir.path() + "/desktop";
        QDir().mkpath(desktopTheme);
        QFile index(desktopTheme + "/index.theme");
        if (index.open(QIODevice::WriteOnly))
            index.write("[Icon Theme]\nName=Desktop\nInherits=hicolor\nDirectories=\n");
        QIcon::setThemeSearchPaths({m_dir.path()});
        QIcon::setThemeName("desktop");
    }
    ~ScopedIconTheme() {
        QIcon::setThemeName(m_savedName);
        QIcon::setThemeSearchPaths(m_savedPaths);
    }
    ScopedIconTheme(const ScopedIconTheme&) = delete;
    ScopedIconTheme& operator=(const ScopedIconTheme&) = delete;

    // Copies an icon file of Heftwick/data into the theme's folder (as
    // "symbolic/apps"), which it lists as scalable.
    bool add(const QString& folder, const QString& fileName) {
        m_folders << folder;
        QString index = "[Icon Theme]\nName=hicolor\nDirectories=" + m_folders.join(',') + '\n';
        for (const QString& f : std::as_const(m_folders))
            index += '[' + f + "]\nSize=16\nMinSize=8\nMaxSize=512\nType=Scalable\n";
        const QString theme = m_dir.path() + "/hicolor/";
        QFile indexFile(theme + "index.theme");
        return QDir().mkpath(theme + folder) && indexFile.open(QIODevice::WriteOnly) &&
               indexFile.write(index.toUtf8()) == index.toUtf8().size() &&
               QFile::copy(QStringLiteral(PILEWATCH_DATA_DIR "/") + fileName,
                           theme + folder + '/' + fileName);
    }
    // The folder that holds the themes.
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QStringList m_savedPaths;
    QString m_savedName;
    QStringList m_folders;
};
