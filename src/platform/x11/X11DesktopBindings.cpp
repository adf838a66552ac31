#include "platform/x11/X11DesktopBindings.h"

#include <algorithm>
#include <cstdlib>
#include <gio/gio.h>
#include <xkbcommon/xkbcommon.h>

namespace panemark {

namespace {

constexpr std::uint16_t shiftMask = 1u << 0;
constexpr std::uint16_t controlMask = 1u << 2;

// Cinnamon's schemas of key bindings: the window manager's, the media keys' (which also hold
// the terminal, the lock screen and the like), and the user's own.
constexpr const char* cinnamonSchemas[] = {"org.cinnamon.desktop.keybindings.wm",
                                           "org.cinnamon.desktop.keybindings.media-keys"};
constexpr const char* cinnamonCustomList = "org.cinnamon.desktop.keybindings";
constexpr const char* cinnamonCustomSchema = "org.cinnamon.desktop.keybindings.custom-keybinding";
constexpr const char* cinnamonCustomPath = "/org/cinnamon/desktop/keybindings/custom-keybindings/";

bool isCinnamonSession() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return desktop != nullptr && std::string_view(desktop).find("Cinnamon") != std::string::npos;
}

// The strings of a key that holds one (s) or several (as).
std::vector<std::string> stringsOf(GSettings* settings, const char* key) {
    std::vector<std::string> strings;
    GVariant* value = g_settings_get_value(settings, key);
    if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING)) {
        strings.emplace_back(g_variant_get_string(value, nullptr));
    } else if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING_ARRAY)) {
        gsize count = 0;
        const gchar** items = g_variant_get_strv(value, &count);
        strings.assign(items, items + count);
        g_free(items);
    }
    g_variant_unref(value);
    return strings;
}

GSettingsSchema* installedSchema(const char* id) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    return source == nullptr ? nullptr : g_settings_schema_source_lookup(source, id, TRUE);
}

} // namespace

struct X11DesktopBindings::Source {
    GSettings* settings = nullptr;
    std::vector<std::string> keys;
    ~Source() { g_object_unref(settings); }
};

X11DesktopBindings::X11DesktopBindings(std::string desktop) : desktop_(std::move(desktop)) {}

X11DesktopBindings::~X11DesktopBindings() = default;

std::unique_ptr<X11DesktopBindings> X11DesktopBindings::forThisSession() {
    if (!isCinnamonSession()) {
        return nullptr;
    }
    std::unique_ptr<X11DesktopBindings> bindings(new X11DesktopBindings("Cinnamon"));
    for (const char* schema : cinnamonSchemas) {
        bindings->open(schema);
    }
    bindings->open(cinnamonCustomList);
    if (bindings->sources_.empty()) {
        return nullptr; // its settings are not installed here
    }
    return bindings;
}

void X11DesktopBindings::open(const char* schemaId, const char* path) {
    // A missing schema would abort the process inside g_settings_new: looked up first.
    GSettingsSchema* schema = installedSchema(schemaId);
    if (schema == nullptr) {
        return;
    }
    auto source = std::make_unique<Source>();
    source->settings = g_settings_new_full(schema, nullptr, path);
    gchar** keys = g_settings_schema_list_keys(schema);
    for (gchar** key = keys; key != nullptr && *key != nullptr; ++key) {
        source->keys.emplace_back(*key);
    }
    g_strfreev(keys);
    g_settings_schema_unref(schema);
    sources_.push_back(std::move(source));
}

std::vector<X11DesktopBindings::Binding> X11DesktopBindings::bindings() const {
    std::vector<Binding> found;
    for (const auto& source : sources_) {
        for (const std::string& key : source->keys) {
            if (key == "custom-list") {
                continue;
            }
            for (std::string& accelerator : stringsOf(source->settings, key.c_str())) {
                found.push_back({std::move(accelerator), key});
            }
        }
    }
    // The user's own shortcuts, each a setting of its own under the list's names.
    GSettingsSchema* custom = installedSchema(cinnamonCustomSchema);
    for (const auto& source : sources_) {
        if (custom == nullptr || std::find(source->keys.begin(), source->keys.end(),
                                           "custom-list") == source->keys.end()) {
            continue;
        }
        for (const std::string& name : stringsOf(source->settings, "custom-list")) {
            if (name.empty() || name.find('/') != std::string::npos) {
                continue;
            }
            const std::string path = std::string(cinnamonCustomPath) + name + "/";
            GSettings* settings = g_settings_new_full(custom, nullptr, path.c_str());
            for (std::string& accelerator : stringsOf(settings, "binding")) {
                found.push_back({std::move(accelerator), "custom shortcut " + name});
            }
            g_object_unref(settings);
        }
    }
    if (custom != nullptr) {
        g_settings_schema_unref(custom);
    }
    return found;
}

std::optional<X11DesktopBindings::Accelerator> X11DesktopBindings::parse(std::string_view text) {
    Accelerator accelerator;
    while (!text.empty() && text.front() == '<') {
        const std::size_t close = text.find('>');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view name = text.substr(1, close - 1);
        if (name == "Control" || name == "Primary" || name == "Ctrl" || name == "Ctl") {
            accelerator.control = true;
        } else if (name == "Alt" || name == "Mod1") {
            accelerator.alt = true;
        } else if (name == "Super" || name == "Mod4") {
            accelerator.super = true;
        } else if (name == "Shift") {
            accelerator.shift = true;
        } else {
            return std::nullopt;
        }
        text.remove_prefix(close + 1);
    }
    if (text.empty() || text == "disabled") {
        return std::nullopt;
    }
    accelerator.keysymName = std::string(text);
    return accelerator;
}

std::optional<std::uint16_t> X11DesktopBindings::maskOf(const Accelerator& accelerator,
                                                        const X11KeyboardMap& keyboard) {
    std::uint16_t mask = 0;
    const std::pair<bool, std::uint16_t> parts[] = {{accelerator.control, controlMask},
                                                    {accelerator.shift, shiftMask},
                                                    {accelerator.alt, keyboard.altMask()},
                                                    {accelerator.super, keyboard.superMask()}};
    for (const auto& [held, bit] : parts) {
        if (held && bit == 0) {
            return std::nullopt;
        }
        mask |= held ? bit : 0;
    }
    return mask;
}

std::optional<std::string> X11DesktopBindings::holderOf(std::uint8_t keycode, std::uint16_t mask,
                                                        const X11KeyboardMap& keyboard) const {
    for (const Binding& binding : bindings()) {
        const std::optional<Accelerator> accelerator = parse(binding.accelerator);
        if (!accelerator || maskOf(*accelerator, keyboard) != mask) {
            continue;
        }
        xkb_keysym_t keysym =
            xkb_keysym_from_name(accelerator->keysymName.c_str(), XKB_KEYSYM_NO_FLAGS);
        if (keysym == XKB_KEY_NoSymbol) {
            keysym =
                xkb_keysym_from_name(accelerator->keysymName.c_str(), XKB_KEYSYM_CASE_INSENSITIVE);
        }
        const std::vector<xcb_keycode_t> keycodes = keyboard.keycodesFor(keysym);
        if (keysym != XKB_KEY_NoSymbol &&
            std::find(keycodes.begin(), keycodes.end(), keycode) != keycodes.end()) {
            return binding.setting;
        }
    }
    return std::nullopt;
}

} // namespace panemark
