#pragma once
// Ideal-gas term of the IUPAC carbon-dioxide model.
//
// The residual term's polynomial does not vanish at zero density: at W = -1
// it leaves c0 + c1 Y + ... + c6 Y^6 (Y = Tc/T - 1), a function of T alone.
// This term subtracts it in every evaluation, so that the residual part of the
// model vanishes in the ideal-gas limit, and outside the fugacity pass it adds
// the ideal gas's temperature function from the published ideal-gas heat
// capacity of CO2 (Span & Wagner 1996, PlanckEinstein.h):
//   normal evaluation:  -(c0 + c1 Y + ... + c6 Y^6) + g(T)
//   fugacity pass:      -(c0 + c1 Y + ... + c6 Y^6)
// With the residual term's -ln V the model's A/(RT) is then that of the
// fluid: h, s, cv, cp, w and the Joule-Thomson coefficient are CO2's.  The
// term has no volume dependence: pressures, densities and fugacities are
// those of the residual term alone.
#include "gases/IUPACIdeal.h"

class IUPACCO2ID : public IUPACIdeal {
public:
    IUPACCO2ID();

    // Zero-density values of the residual sum by power of Y (c_j = -sum_i (-1)^i a_ij/(i+1)).
    static constexpr double c0 = 0.9843435175390475, c1 = 2.376171905648889, c2 = 1.5856701819301589,
                            c3 = 3.0762428269047617, c4 = 4.481669451666668, c5 = 2.465416821666667,
                            c6 = 0.149156928;
    static constexpr double kMinusLimit[7] = {-c0, -c1, -c2, -c3, -c4, -c5, -c6};
};
