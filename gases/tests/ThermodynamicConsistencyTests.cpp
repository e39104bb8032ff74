// Thermodynamic consistency of every pure-fluid model of the system, at states
// (T, density) inside each model's range:
//   - the identities G = H - TS, G = A + PV, Cp - Cv = T v alpha^2/kappa_T
//     and w^2 = (v^2/M) (-(dP/dv)_T + T (dP/dT)_v^2/Cv);
//   - the state functions against central differences of one another:
//     (dA/dT)_v = -S, (dA/dv)_T = -P, T (dS/dT)_v = Cv, (dS/dv)_T = (dP/dT)_v,
//     (dP/dv)_T, and G(v2) - G(v1) = R T ln(f2/f1) along an isotherm, which
//     ties the fugacity pass to the state-function pass;
//   - the fugacity of the pass that follows the state functions (the terms
//     reused, the ideal-gas parts in closed form) against a pass on its own;
//   - in the stable region Cv > 0, Cp > Cv, w > 0 and (dP/dv)_T < 0, and in
//     the dilute gas Cv >= 3R/2, Cp - Cv = R and Cp the fluid's published
//     ideal-gas heat capacity: a model whose ideal-gas part is missing or
//     broken fails here.
// A fluid that cannot be given an ideal gas (a salt without standard-state
// data, a fluid in reduced variables) gives no state functions at all, never
// the residual part alone: its pressure, (dP/dv)_T and fugacities are checked,
// and that h, s, cv, cp and w are not given.
//
// Not in the list, because they give no state functions of the fluid (NaN,
// checked with their families): the closed-form cubics of the ClassicalCubic
// family (ClassicalSRK, Montel, ClassicalCubic01, ClassicalQuadraMix, the
// critical-interpolation cubics), which compute departure functions only;
// the closed-form cubics TwoPar, ThreePar and Heyen, which compute volumes,
// pressures and fugacities only; and the Lee-Kesler model, which computes
// the molar volume only.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "families/anderko/Anderko.h"
#include "families/anderko/AnderkoPure.h"
#include "families/anderko/BoublikEOS.h"
#include "families/cubic/BWREOS.h"
#include "families/cubic/DaridonEOS.h"
#include "families/cubic/PRNirma.h"
#include "families/cubic/PRSV.h"
#include "families/cubic/SRK1.h"
#include "families/cubic/SRK2.h"
#include "families/cubic/VirialEos.h"
#include "families/duan/DMW1.h"
#include "families/duan/DuanCH4.h"
#include "families/duan/DuanCO2.h"
#include "families/duan/DuanH2O.h"
#include "families/kreglewski/Kreglewski_EOS.h"
#include "gases/IUPACCH4.h"
#include "gases/IUPACCO2.h"
#include "gases/Jacobsen.h"
#include "gases/Sterner.h"
#include "magma/HollowayEOS.h"
#include "water/HGK.h"
#include "water/Hill.h"
#include "water/Keenan.h"
#include "water/Saul.h"
#include "water/WagnerPruss.h"
#include "gases/tests/QuietlyMade.h"

namespace {

constexpr double R = FluidPhase::R;  // the framework's gas constant, J/(mol K)

struct State {
    double T;    // K
    double rho;  // kg/m3
};

// A dilute-gas state of a fluid and the published ideal-gas heat capacity
// there (0: no reference).
struct Dilute {
    State state;
    double cp0;  // J/(mol K)
};

struct Model {
    std::string name;
    std::function<std::unique_ptr<FluidPhase>()> make;
    std::vector<State> states;  // stable states inside the model's range
    Dilute dilute;
    const char* noStateFunctions;  // null, or why the model gives none for this fluid
};

// A model of named components, all of its mole fraction on component 0.
template <class M, class... Args>
std::function<std::unique_ptr<FluidPhase>()> named(std::initializer_list<const char*> comps, Args... args)
{
    std::vector<std::string> names(comps.begin(), comps.end());
    return [names, args...]() -> std::unique_ptr<FluidPhase> {
        auto m = std::make_unique<M>(args...);
        m->number_of_components(static_cast<int>(names.size()));
        for (const std::string& c : names)
            m->add_component(c.c_str());
        std::vector<double> x(names.size(), 0.0);
        x[0] = 1.0;
        m->composition(x.data());
        return m;
    };
}

template <class M, class... Args>
std::function<std::unique_ptr<FluidPhase>()> fixed(Args... args)
{
    return [args...]() -> std::unique_ptr<FluidPhase> { return std::make_unique<M>(args...); };
}

std::function<std::unique_ptr<FluidPhase>()> anderkoSystem(const char* system)
{
    return [system]() -> std::unique_ptr<FluidPhase> {
        auto m = std::make_unique<Anderko>(1);
        m->setSystemType(system);
        return m;
    };
}

// The H2O-CO2 fluid of the Holloway model with water mole fraction xH2O.
std::function<std::unique_ptr<FluidPhase>()> holloway(double xH2O)
{
    return [xH2O]() -> std::unique_ptr<FluidPhase> {
        auto m = std::make_unique<HollowayEOS>(1);
        m->composition(xH2O, 1.0 - xH2O);
        m->bulk_molar_weight = m->molar_mass[xH2O > 0.5 ? 0 : 1];
        return m;
    };
}

// Hard spheres of 0.3 nm with the ideal gas of water (HGK), 18 g/mol.
std::unique_ptr<FluidPhase> hardSpheres()
{
    auto m = std::make_unique<BoublikEOS>(1);
    m->number_of_components(1);
    m->set_hard_sphere_diameter(0, 3e-10);
    m->molar_mass[0] = m->bulk_molar_weight = 0.018015268;
    double x[1] = {1.0};
    m->composition(x);
    return m;
}

struct Values {
    double A, S, P, G, Cv, dPdT, dPdV, lnf;
};

Values stateAt(FluidPhase& m, double T, double V)
{
    m.calculateFromTV(T, V, 0);
    EXPECT_EQ(m.errorflag, 0) << T << " K, " << V << " m3/mol";
    // The fugacity of the component that makes up the fluid.
    return {m.A, m.S, m.P, m.G, m.Cv, m.dPdT, m.dPdV, std::log(m.fugacity[m.getMajorComponentIndex()])};
}

void near(double value, double expected, double rel, double abs, const char* what)
{
    EXPECT_NEAR(value, expected, rel * std::fabs(expected) + abs) << what;
}

void checkState(FluidPhase& m, const State& s, bool stable)
{
    const double M = m.bulk_molar_weight, T = s.T, V = M / s.rho;
    SCOPED_TRACE(testing::Message() << T << " K, " << s.rho << " kg/m3");
    m.calculateFromTV(T, V, 0);
    ASSERT_EQ(m.errorflag, 0);
    for (double v : {m.A, m.H, m.S, m.G, m.U, m.Cv, m.Cp, m.P, m.dPdT, m.dPdV, m.soundSpeed})
        ASSERT_TRUE(std::isfinite(v));
    // The fugacity pass right after the state functions reuses the terms'
    // evaluations and takes the ideal-gas parts in closed form; a pass on
    // its own evaluates every term: the same fugacity.
    const int major = m.getMajorComponentIndex();
    const double lnfAfterState = std::log(m.fugacity[major]);
    m.calculate_fugacities();
    ASSERT_EQ(m.errorflag, 0);
    near(std::log(m.fugacity[major]), lnfAfterState, 0.0, 1e-12, "ln f of either fugacity pass");
    m.calculateFromTV(T, V, 0);
    const double H = m.H, S = m.S, G = m.G, A = m.A, P = m.P, Cv = m.Cv, Cp = m.Cp, w = m.soundSpeed;
    const double dPdT = m.dPdT, dPdV = m.dPdV;
    const double scale = std::fabs(H) + T * std::fabs(S) + std::fabs(G) + R * T;
    near(G, H - T * S, 0.0, 1e-10 * scale, "G = H - TS");
    near(G, A + P * V, 0.0, 1e-10 * scale, "G = A + PV");
    near(Cp - Cv, -T * dPdT * dPdT / dPdV, 1e-8, 1e-10 * R, "Cp - Cv = T v alpha^2 / kappa_T");
    const double w2 = V * V / M * (-dPdV + T * dPdT * dPdT / Cv);
    if (w2 > 0.0)
        near(w, std::sqrt(w2), 1e-8, 0.0, "w^2 from the derivatives");

    // Central differences at the same composition, Richardson-extrapolated
    // (error of order h^4).
    auto difference = [&](double Values::*field, double dT, double dV) {
        auto d = [&](double k) {
            const Values p = stateAt(m, T + k * dT, V + k * dV), q = stateAt(m, T - k * dT, V - k * dV);
            return (p.*field - q.*field) / (2.0 * k * (dT + dV));
        };
        return (4.0 * d(0.5) - d(1.0)) / 3.0;
    };
    const double hT = 1e-3 * T, hV = 1e-3 * V;
    near(-difference(&Values::A, hT, 0), S, 1e-7, 1e-7 * R, "(dA/dT)_v = -S");
    near(-difference(&Values::A, 0, hV), P, 1e-7, 1e-7 * R * T / V, "(dA/dv)_T = -P");
    near(T * difference(&Values::S, hT, 0), Cv, 1e-6, 1e-6 * R, "T (dS/dT)_v = Cv");
    near(difference(&Values::S, 0, hV), dPdT, 1e-6, 1e-7 * R / V, "(dS/dv)_T = (dP/dT)_v");
    near(difference(&Values::P, 0, hV), dPdV, 1e-6, 1e-7 * R * T / (V * V), "(dP/dv)_T");
    near(difference(&Values::G, 0, hV), R * T * difference(&Values::lnf, 0, hV), 1e-6, 1e-7 * R * T / V,
         "(dG/dv)_T = R T (d ln f/dv)_T");

    if (!stable)
        return;
    EXPECT_GT(Cv, 0.0);
    EXPECT_GT(Cp, Cv);
    EXPECT_GT(w, 0.0);
    EXPECT_LT(dPdV, 0.0);
}

// A fluid without an ideal gas: the state and its fugacities, but no h, s,
// cv, cp, w or Joule-Thomson coefficient.
void checkStateWithoutStateFunctions(FluidPhase& m, const State& s)
{
    const double M = m.bulk_molar_weight, T = s.T, V = M / s.rho;
    SCOPED_TRACE(testing::Message() << T << " K, " << s.rho << " kg/m3");
    m.calculateFromTV(T, V, 0);
    ASSERT_EQ(m.errorflag, 0);
    for (double v : {m.P, m.Z, m.dPdT, m.dPdV, m.fugacity[m.getMajorComponentIndex()]})
        ASSERT_TRUE(std::isfinite(v));
    for (double v : {m.A, m.H, m.S, m.G, m.U, m.Cv, m.Cp, m.soundSpeed, m.jouleThomson})
        EXPECT_TRUE(std::isnan(v));
    near(m.P, R * T * m.Z / V, 1e-12, 0.0, "P = Z R T/v");
    const double dPdV = m.dPdV;
    auto d = [&](double k) {
        m.calculateFromTV(T, V * (1.0 + k), 0);
        const double Pp = m.P;
        m.calculateFromTV(T, V * (1.0 - k), 0);
        return (Pp - m.P) / (2.0 * k * V);
    };
    near((4.0 * d(5e-4) - d(1e-3)) / 3.0, dPdV, 1e-6, 1e-7 * R * T / (V * V), "(dP/dv)_T");
}

// In the dilute gas: Cv at least the translational 3R/2, Cp - Cv = R, and Cp
// the fluid's ideal-gas heat capacity within 5 % (the accuracy of the linear
// standard-state forms).
void checkDilute(FluidPhase& m, const Dilute& d)
{
    const State& s = d.state;
    SCOPED_TRACE(testing::Message() << "dilute gas at " << s.T << " K, " << s.rho << " kg/m3");
    m.calculateFromTV(s.T, m.bulk_molar_weight / s.rho, 0);
    ASSERT_EQ(m.errorflag, 0);
    EXPECT_GE(m.Cv, 1.5 * R);
    EXPECT_NEAR(m.Cp - m.Cv, R, 0.01 * R);
    EXPECT_NEAR(m.Z, 1.0, 0.01);
    if (d.cp0 > 0.0) {
        EXPECT_NEAR(m.Cp, d.cp0, 0.05 * d.cp0);
    }
}

// States: water, CO2, CH4 and N2 (kg/m3) in the liquid, the dense fluid and
// the gas, each model keeping to its own range.  Dilute gas at 500 K with the
// ideal-gas cp of IAPWS-95, Span & Wagner (1996), Setzmann & Wagner (1991)
// and Span et al. (2000); at 800 K (CO2) and 1000 K (water), for the
// Holloway model, whose energies of water start at 600 C, with the cp of
// NIST-JANAF (Chase 1998).
const Dilute kDiluteWater{{500.0, 0.01}, 35.226}, kDiluteCO2{{500.0, 0.02}, 44.632},
    kDiluteCH4{{500.0, 0.01}, 46.507}, kDiluteN2{{500.0, 0.01}, 29.580};
const Dilute kDiluteWater1000{{1000.0, 0.01}, 41.268}, kDiluteCO2_800{{800.0, 0.02}, 51.434};
// Argon, a monatomic gas: 5R/2 (NIST-JANAF 20.786 J/(mol K)), whose Cv lies
// within 2e-4 R of 3R/2: a more dilute state.
const Dilute kDiluteAr{{500.0, 1e-4}, 20.786};
const char* kNoNaClData = "Data for component NaCl have not been found";
const char* kNoKClData = "Data for component KCl have not been found";
const char* kReducedFluid = "reduced temperature and volume";

std::vector<Model> models()
{
    return {
        // Water.
        {"WagnerPruss", fixed<WagnerPruss>(2), {{300, 997}, {450, 900}, {700, 300}, {1000, 600}}, kDiluteWater, nullptr},
        {"HGK", fixed<HGK>(2), {{300, 997}, {450, 900}, {700, 300}, {1000, 600}}, kDiluteWater, nullptr},
        {"Saul", fixed<Saul>(2), {{300, 997}, {450, 900}, {700, 300}, {1000, 600}}, kDiluteWater, nullptr},
        {"Hill", fixed<Hill>(2), {{300, 997}, {450, 900}, {700, 300}, {1000, 600}}, kDiluteWater, nullptr},
        {"Keenan", fixed<Keenan>(2), {{300, 997}, {450, 900}, {700, 300}, {1000, 600}}, kDiluteWater, nullptr},
        {"DuanH2O", fixed<DuanH2O>(1, 0), {{700, 300}, {1000, 600}}, kDiluteWater, nullptr},
        {"AnderkoH2O", fixed<AnderkoH2O>(1), {{700, 300}, {1000, 600}}, kDiluteWater, nullptr},
        {"Anderko H2O", anderkoSystem("H2O"), {{700, 300}, {1000, 600}}, kDiluteWater, nullptr},
        {"Anderko NaCl", anderkoSystem("NaCl"), {{1200, 1500}, {1500, 1300}}, kDiluteWater, kNoNaClData},
        {"Anderko KCl", anderkoSystem("KCl"), {{1200, 1500}, {1500, 1300}}, kDiluteWater, kNoKClData},
        {"HollowayEOS H2O", holloway(1.0), {{900, 300}, {1200, 600}}, kDiluteWater1000, nullptr},
        {"BoublikEOS", hardSpheres, {{400, 300}, {1000, 800}}, kDiluteWater, nullptr},
        {"DaridonEOS H2O", named<DaridonEOS>({"H2O"}, 1), {{700, 300}, {1000, 600}}, kDiluteWater, nullptr},
        {"PRNirma H2O", named<PRNirma>({"H2O"}, 1, 0, 0), {{700, 300}, {1000, 600}}, kDiluteWater, nullptr},
        // Carbon dioxide.
        {"IUPACCO2", fixed<IUPACCO2>(1), {{250, 1070}, {300, 1.8}, {400, 160}, {800, 300}, {1000, 700}}, kDiluteCO2,
         nullptr},
        {"HollowayEOS CO2", holloway(0.0), {{800, 300}, {1200, 600}}, kDiluteCO2_800, nullptr},
        {"Sterner", fixed<Sterner>(1), {{400, 160}, {800, 300}, {1000, 700}}, kDiluteCO2, nullptr},
        {"DuanCO2", fixed<DuanCO2>(1), {{400, 160}, {800, 300}, {1000, 700}}, kDiluteCO2, nullptr},
        {"AnderkoCO2", fixed<AnderkoCO2>(1), {{400, 160}, {800, 300}}, kDiluteCO2, nullptr},
        {"Anderko CO2", anderkoSystem("CO2"), {{400, 160}, {800, 300}}, kDiluteCO2, nullptr},
        {"DMW1 CO2", named<DMW1>({"CO2"}, 1), {{400, 160}, {800, 300}}, kDiluteCO2, nullptr},
        {"DMW1 H2O", named<DMW1>({"H2O"}, 1), {{700, 300}, {1000, 600}}, kDiluteWater, nullptr},
        {"DMWEOS H2O", named<DMWEOS>({"H2O"}, 1), {{700, 300}, {1000, 600}}, kDiluteWater, nullptr},
        {"DMWEOS CO2", named<DMWEOS>({"CO2"}, 1), {{400, 160}, {800, 300}}, kDiluteCO2, nullptr},
        {"DMWEOS CH4", named<DMWEOS>({"CH4"}, 1), {{250, 100}, {400, 140}}, kDiluteCH4, nullptr},
        {"Kreglewski CO2", named<Kreglewski_EOS>({"CO2"}, 1), {{400, 160}, {800, 300}}, kDiluteCO2, nullptr},
        {"SRK1 CO2", named<SRK1>({"CO2"}, 1, 0), {{400, 160}, {800, 300}}, kDiluteCO2, nullptr},
        {"SRK2 CO2", named<SRK2>({"CO2", "CH4"}, 1), {{400, 160}, {800, 300}}, kDiluteCO2, nullptr},
        {"PRSV CO2", named<PRSV>({"CO2"}, 1, 0), {{400, 160}, {800, 300}}, kDiluteCO2, nullptr},
        // Methane.
        {"IUPACCH4", fixed<IUPACCH4>(1), {{120, 415}, {250, 100}, {400, 140}, {600, 200}}, kDiluteCH4, nullptr},
        {"DuanCH4", fixed<DuanCH4>(1), {{250, 100}, {400, 140}, {600, 200}}, kDiluteCH4, nullptr},
        {"Anderko CH4", anderkoSystem("CH4"), {{250, 100}, {400, 140}}, kDiluteCH4, nullptr},
        {"DMW1 CH4", named<DMW1>({"CH4"}, 1), {{250, 100}, {400, 140}}, kDiluteCH4, nullptr},
        {"Kreglewski CH4", named<Kreglewski_EOS>({"CH4"}, 1), {{250, 100}, {400, 140}}, kDiluteCH4, nullptr},
        {"SRK1 CH4", named<SRK1>({"CH4"}, 1, 0), {{250, 100}, {400, 140}}, kDiluteCH4, nullptr},
        {"PRSV CH4", named<PRSV>({"CH4"}, 1, 0), {{250, 100}, {400, 140}}, kDiluteCH4, nullptr},
        {"Virial CH4", named<VirialEos>({"CH4"}, 1, 1, 0), {{300, 0.65}, {500, 5}}, kDiluteCH4, nullptr},
        // The Lee-Kesler simple fluid, in reduced temperature and volume
        // (density 0.016 kg/m3 is a reduced volume of 1).
        {"BWR C1", named<BWREOS>({"C1"}, 1), {{2.0, 0.016}, {1.5, 0.008}}, kDiluteCH4, kReducedFluid},
        // Nitrogen.
        {"Jacobsen", fixed<Jacobsen>(1), {{100, 700}, {300, 100}, {600, 300}}, kDiluteN2, nullptr},
        {"DMW1 N2", named<DMW1>({"N2"}, 1), {{300, 100}, {600, 300}}, kDiluteN2, nullptr},
        {"Kreglewski N2", named<Kreglewski_EOS>({"N2"}, 1), {{300, 100}, {600, 300}}, kDiluteN2, nullptr},
        {"Virial N2", named<VirialEos>({"N2"}, 1, 1, 0), {{300, 1.1}, {500, 10}}, kDiluteN2, nullptr},
        // Argon.
        {"Virial Ar", named<VirialEos>({"Ar"}, 1, 1, 0), {{300, 1.6}, {500, 10}}, kDiluteAr, nullptr},
    };
}

}  // namespace

TEST(ThermodynamicConsistency, EveryPureFluidModel)
{
    for (const Model& mc : models()) {
        SCOPED_TRACE(mc.name);
        std::string said;
        std::unique_ptr<FluidPhase> m = quietlyMade(mc.make, said);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(said, "");
        if (mc.noStateFunctions) {
            // Not said by the calculations; said once where the state is
            // shown, whatever the number of states.
            testing::internal::CaptureStderr();
            for (const State& s : mc.states)
                checkStateWithoutStateFunctions(*m, s);
            EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
            testing::internal::CaptureStderr();
            testing::internal::CaptureStdout();
            for (int k = 0; k < 2; ++k) m->dump();
            testing::internal::GetCapturedStdout();
            const std::string why = testing::internal::GetCapturedStderr();
            EXPECT_NE(why.find(mc.noStateFunctions), std::string::npos) << why;
            EXPECT_EQ(why.find('\n'), why.size() - 1) << why;
            continue;
        }
        for (const State& s : mc.states)
            checkState(*m, s, true);
        checkDilute(*m, mc.dilute);
    }
}
