#include "water/Wagnerid.h"

#include "water/IAPWS95Coefficients.h"

const IdealGasForm iapws95::kIdealGas = {.Tc = iapws95::Tc,
                                         .rhoc = 1.0 / iapws95::Vc,
                                         .a1 = iapws95::idealN1,
                                         .a2 = iapws95::idealN2,
                                         .c = iapws95::idealN3,
                                         .einsteins = 5,
                                         .a = {iapws95::idealN[0], iapws95::idealN[1], iapws95::idealN[2], iapws95::idealN[3], iapws95::idealN[4]},
                                         .theta = {iapws95::idealGamma[0], iapws95::idealGamma[1], iapws95::idealGamma[2], iapws95::idealGamma[3],
                                                   iapws95::idealGamma[4]}};

Wagnerid::Wagnerid() : TableIdeal(iapws95::kIdealGas, "WagnerIdeal") {}
