#pragma once
// IAPWS-95's residual Helmholtz energy phi_r(delta) at tau = Tc/T with its
// first two delta derivatives, in any floating type (Wagner & Pruss, J. Phys.
// Chem. Ref. Data 31, 387 (2002)): the long double evaluation the saturation
// expansions are fitted to near the critical point.
#include "fluid/ReferenceTerms.h"
#include "fluid/ResidualInDelta.h"
#include "water/IAPWS95Coefficients.h"

template <class R>
DeltaJet<R> iapws95ResidualInDelta(R delta, R tau) {
    using namespace iapws95;
    using J = DeltaJet<R>;
    const J x = J::variable(delta);
    J phi = reference_terms::inDelta<kTerms>(delta, tau);
    // n Delta^b delta psi, Delta = theta^2 + B ((delta-1)^2)^a,
    // theta = 1 - tau + A ((delta-1)^2)^(1/(2 beta)), psi = exp(-C (delta-1)^2 - D (tau-1)^2).
    const J e = x - 1, s = e * e;
    const J theta = nonAnalyticA * pow(s, 1 / (2 * static_cast<R>(nonAnalyticBeta))) + (1 - tau);
    const J Delta = theta * theta + nonAnalyticB * pow(s, static_cast<R>(nonAnalyticSmallA));
    for (int k = 0; k < 2; ++k) {
        const J psi = exp(-(nonAnalyticC[k] * s) - nonAnalyticD[k] * (tau - 1) * (tau - 1));
        phi += nonAnalyticN[k] * (pow(Delta, static_cast<R>(nonAnalyticSmallB[k])) * x * psi);
    }
    return phi;
}
