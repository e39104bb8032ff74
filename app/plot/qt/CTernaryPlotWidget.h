#pragma once
// CTernaryPlotWidget: the Qt widget that shows a CTernaryPlotView, sized with
// the widget, and passes left-button presses to it in the view's y-up
// coordinates (a click in the triangle posts "TernaryPlotSelection").
#include <QImage>
#include <QWidget>
#include <memory>

#include "app/plot/CTernaryPlotView.h"

class CTernaryPlotWidget : public QWidget {
    Q_OBJECT
public:
    explicit CTernaryPlotWidget(QWidget* parent = nullptr);
    ~CTernaryPlotWidget() override;

    CTernaryPlotView& ternaryPlotView() { return *mView; }
    // A widget position (y down) in the view's coordinates (y up).
    PlotPoint toViewPoint(const QPointF& position) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<CTernaryPlotView> mView;
};

// The whole ternary diagram drawn into an image of its size (times `scale`
// pixels per view unit).
QImage renderTernaryPlotToImage(CTernaryPlotView& view, qreal scale = 1.0);
