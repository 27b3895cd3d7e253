#pragma once

#include "SharedUI/ModernCardView.h"

#include <utility>

// Steps the kit's animation clocks and reads the animation state the
// components keep private (the pressed button's spring, the badge's pulse,
// whether frames are coming).
class AnimationProbe {
public:
    template <class Component> static void setClock(Component& component, Motion::Clock clock) {
        component.setClock(std::move(clock));
    }
    template <class Component> static bool isAnimating(const Component& component) {
        return component.isAnimating();
    }
    static bool isPressed(const AnimatedButton& button) { return button.isPressed(); }
    static double scale(const AnimatedButton& button) { return button.scale(); }
    static bool isPulsing(const StatusBadge& badge) { return badge.isPulsing(); }
    static double symbolScale(const StatusBadge& badge) { return badge.symbolScale(); }
};
