#pragma once
// CPlotWidget: the Qt widget that shows a CPlotView, sized with the widget and
// redrawn when the view asks for display.
#include <QWidget>
#include <memory>

#include "app/plot/CPlotView.h"

class CPlotWidget : public QWidget {
    Q_OBJECT
public:
    // The view starts with the widget's size and the user-default colours.
    explicit CPlotWidget(QWidget* parent = nullptr);
    ~CPlotWidget() override;

    CPlotView& plotView() { return *mView; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<CPlotView> mView;
};
