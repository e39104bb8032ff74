// Isotherms and ternary tie lines of van der Waals mixtures: every point of
// a binary isotherm an equilibrium by the closed forms, its ends at the pure
// component's exact coexistence and at the mixture's critical point; a
// ternary whose first two components are the same fluid behaves as the
// binary (its pseudo-binary isotherm and its tie lines at fixed T and P
// reproduce the binary's pressures and compositions); the tangents against
// differences.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "equilibria/IFP.h"
#include "equilibria/tests/TestBinary.h"
#include "fluid/tests/VdWFluid.h"
#include "numerics/DataTextFile.h"

namespace {

// Two van der Waals models of n components (a, b per component) and an IFP on them.
struct Models {
    std::unique_ptr<VdWFluid> liq, vap;
    std::unique_ptr<IFP> ifp;
    Models(std::vector<double> a, std::vector<double> b, std::vector<const char*> names) {
        liq = std::make_unique<VdWFluid>(a, b, false, 0.0, 2);
        vap = std::make_unique<VdWFluid>(a, b, false, 0.0, 1);
        liq->liquidStart = 6.5e-5;
        ifp = std::make_unique<IFP>(*liq, *vap);
        ifp->number_of_components(static_cast<int>(a.size()));
        for (const char* name : names) ifp->add_component(name);
    }
};

Models binary() { return Models({kA0, kA1}, {kB0, kB1}, {"CO2", "C3H8"}); }
// Components 0 and 1 the same fluid: a pseudo-binary that is the binary.
Models ternary() { return Models({kA0, kA0, kA1}, {kB0, kB0, kB1}, {"CO2", "C2H6", "C3H8"}); }

void expectBinaryEquilibrium(double T, double P_bar, double x1, double y1, double Vl, double Vv, double tol) {
    const double vl = Vl * 1e-6, vv = Vv * 1e-6, P = P_bar * 1e5;
    EXPECT_LT(rel(mix.P(T, vl, x1), P), tol) << x1;
    EXPECT_LT(rel(mix.P(T, vv, y1), P), tol) << x1;
    // Fugacities to the pressure's scale: near a pure end one of them is tiny.
    for (int i = 0; i < 2; i++)
        EXPECT_LT(std::fabs(mix.fugacity(i, T, vv, y1) - mix.fugacity(i, T, vl, x1)), tol * P) << x1;
}

// The binary's flash at 250 K and 22 bar: liquid and vapour x1.
std::pair<double, double> binaryFlash() {
    Models b = binary();
    IFP& s = *b.ifp;
    s.bulk_composition(0.6, 0.4);
    s.temperature(250.0);
    s.pressure(22.0);
    s.xcomposition(0, 0.6);
    s.xcomposition(1, 0.4);
    s.ycomposition(0, 0.85);
    s.ycomposition(1, 0.15);
    s.nL = s.nV = 0.5;
    s.set_type_of_problem(12);
    s.set_the_temperature(250.0);
    s.set_the_pressure(22.0);
    s.set_initialization_flag(0);
    s.calculateVLE();
    EXPECT_EQ(s.error, 0);
    return {s.x[1], s.y[1]};
}

// Critical point of the binary at temperature T, by bisection in x1.
VdWMixture::Critical criticalAt(double T, double& x1) {
    double lo = 0.0, hi = 1.0;
    for (int i = 0; i < 60; i++) {
        const double mid = 0.5 * (lo + hi);
        (mix.critical(mid).T < T ? lo : hi) = mid;
    }
    x1 = 0.5 * (lo + hi);
    return mix.critical(x1);
}

std::string readFile(const char* path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(IFPIsotherm, BinaryIsothermEndsAtThePureComponent) {
    Models m = binary();
    testing::internal::CaptureStdout();
    m.ifp->calculate_an_isotherm_of_the_binary_system("iso250", 250.0, 0.7, 0.05, 1.0, 200.0, "t");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(m.ifp->estimate_mode, 1);
    DataTextFile data("iso250");
    ASSERT_EQ(data.set_index("Tr Pr xCO2 xC3H8 yC3H8 Vl Vv dPdx"), 8);
    int n = 0;
    double lastP = 0, lastx0 = 0;
    while (data.read()) {
        double T, P, x0, x1, y1, Vl, Vv, slope;
        data >> T >> P >> x0 >> x1 >> y1 >> Vl >> Vv >> slope;
        expectBinaryEquilibrium(T, P, x1, y1, Vl, Vv, 1e-7);
        if (n < 6) {
            EXPECT_NEAR(x0, 0.7 + 0.05 * n, 1e-9);  // full composition steps first
        }
        EXPECT_GT(P, lastP);
        EXPECT_GT(x0, lastx0);
        lastP = P;
        lastx0 = x0;
        n++;
    }
    EXPECT_FALSE(data.failed()) << data.error();
    EXPECT_GT(n, 8);
    // The last points approach the exact coexistence of pure component 0.
    EXPECT_LT(rel(lastP * 1e5, pureCoexistence(kA0, kB0, 250.0).P), 1e-6);
    const std::string text = readFile("iso250");
    EXPECT_NE(text.find("x rename Tr, Tt\nx rename Pr, Prt\nx rename dPdx, dPdxt\n"), std::string::npos);
    EXPECT_NE(text.find("x rename yC3H8, yC3H8t\n"), std::string::npos);
}

TEST(IFPIsotherm, SlopeOfTheIsothermMatchesDifferences) {
    Models m = binary();
    testing::internal::CaptureStdout();
    m.ifp->calculate_an_isotherm_of_the_binary_system("iso250s", 250.0, 0.5, 0.001, 1.0, 200.0, "s");
    testing::internal::GetCapturedStdout();
    DataTextFile data("iso250s");
    ASSERT_EQ(data.set_index("Pr xCO2 dPdx"), 3);
    std::vector<double> P, x0, s;
    while (data.read() && P.size() < 5) {
        double a, b, c;
        data >> a >> b >> c;
        P.push_back(a);
        x0.push_back(b);
        s.push_back(c);
    }
    ASSERT_EQ(P.size(), 5u);
    // dPdx is written as dP/dx0 in Pa / 1e7; central differences in bar.
    for (int k = 1; k < 4; k++) {
        const double d = (P[k + 1] - P[k - 1]) * 1e5 / (x0[k + 1] - x0[k - 1]) / 1e7;
        EXPECT_LT(rel(s[k], d), 1e-5) << k;
    }
}

TEST(IFPIsotherm, AboveTheLighterCriticalTemperatureItEndsAtTheMixtureCriticalPoint) {
    // At 320 K (component 0 supercritical) the bubble curve rises to the
    // mixture's critical point, where the two phases become one: the isotherm
    // ends there, its last row that point (dP/dx zero), every row before it
    // two distinct phases below its pressure.
    Models m = binary();
    testing::internal::CaptureStdout();
    m.ifp->calculate_an_isotherm_of_the_binary_system("iso320", 320.0, 0.2, 0.05, 1.0, 200.0, "c");
    testing::internal::GetCapturedStdout();
    DataTextFile data("iso320");
    ASSERT_EQ(data.set_index("Tr Pr xC3H8 yC3H8 Vl Vv dPdx"), 7);
    std::vector<std::vector<double>> rows;
    while (data.read()) {
        std::vector<double> r(7);
        for (double& v : r) data >> v;
        rows.push_back(r);
    }
    EXPECT_FALSE(data.failed()) << data.error();
    ASSERT_GT(rows.size(), 10u);
    double xc = 0.0;
    const VdWMixture::Critical c = criticalAt(320.0, xc);
    for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
        const auto& r = rows[k];
        expectBinaryEquilibrium(r[0], r[1], r[2], r[3], r[4], r[5], 1e-7);
        EXPECT_GT(std::fabs(r[2] - r[3]), 1e-5) << r[2];
        EXPECT_GT(r[5], r[4] * (1.0 + 1e-4)) << r[2];
        EXPECT_LT(r[1] * 1e5, c.P) << r[2];
        EXPECT_GT(r[2], xc) << r[2];  // from pure component 1 towards it
    }
    const auto& e = rows.back();
    EXPECT_LT(rel(e[1] * 1e5, c.P), 1e-8);
    EXPECT_NEAR(e[2], xc, 1e-7);
    EXPECT_EQ(e[3], e[2]);
    EXPECT_LT(rel(e[4] * 1e-6, c.V), 1e-6);
    EXPECT_EQ(e[5], e[4]);
    EXPECT_EQ(e[6], 0.0);
}

TEST(IFPIsotherm, PseudoBinaryIsTheBinary) {
    Models m = ternary();
    testing::internal::CaptureStdout();
    m.ifp->calculate_an_isotherm_of_the_pseudo_binary_system("piso", 250.0, 0.4, 0.25, 0.05, 1.0, 200.0, "q");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(m.ifp->aux, 0.25);
    DataTextFile data("piso");
    ASSERT_EQ(data.set_index("T Pr xCO2 xC2H6 xC3H8 yCO2 yC2H6 yC3H8 Vl Vv ic"), 11);
    int n = 0;
    double lastPseudo = 0;
    while (data.read()) {
        double T, P, x0, x1, x2, y0, y1, y2, Vl, Vv, ic;
        data >> T >> P >> x0 >> x1 >> x2 >> y0 >> y1 >> y2 >> Vl >> Vv >> ic;
        EXPECT_EQ(ic, n);
        // Written with six digits: the pair keeps its ratio in both phases.
        EXPECT_NEAR(x1, 0.25 * (x0 + x1), 2e-6);
        EXPECT_NEAR(y1, 0.25 * (y0 + y1), 2e-6);
        expectBinaryEquilibrium(T, P, x2, y2, Vl, Vv, 2e-4);
        if (n > 0) {
            EXPECT_NEAR(x0 + x1 - lastPseudo, 0.05, 1e-5);
        }
        lastPseudo = x0 + x1;
        n++;
    }
    EXPECT_FALSE(data.failed()) << data.error();
    EXPECT_GE(n, 10);
    EXPECT_NE(readFile("piso").find("x rename ic, icq\n"), std::string::npos);
}

TEST(IFPIsotherm, TieLinesAtFixedTemperatureAndPressure) {
    // In the ternary of the binary's fluids, every tie line at fixed T and P
    // joins the binary's two phase compositions.
    const auto [xb, yb] = binaryFlash();

    Models m = ternary();
    IFP& t = *m.ifp;
    const double est[2][3] = {{0.45, 0.15, 0.4}, {0.6375, 0.2125, 0.15}};
    for (int i = 0; i < 3; i++) {
        t.xcomposition(i, est[0][i]);
        t.ycomposition(i, est[1][i]);
    }
    t.temperature(250.0);
    t.pressure(22.0);
    t.first_init_flag = 0;
    testing::internal::CaptureStdout();
    t.calculate_an_isobaric_isothermal_diagram(250.0, 22.0, 0.05, "A", 1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(t.estimate_mode, 3);
    DataTextFile data("terA");
    ASSERT_EQ(data.set_index("TA PA x0A x1A x2A y0A y1A y2A iA"), 9);
    int n = 0;
    double lastRatio = 0;
    while (data.read()) {
        double T, P, x0, x1, x2, y0, y1, y2, k;
        data >> T >> P >> x0 >> x1 >> x2 >> y0 >> y1 >> y2 >> k;
        EXPECT_EQ(k, n);
        EXPECT_NEAR(x2, xb, 1e-5);
        EXPECT_NEAR(y2, yb, 1e-5);
        EXPECT_NEAR(x1 / (x0 + x1), y1 / (y0 + y1), 1e-5);  // the same fluid shares alike
        // Moving towards component 1 raises its share of the pair.
        const double ratio = x1 / (x0 + x1);
        if (n > 0) {
            EXPECT_GT(ratio, lastRatio);
        }
        lastRatio = ratio;
        n++;
    }
    EXPECT_FALSE(data.failed()) << data.error();
    EXPECT_GT(n, 3);
}

TEST(IFPIsotherm, TangentsAgainstDifferences) {
    // The binary tangent dy/dx0 and dP/dx0 by two bubble points.
    Models m = binary();
    IFP& s = *m.ifp;
    auto bubbleAt = [&](double x0) {
        s.bulk_composition(x0, 1.0 - x0);
        s.set_type_of_problem(13);
        s.set_the_temperature(250.0);
        s.set_the_vaporization_ratio(0.0);
        s.set_initialization_flag(2);
        s.calculateVLE();
        EXPECT_EQ(s.error, 0);
        return std::pair<double, double>(s.P, s.y[0]);
    };
    const double h = 1e-4;
    const auto p = bubbleAt(0.5 + h), q = bubbleAt(0.5 - h);
    bubbleAt(0.5);
    std::vector<double> d(8, 0.0);
    s.calculate_derivatives1(d.data(), 0, 0);
    EXPECT_EQ(d[4], 1.0);
    EXPECT_NEAR(d[5], -1.0, 1e-12);
    EXPECT_LT(rel(d[1], (p.first - q.first) / (2 * h)), 1e-6);
    EXPECT_NEAR(d[6], (p.second - q.second) / (2 * h), 1e-6);
    EXPECT_NEAR(d[6] + d[7], 0.0, 1e-12);

    // The ternary tie-line direction keeps the phases' fugacities equal: a
    // small step along it from a solved flash stays an equilibrium to second order.
    Models t = ternary();
    IFP& u = *t.ifp;
    const auto [xb, yb] = binaryFlash();
    u.bulk_composition(0.5 * (1 - 0.5 * (xb + yb)), 0.5 * (1 - 0.5 * (xb + yb)), 0.5 * (xb + yb));
    u.temperature(250.0);
    u.pressure(22.0);
    for (int i = 0; i < 2; i++) {
        u.xcomposition(i, 0.5 * (1 - xb));
        u.ycomposition(i, 0.5 * (1 - yb));
    }
    u.xcomposition(2, xb);
    u.ycomposition(2, yb);
    u.nL = u.nV = 0.5;
    u.set_type_of_problem(12);
    u.set_the_temperature(250.0);
    u.set_the_pressure(22.0);
    u.set_initialization_flag(0);
    u.calculateVLE();
    ASSERT_EQ(u.error, 0);
    std::vector<double> d3(10, 0.0);
    u.calculate_derivatives3(d3.data());
    EXPECT_NEAR(d3[4] + d3[5] + d3[6], 0.0, 1e-12);
    EXPECT_NEAR(d3[7] + d3[8] + d3[9], 0.0, 1e-12);
    // Same fluid in 0 and 1: along the tie lines x2 and y2 stay put.
    EXPECT_NEAR(d3[6], 0.0, 1e-8);
    EXPECT_NEAR(d3[9], 0.0, 1e-8);
}

TEST(IFPIsotherm, WrongComponentCountsAndStartsAreReported) {
    Models t = ternary();
    std::remove("nobin");
    t.ifp->calculate_an_isotherm_of_the_binary_system("nobin", 250.0, 0.5, 0.05, 1.0, 100.0, "x");
    EXPECT_EQ(std::fopen("nobin", "r"), nullptr);
    Models b = binary();
    b.ifp->calculate_an_isotherm_of_the_pseudo_binary_system("nopseudo", 250.0, 0.5, 0.3, 0.05, 1.0, 100.0, "x");
    EXPECT_EQ(b.ifp->aux, 0.3);  // stored before the count is checked
    std::remove("noter");
    b.ifp->calculate_an_isobaric_isothermal_diagram(250.0, 20.0, 0.05, "nothing", 0);
    EXPECT_EQ(std::fopen("ternothing", "r"), nullptr);

    // No starting point: error 3 and the message; the file keeps its header.
    Models c = binary();
    c.ifp->first_init_flag = 0;
    c.ifp->temperature(250.0);
    c.ifp->pressure(20.0);
    c.ifp->xcomposition(0, 0.5);
    c.ifp->xcomposition(1, 0.5);
    c.ifp->ycomposition(0, 0.5);
    c.ifp->ycomposition(1, 0.5);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    c.ifp->calculate_an_isotherm_of_the_binary_system("nostart", 250.0, 0.5, 0.05, 1.0, 100.0, "x");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can't find a starting point for the isotherm\n");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(c.ifp->error, 3);
    const std::string text = readFile("nostart");
    EXPECT_EQ(text.rfind("IGOR\nWAVES", 0), 0u);
    EXPECT_EQ(text.find("END"), std::string::npos);
}
