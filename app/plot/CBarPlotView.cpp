#include "app/plot/CBarPlotView.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>

#include "app/plot/Canvas.h"
#include "app/plot/FileChooser.h"
#include "app/plot/PlotViewPanels.h"
#include "platform/LogSink.h"

namespace {

// Exponents of the log axis are kept within what a float axis can show, so
// that a huge limit never turns into an undefined integer conversion.
constexpr double kMaxDecade = 400.0;

int decade(double e) { return static_cast<int>(std::clamp(e, -kMaxDecade, kMaxDecade)); }

void reportError(const std::string& title, const std::string& message) {
    if (auto* panels = plotViewPanels()) panels->reportError(title, message);
    else std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
}

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// "%18e" of the C library, in the C locale whatever the program's locale.
std::string scientific18(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 6);
    std::string s(buf, r.ptr);
    if (s.size() < 18) s.insert(0, 18 - s.size(), ' ');
    return s;
}

// A category label as the body of an Igor quoted string: backslashes, quotes
// and control characters are escaped so that the text wave keeps one row per
// label whatever the label holds.
std::string igorQuoted(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        switch (ch) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += ch; break;
        }
    }
    return out;
}

}  // namespace

CBarPlotView::CBarPlotView(const PlotRect& frame) : mBounds{0, 0, frame.width, frame.height} {
    mStepper.frame = {1.0f, frame.height - 30.0f, 20.0f, 30.0f};
}

void CBarPlotView::setNeedsDisplay() {
    if (mDisplayRequest) mDisplayRequest();
}

void CBarPlotView::setReferenceLabels(const std::vector<std::string>& labels, const std::vector<double>& values) {
    mReferenceLabels = labels;
    mReferenceValues = values;
}

void CBarPlotView::setMinimum(float minimum, float maximum) {
    mMinimum_ = minimum;
    mMaximum_ = maximum;
    mStepper.minValue = minimum;
    mStepper.maxValue = maximum;
}

void CBarPlotView::setLabels(const std::string& xTitle, const std::string& yTitle) {
    mXLabel = RichText{xTitle, FontDescription::systemFont(), Color::blackColor()};
    mYLabel = RichText{yTitle, FontDescription::systemFont(), Color::blackColor()};
}

// ---------------------------------------------------------------- stepper

void CBarPlotView::stepperIncrement() {
    double v = mStepper.value + mStepper.increment;
    if (v > mStepper.maxValue) v = mStepper.valueWraps ? mStepper.minValue : mStepper.maxValue;
    mStepper.value = v;
    onStepYmax();
}

void CBarPlotView::stepperDecrement() {
    double v = mStepper.value - mStepper.increment;
    if (v < mStepper.minValue) v = mStepper.valueWraps ? mStepper.maxValue : mStepper.minValue;
    mStepper.value = v;
    onStepYmax();
}

void CBarPlotView::onStepYmax() {
    mMaximum_ = static_cast<float>(mStepper.value);
    setNeedsDisplay();
}

// ---------------------------------------------------------------- menu

const BarPlotMenu& CBarPlotView::mPlotMenu() {
    static const BarPlotMenu menu{"Barplot",
                                  {
                                      {"Logarithmic scale", BarPlotAction::ToggleScale, false},
                                      {"Hide grid", BarPlotAction::ToggleGrid, false},
                                      {"", BarPlotAction::ToggleScale, true},
                                      {"Bars", BarPlotAction::SetBars, false},
                                      {"Lines", BarPlotAction::SetLines, false},
                                      {"Lines and markers", BarPlotAction::SetLinesMarkers, false},
                                      {"", BarPlotAction::ToggleScale, true},
                                      {"Save as PDF...", BarPlotAction::PrintPlot, false},
                                      {"Export to Igor...", BarPlotAction::ExportToIgor, false},
                                  }};
    return menu;
}

PlotMenuItemState CBarPlotView::validateMenuItem(BarPlotAction action) const {
    PlotMenuItemState s;
    switch (action) {
    case BarPlotAction::ToggleScale: s.title = mLogarithmic ? "Set linear scale" : "Set logarithmic scale"; break;
    case BarPlotAction::ToggleGrid: s.title = mShowGrid ? "Hide grid" : "Show grid"; break;
    case BarPlotAction::SetBars:
        s.checkable = true;
        s.checked = mMode == kBars;
        break;
    case BarPlotAction::SetLines:
        s.checkable = true;
        s.checked = mMode == kLines;
        break;
    case BarPlotAction::SetLinesMarkers:
        s.checkable = true;
        s.checked = mMode == kLinesMarkers;
        break;
    case BarPlotAction::PrintPlot:
    case BarPlotAction::ExportToIgor: break;
    }
    return s;
}

void CBarPlotView::performAction(BarPlotAction action) {
    switch (action) {
    case BarPlotAction::ToggleScale: onToggleScale(); break;
    case BarPlotAction::ToggleGrid: onToggleGrid(); break;
    case BarPlotAction::SetBars: onSetBars(); break;
    case BarPlotAction::SetLines: onSetLines(); break;
    case BarPlotAction::SetLinesMarkers: onSetLinesMarkers(); break;
    case BarPlotAction::PrintPlot: onPrintPlot(); break;
    case BarPlotAction::ExportToIgor: onExportToIgor(); break;
    }
}

void CBarPlotView::onToggleScale() {
    mLogarithmic = !mLogarithmic;
    setNeedsDisplay();
}

void CBarPlotView::onToggleGrid() {
    mShowGrid = !mShowGrid;
    setNeedsDisplay();
}

void CBarPlotView::onSetBars() {
    mMode = kBars;
    setNeedsDisplay();
}

void CBarPlotView::onSetLines() {
    mMode = kLines;
    setNeedsDisplay();
}

void CBarPlotView::onSetLinesMarkers() {
    mMode = kLinesMarkers;
    setNeedsDisplay();
}

// ---------------------------------------------------------------- exports

bool CBarPlotView::onPrintPlot() {
    FileChooser* chooser = fileChooser();
    if (!chooser) return false;
    const auto path = chooser->chooseSaveFile(mPlotName, "pdf");
    if (!path || path->empty()) return false;
    std::string error;
    bool written = false;
    if (!mPdfWriter) {
        error = "No PDF writer is available.";
    } else {
        // The stepper is a control, not part of the figure.
        mStepper.hidden = true;
        written = mPdfWriter(*this, *path, error);
        mStepper.hidden = false;
    }
    if (!written) reportError("Save as PDF", error.empty() ? "The plot could not be saved as PDF." : error);
    return written;
}

ExportStatus CBarPlotView::writeIgorData(const std::string& path) const {
    FilePtr f(std::fopen(path.c_str(), "w"));
    if (!f) {
        platform::logText("Cannot open the file \"" + path + "\" for writing.\n");
        return ExportStatus::CannotOpen;
    }
    const std::string n = std::to_string(mIgorIndex);
    std::string text = "IGOR\nWAVES v" + n + "\nBEGIN\n";
    for (double v : mValues) text += "\t" + scientific18(v) + "\n";
    text += "END\nWAVES/T s" + n + "\nBEGIN\n";
    for (const std::string& label : mLabels) text += "\t\"" + igorQuoted(label) + "\"\n";
    text += "END\n";
    bool ok = std::fwrite(text.data(), 1, text.size(), f.get()) == text.size();
    ok = (std::fclose(f.release()) == 0) && ok;
    if (!ok) {
        platform::logText("Writing the file \"" + path + "\" failed.\n");
        return ExportStatus::WriteFailed;
    }
    return ExportStatus::Written;
}

ExportStatus CBarPlotView::onExportToIgor() {
    FileChooser* chooser = fileChooser();
    if (!chooser) return ExportStatus::Cancelled;
    const auto path = chooser->chooseSaveFile("data" + std::to_string(mIgorIndex) + ".itx", "itx");
    if (!path || path->empty()) return ExportStatus::Cancelled;
    const ExportStatus s = writeIgorData(*path);
    if (s == ExportStatus::Written) ++mIgorIndex;
    else if (s == ExportStatus::CannotOpen) reportError("Export to Igor", "The file could not be opened for writing.");
    else reportError("Export to Igor", "The data could not be written completely.");
    return s;
}

// ---------------------------------------------------------------- geometry

CBarPlotView::Layout CBarPlotView::layout() const {
    Layout l;
    const float W = mBounds.width, H = mBounds.height;
    const float n = static_cast<float>(mValues.size());
    l.plotWidth = W - (mMarginLeft_ + mMarginRight_ + 40.0f);
    l.plotHeight = H - (mMarginBottom_ + mMarginTop_);
    l.barWidth = n > 0 ? std::min(50.0f, l.plotWidth / (n + (n - 1.0f) * mSepBarRatio)) : 0.0f;
    l.slotWidth = (1.0f + mSepBarRatio) * l.barWidth;

    // Decades of the logarithmic axis: from the minimum when it is set, else
    // from the smallest value (one that is not positive counts as 10^-2).
    double lo;
    if (mMinimum_ > 0.0f && std::isfinite(mMinimum_)) {
        lo = std::floor(std::log10(static_cast<double>(mMinimum_)));
    } else {
        double smallest = HUGE_VAL;
        for (double v : mValues) smallest = std::min(smallest, v > 0.0 && std::isfinite(v) ? std::log10(v) : -2.0);
        lo = mValues.empty() ? -2.0 : std::floor(smallest);
    }
    const double hi = mMaximum_ > 0.0f && std::isfinite(mMaximum_) ? std::ceil(std::log10(double(mMaximum_))) : 2.0;
    l.logHigh = decade(hi);
    l.logLow = decade(lo);
    if (l.logLow == l.logHigh) l.logLow = l.logHigh - 2;
    return l;
}

float CBarPlotView::barLeft(const Layout& l, size_t i) const {
    return mMarginLeft_ + 40.0f + (mSepBarRatio / 2.0f) * l.barWidth + static_cast<float>(i) * l.slotWidth;
}

float CBarPlotView::slotCentre(const Layout& l, size_t i) const { return barLeft(l, i) + l.barWidth / 2.0f; }

std::optional<float> CBarPlotView::valueHeight(const Layout& l, double v) const {
    if (!std::isfinite(v)) return std::nullopt;
    float h;
    if (mLogarithmic) {
        if (!(v > 0.0)) return std::nullopt;
        h = static_cast<float>((std::log10(v) - l.logLow) / (l.logHigh - l.logLow) * l.plotHeight);
    } else {
        // The linear axis is scaled by its top; without a positive top there
        // is no scale to draw values on.
        if (!(mMaximum_ > 0.0f)) return std::nullopt;
        h = static_cast<float>(v) * l.plotHeight / mMaximum_;
    }
    if (!(h >= 1.0f)) h = 1.0f;  // a value tiny against the axis still shows
    return h;
}

std::string CBarPlotView::logTickLabel(int k) {
    switch (k) {
    case -3: return " 0.001";
    case -2: return "  0.01";
    case -1: return "   0.1";
    case 0: return "     1";
    case 1: return "    10";
    case 2: return "   100";
    case 3: return "  1000";
    case 4: return "10 000";
    default: {
        char buf[32];
        std::snprintf(buf, sizeof buf, "1e%1d", k);
        return buf;
    }
    }
}

std::vector<CBarPlotView::Tick> CBarPlotView::valueTicks(const Layout& l) const {
    std::vector<Tick> ticks;
    if (mLogarithmic) {
        for (int k = l.logLow; k <= l.logHigh; ++k)
            ticks.push_back({static_cast<float>(k - l.logLow) * l.plotHeight / static_cast<float>(l.logHigh - l.logLow),
                             logTickLabel(k)});
        return ticks;
    }
    if (!(mMaximum_ > 0.0f)) return ticks;
    struct List {
        float above;
        std::vector<float> values;
    };
    static const List lists[] = {
        {80.0f, {0, 20, 40, 60, 80, 100}}, {60.0f, {0, 20, 40, 60, 80}}, {40.0f, {0, 15, 30, 45, 60}},
        {20.0f, {0, 10, 20, 30, 40}},      {10.0f, {0, 4, 8, 12, 16, 20}},
    };
    static const std::vector<float> smallest = {0, 2, 4, 6, 8, 10};
    const std::vector<float>* values = &smallest;
    for (const List& list : lists)
        if (mMaximum_ > list.above) {
            values = &list.values;
            break;
        }
    for (float v : *values) {
        if (v > mMaximum_) break;
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.1f", static_cast<double>(v));
        ticks.push_back({v * l.plotHeight / mMaximum_, buf});
    }
    return ticks;
}

// ---------------------------------------------------------------- drawing

void CBarPlotView::drawRect(Canvas& canvas) {
    const float x0 = mBounds.x, y0 = mBounds.y, W = mBounds.width, H = mBounds.height;
    canvas.setColor(Color::whiteColor());
    canvas.fillRect(mBounds);
    if (mValues.empty()) return;

    const Layout l = layout();
    // A view too small for its margins has no plot area to draw in.
    if (!(l.plotWidth > 0.0f) || !(l.plotHeight > 0.0f)) return;
    const float left = mMarginLeft_, bottom = mMarginBottom_;
    const float pw = l.plotWidth, ph = l.plotHeight, s = l.slotWidth, bw = l.barWidth;

    // Titles: x centred under the plot area, y reading upwards along the
    // value axis in the strip 5 to 5 + h from the left edge.
    if (mXLabel) {
        const PlotSize sz = canvas.measureText(mXLabel->text, mXLabel->font);
        canvas.drawText(mXLabel->text, mXLabel->font, {x0 + left + 40.0f + pw / 2.0f - sz.width / 2.0f, 5.0f},
                        mXLabel->color);
    }
    if (mYLabel) {
        const PlotSize sz = canvas.measureText(mYLabel->text, mYLabel->font);
        const float yc = y0 + bottom + ph / 2.0f;
        canvas.save();
        canvas.rotateByDegrees(90.0f);
        canvas.drawText(mYLabel->text, mYLabel->font, {yc - sz.width / 2.0f, -5.0f - sz.height}, mYLabel->color);
        canvas.restore();
    }

    // Category labels under their slots, skipping any closer than 25 points
    // to the last one drawn.
    {
        float xc = left + 40.0f + s / 2.0f, d = 31.0f;
        for (const std::string& label : mLabels) {
            if (d > 25.0f) {
                const PlotSize sz = canvas.measureText(label, mTicksAttributes);
                canvas.drawText(label, mTicksAttributes, {xc - sz.width / 2.0f, bottom - 18.0f},
                                Color::blackColor());
                d = 0.0f;
            }
            xc += s;
            d += s;
        }
    }

    Path axes, hGrid, vGrid;
    axes.moveTo({left + 35.0f, bottom});
    axes.lineTo({left + 35.0f, H - mMarginTop_ + 10.0f});
    axes.moveTo({left + 35.0f, bottom});
    axes.lineTo({W - mMarginRight_ + 5.0f, bottom});
    for (size_t i = 0; i <= mLabels.size(); ++i) {
        const float x = left + 40.0f + static_cast<float>(i) * s;
        axes.moveTo({x, bottom});
        axes.lineTo({x, bottom - 5.0f});
        if (mShowGrid) {
            vGrid.moveTo({x, bottom});
            vGrid.lineTo({x, H - mMarginTop_});
        }
    }
    for (const Tick& t : valueTicks(l)) {
        const float y = t.y + bottom;
        axes.moveTo({left + 30.0f, y});
        axes.lineTo({left + 35.0f, y});
        canvas.drawText(t.label, mTicksAttributes, {left, y}, Color::blackColor());
        if (mShowGrid) {
            hGrid.moveTo({left + 40.0f, y});
            hGrid.lineTo({W - mMarginRight_ + 5.0f, y});
        }
    }
    canvas.setColor(Color::blackColor());
    canvas.stroke(axes);
    if (mShowGrid) {
        canvas.setColor(Color::grayColor());
        canvas.stroke(hGrid);
        canvas.stroke(vGrid);
    }

    // The series, over the grid.
    Path line;
    bool started = false;
    for (size_t i = 0; i < mValues.size(); ++i) {
        const std::optional<float> h = valueHeight(l, mValues[i]);
        if (!h) continue;  // keeps its slot, draws nothing
        const float x = barLeft(l, i);
        if (mMode == kBars) {
            const PlotRect bar{x, bottom, bw, *h};
            canvas.setColor(Color::redColor());
            canvas.fillRect(bar);
            canvas.setColor(Color::blackColor());
            canvas.frameRect(bar);
            continue;
        }
        const PlotPoint p{x + bw / 2.0f, bottom + *h};
        if (started) line.lineTo(p);
        else line.moveTo(p);
        started = true;
        if (mMode == kLinesMarkers) {
            const Path marker = Path::oval({p.x - 5.0f, p.y - 5.0f, 10.0f, 10.0f});
            canvas.setColor(Color::whiteColor());
            canvas.fill(marker);
            canvas.setColor(Color::blueColor());
            canvas.stroke(marker);
        }
    }

    // Reference values of the categories that have one: black dots.
    if (!mReferenceLabels.empty()) {
        canvas.setColor(Color::blackColor());
        const size_t labelled = std::min(mValues.size(), mLabels.size());
        for (size_t i = 0; i < labelled; ++i) {
            const auto it = std::find(mReferenceLabels.begin(), mReferenceLabels.end(), mLabels[i]);
            if (it == mReferenceLabels.end()) continue;
            const size_t j = static_cast<size_t>(it - mReferenceLabels.begin());
            if (j >= mReferenceValues.size()) continue;
            const std::optional<float> h = valueHeight(l, mReferenceValues[j]);
            if (!h) continue;
            const float xc = slotCentre(l, i);
            canvas.fill(Path::oval({xc - 5.0f, bottom + *h - 5.0f, 10.0f, 10.0f}));
        }
    }

    if (mMode != kBars) {
        canvas.setColor(Color::blueColor());
        canvas.stroke(line);
    }
}
