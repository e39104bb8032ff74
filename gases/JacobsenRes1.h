#pragma once
// Residual term of the reference equation of state of nitrogen (Span, Lemmon,
// Jacobsen, Wagner & Yokozeki, J. Phys. Chem. Ref. Data 29, 1361, 2000), over
// tau = Tc/T and delta = Vc/V (Tc = 126.192 K, Vc = 1/11183.9 m3/mol):
//   a_r = sum_{k=1..6}   N_k delta^d_k tau^t_k
//       + sum_{k=7..32}  N_k delta^d_k tau^t_k exp(-delta^l_k)
//       + sum_{k=33..36} N_k delta^d_k tau^t_k exp(-alpha_k (delta - 1)^2 - beta_k (tau - gamma_k)^2),
// as one leaf of T and V (fluid/SeparableResidual.h): the 36 terms grouped by
// their 25 functions of delta, the functions of tau computed once per
// temperature.
#include <array>

#include "fluid/SeparableResidual.h"
#include "gases/LeafResidual.h"

class JacobsenRes1 : public LeafResidual {
public:
    JacobsenRes1();
    ~JacobsenRes1() override { releaseTree(); }

    static constexpr double kTc = 126.192;                 // K
    static constexpr double kVc = 8.941424726615939e-05;   // m3/mol, 1/11183.9

    // The coefficients and exponents of the 36 terms (Span et al. 2000, the
    // table of the residual part): {N, t, d}, {N, t, d, l} for the damped
    // terms, and {N, t, d, 0, alpha, 1, beta, gamma} for the Gaussian terms
    // 33 to 36.
    static constexpr std::array<reference_terms::Term, 36> kTerms = {{
        {0.924803575275, 0.25, 1},  // 1
        {-0.492448489428, 0.875, 1},  // 2
        {0.661883336938, 0.5, 2},  // 3
        {-1.92902649201, 0.875, 2},  // 4
        {-0.0622469309629, 0.375, 3},  // 5
        {0.349943957581, 0.75, 3},  // 6
        {0.564857472498, 0.5, 1, 1},  // 7
        {-1.61720005987, 0.75, 1, 1},  // 8
        {-0.481395031883, 2, 1, 1},  // 9
        {0.421150636384, 1.25, 3, 1},  // 10
        {-0.0161962230825, 3.5, 3, 1},  // 11
        {0.172100994165, 1, 4, 1},  // 12
        {0.00735448924933, 0.5, 6, 1},  // 13
        {0.0168077305479, 3, 6, 1},  // 14
        {-0.00107626664179, 0, 7, 1},  // 15
        {-0.0137318088513, 2.75, 7, 1},  // 16
        {0.000635466899859, 0.75, 8, 1},  // 17
        {0.00304432279419, 2.5, 8, 1},  // 18
        {-0.0435762336045, 4, 1, 2},  // 19
        {-0.0723174889316, 6, 2, 2},  // 20
        {0.0389644315272, 6, 3, 2},  // 21
        {-0.021220136391, 3, 4, 2},  // 22
        {0.00408822981509, 3, 5, 2},  // 23
        {-5.51990017984e-05, 6, 8, 2},  // 24
        {-0.0462016716479, 16, 4, 3},  // 25
        {-0.00300311716011, 11, 5, 3},  // 26
        {0.0368825891208, 15, 5, 3},  // 27
        {-0.0025585684622, 12, 8, 3},  // 28
        {0.00896915264558, 12, 3, 4},  // 29
        {-0.0044151337035, 7, 5, 4},  // 30
        {0.00133722924858, 4, 6, 4},  // 31
        {0.000264832491957, 16, 9, 4},  // 32
        {19.6688194015, 0, 1, 0, 20.0, 1.0, 325.0, 1.16},  // 33
        {-20.911560073, 1, 1, 0, 20.0, 1.0, 325.0, 1.16},  // 34
        {0.0167788306989, 2, 3, 0, 15.0, 1.0, 300.0, 1.13},  // 35
        {2627.67566274, 3, 2, 0, 25.0, 1.0, 275.0, 1.25},  // 36
    }};

    // The leaf "terms1to36".
    void calculate_volume_dependent_parameters() override { terms.load<2>(T, kTc, V, kVc); }
    void calculate_high_order_parameters() override { terms.load<4>(T, kTc, V, kVc); }

    ReferenceTermLeaf<kTerms> terms;
};
