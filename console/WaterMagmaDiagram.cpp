// The E(m) diagram: the sweep of the water-magma mass ratio, each ratio a
// cycle (with its recharge or fractionation loop) of its own.
//
// The points are independent: each is computed on a model and a result
// record of its own, from the same start whatever ran before it, so that
// the diagram holds the same bits on any number of worker threads.  The
// workers take the ratios in the grid's order; the calling thread writes
// each row as soon as it and every row before it are done, so that an
// interrupted diagram keeps its rows up to the first ratio not yet done.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "console/LogReport.h"
#include "console/WaterMagmaModel.h"
#include "console/Workers.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"
#include "platform/Process.h"
#include "platform/Progress.h"

namespace {

using Entry = platform::ThreadLogCapture::Entry;
using Channel = platform::ThreadLogCapture::Channel;

const char* const kRefusedHead = "Refused at m = ";

// The grid of water:magma mass ratios of the E(m) diagram between mMin and
// mMax: 0.001 to 0.01 by 0.001, 0.02 to 2 by 0.01, 2.05 on by 0.05.
std::vector<double> energyDiagramGrid(double mMin, double mMax) {
    struct Segment {
        double start, step, end;
    };
    const Segment seg[3] = {{0.001, 0.001, 0.011}, {0.02, 0.01, 2.01}, {2.05, 0.05, std::max(7.05, mMax)}};
    std::vector<double> grid;
    double m = 0.001;
    int k = 0;
    while (m < seg[k].end) {
        m = std::max(mMin, m);
        if (m > mMax + 1e-9) break;  // the grid accumulates rounding
        grid.push_back(m);
        m += seg[k].step;
        if (std::fabs(m - seg[k].end) < 1e-8 && k < 2) {
            ++k;
            m = seg[k].start;
        }
    }
    return grid;
}

// One point of the E(m) diagram as a worker computed it: its inputs and
// results, and what it logged, to be written and replayed in grid order.
struct EnergyDiagramPoint {
    bool found = false;
    WaterMagmaCalculationInfo info;
    WaterMagmaCalculationResult r;
    std::vector<Entry> log;
    long peakNote = -1;         // the entry of log that notes an extrapolated peak
    std::string rechargeTable;  // its table of recharge cycles, if it made one
};

std::string shortNumber(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

// A point left out is said as a refusal, its reason what it said: the
// refusal of its cycle, else what its failed search said as a failure (the
// sweep goes on, and its rows are kept), else that no end state was found.
void sayFailureAsRefusal(EnergyDiagramPoint& p) {
    bool refused = false;
    for (const Entry& e : p.log)
        refused = refused || (e.channel == Channel::Diagnostic && e.text.rfind(kRefusedHead, 0) == 0);
    std::string cause;
    for (auto it = p.log.begin(); it != p.log.end();) {
        if (it->channel != Channel::Failure) {
            ++it;
            continue;
        }
        if (cause.empty()) cause = it->text;
        it = p.log.erase(it);
    }
    if (refused) return;
    while (!cause.empty() && (cause.back() == '\n' || cause.back() == ' ')) cause.pop_back();
    if (cause.empty()) cause = "no end state of its cycle was found.";
    if (cause.back() != '.') cause += '.';
    p.log.push_back({Channel::Diagnostic, kRefusedHead + shortNumber(p.info.m) + ": " + cause + "\n"});
}

// The points of the E(m) diagram left out, said in one sentence for each
// run of consecutive points refused ("Refused from m = 5.45 to 7 (32
// points): ..."), with the ratios refused for each cause where they differ.
class RefusedPoints {
public:
    // Takes the refusal ("Refused at m = ...: cause") out of a point's log;
    // false when the point has none.
    bool take(std::vector<Entry>& log, double m, std::size_t index) {
        for (auto it = log.begin(); it != log.end(); ++it) {
            if (it->channel != Channel::Diagnostic || it->text.rfind(kRefusedHead, 0) != 0) continue;
            const std::size_t colon = it->text.find(": ");
            std::string cause = colon == std::string::npos ? it->text : it->text.substr(colon + 2);
            log.erase(it);
            add(m, index, std::move(cause));
            return true;
        }
        return false;
    }
    std::size_t total() const { return total_; }
    // The run so far as the end of a sentence ("from m = ... (n points):
    // cause"), the run forgotten; empty when there is none.
    std::string describe() {
        if (points_.empty()) return {};
        std::string s;
        if (points_.size() == 1) {
            s = "at m = " + shortNumber(points_[0].m) + ": " + causes_[0].cause;
        } else {
            s = "from m = " + shortNumber(points_.front().m) + " to " + shortNumber(points_.back().m) + " (" +
                std::to_string(points_.size()) + " points): ";
            if (causes_.size() == 1) {
                s += (causes_[0].same ? "" : "(the figures are those at m = " + shortNumber(causes_[0].firstM) + ") ") +
                     causes_[0].cause;
            } else {
                for (std::size_t k = 0; k < causes_.size(); ++k) {
                    const Cause& c = causes_[k];
                    s += (k == 0 ? "" : "; ") + std::to_string(c.count) + " of them (m = " + ratios(k) + ")" +
                         (c.count > 1 ? ", with the figures of m = " + shortNumber(c.firstM) : std::string()) + ", " +
                         trimmed(c.cause);
                }
                s += ".\n";
            }
        }
        points_.clear();
        causes_.clear();
        return s;
    }
    // Says the run so far (before a point that was found, and at the end).
    void flush() {
        const std::string s = describe();
        if (!s.empty()) platform::warnf("Refused %s", s.c_str());
    }

private:
    struct Point {
        double m;
        std::size_t index, cause;
    };
    struct Cause {
        std::string cause, kind;
        double firstM;
        std::size_t count;
        bool same;
    };
    // The cause without its figures: causes that differ only in them are one.
    static std::string kind(const std::string& cause) {
        std::string k;
        for (char c : cause)
            if (!(c >= '0' && c <= '9') && c != '.' && c != '-' && c != '+') k += c;
        return k;
    }
    // The cause as a clause of the sentence: its capital dropped, its end too.
    static std::string trimmed(std::string s) {
        while (!s.empty() && (s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
        if (s.size() > 1 && std::isupper(static_cast<unsigned char>(s[0])) &&
            std::islower(static_cast<unsigned char>(s[1])))
            s[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[0])));
        return s;
    }
    // The ratios refused for cause k, runs of neighbours in the grid as "a to b".
    std::string ratios(std::size_t k) const {
        std::string s;
        for (std::size_t i = 0; i < points_.size();) {
            if (points_[i].cause != k) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j + 1 < points_.size() && points_[j + 1].cause == k && points_[j + 1].index == points_[j].index + 1)
                ++j;
            if (!s.empty()) s += ", ";
            s += shortNumber(points_[i].m) + (j > i ? " to " + shortNumber(points_[j].m) : std::string());
            i = j + 1;
        }
        return s;
    }
    void add(double m, std::size_t index, std::string cause) {
        ++total_;
        const std::string k = kind(cause);
        std::size_t c = 0;
        while (c < causes_.size() && causes_[c].kind != k) ++c;
        if (c == causes_.size()) {
            causes_.push_back({cause, k, m, 0, true});
        } else {
            causes_[c].same = causes_[c].same && cause == causes_[c].cause;
        }
        ++causes_[c].count;
        points_.push_back({m, index, c});
    }
    std::vector<Point> points_;
    std::vector<Cause> causes_;
    std::size_t total_ = 0;
};

// The count of cycles from which an E(m) diagram says it is a long run.
constexpr long kLongDiagramCycles = 20000;

// The cycles a point of the E(m) diagram runs at the most: one for the
// first and one for each batch or recharge after it.
long cyclesPerPoint(const WaterMagmaCalculationInfo& info) {
    if (info.fractionation == 1) return std::max(1, info.fractionationCount);
    return info.recharge == 1 ? std::max(1, info.maxRecharges) : 1;
}

// A diagram of many cycles a point is a long run: said at its start, also
// where no bar is drawn (standard error not a terminal).
void sayALongDiagram(const WaterMagmaCalculationInfo& info, std::size_t points, long perPoint) {
    const long most = static_cast<long>(points) * perPoint;
    if (most < kLongDiagramCycles) return;
    platform::warnf("The E(m) diagram computes %zu water-magma ratios of up to %ld %s cycles each (%ld cycles at the "
                    "most%s): a long run.\n",
                    points, perPoint, info.fractionation == 1 ? "fractionation" : "recharge", most,
                    info.pyroclastHeated == 1 ? ", each with its pyroclast-heated decompression path" : "");
}

}  // namespace

void WaterMagmaModel::drawWaterMagmaDiagram(WaterMagmaCalculationInfo& info, char mode, char progress,
                                            std::vector<double>* array, double mMin, double mMax) {
    std::FILE* file = mode == 1 ? produceHeaderIgorFileForWaterMagmaDiagram(info) : nullptr;
    const std::vector<double> grid = energyDiagramGrid(mMin, mMax);
    // The progress is counted in cycles, so that a diagram of many batches
    // or recharges a point moves from its first point on.
    const long perPoint = cyclesPerPoint(info);
    if (progress) sayALongDiagram(info, grid.size(), perPoint);
    std::optional<platform::Progress> bar;
    if (progress)
        bar.emplace(perPoint > 1 ? "Calculate for water mass (cycles)" : "Calculate for water mass",
                    static_cast<double>(grid.size()) * static_cast<double>(perPoint));
    std::vector<EnergyDiagramPoint> points(grid.size());
    std::atomic<long> cycles{0};
    const WaterMagmaCalculationInfo inputs = info;
    // One point on a model and a result record of its own.
    auto compute = [&](std::size_t i, EnergyDiagramPoint& p) {
        WaterMagmaModel w;
        WaterMagmaCalculationResult r;
        r.scriptFlag = mode;
        w.keepRechargeTable = true;  // each point's table of cycles replaces the one before: the last is written
        long ran = 1;
        w.cycleDone = [&] {
            ++ran;
            ++cycles;
        };
        p.info = inputs;
        p.info.m = grid[i];
        w.calculateWaterMagmaCycleWithRecharge(p.info, r, 0, 0);
        w.cycleDone = nullptr;
        // The first cycle, and the cycles the loop did not run (it ended
        // early: the magma cooled, or a cycle was refused).
        cycles += std::max(1L, perPoint - ran + 1);
        p.found = w.errorflag == 0 && r.saturationFailed == 0;
        p.r = r;
        p.r.isentropeArray.clear();
        p.r.decompressionArray.clear();
        p.r.isochoreArray.clear();
        p.rechargeTable = std::move(w.rechargeTable);
        p.peakNote = w.peakNoteEntry;
    };
    // The workers take the ratios in the grid's order; the calling thread
    // writes each row as soon as it and every row before it are done.
    auto computeAndSay = [&](std::size_t i, platform::ThreadLogCapture& capture) {
        EnergyDiagramPoint& p = points[i];
        compute(i, p);
        p.log = capture.take();
        if (!p.found) sayFailureAsRefusal(p);
    };
    const unsigned count = workers::count(grid.size(), diagramWorkers);
    const std::string* rechargeTable = nullptr;
    std::size_t found = 0;
    RefusedPoints refused;
    auto showProgress = [&](std::size_t i) {
        if (bar) bar->update(static_cast<double>(cycles.load()), grid[i]);
    };
    auto writeRow = [&](std::size_t i) {
        EnergyDiagramPoint& p = points[i];
        if (!p.rechargeTable.empty()) rechargeTable = &p.rechargeTable;
        // The note on an extrapolated peak is given once, by the first point
        // that has one.
        if (p.peakNote >= 0 && peakExtrapolationNoted)
            p.log.erase(p.log.begin() + p.peakNote);
        else if (p.peakNote >= 0)
            peakExtrapolationNoted = true;
        if (p.found || !refused.take(p.log, p.info.m, i)) refused.flush();
        platform::ThreadLogCapture::replay(p.log);
        info = p.info;  // the inputs as the point left them (its mass ratio)
        if (p.found) {
            ++found;
            if (mode == 1 && file) {
                // Each row goes out whole as soon as it is done.
                writeDataIgorFileForWaterMagmaDiagram(file, p.info, p.r);
                std::fflush(file);
            } else if (mode == 6 && array) {
                appendEnergyDiagramPoint(p.r, *array);
            }
        }
        p.log.clear();
        showProgress(i);
    };
    workers::inOrder(grid.size(), count, computeAndSay, writeRow, showProgress);
    errorflag = 0;
    // A diagram none of whose points was found is a failure, not an empty
    // plot: said once, with the causes.
    if (found == 0 && refused.total() == grid.size()) {
        platform::diagf("No point of the E(m) diagram was found between m = %g and %g: every point was refused %s",
                        mMin, mMax, refused.describe().c_str());
        errorflag = 1;
    } else {
        refused.flush();
        if (found == 0) {
            platform::diagf("No point of the E(m) diagram was found between m = %g and %g.\n", mMin, mMax);
            errorflag = 1;
        }
    }
    if (rechargeTable) writeRechargeTable(*rechargeTable);
    if (file) {
        std::fputs("END\n", file);
        platform::closeOutput(file, std::string("wm") + info.suffix);
    }
    if (bar) bar->finish();
    if (mode == 1) {
        writeIgorScriptForWaterMagmaDiagram(static_cast<char>(info.pyroclastHeated), static_cast<char>(info.recharge),
                                            info.suffix);
        platform::openWithViewer("igor1.itx");
    }
}
