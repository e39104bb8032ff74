#pragma once
// The ideal-gas part of a reference equation of state as one table,
//   phi0(delta, tau) = ln delta + g(tau),
//   g(tau) = a1 + a2 tau + c ln tau + sum_i a_i ln(1 - exp(-theta_i tau)) + sum_k n_k tau^t_k,
// tau = Tc/T, delta = rho/rhoc (rhoc in mol/m3), whose isochoric heat capacity is
//   cv0/R = -tau^2 g''(tau) = c + sum_i a_i E(theta_i tau) - sum_k n_k t_k (t_k - 1) tau^t_k,
//   E(x) = x^2 e^x / (e^x - 1)^2 (the Planck-Einstein terms).
// IAPWS-95 (Wagner & Pruss 2002), CO2 (Span & Wagner 1996), CH4 (Setzmann &
// Wagner 1991) and nitrogen (Span et al. 2000) are all of this form.
//
// IdealGasFunction is g as one leaf of T (variable 0) with its derivatives
// to the fourth order, computed once per temperature; TableIdeal is the
// ideal-gas part ln delta + g(T) of a model, which in the fugacity pass
// keeps the ideal gas's -ln V alone (V in m3/mol).
#include "expressions/Leaf.h"
#include "fluid/Ideal.h"
#include "numerics/Jet.h"

struct IdealGasForm {
    double Tc;    // K, reducing temperature of tau
    double rhoc;  // mol/m3, reducing density of delta
    double a1, a2, c;
    int einsteins = 0;  // a_i ln(1 - exp(-theta_i tau)), i < einsteins
    double a[5] = {}, theta[5] = {};
    int powers = 0;  // n_k tau^t_k, k < powers
    double n[3] = {}, t[3] = {};
};

// g(T) with its derivatives in T to the order K (2 or 4).
template <int K = 4>
univariate::Jet<K> idealGasFunction(const IdealGasForm& form, double T);
// cv0/R at T in closed form.
double idealGasCv0R(const IdealGasForm& form, double T);

class IdealGasFunction {
public:
    explicit IdealGasFunction(const IdealGasForm& f) : form(f) { leaf.setName("g"); }
    IdealGasFunction(const IdealGasFunction&) = delete;
    IdealGasFunction& operator=(const IdealGasFunction&) = delete;

    // The leaf's value and first two derivatives at T, or with highOrder
    // its third and fourth (what the third- and fourth-order passes read
    // after them); g computed once per temperature to the order asked.
    void load(double T, bool highOrder = false);
    // The leaf depends on T alone (call after its root is sized for nvar variables).
    void clearDependencies(int nvar);

    const IdealGasForm& form;
    Leaf leaf;

private:
    double atT_ = -1.0;
    int order_ = 0;          // the order of g_ at atT_
    double g_[5] = {};       // g and its derivatives in T at atT_
};

class TableIdeal : public Ideal {
public:
    explicit TableIdeal(const IdealGasForm& f, const char* name);
    ~TableIdeal() override;

    // Any component count: the part depends on T and V only.
    void number_of_components(int n) override;
    // The root's weights for the pass (the fugacity pass: ln delta + ln rhoc
    // = -ln V) and g at T.
    void calculate_fixed_parameters() override;
    // ln delta at V.
    void calculate_volume_dependent_parameters() override;
    // g's third and fourth derivatives.
    void calculate_high_order_parameters() override;
    // The fugacity pass's -ln V.
    bool fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const override
    {
        return constantFugacityPass(0.0, 1.0, f, fT, fTT, m);
    }

    IdealGasFunction g;
    Leaf lndelta;
};
