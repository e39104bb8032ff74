#include "gases/IUPACCO2.h"

#include "gases/IUPAC.h"
#include "gases/IUPACCO2ID.h"
#include "gases/IUPACGrid.h"

IUPACCO2::IUPACCO2(int kind) : CO2EOS(1, static_cast<short>(kind), 0)
{
    interactions[0] = new IUPAC();
    // The IUPAC tables (Angus, Armstrong & de Reuck 1976): from the triple
    // point to 1100 K, up to 100 MPa; above, its cv falls below 3R/2 (11.6
    // J/(mol K) at 400 K and 5000 bar).
    validity = {.Tmin = 216.58, .Tmax = 1100.0, .Pmax = 1000.0, .source = "IUPAC tables of CO2, 1976"};
    ideal = new IUPACCO2ID();
    Vl0 = 3.5e-05;
    Vv0 = 2e-04;
    critical_T = 305.0;
    critical_V = 9.4e-05;
    // Its isotherms from the critical temperature of its equation (304.75255303183934
    // K, that of its saturation expansions) up have one root each: dP/dV < 0
    // from the dilute gas to 5 kbar, five times its range (CriticalIsothermTests).
    oneRootFromT = 304.75255303183934;
    setModelName("IUPAC CO2");
    FluidPhase::number_of_components(1);
    add_component("CO2");
    molar_mass[0] = 0.0440098;
    bulk_molar_weight = 0.0440098;
}

IUPACCO2::~IUPACCO2() = default;

void IUPACCO2::compareWithIUPAC(FluidPhase* other)
{
    V = Vl0;
    printDeviationsOnTheIUPACGrid(*this, *other, false);
}
