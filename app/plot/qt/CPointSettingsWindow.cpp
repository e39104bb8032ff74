#include "app/plot/qt/CPointSettingsWindow.h"

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
CPointSettingsWindow*& sharedInstance() {
    static CPointSettingsWindow* panel = nullptr;
    return panel;
}

// Item i is marker type i + 1.
const char* const kMarkerTitles[] = {"Filled circle",        "Open circle",          "Filled square",
                                     "Open square",          "Plus",                 "Cross",
                                     "Filled triangle up",   "Filled triangle down", "Open triangle up",
                                     "Open triangle down",   "Filled diamond",       "Open diamond"};
}  // namespace

CPointSettingsWindow* CPointSettingsWindow::sharedPointsSettingsCtroller() {
    if (!sharedInstance()) sharedInstance() = new CPointSettingsWindow();
    return sharedInstance();
}

CPointSettingsWindow* CPointSettingsWindow::existingShared() { return sharedInstance(); }

CPointSettingsWindow::CPointSettingsWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Point settings"));
    setObjectName(QStringLiteral("CPointsSettingsPanel"));
    mMarkerTypeMenu = new QComboBox(this);
    for (const char* t : kMarkerTitles) mMarkerTypeMenu->addItem(QString::fromLatin1(t));
    mSizeMenu = new QComboBox(this);
    for (int k = 1; k <= 10; ++k) mSizeMenu->addItem(QString::number(k));
    mForeColorWell = new ColorWell(this);
    mOKButton = new QPushButton(QStringLiteral("OK"), this);
    mCancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    mOKButton->setDefault(true);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Marker:"), mMarkerTypeMenu);
    form->addRow(QStringLiteral("Size:"), mSizeMenu);
    form->addRow(QStringLiteral("Color:"), mForeColorWell);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(mCancelButton, QDialogButtonBox::RejectRole);
    buttons->addButton(mOKButton, QDialogButtonBox::AcceptRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(mMarkerTypeMenu, &QComboBox::activated, this, [this](int item) {
        mMarkerTypeMenu->setCurrentIndex(item);
        onChangeMarkerType();
    });
    connect(mSizeMenu, &QComboBox::activated, this, [this](int item) {
        mSizeMenu->setCurrentIndex(item);
        onChangeMarkerSize();
    });
    mForeColorWell->colorChosen = [this] { onChangeColor(); };
    connect(mOKButton, &QPushButton::clicked, this, [this] { onOKButton(); });
    connect(mCancelButton, &QPushButton::clicked, this, [this] { onCancelButton(); });
}

CPointSettingsWindow::~CPointSettingsWindow() {
    if (sharedInstance() == this) sharedInstance() = nullptr;
}

void CPointSettingsWindow::showWindow() { ensurePolished(); }

void CPointSettingsWindow::redraw() {
    if (mPlotView) mPlotView->setNeedsDisplay();
}

void CPointSettingsWindow::setGraphObject(const std::shared_ptr<CGraphObject>& object) {
    mGraphObject = object;
    if (!object) return;
    mOldMarkerType = object->selector();
    mOldToolSizeFactor = object->getToolSizeFactor();
    mOldForeColor = object->color();
    for (int k = 1; k <= 10; ++k)
        if (mOldToolSizeFactor == static_cast<float>(k)) mSizeMenu->setCurrentIndex(k - 1);
    // Marker types outside the menu (0, or beyond the last kind) select no item.
    const int item = mOldMarkerType - 1;
    mMarkerTypeMenu->setCurrentIndex(item >= 0 && item < mMarkerTypeMenu->count() ? item : -1);
    mForeColorWell->setColor(mOldForeColor.value_or(Color::blackColor()));
}

void CPointSettingsWindow::onChangeMarkerType() {
    const int i = mMarkerTypeMenu->currentIndex();
    if (auto o = mGraphObject.lock(); o && i >= 0) o->setSelector(i + 1);
    redraw();
}

void CPointSettingsWindow::onChangeMarkerSize() {
    const int i = mSizeMenu->currentIndex();
    if (auto o = mGraphObject.lock()) o->setToolSizeFactor(i >= 1 && i <= 9 ? static_cast<float>(i + 1) : 1.0f);
    redraw();
}

void CPointSettingsWindow::onChangeColor() {
    if (auto o = mGraphObject.lock()) o->setColor(mForeColorWell->color());
    redraw();
}

void CPointSettingsWindow::onOKButton() { QDialog::accept(); }

void CPointSettingsWindow::onCancelButton() {
    if (auto o = mGraphObject.lock()) {
        o->setToolSizeFactor(mOldToolSizeFactor);
        if (mOldForeColor) o->setColor(*mOldForeColor);
        else o->clearColor();
        o->setSelector(mOldMarkerType);
    }
    redraw();
    QDialog::reject();
}

void CPointSettingsWindow::reject() { onCancelButton(); }

void CPointSettingsWindow::done(int result) {
    QtPlotPanels::shared().closeColorPanel();
    QDialog::done(result);
}

void CPointSettingsWindow::startModalSession() {
    setModal(true);
    exec();
    mGraphObject.reset();
}
