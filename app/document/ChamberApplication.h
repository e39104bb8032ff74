#pragma once
// The chamber application's QApplication.  An exception that escapes an event
// handler (std::bad_alloc when memory runs out, or any std::exception thrown by
// a calculation) is caught where the event loop delivers the event: the user is
// told, in a message and in the log, and the application goes on with every
// document open, so that nothing is lost.
//
// Memory running out is met with a reserve: a block of address space taken at
// start and given back when a failure for want of memory has been caught, so
// that the message, the Save dialog and the save itself find the memory they
// need.  It is taken again before the next long command.
#include <QApplication>
#include <QString>
#include <cstddef>
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

    // The memory reserve.  Taking it may fail (it is then simply not held).
    static constexpr size_t kMemoryReserveBytes = size_t(64) << 20;
    static bool holdMemoryReserve();
    // Gives the reserve back, and the heap's free top to the system; false
    // when it was not held.
    static bool releaseMemoryReserve();
    static bool memoryReserveHeld();
    // Throws std::bad_alloc unless `bytes` can be had now.  Qt's text
    // documents do not survive an allocation that fails (they crash): a
    // large text is measured against the memory left before it goes in.
    static void requireMemory(size_t bytes);
    // Address space the program needs free before a window is drawn; with
    // less, the reserve is given back first (with a notice).
    static constexpr size_t kDrawingRoomBytes = size_t(16) << 20;
    // True when `bytes` of address space can still be mapped.
    static bool addressSpaceLeft(size_t bytes);
    // Before a window is drawn: gives the reserve back, with a notice, when the
    // address space left is less than kDrawingRoomBytes.
    static void keepRoomForDrawing(const QEvent* event);
    // After a failure `e` has been caught and what the failed command held is
    // freed: memory running out gives the reserve back.
    static void recoverFrom(const std::exception& e);
};
