#include "gases/IUPAC1.h"
#include "fluid/ReducedVariable.h"

#include <cmath>

IUPAC1::IUPAC1()
{
    makeRoot(terms.leaf, "terms");
    setDebugLink();
    setModelName("IUPAC CH4");
}

// The coefficients at T: 1 for -ln V and the rows of kTau, with their
// derivatives in T to the order K; then the functions of delta = W.
template <int K>
void IUPAC1::load()
{
    terms.atTemperature<K>(T, kTc, [](auto, const double* tv, double (*coefficients)[5]) {
        using univariate::Jet;
        const double tau = tv[0];
        // tau^e, e = 0.5, 1 .. 5, with their derivatives in tau.
        // (tau^e from tau^(e-1) times tau, univariate::power's products.)
        const Jet<K> t12 = univariate::power<K>(1.0, tau, 0.5);
        Jet<K> t[6];
        double te = 1.0;
        for (int e = 1; e <= 5; ++e) {
            te *= tau;
            t[e] = tau > 0.0 && std::isfinite(tau) ? univariate::powerFrom<K>(1.0, tau, static_cast<double>(e), te)
                                                   : univariate::power<K>(1.0, tau, static_cast<double>(e));
        }
        coefficients[0][0] = 1.0;
        for (int q = 0; q < kTauRows; ++q) {
            const TauRow& row = kTau[q];
            Jet<K> s;
            for (int i = 0; i < row.parts; ++i) {
                const Jet<K>& power = row.power[i] == 0 ? t12 : t[row.power[i]];
                for (int k = 0; k <= K; ++k)
                    s.f[k] += row.c[i] * power.f[k];
            }
            s.f[0] += row.constant;
            const Jet<K> inT = univariate::compose(s, tv);
            for (int k = 0; k <= K; ++k)
                coefficients[q + 1][k] = row.weight * inT.f[k];
        }
    });
    double dv[5];  // delta = W = Vc/V and its derivatives in V
    reducedVariable<K>(kVc, V, dv);
    double powers[11 + K];
    const double* p = reference_terms::powersWithZeros<K, 10>(dv[0], powers);
    using reference_terms::monomial;
    univariate::Jet<K> f[kFunctions];
    // -ln V = ln delta - ln Vc: its derivatives in delta.
    univariate::Jet<K>& mlogV = f[0];
    mlogV.f[0] = minusLogVolume();
    const double r = 1.0 / dv[0];
    mlogV.f[1] = r;
    mlogV.f[2] = -r * r;
    if constexpr (K == 4) {
        mlogV.f[3] = 2.0 * r * r * r;
        mlogV.f[4] = -6.0 * r * r * r * r;
    }
    for (int k = 1; k <= 8; ++k)
        f[k] = monomial<K>(1.0, k, p);
    // I_0 = -exp(-gamma W^2)/(2 gamma), I_k = Y_2k I_0 with Y_2k = W^2k + (k/gamma) Y_2(k-1), Y_0 = 1.
    univariate::Jet<K> I0 = univariate::exp(monomial<K>(-kGamma, 2, p));
    I0 *= -0.5 / kGamma;
    f[9] = I0;
    univariate::Jet<K> Y = univariate::Jet<K>::constant(1.0);
    for (int k = 1; k <= 5; ++k) {
        univariate::Jet<K> next = monomial<K>(1.0, 2 * k, p);
        for (int o = 0; o <= K; ++o)
            next.f[o] += k / kGamma * Y.f[o];
        Y = next;
        f[9 + k] = univariate::product(Y, I0);
    }
    terms.load<K>(f, dv);
}

void IUPAC1::calculate_volume_dependent_parameters()
{
    load<2>();
}

void IUPAC1::calculate_high_order_parameters()
{
    load<4>();
}
