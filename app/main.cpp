// The main program QV74xx.
#include "app/ProgramMain.h"
#include "platform/Files.h"
#include "platform/qt/QtFileDialogLayout.h"
#include "platform/qt/QtTranslations.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    platform::PrepareChineseDates();
    QApplication application(argc, argv);
    QApplication::setApplicationName("QV74xx");
    QApplication::setApplicationVersion("1.0.0(0)");
    platform::InstallQtTranslations();
    platform::InstallFileDialogLayout();
    return RunMainProgram(platform::ProgramFolder());
}
