// The SharedUI gallery: every component of the kit in its states, in the
// family's launch window, with the common settings form.
#include "AppLaunchContainer.h"
#include "ControlPage.h"
#include "GalleryTheme.h"

#include <QApplication>
#include <QShortcut>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sharedui-gallery"));
    const QString name = QStringLiteral("SharedUI Gallery");
    applyTheme(AppPreferences::load().theme);
    LaunchWindowController::shared().present(name, [&name] {
        auto* root = new AppLaunchContainer(name, makeControlPage());
        // The gallery follows the theme chosen in its own settings form.
        QObject::connect(root->findChild<SharedAppSettingsFormView*>(),
                         &SharedAppSettingsFormView::preferencesChanged,
                         [](const AppPreferences& prefs) { applyTheme(prefs.theme); });
        auto* quit = new QShortcut(QKeySequence::Quit, root);
        QObject::connect(quit, &QShortcut::activated, &QApplication::quit);
        return root;
    });
    return QApplication::exec();
}
