#pragma once
// Residual part phi_r(delta, tau) of the IAPWS-95 formulation for ordinary
// water (Wagner & Pruss 2002) as an expression tree over the reduced density
// delta = Vc/V and the inverse reduced temperature tau = Tc/T.
//
// Every term but the two non-analytic ones is a product of a function of
// delta and a function of tau.  The terms 1 to 51 that share a power of tau
// are summed in delta first, and the three Gaussian terms share their part
// in delta:
//   phi_r = sum_t tau^t H_t(delta) + G(tau) h(delta) + the non-analytic terms,
//   H_t(delta) = sum over the terms i of power t of n_i delta^d_i exp(-delta^c_i),
//   G(tau) = sum_k n_k tau^t_k exp(-beta_k (tau - gamma_k)^2),
//   h(delta) = delta^3 exp(-20 (delta - 1)^2).
// That part is one leaf (`separable`), which the term writes with its
// derivatives as a sum over the 31 damped powers delta^d exp(-delta^c) of
// those terms and h, each times its function of tau (the sum of the
// n_i tau^t_i of its terms, or G): the derivatives of such a product of a
// function of T and a function of V are the products of their derivatives.
// The functions of tau are computed once per temperature.
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
#include "water/WaterTerm.h"

class Wagner : public WaterResidualTerm<Interaction> {
public:
    // The distinct powers of tau of the terms 1 to 51, and the functions of
    // delta of the separable part (the 31 damped powers of those terms, and h).
    static constexpr int kTauPowers = 24;
    static constexpr int kFunctionsOfDelta = 32;

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

private:
    Leaf separable;
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

    // The separable part as a sum over its functions of delta (the damped
    // powers of the terms 1 to 51, and h) of products with functions of tau:
    // those with their derivatives in T to the fourth order, at coefficientsT_.
    double coefficients_[kFunctionsOfDelta][5] = {};
    double coefficientsT_ = std::nan("");
    void updateTauCoefficients();
    template <int K>
    void loadVolumeLeaves();
    template <int K, int A, class FunctionOfDelta>
    void loadSeparableEntries(const FunctionOfDelta* f, const double* dv);
};
