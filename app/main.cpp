#include <QApplication>

#include "app/program.h"
#include "platform/engine/gst_init.h"

int main(int argc, char* argv[]) {
    quova::ProgramOptions options;
    // Kept as bytes, since a file name need not be UTF-8.
    for (int i = 1; i < argc; ++i) options.params.push_back(argv[i]);
    // Environment changes come first, while this is the only thread.
    quova::engine::SettleProxyLookup();

    // The video sinks draw into X windows: on a Wayland desktop the program
    // runs through XWayland unless the user chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // Every parameter is the program's own: given the real command line, Qt
    // would take file names such as "-platformpluginpath" or "-style" as its
    // options and act on the name after them. It sees the program's name only.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    QApplication::setApplicationName("Quova");

    options.ctrlHeld = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    quova::RunProgram(options);
    return 0;
}
