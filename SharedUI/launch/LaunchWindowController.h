#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QTimer>
#include <functional>

class QWidget;

// Opens the one main window of a menu-bar application, for any root widget.
//
// The window is created by the first present() and then lives for the rest of
// the process: later present() calls ignore their size and root and only bring
// it back; closing it hides it with its content intact; bringToFront() shows
// it again. On Linux "becoming a regular application and activating" means
// showing the window, restoring it from the minimised state, raising it and
// asking the window manager to activate it.
//
// The window is a plain top-level widget titled with the application name, at
// least 380 × 520, resized to the ideal size and centred on the screen when it
// is created. Its geometry is kept in the settings store (StorageManager)
// under the application name followed by ".mainWindow" and restored, after the
// centring, the next time the process creates the window. It is saved when
// the window closes, half a second after the user last moved or resized it
// (so a killed process loses at most that half second) and when the
// application quits.
//
// Every call belongs on the main thread; present(), presentDeferred() and
// bringToFront() check this with a debug assertion.
class LaunchWindowController : public QObject {
    Q_OBJECT

public:
    using RootBuilder = std::function<QWidget*()>;

    static constexpr QSize defaultIdealSize{480, 680};
    static constexpr QSize minimumSize{380, 520};

    static LaunchWindowController& shared();

    void present(const QString& appName, QSize idealSize, const RootBuilder& root);
    void present(const QString& appName, const RootBuilder& root);
    // present() on a later turn of the event loop; root is kept until then. If
    // the controller is gone by then, nothing happens.
    void presentDeferred(const QString& appName, QSize idealSize, RootBuilder root);
    void presentDeferred(const QString& appName, RootBuilder root);
    void bringToFront();
    // The window is about to close: it stays, and its geometry is saved.
    void windowWillClose();

    // The window, or null before the first present().
    QWidget* window() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    LaunchWindowController();

    void createWindow(const QString& appName, QSize idealSize, const RootBuilder& root);
    void saveGeometry() const;

    QPointer<QWidget> m_window;
    QString m_geometryKey;
    QTimer m_saveTimer;
};
