#pragma once

#include "TestEnvironment.h"
#include "engine/LoadEngine.h"

#include <QLabel>
#include <QList>
#include <QPalette>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

// An engine whose published state the test sets directly.
class FakeEngine : public LoadEngine {
public:
    using LoadEngine::LoadEngine;
    using LoadEngine::publish;
};

// A FakeEngine on an empty temporary Desktop that never scans by itself.
class FakeDesktop {
public:
    FakeDesktop();
    FakeEngine& engine() { return *m_engine; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<FakeEngine> m_engine;
};

// A real engine on a Desktop folder inside a private home (its Trash too).
class RealDesktop {
public:
    RealDesktop();

    LoadEngine& engine() { return *m_engine; }
    QByteArray operator/(const QByteArray& name) const { return m_path + '/' + name; }
    // Writes a file of the given size, last modified the given number of days ago.
    void addFile(const QByteArray& name, qint64 size, int daysOld);
    // Scans and waits for the result to be published.
    void scanAndWait();
    bool onDesktop(const QByteArray& name) const;
    bool inTrash(const QByteArray& name) const;

private:
    ScopedHome m_home;
    QByteArray m_path;
    std::unique_ptr<LoadEngine> m_engine;
};

// A scan result with the total of the given status and a full set of
// heaviest items and categories.
LoadEngine::Snapshot fullSnapshot(qint64 totalBytes);
// A total in the middle of each status's range.
qint64 totalFor(LoadEngine::LoadStatus status);
QList<LoadEngine::LoadStatus> allStatuses();
QString statusSlug(LoadEngine::LoadStatus status);

// Hosts a page in a window of the main window's minimum size, beside a
// sidebar of its minimum width, and shows it.
class MinimumWindow {
public:
    explicit MinimumWindow(QWidget* page);
    ~MinimumWindow();
    MinimumWindow(const MinimumWindow&) = delete;
    MinimumWindow& operator=(const MinimumWindow&) = delete;
    QWidget& window() { return m_window; }

private:
    QWidget m_window;
    QPointer<QWidget> m_page; // owned by the test, not by the window
};

// Sets the application palette (the user's light or dark system palette) for
// the life of the object.
class ScopedPalette {
public:
    explicit ScopedPalette(const QPalette& palette);
    ~ScopedPalette();
    ScopedPalette(const ScopedPalette&) = delete;
    ScopedPalette& operator=(const ScopedPalette&) = delete;

private:
    QPalette m_saved;
};

// Lets every pending layout pass run, so geometry is final (a scroll page's
// content takes its new height only after a few rounds of layout requests).
void settleLayouts();

// Texts of the labels the user can see in the widget.
QStringList visibleTexts(const QWidget* root);
// The visible label with exactly this text, or nullptr.
QLabel* visibleLabel(const QWidget* root, const QString& text);
// Checks that every visible wrapping label shows its whole text: it is as
// tall as its width needs and lies within the widget horizontally.
void expectLabelsShowWholeText(const QWidget* root);

// Saves the widget at 1× and 2× device pixel ratio under the build tree's screenshots/.
void saveScreenshots(QWidget* widget, const QString& name);
