// The eruptive sequence of a document's case: run on a model of its own
// behind a progress panel that keeps the window answering and can cancel it,
// then its table shown in the eruption table window and the log.
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>
#include <exception>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "app/document/CLogWindow.h"
#include "app/document/ChamberApplication.h"
#include "app/document/EruptionTableWindow.h"
#include "app/document/FieldStepper.h"
#include "app/document/FormFields.h"
#include "app/document/MyDocument.h"

using namespace formfields;

namespace {

// What the status line says when an eruption sequence is asked for while one runs.
const QString kEruptionRunning =
    QStringLiteral("The eruption sequence is still being computed: wait for its table or cancel it.");

// A dialog width at which a window manager's title bar shows the dialog's
// title whole: the title in a bold face of the application's font, beside
// room for the title bar's icon and buttons.
int dialogWidthForTitle(const QWidget& dialog) {
    QFont font = QApplication::font();
    font.setBold(true);
    constexpr int kTitleBarControls = 160;
    return std::max(dialog.sizeHint().width(),
                    QFontMetrics(font).horizontalAdvance(dialog.windowTitle()) + kTitleBarControls);
}

}  // namespace

void MyDocument::onCalculateEruptiveSequence(QObject* sender) {
    if (!mComment) return;
    if (mErupting) {
        // One sequence at a time: the threshold shown stays the one whose
        // table is being computed, and the status line says why.
        mPfrac->setText(mRunningThreshold);
        showFromStart(mPfrac);
        if (auto v = fieldNumber(mPfrac)) mStepPfrac->setValue(*v);
        showStatus(kEruptionRunning);
        return;
    }
    if (sRunningSequences > 0) {
        // A sequence of another document runs: this one would run inside its
        // progress and hold it up until done.
        showStatus(QStringLiteral("The eruption sequence of another document is being computed: wait for its table "
                                  "or cancel it."));
        return;
    }
    if (sender == mStepPfrac) {
        setFieldNumber(mPfrac, mStepPfrac->value());
    } else if (auto v = fieldNumber(mPfrac)) {
        mStepPfrac->setValue(*v);
    }
    const double threshold = fieldNumber(mPfrac).value_or(std::numeric_limits<double>::quiet_NaN());
    onCalculateExsolData(nullptr);
    const CaseForm form = formSnapshot();
    const std::string caseName = selectedCaseName();
    const int rowAtStart = selectedRow();

    // A small threshold makes thousands of eruptions (up to the model's
    // limit): the window shows how far the sequence is and keeps answering,
    // and Cancel (a click, or Escape) stops it with the eruptions computed so
    // far.  The sequence runs on a model of its own, so every edit meanwhile
    // recalculates the form as usual and the window always shows the inputs,
    // results and plots of one case.  The progress panel is not modal: a
    // window that a modal panel blocks does not get the window system's close
    // requests, which would be lost without a word; a close asked for now is
    // answered (DocumentController::closeDocument).
    QProgressDialog progress(QStringLiteral("Computing the eruption sequence..."), QString(), 0, 1000, window());
    progress.setObjectName(QStringLiteral("eruptionProgress"));
    // The panel is made without a Cancel button of its own: the one set here
    // brings the panel's Escape shortcut, and is no default button, so that
    // Return (a second Return in the threshold field lands here) does not
    // stop a long run.
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setAutoDefault(false);
    cancel->setDefault(false);
    progress.setCancelButton(cancel);
    // A panel closed otherwise (rejected) stops the run too.
    connect(&progress, &QDialog::rejected, &progress, &QProgressDialog::cancel);
    progress.setWindowTitle(QStringLiteral("Eruptive sequence"));
    progress.setMinimumWidth(dialogWidthForTitle(progress));
    progress.setWindowModality(Qt::NonModal);
    progress.setMinimumDuration(mRunPacing.panelDelayMs);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    const double X0 = form.number("cr0").value_or(0.0) / 100.0;
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    // A long run may need much memory: the reserve given back after a
    // failure is taken again first.
    ChamberApplication::holdMemoryReserve();
    // Where the user was typing: the keyboard goes back there when the run ends.
    QPointer<QWidget> typingIn = QApplication::focusWidget();
    mErupting = true;
    mCancelRun = false;
    for (QShortcut* k : mCancelKeys) k->setEnabled(true);
    mToldDuringRun = false;
    ++sRunningSequences;
    mRunningThreshold = mPfrac->text();
    EruptionReport report;
    QString failure;
    // What the sequence's model says (its notes on the gases, a magma past
    // fragmentation) goes to the log, each note once for the document.
    std::optional<platform::ThreadLogCapture> runSaid(std::in_place);
    try {
        report = eruptionCalculator().eruptiveSequence(form, threshold, [&](int eruptions, double X) {
            if (mCancelRun) return false;
            if (sinceEvents.elapsed() < mRunPacing.eventIntervalMs) return true;
            sinceEvents.restart();
            // Done when half of the mass is crystals, or at the model's limit on eruptions.
            const double toHalf = X0 < 0.5 ? (X - X0) / (0.5 - X0) : 1.0;
            const double done = std::clamp(std::max(toHalf, double(eruptions) / TaitJaupart::kMaxEruptions), 0.0, 1.0);
            progress.setLabelText(QStringLiteral("Eruption %1, crystals %2 wt %").arg(eruptions).arg(100.0 * X, 0, 'f', 2));
            progress.setValue(static_cast<int>(1000.0 * done));
            QCoreApplication::processEvents();
            if (mRunPacing.eachPass) mRunPacing.eachPass();
            return !progress.wasCanceled() && !mCancelRun;
        });
    } catch (const std::exception& e) {
        // What the failed run held is freed before the user is told: its
        // model (with its tables) goes, and memory running out gives the
        // reserve back, so that the message and a save can be made.
        mEruptionCalc.reset();
        ChamberApplication::recoverFrom(e);
        failure = ChamberApplication::failureText(e, QStringLiteral("The eruption sequence"));
    }
    const std::vector<platform::ThreadLogCapture::Entry> said = runSaid->take();
    runSaid.reset();
    tellModelNotes(said);
    --sRunningSequences;
    mErupting = false;
    for (QShortcut* k : mCancelKeys) k->setEnabled(false);
    progress.hide();

    // The table with the case and inputs it belongs to.
    writeEruptionTable(report, failure, form, threshold, caseName);
    // The status line tells why the table ends early, else what the case's
    // calculation left there; what it told during the run (a close refused)
    // stays, with word that the run has ended.
    // An end text of the run that the user has edited the inputs since says
    // whose it is: the form and results now show other inputs.
    const bool inputsChanged = selectedRow() != rowAtStart || !(formSnapshot().values == form.values);
    const QString runEnd = !failure.isEmpty()    ? failure
                           : report.stoppedEarly ? QString::fromStdString(report.lines.back())
                                                 : QString();
    if (mToldDuringRun) {
        mStatus->setText(mStatus->text() + QStringLiteral(" (The eruption sequence has ended since.)"));
    } else if (!runEnd.isEmpty() && inputsChanged) {
        mStatus->setText(QStringLiteral("The eruption sequence of the inputs as they were when it started, before "
                                        "the edits made during it (named in the log): %1")
                             .arg(runEnd));
    } else {
        mStatus->setText(!runEnd.isEmpty() ? runEnd : QString::fromStdString(mResult.status));
    }
    // The progress panel took the keyboard while it showed: it goes back to
    // the form, unless the user has moved on to another window meanwhile.
    QWidget* active = QApplication::activeWindow();
    if (typingIn && typingIn->window() == window() &&
        (!active || active == &progress || active == CLogWindow::sharedLogWindowCtroller()->window())) {
        window()->activateWindow();
        typingIn->setFocus(Qt::OtherFocusReason);
    }
    if (!failure.isEmpty()) ChamberApplication::reportFailure(failure);
    emit busyEnded();
}

void MyDocument::writeEruptionTable(EruptionReport& report, QString& failure, const CaseForm& form, double threshold,
                                    const std::string& caseName) {
    try {
        const QString inputs = QString::fromStdString(ChamberCalculator::eruptionInputs(form, threshold, caseName));
        if (failure.isEmpty()) {
            // A text document holds a line in some hundreds of bytes besides its text.
            size_t bytes = 0;
            for (const std::string& line : report.lines) bytes += 2 * line.size() + 512;
            ChamberApplication::requireMemory(4 * bytes);
            if (!mEruptionTable) mEruptionTable = new EruptionTableWindow;
            mEruptionTable->setTable(displayName(), inputs, report.lines);
        }
        std::vector<std::string> lines = ChamberCalculator::eruptionLogLines(
            report, kLogTableHead, kLogTableTail,
            "the eruption table window (\"Show table\", or Window > Eruption Table)");
        if (!lines.empty()) lines.insert(lines.begin() + 1, displayName().toStdString() + ", " + inputs.toStdString());
        // A failure goes to the log once, with its message (reportFailure below).
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        text += "\n";
        // The log shows the table without taking the keyboard from the form.
        onShowLog(mEruptionBox, false);
        CLogWindow* log = CLogWindow::sharedLogWindowCtroller();
        log->appendString(text);
        log->scrollToEnd();
    } catch (const std::exception& e) {
        report = EruptionReport();
        ChamberApplication::recoverFrom(e);
        if (failure.isEmpty()) failure = ChamberApplication::failureText(e, QStringLiteral("Writing the eruption table"));
    }
}
