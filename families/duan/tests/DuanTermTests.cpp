// The Duan terms: the trees against the closed form of the equation, their
// derivatives against differences, the ideal-gas limit, the mixture term at
// the pure ends and with identical components, the interaction parameters.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "expressions/Geom.h"
#include "expressions/Leaf.h"
#include "families/duan/Duan1.h"
#include "families/duan/Duan2.h"
#include "families/duan/DuanParameters.h"
#include "families/duan/tests/DuanChecks.h"
#include "fluid/tests/RefusedCount.h"

using namespace duan_tests;

namespace {

void load(Duan1& t, const duan::FluidSet& s)
{
    t.number_of_components(1);
    t.set_parameters(s.Tc, s.Pc, s.a);
}

// The tree of a mixture is evaluated also for the rows the models refuse
// (CH4-CO2, CH4-H2O from 513.15 K), whose parameters could not be traced.
void load(Duan2& t, const duan::FluidSet& s0, const duan::FluidSet& s1, short pair)
{
    t.refuseMixtures = false;
    t.number_of_components(2);
    t.set_parameters(0, s0.Tc, s0.Pc, s0.a);
    t.set_parameters(1, s1.Tc, s1.Pc, s1.a);
    t.pairType = pair;
}

// Cube of the mean of the cube roots (signs kept).
double M(std::initializer_list<double> u)
{
    double s = 0.0;
    for (double v : u) s += std::cbrt(v);
    s /= static_cast<double>(u.size());
    return s * s * s;
}

}  // namespace

TEST(Duan1Term, TreeMatchesTheClosedFormForEverySet)
{
    struct Case {
        const duan::FluidSet* set;
        double T, V;
    };
    // Dense liquid-like, critical-region and dilute states of each fluid.
    const Case cases[] = {{&duan::kH2O, 473.15, 2.0e-5},  {&duan::kH2O, 973.15, 6.0e-5}, {&duan::kH2O, 1273.15, 1e-3},
                          {&duan::kCH4, 190.6, 1.0e-4},   {&duan::kCH4, 400.0, 4.0e-5},  {&duan::kCO2, 320.0, 5.0e-5},
                          {&duan::kCO2, 1000.0, 3.0e-5},  {&duan::kN2, 300.0, 5.0e-5},   {&duan::kN2, 800.0, 2.0e-4}};
    for (const Case& c : cases) {
        Duan1 t;
        load(t, *c.set);
        const Reduced r = reduced(*c.set, c.T);
        const Expression* e = evaluate(t, c.T, c.V);
        SCOPED_TRACE(std::string(c.set->name) + " at " + std::to_string(c.T) + " K");
        const double res = closedResidual(r, c.V);
        EXPECT_NEAR(e->value, res - std::log(c.V), 1e-12 * (1.0 + std::fabs(res - std::log(c.V))));
        // Z = -V d(A/RT)/dV from the tree against the reduced-variable Z.
        const double Z = -c.V * e->d1[1];
        EXPECT_NEAR(Z, closedZ(r, c.V), 1e-11 * std::fabs(closedZ(r, c.V)) + 1e-12);
    }
}

TEST(Duan1Term, CoefficientsAtTheCriticalTemperatureAreTheBracketSums)
{
    Duan1 t;
    load(t, duan::kCH4);
    evaluate(t, duan::kCH4.Tc, 1e-4);
    const double* a = duan::kCH4.a;
    const double Vc = R * duan::kCH4.Tc / (duan::kCH4.Pc * 1e5);
    EXPECT_NEAR(t.Vc, Vc, 1e-18);
    EXPECT_NEAR(t.Bd->value, Vc * (a[0] + a[1] + a[2]), 1e-15 * Vc);
    EXPECT_NEAR(t.Cd->value, Vc * Vc * (a[3] + a[4] + a[5]), 1e-15 * Vc * Vc);
    EXPECT_NEAR(t.Dd->value, std::pow(Vc, 4) * (a[6] + a[7] + a[8]), 1e-15 * std::pow(Vc, 4));
    EXPECT_NEAR(t.Ed->value, std::pow(Vc, 5) * (a[9] + a[10] + a[11]), 1e-15 * std::pow(Vc, 5));
    EXPECT_NEAR(t.Fd->value, Vc * Vc * a[12], 1e-15 * Vc * Vc);
    EXPECT_DOUBLE_EQ(t.beta1->value, 1.0 + a[13]);
    EXPECT_NEAR(t.gama->value, Vc * Vc * a[14], 1e-15 * Vc * Vc);
}

TEST(Duan1Term, DerivativesAgreeWithDifferences)
{
    for (const duan::FluidSet* s : {&duan::kH2O, &duan::kCH4, &duan::kCO2, &duan::kN2}) {
        Duan1 t;
        load(t, *s);
        SCOPED_TRACE(s->name);
        checkDerivatives(t, {600.0, 4.0e-5, 1.0}, {0, 1});
        checkDerivatives(t, {350.0, 2.5e-5, 1.0}, {0, 1});
    }
}

TEST(Duan1Term, IdealGasAtLargeVolume)
{
    for (const duan::FluidSet* s : {&duan::kH2O, &duan::kCH4, &duan::kCO2, &duan::kN2}) {
        Duan1 t;
        load(t, *s);
        for (double T : {273.15, 700.0, 1473.15}) {
            const double V = 1e3;
            const Expression* e = evaluate(t, T, V);
            EXPECT_NEAR(e->value + std::log(V), 0.0, 1e-6) << s->name;
            EXPECT_NEAR(-V * e->d1[1], 1.0, 1e-6) << s->name;
        }
    }
}

TEST(Duan1Term, PrintsItsCoefficients)
{
    Duan1 t;
    load(t, duan::kCO2);
    evaluate(t, 500.0, 1e-4);
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    t.print_parameters(f);
    std::rewind(f);
    char buf[512] = {};
    const std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    const std::string out(buf, n);
    const double Vc = R * duan::kCO2.Tc / (duan::kCO2.Pc * 1e5);
    char expect[512];
    std::snprintf(expect, sizeof expect, "Virial coefficients\nBd %lg  Cd %lg  Dd %lg\nEd %lg  Fd %lg  beta1 %lg\ngama %lg",
                  t.Bd->value, t.Cd->value, t.Dd->value, t.Ed->value, t.Fd->value, 2.398, Vc * Vc * 0.0296);
    EXPECT_EQ(out, expect);
}

TEST(Duan1Term, MoreThanOneComponentIsRefused)
{
    Duan1 t;
    fluid_tests::expectCountRefused(t, 2, 1);
    t.number_of_components(1);
    EXPECT_EQ(t.refusedComponents, 0);
    EXPECT_EQ(t.root->nvar, 3);
}

TEST(Duan2Term, PureEndsEqualThePureTerm)
{
    for (short pair : {Duan2::kCO2H2O, Duan2::kCH4H2O, Duan2::kCH4CO2}) {
        const duan::FluidSet& s0 = pair == Duan2::kCO2H2O ? duan::kCO2 : duan::kCH4;
        const duan::FluidSet& s1 = pair == Duan2::kCH4CO2 ? duan::kCO2 : duan::kH2O;
        Duan2 mix;
        load(mix, s0, s1, pair);
        Duan1 p0, p1;
        load(p0, s0);
        load(p1, s1);
        for (double T : {400.0, 600.0}) {
            for (double V : {3e-5, 2e-4}) {
                const Expression* m = evaluate(mix, T, V, {1.0, 0.0});
                const Expression* a = evaluate(p0, T, V);
                SCOPED_TRACE(testing::Message() << "pair " << pair << " at " << T << " K, " << V);
                EXPECT_NEAR(m->value, a->value, 1e-12 * std::fabs(a->value));
                EXPECT_NEAR(m->d1[0], a->d1[0], 1e-10 * std::fabs(a->d1[0]) + 1e-15);
                EXPECT_NEAR(m->d1[1], a->d1[1], 1e-10 * std::fabs(a->d1[1]));
                EXPECT_NEAR(m->d2[1][1], a->d2[1][1], 1e-10 * std::fabs(a->d2[1][1]));
                EXPECT_NEAR(m->d3[1][1][0], a->d3[1][1][0], 1e-9 * std::fabs(a->d3[1][1][0]));
                const Expression* m2 = evaluate(mix, T, V, {0.0, 1.0});
                const Expression* b = evaluate(p1, T, V);
                EXPECT_NEAR(m2->value, b->value, 1e-12 * std::fabs(b->value));
                EXPECT_NEAR(m2->d1[1], b->d1[1], 1e-10 * std::fabs(b->d1[1]));
                EXPECT_NEAR(m2->d2[1][0], b->d2[1][0], 1e-9 * std::fabs(b->d2[1][0]));
            }
        }
    }
}

TEST(Duan2Term, IdenticalComponentsWithUnitParametersArePure)
{
    // CH4-CO2 below 273.15 K has k1 = k2 = k3 = 1: a mixture of a fluid with itself is that fluid.
    Duan2 mix;
    load(mix, duan::kCO2, duan::kCO2, Duan2::kCH4CO2);
    Duan1 pure;
    load(pure, duan::kCO2);
    for (double x1 : {0.1, 0.37, 0.8}) {
        const Expression* m = evaluate(mix, 250.0, 5e-5, {x1, 1.0 - x1});
        const double mv = m->value, mV = m->d1[1], mT = m->d1[0];
        const Expression* p = evaluate(pure, 250.0, 5e-5);
        EXPECT_NEAR(mv, p->value, 1e-11 * std::fabs(p->value)) << x1;
        EXPECT_NEAR(mV, p->d1[1], 1e-10 * std::fabs(p->d1[1])) << x1;
        EXPECT_NEAR(mT, p->d1[0], 1e-10 * std::fabs(p->d1[0])) << x1;
    }
}

TEST(Duan2Term, MixtureMatchesTheMixingRulesInClosedForm)
{
    // CH4 (1) - CO2 (2) at 300 K: k1 = 0.38, k2 = 1.74094 - 0.0058903 T, k3 = 1.59.
    Duan2 mix;
    load(mix, duan::kCH4, duan::kCO2, Duan2::kCH4CO2);
    const double T = 300.0, V = 8e-5, x1 = 0.35, x2 = 0.65;
    const double k1 = 0.38, k2 = 1.74094 - 0.0058903 * T, k3 = 1.59;
    const Reduced r1 = reduced(duan::kCH4, T), r2 = reduced(duan::kCO2, T);
    const double V1 = r1.Vc, V2 = r2.Vc, c1 = std::cbrt(V1), c2 = std::cbrt(V2);
    auto Vp = [&](int n1, int n2) { return std::pow((n1 * c1 + n2 * c2) / (n1 + n2), 3); };
    const double Bd = x1 * x1 * V1 * r1.B + 2 * x1 * x2 * Vp(1, 1) * k1 * M({r1.B, r2.B}) + x2 * x2 * V2 * r2.B;
    // k2 on every mixed C, k3 on every mixed gamma (Duan, Moller & Weare 1992).
    const double Cd = std::pow(x1, 3) * V1 * V1 * r1.C + 3 * x1 * x1 * x2 * std::pow(Vp(2, 1), 2) * k2 * M({r1.C, r1.C, r2.C}) +
                      3 * x1 * x2 * x2 * std::pow(Vp(1, 2), 2) * k2 * M({r1.C, r2.C, r2.C}) + std::pow(x2, 3) * V2 * V2 * r2.C;
    double Dd = std::pow(x1, 5) * std::pow(V1, 4) * r1.D + std::pow(x2, 5) * std::pow(V2, 4) * r2.D;
    const double binom5[4] = {5, 10, 10, 5};
    for (int m = 1; m <= 4; ++m) {
        const double mean = std::pow(((5 - m) * std::cbrt(r1.D) + m * std::cbrt(r2.D)) / 5.0, 3);
        Dd += binom5[m - 1] * std::pow(x1, 5 - m) * std::pow(x2, m) * std::pow(Vp(5 - m, m), 4) * mean;
    }
    double Ed = std::pow(x1, 6) * std::pow(V1, 5) * r1.E + std::pow(x2, 6) * std::pow(V2, 5) * r2.E;
    const double binom6[5] = {6, 15, 20, 15, 6};
    for (int m = 1; m <= 5; ++m) {
        const double mean = std::pow(((6 - m) * std::cbrt(r1.E) + m * std::cbrt(r2.E)) / 6.0, 3);
        Ed += binom6[m - 1] * std::pow(x1, 6 - m) * std::pow(x2, m) * std::pow(Vp(6 - m, m), 5) * mean;
    }
    const double Fd = x1 * x1 * V1 * V1 * r1.F + 2 * x1 * x2 * std::pow(Vp(1, 1), 2) * M({r1.F, r2.F}) + x2 * x2 * V2 * V2 * r2.F;
    const double gama = std::pow(x1, 3) * V1 * V1 * r1.gamma + 3 * x1 * x1 * x2 * std::pow(Vp(2, 1), 2) * k3 * M({r1.gamma, r1.gamma, r2.gamma}) +
                        3 * x1 * x2 * x2 * std::pow(Vp(1, 2), 2) * k3 * M({r1.gamma, r2.gamma, r2.gamma}) + std::pow(x2, 3) * V2 * V2 * r2.gamma;
    const double beta1 = 1 + x1 * r1.beta + x2 * r2.beta;

    const Expression* e = evaluate(mix, T, V, {x1, x2});
    EXPECT_NEAR(mix.Bd->value, Bd, 1e-12 * std::fabs(Bd));
    EXPECT_NEAR(mix.Cd->value, Cd, 1e-12 * std::fabs(Cd));
    EXPECT_NEAR(mix.Dd->value, Dd, 1e-11 * std::fabs(Dd));
    EXPECT_NEAR(mix.Ed->value, Ed, 1e-11 * std::fabs(Ed));
    EXPECT_NEAR(mix.Fd->value, Fd, 1e-12 * std::fabs(Fd));
    EXPECT_NEAR(mix.gama->value, gama, 1e-12 * std::fabs(gama));
    EXPECT_DOUBLE_EQ(mix.beta1->value, beta1);
    const double A = -std::log(V) + Bd / V + Cd / (2 * V * V) + Dd / (4 * std::pow(V, 4)) + Ed / (5 * std::pow(V, 5)) +
                     Fd * beta1 / (2 * gama) - 0.5 * (Fd * beta1 / gama + Fd / (V * V)) * std::exp(-gama / (V * V));
    EXPECT_NEAR(e->value, A, 1e-12 * std::fabs(A));
}

TEST(Duan2Term, DerivativesAgreeWithDifferences)
{
    Duan2 mix;
    load(mix, duan::kCO2, duan::kH2O, Duan2::kCO2H2O);
    // T, V and both mole fractions as independent variables; gama depends
    // on T through k3 (12.1308 - 0.0099489 T - 3042.09583/T at 550 K).
    checkDerivatives(mix, {550.0, 5e-5, 0.3, 0.7}, {0, 1, 2, 3}, 5e-5);
    EXPECT_GT(std::fabs(mix.gama->d1[0]), 1e-3 * std::fabs(mix.gama->value) / 550.0);
    Duan2 m2;
    load(m2, duan::kCH4, duan::kH2O, Duan2::kCH4H2O);
    checkDerivatives(m2, {420.0, 3e-5, 0.6, 0.4}, {0, 1, 2, 3}, 5e-5);
}

TEST(Duan2Term, InteractionParametersByPairAndTemperature)
{
    Duan2 mix;
    load(mix, duan::kCH4, duan::kCO2, Duan2::kCH4CO2);
    evaluate(mix, 300.0, 1e-4, {0.5, 0.5});
    EXPECT_DOUBLE_EQ(mix.k1.value, 0.38);
    EXPECT_NEAR(mix.k2.value, 1.74094 - 0.0058903 * 300.0, 1e-14);
    EXPECT_DOUBLE_EQ(mix.k3.value, 1.59);
    evaluate(mix, 400.0, 1e-4, {0.5, 0.5});
    EXPECT_DOUBLE_EQ(mix.k1.value, 1.1);
    EXPECT_NEAR(mix.k2.value, 3.211 - 0.00158 * 400.0 - 537.814 / 400.0, 1e-13);
    EXPECT_DOUBLE_EQ(mix.k3.value, -0.7);
    evaluate(mix, 600.0, 1e-4, {0.5, 0.5});
    EXPECT_DOUBLE_EQ(mix.k1.value, 1.0);

    // The log-term row of CO2-H2O, with its T-derivative against a difference.
    Duan2 cw;
    load(cw, duan::kCO2, duan::kH2O, Duan2::kCO2H2O);
    const double T = 450.0;
    evaluate(cw, T, 1e-4, {0.5, 0.5});
    const double k1 = -10084.5042 - 4.27134485 * T + 0.00166997474 * T * T + 256477.783 / T + 1816.78 * std::log(T);
    EXPECT_NEAR(cw.k1.value, k1, 1e-9 * std::fabs(k1));
    const double h = 1e-3;
    EXPECT_NEAR(cw.k1.d1[0], (cw.k1.at(T + h) - cw.k1.at(T - h)) / (2 * h), 1e-6);
    EXPECT_EQ(cw.termError, 0);

    // CO2-H2O has no parameters below the fluids' 273.15 K: the term
    // reports it; from there to 323.15 K its first row is extrapolated.
    cw.T = 270.0;
    cw.V = 1e-4;
    cw.calculate_Z();
    EXPECT_EQ(cw.termError, 1);
    cw.T = 300.0;
    cw.calculate_Z();
    EXPECT_EQ(cw.termError, 0);
    // (The term answers Z in closed form and leaves its nodes behind: the
    // row it loaded is read at T.)
    EXPECT_NEAR(cw.k1.at(cw.T), 0.20611 + 0.0006 * 300.0, 1e-12);
    cw.T = 500.0;
    cw.calculate_Z();
    EXPECT_EQ(cw.termError, 0);
}

TEST(Duan2Term, CH4H2OOutsideItsRangeDoesNotDependOnThePreviousState)
{
    Duan2 mix;
    load(mix, duan::kCH4, duan::kH2O, Duan2::kCH4H2O);
    evaluate(mix, 350.0, 1e-4, {0.5, 0.5});
    const double after350 = evaluate(mix, 300.0, 1e-4, {0.5, 0.5})->value;
    evaluate(mix, 900.0, 1e-4, {0.5, 0.5});
    const double after900 = evaluate(mix, 300.0, 1e-4, {0.5, 0.5})->value;
    EXPECT_DOUBLE_EQ(after350, after900);
    EXPECT_EQ(mix.termError, 0);
}

TEST(Duan2Term, CombiningRuleKeepsSigns)
{
    Leaf a, b;
    Geom g;
    g.number_of_terms(2);
    g.tie_(&a, &b);
    g.set_scalars3(1.0, 1.0 / 3.0, 0.0);
    g.number_of_variables(1);
    a.value = -8.0;
    b.value = -8.0;
    g.initialize_the_graph();
    g.calculate(0);
    EXPECT_NEAR(g.value, -8.0, 1e-12);
    b.value = 8.0;
    g.initialize_the_graph();
    g.calculate(0);
    EXPECT_NEAR(g.value, 0.0, 1e-12);
}

TEST(Duan2Term, OtherComponentCountsAreRefused)
{
    Duan2 t;
    fluid_tests::expectCountRefused(t, 3, 2);
    Duan2 one;
    fluid_tests::expectCountRefused(one, 1, 2);
}
