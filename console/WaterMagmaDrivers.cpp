// Drivers of the cycle calculation: the P-T cycle with its recharge loop (the
// cooling magma heats one batch of fresh cold water after another), the
// recharge or fractionation loop behind every point of the E(m) diagram, and
// the sweep of the water-magma mass ratio.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "console/LogReport.h"
#include "console/WaterMagmaModel.h"
#include "console/Workers.h"
#include "platform/LogSink.h"
#include "platform/Process.h"
#include "platform/OutputFiles.h"
#include "platform/Progress.h"

namespace {

const char* const kRechargeHeader = "IGOR\nWAVES iter0, Te0, Q0, War0, Wmr0, Wcr0, Wai0, Wmi0, Wci0 \nBEGIN\n";
const char* const kRechargeRow = "%12d %12f %12f %12f %12f %12f %12f %12f %12f\n";

std::string rule64() {
    std::string s;
    for (int i = 0; i < 64; ++i) s += "\u23AF";
    return s;
}

double seconds(std::clock_t ticks) { return static_cast<double>(ticks) / CLOCKS_PER_SEC; }

void writeRechargeTable(const std::string& rows) {
    std::FILE* f = platform::openOutput("recharge", "w");
    if (!f) return;
    std::fputs(rows.c_str(), f);
    platform::closeOutput(f, "recharge");
}

}  // namespace

void WaterMagmaModel::drawWaterMagmaCycle(WaterMagmaCalculationInfo& info, char mode) {
    WaterMagmaCalculationResult r;
    r.T3 = 0.0;
    r.scriptFlag = mode;
    std::clock_t t0 = std::clock();
    // The first cycle refused is the failure of the option, said once.
    refusalIsFailure = true;
    refusalSaid = false;
    calculateWaterMagmaCycle(info, r, 1, 1);
    refusalIsFailure = false;
    std::clock_t t1 = std::clock();
    if (errorflag) {
        if (!refusalSaid) platform::diagf("Failure of the calculation !\n\n");
        return;
    }
    if (mode == 1) {
        if (info.heatingMode == 1)
            writeIgorScriptForWaterMagmaCycle1(r);
        else
            writeIgorScriptForWaterMagmaCycle(r);
    }
    double elapsed = seconds(t1 - t0);
    double Srev = r.Wrev, Sirr = r.Wirr;
    const double m = r.m;
    if (info.recharge == 1) {
        // At least the first cycle and one recharge are stored.
        const int maxR = info.maxRecharges < 1 ? 1 : info.maxRecharges;
        std::vector<double> Te(static_cast<std::size_t>(maxR) + 1), Wr(Te.size()), Wi(Te.size());
        std::FILE* f = platform::openOutput("recharge", "w");
        if (f) {
            std::fputs(kRechargeHeader, f);
            std::fprintf(f, kRechargeRow, 0, r.T3, r.Q, -r.Wrev, -r.Wrev * m, -r.Wrev * m, -r.Wirr, -r.Wirr * m,
                         -r.Wirr * m);
        }
        Te[0] = r.T3;
        Wr[0] = -r.Wrev * m;
        Wi[0] = -r.Wirr * m;
        int n = 1;
        platform::Progress bar("Recharge cycles", maxR);
        while (r.T3 > 373.15) {
            bar.update(n);
            info.Tm = r.T3;  // the magma has cooled to the last water temperature
            t0 = std::clock();
            calculateWaterMagmaCycle(info, r, 0, 0);
            elapsed += seconds(std::clock() - t0);
            if (errorflag) break;
            Srev += r.Wrev;
            Sirr += r.Wirr;
            if (n <= 99 && n < static_cast<int>(Te.size())) {
                Te[static_cast<std::size_t>(n)] = r.T3;
                Wr[static_cast<std::size_t>(n)] = -r.Wrev * m;
                Wi[static_cast<std::size_t>(n)] = -r.Wirr * m;
            }
            if (f)
                std::fprintf(f, kRechargeRow, n, r.T3, r.Q, -r.Wrev, -r.Wrev * m, -Srev * m, -r.Wirr, -r.Wirr * m,
                             -Sirr * m);
            ++n;
            if (n >= maxR) break;
        }
        if (f) {
            std::fputs("END\n", f);
            platform::closeOutput(f, "recharge");
        }
        std::printf("In the case of successive recharges of fresh and cold water with the cooling, but still hot, "
                    "magma\n");
        if (r.T3 > 373.15)
            std::printf("\tNumber of cycles        : more than %d \n", info.maxRecharges);
        else
            std::printf("\tNumber of cycles        : %4d \n", n);
        const int shown = std::min({n, 10, static_cast<int>(Te.size())});
        auto series = [&](const char* title, const std::vector<double>& v, double shift) {
            std::printf("%s", title);
            for (int i = 0; i < shown; ++i) {
                if (i == 0 || i == 5) std::printf("\n\t\t");
                std::printf("%6.2f ", v[static_cast<std::size_t>(i)] - shift);
            }
            std::printf("\n");
        };
        series("\tSuccessive magma temperatures (deg. C)                          :", Te, 273.15);
        series("\tSuccessive mechanical works (reversible isentropic, J/g magma)  :", Wr, 0.0);
        series("\tSuccessive mechanical works (irreversible adiabatic, J/g magma) :", Wi, 0.0);
        std::printf("\tTotal work (reversible, isentropic)  : %6.2f J/g water  => %6.2f J/g magma \n", -Srev / n,
                    -Srev * m);
        std::printf("\tTotal work (irreversible, adiabatic) : %6.2f J/g water  => %6.2f J/g magma \n", -Sirr / n,
                    -Sirr * m);
    }
    std::printf("\nFor one Mton of magma, the eruption energy is %6.2f kton of TNT (reversible, isentropic).\n",
                -Srev * m / 4.68);
    std::printf("For one Mton of magma, the eruption energy is %6.2f kton of TNT (irreversible, adiabatic).\n\n",
                -Sirr * m / 4.68);
    platform::tracef("\nCalculation Time %lf seconds \n\n", elapsed);
    if (mode == 1) platform::openWithViewer("igor0.itx");
}

void WaterMagmaModel::calculateWaterMagmaCycleWithRecharge(WaterMagmaCalculationInfo& info,
                                                           WaterMagmaCalculationResult& r, char writeCurves,
                                                           char report) {
    const double mKept = info.m, TmKept = info.Tm;
    if (info.fractionation == 1) {
        // Each fraction of the water is a separate batch; a count below 1 is one batch.
        if (info.fractionationCount < 1) info.fractionationCount = 1;
        info.m /= info.fractionationCount;
    }
    r.saturationFailed = 0;
    r.T3 = 0.0;
    calculateWaterMagmaCycle(info, r, writeCurves, report);
    r.magmaCoolingFraction = (r.T3 - r.Tm) / (r.TsatRef - r.Tm);
    if (errorflag) {
        info.m = mKept;  // the caller's record is left as it was found, failure or not
        return;
    }
    double Sq = r.Q, Srev = r.Wrev, Sirr = r.Wirr;
    r.WrevTotal = Srev;
    r.WirrTotal = Sirr;
    r.QTotal = Sq;
    r.cycleCount = 1;
    if (info.recharge != 1 && info.fractionation != 1) return;

    const WaterMagmaCalculationResult first = r;
    const double m = r.m;
    const bool toLog = r.scriptFlag == 6 && report;
    // The Igor table of the cycles ("recharge"), written at the end.
    const bool table = !toLog && r.scriptFlag == 1;
    std::string rows;
    using logreport::format;
    if (toLog) {
        if (info.recharge == 1)
            logreport::rtfBlock("\\par \\ul\\b In the case of successive recharges of fresh and cold water with the "
                                "cooling, but still hot, magma (open system): \\b0\\ulnone\\par\\par");
        else
            logreport::rtfBlock("\\par \\ul\\b In the case of fractionated recharges of fresh and cold water with the "
                                "cooling, but still hot, magma (closed system): \\b0\\ulnone\\par\\par");
        logreport::line(rule64());
        logreport::line(format("%5s %12s %12s %12s %12s %12s %12s %12s %12s", "Cycle", "T3", "Q", "Wrev", "Wrev",
                               "Wrev cum.", "Wirr", "Wirr", "Wirr cum."));
        logreport::line(format("%5s %s %12s %12s %12s %12s %12s %12s %12s", "", "        (°C)", "(J/g H2O)",
                               "(J/g H2O)", "(J/g magma)", "(J/g magma)", "(J/g H2O)", "(J/g magma)", "(J/g magma)"));
        logreport::line(rule64());
        logreport::line(format("%5d %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f", 1, r.T3 - 273.15, r.Q,
                               -r.Wrev, -r.Wrev * m, -r.Wrev * m, -r.Wirr, -r.Wirr * m, -r.Wirr * m));
    } else if (table) {
        rows = kRechargeHeader + format(kRechargeRow, 1, r.T3, r.Q, -r.Wrev, -r.Wrev * m, -r.Wrev * m, -r.Wirr,
                                        -r.Wirr * m, -r.Wirr * m);
    }
    int n = 2;
    while (r.T3 > r.TsatRef) {
        if (info.recharge == 1) {
            if (n > info.maxRecharges) break;
        } else if (n > info.fractionationCount) {
            break;
        }
        info.Tm = r.T3;
        loopCycle = logreport::format("cycle %d of the %s loop, the magma at %.2f K: ", n,
                                      info.recharge == 1 ? "recharge" : "fractionation", info.Tm);
        calculateWaterMagmaCycle(info, r, 0, 0);
        loopCycle.clear();
        if (cycleDone) cycleDone();
        if (errorflag) break;
        Srev += r.Wrev;
        Sirr += r.Wirr;
        Sq += r.Q;
        if (toLog)
            logreport::line(format("%5d %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f", n, r.T3 - 273.15,
                                   r.Q, -r.Wrev, -r.Wrev * m, -Srev * m, -r.Wirr, -r.Wirr * m, -Sirr * m));
        else if (table)
            rows += format(kRechargeRow, n, r.T3, r.Q, -r.Wrev, -r.Wrev * m, -Srev * m, -r.Wirr, -r.Wirr * m,
                           -Sirr * m);
        ++n;
    }
    r.magmaCoolingFraction = r.T3 < r.TsatRef ? 1.0 : (r.T3 - r.Tm) / (r.TsatRef - r.Tm);
    const int count = n - 1;
    if (table) {
        rows += "END\n";
        if (keepRechargeTable)
            rechargeTable = std::move(rows);
        else
            writeRechargeTable(rows);
    }
    if (toLog) {
        logreport::line(rule64(), 2);
        if (info.recharge == 1) {
            if (r.T3 > r.TsatRef)
                logreport::line(format("\tNumber of cycles                                     : more than %d ",
                                       info.maxRecharges));
            else
                logreport::line(format("\tNumber of cycles                                     : %4d ", count));
        } else if (r.T3 > r.TsatRef) {
            logreport::line(format("\tNumber of cycles                                     : %d (but the magma is "
                                   "still hot at a temperature of %.2f°C)",
                                   info.fractionationCount, peakTemperature - 273.15));
        } else {
            logreport::line(format("\tNumber of cycles                                     : %4d", count));
        }
        logreport::rtfBlock(format("     Total work (reversible, isentropic)                  : %6.2f J/g water (mean "
                                   "value) => \\cf2\\b %6.2f J/g magma \\b0 \\cf0 \\par",
                                   -Srev / count, -Srev * m) +
                            format("     Total work (irreversible, adiabatic)                 : %6.2f J/g water (mean "
                                   "value) => \\cf3\\b %6.2f J/g magma \\b0 \\cf0 \\par",
                                   -Sirr / count, -Sirr * m));
        if (info.recharge == 1) {
            logreport::line(format("\tEnhancement factor (reversible, isentropic)          : %6.2f", Srev / first.Wrev));
            logreport::line(format("\tEnhancement factor (irreversible, adiabatic)         : %6.2f", Sirr / first.Wirr),
                            3);
        }
    }
    // The first cycle's outputs with the loop's totals.
    const double cooling = r.magmaCoolingFraction;
    std::vector<double> iso = std::move(r.isentropeArray), dec = std::move(r.decompressionArray),
                        isoc = std::move(r.isochoreArray);
    r = first;
    r.isentropeArray = std::move(iso);
    r.decompressionArray = std::move(dec);
    r.isochoreArray = std::move(isoc);
    r.magmaCoolingFraction = cooling;
    r.WrevTotal = Srev;
    r.WirrTotal = Sirr;
    r.QTotal = Sq;
    r.cycleCount = count;
    info.Tm = TmKept;
    info.m = mKept;
}

void WaterMagmaModel::appendEnergyDiagramPoint(const WaterMagmaCalculationResult& r, std::vector<double>& a) {
    const double m = r.m;
    const double v[31] = {m,
                          r.Q,
                          r.T3,
                          -r.Wrev * m,
                          -r.Wrev,
                          -r.Wirr * m,
                          -r.Wirr,
                          -r.WrevP * m,
                          -r.WrevP,
                          -r.WirrP * m,
                          -r.WirrP,
                          r.steamMassFraction5,
                          r.steamVolumeFraction5,
                          r.steamMassFraction5irr,
                          r.steamVolumeFraction5irr,
                          r.steamMassFraction5p,
                          r.steamVolumeFraction5p,
                          r.steamMassFraction5irrP,
                          r.steamVolumeFraction5irrP,
                          r.Qp,
                          r.T5,
                          r.T5irr,
                          r.T5p,
                          r.T5irrP,
                          -r.WrevTotal,
                          -r.WirrTotal,
                          r.QTotal,
                          r.cycleCount,
                          r.T4,
                          r.T4p,
                          r.magmaCoolingFraction};
    a.insert(a.end(), v, v + 31);
}

int WaterMagmaModel::calculateEnergyDiagramPoint(double m_, WaterMagmaCalculationInfo& info,
                                                 WaterMagmaCalculationResult& r, std::vector<double>* array) {
    info.m = m_;
    calculateWaterMagmaCycleWithRecharge(info, r, 0, 0);
    if (errorflag || r.saturationFailed) return 0;
    if (r.scriptFlag == 6 && array) appendEnergyDiagramPoint(r, *array);
    else if (r.scriptFlag == 1) writeDataIgorFileForWaterMagmaDiagram(r.diagramFile, info, r);
    return 1;
}

namespace {

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
    bool done = false, found = false;
    WaterMagmaCalculationInfo info;
    WaterMagmaCalculationResult r;
    std::vector<platform::ThreadLogCapture::Entry> log;
    long peakNote = -1;  // the entry of log that notes an extrapolated peak
    std::string rechargeTable;  // its table of recharge cycles, if it made one
};

// The points of the E(m) diagram left out, said once for each run of
// consecutive points refused for the same cause ("Refused from m = 5.45 to
// 7 (32 points): ..."), not once per point.
class RefusedPoints {
public:
    // Takes the refusal ("Refused at m = ...: cause") out of a point's log;
    // false when the point has none.
    bool take(std::vector<platform::ThreadLogCapture::Entry>& log, double m) {
        static const std::string kHead = "Refused at m = ";
        for (auto it = log.begin(); it != log.end(); ++it) {
            if (it->channel != platform::ThreadLogCapture::Channel::Diagnostic || it->text.rfind(kHead, 0) != 0)
                continue;
            const std::size_t colon = it->text.find(": ");
            std::string cause = colon == std::string::npos ? it->text : it->text.substr(colon + 2);
            log.erase(it);
            add(m, std::move(cause));
            return true;
        }
        return false;
    }
    // True when the run so far holds all `total` points: its cause, for the
    // failure of the whole diagram, goes to `cause`, and the run is said.
    bool holdsAll(std::size_t total, std::string& cause) {
        if (count_ == 0 || count_ != total) return false;
        cause = (same_ ? "" : "(the figures are those at m = " + shortNumber(first_) + ") ") + cause_;
        count_ = 0;
        return true;
    }
    // Says the run so far (before a point that was found, and at the end).
    void flush() {
        if (count_ == 0) return;
        if (count_ == 1)
            platform::warnf("Refused at m = %g: %s", first_, cause_.c_str());
        else
            platform::warnf("Refused from m = %g to %g (%zu points): %s%s", first_, last_, count_,
                            same_ ? "" : ("(the figures are those at m = " + shortNumber(first_) + ") ").c_str(),
                            cause_.c_str());
        count_ = 0;
    }

private:
    static std::string shortNumber(double v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", v);
        return buf;
    }
    // The cause without its figures: causes that differ only in them are one.
    static std::string kind(const std::string& cause) {
        std::string k;
        for (char c : cause)
            if (!(c >= '0' && c <= '9') && c != '.' && c != '-' && c != '+') k += c;
        return k;
    }
    void add(double m, std::string cause) {
        if (count_ > 0 && kind(cause) != kind(cause_)) flush();
        if (count_ == 0) {
            first_ = m;
            cause_ = std::move(cause);
            same_ = true;
        } else {
            same_ = same_ && cause == cause_;
        }
        last_ = m;
        ++count_;
    }
    std::size_t count_ = 0;
    double first_ = 0.0, last_ = 0.0;
    std::string cause_;
    bool same_ = true;
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
    // Every point is a cycle of its own from the water at depth, on the
    // model and the result as the points before left them: some of its
    // searches start from what those ended on (where the pyroclast-heated
    // path meets the saturation curve close to the critical point, to the
    // last digits of the works, over up to about eight points).  The grid is
    // cut into one run of consecutive points per worker, each on a new model
    // that first computes the kLeadIn points before the run, so that every
    // point starts from the state it starts from in a run of the whole grid
    // on one model; the rows and reports are written in the grid's order.
    constexpr std::size_t kLeadIn = 8;
    std::vector<EnergyDiagramPoint> out(grid.size());
    std::atomic<long> cycles{0};
    auto point = [&](WaterMagmaModel& w, WaterMagmaCalculationResult& r, std::size_t i, EnergyDiagramPoint& p) {
        w.keepRechargeTable = true;  // each point's table of cycles replaces the one before: the last is written
        w.rechargeTable.clear();
        w.peakExtrapolationNoted = false;  // said at most once by the whole diagram, below
        w.errorflag = 0;
        p.info = info;
        p.info.m = grid[i];
        w.calculateWaterMagmaCycleWithRecharge(p.info, r, 0, 0);
        p.found = w.errorflag == 0 && r.saturationFailed == 0;
        p.r = r;
        p.r.isentropeArray.clear();
        p.r.decompressionArray.clear();
        p.r.isochoreArray.clear();
        p.rechargeTable = std::move(w.rechargeTable);
        p.peakNote = w.peakNoteEntry;
        w.peakNoteEntry = -1;
        w.errorflag = 0;
    };
    // (A heating-decompression path's states 4 and 5 are its own, none kept
    // from the batches or points before it: pyroclast-heated fractionated
    // diagrams are split as the others.)
    const std::size_t count = workers::count(grid.size());
    const std::size_t runs = count;
    // The work is the grid's points and the runs' lead-in points.
    std::size_t points = grid.size();
    for (std::size_t k = 0; k < runs; ++k) points += std::min(grid.size() * k / runs, kLeadIn);
    if (progress) sayALongDiagram(info, grid.size(), perPoint);
    std::optional<platform::Progress> bar;
    if (progress)
        bar.emplace(perPoint > 1 ? "Calculate for water mass (cycles)" : "Calculate for water mass",
                    static_cast<double>(points) * static_cast<double>(perPoint));
    std::atomic<std::size_t> nextRun{0};
    auto work = [&](bool reports) {
        platform::ThreadLogCapture capture;
        for (std::size_t k = nextRun++; k < runs; k = nextRun++) {
            const std::size_t from = grid.size() * k / runs, to = grid.size() * (k + 1) / runs;
            WaterMagmaModel w;
            WaterMagmaCalculationResult r;  // carried from point to point, as the model is
            r.scriptFlag = mode;
            long ran = 0;  // cycles of the point in hand
            double shown = grid[from];
            w.cycleDone = [&] {
                ++ran;
                const long c = ++cycles;
                if (reports && bar)
                    bar->update(static_cast<double>(c), logreport::format("m = %g, cycle %ld of at most %ld", shown, ran,
                                                                          perPoint));
            };
            // Each point adds its first cycle, and the cycles its loop did
            // not run (ended early: the magma cooled, or a cycle refused).
            auto pointDone = [&](double m) {
                const long c = cycles += std::max(1L, perPoint - ran + 1);
                if (reports && bar) bar->update(static_cast<double>(c), m);
            };
            for (std::size_t i = from > kLeadIn ? from - kLeadIn : 0; i < from; ++i) {
                EnergyDiagramPoint before;
                ran = 1;
                shown = grid[i];
                point(w, r, i, before);
                capture.take();
                pointDone(grid[i]);
            }
            for (std::size_t i = from; i < to; ++i) {
                EnergyDiagramPoint& p = out[i];
                ran = 1;
                shown = grid[i];
                point(w, r, i, p);
                p.log = capture.take();
                p.done = true;
                pointDone(grid[i]);
            }
            w.cycleDone = nullptr;
        }
    };
    workers::run(static_cast<unsigned>(count), [&](unsigned i) { work(i == 0); });

    const std::string* rechargeTable = nullptr;
    std::size_t found = 0;
    RefusedPoints refused;
    for (EnergyDiagramPoint& p : out) {
        if (!p.done) continue;
        if (!p.rechargeTable.empty()) rechargeTable = &p.rechargeTable;
        // The note on an extrapolated peak is given once, by the first point
        // that has one.
        if (p.peakNote >= 0 && peakExtrapolationNoted)
            p.log.erase(p.log.begin() + p.peakNote);
        else if (p.peakNote >= 0)
            peakExtrapolationNoted = true;
        if (p.found || !refused.take(p.log, p.info.m)) refused.flush();
        platform::ThreadLogCapture::replay(p.log);
        info = p.info;  // the inputs as the point left them (its mass ratio)
        if (!p.found) continue;  // a failed point is skipped and the sweep goes on
        ++found;
        if (mode == 1)
            writeDataIgorFileForWaterMagmaDiagram(file, p.info, p.r);
        else if (mode == 6 && array)
            appendEnergyDiagramPoint(p.r, *array);
    }
    errorflag = 0;
    // A diagram none of whose points was found is a failure, not an empty
    // plot: said once, with the cause when every point had the same.
    std::string cause;
    if (found == 0 && refused.holdsAll(grid.size(), cause)) {
        platform::diagf("No point of the E(m) diagram was found between m = %g and %g: every point was refused: %s",
                        mMin, mMax, cause.c_str());
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
