#pragma once
// Residual part phi_r(delta, tau) of the IAPWS-95 formulation for ordinary
// water (Wagner & Pruss 2002) as an expression tree over the reduced density
// delta = Vc/V and the inverse reduced temperature tau = Tc/T.
//
// Every term but the two non-analytic ones is a product of a function of
// delta and a function of tau, and so is the damping psi of those two.  The
// terms 1 to 51 that share a power of tau are summed in delta first:
//   phi_r = sum_t tau^t H_t(delta) + G(tau) h(delta) + the non-analytic terms,
//   H_t(delta) = sum over the terms i of power t of n_i delta^d_i exp(-delta^c_i),
//   h(delta) = delta^3 exp(-20 (delta - 1)^2)  (the three Gaussian terms share it),
// so that the tree has one product per power of tau (24) instead of one per
// term.  The functions of delta (H_t, h, and n delta exp(-C (delta - 1)^2) of
// the non-analytic terms) are leaves that the term writes with their
// analytic derivatives in V to the fourth order; the powers of tau and the
// parts of the Gaussian and non-analytic terms in tau are nodes, which the
// evaluations at one temperature (the two sides of a saturation point) keep.
#include "expressions/Cube.h"
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
    // The distinct powers of tau of the terms 1 to 51.
    static constexpr int kTauPowers = 24;

    Wagner();
    ~Wagner() override { releaseTree(); }

    // Loads tau = Tc/T, and the functions of delta = Vc/V, with their
    // derivatives.
    void calculate_fixed_parameters() override;
    // Every entry to the second order of the functions of delta, and those
    // of the third and fourth orders (only the passes of those orders read them).
    void calculate_volume_dependent_parameters() override;
    void calculate_high_order_parameters() override;

    Leaf tau;

private:
    // Fractional powers of tau.
    Power taui1, taui2, taui4, taui5, taui6;
    // Integer powers of tau.
    Square tau2;
    Cube tau3;
    Square tau4;
    Product tau5;
    Square tau6;
    Product tau7;
    Square tau8;
    Product tau9;
    Square tau10;
    Product tau11;
    Square tau12;
    Product tau13;
    Square tau16, tau22;
    Product tau23;
    Square tau44, tau46;
    Product tau50;
    // H_t(delta) of the powers of tau in the order of their first term, and
    // the products tau^t H_t.
    Leaf damped[kTauPowers];
    Product polynomial[kTauPowers];
    // Gaussian terms 52 to 54: h(delta) G(tau) with
    // G = sum_k n_k tau^t_k exp(-beta_k (tau - gamma_k)^2).
    Leaf bell;
    Sum1 taui52, taui54;
    Square taui52sq, taui54sq;
    Exponential g52, g54;
    Product tau1g52, tau4g54;
    Sum gauss;
    Product gaussTerm;
    // Non-analytic terms 55 and 56: n Delta^b delta psi with
    // psi = exp(-C (delta-1)^2) exp(-D (tau-1)^2).  The powers of (delta - 1)^2,
    // deltat and deltad, are leaves written with their analytic derivatives: on
    // the critical isochore delta = 1 a power node over (delta - 1)^2 would
    // multiply an infinite outer derivative by a zero inner one; so is
    // n delta exp(-C (delta-1)^2) (psiDelta).
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

    Expression* tauPower(double t);
    template <int K>
    void loadDeltaParts();
};
