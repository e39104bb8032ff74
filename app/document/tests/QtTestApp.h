#pragma once
// One QApplication for the whole test program (offscreen platform), made on
// first use and kept to the end of the process, like the application's own.
#include <QApplication>
#include <cstdlib>

inline QApplication* qtTestApp() {
    static QApplication* app = [] {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "chamber_app_tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return app;
}

// A member to put first in a fixture whose other members are widgets.
struct QtTestAppMember {
    QtTestAppMember() { qtTestApp(); }
};
