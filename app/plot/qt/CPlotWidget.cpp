#include "app/plot/qt/CPlotWidget.h"

#include <QPainter>
#include <QResizeEvent>
#include <QSettings>

#include "app/plot/qt/PlotRendering.h"
#include "app/plot/qt/QtCanvas.h"

CPlotWidget::CPlotWidget(QWidget* parent)
    : QWidget(parent),
      mView(std::make_unique<CPlotView>(PlotRect{0, 0, static_cast<float>(width()), static_cast<float>(height())})) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    QSettings settings;
    applyUserDefaultColors(*mView, settings);
    mView->setDisplayRequest([this] { update(); });
}

CPlotWidget::~CPlotWidget() { mView->setDisplayRequest(nullptr); }

void CPlotWidget::paintEvent(QPaintEvent*) {
    mView->setBounds({0, 0, static_cast<float>(width()), static_cast<float>(height())});
    QPainter painter(this);
    QtCanvas canvas(painter, static_cast<float>(height()));
    mView->drawRect(canvas);
}

void CPlotWidget::resizeEvent(QResizeEvent* event) {
    mView->setBounds({0, 0, static_cast<float>(event->size().width()), static_cast<float>(event->size().height())});
    QWidget::resizeEvent(event);
}
