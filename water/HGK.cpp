#include "water/HGK.h"

#include <cmath>

#include "water/HGKbase.h"
#include "water/HGKid.h"
#include "water/HGKres.h"

HGK::HGK(int phaseKind) : WaterEOS(2, phaseKind, 0)
{
    interactions[0] = new HGKbase();
    // The NBS/NRC Steam Tables (1984) hold from 0 to 1000 C and up to 1500
    // MPa; the equation extrapolates sensibly to 2500 K and 3000 MPa, whose
    // states the tables do not vouch for.
    validity = {.Tmin = 273.15, .Tmax = 1273.15, .Pmax = 15000.0, .source = "NBS/NRC Steam Tables 1984"};
    interactions[1] = new HGKres();
    ideal = new HGKid();
    setUpPureWater("HaarGallagherKell", 1.7e-05, 0.0002);
    // The saturation pairs lie on either side of the equation's own critical
    // volume (its critical point at 647.1228 K, 220.53 bar), not IAPWS-95's.
    Vc_bound = 6.0714940e-05;
}

HGK::~HGK() = default;

bool HGK::isInstable(double T_, double V_)
{
    if (T_ < 230.0)
        return true;
    if (!(T_ < 647.13))  // also a temperature that is not a number
        return false;
    const double T = T_;
    double Vl;  // liquid-side limit, cm3/mol
    if (T <= 636.48) {
        Vl = -694.15 +
             T * (12.993 + T * (-0.10047 + T * (0.00042658 + T * (-1.0726e-6 + T * (1.5972e-9 + T * (-1.3045e-12 + T * 4.512e-16))))));
    } else if (T <= 637.13) {
        Vl = -1.3557e7 + T * (42554.0 - 33.393 * T);
    } else if (T <= 646.13) {
        Vl = -4.2743e6 + T * (19873.0 + T * (-30.797 + 0.015907 * T));
    } else {
        Vl = 2.9858e6 + T * (-9238.9 + 7.147 * T);
    }
    const double Vg = 26.968 + 6647.3 * std::exp(-(T - 230.13) / 30.894) + 6231.6 * std::exp(-(T - 230.13) / 93.079);
    return 1e-6 * Vl < V_ && V_ < 1e-6 * Vg;
}
