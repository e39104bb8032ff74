#include "app/plot/qt/CTernaryPlotWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <cmath>

#include "app/plot/qt/PlotRendering.h"
#include "app/plot/qt/QtCanvas.h"

CTernaryPlotWidget::CTernaryPlotWidget(QWidget* parent)
    : QWidget(parent), mView(std::make_unique<CTernaryPlotView>(PlotRect{0, 0, 0, 0})) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    mView->setBounds({0, 0, static_cast<float>(width()), static_cast<float>(height())});
    mView->setDisplayRequest([this] { update(); });
}

CTernaryPlotWidget::~CTernaryPlotWidget() { mView->setDisplayRequest(nullptr); }

PlotPoint CTernaryPlotWidget::toViewPoint(const QPointF& position) const {
    return {static_cast<float>(position.x()), static_cast<float>(height() - position.y())};
}

void CTernaryPlotWidget::paintEvent(QPaintEvent*) {
    mView->setBounds({0, 0, static_cast<float>(width()), static_cast<float>(height())});
    QPainter painter(this);
    QtCanvas canvas(painter, static_cast<float>(height()));
    mView->drawRect(canvas);
}

void CTernaryPlotWidget::resizeEvent(QResizeEvent* event) {
    mView->setBounds({0, 0, static_cast<float>(event->size().width()), static_cast<float>(event->size().height())});
    QWidget::resizeEvent(event);
}

void CTernaryPlotWidget::mousePressEvent(QMouseEvent* event) {
    // Only the left button picks a composition; other buttons change nothing.
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    mView->mouseDown(toViewPoint(event->position()));
}

QImage renderTernaryPlotToImage(CTernaryPlotView& view, qreal scale) {
    return renderViewToImage(view.bounds(), scale, [&view](Canvas& canvas) { view.drawRect(canvas); });
}
