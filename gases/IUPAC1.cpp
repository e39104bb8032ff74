#include "gases/IUPAC1.h"
#include "fluid/ReducedVariable.h"

#include <cmath>
#include <utility>

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
        // (tau^e from tau^(e-1) times tau, univariate::power's products;
        // for tau > 0 from sqrt(tau) and those products directly.)
        // The unroll hints here and in the rows below are kept for their
        // measured gain (bench/StateCostBench.cpp, IUPACCH4, the smallest
        // per-state time over 30 states, median of 3 runs pinned to one
        // core): the state functions at a new temperature take 0.348 us with
        // them and 0.389 us without (BM_NewTemperature; 0.25 us at a new
        // volume), the derivatives to the fourth order 0.803 and 0.882 us
        // (BM_NewTemperatureFourthOrder; 0.45 us at a new volume).
        Jet<K> t12, t[6];
        if (tau > 0.0 && std::isfinite(tau)) {
            t12 = univariate::powerFrom<K>(1.0, tau, 0.5, std::sqrt(tau));
            double te = 1.0;
#pragma GCC unroll 5
            for (int e = 1; e <= 5; ++e) {
                te *= tau;
                t[e] = univariate::powerFrom<K>(1.0, tau, static_cast<double>(e), te);
            }
        } else {
            t12 = univariate::power<K>(1.0, tau, 0.5);
            for (int e = 1; e <= 5; ++e)
                t[e] = univariate::power<K>(1.0, tau, static_cast<double>(e));
        }
        coefficients[0][0] = 1.0;  // -ln V, with no derivatives in T
        for (int k = 1; k <= K; ++k)
            coefficients[0][k] = 0.0;
        // The rows unrolled at compile time (each the same sum in the same
        // order as the table lists its parts).
        [&]<int... Q>(std::integer_sequence<int, Q...>) {
            auto rowAt = [&]<int q>(std::integral_constant<int, q>) {
                constexpr TauRow row = kTau[q];
                Jet<K> s;
                [&]<int... I>(std::integer_sequence<int, I...>) {
                    auto part = [&]<int i>(std::integral_constant<int, i>) {
                        const Jet<K>& power = row.power[i] == 0 ? t12 : t[row.power[i]];
#pragma GCC unroll 5
                        for (int k = 0; k <= K; ++k)
                            s.f[k] += row.c[i] * power.f[k];
                    };
                    (part(std::integral_constant<int, I>{}), ...);
                }(std::make_integer_sequence<int, row.parts>());
                s.f[0] += row.constant;
                const Jet<K> inT = univariate::compose(s, tv);
#pragma GCC unroll 5
                for (int k = 0; k <= K; ++k)
                    coefficients[q + 1][k] = row.weight * inT.f[k];
            };
            (rowAt(std::integral_constant<int, Q>{}), ...);
        }(std::make_integer_sequence<int, kTauRows>());
    });
    double dv[5];  // delta = W = Vc/V and its derivatives in V
    reducedVariable<K>(kVc, V, dv);
    double powers[11 + K];
    const double* p = reference_terms::powersWithZeros<K, 10>(dv[0], powers);
    using reference_terms::monomial;
    univariate::Jet<K> f[kFunctions];
    // -ln V = ln delta - ln Vc: the derivatives in delta of ln delta, its
    // value -ln V itself.
    f[0] = univariate::logarithm<K>(1.0, dv[0]);
    f[0].f[0] = minusLogVolume();
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
