#include <cstdio>

#include "families/duan/DuanCH4.h"
#include "families/duan/DuanCO2.h"
#include "families/duan/DuanH2O.h"
#include "families/duan/Duan1.h"
#include "water/HGKid.h"
#include "families/duan/DuanParameters.h"
#include "gases/PlanckEinstein.h"
#include "platform/LogSink.h"

// ---- DuanCH4

const double* const DuanCH4::CH4_constants = duan::kCH4.a;

DuanCH4::DuanCH4(int phaseKind) : CH4EOS(1, phaseKind, 0)
{
    auto* term = new Duan1();
    interactions[0] = term;
    // The Duan term vanishes at zero density: the ideal gas of methane
    // (Setzmann & Wagner 1991) completes the state functions.
    ideal = new PlanckEinsteinIdeal(kSetzmannWagnerCH4);
    Vl0 = 3.5e-05;
    Vv0 = 0.0002;
    critical_T = 190.6;
    critical_V = 6e-05;
    setModelName("DMW CH4");
    FluidPhase::number_of_components(1);
    add_component("CH4");
    term->set_parameters(duan::kCH4.Tc, duan::kCH4.Pc, CH4_constants);
    validity = duan::validityRange(duan::kCH4);
    molar_mass[0] = duan::kCH4.molarMass;
    bulk_molar_weight = duan::kCH4.molarMass;
}

DuanCH4::~DuanCH4() = default;

void DuanCH4::test(char mode)
{
    if (mode == 1) compareVennixData(this);
}

// ---- DuanCO2

DuanCO2::DuanCO2(int phaseKind) : CO2EOS(1, static_cast<short>(phaseKind), 0)
{
    auto* term = new Duan1();
    interactions[0] = term;
    // The ideal gas of CO2 (Span & Wagner 1996).
    ideal = new PlanckEinsteinIdeal(kSpanWagnerCO2);
    Vl0 = 2e-05;
    Vv0 = 0.0002;
    critical_T = 309.0;
    critical_V = 9.4e-05;
    setModelName("DMW CO2");
    FluidPhase::number_of_components(1);
    term->set_parameters(duan::kCO2.Tc, duan::kCO2.Pc, duan::kCO2.a);
    validity = duan::validityRange(duan::kCO2);
    setComponent(0, "CO2");
    molar_mass[0] = duan::kCO2.molarMass;
    bulk_molar_weight = duan::kCO2.molarMass;
}

DuanCO2::~DuanCO2() = default;

// ---- DuanH2O

DuanH2O::DuanH2O(int phaseKind, int set) : WaterEOS(1, phaseKind, 0), parameterSet(set)
{
    auto* term = new Duan1();
    // Zhang & Duan's exponential part before the term is sized: it decides on
    // what the term's leaves depend.
    if (set == 1) term->form = Duan1::ExponentialForm::ZhangDuan;
    interactions[0] = term;
    // The ideal gas of water (that of HGK, completed for a Duan term).
    ideal = new HGKIdealGas();
    Vl0 = 1.7e-05;
    Vv0 = 0.0002;
    setModelName("DMW H2O");
    FluidPhase::number_of_components(1);
    add_component("H2O");
    validity = duan::validityRange(duan::kH2O);
    // Not IAPWS-95's critical volume, which the water models' base sets as
    // the bound of the saturation volumes: this equation's own lies at 66 cm3/mol,
    // and its liquid passes that bound within a kelvin of its critical point.
    Vc_bound = -1.0;
    if (set == 0) {
        term->set_parameters(duan::kH2O.Tc, duan::kH2O.Pc, duan::kH2O.a);
    } else if (set == 1) {
        setModelName("Zhang-Duan H2O");
        validity = {.Tmin = kZhangDuanTmin, .Tmax = kZhangDuanTmax, .Pmin = kZhangDuanPmin, .Pmax = kZhangDuanPmax,
                    .source = "Zhang & Duan 2005"};
        const duan::FluidSet& s = duan::kH2OZhangDuan;
        term->set_parameters(s.Tc, s.Pc, s.a);
    } else {
        platform::diagf("DMW H2O: parameter set %d does not exist (0 or 1)\n", set);
    }
    molar_mass[0] = duan::kH2O.molarMass;
    bulk_molar_weight = duan::kH2O.molarMass;
}

// Zhang & Duan fitted their equation to molecular dynamics of water from
// 0.1 to 35 GPa and 673 to 2573 K; it follows IAPWS-95 down to 298.15 K from
// 1 kbar up, below 1 kbar it departs from it, and a state outside fails with
// one message.
bool DuanH2O::outsideRange()
{
    if (parameterSet != 1 || errorflag) return false;
    // The pressure of a state from T and P is the one asked to the solver's
    // tolerance: the bounds are taken with that slack.
    const double slack = 1e-9;
    const bool out = !(T >= kZhangDuanTmin && T <= kZhangDuanTmax && P >= kZhangDuanPmin * 1e5 * (1.0 - slack) &&
                       P <= kZhangDuanPmax * 1e5 * (1.0 + slack));
    if (!out) return false;
    // No state: nothing of it is given, whatever the search found.
    withholdState();
    errorflag = 1;
    if (platform::firstInCall("Zhang-Duan H2O range")) {
        platform::diagf("Zhang-Duan H2O: no state at %g K and %g bar: the equation of Zhang & Duan (2005) holds "
                        "from %g to %g K and %g to %g bar\n",
                        T, P / 1e5, kZhangDuanTmin, kZhangDuanTmax, kZhangDuanPmin, kZhangDuanPmax);
    }
    return true;
}

void DuanH2O::calculate_state_functions()
{
    WaterEOS::calculate_state_functions();
    outsideRange();
}

void DuanH2O::calculate_fugacities()
{
    WaterEOS::calculate_fugacities();
    outsideRange();
}

DuanH2O::~DuanH2O() = default;

void DuanH2O::test(char)
{
    checkInfiniteVolumes(1000000.0, 273.15, 1473.15, 1, "1");
}
