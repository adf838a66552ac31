#include "platform/xkb/KeyboardLayouts.h"

#include <xkbcommon/xkbcommon.h>

namespace panemark {

namespace {

constexpr std::uint32_t xKeycodeOffset = 8;

xkb_context* newContext() {
    return xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
}

// A state with exactly these modifiers held, on that layout.
xkb_state* stateHolding(xkb_keymap* keymap, std::uint32_t layout, KeyboardLayouts::Held held) {
    xkb_state* state = xkb_state_new(keymap);
    if (!state) {
        return nullptr;
    }
    xkb_mod_mask_t mask = 0;
    const auto hold = [&](bool wanted, const char* name) {
        const xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap, name);
        if (wanted && index != XKB_MOD_INVALID) {
            mask |= xkb_mod_mask_t{1} << index;
        }
    };
    hold(held.shift, XKB_MOD_NAME_SHIFT);
    hold(held.control, XKB_MOD_NAME_CTRL);
    hold(held.alt, XKB_MOD_NAME_ALT);
    hold(held.logo, XKB_MOD_NAME_LOGO);
    xkb_state_update_mask(state, mask, 0, 0, 0, 0, layout);
    return state;
}

bool consumed(xkb_state* state, xkb_keycode_t key, const char* modifier) {
    const xkb_mod_index_t index = xkb_keymap_mod_get_index(xkb_state_get_keymap(state), modifier);
    return index != XKB_MOD_INVALID &&
           xkb_state_mod_index_is_consumed2(state, key, index, XKB_CONSUMED_MODE_GTK) == 1;
}

} // namespace

KeyboardLayouts::KeyboardLayouts(xkb_context* context, xkb_keymap* keymap)
    : context_(context), keymap_(keymap) {}

KeyboardLayouts::~KeyboardLayouts() {
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

std::unique_ptr<KeyboardLayouts> KeyboardLayouts::fromKeymapText(const std::string& text) {
    xkb_context* context = newContext();
    if (!context) {
        return nullptr;
    }
    xkb_keymap* keymap = xkb_keymap_new_from_buffer(
        context, text.data(), text.size(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) {
        xkb_context_unref(context);
        return nullptr;
    }
    return std::unique_ptr<KeyboardLayouts>(new KeyboardLayouts(context, keymap));
}

std::unique_ptr<KeyboardLayouts> KeyboardLayouts::fromNames(const std::string& layouts,
                                                            const std::string& variants) {
    xkb_context* context = newContext();
    if (!context) {
        return nullptr;
    }
    const xkb_rule_names names{"evdev", "pc105", layouts.c_str(), variants.c_str(), ""};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) {
        xkb_context_unref(context);
        return nullptr;
    }
    return std::unique_ptr<KeyboardLayouts>(new KeyboardLayouts(context, keymap));
}

std::uint32_t KeyboardLayouts::layoutCount() const {
    return xkb_keymap_num_layouts(keymap_);
}

void KeyboardLayouts::setActive(std::uint32_t layout) {
    if (layout < layoutCount()) {
        active_ = layout;
    }
}

std::string KeyboardLayouts::layoutName(std::uint32_t layout) const {
    const char* name = xkb_keymap_layout_get_name(keymap_, layout);
    return name ? name : "";
}

KeyboardLayouts::Typed KeyboardLayouts::typedOn(std::uint32_t layout, std::uint32_t evdev,
                                                Held held) const {
    Typed typed;
    xkb_state* state = stateHolding(keymap_, layout, held);
    if (!state) {
        return typed;
    }
    const xkb_keycode_t key = evdev + xKeycodeOffset;
    typed.symbol = xkb_state_key_get_one_sym(state, key);
    typed.shiftConsumed = consumed(state, key, XKB_MOD_NAME_SHIFT);
    typed.otherConsumed = consumed(state, key, XKB_MOD_NAME_CTRL) ||
                          consumed(state, key, XKB_MOD_NAME_ALT) ||
                          consumed(state, key, XKB_MOD_NAME_LOGO);
    xkb_state_unref(state);
    return typed;
}

std::optional<std::uint32_t> KeyboardLayouts::latinFallback(std::uint32_t evdev, Held held) const {
    for (std::uint32_t layout = 0; layout < layoutCount(); ++layout) {
        if (layout == active_) {
            continue;
        }
        const std::uint32_t symbol = typedOn(layout, evdev, held).symbol;
        if (isLatin1(symbol)) {
            return symbol;
        }
    }
    return std::nullopt;
}

std::uint32_t KeyboardLayouts::upperCase(std::uint32_t symbol) {
    return xkb_keysym_to_upper(symbol);
}

char32_t KeyboardLayouts::character(std::uint32_t symbol) {
    return xkb_keysym_to_utf32(symbol);
}

} // namespace panemark
