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
    if (n == 2) {  // a binary's, its sums in the same order
        const double s0 = (0.0 + m[0] * x[0]) + m[1] * x[1], s1 = (0.0 + m[2] * x[0]) + m[3] * x[1];
        if (s) s[0] = s0, s[1] = s1;
        return (0.0 + x[0] * s0) + x[1] * s1;
    }
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
    m.derivatives = 0;
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



// The T derivatives of the pair (i, j) of a node quadratic in the mole
// fractions: those of its pair node (SumX2, the tree evaluated to the second
// order), none for a form of constant coefficients (LineaX2).
bool pairTDerivatives(const Expression* node, int i, int j, double& vT, double& vTT) {
    if (i < j) std::swap(i, j);
    if (const auto* sum = dynamic_cast<const SumX2*>(node)) {
        const Expression* e = sum->terms && sum->terms[i] ? sum->terms[i][j] : nullptr;
        if (!e || !e->d1 || !e->d2) return false;
        vT = e->d1[0];
        vTT = e->d2[0][0];
        return true;
    }
    if (dynamic_cast<const LineaX2*>(node)) {
        vT = vTT = 0.0;
        return true;
    }
    return false;
}

// A quadratic form q = sum_ij x_i x_j m_ij(T) at the mole fractions x (taken
// independent) with its derivatives: q_T, q_TT, q_k = 2 sum_j x_j m_kj,
// q_kT = 2 sum_j x_j m_kj,T (q_kl = 2 m_kl is read from m).
struct Form {
    const double* m = nullptr;
    double v = 0.0, T = 0.0, TT = 0.0;
    double x[kMaxMixtureComponents], xT[kMaxMixtureComponents];
};

void formAt(const std::vector<double>& m, const std::vector<double>& mT, const std::vector<double>& mTT, int n,
            const double* x, Form& q) {
    q.m = m.data();
    q.v = q.T = q.TT = 0.0;
    const bool inT = !mT.empty();  // (empty: the pairs do not depend on T)
    for (int k = 0; k < n; ++k) {
        double s = 0.0, sT = 0.0, sTT = 0.0;
        const double* row = m.data() + k * n;
        for (int j = 0; j < n; ++j) s += row[j] * x[j];
        if (inT)
            for (int j = 0; j < n; ++j) {
                sT += mT[k * n + j] * x[j];
                sTT += mTT[k * n + j] * x[j];
            }
        q.v += x[k] * s;
        q.T += x[k] * sT;
        q.TT += x[k] * sTT;
        q.x[k] = 2.0 * s;
        q.xT[k] = 2.0 * sT;
    }
}

// A function f(V, p) of the volume and one mixture parameter p with its
// partial derivatives.
struct Partials {
    double f, p, pp, V, VV, pV;
};

// The term g(T, x) f(V, p(T, x)) written into t with its first and second
// derivatives in T, V and the mole fractions (the chain rule); g is the
// quadratic form G/(RT) of the attraction's a, or 1 (G null).
void writeTerm(Interaction& t, int n, double T, const Form* G, const Form& p, const Partials& f) {
    const double iRT = 1.0 / (R * T), iT = 1.0 / T;
    double g = 1.0, gT = 0.0, gTT = 0.0;
    double gk[kMaxMixtureComponents], gkT[kMaxMixtureComponents];
    for (int k = 0; k < n; ++k) gk[k] = gkT[k] = 0.0;
    if (G) {
        g = G->v * iRT;
        gT = (G->T - G->v * iT) * iRT;
        gTT = (G->TT - 2.0 * G->T * iT + 2.0 * G->v * iT * iT) * iRT;
        for (int k = 0; k < n; ++k) {
            gk[k] = G->x[k] * iRT;
            gkT[k] = (G->xT[k] - G->x[k] * iT) * iRT;
        }
    }
    const double fp = f.p, gfp = g * fp;
    t.A = g * f.f;
    t.aT = gT * f.f + gfp * p.T;
    t.ATT = gTT * f.f + 2.0 * gT * fp * p.T + g * (f.pp * p.T * p.T + fp * p.TT);
    t.aV = g * f.V;
    t.aVV = g * f.VV;
    t.aTV = gT * f.V + g * f.pV * p.T;
    double* dadx = t.dadx.data();
    double* dadxdT = t.dadxdT.data();
    double* dadxdV = t.dadxdV.data();
    for (int k = 0; k < n; ++k) {
        const double pk = p.x[k];
        dadx[k] = gk[k] * f.f + gfp * pk;
        dadxdT[k] = gkT[k] * f.f + gk[k] * fp * p.T + gT * fp * pk + g * (f.pp * pk * p.T + fp * p.xT[k]);
        dadxdV[k] = gk[k] * f.V + g * f.pV * pk;
        double* row = t.dadxdx[k].data();
        for (int l = 0; l <= k; ++l) {
            const double gkl = G ? 2.0 * G->m[k * n + l] * iRT : 0.0;
            const double pl = p.x[l], pkl = 2.0 * p.m[k * n + l];
            row[l] = t.dadxdx[l][k] = gkl * f.f + (gk[k] * pl + gk[l] * pk) * fp + g * (f.pp * pk * pl + fp * pkl);
        }
    }
}

// The repulsion -ln(V - br) in V and br.
Partials repulsionPartials(double V, double br) {
    const double s = 1.0 / (V - br);
    return {-std::log(V - br), s, s * s, -s, s * s, -s * s};
}

// The attraction's h(V, ba) = L/(ba sqrt(delta)), L = ln(e1/e2),
// e1,2 = 2V + (u -+ sqrt(delta)) ba, in V and ba.
Partials attractionPartials(double V, double ba, double u, double delta) {
    const double sd = std::sqrt(delta), p1 = u - sd, p2 = u + sd;
    const double e1 = 2.0 * V + p1 * ba, e2 = 2.0 * V + p2 * ba;
    const double L = std::log(e1 / e2), LV = 2.0 / e1 - 2.0 / e2, LVV = 4.0 / (e2 * e2) - 4.0 / (e1 * e1);
    const double Lb = p1 / e1 - p2 / e2, Lbb = p2 * p2 / (e2 * e2) - p1 * p1 / (e1 * e1);
    const double LbV = 2.0 * p2 / (e2 * e2) - 2.0 * p1 / (e1 * e1);
    const double c = 1.0 / (ba * sd), cb = -c / ba, cbb = 2.0 * c / (ba * ba);
    return {c * L, Lb * c + L * cb, Lbb * c + 2.0 * Lb * cb + L * cbb, c * LV, c * LVV, LbV * c + LV * cb};
}

// Both terms' a and derivatives written at T, V and x from the pairs m (their
// T derivatives read); false where the state lies at or below the co-volume
// or they do not evaluate.
bool writeTerms(const MixturePairs& m, Interaction& attraction, Interaction& repulsion, double T, double V,
                const double* x) {
    const int n = m.n;
    Form a, ba, br;
    formAt(m.a, m.aT, m.aTT, n, x, a);
    formAt(m.ba, m.baT, m.baTT, n, x, ba);
    formAt(m.br, m.brT, m.brTT, n, x, br);
    if (!(V > br.v) || !(ba.v > 0.0) || !(a.v > 0.0) || !(T > 0.0)) return false;
    writeTerm(repulsion, n, T, nullptr, br, repulsionPartials(V, br.v));
    writeTerm(attraction, n, T, &a, ba, attractionPartials(V, ba.v, m.u, m.u * m.u - 4.0 * m.w));
    return std::isfinite(attraction.A + attraction.aT + attraction.ATT + attraction.aV + attraction.aVV +
                         attraction.aTV + repulsion.A + repulsion.aV + repulsion.aVV + repulsion.aT + repulsion.ATT);
}

// Whether the term's a and derivatives written in t agree with its tree's,
// evaluated to the second order at t's state (each made dimensionless by
// T and V).
bool agreesWithTree(const Interaction& t, double T, double V) {
    const Expression* e = t.root;
    if (!e || !e->d1 || !e->d2) return false;
    auto near = [](double closed, double tree, double scale) {
        const double c = closed * scale, r = tree * scale;
        return std::fabs(c - r) <= 1e-9 * (std::fabs(c) + std::fabs(r)) + 1e-13;
    };
    if (!near(t.A, e->value, 1.0) || !near(t.aT, e->d1[0], T) || !near(t.aV, e->d1[1], V) ||
        !near(t.ATT, e->d2[0][0], T * T) || !near(t.aTV, e->d2[1][0], T * V) || !near(t.aVV, e->d2[1][1], V * V))
        return false;
    for (int k = 0; k < t.component_count; ++k) {
        if (!near(t.dadx[k], e->d1[2 + k], 1.0) || !near(t.dadxdT[k], e->d2[2 + k][0], T) ||
            !near(t.dadxdV[k], e->d2[2 + k][1], V))
            return false;
        for (int l = 0; l <= k; ++l)
            if (!near(t.dadxdx[k][l], e->d2[2 + k][2 + l], 1.0)) return false;
    }
    return true;
}

// Reads the pairs' T derivatives from both trees evaluated to the second
// order at T and V (the phase's composition) and checks the closed form's
// terms against the trees there: m.derivatives 1 where they agree, else -1.
void readPairDerivatives(FluidPhase& f, Schmidt0& t, VdWr& r, double T, double V, MixturePairs& m) {
    const int n = m.n;
    m.derivatives = -1;
    Expression* covolume = r.mixtureCovolume();
    const double P_bar = R * T / V * 1e-5;
    Expression::sError = 0;
    evaluateAttractionAt(r, T, P_bar, 2);
    evaluateAttractionAt(t, T, P_bar, 2);
    const double Ve = t.V;
    if (Expression::sError) return;
    for (auto* v : {&m.aT, &m.aTT, &m.baT, &m.baTT, &m.brT, &m.brTT}) v->assign(n * n, 0.0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) {
            double aT, aTT, baT, baTT, brT, brTT;
            if (!pairTDerivatives(t.a, i, j, aT, aTT) || !pairTDerivatives(t.b, i, j, baT, baTT) ||
                !pairTDerivatives(covolume, i, j, brT, brTT))
                return;
            m.aT[i * n + j] = m.aT[j * n + i] = aT;
            m.aTT[i * n + j] = m.aTT[j * n + i] = aTT;
            m.baT[i * n + j] = m.baT[j * n + i] = baT;
            m.baTT[i * n + j] = m.baTT[j * n + i] = baTT;
            m.brT[i * n + j] = m.brT[j * n + i] = brT;
            m.brTT[i * n + j] = m.brTT[j * n + i] = brTT;
        }
    // (pairs that do not depend on T: none kept)
    for (auto [d, dd] : {std::pair{&m.aT, &m.aTT}, {&m.baT, &m.baTT}, {&m.brT, &m.brTT}}) {
        const auto zero = [](double v) { return v == 0.0; };
        if (std::all_of(d->begin(), d->end(), zero) && std::all_of(dd->begin(), dd->end(), zero)) {
            d->clear();
            dd->clear();
        }
    }
    // The closed form written at the trees' state, then the trees' own a
    // and derivatives there: the terms mix as the closed form assumes.
    if (writeTerms(m, t, r, T, Ve, f.x.data()) && agreesWithTree(t, T, Ve) && agreesWithTree(r, T, Ve))
        m.derivatives = 1;
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

bool termMixtureResidual(FluidPhase& f, Schmidt0& t, VdWr& r, MixturePairs& kept, Sources sources, double T,
                         double V, bool sameT) {
    if (!(T > 0.0) || !(V > 0.0) || static_cast<int>(f.x.size()) != f.component_count ||
        !pairsAt(f, t, r, kept, T, R * T / V * 1e-5, sources, sameT))
        return false;
    if (kept.derivatives == 0) readPairDerivatives(f, t, r, T, V, kept);
    // (the trees' evaluation leaves the terms at its own volume)
    t.T = r.T = T;
    t.V = r.V = V;
    if (kept.derivatives < 0 || !writeTerms(kept, t, r, T, V, f.x.data())) return false;
    r.takeAnswerInClosedForm();
    t.takeAnswerInClosedForm();
    return true;
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

bool quadraticMixtureResidual(FluidPhase& f, QuadraticCubic& t, VdWr1& r, MixturePairs& kept, double T, double V,
                              bool sameT) {
    return termMixtureResidual(f, t, r, kept, {t.pairs.kaij, t.pairs.bij, r.bij}, T, V, sameT);
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
    // Each root's ln(Z - B) and attraction term A/(B (d1 - d2)) ln(q1/q2),
    // shared by the fluid's ln phi and the components'.
    double z[2] = {0.0, 0.0}, lnZB[2] = {0.0, 0.0}, L[2] = {0.0, 0.0};
    auto logs = [&](int k) {
        const double Z = z[k];
        lnZB[k] = std::log(Z - Br);
        L[k] = A / (Ba * (d1 - d2)) * std::log((Z + d1 * Ba) / (Z + d2 * Ba));
    };
    int count = A > 0.0 && Ba > 0.0 && Br > 0.0 && std::isfinite(A + Ba + Br)
                    ? polishedRoots(A, Ba, Br, kept.u, kept.w, RT, P, a, ba, br, z)
                    : 0;
    if (count > 0) {
        for (int k = 0; k < count; ++k) {
            logs(k);
            roots[k].V = z[k] * RT / P;
            roots[k].lnPhi = z[k] - 1.0 - lnZB[k] - L[k];
        }
    } else {
        count = stableCubicRoots(a, ba, br, kept.u, kept.w, T, P, roots);
        for (int k = 0; k < count; ++k) {
            z[k] = roots[k].V * P / RT;
            if (lnPhi) logs(k);
        }
    }
    for (int k = 0; k < count && lnPhi; ++k) {
        const double Z = z[k], q1 = Z + d1 * Ba, q2 = Z + d2 * Ba;
        const double bulk = A * Z / (q1 * q2);
        for (int i = 0; i < n; ++i) {
            const double ai = 2.0 * sa[i] / a, bai = (2.0 * sba[i] - ba) / ba, Bri = (2.0 * sbr[i] - br) * P / RT;
            lnPhi[k * n + i] = -lnZB[k] + Bri / (Z - Br) - L[k] * (ai - bai) - bai * bulk;
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
