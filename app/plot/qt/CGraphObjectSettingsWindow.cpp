#include "app/plot/qt/CGraphObjectSettingsWindow.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/plot/CGraphObject.h"
#include "app/plot/CPlotView.h"
#include "app/plot/qt/CPlotWidget.h"
#include "app/plot/qt/ColorWell.h"
#include "app/plot/qt/PlotPanels.h"

CGraphObjectSettingsWindow::CGraphObjectSettingsWindow(QWidget* parent, const char* frameKey)
    : QDialog(parent), mFrameKey(frameKey) {}

void CGraphObjectSettingsWindow::buildForm(std::initializer_list<std::pair<QString, QWidget*>> rows) {
    mForeColorWell = new ColorWell(this);
    mOKButton = new QPushButton(QStringLiteral("OK"), this);
    mCancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    mOKButton->setDefault(true);
    auto* form = new QFormLayout;
    for (const auto& [label, widget] : rows) form->addRow(label, widget);
    form->addRow(QStringLiteral("Color:"), mForeColorWell);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(mCancelButton, QDialogButtonBox::RejectRole);
    buttons->addButton(mOKButton, QDialogButtonBox::AcceptRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    mForeColorWell->colorChosen = [this] { onChangeColor(); };
    connect(mOKButton, &QPushButton::clicked, this, [this] { onOKButton(); });
    connect(mCancelButton, &QPushButton::clicked, this, [this] { onCancelButton(); });
}

void CGraphObjectSettingsWindow::showWindow() {
    if (mFrameKey && !mLoaded) {
        mLoaded = true;
        restorePanelFrame(this, mFrameKey);
    }
    ensurePolished();
}

void CGraphObjectSettingsWindow::redraw() {
    if (mPlotView) mPlotView->setNeedsDisplay();
}

bool CGraphObjectSettingsWindow::captureObject(const std::shared_ptr<CGraphObject>& object) {
    mGraphObject = object;
    if (!object) return false;
    mOldToolSizeFactor = object->getToolSizeFactor();
    mOldForeColor = object->color();
    mForeColorWell->setColor(mOldForeColor.value_or(Color::blackColor()));
    return true;
}

void CGraphObjectSettingsWindow::onChangeColor() {
    if (auto o = mGraphObject.lock()) o->setColor(mForeColorWell->color());
    redraw();
}

void CGraphObjectSettingsWindow::onOKButton() { QDialog::accept(); }

void CGraphObjectSettingsWindow::onCancelButton() {
    if (auto o = mGraphObject.lock()) {
        o->setToolSizeFactor(mOldToolSizeFactor);
        if (mOldForeColor) o->setColor(*mOldForeColor);
        else o->clearColor();
        restoreCaptured(*o);
    }
    redraw();
    QDialog::reject();
}

void CGraphObjectSettingsWindow::reject() { onCancelButton(); }

void CGraphObjectSettingsWindow::done(int result) {
    QtPlotPanels::shared().closeColorPanel();
    if (mFrameKey) savePanelFrame(this, mFrameKey);
    QDialog::done(result);
}

void CGraphObjectSettingsWindow::startModalSession() {
    setModal(true);
    // Over the window of the plot, unless the user placed the panel before;
    // either way wholly on the screen.
    const CPlotWidget* plot = mPlotView ? CPlotWidget::widgetOf(*mPlotView) : nullptr;
    const QWidget* over = plot ? plot->window() : QApplication::activeWindow();
    if (over == this) over = nullptr;
    if (!testAttribute(Qt::WA_Resized)) adjustSize();
    if (over && !testAttribute(Qt::WA_Moved)) {
        const QRect r = over->frameGeometry();
        move(r.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    keepInsideScreen(this, over);
    QTimer::singleShot(0, this, [this, o = QPointer<const QWidget>(over)] { keepInsideScreen(this, o); });  // once shown
    exec();
    mGraphObject.reset();  // the panel does not keep the object beyond its session
}
