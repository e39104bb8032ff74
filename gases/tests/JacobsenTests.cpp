// The nitrogen models: construction, the published check values of the
// trees, the fugacity pass of the ideal part, derivatives, the critical point
// and the saturation states of the reference equation of Span et al. (2000),
// ideal-gas heat capacity, round trips, and the 28-term residual term.
#include "gases/Jacobsen.h"
#include "gases/JacobsenId.h"
#include "gases/JacobsenRes1.h"
#include "gases/N2EOS.h"

#include <gtest/gtest.h>

#include <cmath>

#include "GasTermChecks.h"
#include "JacobsenRes.h"
#include "fluid/tests/RefusedCount.h"
#include "expressions/Sum.h"

namespace {
constexpr double kTc = 126.192;
constexpr double kVc = 8.941424726615939e-05;
constexpr double kM = 0.02801348;

// The reference residual part from its closed form, with the term table of
// the residual term and the Gaussian parameters alpha, beta, gamma of
// terms 33 to 36.
double residualClosedForm(double tau, double delta)
{
    const double gauss[4][3] = {{20, 325, 1.16}, {20, 325, 1.16}, {15, 300, 1.13}, {25, 275, 1.25}};
    double s = 0.0;
    for (int k = 0; k < 36; ++k) {
        const reference_terms::Term& r = JacobsenRes1::kTerms[k];
        double term = r.n * std::pow(delta, r.d) * std::pow(tau, r.t);
        if (k < 32) {
            if (r.c > 0) term *= std::exp(-std::pow(delta, r.c));
        } else {
            const double* g = gauss[k - 32];
            term *= std::exp(-g[0] * (delta - 1) * (delta - 1) - g[1] * (tau - g[2]) * (tau - g[2]));
        }
        s += term;
    }
    return s;
}

// Its derivative in delta, term by term: d/ddelta of delta^d exp(-delta^l)
// is delta^(d-1) exp(-delta^l) (d - l delta^l), of the Gaussian parts
// delta^(d-1) (d - 2 alpha delta (delta - 1)) times the part.
double residualDeltaDerivative(double tau, double delta)
{
    const double gauss[4][3] = {{20, 325, 1.16}, {20, 325, 1.16}, {15, 300, 1.13}, {25, 275, 1.25}};
    double s = 0.0;
    for (int k = 0; k < 36; ++k) {
        const reference_terms::Term& r = JacobsenRes1::kTerms[k];
        double term = r.n * std::pow(delta, r.d - 1) * std::pow(tau, r.t);
        if (k < 32) {
            term *= r.c > 0 ? std::exp(-std::pow(delta, r.c)) * (r.d - r.c * std::pow(delta, r.c)) : r.d;
        } else {
            const double* g = gauss[k - 32];
            term *= std::exp(-g[0] * (delta - 1) * (delta - 1) - g[1] * (tau - g[2]) * (tau - g[2])) *
                    (r.d - 2.0 * g[0] * delta * (delta - 1));
        }
        s += term;
    }
    return s;
}

// The pressure (Pa) of the reference equation at T and V from its closed form.
double pressureClosedForm(double T, double V)
{
    const double delta = kVc / V;
    return FluidPhase::R * T / V * (1.0 + delta * residualDeltaDerivative(kTc / T, delta));
}

// A nitrogen model on the 28-term residual term.
class Nitrogen28 : public N2EOS {
public:
    Nitrogen28() : N2EOS(1, 1, 0)
    {
        interactions[0] = new JacobsenRes();
        ideal = new JacobsenId();
        FluidPhase::number_of_components(1);
        component_names[0] = "N2";
        molar_mass[0] = kM;
    }
};
}  // namespace

TEST(Jacobsen, ConstructionPresets)
{
    Jacobsen j(1);
    gas_tests::expectPresets(j, {"N2", 0.02801348, "Jacobsen N2", 3.2e-05, 0.0003, 130.0, 9e-05, 40.0, 1});
    const Sum* A = static_cast<const Sum*>(j.interactions[0]->root);
    ASSERT_EQ(A->nterms, 1);
    EXPECT_EQ(A->terms[0]->name, "terms1to36");
    const Sum* I = static_cast<const Sum*>(j.ideal->root);
    ASSERT_EQ(I->nterms, 2);  // ln delta and the function of T
    EXPECT_EQ(I->terms[0]->name, "lndelta");
    EXPECT_EQ(I->terms[1]->name, "g");
}

// Check values at tau = delta = 1, and the structure of the Gaussian terms.
TEST(Jacobsen, TreesAtTheReducingPoint)
{
    Jacobsen j(1);
    j.temperature(kTc);
    j.volume(kVc);
    j.interactions[0]->calculate();
    j.ideal->calculate();
    EXPECT_NEAR(j.interactions[0]->A, -0.932180094, 1e-9);
    EXPECT_NEAR(j.ideal->A, -12.7775775, 1e-7);

    JacobsenRes r;
    r.number_of_components(1);
    r.T = JacobsenRes::kTc;
    r.V = JacobsenRes::kVc;
    r.calculate();
    EXPECT_NEAR(r.A, -0.879755883, 1e-9);

    auto* res = static_cast<JacobsenRes1*>(j.interactions[0]);

    // The tree against the closed form, away from the reducing point too.
    for (double T : {70.0, 126.192, 300.0, 1000.0})
        for (double V : {3e-5, 9e-5, 1e-3, 1.0}) {
            j.temperature(T);
            j.volume(V);
            res->calculate();
            const double expected = residualClosedForm(kTc / T, kVc / V);
            EXPECT_NEAR(res->A, expected, 1e-12 * (1.0 + std::fabs(expected))) << T << " " << V;
        }
}

// In the fugacity pass the ideal part is ln delta + ln rho_c = -ln V, with no
// temperature dependence; the next ordinary evaluation is the full
// ideal part again.
TEST(Jacobsen, IdealPartInTheFugacityPass)
{
    Jacobsen j(1);
    Interaction* id = j.ideal;
    for (double T : {80.0, 300.0})
        for (double V : {4e-5, 1e-2}) {
            j.temperature(T);
            j.volume(V);
            id->calculate_fugacities();
            EXPECT_NEAR(id->A, -std::log(V), 1e-14 * std::fabs(std::log(V)));
            EXPECT_EQ(id->AT, 0.0);
            EXPECT_EQ(id->ATT, 0.0);
            EXPECT_NEAR(id->Z, 1.0, 1e-14);
            id->calculate();
            const double tau = kTc / T;
            const double a0 = std::log(kVc / V) + 2.5 * std::log(tau) - 0.00784163 * tau - 0.0001934819 / tau -
                              1.247742e-05 / (tau * tau) + 6.678326e-08 / (tau * tau * tau) +
                              1.012941 * std::log(1.0 - std::exp(-26.65788 * tau)) - 12.76953;
            EXPECT_NEAR(id->A, a0, 1e-6);
        }
}

TEST(Jacobsen, DerivativesOfTheTrees)
{
    JacobsenRes1 res;
    res.number_of_components(1);
    JacobsenId id;
    id.number_of_components(1);
    JacobsenRes res28;
    res28.number_of_components(1);
    for (double T : {65.0, 126.0, 400.0})
        for (double V : {3.3e-5, 9e-5, 5e-3}) {
            // The Gaussian terms vary on a scale of 0.05 in tau: a finer step.
            gas_tests::checkAgainstDifferences(res, T, V, 2e-5, 2e-4);
            gas_tests::checkAgainstDifferences(id, T, V);
            gas_tests::checkAgainstDifferences(res28, T, V);
        }
    EXPECT_GE(gas_tests::checkPrintedDerivatives(res, 130.0, 9e-5), 3 + 6 + 10 + 15);
    EXPECT_GE(gas_tests::checkPrintedDerivatives(id, 130.0, 9e-5, 1e-4, 1e-6), 3 + 6 + 10 + 15);
    EXPECT_GE(gas_tests::checkPrintedDerivatives(res28, 130.0, 9e-5), 3 + 6 + 10 + 15);
}

// Critical point of the reference equation: 126.192 K, 3.3958 MPa,
// 11.1839 mol/dm3 (Span et al. 2000).
TEST(Jacobsen, CriticalPoint)
{
    Jacobsen j(1);
    gas_tests::searchCriticalPoint(j);
    ASSERT_EQ(j.errorflag, 0);
    EXPECT_NEAR(j.T, 126.192, 0.002);
    EXPECT_NEAR(1e-3 / j.V, 11.1839, 0.002);
    EXPECT_NEAR(j.P, 3.3958e6, 0.0003 * 3.3958e6);
}

// Saturation at the normal boiling point (77.355 K, 0.101325 MPa, saturated
// liquid 806.08 kg/m3) and at the triple point (63.151 K, 12.523 kPa).
TEST(Jacobsen, SaturationStates)
{
    Jacobsen j(1);
    gas_tests::saturateAt(j, 77.355, 3.5e-5, 6e-3, true);
    ASSERT_EQ(j.errorflag, 0);
    EXPECT_NEAR(j.P, 101325.0, 0.0005 * 101325.0);
    EXPECT_NEAR(0.0280134 / j.Vl_sat, 806.08, 0.0005 * 806.08);

    gas_tests::saturateAt(j, 63.151, 3.3e-5, 0.04, false);
    ASSERT_EQ(j.errorflag, 0);
    EXPECT_NEAR(j.P, 12523.0, 0.002 * 12523.0);
}

// Gas densities and the ideal-gas heat capacity (29.12 J/(mol K) at 300 K),
// the ideal-gas limit, fugacities and round trips.
TEST(Jacobsen, GasStatesAndRoundTrips)
{
    Jacobsen j(1);
    j.calculateFromTP(300.0, 1.0, 0);
    ASSERT_EQ(j.errorflag, 0);
    EXPECT_NEAR(0.0280134 / j.V, 1.1233, 0.0005 * 1.1233);

    j.calculateFromTV(300.0, 1e3, 0);
    EXPECT_NEAR(j.Z, 1.0, 1e-6);
    EXPECT_NEAR(j.fugcoef[0], 1.0, 1e-6);
    EXPECT_NEAR(j.Cp, 29.12, 0.002 * 29.12);
    EXPECT_NEAR(j.Cp - j.Cv, FluidPhase::R, 1e-4);

    // The liquid search fails where nitrogen has no liquid root (126 K,
    // 0.2 K below the critical point, at 1 bar: above the liquid's spinodal
    // the isotherm's only root is the gas); the vapour search finds it.
    Jacobsen dense(2);
    for (double T : {70.0, 126.0, 300.0, 1000.0})
        for (double Pb : {1.0, 50.0, 1000.0, 10000.0}) {
            dense.set_the_phase_as(2);
            dense.calculateFromTP(T, Pb, 0);
            if (dense.errorflag && T == 126.0 && Pb == 1.0) {
                dense.set_the_phase_as(1);
                dense.calculateFromTP(T, Pb, 0);
            }
            gas_tests::expectPressureRoundTrip(dense, T, Pb, 1e-8);
        }

    // ln phi = integral of (Z - 1)/P dP at constant T (Simpson's rule).
    gas_tests::expectFugacityFromIntegratedZ(j, 200.0, 300.0, 300);
}

// The vapour searched below the saturation pressure (down to a hundredth of
// it and up to a thousandth short of it) and the liquid above it, from the
// triple point to 2 K below the critical point, each temperature asked in
// turn (never two states in a row at one temperature): every root gives back
// the pressure asked for by the equation's closed form, lies where the
// closed form's isotherm falls, on its phase's side of the saturated volumes,
// and is the volume a new model finds.
TEST(Jacobsen, SubcriticalSearchesGiveThePressureOfTheClosedForm)
{
    Jacobsen j(1);
    const double temperatures[] = {64.0, 80.0, 100.0, 115.0, 124.0};
    const struct {
        int kind;
        double share, addBar;  // P = share psat + addBar
    } pressures[] = {{1, 0.01, 0.0}, {1, 0.3, 0.0}, {1, 0.9, 0.0}, {1, 0.999, 0.0},
                     {2, 1.001, 0.0}, {2, 1.0, 50.0}, {2, 1.0, 1000.0}};
    for (const auto& p : pressures)
        for (double T : temperatures) {
            double psat = 0.0, Vl = 0.0, Vv = 0.0;
            ASSERT_TRUE(j.saturationFromExpansion(T, psat, Vl, Vv));
            const double P = p.share * psat + p.addBar * 1e5;
            SCOPED_TRACE(testing::Message() << T << " K " << P << " Pa, kind " << p.kind);
            j.set_the_phase_as(p.kind);
            j.temperature(T);
            j.pressure(P * 1e-5);
            j.calculate_molar_volume();
            ASSERT_EQ(j.errorflag, 0);
            const double V = j.V;
            // A stiff liquid gives its pressure back only to what a change of
            // its volume in the last digits (1e-13) makes of it.
            const double stiffness = (pressureClosedForm(T, V * (1.0 - 1e-6)) - pressureClosedForm(T, V * (1.0 + 1e-6))) / 2e-6;
            EXPECT_GT(stiffness, 0.0);
            EXPECT_NEAR(pressureClosedForm(T, V), P, 1e-11 * P + 1e-13 * stiffness);
            if (p.kind == 1)
                EXPECT_GT(V, Vv);
            else
                EXPECT_LT(V, Vl);
            Jacobsen fresh(p.kind);
            fresh.temperature(T);
            fresh.pressure(P * 1e-5);
            fresh.calculate_molar_volume();
            EXPECT_EQ(fresh.V, V);
        }
}

// The 28-term residual term has the second virial coefficient of the
// reference equation: the two agree in the dilute gas.
TEST(Jacobsen, TwentyEightTermResidualInTheDiluteGas)
{
    Jacobsen ref(1);
    Nitrogen28 other;
    for (double T : {200.0, 300.0, 600.0}) {
        ref.calculateFromTV(T, 1.0, 0);
        other.calculateFromTV(T, 1.0, 0);
        const double B = (ref.Z - 1.0) * 1.0, B28 = (other.Z - 1.0) * 1.0;
        EXPECT_NEAR(B28, B, 0.01 * std::fabs(B) + 2e-7) << T;
        ref.calculateFromTP(T, 10.0, 0);
        other.calculateFromTP(T, 10.0, 0);
        EXPECT_NEAR(other.V, ref.V, 5e-4 * ref.V) << T;
    }
}

TEST(Jacobsen, ComponentCounts)
{
    JacobsenRes1 t;
    fluid_tests::expectCountRefused(t, 2, 1);
    JacobsenRes t28;
    fluid_tests::expectCountRefused(t28, 2, 1);
    // The ideal part takes any count: T, V and two mole numbers.
    JacobsenId id;
    id.number_of_components(2);
    EXPECT_EQ(id.root->nvar, 4);
    EXPECT_EQ(id.g.leaf.flags[3], 0);
    EXPECT_EQ(id.lndelta.flags[1], 1);
    EXPECT_EQ(id.lndelta.flags[0], 0);
}
