#pragma once
// Ideal-gas Helmholtz energies of CO2 and CH4 in the Planck-Einstein form
// (the table form of fluid/IdealGasTable.h without powers of tau),
//   phi0(delta, tau) = ln delta + a1 + a2 tau + c ln tau + sum_i a_i ln(1 - exp(-theta_i tau)),
// tau = Tc/T, delta = rho/rhoc, whose isochoric heat capacity is
//   cv0/R = c + sum_i a_i E(theta_i tau),  E(x) = x^2 e^x / (e^x - 1)^2.
//
// The residual terms of the gas models carry the ideal gas's -ln V (V in
// m3/mol); ln delta = -ln V - ln rhoc (rhoc in mol/m3), so what the ideal-gas
// term of such a model adds is the temperature function
//   g(T) - ln rhoc = a1 - ln rhoc + a2 tau + c ln tau + sum_i a_i ln(1 - exp(-theta_i tau)).
// With the published a1 and a2 of both forms below, h = 0 and s = 0 for the
// ideal gas at 298.15 K and 0.101325 MPa.
#include "fluid/IdealGasTable.h"

// Carbon dioxide: Span & Wagner (1996), J. Phys. Chem. Ref. Data 25, 1509, Table 27.
extern const IdealGasForm kSpanWagnerCO2;
// Methane: Setzmann & Wagner (1991), J. Phys. Chem. Ref. Data 20, 1061.
extern const IdealGasForm kSetzmannWagnerCH4;

// The ideal-gas term of a model whose residual term carries -ln V and
// vanishes at zero density: g(T) - ln rhoc in the normal evaluation, nothing
// in the fugacity pass (fugacity coefficients are residual properties).  It
// has no volume dependence and adds nothing to pressures or densities.
class PlanckEinsteinIdeal : public Ideal {
public:
    explicit PlanckEinsteinIdeal(const IdealGasForm& f);
    ~PlanckEinsteinIdeal() override;

    // Any component count: the function depends on T alone.
    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    void calculate_high_order_parameters() override { g.load(T, true); }
    // Nothing in the fugacity pass.
    bool fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const override
    {
        return constantFugacityPass(0.0, 0.0, f, fT, fTT, m);
    }

    IdealGasFunction g;
};
