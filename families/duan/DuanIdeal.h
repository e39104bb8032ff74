#pragma once
// DuanIdeal: the ideal-gas function of the HGK water formulation (HGKid)
// completed for a model whose own term already holds the ideal-gas volume
// term -ln V (V in m3/mol), as the Duan terms do.
//
// HGKid alone is the temperature part phi0(T) of HGK's ideal gas; its density
// part ln(R T/(p0 V)) sits in HGK's base term, and in the fugacity pass HGKid
// holds a constant that only cancels against that base term.  Beside a Duan
// term it therefore adds
//     ln(R T/p0) - ln 1e6     (R T/p0 in cm3/mol, so that with -ln V the
//                              density part is ln(R T/(p0 V)) as in HGK),
// and contributes nothing in the fugacity pass: the Duan term alone gives
// the fugacity coefficients.  The ideal-gas limit of the model is then HGK's
// ideal gas of water.
#include "water/HGKid.h"

class DuanIdeal : public HGKid {
public:
    DuanIdeal();
    ~DuanIdeal() override;
    void calculate_fixed_parameters() override;
};
