// The calls of the H2O-NaCl diagram made one after another on one object
// give what the same calls give on fresh objects, to the bit, with the same
// messages: no answer carries anything over from an earlier call.  Every
// call that fails says why in one message and leaves no finite number beside
// its flag (the documented -1 of a liquidus temperature not found aside).
// The arguments are drawn at random over and beyond the diagram (-30 to
// 1100 °C, 1e-4 to 6000 bar, -0.1 to 1.1 in mass fraction, NaN and the
// infinities), with the edges of its ranges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "brines/DriesnerHeinrich.h"
#include "brines/PalliserModel.h"
#include "brines/tests/SanitizerBuild.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The four arguments a call draws from, and a share c of NaCl in the salt.
struct Draw {
    double T, P, X, rho, c;
};

struct Result {
    std::vector<double> out;
    int pointFailed = 0;
    std::string said;
};

struct Call {
    const char* name;
    bool solver;  // clears pointFailed itself (a property sets it on failure only)
    std::function<std::vector<double>(PalliserModel&, const Draw&)> run;
};

std::vector<double> rowsOr(const std::vector<double>& rows) { return rows; }

const std::vector<Call>& calls() {
    using M = PalliserModel;
    static const std::vector<Call> list = {
        {"getWaterLiquidDensity", false, [](M& m, const Draw& d) { return std::vector<double>{m.getWaterLiquidDensity(d.T, d.P)}; }},
        {"getWaterVapourDensity", false, [](M& m, const Draw& d) { return std::vector<double>{m.getWaterVapourDensity(d.T, d.P)}; }},
        {"calculateWaterSaturationPoint", true, [](M& m, const Draw& d) {
             double P = 1, a = 1, b = 1;
             m.calculateWaterSaturationPoint(d.T, P, a, b);
             return std::vector<double>{P, a, b};
         }},
        {"getWaterSaturationTemperature", false, [](M& m, const Draw& d) {
             double a = 1, b = 1;
             const double T = m.getWaterSaturationTemperature(d.P, a, b);
             return std::vector<double>{T, a, b};
         }},
        {"getNaClLiquidDensity", false, [](M& m, const Draw& d) { return std::vector<double>{m.getNaClLiquidDensity(d.T, d.P)}; }},
        {"getNaClVapourDensity", false, [](M& m, const Draw& d) { return std::vector<double>{m.getNaClVapourDensity(d.T, d.P)}; }},
        {"getHaliteMeltingPressure", false, [](M& m, const Draw& d) { return std::vector<double>{m.getHaliteMeltingPressure(d.T)}; }},
        {"getHaliteMeltingTemperature", false, [](M& m, const Draw& d) { return std::vector<double>{m.getHaliteMeltingTemperature(d.P)}; }},
        {"getHaliteSublimationPressure", false, [](M& m, const Draw& d) { return std::vector<double>{m.getHaliteSublimationPressure(d.T)}; }},
        {"calculateNaClSatPressure", false, [](M& m, const Draw& d) { return std::vector<double>{m.calculateNaClSatPressure(d.T)}; }},
        {"calculateNaClSatTemperature", false, [](M& m, const Draw& d) { return std::vector<double>{m.calculateNaClSatTemperature(d.P)}; }},
        {"calculateNaClSaturationPoint", true, [](M& m, const Draw& d) {
             double P = 1, a = 1, b = 1;
             m.calculateNaClSaturationPoint(d.T, P, a, b);
             return std::vector<double>{P, a, b};
         }},
        {"calculateSLVPoint", true, [](M& m, const Draw& d) {
             double P = 1, a = 1, b = 1, c = 1, e = 1;
             m.calculateSLVPoint(d.T, P, a, b, c, e);
             return std::vector<double>{P, a, b, c, e};
         }},
        {"calculateHaliteGasSat", true, [](M& m, const Draw& d) {
             double P = 1, r = 1;
             m.calculateHaliteGasSat(d.T, d.X, P, r);
             return std::vector<double>{P, r};
         }},
        {"calculateHaliteGasBubble", true, [](M& m, const Draw& d) {
             double X = 1, r = 1;
             m.calculateHaliteGasBubble(d.T, d.P, X, r);
             return std::vector<double>{X, r};
         }},
        {"preCalculateHaliteGasBubble + doCalculateHaliteGasBubble", true, [](M& m, const Draw& d) {
             double X = 1, r = 1;
             m.preCalculateHaliteGasBubble(d.T);
             if (m.pointFailed) return std::vector<double>{kNaN};
             m.doCalculateHaliteGasBubble(d.P, X, r);
             return std::vector<double>{X, r};
         }},
        {"calculateHaliteLiquidPoint", true, [](M& m, const Draw& d) {
             double X = 1, r = 1;
             m.calculateHaliteLiquidPoint(d.T, d.P, X, 0.3, r);
             return std::vector<double>{X, r};
         }},
        {"calculateHaliteLiquidTemperature", true, [](M& m, const Draw& d) {
             double T = 1, r = 1;
             m.calculateHaliteLiquidTemperature(d.X, d.P, T, r, 300.0);
             return std::vector<double>{T == -1.0 && m.pointFailed ? kNaN : T, r};
         }},
        {"calculateCriticalPoint", true, [](M& m, const Draw& d) {
             double P = 1, X = 1, r = 1;
             m.calculateCriticalPoint(d.T, P, X, r);
             return std::vector<double>{P, X, r};
         }},
        {"calculateCriticalPointFromX", true, [](M& m, const Draw& d) {
             double T = 1, P = 1, r = 1;
             m.calculateCriticalPointFromX(d.X, T, P, r);
             return std::vector<double>{T, P, r};
         }},
        {"calculateLGPoint", true, [](M& m, const Draw& d) {
             double a = 1, b = 1, c = 1, e = 1;
             m.calculateLGPoint(d.T, d.P, a, b, c, e);
             return std::vector<double>{a, b, c, e};
         }},
        {"calculateBubblePoint", true, [](M& m, const Draw& d) {
             double P = 1, a = 1, b = 1, c = 1;
             m.calculateBubblePoint(d.T, d.X, P, a, b, c);
             return std::vector<double>{P, a, b, c};
         }},
        {"calculateDewPoint", true, [](M& m, const Draw& d) {
             double P = 1, a = 1, b = 1, r = 1;
             m.calculateDewPoint(d.T, d.X, P, a, b, r);
             return std::vector<double>{P, r};
         }},
        {"calculateLiquidSaturationPoint", true, [](M& m, const Draw& d) {
             double P = 1, r = 1;
             m.calculateLiquidSaturationPoint(d.T, d.X, P, r);
             return std::vector<double>{P, r};
         }},
        {"calculateFreezingTemperature", true, [](M& m, const Draw& d) {
             double T = 1;
             m.calculateFreezingTemperature(d.X, d.c, T);
             return std::vector<double>{T};
         }},
        {"calculateIceMeltingSalinity", true, [](M& m, const Draw& d) {
             double X = 1;
             m.calculateIceMeltingSalinity(d.T / 40.0, d.c, X);
             return std::vector<double>{X};
         }},
        {"preCalculate_Fixed_T_Parameters + calculateForLiquidGasIsotherm", true, [](M& m, const Draw& d) {
             double a = 1, b = 1, c = 1, e = 1;
             m.preCalculate_Fixed_T_Parameters(d.T);
             if (m.pointFailed) return std::vector<double>{kNaN};
             m.calculateForLiquidGasIsotherm(d.T, d.P, a, b, c, e);
             return std::vector<double>{a, b, c, e};
         }},
        {"getIsochoricWaterPressure", false, [](M& m, const Draw& d) { return std::vector<double>{m.getIsochoricWaterPressure(d.T, d.rho)}; }},
        {"liquidDensity", false, [](M& m, const Draw& d) { return std::vector<double>{m.liquidDensity(d.T, d.P, d.X)}; }},
        {"vapourDensity", false, [](M& m, const Draw& d) { return std::vector<double>{m.vapourDensity(d.T, d.P, d.X, 1.0)}; }},
        {"getHaliteLiquidGasState", true, [](M& m, const Draw& d) {
             double P = 1, a = 1, b = 1;
             m.getHaliteLiquidGasState(d.T, d.X, d.rho, P, a, b);
             return std::vector<double>{P, a, b};
         }},
        {"calculateHaliteLiquidGasDensity", true, [](M& m, const Draw& d) {
             return std::vector<double>{m.calculateHaliteLiquidGasDensity(d.T, d.X, d.rho)};
         }},
        {"calculateFluidDensity", true, [](M& m, const Draw& d) {
             const double r = m.calculateFluidDensity(d.T, d.P, d.X, d.rho);
             if (m.pointFailed) return std::vector<double>{r};
             return std::vector<double>{r, double(m.region), m.P, m.wl, m.wv, m.wh, m.vl, m.vv, m.vh};
         }},
        {"calculateFluidDensity on the three-phase curve", true, [](M& m, const Draw& d) {
             double Ps = 1, a, b, c, e;
             m.calculateSLVPoint(d.T, Ps, a, b, c, e);
             if (m.pointFailed) return std::vector<double>{kNaN};
             const double r = m.calculateFluidDensity(d.T, Ps, d.X, d.rho);
             if (m.pointFailed) return std::vector<double>{r};
             return std::vector<double>{r, double(m.region), m.P, m.wl, m.wv, m.wh, m.vl, m.vv, m.vh};
         }},
        {"calculateIceMeltingIsotherm", true, [](M& m, const Draw& d) {
             std::vector<double> rows;
             m.calculateIceMeltingIsotherm(rows, d.T / 40.0);
             return m.pointFailed ? std::vector<double>{kNaN} : rowsOr(rows);
         }},
        {"calculateLiquidGasIsotherm", true, [](M& m, const Draw& d) {
             std::vector<double> rows;
             m.calculateLiquidGasIsotherm(rows, d.T);
             return m.pointFailed ? std::vector<double>{kNaN} : rowsOr(rows);
         }},
        {"calculateLiquidIsopleth", true, [](M& m, const Draw& d) {
             std::vector<double> rows;
             m.calculateLiquidIsopleth(rows, 100.0 * d.X, d.T, d.T - 40.0);
             return m.pointFailed ? std::vector<double>{kNaN} : rowsOr(rows);
         }},
    };
    return list;
}

Draw draw(std::mt19937_64& rng) {
    auto pick = [&](std::initializer_list<double> specials, double lo, double hi, bool logScale) {
        std::uniform_real_distribution<double> u(0.0, 1.0);
        if (u(rng) < 0.25) {
            const std::size_t i = rng() % specials.size();
            return *(specials.begin() + i);
        }
        return logScale ? std::exp(std::log(lo) + u(rng) * (std::log(hi) - std::log(lo))) : lo + u(rng) * (hi - lo);
    };
    Draw d;
    d.T = pick({kNaN, -kInf, kInf, -21.985, -1.0, 0.1, 25.0, 300.0, 373.946, 400.0, 800.7, 1000.0}, -30.0, 1100.0, false);
    d.P = pick({kNaN, kInf, -1.0, 0.0, 1e-300, 1.0, 100.0, 176.126, 5000.0, 5001.0}, 1e-4, 6000.0, true);
    d.X = pick({kNaN, -0.1, 0.0, 0.232, 0.5, 1.0, 1.1}, -0.1, 1.1, false);
    d.rho = pick({kNaN, kInf, -1.0, 0.0, 500.0, 1500.0, 3000.0}, -10.0, 2500.0, false);
    d.c = pick({kNaN, 0.0, 1.0, 1.5}, 0.0, 1.0, false);
    return d;
}

Result runOn(PalliserModel& m, const Call& c, const Draw& d) {
    Result r;
    testing::internal::CaptureStderr();
    r.out = c.run(m, d);
    r.said = testing::internal::GetCapturedStderr();
    r.pointFailed = m.pointFailed;
    return r;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!(std::isnan(a[i]) && std::isnan(b[i])) && std::memcmp(&a[i], &b[i], sizeof(double)) != 0) return false;
    return true;
}

std::string describe(const Call& c, const Draw& d) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%s(T %.17g, P %.17g, X %.17g, rho %.17g, c %.17g)", c.name, d.T, d.P, d.X, d.rho, d.c);
    return buf;
}

// The counts of one run of random call sequences: calls, failures, calls
// whose answer differs from a fresh object's, failures without their one
// sentence or with a number beside them.
struct SequenceCounts {
    int compared = 0, refused = 0, differences = 0, unexplained = 0;
};

// `sequences` objects, each through `length` calls drawn from `list` with
// random arguments, every call compared with the same call on a fresh object
// (numbers to the bit, flag and messages), and every failure checked to say
// why in one line and to give no number.  The first few faults are named.
SequenceCounts runSequences(const std::vector<Call>& list, unsigned seed, int sequences, int length) {
    std::mt19937_64 rng(seed);
    SequenceCounts n;
    for (int sequence = 0; sequence < sequences; ++sequence) {
        PalliserModel shared;
        for (int k = 0; k < length; ++k) {
            const Call& c = list[rng() % list.size()];
            const Draw d = draw(rng);
            const Result once = runOn(shared, c, d);
            PalliserModel fresh;
            const Result alone = runOn(fresh, c, d);
            ++n.compared;
            const bool same = sameBits(once.out, alone.out) && once.said == alone.said &&
                              (!c.solver || once.pointFailed == alone.pointFailed);
            if (!same && ++n.differences <= 5)
                ADD_FAILURE() << describe(c, d) << ": differs after other calls (" << once.said << " | " << alone.said
                              << ")";
            // A failure says why, in one line, and gives no number.
            bool anyFinite = false;
            for (double v : alone.out) anyFinite = anyFinite || std::isfinite(v);
            if (alone.pointFailed == 0 && anyFinite) continue;
            ++n.refused;
            const bool explained = alone.pointFailed == 1 && !anyFinite &&
                                   std::count(alone.said.begin(), alone.said.end(), '\n') == 1;
            if (!explained && ++n.unexplained <= 5)
                ADD_FAILURE() << describe(c, d) << ": a failure (flag " << alone.pointFailed << ", a number: "
                              << anyFinite << ") that says \"" << alone.said << "\"";
        }
    }
    return n;
}

// The diagram's point solvers, inversions, isochores and curves of one
// composition, with their outputs (a sentinel beside a raised flag read as
// no number).
const std::vector<Call>& solverCalls() {
    using M = PalliserModel;
    auto sentinel = [](double v, double mark, const M& m) { return v == mark && m.pointFailed ? kNaN : v; };
    static const std::vector<Call> list = {
        {"calculateBubblePointFromP", true, [=](M& m, const Draw& d) {
             double T = 1, a = 1, b = 1, c = 1;
             m.calculateBubblePointFromP(d.P, d.X, T, a, b, c, d.T);
             return std::vector<double>{sentinel(T, -1.0, m), a, b, c};
         }},
        {"calculateThLiq", true, [](M& m, const Draw& d) {
             double P = 1;
             const double T = m.calculateThLiq(d.X, d.rho, d.T, P);
             return std::vector<double>{T, P};
         }},
        {"calculateBoilingPointWithGasVolume", true, [](M& m, const Draw& d) {
             double P = 1, a = 1, b = 1, c = 1, e = 1, r = 1;
             m.calculateBoilingPointWithGasVolume(d.T, d.X, d.c, P, a, b, c, e, r);
             return std::vector<double>{P, a, b, c, e, r};
         }},
        {"calculateTm3", true, [=](M& m, const Draw& d) {
             double r = 1, Ts = 1, Xl = 1, Ps = 1, P = 1;
             const double T = m.calculateTm3(d.X, d.c, d.T, r, Ts, Xl, Ps, P);
             return std::vector<double>{sentinel(T, 0.0, m), r, Ts, Xl, Ps, P};
         }},
        {"calculateTm", true, [=](M& m, const Draw& d) {
             double r = 1, P = 1;
             const double T = m.calculateTm(d.X, d.c, d.T, r, P);
             return std::vector<double>{sentinel(T, 0.0, m), r, P};
         }},
        {"calculateSLVPointFromX", true, [](M& m, const Draw& d) {
             double T = 1, P = 1, a = 1, b = 1, c = 1;
             m.calculateSLVPointFromX(d.X, T, P, a, b, c, d.T);
             return std::vector<double>{T, P, a, b, c};
         }},
        {"calculateHaliteLiquidTemperatureFromRhoX", true, [=](M& m, const Draw& d) {
             double T = 1, P = 1;
             m.calculateHaliteLiquidTemperatureFromRhoX(d.X, d.rho, T, P, d.T);
             return std::vector<double>{sentinel(T, -1.0, m), sentinel(P, -1.0, m)};
         }},
        {"convertPressureToDepth", true, [](M& m, const Draw& d) {
             double z = 1;
             m.convertPressureToDepth(d.X, 0.2 * d.P, d.P, 10.0, z);
             return std::vector<double>{z};
         }},
        {"calculateGeothermBubblePoint", true, [=](M& m, const Draw& d) {
             double T = 1, P = 1, z = 1, r = 1;
             m.calculateGeothermBubblePoint(20.0, 0.0, 1.0, d.T / 1000.0, d.X, d.rho < 500.0 ? -1.0 : d.rho, T, P, z, r);
             return std::vector<double>{sentinel(T, -1.0, m), P, z, r};
         }},
        {"getIsochoricFluidPressure", true, [=](M& m, const Draw& d) {
             return std::vector<double>{sentinel(m.getIsochoricFluidPressure(d.T, d.P, d.rho, 100.0 * d.X), 0.0, m)};
         }},
        {"getIsochoricHaliteGasPressure", true, [=](M& m, const Draw& d) {
             return std::vector<double>{sentinel(m.getIsochoricHaliteGasPressure(d.T, d.P, d.rho, 100.0 * d.X), 0.0, m)};
         }},
        {"getIsochoricLiquidGasPressure", true, [=](M& m, const Draw& d) {
             return std::vector<double>{sentinel(m.getIsochoricLiquidGasPressure(d.T, d.P, d.rho, 100.0 * d.X), 0.0, m)};
         }},
        {"getIsochoricHaliteLiquidPressure", true, [=](M& m, const Draw& d) {
             double Xl = 1;
             const double P = m.getIsochoricHaliteLiquidPressure(d.T, d.P, d.rho, 100.0 * d.X, Xl);
             return std::vector<double>{sentinel(P, 0.0, m), Xl};
         }},
        {"calculateHaliteLiquidIsopleth", true, [](M& m, const Draw& d) {
             std::vector<double> rows;
             m.calculateHaliteLiquidIsopleth(rows, d.X, d.T);
             return m.pointFailed ? std::vector<double>{kNaN} : rowsOr(rows);
         }},
        {"calculateHaliteLiquidIsotherm", true, [](M& m, const Draw& d) {
             std::vector<double> rows;
             m.calculateHaliteLiquidIsotherm(rows, d.T);
             return m.pointFailed ? std::vector<double>{kNaN} : rowsOr(rows);
         }},
        {"calculateFluidDensity", true, [](M& m, const Draw& d) {
             const double r = m.calculateFluidDensity(d.T, d.P, d.X, d.rho);
             if (m.pointFailed) return std::vector<double>{r};
             return std::vector<double>{r, double(m.region), m.P, m.wl, m.wv, m.wh, m.vl, m.vv, m.vh};
         }},
    };
    return list;
}

}  // namespace

TEST(PalliserCallSequences, EveryCallAnswersAsOnAFreshObjectAndFailsWithAMessageAndNoNumber) {
    const SequenceCounts n = runSequences(calls(), 67, historySequences(24), 40);
    EXPECT_EQ(n.differences, 0);
    EXPECT_EQ(n.unexplained, 0);
    EXPECT_GT(n.refused, 200);
    RecordProperty("calls", n.compared);
    RecordProperty("refused", n.refused);
}

// The same for the point solvers, inversions, isochores and curves of the
// diagram (a sample of them under the sanitizers).
TEST(PalliserCallSequences, SolversAnswerAsOnAFreshObjectAndFailWithAMessageAndNoNumber) {
    const int sequences = historySequences(kSanitizedBuild ? 4 : 20);
    const SequenceCounts n = runSequences(solverCalls(), 73, sequences, 30);
    EXPECT_EQ(n.differences, 0);
    EXPECT_EQ(n.unexplained, 0);
    EXPECT_GT(n.refused, sequences * 5);
    EXPECT_LT(n.refused, n.compared);
    RecordProperty("calls", n.compared);
    RecordProperty("refused", n.refused);
    RecordProperty("differences", n.differences);
    RecordProperty("unexplained", n.unexplained);
}

// At 400 °C the three phases of 50 wt % NaCl make bulk densities from the
// halite + vapour mixture to the halite + liquid one (their lever rules on
// the three-phase point); a density outside is refused naming that interval,
// and a density inside gives fractions that hold the salt and the volume.
TEST(PalliserCallSequences, ThreePhaseBulkDensityIsTheCallersOrRefused) {
    PalliserModel m;
    double Ps, Xl, Xv, rl, rv;
    m.calculateSLVPoint(400.0, Ps, Xl, Xv, rl, rv);
    ASSERT_EQ(m.pointFailed, 0);
    const double X = 0.5, rh = m.rhoHalite;
    const double whV = (X - Xv) / (1.0 - Xv), whL = (X - Xl) / (1.0 - Xl);
    const double lo = 1.0 / (whV / rh + (1.0 - whV) / rv), hi = 1.0 / (whL / rh + (1.0 - whL) / rl);
    EXPECT_NEAR(lo, 156.3, 0.1);
    EXPECT_NEAR(hi, 1128.8, 0.1);
    EXPECT_NEAR(m.calculateFluidDensity(400.0, 100.0, X, 0.0), 74.353976, 1e-6);
    for (double bad : {1500.0, 0.999 * lo, 1.001 * hi}) {
        testing::internal::CaptureStderr();
        const double r = m.calculateFluidDensity(400.0, Ps, X, bad);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(std::isnan(r)) << r;
        EXPECT_EQ(m.pointFailed, 1);
        char expected[160];
        std::snprintf(expected, sizeof expected, "50 wt %% NaCl has a bulk density from %g to %g kg/m3", lo, hi);
        EXPECT_NE(said.find(expected), std::string::npos) << said;
    }
    for (double rho : {lo, 0.5 * (lo + hi), hi}) {
        const double r = m.calculateFluidDensity(400.0, Ps, X, rho);
        EXPECT_EQ(m.pointFailed, 0);
        EXPECT_EQ(m.region, 3);
        EXPECT_EQ(r, rho);
        EXPECT_NEAR(m.wl + m.wv + m.wh, 1.0, 1e-12);
        EXPECT_NEAR(m.wl * Xl + m.wv * Xv + m.wh, X, 1e-9);
        EXPECT_NEAR(m.wl / rl + m.wv / rv + m.wh / rh, 1.0 / rho, 1e-9 / rho);
    }
    // Pure water at 1500 kg/m3 is no mixture of the three phases.
    double P, wl, wv;
    testing::internal::CaptureStderr();
    m.getHaliteLiquidGasState(400.0, 0.0, 1500.0, P, wl, wv);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("lies below the three-phase vapour's"), std::string::npos);
    EXPECT_EQ(m.pointFailed, 1);
    EXPECT_TRUE(std::isnan(P) && std::isnan(wl) && std::isnan(wv));
}

// Water in the liquid-vapour dome is liquid and vapour at the saturation
// pressure (IAPWS-95: 85.879 bar at 300 °C, 0.031699 bar at 25 °C); out of
// the dome the equation's pressure; beyond IAPWS-95's 10 kbar, refused.
TEST(PalliserCallSequences, IsochoricWaterInsideTheDomeIsAtItsSaturationPressure) {
    PalliserModel m;
    EXPECT_NEAR(m.getIsochoricWaterPressure(300.0, 500.0), 85.879, 2e-3);
    EXPECT_NEAR(m.getIsochoricWaterPressure(25.0, 500.0), 0.031699, 1e-5);
    EXPECT_EQ(m.pointFailed, 0);
    // 25 °C, 997.05 kg/m3: 1.01325 bar (IAPWS-95).
    EXPECT_NEAR(m.getIsochoricWaterPressure(25.0, 997.05), 1.0, 1.0);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(std::isnan(m.getIsochoricWaterPressure(25.0, 1400.0)));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(m.pointFailed, 1);
    EXPECT_NE(said.find("lies beyond IAPWS-95's range (above 0 and up to 10000 bar"), std::string::npos) << said;
}

// The correlations of Driesner & Heinrich (2007) answer NaN outside their
// ranges, never a number.
TEST(PalliserCallSequences, DriesnerHeinrichCorrelationsAreNaNOutsideTheirRanges) {
    for (double T : {kNaN, kInf, -kInf, 3200.0, -30.0}) {
        EXPECT_TRUE(std::isnan(dh07::criticalMoleFraction(T))) << T;
        EXPECT_TRUE(std::isnan(dh07::criticalPressure(T))) << T;
        EXPECT_TRUE(std::isnan(dh07::liquidusMoleFraction(T, 100.0))) << T;
        EXPECT_TRUE(std::isnan(dh07::vlhPressure(T))) << T;
        EXPECT_TRUE(std::isnan(dh07::vapourBranch(T, 100.0, 0.1))) << T;
        EXPECT_TRUE(std::isnan(dh07::liquidBranch(T, 100.0, 50.0, 0.1, 200.0))) << T;
        EXPECT_TRUE(std::isnan(dh07::haliteMeltingPressure(T))) << T;
    }
    for (double P : {kNaN, kInf, -1.0, 6000.0}) {
        EXPECT_TRUE(std::isnan(dh07::haliteMeltingTemperature(P))) << P;
        EXPECT_TRUE(std::isnan(dh07::liquidusMoleFraction(400.0, P))) << P;
        EXPECT_TRUE(std::isnan(dh07::vapourBranch(400.0, P, 0.1))) << P;
    }
    for (double x : {kNaN, -0.1, 1.1}) {
        EXPECT_TRUE(std::isnan(dh07::moleFraction(x))) << x;
        EXPECT_TRUE(std::isnan(dh07::massFraction(x))) << x;
    }
    EXPECT_TRUE(std::isnan(dh07::naclVapourPressure(1100.0)));
    EXPECT_TRUE(std::isnan(dh07::vlhPressure(801.0)));
    EXPECT_TRUE(std::isnan(dh07::liquidusMoleFraction(900.0, 1.0)));  // above halite's melting point at 1 bar
    // At the edges, the published values.
    EXPECT_EQ(dh07::criticalMoleFraction(dh07::kWaterCriticalT), 0.0);
    EXPECT_NEAR(dh07::liquidusMoleFraction(dh07::haliteMeltingTemperature(5000.0), 5000.0), 1.0, 1e-12);
    EXPECT_NEAR(dh07::vlhPressure(dh07::kTriplePointT), dh07::kTriplePointP, 1e-9);
}

// The one-phase liquid exists from its bubble pressure up (10 wt % NaCl at
// 300 °C boils at 81.26 bar, Driesner & Heinrich 2007): below it, and at
// no pressure at all, it is refused; the vapour takes no non-finite state.
TEST(PalliserCallSequences, OnePhaseLiquidAndVapourOnlyWhereTheyExist) {
    PalliserModel m;
    double Pb, Xv, rl, rv;
    m.calculateBubblePoint(300.0, 0.1, Pb, Xv, rl, rv);
    ASSERT_EQ(m.pointFailed, 0);
    EXPECT_NEAR(Pb, 81.26, 0.05);
    for (double P : {kNaN, -1.0, 0.0, 1e-300, 1.0, 0.99 * Pb}) {
        m.pointFailed = 0;
        testing::internal::CaptureStderr();
        EXPECT_TRUE(std::isnan(m.liquidDensity(300.0, P, 0.1))) << P;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(m.pointFailed, 1) << P;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }
    // From the bubble pressure up the liquid joins the bubble point's.
    m.pointFailed = 0;
    EXPECT_NEAR(m.liquidDensity(300.0, Pb * (1.0 + 1e-12), 0.1), rl, 1e-6 * rl);
    EXPECT_EQ(m.pointFailed, 0);
    for (double bad : {kNaN, kInf, -kInf}) {
        testing::internal::CaptureStderr();
        EXPECT_TRUE(std::isnan(m.vapourDensity(bad, 10.0, 0.01, 5.0)));
        EXPECT_TRUE(std::isnan(m.vapourDensity(400.0, bad, 0.01, 5.0)));
        EXPECT_TRUE(std::isnan(m.vapourDensity(400.0, 10.0, bad, 5.0)));
        EXPECT_NE(testing::internal::GetCapturedStderr().find("vapourDensity"), std::string::npos);
    }
}

// Bubble points of Driesner & Heinrich (2007) (their check values: 10 wt %
// at 350 °C, 155.327 bar, and 450 °C, 416.599 bar; 30 wt % at 500 °C,
// 530.274 bar) found from a pressure whatever the start temperature.  The
// bubble-point branch of 10 wt % ends at its critical point (464.480 °C,
// 462.823 bar): above it no bubble point, and no boiling column reaches
// beyond it, each refused naming that point with NaN beside the flag.
TEST(PalliserCallSequences, BubblePointsFromAPressureEndAtTheCriticalPoint) {
    PalliserModel m;
    const struct {
        double X, T, P;
    } published[] = {{0.10, 350.0, 155.327}, {0.10, 450.0, 416.599}, {0.30, 500.0, 530.274}};
    for (const auto& p : published) {
        for (double start : {20.0, 100.0, 300.0, 600.0}) {
            SCOPED_TRACE(testing::Message() << p.X << " " << p.P << " bar from " << start);
            double T = 0, Xv = 0, rl = 0, rv = 0;
            m.calculateBubblePointFromP(p.P, p.X, T, Xv, rl, rv, start);
            ASSERT_EQ(m.pointFailed, 0);
            EXPECT_NEAR(T, p.T, 0.01);
            EXPECT_GT(rl, rv);
        }
    }
    double T = 0, Xv = 1, rl = 1, rv = 1;
    testing::internal::CaptureStderr();
    m.calculateBubblePointFromP(470.0, 0.10, T, Xv, rl, rv, 100.0);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(m.pointFailed, 1);
    EXPECT_EQ(T, -1.0);
    EXPECT_TRUE(std::isnan(Xv) && std::isnan(rl) && std::isnan(rv));
    EXPECT_NE(said.find("464.48 °C, 462.823 bar"), std::string::npos) << said;
    // A boiling column of 10 wt % from 100 bar: to 460 bar a depth (the
    // hydrostatic column of a liquid lighter than water: more than 10 m per
    // bar); to 500 bar none.
    double z = 0.0;
    m.convertPressureToDepth(0.10, 100.0, 460.0, 0.0, z);
    ASSERT_EQ(m.pointFailed, 0);
    EXPECT_GT(z, 360.0 * 1e5 / (9.81 * 1000.0));
    testing::internal::CaptureStderr();
    m.convertPressureToDepth(0.10, 100.0, 500.0, 0.0, z);
    said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(m.pointFailed, 1);
    EXPECT_TRUE(std::isnan(z));
    EXPECT_NE(said.find("ends at its critical point (464.48 °C, 462.823 bar)"), std::string::npos) << said;
}

// Refused inversions hand back no number of an earlier call: the liquid
// homogenisation of an inclusion denser than any liquid of its salinity, and
// halite dissolution without a three-phase point (the tester's cases).
TEST(PalliserCallSequences, RefusedInversionsLeaveNoEarlierNumber) {
    PalliserModel m;
    double P = 0.0;
    const double Th = m.calculateThLiq(0.1, 900.0, 200.0, P);
    ASSERT_EQ(m.pointFailed, 0);
    EXPECT_TRUE(std::isfinite(Th) && P > 0.0);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(std::isnan(m.calculateThLiq(0.1, 2058.9, 541.0, P)));
    EXPECT_TRUE(std::isnan(P));
    const struct {
        double X, phiH, Tstart;
    } cases[] = {{0.4233, 0.7488, 354.03}, {0.5493, 0.1890, 45.92}};
    for (const auto& c : cases) {
        double r = 1, Ts = 1, Xl = 1, Ps = 1, Pd = 1;
        EXPECT_EQ(m.calculateTm3(c.X, c.phiH, c.Tstart, r, Ts, Xl, Ps, Pd), 0.0);
        EXPECT_EQ(m.pointFailed, 1);
        for (double v : {r, Ts, Xl, Ps, Pd}) EXPECT_TRUE(std::isnan(v)) << c.X;
    }
    testing::internal::GetCapturedStderr();
}

// On halite's melting curve (Driesner & Heinrich 2007, eq. 1: 850.152 °C at
// 2000 bar) the liquidus liquid is molten NaCl, with a density from the pure
// salt's saturated liquid up (compressed), at low pressure too, never NaN
// beside a clear flag.
TEST(PalliserCallSequences, TheLiquidusOnHalitesMeltingCurveIsMoltenSalt) {
    PalliserModel m;
    for (double P : {2000.0, 2.6, 0.01}) {
        SCOPED_TRACE(P);
        const double T = m.getHaliteMeltingTemperature(P);
        if (P == 2000.0) {
            EXPECT_NEAR(T, 850.152, 1e-3);
        }
        double X = 0, r = 0;
        m.calculateHaliteLiquidPoint(T, P, X, 0.3, r);
        ASSERT_EQ(m.pointFailed, 0);
        EXPECT_DOUBLE_EQ(X, 1.0);
        // Within the compression of the melt from its boiling pressure.
        const double melt = m.getNaClLiquidDensity(T, P);
        EXPECT_GE(r, melt * (1.0 - 1e-9));
        EXPECT_LT(r, 1.05 * melt);
    }
}
