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

// Derivatives in x of g(u(x)) from those of g in u (at u(x)) and u[0 .. K]
// of u in x (Faa di Bruno's formula).
template <int K, class R>
Jet<K, R> compose(const Jet<K, R>& g, const R* u) {
    Jet<K, R> j;
    j.f[0] = g.f[0];
    if constexpr (K >= 1) j.f[1] = g.f[1] * u[1];
    if constexpr (K >= 2) j.f[2] = g.f[2] * u[1] * u[1] + g.f[1] * u[2];
    if constexpr (K >= 3) j.f[3] = g.f[3] * u[1] * u[1] * u[1] + 3 * g.f[2] * u[1] * u[2] + g.f[1] * u[3];
    if constexpr (K >= 4) {
        const R u1 = u[1], u2 = u[2], u3 = u[3], u4 = u[4];
        j.f[4] = g.f[4] * u1 * u1 * u1 * u1 + 6 * g.f[3] * u1 * u1 * u2 + 3 * g.f[2] * u2 * u2 +
                 4 * g.f[2] * u1 * u3 + g.f[1] * u4;
    }
    return j;
}

template <int K, class R>
Jet<K, R> compose(const Jet<K, R>& g, const Jet<K, R>& u) {
    return compose(g, u.f);
}

// Derivatives of the product of two functions of x (Leibniz's rule).
template <int K, class R>
Jet<K, R> product(const Jet<K, R>& p, const Jet<K, R>& q) {
    const R *a = p.f, *b = q.f;
    Jet<K, R> j;
    j.f[0] = a[0] * b[0];
    if constexpr (K >= 1) j.f[1] = a[1] * b[0] + a[0] * b[1];
    if constexpr (K >= 2) j.f[2] = a[2] * b[0] + 2 * a[1] * b[1] + a[0] * b[2];
    if constexpr (K >= 3) j.f[3] = a[3] * b[0] + 3 * (a[2] * b[1] + a[1] * b[2]) + a[0] * b[3];
    if constexpr (K >= 4) j.f[4] = a[4] * b[0] + 4 * (a[3] * b[1] + a[1] * b[3]) + 6 * a[2] * b[2] + a[0] * b[4];
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
