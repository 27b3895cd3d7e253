#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <optional>

// Points HOME and the XDG base directories at a fresh temporary folder for the
// life of the object, so tests never touch the real user's files, settings,
// Trash or keyring. Restores the previous environment afterwards.
class ScopedHome {
public:
    ScopedHome();
    ~ScopedHome();
    ScopedHome(const ScopedHome&) = delete;
    ScopedHome& operator=(const ScopedHome&) = delete;

    QString home() const { return m_dir.path(); }
    QByteArray homeBytes() const { return m_dir.path().toLocal8Bit(); }
    QString dataHome() const { return home() + "/.local/share"; }
    QString configHome() const { return home() + "/.config"; }

private:
    void set(const char* name, const QByteArray& value);

    QTemporaryDir m_dir;
    std::map<QByteArray, std::optional<QByteArray>> m_saved;
};

// Writes a file of the given size (sparse: costs no disk blocks beyond metadata).
void makeSparseFile(const QByteArray& path, qint64 size);
// Writes a small file with the given content.
void writeFile(const QByteArray& path, const QByteArray& content = {});
// Sets a path's modification time (seconds since the epoch), without following links.
void setModified(const QByteArray& path, qint64 unixSeconds);

// Spins the Qt event loop until pred() holds or timeoutMs passes; returns pred().
bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

// Where view tests keep their screenshots (the build tree's screenshots/).
QString screenshotPath(const QString& fileName);
