#include "app/plot/qt/CAxisRangeWindow.h"

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/plot/AxisRangeSteps.h"
#include "app/plot/CPlotView.h"
#include "app/plot/qt/CPlotWidget.h"
#include "app/plot/qt/PlotPanels.h"

// ---------------------------------------------------------------- stepper

RangeStepper::RangeStepper(QWidget* parent) : QWidget(parent) {
    mUp = new QToolButton(this);
    mUp->setArrowType(Qt::UpArrow);
    mDown = new QToolButton(this);
    mDown->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {mUp, mDown}) {
        b->setAutoRepeat(true);
        b->setFixedSize(16, 12);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mUp);
    layout->addWidget(mDown);
    connect(mUp, &QToolButton::clicked, this, [this] { stepUp(); });
    connect(mDown, &QToolButton::clicked, this, [this] { stepDown(); });
}

void RangeStepper::setValue(double v) { mValue = std::clamp(v, mMinimum, mMaximum); }

void RangeStepper::setRange(double minimum, double maximum) {
    mMinimum = minimum;
    mMaximum = maximum;
    setValue(mValue);
}

void RangeStepper::stepUp() {
    setValue(mValue + mIncrement);
    if (stepped) stepped();
}

void RangeStepper::stepDown() {
    setValue(mValue - mIncrement);
    if (stepped) stepped();
}

// ---------------------------------------------------------------- panel

namespace {
CAxisRangeWindow*& sharedInstance() {
    static CAxisRangeWindow* panel = nullptr;
    return panel;
}

// A window that can be the main window: a plain top-level window (document
// and plot windows, the log), not a dialog, panel or menu.
bool canBeMainWindow(const QWidget* w) {
    return w && w->isWindow() && w->windowType() == Qt::Window && !qobject_cast<const QDialog*>(w) &&
           !qobject_cast<const CAxisRangeWindow*>(w);
}

QString limitText(float v) { return QString::number(static_cast<double>(v), 'g', 7); }
}  // namespace

CAxisRangeWindow* CAxisRangeWindow::sharedAxisRangeWindowCtroller() {
    if (!sharedInstance()) sharedInstance() = new CAxisRangeWindow();
    return sharedInstance();
}

CAxisRangeWindow* CAxisRangeWindow::existingShared() { return sharedInstance(); }

CAxisRangeWindow::CAxisRangeWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Axis ranges"));
    setObjectName(QStringLiteral("CAxisRangePanel"));
    auto makeField = [this] {
        auto* f = new QLineEdit(this);
        f->setMinimumWidth(90);
        connect(f, &QLineEdit::editingFinished, this, [this, f] {
            if (f->isModified()) onChangeCoordinates();
            f->setModified(false);
        });
        return f;
    };
    mXminEditField = makeField();
    mXmaxEditField = makeField();
    mYminEditField = makeField();
    mYmaxEditField = makeField();
    mStepXmin = new RangeStepper(this);
    mStepXmax = new RangeStepper(this);
    mStepYmin = new RangeStepper(this);
    mStepYmax = new RangeStepper(this);
    mStepXmin->stepped = [this] { onStepXmin(); };
    mStepXmax->stepped = [this] { onStepXmax(); };
    mStepYmin->stepped = [this] { onStepYmin(); };
    mStepYmax->stepped = [this] { onStepYmax(); };
    mUseDefaultButton = new QPushButton(QStringLiteral("Default"), this);
    mUseMaxButton = new QPushButton(QStringLiteral("Maximum"), this);
    mCancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    mOKButton = new QPushButton(QStringLiteral("OK"), this);
    mMessage = new QLabel(this);
    mMessage->setWordWrap(true);

    auto* grid = new QGridLayout;
    auto row = [&](int r, const char* name, QLineEdit* f, RangeStepper* s) {
        grid->addWidget(new QLabel(QString::fromLatin1(name), this), r, 0);
        grid->addWidget(f, r, 1);
        grid->addWidget(s, r, 2);
    };
    row(0, "X max", mXmaxEditField, mStepXmax);
    row(1, "X min", mXminEditField, mStepXmin);
    row(2, "Y max", mYmaxEditField, mStepYmax);
    row(3, "Y min", mYminEditField, mStepYmin);
    auto* ranges = new QHBoxLayout;
    ranges->addWidget(mUseDefaultButton);
    ranges->addWidget(mUseMaxButton);
    auto* closing = new QHBoxLayout;
    closing->addStretch();
    closing->addWidget(mCancelButton);
    closing->addWidget(mOKButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(mMessage);
    layout->addLayout(ranges);
    layout->addLayout(closing);

    connect(mUseDefaultButton, &QPushButton::clicked, this, [this] { onUseDefaultRangeValues(); });
    connect(mUseMaxButton, &QPushButton::clicked, this, [this] { onUseMaximumRangeValues(); });
    connect(mCancelButton, &QPushButton::clicked, this, [this] { onCancelButton(); });
    connect(mOKButton, &QPushButton::clicked, this, [this] { onOKButton(); });
}

CAxisRangeWindow::~CAxisRangeWindow() {
    if (sharedInstance() == this) sharedInstance() = nullptr;
}

void CAxisRangeWindow::showWindow() {
    if (!mLoaded) {
        mLoaded = true;
        windowDidLoad();
    }
    showInsideScreen(this, mMainWindow);  // also a frame remembered from a larger screen
    raise();
}

void CAxisRangeWindow::showForPlotView(CPlotView* view) {
    if (!mLoaded) {
        mLoaded = true;
        windowDidLoad();
    }
    CPlotWidget* plot = view ? CPlotWidget::widgetOf(*view) : nullptr;
    QWidget* holder = plot ? plot->window() : nullptr;
    // Placed where it opens (it was hidden, or never placed), or when the
    // plot lies in another window; a panel left open stays where the user has it.
    const bool place = holder && (holder != mMainWindow || !mPlaced || !isVisible());
    if (holder && holder != mMainWindow) {
        // The plot's window is the one the panel serves now, active or not
        // (the log may have the keyboard).
        if (mMainWindow) mainWindowResigned();
        mainWindowChanged(holder);
    } else if (place) {
        placeBeside(holder);
    }
    setCurrentPlotView(view);
    showInsideScreen(this, holder ? holder : mMainWindow.data());
    // Shown, the panel's frame is known: placed again with it.
    if (place) placeBeside(holder);
    raise();
}

void CAxisRangeWindow::hideEvent(QHideEvent* event) {
    savePanelFrame(this, "AxisPanel");
    QWidget::hideEvent(event);
}

void CAxisRangeWindow::windowDidLoad() {
    restorePanelFrame(this, "AxisPanel");
    if (!testAttribute(Qt::WA_Resized)) adjustSize();  // its own size, known before it is placed
    for (RangeStepper* s : {mStepXmin, mStepXmax, mStepYmin, mStepYmax}) s->setRange(-100000.0, 100000.0);
    QWidget* active = QApplication::activeWindow();
    QWidget* main = canBeMainWindow(active) ? active : nullptr;
    setCurrentPlotWindow(main);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] { onFocusWindowChanged(); });
    // As if the current main window had just become main: the panel places
    // itself beside it.
    if (main) mainWindowChanged(main);
}

void CAxisRangeWindow::onFocusWindowChanged() {
    QWidget* w = QApplication::activeWindow();
    // The panel itself, dialogs and menus never become the main window.
    if (!canBeMainWindow(w) || w == mMainWindow) return;
    if (mMainWindow) mainWindowResigned();
    mainWindowChanged(w);
}

void CAxisRangeWindow::capture() {
    if (mPlotView) mPlotView->getXYRange(&mOldXmin, &mOldXmax, &mOldYmin, &mOldYmax);
}

void CAxisRangeWindow::setCurrentPlotView(CPlotView* view) {
    mPlotView = view;
    capture();
    updatePanel();
}

void CAxisRangeWindow::setCurrentPlotWindow(QWidget* window) {
    CPlotWidget* plot = CPlotWidget::plotOfWindow(window);
    mPlotView = plot ? &plot->plotView() : nullptr;
    capture();
    updatePanel();
}

void CAxisRangeWindow::mainWindowChanged(QWidget* window) {
    mMainWindow = window;
    setCurrentPlotWindow(window);
    if (mPlotView && window) placeBeside(window);
    updatePanel();
}

QPoint CAxisRangeWindow::panelPlaceBesidePlot(const QRect& plot, const std::vector<QRect>& otherPlots,
                                              const QRect& window, const QSize& panel, const QRect& area) {
    constexpr int kGap = 10;
    // A place with one coordinate chosen, the other slid onto the screen.
    auto onScreen = [&](int x, int y) {
        x = std::max(area.left(), std::min(x, area.x() + area.width() - panel.width()));
        y = std::max(area.top(), std::min(y, area.y() + area.height() - panel.height()));
        return QRect(QPoint(x, y), panel);
    };
    auto covered = [](const QRect& a, const QRect& b) {
        const QRect over = a.intersected(b);
        return over.isEmpty() ? 0LL : static_cast<long long>(over.width()) * over.height();
    };
    // How much of the window's plots a place hides.
    auto plotsCovered = [&](const QRect& c) {
        long long sum = covered(c, plot);
        for (const QRect& other : otherPlots) sum += covered(c, other);
        return sum;
    };
    const QRect besideWindow[] = {
        onScreen(window.x() + window.width() + kGap, plot.y()),  // right of the window
        onScreen(window.x() - kGap - panel.width(), plot.y()),   // left of the window
    };
    for (const QRect& c : besideWindow)
        if (covered(c, window) == 0) return c.topLeft();
    const QRect overWindow[] = {
        onScreen(plot.x() + plot.width() + kGap, plot.y()),    // right of the plot
        onScreen(plot.x() - kGap - panel.width(), plot.y()),   // left of the plot
        onScreen(plot.x(), plot.y() - kGap - panel.height()),  // above it
        onScreen(plot.x(), plot.y() + plot.height() + kGap),   // below it
    };
    // The first place clear of the window's plots; where none is, the one
    // that hides the least of them.
    const QRect* best = &overWindow[0];
    for (const QRect& c : overWindow) {
        if (plotsCovered(c) == 0) return c.topLeft();
        if (plotsCovered(c) < plotsCovered(*best)) best = &c;
    }
    return best->topLeft();
}

void CAxisRangeWindow::placeBeside(const QWidget* window) {
    const QRect area = availableScreenArea(this, window);
    // The plot the panel serves, when it lies in that window (else the
    // window's whole), and the window's other plots.
    const CPlotWidget* plot = mPlotView ? CPlotWidget::widgetOf(*mPlotView) : nullptr;
    const QRect main = window->frameGeometry();
    auto rectOf = [](const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); };
    const bool inWindow = plot && plot->window() == window;
    std::vector<QRect> others;
    for (const CPlotWidget* other : window->findChildren<CPlotWidget*>())
        if (other != plot && other->isVisible()) others.push_back(rectOf(other));
    move(panelPlaceBesidePlot(inWindow ? rectOf(plot) : main, others, main, frameGeometry().size(), area));
    keepInsideScreen(this, window);
    mPlaced = true;
}

void CAxisRangeWindow::mainWindowResigned() {
    mMainWindow = nullptr;
    setCurrentPlotView(nullptr);
}

void CAxisRangeWindow::updatePanel(bool rangesChanged) {
    if (!mLoaded) return;
    QWidget* controls[] = {mXminEditField, mXmaxEditField, mYminEditField, mYmaxEditField,
                           mStepXmin,      mStepXmax,      mStepYmin,      mStepYmax,
                           mUseDefaultButton, mUseMaxButton, mCancelButton, mOKButton};
    for (QWidget* c : controls) c->setEnabled(mPlotView != nullptr);
    if (!mPlotView) return;
    float x0, x1, y0, y1;
    mPlotView->getXYRange(&x0, &x1, &y0, &y1);
    const AxisRangeStep xs = xAxisRangeStep(x1 - x0);
    const AxisRangeStep ys = yAxisRangeStep(y1 - y0);
    bool digitsChanged = false;
    if (rangesChanged && xs.setsDigits && mPlotView->mXTicksDigits() != xs.digits) {
        mPlotView->setMXTicksDigits(xs.digits);
        digitsChanged = true;
    }
    if (rangesChanged && ys.setsDigits && mPlotView->mYTicksDigits() != ys.digits) {
        mPlotView->setMYTicksDigits(ys.digits);
        digitsChanged = true;
    }
    mStepXmin->setIncrement(xs.increment);
    mStepXmax->setIncrement(xs.increment);
    mStepYmin->setIncrement(ys.increment);
    mStepYmax->setIncrement(ys.increment);
    mXminEditField->setText(limitText(x0));
    mXmaxEditField->setText(limitText(x1));
    mYminEditField->setText(limitText(y0));
    mYmaxEditField->setText(limitText(y1));
    mStepXmin->setValue(x0);
    mStepXmax->setValue(x1);
    mStepYmin->setValue(y0);
    mStepYmax->setValue(y1);
    if (digitsChanged) mPlotView->setNeedsDisplay();  // the tick labels show the new digits
}

void CAxisRangeWindow::onChangeCoordinates() {
    if (!mPlotView) return;
    struct Field {
        QLineEdit* edit;
        const char* name;
        float value;
    } fields[] = {{mXminEditField, "X min", 0}, {mXmaxEditField, "X max", 0},
                  {mYminEditField, "Y min", 0}, {mYmaxEditField, "Y max", 0}};
    for (Field& f : fields) {
        bool ok = false;
        const double v = f.edit->text().trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(static_cast<float>(v))) {
            mMessage->setText(QStringLiteral("%1 is not a number: \"%2\".").arg(f.name, f.edit->text()));
            return;
        }
        f.value = static_cast<float>(v);
    }
    if (fields[0].value == fields[1].value || fields[2].value == fields[3].value) {
        mMessage->setText(QStringLiteral("The minimum and the maximum of an axis must differ."));
        return;
    }
    // A minimum above the maximum would draw the plot upside down and empty.
    for (int axis : {0, 2}) {
        const Field& lo = fields[axis];
        const Field& hi = fields[axis + 1];
        if (lo.value > hi.value) {
            mMessage->setText(QStringLiteral("%1 (%2) lies above %3 (%4): an axis runs from its minimum up to its "
                                             "maximum.")
                                  .arg(lo.name, lo.edit->text().trimmed(), hi.name, hi.edit->text().trimmed()));
            return;
        }
    }
    mMessage->clear();
    changeRange(fields[0].value, fields[1].value, fields[2].value, fields[3].value);
}

void CAxisRangeWindow::changeRange(float x0, float x1, float y0, float y1) {
    float c0, c1, d0, d1;
    mPlotView->getXYRange(&c0, &c1, &d0, &d1);
    if (x0 == c0 && x1 == c1 && y0 == d0 && y1 == d1) return;  // nothing to change, nothing to undo
    // The plot's undoable change, under the name its zooms and ranges share.
    mPlotView->doChangeAxisRanges(x0, x1, y0, y1);
}

void CAxisRangeWindow::onOKButton() {
    onChangeCoordinates();
    if (mMessage->text().isEmpty()) hide();  // a limit that is not a number keeps the panel open
}

void CAxisRangeWindow::onCancelButton() {
    // Going back is a change of the ranges too: Undo takes it back like the others.
    if (mPlotView) changeRange(mOldXmin, mOldXmax, mOldYmin, mOldYmax);
    mMessage->clear();
    hide();
}

void CAxisRangeWindow::onUseMaximumRangeValues() {
    if (mPlotView) mPlotView->onMaximumAxisRanges();
    updatePanel(true);
}

void CAxisRangeWindow::onUseDefaultRangeValues() {
    if (mPlotView) mPlotView->onAxisRangesByDefault();
    updatePanel(true);
}

void CAxisRangeWindow::stepInto(RangeStepper* stepper, QLineEdit* field) {
    field->setText(limitText(static_cast<float>(stepper->value())));
    onChangeCoordinates();
}

void CAxisRangeWindow::onStepXmin() { stepInto(mStepXmin, mXminEditField); }
void CAxisRangeWindow::onStepXmax() { stepInto(mStepXmax, mXmaxEditField); }
void CAxisRangeWindow::onStepYmin() { stepInto(mStepYmin, mYminEditField); }
void CAxisRangeWindow::onStepYmax() { stepInto(mStepYmax, mYmaxEditField); }
