#pragma once
// Peng-Robinson attraction term (Schmidt0 with u = 2, w = -1) with a choice of
// temperature functions alpha(Tr), Tr = T/Tc_i, for a_i(T) = ac_i alpha_i:
//     type 0  (1 + m (1 - sqrt Tr))^2                       (Soave form)
//     type 1  exp(c0 (1 - Tr))
//     type 2  (1 - f) exp(c1 (1 - Tr)) + f exp(c2 (1 - Tr))
//     type 3  exp(c3 (1 - Tr^p))
// mixed quadratically, a_ij = (1 - kaij) sqrt(a_i a_j), b_ij = ((b_i + b_j)/2)(1 - kbij).
#include "families/cubic/QuadraticCubic.h"

class Nirma : public QuadraticCubic {
public:
    // Peng & Robinson's (1976) critical constants, the roots of their cubic at
    // the critical point (printed there rounded to 0.45724 and 0.07780):
    // ac = OmegaA R^2 Tc^2 / Pc, b = OmegaB R Tc / Pc in the attraction's pair
    // terms and in the repulsion alike.
    static constexpr double kOmegaA = 0.45723553, kOmegaB = 0.07779607;

    explicit Nirma(int type);
    ~Nirma() override;

    void number_of_components(int n) override;

    // Tc (K), Pc (Pa) and the alpha parameters of component i.
    void set_parameters(int i, double Tc, double Pc, double f, double m, double c0, double c1, double c2, double c3,
                        double p);
    // The term's own derivative check: water with the four-function alpha
    // parameters at 373.15 K and 2e-5 m3/mol (printed).
    static void test();

    Expr1 Ti, Tsi, mTsi, mTi, mTin, mE0, mE1, mAi, alpha1, alpha2, alpha3, alpha4;
    int type;

private:
    void releaseUnusedAlphas();
};
