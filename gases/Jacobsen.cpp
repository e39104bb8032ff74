#include "gases/Jacobsen.h"

#include "gases/JacobsenId.h"
#include "gases/JacobsenRes1.h"

Jacobsen::Jacobsen(int kind) : N2EOS(1, kind, 0)
{
    interactions[0] = new JacobsenRes1();
    // Span et al. (2000): from the triple point to 1000 K, up to 2200 MPa.
    validity = {.Tmin = 63.151, .Tmax = 1000.0, .Pmax = 22000.0, .source = "Span et al. 2000"};
    // Its isotherms from the critical temperature of its equation up (that
    // of its saturation expansions, 4.1e-10 K below the 126.192 K of its
    // reducing temperature) have one root each: dP/dV < 0 from the dilute
    // gas to 100 GPa (CriticalIsothermTests).
    oneRootFromT = 126.19199999958562;
    ideal = new JacobsenId();
    Vl0 = 3.2e-05;
    Vv0 = 0.0003;
    critical_T = 130.0;
    critical_V = 9e-05;
    setModelName("Jacobsen N2");
    FluidPhase::number_of_components(1);
    component_names[0] = "N2";
    molar_mass[0] = 0.02801348;
    bulk_molar_weight = 0.02801348;
}

Jacobsen::~Jacobsen() = default;
