#pragma once
// Duan2: the Duan term of a binary mixture (Duan, Moller & Weare, Geochim.
// Cosmochim. Acta 56, 2619 (1992)).  Each component's reduced virial
// coefficients are combined by the cube of the mean of their cube roots,
// M(u1 .. un) = ((u1^(1/3) + .. + un^(1/3))/n)^3 (signs kept), scaled by
// pseudo-critical volumes V_ij.. = ((n_i c1 + n_j c2)/n)^3 with c_i = Vc_i^(1/3),
// and weighted by the composition monomials:
//     Bd = x1^2 Vc1 B1 + 2 x1 x2 V12 k1 M(B1, B2) + x2^2 Vc2 B2,
//     Cd = x1^3 Vc1^2 C1 + 3 x1^2 x2 V112^2 k2 M(C1, C1, C2) + 3 x1 x2^2 V122^2 k2 M(C1, C2, C2) + x2^3 Vc2^2 C2,
//     Dd (fifth order, V^4 scaling), Ed (sixth order, V^5 scaling), Fd (as Bd,
//     V^2 scaling, no parameter),
//     gama = x1^3 Vc1^2 g1 + 3 x1^2 x2 V112^2 k3 M(g1, g1, g2) + 3 x1 x2^2 V122^2 k3 M(g1, g2, g2) + x2^3 Vc2^2 g2,
//     beta1 = 1 + x1 beta_1 + x2 beta_2,
// with temperature-dependent binary interaction parameters k1, k2, k3 of
// the pairs CO2-H2O (1), CH4-H2O (2) and CH4-CO2 (3).  As published, every
// mixed index pattern of a coefficient takes the same parameter (k1 on B,
// k2 on C, k3 on gamma), so a mixture's state does not depend on which
// component is named first; gama depends on T through k3.
#include <cstdio>

#include "expressions/Geom.h"
#include "expressions/Sum1.h"
#include "expressions/SumF.h"
#include "families/duan/BIPDuan.h"
#include "families/duan/Duan.h"

class Duan2 : public Duan {
public:
    enum PairType : short { kCO2H2O = 1, kCH4H2O = 2, kCH4CO2 = 3 };

    Duan2();
    ~Duan2() override;

    // Two components only: any other count is refused with a message
    // (refusedComponents).
    void number_of_components(int n) override;
    void specify_dependencies() override;
    void calculate_fixed_parameters() override;

    // i = 0 or 1 (any other i stores nothing); Tc in K, Pc in bar, a[15] =
    // a1 .. a12, alpha, beta, gamma.  Component 1 last: it completes the
    // pseudo-critical volumes and the scale factors.
    void set_parameters(int i, double Tc, double Pc, const double* a);

    void calculate_pseudo_critical_volumes();
    // Per-component leaves of component i at the current T.
    void calculate_virial_coefficients(int i);
    // The seven composition monomials x1^(6-m) x2^m with their derivatives
    // at (x1, x2).
    void calculate_x6_derivatives(double x1, double x2);
    // The volume leaves, after the monomials of the last fixed stage.
    void calculate_volume_dependent_parameters() override;
    void calculate_high_order_parameters() override;
    // Coefficients of k1, k2, k3 for the pair type at temperature t; false
    // when the pair's parameters are not defined there (CO2-H2O outside
    // 273.15-1273.15 K; its rows begin at 323.15 K, and the first is
    // extrapolated below it).
    bool set_interaction_parameters(double t);

    // True, after one message per row, for a state holding both components
    // whose interaction row could not be traced to the publication: the
    // CH4-CO2 row above 305.15 K and up to 498.15 K (its k3 = -0.7 makes
    // gamma of the mixture negative near x = 0.5) and the CH4-H2O row from
    // 513.15 K up (k1 = 42.1575 - 0.05 T, with which the Henry constant of
    // CH4 in liquid water lies 1e-6 to 0.3 times IAPWS G7-04).  The other
    // CH4-CO2 rows (k3 = 1.59 up to 305.15 K, every k = 1 above 498.15 K) and
    // the pure components (x1 or x2 = 0) stand.  admitUntracedRow lets
    // either untraced row be evaluated.
    // refuseMixtures false lets the tree be evaluated for such mixtures
    // (checks of the mixing rules and their derivatives).
    bool refuseMixture();
    // The mixing rule takes the cube roots of the components' coefficients
    // B, C, D, E and F; where one of them passes through zero (CO2's B near
    // 699 K and E near 680 K, CH4's B near 505 K) the cube root's temperature
    // derivatives diverge, and with them the mixture's heat capacities.  At
    // T (K), V (m3/mol) and the mole fractions x1, x2: the largest estimate,
    // among the coefficients of a component present in a mixture, of the
    // change of cv/R by the singular part 2 Q'^2 / (9 |Q|^(5/3)) of its cube
    // root's second derivative (the other component's coefficient taken at
    // the size of its terms), with the component and coefficient it belongs
    // to; 0 at a pure end.  Where `poleTemperature` is given, the coefficient
    // named is, of those within a factor 8 of the largest estimate, the one
    // whose zero lies nearest to T, and its zero (K) is set (NaN where none
    // lies within 1000 K).
    double cubeRootPoleShare(double T, double V, double x1, double x2, int& component, char& coefficient,
                             double* poleTemperature = nullptr) const;
    bool refuseMixtures = true;
    // The untraced rows (CH4-CO2 of 305.15-498.15 K, CH4-H2O from 513.15 K):
    // evaluated where a caller says their effect (admitUntracedRow), or
    // replaced by every k = 1, the plain combining rule (plainRow).
    bool admitUntracedRow = false;
    bool plainRow = false;

    // The mixing rule's coefficients at the term's T and composition (B to
    // gama as the tree's nodes Bd .. gama hold them): false where the fixed
    // stage refuses the state or a coefficient is not finite.
    struct Mixed {
        double B, C, D, E, F, beta, gamma;
    };
    bool mixedCoefficients(Mixed& m);

    short pairType = kCH4H2O;
    double Tc[2] = {0.0, 0.0};  // K
    double Pc[2] = {0.0, 0.0};  // Pa
    double Vc[2] = {0.0, 0.0};  // m3/mol
    double par[2][15] = {};
    // V12, V112, V122, V11112, V11122, V11222, V12222,
    // V111112, V111122, V111222, V112222, V122222 (m3/mol).
    double Vpc[12] = {};

    // Per-component leaves (index 0 and 1).
    Leaf Bi[2], Ci[2], Di[2], Ei[2], Fi[2], gami[2], beti[2];
    // x1^6, x1^5 x2, .., x2^6.
    Leaf x6[7];
    BIPDuan k1, k2, k3;

protected:
    // A volume search at fixed T and composition, and the fugacity pass,
    // in closed form: the mixing rule's coefficients are polynomials in x1
    // and x2 whose coefficients depend on T alone (kept per temperature),
    // and a(V) is the Duan equation's Helmholtz energy in V.
    bool volumeSearchAnswer(double& a, double& aV, double& aVV) override;
    bool secondOrderAnswer() override;
    bool answersOutsideVolumeSearch() const override { return true; }

private:
    // Per index pattern (n1 firsts, n2 seconds) of each coefficient, the
    // pattern's value at T with its first two T-derivatives, already times
    // its multiplicity, interaction parameter and pseudo-critical volume
    // power: B (3 patterns), C (4), D (6), E (7), F (3), gamma (4).
    struct KeptAtTemperature {
        double T = -1.0;
        unsigned long version = 0;
        short pair = 0;
        bool plain = false, inRange = true, finite = false;
        double g[27][3] = {};
    };
    bool keepTemperature();
    // The state refused by the fixed stage (the pair's range, a missing
    // parameter set, an untraced row).
    bool fixedStageRefuses();
    KeptAtTemperature keptT_;
    // The last coefficients found (mixedCoefficients) with their state.
    struct KeptMixed {
        double T = -1.0, x1 = 0.0, x2 = 0.0;
        unsigned long version = 0;
        short pair = 0;
        bool plain = false, usable = false;
        Mixed m{};
    } keptMixed_;
    // The last second-order answer with its state: a, a_T, a_V, a_TT,
    // a_TV, a_VV and per component a_x, a_xT, a_xV, a_xx1, a_xx2.
    struct KeptSecondOrder {
        double T = -1.0, V = 0.0, x[2] = {};
        unsigned long version = 0;
        short pair = 0;
        bool plain = false;
        double a[6] = {};
        double ax[2][5] = {};
    } keptSecondOrder_;
    // The composition the monomial leaves x6 hold (storage: their first
    // derivatives' when loaded; null before).
    struct KeptMonomials {
        const double* storage = nullptr;
        double x1 = 0.0, x2 = 0.0;
    } x6Kept_;
    // The composition of the last fixed stage, whose monomials are loaded
    // before the tree is next evaluated (loadPendingMonomials).
    struct PendingMonomials {
        bool pending = false;
        double x1 = 0.0, x2 = 0.0;
    } x6Pending_;
    void loadPendingMonomials();
    unsigned long parameterVersion_ = 0;

    // Steps of the construction of the expression tree.
    void nameLeaves();
    void tieCombiningNodes();
    void tieInteractionFactors();
    void tieScaleNodes();
    void tieMixingSums();
    void setCombiningScalars();
    void setScaleFactors();

    // Combining nodes.
    Geom MB, MC112, MC122, MD[4], ME[5], MF, Mg112, Mg122;
    // Interaction parameter times combined coefficient.
    Product kB, kC112, kC122, kg112, kg122;
    // Volume power times its operand.
    Sum1 sB[3], sC[4], sD[6], sE[7], sF[3], sg[4];
    // Monomial times scale node, the operands of "Ed".
    Product pE[7];

    SumX2* Bsum = nullptr;
    SumX3* Csum = nullptr;
    SumX5* Dsum = nullptr;
    Sum* Esum = nullptr;
    SumX2* Fsum = nullptr;
    SumX3* gsum = nullptr;
    Leaf* beta1Leaf = nullptr;
};
