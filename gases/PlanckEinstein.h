#pragma once
// Ideal-gas Helmholtz energy of a reference equation of state in the
// Planck-Einstein form,
//   phi0(delta, tau) = ln delta + a1 + a2 tau + c ln tau + sum_i a_i ln(1 - exp(-theta_i tau)),
// tau = Tc/T, delta = rho/rhoc, whose isochoric heat capacity is
//   cv0/R = c + sum_i a_i E(theta_i tau),  E(x) = x^2 e^x / (e^x - 1)^2.
//
// The residual terms of the gas models carry the ideal gas's -ln V (V in
// m3/mol); ln delta = -ln V - ln rhoc (rhoc in mol/m3), so what the ideal-gas
// term of such a model adds is the temperature function
//   g(T) = a1 - ln rhoc + a2 tau + c ln tau + sum_i a_i ln(1 - exp(-theta_i tau)).
// PlanckEinsteinNodes holds the nodes of g (tau, ln tau and the five
// Einstein logarithms) for a term to link into its root Sum, with the
// weights it gives them and the constant a1 - ln rhoc.  With the published
// a1 and a2 of both forms below, h = 0 and s = 0 for the ideal gas at
// 298.15 K and 0.101325 MPa.
#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Logarithm.h"
#include "fluid/Ideal.h"

class Sum;

struct PlanckEinsteinForm {
    double Tc;    // K, reducing temperature of tau
    double rhoc;  // mol/m3, reducing density of delta
    double a1, a2, c;
    double a[5];
    double theta[5];  // theta_i, multiplying tau
};

// Carbon dioxide: Span & Wagner (1996), J. Phys. Chem. Ref. Data 25, 1509, Table 27.
extern const PlanckEinsteinForm kSpanWagnerCO2;
// Methane: Setzmann & Wagner (1991), J. Phys. Chem. Ref. Data 20, 1061.
extern const PlanckEinsteinForm kSetzmannWagnerCH4;

// cv0/R of the form at T, in closed form.
double planckEinsteinCv0R(const PlanckEinsteinForm& f, double T);

class PlanckEinsteinNodes {
public:
    static constexpr int kTerms = 7;  // tau, ln tau, five Einstein logarithms

    explicit PlanckEinsteinNodes(const PlanckEinsteinForm& f);
    PlanckEinsteinNodes(const PlanckEinsteinNodes&) = delete;
    PlanckEinsteinNodes& operator=(const PlanckEinsteinNodes&) = delete;

    // Links the kTerms nodes to root slots first .. first + kTerms - 1.
    void link(Sum& root, int first);
    // Their weights a2, c, a_1 .. a_5 (on) or zeros (off).
    void setWeights(Sum& root, int first, bool on) const;
    // The constant of g: a1 - ln rhoc.
    double constant() const;
    // The leaves depend on T alone (call after the root is sized for its variables).
    void clearDependencies(int nvar);
    // Loads tau and ln tau at T with their T-derivatives.
    void load(double T);

    const PlanckEinsteinForm& form;

private:
    Leaf tau, lntau;
    Exponential E[5];  // 1 - exp(-theta_i tau)
    Logarithm L[5];    // ln(1 - exp(-theta_i tau))
};

// The ideal-gas term of a model whose residual term carries -ln V and
// vanishes at zero density: g(T) in the normal evaluation, nothing in the
// fugacity pass (fugacity coefficients are residual properties).  It has no
// volume dependence and adds nothing to pressures or densities.
class PlanckEinsteinIdeal : public Ideal {
public:
    explicit PlanckEinsteinIdeal(const PlanckEinsteinForm& f);
    ~PlanckEinsteinIdeal() override;

    // Any component count: the function depends on T alone.
    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;

    PlanckEinsteinNodes nodes;
};
