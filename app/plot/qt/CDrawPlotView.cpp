#include "app/plot/qt/CDrawPlotView.h"

#include <QResizeEvent>

#include "app/plot/qt/CPlotWidget.h"
#include "app/plot/qt/PlotButtonImages.h"
#include "app/plot/qt/PlotUndoStack.h"

namespace {
constexpr float kGap = 3.0f;   // between the control row and the plot
constexpr float kPitch = 26.0f;  // from one button to the next
}  // namespace

CDrawPlotView::CDrawPlotView(QWidget* parent) : QWidget(parent) {}

CDrawPlotView::~CDrawPlotView() {
    if (auto* v = plotView()) v->setDrawPlotView(nullptr);
}

CPlotView* CDrawPlotView::plotView() const { return mPlot ? &mPlot->plotView() : nullptr; }

void CDrawPlotView::installPlotView(CPlotWidget* plot) {
    if (!plot) return;
    if (auto* old = plotView()) old->setDrawPlotView(nullptr);
    mPlot = plot;
    mPlot->setParent(this);
    mPlot->plotView().setDrawPlotView(this);
    if (mUndoStack) attachUndoStack(mPlot->plotView(), mUndoStack);
    layoutChildren();
    mPlot->show();
}

CPlotWidget* CDrawPlotView::setPlotView() {
    auto* plot = new CPlotWidget(this);
    plot->resize(size());
    installPlotView(plot);
    return plot;
}

void CDrawPlotView::setUndoStack(QUndoStack* stack) {
    mUndoStack = stack;
    if (auto* v = plotView()) attachUndoStack(*v, stack);
}

QPushButton* CDrawPlotView::makeButton(const char* image, void (CPlotView::*action)()) {
    auto* b = new QPushButton(this);
    b->setIcon(plotButtonIcon(QString::fromLatin1(image)));
    b->setIconSize(QSize(18, 18));
    b->setFlat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(static_cast<int>(mButtonOffsety), static_cast<int>(mButtonOffsety));
    connect(b, &QPushButton::clicked, this, [this, action] {
        if (auto* v = plotView()) (v->*action)();
    });
    b->show();
    return b;
}

void CDrawPlotView::installButtons() {
    if (mHasButtons) return;  // the row is built once
    mZoomInButton = makeButton("biggerUp", &CPlotView::onZoomIn);
    mZoomOutButton = makeButton("smallerUp", &CPlotView::onZoomOut);
    mGridButton = makeButton("grid", &CPlotView::onShowGrid);
    mGridButton->setCheckable(true);
    // The grid button shows the view's state: a click toggles the grid, and
    // the view sets the button's state back through updateGridButton.
    disconnect(mGridButton, &QPushButton::clicked, nullptr, nullptr);
    connect(mGridButton, &QPushButton::clicked, this, [this] {
        if (auto* v = plotView()) {
            v->onShowGrid();
            updateGridButton(v->drawsGrid());
        }
    });
    mResetButton = makeButton("resetOff", &CPlotView::onAxisRangesByDefault);
    mResetButton->setToolTip("To return to the axis ranges by default");
    mAxisButton = makeButton("axis", &CPlotView::onShowAxisRangePanel);
    mAxisButton->setToolTip("To set the axes ranges");
    mStatusMessage = new QLineEdit(this);
    mStatusMessage->setReadOnly(true);  // selectable, not editable
    mStatusMessage->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    mStatusMessage->setToolTip("The status bar");
    mStatusMessage->setFrame(false);
    mStatusMessage->show();
    mHasButtons = true;
    layoutChildren();
}

void CDrawPlotView::placeAt(QWidget* w, const PlotRect& f) {
    // y-up frame to the widget's y-down geometry.
    const int H = height();
    w->setGeometry(static_cast<int>(f.x), static_cast<int>(H - f.y - f.height), static_cast<int>(f.width),
                   static_cast<int>(f.height));
}

PlotRect CDrawPlotView::viewFrame(const QWidget* child) const {
    const QRect g = child->geometry();
    return {static_cast<float>(g.x()), static_cast<float>(height() - g.y() - g.height()),
            static_cast<float>(g.width()), static_cast<float>(g.height())};
}

void CDrawPlotView::layoutChildren() {
    const float W = static_cast<float>(width()), H = static_cast<float>(height());
    const float row = mHasButtons ? mButtonOffsety + kGap : 0.0f;
    if (mPlot) placeAt(mPlot, {0, row, W, std::max(0.0f, H - row)});
    if (!mHasButtons) return;
    QPushButton* buttons[] = {mZoomInButton, mZoomOutButton, mGridButton, mResetButton, mAxisButton};
    for (int k = 0; k < 5; ++k) placeAt(buttons[k], {k * kPitch, 0, mButtonOffsety, mButtonOffsety});
    placeAt(mStatusMessage, {5 * kPitch, 0, std::max(0.0f, W - 5 * kPitch), mButtonOffsety});
}

void CDrawPlotView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutChildren();
}

void CDrawPlotView::setEnabledZoomingControls(bool enabled) {
    if (!mHasButtons) return;
    mZoomInButton->setEnabled(enabled);
    mZoomOutButton->setEnabled(enabled);
    if (enabled) {
        mZoomInButton->setToolTip("To zoom in the rectangular area");
        mZoomOutButton->setToolTip("To zoom out of the rectangular area.");
    } else {
        const QString tip = "Disabled. To enable it, press and drag the mouse on the plot to delimit the area to zoom.";
        mZoomInButton->setToolTip(tip);
        mZoomOutButton->setToolTip(tip);
    }
}

void CDrawPlotView::updateGridButton(bool on) {
    if (mGridButton) mGridButton->setChecked(on);
}

void CDrawPlotView::setStatusMessage(const std::string& message) {
    if (!mHasButtons) return;
    mStatusMessage->setText(QString::fromStdString(message));
    mStatusMessage->setCursorPosition(0);  // a text longer than the line shows its start
    mStatusMessage->setToolTip(mStatusMessage->text());
}
