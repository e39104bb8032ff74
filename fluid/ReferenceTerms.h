#pragma once
// The terms of the reference equations of state (IAPWS-95, Span et al.'s
// nitrogen, ...) as constexpr table rows, and their sum phi(delta) at one tau
// with its first three derivatives in delta, in any floating type (the long
// double evaluation the saturation expansions are fitted to).  The models
// evaluate the same tables as one leaf of T and V (fluid/SeparableResidual.h).
#include <cmath>

#include "fluid/ResidualInDelta.h"

namespace reference_terms {

// One term of a reference equation: n delta^d tau^t, times exp(-delta^c)
// when c > 0, or times exp(-alpha (delta - eps)^2 - beta (tau - gamma)^2)
// when alpha > 0 (a Gaussian bell-shaped term).
struct Term {
    double n;
    double t;
    int d;
    int c = 0;
    double alpha = 0.0, eps = 0.0, beta = 0.0, gamma = 0.0;

    constexpr bool gaussian() const { return alpha != 0.0; }
};

// sum n delta^d tau^t [exp(-delta^c) | exp(-alpha (delta - eps)^2 - beta (tau - gamma)^2)]
// over the table, with its derivatives in delta.
template <const auto& Terms, class R>
DeltaJet<R> inDelta(R delta, R tau) {
    using J = DeltaJet<R>;
    const J x = J::variable(delta);
    J phi;
    for (const Term& r : Terms) {
        J term = (r.n * std::pow(tau, static_cast<R>(r.t))) * powi(x, r.d);
        if (r.c > 0) {
            term = term * exp(-powi(x, r.c));
        } else if (r.gaussian()) {
            const J e = x - static_cast<R>(r.eps);
            const R y = tau - r.gamma;
            term = term * exp(-(r.alpha * (e * e)) - r.beta * y * y);
        }
        phi += term;
    }
    return phi;
}

}  // namespace reference_terms
