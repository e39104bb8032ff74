#include "water/Wagner.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "water/IAPWS95Coefficients.h"
#include "fluid/ReducedVariable.h"
#include "water/LeafDerivatives.h"

using waterleaf::link;

namespace {

constexpr double kTc = iapws95::Tc;
constexpr double kVc = iapws95::Vc;

// The index, among the distinct powers of tau of the terms 1 to 51 in the
// order of their first term, of the power of each of those terms.
struct TauPowers {
    int of[51] = {};
    int count = 0;
};

constexpr TauPowers tauPowers()
{
    TauPowers p;
    for (int i = 0; i < 51; ++i) {
        int j = 0;
        while (j < i && iapws95::residualTerms[j].t != iapws95::residualTerms[i].t)
            ++j;
        p.of[i] = j < i ? p.of[j] : p.count++;
    }
    return p;
}

constexpr TauPowers kPowers = tauPowers();
static_assert(kPowers.count == Wagner::kTauPowers);

// The distinct damped powers delta^d exp(-delta^c) (c = 0: delta^d) of the
// terms 1 to 51, and the one of each term.
struct DampedPowers {
    int c[51] = {}, d[51] = {};
    int of[51] = {};
    int count = 0;
};

constexpr DampedPowers dampedPowers()
{
    DampedPowers p;
    for (int i = 0; i < 51; ++i) {
        const iapws95::ResidualTerm& k = iapws95::residualTerms[i];
        int j = 0;
        while (j < p.count && (p.c[j] != k.c || p.d[j] != k.d))
            ++j;
        if (j == p.count) {
            p.c[j] = k.c;
            p.d[j] = k.d;
            ++p.count;
        }
        p.of[i] = j;
    }
    return p;
}

constexpr DampedPowers kDamped = dampedPowers();

// The three Gaussian terms share delta^3 exp(-20 (delta - 1)^2), and the
// first two their factor of tau, as the tree assumes.
constexpr bool gaussianTermsShareTheirDeltaPart()
{
    for (int k = 0; k < 3; ++k)
        if (iapws95::residualTerms[51 + k].d != 3 || iapws95::gaussAlpha[k] != iapws95::gaussAlpha[0] ||
            iapws95::gaussEpsilon[k] != 1.0)
            return false;
    return iapws95::gaussBeta[1] == iapws95::gaussBeta[0] && iapws95::gaussGamma[1] == iapws95::gaussGamma[0] &&
           iapws95::residualTerms[51].t == 0.0 && iapws95::residualTerms[52].t == 1.0 &&
           iapws95::residualTerms[53].t == 4.0;
}
static_assert(gaussianTermsShareTheirDeltaPart());

// A function of delta and its derivatives to the order K (2 for the
// evaluations to the second order, 4 for those to the fourth).
template <int K>
struct DeltaJet {
    double f[K + 1] = {};
};

// The falling factorials d (d-1) ... (d-k+1), d = 0 .. 15, k = 0 .. 4.
struct FallingFactorials {
    double of[16][5] = {};
};

constexpr FallingFactorials fallingFactorials()
{
    FallingFactorials t;
    for (int d = 0; d < 16; ++d) {
        double c = 1.0;
        for (int k = 0; k < 5; ++k) {
            t.of[d][k] = c;
            c *= d - k;
        }
    }
    return t;
}

constexpr FallingFactorials kFalling = fallingFactorials();

// n x^d (d <= 15), from the powers p[k] = x^k (p[-1] .. p[-K] zero).
template <int K>
DeltaJet<K> monomial(double n, int d, const double* p)
{
    DeltaJet<K> j;
    const double* c = kFalling.of[d];
#pragma GCC unroll 5
    for (int k = 0; k <= K; ++k)
        j.f[k] = n * c[k] * p[d - k];
    return j;
}

// Leibniz's rule.
template <int K>
DeltaJet<K> product(const DeltaJet<K>& p, const DeltaJet<K>& q)
{
    const double *a = p.f, *b = q.f;
    DeltaJet<K> j;
    j.f[0] = a[0] * b[0];
    j.f[1] = a[1] * b[0] + a[0] * b[1];
    j.f[2] = a[2] * b[0] + 2.0 * a[1] * b[1] + a[0] * b[2];
    if constexpr (K == 4) {
        j.f[3] = a[3] * b[0] + 3.0 * (a[2] * b[1] + a[1] * b[2]) + a[0] * b[3];
        j.f[4] = a[4] * b[0] + 4.0 * (a[3] * b[1] + a[1] * b[3]) + 6.0 * a[2] * b[2] + a[0] * b[4];
    }
    return j;
}

// g(u(x)) from g's derivatives in u and u's in x (Faa di Bruno).
template <int K>
DeltaJet<K> compose(const DeltaJet<K>& g, const double* u)
{
    const double u1 = u[1], u2 = u[2];
    DeltaJet<K> j;
    j.f[0] = g.f[0];
    j.f[1] = g.f[1] * u1;
    j.f[2] = g.f[2] * u1 * u1 + g.f[1] * u2;
    if constexpr (K == 4) {
        const double u3 = u[3], u4 = u[4];
        j.f[3] = g.f[3] * u1 * u1 * u1 + 3.0 * g.f[2] * u1 * u2 + g.f[1] * u3;
        j.f[4] = g.f[4] * u1 * u1 * u1 * u1 + 6.0 * g.f[3] * u1 * u1 * u2 + 3.0 * g.f[2] * u2 * u2 +
                 4.0 * g.f[2] * u1 * u3 + g.f[1] * u4;
    }
    return j;
}

// exp(u(x)).
template <int K>
DeltaJet<K> exponential(const DeltaJet<K>& u)
{
    const double e = std::exp(u.f[0]);
    DeltaJet<K> g;
#pragma GCC unroll 5
    for (double& gk : g.f)
        gk = e;
    return compose(g, u.f);
}

// n x^d exp(-alpha (x - 1)^2).
template <int K>
DeltaJet<K> bellJet(double n, int d, double alpha, const double* p)
{
    const double e = p[1] - 1.0;
    DeltaJet<K> u;
    u.f[0] = -alpha * e * e;
    u.f[1] = -2.0 * alpha * e;
    u.f[2] = -2.0 * alpha;
    return product(monomial<K>(n, d, p), exponential(u));
}

// Writes the entries of orders `from` to K of g(delta(V)) into the leaf, from
// g's derivatives in delta and delta's in V (dv).
template <int K>
void loadInV(Leaf& leaf, const DeltaJet<K>& g, const double* dv, int from)
{
    const DeltaJet<K> j = compose(g, dv);
    if (from == 0) {
        leaf.value = j.f[0];
        leaf.d1[1] = j.f[1];
        leaf.D2[Expression::off2(1, 1)] = j.f[2];
    }
    if constexpr (K == 4) {
        leaf.D3[Expression::off3(1, 1, 1)] = j.f[3];
        leaf.D4[Expression::off4(1, 1, 1, 1)] = j.f[4];
    }
}

// c |delta - 1|^q, which is c [(delta - 1)^2]^(q/2), and its derivatives in
// delta.  They are those of the power of |delta - 1|, so that at delta = 1
// each is its limit: 0 below the order q, infinite above it (the fourth
// derivative of |delta - 1|^(10/3)).  Away from delta = 1 one power gives them
// all: |e|^(q-k) = |e|^q / |e|^k.
template <int K>
DeltaJet<K> absPowerOfDeltaMinusOne(double c, double q, double delta)
{
    const double e = delta - 1.0;
    const double x = std::fabs(e);
    DeltaJet<K> g;
    if (x > 0.0 && std::isfinite(x)) {
        const double r = 1.0 / x;
        // The power 2a = 7 of the non-analytic terms by products (cheaper
        // than pow, and as exact).
        double coef = c, p;
        if (q == 7.0) {
            const double x3 = x * x * x;
            p = x3 * x3 * x;
        } else {
            p = std::pow(x, q);
        }
        for (int k = 0; k <= K; ++k) {
            g.f[k] = coef == 0.0 ? 0.0 : coef * p;
            coef *= q - k;
            p *= r;
        }
    } else {
        const waterleaf::Jet j = waterleaf::power(c, x, q);
        for (int k = 0; k <= K; ++k)
            g.f[k] = j.f[k];
    }
    if (e < 0) {
        g.f[1] = -g.f[1];
        if constexpr (K == 4) g.f[3] = -g.f[3];
    }
    return g;
}

}  // namespace

Expression* Wagner::tauPower(double t)
{
    if (t == -0.5) return &taui1;
    if (t == 0.875) return &taui2;
    if (t == 0.5) return &taui4;
    if (t == 0.75) return &taui5;
    if (t == 0.375) return &taui6;
    switch (static_cast<int>(t)) {
    case 1: return &tau;
    case 2: return &tau2;
    case 3: return &tau3;
    case 4: return &tau4;
    case 5: return &tau5;
    case 6: return &tau6;
    case 7: return &tau7;
    case 8: return &tau8;
    case 9: return &tau9;
    case 10: return &tau10;
    case 11: return &tau11;
    case 12: return &tau12;
    case 13: return &tau13;
    case 16: return &tau16;
    case 22: return &tau22;
    case 23: return &tau23;
    case 44: return &tau44;
    case 46: return &tau46;
    case 50: return &tau50;
    default: return nullptr;
    }
}

Wagner::Wagner()
{
    leavesDependOnlyOn({{&tau, 0}, {&deltat, 1}, {&deltad, 1}, {&bell, 1}, {&psiDelta55, 1},
                        {&psiDelta56, 1}});
    for (Leaf& h : damped)
        leavesDependOnlyOn({{&h, 1}});
    using iapws95::residualTerms;
    setModelName("Wagner Interaction");

    constexpr int kRootTerms = kTauPowers + 3;
    Sum* A = new Sum;
    A->setName("A");
    A->number_of_terms(kRootTerms);
    for (int j = 0; j < kTauPowers; ++j)
        A->tiei(j, polynomial[j]);
    A->tiei(kTauPowers, gaussTerm);
    A->tiei(kTauPowers + 1, nonAnalytic55);
    A->tiei(kTauPowers + 2, nonAnalytic56);
    for (int j = 0; j < kRootTerms; ++j)
        A->set_scalar(j, 1.0);
    A->set_scalar(kRootTerms, 0.0);
    root = A;

    tau.setName("tau");

    // Fractional powers of tau.
    link(taui1, "taui1", tau);
    taui1.set_scalars3(1.0, -0.5, 0.0);
    link(taui2, "taui2", tau);
    taui2.set_scalars3(1.0, 0.875, 0.0);
    link(taui4, "taui4", tau);
    taui4.set_scalars3(1.0, 0.5, 0.0);
    link(taui5, "taui5", tau);
    taui5.set_scalars3(1.0, 0.75, 0.0);
    link(taui6, "taui6", tau);
    taui6.set_scalars3(1.0, 0.375, 0.0);

    // Integer powers of tau.
    link(tau2, "tau2", tau);
    link(tau3, "tau3", tau);
    link(tau4, "tau4", tau2);
    link(tau5, "tau5", tau4, tau);
    link(tau6, "tau6", tau3);
    link(tau7, "tau7", tau6, tau);
    link(tau8, "tau8", tau4);
    link(tau9, "tau9", tau8, tau);
    link(tau10, "tau10", tau5);
    link(tau11, "tau11", tau10, tau);
    link(tau12, "tau12", tau6);
    link(tau13, "tau13", tau12, tau);
    link(tau16, "tau16", tau8);
    link(tau22, "tau22", tau11);
    link(tau23, "tau23", tau22, tau);
    link(tau44, "tau44", tau22);
    link(tau46, "tau46", tau23);
    link(tau50, "tau50", tau46, tau4);

    // Terms 1 to 51: tau^t H_t(delta) for each power t.
    for (int i = 0; i < 51; ++i) {
        const int j = kPowers.of[i];
        if (polynomial[j].u) continue;
        const std::string t = std::to_string(j + 1);
        damped[j].setName(("H" + t).c_str());
        link(polynomial[j], ("p" + t).c_str(), damped[j], *tauPower(residualTerms[i].t));
    }

    // Gaussian terms 52 to 54: h(delta) G(tau).
    link(taui52, "taui52", tau);
    taui52.set_scalars2(1.0, -iapws95::gaussGamma[0]);
    link(taui54, "taui54", tau);
    taui54.set_scalars2(1.0, -iapws95::gaussGamma[2]);
    link(taui52sq, "taui52sq", taui52);
    link(taui54sq, "taui54sq", taui54);
    link(g52, "g52", taui52sq);
    g52.set_scalars3(0.0, 1.0, -iapws95::gaussBeta[0]);
    link(g54, "g54", taui54sq);
    g54.set_scalars3(0.0, 1.0, -iapws95::gaussBeta[2]);
    link(tau1g52, "tau1g52", tau, g52);
    link(tau4g54, "tau4g54", tau4, g54);
    gauss.setName("G");
    gauss.number_of_terms(3);
    gauss.tiei(0, g52);
    gauss.tiei(1, tau1g52);
    gauss.tiei(2, tau4g54);
    for (int k = 0; k < 3; ++k)
        gauss.set_scalar(k, residualTerms[51 + k].n);
    gauss.set_scalar(3, 0.0);
    bell.setName("h");
    link(gaussTerm, "gaussian", bell, gauss);

    // Non-analytic terms 55 and 56: n Delta^b delta psi.
    link(taum1, "taum1", tau);
    taum1.set_scalars2(1.0, -1.0);
    link(taum1sq, "taum1sq", taum1);
    link(psiTau55, "psiTau55", taum1sq);
    psiTau55.set_scalars3(0.0, 1.0, -iapws95::nonAnalyticD[0]);
    link(psiTau56, "psiTau56", taum1sq);
    psiTau56.set_scalars3(0.0, 1.0, -iapws95::nonAnalyticD[1]);
    psiDelta55.setName("psiDelta55");
    psiDelta56.setName("psiDelta56");
    link(psi55, "psi55", psiDelta55, psiTau55);
    link(psi56, "psi56", psiDelta56, psiTau56);
    deltat.setName("deltat");
    link(theta, "theta", taum1, deltat);
    theta.set_scalars3(-1.0, 1.0, 0.0);
    link(theta2, "theta2", theta);
    deltad.setName("deltad");
    link(bigDelta, "bigDelta", theta2, deltad);
    bigDelta.set_scalars3(1.0, 1.0, 0.0);
    link(pdelta55, "pdelta55", bigDelta);
    pdelta55.set_scalars3(1.0, iapws95::nonAnalyticSmallB[0], 0.0);
    link(pdelta56, "pdelta56", bigDelta);
    pdelta56.set_scalars3(1.0, iapws95::nonAnalyticSmallB[1], 0.0);
    link(nonAnalytic55, "nonAnalytic55", psi55, pdelta55);
    link(nonAnalytic56, "nonAnalytic56", psi56, pdelta56);

    setDebugLink();
}

void Wagner::calculate_fixed_parameters()
{
    setReducedVariable(tau, kTc, T, 0);
}

// The leaves of delta to the order K: every entry to the second order
// (K = 2), or the third and fourth (K = 4).
template <int K>
void Wagner::loadDeltaParts()
{
    using iapws95::residualTerms;
    double dv[5];  // delta = Vc/V and its derivatives in V
    reducedVariable(kVc, V, dv);
    double powers[16 + K];
    double* p = powers + K;
    for (int k = -K; k < 0; ++k)
        p[k] = 0.0;
    p[0] = 1.0;
    for (int k = 1; k < 16; ++k)
        p[k] = p[k - 1] * dv[0];

    // H_t(delta) from the damping factors exp(-delta^c) and the damped
    // powers, the terms in their order.
    DeltaJet<K> damping[7];
    for (int c : {1, 2, 3, 4, 6})
        damping[c] = exponential(monomial<K>(-1.0, c, p));
    DeltaJet<K> f[kDamped.count];
    for (int q = 0; q < kDamped.count; ++q) {
        const int c = kDamped.c[q];
        f[q] = c ? product(monomial<K>(1.0, kDamped.d[q], p), damping[c]) : monomial<K>(1.0, kDamped.d[q], p);
    }
    DeltaJet<K> H[kTauPowers];
    for (int i = 0; i < 51; ++i) {
        const double n = residualTerms[i].n;
        const DeltaJet<K>& g = f[kDamped.of[i]];
        DeltaJet<K>& h = H[kPowers.of[i]];
#pragma GCC unroll 5
        for (int o = 0; o <= K; ++o)
            h.f[o] += n * g.f[o];
    }
    const int from = K == 2 ? 0 : 3;
    for (int j = 0; j < kTauPowers; ++j)
        loadInV(damped[j], H[j], dv, from);
    loadInV(bell, bellJet<K>(1.0, 3, iapws95::gaussAlpha[0], p), dv, from);
    loadInV(psiDelta55, bellJet<K>(residualTerms[54].n, 1, iapws95::nonAnalyticC[0], p), dv, from);
    loadInV(psiDelta56, bellJet<K>(residualTerms[55].n, 1, iapws95::nonAnalyticC[1], p), dv, from);

    // The powers of the non-analytic terms, A [(delta-1)^2]^(1/(2 beta)) and B [(delta-1)^2]^a.
    loadInV(deltat, absPowerOfDeltaMinusOne<K>(iapws95::nonAnalyticA, 1.0 / iapws95::nonAnalyticBeta, dv[0]), dv, from);
    loadInV(deltad, absPowerOfDeltaMinusOne<K>(iapws95::nonAnalyticB, 2.0 * iapws95::nonAnalyticSmallA, dv[0]), dv,
            from);
}

void Wagner::calculate_volume_dependent_parameters()
{
    loadDeltaParts<2>();
}

void Wagner::calculate_high_order_parameters()
{
    loadDeltaParts<4>();
}
