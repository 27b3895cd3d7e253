#include "KitLabel.h"

KitLabel::KitLabel(const QString& text, const QFont& font, Tone::Rule color, QWidget* parent)
    : ToneLabel(text, font, std::move(color), parent) {
    setElideMode(Qt::ElideRight);
}
