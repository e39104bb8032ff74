#include "water/Saul.h"

#include <cmath>

#include "water/Saul58.h"
#include "water/Saulid.h"

Saul::Saul(int phaseKind) : WaterEOS(1, phaseKind, 0)
{
    interactions[0] = new Saul58();
    // Saul & Wagner (1989): from the melting curve to 1273 K, up to 25 000 MPa.
    validity = {.Tmin = 251.165, .Tmax = 1273.0, .Pmax = 250000.0, .source = "Saul & Wagner 1989"};
    ideal = new Saulid();
    setUpPureWater("Saul", 1.8e-05, 0.0002);
    // The saturation pairs lie on either side of the equation's own critical
    // volume (its critical point at 647.1400 K), not IAPWS-95's.
    Vc_bound = 5.5948260e-05;
}

Saul::~Saul() = default;

bool Saul::isInstable(double T_, double V_)
{
    if (T_ < 230.0)
        return true;
    if (!(T_ > 230.0 && T_ < 647.07))  // also a temperature that is not a number
        return false;
    const double T = T_;
    double Vl;  // liquid-side limit, cm3/mol
    if (T <= 632.57)
        Vl = 433.3 + T * (-6.4622 + T * (0.04118 + T * (-0.00013749 + T * (2.5449e-7 + T * (-2.4778e-10 + T * 9.9373e-14)))));
    else if (T <= 646.57)
        Vl = 4.529e7 + T * (-214220.0 + T * (229.41 + T * (0.33507 + T * (-0.00080827 + T * 4.2484e-7))));
    else
        Vl = 12.611 * T - 8104.3;
    double Vg;  // vapour-side limit, cm3/mol
    if (T <= 603.57)
        Vg = std::exp(27.526 + T * (-0.12077 + T * (0.00028295 + T * (-3.2532e-7 + T * 1.4149e-10))));
    else if (T <= 645.57)
        Vg = std::exp(-36689.0 + T * (237.27 + T * (-0.57527 + T * (0.00061988 - 2.5049e-7 * T))));
    else
        Vg = std::exp(4.2702 - 0.24957 / ((T - 648.18) * (T - 648.18) - 0.19498));
    return 1e-6 * Vl < V_ && V_ < 1e-6 * Vg;
}
