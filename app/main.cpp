// The chamber application: documents of magma-chamber cases and the shared log.
#include <QStringList>

#include "app/document/CLogWindow.h"
#include "app/document/ChamberApplication.h"
#include "app/document/DisplayCheck.h"
#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "platform/LogSink.h"

#include <cstdio>

int main(int argc, char** argv) {
    // A display that is missing or cannot be reached is said in one sentence
    // before Qt tries it (Qt would abort with a word about its plugins).
    const std::string problem =
        displayProblem(displaySettingsFrom(argc, argv), defaultDisplayProbes(), argc > 0 ? argv[0] : "chamber");
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 2;
    }
    ChamberApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("VARNOK"));
    QApplication::setApplicationName(QStringLiteral("chamber"));

    // The library's reports go to the log window from now on; what is written
    // before the window is first shown is kept in it.
    CLogWindowSink sink(CLogWindow::sharedLogWindowCtroller());
    platform::setLogSink(&sink);

    int rc = 0;
    {
        DocumentController controller;
        const QStringList args = QApplication::arguments().mid(1);
        for (const QString& path : args) controller.openDocument(path);
        if (controller.documents().empty()) controller.newDocument();
        rc = app.exec();
    }
    platform::setLogSink(nullptr);
    return rc;
}
