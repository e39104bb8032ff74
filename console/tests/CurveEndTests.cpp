// Where the console's curves end, against evaluations written here from the
// published equations: the binaries of Soave-Redlich-Kwong (Soave 1972), of
// Peng-Robinson (1976), with Montel's volume translation, and of
// Peng-Robinson with Stryjek and Vera's alpha (1986), van der Waals one-fluid
// mixing with the project's constants and pair parameters, for the P-x
// isotherms, which end at the critical point of their isotherm
// (Heidemann and Khalil 1980, solved here anew), and the critical points at
// fixed composition; the critical curves of Peng-Robinson fluids in both
// component orders; and the isotherms and isochores of water and CO2 across
// their two-phase region (no single-phase state inside it, no nan, the
// published saturation at their edges).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "console/FluidModelFactory.h"
#include "console/tests/ConsoleTestSupport.h"
#include "equilibria/IFP.h"
#include "fluid/SaturationAncillaries.h"
#include "fluid/tests/TextRows.h"
#include "console/tests/IndependentCubic.h"
#include "console/tests/ModelCommands.h"

namespace {

using namespace indep;

using consoletest::model;
using consoletest::run;

double relDiff(double a, double b) { return std::fabs(a / b - 1.0); }

}  // namespace

namespace {

// The binaries of the cubics, each with the cubic written here and three
// temperatures of its two-phase region.
struct CubicBinaryCase {
    std::string model;
    Cubic eos;
    std::vector<double> temperatures;
};

std::vector<CubicBinaryCase> cubicBinaryCases() {
    return {
            {"SRK1:CO2,CH4", srk(kSrk1CO2, kSrk1CH4, 0.1), {230.0, 250.0, 270.0}},
            {"SRK2:CO2,CH4", srk(kFileCO2, kFileCH4, 0.1), {230.0, 250.0, 270.0}},
            {"SRK:CO2,CH4", srk(kSrk1CO2, kSrk1CH4, 0.1), {230.0, 250.0, 270.0}},
            {"PRSV:CO2,CH4", prsv(kPrsvCO2, kPrsvCH4, 0.1), {230.0, 250.0, 270.0}},
            {"Montel:CO2,CH4", montel(kMontelCO2, kMontelSCO2, kMontelCH4, kMontelSCH4, 0.1), {230.0, 250.0, 270.0}},
            {"PR:CO2,CH4", pr(kPrCO2, kPrCH4, 0.1), {230.0, 250.0, 270.0}},
            {"SRK1:CO2,N2", srk(kSrk1CO2, kSrk1N2, -0.035), {230.0, 250.0, 280.0}},
            {"SRK2:CO2,N2", srk(kFileCO2, kFileN2, -0.035), {230.0, 250.0, 280.0}},
            {"SRK:CO2,N2", srk(kSrk1CO2, kSrkN2, -0.035), {230.0, 250.0, 280.0}},
            {"PRSV:CO2,N2", prsv(kPrsvCO2, kPrsvN2, -0.035), {230.0, 250.0, 280.0}},
            {"Montel:CO2,N2", montel(kMontelCO2, kMontelSCO2, kMontelN2, kMontelSN2, -0.02), {230.0, 250.0, 280.0}},
            {"PR:CO2,N2", pr(kPrCO2, kPrN2, -0.035), {230.0, 250.0, 280.0}},
            {"SRK1:CH4,N2", srk(kSrk1CH4, kSrk1N2, 0.03), {140.0, 150.0, 170.0}},
            {"SRK2:CH4,N2", srk(kFileCH4, kFileN2, 0.03), {140.0, 150.0, 170.0}},
            {"SRK:CH4,N2", srk(kSrk1CH4, kSrkN2, 0.03), {140.0, 150.0, 170.0}},
            {"PRSV:CH4,N2", prsv(kPrsvCH4, kPrsvN2, 0.03), {140.0, 150.0, 170.0}},
            {"Montel:CH4,N2", montel(kMontelCH4, kMontelSCH4, kMontelN2, kMontelSN2, 0.04), {140.0, 150.0, 170.0}},
            {"PR:CH4,N2", pr(kPrCH4, kPrN2, 0.03), {140.0, 150.0, 170.0}},
            {"PRSV:H2O,CO2", prsv(kPrsvH2O, kPrsvCO2, 0.0), {580.0, 600.0, 620.0}},
    };
}

// The critical point of the isotherm at T solved anew on the independent
// cubic from the middle of a curve's last row (x1 in column 3, V in cm3/mol
// in column 6): its x1 and pressure (Pa); false where the solve fails.
bool criticalEndOf(const CubicBinaryCase& c, double T, const std::vector<double>& end, double& x1, double& Pc) {
    double V = end[6] * 1e-6, Tc = T;
    x1 = end[3];
    if (!c.eos.critical(true, Tc, V, x1)) return false;
    Pc = c.eos.P(T, V, x1);
    return true;
}

}  // namespace

// Every row of each isotherm is a bubble point of the cubic written above (the
// two phases' pressures and fugacities equal, to the six printed digits), the
// rows approach the critical point of the isotherm without passing it (no
// pressure above it, no liquid composition beyond it), and the last row is
// that critical point, solved here anew.
TEST(CurveEnds, CubicBinaryIsothermsEndAtTheirCriticalPoint) {
    int rows = 0, curves = 0;
    double worstRow = 0.0, worstUnits = 0.0, worstEnd = 0.0;
    for (const CubicBinaryCase& c : cubicBinaryCases()) {
        for (double T : c.temperatures) {
            auto m = model(c.model);
            ASSERT_TRUE(m) << c.model;
            std::string err;
            ASSERT_TRUE(run(*m, {"bino", std::to_string(T), "_ce"}, &err)) << c.model << " " << T << ": " << err;
            const auto r = readTextRows("bino_ce");
            ASSERT_GE(r.size(), 5u) << c.model << " " << T;
            ++curves;
            // The critical point of the isotherm, from the middle of the last tie line.
            const auto& end = r.back();
            double x1 = 0.0, Pc = 0.0;
            ASSERT_TRUE(criticalEndOf(c, T, end, x1, Pc)) << c.model << " " << T;
            EXPECT_NEAR(end[3], x1, 2e-5) << c.model << " " << T;
            EXPECT_NEAR(end[5], x1, 2e-5) << c.model << " " << T;
            EXPECT_LT(relDiff(end[1] * 1e5, Pc), 5e-6) << c.model << " " << T;  // six printed digits
            worstEnd = std::max(worstEnd, relDiff(end[1] * 1e5, Pc));
            const double x0 = r.front()[3];
            for (std::size_t k = 0; k + 1 < r.size(); ++k) {
                const double P = r[k][1] * 1e5, xl = r[k][3], yv = r[k][5], Vl = r[k][6] * 1e-6, Vv = r[k][7] * 1e-6;
                ++rows;
                EXPECT_LE(P, Pc * (1.0 + 1e-7)) << c.model << " " << T << " row " << k;
                EXPECT_LE(std::fabs(xl - x0), std::fabs(x1 - x0) + 1e-6) << c.model << " " << T << " row " << k;
                // Each phase's pressure at its printed volume and
                // composition, its difference from the printed pressure in
                // units of what rounding the row to six digits allows
                // (half a unit of the last digit of P, V and x; two such
                // units leave room for a model constant rounded otherwise in
                // its seventh digit).
                const double halfP = 0.5 * std::pow(10.0, std::floor(std::log10(r[k][1])) - 5) * 1e5;
                auto roundingUnits = [&](double Vp, double xp) {
                    const double halfV = 0.5 * std::pow(10.0, std::floor(std::log10(Vp * 1e6)) - 5) * 1e-6;
                    const double dPdV = (c.eos.P(T, Vp + halfV, xp) - c.eos.P(T, Vp - halfV, xp)) / 2.0;
                    const double dPdx = (c.eos.P(T, Vp, std::min(xp + 5e-7, 1.0)) -
                                         c.eos.P(T, Vp, std::max(xp - 5e-7, 0.0))) / 2.0;
                    return std::fabs(c.eos.P(T, Vp, xp) - P) / (halfP + std::fabs(dPdV) + std::fabs(dPdx));
                };
                const double dPl = roundingUnits(Vl, xl), dPv = roundingUnits(Vv, yv);
                EXPECT_LT(dPl, 2.0) << c.model << " " << T << " row " << k;
                EXPECT_LT(dPv, 2.0) << c.model << " " << T << " row " << k;
                double df = 0.0;
                for (int i = 0; i < 2; ++i) {
                    if ((i == 0 && (xl >= 1.0 || yv >= 1.0)) || (i == 1 && (xl <= 0.0 || yv <= 0.0))) continue;
                    df = std::max(df, std::fabs(c.eos.lnf(i, T, Vl, xl) - c.eos.lnf(i, T, Vv, yv)));
                }
                EXPECT_LT(df, 2e-4) << c.model << " " << T << " row " << k;
                worstRow = std::max(worstRow, df);
                worstUnits = std::max({worstUnits, dPl, dPv});
            }
        }
    }
    std::printf("cubic isotherms: %d curves, %d rows; largest ln f difference %.3g, pressure difference %.3g of the "
                "rounding; largest relative difference at the end %.3g\n",
                curves, rows, worstRow, worstUnits, worstEnd);
}

// The same isotherms by the two-phase continuation on two models (liquid and
// vapour), from a flash at a middle row of the trace towards the critical
// point: every row a stable tie line of the cubic, the last one the critical
// point of the isotherm.
TEST(CurveEnds, TwoPhaseContinuationIsothermsEndAtTheirCriticalPoint) {
    int contRows = 0, contCurves = 0;
    double contWorstRow = 0.0, contWorstEnd = 0.0;
    for (const CubicBinaryCase& c : cubicBinaryCases()) {
        if (c.model != "SRK1:CO2,CH4" && c.model != "PR:CO2,CH4") continue;
        for (double T : c.temperatures) {
            auto m = model(c.model);
            ASSERT_TRUE(run(*m, {"bino", std::to_string(T), "_ce"}));
            const auto r = readTextRows("bino_ce");
            const auto& mid = r[r.size() / 2];
            auto liquid = model(c.model), vapour = model(c.model);
            ASSERT_TRUE(liquid && vapour);
            consoletest::capture([&] {
                liquid->set_the_phase_as(2);
                vapour->set_the_phase_as(1);
                IFP ifp(*liquid, *vapour);
                ifp.number_of_components(2);
                ifp.add_components("CO2", "CH4");
                ifp.temperature(T);
                ifp.pressure(mid[1]);
                ifp.xcomposition(0, mid[2]);
                ifp.xcomposition(1, mid[3]);
                ifp.ycomposition(0, mid[4]);
                ifp.ycomposition(1, mid[5]);
                liquid->Vl0 = mid[6] * 1e-6;
                vapour->Vv0 = mid[7] * 1e-6;
                ifp.first_init_flag = 0;
                ifp.calculate_an_isotherm_of_the_binary_system("ifpiso_ce", T, 0.5, -0.02, 1.0, 1000.0, "c");
            });
            std::vector<std::vector<double>> q;
            for (const auto& row : readTextRows("ifpiso_ce"))
                if (row.size() == 9 && row[0] > 0.0) q.push_back(row);
            ASSERT_GE(q.size(), 5u) << c.model << " " << T;
            ++contCurves;
            const auto& end = q.back();
            double x1 = 0.0, Pc = 0.0;
            ASSERT_TRUE(criticalEndOf(c, T, end, x1, Pc)) << c.model << " " << T;
            EXPECT_NEAR(end[3], x1, 2e-6) << c.model << " " << T;
            EXPECT_EQ(end[5], end[3]) << c.model << " " << T;
            EXPECT_LT(relDiff(end[1] * 1e5, Pc), 1e-7) << c.model << " " << T;
            contWorstEnd = std::max(contWorstEnd, relDiff(end[1] * 1e5, Pc));
            for (std::size_t k = 0; k + 1 < q.size(); ++k) {
                const double P = q[k][1] * 1e5, xl = q[k][3], yv = q[k][5], Vl = q[k][6] * 1e-6,
                             Vv = q[k][7] * 1e-6;
                ++contRows;
                EXPECT_LT(P, Pc) << c.model << " " << T << " continuation row " << k;
                EXPECT_GT(yv - xl, 1e-5) << c.model << " " << T << " continuation row " << k;
                for (const auto& [Vp, xp] : {std::pair{Vl, xl}, std::pair{Vv, yv}}) {
                    double g0, g1;
                    c.eos.conditions(T, Vp, xp, g0, g1);
                    EXPECT_GT(g0, 0.0) << c.model << " " << T << " continuation row " << k;
                }
                double df = 0.0;
                for (int i = 0; i < 2; ++i)
                    df = std::max(df, std::fabs(c.eos.lnf(i, T, Vl, xl) - c.eos.lnf(i, T, Vv, yv)));
                EXPECT_LT(df, 1e-6) << c.model << " " << T << " continuation row " << k;
                EXPECT_LT(relDiff(c.eos.P(T, Vl, xl), P), 1e-6) << c.model << " " << T << " row " << k;
                EXPECT_LT(relDiff(c.eos.P(T, Vv, yv), P), 1e-6) << c.model << " " << T << " row " << k;
                contWorstRow = std::max(contWorstRow, df);
            }
        }
    }
    std::printf("two-phase continuation isotherms: %d curves, %d rows; largest ln f difference %.3g; largest relative "
                "pressure difference at the end %.3g\n",
                contCurves, contRows, contWorstRow, contWorstEnd);
}

// The critical points at five compositions of the CO2-CH4 binaries are the
// roots of the same conditions.
TEST(CurveEnds, CubicCriticalPointsAtFiveCompositions) {
    int points = 0;
    double worstPoint = 0.0;
    for (const CubicBinaryCase& c : cubicBinaryCases()) {
        if (c.model.find("CO2,CH4") == std::string::npos) continue;
        // Five compositions; the independent solve starts from the
        // mole-fraction mean of the pure critical temperatures.
        for (double xc : {0.1, 0.3, 0.525837, 0.6, 0.8}) {
            auto m = model(c.model);
            std::string err, out;
            ASSERT_TRUE(run(*m, {"x", std::to_string(xc), "crit", "_ce"}, &err, &out)) << c.model << " " << xc << err;
            double Tp = 0, Vp = 0, Pp = 0;
            ASSERT_EQ(std::sscanf(out.c_str() + out.find("T "), "T %lf", &Tp), 1);
            ASSERT_EQ(std::sscanf(out.c_str() + out.find("V "), "V %lf", &Vp), 1);
            ASSERT_EQ(std::sscanf(out.c_str() + out.find("P "), "P %lf", &Pp), 1);
            double T = (1.0 - xc) * c.eos.c[0].Tc + xc * c.eos.c[1].Tc, V = 9e-5, x1 = xc;
            ASSERT_TRUE(c.eos.critical(false, T, V, x1)) << c.model << " " << xc;
            ++points;
            EXPECT_NEAR(Tp, T, 2e-5 * T) << c.model << " " << xc;
            EXPECT_LT(relDiff(Pp * 1e5, c.eos.P(T, V, xc)), 2e-6) << c.model << " " << xc;
            worstPoint = std::max(worstPoint, std::fabs(Tp / T - 1.0));
        }
    }
    std::printf("cubic critical points: %d, largest relative T difference %.3g\n", points, worstPoint);
}

// The two spinodals of "spinox" along temperature at x1 = 0.5 from the
// critical point down: every row of each file lies where the Hessian of A in
// (x1, V) is singular (G0 = 0 of the SRK above), at the SRK's pressure, the
// liquid side below the critical volume and the vapour side above it
// (250.505 K: 80.4407 and 141.644 cm3/mol); standard output stays empty.
TEST(CurveEnds, SpinodalsOfAMixtureOnBothSides) {
    const Cubic eos = srk(kSrk1CO2, kSrk1CH4, 0.1);
    auto m = model("SRK1:CO2,CH4");
    std::string err, out;
    ASSERT_TRUE(run(*m, {"spinox", "250", "80", "0.5", "_cl", "_cv"}, &err, &out)) << err;
    EXPECT_EQ(out, "");
    const auto liquid = readTextRows("spinot_cl"), vapour = readTextRows("spinot_cv");
    ASSERT_GE(liquid.size(), 30u);
    ASSERT_EQ(liquid.size(), vapour.size());
    const double Vc = liquid.front()[2];
    int rows = 0;
    double worst = 0.0;
    for (const auto* r : {&liquid, &vapour}) {
        for (std::size_t k = 1; k < r->size(); ++k) {
            const double T = (*r)[k][0], V = (*r)[k][2] * 1e-6;
            EXPECT_NEAR(T, liquid[k][0], 1e-9);
            EXPECT_TRUE(r == &liquid ? V * 1e6 < Vc : V * 1e6 > Vc) << k;
            double g0, g1;
            eos.conditions(T, V, 0.5, g0, g1);
            EXPECT_LT(std::fabs(g0), 2e-5) << T << " " << V;
            // The pressure to the printed digits of P (five decimals) and V (six digits).
            const double halfV = 0.5 * std::pow(10.0, std::floor(std::log10(V * 1e6)) - 5) * 1e-6;
            const double dP = std::fabs(eos.P(T, V + halfV, 0.5) - eos.P(T, V - halfV, 0.5)) / 2.0;
            EXPECT_LT(std::fabs(eos.P(T, V, 0.5) - (*r)[k][1] * 1e5), 1.2 * (0.5 + dP)) << T;
            worst = std::max(worst, std::fabs(g0));
            ++rows;
        }
    }
    // The published pair at 250.505 K.
    EXPECT_NEAR(liquid[3][0], 250.505077, 1e-6);
    EXPECT_NEAR(liquid[3][2], 80.4407, 1e-4);
    EXPECT_NEAR(vapour[3][2], 141.644, 1e-3);
    std::printf("spinodals: %d rows, largest scaled G0 %.3g\n", rows, worst);
}

// The critical curves of Peng-Robinson and PRSV run from the critical point
// of the component of the higher critical temperature, whichever order the
// names are given in: the same rows in both orders (x1 of one the other's
// x0), for the gas pairs (type I, to the other component's critical point,
// or to CO2's freezing edge with N2) and for water with each gas (type III:
// the branch rising from water's critical point to the range's 1000 bar
// first, then the short one from the gas's that ends at a critical end
// point), branch by branch.
TEST(CurveEnds, CriticalCurvesAreTheSameInEitherComponentOrder) {
    struct Pair {
        std::string heavy, light;
        double Tc;  // the heavier component's critical temperature (K)
        bool toTheOtherEnd;
    };
    const std::vector<Pair> pairs = {{"CO2", "CH4", 304.13, true},  {"CH4", "N2", 190.56, true},
                                     {"CO2", "N2", 304.13, false},  {"H2O", "CO2", 647.1, false},
                                     {"H2O", "CH4", 647.1, false},  {"H2O", "N2", 647.1, false}};
    int curves = 0;
    for (const char* m : {"PR", "PRSV"})
        for (const Pair& pair : pairs) {
            std::vector<std::vector<std::vector<double>>> branches[2];
            std::vector<std::vector<double>> r[2];
            for (int o = 0; o < 2; ++o) {
                const std::string name =
                    std::string(m) + ":" + (o == 0 ? pair.heavy + "," + pair.light : pair.light + "," + pair.heavy);
                auto f = model(name);
                std::string err;
                ASSERT_TRUE(run(*f, {"crit2", "_ce"}, &err)) << name << err;
                branches[o] = branchesOf(readTextRows("crit_ce"));
                r[o] = branches[o].front();
                ASSERT_GE(r[o].size(), 40u) << name;
                ++curves;
            }
            const std::string what = std::string(m) + " " + pair.heavy + "-" + pair.light;
            // Columns: P 0, T 2, x0 3, x1 4.  From the heavier component's
            // critical point; to the lighter's where the curve is continuous,
            // else up to the range's 1000 bar or CO2's freezing edge.
            EXPECT_EQ(r[0].front()[4], 0.0) << what;
            EXPECT_EQ(r[1].front()[3], 0.0) << what;
            EXPECT_NEAR(r[0].front()[2], pair.Tc, 0.01 * pair.Tc) << what;
            if (pair.toTheOtherEnd)
                EXPECT_EQ(r[0].back()[4], 1.0) << what;
            else
                EXPECT_TRUE(r[0].back()[0] == 1000.0 || r[0].back()[2] < 216.6) << what;
            ASSERT_EQ(branches[0].size(), pair.toTheOtherEnd ? 1u : 2u) << what;
            ASSERT_EQ(branches[0].size(), branches[1].size()) << what;
            for (std::size_t b = 0; b < branches[0].size(); ++b) {
                const auto &r0 = branches[0][b], &r1 = branches[1][b];
                ASSERT_EQ(r0.size(), r1.size()) << what << " branch " << b;
                for (std::size_t k = 0; k < r0.size(); ++k) {
                    EXPECT_NEAR(r0[k][2], r1[k][2], 1e-6 * r0[k][2]) << what << " row " << k;
                    EXPECT_NEAR(r0[k][0], r1[k][0], 1e-6 * r0[k][0]) << what << " row " << k;
                    EXPECT_NEAR(r0[k][4], r1[k][3], 1e-9) << what << " row " << k;
                }
            }
        }
    std::printf("critical curves in both orders: %d\n", curves);
}

namespace {

// Every sentence an isochore said of its temperatures not written (on
// standard error, `err`) is a note of its file too, after its rows.
void expectIsochoreNotesInItsFile(const std::string& err, const std::string& path) {
    const std::string file = readWholeFile(path);
    const std::size_t end = file.find("END\n");
    ASSERT_NE(end, std::string::npos) << path;
    int notes = 0;
    for (std::size_t at = err.find("Isochore at "); at != std::string::npos; at = err.find("Isochore at ", at + 1)) {
        const std::string line = err.substr(at, err.find('\n', at) - at);
        EXPECT_NE(file.find("X // " + line + "\n", end), std::string::npos) << line << "\n" << file.substr(end);
        ++notes;
    }
    EXPECT_GT(notes, 0) << err;
}

}  // namespace

// Water's and CO2's isotherms and isochores across the two-phase region: no
// nan, no state inside it (between the saturated volumes of the published
// ancillary equations), and the rows at its edges at the saturation pressure;
// an isochore's notes of the temperatures it does not write in its file too.
TEST(CurveEnds, IsothermsAndIsochoresOfWaterAndCO2AcrossTheDome) {
    struct Isotherm {
        const char* model;
        const char* fluid;
        double T, Vmin, Vmax;
    };
    int rows = 0;
    for (const Isotherm& c : {Isotherm{"wagner", "H2O", 600.0, 20.0, 2000.0}, Isotherm{"wagner", "H2O", 625.0, 20.0, 2000.0},
                              Isotherm{"IUPACCO2", "CO2", 280.0, 40.0, 2000.0}}) {
        auto m = model(c.model);
        std::string err;
        EXPECT_TRUE(run(*m, {"isotherm", std::to_string(c.T), std::to_string(c.Vmin), std::to_string(c.Vmax), "_ce"},
                        &err))
            << c.model << err;
        const auto r = readTextRows("isot_ce");
        ASSERT_GE(r.size(), 100u);
        const double Vl = ancillarySaturatedLiquidVolume(c.fluid, c.T) * 1e6,
                     Vv = ancillarySaturatedVapourVolume(c.fluid, c.T) * 1e6,
                     ps = ancillaryVapourPressure(c.fluid, c.T) * 1e-5;
        // The last row below the region and the first above it are its
        // saturated phases, at the vapour pressure (the ancillary equation of
        // the fluid: IAPWS-95's within 0.1 %, CO2's 0.4 % from the IUPAC
        // equation of the model).
        const double tol = std::string(c.fluid) == "H2O" ? 1e-3 : 6e-3;
        std::size_t below = 0;
        for (std::size_t k = 0; k < r.size(); ++k) {
            ++rows;
            for (double v : r[k]) EXPECT_TRUE(std::isfinite(v)) << c.model << " " << c.T;
            EXPECT_FALSE(r[k][0] > 1.002 * Vl && r[k][0] < 0.998 * Vv) << c.model << " " << c.T << " V " << r[k][0];
            if (r[k][0] < std::sqrt(Vl * Vv)) below = k;
        }
        ASSERT_LT(below + 1, r.size());
        EXPECT_LT(relDiff(r[below][1], ps), tol) << c.model << " " << c.T;
        EXPECT_LT(relDiff(r[below + 1][1], ps), tol) << c.model << " " << c.T;
        EXPECT_EQ(r[below][1], r[below + 1][1]) << c.model << " " << c.T;
        EXPECT_LT(relDiff(r[below][0], Vl), tol) << c.model << " " << c.T;
        EXPECT_LT(relDiff(r[below + 1][0], Vv), 3 * tol) << c.model << " " << c.T;
        EXPECT_NE(err.find("two-phase"), std::string::npos);
    }
    // 60 cm3/mol of water (300.25 kg/m3) meets the saturated vapour at
    // 647.072 K: the isochore from 500 K starts there.  The others start
    // where their volume is that of the saturated liquid (water) or vapour
    // (CO2): at the vapour pressure, with the saturated volume of the
    // ancillary equations.
    struct Isochore {
        const char* model;
        const char* fluid;
        double V, Tmin, Tmax;
        bool liquid;
    };
    for (const Isochore& c : {Isochore{"wagner", "H2O", 60.0, 500.0, 800.0, false},
                              Isochore{"wagner", "H2O", 25.0, 400.0, 700.0, true},
                              Isochore{"IUPACCO2", "CO2", 50.0, 230.0, 400.0, true},
                              Isochore{"IUPACCO2", "CO2", 200.0, 230.0, 400.0, false}}) {
        auto w = model(c.model);
        std::string err;
        EXPECT_TRUE(run(*w, {"isoc", std::to_string(c.V), std::to_string(c.Tmin), std::to_string(c.Tmax), "_ce"},
                        &err))
            << err;
        EXPECT_NE(err.find("two-phase region"), std::string::npos) << err;
        const auto r = readTextRows("isoc_ce");
        ASSERT_GE(r.size(), 50u) << c.model << " " << c.V;
        const double T0 = r.front()[0];
        const double tol = std::string(c.fluid) == "H2O" ? 1e-3 : 6e-3;
        EXPECT_GT(T0, c.Tmin + 1.0);
        EXPECT_LT(relDiff(r.front()[1] * 1e5, ancillaryVapourPressure(c.fluid, T0)), tol) << c.model << " " << c.V;
        const double Vs = c.liquid ? ancillarySaturatedLiquidVolume(c.fluid, T0) : ancillarySaturatedVapourVolume(c.fluid, T0);
        EXPECT_LT(relDiff(c.V * 1e-6, Vs), 2 * tol) << c.model << " " << c.V << " at " << T0;
        if (std::string(c.model) == "wagner" && c.V == 60.0) {
            EXPECT_NEAR(T0, 647.072, 0.002);
        }
        for (const auto& row : r) {
            ++rows;
            EXPECT_GE(row[0], T0);
            for (double v : row) EXPECT_TRUE(std::isfinite(v));
        }
        expectIsochoreNotesInItsFile(err, "isoc_ce");
    }
    // A mixture's isochore through its spinodals, where no state of one
    // phase is written: said on standard error and in the file.
    auto m = model("PRSV:N2,CH4");
    std::string err;
    EXPECT_TRUE(run(*m, {"x", "0.22064", "isoc", "256.6", "84.8", "209.7", "_cn"}, &err)) << err;
    EXPECT_NE(err.find("temperatures from 84.8 to"), std::string::npos) << err;
    expectIsochoreNotesInItsFile(err, "isoc_cn");
    std::printf("pure-fluid lines: %d rows\n", rows);
}

// The bubble and dew branches of isopleths (fixed composition z of CH4) of
// SRK1 and Peng-Robinson CO2-CH4, traced in temperature from 220 K by the
// fluid's isopleth and by the two-phase continuation on two models (liquid
// and vapour): every row is a two-phase state of the cubic written above
// (equal fugacities and pressures, both phases inside their stable region),
// the phases stay distinct and on their sides, and the last row of each
// branch is the critical point of the mixture z (Heidemann-Khalil, solved
// here), where the two branches meet.
TEST(CurveEnds, IsoplethBranchesEndAtTheCriticalPointOfTheirMixture) {
    struct Case {
        std::string model;
        Cubic eos;
    };
    const std::vector<Case> cases = {{"SRK1:CO2,CH4", srk(kSrk1CO2, kSrk1CH4, 0.1)},
                                     {"PR:CO2,CH4", pr(kPrCO2, kPrCH4, 0.1)}};
    int rows = 0, curves = 0;
    double worstRow = 0.0, worstEnd = 0.0;
    // A branch as rows of T (K), P (bar), x1, y1, Vl and Vv (m3/mol).
    auto check = [&](const Case& c, double z, bool bubble, const std::vector<std::vector<double>>& r,
                     const std::string& what) {
        ASSERT_GE(r.size(), 10u) << what;
        ++curves;
        const std::size_t n = r.size();
        // The critical point of the mixture z, from the last row.
        const auto& e = r.back();
        double Tc = e[0], Vc = e[4], xc = z;
        ASSERT_TRUE(c.eos.critical(false, Tc, Vc, xc)) << what;
        const double Pc = c.eos.P(Tc, Vc, z);
        EXPECT_NEAR(e[2], z, 1e-12) << what;
        EXPECT_NEAR(e[3], z, 1e-12) << what;
        EXPECT_NEAR(e[4], e[5], 1e-15) << what;
        EXPECT_LT(std::fabs(e[0] / Tc - 1.0), 1e-6) << what;
        EXPECT_LT(relDiff(e[1] * 1e5, Pc), 1e-5) << what;
        worstEnd = std::max({worstEnd, std::fabs(e[0] / Tc - 1.0), relDiff(e[1] * 1e5, Pc)});
        const double side = r[0][3] - r[0][2];
        for (std::size_t i = 0; i + 1 < n; ++i) {
            const double T = r[i][0], P = r[i][1] * 1e5, xl = r[i][2], yv = r[i][3], Vl = r[i][4], Vv = r[i][5];
            ++rows;
            EXPECT_NEAR(bubble ? xl : yv, z, 1e-9) << what;
            // Distinct phases on their sides: no near-trivial pair, no state
            // past the critical point.
            EXPECT_GT((yv - xl) * side, 0.0) << what << " row " << i;
            EXPECT_GT(std::fabs(yv - xl), 1e-5) << what << " row " << i;
            EXPECT_GT(Vv, Vl * (1.0 + 1e-4)) << what << " row " << i;
            // Both phases stable states of the cubic (its Helmholtz energy
            // convex in V and x): not a root beyond a spinodal.
            for (const auto& [Vp, xp] : {std::pair{Vl, xl}, std::pair{Vv, yv}}) {
                double g0, g1;
                c.eos.conditions(T, Vp, xp, g0, g1);
                EXPECT_GT(g0, 0.0) << what << " row " << i;
            }
            const double dP = std::max(relDiff(c.eos.P(T, Vl, xl), P), relDiff(c.eos.P(T, Vv, yv), P));
            double df = 0.0;
            for (int j = 0; j < 2; ++j)
                df = std::max(df, std::fabs(c.eos.lnf(j, T, Vl, xl) - c.eos.lnf(j, T, Vv, yv)));
            EXPECT_LT(dP, 1e-6) << what << " row " << i;
            EXPECT_LT(df, 1e-6) << what << " row " << i;
            worstRow = std::max({worstRow, dP, df});
        }
        // The approach: the last rows close in on the critical point.
        EXPECT_LT(std::fabs(r[n - 2][3] - r[n - 2][2]), 0.02) << what;
    };
    for (const Case& c : cases) {
        for (double z : {0.2, 0.4}) {
            for (int type : {2, 1}) {
                const bool bubble = type == 2;
                const std::string what = c.model + " z " + std::to_string(z) + (bubble ? " bubble" : " dew");
                auto m = model(c.model);
                ASSERT_TRUE(m);
                // Start values: the isotherm at 220 K where the held phase's
                // composition passes z (liquid column 3, vapour column 5).
                ASSERT_TRUE(run(*m, {"bino", "220", "_ip"}));
                const auto iso = readTextRows("bino_ip");
                const int col = bubble ? 3 : 5;
                std::size_t k = 0;
                while (k + 1 < iso.size() && !((iso[k][col] - z) * (iso[k + 1][col] - z) <= 0.0)) ++k;
                ASSERT_LT(k + 1, iso.size()) << what;
                const auto& a = iso[k];
                const auto& b = iso[k + 1];
                const double t = (z - a[col]) / (b[col] - a[col]);
                auto at = [&](int j) { return a[j] + t * (b[j] - a[j]); };
                const double x1 = bubble ? z : at(3), y1 = bubble ? at(5) : z;

                std::vector<double> flat;
                consoletest::capture([&] {
                    m->calculate_an_isopleth(220.0, at(6) * 1e-6, at(7) * 1e-6, x1, y1, 3e7, 1.0, 1e5, type, 6,
                                             nullptr, &flat);
                });
                std::vector<std::vector<double>> r;
                for (std::size_t i = 0; i + 8 <= flat.size(); i += 8)
                    r.push_back({flat[i], flat[i + 1], flat[i + 3], flat[i + 5], flat[i + 6], flat[i + 7]});
                check(c, z, bubble, r, what);

                // The same branch by the continuation of two-phase states of
                // the bulk z at the vapour fraction 0 (bubble) or 1 (dew).
                auto liquid = model(c.model), vapour = model(c.model);
                ASSERT_TRUE(liquid && vapour);
                std::vector<double> ifpRows;
                consoletest::capture([&] {
                    liquid->set_the_phase_as(2);
                    vapour->set_the_phase_as(1);
                    IFP ifp(*liquid, *vapour);
                    ifp.number_of_components(2);
                    ifp.add_components("CO2", "CH4");
                    ifp.bulk_composition(1.0 - z, z);
                    ifp.temperature(220.0);
                    ifp.pressure(at(1));
                    ifp.xcomposition(0, 1.0 - x1);
                    ifp.xcomposition(1, x1);
                    ifp.ycomposition(0, 1.0 - y1);
                    ifp.ycomposition(1, y1);
                    liquid->Vl0 = at(6) * 1e-6;
                    vapour->Vv0 = at(7) * 1e-6;
                    ifp.first_init_flag = 0;
                    ifp.calculate_an_isopleth(220.0, bubble ? 0.0 : 1.0, nullptr, "i", 200.0, 400.0, 1.0, 1e5, 0, 6,
                                              &ifpRows);
                });
                r.clear();
                for (std::size_t i = 0; i + 11 <= ifpRows.size(); i += 11)
                    r.push_back({ifpRows[i], ifpRows[i + 1], ifpRows[i + 3], ifpRows[i + 5], ifpRows[i + 6] * 1e-6,
                                 ifpRows[i + 7] * 1e-6});
                check(c, z, bubble, r, what + " (two-phase continuation)");
            }
        }
    }
    std::printf("isopleths: %d branches, %d rows; largest relative difference of a row %.3g, at the end %.3g\n",
                curves, rows, worstRow, worstEnd);
}
