#include "GalleryTheme.h"

#include "Platform/Palette.h"

#include <QApplication>
#include <QStyle>

void applyTheme(AppPreferences::Theme theme) {
    // The desktop's palette, as it was before the gallery changed anything.
    static const QPalette system = QApplication::palette();
    switch (theme) {
    case AppPreferences::Theme::light:
        QApplication::setPalette(QApplication::style()->standardPalette());
        return;
    case AppPreferences::Theme::dark:
        QApplication::setPalette(Palette::darkPanelPalette());
        return;
    case AppPreferences::Theme::system:
        break;
    }
    QApplication::setPalette(system);
}
