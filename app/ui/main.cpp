// The main program: installs the Qt delivery of window messages and message
// boxes, then runs the application's start-up and event loop.
#include "app/ui/QV7411N_NewFrameApp.h"
#include "platform/Files.h"
#include "platform/qt/QtMessageBoxHandler.h"
#include "platform/qt/QtMessageDispatcher.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("QV74xx");
    QApplication::setApplicationVersion("1.0.0(0)");
    platform::QtMessageDispatcher dispatcher;
    platform::SetMessageDispatcher(&dispatcher);
    platform::QtMessageBoxHandler boxes;
    platform::SetMessageBoxHandler(&boxes);

    int result = 1;
    {
        CQV7411N_NewFrameApp app(platform::ProgramFolder());
        if (app.InitInstance()) {
            result = QApplication::exec();
        }
        app.ExitInstance();
    }
    platform::SetMessageBoxHandler(nullptr);
    platform::SetMessageDispatcher(nullptr);
    return result;
}
