#pragma once

#include <QLocale>
#include <QString>

// The app's texts in the user's language: the installed translation for the
// locale (pilewatch_<language>.qm), with Qt's own for its standard texts.
// Without one the app speaks English.
namespace Translations {

// Where the installed translations lie.
QString installedFolder();

// Installs the app's translation for the locale from folder, and Qt's own;
// returns whether the app's was found.
bool install(const QLocale& locale = QLocale(), const QString& folder = installedFolder());

} // namespace Translations
