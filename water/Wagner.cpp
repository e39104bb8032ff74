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

static_assert(Wagner::kTauPowers == 24);
static_assert(Wagner::kFunctionsOfDelta == 32);

// The three Gaussian terms share their part in delta, delta^3 exp(-20 (delta - 1)^2).
constexpr bool gaussianTermsShareTheirDeltaPart()
{
    using iapws95::kTerms;
    for (int i = 51; i < 54; ++i)
        if (kTerms[i].d != 3 || kTerms[i].alpha != kTerms[51].alpha || kTerms[i].eps != 1.0) return false;
    return true;
}
static_assert(gaussianTermsShareTheirDeltaPart());

template <int K>
using Jet = univariate::Jet<K>;
using reference_terms::gaussian;
using reference_terms::monomial;

// Writes the entries of orders `from` to K of g(delta(V)) into the leaf, from
// g's derivatives in delta and delta's in V (dv).
template <int K>
void loadInV(Leaf& leaf, const Jet<K>& g, const double* dv, int from)
{
    leafjet::load(leaf, 1, univariate::compose(g, dv), from);
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
    Jet<K> g = univariate::power<K>(c, std::fabs(e), q);
    if (e < 0) {
        g.f[1] = -g.f[1];
        if constexpr (K == 4) g.f[3] = -g.f[3];
    }
    return g;
}

// Whether the non-analytic terms 55 and 56, sum of n Delta^b delta psi, and
// their first two derivatives in V each stay below 2^-60 of the same entry of
// `s`, the sum of the terms 1 to 54 at (delta, tau), V = Vc/delta: added to it
// they then change no bit of it, whatever the order of the additions.  A
// rigorous bound, from psi <= exp(-28 (delta-1)^2 - 700 (tau-1)^2) (C >= 28,
// D >= 700 for both terms) and bounds on Delta^b and its derivatives that take
// no power: with e = delta - 1, |e|^(10/3) lies between e^2 and e^4, |e|^(7/3)
// below max(|e|, |e|^3), |e|^(4/3) below max(1, e^2); for 0 < b < 1, Delta^b
// <= max(1, Delta), Delta^(b-1) <= max(1, 1/Delta), Delta^(b-2) <= max(1,
// 1/Delta^2).  Where psi is not below exp(-40) the terms count: no test.
bool nonAnalyticTermsNegligible(double delta, double tau, double V, const Jet<2>& s)
{
    using namespace iapws95;
    const double e = delta - 1.0, t = tau - 1.0, e2 = e * e, ae = std::fabs(e);
    const double X = nonAnalyticC[0] * e2 + nonAnalyticD[0] * t * t;
    if (!(X > 40.0)) return false;
    const double psi = std::exp(-X);
    constexpr double C = std::max(nonAnalyticC[0], nonAnalyticC[1]);
    // h = delta psi and its first two derivatives in delta.
    const double h = delta * psi, hd = psi * (1.0 + 2.0 * C * delta * ae),
                 hdd = psi * (4.0 * C * ae + delta * (4.0 * C * C * e2 + 2.0 * C));
    // theta = -t + A |e|^(1/beta) within [thetaLow, thetaHigh]; Delta within [L, U].
    constexpr double A = nonAnalyticA, B = nonAnalyticB, a2 = 2.0 * nonAnalyticSmallA, ib = 1.0 / nonAnalyticBeta;
    const double e4 = e2 * e2, lo = std::min(e2, e4), hi = std::max(e2, e4);
    const double thetaLow = -t + A * lo, thetaHigh = -t + A * hi;
    const double thetaMax = std::max(std::fabs(thetaLow), std::fabs(thetaHigh));
    const double thetaMin = thetaLow > 0.0 ? thetaLow : thetaHigh < 0.0 ? -thetaHigh : 0.0;
    const double e5 = e4 * ae, e6 = e4 * e2, e7 = e6 * ae;
    const double L = thetaMin * thetaMin + B * e7, U = thetaMax * thetaMax + B * e7;
    if (!(L > 0.0)) return false;
    const double thetaD = A * ib * std::max(ae, ae * e2), thetaDD = A * ib * (ib - 1.0) * std::max(1.0, e2);
    const double Dd = 2.0 * thetaMax * thetaD + a2 * B * e6;
    const double Ddd = 2.0 * thetaD * thetaD + 2.0 * thetaMax * thetaDD + a2 * (a2 - 1.0) * B * e5;
    const double g = std::max(1.0, U), p1 = std::max(1.0, 1.0 / L), p2 = std::max(1.0, 1.0 / (L * L));
    // g = Delta^b: |g'| <= b Delta^(b-1) |Delta'|, |g''| <= |b (b-1)| Delta^(b-2) Delta'^2 + b Delta^(b-1) |Delta''|.
    const double gd = p1 * Dd, gdd = 0.25 * p2 * Dd * Dd + p1 * Ddd;
    const double n = std::fabs(nonAnalyticN[0]) + std::fabs(nonAnalyticN[1]);
    const double f = n * g * h, fd = n * (gd * h + g * hd), fdd = n * (gdd * h + 2.0 * gd * hd + g * hdd);
    // In V: d/dV = -(delta/V) d/ddelta, d2/dV2 = (delta/V)^2 d2/ddelta2 + (2 delta/V^2) d/ddelta.
    const double r = delta / V;
    const double fV = r * fd, fVV = r * r * fdd + 2.0 * r / V * fd;
    constexpr double kBit = 0x1p-60;
    return f < kBit * std::fabs(s.f[0]) && fV < kBit * std::fabs(s.f[1]) && fVV < kBit * std::fabs(s.f[2]);
}

// The non-analytic terms 55 and 56, sum of n Delta^b delta psi, at the
// reduced density of d with their first two derivatives in delta, from the
// factors exp(-D (tau - 1)^2) of psi (psiTau) and 1 - tau.  Delta^b by its
// power and the chain rule; at Delta = 0 (tau = 1 and delta = 1 together)
// the derivatives come out NaN.
Jet<2> nonAnalyticInDelta(const reference_terms::DeltaPowers<2>& d, double oneMinusTau, const double* psiTau)
{
    using namespace iapws95;
    const double delta = d.dv[0];
    Jet<2> theta = absPowerOfDeltaMinusOne<2>(nonAnalyticA, 1.0 / nonAnalyticBeta, delta);
    theta.f[0] += oneMinusTau;
    const Jet<2> bigDelta =
        univariate::product(theta, theta) + absPowerOfDeltaMinusOne<2>(nonAnalyticB, 2.0 * nonAnalyticSmallA, delta);
    Jet<2> sum;
    for (int k = 0; k < 2; ++k) {
        const Jet<2> power = univariate::compose(univariate::power<2>(1.0, bigDelta.f[0], nonAnalyticSmallB[k]), bigDelta);
        const Jet<2> psiDelta = gaussian(monomial<2>(nonAnalyticN[k], 1, d.p), nonAnalyticC[k], delta, 1.0);
        sum += psiTau[k] * univariate::product(psiDelta, power);
    }
    return sum;
}

}  // namespace

Wagner::Wagner()
{
    leavesDependOnlyOn({{&tau, 0},
                        {&terms.separable.leaf, waterleaf::kTemperatureAndVolume},
                        {&deltat, 1},
                        {&deltad, 1},
                        {&psiDelta55, 1},
                        {&psiDelta56, 1}});
    setModelName("Wagner Interaction");

    Sum* A = new Sum;
    A->setName("A");
    A->number_of_terms(3);
    A->tiei(0, terms.separable.leaf);
    A->tiei(1, nonAnalytic55);
    A->tiei(2, nonAnalytic56);
    for (int j = 0; j < 3; ++j)
        A->set_scalar(j, 1.0);
    A->set_scalar(3, 0.0);
    root = A;

    tau.setName("tau");
    terms.separable.leaf.setName("terms1to54");

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

// The leaves of V, and of T and V, to the order K: every entry to the second
// order (K = 2), or the third and fourth (K = 4).
template <int K>
void Wagner::loadVolumeLeaves()
{
    const reference_terms::DeltaPowers<K> d(V, kVc);
    terms.load<K>(T, kTc, d);
    loadNonAnalyticLeaves<K>(d);
}

// The parts in delta of the non-analytic terms: n delta exp(-C (delta-1)^2),
// A [(delta-1)^2]^(1/(2 beta)) and B [(delta-1)^2]^a.
template <int K>
void Wagner::loadNonAnalyticLeaves(const reference_terms::DeltaPowers<K>& d)
{
    const double* p = d.p;
    const double* dv = d.dv;
    const int from = K == 2 ? 0 : 3;
    loadInV(psiDelta55, gaussian(monomial<K>(iapws95::nonAnalyticN[0], 1, p), iapws95::nonAnalyticC[0], dv[0], 1.0), dv,
            from);
    loadInV(psiDelta56, gaussian(monomial<K>(iapws95::nonAnalyticN[1], 1, p), iapws95::nonAnalyticC[1], dv[0], 1.0), dv,
            from);
    loadInV(deltat, absPowerOfDeltaMinusOne<K>(iapws95::nonAnalyticA, 1.0 / iapws95::nonAnalyticBeta, dv[0]), dv, from);
    loadInV(deltad, absPowerOfDeltaMinusOne<K>(iapws95::nonAnalyticB, 2.0 * iapws95::nonAnalyticSmallA, dv[0]), dv,
            from);
}

bool Wagner::volumeSearchAnswer(double& a, double& aV, double& aVV)
{
    if (!(T > 0.0) || !(V > 0.0) || !std::isfinite(T) || !std::isfinite(V)) return false;
    const double tau = kTc / T;
    if (T != keptT) {
        for (int k = 0; k < 2; ++k)
            psiTauKept[k] = std::exp(-iapws95::nonAnalyticD[k] * (tau - 1.0) * (tau - 1.0));
        keptT = T;
    }
    const reference_terms::DeltaPowers<2> d(V, kVc);
    Jet<2> phi = terms.inDeltaAtKeptTemperature(T, kTc, d.p, d.dv[0]);
    if (!nonAnalyticTermsNegligible(d.dv[0], tau, V, univariate::compose(phi, d.dv)))
        phi += nonAnalyticInDelta(d, 1.0 - tau, psiTauKept);
    const Jet<2> inV = univariate::compose(phi, d.dv);
    if (!std::isfinite(inV.f[0]) || !std::isfinite(inV.f[1]) || !std::isfinite(inV.f[2])) return false;
    a = inV.f[0];
    aV = inV.f[1];
    aVV = inV.f[2];
    return true;
}

void Wagner::calculate_volume_dependent_parameters()
{
    loadVolumeLeaves<2>();
}

void Wagner::calculate_high_order_parameters()
{
    loadVolumeLeaves<4>();
}
