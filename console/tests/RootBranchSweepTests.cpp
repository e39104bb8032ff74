// The volume searches of a phase kind never answer with a root on a loop of
// the isotherm, and the critical-point search from a caller's start answers
// with the model's own critical point or fails.  Each answer is checked by a
// scan of the isotherm written here: the pressure evaluated without a search
// at volumes 0.2 % apart must fall all the way from the root to the end of
// its branch (the nearly ideal gas for the vapour, the compressed liquid for
// the liquid).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "console/FluidModelFactory.h"
#include "fluid/SaturationAncillaries.h"
#include "console/tests/ConsoleTestSupport.h"
#include "fluid/tests/StateSweep.h"

using consoletest::capture;

namespace {

std::unique_ptr<FluidPhase> model(const char* name, std::vector<double> x = {}) {
    std::unique_ptr<FluidPhase> m;
    capture([&] { m.reset(createFluidModel(name)); });
    if (m && !x.empty()) m->composition(x.data());
    return m;
}

// The pressure (Pa) at (T, V) evaluated without a search; NaN where the model fails.
double pressureAt(FluidPhase& m, double T, double V) {
    m.temperature(T);
    m.volume(V);
    m.errorflag = 0;
    m.calculate_pressure();
    return m.errorflag ? std::nan("") : m.P;
}

constexpr double kScanStep = 0.002;  // ln V

// Whether the pressure falls strictly from V towards larger volumes up to a
// gas at least a hundred times as dilute as V and as the ideal gas at P,
// where the gas is nearly ideal (P V / R T within 2 % of 1); a model that
// fails on the way has no vapour branch there.
bool fallsToTheGas(FluidPhase& m, double T, double V, double Pbar) {
    const double end = 100.0 * std::max(V, sweep::R * T / (Pbar * 1e5));
    double prev = pressureAt(m, T, V);
    if (!std::isfinite(prev)) return false;
    for (double v = V * std::exp(kScanStep); v < 1e4 * end; v *= std::exp(kScanStep)) {
        const double p = pressureAt(m, T, v);
        if (!std::isfinite(p) || !(p < prev)) return false;
        prev = p;
        if (v > end && std::fabs(p * v / (sweep::R * T) - 1.0) < 0.02) return true;
    }
    return true;
}

// Whether the pressure falls strictly from the smaller to the larger of Va
// and Vb: a stable stretch joins them.
bool fallsBetween(FluidPhase& m, double T, double Va, double Vb) {
    const double lo = std::min(Va, Vb), hi = std::max(Va, Vb);
    const int n = std::max(1, int(std::ceil(std::log(hi / lo) / kScanStep)));
    double prev = pressureAt(m, T, lo);
    if (!std::isfinite(prev)) return false;
    for (int i = 1; i <= n; ++i) {
        const double p = pressureAt(m, T, lo * std::pow(hi / lo, double(i) / n));
        if (!std::isfinite(p) || !(p < prev)) return false;
        prev = p;
    }
    return true;
}

// Whether the pressure rises strictly from V towards smaller volumes to the
// smallest volume: where the model ends (its co-volume or range) or the
// pressure has risen by 500 bar and doubled at a volume below `liquid` (a
// liquid volume of the fluid at T).
bool risesToTheDenseFluid(FluidPhase& m, double T, double V, double Pbar, double liquid) {
    const double Pend = std::max(2.0 * Pbar, Pbar + 500.0) * 1e5;
    double prev = pressureAt(m, T, V);
    if (!std::isfinite(prev)) return false;
    for (double v = V * std::exp(-kScanStep); v > 1e-4 * V; v *= std::exp(-kScanStep)) {
        const double p = pressureAt(m, T, v);
        if (!std::isfinite(p)) return true;
        if (!(p > prev)) return false;
        if (p >= Pend && v <= liquid) return true;
        prev = p;
    }
    return true;
}

struct Family {
    const char* name;
    std::vector<double> x;
    double Tc, Vc;  // published critical point of the (major) fluid, K and m3/mol
    bool pure;
};

struct Count {
    int asked = 0, answered = 0, failed = 0, wrong = 0;
    std::string first;
    void bad(const std::string& what) {
        if (wrong++ < 12) first += "\n  " + what;
    }
};

// One search of kind `kind` at (T, P) and the scan of its answer: a root on
// neither branch is a root on a loop; a pure fluid below its critical
// temperature answers a kind's search with the root of the kind's branch.
double searchAndScan(FluidPhase& m, FluidPhase& sat, const Family& f, int kind, double T, double Pbar, Count& c) {
    ++c.asked;
    m.set_the_phase_as(kind);
    m.temperature(T);
    m.pressure(Pbar);
    capture([&] { m.calculate_molar_volume(); });
    if (m.errorflag) {
        ++c.failed;
        return std::nan("");
    }
    ++c.answered;
    // The branches: below the critical temperature of a pure fluid, the
    // stretches that hold its saturated vapour (Vv) and liquid (Vl), the
    // model's own; elsewhere the stretch that reaches the nearly ideal gas
    // and the one that reaches the smallest volume.
    const double V = m.V;
    double Vl = 0.0, Vv = 0.0;
    if (f.pure && T < 0.999 * f.Tc) {
        int status = 1;
        capture([&] { status = sat.calculateTheSaturationPressure(T); });
        if (status == 0) {
            Vl = sat.Vl_sat;
            Vv = sat.Vv_sat;
        }
    }
    const bool vapour = (Vv > 0.0 ? fallsBetween(m, T, V, Vv) : true) && fallsToTheGas(m, T, std::max(V, Vv), Pbar);
    const bool liq = Vl > 0.0 ? fallsBetween(m, T, V, Vl) : risesToTheDenseFluid(m, T, V, Pbar, m.estimate_Vl0());
    // A model that declares no critical point above T takes the other
    // branch's root where the kind's has none.
    const bool strict = f.pure && T < 0.999 * f.Tc && m.critical_T > T;
    const std::string at = std::string(f.name) + " kind " + std::to_string(kind) + " T " + sweep::num(T) + " P " +
                           sweep::num(Pbar) + " bar: V " + sweep::num(V * 1e6) + " cm3/mol";
    if (!vapour && !liq) c.bad(at + " lies on a loop");
    else if (strict && !(kind == 1 ? vapour : liq))
        c.bad(at + " is not on the " + (kind == 1 ? "vapour" : "liquid") + " branch");
    return V;
}

}  // namespace

TEST(RootBranchSweep, NoRootOnALoopOverWideGrids) {
    // Named states where a root between two unstable stretches was taken:
    // only the liquid exists there (IAPWS-95: 1096.7 kg/m3 at 477.983 K and
    // 7017.04 bar), and the vapour search fails.
    struct Named {
        const char* name;
        double T, Pbar;
    };
    for (const Named& n : {Named{"WagnerPruss", 477.983, 7017.04}, Named{"Jacobsen", 64.0, 571.919},
                           Named{"HGK", 351.769, 3444.97}}) {
        auto m = model(n.name);
        ASSERT_TRUE(m) << n.name;
        m->set_the_phase_as(1);
        m->temperature(n.T);
        m->pressure(n.Pbar);
        capture([&] { m->calculate_molar_volume(); });
        EXPECT_NE(m->errorflag, 0) << n.name << " kind 1 gave V " << m->V * 1e6 << " cm3/mol";
    }
    {
        auto w = model("WagnerPruss");
        w->set_the_phase_as(2);
        w->temperature(477.983);
        w->pressure(7017.04);
        capture([&] { w->calculate_molar_volume(); });
        ASSERT_EQ(w->errorflag, 0);
        EXPECT_NEAR(0.018015268 / w->V, 1096.7, 0.1);
    }

    const std::vector<Family> families = {
        {"WagnerPruss", {}, 647.096, 0.018015268 / 322.0, true},
        {"HGK", {}, 647.126, 0.018015268 / 322.0, true},
        {"Hill", {}, 647.096, 0.018015268 / 322.0, true},
        {"Jacobsen", {}, 126.192, 0.0280134 / 313.3, true},
        {"IUPACCO2", {}, 304.1282, 0.0440098 / 467.6, true},
        {"IUPACCH4", {}, 190.564, 0.01604246 / 162.66, true},
        {"PR:N2", {}, 126.2, 0.0280134 / 313.3, true},
#ifdef VARNOK_WITH_ANDERKO
        {"hn", {0.97, 0.03}, 647.096, 0.018015268 / 322.0, false},
        {"hn", {0.8, 0.2}, 647.096, 0.018015268 / 322.0, false},
#endif
    };
    for (const Family& f : families) {
        auto m = model(f.name, f.x), sat = model(f.name, f.x);
        ASSERT_TRUE(m && sat) << f.name;
        Count c;
        // 0.45 to 1.15 Tc, 1 bar to 10 kbar, both kinds.
        for (double T : sweep::linear(0.45 * f.Tc, 1.15 * f.Tc, 14))
            for (double P : sweep::geometric(1.0, 1e4, 15))
                for (int kind : {1, 2}) searchAndScan(*m, *sat, f, kind, T, P, c);
        EXPECT_EQ(c.wrong, 0) << f.name << ": " << c.answered << " answers of " << c.asked << c.first;
        EXPECT_GT(c.answered, c.asked / 4) << f.name;
        std::printf("[ sweep    ] %s%s: %d searches, %d answered, %d failed, %d wrong\n", f.name,
                    f.x.empty() ? "" : " (mixture)", c.asked, c.answered, c.failed, c.wrong);
    }
}

TEST(RootBranchSweep, VapourJustBelowTheSaturationPressureCloseToTheCriticalPoint) {
    // PR:N2 at 126.1 K, 2e-6 to 3.5e-5 below its own saturation pressure:
    // the vapour search answers with the vapour (beyond the saturated
    // vapour), never the metastable liquid.
    auto m = model("PR:N2"), sat = model("PR:N2");
    ASSERT_TRUE(m && sat);
    const double T = 126.1;
    int status = 1;
    capture([&] { status = sat->calculateTheSaturationPressure(T); });
    ASSERT_EQ(status, 0);
    const double Vl = sat->Vl_sat, Vv = sat->Vv_sat, psat = pressureAt(*sat, T, Vv) * 1e-5;
    ASSERT_GT(Vv, 1.05 * Vl);
    Count c;
    const Family f{"PR:N2", {}, 126.2, 0.0, true};
    for (double below : sweep::geometric(2e-6, 3.5e-5, 12)) {
        const double V = searchAndScan(*m, *sat, f, 1, T, psat * (1.0 - below), c);
        if (!(V > Vv)) c.bad("kind 1 at " + sweep::num(below) + " below psat: V " + sweep::num(V * 1e6) + " cm3/mol");
    }
    EXPECT_EQ(c.wrong, 0) << c.first;
    EXPECT_EQ(c.answered, c.asked);
}

// Critical points searched from a caller's starts (0.55 to 1.2 Tc, 0.4 to 3
// Vc) answer with the model's own point (the one the console's "crit" finds,
// from the model's stored start or its own estimate) or fail: every answer
// satisfies both conditions by differences of the pressure, and the model's
// point has a stable isotherm at T (1 + 1e-4), scanned here at volumes 0.1 %
// apart from a hundred times to a third of the critical volume.
TEST(RootBranchSweep, CriticalPointsFromCallersStartsAreTheModels) {
    struct Start {
        const char* name;
        double T0, V0;  // K, m3/mol
    };
    std::vector<Start> named = {{"IUPACCO2", 289.515, 84.59e-6}, {"Jacobsen", 88.33, 178.8e-6},
                                {"HGK", 614.767, 48.57e-6}};
    const std::vector<const char*> models = {"WagnerPruss", "HGK",      "Hill",     "Saul",   "Keenan", "IUPACCO2",
                                             "IUPACCH4",    "Jacobsen", "DuanH2O", "PR:N2", "SRK:CO2"};
    int asked = 0, answered = 0;
    for (const char* name : models) {
        auto ref = model(name), m = model(name);
        ASSERT_TRUE(ref && m) << name;
        bool found = false;
        capture([&] { found = ref->findTheCriticalPoint(); });
        ASSERT_TRUE(found) << name;
        const double Tc = ref->T, Vc = ref->V;
        std::string wrong;
        EXPECT_TRUE(sweep::isCriticalPoint(*ref, Tc, Vc, wrong)) << name << ": " << wrong;
        double prev = -HUGE_VAL;
        for (double v = 100.0 * Vc; v > Vc / 3.0; v /= 1.001) {
            const double p = pressureAt(*ref, Tc * (1.0 + 1e-4), v);
            ASSERT_TRUE(std::isfinite(p) && p > prev) << name << ": the isotherm above its point turns at "
                                                      << v * 1e6 << " cm3/mol";
            prev = p;
        }
        std::vector<Start> starts;
        for (double t : sweep::linear(0.55, 1.2, 14))
            for (double g : sweep::geometric(0.4, 3.0, 13)) starts.push_back({name, t * Tc, g * Vc});
        for (const Start& s : named)
            if (std::string(s.name) == name) starts.push_back(s);
        int bad = 0, mine = 0;
        std::string first;
        for (const Start& s : starts) {
            ++asked;
            capture([&] {
                m->temperature(s.T0);
                m->volume(s.V0);
                m->search_the_critical_point_of_the_pure_component();
            });
            if (m->errorflag) continue;
            ++answered;
            ++mine;
            const double T = m->T, V = m->V;
            std::string why;
            const bool same = std::fabs(T / Tc - 1.0) <= 1e-7 && std::fabs(V / Vc - 1.0) <= 1e-5;
            if (!same || !sweep::isCriticalPoint(*m, T, V, why)) {
                if (bad++ < 8)
                    first += "\n  from " + sweep::num(s.T0) + " K " + sweep::num(s.V0 * 1e6) + " cm3/mol: " +
                             sweep::num(T) + " K " + sweep::num(V * 1e6) + " cm3/mol " + why;
            }
        }
        EXPECT_EQ(bad, 0) << name << " (Tc " << Tc << " K):" << first;
        std::printf("[ sweep    ] %s: %zu critical starts, %d answered, %d wrong\n", name, starts.size(), mine, bad);
    }
    std::printf("[ sweep    ] critical points: %d starts, %d answered\n", asked, answered);
    EXPECT_GT(answered, asked / 4);
}

namespace {

// Uniform numbers in [0, 1) from a fixed-seed Mersenne twister, the same on
// every platform (the standard distributions are not).
struct Draw {
    std::mt19937 gen{20261208u};
    double operator()() { return gen() / 4294967296.0; }
};

// Whether the isotherm at T falls strictly from the smaller to the larger of
// Va and Vb, and its bulk modulus K = -V dP/dV (from the pressures of the
// scan) has no minimum inside the stretch: next to a saturated volume K
// rises from the saturated vapour to one maximum and falls to zero at the
// vapour's spinodal, and falls from the saturated liquid to zero at the
// liquid's; an equation whose K turns up again before zero has left the
// fluid's branch at a pseudo-spinodal.
bool saturatedStretch(FluidPhase& m, double T, double Va, double Vb) {
    const double lo = std::min(Va, Vb), hi = std::max(Va, Vb);
    const int n = std::max(2, int(std::ceil(std::log(hi / lo) / kScanStep)));
    const double step = std::log(hi / lo) / n;
    double prev = pressureAt(m, T, lo), Kpeak = -HUGE_VAL, Ktrough = HUGE_VAL;
    if (!std::isfinite(prev)) return false;
    for (int i = 1; i <= n; ++i) {
        const double p = pressureAt(m, T, lo * std::exp(i * step));
        if (!std::isfinite(p) || !(p < prev)) return false;
        // Along the scan K may fall, or rise to one maximum and fall; a
        // rise by 1 % after a fall by 1 % is a minimum inside.
        const double K = (prev - p) / step;
        if (Ktrough < (1.0 - 1e-2) * Kpeak && K > (1.0 + 1e-2) * Ktrough) return false;
        if (K > Kpeak)
            Kpeak = Ktrough = K;
        else
            Ktrough = std::min(Ktrough, K);
        prev = p;
    }
    return true;
}

}  // namespace

// The library's phase-kind searches at random states (fixed seed): T from
// 0.4 to 1.2 Tc, P from 0.01 bar to 20 kbar (uniform in ln P), both kinds,
// on the reference equations, the other water equations and cubics of each
// fluid, and Anderko's H2O-NaCl and H2O-KCl at x = 0.02 to 0.2 around
// water's critical point (630 to 720 K, 10 to 400 bar).  An answer must
//  - give the pressure asked for on a mechanically stable isotherm
//    (dP/dV < 0): no root on a loop;
//  - lie on its kind's branch: of a pure fluid below its critical point, a
//    vapour beyond the model's saturated vapour, or joined to it by a
//    saturatedStretch (a metastable vapour); a liquid likewise; of a
//    mixture, on a stretch that reaches the dilute gas or the dense fluid;
//  - be in the phase of the fluid's reference equation from its triple
//    point to 0.95 Tc: a vapour less dense, a liquid denser, than the
//    rectilinear diameter (rho' + rho'') / 2 of the saturated densities of
//    the published ancillary equations (a metastable root stays on its side
//    of it, however far the model's own branch reaches).
TEST(RootBranchSweep, RandomLibrarySearchesGiveTheirBranchOrFail) {
    struct Lib {
        const char* name;
        const char* fluid;  // the fluid of its reference equation; null for the brine
        double Tt, Tc;      // K, published triple and critical points
    };
    constexpr double kH2O[2] = {273.16, 647.096}, kCO2[2] = {216.592, 304.1282}, kCH4[2] = {90.6941, 190.564},
                     kN2[2] = {63.151, 126.192};
    const std::vector<Lib> libs = {
        {"WagnerPruss", "H2O", kH2O[0], kH2O[1]}, {"HGK", "H2O", kH2O[0], kH2O[1]},
        {"Hill", "H2O", kH2O[0], kH2O[1]},        {"Saul", "H2O", kH2O[0], kH2O[1]},
        {"Keenan", "H2O", kH2O[0], kH2O[1]},      {"IUPACCO2", "CO2", kCO2[0], kCO2[1]},
        {"IUPACCH4", "CH4", kCH4[0], kCH4[1]},    {"Jacobsen", "N2", kN2[0], kN2[1]},
        {"PR:N2", "N2", kN2[0], kN2[1]},          {"SRK:CO2", "CO2", kCO2[0], kCO2[1]},
        {"PR:CH4", "CH4", kCH4[0], kCH4[1]},      {"PRSV:H2O", "H2O", kH2O[0], kH2O[1]},
        {"SRK1:CO2", "CO2", kCO2[0], kCO2[1]},    {"Montel:N2", "N2", kN2[0], kN2[1]},
        {"SRK1:H2O", "H2O", kH2O[0], kH2O[1]},
#ifdef VARNOK_WITH_ANDERKO
        {"hn", nullptr, kH2O[0], kH2O[1]},        {"hk", nullptr, kH2O[0], kH2O[1]},
#endif
    };
    // Named states first, where a search answered off its branch: a kind-2
    // root of H2O-NaCl at x = 0.05 between two loops (49.25 cm3/mol), HGK's
    // vapour for a liquid search, PR's compressed liquid and Span et al.'s
    // dense "vapour" (227.65 cm3/mol) of nitrogen for a vapour search.
    struct Named {
        const char* name;
        double x, T, P;  // mole fraction of component 1; K; bar
    };
    const std::vector<Named> named = {{"hn", 0.05, 644.429, 50.9585},
                                      {"HGK", 0.0, 619.370978, 0.0256},
                                      {"PR:N2", 0.0, 100.0, 50.0},
                                      {"Jacobsen", 0.0, 100.0, 50.0},
                                      {"SRK:CO2", 0.0, 250.0, 100.0}};
    constexpr int kStates = 80;  // random (T, P) per model, each searched with both kinds
    Draw draw;
    long asked = 0, answered = 0, wrongPhase = 0, onLoops = 0, wrongBranch = 0;
    std::string first;
    auto bad = [&](long& count, const std::string& what) {
        if (onLoops + wrongPhase + wrongBranch < 12) first += "\n  " + what;
        ++count;
    };
    for (const Lib& l : libs) {
        auto m = model(l.name), sat = model(l.name);
        ASSERT_TRUE(m && sat) << l.name;
        std::vector<Named> states;
        for (const Named& n : named)
            if (std::string(n.name) == l.name) states.push_back(n);
        for (int k = 0; k < kStates; ++k) {
            if (l.fluid)
                states.push_back({l.name, 0.0, (0.4 + 0.8 * draw()) * l.Tc, 0.01 * std::pow(2e6, draw())});
            else
                states.push_back({l.name, 0.02 + 0.18 * draw(), 630.0 + 90.0 * draw(), 10.0 * std::pow(40.0, draw())});
        }
        for (const Named& s : states) {
            const double T = s.T, P = s.P;
            if (!l.fluid) {
                m->composition_of_component(0, 1.0 - s.x);
                m->composition_of_component(1, s.x);
            }
            // The model's own saturation below the fluid's critical point.
            double Vl = 0.0, Vv = 0.0, psat = 0.0;
            if (l.fluid && T < 0.999 * l.Tc) {
                int status = 1;
                capture([&] { status = sat->calculateTheSaturationPressure(T); });
                if (status == 0 && sat->Vv_sat > sat->Vl_sat) {
                    Vl = sat->Vl_sat;
                    Vv = sat->Vv_sat;
                    psat = pressureAt(*sat, T, Vv) * 1e-5;
                }
            }
            for (int kind : {1, 2}) {
                ++asked;
                m->set_the_phase_as(kind);
                m->temperature(T);
                m->pressure(P);
                capture([&] { m->calculate_molar_volume(); });
                if (m->errorflag) continue;
                ++answered;
                const double V = m->V;
                const std::string at = std::string(l.name) + " kind " + std::to_string(kind) + " T " + sweep::num(T) +
                                       " P " + sweep::num(P) + " bar: V " + sweep::num(V * 1e6) + " cm3/mol";
                const double p0 = pressureAt(*m, T, V), h = 1e-6 * V;
                const double slope = (pressureAt(*m, T, V + h) - pressureAt(*m, T, V - h)) / (2.0 * h);
                if (!(slope < 0.0) || !sweep::pressureGiven(p0, P * 1e5, V * slope)) {
                    bad(onLoops, at + " lies on a loop (dP/dV " + sweep::num(slope) + ", P " + sweep::num(p0 * 1e-5) +
                                     " bar)");
                    continue;
                }
                const bool vapour = kind == 1;
                if (!l.fluid) {
                    if (!fallsToTheGas(*m, T, V, P) && !risesToTheDenseFluid(*m, T, V, P, m->estimate_Vl0()))
                        bad(wrongBranch, at + " is on neither branch");
                } else if (Vv > 0.0) {
                    bool on = false;
                    if (vapour)
                        on = V >= Vv * (1.0 - 1e-9) || (V > Vl && P > psat && saturatedStretch(*m, T, V, Vv));
                    else
                        on = V <= Vl * (1.0 + 1e-9) || (V < Vv && P < psat && saturatedStretch(*m, T, V, Vl));
                    if (!on)
                        bad(wrongBranch, at + " is not on the " + (vapour ? "vapour" : "liquid") + " branch (Vl " +
                                             sweep::num(Vl * 1e6) + ", Vv " + sweep::num(Vv * 1e6) + ")");
                }
                if (l.fluid && T >= l.Tt && T < 0.95 * l.Tc) {
                    const double Vmid = 2.0 / (1.0 / ancillarySaturatedLiquidVolume(l.fluid, T) +
                                               1.0 / ancillarySaturatedVapourVolume(l.fluid, T));
                    if (vapour ? V < Vmid : V > Vmid)
                        bad(wrongPhase, at + " is a " + (V < Vmid ? "liquid" : "vapour") + " of " + l.fluid);
                }
            }
        }
    }
    std::printf("[ sweep    ] library: %ld searches, %ld answered, %ld in the wrong phase, %ld on loops, %ld on the "
                "wrong branch\n",
                asked, answered, wrongPhase, onLoops, wrongBranch);
    EXPECT_EQ(wrongPhase + onLoops + wrongBranch, 0) << first;
    EXPECT_GT(answered, asked / 3);
}
