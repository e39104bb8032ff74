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
// (g and out may also be vectors of the compiler's, several functions of u
// at once, each lane the same operations.)
template <int K, class R, class U = R>
inline void composeEntries(const R* g, const U* u, R* out) {
    const U u1 = u[1];
    out[1] = g[1] * u1;
    if constexpr (K >= 2) {
        const U u2 = u[2];
        out[2] = g[1] * u2 + g[2] * u1 * u1;
        if constexpr (K >= 3) {
            const U u3 = u[3];
            out[3] = g[1] * u3 + 3 * g[2] * u1 * u2 + g[3] * u1 * u1 * u1;
            if constexpr (K >= 4) {
                const U u4 = u[4];
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
//
// powerFrom is the same for x > 0 from v = x^p computed by the caller (an
// integer power read from a table of the powers of x, each the one before
// times x, is the product above).
template <int K = 4, class R = double>
Jet<K, R> powerFrom(R c, R x, R p, R v) {
    Jet<K, R> j;
    R coef = c;
    const R r = 1 / x;
    for (int k = 0; k <= K; ++k) {
        j.f[k] = coef * v;
        coef *= p - k;
        v *= r;
    }
    return j;
}

template <int K = 4, class R = double>
Jet<K, R> power(R c, R x, R p) {
    if (x > 0 && std::isfinite(x)) {
        R v = 1;
        if (p == std::floor(p) && p >= 0 && p <= 64)
            for (int k = 0; k < static_cast<int>(p); ++k) v *= x;
        else if (2 * p == std::floor(2 * p) && std::fabs(p) <= 64)
            v = halfIntegerPower(x, p);
        else
            v = std::pow(x, p);
        return powerFrom<K, R>(c, x, p, v);
    }
    Jet<K, R> j;
    R coef = c;
    for (int k = 0; k <= K; ++k) {
        j.f[k] = coef == 0 ? R(0) : coef * std::pow(x, p - k);
        coef *= p - k;
    }
    return j;
}

// exp(a), a^p (a > 0, p real) and a^n (n >= 0, by products; a of any sign)
// of a function a of x.
template <int K, class R>
Jet<K, R> exp(const Jet<K, R>& a) {
    const R e = std::exp(a.f[0]);
    Jet<K, R> g;
#pragma GCC unroll 5
    for (R& gk : g.f) gk = e;
    return compose(g, a.f);
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

// b exp(c x) and its derivatives in x, each the one before times c.
template <int K = 4, class R = double>
Jet<K, R> exponential(R b, R c, R x) {
    Jet<K, R> j;
    j.f[0] = b * std::exp(c * x);
    for (int k = 1; k <= K; ++k) j.f[k] = c * j.f[k - 1];
    return j;
}

}  // namespace univariate

// Derivatives of functions of several variables at one multi-index: the entry
// of g(u) and of a u v with the indices i >= j >= k >= l, from the entries of
// u and v at the sub-multi-indices (u_i, u_ij, ...; u0, v0 the values).  The
// expression engine's kernels loop over the entries of its symmetric storage
// and take each entry's formula from here.
namespace multivariate {

// Faa di Bruno's formula over a multi-index, for g1 .. g4 the derivatives of g
// at u's value, staged by index: each stage holds the parts of the formula
// free of the indices still to come, so that a loop over i >= j >= k >= l
// computes each of them once per index.
//   (i)        g1 u_i
//   (i,j)      g1 u_ij + g2 u_i u_j
//   (i,j,k)    g1 u_ijk + g2 (u_i u_jk + u_j u_ik + u_ij u_k) + g3 u_i u_j u_k
//   (i,j,k,l)  g1 u_ijkl + g2 (u_ij u_kl + u_ik u_jl + u_jk u_il + u_ijk u_l + u_j u_ikl + u_k u_ijl
//              + u_i u_jkl) + g3 (u_i u_j u_kl + u_i u_k u_jl + u_j u_k u_il + (u_jk u_i + u_ik u_j
//              + u_ij u_k) u_l) + g4 u_i u_j u_k u_l
template <class R>
struct ChainI {
    R g1, g2, g3, g4, ui, g2ui, g3ui, g4ui;
    ChainI(R f1, R f2, R f3, R f4, R u_i)
        : g1(f1), g2(f2), g3(f3), g4(f4), ui(u_i), g2ui(f2 * u_i), g3ui(f3 * u_i), g4ui(f4 * u_i) {}
    R first() const { return g1 * ui; }
};

template <class R>
struct ChainIJ {
    const ChainI<R>& c;
    R uj, uij, g3uiuj, g4uiuj, g2uij, g3uij;
    ChainIJ(const ChainI<R>& ci, R u_j, R u_ij)
        : c(ci), uj(u_j), uij(u_ij), g3uiuj(ci.g3ui * u_j), g4uiuj(ci.g4ui * u_j), g2uij(ci.g2 * u_ij),
          g3uij(ci.g3 * u_ij) {}
    R second() const { return c.g1 * uij + c.g2ui * uj; }
};

template <class R>
struct ChainIJK {
    R g1, third;
    // The fourth-order parts free of l, each to be multiplied by the entry named.
    R Aul, Bujl, Cuil, Dukl, Euikl, Fuijl, Gujkl, Hukl, Iujl, Juil, Kul, Lul;
    ChainIJK(const ChainIJ<R>& p, R uk, R uik, R ujk, R uijk) {
        const ChainI<R>& c = p.c;
        const R ui = c.ui, uj = p.uj, g2 = c.g2, g3 = c.g3;
        g1 = c.g1;
        third = g1 * uijk + g2 * (ui * ujk + uj * uik) + p.g2uij * uk + p.g3uiuj * uk;
        Aul = g2 * uijk;
        Bujl = g2 * uik;
        Cuil = g2 * ujk;
        Dukl = p.g2uij;
        Euikl = g2 * uj;
        Fuijl = g2 * uk;
        Gujkl = c.g2ui;
        Hukl = p.g3uiuj;
        Iujl = c.g3ui * uk;
        Juil = g3 * uj * uk;
        Kul = g3 * (ujk * ui + uik * uj) + p.g3uij * uk;
        Lul = p.g4uiuj * uk;
    }
    R fourth(R ul, R uil, R ujl, R ukl, R uijl, R uikl, R ujkl, R uijkl) const {
        return g1 * uijkl + Dukl * ukl + Bujl * ujl + Cuil * uil + Aul * ul + Euikl * uikl + Fuijl * uijl +
               Gujkl * ujkl + Hukl * ukl + Iujl * ujl + Juil * uil + Kul * ul + Lul * ul;
    }
};

// Leibniz's rule over a multi-index: the entry of a u v, every splitting of
// the positions once, times a.
template <class R>
inline R productEntry(R a, R u0, R v0, R ui, R vi) {
    return a * (ui * v0 + u0 * vi);
}
template <class R>
inline R productEntry(R a, R u0, R v0, R ui, R vi, R uj, R vj, R uij, R vij) {
    return a * (uij * v0 + ui * vj + uj * vi + u0 * vij);
}
template <class R>
inline R productEntry(R a, R u0, R v0, R ui, R vi, R uj, R vj, R uk, R vk, R uij, R vij, R uik, R vik, R ujk,
                      R vjk, R uijk, R vijk) {
    return a * (uijk * v0 + uij * vk + uik * vj + ujk * vi + ui * vjk + uj * vik + uk * vij + u0 * vijk);
}
// The fourth order from u's and v's entries at the sixteen subsets of the
// positions (i, j, k, l), indexed by bit masks: bit 0 i, bit 1 j, bit 2 k,
// bit 3 l (u[0] the value, u[15] the entry (i, j, k, l)).
template <class R>
inline R productEntry4(R a, const R* u, const R* v) {
    return a * (u[15] * v[0] + u[0] * v[15] + u[7] * v[8] + u[11] * v[4] + u[13] * v[2] + u[14] * v[1] +
                u[1] * v[14] + u[2] * v[13] + u[4] * v[11] + u[8] * v[7] + u[3] * v[12] + u[5] * v[10] +
                u[9] * v[6] + u[6] * v[9] + u[10] * v[5] + u[12] * v[3]);
}

// The same entries of orders 1 and 2 with the weight taken into the factors:
// au = a u0, av = a v0, aui = a u_i, avi = a v_i.
template <class R>
inline R weightedProductEntry(R au, R av, R ui, R vi) {
    return ui * av + au * vi;
}
template <class R>
inline R weightedProductEntry(R au, R av, R aui, R avi, R uj, R vj, R uij, R vij) {
    return uij * av + aui * vj + avi * uj + au * vij;
}

// Leibniz's rule at a multi-index alpha over M variables (alpha[v] the count
// of variable v): calls term(beta, rest, w) for each beta <= alpha, rest =
// alpha - beta, w the product of the binomial coefficients C(alpha_v,
// beta_v); u's order |beta| falling, the betas of one order in mixed-radix
// order (variable 0 fastest).  The derivative of u v at alpha is the sum of
// w u_beta v_rest in that order.
template <int M, class Term>
constexpr void forEachSplitting(const int* alpha, Term term) {
    int L = 0;
    for (int v = 0; v < M; ++v) L += alpha[v];
    for (int k = L; k >= 0; --k) {
        int b[M] = {};
        for (;;) {
            int sum = 0;
            for (int v = 0; v < M; ++v) sum += b[v];
            if (sum == k) {
                int rest[M] = {};
                double w = 1.0;
                for (int v = 0; v < M; ++v) {
                    rest[v] = alpha[v] - b[v];
                    long long c = 1;
                    for (int i = 1; i <= b[v]; ++i) c = c * (alpha[v] - b[v] + i) / i;
                    w *= static_cast<double>(c);
                }
                term(static_cast<const int*>(b), static_cast<const int*>(rest), w);
            }
            int v = 0;
            while (v < M && b[v] == alpha[v]) b[v++] = 0;
            if (v == M) break;
            ++b[v];
        }
    }
}

}  // namespace multivariate
