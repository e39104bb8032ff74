#include "app/plot/qt/CPointSettingsWindow.h"

#include <QComboBox>

#include "app/plot/CGraphObject.h"

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

CPointSettingsWindow::CPointSettingsWindow(QWidget* parent) : CGraphObjectSettingsWindow(parent, nullptr) {
    setWindowTitle(QStringLiteral("Point settings"));
    setObjectName(QStringLiteral("CPointsSettingsPanel"));
    mMarkerTypeMenu = new QComboBox(this);
    for (const char* t : kMarkerTitles) mMarkerTypeMenu->addItem(QString::fromLatin1(t));
    mSizeMenu = new QComboBox(this);
    for (int k = 1; k <= 10; ++k) mSizeMenu->addItem(QString::number(k));
    buildForm({{QStringLiteral("Marker:"), mMarkerTypeMenu}, {QStringLiteral("Size:"), mSizeMenu}});
    connect(mMarkerTypeMenu, &QComboBox::activated, this, [this](int item) {
        mMarkerTypeMenu->setCurrentIndex(item);
        onChangeMarkerType();
    });
    connect(mSizeMenu, &QComboBox::activated, this, [this](int item) {
        mSizeMenu->setCurrentIndex(item);
        onChangeMarkerSize();
    });
}

CPointSettingsWindow::~CPointSettingsWindow() {
    if (sharedInstance() == this) sharedInstance() = nullptr;
}

void CPointSettingsWindow::setGraphObject(const std::shared_ptr<CGraphObject>& object) {
    if (!captureObject(object)) return;
    mOldMarkerType = object->selector();
    for (int k = 1; k <= 10; ++k)
        if (mOldToolSizeFactor == static_cast<float>(k)) mSizeMenu->setCurrentIndex(k - 1);
    // Marker types outside the menu (0, or beyond the last kind) select no item.
    const int item = mOldMarkerType - 1;
    mMarkerTypeMenu->setCurrentIndex(item >= 0 && item < mMarkerTypeMenu->count() ? item : -1);
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

void CPointSettingsWindow::restoreCaptured(CGraphObject& object) { object.setSelector(mOldMarkerType); }
