#include "families/cubic/CubicIsotherm.h"

#include <cmath>

#include "families/cubic/Schmidt0.h"
#include "fluid/FluidPhase.h"

namespace cubic {

namespace {

// g's values at its turning points are trusted where they exceed this
// share of the largest of its three parts there: the parts cancel to g's
// rounding, some 1e-16 of them, and the roots that meet at a spinodal move
// by the square root of it.
constexpr double kDecided = 1e-9;

// The cubic V^3 + p2 V^2 + p1 V + p0 reduced to t^3 + p t + q = 0 (V = t -
// p2/3), its smallest or largest real root (outer): Cardano's where it has
// one, else the trigonometric form (the angle taken once for both).
struct ReducedCubic {
    double p2, p, q, D, m = 0.0, phi = 0.0;
    ReducedCubic(double p2_, double p1, double p0)
        : p2(p2_), p(p1 - p2_ * p2_ / 3.0), q((2.0 * p2_ * p2_ / 27.0 - p1 / 3.0) * p2_ + p0),
          D(0.25 * q * q + p * p * p / 27.0) {
        if (!(D > 0.0) && p < 0.0) {
            m = 2.0 * std::sqrt(-p / 3.0);
            phi = std::acos(std::fmax(-1.0, std::fmin(1.0, 3.0 * q / (p * m))));
        }
    }
    double outer(bool largest) const {
        double t = 0.0;
        if (D > 0.0) {
            const double s = std::sqrt(D);
            t = std::cbrt(-0.5 * q + s) + std::cbrt(-0.5 * q - s);
        } else if (p < 0.0) {
            // t_k = m cos((phi - 2 pi k) / 3): k = 0 the largest, k = 2 (phi + 2 pi) the smallest.
            t = m * std::cos(largest ? phi / 3.0 : (phi + 2.0 * std::acos(-1.0)) / 3.0);
        }
        return t - p2 / 3.0;
    }
};

}  // namespace

int stableRootCount(double RT, double P, double a, double b, double u, double w, double br, double* roots) {
    auto q = [&](double V) { return (V + u * b) * V + w * b * b; };
    if (!(RT > 0.0 && P > 0.0 && a >= 0.0 && b > 0.0 && br > 0.0) || !std::isfinite(RT * P * a * b * br) ||
        !(q(br) > 0.0))
        return 0;
    // g = c3 V^3 + c2 V^2 + c1 V + c0
    const double c3 = P, c2 = P * (u * b - br) - RT, c1 = P * (w * b * b - u * b * br) - RT * u * b + a;
    const double c0 = -(P * br + RT) * w * b * b - a * br;
    // The outer roots, polished by Newton's steps on g (where g rises, as
    // it does at both).
    auto outer = [&](const ReducedCubic& reduced, bool largest, double& V) {
        V = reduced.outer(largest);
        for (int k = 0; k < 3; ++k) {
            const double g = ((c3 * V + c2) * V + c1) * V + c0, dg = (3.0 * c3 * V + 2.0 * c2) * V + c1;
            if (!(dg > 0.0)) break;
            V -= g / dg;
        }
        return V > br && std::isfinite(V);
    };
    auto counted = [&](int n) {
        if (!roots) return n;
        const ReducedCubic reduced(c2 / c3, c1 / c3, c0 / c3);
        if (n == 2)
            return outer(reduced, false, roots[0]) && outer(reduced, true, roots[1]) && roots[0] < roots[1] ? 2 : 0;
        return outer(reduced, true, roots[0]) ? 1 : 0;
    };
    const double disc = c2 * c2 - 3.0 * c3 * c1;
    if (!(disc > 0.0)) return counted(1);  // g rises everywhere: one root
    // The turning points, V1 < V2 (the larger by the sum, the smaller by the product).
    const double s = -c2 + std::sqrt(disc);
    if (!(s > 0.0)) return counted(1);  // both at negative volumes: g rises above b_r
    const double V2 = s / (3.0 * c3), V1 = c1 / s;
    if (!(V1 > br)) return counted(1);  // g falls from b_r at most once, then rises: one root
    auto decided = [&](double V, bool positive) {
        const double parts[3] = {P * (V - br) * q(V), RT * q(V), a * (V - br)};
        const double g = parts[0] - parts[1] + parts[2];
        const double scale = std::fmax(std::fmax(std::fabs(parts[0]), std::fabs(parts[1])), std::fabs(parts[2]));
        if (!(std::fabs(g) > kDecided * scale)) return -1;
        return (g > 0.0) == positive ? 1 : 0;
    };
    // Three roots where g rises above 0 before V1 and falls below 0 before
    // V2; one where either stays on the side of g(b_r) < 0 (below 0 at V1,
    // and so at V2) or of the rise beyond (above 0 at V2, and so at V1).
    const int atMax = decided(V1, true), atMin = decided(V2, false);
    if (atMax == 0 || atMin == 0) return counted(1);
    return atMax > 0 && atMin > 0 ? counted(2) : 0;
}

void evaluateAttractionAt(Interaction& t, double T_, double P_bar, int order) {
    t.T = T_;
    t.V = FluidPhase::R * T_ / (P_bar * 1e5);
    t.assignVariables();
    t.calculate_fixed_parameters();
    t.calculate_volume_dependent_parameters();
    t.root->calculate(order);
}

int stableRootCountOfTerms(FluidPhase& f, Schmidt0& t, double T_, double P_bar, double* roots) {
    if (f.interactions.size() != 2 || f.interactions[1] != &t || !t.a || !t.b || !t.root || t.inVolumeSearch())
        return 0;
    evaluateAttractionAt(t, T_, P_bar);
    if (Expression::sError || !std::isfinite(t.a->value) || !std::isfinite(t.b->value)) return 0;
    return stableRootCount(FluidPhase::R * T_, P_bar * 1e5, t.a->value, t.b->value, t.u, t.w, f.coVolume(), roots);
}

}  // namespace cubic
