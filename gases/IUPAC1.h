#pragma once
// Residual term of the IUPAC equation of state of methane (Angus, Armstrong
// & de Reuck, International Thermodynamic Tables of the Fluid State: Methane,
// 1978), over W = Vc/V and tau = Tc/T:
//   A/(RT) = -ln V + sum_k C_k(tau) W^k / k                      (k = 1 .. 8)
//            + sum_k D_2k(tau) I_k(W)                            (k = 0 .. 5)
// where I_k = -(1/(2 gamma)) exp(-gamma W^2) Y_2k(W) is the integral of
// W^(2k+1) exp(-gamma W^2) up to a constant, with Y_0 = 1 and
// Y_2k = W^2k + (k/gamma) Y_2(k-1), gamma = 0.98113911.  The Gaussian part
// does not vanish at zero density; the model's ideal term removes its
// zero-density value.  In the fugacity pass the term adds -5.92995
// (fugacityPassConstant), which the ideal term's +5.92995 cancels.
//
// The term is one leaf of T and V (fluid/SeparableResidual.h): its functions
// of delta are -ln V, W^1 .. W^8 and the six Gaussian integrals I_k; their
// coefficients 1, C_k(tau)/k and D_2k(tau) are computed once per temperature.
#include "expressions/Sum.h"
#include "fluid/SeparableResidual.h"
#include "gases/LeafResidual.h"

class IUPAC1 : public LeafResidual {
public:
    IUPAC1();
    ~IUPAC1() override { releaseTree(); }

    void calculate_volume_dependent_parameters() override;
    void calculate_high_order_parameters() override;
    // kFugacityConstant added in the fugacity pass (the tree the same in both).
    double fugacityPassConstant() const override { return kFugacityConstant; }

    static constexpr double kGamma = 0.98113911;
    // The temperature polynomials of the W^k terms (before their weights 1/k):
    // C1 over tau^0.5, tau, tau^2, tau^3, 1; C2 over tau, tau^2, tau^3, 1;
    // C3 over tau, tau^2, 1; C5 and C7 over tau^2, tau^3; the W^4, W^6 and W^8
    // terms are kA4 tau, kA6 tau^2 and kA8 tau^3.
    static constexpr double kC1[5] = {2.57395483665, -4.21259560708, 1.21838193459, -0.567664713645, -0.133485595546};
    static constexpr double kC2[4] = {0.218272994555, -1.67854271263, 11.9046702802, 0.14135782061};
    static constexpr double kC3[3] = {0.222991427494, 0.989983917221, -0.055049624997};
    static constexpr double kC5[2] = {-0.40886564015, -1.35937688339};
    static constexpr double kC7[2] = {-0.0135078041807, 0.214314159875};
    static constexpr double kA4 = 0.0895580146022, kA6 = 0.147116126108, kA8 = -0.0359787643676;
    // D_0 .. D_10 of the Gaussian terms over tau^3, tau^4, tau^5.  The tau^5
    // coefficient of D10 is positive: with this sign the critical conditions
    // (dP/drho = d2P/drho2 = 0) hold at the reducing point, 190.555 K and
    // 10.1095 mol/dm3, at 4.595 MPa, and the saturated liquid at the normal
    // boiling point has its measured density (about 422 kg/m3); with the
    // opposite sign the liquid comes out some 8 % too dense.
    static constexpr double kD[6][3] = {{-9.19269130423, -1.36468925696, 0.0},
                                        {-11.669982483, 0.0, 0.485346197864},
                                        {-3.3840871158, 0.16922194059, 0.0},
                                        {-1.51553322986, 0.0, -0.0806250313879},
                                        {-0.0369326536783, 0.0528555059265, 0.0},
                                        {-0.0478198692008, -0.00692834320138, 0.00057222052999}};
    // The coefficients of the functions of delta after -ln V, one row each:
    // W^1 .. W^8 (C_k(tau)/k, the W^4, W^6 and W^8 terms a_k tau^(k/2 - 1)/k)
    // and the Gaussian integrals I_0 .. I_5 (D_0 .. D_10).  Each is the sum of
    // c tau^e over the row's parts (e = 0.5 for power 0, else e = power) and
    // its constant, times its weight.
    struct TauRow {
        double weight, constant;
        int parts;
        double c[4];
        int power[4];
    };
    static constexpr int kTauRows = 14;
    static constexpr TauRow kTau[kTauRows] = {
        {.weight = 1.0, .constant = kC1[4], .parts = 4, .c = {kC1[0], kC1[1], kC1[2], kC1[3]}, .power = {0, 1, 2, 3}},
        {.weight = 0.5, .constant = kC2[3], .parts = 3, .c = {kC2[0], kC2[1], kC2[2]}, .power = {1, 2, 3}},
        {.weight = 1.0 / 3.0, .constant = kC3[2], .parts = 2, .c = {kC3[0], kC3[1]}, .power = {1, 2}},
        {.weight = 1.0, .constant = 0.0, .parts = 1, .c = {kA4 / 4.0}, .power = {1}},
        {.weight = 0.2, .constant = 0.0, .parts = 2, .c = {kC5[0], kC5[1]}, .power = {2, 3}},
        {.weight = 1.0, .constant = 0.0, .parts = 1, .c = {kA6 / 6.0}, .power = {2}},
        {.weight = 1.0 / 7.0, .constant = 0.0, .parts = 2, .c = {kC7[0], kC7[1]}, .power = {2, 3}},
        {.weight = 1.0, .constant = 0.0, .parts = 1, .c = {kA8 / 8.0}, .power = {3}},
        {.weight = 1.0, .constant = 0.0, .parts = 2, .c = {kD[0][0], kD[0][1]}, .power = {3, 4}},
        {.weight = 1.0, .constant = 0.0, .parts = 2, .c = {kD[1][0], kD[1][2]}, .power = {3, 5}},
        {.weight = 1.0, .constant = 0.0, .parts = 2, .c = {kD[2][0], kD[2][1]}, .power = {3, 4}},
        {.weight = 1.0, .constant = 0.0, .parts = 2, .c = {kD[3][0], kD[3][2]}, .power = {3, 5}},
        {.weight = 1.0, .constant = 0.0, .parts = 2, .c = {kD[4][0], kD[4][1]}, .power = {3, 4}},
        {.weight = 1.0, .constant = 0.0, .parts = 3, .c = {kD[5][0], kD[5][1], kD[5][2]}, .power = {3, 4, 5}},
    };
    // Constant added in the fugacity pass (cancelled by the ideal term).
    static constexpr double kFugacityConstant = -5.92995;

    // The reducing state, which the ideal part shares.
    static constexpr double kVc = 9.891686037885158e-05;  // m3/mol, 1/10109.5 mol/m3
    static constexpr double kTc = 190.555;                // K

private:
    // The functions of delta: -ln V, W^1 .. W^8 and I_0 .. I_5.
    static constexpr int kFunctions = kTauRows + 1;
    SeparableLeaf<kFunctions> terms;
    template <int K>
    void load();
};
