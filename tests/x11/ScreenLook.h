#pragma once

#include <QGuiApplication>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <xcb/xcb.h>

namespace panemark {

// What a test sees of the display of $DISPLAY: its screen through Qt, for screenshots, and the
// palette among the top-level windows.
class ScreenLook {
public:
    static QScreen& screen() {
        static int argc = 1;
        static char app[] = "panemark_test";
        static char* argv[] = {app, nullptr};
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        if (!QGuiApplication::instance()) {
            new QGuiApplication(argc, argv);
        }
        return *QGuiApplication::primaryScreen();
    }

    // Saves the whole screen under the build's screenshots folder.
    static void screenshot(const std::string& name) {
        std::filesystem::create_directories(SCREENSHOT_DIR);
        screen().grabWindow(0).save(
            QString::fromStdString(std::string(SCREENSHOT_DIR) + "/" + name));
    }

    // The open palette: a viewable override-redirect window 290 pixels wide.
    static std::optional<QRect> paletteGeometry(const std::string& display) {
        xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        std::optional<QRect> found;
        if (auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr)) {
            const xcb_window_t* children = xcb_query_tree_children(tree);
            for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
                auto* attributes = xcb_get_window_attributes_reply(
                    c, xcb_get_window_attributes(c, children[i]), nullptr);
                auto* frame = xcb_get_geometry_reply(c, xcb_get_geometry(c, children[i]), nullptr);
                if (attributes && frame && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
                    attributes->override_redirect && frame->width == 290) {
                    found = QRect(frame->x, frame->y, frame->width, frame->height);
                }
                free(attributes);
                free(frame);
            }
            free(tree);
        }
        xcb_disconnect(c);
        return found;
    }
};

} // namespace panemark
