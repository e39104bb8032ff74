#pragma once
// Peng-Robinson attraction term (Schmidt0 with u = 2, w = -1) with the
// Stryjek-Vera temperature function (Stryjek and Vera, Can. J. Chem. Eng. 64
// (1986) 323):
//     alpha_i = (1 + kappa_i (1 - sqrt Tr))^2,
//     kappa_i = kappa0_i + kappa1_i (1 + sqrt Tr)(0.7 - Tr),
// mixed quadratically like Nirma.
#include "families/cubic/QuadraticCubic.h"

class StryjekVera : public QuadraticCubic {
public:
    StryjekVera();
    ~StryjekVera() override;

    void number_of_components(int n) override;

    void set_ai_parameters(int i, double ac, double Tc, double kappa0, double kappa1);
    // The term's own derivative check on a binary at 373.15 K (printed).
    static void test();

    Expr1 Ti, Tri, Tri1, Tri2, Ti2, Tip, Ki, KTi, ali, alpi;
};
