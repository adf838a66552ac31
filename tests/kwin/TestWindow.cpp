// A plain window of another program for the tests: a Wayland client (or an X11 one, as the
// platform says) with the title given, that takes any size and never closes by itself.
//   test-window TITLE [-geometry +X+Y]      (-geometry on X11 only, read by Qt)
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(argc > 1 ? QString::fromLocal8Bit(argv[1])
                                   : QStringLiteral("Test window"));
    window.setMinimumSize(1, 1);
    window.resize(480, 320);
    window.show();
    return application.exec();
}
