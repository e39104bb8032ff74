#include "water/Wagner.h"

#include <cstdio>
#include <string>

#include "water/IAPWS95Coefficients.h"

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

void name(Expression& e, const char* s) { e.setName(s); }

// The root of a tree whose only inputs are the two Leaf nodes delta and tau,
// which the term loads itself.  Handing the variable vector down the graph
// would change nothing, and the walk (which revisits every shared power of
// delta and tau once per term using it) costs about a tenth of an evaluation.
class LeafTreeSum : public Sum {
public:
    void set_variable_values(double*) override {}
};

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
    using iapws95::residualTerms;
    setModelName("Wagner Interaction");

    Sum* A = new LeafTreeSum;
    A->setName("A");
    A->number_of_terms(kTerms);
    for (int i = 0; i < kTerms; ++i) {
        A->tiei(i, a[i]);
        A->set_scalar(i, 1.0);
    }
    A->set_scalar(kTerms, 0.0);
    root = A;

    name(delta, "delta");
    name(tau, "tau");

    // Integer powers of delta.
    name(delta2, "delta2"), delta2.tie1(delta);
    name(delta3, "delta3"), delta3.tie1(delta);
    name(delta4, "delta4"), delta4.tie1(delta2);
    name(delta5, "delta5"), delta5.tie2(delta4, delta);
    name(delta6, "delta6"), delta6.tie1(delta3);
    name(delta7, "delta7"), delta7.tie2(delta6, delta);
    name(delta9, "delta9"), delta9.tie2(delta7, delta2);
    name(delta10, "delta10"), delta10.tie2(delta7, delta3);
    name(delta11, "delta11"), delta11.tie2(delta10, delta);
    name(delta12, "delta12"), delta12.tie1(delta6);
    name(delta13, "delta13"), delta13.tie2(delta12, delta);
    name(delta14, "delta14"), delta14.tie1(delta7);
    name(delta15, "delta15"), delta15.tie2(delta14, delta);

    // Fractional powers of tau.
    name(taui1, "taui1"), taui1.tie1(tau), taui1.set_scalars3(1.0, -0.5, 0.0);
    name(taui2, "taui2"), taui2.tie1(tau), taui2.set_scalars3(1.0, 0.875, 0.0);
    name(taui4, "taui4"), taui4.tie1(tau), taui4.set_scalars3(1.0, 0.5, 0.0);
    name(taui5, "taui5"), taui5.tie1(tau), taui5.set_scalars3(1.0, 0.75, 0.0);
    name(taui6, "taui6"), taui6.tie1(tau), taui6.set_scalars3(1.0, 0.375, 0.0);

    // Integer powers of tau.
    name(tau2, "tau2"), tau2.tie1(tau);
    name(tau3, "tau3"), tau3.tie1(tau);
    name(tau4, "tau4"), tau4.tie1(tau2);
    name(tau5, "tau5"), tau5.tie2(tau4, tau);
    name(tau6, "tau6"), tau6.tie1(tau3);
    name(tau7, "tau7"), tau7.tie2(tau6, tau);
    name(tau8, "tau8"), tau8.tie1(tau4);
    name(tau9, "tau9"), tau9.tie2(tau8, tau);
    name(tau10, "tau10"), tau10.tie1(tau5);
    name(tau11, "tau11"), tau11.tie2(tau10, tau);
    name(tau12, "tau12"), tau12.tie1(tau6);
    name(tau13, "tau13"), tau13.tie2(tau12, tau);
    name(tau16, "tau16"), tau16.tie1(tau8);
    name(tau22, "tau22"), tau22.tie1(tau11);
    name(tau23, "tau23"), tau23.tie2(tau22, tau);
    name(tau44, "tau44"), tau44.tie1(tau22);
    name(tau46, "tau46"), tau46.tie1(tau23);
    name(tau50, "tau50"), tau50.tie2(tau46, tau4);

    // Damping factors exp(-delta^c).
    name(e1, "e1"), e1.tie1(delta), e1.set_scalars3(0.0, 1.0, -1.0);
    name(e2, "e2"), e2.tie1(delta2), e2.set_scalars3(0.0, 1.0, -1.0);
    name(e3, "e3"), e3.tie1(delta3), e3.set_scalars3(0.0, 1.0, -1.0);
    name(e4, "e4"), e4.tie1(delta4), e4.set_scalars3(0.0, 1.0, -1.0);
    name(e6, "e6"), e6.tie1(delta6), e6.set_scalars3(0.0, 1.0, -1.0);

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
    name(deltai52, "deltai52"), deltai52.tie1(delta), deltai52.set_scalars2(1.0, -iapws95::gaussEpsilon[0]);
    name(taui52, "taui52"), taui52.tie1(tau), taui52.set_scalars2(1.0, -iapws95::gaussGamma[0]);
    name(taui54, "taui54"), taui54.tie1(tau), taui54.set_scalars2(1.0, -iapws95::gaussGamma[2]);
    name(deltai52sq, "deltai52sq"), deltai52sq.tie1(deltai52);
    name(taui52sq, "taui52sq"), taui52sq.tie1(taui52);
    name(taui54sq, "taui54sq"), taui54sq.tie1(taui54);
    name(expo52, "expo52"), expo52.tie2(taui52sq, deltai52sq);
    expo52.set_scalars3(-iapws95::gaussBeta[0], -iapws95::gaussAlpha[0], 0.0);
    name(expo53, "expo53"), expo53.tie2(taui52sq, deltai52sq);
    expo53.set_scalars3(-iapws95::gaussBeta[1], -iapws95::gaussAlpha[1], 0.0);
    name(expo54, "expo54"), expo54.tie2(taui54sq, deltai52sq);
    expo54.set_scalars3(-iapws95::gaussBeta[2], -iapws95::gaussAlpha[2], 0.0);
    name(e52, "e52"), e52.tie1(expo52), e52.set_scalars3(0.0, residualTerms[51].n, 1.0);
    name(e53, "e53"), e53.tie1(expo53), e53.set_scalars3(0.0, residualTerms[52].n, 1.0);
    name(e54, "e54"), e54.tie1(expo54), e54.set_scalars3(0.0, residualTerms[53].n, 1.0);
    name(delta3tau, "delta3tau"), delta3tau.tie2(delta3, tau);
    name(delta3tau4, "delta3tau4"), delta3tau4.tie2(delta3, tau4);

    // Non-analytic terms 55 and 56: n Delta^b delta psi.
    name(deltam1, "deltam1"), deltam1.tie1(delta), deltam1.set_scalars2(1.0, -1.0);
    name(taum1, "taum1"), taum1.tie1(tau), taum1.set_scalars2(1.0, -1.0);
    name(deltam1sq, "deltam1sq"), deltam1sq.tie1(deltam1);
    name(taum1sq, "taum1sq"), taum1sq.tie1(taum1);
    name(expophi55, "expophi55"), expophi55.tie2(deltam1sq, taum1sq);
    expophi55.set_scalars3(-iapws95::nonAnalyticC[0], -iapws95::nonAnalyticD[0], 0.0);
    name(expophi56, "expophi56"), expophi56.tie2(deltam1sq, taum1sq);
    expophi56.set_scalars3(-iapws95::nonAnalyticC[1], -iapws95::nonAnalyticD[1], 0.0);
    name(phi55, "phi55"), phi55.tie1(expophi55), phi55.set_scalars3(0.0, 1.0, 1.0);
    name(phi56, "phi56"), phi56.tie1(expophi56), phi56.set_scalars3(0.0, 1.0, 1.0);
    name(deltat, "deltat"), deltat.tie1(deltam1sq);
    deltat.set_scalars3(iapws95::nonAnalyticA, 1.0 / (2.0 * iapws95::nonAnalyticBeta), 0.0);
    name(theta, "theta"), theta.tie2(taum1, deltat), theta.set_scalars3(-1.0, 1.0, 0.0);
    name(theta2, "theta2"), theta2.tie1(theta);
    name(deltad, "deltad"), deltad.tie1(deltam1sq);
    deltad.set_scalars3(iapws95::nonAnalyticB, iapws95::nonAnalyticSmallA, 0.0);
    name(bigDelta, "bigDelta"), bigDelta.tie2(theta2, deltad), bigDelta.set_scalars3(1.0, 1.0, 0.0);
    name(pdelta55, "pdelta55"), pdelta55.tie1(bigDelta);
    pdelta55.set_scalars3(1.0, iapws95::nonAnalyticSmallB[0], 0.0);
    name(pdelta56, "pdelta56"), pdelta56.tie1(bigDelta);
    pdelta56.set_scalars3(1.0, iapws95::nonAnalyticSmallB[1], 0.0);
    name(deltaphi55, "deltaphi55"), deltaphi55.tie2(delta, phi55);
    name(deltaphi56, "deltaphi56"), deltaphi56.tie2(delta, phi56);

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

Wagner::~Wagner()
{
    // The root goes first: it unlinks the member terms, which go with the object.
    delete root;
    root = nullptr;
}

void Wagner::number_of_components(int n)
{
    Interaction::number_of_components(n);
    root->number_of_variables(n + 2);
    for (int i = 0; i < n + 2; ++i) {
        if (i != 0)
            tau.flags[i] = 0;
        if (i != 1)
            delta.flags[i] = 0;
    }
    root->analyze_dependencies();
}

void Wagner::calculate_fixed_parameters()
{
    const double t = T, v = V;
    const double t2 = t * t, v2 = v * v;
    tau.value = kTc / t;
    tau.d1[0] = -kTc / t2;
    tau.d2[0][0] = 2.0 * kTc / (t2 * t);
    tau.d3[0][0][0] = -6.0 * kTc / (t2 * t2);
    tau.d4[0][0][0][0] = 24.0 * kTc / (t2 * t2 * t);
    delta.value = kVc / v;
    delta.d1[1] = -kVc / v2;
    delta.d2[1][1] = 2.0 * kVc / (v2 * v);
    delta.d3[1][1][1] = -6.0 * kVc / (v2 * v2);
    delta.d4[1][1][1][1] = 24.0 * kVc / (v2 * v2 * v);
}
