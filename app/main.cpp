#include <QApplication>

#include "app/program.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quova");

    quova::ProgramOptions options;
    // QApplication takes the options it knows (-platform, ...) out of argv.
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        options.params.push_back(arguments[i].toStdString());
    options.ctrlHeld = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    quova::RunProgram(options);
    return 0;
}
