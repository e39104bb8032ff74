#include "app/plot/qt/CCurveSettingsWindow.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/plot/CGraphObject.h"
#include "app/plot/CPlotView.h"
#include "app/plot/qt/ColorWell.h"
#include "app/plot/qt/PlotPanels.h"

namespace {
CCurveSettingsWindow*& sharedInstance() {
    static CCurveSettingsWindow* panel = nullptr;
    return panel;
}
}  // namespace

CCurveSettingsWindow* CCurveSettingsWindow::sharedCurvesSettingsCtroller() {
    if (!sharedInstance()) sharedInstance() = new CCurveSettingsWindow();
    return sharedInstance();
}

CCurveSettingsWindow* CCurveSettingsWindow::existingShared() { return sharedInstance(); }

CCurveSettingsWindow::CCurveSettingsWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Curve settings"));
    setObjectName(QStringLiteral("CCurvesSettingsPanel"));
    mThicknessMenu = new QComboBox(this);
    mThicknessMenu->addItems({QStringLiteral("Normal thickness"), QStringLiteral("Double thickness"),
                              QStringLiteral("Triple thickness")});
    mForeColorWell = new ColorWell(this);
    mOKButton = new QPushButton(QStringLiteral("OK"), this);
    mCancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    mOKButton->setDefault(true);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Thickness:"), mThicknessMenu);
    form->addRow(QStringLiteral("Color:"), mForeColorWell);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(mCancelButton, QDialogButtonBox::RejectRole);
    buttons->addButton(mOKButton, QDialogButtonBox::AcceptRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    // Only the user's choices apply: selecting an item from code changes nothing.
    connect(mThicknessMenu, &QComboBox::activated, this, [this](int item) {
        mThicknessMenu->setCurrentIndex(item);
        onChangeThickness();
    });
    mForeColorWell->colorChosen = [this] { onChangeColor(); };
    connect(mOKButton, &QPushButton::clicked, this, [this] { onOKButton(); });
    connect(mCancelButton, &QPushButton::clicked, this, [this] { onCancelButton(); });
}

CCurveSettingsWindow::~CCurveSettingsWindow() {
    if (sharedInstance() == this) sharedInstance() = nullptr;
}

void CCurveSettingsWindow::showWindow() {
    if (!mLoaded) {
        mLoaded = true;
        restorePanelFrame(this, "CurvesSettingsPanel");
    }
    ensurePolished();
}

void CCurveSettingsWindow::redraw() {
    if (mPlotView) mPlotView->setNeedsDisplay();
}

void CCurveSettingsWindow::setGraphCurve(const std::shared_ptr<CGraphObject>& curve) {
    mGraphCurve = curve;
    if (!curve) return;
    mOldToolSizeFactor = curve->getToolSizeFactor();
    mOldForeColor = curve->color();
    if (mOldToolSizeFactor == 1.0f) mThicknessMenu->setCurrentIndex(0);
    else if (mOldToolSizeFactor == 2.0f) mThicknessMenu->setCurrentIndex(1);
    else if (mOldToolSizeFactor == 3.0f) mThicknessMenu->setCurrentIndex(2);
    mForeColorWell->setColor(mOldForeColor.value_or(Color::blackColor()));
}

void CCurveSettingsWindow::onChangeThickness() {
    const int i = mThicknessMenu->currentIndex();
    if (auto c = mGraphCurve.lock(); c && i >= 0 && i <= 2) c->setToolSizeFactor(static_cast<float>(i + 1));
    redraw();
}

void CCurveSettingsWindow::onChangeColor() {
    if (auto c = mGraphCurve.lock()) c->setColor(mForeColorWell->color());
    redraw();
}

void CCurveSettingsWindow::onOKButton() { QDialog::accept(); }

void CCurveSettingsWindow::onCancelButton() {
    if (auto c = mGraphCurve.lock()) {
        c->setToolSizeFactor(mOldToolSizeFactor);
        if (mOldForeColor) c->setColor(*mOldForeColor);
        else c->clearColor();
    }
    redraw();
    QDialog::reject();
}

void CCurveSettingsWindow::reject() { onCancelButton(); }

void CCurveSettingsWindow::done(int result) {
    QtPlotPanels::shared().closeColorPanel();
    savePanelFrame(this, "CurvesSettingsPanel");
    QDialog::done(result);
}

void CCurveSettingsWindow::startModalSession() {
    setModal(true);
    exec();
    mGraphCurve.reset();  // the panel does not keep the curve beyond its session
}
