#include "families/cubic/CubicMixture.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>

#include "families/cubic/CubicClosedForm.h"
#include "families/cubic/CubicData.h"
#include "families/cubic/CubicIsotherm.h"
#include "expressions/LineaX.h"
#include "expressions/SumF.h"
#include "families/cubic/QuadraticCubic.h"
#include "families/cubic/Schmidt0.h"
#include "families/cubic/VdWr1.h"

namespace cubic {

namespace {

// The quadratic form sum_ij x_i x_j m_ij and, into s (if given), its
// partial sums s_i = sum_j x_j m_ij.
double quadratic(const std::vector<double>& m, int n, const double* x, double* s) {
    double q = 0.0;
    for (int i = 0; i < n; ++i) {
        double si = 0.0;
        for (int j = 0; j < n; ++j) si += m[i * n + j] * x[j];
        if (s) s[i] = si;
        q += x[i] * si;
    }
    return q;
}

// The value of the pair (i, j) of a mixture node quadratic in the mole
// fractions, sum_ij x_i x_j m_ij: a sum over pair nodes (SumX2, its nodes
// evaluated with the tree) or a form with constant coefficients (LineaX2).
bool pairValue(const Expression* node, int i, int j, double& v) {
    if (i < j) std::swap(i, j);
    if (const auto* sum = dynamic_cast<const SumX2*>(node)) {
        const Expression* e = sum->terms && sum->terms[i] ? sum->terms[i][j] : nullptr;
        if (!e) return false;
        v = e->value;
        return true;
    }
    if (const auto* form = dynamic_cast<const LineaX2*>(node)) {
        if (static_cast<int>(form->a.size()) <= LineaX2::position(i, j)) return false;
        v = form->coef(i, j);
        return true;
    }
    return false;
}

// Whether `kept` holds the values of the sources, in their order.
bool sameSources(const std::vector<double>& kept, Sources sources) {
    std::size_t k = 0;
    for (const std::span<const double> s : sources) {
        if (k + s.size() > kept.size() || !std::equal(s.begin(), s.end(), kept.begin() + k)) return false;
        k += s.size();
    }
    return k == kept.size();
}

// Reads the pair matrices of the terms at T (K) into m: both terms' trees
// evaluated at T and P (bar), the attraction's a_ij and co-volume pairs, the
// repulsion's co-volume pairs.  False where they do not give back the terms'
// own a and co-volumes at the phase's composition (a term mixing otherwise)
// or do not evaluate.
bool readPairs(FluidPhase& f, Schmidt0& t, VdWr& r, double T, double P_bar, Sources sources, MixturePairs& m) {
    const int n = f.component_count;
    m.n = 0;
    Expression* covolume = r.mixtureCovolume();
    if (!t.a || !t.b || !covolume || static_cast<int>(f.x.size()) != n) return false;
    Expression::sError = 0;
    evaluateAttractionAt(r, T, P_bar);
    evaluateAttractionAt(t, T, P_bar);
    if (Expression::sError) return false;
    m.a.assign(n * n, 0.0);
    m.ba.assign(n * n, 0.0);
    m.br.assign(n * n, 0.0);
    m.c.clear();
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) {
            double a = 0.0, ba = 0.0, br = 0.0;
            if (!pairValue(t.a, i, j, a) || !pairValue(t.b, i, j, ba) || !pairValue(covolume, i, j, br)) return false;
            m.a[i * n + j] = m.a[j * n + i] = a;
            m.ba[i * n + j] = m.ba[j * n + i] = ba;
            m.br[i * n + j] = m.br[j * n + i] = br;
        }
    // The terms' own a and co-volumes at the phase's composition, to rounding.
    constexpr double kSameValue = 1e-12;
    auto same = [&](const std::vector<double>& pairs, const Expression* node) {
        const double v = quadratic(pairs, n, f.x.data(), nullptr);
        return std::fabs(v - node->value) <= kSameValue * std::fabs(v);
    };
    if (!same(m.a, t.a) || !same(m.ba, t.b) || !same(m.br, covolume)) return false;
    m.T = T;
    m.u = t.u;
    m.w = t.w;
    m.n = n;
    m.revision = f.parameterRevision();
    m.sources.clear();
    for (const std::span<const double> s : sources) m.sources.insert(m.sources.end(), s.begin(), s.end());
    return true;
}

// Whether the pairs kept were read at T from the parameters the model has.
bool stillHold(const FluidPhase& f, double T, Sources sources, const MixturePairs& m) {
    return m.n == f.component_count && m.T == T && m.revision == f.parameterRevision() &&
           sameSources(m.sources, sources);
}

// The stable roots Z (ascending) of the cubic in Z of A, Ba, Br, u, w as
// the isotherm's count gives them (stableRootCount: Cardano's or the
// trigonometric form), polished by Newton's steps on the cubic in Z until
// they stand to rounding; 0 where the count is undecided (beside a spinodal
// or the critical point) or the steps do not settle, and the roots are
// then taken from the cubic's full solution (stableCubicRoots).
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

}  // namespace

// Whether the pairs of the terms at T are in `kept` (read where they were
// not): false where f is not a mixture of these terms alone.
bool pairsAt(FluidPhase& f, Schmidt0& t, VdWr& r, MixturePairs& kept, double T, double P_bar, Sources sources,
             bool sameT) {
    const int n = f.component_count;
    if (n < 2 || n > kMaxMixtureComponents || f.nInteractions != 2 || f.withVenturi || f.interactions[1] != &t ||
        f.interactions[0] != &r)
        return false;
    return (sameT && kept.n == n && kept.T == T) || stillHold(f, T, sources, kept) ||
           readPairs(f, t, r, T, P_bar, sources, kept);
}

double termMixturePressure(FluidPhase& f, Schmidt0& t, VdWr& r, MixturePairs& kept, Sources sources, double T,
                           double V, const double* x) {
    if (!x || !(T > 0.0) || !(V > 0.0) || !pairsAt(f, t, r, kept, T, R * T / V * 1e-5, sources, false))
        return std::nan("");
    return mixturePressure(kept, T, V, x);
}

int termMixtureRoots(FluidPhase& f, Schmidt0& t, VdWr& r, MixturePairs& kept, Sources sources, double T,
                     double P_bar, const double* x, FluidPhase::ClosedFormRoot roots[2], double* lnPhi, bool sameT) {
    if (!x || !pairsAt(f, t, r, kept, T, P_bar, sources, sameT)) return -1;
    return mixtureRoots(kept, T, P_bar, x, roots, lnPhi);
}

int quadraticMixtureRoots(FluidPhase& f, QuadraticCubic& t, VdWr1& r, MixturePairs& kept, double T, double P_bar,
                          const double* x, FluidPhase::ClosedFormRoot roots[2], double* lnPhi, bool sameT) {
    return termMixtureRoots(f, t, r, kept, {t.pairs.kaij, t.pairs.bij, r.bij}, T, P_bar, x, roots, lnPhi, sameT);
}

double quadraticMixturePressure(FluidPhase& f, QuadraticCubic& t, VdWr1& r, MixturePairs& kept, double T, double V,
                                const double* x) {
    return termMixturePressure(f, t, r, kept, {t.pairs.kaij, t.pairs.bij, r.bij}, T, V, x);
}

double mixturePressure(const MixturePairs& m, double T, double V, const double* x) {
    const int n = m.n;
    const double a = quadratic(m.a, n, x, nullptr), ba = quadratic(m.ba, n, x, nullptr),
                 br = quadratic(m.br, n, x, nullptr);
    double c = 0.0;
    for (int i = 0; i < n && !m.c.empty(); ++i) c += x[i] * m.c[i];
    const double Vp = V + c;
    if (!(Vp > br)) return std::nan("");
    return R * T / (Vp - br) - a / ((Vp + m.u * ba) * Vp + m.w * ba * ba);
}

int mixtureRoots(const MixturePairs& kept, double T, double P_bar, const double* x,
                 FluidPhase::ClosedFormRoot roots[2], double* lnPhi) {
    const int n = kept.n;
    if (n < 1 || n > kMaxMixtureComponents) return -1;
    double sa[kMaxMixtureComponents], sba[kMaxMixtureComponents], sbr[kMaxMixtureComponents];
    const double a = quadratic(kept.a, n, x, sa), ba = quadratic(kept.ba, n, x, sba),
                 br = quadratic(kept.br, n, x, sbr);
    const double P = P_bar * 1e5, RT = R * T, A = a * P / (RT * RT), Ba = ba * P / RT, Br = br * P / RT;
    const double s = std::sqrt(kept.u * kept.u - 4.0 * kept.w), d1 = 0.5 * (kept.u + s), d2 = 0.5 * (kept.u - s);
    double z[2] = {0.0, 0.0};
    int count = A > 0.0 && Ba > 0.0 && Br > 0.0 && std::isfinite(A + Ba + Br)
                    ? polishedRoots(A, Ba, Br, kept.u, kept.w, RT, P, a, ba, br, z)
                    : 0;
    if (count > 0) {
        for (int k = 0; k < count; ++k) {
            const double Z = z[k];
            roots[k].V = Z * RT / P;
            roots[k].lnPhi = Z - 1.0 - std::log(Z - Br) - A / (Ba * (d1 - d2)) * std::log((Z + d1 * Ba) / (Z + d2 * Ba));
        }
    } else {
        count = stableCubicRoots(a, ba, br, kept.u, kept.w, T, P, roots);
        for (int k = 0; k < count; ++k) z[k] = roots[k].V * P / RT;
    }
    for (int k = 0; k < count && lnPhi; ++k) {
        const double Z = z[k], q1 = Z + d1 * Ba, q2 = Z + d2 * Ba;
        const double L = A / (Ba * (d1 - d2)) * std::log(q1 / q2), bulk = A * Z / (q1 * q2);
        const double lnZB = std::log(Z - Br);
        for (int i = 0; i < n; ++i) {
            const double ai = 2.0 * sa[i] / a, bai = (2.0 * sba[i] - ba) / ba, Bri = (2.0 * sbr[i] - br) * P / RT;
            lnPhi[k * n + i] = -lnZB + Bri / (Z - Br) - L * (ai - bai) - bai * bulk;
        }
    }
    // A translated volume V = V' - c (c = sum_i x_i c_i) shifts ln phi_i by
    // -P c_i/(RT) (Peneloux, Rauzy & Freze 1982).
    if (kept.c.empty()) return count;
    double c = 0.0;
    for (int i = 0; i < n; ++i) c += x[i] * kept.c[i];
    for (int k = 0; k < count; ++k) {
        roots[k].V -= c;
        roots[k].lnPhi -= P * c / RT;
        for (int i = 0; lnPhi && i < n; ++i) lnPhi[k * n + i] -= P * kept.c[i] / RT;
    }
    return count > 0 && roots[0].V > 0.0 ? count : 0;
}

}  // namespace cubic
