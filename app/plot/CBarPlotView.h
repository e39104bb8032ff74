#pragma once
// CBarPlotView: one series of values against a row of category labels, drawn
// as bars, as a line, or as a line with markers, on a linear value axis with
// fixed tick lists or on a logarithmic axis by decades.
//
// It is separate from CPlotView (no graph objects, no formats): the owner hands
// it values, labels and a range, and the user works with its context menu
// (scale, grid, mode, PDF and Igor exports) and with a small stepper that sets
// the top of the value axis.  Reference values can be marked on chosen
// categories.  Plain C++: it draws through a Canvas; a Qt widget shows it and
// the stepper.
//
// View coordinates have their origin at the bottom-left corner, y upwards.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/plot/CGraphCurve.h"  // ExportStatus
#include "app/plot/FontDescription.h"
#include "app/plot/PlotGeometry.h"
#include "app/plot/PlotMenus.h"  // PlotMenuItemState

class Canvas;

// The commands of the bar plot's context menu.
enum class BarPlotAction { ToggleScale, ToggleGrid, SetBars, SetLines, SetLinesMarkers, PrintPlot, ExportToIgor };

struct BarPlotMenuItem {
    std::string title;  // empty for a separator
    BarPlotAction action = BarPlotAction::ToggleScale;
    bool separator = false;
};

struct BarPlotMenu {
    std::string title;
    std::vector<BarPlotMenuItem> items;
};

// The stepper beside the value axis: arrows that lower or raise the top of
// the axis by `increment`, between `minValue` and `maxValue`, without wrapping.
struct BarPlotStepper {
    PlotRect frame;  // in the view's coordinates
    double minValue = 0.0;
    double maxValue = 100.0;
    double value = 100.0;
    double increment = 1.0;
    bool valueWraps = false;
    bool hidden = false;
};

class CBarPlotView {
public:
    // Drawing modes.
    static constexpr int kBars = 0;
    static constexpr int kLines = 1;
    static constexpr int kLinesMarkers = 2;

    explicit CBarPlotView(const PlotRect& frame);
    CBarPlotView(const CBarPlotView&) = delete;
    CBarPlotView& operator=(const CBarPlotView&) = delete;

    const PlotRect& bounds() const { return mBounds; }
    // The stepper stays in the top-left corner when the view is resized.
    void setBounds(const PlotRect& b) {
        mBounds = b;
        mStepper.frame.y = b.height - mStepper.frame.height;
    }
    // Asks the owner to redraw (the Qt widget installs its update here).
    void setDisplayRequest(std::function<void()> request) { mDisplayRequest = std::move(request); }
    void setNeedsDisplay();

    // Data.  Setters do not redraw; the owner asks for display.
    void setValues(const std::vector<double>& values) { mValues = values; }
    void setLabels(const std::vector<std::string>& labels) { mLabels = labels; }
    // Categories that carry a reference value, and the value of each, in the
    // same order.
    void setReferenceLabels(const std::vector<std::string>& labels, const std::vector<double>& values);
    // The bottom of the logarithmic axis and the top of the value axis; the
    // stepper's limits become the same two numbers (its value is left alone).
    void setMinimum(float minimum, float maximum);
    void setIsLogarithmic(bool logarithmic) { mLogarithmic = logarithmic; }
    // Axis titles (x under the plot area, y along the value axis), set in the
    // system font.
    void setLabels(const std::string& xTitle, const std::string& yTitle);
    const std::string& plotName() const { return mPlotName; }
    void setPlotName(const std::string& name) { mPlotName = name; }

    const std::vector<double>& values() const { return mValues; }
    const std::vector<std::string>& labels() const { return mLabels; }
    float mMinimum() const { return mMinimum_; }
    float mMaximum() const { return mMaximum_; }
    bool isLogarithmic() const { return mLogarithmic; }
    bool showsGrid() const { return mShowGrid; }
    void setShowGrid(bool on) { mShowGrid = on; }
    int mode() const { return mMode; }
    int igorIndex() const { return mIgorIndex; }
    float sepBarRatio() const { return mSepBarRatio; }
    const std::optional<RichText>& xLabel() const { return mXLabel; }
    const FontDescription& ticksAttributes() const { return mTicksAttributes; }
    float mMarginLeft() const { return mMarginLeft_; }
    float mMarginBottom() const { return mMarginBottom_; }
    float mMarginTop() const { return mMarginTop_; }
    float mMarginRight() const { return mMarginRight_; }

    // The stepper and its arrows (each arrow steps, then the axis follows).
    const BarPlotStepper& stepper() const { return mStepper; }
    void stepperIncrement();
    void stepperDecrement();
    // The stepper's action: the top of the axis becomes the stepper's value.
    void onStepYmax();

    // Context menu: the same menu for every click.
    static const BarPlotMenu& mPlotMenu();
    const BarPlotMenu& menuForEvent(PlotPoint) const { return mPlotMenu(); }
    PlotMenuItemState validateMenuItem(BarPlotAction action) const;
    void performAction(BarPlotAction action);

    void onToggleScale();
    void onToggleGrid();
    void onSetBars();
    void onSetLines();
    void onSetLinesMarkers();
    // Saves the view as PDF in a file the user chooses, through the writer the
    // Qt layer installs; true when written.  Failures are reported to the user.
    bool onPrintPlot();
    using PdfWriter = std::function<bool(CBarPlotView& view, const std::string& path, std::string& error)>;
    void setPdfWriter(PdfWriter writer) { mPdfWriter = std::move(writer); }
    // Exports the values and labels as Igor text in a file the user chooses,
    // proposing "data<N>.itx"; waves "v<N>" and "s<N>".  N grows after each
    // written export.  Failures are reported to the user.
    ExportStatus onExportToIgor();
    // The export itself, to a given path (N is not advanced).
    ExportStatus writeIgorData(const std::string& path) const;

    // Geometry of the last layout (valid after a draw with values).
    struct Layout {
        float plotWidth = 0, plotHeight = 0;  // pw, ph
        float barWidth = 0, slotWidth = 0;    // bw, s
        int logLow = 0, logHigh = 0;          // decade exponents of the log axis
    };
    // The layout for the current bounds, values and axis.
    Layout layout() const;
    // Left edge of the bar of value i, and the centre of its slot.
    float barLeft(const Layout& l, size_t i) const;
    float slotCentre(const Layout& l, size_t i) const;
    // Height of a value above the horizontal axis; nothing for a value that is
    // not drawn (not positive on a log axis, or not a finite number).
    std::optional<float> valueHeight(const Layout& l, double v) const;
    // The value-axis ticks: height above the bottom margin and label.
    struct Tick {
        float y;
        std::string label;
    };
    std::vector<Tick> valueTicks(const Layout& l) const;
    // The label of the decade 10^k.
    static std::string logTickLabel(int k);

    void drawRect(Canvas& canvas);

private:
    PlotRect mBounds;
    std::function<void()> mDisplayRequest;
    PdfWriter mPdfWriter;

    std::vector<double> mValues;
    std::vector<std::string> mLabels;
    FontDescription mTicksAttributes = FontDescription::labelFont();
    float mMarginLeft_ = 20, mMarginBottom_ = 40, mMarginTop_ = 20, mMarginRight_ = 20;
    float mMaximum_ = 0;
    float mMinimum_ = 0;
    float mSepBarRatio = 0.2f;
    bool mLogarithmic = false;
    bool mShowGrid = false;
    int mIgorIndex = 0;
    int mMode = kLinesMarkers;
    std::vector<std::string> mReferenceLabels;
    std::vector<double> mReferenceValues;
    BarPlotStepper mStepper;
    std::optional<RichText> mXLabel, mYLabel;
    std::string mPlotName;
};
