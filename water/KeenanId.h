#pragma once
// Ideal-gas part of the Keenan-Keyes-Hill-Moore water equation (1969):
// psi0(T) / (R T), R = 0.46151 J/(g K), with, for t = T / 1000 K,
//   psi0 = C1 + C2 t + C3 t^2 + C4 t^3 + C5 t^4 + C6 t^5 + (C7 + C8 t) ln T   (J/g).
// In the fugacity pass the term is the constant -ln rho0, which with the
// ln rho of KeenanRes leaves -ln V for the ideal gas.
#include "expressions/Division.h"
#include "expressions/Leaf.h"
#include "fluid/Ideal.h"
#include "water/WaterTerm.h"

class KeenanId : public WaterTerm<Ideal> {
public:
    KeenanId();
    ~KeenanId() override { releaseTree(); }

    void calculate_fixed_parameters() override;
    // The fugacity pass's constant -ln rho0.
    bool fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const override;

    static constexpr double Rg = 0.46151;  // J/(g K)

    Leaf psi0;  // J/g
    Leaf RT;    // J/g
};
