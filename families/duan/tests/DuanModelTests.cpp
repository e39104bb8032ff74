// The Duan fluid models: loading by component name, their failures, round
// trips, fugacities, and agreement with the reference models of CO2, CH4,
// N2 and water to the accuracy Duan, Moller & Weare give for their equation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "families/duan/DMW1.h"
#include "families/duan/Duan1.h"
#include "families/duan/Duan2.h"
#include "families/duan/DuanCH4.h"
#include "families/duan/DuanCO2.h"
#include "families/duan/DuanH2O.h"
#include "families/duan/DuanParameters.h"
#include "families/duan/tests/DuanChecks.h"
#include "gases/IUPACCH4.h"
#include "gases/IUPACCO2.h"
#include "gases/Jacobsen.h"
#include "water/HGK.h"
#include "water/WagnerPruss.h"

namespace {

double relDev(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

void pure(FluidPhase& m, const char* name)
{
    m.number_of_components(1);
    m.add_component(name);
    m.composition(1.0);
}

// Molar volumes and fugacity coefficients of a Duan model against a reference
// model over a grid of temperatures (K) and pressures (bar).
void agree(FluidPhase& duan, FluidPhase& ref, std::initializer_list<double> Ts, std::initializer_list<double> Ps,
           double volumeTol, double lnPhiTol)
{
    for (double T : Ts)
        for (double P : Ps) {
            duan.calculateFromTP(T, P, 0);
            ref.calculateFromTP(T, P, 0);
            SCOPED_TRACE(testing::Message() << duan.modelName() << " at " << T << " K, " << P << " bar");
            ASSERT_EQ(duan.errorflag, 0);
            ASSERT_EQ(ref.errorflag, 0);
            EXPECT_LT(relDev(duan.V, ref.V), volumeTol) << duan.V << " against " << ref.V;
            if (lnPhiTol > 0) {
                EXPECT_NEAR(std::log(duan.fugcoef[0]), std::log(ref.fugcoef[0]), lnPhiTol);
            }
        }
}

}  // namespace

TEST(DuanModels, VolumesAgreeWithTheReferenceModels)
{
    // Duan, Moller & Weare (1992) give about 1-2 % in volume for their equation
    // from 0 to 1000 degrees C and 0 to 8000 bar; the reference models here are
    // valid to 1000 bar (CO2, CH4) and beyond (water).
    {
        DuanCO2 d(1);
        IUPACCO2 r(1);
        agree(d, r, {373.15, 473.15, 673.15, 873.15, 1073.15}, {10, 50, 100, 200, 400, 800}, 0.02, 0.02);
    }
    {
        DuanCH4 d(1);
        IUPACCH4 r(1);
        agree(d, r, {273.15, 323.15, 373.15, 473.15, 573.15}, {10, 50, 100, 200, 400, 800}, 0.01, 0.015);
    }
    {
        DuanH2O d(1, 0);
        WagnerPruss r(1);
        agree(d, r, {873.15, 1073.15, 1273.15}, {1, 10, 100, 500, 1000, 2000, 5000}, 0.015, 0.02);
        agree(d, r, {573.15, 673.15}, {1, 10, 50}, 0.01, 0.01);
    }
    {
        // Compressed liquid water (volumes only: the equation is not made for
        // the liquid's fugacity at low temperature).
        DuanH2O d(2, 0);
        WagnerPruss r(2);
        agree(d, r, {323.15, 373.15, 473.15, 573.15}, {500, 1000, 2000, 5000}, 0.006, 0.0);
    }
    {
        DMW1 d(1);
        pure(d, "N2");
        Jacobsen r(1);
        agree(d, r, {300.0, 500.0, 800.0, 1000.0}, {10, 100, 500, 1000, 3000, 5000}, 0.015, 0.05);
    }
}

TEST(DuanModels, RoundTripsThroughTheMolarVolume)
{
    DuanCO2 co2(1);
    DuanH2O h2o(2, 0);
    DMW1 ch4(1);
    pure(ch4, "CH4");
    struct Case {
        FluidPhase* m;
        double T, P;
    };
    for (const Case& c : {Case{&co2, 350.0, 300.0}, Case{&co2, 900.0, 5000.0}, Case{&h2o, 400.0, 1000.0},
                          Case{&h2o, 1200.0, 8000.0}, Case{&ch4, 250.0, 2000.0}}) {
        c.m->calculateFromTP(c.T, c.P, 0);
        ASSERT_EQ(c.m->errorflag, 0);
        const double V = c.m->V;
        c.m->volume(V);
        c.m->calculate_pressure();
        EXPECT_NEAR(c.m->P / 1e5, c.P, 1e-7 * c.P) << c.m->modelName();
        // And back: the temperature from V and P.
        c.m->calculateFromVP(V, c.P, 0);
        EXPECT_NEAR(c.m->T, c.T, 1e-6 * c.T) << c.m->modelName();
    }
}

TEST(DuanModels, DMW1LoadsByName)
{
    DMW1 m(1);
    pure(m, "N2");
    EXPECT_EQ(m.Tc, 0.6558441558441559);
    EXPECT_EQ(m.Pc, 0.6895985066094725);
    EXPECT_EQ(m.molar_mass[0], 0.02801348);
    EXPECT_EQ(m.bulk_molar_weight, 0.02801348);
    EXPECT_STREQ(m.modelName(), "Duan EOS");
    // Nitrogen's ideal gas from its standard-state data.
    ASSERT_NE(m.ideal, nullptr);
    EXPECT_TRUE(static_cast<Ideal*>(m.ideal)->hasData());

    // The solubility model's use: one gas, start volume R T / P, molar volume.
    DMW1 g(1);
    pure(g, "CH4");
    DuanCH4 ref(1);
    g.temperature(400.0);
    g.pressure(500.0);
    g.Vv0 = FluidPhase::R * 400.0 / 5e7;
    g.calculate_molar_volume();
    ref.calculateFromTP(400.0, 500.0, 0);
    ASSERT_EQ(g.errorflag, 0);
    EXPECT_NEAR(g.V, ref.V, 1e-10 * ref.V);
}

TEST(DuanModels, UnknownNamesAndCountsEndTheProcess)
{
    EXPECT_EXIT(
        {
            DMW1 m(1);
            pure(m, "h2o");
        },
        testing::ExitedWithCode(1), "Either H2O, CO2 or CH4 must be defined as a component of the system");
    EXPECT_EXIT(
        {
            DMW1 m(1);
            m.number_of_components(15);
        },
        testing::ExitedWithCode(1), "");
    EXPECT_EXIT(
        {
            DMW2 m(1);
            m.number_of_components(1);
        },
        testing::ExitedWithCode(1), "");
    EXPECT_EXIT(
        {
            DMW2 m(1);
            m.number_of_components(2);
            m.add_components("H2O", "N2");
        },
        testing::ExitedWithCode(1), "");
    EXPECT_EXIT(
        {
            DMWEOS m(1);
            m.number_of_components(3);
        },
        testing::ExitedWithCode(1), "");
}

TEST(DuanModels, MessagesOnStandardOutput)
{
    // Run the message writers in child processes that redirect standard output to standard error.
    EXPECT_EXIT(
        {
            std::fflush(stdout);
            (void)!std::freopen("/dev/stderr", "w", stdout);
            DMWEOS m(1);
            m.number_of_components(3);
        },
        testing::ExitedWithCode(1), "Can handle only one-component or two-component fluid");
    EXPECT_EXIT(
        {
            (void)!std::freopen("/dev/stderr", "w", stdout);
            DMW2 m(1);
            m.number_of_components(2);
            m.add_components("CO2", "Ar");
        },
        testing::ExitedWithCode(1), "either H2O, CO2 or CH4 must be defined as a component of the system");
}

TEST(DuanModels, PairTypeFromTheComponentNames)
{
    auto pairOf = [](const char* a, const char* b) {
        DMW2 m(1);
        m.number_of_components(2);
        m.add_components(a, b);
        return static_cast<Duan2*>(m.interactions[0])->pairType;
    };
    EXPECT_EQ(pairOf("CO2", "H2O"), 1);
    EXPECT_EQ(pairOf("H2O", "CO2"), 1);
    EXPECT_EQ(pairOf("CH4", "H2O"), 2);
    EXPECT_EQ(pairOf("H2O", "CH4"), 2);
    EXPECT_EQ(pairOf("CO2", "CH4"), 3);
    EXPECT_EQ(pairOf("CH4", "CH4"), 2);
    DMWEOS e(1);
    e.number_of_components(2);
    e.add_components("H2O", "CO2");
    EXPECT_EQ(static_cast<Duan2*>(e.interactions[0])->pairType, 1);
    EXPECT_EQ(e.molar_mass[0], 0.018015268);
    EXPECT_EQ(e.molar_mass[1], 0.0440098);
}

TEST(DuanModels, MixturesGiveNoStateAndThePureEndsStand)
{
    // The interaction parameters of the three pairs could not be traced to
    // Duan, Moller & Weare (1992): with them the Henry constant of CO2 in
    // liquid water at 373 K came out 6.3 bar against 5077 (IAPWS G7-04), and
    // a mixture's state depended on the order of its components (673.15 K,
    // 40 cm3/mol, 20 % CO2: 929 bar named H2O first, 1111 bar named CO2
    // first).  Every state holding both components fails, with a message;
    // the pure components are DMW1's.
    for (auto [a, b] : {std::pair{"CO2", "H2O"}, std::pair{"H2O", "CO2"}, std::pair{"H2O", "CH4"},
                        std::pair{"CH4", "CO2"}}) {
        for (int model = 0; model < 2; ++model) {
            std::unique_ptr<FluidPhase> m;
            if (model == 0)
                m = std::make_unique<DMW2>(1);
            else
                m = std::make_unique<DMWEOS>(1);
            m->number_of_components(2);
            m->add_components(a, b);
            SCOPED_TRACE(testing::Message() << a << "-" << b << (model ? " DMWEOS" : " DMW2"));
            testing::internal::CaptureStderr();
            for (double x1 : {1e-6, 0.2, 0.5, 0.9}) {
                m->composition(1.0 - x1, x1);
                m->calculateFromTP(673.15, 1000.0, 0);
                EXPECT_EQ(m->errorflag, 1) << x1;
                m->calculateFromTV(673.15, 1e-4, 0);
                EXPECT_EQ(m->errorflag, 1) << x1;
            }
            EXPECT_NE(testing::internal::GetCapturedStderr().find("could not be traced"), std::string::npos);
            for (int i = 0; i < 2; ++i) {
                DMW1 p(1);
                pure(p, i == 0 ? a : b);
                p.calculateFromTP(673.15, 1000.0, 0);
                m->composition(i == 0 ? 1.0 : 0.0, i == 0 ? 0.0 : 1.0);
                m->calculateFromTP(673.15, 1000.0, 0);
                ASSERT_EQ(m->errorflag, 0);
                EXPECT_NEAR(m->V, p.V, 1e-9 * p.V);
                EXPECT_NEAR(std::log(m->fugcoef[i]), std::log(p.fugcoef[0]), 1e-9);
            }
        }
    }
}

TEST(DuanModels, DMWEOSIdealPartLeavesTheFugacitiesAndCompletesTheIdealGas)
{
    // One CO2 component: the Duan term with HGK's ideal-gas function.  The
    // ideal part depends on T only, so pressure, volume and fugacity
    // coefficient are those of DMW1.
    DMWEOS e(1);
    pure(e, "CO2");
    EXPECT_EQ(e.Tc, 304.2);
    DMW1 d(1);
    pure(d, "CO2");
    e.calculateFromTP(500.0, 300.0, 0);
    d.calculateFromTP(500.0, 300.0, 0);
    ASSERT_EQ(e.errorflag, 0);
    EXPECT_NEAR(e.V, d.V, 1e-10 * d.V);
    EXPECT_NEAR(std::log(e.fugcoef[0]), std::log(d.fugcoef[0]), 1e-10);
    EXPECT_NEAR(e.dfugacitydT[0], d.dfugacitydT[0], 1e-8 * std::fabs(d.dfugacitydT[0]));

    // Water at a large volume is HGK's ideal gas: same entropy, enthalpy, heat capacity.
    DMWEOS w(1);
    pure(w, "H2O");
    HGK hgk(1);
    for (double T : {400.0, 800.0}) {
        w.calculateFromTV(T, 1000.0, 0);
        hgk.calculateFromTV(T, 1000.0, 0);
        EXPECT_NEAR(w.S, hgk.S, 2e-3) << T;
        EXPECT_NEAR(w.H, hgk.H, 1.0) << T;
        EXPECT_NEAR(w.Cv, hgk.Cv, 1e-3) << T;
        EXPECT_NEAR(w.Z, 1.0, 1e-5);
    }
}

TEST(DuanModels, DMWEOSKeepsItsTermWhenTheCountIsGivenAgain)
{
    DMWEOS e(1);
    e.number_of_components(1);
    Interaction* t = e.interactions[0];
    e.number_of_components(1);
    EXPECT_EQ(e.interactions[0], t);
    e.add_component("CH4");
    e.composition(1.0);
    e.calculateFromTP(300.0, 100.0, 0);
    EXPECT_EQ(e.errorflag, 0);
    e.number_of_components(2);
    ASSERT_NE(dynamic_cast<Duan2*>(e.interactions[0]), nullptr);
    e.add_components("CH4", "CO2");
    e.composition(0.0, 1.0);
    e.calculateFromTP(400.0, 100.0, 0);
    EXPECT_EQ(e.errorflag, 0);
}

TEST(DuanFixedFluids, CompleteAfterConstruction)
{
    DuanCH4 ch4(1);
    EXPECT_STREQ(ch4.componentName(0), "CH4");
    EXPECT_STREQ(ch4.modelName(), "DMW CH4");
    EXPECT_EQ(ch4.molar_mass[0], 0.016043);
    EXPECT_EQ(ch4.critical_T, 190.6);
    // At its own Tc the coefficients are the bracket sums.
    auto* t = static_cast<Duan1*>(ch4.interactions[0]);
    ch4.calculateFromTV(190.6, 1e-4, 0);
    const double* a = DuanCH4::CH4_constants;
    EXPECT_NEAR(t->Bd->value, t->Vc * (a[0] + a[1] + a[2]), 1e-15 * t->Vc);
    EXPECT_NEAR(t->Fd->value, t->Vc2 * a[12], 1e-15 * t->Vc2);

    DuanCO2 co2(1);
    EXPECT_STREQ(co2.componentName(0), "CO2");
    EXPECT_EQ(co2.molar_mass[0], 0.0440098);
    EXPECT_EQ(co2.bulk_molar_weight, 0.0440098);
    EXPECT_EQ(co2.Vl0, 2e-05);

    DuanH2O h2o(2, 0);
    EXPECT_STREQ(h2o.modelName(), "DMW H2O");
    EXPECT_EQ(h2o.molar_mass[0], 0.018015268);
    EXPECT_NE(h2o.ideal, nullptr);  // the ideal gas of water
}

// Water's second parameter set put densities 5 to 13 % below IAPWS-95
// (1073 K and 5 kbar: 644 against 695.6 kg/m3); it could not be traced to the
// publication and gives no state, and neither does a set that does not exist.
TEST(DuanFixedFluids, WaterSetsOtherThanTheFirstGiveNoState)
{
    for (int set : {1, 7}) {
        testing::internal::CaptureStderr();
        DuanH2O h(1, set);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("DMW H2O"), std::string::npos);
        EXPECT_EQ(h.parameterSet, set);
        EXPECT_EQ(h.molar_mass[0], 0.018015268);
        h.calculateFromTP(1073.15, 5000.0, 0);
        EXPECT_EQ(h.errorflag, 1);
        h.calculateFromTV(600.0, 1e-3, 0);
        EXPECT_EQ(h.errorflag, 1);
    }
}

TEST(DuanFixedFluids, TestOperations)
{
    DuanH2O h(1, 0);
    std::remove("inf1");
    h.test(0);
    std::ifstream f("inf1");
    ASSERT_TRUE(f.good());
    std::stringstream ss;
    ss << f.rdbuf();
    const std::string text = ss.str();
    EXPECT_EQ(text.rfind("IGOR\n", 0), 0u);
    EXPECT_NE(text.find("WAVES"), std::string::npos);
    EXPECT_NE(text.find("END"), std::string::npos);
    // 1201 rows of T from 273.15 to 1473.15 K.
    std::istringstream in(text);
    std::string line;
    int rows = 0;
    double Z = 0.0;
    while (std::getline(in, line)) {
        double T, V, P;
        if (std::sscanf(line.c_str(), "%lf %lf %lf %lf", &T, &V, &P, &Z) == 4) {
            ++rows;
            EXPECT_NEAR(Z, 1.0, 1e-6);
        }
    }
    EXPECT_EQ(rows, 1201);

    DuanCH4 m(1);
    testing::internal::CaptureStdout();
    m.test(1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("AADP"), std::string::npos);
    testing::internal::CaptureStdout();
    m.test(0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}
