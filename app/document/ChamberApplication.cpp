#include "app/document/ChamberApplication.h"

#include <QMessageBox>
#include <QMetaObject>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
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

// The reserve: plain malloc, never touched (it holds address space, not
// pages), kept until a failure has been caught so that no command eats it.
void* gReserve = nullptr;
}  // namespace

ChamberApplication::ChamberApplication(int& argc, char** argv) : QApplication(argc, argv) { holdMemoryReserve(); }

void ChamberApplication::requireMemory(size_t bytes) {
    void* probe = std::malloc(bytes);
    if (!probe) throw std::bad_alloc();
    std::free(probe);
}

bool ChamberApplication::holdMemoryReserve() {
    if (!gReserve) gReserve = std::malloc(kMemoryReserveBytes);
    return gReserve != nullptr;
}

bool ChamberApplication::releaseMemoryReserve() {
    void* reserve = gReserve;
    gReserve = nullptr;
    std::free(reserve);
    // What the failed command freed at the heap's top goes back to the
    // system too: dialogs map fonts, images and thread stacks of their own.
    malloc_trim(0);
    return reserve != nullptr;
}

bool ChamberApplication::memoryReserveHeld() { return gReserve != nullptr; }

void ChamberApplication::recoverFrom(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e)) releaseMemoryReserve();
}

std::function<void(const QString&)>& ChamberApplication::failureReporter() {
    static std::function<void(const QString&)> reporter = [](const QString& message) {
        platform::logText(message.toStdString() + "\n");
        showFailure(message);
    };
    return reporter;
}

QString ChamberApplication::failureText(const std::exception& e, const QString& what) {
    // Only what holds after the failure: the documents stay open (whether a
    // save succeeds is told by the save itself).
    const QString open = QStringLiteral("Every document stays open: save your work now.");
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return QStringLiteral("%1 needed more memory than the computer could give and was stopped; the memory it "
                              "had taken is free again. %2")
            .arg(what, open);
    return QStringLiteral("%1 failed and was stopped: %2. %3").arg(what, QString::fromUtf8(e.what()), open);
}

bool ChamberApplication::addressSpaceLeft(size_t bytes) {
    // A mapping that is never touched takes address space only: the limit
    // the system sets on a process's address space (ulimit -v) is what
    // refuses it, as it refuses the allocations of a drawing.
    void* p = ::mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) return false;
    ::munmap(p, bytes);
    return true;
}

void ChamberApplication::keepRoomForDrawing(const QEvent* event) {
    // Qt's painting does not survive an allocation that fails (it crashes):
    // before a window is drawn with the memory nearly gone, the reserve is
    // given back and the user told, so that the notice comes first and the
    // drawing then finds the memory it needs.
    // Once per window drawn: a window's widgets are painted within its
    // update request (or its exposure), not one by one from the event loop.
    if (event->type() != QEvent::UpdateRequest && event->type() != QEvent::Expose) return;
    if (!memoryReserveHeld() || addressSpaceLeft(kDrawingRoomBytes)) return;
    releaseMemoryReserve();
    reportFailure(QStringLiteral("The computer's memory is almost used up: the memory the program kept in reserve "
                                 "has been given back so that the windows can still be drawn. Every document stays "
                                 "open: save your work now."));
}

bool ChamberApplication::notify(QObject* receiver, QEvent* event) {
    try {
        keepRoomForDrawing(event);
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        recoverFrom(e);
        try {
            reportFailure(failureText(e, QStringLiteral("A command")));
        } catch (...) {
            // Nothing more can be said when even the message cannot be made.
        }
    }
    return false;
}
