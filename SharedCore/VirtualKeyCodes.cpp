#include "VirtualKeyCodes.h"

#include <algorithm>
#include <utility>

namespace VirtualKeyCodes {
namespace {

// (evdev code, virtual key code), sorted by evdev code. Modifiers map by side:
// Meta is Command, Alt is Option; Insert sits where the Help key is.
constexpr std::pair<quint16, quint16> table[] = {
    {1, 0x35},                                                                     // Escape
    {2, 0x12},   {3, 0x13},   {4, 0x14},       {5, 0x15},   {6, 0x17},  {7, 0x16}, // 1-6
    {8, 0x1A},   {9, 0x1C},   {10, 0x19},      {11, 0x1D},                         // 7-0
    {12, 0x1B},  {13, 0x18},  {14, deleteKey}, {15, 0x30}, // - = Backspace Tab
    {16, 0x0C},  {17, 0x0D},  {18, 0x0E},      {19, 0x0F},  {20, 0x11}, {21, 0x10}, // Q W E R T Y
    {22, 0x20},  {23, 0x22},  {24, 0x1F},      {25, 0x23},                          // U I O P
    {26, 0x21},  {27, 0x1E},  {28, 0x24},      {29, 0x3B}, // [ ] Return LeftCtrl
    {30, 0x00},  {31, 0x01},  {32, 0x02},      {33, 0x03},  {34, 0x05}, {35, 0x04}, // A S D F G H
    {36, 0x26},  {37, 0x28},  {38, 0x25},                                           // J K L
    {39, 0x29},  {40, 0x27},  {41, 0x32},      {42, 0x38},  {43, 0x2A}, // ; ' ` LeftShift backslash
    {44, 0x06},  {45, 0x07},  {46, 0x08},      {47, 0x09},  {48, 0x0B}, {49, 0x2D}, // Z X C V B N
    {50, 0x2E},  {51, 0x2B},  {52, 0x2F},      {53, 0x2C},  {54, 0x3C}, // M , . / RightShift
    {55, 0x43},  {56, 0x3A},  {57, 0x31},      {58, 0x39},              // KP* LeftAlt Space Caps
    {59, 0x7A},  {60, 0x78},  {61, 0x63},      {62, 0x76},  {63, 0x60}, // F1-F5
    {64, 0x61},  {65, 0x62},  {66, 0x64},      {67, 0x65},  {68, 0x6D}, // F6-F10
    {69, 0x47},                                                         // NumLock (Clear)
    {71, 0x59},  {72, 0x5B},  {73, 0x5C},      {74, 0x4E},              // KP7 KP8 KP9 KP-
    {75, 0x56},  {76, 0x57},  {77, 0x58},      {78, 0x45},              // KP4 KP5 KP6 KP+
    {79, 0x53},  {80, 0x54},  {81, 0x55},      {82, 0x52},  {83, 0x41}, // KP1 KP2 KP3 KP0 KP.
    {87, 0x67},  {88, 0x6F},                                            // F11 F12
    {96, 0x4C},  {97, 0x3E},  {98, 0x4B},      {100, 0x3D},             // KPEnter RCtrl KP/ RAlt
    {102, 0x73}, {103, 0x7E}, {104, 0x74},     {105, 0x7B},             // Home Up PgUp Left
    {106, 0x7C}, {107, 0x77}, {108, 0x7D},     {109, 0x79},             // Right End Down PgDn
    {110, 0x72}, {111, 0x75},                                           // Insert Delete
    {113, 0x4A}, {114, 0x49}, {115, 0x48},     {117, 0x51},             // Mute Vol- Vol+ KP=
    {125, 0x37}, {126, 0x36},                                           // LeftMeta RightMeta
    {183, 0x69}, {184, 0x6B}, {185, 0x71},     {186, 0x6A},             // F13-F16
    {187, 0x40}, {188, 0x4F}, {189, 0x50},     {190, 0x5A},             // F17-F20
};

static_assert(std::ranges::is_sorted(table, {}, &std::pair<quint16, quint16>::first));

} // namespace

quint16 fromEvdev(quint32 evdevCode) {
    const auto* entry =
        std::ranges::lower_bound(table, evdevCode, {}, &std::pair<quint16, quint16>::first);
    if (entry != std::end(table) && entry->first == evdevCode)
        return entry->second;
    return quint16(unmappedFlag | (evdevCode & 0x7FFF));
}

} // namespace VirtualKeyCodes
