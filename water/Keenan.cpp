#include "water/Keenan.h"

#include "water/KeenanId.h"
#include "water/KeenanRes.h"

Keenan::Keenan(int kind) : WaterEOS(1, kind, 0)
{
    interactions[0] = new KeenanRes();
    // Keenan, Keyes, Hill & Moore (1969): their tables run from the triple
    // point to 1300 C, up to 1000 bar.
    validity = {.Tmin = 273.16, .Tmax = 1573.15, .Pmax = 1000.0, .source = "Keenan, Keyes, Hill & Moore 1969"};
    ideal = new KeenanId();
    setUpPureWater("Keenan", 1.8e-5, 2e-4);
    // The saturation pairs lie on either side of the equation's own critical
    // volume (its critical point at 647.2450 K), not IAPWS-95's.
    Vc_bound = 5.6862616e-05;
}

Keenan::~Keenan() = default;
