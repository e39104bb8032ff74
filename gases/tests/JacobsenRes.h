#pragma once
// A 28-term residual Helmholtz energy of nitrogen over tau = Tc/T and
// delta = Vc/V (Tc = 126.193 K, Vc = 1/11177 m3/mol), for the tests:
//   a_r = sum N_k delta^d_k tau^t_k [exp(-delta^l_k)],
// the terms numbered by their places in the bank of terms of the nitrogen
// equation of Jacobsen, Stewart & Jahangiri (J. Phys. Chem. Ref. Data 15,
// 735, 1986).  No model puts it in a term slot; it is a complete residual term
// that can stand in for `JacobsenRes1`, and the tests build a nitrogen model
// on it.  It is one leaf of T and V over its table (fluid/SeparableResidual.h).
#include <array>

#include "fluid/SeparableResidual.h"
#include "gases/LeafResidual.h"

class JacobsenRes : public LeafResidual {
public:
    JacobsenRes()
    {
        makeRoot(terms.separable.leaf, "terms");
        setModelName("Jacobsen N2 (28 terms)");
        setDebugLink();
    }
    ~JacobsenRes() override { releaseTree(); }

    static constexpr double kTc = 126.193;                 // K
    static constexpr double kVc = 8.946944618412812e-05;   // m3/mol, 1/11177

    // N, t, d, and the exponent l of exp(-delta^l) as c for the damped terms.
    static constexpr std::array<reference_terms::Term, 28> kTerms = {{
        {.n = 0.9499541827, .t = 0.25, .d = 1},  // term 1 of the bank
        {.n = -2.049741504, .t = 1, .d = 1},  // term 4 of the bank
        {.n = 0.2650110798, .t = 1.5, .d = 1},  // term 6 of the bank
        {.n = -0.3785445194, .t = 3, .d = 1},  // term 10 of the bank
        {.n = 0.2481718513, .t = 0.25, .d = 2},  // term 15 of the bank
        {.n = -0.1748429008, .t = 0.5, .d = 2},  // term 16 of the bank
        {.n = 0.07311459372, .t = 2, .d = 2},  // term 20 of the bank
        {.n = 0.1895290433, .t = 3, .d = 2},  // term 22 of the bank
        {.n = -0.2046287122, .t = 0.25, .d = 3},  // term 24 of the bank
        {.n = 0.6387017148, .t = 0.5, .d = 3},  // term 25 of the bank
        {.n = -0.5272986168, .t = 0.75, .d = 3},  // term 26 of the bank
        {.n = 0.05551383553, .t = 1, .d = 4},  // term 31 of the bank
        {.n = -0.0281308071, .t = 2, .d = 4},  // term 32 of the bank
        {.n = 0.007001895093, .t = 3, .d = 4},  // term 33 of the bank
        {.n = -0.0008191106396, .t = 1, .d = 6},  // term 36 of the bank
        {.n = 0.001659823569, .t = 2, .d = 6},  // term 37 of the bank
        {.n = -0.04927710927, .t = 3, .d = 1, .c = 3},  // term 42 of the bank
        {.n = 0.1138121942, .t = 4, .d = 1, .c = 3},  // term 43 of the bank
        {.n = 0.05032519699, .t = 1, .d = 2, .c = 2},  // term 50 of the bank
        {.n = 0.06012817812, .t = 2, .d = 2, .c = 2},  // term 51 of the bank
        {.n = -0.09551409802, .t = 5, .d = 2, .c = 2},  // term 54 of the bank
        {.n = -0.01100721771, .t = 8, .d = 2, .c = 4},  // term 57 of the bank
        {.n = -0.0001484600538, .t = 20, .d = 2, .c = 4},  // term 63 of the bank
        {.n = -0.005806483467, .t = 22, .d = 3, .c = 3},  // term 79 of the bank
        {.n = 0.06512013679, .t = 4, .d = 4, .c = 2},  // term 80 of the bank
        {.n = 0.0211835414, .t = 6, .d = 4, .c = 2},  // term 82 of the bank
        {.n = 0.0128443221, .t = 14, .d = 4, .c = 4},  // term 89 of the bank
        {.n = -0.0105447491, .t = 18, .d = 4, .c = 4},  // term 91 of the bank
    }};

    void calculate_volume_dependent_parameters() override { terms.load<2>(T, kTc, V, kVc); }
    void calculate_high_order_parameters() override { terms.load<4>(T, kTc, V, kVc); }

    ReferenceTermLeaf<kTerms> terms;
};
