#pragma once

class QWidget;

// The gallery's sections of the kit's decorative components.

// Status badges in all five statuses.
QWidget* statusBadgesSection();
// Cards with and without their outline over the animated background.
QWidget* cardsSection();
// Animated buttons with and without a symbol, counting their clicks.
QWidget* buttonsSection();
