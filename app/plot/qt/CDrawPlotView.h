#pragma once
// CDrawPlotView: the holder of one plot.  It places a plot widget inside
// itself and, on request, a row of five image buttons (zoom in, zoom out,
// grid, axis ranges by default, axis-range panel) and a one-line status field
// along its bottom edge.  The buttons call the plot view's actions; the plot
// view enables the zoom buttons, shows the grid state and writes the status
// line through the PlotViewContainer interface.
//
// Geometry follows the plot's convention: frames are given with the origin at
// the bottom-left corner, y upwards (`viewFrame` converts a child's frame).
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QUndoStack>
#include <QWidget>

#include "app/plot/CPlotView.h"
#include "app/plot/PlotGeometry.h"

class CPlotWidget;

class CDrawPlotView : public QWidget, public PlotViewContainer {
    Q_OBJECT
public:
    explicit CDrawPlotView(QWidget* parent = nullptr);
    ~CDrawPlotView() override;

    // Keeps the widget as its plot, makes it a child that resizes with the
    // container, and tells its view about the container.
    void installPlotView(CPlotWidget* plot);
    // Creates a plot widget with the container's bounds and installs it.
    CPlotWidget* setPlotView();
    CPlotWidget* plotWidget() const { return mPlot; }
    // The contained plot view, or nullptr before one is installed.
    CPlotView* plotView() const;

    // The undo stack of the window (a document's): the plot's undoable edits
    // go there from now on, also for a plot installed later.  Without one the
    // plot view keeps its own undo stack.
    void setUndoStack(QUndoStack* stack);
    QUndoStack* undoStack() const { return mUndoStack; }

    // Builds the control row (once; after the plot view is in place).
    void installButtons();
    bool hasButtons() const { return mHasButtons; }

    void setEnabledZoomingControls(bool enabled) override;
    void updateGridButton(bool on) override;
    void setStatusMessage(const std::string& message) override;

    // The frame of a child in the container's y-up coordinates.
    PlotRect viewFrame(const QWidget* child) const;

    QPushButton* zoomInButton() const { return mZoomInButton; }
    QPushButton* zoomOutButton() const { return mZoomOutButton; }
    QPushButton* gridButton() const { return mGridButton; }
    QPushButton* resetButton() const { return mResetButton; }
    QPushButton* axisButton() const { return mAxisButton; }
    QLineEdit* statusLine() const { return mStatusMessage; }

    // The side of each button and the height of the control row.
    static constexpr float mButtonOffsety = 22.0f;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutChildren();
    void placeAt(QWidget* w, const PlotRect& upFrame);
    QPushButton* makeButton(const char* image, void (CPlotView::*action)());

    CPlotWidget* mPlot = nullptr;
    bool mHasButtons = false;
    QPushButton* mZoomInButton = nullptr;
    QPushButton* mZoomOutButton = nullptr;
    QPushButton* mGridButton = nullptr;
    QPushButton* mResetButton = nullptr;
    QPushButton* mAxisButton = nullptr;
    QLineEdit* mStatusMessage = nullptr;
    QPointer<QUndoStack> mUndoStack;
};
