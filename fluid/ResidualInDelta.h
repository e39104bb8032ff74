#pragma once
// A reduced residual Helmholtz energy phi(delta) at one temperature with its
// first three derivatives in delta, carried through the arithmetic in any
// floating type, and the liquid-vapour equilibrium and the density at a
// given pressure solved from it.
//
// At fixed T the equilibrium needs nothing else: with a/(RT) = ln delta +
// phi(delta) + (terms of T alone), equal pressure and equal Gibbs energy are
//   delta (1 + delta phi_d)            equal in both phases,
//   ln delta + phi + delta phi_d       equal in both phases.
// In long double (a 64-bit significand) the equilibrium near the critical
// point, where the isotherm flattens and double rounding moves the coexisting
// volumes by up to 1e-9, is resolved about 2000 times more finely.
#include <cmath>

#include "numerics/Jet.h"

// phi with its first three derivatives in delta: f[0] .. f[3] (numerics/Jet.h,
// whose arithmetic, exp, pow and powi it carries through).
template <class R>
using DeltaJet = univariate::Jet<3, R>;

// The coexisting reduced densities dl > dv at one temperature, from start
// values (replaced): Newton steps on the two conditions above while the
// steps shrink, or (where `converged` is given) until one is smaller than
// it: Newton's next one, about its square, would be lost in rounding.
// `phi` gives a jet of phi at delta (DeltaJet, or any jet with at least the
// first two derivatives).  Returns the relative size of the last step
// (HUGE_VAL-like when none was taken or the phases merged); callers compare
// it with their tolerance.
template <class R, class Phi>
R solveCoexistenceInDelta(const Phi& phi, R& dl, R& dv, R converged = 0) {
    R last = HUGE_VALL;
    for (int k = 0; k < 60; ++k) {
        const auto l = phi(dl), v = phi(dv);
        const R pl = dl + dl * dl * l.f[1], pv = dv + dv * dv * v.f[1];
        const R gl = std::log(dl) + l.f[0] + dl * l.f[1], gv = std::log(dv) + v.f[0] + dv * v.f[1];
        // d(p)/d(delta) = delta d(g)/d(delta) = 1 + 2 delta phi_d + delta^2 phi_dd
        const R kl = 1 + 2 * dl * l.f[1] + dl * dl * l.f[2], kv = 1 + 2 * dv * v.f[1] + dv * dv * v.f[2];
        const R det = kl * kv * (dv - dl) / (dl * dv);
        const R stepL = ((pl - pv) * kv / dv - (gl - gv) * kv) / det;
        const R stepV = ((pl - pv) * kl / dl - (gl - gv) * kl) / det;
        const R size = std::fmax(std::fabs(stepL / dl), std::fabs(stepV / dv));
        if (!(size < last)) break;
        last = size;
        dl += stepL;
        dv += stepV;
        if (size < converged) break;
    }
    return dl > dv ? last : HUGE_VALL;
}

// The root delta of the reduced pressure delta (1 + delta phi_d) = pr on
// one mechanically stable branch of the isotherm, from a start on it
// (replaced): Newton steps kept within the bracket lo < delta < hi (a bound
// not yet known: NaN; each point reached narrows it), a bisection where a
// step would leave it or the residual falls by less than half, and a step
// at most doubling or halving delta while a bound is unknown.  It ends when
// a step or the bracket comes within `tolerance` (relative).  False where
// the slope 1 + 2 delta phi_d + delta^2 phi_dd is not positive at a point
// reached (the search left its branch) or after 200 steps.
template <class R, class Phi>
bool solvePressureInDelta(const Phi& phi, R pr, R& delta, R lo, R hi, R tolerance) {
    R x = delta, lastF = HUGE_VALL;
    for (int k = 0; k < 200; ++k) {
        const auto j = phi(x);
        const R F = x * (1 + x * j.f[1]) - pr, slope = 1 + 2 * x * j.f[1] + x * x * j.f[2];
        if (!(slope > 0)) return false;
        if (F == 0) break;
        (F < 0 ? lo : hi) = x;
        const bool bracketed = std::isfinite(lo) && std::isfinite(hi);
        R next = x - F / slope;
        if (bracketed && (!(next > lo && next < hi) || std::fabs(F) > lastF / 2)) next = (lo + hi) / 2;
        if (!bracketed) next = std::fmin(std::fmax(next, x / 2), 2 * x);
        lastF = std::fabs(F);
        const bool done = std::fabs(next - x) <= tolerance * x || (bracketed && hi - lo <= tolerance * hi);
        x = next;
        if (done) break;
        if (k == 199) return false;
    }
    delta = x;
    return true;
}

// The critical point of phi(delta, tau): the isotherm's slope and curvature
//   p_d  = 1 + 2 delta phi_d + delta^2 phi_dd                  (p_d = d(p / (rho_c R T))/d(delta))
//   p_dd = 2 phi_d + 4 delta phi_dd + delta^2 phi_ddd
// both zero.  From (tau, delta) near it (replaced): at each tau the inflection
// of the isotherm (p_dd = 0, secant steps in delta), and tau by secant steps
// on the slope there, each while its steps shrink.  False when the steps do
// not come below `tolerance` (relative).
template <class R, class Phi>
bool solveCriticalPointInDelta(const Phi& phi, R& tau, R& delta, R tolerance) {
    auto secant = [](auto&& f, R& x, R h) {
        R x0 = x, f0 = f(x0), x1 = x * (1 + h), f1 = f(x1), last = HUGE_VALL;
        for (int k = 0; k < 100 && f1 != f0; ++k) {
            const R step = -f1 * (x1 - x0) / (f1 - f0);
            if (!(std::fabs(step / x1) < last)) break;
            last = std::fabs(step / x1);
            x0 = x1;
            f0 = f1;
            x1 += step;
            f1 = f(x1);
        }
        x = x1;
        return last;
    };
    R inflection = delta, innerLast = 0;
    auto slopeAtInflection = [&](R t) {
        auto curvature = [&](R d) {
            const DeltaJet<R> j = phi(d, t);
            return 2 * j.f[1] + 4 * d * j.f[2] + d * d * j.f[3];
        };
        innerLast = secant(curvature, inflection, static_cast<R>(1e-4));
        const DeltaJet<R> j = phi(inflection, t);
        return 1 + 2 * inflection * j.f[1] + inflection * inflection * j.f[2];
    };
    const R outerLast = secant(slopeAtInflection, tau, static_cast<R>(1e-6));
    slopeAtInflection(tau);
    delta = inflection;
    return outerLast < tolerance && innerLast < tolerance;
}
