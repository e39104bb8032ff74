#include "families/kreglewski/KreglewskiClosedForm.h"

#include <cmath>

#include "families/kreglewski/KreglewskiSeries.h"

namespace kreglewski {

SecondOrder compose(const TwoArgument& f, const SecondOrder& p, const SecondOrder& q) {
    SecondOrder r;
    r.v = f.f;
    for (int i = 0; i < 4; ++i) {
        r.g[i] = f.p * p.g[i] + f.q * q.g[i];
        for (int k = 0; k <= i; ++k)
            r.h[i][k] = r.h[k][i] = f.pp * p.g[i] * p.g[k] + f.pq * (p.g[i] * q.g[k] + q.g[i] * p.g[k]) +
                                    f.qq * q.g[i] * q.g[k] + f.p * p.h[i][k] + f.q * q.h[i][k];
    }
    return r;
}

OfTemperature coreVolume(double V00, double u0, double C, double T) {
    // s = 1 - C e, e = exp(-3 u0/T): e' = e 3u0/T^2, e'' = e (9 u0^2/T^4 - 6 u0/T^3).
    const double e = std::exp(-3.0 * u0 / T), k = 3.0 * u0 / (T * T);
    const double e1 = e * k, e2 = e * (k * k - 2.0 * k / T);
    const double s = 1.0 - C * e, s1 = -C * e1, s2 = -C * e2;
    return {V00 * s * s * s, 3.0 * V00 * s * s * s1, V00 * (6.0 * s * s1 * s1 + 3.0 * s * s * s2)};
}

const CorePair& CoreVolumesAtT::at(const double (&V00_)[2], const double (&u0_)[2], double C_, double T_) {
    if (!(T == T_ && C == C_ && V00[0] == V00_[0] && V00[1] == V00_[1] && u0[0] == u0_[0] && u0[1] == u0_[1])) {
        *this = {T_, {V00_[0], V00_[1]}, {u0_[0], u0_[1]}, C_,
                 {coreVolume(V00_[0], u0_[0], C_, T_), coreVolume(V00_[1], u0_[1], C_, T_)}};
    }
    return V0;
}

CompositionGradient quadraticInCompositionFirst(double c11, double c12, double c22, double x1, double x2) {
    const double x11 = x1 * x1, x12 = 2.0 * x1 * x2, x22 = x2 * x2;
    return {x11 * c11 + x12 * c12 + x22 * c22, {2.0 * (x1 * c11 + x2 * c12), 2.0 * (x1 * c12 + x2 * c22)}};
}

SecondOrder quadraticInComposition(const OfTemperature& c11, const OfTemperature& c12, const OfTemperature& c22,
                                   double x1, double x2) {
    SecondOrder q;
    const double x11 = x1 * x1, x12 = 2.0 * x1 * x2, x22 = x2 * x2;
    const CompositionGradient first = quadraticInCompositionFirst(c11.v, c12.v, c22.v, x1, x2);
    q.v = first.v;
    q.g[0] = x11 * c11.t + x12 * c12.t + x22 * c22.t;
    q.g[2] = first.x[0];
    q.g[3] = first.x[1];
    q.h[0][0] = x11 * c11.tt + x12 * c12.tt + x22 * c22.tt;
    q.h[0][2] = q.h[2][0] = 2.0 * (x1 * c11.t + x2 * c12.t);
    q.h[0][3] = q.h[3][0] = 2.0 * (x1 * c12.t + x2 * c22.t);
    q.h[2][2] = 2.0 * c11.v;
    q.h[2][3] = q.h[3][2] = 2.0 * c12.v;
    q.h[3][3] = 2.0 * c22.v;
    return q;
}

TwoArgument hardBody(double alpha, double xi) {
    // (alpha^2 - 1) L + N/m^2 with L = ln m, m = 1 - xi,
    // N = (alpha^2 + 3 alpha) xi - 3 alpha xi^2.
    const double m = 1.0 - xi, im = 1.0 / m, im2 = im * im, im3 = im2 * im, im4 = im2 * im2;
    const double L = std::log(m), Lq = -im, Lqq = -im2;
    const double a2 = alpha * alpha - 1.0;
    const double N = (alpha * alpha + 3.0 * alpha) * xi - 3.0 * alpha * xi * xi;
    const double Np = (2.0 * alpha + 3.0) * xi - 3.0 * xi * xi, Npp = 2.0 * xi;
    const double Nq = alpha * alpha + 3.0 * alpha - 6.0 * alpha * xi, Nqq = -6.0 * alpha;
    const double Npq = 2.0 * alpha + 3.0 - 6.0 * xi;
    TwoArgument f;
    f.f = a2 * L + N * im2;
    f.p = 2.0 * alpha * L + Np * im2;
    f.pp = 2.0 * L + Npp * im2;
    f.q = a2 * Lq + Nq * im2 + 2.0 * N * im3;
    f.qq = a2 * Lqq + Nqq * im2 + 4.0 * Nq * im3 + 6.0 * N * im4;
    f.pq = 2.0 * alpha * Lq + Npq * im2 + 2.0 * Np * im3;
    return f;
}

SeriesInW::SeriesInW(double u) {
    const double up[5] = {1.0, u, u * u, u * u * u, u * u * u * u};
    for (int k = 0; k < KreglewskiSeries::kTerms; ++k) {
        const int n = KreglewskiSeries::power_n[k], m = KreglewskiSeries::power_m[k];
        const double d = KreglewskiSeries::D[k];
        c[m] += d * up[n];
        cu[m] += d * n * up[n - 1];
        if (n >= 2) cuu[m] += d * n * (n - 1) * up[n - 2];
    }
    for (int m = 1; m < 10; ++m) {
        mc[m] = m * c[m];
        mmc[m] = m * m * c[m];
    }
}

namespace {

// A polynomial sum c[m] w^m (m = 0 .. 9) with its first two derivatives, by Horner's scheme.
void horner(const double (&c)[10], double w, double& p, double& p1, double& p2) {
    p = p1 = p2 = 0.0;
    for (int m = 9; m >= 0; --m) {
        p2 = p2 * w + p1;
        p1 = p1 * w + p;
        p = p * w + c[m];
    }
    p2 *= 2.0;
}

}  // namespace

TwoArgument SeriesInW::at(double w) const {
    TwoArgument s;
    double unused = 0.0;
    horner(c, w, s.f, s.q, s.qq);
    horner(cu, w, s.p, s.pq, unused);
    horner(cuu, w, s.pp, unused, unused);
    return s;
}

TwoArgument SeriesInW::firstAt(double w) const {
    TwoArgument s;
    double unused = 0.0, unused2 = 0.0;
    horner(c, w, s.f, s.q, unused);
    horner(cu, w, s.p, unused, unused2);
    return s;
}

void SeriesInW::inW(double w, double& s, double& sw, double& sww) const { horner(c, w, s, sw, sww); }

SecondOrder binaryCoreVolume(const CorePair& V0, double k12, double x1, double x2) {
    const OfTemperature &V01 = V0[0], &V02 = V0[1];
    const double h = 0.5 * k12;
    const OfTemperature V12{h * (V01.v + V02.v), h * (V01.t + V02.t), h * (V01.tt + V02.tt)};
    return quadraticInComposition(V01, V12, V02, x1, x2);
}

CompositionGradient binaryCoreVolumeGradient(const CorePair& V0, double k12, double x1, double x2) {
    return quadraticInCompositionFirst(V0[0].v, 0.5 * k12 * (V0[0].v + V0[1].v), V0[1].v, x1, x2);
}

double binaryCoreVolumeValue(const CorePair& V0, double k12, double x1, double x2) {
    const double V01 = V0[0].v, V02 = V0[1].v;
    return x1 * x1 * V01 + x1 * x2 * k12 * (V01 + V02) + x2 * x2 * V02;
}

SecondOrder overVolume(const SecondOrder& q, double c, double V) {
    SecondOrder inverseV;
    inverseV.v = 1.0 / V;
    inverseV.g[1] = -inverseV.v / V;
    inverseV.h[1][1] = -2.0 * inverseV.g[1] / V;
    const TwoArgument product{c * q.v * inverseV.v, c * inverseV.v, c * q.v, 0.0, c, 0.0};
    return compose(product, q, inverseV);
}

FirstOrder overVolumeFirst(const CompositionGradient& q, double c, double V) {
    // (overVolume's product rule: q has no V derivative, 1/V no x derivative)
    const double iV = 1.0 / V;
    FirstOrder r;
    r.v = c * q.v * iV;
    r.g[1] = c * q.v * (-iV / V);
    for (int i = 0; i < 2; ++i) r.g[2 + i] = c * iV * q.x[i];
    return r;
}

namespace {

// e (1 + a/T + b/T^2) with its T derivatives.
OfTemperature energy(double e, double a, double b, double T) {
    const double iT = 1.0 / T, iT2 = iT * iT;
    return {e * (1.0 + a * iT + b * iT2), -e * (a * iT2 + 2.0 * b * iT2 * iT), e * (2.0 * a * iT2 * iT + 6.0 * b * iT2 * iT2)};
}

}  // namespace

SecondOrder ReducedEnergy::at(double T, double x1, double x2) const {
    const SecondOrder Q = quadraticInComposition(energy(u11, eta11, 0.0, T), energy(u12, a12, bb12, T),
                                                 energy(u22, eta22, 0.0, T), x1, x2);
    // The denominator (x1 + r^2 x2) T.
    SecondOrder d;
    const double xg = x1 + r2 * x2;
    d.v = xg * T;
    d.g[0] = xg;
    d.g[2] = T;
    d.g[3] = r2 * T;
    d.h[0][2] = d.h[2][0] = 1.0;
    d.h[0][3] = d.h[3][0] = r2;
    // Q/d.
    const double id = 1.0 / d.v;
    TwoArgument ratio;
    ratio.f = Q.v * id;
    ratio.p = id;
    ratio.q = -Q.v * id * id;
    ratio.pq = -id * id;
    ratio.qq = 2.0 * Q.v * id * id * id;
    return compose(ratio, Q, d);
}

CompositionGradient ReducedEnergy::gradient(double T, double x1, double x2) const {
    // at()'s operations for the value and the x derivatives alone.
    const CompositionGradient Q = quadraticInCompositionFirst(
        energy(u11, eta11, 0.0, T).v, energy(u12, a12, bb12, T).v, energy(u22, eta22, 0.0, T).v, x1, x2);
    const double id = 1.0 / ((x1 + r2 * x2) * T), q = -Q.v * id * id;
    return {Q.v * id, {id * Q.x[0] + q * T, id * Q.x[1] + q * (r2 * T)}};
}

double ReducedEnergy::value(double T, double x1, double x2) const {
    const double iT = 1.0 / T;
    const double Q = x1 * x1 * u11 * (1.0 + eta11 * iT) + 2.0 * x1 * x2 * u12 * (1.0 + a12 * iT + bb12 * iT * iT) +
                     x2 * x2 * u22 * (1.0 + eta22 * iT);
    return Q / ((x1 + r2 * x2) * T);
}

bool answerInto(Interaction& t, const SecondOrder& a) {
    bool finite = std::isfinite(a.v);
    for (int i = 0; i < 4; ++i) {
        finite = finite && std::isfinite(a.g[i]);
        for (int k = 0; k < 4; ++k) finite = finite && std::isfinite(a.h[i][k]);
    }
    if (!finite) return false;
    t.A = a.v;
    t.aT = a.g[0];
    t.aV = a.g[1];
    t.ATT = a.h[0][0];
    t.aTV = a.h[1][0];
    t.aVV = a.h[1][1];
    for (int i = 0; i < 2; ++i) {
        t.dadx[i] = a.g[2 + i];
        t.dadxdT[i] = a.h[2 + i][0];
        t.dadxdV[i] = a.h[2 + i][1];
        for (int j = 0; j < 2; ++j) t.dadxdx[i][j] = a.h[2 + i][2 + j];
    }
    return true;
}

void throughInverseVolume(double V, double q, double f, double fq, double fqq, double& a, double& aV, double& aVV) {
    // q_V = -q/V, q_VV = 2 q/V^2.
    const double qV = -q / V;
    a = f;
    aV = fq * qV;
    aVV = fqq * qV * qV - 2.0 * fq * qV / V;
}

}  // namespace kreglewski
