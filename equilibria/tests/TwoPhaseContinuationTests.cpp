// Continuation of two-phase states of a binary van der Waals mixture of fixed
// bulk composition: every point of the bubble curve, the isochor and the
// volumetric-fraction isopleth is checked against the closed-form pressure
// and fugacities, the total volume along the isochor against its start, and
// the switch between temperature and pressure steps.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "equilibria/IFP.h"
#include "equilibria/tests/TestBinary.h"
#include "fluid/tests/VdWFluid.h"
#include "numerics/DataTextFile.h"

namespace {

struct Binary {
    std::unique_ptr<VdWFluid> liq, vap;
    std::unique_ptr<IFP> ifp;
    explicit Binary(double z1) {
        liq = std::make_unique<VdWFluid>(std::vector<double>{kA0, kA1}, std::vector<double>{kB0, kB1}, false, 0.0, 2);
        vap = std::make_unique<VdWFluid>(std::vector<double>{kA0, kA1}, std::vector<double>{kB0, kB1}, false, 0.0, 1);
        liq->liquidStart = 6.5e-5;
        liq->molar_mass = {0.044, 0.058};
        vap->molar_mass = {0.044, 0.058};
        ifp = std::make_unique<IFP>(*liq, *vap);
        ifp->number_of_components(2);
        ifp->add_components("CO2", "C3H8");
        ifp->bulk_composition(1.0 - z1, z1);
        ifp->first_init_flag = 0;
    }
    void start(double T0, double P0_bar, double x1, double y1) {
        ifp->temperature(T0);
        ifp->pressure(P0_bar);
        ifp->xcomposition(0, 1.0 - x1);
        ifp->xcomposition(1, x1);
        ifp->ycomposition(0, 1.0 - y1);
        ifp->ycomposition(1, y1);
    }
};

// Equal pressures and fugacities of a row (T K, P bar, x1, y1, Vl and Vv cm3/mol).
void expectEquilibriumRow(double T, double P_bar, double x1, double y1, double Vl, double Vv, double tol) {
    const double vl = Vl * 1e-6, vv = Vv * 1e-6, P = P_bar * 1e5;
    EXPECT_LT(rel(mix.P(T, vl, x1), P), tol) << T;
    EXPECT_LT(rel(mix.P(T, vv, y1), P), tol) << T;
    for (int i = 0; i < 2; i++) EXPECT_LT(rel(mix.fugacity(i, T, vv, y1), mix.fugacity(i, T, vl, x1)), tol) << T;
}

}  // namespace

TEST(IFPContinuation, BubbleCurveIsAChainOfEquilibria) {
    Binary b(0.3);
    b.start(250.0, 20.0, 0.3, 0.1);
    std::vector<double> rows;
    testing::internal::CaptureStdout();
    // Up to 330 K, below the mixture's critical point (about 335 K).
    b.ifp->calculate_an_isopleth(250.0, 0.0, nullptr, "b", 200.0, 330.0, 2.0, 2e5, 0, 6, &rows);
    testing::internal::GetCapturedStdout();
    const std::size_t w = 2 * 2 + 7;
    ASSERT_EQ(rows.size() % w, 0u);
    const std::size_t count = rows.size() / w;
    EXPECT_EQ(count, 42u);  // 250 .. 332 K by 2 K
    for (std::size_t k = 0; k < count; k++) {
        const double* r = &rows[k * w];
        // T, P, x0, x1, y0, y1, Vl, Vv, dPdT, Mwl, Mwv
        expectEquilibriumRow(r[0], r[1], r[3], r[5], r[6], r[7], 1e-6);
        EXPECT_NEAR(r[3], 0.3, 1e-9);  // the bubble point's liquid is the bulk
        EXPECT_NEAR(r[9], 0.7 * 0.044 + 0.3 * 0.058, 1e-12);
        EXPECT_NEAR(r[0], 250.0 + 2.0 * k, 1e-9);
        if (k > 0 && r[0] <= 320.0) {
            // The slope written is dP/dT of the curve (bar/K), by central differences.
            const double d = (rows[(k + 1) * w + 1] - rows[(k - 1) * w + 1]) / 4.0;
            EXPECT_NEAR(r[8], d, 2e-3 * std::fabs(d)) << r[0];
        }
    }
}

TEST(IFPContinuation, BubbleCurveEndsOnTheCriticalPointOfTheBulk) {
    // The bubble curve of the bulk ends where it meets the dew curve, at the
    // critical point of the mixture of the bulk's composition: every row
    // before it two distinct phases on their sides (no near-trivial pair, no
    // state of the dew branch beyond it), the last row the critical point
    // itself; the dew curve ends there too.
    const VdWMixture::Critical c = mix.critical(0.3);
    for (double Fv : {0.0, 1.0}) {
        Binary b(0.3);
        if (Fv == 0.0)
            b.start(250.0, 20.0, 0.3, 0.1);
        else
            b.start(250.0, 10.0, 0.6, 0.3);
        std::vector<double> rows;
        testing::internal::CaptureStdout();
        b.ifp->calculate_an_isopleth(250.0, Fv, nullptr, "b", 249.0, 400.0, 2.0, 2e5, 0, 6, &rows);
        testing::internal::GetCapturedStdout();
        const std::size_t w = 11, count = rows.size() / w;
        ASSERT_GT(count, 30u) << Fv;
        const double side = rows[5] - rows[3];
        for (std::size_t k = 0; k + 1 < count; k++) {
            const double* r = &rows[k * w];
            expectEquilibriumRow(r[0], r[1], r[3], r[5], r[6], r[7], 1e-6);
            EXPECT_NEAR(Fv == 0.0 ? r[3] : r[5], 0.3, 1e-9);
            EXPECT_GT((r[5] - r[3]) * side, 1e-6) << Fv << " " << r[0];
            EXPECT_GT(r[7], r[6] * (1.0 + 1e-4)) << Fv << " " << r[0];
        }
        const double* e = &rows[(count - 1) * w];
        EXPECT_LT(rel(e[0], c.T), 1e-8) << Fv;
        EXPECT_LT(rel(e[1] * 1e5, c.P), 1e-7) << Fv;
        EXPECT_LT(rel(e[6] * 1e-6, c.V), 1e-6) << Fv;
        EXPECT_EQ(e[3], 0.3);
        EXPECT_EQ(e[5], 0.3);
        EXPECT_EQ(e[6], e[7]);
    }
}

TEST(IFPContinuation, DewCurveSwitchesToPressureSteps) {
    // The dew curve steepens towards its cricondentherm: beyond |dP/dT| =
    // 1e5 Pa/K the pressure steps by 2 bar and the temperature is solved.
    Binary b(0.3);
    b.start(250.0, 10.0, 0.6, 0.3);
    std::vector<double> rows;
    testing::internal::CaptureStdout();
    b.ifp->calculate_an_isopleth(250.0, 1.0, nullptr, "d", 200.0, 333.0, 2.0, 2e5, 0, 6, &rows);
    testing::internal::GetCapturedStdout();
    const std::size_t w = 11, count = rows.size() / w;
    ASSERT_GT(count, 10u);
    int tSteps = 0, pSteps = 0;
    for (std::size_t k = 0; k < count; k++) {
        const double* r = &rows[k * w];
        expectEquilibriumRow(r[0], r[1], r[3], r[5], r[6], r[7], 1e-6);
        EXPECT_NEAR(r[5], 0.3, 1e-9);  // the dew point's vapour is the bulk
        if (k == 0) continue;
        const double* q = &rows[(k - 1) * w];
        if (std::fabs(std::fabs(r[0] - q[0]) - 2.0) < 1e-9) tSteps++;
        if (std::fabs(std::fabs(r[1] - q[1]) - 2.0) < 1e-9) {
            pSteps++;
            EXPECT_GE(std::fabs(q[8]), 0.9);  // switched where the slope reached 1 bar/K
        }
    }
    EXPECT_GT(tSteps, 30);
    EXPECT_GE(pSteps, 2);
    EXPECT_EQ(b.ifp->problem, 23);
}

TEST(IFPContinuation, TextModesAndTheirHeaders) {
    Binary b(0.3);
    b.start(250.0, 20.0, 0.3, 0.1);
    std::FILE* f = std::fopen("iso2.txt", "w");
    ASSERT_NE(f, nullptr);
    testing::internal::CaptureStdout();
    b.ifp->calculate_an_isopleth(250.0, 0.0, f, "b", 200.0, 270.0, 5.0, 2e5, 0, 2, nullptr);
    testing::internal::GetCapturedStdout();
    std::fclose(f);
    std::ifstream in("iso2.txt");
    std::string head;
    std::getline(in, head);
    EXPECT_NE(head.find("Vl(7)\tVv(8)\tdPdT(9)\tMwl(10)\tMwv(11)"), std::string::npos) << head;
    EXPECT_NE(head.find("x(3)"), std::string::npos);
    EXPECT_NE(head.find("y(6)"), std::string::npos);

    Binary c(0.3);
    c.start(250.0, 20.0, 0.3, 0.1);
    f = std::fopen("iso1.itx", "w");
    testing::internal::CaptureStdout();
    c.ifp->calculate_an_isopleth(250.0, 0.0, f, "b", 200.0, 270.0, 5.0, 2e5, 0, 1, nullptr);
    testing::internal::GetCapturedStdout();
    std::fclose(f);
    DataTextFile data("iso1.itx");
    ASSERT_EQ(data.set_index("Tb Pb x1b y1b Vlb Vvb"), 6);
    int n = 0;
    double lastT = 0;
    while (data.read()) {
        double T, P, x1, y1, Vl, Vv;
        data >> T >> P >> x1 >> y1 >> Vl >> Vv;
        expectEquilibriumRow(T, P, x1, y1, Vl, Vv, 2e-4);  // six digits in the file
        lastT = T;
        n++;
    }
    EXPECT_FALSE(data.failed()) << data.error();
    EXPECT_EQ(n, 6);  // 250 .. 270 K by 5 K: the row beyond 270 ends the trace
    EXPECT_GT(lastT, 270.0);
}

TEST(IFPContinuation, StartFailureWritesOnlyTheHeader) {
    Binary b(0.3);
    b.start(250.0, 20.0, 0.3, 0.3);  // a trivial start
    std::FILE* f = std::fopen("isobad.itx", "w");
    testing::internal::CaptureStderr();
    b.ifp->calculate_an_isopleth(250.0, 0.0, f, "b", 200.0, 270.0, 5.0, 2e5, 0, 1, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can't find a starting point for the isopleth\n");
    std::fclose(f);
    EXPECT_EQ(b.ifp->error, 3);
    std::ifstream in("isobad.itx");
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_EQ(s.str().rfind("IGOR\nWAVES", 0), 0u);
    EXPECT_EQ(s.str().find("END"), std::string::npos);
}

TEST(IFPContinuation, BubbleCurveFromAGivenPressure) {
    // The start at the pressure of the estimate: code 23, the vapour's volume
    // search first from its stored volume.
    Binary b(0.3);
    b.start(250.0, 20.0, 0.3, 0.1);
    b.ifp->set_the_vaporization_ratio(0.0);
    b.vap->Vv0 = 7e-4;
    std::vector<double> rows;
    testing::internal::CaptureStdout();
    b.ifp->calculate_an_isopleth(250.0, 0.0, nullptr, "p", 200.0, 300.0, 2.0, 2e5, 1, 6, &rows);
    testing::internal::GetCapturedStdout();
    ASSERT_GE(rows.size(), 11u);
    EXPECT_NEAR(rows[1], 20.0, 1e-9);  // the first point at the given pressure
    expectEquilibriumRow(rows[0], rows[1], rows[3], rows[5], rows[6], rows[7], 1e-7);
}

TEST(IFPContinuation, IsochorKeepsItsTotalVolume) {
    Binary b(0.3);
    b.start(250.0, 15.0, 0.4, 0.15);
    b.ifp->nL = b.ifp->nV = 0.5;
    std::FILE* f = std::fopen("isoc.itx", "w");
    testing::internal::CaptureStdout();
    b.ifp->calculate_an_isochor(250.0, 0.5, f, "c", 240.0, 262.0, 2.0);
    testing::internal::GetCapturedStdout();
    std::fclose(f);
    DataTextFile data("isoc.itx");
    ASSERT_EQ(data.set_index("Tr Pr xC3H8 yC3H8 Vl Vv fv"), 7);
    int n = 0;
    double Vt0 = 0;
    while (data.read()) {
        double T, P, x1, y1, Vl, Vv, Fvol;
        data >> T >> P >> x1 >> y1 >> Vl >> Vv >> Fvol;
        expectEquilibriumRow(T, P, x1, y1, Vl, Vv, 2e-4);
        const double nV = Fvol * Vl / (Vv * (1 - Fvol) + Fvol * Vl), Vt = (1 - nV) * Vl + nV * Vv;
        if (n == 0) Vt0 = Vt;
        EXPECT_LT(rel(Vt, Vt0), 1e-4) << T;
        // The mass balance of component 1 with that vapour amount.
        EXPECT_NEAR((1 - nV) * x1 + nV * y1, 0.3, 1e-4) << T;
        n++;
    }
    EXPECT_FALSE(data.failed()) << data.error();
    EXPECT_GT(n, 4);
    std::ifstream in("isoc.itx");
    std::stringstream s;
    s << in.rdbuf();
    // The temperature wave is renamed before it is converted to Celsius.
    const std::size_t renamed = s.str().find("x rename Tr, T_c\n");
    ASSERT_NE(renamed, std::string::npos);
    EXPECT_NE(s.str().find("x T_c -= 273.15\n", renamed), std::string::npos);
    EXPECT_NE(s.str().find("x rename xC3H8, xC3H8_c\n"), std::string::npos);
}

TEST(IFPContinuation, IsoplethAtAVolumetricVapourFraction) {
    Binary b(0.3);
    b.start(250.0, 15.0, 0.32, 0.12);
    std::FILE* f = std::fopen("isov.itx", "w");
    testing::internal::CaptureStdout();
    b.ifp->calculate_an_isopleth1(250.0, 0.5, f, "v", 240.0, 262.0, 2.0);
    testing::internal::GetCapturedStdout();
    std::fclose(f);
    DataTextFile data("isov.itx");
    ASSERT_EQ(data.set_index("Tr Pr xC3H8 yC3H8 Vl Vv"), 6);
    int n = 0;
    while (data.read()) {
        double T, P, x1, y1, Vl, Vv;
        data >> T >> P >> x1 >> y1 >> Vl >> Vv;
        expectEquilibriumRow(T, P, x1, y1, Vl, Vv, 2e-4);
        const double nV = (0.3 - x1) / (y1 - x1);
        EXPECT_NEAR(nV * Vv / ((1 - nV) * Vl + nV * Vv), 0.5, 1e-4) << T;
        n++;
    }
    EXPECT_FALSE(data.failed()) << data.error();
    EXPECT_GT(n, 4);
}
