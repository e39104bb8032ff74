#include "gases/IUPACCH4.h"

#include "gases/IUPAC1.h"
#include "gases/IUPAC1ID.h"

IUPACCH4::IUPACCH4(int kind) : CH4EOS(1, kind, 0)
{
    interactions[0] = new IUPAC1();
    ideal = new IUPAC1ID();
    Vl0 = 3.5e-05;
    Vv0 = 3e-04;
    critical_T = 192.0;
    critical_V = 9e-05;
    setModelName("IUPAC CH4");
    FluidPhase::number_of_components(1);
    add_component("CH4");
    molar_mass[0] = 0.016043;
    bulk_molar_weight = 0.016043;
}

IUPACCH4::~IUPACCH4() = default;
