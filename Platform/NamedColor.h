#pragma once

// The palette entries the engine hands to views by name. The engine has no
// GUI dependency, so it names a colour and the display services resolve it.
enum class NamedColor { green, yellow, orange, red, blue, pink, purple, cyan, gray };
