#pragma once
// Derivatives of functions of one variable to a fixed order K <= 4: a value
// and its first K derivatives (a jet), carried through sums, products
// (Leibniz's rule), compositions (Faa di Bruno's formula), exp and powers, in
// any floating type.  The models' leaves write their values and derivatives
// from such jets, and the saturation and critical-point solvers evaluate the
// residual Helmholtz energies in delta with them.
#include <cmath>

namespace univariate {

template <int K, class R>
struct Jet;
template <int K, class R>
Jet<K, R> product(const Jet<K, R>& p, const Jet<K, R>& q);

// Value f[0] and derivatives f[1] .. f[K] of one function of one variable.
template <int K, class R = double>
struct Jet {
    static_assert(K >= 0 && K <= 4, "jets to the fourth order");
    R f[K + 1] = {};

    // The variable x itself, and a constant.
    static Jet variable(R x) {
        Jet j;
        j.f[0] = x;
        if constexpr (K >= 1) j.f[1] = 1;
        return j;
    }
    static Jet constant(R c) {
        Jet j;
        j.f[0] = c;
        return j;
    }

    Jet& operator+=(const Jet& o) {
        for (int k = 0; k <= K; ++k) f[k] += o.f[k];
        return *this;
    }
    Jet& operator*=(R c) {
        for (int k = 0; k <= K; ++k) f[k] *= c;
        return *this;
    }

    // Arithmetic of functions of one variable (products by Leibniz's rule).
    friend Jet operator+(Jet a, const Jet& b) { return a += b; }
    friend Jet operator+(Jet a, R c) {
        a.f[0] += c;
        return a;
    }
    friend Jet operator-(Jet a, R c) {
        a.f[0] -= c;
        return a;
    }
    friend Jet operator-(Jet a) { return a *= R(-1); }
    friend Jet operator*(R c, Jet a) { return a *= c; }
    friend Jet operator*(const Jet& a, const Jet& b) { return product(a, b); }
};

// The derivatives 1 .. K in x of g(u(x)), out[1 .. K], from those of g in u
// (g[1 .. K], at u(x)) and those of u in x (u[1 .. K]): Faa di Bruno's
// formula.  The expression engine's one-variable kernels use it as it stands.
template <int K, class R>
inline void composeEntries(const R* g, const R* u, R* out) {
    const R u1 = u[1];
    out[1] = g[1] * u1;
    if constexpr (K >= 2) {
        const R u2 = u[2];
        out[2] = g[1] * u2 + g[2] * u1 * u1;
        if constexpr (K >= 3) {
            const R u3 = u[3];
            out[3] = g[1] * u3 + 3 * g[2] * u1 * u2 + g[3] * u1 * u1 * u1;
            if constexpr (K >= 4) {
                const R u4 = u[4];
                out[4] = g[1] * u4 + 4 * g[2] * u1 * u3 + 3 * g[2] * u2 * u2 + 6 * g[3] * u1 * u1 * u2 +
                         g[4] * u1 * u1 * u1 * u1;
            }
        }
    }
}

// The derivatives 1 .. K of a u(x) v(x), out[1 .. K], from those of u and v
// (u[0 .. K], v[0 .. K]): Leibniz's rule, as the engine's kernels use it.
template <int K, class R>
inline void productEntries(R a, const R* u, const R* v, R* out) {
    const R u0 = u[0], v0 = v[0], u1 = u[1], v1 = v[1];
    out[1] = a * (u1 * v0 + u0 * v1);
    if constexpr (K >= 2) {
        const R u2 = u[2], v2 = v[2];
        out[2] = a * (u2 * v0 + 2 * u1 * v1 + u0 * v2);
        if constexpr (K >= 3) {
            const R u3 = u[3], v3 = v[3];
            out[3] = a * (u3 * v0 + 3 * u2 * v1 + 3 * u1 * v2 + u0 * v3);
            if constexpr (K >= 4) {
                const R u4 = u[4], v4 = v[4];
                out[4] = a * (u4 * v0 + 4 * u3 * v1 + 6 * u2 * v2 + 4 * u1 * v3 + u0 * v4);
            }
        }
    }
}

// Derivatives in x of g(u(x)) from those of g in u (at u(x)) and u[0 .. K]
// of u in x (Faa di Bruno's formula).
template <int K, class R>
Jet<K, R> compose(const Jet<K, R>& g, const R* u) {
    Jet<K, R> j;
    j.f[0] = g.f[0];
    if constexpr (K >= 1) composeEntries<K>(g.f, u, j.f);
    return j;
}

template <int K, class R>
Jet<K, R> compose(const Jet<K, R>& g, const Jet<K, R>& u) {
    return compose(g, u.f);
}

// Derivatives of the product of two functions of x (Leibniz's rule).
template <int K, class R>
Jet<K, R> product(const Jet<K, R>& p, const Jet<K, R>& q) {
    Jet<K, R> j;
    j.f[0] = p.f[0] * q.f[0];
    if constexpr (K >= 1) productEntries<K>(R(1), p.f, q.f, j.f);
    return j;
}

// Derivatives in x of exp(u(x)) from those of u.
template <int K, class R>
Jet<K, R> exponential(const Jet<K, R>& u) {
    const R e = std::exp(u.f[0]);
    Jet<K, R> g;
#pragma GCC unroll 5
    for (R& gk : g.f) gk = e;
    return compose(g, u.f);
}

// x^p for x > 0 and an exponent p with 2p an integer, |p| <= 64: by
// multiplication (binary powers) and one square root.
template <class R>
R halfIntegerPower(R x, R p) {
    const long n = static_cast<long>(std::floor(p));
    unsigned long e = static_cast<unsigned long>(n < 0 ? -n : n);
    R r = 1, b = n < 0 ? 1 / x : x;
    while (e) {
        if (e & 1u) r *= b;
        e >>= 1;
        if (e) b *= b;
    }
    return p != n ? r * std::sqrt(x) : r;
}

// c x^p for a real p, with its derivatives in x.  For x > 0 one power gives
// them all, x^(p-k) = x^p / x^k (an integer p in [0, 64] by products, other
// integer and half-integer exponents by halfIntegerPower); at
// x = 0, for x < 0 or x not finite each is its own power, so that at 0 each
// is its limit: zero below the order p (a vanishing coefficient, an integer
// exponent differentiated past its degree, gives 0, not 0 times infinity),
// infinite above it.
template <int K = 4, class R = double>
Jet<K, R> power(R c, R x, R p) {
    Jet<K, R> j;
    R coef = c;
    if (x > 0 && std::isfinite(x)) {
        R v = 1;
        if (p == std::floor(p) && p >= 0 && p <= 64)
            for (int k = 0; k < static_cast<int>(p); ++k) v *= x;
        else if (2 * p == std::floor(2 * p) && std::fabs(p) <= 64)
            v = halfIntegerPower(x, p);
        else
            v = std::pow(x, p);
        const R r = 1 / x;
        for (int k = 0; k <= K; ++k) {
            j.f[k] = coef * v;
            coef *= p - k;
            v *= r;
        }
    } else {
        for (int k = 0; k <= K; ++k) {
            j.f[k] = coef == 0 ? R(0) : coef * std::pow(x, p - k);
            coef *= p - k;
        }
    }
    return j;
}

// exp(a), a^p (a > 0, p real) and a^n (n >= 0, by products; a of any sign)
// of a function a of x.
template <int K, class R>
Jet<K, R> exp(const Jet<K, R>& a) {
    return exponential(a);
}

template <int K, class R>
Jet<K, R> pow(const Jet<K, R>& a, R p) {
    return compose(power<K, R>(R(1), a.f[0], p), a);
}

template <int K, class R>
Jet<K, R> powi(const Jet<K, R>& a, int n) {
    Jet<K, R> r = Jet<K, R>::constant(1);
    for (int k = 0; k < n; ++k) r = r * a;
    return r;
}

// c x^p ln x (p real): d^k = x^(p-k) (a_k ln x + b_k) with
// a_{k+1} = (p - k) a_k and b_{k+1} = (p - k) b_k + a_k.
template <int K = 4, class R = double>
Jet<K, R> powerLog(R c, R x, R p) {
    Jet<K, R> j;
    const R lx = std::log(x);
    R a = 1, b = 0;
    for (int k = 0; k <= K; ++k) {
        j.f[k] = c * std::pow(x, p - k) * (a * lx + b);
        const R an = (p - k) * a;
        b = (p - k) * b + a;
        a = an;
    }
    return j;
}

// c ln x.
template <int K = 4, class R = double>
Jet<K, R> logarithm(R c, R x) {
    Jet<K, R> j;
    j.f[0] = c * std::log(x);
    if constexpr (K >= 1) j.f[1] = c / x;
    if constexpr (K >= 2) j.f[2] = -c / (x * x);
    if constexpr (K >= 3) j.f[3] = 2 * c / (x * x * x);
    if constexpr (K >= 4) j.f[4] = -6 * c / (x * x * x * x);
    return j;
}

// Derivatives in x of g(s x) from those in s (the chain rule for a linear scale).
template <int K, class R>
Jet<K, R> scaled(Jet<K, R> j, R s) {
    R sk = 1;
    for (int k = 0; k <= K; ++k) {
        j.f[k] *= sk;
        sk *= s;
    }
    return j;
}

}  // namespace univariate
