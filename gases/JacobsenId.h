#pragma once
// Ideal-gas part of the reference nitrogen model (Span, Lemmon, Jacobsen,
// Wagner & Yokozeki 2000, J. Phys. Chem. Ref. Data 29, 1361) in the table
// form of fluid/IdealGasTable.h:
//   a0 = ln delta + 2.5 ln tau - 0.00784163 tau - 0.0001934819/tau
//        - 1.247742e-05/tau^2 + 6.678326e-08/tau^3
//        + 1.012941 ln(1 - exp(-26.65788 tau)) - 12.76953,
// tau = 126.192/T, delta = 1/(11183.9 V) with V in m3/mol.  The Planck-Einstein
// exponent is the paper's 26.65788 (3364.011 K / Tc), not a rounded 26.657.
// In the fugacity pass it is ln delta + ln 11183.9, exactly -ln V: the
// framework's fugacities take the ideal gas from it, and any other constant
// would scale every fugacity coefficient (a rounded 9.32223 made them
// 5.2e-7 low).
#include "fluid/CriticalPoints.h"
#include "fluid/IdealGasTable.h"

class JacobsenId : public TableIdeal {
public:
    JacobsenId();

    static constexpr double kTc = kN2Critical.T;  // K
    static constexpr double kRhoc = 11183.9;  // mol/m3
    static const IdealGasForm kForm;
};
