#pragma once
// CPlotWidget: the Qt widget that shows a CPlotView, sized with the widget and
// redrawn when the view asks for display.  It passes the mouse to the view
// (press, moves with the left button down, release, double click) in the
// view's y-up coordinates, and shows the view's context menus.
#include <QWidget>
#include <map>
#include <memory>

#include "app/plot/CPlotView.h"

class QMenu;

class CPlotWidget : public QWidget {
    Q_OBJECT
public:
    // The view starts with the widget's size and the user-default colours.
    explicit CPlotWidget(QWidget* parent = nullptr);
    // Shows a view made elsewhere (a copy); it takes the user-default colours.
    explicit CPlotWidget(std::unique_ptr<CPlotView> view, QWidget* parent = nullptr);
    ~CPlotWidget() override;

    CPlotView& plotView() { return *mView; }

    // A widget position (y down) in the view's coordinates (y up).
    PlotPoint toViewPoint(const QPointF& position) const;
    // The modifier bits the view reads (Shift, Control, Option) of Qt's keys.
    static unsigned modifierFlags(Qt::KeyboardModifiers modifiers);

    // The context menu of a right click at `position` (widget coordinates),
    // with its items enabled and checked for the view's state; nullptr when
    // the view offers none there.  The widget owns the menus.
    QMenu* contextMenuAt(const QPoint& position);
    // Enables, checks and titles the items of one of this widget's menus.
    void validateMenu(QMenu* menu);

    // The plot last clicked in within a window, or else the window's first
    // plot; nullptr when the window holds none.
    static CPlotWidget* plotOfWindow(QWidget* window);
    // The widget that shows a view, among the application's windows; nullptr when none does.
    static CPlotWidget* widgetOf(const CPlotView& view);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void setUp();
    QMenu* menuFor(const PlotMenu& menu);

    std::unique_ptr<CPlotView> mView;
    std::map<const PlotMenu*, QMenu*> mMenus;
};
