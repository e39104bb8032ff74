#include "water/Wagner.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "water/IAPWS95Coefficients.h"
#include "fluid/ReducedVariable.h"
#include "water/LeafDerivatives.h"

using waterleaf::link;

namespace {

constexpr int kTerms = 56;
constexpr double kTc = iapws95::Tc;
constexpr double kVc = iapws95::Vc;

// delta exponents of the damped powers, by damping exponent c.
constexpr int kDamped1[11] = {1, 2, 3, 4, 5, 7, 9, 10, 11, 13, 15};
constexpr int kDamped2[10] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 12};
constexpr int kDamped3[3] = {3, 4, 5};
constexpr int kDamped4[1] = {14};
constexpr int kDamped6[2] = {3, 6};

// c |delta - 1|^q, which is c [(delta - 1)^2]^(q/2), and its derivatives in V
// from delta's (d).  The derivatives in delta are those of the power of
// |delta - 1|, so that at delta = 1 each is its limit: 0 below the order q,
// infinite above it (the fourth derivative of |delta - 1|^(10/3)).  Away from
// delta = 1 one power gives them all: |e|^(q-k) = |e|^q / |e|^k.
waterleaf::Jet absPowerOfDeltaMinusOne(double c, double q, const waterleaf::Jet& d)
{
    const double e = d.f[0] - 1.0;
    const double x = std::fabs(e);
    waterleaf::Jet g;
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
        for (int k = 0; k < 5; ++k) {
            g.f[k] = coef == 0.0 ? 0.0 : coef * p;
            coef *= q - k;
            p *= r;
        }
    } else {
        g = waterleaf::power(c, x, q);
    }
    if (e < 0) {
        g.f[1] = -g.f[1];
        g.f[3] = -g.f[3];
    }
    return waterleaf::compose(g, d);
}

std::string dampedName(int c, int d)
{
    return d == 1 ? "e" + std::to_string(c) + "delta" : "e" + std::to_string(c) + "delta" + std::to_string(d);
}

}  // namespace

Expression* Wagner::deltaPower(int d)
{
    switch (d) {
    case 1: return &delta;
    case 2: return &delta2;
    case 3: return &delta3;
    case 4: return &delta4;
    case 5: return &delta5;
    case 6: return &delta6;
    case 7: return &delta7;
    case 9: return &delta9;
    case 10: return &delta10;
    case 11: return &delta11;
    case 12: return &delta12;
    case 13: return &delta13;
    case 14: return &delta14;
    case 15: return &delta15;
    default: return nullptr;
    }
}

Expression* Wagner::tauPower(int t)
{
    switch (t) {
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

Expression* Wagner::dampedPower(int c, int d)
{
    const auto find = [d](Product* nodes, const int* ds, int n) -> Expression* {
        for (int i = 0; i < n; ++i)
            if (ds[i] == d)
                return &nodes[i];
        return nullptr;
    };
    switch (c) {
    case 1: return find(e1delta, kDamped1, 11);
    case 2: return find(e2delta, kDamped2, 10);
    case 3: return find(e3delta, kDamped3, 3);
    case 4: return find(e4delta, kDamped4, 1);
    case 6: return find(e6delta, kDamped6, 2);
    default: return nullptr;
    }
}

Wagner::Wagner()
{
    leavesDependOnlyOn({{&tau, 0}, {&delta, 1}, {&deltat, 1}, {&deltad, 1}});
    using iapws95::residualTerms;
    setModelName("Wagner Interaction");

    Sum* A = new Sum;
    A->setName("A");
    A->number_of_terms(kTerms);
    for (int i = 0; i < kTerms; ++i) {
        A->tiei(i, a[i]);
        A->set_scalar(i, 1.0);
    }
    A->set_scalar(kTerms, 0.0);
    root = A;

    delta.setName("delta");
    tau.setName("tau");

    // Integer powers of delta.
    link(delta2, "delta2", delta);
    link(delta3, "delta3", delta);
    link(delta4, "delta4", delta2);
    link(delta5, "delta5", delta4, delta);
    link(delta6, "delta6", delta3);
    link(delta7, "delta7", delta6, delta);
    link(delta9, "delta9", delta7, delta2);
    link(delta10, "delta10", delta7, delta3);
    link(delta11, "delta11", delta10, delta);
    link(delta12, "delta12", delta6);
    link(delta13, "delta13", delta12, delta);
    link(delta14, "delta14", delta7);
    link(delta15, "delta15", delta14, delta);

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

    // Damping factors exp(-delta^c).
    link(e1, "e1", delta);
    e1.set_scalars3(0.0, 1.0, -1.0);
    link(e2, "e2", delta2);
    e2.set_scalars3(0.0, 1.0, -1.0);
    link(e3, "e3", delta3);
    e3.set_scalars3(0.0, 1.0, -1.0);
    link(e4, "e4", delta4);
    e4.set_scalars3(0.0, 1.0, -1.0);
    link(e6, "e6", delta6);
    e6.set_scalars3(0.0, 1.0, -1.0);

    // Damped powers delta^d exp(-delta^c).
    const auto damp = [this](Product* nodes, const int* ds, int n, int c, Exponential& e) {
        for (int i = 0; i < n; ++i) {
            nodes[i].setName(dampedName(c, ds[i]).c_str());
            nodes[i].tie2(*deltaPower(ds[i]), e);
        }
    };
    damp(e1delta, kDamped1, 11, 1, e1);
    damp(e2delta, kDamped2, 10, 2, e2);
    damp(e3delta, kDamped3, 3, 3, e3);
    damp(e4delta, kDamped4, 1, 4, e4);
    damp(e6delta, kDamped6, 2, 6, e6);

    // Gaussian terms 52 to 54: n delta^3 tau^t exp(-20 (delta-1)^2 - beta (tau-gamma)^2).
    link(deltai52, "deltai52", delta);
    deltai52.set_scalars2(1.0, -iapws95::gaussEpsilon[0]);
    link(taui52, "taui52", tau);
    taui52.set_scalars2(1.0, -iapws95::gaussGamma[0]);
    link(taui54, "taui54", tau);
    taui54.set_scalars2(1.0, -iapws95::gaussGamma[2]);
    link(deltai52sq, "deltai52sq", deltai52);
    link(taui52sq, "taui52sq", taui52);
    link(taui54sq, "taui54sq", taui54);
    link(expo52, "expo52", taui52sq, deltai52sq);
    expo52.set_scalars3(-iapws95::gaussBeta[0], -iapws95::gaussAlpha[0], 0.0);
    link(expo53, "expo53", taui52sq, deltai52sq);
    expo53.set_scalars3(-iapws95::gaussBeta[1], -iapws95::gaussAlpha[1], 0.0);
    link(expo54, "expo54", taui54sq, deltai52sq);
    expo54.set_scalars3(-iapws95::gaussBeta[2], -iapws95::gaussAlpha[2], 0.0);
    link(e52, "e52", expo52);
    e52.set_scalars3(0.0, residualTerms[51].n, 1.0);
    link(e53, "e53", expo53);
    e53.set_scalars3(0.0, residualTerms[52].n, 1.0);
    link(e54, "e54", expo54);
    e54.set_scalars3(0.0, residualTerms[53].n, 1.0);
    link(delta3tau, "delta3tau", delta3, tau);
    link(delta3tau4, "delta3tau4", delta3, tau4);

    // Non-analytic terms 55 and 56: n Delta^b delta psi.
    link(deltam1, "deltam1", delta);
    deltam1.set_scalars2(1.0, -1.0);
    link(taum1, "taum1", tau);
    taum1.set_scalars2(1.0, -1.0);
    link(deltam1sq, "deltam1sq", deltam1);
    link(taum1sq, "taum1sq", taum1);
    link(expophi55, "expophi55", deltam1sq, taum1sq);
    expophi55.set_scalars3(-iapws95::nonAnalyticC[0], -iapws95::nonAnalyticD[0], 0.0);
    link(expophi56, "expophi56", deltam1sq, taum1sq);
    expophi56.set_scalars3(-iapws95::nonAnalyticC[1], -iapws95::nonAnalyticD[1], 0.0);
    link(phi55, "phi55", expophi55);
    phi55.set_scalars3(0.0, 1.0, 1.0);
    link(phi56, "phi56", expophi56);
    phi56.set_scalars3(0.0, 1.0, 1.0);
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
    link(deltaphi55, "deltaphi55", delta, phi55);
    link(deltaphi56, "deltaphi56", delta, phi56);

    // The 56 terms.
    static constexpr Power Wagner::*fractional[7] = {&Wagner::taui1, &Wagner::taui2, nullptr, &Wagner::taui4,
                                                     &Wagner::taui5, &Wagner::taui6, nullptr};
    for (int i = 0; i < kTerms; ++i) {
        const iapws95::ResidualTerm& k = residualTerms[i];
        a[i].setName(("a" + std::to_string(i + 1)).c_str());
        if (i < 7) {
            Expression* t = fractional[i] ? static_cast<Expression*>(&(this->*fractional[i])) : &tau;
            a[i].tie2(*deltaPower(k.d), *t);
            a[i].set_scalars1(k.n);
        } else if (i < 51) {
            a[i].tie2(*dampedPower(k.c, k.d), *tauPower(static_cast<int>(k.t)));
            a[i].set_scalars1(k.n);
        }
    }
    a[51].tie2(delta3, e52);
    a[52].tie2(delta3tau, e53);
    a[53].tie2(delta3tau4, e54);
    a[54].tie2(deltaphi55, pdelta55);
    a[54].set_scalars1(residualTerms[54].n);
    a[55].tie2(deltaphi56, pdelta56);
    a[55].set_scalars1(residualTerms[55].n);

    setDebugLink();
}

void Wagner::calculate_fixed_parameters()
{
    setReducedVariable(tau, kTc, T, 0);
}

void Wagner::calculate_volume_dependent_parameters()
{
    setReducedVariable(delta, kVc, V, 1);
    // The powers of the non-analytic terms, A [(delta-1)^2]^(1/(2 beta)) and B [(delta-1)^2]^a.
    waterleaf::Jet d;
    d.f[0] = delta.value;
    d.f[1] = delta.d1[1];
    d.f[2] = delta.D2[Expression::off2(1, 1)];
    d.f[3] = delta.D3[Expression::off3(1, 1, 1)];
    d.f[4] = delta.D4[Expression::off4(1, 1, 1, 1)];
    waterleaf::load(deltat, 1, absPowerOfDeltaMinusOne(iapws95::nonAnalyticA, 1.0 / iapws95::nonAnalyticBeta, d));
    waterleaf::load(deltad, 1, absPowerOfDeltaMinusOne(iapws95::nonAnalyticB, 2.0 * iapws95::nonAnalyticSmallA, d));
}
