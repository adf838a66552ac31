#pragma once

#include <xcb/xcb.h>
#include <xcb/xtest.h>

// Presses ⌃⌥⌘ and a key through XTest, as a keyboard would (Control_L, Alt_L and Super_L of
// the X server's default keymap).
class XTestKeyboard {
public:
    XTestKeyboard() : connection_(xcb_connect(nullptr, nullptr)) {}
    ~XTestKeyboard() { xcb_disconnect(connection_); }
    XTestKeyboard(const XTestKeyboard&) = delete;
    XTestKeyboard& operator=(const XTestKeyboard&) = delete;

    void chord(xcb_keycode_t key) {
        for (xcb_keycode_t modifier : {controlL, altL, superL}) {
            fake(XCB_KEY_PRESS, modifier);
        }
        fake(XCB_KEY_PRESS, key);
        fake(XCB_KEY_RELEASE, key);
        for (xcb_keycode_t modifier : {superL, altL, controlL}) {
            fake(XCB_KEY_RELEASE, modifier);
        }
        xcb_flush(connection_);
    }

private:
    static constexpr xcb_keycode_t controlL = 37, altL = 64, superL = 133;

    void fake(std::uint8_t type, xcb_keycode_t key) {
        xcb_test_fake_input(connection_, type, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
    xcb_connection_t* connection_;
};
