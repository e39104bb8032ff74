#pragma once
// A 28-term residual Helmholtz energy of nitrogen over tau = Tc/T and
// delta = Vc/V (Tc = 126.193 K, Vc = 1/11177 m3/mol):
//   a_r = sum N_k delta^d_k tau^t_k [exp(-delta^l_k)],
// the terms numbered by their places in the bank of terms of the nitrogen
// equation of Jacobsen, Stewart & Jahangiri (J. Phys. Chem. Ref. Data 15,
// 735, 1986).  No model puts it in a term slot; it is a complete residual term
// that can stand in for `JacobsenRes1`.  It is one leaf of T and V over its
// table (fluid/SeparableResidual.h).
#include <array>

#include "fluid/SeparableResidual.h"
#include "gases/LeafResidual.h"

class JacobsenRes : public LeafResidual {
public:
    JacobsenRes();
    ~JacobsenRes() override { releaseTree(); }

    static constexpr double kTc = 126.193;                 // K
    static constexpr double kVc = 8.946944618412812e-05;   // m3/mol, 1/11177

    // {N, t, d}, and {N, t, d, l} for the terms damped by exp(-delta^l).
    static constexpr std::array<reference_terms::Term, 28> kTerms = {{
        {0.9499541827, 0.25, 1},  // term 1 of the bank
        {-2.049741504, 1, 1},  // term 4 of the bank
        {0.2650110798, 1.5, 1},  // term 6 of the bank
        {-0.3785445194, 3, 1},  // term 10 of the bank
        {0.2481718513, 0.25, 2},  // term 15 of the bank
        {-0.1748429008, 0.5, 2},  // term 16 of the bank
        {0.07311459372, 2, 2},  // term 20 of the bank
        {0.1895290433, 3, 2},  // term 22 of the bank
        {-0.2046287122, 0.25, 3},  // term 24 of the bank
        {0.6387017148, 0.5, 3},  // term 25 of the bank
        {-0.5272986168, 0.75, 3},  // term 26 of the bank
        {0.05551383553, 1, 4},  // term 31 of the bank
        {-0.0281308071, 2, 4},  // term 32 of the bank
        {0.007001895093, 3, 4},  // term 33 of the bank
        {-0.0008191106396, 1, 6},  // term 36 of the bank
        {0.001659823569, 2, 6},  // term 37 of the bank
        {-0.04927710927, 3, 1, 3},  // term 42 of the bank
        {0.1138121942, 4, 1, 3},  // term 43 of the bank
        {0.05032519699, 1, 2, 2},  // term 50 of the bank
        {0.06012817812, 2, 2, 2},  // term 51 of the bank
        {-0.09551409802, 5, 2, 2},  // term 54 of the bank
        {-0.01100721771, 8, 2, 4},  // term 57 of the bank
        {-0.0001484600538, 20, 2, 4},  // term 63 of the bank
        {-0.005806483467, 22, 3, 3},  // term 79 of the bank
        {0.06512013679, 4, 4, 2},  // term 80 of the bank
        {0.0211835414, 6, 4, 2},  // term 82 of the bank
        {0.0128443221, 14, 4, 4},  // term 89 of the bank
        {-0.0105447491, 18, 4, 4},  // term 91 of the bank
    }};

    void calculate_volume_dependent_parameters() override { terms.load<2>(T, kTc, V, kVc); }
    void calculate_high_order_parameters() override { terms.load<4>(T, kTc, V, kVc); }

    ReferenceTermLeaf<kTerms> terms;
};
