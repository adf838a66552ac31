#pragma once

#include <QApplication>

namespace panemark {

// One QApplication per test program, on Qt's offscreen platform: widgets are laid out and
// painted as on a screen, with no display needed.
// `platform` may name a configuration of screens: "offscreen:configfile=screens.json".
inline void ensureOffscreenApplication(const QByteArray& platform = "offscreen") {
    if (QApplication::instance()) {
        return;
    }
    qputenv("QT_QPA_PLATFORM", platform);
    static int argc = 1;
    static char name[] = "panemark-tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

} // namespace panemark
