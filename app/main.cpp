#include <QApplication>

#include "app/program.h"

int main(int argc, char* argv[]) {
    // The video sinks draw into X windows: on a Wayland desktop the program
    // runs through XWayland unless the user chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quova");

    quova::ProgramOptions options;
    // QApplication has taken the options it knows (-platform, ...) out of
    // argv; the rest are kept as bytes, since a file name need not be UTF-8.
    for (int i = 1; i < argc; ++i) options.params.push_back(argv[i]);
    options.ctrlHeld = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    quova::RunProgram(options);
    return 0;
}
