// One QApplication for the window tests of this program (offscreen).
#pragma once

#include <QApplication>

inline void EnsureShellQtApp() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "shell_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
}
