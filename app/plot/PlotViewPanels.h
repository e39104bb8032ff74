#pragma once
// What a plot view asks of the application's shared panels and windows: the
// axis-range panel, the curve and point settings panels, the colour and font
// panels, PDF writing, new plot windows and error reports.  The Qt layer
// installs its implementation; without one these requests do nothing (and
// errors go to standard error).
#include <memory>
#include <string>

#include "app/plot/Color.h"
#include "app/plot/FontDescription.h"

class CPlotView;
class CGraphObject;

class PlotViewPanels {
public:
    virtual ~PlotViewPanels() = default;

    // Shows the shared axis-range panel and attaches the view to it.
    virtual void showAxisRangePanel(CPlotView& view) = 0;
    // The view's ranges changed: the axis-range panel refreshes itself when
    // its window is visible.
    virtual void axisRangesChanged(CPlotView& view) = 0;

    // The modal settings panels: they return when the user is done.
    virtual void runCurveSettingsPanel(CPlotView& view, const std::shared_ptr<CGraphObject>& curve) = 0;
    virtual void runPointSettingsPanel(CPlotView& view, const std::shared_ptr<CGraphObject>& object) = 0;

    // The shared colour panel: shown for a view with a colour; its changes go
    // to that view's changeColor.
    virtual void showColorPanel(CPlotView& view, const Color& color) = 0;
    virtual bool isColorPanelVisible() const = 0;
    // Shows the colour of the view's selection; the panel's changes go to that
    // view from now on (the plot last clicked in).
    virtual void setColorPanelColor(CPlotView& view, const Color& color) = 0;

    // The shared font panel, showing `font`; its changes go to the view's
    // changeFont.
    virtual void showFontPanel(CPlotView& view, const FontDescription& font) = 0;

    // Writes the view as a one-page PDF; false with a message on failure.
    virtual bool writePdf(CPlotView& view, const std::string& path, std::string& error) = 0;
    // Opens an independent copy of the view in a new window.
    virtual void openNewPlotWindow(CPlotView& view) = 0;
    // Tells the user that something failed.
    virtual void reportError(const std::string& title, const std::string& message) = 0;

    // The view is going away: the panels forget it.
    virtual void plotViewWillClose(CPlotView& view) = 0;
};

// Installs the panels (nullptr removes them).  The caller keeps ownership and
// removes them before destroying them.
void setPlotViewPanels(PlotViewPanels* panels);
PlotViewPanels* plotViewPanels();
