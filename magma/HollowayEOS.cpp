#include "magma/HollowayEOS.h"

#include <cmath>
#include <cstdio>

#include "fluid/Standard.h"
#include "gases/Sterner.h"
#include "magma/Holloway.h"
#include "platform/LogSink.h"

HollowayEOS::HollowayEOS(int kind) : FluidPhase(1, kind, 0) {
    setModelName("Holloway EOS");
    interactions[0] = new Holloway();
    // Holloway's modified Redlich-Kwong fluid (Holloway 1977, 1981) was
    // fitted to supercritical H2O-CO2; no range of its own can be traced.
    // Pure water lies within 3.5 % of IAPWS-95 in density from 800 K, and
    // 12 to 32 % off at 700 to 750 K and 250 to 400 bar (a spurious
    // liquid-vapour split near 300 bar at 673 K); pure CO2 within 1.6 % of
    // the IUPAC equation from 700 to 1000 K up to 1000 bar; both measured on
    // a grid up to 5000 bar.
    validity = {.Tmin = 800.0, .Tmax = 1673.15, .Pmax = 5000.0, .source = "range measured against IAPWS-95"};
    // The term carries the ideal gas's -ln V; the standard-state data of
    // water and CO2 give the temperature part of the ideal gas.
    ideal = new Standard();
    Vl0 = 4e-05;
    Vv0 = 0.04;
    FluidPhase::number_of_components(2);
    for (const char* name : {"H2O", "CO2"}) {
        add_component(name);
        readIdealComponentData(ideal, name);
    }
    // Holloway's equation is molar (volumes in cm3/mol): the mass-based
    // properties take the molar masses every other model of the two fluids
    // takes, IAPWS-95's 18.015268 g/mol and IUPAC's 44.0098 g/mol.
    molar_mass[0] = 0.018015268;
    molar_mass[1] = 0.0440098;
}

HollowayEOS::~HollowayEOS() = default;

bool HollowayEOS::withholdsTemperatureDerivatives() {
    if (errorflag || !(x[0] > 0.0) || !(T < Holloway::kQuarticUpperTemperature)) return false;
    if (T != withheldTemperature) {
        withheldTemperature = T;
        platform::warnf("Holloway EOS: below 600 C the temperature derivatives of the water parameter a(H2O) "
                        "describe no water; no energies or heat capacities of a fluid holding water at %g K\n",
                        T);
    }
    return true;
}

void HollowayEOS::calculate_fugacities() {
    FluidPhase::calculate_fugacities();
    if (!withholdsTemperatureDerivatives()) return;
    const double none = std::nan("");
    dZdT = dPdT = dVdT = none;
    for (int i = 0; i < component_count; i++) drcpdT[i] = dfugcoefdT[i] = dfugacitydT[i] = none;
}

void HollowayEOS::calculate_state_functions() {
    FluidPhase::calculate_state_functions();
    if (!withholdsTemperatureDerivatives()) return;
    withholdStateFunctions(false);
    const double none = std::nan("");
    for (double* q : {&dPdT, &dVdT, &dZdT, &dSdVt, &dHdVt, &d2AdTdV, &d3AdT2dV}) *q = none;
}

void HollowayEOS::test(int) {
    Sterner reference(2);
    temperature(1073.15);
    composition(0.0, 1.0);
    reference.temperature(1073.15);
    Vl0 = 3.4e-05;
    std::printf("Isotherm %f K\n\n", 1073.15);
    for (int k = 1; k <= 49; ++k) {
        const double Pbar = 100.0 * k;
        pressure(Pbar);
        reference.P = 1e5 * Pbar;
        calculate_molar_volume();
        reference.calculate_molar_volume();
        calculate_fugacities();
        reference.calculate_fugacities();
        std::printf("P %12f \t V %12f \t Vref %12f \t f(CO2) %12f \t fref(CO2) %12f \n", P * 1e-5, V * 1e6,
                    reference.V * 1e6, fugacity[1] * 1e-5, reference.fugacity[0] * 1e-5);
    }
}
