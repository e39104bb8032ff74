#include "families/cubic/CubicClosedForm.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "families/cubic/CubicData.h"
#include "families/cubic/CubicIsotherm.h"
#include "families/cubic/Schmidt0.h"
#include "families/cubic/VdWr1.h"

namespace cubic {

// (The count decides where g at its turning points stands above its
// rounding; four Newton steps in Z take its roots to rounding.)
int polishedRoots(double A, double Ba, double Br, double u, double w, double RT, double P, double a, double ba,
                  double br, double (&Z)[2]) {
    double V[2];
    const int n = stableRootCount(RT, P, a, ba, u, w, br, V);
    if (n < 1) return 0;
    const double k2 = u * Ba - Br - 1.0, k1 = w * Ba * Ba - u * Ba * Br - u * Ba + A,
                 k0 = -(w * Ba * Ba * Br + w * Ba * Ba + A * Br);
    for (int k = 0; k < n; ++k) {
        double z = V[k] * P / RT;
        bool settled = false;
        for (int it = 0; it < 4 && !settled; ++it) {
            const double f = ((z + k2) * z + k1) * z + k0, df = (3.0 * z + 2.0 * k2) * z + k1;
            const double step = f / df;
            z -= step;
            settled = std::fabs(step) <= 4.0 * DBL_EPSILON * z;
        }
        if (!settled || !(z > Br) || !std::isfinite(z)) return 0;
        Z[k] = z;
    }
    return n == 2 && !(Z[0] < Z[1]) ? 0 : n;
}

namespace {

// Of every real root of the cubic in Z above Br, the stable ones (ascending):
// the outer two of three, the crossing one of a double root, else the one.
int everyStableRoot(double A, double Ba, double Br, double u, double w, double d1, double d2, double (&kept)[2]) {
    const double coef[4] = {-(w * Ba * Ba * Br + w * Ba * Ba + A * Br), w * Ba * Ba - u * Ba * Br - u * Ba + A,
                            u * Ba - Br - 1.0, 1.0};
    double z[3];
    const int n = rootsAboveCovolume(coef, Br, z);
    if (n == 0) return 0;
    // At most three roots, in ascending order (by hand: GCC's -Warray-bounds
    // misreads std::sort's unrolled insertion sort on a three-element array).
    for (int i = 1; i < n; ++i)
        for (int j = i; j > 0 && z[j] < z[j - 1]; --j) std::swap(z[j], z[j - 1]);
    // dP/dV at a root, in units of P/V: of three roots the middle one rises.
    auto slope = [&](double Z) {
        const double q = (Z + d1 * Ba) * (Z + d2 * Ba);
        return -Z * Z / ((Z - Br) * (Z - Br)) + A * Z * (2.0 * Z + u * Ba) / (q * q);
    };
    int k = 0;
    if (n == 3) {
        kept[k++] = z[0];
        kept[k++] = z[2];
    } else if (n == 2) {
        // A double root (the isotherm touching P): the crossing one.
        kept[k++] = slope(z[0]) < slope(z[1]) ? z[0] : z[1];
    } else {
        kept[k++] = z[0];
    }
    return k;
}

}  // namespace

int stableCubicRoots(double a, double ba, double br, double u, double w, double T, double P,
                     FluidPhase::ClosedFormRoot roots[2]) {
    const double RT = R * T, A = a * P / (RT * RT), Ba = ba * P / RT, Br = br * P / RT;
    if (!(A > 0.0) || !(Ba > 0.0) || !(Br > 0.0) || !std::isfinite(A + Ba + Br)) return 0;
    const double s = std::sqrt(u * u - 4.0 * w), d1 = 0.5 * (u + s), d2 = 0.5 * (u - s);
    double kept[2];
    // The isotherm's count and its outer roots where it decides them, else
    // every real root of the cubic (beside a spinodal or the critical point).
    int k = polishedRoots(A, Ba, Br, u, w, RT, P, a, ba, br, kept);
    if (k == 0) k = everyStableRoot(A, Ba, Br, u, w, d1, d2, kept);
    const double attraction = A / (Ba * (d1 - d2));
    for (int i = 0; i < k; ++i) {
        const double Z = kept[i];
        roots[i].V = Z * RT / P;
        roots[i].lnPhi = Z - 1.0 - std::log(Z - Br) - attraction * std::log((Z + d1 * Ba) / (Z + d2 * Ba));
    }
    return k;
}

namespace {

// Whether f is one component of the repulsion and the attraction t alone.
bool pureTermCubic(const FluidPhase& f, const Schmidt0& t, const VdWr1& repulsion) {
    return f.component_count == 1 && f.nInteractions == 2 && !f.withVenturi && t.a && t.b && !repulsion.bij.empty();
}

// a and b of the attraction at T for the model's composition and parameters,
// from the tree where they are not kept for them.
const Schmidt0::KeptParameters& keptParameters(FluidPhase& f, Schmidt0& t, double T, double P_bar) {
    Schmidt0::KeptParameters& k = t.kept;
    if (!(k.T == T && k.x == f.x[0] && k.revision == f.parameterRevision())) {
        evaluateAttractionAt(t, T, P_bar, 2);
        k = {T, f.x[0], t.a->value, t.b->value, t.a->d1[0], t.a->d2[0][0], t.b->d1[0], f.parameterRevision()};
    }
    return k;
}

}  // namespace

int termCubicRoots(FluidPhase& f, Schmidt0& t, VdWr1& repulsion, double T, double P_bar,
                   FluidPhase::ClosedFormRoot roots[2]) {
    if (!pureTermCubic(f, t, repulsion)) return -1;
    // a and b depend on T (and the parameters) alone: kept for the isotherm.
    const Schmidt0::KeptParameters& k = keptParameters(f, t, T, P_bar);
    return stableCubicRoots(k.a, k.b, repulsion.bij[0], t.u, t.w, T, P_bar * 1e5, roots);
}

int termResidualInClosedForm(FluidPhase& f, Schmidt0& t, VdWr1& repulsion, double T, double V,
                             FluidPhase::TermInClosedForm terms[2]) {
    if (!pureTermCubic(f, t, repulsion) || !(T > 0.0) || !(V > 0.0)) return 0;
    const Schmidt0::KeptParameters& k = keptParameters(f, t, T, FluidPhase::R * T / V * 1e-5);
    const double br = repulsion.bij[0], ba = k.b, a = k.a;
    if (k.bT != 0.0 || !(V > br) || !(ba > 0.0) || !std::isfinite(a + k.aT + k.aTT)) return 0;
    // Repulsion -ln(V - br).
    const double iVb = 1.0 / (V - br);
    terms[0] = {-std::log(V - br), 0.0, 0.0, -iVb, iVb * iVb, 0.0};
    // Attraction g(T) L(V)/(ba sqrt(delta)), g = a/(RT), L the logarithm:
    // L_V = 2/e1 - 2/e2 and L_VV = 4/e2^2 - 4/e1^2 with e1,2 = 2V + (u -+ sqrt(delta)) ba.
    const double sd = std::sqrt(t.delta), e1 = 2.0 * V + (t.u - sd) * ba, e2 = 2.0 * V + (t.u + sd) * ba;
    const double L = std::log(e1 / e2), LV = 2.0 / e1 - 2.0 / e2, LVV = 4.0 / (e2 * e2) - 4.0 / (e1 * e1);
    const double RT = R * T, c = 1.0 / (ba * sd);
    const double g = a / RT, gT = (k.aT - a / T) / RT, gTT = (k.aTT - 2.0 * k.aT / T + 2.0 * a / (T * T)) / RT;
    terms[1] = {c * g * L, c * gT * L, c * gTT * L, c * g * LV, c * g * LVV, c * gT * LV};
    return 2;
}

}  // namespace cubic
