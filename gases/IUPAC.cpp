#include "gases/IUPAC.h"

#include <cmath>

IUPAC::IUPAC()
{
    makeRoot(terms.leaf, "terms");
    setModelName("IUPAC CO2");
    setDebugLink();
}

// The coefficients at T: sum_j a_ij/(i+1) Y^j as polynomials in Y = tau - 1
// (Horner's scheme, with their derivatives in Y, which are those in tau, to
// the order K), and 1 for -ln V.
template <int K>
void IUPAC::load()
{
    terms.atTemperature<K>(T, kTc, [](auto, const double* tv, double (*coefficients)[5]) {
        const double Y = tv[0] - 1.0;
        // The polynomials by Horner's rule, two at a time in one register
        // (the five pairs side by side), with their derivatives in Y (those
        // in tau): to the second order their Taylor coefficients P^(k)/k!
        // (P'' = 2 P''/2 exactly: the same numbers as the recurrence of the
        // derivatives, P^(k) = Y P^(k) + k P^(k-1), that the fourth order
        // uses).
        // Each begins at its Y^6 coefficient: the steps of the rule from
        // zero before it give that coefficient and zeros exactly (Y is
        // finite for T > 0).
        // The pairs of lanes and the unroll hints are kept for their measured
        // gain (bench/StateCostBench.cpp, IUPACCO2, the smallest per-state
        // time over 30 states, median of 3 runs pinned to one core): the
        // state functions at a new temperature take 0.254 us with both,
        // 0.272 us without the hints, 0.273 us with one polynomial per
        // register and 0.284 us with neither (BM_NewTemperature; 0.174 us at
        // a new volume, where this part does not run), and the derivatives
        // to the fourth order 0.506, 0.575, 0.592 and 0.602 us
        // (BM_NewTemperatureFourthOrder; 0.27 us at a new volume).
        using Pair = double __attribute__((vector_size(16)));
        Pair t[K + 1][5];
#pragma GCC unroll 5
        for (int p = 0; p < 5; ++p) {
            t[0][p] = Pair{kWeights.of[2 * p][6], kWeights.of[2 * p + 1][6]};
#pragma GCC unroll 4
            for (int k = 1; k <= K; ++k)
                t[k][p] = Pair{0.0, 0.0};
        }
#pragma GCC unroll 6
        for (int j = 5; j >= 0; --j) {
#pragma GCC unroll 5
            for (int p = 0; p < 5; ++p) {
#pragma GCC unroll 4
                for (int k = K; k >= 1; --k)
                    t[k][p] = t[k][p] * Y + (K == 2 ? t[k - 1][p] : k * t[k - 1][p]);
                t[0][p] = t[0][p] * Y + Pair{kWeights.of[2 * p][j], kWeights.of[2 * p + 1][j]};
            }
        }
        // Their derivatives in T (Faa di Bruno's formula, two at a time).
#pragma GCC unroll 5
        for (int p = 0; p < 5; ++p) {
            if constexpr (K == 2) t[2][p] *= 2.0;
            Pair g[K + 1], inT[K + 1];
#pragma GCC unroll 5
            for (int k = 0; k <= K; ++k)
                g[k] = t[k][p];
            inT[0] = g[0];
            univariate::composeEntries<K>(g, tv, inT);
#pragma GCC unroll 5
            for (int k = 0; k <= K; ++k) {
                coefficients[2 * p][k] = inT[k][0];
                coefficients[2 * p + 1][k] = inT[k][1];
            }
        }
        coefficients[10][0] = 1.0;  // -ln V, with no derivatives in T
        for (int k = 1; k <= K; ++k)
            coefficients[10][k] = 0.0;
    });
    double dv[5];  // delta = Vc/V and its derivatives in V
    reducedVariable<K>(kVc, V, dv);
    const double W = dv[0] - 1.0;
    // W^k, k = 0 .. 10, with W^-K .. W^-1 zero.
    double powers[11 + K];
    const double* p = reference_terms::powersWithZeros<K, 10>(W, powers);
    univariate::Jet<K> f[kFunctions];
    for (int i = 0; i < 10; ++i)
        f[i] = reference_terms::monomial<K>(1.0, i + 1, p);
    // -ln V = ln delta - ln Vc: the derivatives in delta of ln delta, its
    // value -ln V itself.
    f[10] = univariate::logarithm<K>(1.0, dv[0]);
    f[10].f[0] = minusLogVolume();
    terms.load<K>(f, dv);
}

void IUPAC::calculate_volume_dependent_parameters()
{
    load<2>();
}

void IUPAC::calculate_high_order_parameters()
{
    load<4>();
}
