// The calibrator program Kelvane.
#include "calibrator/KelvaneFrame.h"
#include "calibrator/RunClock.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/qt/QtMessageBoxHandler.h"
#include "platform/qt/QtMessageDispatcher.h"
#include "platform/qt/QtFileDialogLayout.h"
#include "platform/qt/QtTranslations.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    platform::PrepareChineseDates();
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kelvane");
    platform::InstallQtTranslations();
    platform::InstallFileDialogLayout();
    run_clock::ScaleFromEnvironment();
    platform::QtMessageDispatcher dispatcher;
    platform::SetMessageDispatcher(&dispatcher);
    platform::QtMessageBoxHandler boxes;
    platform::SetMessageBoxHandler(&boxes);
    int result = 0;
    {
        CKelvaneFrame frame(platform::ProgramFolder());
        frame.show();
        frame.Create();
        result = QApplication::exec();
    }
    platform::SetMessageBoxHandler(nullptr);
    platform::SetMessageDispatcher(nullptr);
    return result;
}
