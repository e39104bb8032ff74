#include "water/Wagner.h"

#include <algorithm>
#include <cmath>
#include <utility>

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
    double t[51] = {};  // the powers
    int count = 0;
};

constexpr TauPowers tauPowers()
{
    TauPowers p;
    for (int i = 0; i < 51; ++i) {
        int j = 0;
        while (j < i && iapws95::residualTerms[j].t != iapws95::residualTerms[i].t)
            ++j;
        if (j == i) p.t[p.count] = iapws95::residualTerms[i].t;
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
static_assert(kDamped.count + 1 == Wagner::kFunctionsOfDelta);

// The three Gaussian terms share their part in delta, delta^3 exp(-20 (delta - 1)^2).
constexpr bool gaussianTermsShareTheirDeltaPart()
{
    for (int k = 0; k < 3; ++k)
        if (iapws95::residualTerms[51 + k].d != 3 || iapws95::gaussAlpha[k] != iapws95::gaussAlpha[0] ||
            iapws95::gaussEpsilon[k] != 1.0)
            return false;
    return true;
}
static_assert(gaussianTermsShareTheirDeltaPart());

// A function of one variable and its derivatives to the order K (2 for the
// evaluations to the second order, 4 for those to the fourth).
template <int K>
using Jet = waterleaf::JetOf<K>;
using waterleaf::compose;
using waterleaf::exponential;
using waterleaf::product;

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
Jet<K> monomial(double n, int d, const double* p)
{
    Jet<K> j;
    const double* c = kFalling.of[d];
#pragma GCC unroll 5
    for (int k = 0; k <= K; ++k)
        j.f[k] = n * c[k] * p[d - k];
    return j;
}

// f(x) exp(-alpha (x - centre)^2).
template <int K>
Jet<K> gaussian(const Jet<K>& f, double alpha, double x, double centre)
{
    const double e = x - centre;
    Jet<K> u;
    u.f[0] = -alpha * e * e;
    u.f[1] = -2.0 * alpha * e;
    u.f[2] = -2.0 * alpha;
    return product(f, exponential(u));
}

// n x^t for a real t at x > 0: one power (integer powers by products), the
// derivatives from it by x^(t-k) = x^t / x^k.
template <int K>
Jet<K> power(double n, double t, double x)
{
    double p = 1.0;
    if (t == std::floor(t) && t >= 0.0 && t <= 64.0)
        for (int k = 0; k < static_cast<int>(t); ++k)
            p *= x;
    else
        p = std::pow(x, t);
    Jet<K> j;
    double coef = n;
    const double r = 1.0 / x;
    for (int k = 0; k <= K; ++k) {
        j.f[k] = coef * p;
        coef *= t - k;
        p *= r;
    }
    return j;
}

// Writes the entries of orders `from` to K of g(delta(V)) into the leaf, from
// g's derivatives in delta and delta's in V (dv).
template <int K>
void loadInV(Leaf& leaf, const Jet<K>& g, const double* dv, int from)
{
    const Jet<K> j = compose(g, dv);
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
Jet<K> absPowerOfDeltaMinusOne(double c, double q, double delta)
{
    const double e = delta - 1.0;
    const double x = std::fabs(e);
    Jet<K> g;
    if (x > 0.0 && std::isfinite(x)) {
        g = power<K>(c, q, x);
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

Wagner::Wagner()
{
    leavesDependOnlyOn({{&tau, 0},
                        {&separable, waterleaf::kTemperatureAndVolume},
                        {&deltat, 1},
                        {&deltad, 1},
                        {&psiDelta55, 1},
                        {&psiDelta56, 1}});
    setModelName("Wagner Interaction");

    Sum* A = new Sum;
    A->setName("A");
    A->number_of_terms(3);
    A->tiei(0, separable);
    A->tiei(1, nonAnalytic55);
    A->tiei(2, nonAnalytic56);
    for (int j = 0; j < 3; ++j)
        A->set_scalar(j, 1.0);
    A->set_scalar(3, 0.0);
    root = A;

    tau.setName("tau");
    separable.setName("terms1to54");

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

// The coefficients of the separable part at T: for each damped power, the
// sum over its terms of n tau^t, and G(tau), with their derivatives in T.
void Wagner::updateTauCoefficients()
{
    if (T == coefficientsT_) return;
    double tv[5];  // tau = Tc/T and its derivatives in T
    reducedVariable(kTc, T, tv);
    Jet<4> powerInT[kTauPowers];
    for (int j = 0; j < kTauPowers; ++j)
        powerInT[j] = compose(power<4>(1.0, kPowers.t[j], tv[0]), tv);
    for (auto& c : coefficients_)
        for (double& ck : c)
            ck = 0.0;
    for (int i = 0; i < 51; ++i)
        for (int k = 0; k <= 4; ++k)
            coefficients_[kDamped.of[i]][k] += iapws95::residualTerms[i].n * powerInT[kPowers.of[i]].f[k];
    Jet<4> G;
    for (int k = 0; k < 3; ++k) {
        const iapws95::ResidualTerm& term = iapws95::residualTerms[51 + k];
        const Jet<4> g = gaussian(power<4>(term.n, term.t, tv[0]), iapws95::gaussBeta[k], tv[0], iapws95::gaussGamma[k]);
        for (int o = 0; o <= 4; ++o)
            G.f[o] += g.f[o];
    }
    const Jet<4> GinT = compose(G, tv);
    for (int k = 0; k <= 4; ++k)
        coefficients_[kDamped.count][k] = GinT.f[k];
    coefficientsT_ = T;
}

// The entries of the separable part with A derivatives in T, from the
// functions of delta f: those with 0 to K - A derivatives in V (K = 2), or
// those of order 3 and 4 (K = 4).
template <int K, int A, class FunctionOfDelta>
void Wagner::loadSeparableEntries(const FunctionOfDelta* f, const double* dv)
{
    constexpr int B = K - A;
    Jet<B> s;
    for (int q = 0; q < kFunctionsOfDelta; ++q) {
        const double c = coefficients_[q][A];
#pragma GCC unroll 5
        for (int o = 0; o <= B; ++o)
            s.f[o] += c * f[q].f[o];
    }
    const Jet<B> inV = compose(s, dv);
    Leaf& l = separable;
    for (int b = K == 2 ? 0 : std::max(0, 3 - A); b <= B; ++b) {
        // The entry (1 .. 1 0 .. 0): b indices of V, A of T.
        const int i = b > 0 ? 1 : 0, j = b > 1 ? 1 : 0, k = b > 2 ? 1 : 0;
        switch (A + b) {
        case 0: l.value = inV.f[0]; break;
        case 1: l.d1[i] = inV.f[b]; break;
        case 2: l.D2[Expression::off2(i, j)] = inV.f[b]; break;
        case 3: l.D3[Expression::off3(i, j, k)] = inV.f[b]; break;
        default: l.D4[Expression::off4(i, j, k, b > 3 ? 1 : 0)] = inV.f[b]; break;
        }
    }
}

// The leaves of V, and of T and V, to the order K: every entry to the second
// order (K = 2), or the third and fourth (K = 4).
template <int K>
void Wagner::loadVolumeLeaves()
{
    using iapws95::residualTerms;
    updateTauCoefficients();
    double dv[5];  // delta = Vc/V and its derivatives in V
    reducedVariable(kVc, V, dv);
    double powers[16 + K];
    double* p = powers + K;
    for (int k = -K; k < 0; ++k)
        p[k] = 0.0;
    p[0] = 1.0;
    for (int k = 1; k < 16; ++k)
        p[k] = p[k - 1] * dv[0];

    // The damped powers delta^d exp(-delta^c) and h(delta).
    Jet<K> damping[7];
    for (int c : {1, 2, 3, 4, 6})
        damping[c] = exponential(monomial<K>(-1.0, c, p));
    Jet<K> f[kFunctionsOfDelta];
    for (int q = 0; q < kDamped.count; ++q) {
        const int c = kDamped.c[q];
        f[q] = c ? product(monomial<K>(1.0, kDamped.d[q], p), damping[c]) : monomial<K>(1.0, kDamped.d[q], p);
    }
    f[kDamped.count] = gaussian(monomial<K>(1.0, 3, p), iapws95::gaussAlpha[0], dv[0], 1.0);

    // The separable part: its a-th derivative in T is the sum of the
    // functions of delta times the a-th derivatives of their coefficients;
    // that function of V gives the entries of a derivatives in T and b in V.
    [&]<int... A>(std::integer_sequence<int, A...>) {
        (loadSeparableEntries<K, A>(f, dv), ...);
    }(std::make_integer_sequence<int, K + 1>());

    // The parts in delta of the non-analytic terms: n delta exp(-C (delta-1)^2),
    // A [(delta-1)^2]^(1/(2 beta)) and B [(delta-1)^2]^a.
    const int from = K == 2 ? 0 : 3;
    loadInV(psiDelta55, gaussian(monomial<K>(residualTerms[54].n, 1, p), iapws95::nonAnalyticC[0], dv[0], 1.0), dv,
            from);
    loadInV(psiDelta56, gaussian(monomial<K>(residualTerms[55].n, 1, p), iapws95::nonAnalyticC[1], dv[0], 1.0), dv,
            from);
    loadInV(deltat, absPowerOfDeltaMinusOne<K>(iapws95::nonAnalyticA, 1.0 / iapws95::nonAnalyticBeta, dv[0]), dv, from);
    loadInV(deltad, absPowerOfDeltaMinusOne<K>(iapws95::nonAnalyticB, 2.0 * iapws95::nonAnalyticSmallA, dv[0]), dv,
            from);
}

void Wagner::calculate_volume_dependent_parameters()
{
    loadVolumeLeaves<2>();
}

void Wagner::calculate_high_order_parameters()
{
    loadVolumeLeaves<4>();
}
