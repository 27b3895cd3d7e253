// A launcher and a keyboard for a headless Wayland session, driven over
// standard input one command a line:
//   token APP_ID   prints an xdg-activation token, as a launcher gets one
//   key CODE       presses and releases the evdev key CODE on a virtual
//                  keyboard
//   click X,Y      moves a virtual pointer to X,Y of the output (in its
//                  logical pixels) and clicks its left button there
// The keyboard and the pointer join the seat when the tool starts. It
// answers each command with one line ("ok" when there is nothing to print).
#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-activation-v1-client-protocol.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

namespace {

struct Globals {
    xdg_activation_v1* activation = nullptr;
    zwp_virtual_keyboard_manager_v1* keyboards = nullptr;
    zwlr_virtual_pointer_manager_v1* pointers = nullptr;
    wl_seat* seat = nullptr;
};

template <typename Proxy>
void bind(wl_registry* registry, uint32_t name, const wl_interface& interface, Proxy*& proxy) {
    proxy = static_cast<Proxy*>(wl_registry_bind(registry, name, &interface, 1));
}

void announced(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, xdg_activation_v1_interface.name) == 0)
        bind(registry, name, xdg_activation_v1_interface, globals->activation);
    else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        bind(registry, name, zwp_virtual_keyboard_manager_v1_interface, globals->keyboards);
    else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        bind(registry, name, zwlr_virtual_pointer_manager_v1_interface, globals->pointers);
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat)
        bind(registry, name, wl_seat_interface, globals->seat);
}
void removed(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener{announced, removed};

void tokenDone(void* data, xdg_activation_token_v1*, const char* value) {
    *static_cast<std::string*>(data) = value;
}
const xdg_activation_token_v1_listener tokenListener{tokenDone};

std::string activationToken(wl_display* display, xdg_activation_v1* activation,
                            const std::string& appId) {
    std::string token;
    xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(activation);
    xdg_activation_token_v1_add_listener(request, &tokenListener, &token);
    xdg_activation_token_v1_set_app_id(request, appId.c_str());
    xdg_activation_token_v1_commit(request);
    while (token.empty() && wl_display_dispatch(display) != -1) {
    }
    xdg_activation_token_v1_destroy(request);
    return token;
}

// A keyboard with the default (US) layout, its keymap handed over in memory.
zwp_virtual_keyboard_v1* addKeyboard(Globals& globals) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
    char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    const size_t size = std::strlen(text) + 1;
    const int fd = memfd_create("keymap", MFD_CLOEXEC);
    const bool written = fd >= 0 && write(fd, text, size) == ssize_t(size);
    std::free(text);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    if (!written)
        return nullptr;
    zwp_virtual_keyboard_v1* keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(globals.keyboards, globals.seat);
    zwp_virtual_keyboard_v1_keymap(keyboard, XKB_KEYMAP_FORMAT_TEXT_V1, fd, uint32_t(size));
    close(fd);
    return keyboard;
}

constexpr uint32_t leftButton = 0x110; // evdev BTN_LEFT

// The output's logical size, which absolute pointer positions divide.
constexpr uint32_t outputWidth = 1280;
constexpr uint32_t outputHeight = 800;

void click(zwlr_virtual_pointer_v1* pointer, uint32_t& time, const std::string& at) {
    const size_t comma = at.find(',');
    const auto x = uint32_t(std::stoul(at.substr(0, comma)));
    const auto y = uint32_t(std::stoul(at.substr(comma + 1)));
    zwlr_virtual_pointer_v1_motion_absolute(pointer, time += 10, x, y, outputWidth, outputHeight);
    zwlr_virtual_pointer_v1_frame(pointer);
    for (const auto state : {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED}) {
        zwlr_virtual_pointer_v1_button(pointer, time += 10, leftButton, state);
        zwlr_virtual_pointer_v1_frame(pointer);
    }
}

} // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::cerr << "wayland-seat-tool: no Wayland display\n";
        return 1;
    }
    Globals globals;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.activation || !globals.seat || !globals.keyboards || !globals.pointers) {
        std::cerr << "wayland-seat-tool: the compositor offers no activation or virtual input\n";
        return 1;
    }
    zwp_virtual_keyboard_v1* keyboard = addKeyboard(globals);
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.pointers, globals.seat);
    wl_display_roundtrip(display);
    std::cout << (keyboard ? "ready" : "no keymap") << std::endl;
    std::string command;
    std::string argument;
    uint32_t time = 0;
    while (std::cin >> command >> argument) {
        if (command == "token") {
            std::cout << activationToken(display, globals.activation, argument) << std::endl;
            continue;
        }
        if (command == "click") {
            click(pointer, time, argument);
        } else {
            const auto key = uint32_t(std::stoul(argument));
            zwp_virtual_keyboard_v1_key(keyboard, time += 10, key, WL_KEYBOARD_KEY_STATE_PRESSED);
            zwp_virtual_keyboard_v1_key(keyboard, time += 10, key, WL_KEYBOARD_KEY_STATE_RELEASED);
        }
        wl_display_roundtrip(display);
        std::cout << "ok" << std::endl;
    }
    wl_display_disconnect(display);
    return 0;
}
