#pragma once
// The chamber application's QApplication.  An exception that escapes an event
// handler (std::bad_alloc when memory runs out, or any std::exception thrown by
// a calculation) is caught where the event loop delivers the event: the user is
// told, in a message and in the log, and the application goes on with every
// document open, so that nothing is lost and each can still be saved.
#include <QApplication>
#include <QString>
#include <exception>
#include <functional>

class ChamberApplication : public QApplication {
public:
    ChamberApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // What the user is told about a failure `e` of `what` ("the calculation"):
    // one or two sentences, ending with what still holds.
    static QString failureText(const std::exception& e, const QString& what);
    // Tells the user of a failure: written to the log at once, and shown in
    // a message once the event that failed has been left.  Replaceable, so
    // that tests can collect the messages instead.
    static std::function<void(const QString& message)>& failureReporter();
    static void reportFailure(const QString& message) { failureReporter()(message); }
};
