// The Sterner & Pitzer CO2 model: construction, its tree against the closed
// form, the ideal-gas limit, derivatives, fugacities and densities.
#include "gases/IUPACCO2.h"
#include "gases/Sterner.h"
#include "gases/SternerCO2.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "GasTermChecks.h"
#include "fluid/tests/RefusedCount.h"

namespace {

// The coefficients c1 .. c10 of Sterner & Pitzer (1994) at T.
void coefficients(double T, double c[11])
{
    c[1] = 1826134.0 / T + 79.224365;
    c[2] = 6.656066e-5 + 5.7152798e-6 * T + 3.0222363e-10 * T * T;
    c[3] = 0.0059957845 + 7.1669631e-5 * T + 6.2416103e-9 * T * T;
    c[4] = -1.3270279 / T - 0.15210731 + 0.00053654244 * T - 7.1115142e-8 * T * T;
    c[5] = 0.12456776 / T + 4.9045367 + 0.009822056 * T + 5.5962121e-6 * T * T;
    c[6] = 0.75522299;
    c[7] = -3.9344644e11 / std::pow(T, 4) + 90918237.0 / (T * T) + 427767.16 / T - 22.347856;
    c[8] = 402.82608 / T + 119.71627;
    c[9] = 22995650.0 / (T * T) - 78971.817 / T - 63.376456;
    c[10] = 95029.765 / T + 18.038071;
}

// Residual reduced Helmholtz energy of the closed form, rho in mol/cm3.
double residual(double T, double rho)
{
    double c[11];
    coefficients(T, c);
    const double r2 = rho * rho;
    return c[1] * rho + 1.0 / (c[2] + c[3] * rho + c[4] * r2 + c[5] * r2 * rho + c[6] * r2 * r2) - 1.0 / c[2] -
           c[7] / c[8] * (std::exp(-c[8] * rho) - 1.0) - c[9] / c[10] * (std::exp(-c[10] * rho) - 1.0);
}

}  // namespace

TEST(Sterner, ConstructionPresets)
{
    Sterner s(2);
    gas_tests::expectPresets(s, {"CO2", 0.0440098, "Sterner & Pitzer CO2", 2e-05, 2e-04, 305.0, 9.4e-05, 80.0, 2});
    EXPECT_NE(s.ideal, nullptr);
    const Sum* A = static_cast<const Sum*>(s.interactions[0]->root);
    EXPECT_EQ(A->name, "A");
    ASSERT_EQ(A->nterms, 6);
    EXPECT_EQ(A->terms[0]->name, "mlogV");
    EXPECT_EQ(A->terms[5]->name, "A5");
    EXPECT_EQ(A->scalars[3], -1.0);
    EXPECT_EQ(A->scalars[6], 0.0);
}

// The tree against the closed form, and the zero-density limit.
TEST(Sterner, TreeAgainstTheClosedForm)
{
    Sterner s(2);
    auto* t = static_cast<SternerCO2*>(s.interactions[0]);
    for (double T : {300.0, 700.0, 1500.0, 2500.0})
        for (double V : {2.5e-5, 5e-5, 2e-4, 1e-2}) {
            s.temperature(T);
            s.volume(V);
            t->calculate();
            const double expected = -std::log(V) + residual(T, 1e-6 / V);
            EXPECT_NEAR(t->A, expected, 1e-12 * (1.0 + std::fabs(expected))) << T << " " << V;
            double c[11];
            coefficients(T, c);
            EXPECT_NEAR(t->a2.value, c[2], 1e-15);
            EXPECT_NEAR(t->a7.value, c[7], 1e-12 * std::fabs(c[7]));
        }
    // At very low density B1 is c2, so 1/B1 - 1/c2 vanishes, and so does
    // everything but -ln V.
    s.temperature(500.0);
    s.volume(1e6);
    t->calculate();
    EXPECT_NEAR(t->B1.value, t->a2.value, 1e-9 * t->a2.value);
    EXPECT_NEAR(t->A2.value - t->A3.value, 0.0, 1e-6);
    EXPECT_NEAR(t->A + std::log(1e6), 0.0, 1e-9);
}

TEST(Sterner, DerivativesOfTheTree)
{
    SternerCO2 t;
    t.number_of_components(1);
    for (double T : {350.0, 1200.0})
        for (double V : {3e-5, 1e-4, 3e-3})
            gas_tests::checkAgainstDifferences(t, T, V);
    EXPECT_GE(gas_tests::checkPrintedDerivatives(t, 800.0, 4e-5, 1e-4, 1e-6), 3 + 6 + 10 + 15);
}

TEST(Sterner, IdealGasLimitAndFugacities)
{
    Sterner s(1);
    for (double T : {300.0, 1000.0, 2000.0}) {
        s.calculateFromTV(T, 100.0, 0);
        ASSERT_EQ(s.errorflag, 0);
        EXPECT_NEAR(s.Z, 1.0, 1e-5) << T;
        EXPECT_NEAR(s.fugcoef[0], 1.0, 1e-5) << T;
    }
    // ln phi = integral of (Z - 1)/P dP at constant T (Simpson's rule).
    Sterner dense(2);
    gas_tests::expectFugacityFromIntegratedZ(dense, 1000.0, 3000.0, 300);
}

// Densities against the reference equation of Span & Wagner (1996) and the
// IUPAC model in its range, and round trips T, P -> V -> P.
TEST(Sterner, DensitiesAndRoundTrips)
{
    Sterner s(2);
    s.calculateFromTP(473.15, 1000.0, 0);
    ASSERT_EQ(s.errorflag, 0);
    EXPECT_NEAR(0.0440098 / s.V, 810.70, 0.01 * 810.70);

    IUPACCO2 ref(2);
    for (double T : {473.15, 700.0, 1000.0})
        for (double Pb : {100.0, 500.0, 1000.0}) {
            s.calculateFromTP(T, Pb, 0);
            ref.calculateFromTP(T, Pb, 0);
            ASSERT_EQ(s.errorflag, 0);
            EXPECT_NEAR(s.V, ref.V, 0.01 * ref.V) << T << " K " << Pb << " bar";
            EXPECT_NEAR(s.fugcoef[0], ref.fugcoef[0], 0.02 * ref.fugcoef[0]) << T << " K " << Pb << " bar";
        }

    for (double T : {400.0, 1000.0, 2000.0})
        for (double Pb : {10.0, 1000.0, 10000.0, 50000.0}) {
            s.calculateFromTP(T, Pb, 0);
            gas_tests::expectPressureRoundTrip(s, T, Pb, 1e-8);
        }
}

// The ideal-gas part is that of CO2: at zero density cp and cv are the
// published cp0 (Span & Wagner 1996: 44.632 J/(mol K) at 500 K, 54.313 at
// 1000 K) and cp0 - R; it adds nothing to the fugacity coefficient.
TEST(Sterner, StateFunctionsHaveTheIdealGasOfCO2)
{
    Sterner s(1);
    for (auto [T, cp0] : {std::pair{500.0, 44.632}, std::pair{1000.0, 54.313}}) {
        s.calculateFromTV(T, 1e3, 0);
        ASSERT_EQ(s.errorflag, 0);
        EXPECT_NEAR(s.Cp, cp0, 2e-4 * cp0) << T;
        EXPECT_NEAR(s.Cv, cp0 - 8.31434, 2e-4 * cp0) << T;
        EXPECT_NEAR(s.fugcoef[0], 1.0, 1e-6) << T;
    }
}

// A model asked for two components reports it once and fails every state
// until it has its one component again; the process goes on.
TEST(Sterner, ATwoComponentCountIsReportedAndFailsEveryState)
{
    SternerCO2 t;
    fluid_tests::expectCountRefused(t, 2, 1);

    Sterner s(2);
    s.calculateFromTP(473.15, 1000.0, 0);
    ASSERT_EQ(s.errorflag, 0);
    const double V = s.V;
    testing::internal::CaptureStderr();
    s.number_of_components(2);
    s.calculateFromTP(473.15, 1000.0, 0);
    const short first = s.errorflag;
    s.calculateFromTP(473.15, 1000.0, 0);
    const short second = s.errorflag;
    s.calculateFromTP(573.15, 500.0, 0);
    const short third = s.errorflag;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(third, 1);
    EXPECT_NE(err.find("Sterner & Pitzer CO2: the term is written for 1 component; it cannot take 2"),
              std::string::npos)
        << err;
    // One refusal message per call, not one per search step (and the same
    // state asked again says it again).
    int refusals = 0;
    for (std::size_t at = err.find("no state is computed"); at != std::string::npos;
         at = err.find("no state is computed", at + 1))
        ++refusals;
    EXPECT_EQ(refusals, 3) << err;

    s.number_of_components(1);
    s.calculateFromTP(473.15, 1000.0, 0);
    EXPECT_EQ(s.errorflag, 0);
    EXPECT_NEAR(s.V, V, 1e-12 * V);
}
