#pragma once
// A reduced residual Helmholtz energy phi(delta) at one temperature with its
// first two derivatives in delta, carried through the arithmetic in any
// floating type, and the liquid-vapour equilibrium solved from it.
//
// At fixed T the equilibrium needs nothing else: with a/(RT) = ln delta +
// phi(delta) + (terms of T alone), equal pressure and equal Gibbs energy are
//   delta (1 + delta phi_d)            equal in both phases,
//   ln delta + phi + delta phi_d       equal in both phases.
// In long double (a 64-bit significand) the equilibrium near the critical
// point, where the isotherm flattens and double rounding moves the coexisting
// volumes by up to 1e-9, is resolved about 2000 times more finely.
#include <cmath>

template <class R>
struct DeltaJet {
    R f = 0, d = 0, dd = 0;  // value, d/d(delta), d2/d(delta)2

    static DeltaJet variable(R x) { return {x, 1, 0}; }
    static DeltaJet constant(R c) { return {c, 0, 0}; }

    DeltaJet& operator+=(const DeltaJet& o) {
        f += o.f;
        d += o.d;
        dd += o.dd;
        return *this;
    }
    friend DeltaJet operator+(DeltaJet a, const DeltaJet& b) { return a += b; }
    friend DeltaJet operator+(DeltaJet a, R c) { return {a.f + c, a.d, a.dd}; }
    friend DeltaJet operator-(DeltaJet a, R c) { return {a.f - c, a.d, a.dd}; }
    friend DeltaJet operator-(const DeltaJet& a) { return {-a.f, -a.d, -a.dd}; }
    friend DeltaJet operator*(const DeltaJet& a, const DeltaJet& b) {
        return {a.f * b.f, a.d * b.f + a.f * b.d, a.dd * b.f + 2 * a.d * b.d + a.f * b.dd};
    }
    friend DeltaJet operator*(R c, const DeltaJet& a) { return {c * a.f, c * a.d, c * a.dd}; }
};

template <class R>
DeltaJet<R> exp(const DeltaJet<R>& a) {
    const R e = std::exp(a.f);
    return {e, e * a.d, e * (a.dd + a.d * a.d)};
}

// a^p for a > 0.
template <class R>
DeltaJet<R> pow(const DeltaJet<R>& a, R p) {
    const R v = std::pow(a.f, p), q = p * v / a.f;
    return {v, q * a.d, q * (a.dd + (p - 1) / a.f * a.d * a.d)};
}

// a^n, n >= 0, by products (a may be negative).
template <class R>
DeltaJet<R> powi(const DeltaJet<R>& a, int n) {
    DeltaJet<R> r = DeltaJet<R>::constant(1);
    for (int k = 0; k < n; ++k) r = r * a;
    return r;
}

// The coexisting reduced densities dl > dv at one temperature, from start
// values (replaced): Newton steps on the two conditions above while the
// steps shrink.  Returns the relative size of the last step (HUGE_VAL-like
// when none was taken or the phases merged); callers compare it with their
// tolerance.
template <class R, class Phi>
R solveCoexistenceInDelta(const Phi& phi, R& dl, R& dv) {
    R last = HUGE_VALL;
    for (int k = 0; k < 60; ++k) {
        const DeltaJet<R> l = phi(dl), v = phi(dv);
        const R pl = dl + dl * dl * l.d, pv = dv + dv * dv * v.d;
        const R gl = std::log(dl) + l.f + dl * l.d, gv = std::log(dv) + v.f + dv * v.d;
        // d(p)/d(delta) = delta d(g)/d(delta) = 1 + 2 delta phi_d + delta^2 phi_dd
        const R kl = 1 + 2 * dl * l.d + dl * dl * l.dd, kv = 1 + 2 * dv * v.d + dv * dv * v.dd;
        const R det = kl * kv * (dv - dl) / (dl * dv);
        const R stepL = ((pl - pv) * kv / dv - (gl - gv) * kv) / det;
        const R stepV = ((pl - pv) * kl / dl - (gl - gv) * kl) / det;
        const R size = std::fmax(std::fabs(stepL / dl), std::fabs(stepV / dv));
        if (!(size < last)) break;
        last = size;
        dl += stepL;
        dv += stepV;
    }
    return dl > dv ? last : HUGE_VALL;
}
