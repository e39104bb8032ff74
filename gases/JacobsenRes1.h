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

#include "fluid/CriticalPoints.h"
#include "fluid/SeparableResidual.h"
#include "gases/LeafResidual.h"

class JacobsenRes1 : public LeafResidual {
public:
    JacobsenRes1();
    ~JacobsenRes1() override { releaseTree(); }

    static constexpr double kTc = kN2Critical.T;           // K
    static constexpr double kVc = 8.941424726615939e-05;   // m3/mol, 1/11183.9

    // The coefficients and exponents of the 36 terms (Span et al. 2000, the
    // table of the residual part): N, t, d, the exponent l of the damped
    // terms' exp(-delta^l) as c, and alpha, eps, beta, gamma of the Gaussian
    // terms 33 to 36.
    static constexpr std::array<reference_terms::Term, 36> kTerms = {{
        {.n = 0.924803575275, .t = 0.25, .d = 1},  // 1
        {.n = -0.492448489428, .t = 0.875, .d = 1},  // 2
        {.n = 0.661883336938, .t = 0.5, .d = 2},  // 3
        {.n = -1.92902649201, .t = 0.875, .d = 2},  // 4
        {.n = -0.0622469309629, .t = 0.375, .d = 3},  // 5
        {.n = 0.349943957581, .t = 0.75, .d = 3},  // 6
        {.n = 0.564857472498, .t = 0.5, .d = 1, .c = 1},  // 7
        {.n = -1.61720005987, .t = 0.75, .d = 1, .c = 1},  // 8
        {.n = -0.481395031883, .t = 2, .d = 1, .c = 1},  // 9
        {.n = 0.421150636384, .t = 1.25, .d = 3, .c = 1},  // 10
        {.n = -0.0161962230825, .t = 3.5, .d = 3, .c = 1},  // 11
        {.n = 0.172100994165, .t = 1, .d = 4, .c = 1},  // 12
        {.n = 0.00735448924933, .t = 0.5, .d = 6, .c = 1},  // 13
        {.n = 0.0168077305479, .t = 3, .d = 6, .c = 1},  // 14
        {.n = -0.00107626664179, .t = 0, .d = 7, .c = 1},  // 15
        {.n = -0.0137318088513, .t = 2.75, .d = 7, .c = 1},  // 16
        {.n = 0.000635466899859, .t = 0.75, .d = 8, .c = 1},  // 17
        {.n = 0.00304432279419, .t = 2.5, .d = 8, .c = 1},  // 18
        {.n = -0.0435762336045, .t = 4, .d = 1, .c = 2},  // 19
        {.n = -0.0723174889316, .t = 6, .d = 2, .c = 2},  // 20
        {.n = 0.0389644315272, .t = 6, .d = 3, .c = 2},  // 21
        {.n = -0.021220136391, .t = 3, .d = 4, .c = 2},  // 22
        {.n = 0.00408822981509, .t = 3, .d = 5, .c = 2},  // 23
        {.n = -5.51990017984e-05, .t = 6, .d = 8, .c = 2},  // 24
        {.n = -0.0462016716479, .t = 16, .d = 4, .c = 3},  // 25
        {.n = -0.00300311716011, .t = 11, .d = 5, .c = 3},  // 26
        {.n = 0.0368825891208, .t = 15, .d = 5, .c = 3},  // 27
        {.n = -0.0025585684622, .t = 12, .d = 8, .c = 3},  // 28
        {.n = 0.00896915264558, .t = 12, .d = 3, .c = 4},  // 29
        {.n = -0.0044151337035, .t = 7, .d = 5, .c = 4},  // 30
        {.n = 0.00133722924858, .t = 4, .d = 6, .c = 4},  // 31
        {.n = 0.000264832491957, .t = 16, .d = 9, .c = 4},  // 32
        {.n = 19.6688194015, .t = 0, .d = 1, .alpha = 20.0, .eps = 1.0, .beta = 325.0, .gamma = 1.16},  // 33
        {.n = -20.911560073, .t = 1, .d = 1, .alpha = 20.0, .eps = 1.0, .beta = 325.0, .gamma = 1.16},  // 34
        {.n = 0.0167788306989, .t = 2, .d = 3, .alpha = 15.0, .eps = 1.0, .beta = 300.0, .gamma = 1.13},  // 35
        {.n = 2627.67566274, .t = 3, .d = 2, .alpha = 25.0, .eps = 1.0, .beta = 275.0, .gamma = 1.25},  // 36
    }};

    // The leaf "terms1to36".
    void calculate_volume_dependent_parameters() override { terms.load<2>(T, kTc, V, kVc); }
    void calculate_high_order_parameters() override { terms.load<4>(T, kTc, V, kVc); }
    // A volume search's pass: the sum in delta at the kept temperature
    // (P and dP/dV), no leaf loaded.
    bool volumeSearchAnswer(double& a, double& aV, double& aVV) override
    {
        return terms.inVolumeAtKeptTemperature(T, kTc, V, kVc, a, aV, aVV);
    }

    ReferenceTermLeaf<kTerms> terms;
};
