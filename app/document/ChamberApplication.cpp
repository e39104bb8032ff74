#include "app/document/ChamberApplication.h"

#include <QMessageBox>
#include <QMetaObject>
#include <new>

#include "platform/LogSink.h"

namespace {
void showFailure(const QString& message) {
    // The message box waits until the failing event has been left: its own
    // event loop then runs on a stack that holds nothing of the failure.
    QMetaObject::invokeMethod(
        qApp, [message] { QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Chamber"), message); },
        Qt::QueuedConnection);
}
}  // namespace

ChamberApplication::ChamberApplication(int& argc, char** argv) : QApplication(argc, argv) {}

std::function<void(const QString&)>& ChamberApplication::failureReporter() {
    static std::function<void(const QString&)> reporter = [](const QString& message) {
        platform::logText(message.toStdString() + "\n");
        showFailure(message);
    };
    return reporter;
}

QString ChamberApplication::failureText(const std::exception& e, const QString& what) {
    const QString open = QStringLiteral("Every document stays open and can be saved.");
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return QStringLiteral("%1 needed more memory than the computer could give and was stopped. %2").arg(what, open);
    return QStringLiteral("%1 failed and was stopped: %2. %3").arg(what, QString::fromUtf8(e.what()), open);
}

bool ChamberApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        try {
            reportFailure(failureText(e, QStringLiteral("A command")));
        } catch (...) {
            // Nothing more can be said when even the message cannot be made.
        }
    }
    return false;
}
