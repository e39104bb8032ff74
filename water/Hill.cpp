#include "water/Hill.h"

#include "water/HillRes.h"
#include "water/Hillid.h"

Hill::Hill(int phaseKind) : WaterEOS(1, phaseKind, 0)
{
    setModelName("Hill EOS");
    interactions[0] = new HillRes();
    // Hill (1990): fitted to the data of the IAPS formulation's range, from
    // the melting curve to 1273 K and up to 1000 MPa.
    validity = {.Tmin = 251.165, .Tmax = 1273.0, .Pmax = 10000.0, .source = "Hill 1990"};
    ideal = new Hillid();
    setUpPureWater("Hill", 1.8e-05, 0.0002);
    critical_T = 690.0;
    critical_V = 4.74e-05;
    // The saturation pairs lie on either side of the equation's own critical
    // volume (its critical point at 647.0477 K), not IAPWS-95's.
    Vc_bound = 5.8099579e-05;
}

Hill::~Hill() = default;
