// Wohletz and phreatic cycle tables: water under a water column (state 2)
// heated at constant volume by magma in steps of 1 K (state 3), the
// water:magma mass ratio that supplies the heat (a magma heat capacity of
// 1200 J/(kg K)), the expansion to 1 bar (state 4 on the saturation curve,
// state 5 at 1 bar) with its works and efficiencies, and the irreversible
// expansion against 1 bar.  Works are U(end) - U(start) per mole (negative
// when the water does work); q is the heat taken up by the water.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "console/WaterStudyModel.h"
#include "console/Workers.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"
#include "platform/Progress.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMagmaCp = 1200.0;  // J/(kg K)
constexpr int kColumns = 23;

const char* const kHeader[] = {"deltaT(1)", "p3(2)",    "t3(3)",    "s3(4))",    "p4(5)",     "t4(6)",
                               "t5(7)",     "w4(8)",    "w5(9)",    "w(10)",     "q(11)",     "eta(12)",
                               "etamax(13)", "fl(14)",  "R(15)",    "em(16)",    "ew(17)",    "wirr(18)",
                               "tirr(19)",  "virr(20)", "firr(21)", "wirr2(22)", "code(22)",  "wir(23)"};
const char* const kWaves[] = {"deltaT", "p3", "t3", "s3", "p4", "t4", "t5",   "w4",    "w5",    "w",    "q",    "eta",
                              "etamax", "fl", "R",  "em", "ew", "wirr", "tirr", "virr", "firr", "wirr2", "code", "wir"};

void writeRow(std::FILE* f, const double* v, int n, const char* sep) {
    for (int i = 0; i < n; ++i) {
        if (i) std::fputs(sep, f);
        if (std::isnan(v[i])) std::fprintf(f, "%12s", "nan");
        else if (i == 3 || i == 13 || i == 14 || i == 20) std::fprintf(f, "%12.6lf", v[i]);
        else std::fprintf(f, "%12.2f", v[i]);
    }
    std::fputs("\n", f);
}


// The heating-decompression part of one step of a table (kind 0): the path
// from state 3 down to the saturation curve (state 4) or to 1 bar, and from
// state 4 on the saturation curve down to the boiling point at 1 bar.  The
// steps are independent of one another, so that each runs on a model of its
// own, on any thread; what the step prints is kept in `text`, for the table
// to print in the order of its rows.
struct PathStep {
    std::string text;
    double code = 0.0;  // added to the row's code
    double p4 = kNaN, t4 = kNaN, t5 = kNaN, w4 = kNaN, w5 = kNaN, wt = kNaN, fl = kNaN;
    double heat = 0.0;  // added to q
    bool ran = false;   // the step reached the path (state 3 found)
    bool skip = false;  // the isentropic step found no saturated state 4: no row
    std::vector<platform::ThreadLogCapture::Entry> log;  // what the step reported
};

#pragma GCC diagnostic push
// The format is the caller's (a literal there); a format without arguments is
// no less safe than one with them.
#pragma GCC diagnostic ignored "-Wformat-security"
template <class... A>
void say(std::string& text, const char* format, A... args) {
    char line[512];
    const int n = std::snprintf(line, sizeof line, format, args...);
    if (n > 0) text.append(line, static_cast<std::size_t>(n) < sizeof line ? static_cast<std::size_t>(n) : sizeof line - 1);
}
#pragma GCC diagnostic pop

void heatingDecompressionStep(WaterStudyModel& w, double T3, double V2, double m, PathStep& r) {
    const double M = w.molarMass();
    std::string& text = r.text;
    r.ran = true;
    w.calculateHeatingDecompressionPath1("isoh", T3, V2, m, false);
    w.errorflag = 0;
    if (w.decompressionSaturationFlag == 1) {
        r.t4 = w.decompressionT4;
        r.p4 = w.decompressionP4 * 1e-5;
        r.w4 = w.decompressionWork4;
        say(text, "\nT4 : %.2f K V4 %.2f cm3/mol\tPh    : %.2f bar\n", r.t4, w.decompressionV4 * 1e6, r.p4);
        r.code += 20.0;
    } else {
        r.code += 10.0;
    }
    if (w.decompressionSaturationFlag == 1) {
        // From the saturation curve the fragments go on heating the
        // liquid-steam mixture down to the boiling point at 1 bar.
        w.temperature(r.t4);
        w.volume(w.decompressionV4);
        w.calculate_state_functions();
        WaterMagmaCalculationResult path;
        w.calculateHeatingDecompressionPath2(nullptr, r.t4, w.S, 373.15, path);
        w.errorflag = 0;
        const double S5 = w.S;
        r.fl = w.calculateIsentropicVaporization(S5);
        if (!std::isfinite(path.pathWork)) {
            // The saturation curve cannot be followed down from state 4 (at
            // the critical point): no end state.
            r.fl = kNaN;
        } else if (!(r.fl > 0.0)) {
            // The fragments dry the mixture out: the steam leaves the
            // two-phase region, where this path does not hold.
            say(text, "Superheated vapor %lf\n", r.t4);
            r.fl = 0.0;
            r.code += 10.0;
        } else {
            r.fl = r.fl > 1.0 ? 1.0 : r.fl;
            r.t5 = 373.15;
            r.w5 = path.pathWork * M * 1000.0;
            r.wt = r.w4 + r.w5;
            r.heat = w.decompressionHeat4 + path.pathHeat * M * 1000.0;
            say(text, "\nT5 %12.2f P5 %12.2f S5 %12.2f\n", r.t5, 1.0, S5);
            say(text, "\ts5  %12.2f J/mol\n", S5);
        }
    } else if (w.decompressionEndFlag == 1) {
        r.t5 = w.decompressionT5;
        const double V5 = w.decompressionV5;
        w.temperature(r.t5);
        w.volume(V5);
        w.calculate_state_functions();
        say(text, "\nT5 : %.2f K V5 %.2f cm3/mol\tP5    : %.2f bar   S5  : %.2f  \n", r.t5, V5 * 1e6,
            w.decompressionP5 * 1e-5, w.S);
        // Liquid fraction at 1 bar by the lever rule in volume.
        double x = (0.0297719 - V5) / (0.0297719 - 1.83031e-05);
        if (V5 > 0.0297719 || r.t5 > 373.15) {
            say(text, "Superheated vapor %lf\n", r.t5);
            const double S5 = w.S;
            w.calculate_isentropic_point_at_fixed_P(1.0, S5, r.t5, V5);
            w.errorflag = 0;
            x = 0.0;
        }
        r.fl = x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x);
        say(text, "\nT5 %12.2f P5 %12.2f S5 %12.2f\n", r.t5, w.decompressionP5 * 1e-5, w.S);
        say(text, "\ts5  %12.2f J/mol\n", w.S);
        r.wt = w.decompressionWork5;
        r.w5 = std::isnan(r.w4) ? r.wt : r.wt - r.w4;
        r.heat = w.decompressionHeat5;
    }
}

// The isentropic part of one step of a table (kind 1): from state 3 (entropy
// S3, energy U3) along the isentrope to the saturation curve (state 4) and
// to 1 bar (state 5).  Every search starts from closed-form fits of the
// entropy, so that the step is independent of what the model computed before.
void isentropicStep(WaterStudyModel& w, double S3, double U3, bool phreatic, PathStep& r) {
    const double M = w.molarMass();
    std::string& text = r.text;
    r.ran = true;
    if (S3 < w.criticalMolarEntropy) w.calculateBoilingPointFromS(S3);
    else w.calculateCondensationPointFromS(S3);
    if (w.errorflag) {
        w.errorflag = 0;
        r.skip = true;
        return;
    }
    if (w.P < 1e5) {
        say(text, phreatic ? "Decompression monophasique\n" : "D\u00e9compression monophasique\n");
        say(text, "State 5\n----------\n");
        w.calculateAtmosphericDecompressionPoint(S3, 1.0);
        if (w.errorflag) {
            w.errorflag = 0;
        } else {
            r.t5 = w.T;
            r.wt = w.U - U3;
            r.fl = w.S < 80.0 ? 1.0 : 0.0;
            r.w4 = 0.0;
            r.w5 = r.wt;
        }
        r.code += 10.0;
        return;
    }
    r.t4 = w.T;
    r.p4 = w.P * 1e-5;
    const double U4 = w.U;
    r.fl = w.calculateIsentropicVaporization(S3);
    const double U5 = w.U;
    say(text, "u4 : %12f u5 : %12f u5-u4 : %12f \n", U4, U5, U5 - U4);
    say(text, "%% molaire de liquide : %3.2f\n", r.fl);
    say(text, "\tH  %12.2f kJ/kg\n", w.H * 0.001 / M);
    say(text, "\tU  %12.2f kJ/kg\n\n", w.U * 0.001 / M);
    r.w5 = U5 - U4;
    r.w4 = U4 - U3;
    r.wt = r.w4 + r.w5;
    r.t5 = 373.15;
    r.code += 20.0;
}

// The heating-decompression (kind 0) or isentropic (kind 1) part of step k
// of the table, on a model of its own (a fresh start, whatever the thread
// computed before), so that the table is the same on any number of workers.
void expansionStep(const WaterStudyModel& w, int k, double T2, double V2, double U2, double Tm, bool phreatic,
                   char kind, PathStep& r) {
    const auto model = w.workerModel();
    WaterStudyModel& m = *model;
    const double M = m.molarMass();
    const double deltaT = k;
    const double T3 = T2 + (deltaT == 0.0 ? 0.001 : deltaT);
    m.errorflag = 0;
    m.calculateFromTV(T3, V2, 0);
    if (m.errorflag) return;
    const double ratio = kMagmaCp * (Tm - T3) * M / (m.U - U2);
    if (phreatic && ratio < 0.0) return;
    if (kind == 1) {
        m.magmaWaterRatio = ratio;
        isentropicStep(m, m.S, m.U, phreatic, r);
    } else {
        heatingDecompressionStep(m, T3, V2, ratio, r);
    }
}
}  // namespace

std::unique_ptr<WaterStudyModel> WaterStudyModel::workerModel() const {
    auto m = std::make_unique<WaterStudyModel>(2);
    m->setSystemType("H2O");
    m->magmaTemperature = magmaTemperature;
    m->magmaHeatCapacity = magmaHeatCapacity;
    m->latentHeat = latentHeat;
    m->liquidusTemperature = liquidusTemperature;
    m->solidusTemperature = solidusTemperature;
    return m;
}

// One table; `phreatic` selects the phreatic driver's file, columns and
// message.  Returns the number of rows written.
static int runCycleTable(WaterStudyModel& w, double a, double Tm, char kind, bool phreatic, char igor,
                         const char* suffix) {
    const double M = w.molarMass();
    const std::string sfx = suffix ? suffix : "";
    const std::string path = phreatic ? "heatirr" + sfx : (kind == 1 ? "wohl0" : "wohl1");
    w.magmaTemperature = Tm;
    // The magma of the mass balance: 1200 J/(kg K), no latent heat.
    w.magmaHeatCapacity = kMagmaCp;
    w.latentHeat = 0.0;
    std::printf(kind == 1 ? "Fluid isentropic\n" : "Mixture isentropic\n");
    std::printf("State 1\n----------\n");
    w.calculateFromTP(293.15, 1.0, 1);
    const double T1 = w.T, P1 = w.P, V1 = w.V;
    const double T2 = 293.15 + 0.3 * a, P2 = a + 1.0;
    std::printf("State 2\n----------\n");
    // The water under its column is a state of the model: a positive
    // pressure within its range (a column of a bar, a > -1).
    const bool inRange = P2 > 0.0 && P2 <= WaterMagmaModel::kExtrapolatedPmax && T2 >= w.validity.Tmin &&
                         T2 <= WaterMagmaModel::kExtrapolatedTmax;
    if (inRange) w.calculateFromTP(T2, P2, 1);
    if (!inRange || w.errorflag || !(w.dPdV < 0.0) || !(Tm > T2)) {
        platform::diagf("No cycle: state 2 (%.2f K, %.2f bar) is not found or not below the magma temperature.\n", T2, P2);
        w.errorflag = 0;
        return 0;
    }
    const double V2 = w.V, U2 = w.U;
    std::FILE* f = platform::openOutput(path, "wt");
    if (!f) {
        return 0;
    }
    const int ncol = phreatic ? kColumns + 1 : kColumns;
    if (phreatic && igor == 1) {
        std::fprintf(f, "IGOR\nWAVES %6s%s", kWaves[0], sfx.c_str());
        for (int i = 1; i < ncol; ++i) std::fprintf(f, " %11s%s", kWaves[i], sfx.c_str());
        std::fprintf(f, "\nBEGIN\n");
    } else {
        std::fprintf(f, "# %s\n# T1 %12.2f P1 %12.2f V1 %12.2f\n# T2 %12.2f P2 %12.2f V2 %12.2f\n",
                     kind == 1 ? "Isentropic Fluid" : "Isentropic Mixture", T1, P1 * 1e-5, V1 * 1e6, T2, P2,
                     V2 * 1e6);
        std::fprintf(f, "# %10s", kHeader[0]);
        for (int i = 1; i < ncol; ++i) std::fprintf(f, " \t%12s", kHeader[i]);
        std::fprintf(f, "\n");
    }
    double Tstart = 325.0, Vstart = 1.8e-05;
    int rows = 0;
    // The heating-decompression paths (kind 0) or isentropes (kind 1) of the
    // steps computed on every core, each row written as soon as it and every
    // row before it are done (an interrupted table keeps them); the path of
    // the last row of kind 0 is written to its curve file.
    const int steps = std::max(0, static_cast<int>(std::ceil(Tm - T2)));
    std::vector<PathStep> paths(static_cast<std::size_t>(steps));
    auto compute = [&](std::size_t k, platform::ThreadLogCapture& capture) {
        expansionStep(w, static_cast<int>(k), T2, V2, U2, Tm, phreatic, kind, paths[k]);
        paths[k].log = capture.take();
    };
    int lastPath = -1;
    bool stopped = false;  // the water:magma ratio turned negative
    platform::Progress progress(phreatic ? "Phreatic cycle, T3 (K)" : "Wohletz cycle, T3 (K)", Tm - T2, true);
    auto writeStep = [&](std::size_t k) {
        const int step = static_cast<int>(k);
        const double deltaT = step;
        const double T3 = T2 + (deltaT == 0.0 ? 0.001 : deltaT);
        if (stopped) return;
        progress.update(deltaT, T3);
        std::printf("State 3\n----------\n");
        w.errorflag = 0;
        w.calculateFromTV(T3, V2, 1);
        if (w.errorflag) {
            w.errorflag = 0;
            return;
        }
        const double P3 = w.P, U3 = w.U, S3 = w.S;
        const double m = kMagmaCp * (Tm - T3) * M / (U3 - U2);
        w.magmaWaterRatio = m;
        std::printf("State 4\n----------\n");
        std::printf("Mass water %12f\n", m);
        if (phreatic && m < 0.0) {
            platform::diagf("Water/Magma ratio < 0 !\n");
            stopped = true;
            return;
        }
        const PathStep& r = paths[k];
        platform::ThreadLogCapture::replay(r.log);
        if (r.skip) return;
        if (kind != 1) lastPath = step;
        std::fputs(r.text.c_str(), stdout);
        const double code = (kind == 1 ? 100.0 : 200.0) + r.code, q = U3 - U2 + r.heat;
        const double p4 = r.p4, t4 = r.t4, t5 = r.t5, w4 = r.w4, w5 = r.w5, wt = r.wt, fl = r.fl;
        const double eta = -wt / q, etamax = 1.0 - 293.15 / T3;
        const double em = 0.001 * m * wt / M, ew = 0.001 * wt / M;
        std::printf("Chaleur fournie par le magma                : %12.2f J/mol, %12.2f kJ/kg\n", q, q * 0.001 / M);
        std::printf("Travail fourni  par la d\u00e9tente du fluide (4): %12.2f J/mol, %12.2f kJ/kg\n", w4,
                    w4 * 0.001 / M);
        std::printf("Travail fourni  par la d\u00e9tente du fluide (5): %12.2f J/mol, %12.2f kJ/kg\n", w5,
                    w5 * 0.001 / M);
        std::printf("Travail fourni  par la d\u00e9tente du fluide    : %12.2f J/mol, %12.2f kJ/kg\n", wt,
                    wt * 0.001 / M);
        std::printf("Rendement                                   : %12.2f\n", eta);
        std::printf("Rendement maximal                           : %12.2f\n", etamax);
        std::printf("Travail / g eau                             : %12.2f\n", ew);
        std::printf("Travail / g magma                           : %12.2f\n", em);

        // Irreversible expansion against 1 bar: two-phase end by the balance
        // U - U3 = -P (V - V2) with the 1-bar saturated states, and the
        // single-phase end searched from the previous step's solution.
        const double firr = (1e5 * V2 - 2977.19 - 45145.8 + U3) / -40551.27969000001;
        const double wirr2 = -1e5 * (1.83031e-05 * firr + 0.0297719 * (1.0 - firr) - V2);
        if (deltaT == 743.0) {
            Tstart = 326.0;
            Vstart = 0.022273;
        }
        const double keep = w.Vl0;
        w.Vl0 = Vstart;
        w.calculate_irreversible_decompression_point_at_fixed_p(T3, V2, 1e5, 0.0, Tstart);
        double wirr = kNaN, tirr = kNaN, virr = kNaN;
        if (!w.errorflag) {
            wirr = -1e5 * (w.V - V2);
            tirr = w.T;
            virr = w.V;
            Tstart = w.T;
            Vstart = w.V;
        } else {
            w.Vl0 = keep;
            Tstart = T3;
            w.errorflag = 0;
        }
        const double row[kColumns + 1] = {deltaT, P3 * 1e-5, T3,     S3,   p4,   t4,
                                          t5,     w4,        w5,     wt,   q,    eta,
                                          etamax, fl,        m,      em,   ew,   wirr,
                                          tirr,   virr * 1e6, firr,  wirr2, code, 0.001 * wirr / M};
        writeRow(f, row, ncol, phreatic ? " " : " \t");
        std::fflush(f);  // each row goes out whole as soon as it is done
        ++rows;
    };
    workers::inOrder(paths.size(), workers::count(paths.size(), w.diagramWorkers), compute, writeStep,
                     [](std::size_t) {});
    if (phreatic && igor == 1) std::fprintf(f, "END\n");
    platform::closeOutput(f, path);
    if (lastPath >= 0) {  // the curve of the last path, once
        auto m = w.workerModel();
        const double T3 = T2 + (lastPath == 0 ? 0.001 : static_cast<double>(lastPath));
        m->calculateFromTV(T3, V2, 0);
        m->calculateHeatingDecompressionPath1("isoh", T3, V2, kMagmaCp * (Tm - T3) * M / (m->U - U2), true);
    }
    w.lastRows = rows;
    return rows;
}

void WaterStudyModel::calculateWohletzCycle(double a, double Tm, char kind) {
    runCycleTable(*this, a, Tm, kind, false, 0, "");
}

void WaterStudyModel::calculatePhreaticCycle(double a, double Tm, char kind, char igor, const char* suffix) {
    runCycleTable(*this, a, Tm, kind, true, igor, suffix);
}
