// The station's entry point: the program-wide settings, the application object with its error
// handler, then the main window.

#include "ui/UApplication.h"

#include <QMainWindow>

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TApplication::setOrganizationName(QStringLiteral("Korvane"));
    TApplication::setApplicationName(QStringLiteral("JXW777"));

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("JXW777"));
    window.resize(1024, 720);
    window.showMaximized();
    return TApplication::exec();
}
