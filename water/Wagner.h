#pragma once
// Residual part phi_r(delta, tau) of the IAPWS-95 formulation for ordinary
// water (Wagner & Pruss 2002) as an expression tree over the reduced density
// delta = Vc/V and the inverse reduced temperature tau = Tc/T.
//
// Every term but the two non-analytic ones is a product of a function of
// delta and a function of tau: the terms 1 to 54 are one leaf of T and V
// (`terms`, fluid/SeparableResidual.h) over their table, grouped at compile
// time by their 32 functions of delta (the 31 damped powers
// delta^d exp(-delta^c) of the terms 1 to 51, and delta^3 exp(-20 (delta -
// 1)^2), which the three Gaussian terms share), each times the sum of the
// functions of tau of its terms, computed once per temperature.
//
// The non-analytic terms n Delta^b delta psi, with
// psi = exp(-C (delta-1)^2) exp(-D (tau-1)^2), are nodes over the leaves
// deltat and deltad, the powers of (delta - 1)^2 written with their analytic
// derivatives (on the critical isochore delta = 1 a power node over
// (delta - 1)^2 would multiply an infinite outer derivative by a zero inner
// one), and psiDelta, n delta exp(-C (delta-1)^2).
#include <cmath>

#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Power.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "fluid/Interaction.h"
#include "fluid/SeparableResidual.h"
#include "water/IAPWS95Coefficients.h"
#include "water/WaterTerm.h"

class Wagner : public WaterResidualTerm<Interaction> {
public:
    // The distinct powers of tau of the terms 1 to 51, and the functions of
    // delta of the separable part (the 31 damped powers of those terms, and h).
    static constexpr int kTauPowers = ReferenceTermLeaf<iapws95::kTerms>::kPowersOfTau;
    static constexpr int kFunctionsOfDelta = ReferenceTermLeaf<iapws95::kTerms>::kFunctionsOfDelta;

    Wagner();
    ~Wagner() override { releaseTree(); }

    // Loads tau = Tc/T.
    void calculate_fixed_parameters() override;
    // The leaves of V and of T and V with every entry to the second order,
    // and with those of the third and fourth orders (only the passes of
    // those orders read them).
    void calculate_volume_dependent_parameters() override;
    void calculate_high_order_parameters() override;

    Leaf tau;

protected:
    // phi_r with its first two derivatives in V at the term's T and V, from
    // its parts in delta at the kept temperature: the terms 1 to 54 from
    // their coefficients at T (ReferenceTermLeaf::inDeltaAtKeptTemperature),
    // the non-analytic terms from their factors exp(-D (tau - 1)^2) kept per
    // temperature, left out where they cannot change the last bit of the
    // sum.  No leaf is loaded.
    bool volumeSearchAnswer(double& a, double& aV, double& aVV) override;

private:
    ReferenceTermLeaf<iapws95::kTerms> terms;
    // exp(-D (tau - 1)^2) of the non-analytic terms at keptT.
    double keptT = std::nan(""), psiTauKept[2] = {};
    // Non-analytic terms 55 and 56.
    Sum1 taum1;
    Square taum1sq;
    Exponential psiTau55, psiTau56;
    Leaf psiDelta55, psiDelta56;
    Product psi55, psi56;
    Leaf deltat;
    Sum2 theta;
    Square theta2;
    Leaf deltad;
    Sum2 bigDelta;
    Power pdelta55, pdelta56;
    Product nonAnalytic55, nonAnalytic56;

    template <int K>
    void loadVolumeLeaves();
    template <int K>
    void loadNonAnalyticLeaves(const reference_terms::DeltaPowers<K>& d);
};
