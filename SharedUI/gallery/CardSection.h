#pragma once

class QWidget;

// The gallery's section of the kit's decorative components: status badges in
// all five statuses, cards over the animated background, and animated buttons
// with and without a symbol.
QWidget* makeCardSection(QWidget* parent = nullptr);
