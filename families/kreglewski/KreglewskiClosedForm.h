#pragma once
// The binary terms of Kreglewski's model in closed form: the hard-convex-body
// repulsion and the dispersion series of a binary as functions of (T, V, x1,
// x2) with their first and second derivatives, which is what the volume
// searches, the state functions and the fugacities of a mixture ask of them.
// The two terms' expression trees give the same functions (and the higher
// derivatives the critical curves need); these evaluations cost a small part
// of theirs.
//
// Both terms are built on
//     V0i(T) = V00i [1 - C exp(-3 u0i/T)]^3,
//     V0 = x1^2 V01 + 2 x1 x2 k12 (V01 + V02)/2 + x2^2 V02,
// the repulsion on the packing fraction xi = 0.74048 V0/V and the mean
// non-sphericity alpha = alpha1 x1 + alpha2 x2 (Boublik's convex bodies),
//     A/(RT) = -ln V + (alpha^2 - 1) ln(1 - xi)
//              + [(alpha^2 + 3 alpha) xi - 3 alpha xi^2]/(1 - xi)^2,
// the dispersion on the reduced energy u/T and V0/V (Chen & Kreglewski 1977),
//     u/T = [x1^2 u11 + 2 r^2 x1 x2 u12 + r^4 x2^2 u22]/[(x1 + r^2 x2) T],
//     A/(RT) = sum D(n,m) (u/T)^n (V0/V)^m.
#include <cmath>

#include "fluid/Interaction.h"

namespace kreglewski {

// A function of (T, V, x1, x2) with its gradient and its Hessian.
struct SecondOrder {
    double v = 0.0;
    double g[4] = {};
    double h[4][4] = {};
};

// A function of (T, V, x1, x2) with its derivatives in V, x1 and x2 at
// fixed T (g[0] not computed): what each component's ln phi asks.
struct FirstOrder {
    double v = 0.0;
    double g[4] = {};
};

// The pieces of a term's first-order answer that hold for one temperature
// and composition: a quantity of T and x (the core volume, u/T) with its x
// derivatives, as the second-order answer's chain rule takes them.
struct CompositionGradient {
    double v = 0.0, x[2] = {0.0, 0.0};
};

// c q/V with its derivatives in V and x at fixed T, for a q of T and the
// composition alone (the packing fraction, V0/V): the same operations as
// overVolume's, the Hessian left out.
FirstOrder overVolumeFirst(const CompositionGradient& q, double c, double V);

// A function f(p, q) of two functions with its partial derivatives in p and q.
struct TwoArgument {
    double f = 0.0, p = 0.0, q = 0.0, pp = 0.0, pq = 0.0, qq = 0.0;
};

// f(p(z), q(z)) by the chain rule.
SecondOrder compose(const TwoArgument& f, const SecondOrder& p, const SecondOrder& q);

// A close-packed core volume V00 [1 - C exp(-3 u0/T)]^3 and its first two
// derivatives in T.
struct OfTemperature {
    double v = 0.0, t = 0.0, tt = 0.0;
};
OfTemperature coreVolume(double V00, double u0, double C, double T);

// Both components' core volumes kept for one temperature (the searches of a
// stability test or a tie line ask at one temperature many times).
using CorePair = OfTemperature[2];
struct CoreVolumesAtT {
    double T = 0.0, V00[2] = {0.0, 0.0}, u0[2] = {0.0, 0.0}, C = 0.0;
    CorePair V0;
    const CorePair& at(const double (&V00_)[2], const double (&u0_)[2], double C_, double T_);
};

// x1^2 c11(T) + 2 x1 x2 c12(T) + x2^2 c22(T) as a function of (T, V, x1, x2).
SecondOrder quadraticInComposition(const OfTemperature& c11, const OfTemperature& c12, const OfTemperature& c22,
                                   double x1, double x2);

// Its value and x derivatives alone, by the same operations, from the
// three coefficients' values.
CompositionGradient quadraticInCompositionFirst(double c11, double c12, double c22, double x1, double x2);

// The hard-body part (alpha^2 - 1) ln(1 - xi) + [(alpha^2 + 3 alpha) xi -
// 3 alpha xi^2]/(1 - xi)^2 with its partials in p = alpha and q = xi.
TwoArgument hardBody(double alpha, double xi);

// Its first two partials in xi alone (no logarithm taken), and its value
// where `f` is given.
inline void hardBodyInXi(double alpha, double xi, double& fq, double& fqq, double* f = nullptr) {
    const double m = 1.0 - xi, im = 1.0 / m, im2 = im * im;
    const double a2 = alpha * alpha - 1.0;
    const double N = (alpha * alpha + 3.0 * alpha) * xi - 3.0 * alpha * xi * xi;
    const double Nq = alpha * alpha + 3.0 * alpha - 6.0 * alpha * xi;
    fq = -a2 * im + (Nq + 2.0 * N * im) * im2;
    fqq = -a2 * im2 + (-6.0 * alpha + (4.0 * Nq + 6.0 * N * im) * im) * im2;
    if (f) *f = a2 * std::log(m) + N * im2;
}

// The hard-body term's Z = 1 + xi dF/dxi at V for xi = packing/V, with
// dZ/dV (dxi/dV = -xi/V).
inline double hardBodyCompressibility(double alpha, double packing, double V, double& dZdV) {
    const double xi = packing / V;
    double fq = 0.0, fqq = 0.0;
    hardBodyInXi(alpha, xi, fq, fqq);
    dZdV = -xi / V * (fq + xi * fqq);
    return 1.0 + xi * fq;
}

// The series sum D(n,m) u^n w^m as a polynomial in w at one u (= u/T):
// its coefficients sum_n D(n,m) u^n, m = 0 .. 9, and their first two
// derivatives in u.
struct SeriesInW {
    double c[10] = {}, cu[10] = {}, cuu[10] = {};
    // m c_m and m^2 c_m, the coefficients of w s'(w) and of its derivative
    // times w (the compressibility of the volume searches).
    double mc[10] = {}, mmc[10] = {};
    explicit SeriesInW(double u);
    // The series with its partials in p = u and q = w (= V0/V).
    TwoArgument at(double w) const;
    // The series with its first partials in u and w alone (f, p, q).
    TwoArgument firstAt(double w) const;
    // The series with its first two derivatives in w alone.
    void inW(double w, double& s, double& sw, double& sww) const;
    // w times its first derivative in w, and the derivative of that in w.
    void wTimesSlope(double w, double& z, double& zw) const {
        // z = w s'(w) = sum m c_m w^m, zw = sum m^2 c_m w^(m-1).
        z = zw = 0.0;
        for (int m = 9; m >= 1; --m) {
            zw = zw * w + mmc[m];
            z = z * w + mc[m];
        }
        z *= w;
    }
    // The series' Z = w s'(w) at V for w = V0/V, with dZ/dV (dw/dV = -w/V).
    double compressibility(double V0, double V, double& dZdV) const {
        const double w = V0 / V;
        double z = 0.0, zw = 0.0;
        wTimesSlope(w, z, zw);
        dZdV = -w / V * zw;
        return z;
    }
};

// The binary's core volume V0 with its T and x derivatives, from the
// components' V00, u0, the common C and the pair's k12.
SecondOrder binaryCoreVolume(const CorePair& V0, double k12, double x1, double x2);

// Its value with its x derivatives alone, by the same operations.
CompositionGradient binaryCoreVolumeGradient(const CorePair& V0, double k12, double x1, double x2);

// Its value alone.
double binaryCoreVolumeValue(const CorePair& V0, double k12, double x1, double x2);

// c q/V for a q of T and the composition alone (the packing fraction, V0/V).
SecondOrder overVolume(const SecondOrder& q, double c, double V);

// The constants of the dispersion's reduced energy: u11 = e11 (1 + t11/T),
// the cross and the second component's in the same form, the cross also
// with b12^2/T^2 (all already multiplied by r^2 and r^4), and r^2.
struct ReducedEnergy {
    double u11 = 0.0, eta11 = 0.0, u12 = 0.0, a12 = 0.0, bb12 = 0.0, u22 = 0.0, eta22 = 0.0, r2 = 1.0;
    // u/T with its T and x derivatives.
    SecondOrder at(double T, double x1, double x2) const;
    // Its value with its x derivatives alone, by the same operations.
    CompositionGradient gradient(double T, double x1, double x2) const;
    // Its value alone.
    double value(double T, double x1, double x2) const;
};

// The state a term's kept evaluation belongs to: T, V (0 where it holds
// for every volume), the mole fractions and the count of the term's
// parameter settings.
struct StateKey {
    double T = 0.0, V = 0.0, x1 = 0.0, x2 = 0.0;
    int version = -1;
    bool operator==(const StateKey& o) const {
        return T == o.T && V == o.V && x1 == o.x1 && x2 == o.x2 && version == o.version;
    }
};

// Whether a binary term answers in closed form at its state: its constants
// set, two components, a positive T and (unless the volume is the caller's)
// a positive V.
inline bool readyForClosedForm(const Interaction& t, bool constantsSet, bool ownVolume = true) {
    return constantsSet && t.component_count == 2 && t.x.size() >= 2 && t.T > 0.0 && (!ownVolume || t.V > 0.0);
}

// The key of a term's state (its volume left out where `withVolume` is not set).
inline StateKey keyOf(const Interaction& t, int version, bool withVolume) {
    return {t.T, withVolume ? t.V : 0.0, t.x[0], t.x[1], version};
}

// A term's last second-order answer.
struct KeptAnswer {
    StateKey key;
    SecondOrder a;
};

// A term's second-order answer at the volume V, its T and composition:
// `compute()`'s, kept in `kept` for that state; null where the term has no
// closed form there.
template <class Compute>
const SecondOrder* keptSecondOrder(const Interaction& t, bool constantsSet, int version, double V, KeptAnswer& kept,
                                   Compute compute) {
    if (!readyForClosedForm(t, constantsSet, false) || !(V > 0.0)) return nullptr;
    StateKey key = keyOf(t, version, false);
    key.V = V;
    if (!(kept.key == key)) kept = {key, compute()};
    return &kept.a;
}

// a with its derivatives written into the term's second-order results (A,
// aT, aV, ATT, aTV, aVV and the composition derivatives); false, nothing
// written, where one of them is not finite.
bool answerInto(Interaction& t, const SecondOrder& a);

// Whether a with its first two derivatives is finite (a state the term gives).
inline bool finite(double a, double aV, double aVV) { return std::isfinite(a) && std::isfinite(aV) && std::isfinite(aVV); }

// a(V), a_V and a_VV of f(q(V)) at fixed T and composition, for q = c/V
// (the packing fraction, V0/V) and f's partials in q.
void throughInverseVolume(double V, double q, double f, double fq, double fqq, double& a, double& aV, double& aVV);

}  // namespace kreglewski
