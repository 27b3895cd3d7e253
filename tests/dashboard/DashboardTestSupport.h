#pragma once

#include "LoadEngine.h"
#include "shell/Palette.h"

#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

// The folder a fake engine watches, made before the engine itself.
struct EmptyFolder {
    QTemporaryDir dir;
};

// An engine whose published state the test sets directly. It watches an empty
// temporary folder and never monitors, so it cannot touch the user's Desktop.
class FakeEngine : private EmptyFolder, public LoadEngine {
public:
    FakeEngine() : LoadEngine(QFile::encodeName(dir.path())) {}
    using LoadEngine::publish;
};

LoadEngine::Category category(const QString& name, qint64 bytes, NamedColor color);
LoadEngine::FileItem fileItem(const QString& name, qint64 size, bool isDirectory = false);

// A state with the given total, its status derived as the engine would.
LoadEngine::Snapshot snapshotWithTotal(qint64 total, qint64 count, bool withLists = true);

// The widget drawn over a background at a device pixel ratio, after its
// pending layout has settled.
QImage renderOn(QWidget& widget, const QColor& background, qreal dpr = 1.0);
// The same over the dark panel background.
QImage renderOnPanel(QWidget& widget, qreal dpr = 1.0);
void saveScreenshot(const QImage& image, const QString& name);

// Colour helpers for pixel checks.
QColor blend(const QColor& under, const QColor& over);
int colorDistance(const QColor& a, const QColor& b);
QColor panelBackground();
QColor darkNamed(NamedColor color);
