#pragma once
// Ideal-gas part phi0(delta, tau) of the IAPWS-95 formulation for ordinary
// water (Wagner & Pruss 2002) in the table form of fluid/IdealGasTable.h:
//   phi0 = ln delta + n1 + n2 tau + n3 ln tau + sum_k n_k ln(1 - exp(-gamma_k tau)).
//
// During the framework's fugacity pass it is ln delta + ln rhoc, the ideal
// gas's -ln V (V in m3/mol); the next ordinary evaluation restores phi0.
#include "fluid/IdealGasTable.h"

namespace iapws95 {
extern const IdealGasForm kIdealGas;
}

class Wagnerid : public TableIdeal {
public:
    Wagnerid();
};
