#pragma once
// Ideal-gas term of the IUPAC methane model.
//
// The residual term's Gaussian terms leave, at zero density, s0 D0 + s1 D2 +
// ... + s5 D10, a function of T alone (the D polynomials over tau^3, tau^4,
// tau^5 read from the residual's table IUPAC1::kD).  This term subtracts it
// in every evaluation, so that the residual part vanishes in the ideal-gas
// limit, and adds
//   in the fugacity pass:  +5.92995, which cancels the residual root's
//                          fugacity-pass constant;
//   otherwise:             the ideal gas's temperature function from the
//                          published ideal-gas heat capacity of methane
//                          (Setzmann & Wagner 1991, PlanckEinstein.h).
// With the residual term's -ln V the model's A/(RT) is then that of the
// fluid: h, s, cv, cp, w and the Joule-Thomson coefficient are methane's.
// The term has no volume dependence: pressures, densities and fugacities are
// those of the residual term alone.
#include "gases/IUPAC1.h"
#include "gases/IUPACIdeal.h"

class IUPAC1ID : public IUPACIdeal {
public:
    IUPAC1ID();

    // Zero-density values of Y0, S2, S4, S6, S8, S10 of the residual term.
    static constexpr double s0 = -0.5096117307972771, s1 = -0.5194082323323927, s2 = -1.0587861130770595,
                            s3 = -3.237418941775931, s4 = -13.198613361874571, s5 = -67.26168199468968;
};
