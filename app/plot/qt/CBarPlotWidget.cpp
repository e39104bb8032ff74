#include "app/plot/qt/CBarPlotWidget.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/plot/qt/PlotPanels.h"
#include "app/plot/qt/PlotRendering.h"
#include "app/plot/qt/QtCanvas.h"

CBarPlotWidget::CBarPlotWidget(QWidget* parent)
    : QWidget(parent), mView(std::make_unique<CBarPlotView>(PlotRect{0, 0, 0, 0})) {
    installQtPlotPanels();  // the save dialog and error messages
    setAttribute(Qt::WA_OpaquePaintEvent);
    mView->setBounds({0, 0, static_cast<float>(width()), static_cast<float>(height())});
    mView->setDisplayRequest([this] { update(); });
    mView->setPdfWriter([](CBarPlotView& view, const std::string& path, std::string& error) {
        QString why;
        const bool ok = writeBarPlotPdf(view, QString::fromStdString(path), &why);
        error = why.toStdString();
        return ok;
    });

    // The stepper: an up and a down arrow, repeating while held.
    mStepper = new QWidget(this);
    auto* column = new QVBoxLayout(mStepper);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    mUp = new QToolButton(mStepper);
    mUp->setArrowType(Qt::UpArrow);
    mDown = new QToolButton(mStepper);
    mDown->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {mUp, mDown}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(20, 15);
        column->addWidget(b);
    }
    connect(mUp, &QToolButton::clicked, this, [this] { mView->stepperIncrement(); });
    connect(mDown, &QToolButton::clicked, this, [this] { mView->stepperDecrement(); });
    placeStepper();

    mMenu = new QMenu(QString::fromStdString(CBarPlotView::mPlotMenu().title), this);
    for (const BarPlotMenuItem& item : CBarPlotView::mPlotMenu().items) {
        if (item.separator) {
            mMenu->addSeparator();
            continue;
        }
        QAction* a = mMenu->addAction(QString::fromStdString(item.title));
        a->setData(static_cast<int>(item.action));
        const BarPlotAction action = item.action;
        connect(a, &QAction::triggered, this, [this, action] { mView->performAction(action); });
    }
    connect(mMenu, &QMenu::aboutToShow, this, [this] { validateMenu(); });
}

CBarPlotWidget::~CBarPlotWidget() {
    mView->setDisplayRequest(nullptr);
    mView->setPdfWriter(nullptr);
}

void CBarPlotWidget::placeStepper() {
    // The view's frame is in y-up coordinates: its top edge is at y + height.
    const PlotRect f = mView->stepper().frame;
    mStepper->setGeometry(static_cast<int>(f.x), static_cast<int>(std::lround(height() - (f.y + f.height))),
                          static_cast<int>(f.width), static_cast<int>(f.height));
    mStepper->setVisible(!mView->stepper().hidden);
}

void CBarPlotWidget::validateMenu() {
    for (QAction* a : mMenu->actions()) {
        if (a->isSeparator() || !a->data().isValid()) continue;
        const PlotMenuItemState s = mView->validateMenuItem(static_cast<BarPlotAction>(a->data().toInt()));
        a->setEnabled(s.enabled);
        a->setCheckable(s.checkable);
        if (s.checkable) a->setChecked(s.checked);
        if (!s.title.empty()) a->setText(QString::fromStdString(s.title));
    }
}

QMenu* CBarPlotWidget::contextMenu() {
    validateMenu();
    return mMenu;
}

void CBarPlotWidget::paintEvent(QPaintEvent*) {
    mView->setBounds({0, 0, static_cast<float>(width()), static_cast<float>(height())});
    QPainter painter(this);
    QtCanvas canvas(painter, static_cast<float>(height()));
    mView->drawRect(canvas);
}

void CBarPlotWidget::resizeEvent(QResizeEvent* event) {
    mView->setBounds({0, 0, static_cast<float>(event->size().width()), static_cast<float>(event->size().height())});
    placeStepper();
    QWidget::resizeEvent(event);
}

void CBarPlotWidget::contextMenuEvent(QContextMenuEvent* event) {
    mView->menuForEvent({static_cast<float>(event->pos().x()), static_cast<float>(height() - event->pos().y())});
    contextMenu()->exec(event->globalPos());
}

QImage renderBarPlotToImage(CBarPlotView& view, qreal scale) {
    return renderViewToImage(view.bounds(), scale, [&view](Canvas& canvas) { view.drawRect(canvas); });
}

bool writeBarPlotPdf(CBarPlotView& view, const QString& path, QString* error) {
    return writeViewPdf(view.bounds(), path, error, [&view](Canvas& canvas) { view.drawRect(canvas); });
}
