#pragma once
// Closed forms of a binary van der Waals mixture with a = (x0 sqrt(a0) +
// x1 sqrt(a1))^2 (a01 = sqrt(a0 a1)) and b = x0 b0 + x1 b1, written
// independently of the fluid framework: the Helmholtz energy
//     A = -RT ln(V - b) - a/V + RT (x0 ln x0 + x1 ln x1)   (+ terms linear in x)
// and its derivatives in x = x1 and V, the pressure and the fugacities, and
// the exact coexistence of a pure van der Waals fluid (Lekner, Am. J. Phys.
// 50 (1982) 161).
#include <cmath>

struct VdWMixture {
    static constexpr double R = 8.31434;
    double a0, a1, b0, b1;

    double s0() const { return std::sqrt(a0); }
    double ds() const { return std::sqrt(a1) - std::sqrt(a0); }
    double a(double x) const { return (s0() + x * ds()) * (s0() + x * ds()); }
    double a1x(double x) const { return 2.0 * ds() * (s0() + x * ds()); }
    double a2x() const { return 2.0 * ds() * ds(); }
    double b(double x) const { return b0 + x * (b1 - b0); }
    double db() const { return b1 - b0; }

    double P(double T, double V, double x) const { return R * T / (V - b(x)) - a(x) / (V * V); }

    // The derivatives of A entering the critical conditions.
    struct Set {
        double xx, xV, VV, xxx, xxV, xVV, VVV, xxxx, xxxV, xxVV, xVVV, VVVV;
    };
    Set derivatives(double T, double V, double x) const {
        const double RT = R * T, u = V - b(x), d = db(), ap = a1x(x), app = a2x(), A = a(x);
        const double y = 1.0 - x;
        Set s;
        s.VV = RT / (u * u) - 2.0 * A / (V * V * V);
        s.VVV = -2.0 * RT / (u * u * u) + 6.0 * A / (V * V * V * V);
        s.VVVV = 6.0 * RT / (u * u * u * u) - 24.0 * A / (V * V * V * V * V);
        s.xV = -RT * d / (u * u) + ap / (V * V);
        s.xVV = 2.0 * RT * d / (u * u * u) - 2.0 * ap / (V * V * V);
        s.xVVV = -6.0 * RT * d / (u * u * u * u) + 6.0 * ap / (V * V * V * V);
        s.xxV = -2.0 * RT * d * d / (u * u * u) + app / (V * V);
        s.xxVV = 6.0 * RT * d * d / (u * u * u * u) - 2.0 * app / (V * V * V);
        s.xxxV = -6.0 * RT * d * d * d / (u * u * u * u);
        s.xx = RT * d * d / (u * u) - app / V + RT * (1.0 / x + 1.0 / y);
        s.xxx = 2.0 * RT * d * d * d / (u * u * u) + RT * (-1.0 / (x * x) + 1.0 / (y * y));
        s.xxxx = 6.0 * RT * d * d * d * d / (u * u * u * u) + 2.0 * RT * (1.0 / (x * x * x) + 1.0 / (y * y * y));
        return s;
    }
    static double spinodal(const Set& s) { return s.VV * s.xx - s.xV * s.xV; }
    static double thirdAlongNull(const Set& s) {
        const double r = s.xV / s.VV;
        return s.xxx - 3.0 * r * s.xxV + 3.0 * r * r * s.xVV - r * r * r * s.VVV;
    }
    static double stability(const Set& s) {
        const double r = s.xV / s.VV;
        const double w = s.xxV - 2.0 * r * s.xVV + r * r * s.VVV;
        const double a4 = s.xxxx - 4.0 * r * s.xxxV + 6.0 * r * r * s.xxVV - 4.0 * r * r * r * s.xVVV +
                          r * r * r * r * s.VVVV;
        return a4 - 3.0 * w * w / s.VV;
    }

    // Spinodal temperature at (V, x): every second derivative is alpha T +
    // beta, so A_VV A_xx - A_xV^2 is a quadratic in T with a positive leading
    // coefficient; the stability limit is its larger root.
    double spinodalT(double V, double x) const {
        const Set s1 = derivatives(1.0, V, x), s0 = derivatives(0.0, V, x);
        const double avv = s1.VV - s0.VV, bvv = s0.VV, axx = s1.xx - s0.xx, bxx = s0.xx, axv = s1.xV - s0.xV,
                     bxv = s0.xV;
        const double qa = avv * axx - axv * axv, qb = avv * bxx + bvv * axx - 2.0 * axv * bxv,
                     qc = bvv * bxx - bxv * bxv;
        const double disc = qb * qb - 4.0 * qa * qc;
        if (disc < 0) return NAN;
        return (-qb + std::sqrt(disc)) / (2.0 * qa);
    }

    // Critical point at composition x: along the spinodal T(V) the third
    // derivative along the null direction changes sign at Vc; bisection in V
    // from near 3 b, where the pure fluids have theirs.
    struct Critical {
        double T, V, P;
    };
    Critical critical(double x) const {
        auto g = [&](double V) { return thirdAlongNull(derivatives(spinodalT(V, x), V, x)); };
        double lo = 2.0 * b(x), hi = 5.0 * b(x);
        double glo = g(lo);
        for (int i = 0; i < 200; i++) {
            const double mid = 0.5 * (lo + hi), gm = g(mid);
            if ((gm < 0) == (glo < 0)) {
                lo = mid;
                glo = gm;
            } else {
                hi = mid;
            }
        }
        const double V = 0.5 * (lo + hi), T = spinodalT(V, x);
        return {T, V, P(T, V, x)};
    }

    // Fugacity of component i at (T, V, x): ln phi_i = b_i/(V - b)
    // - 2 sqrt(a_i a)/(RTV) - ln(P (V - b)/(RT)).
    double fugacity(int i, double T, double V, double x) const {
        const double p = P(T, V, x), u = V - b(x), bi = i == 0 ? b0 : b1, ai = i == 0 ? a0 : a1;
        const double lnphi = bi / u - 2.0 * std::sqrt(ai * a(x)) / (R * T * V) - std::log(p * u / (R * T));
        return (i == 0 ? 1.0 - x : x) * p * std::exp(lnphi);
    }
};

// Exact liquid-vapour coexistence of a pure van der Waals fluid (a, b) at T.
struct PureCoexistence {
    double T, Vl, Vv, P;
};
inline PureCoexistence pureCoexistence(double a, double b, double T) {
    const double R = VdWMixture::R, Tc = 8.0 * a / (27.0 * R * b), Vc = 3.0 * b, Pc = a / (27.0 * b * b);
    auto at = [&](double y) {
        const double c = (y * std::cosh(y) - std::sinh(y)) / (std::sinh(y) * std::cosh(y) - y);
        const double g = 1.0 + 2.0 * c * std::cosh(y) + c * c;
        const double t = 27.0 * c * (std::cosh(y) + c) / (4.0 * g * g);
        const double wl = c * std::exp(y), wv = c * std::exp(-y);
        const double nl = 3.0 * wl / (1.0 + wl), nv = 3.0 * wv / (1.0 + wv);
        const double p = 8.0 * t * wl - 27.0 * wl * wl / ((1.0 + wl) * (1.0 + wl));
        return PureCoexistence{t * Tc, Vc / nl, Vc / nv, p * Pc};
    };
    double lo = 1e-3, hi = 30.0;
    for (int i = 0; i < 200; i++) {
        const double mid = 0.5 * (lo + hi);
        if (at(mid).T > T)
            lo = mid;
        else
            hi = mid;
    }
    return at(0.5 * (lo + hi));
}
