#pragma once
// The residual Helmholtz energies of the reference gas models at one
// temperature, phi(delta) with delta = Vc/V and its first two delta
// derivatives, in any floating type (long double for their saturation near
// the critical point).  Each is the model's own function with the model's
// coefficients, so that a/(RT) = ln delta + phi + (terms of T alone):
//   IUPAC CO2:  phi = sum_ij a_ij/(i+1) W^(i+1) Y^j, W = delta - 1, Y = Tc/T - 1;
//   IUPAC CH4:  phi = sum_k c_k(tau) W^k + sum_k D_2k(tau) S_2k(W), W = delta;
//   nitrogen (Span et al. 2000): the 36 terms of `JacobsenRes1`.
// The -ln V of the IUPAC terms is ln delta less a constant.
#include "fluid/ResidualInDelta.h"
#include "gases/IUPAC.h"
#include "gases/IUPAC1.h"
#include "gases/JacobsenRes1.h"

template <class R>
DeltaJet<R> iupacCO2ResidualInDelta(R delta, R tau) {
    using J = DeltaJet<R>;
    const J W = J::variable(delta) - 1;
    const R Y = tau - 1;
    J phi, Wi = W;
    for (int i = 0; i < IUPAC::kRowLength[0]; ++i, Wi = Wi * W) {
        // The coefficient of W^(i+1): the column i of the table over the powers of Y.
        R c = 0, Yj = 1;
        for (int j = 0; j < 7; ++j, Yj *= Y) {
            if (i >= IUPAC::kRowLength[j]) break;
            int at = i;
            for (int r = 0; r < j; ++r) at += IUPAC::kRowLength[r];
            c += static_cast<R>(IUPAC::kCoefficients[at] / (i + 1)) * Yj;
        }
        phi += c * Wi;
    }
    return phi;
}

template <class R>
DeltaJet<R> iupacCH4ResidualInDelta(R delta, R tau) {
    using J = DeltaJet<R>;
    using M = IUPAC1;
    const R t2 = tau * tau, t3 = t2 * tau, t4 = t3 * tau, t5 = t4 * tau;
    const R powers[6] = {std::sqrt(tau), tau, t2, t3, t4, t5};  // tau^0.5, tau^1 .. tau^5
    // The rows of the model's table: c_k(tau) with the model's weights (1/k
    // in double, as the model has them), then D_0 .. D_10.
    R row[M::kTauRows];
    for (int q = 0; q < M::kTauRows; ++q) {
        const M::TauRow& r = M::kTau[q];
        R s = 0;
        for (int i = 0; i < r.parts; ++i) s += r.c[i] * powers[r.power[i]];
        row[q] = r.weight * (s + r.constant);
    }
    const J W = J::variable(delta), W2 = W * W;
    J phi, Wk = W;
    for (int k = 1; k <= 8; ++k, Wk = Wk * W) phi += row[k - 1] * Wk;
    // S_0 = -exp(-gamma W^2)/(2 gamma), S_2k = Y_2k S_0 with Y_0 = 1 and
    // Y_2k = W^2k + (k/gamma) Y_2(k-1).
    const J S0 = (-0.5 / M::kGamma) * exp(-(M::kGamma * W2));
    J Y = J::constant(1), W2k = J::constant(1);
    for (int k = 0; k <= 5; ++k) {
        if (k > 0) {
            W2k = W2k * W2;
            Y = W2k + static_cast<R>(k / M::kGamma) * Y;
        }
        phi += row[8 + k] * (Y * S0);
    }
    return phi;
}

template <class R>
DeltaJet<R> nitrogenResidualInDelta(R delta, R tau) {
    return reference_terms::inDelta<JacobsenRes1::kTerms>(delta, tau);
}
