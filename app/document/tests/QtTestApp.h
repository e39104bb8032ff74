#pragma once
// One application object for the whole test program (offscreen platform),
// the application's own class, made on first use and kept to the end of the
// process, like the application's own.
#include <QApplication>
#include <cstdlib>

#include "app/document/ChamberApplication.h"

inline QApplication* qtTestApp() {
    static QApplication* app = [] {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "chamber_app_tests";
        static char* argv[] = {name, nullptr};
        return new ChamberApplication(argc, argv);
    }();
    return app;
}

// A member to put first in a fixture whose other members are widgets.
struct QtTestAppMember {
    QtTestAppMember() { qtTestApp(); }
};
