#pragma once

#include <QString>
#include <functional>

class QWidget;

// One section of the gallery's Control tab: a heading over the widget its
// function builds.
struct GallerySection {
    QString title;
    std::function<QWidget*()> build;
};

// The Control tab: every section in order, one below the other.
QWidget* makeControlPage();
