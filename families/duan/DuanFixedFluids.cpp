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
    interactions[0] = term;
    // The ideal gas of water (that of HGK, completed for a Duan term).
    ideal = new HGKIdealGas();
    Vl0 = 1.7e-05;
    Vv0 = 0.0002;
    setModelName("DMW H2O");
    FluidPhase::number_of_components(1);
    add_component("H2O");
    validity = duan::validityRange(duan::kH2O);
    if (set == 0) {
        term->set_parameters(duan::kH2O.Tc, duan::kH2O.Pc, duan::kH2O.a);
    } else if (set == 1) {
        // The second water set once given here (Tc 647.25 K, Pc 961.867 bar,
        // a1 = 0.349824207 ...) put water's density 5 to 13 % below IAPWS-95
        // at every state from 673 to 1273 K and 1 to 10 kbar, where Duan,
        // Moller & Weare (1992) fitted their equation within about 1 %; it
        // could not be traced to the publication, so the set gives no state.
        platform::diagf("DMW H2O: the second parameter set could not be traced to Duan, Moller & Weare (1992) "
                        "(its densities lie 5 to 13 %% below IAPWS-95); no state\n");
    } else {
        platform::diagf("DMW H2O: parameter set %d does not exist (0 or 1)\n", set);
    }
    molar_mass[0] = duan::kH2O.molarMass;
    bulk_molar_weight = duan::kH2O.molarMass;
}

DuanH2O::~DuanH2O() = default;

void DuanH2O::test(char)
{
    checkInfiniteVolumes(1000000.0, 273.15, 1473.15, 1, "1");
}
