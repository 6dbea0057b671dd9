// The main program's run.
#include "app/ProgramMain.h"

#include "app/QV7411N_NewFrameApp.h"
#include "platform/MessageBox.h"
#include "platform/qt/QtMessageBoxHandler.h"
#include "platform/qt/QtMessageDispatcher.h"

#include <QApplication>

int RunMainProgram(const std::string& programFolder) {
    platform::QtMessageDispatcher dispatcher;
    platform::MessageDispatcher* previousDispatcher = platform::GetMessageDispatcher();
    platform::SetMessageDispatcher(&dispatcher);
    platform::QtMessageBoxHandler boxes;
    const bool ownBoxes = platform::GetMessageBoxHandler() == nullptr;
    if (ownBoxes) {
        platform::SetMessageBoxHandler(&boxes);
    }
    int result = 1;
    {
        CQV7411N_NewFrameApp app(programFolder);
        if (app.InitInstance()) {
            result = QApplication::exec();
        }
        app.ExitInstance();
    }
    if (ownBoxes) {
        platform::SetMessageBoxHandler(nullptr);
    }
    platform::SetMessageDispatcher(previousDispatcher);
    return result;
}
