#pragma once
// The tangent-plane test of a binary's state (Michelsen 1982, Fluid Phase
// Equilib. 9, 1) on a cubic written in a test (IndependentCubic.h) or on any
// pressure and fugacities given as functions: the lowest distance of a trial
// phase, over every mechanically stable root of each trial composition.
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "console/tests/IndependentCubic.h"

namespace indep {

// The lowest tangent-plane distance sum_i w_i [ln f_i(w) - lnfRef_i] over
// trial compositions w (a grid of 1/grid and shares down to 1e-7 at both
// ends) and every mechanically stable root of P(V) = P at each, the roots
// bracketed on a geometric grid of `volumes` volumes from V0(w) to
// 3000 V0(w) and bisected.  pressure(w, V) and lnf(i, w, V) are the
// equation's; V0(w) is just above its co-volume.
inline double lowestTangentPlaneDistance(double P, const double (&lnfRef)[2],
                                  const std::function<double(double, double)>& pressure,
                                  const std::function<double(int, double, double)>& lnf,
                                  const std::function<double(double)>& V0, int grid, int volumes) {
    std::vector<double> trials;
    for (int k = 1; k < grid; ++k) trials.push_back(static_cast<double>(k) / grid);
    for (double e = 1e-7; e < 2e-3; e *= 3.0) {
        trials.push_back(e);
        trials.push_back(1.0 - e);
    }
    double lowest = HUGE_VAL;
    for (double w : trials) {
        const double v0 = V0(w), r = std::pow(3000.0, 1.0 / volumes);
        double va = v0, fa = pressure(w, va) - P;
        for (int k = 1; k <= volumes; ++k) {
            const double vb = v0 * std::pow(r, k), fb = pressure(w, vb) - P;
            // A root where P(V) falls through P: mechanically stable.
            if (std::isfinite(fa) && std::isfinite(fb) && fa > 0.0 && fb <= 0.0) {
                double lo = va, hi = vb;
                for (int it = 0; it < 80; ++it) {
                    const double mid = 0.5 * (lo + hi);
                    (pressure(w, mid) - P > 0.0 ? lo : hi) = mid;
                }
                const double V = 0.5 * (lo + hi);
                const double d = (1.0 - w) * (lnf(0, w, V) - lnfRef[0]) + w * (lnf(1, w, V) - lnfRef[1]);
                if (std::isfinite(d)) lowest = std::min(lowest, d);
            }
            va = vb;
            fa = fb;
        }
    }
    return lowest;
}

// The lowest tangent-plane distance on the cubic at T and P (Pa) from the
// plane of lnfRef, the trial roots bracketed from just above its co-volume.
inline double cubicPlaneDistance(const Cubic& eos, double T, double P, const double (&lnfRef)[2]) {
    return lowestTangentPlaneDistance(
        P, lnfRef, [&](double w, double v) { return eos.P(T, v, w); },
        [&](int i, double w, double v) { return eos.lnf(i, T, v, w); },
        [&](double w) {
            double a, b, ai[2], bi[2];
            eos.params(T, w, a, b, ai, bi);
            return 1.0001 * b;
        },
        200, 600);
}

// The same with the cubic written here; V the model's volume (a translated
// cubic holds in V + c).
inline double cubicTangentPlaneDistance(const Cubic& eos, double T, double V, double z) {
    const double lnfRef[2] = {eos.lnf(0, T, V, z), eos.lnf(1, T, V, z)};
    return lowestTangentPlaneDistance(
        eos.P(T, V, z), lnfRef, [&](double w, double v) { return eos.P(T, v, w); },
        [&](int i, double w, double v) { return eos.lnf(i, T, v, w); },
        [&](double w) {
            double a, b, ai[2], bi[2];
            eos.params(T, w, a, b, ai, bi);
            return 1.0001 * b - eos.shift(w);
        },
        400, 3000);
}

// A model's name and the cubic written here for it.
struct NamedCubic {
    std::string model;
    Cubic eos;
};

}  // namespace indep
