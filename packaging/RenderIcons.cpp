// Writes the application icon as PNGs of the hicolor theme's usual sizes, drawn by the same code
// as the windows' icon: render_icons OUTPUT-DIRECTORY.
#include "widgets/AppIcon.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_icons OUTPUT-DIRECTORY\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QDir output(QString::fromLocal8Bit(argv[1]));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QString("%1x%1/apps").arg(size);
        if (!output.mkpath(folder) ||
            !panemark::AppIcon::pixmap(size).save(output.filePath(folder + "/panemark.png"))) {
            std::fprintf(stderr, "render_icons: cannot write the %d pixel icon\n", size);
            return 1;
        }
    }
    return 0;
}
