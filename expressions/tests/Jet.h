#pragma once
// Truncated multivariate Taylor polynomials ("jets") of total degree 4: an
// oracle for the expression engine that shares none of its code.  A jet holds
// the Taylor coefficients c[alpha] of a function around a point for every
// multi-index alpha with |alpha| <= 4; sums and products are those of
// polynomials truncated at degree 4, and a function of a jet is composed from
// its univariate Taylor series.  A derivative is c[alpha] * alpha!.
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

namespace jet {

constexpr int kDeg = 4;
constexpr int kMaxVars = 8;

struct Space {
    int n = 0;
    std::vector<std::array<int, kMaxVars>> mono;  // exponents of each monomial
    std::vector<int> degree;
    std::map<std::array<int, kMaxVars>, int> index;
    std::vector<std::array<int, 3>> products;  // (p, q, r): mono p * mono q = mono r

    explicit Space(int nvars) : n(nvars) {
        std::array<int, kMaxVars> a{};
        enumerate(a, 0, 0);
        for (std::size_t p = 0; p < mono.size(); ++p)
            for (std::size_t q = 0; q < mono.size(); ++q) {
                if (degree[p] + degree[q] > kDeg) continue;
                std::array<int, kMaxVars> s{};
                for (int v = 0; v < n; ++v) s[v] = mono[p][v] + mono[q][v];
                products.push_back({static_cast<int>(p), static_cast<int>(q), index.at(s)});
            }
    }
    void enumerate(std::array<int, kMaxVars>& a, int v, int deg) {
        if (v == n) {
            index[a] = static_cast<int>(mono.size());
            mono.push_back(a);
            degree.push_back(deg);
            return;
        }
        for (int e = 0; deg + e <= kDeg; ++e) {
            a[v] = e;
            enumerate(a, v + 1, deg + e);
        }
        a[v] = 0;
    }
    int size() const { return static_cast<int>(mono.size()); }
};

struct Jet {
    const Space* s = nullptr;
    std::vector<double> c;

    Jet() = default;
    explicit Jet(const Space& sp, double value = 0.0) : s(&sp), c(sp.size(), 0.0) { c[0] = value; }

    static Jet variable(const Space& sp, int v, double x0) {
        Jet j(sp, x0);
        std::array<int, kMaxVars> a{};
        a[v] = 1;
        j.c[sp.index.at(a)] = 1.0;
        return j;
    }
    double value() const { return c[0]; }

    // The derivative with respect to the listed variables (any order, repeats allowed).
    double deriv(std::initializer_list<int> vars) const {
        std::array<int, kMaxVars> a{};
        for (int v : vars) ++a[v];
        double f = 1.0;
        for (int v = 0; v < s->n; ++v)
            for (int k = 2; k <= a[v]; ++k) f *= k;
        return c[s->index.at(a)] * f;
    }

    friend Jet operator+(const Jet& a, const Jet& b) {
        Jet r(*a.s);
        for (std::size_t i = 0; i < r.c.size(); ++i) r.c[i] = a.c[i] + b.c[i];
        return r;
    }
    friend Jet operator*(double k, const Jet& a) {
        Jet r(*a.s);
        for (std::size_t i = 0; i < r.c.size(); ++i) r.c[i] = k * a.c[i];
        return r;
    }
    friend Jet operator*(const Jet& a, const Jet& b) {
        Jet r(*a.s);
        for (const auto& t : a.s->products) r.c[t[2]] += a.c[t[0]] * b.c[t[1]];
        return r;
    }
    Jet plus(double k) const {
        Jet r = *this;
        r.c[0] += k;
        return r;
    }

    // g(this) with g given by its Taylor coefficients g[k] = g^(k)(x0)/k! at x0 = value().
    Jet compose(const std::array<double, kDeg + 1>& g) const {
        Jet d = *this;
        d.c[0] = 0.0;
        Jet r(*s, g[0]);
        Jet p(*s, 1.0);
        for (int k = 1; k <= kDeg; ++k) {
            p = p * d;
            r = r + g[k] * p;
        }
        return r;
    }
};

// Taylor coefficients of elementary functions at x0.
inline std::array<double, kDeg + 1> seriesExp(double c, double x0) {
    std::array<double, kDeg + 1> g{};
    double e = std::exp(c * x0), ck = 1.0, fact = 1.0;
    for (int k = 0; k <= kDeg; ++k) {
        if (k) ck *= c, fact *= k;
        g[k] = e * ck / fact;
    }
    return g;
}
inline std::array<double, kDeg + 1> seriesLog(double x0) {  // ln(x0 + t)
    std::array<double, kDeg + 1> g{};
    g[0] = std::log(x0);
    for (int k = 1; k <= kDeg; ++k) g[k] = ((k % 2) ? 1.0 : -1.0) / (k * std::pow(x0, k));
    return g;
}
inline std::array<double, kDeg + 1> seriesPow(double p, double x0) {  // (x0 + t)^p, x0 > 0 or p integer
    std::array<double, kDeg + 1> g{};
    double binom = 1.0;
    for (int k = 0; k <= kDeg; ++k) {
        if (k) binom *= (p - (k - 1)) / k;
        g[k] = binom * std::pow(x0, p - k);
    }
    return g;
}
inline std::array<double, kDeg + 1> seriesPowOdd(double p, double x0) {  // sign(x)|x|^p
    if (x0 > 0) return seriesPow(p, x0);
    std::array<double, kDeg + 1> g{};
    double binom = 1.0;
    for (int k = 0; k <= kDeg; ++k) {
        if (k) binom *= (p - (k - 1)) / k;
        g[k] = -binom * std::pow(-x0, p - k) * ((k % 2) ? -1.0 : 1.0);
    }
    return g;
}
inline std::array<double, kDeg + 1> seriesInverse(double x0) {  // 1/(x0 + t)
    std::array<double, kDeg + 1> g{};
    for (int k = 0; k <= kDeg; ++k) g[k] = ((k % 2) ? -1.0 : 1.0) / std::pow(x0, k + 1);
    return g;
}

}  // namespace jet

namespace jet {

// A jet with its majorant: the same computation done on absolute values (of
// the point, the coefficients and the series), which bounds the magnitude of
// every term that a floating-point evaluation adds up.  The rounding error of
// an entry is a small multiple of the machine epsilon times its majorant.
struct MJet {
    Jet v, m;

    MJet() = default;
    explicit MJet(const Space& s, double c = 0.0) : v(s, c), m(s, std::fabs(c)) {}
    static MJet variable(const Space& s, int i, double x0) {
        MJet r;
        r.v = Jet::variable(s, i, x0);
        r.m = Jet::variable(s, i, std::fabs(x0));
        return r;
    }
    double value() const { return v.value(); }
    MJet plus(double k) const {
        MJet r;
        r.v = v.plus(k);
        r.m = m.plus(std::fabs(k));
        return r;
    }
    MJet compose(const std::array<double, kDeg + 1>& g) const {
        std::array<double, kDeg + 1> ga{};
        for (int k = 0; k <= kDeg; ++k) ga[k] = std::fabs(g[k]);
        MJet r;
        r.v = v.compose(g);
        r.m = m.compose(ga);
        return r;
    }
    friend MJet operator+(const MJet& a, const MJet& b) {
        MJet r;
        r.v = a.v + b.v;
        r.m = a.m + b.m;
        return r;
    }
    friend MJet operator*(double k, const MJet& a) {
        MJet r;
        r.v = k * a.v;
        r.m = std::fabs(k) * a.m;
        return r;
    }
    friend MJet operator*(const MJet& a, const MJet& b) {
        MJet r;
        r.v = a.v * b.v;
        r.m = a.m * b.m;
        return r;
    }
};

}  // namespace jet
