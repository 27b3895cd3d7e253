#pragma once

class QWidget;

// The gallery's sections for the menu components, each in its states.
QWidget* menuBarIconsSection();
QWidget* settingsRowsSection();
QWidget* slidersSection();
QWidget* actionRowsSection();
QWidget* statisticsSection();
QWidget* shortcutBadgesSection();
QWidget* panelSection();
