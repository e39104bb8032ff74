#pragma once
// The context menus of a plot view, as data: each item's title and the view
// action it performs.  The Qt layer turns them into menus; the view decides
// which menu a right click gets and whether each item is enabled or checked.
#include <string>
#include <vector>

// The view's commands (menu items, container buttons, settings panels).
enum class PlotAction {
    ZoomIn,
    ZoomOut,
    ShowAxisRangePanel,
    AxisRangesByDefault,
    MaximumAxisRanges,
    LabelFontSettings,
    GraduationFontSettings,
    ToggleShowLogX,
    ToggleShowLogY,
    ShowGrid,
    PrintPlot,
    OpenNewPlotWindow,
    NormalThickness,
    DoubleThickness,
    TripleThickness,
    GraphObjectColor,
    CurvesSettingsPanel,
    ExportCurveData,
    ExportIgorData,
    IncreasePointSize,
    DecreasePointSize,
    PointsSettingsPanel,
    GraphObjectFont,
};

struct PlotMenuItem {
    std::string title;  // empty for a separator
    PlotAction action = PlotAction::ZoomIn;
    bool separator = false;
};

struct PlotMenu {
    std::string title;
    std::vector<PlotMenuItem> items;
};

// What the view says of an item just before its menu is shown.
struct PlotMenuItemState {
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    std::string title;  // empty: keep the item's own title
};
