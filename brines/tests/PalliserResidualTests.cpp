// The residuals of the H2O-NaCl diagram's searches, against the check values
// of Driesner & Heinrich (2007) evaluated independently on IAPWS-95 (six
// digits): each vanishes at the published root, changes sign across it and
// refuses temperatures off its curve; the vapour end-point correction against
// its rule; the Anderko fluid of a state, logged, against an independent
// Anderko evaluation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "brines/PalliserModel.h"
#include "families/anderko/Anderko.h"
#include "platform/LogSink.h"

TEST(PalliserResiduals, VanishAtThePublishedRoots) {
    PalliserModel m;
    // Critical points: T (C) of 10 and 20 wt % NaCl.
    const double crit[][2] = {{0.10, 464.480}, {0.20, 578.269}};
    for (const auto& c : crit) {
        double X = c[0];
        m.error = 0;
        EXPECT_NEAR(m.equationForCriticalPoint(c[1], &X), 0.0, 2e-6) << X;
        EXPECT_LT(m.equationForCriticalPoint(c[1] - 1.0, &X), 0.0);  // the critical NaCl content rises with T
        EXPECT_GT(m.equationForCriticalPoint(c[1] + 1.0, &X), 0.0);
        EXPECT_EQ(m.error, 0);
    }
    double X = 0.1;
    m.equationForCriticalPoint(300.0, &X);  // below water's critical point
    EXPECT_EQ(m.error, 1);
    m.error = 0;
    m.equationForCriticalPoint(1001.0, &X);  // above the top of the model
    EXPECT_EQ(m.error, 1);

    // Halite liquidus (vapour + liquid + halite): liquid wt % at T (C).
    const double vlh[][2] = {{100, 28.0471}, {200, 31.7623}, {300, 37.7196}, {400, 47.1212},
                             {500, 59.9038}, {600, 74.2307}, {700, 88.0055}};
    for (const auto& v : vlh) {
        double Xl = 0.01 * v[1];
        m.error = 0;
        EXPECT_NEAR(m.equationForTm0(v[0], &Xl), 0.0, 1e-6) << v[0];
        EXPECT_NEAR(m.equationForSLVX(v[0], &Xl), 0.0, 1e-6) << v[0];
        EXPECT_GT(m.equationForTm0(v[0] - 1.0, &Xl), 0.0);  // the liquid's NaCl rises with T
        EXPECT_LT(m.equationForSLVX(v[0] + 1.0, &Xl), 0.0);
        EXPECT_EQ(m.error, 0);
    }
    double Xl = 0.3;
    m.equationForTm0(-30.0, &Xl);  // below the eutectic
    EXPECT_EQ(m.error, 1);
    m.error = 0;
    m.equationForSLVX(900.0, &Xl);  // above the melting point of halite
    EXPECT_EQ(m.error, 1);
}

TEST(PalliserResiduals, VapourEndPointCorrectionFollowsItsRule) {
    PalliserModel m;
    const double Plow = 10.0, x = 0.123;
    // Below 790 C: unchanged.
    for (double P : {5.0, 10.0, 100.0}) EXPECT_EQ(m.patchForXgsat(700.0, P, Plow, x), x);
    // From 800 C: unchanged only at Plow itself, else 0.01.
    EXPECT_EQ(m.patchForXgsat(800.0, Plow, Plow, x), x);
    EXPECT_EQ(m.patchForXgsat(850.0, Plow + 1e-6, Plow, x), x);
    EXPECT_EQ(m.patchForXgsat(850.0, Plow + 1.0, Plow, x), 0.01);
    // Between: 0.01 + 0.04 w above Plow (2 - w), w = (800 - T)/10.
    for (double T : {791.0, 795.0, 799.0}) {
        const double w = (800.0 - T) / 10.0;
        EXPECT_NEAR(m.patchForXgsat(T, Plow * (2.0 - w) * 1.001, Plow, x), 0.01 + 0.04 * w, 1e-15) << T;
        EXPECT_EQ(m.patchForXgsat(T, Plow * (2.0 - w) * 0.999, Plow, x), x) << T;
    }
}

TEST(PalliserResiduals, AnderkoFluidOfTheStateIsLogged) {
    // 10 wt % NaCl at 500 C and 1000 bar: mole fraction
    // x = (X/M_NaCl)/((1 - X)/M_w + X/M_NaCl); the logged volume and density
    // are those of an independent Anderko model at that state.
    PalliserModel m;
    m.T = 500.0;
    m.P = 1000.0;
    m.X = 0.1;
    const double x = (0.1 / 0.058443) / (0.9 / 0.018015 + 0.1 / 0.058443);
    Anderko a(2);
    a.setSystemCode(10);
    a.composition(1.0 - x, x);
    a.temperature(773.15);
    a.pressure(1000.0);
    a.calculate_molar_volume();
    ASSERT_EQ(a.errorflag, 0);
    std::string said;
    {
        const platform::TracesShown traces;
        testing::internal::CaptureStderr();
        m.calculateAnderkoFluid();
        said = testing::internal::GetCapturedStderr();
    }
    double V = 0, rho = 0;
    const std::size_t at = said.find("V ");
    ASSERT_NE(at, std::string::npos) << said;
    ASSERT_EQ(std::sscanf(said.c_str() + at, "V %lf rho %lf", &V, &rho), 2) << said;
    EXPECT_NEAR(V, a.V * 1e6, 1e-6);
    EXPECT_NEAR(rho, a.bulk_molar_weight / a.V, 1e-6);
    EXPECT_NEAR(m.anderko->x[1], x, 1e-15);
    // A state without a molar volume is logged as such, the model's flag cleared.
    m.T = -100.0;
    std::string none;
    {
        const platform::TracesShown traces;
        testing::internal::CaptureStderr();
        m.calculateAnderkoFluid();
        none = testing::internal::GetCapturedStderr();
    }
    EXPECT_NE(none.find("Anderko: no molar volume"), std::string::npos) << none;
    EXPECT_EQ(m.anderko->errorflag, 0);
}
