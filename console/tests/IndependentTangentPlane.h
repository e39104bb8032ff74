#pragma once
// The stable state of a binary at T and P and the tangent-plane test of its
// stability (Michelsen 1982, Fluid Phase Equilib. 9, 1), for an equation of
// state written in a test, independently of the library's root searches,
// stability test and verdict:
//   - the mechanically stable roots of P(V) = P, by sign changes of P(V) - P
//     on a geometric grid of V, each bisected;
//   - the stable root, of those the one of least Gibbs energy,
//     G/(RT) = sum_i x_i ln f_i up to terms the same for every root;
//   - the least distance tpd(w) = sum_i w_i [ln f_i(w) - ln f_i(z)] of a trial
//     phase (each stable root of each trial composition w) from the tangent
//     plane of the feed z at its stable root; negative where the feed splits.
// The equation is reached through `isotherm(eos, T, x1)` (found by argument-
// dependent lookup), an object of one temperature and composition (x1 the
// mole fraction of component 1) that gives:
//   Vmin()       the least volume of the scan (m3/mol), denser than any root;
//   P(V)         the pressure (Pa) at V (m3/mol);
//   lnf(i, V)    ln of component i's fugacity (Pa) at V.
#include <algorithm>
#include <cmath>
#include <vector>

namespace indep {

// The mechanically stable roots (dP/dV < 0) of P(V) = P (Pa) on the isotherm
// `iso` at T, from its least volume to a thousand times the ideal gas's.
template <class Isotherm>
std::vector<double> stableRoots(const Isotherm& iso, double T, double P, int steps = 1500) {
    constexpr double R = 8.31434;
    std::vector<double> found;
    const double V0 = iso.Vmin(), V1 = 1e3 * R * T / P;
    const double r = std::pow(V1 / V0, 1.0 / steps);
    double Va = V0, ga = iso.P(Va) - P;
    for (int k = 1; k <= steps; ++k) {
        const double Vb = V0 * std::pow(r, k), gb = iso.P(Vb) - P;
        if (ga > 0.0 && gb <= 0.0) {  // P(V) falls through P: a stable root
            double lo = Va, hi = Vb;
            for (int i = 0; i < 100; ++i) {
                const double mid = 0.5 * (lo + hi);
                (iso.P(mid) - P > 0.0 ? lo : hi) = mid;
            }
            found.push_back(0.5 * (lo + hi));
        }
        Va = Vb, ga = gb;
    }
    return found;
}

// The stable root's volume (NaN where there is none) and the least
// tangent-plane distance of a trial phase from it.
struct Independent {
    double V = std::nan(""), distance = HUGE_VAL;
};

// The least distance of a trial phase (each stable root of each of `trials`
// trial compositions, dense near both ends, where the phases of a split with
// a trace of one component lie) from the plane of ln f0 and ln f1 at T (K)
// and P (Pa); those beside the feed x1 (NaN: none), whose distance vanishes
// with their difference from it, are left out.
template <class Eos>
double leastDistance(const Eos& eos, double T, double P, double lnf0, double lnf1, double x1, int trials = 240,
                     int steps = 1500) {
    double least = HUGE_VAL;
    for (int k = 1; k < trials; ++k) {
        const double u = static_cast<double>(k) / trials, w = 0.5 - 0.5 * std::cos(M_PI * u * u * (3.0 - 2.0 * u));
        const bool besideFeed = std::fabs(std::log(w / x1)) < 0.1 && std::fabs(std::log((1.0 - w) / (1.0 - x1))) < 0.1;
        if (!(w > 0.0 && w < 1.0) || besideFeed) continue;
        const auto iso = isotherm(eos, T, w);
        for (double V : stableRoots(iso, T, P, steps))
            least = std::min(least, (1.0 - w) * (iso.lnf(0, V) - lnf0) + w * (iso.lnf(1, V) - lnf1));
    }
    return least;
}

// The node n (its fields w, a composition, and g, the Gibbs energy there),
// of a larger w than those before it, added to the lower convex hull of g(w)
// built from them (Andrew's monotone chain): the ends of a segment of the
// hull wider than the grid are two phases that coexist.
template <class Node>
void addToLowerHull(std::vector<Node>& hull, const Node& n) {
    while (hull.size() >= 2) {
        const Node &a = hull[hull.size() - 2], &b = hull.back();
        if ((b.w - a.w) * (n.g - a.g) - (b.g - a.g) * (n.w - a.w) > 0.0) break;
        hull.pop_back();
    }
    hull.push_back(n);
}

// The feed x1 at T (K) and P (Pa): its stable root and the least distance of
// a trial phase from its tangent plane (leastDistance).
template <class Eos>
Independent tangentPlane(const Eos& eos, double T, double P, double x1, int trials = 240, int steps = 1500) {
    Independent r;
    double G = HUGE_VAL, lnf0 = 0.0, lnf1 = 0.0;
    {
        const auto iso = isotherm(eos, T, x1);
        for (double V : stableRoots(iso, T, P, steps)) {
            const double f0 = iso.lnf(0, V), f1 = iso.lnf(1, V), g = (1.0 - x1) * f0 + x1 * f1;
            if (g < G) G = g, r.V = V, lnf0 = f0, lnf1 = f1;
        }
    }
    if (!std::isfinite(r.V)) return r;
    r.distance = leastDistance(eos, T, P, lnf0, lnf1, x1, trials, steps);
    return r;
}

}  // namespace indep
