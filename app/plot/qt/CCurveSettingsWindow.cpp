#include "app/plot/qt/CCurveSettingsWindow.h"

#include <QComboBox>

#include "app/plot/CGraphObject.h"

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

CCurveSettingsWindow::CCurveSettingsWindow(QWidget* parent)
    : CGraphObjectSettingsWindow(parent, "CurvesSettingsPanel") {
    setWindowTitle(QStringLiteral("Curve settings"));
    setObjectName(QStringLiteral("CCurvesSettingsPanel"));
    mThicknessMenu = new QComboBox(this);
    mThicknessMenu->addItems({QStringLiteral("Normal thickness"), QStringLiteral("Double thickness"),
                              QStringLiteral("Triple thickness")});
    buildForm({{QStringLiteral("Thickness:"), mThicknessMenu}});
    // Only the user's choices apply: selecting an item from code changes nothing.
    connect(mThicknessMenu, &QComboBox::activated, this, [this](int item) {
        mThicknessMenu->setCurrentIndex(item);
        onChangeThickness();
    });
}

CCurveSettingsWindow::~CCurveSettingsWindow() {
    if (sharedInstance() == this) sharedInstance() = nullptr;
}

void CCurveSettingsWindow::setGraphCurve(const std::shared_ptr<CGraphObject>& curve) {
    if (!captureObject(curve)) return;
    if (mOldToolSizeFactor == 1.0f) mThicknessMenu->setCurrentIndex(0);
    else if (mOldToolSizeFactor == 2.0f) mThicknessMenu->setCurrentIndex(1);
    else if (mOldToolSizeFactor == 3.0f) mThicknessMenu->setCurrentIndex(2);
}

void CCurveSettingsWindow::onChangeThickness() {
    const int i = mThicknessMenu->currentIndex();
    if (auto c = mGraphObject.lock(); c && i >= 0 && i <= 2) c->setToolSizeFactor(static_cast<float>(i + 1));
    redraw();
}
