#include "gases/IUPACCH4.h"

#include "gases/IUPAC1.h"
#include "gases/IUPAC1ID.h"

IUPACCH4::IUPACCH4(int kind) : CH4EOS(1, kind, 0)
{
    interactions[0] = new IUPAC1();
    // The IUPAC tables (Angus, Armstrong & de Reuck 1978): from the triple
    // point to 620 K, up to 100 MPa.
    validity = {.Tmin = 90.68, .Tmax = 620.0, .Pmax = 1000.0, .source = "IUPAC tables of methane, 1978"};
    ideal = new IUPAC1ID();
    Vl0 = 3.5e-05;
    Vv0 = 3e-04;
    critical_T = 192.0;
    critical_V = 9e-05;
    // Its isotherms from the critical temperature of its equation (190.55501193781092
    // K, that of its saturation expansions) up have one root each: dP/dV < 0
    // from the dilute gas to 5 kbar, five times its range (CriticalIsothermTests).
    oneRootFromT = 190.55501193781092;
    setModelName("IUPAC CH4");
    FluidPhase::number_of_components(1);
    add_component("CH4");
    molar_mass[0] = 0.016043;
    bulk_molar_weight = 0.016043;
}

IUPACCH4::~IUPACCH4() = default;
