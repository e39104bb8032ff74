#pragma once
// A residual Helmholtz energy that is a sum of products of a function of
// tau = Tc/T and a function of delta = Vc/V,
//   phi(tau, delta) = sum_q G_q(tau) F_q(delta),
// written as one leaf of T and V with its derivatives to the fourth order.
// The derivatives of such a product are the products of the derivatives of
// its two factors: the entry with a derivatives in T and b in V is the b-th
// derivative in V of sum_q G_q^(a)(T) F_q(V).  The G_q with their derivatives
// in T are computed once per temperature (`atTemperature`), the F_q once per
// volume by the caller, which hands their jets in delta to `load`.
//
// ReferenceTermLeaf below is such a leaf for the terms of the reference
// equations of state (IAPWS-95, Span et al.'s nitrogen, ...):
//   n delta^d tau^t,  n delta^d tau^t exp(-delta^c),
//   n delta^d tau^t exp(-alpha (delta - eps)^2 - beta (tau - gamma)^2),
// given as a constexpr table and grouped at compile time: the terms that share
// a function of delta (delta^d exp(-delta^c), or delta^d exp(-alpha (delta -
// eps)^2)) are one F_q with the sum of their functions of tau as G_q, and each
// distinct power of tau is computed once per temperature.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <type_traits>
#include <utility>

#include "expressions/Expression.h"
#include "expressions/Leaf.h"
#include "fluid/ReducedVariable.h"
#include "fluid/ReferenceTerms.h"
#include "numerics/Jet.h"

template <int Q>
class SeparableLeaf {
public:
    static constexpr int kFunctions = Q;

    Leaf leaf;

    // Recomputes the coefficients G_q with their derivatives in T to the
    // order K (2: what the state functions read, 4: what the third and fourth
    // orders read too) when T (or Tc) changed or a higher order is asked:
    // fill(order, tv, coefficients) receives std::integral_constant<int, K>,
    // tau = Tc/T with its derivatives in T (tv[0 .. 4]) and writes every
    // coefficient to the order K, coefficients[q][a] = d^a G_q / dT^a, each
    // of them.  The orders up to K are the same numbers whatever K is, so
    // that a state's numbers do not depend on the order loaded first.
    template <int K, class Fill>
    void atTemperature(double T, double Tc, Fill&& fill)
    {
        if (T == atT_ && Tc == atTc_ && order_ >= K) return;
        double tv[5];
        reducedVariable<K>(Tc, T, tv);
        fill(std::integral_constant<int, K>{}, static_cast<const double*>(tv), coefficients_);
        atT_ = T;
        atTc_ = Tc;
        order_ = K;
    }

    // The leaf's entries from the functions of delta f[0 .. Q-1] (jets in
    // delta to the order K) and delta's derivatives in V (dv[0 .. 4]): every
    // entry to the second order (K = 2), or those of the third and fourth (K = 4).
    // Each entry's sum over the functions runs in their order; the sums of
    // every entry are formed in one pass over the functions.
    template <int K>
    void load(const univariate::Jet<K>* f, const double* dv)
    {
        double s[K + 1][K + 1] = {};
        for (int q = 0; q < Q; ++q) {
#pragma GCC unroll 5
            for (int A = 0; A <= K; ++A) {
                const double c = coefficients_[q][A];
#pragma GCC unroll 5
                for (int o = 0; o <= K - A; ++o)
                    s[A][o] += c * f[q].f[o];
            }
        }
        [&]<int... A>(std::integer_sequence<int, A...>) {
            (loadEntries<K, A>(s[A], dv), ...);
        }(std::make_integer_sequence<int, K + 1>());
    }

    // G_q at the temperature of the last atTemperature.
    double coefficient(int q) const { return coefficients_[q][0]; }

private:
    double coefficients_[Q][5] = {};
    double atT_ = std::nan(""), atTc_ = std::nan("");
    int order_ = 0;  // the order in T of the coefficients at atT_

    // The entries with A derivatives in T: the function of V
    // sum_q G_q^(A) F_q (its jet in delta, sum), and its derivatives in V to
    // the order K - A.
    template <int K, int A>
    void loadEntries(const double* sum, const double* dv)
    {
        constexpr int B = K - A;
        univariate::Jet<B> s;
        for (int o = 0; o <= B; ++o)
            s.f[o] = sum[o];
        const univariate::Jet<B> inV = univariate::compose(s, dv);
        for (int b = K == 2 ? 0 : std::max(0, 3 - A); b <= B; ++b)
            leafjet::setEntry(leaf, A, b, inV.f[b]);  // b indices of V, A of T
    }
};

namespace reference_terms {

// The grouping of a table of N terms: the distinct powers of tau of the
// terms without a Gaussian (in the order of their first term), and the
// distinct functions of delta, first the damped powers delta^d exp(-delta^c)
// (c = 0: delta^d), then the Gaussian parts delta^d exp(-alpha (delta -
// eps)^2), each in the order of its first term.
// How tau^t is taken for tau > 0: an integer t in [0, 64] from the products
// of tau; a positive multiple of 1/8 below 64 (IAPWS-95's and nitrogen's
// 0.375, 0.75, 0.875, 1.25, 2.75, ..., and the half-integers) as the product
// of that integer power and of the roots tau^(1/2), tau^(1/4) = sqrt(tau^(1/2)),
// tau^(1/8) = sqrt(tau^(1/4)) its eighths name (a few roundings instead of one
// std::pow each); another half-integer t (|t| <= 64) by halfIntegerPower; any
// other t by std::pow.
enum class ExponentKind { Integer, Eighths, HalfInteger, Real };

constexpr ExponentKind exponentKind(double t)
{
    if (t >= 0.0 && t <= 64.0 && t == static_cast<int>(t)) return ExponentKind::Integer;
    if (t > 0.0 && t < 64.0 && 8.0 * t == static_cast<int>(8.0 * t)) return ExponentKind::Eighths;
    if (t >= -64.0 && t <= 64.0 && 2.0 * t == static_cast<int>(2.0 * t)) return ExponentKind::HalfInteger;
    return ExponentKind::Real;
}

// The integer part of an exponent t >= 0 (its power of tau read from the
// table of products) and its eighths 8 (t - floor t).
constexpr int integerPart(double t) { return static_cast<int>(t); }
constexpr int eighths(double t) { return static_cast<int>(8.0 * t) - 8 * static_cast<int>(t); }

// tau^(1/2), tau^(1/4), tau^(1/8) for tau > 0, and tau^t of a multiple t of
// 1/8 from them and the integer power tau^floor(t).
struct Roots {
    double r2, r4, r8;
    explicit Roots(double tau) : r2(std::sqrt(tau)), r4(std::sqrt(r2)), r8(std::sqrt(r4)) {}
    double times(double integerPower, int eighths) const
    {
        double v = integerPower;
        if (eighths & 4) v *= r2;
        if (eighths & 2) v *= r4;
        if (eighths & 1) v *= r8;
        return v;
    }
};

// tau^t for tau > 0 by the kind of its exponent: the integer powers tau^0 ..
// tau^M from one table (each the one before times tau), the multiples of
// 1/8 from that table and the roots, the other half-integers by
// halfIntegerPower, the rest by std::pow.
template <int M>
struct TauPowers {
    double integer[M + 1];
    Roots roots;
    explicit TauPowers(double tau) : roots(tau), tau_(tau)
    {
        integer[0] = 1.0;
        for (int k = 1; k <= M; ++k)
            integer[k] = integer[k - 1] * tau;
    }
    double of(double t, ExponentKind kind) const
    {
        switch (kind) {
        case ExponentKind::Integer: return integer[static_cast<int>(t)];
        case ExponentKind::Eighths: return roots.times(integer[integerPart(t)], eighths(t));
        case ExponentKind::HalfInteger: return univariate::halfIntegerPower(tau_, t);
        default: return std::pow(tau_, t);
        }
    }

private:
    double tau_;
};

template <std::size_t N>
struct Grouping {
    int powers = 0;
    double t[N] = {};
    ExponentKind kind[N] = {};  // how tau^t[j] is taken
    int powerOf[N] = {};  // the power of each term (terms without a Gaussian)
    int functions = 0;
    int damped = 0;  // functions 0 .. damped - 1 are damped powers
    int c[N] = {}, d[N] = {};
    double alpha[N] = {}, eps[N] = {};
    int functionOf[N] = {};  // the function of delta of each term
    int bells = 0;           // the distinct (beta, gamma) of the Gaussian terms
    double beta[N] = {}, gamma[N] = {};
    int bellOf[N] = {};      // the bell in tau of each Gaussian term
    int maxPower = 0;        // the largest d or c
    int maxIntegerT = 0;     // the largest integer part of an Integer or Eighths exponent t
    bool dampedBy[16] = {};  // the exponents c of exp(-delta^c) that occur
};

// The first of the entries from .. count - 1 that `same` matches, or a new
// entry at count (filled by add, count then one more).
template <class Same, class Add>
constexpr int findOrAdd(int from, int& count, Same same, Add add)
{
    int j = from;
    while (j < count && !same(j))
        ++j;
    if (j == count) {
        add(j);
        ++count;
    }
    return j;
}

template <std::size_t N>
constexpr Grouping<N> group(const std::array<Term, N>& terms)
{
    Grouping<N> g;
    for (std::size_t i = 0; i < N; ++i) {
        const Term& k = terms[i];
        g.maxPower = std::max({g.maxPower, k.d, k.c});
        if (exponentKind(k.t) == ExponentKind::Integer || exponentKind(k.t) == ExponentKind::Eighths)
            g.maxIntegerT = std::max(g.maxIntegerT, integerPart(k.t));
        if (k.gaussian()) continue;
        g.powerOf[i] = findOrAdd(
            0, g.powers, [&](int j) { return g.t[j] == k.t; },
            [&](int j) {
                g.kind[j] = exponentKind(k.t);
                g.t[j] = k.t;
            });
        g.functionOf[i] = findOrAdd(
            0, g.functions, [&](int j) { return g.c[j] == k.c && g.d[j] == k.d; },
            [&](int j) {
                g.c[j] = k.c;
                g.d[j] = k.d;
            });
        if (k.c > 0) g.dampedBy[k.c] = true;
    }
    g.damped = g.functions;
    for (std::size_t i = 0; i < N; ++i) {
        const Term& k = terms[i];
        if (!k.gaussian()) continue;
        g.functionOf[i] = findOrAdd(
            g.damped, g.functions, [&](int j) { return g.d[j] == k.d && g.alpha[j] == k.alpha && g.eps[j] == k.eps; },
            [&](int j) {
                g.d[j] = k.d;
                g.alpha[j] = k.alpha;
                g.eps[j] = k.eps;
            });
        g.bellOf[i] = findOrAdd(
            0, g.bells, [&](int b) { return g.beta[b] == k.beta && g.gamma[b] == k.gamma; },
            [&](int b) {
                g.beta[b] = k.beta;
                g.gamma[b] = k.gamma;
            });
    }
    return g;
}

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

inline constexpr FallingFactorials kFalling = fallingFactorials();

// The powers x^0 .. x^N at p[0] .. p[N], with p[-K] .. p[-1] zero, in an
// array of N + 1 + K numbers: what monomial reads.
template <int K, int N>
double* powersWithZeros(double x, double (&powers)[N + 1 + K])
{
    double* p = powers + K;
    for (int k = -K; k < 0; ++k) p[k] = 0.0;
    p[0] = 1.0;
    for (int k = 1; k <= N; ++k) p[k] = p[k - 1] * x;
    return p;
}

// n x^d (d <= 15), from the powers p[k] = x^k (p[-1] .. p[-K] zero).
template <int K>
univariate::Jet<K> monomial(double n, int d, const double* p)
{
    univariate::Jet<K> j;
    const double* c = kFalling.of[d];
#pragma GCC unroll 5
    for (int k = 0; k <= K; ++k)
        j.f[k] = n * c[k] * p[d - k];
    return j;
}

// exp(-alpha (x - centre)^2), and f(x) times it.
template <int K>
univariate::Jet<K> bell(double alpha, double x, double centre)
{
    const double e = x - centre;
    univariate::Jet<K> u;
    u.f[0] = -alpha * e * e;
    if constexpr (K >= 1) u.f[1] = -2.0 * alpha * e;
    if constexpr (K >= 2) u.f[2] = -2.0 * alpha;
    return univariate::exp(u);
}

template <int K>
univariate::Jet<K> gaussian(const univariate::Jet<K>& f, double alpha, double x, double centre)
{
    return univariate::product(f, bell<K>(alpha, x, centre));
}

// delta = Vc/V with its derivatives in V (dv), and its powers p[k] = delta^k,
// k = 0 .. 15, with p[-K] .. p[-1] zero (the monomials' derivatives of orders
// above their power).
template <int K>
struct DeltaPowers {
    double dv[5];
    double powers[16 + K];
    double* p = powers + K;

    DeltaPowers(double V, double Vc)
    {
        reducedVariable<K>(Vc, V, dv);
        for (int k = -K; k < 0; ++k)
            p[k] = 0.0;
        p[0] = 1.0;
        for (int k = 1; k < 16; ++k)
            p[k] = p[k - 1] * dv[0];
    }
    DeltaPowers(const DeltaPowers&) = delete;
    DeltaPowers& operator=(const DeltaPowers&) = delete;
};

}  // namespace reference_terms

// The leaf of a table of reference terms (see above), reduced by Tc and Vc.
template <const auto& Terms>
class ReferenceTermLeaf {
    static constexpr std::size_t N = std::tuple_size_v<std::remove_cvref_t<decltype(Terms)>>;
    static constexpr reference_terms::Grouping<N> kGroups = reference_terms::group(Terms);
    static_assert(kGroups.maxPower < 16, "powers of delta up to 15");

    // 1, -t, -t (-t - 1), ...: the factors of the derivatives in T of tau^t
    // for the exponent t of each power j,
    // d^k/dT^k tau^t = (-t)(-t-1) ... (-t-k+1) tau^t / T^k.
    static constexpr auto kFallingInT = [] {
        std::array<std::array<double, 5>, N> c{};
        for (int j = 0; j < kGroups.powers; ++j) {
            double f = 1.0;
            for (int k = 0; k < 5; ++k) {
                c[j][k] = f;
                f *= -kGroups.t[j] - k;
            }
        }
        return c;
    }();

public:
    static constexpr int kPowersOfTau = kGroups.powers;
    static constexpr int kFunctionsOfDelta = kGroups.functions;

    SeparableLeaf<kGroups.functions> separable;

    // The coefficients of the functions of delta at T: for each, the sum over
    // its terms of n tau^t (or of their Gaussians in tau), with their
    // derivatives in T to the order K.  Each distinct power of tau is
    // computed once (powerOfTauInT), each damped function's coefficient is
    // the sum over its terms in the order of the table (dampedCoefficient),
    // then the Gaussian terms' (gaussiansInT).  The powers and the sums are
    // unrolled at compile time, over the powers and over the terms of the
    // table (each exponent, the way its power is taken, and the terms of
    // each function known to the compiler), where a loop over the table
    // would look each of them up at run time.
    template <int K>
    void atTemperature(double T, double Tc)
    {
        separable.template atTemperature<K>(T, Tc, [](auto, const double* tv, double (*coefficients)[5]) {
            const double tau = tv[0];
            const bool positive = tau > 0.0 && std::isfinite(tau);
            const Powers powers(positive ? tau : 1.0);
            double powerInT[kGroups.powers > 0 ? kGroups.powers : 1][K + 1];
            if (positive)
                [&]<int... J>(std::integer_sequence<int, J...>) {
                    (powerOfTauInT<K, J>(powers, -tv[1] / tau, powerInT), ...);
                }(std::make_integer_sequence<int, kGroups.powers>());
            else
                for (int j = 0; j < kGroups.powers; ++j) {
                    const univariate::Jet<K> inT = univariate::compose(univariate::power<K>(1.0, tau, kGroups.t[j]), tv);
                    for (int k = 0; k <= K; ++k)
                        powerInT[j][k] = inT.f[k];
                }
            [&]<int... Q>(std::integer_sequence<int, Q...>) {
                (dampedCoefficient<K, Q>(powerInT, coefficients[Q]), ...);
            }(std::make_integer_sequence<int, kGroups.damped>());
            gaussiansInT<K>(tv, positive ? &powers : nullptr, coefficients);
        });
    }

private:
    using Powers = reference_terms::TauPowers<kGroups.maxIntegerT>;

    // tau^t of the power j (tau > 0) with its derivatives in T,
    // d^k/dT^k tau^t = (-t)(-t-1) ... (-t-k+1) tau^t / T^k (invT = 1/T).
    template <int K, int j>
    static void powerOfTauInT(const Powers& powers, double invT, double (*powerInT)[K + 1])
    {
        double v = powers.of(kGroups.t[j], kGroups.kind[j]);
#pragma GCC unroll 5
        for (int k = 0; k <= K; ++k) {
            powerInT[j][k] = kFallingInT[j][k] * v;
            v *= invT;
        }
    }

    // The coefficient of the damped function q: n tau^t summed over its
    // terms in the order of the table (term i added when it is one of them).
    template <int K, int q, std::size_t i>
    static void addTermOf(univariate::Jet<K>& sum, const double (*powerInT)[K + 1])
    {
        if constexpr (!Terms[i].gaussian() && kGroups.functionOf[i] == q) {
#pragma GCC unroll 5
            for (int k = 0; k <= K; ++k)
                sum.f[k] += Terms[i].n * powerInT[kGroups.powerOf[i]][k];
        }
    }
    template <int K, int q>
    static void dampedCoefficient(const double (*powerInT)[K + 1], double* coefficient)
    {
        univariate::Jet<K> sum;
        [&]<std::size_t... I>(std::index_sequence<I...>) {
            (addTermOf<K, q, I>(sum, powerInT), ...);
        }(std::make_index_sequence<N>());
#pragma GCC unroll 5
        for (int k = 0; k <= K; ++k)
            coefficient[k] = sum.f[k];
    }

    // The coefficients of the Gaussian functions of delta: the sum G over
    // their terms of n tau^t exp(-beta (tau - gamma)^2) in the order of the
    // table (each bell computed once for the terms that share it), then G's
    // derivatives in T.
    template <int K>
    static void gaussiansInT(const double* tv, const Powers* powers, double (*coefficients)[5])
    {
        if constexpr (kGroups.functions > kGroups.damped) {
            univariate::Jet<K> bells[kGroups.bells];
            for (int b = 0; b < kGroups.bells; ++b)
                bells[b] = reference_terms::bell<K>(kGroups.beta[b], tv[0], kGroups.gamma[b]);
            [&]<int... G>(std::integer_sequence<int, G...>) {
                (gaussianCoefficient<K, kGroups.damped + G>(tv, powers, bells, coefficients[kGroups.damped + G]), ...);
            }(std::make_integer_sequence<int, kGroups.functions - kGroups.damped>());
        }
    }
    template <int K, int q, std::size_t i>
    static void addGaussianTermOf(univariate::Jet<K>& G, double tau, const Powers* powers,
                                  const univariate::Jet<K>* bells)
    {
        constexpr reference_terms::Term term = Terms[i];
        if constexpr (term.gaussian() && kGroups.functionOf[i] == q) {
            const univariate::Jet<K> power =
                powers ? univariate::powerFrom<K>(term.n, tau, term.t,
                                                  powers->of(term.t, reference_terms::exponentKind(term.t)))
                       : univariate::power<K>(term.n, tau, term.t);
            G += univariate::product(power, bells[kGroups.bellOf[i]]);
        }
    }
    template <int K, int q>
    static void gaussianCoefficient(const double* tv, const Powers* powers, const univariate::Jet<K>* bells,
                                    double* coefficient)
    {
        univariate::Jet<K> G;
        [&]<std::size_t... I>(std::index_sequence<I...>) {
            (addGaussianTermOf<K, q, I>(G, tv[0], powers, bells), ...);
        }(std::make_index_sequence<N>());
        const univariate::Jet<K> GinT = univariate::compose(G, tv);
        for (int k = 0; k <= K; ++k)
            coefficient[k] = GinT.f[k];
    }

public:
    // The functions of delta at delta = dv[0] (jets in delta to the order K),
    // from the powers p[k] = delta^k, k = -K .. 15 (p[-K] .. p[-1] zero).
    template <int K>
    void functionsOfDelta(const double* p, double delta, univariate::Jet<K>* f) const
    {
        using namespace reference_terms;
        univariate::Jet<K> damping[16];
        for (int c = 1; c < 16; ++c)
            if (kGroups.dampedBy[c]) damping[c] = univariate::exp(monomial<K>(-1.0, c, p));
        // Unrolled over the functions (each power d and damping c known to
        // the compiler).
        [&]<int... Q>(std::integer_sequence<int, Q...>) {
            (dampedFunction<K, Q>(p, damping, f), ...);
        }(std::make_integer_sequence<int, kGroups.damped>());
        for (int q = kGroups.damped; q < kGroups.functions; ++q)
            f[q] = gaussian(monomial<K>(1.0, kGroups.d[q], p), kGroups.alpha[q], delta, kGroups.eps[q]);
    }

    // The sum of the terms at T and delta = dv[0], without the leaf: its value
    // and first two derivatives in delta, what a volume search at a kept
    // temperature reads (P and dP/dV).  Per temperature, each damped
    // function's coefficient G_q is kept with the factors d and d (d - 1) of
    // its power's derivatives; per volume, the powers of delta are summed by
    // damping exponent c into polynomials P_c (value and two derivatives),
    // each times its damping exp(-delta^c) once (Leibniz's rule), then the
    // Gaussian functions are added.  The same sum as the leaf's, rounded
    // otherwise: the same numbers to a few units of the last place of its
    // largest terms.
    univariate::Jet<2> inDeltaAtKeptTemperature(double T, double Tc, const double* p, double delta)
    {
        using namespace reference_terms;
        keepTemperature(T, Tc);
        univariate::Jet<2> byDamping[16];
        [&]<int... Q>(std::integer_sequence<int, Q...>) {
            (addPowerOf<Q>(byDamping, p), ...);
        }(std::make_integer_sequence<int, kGroups.damped>());
        univariate::Jet<2> sum = byDamping[0];
        [&]<int... C>(std::integer_sequence<int, C...>) {
            (addDamped<C + 1>(sum, byDamping, p), ...);
        }(std::make_integer_sequence<int, 15>());
        for (int q = kGroups.damped; q < kGroups.functions; ++q)
            sum += kept_[q][0] * gaussian(monomial<2>(1.0, kGroups.d[q], p), kGroups.alpha[q], delta, kGroups.eps[q]);
        return sum;
    }

    // The same sum at T and V with its first two derivatives in V (what a
    // volume search reads: a, a_V, a_VV), without the leaf; false where it is
    // not finite.
    bool inVolumeAtKeptTemperature(double T, double Tc, double V, double Vc, double& a, double& aV, double& aVV)
    {
        if (!(T > 0.0) || !(V > 0.0) || !std::isfinite(T) || !std::isfinite(V)) return false;
        const reference_terms::DeltaPowers<2> d(V, Vc);
        const univariate::Jet<2> inV = univariate::compose(inDeltaAtKeptTemperature(T, Tc, d.p, d.dv[0]), d.dv);
        a = inV.f[0];
        aV = inV.f[1];
        aVV = inV.f[2];
        return std::isfinite(a) && std::isfinite(aV) && std::isfinite(aVV);
    }

    // Loads the leaf at T and at the volume of d: every entry to the second
    // order (K = 2) or those of the third and fourth (K = 4).
    template <int K>
    void load(double T, double Tc, const reference_terms::DeltaPowers<K>& d)
    {
        atTemperature<K>(T, Tc);
        univariate::Jet<K> f[kGroups.functions];
        functionsOfDelta<K>(d.p, d.dv[0], f);
        separable.template load<K>(f, d.dv);
    }
    template <int K>
    void load(double T, double Tc, double V, double Vc)
    {
        load<K>(T, Tc, reference_terms::DeltaPowers<K>(V, Vc));
    }

private:
    // G_q, d G_q and d (d - 1) G_q of each function of delta at keptT_ (the
    // Gaussian functions' G_q alone).
    double kept_[kGroups.functions][3] = {};
    double keptT_ = std::nan(""), keptTc_ = std::nan("");

    // delta^d, or delta^d exp(-delta^c), of the damped function q.
    template <int K, int q>
    static void dampedFunction(const double* p, const univariate::Jet<K>* damping, univariate::Jet<K>* f)
    {
        constexpr int c = kGroups.c[q];
        if constexpr (c > 0)
            f[q] = univariate::product(reference_terms::monomial<K>(1.0, kGroups.d[q], p), damping[c]);
        else
            f[q] = reference_terms::monomial<K>(1.0, kGroups.d[q], p);
    }

    // kept G_q delta^d of the damped function q added to the polynomial of
    // its damping, with its first two derivatives.
    template <int q>
    void addPowerOf(univariate::Jet<2>* byDamping, const double* p) const
    {
        constexpr int d = kGroups.d[q];
        univariate::Jet<2>& P = byDamping[kGroups.c[q]];
        P.f[0] += kept_[q][0] * p[d];
        P.f[1] += kept_[q][1] * p[d - 1];
        P.f[2] += kept_[q][2] * p[d - 2];
    }
    // The polynomial of the damping exp(-delta^c) times it, added to sum.
    template <int c>
    static void addDamped(univariate::Jet<2>& sum, const univariate::Jet<2>* byDamping, const double* p)
    {
        if constexpr (kGroups.dampedBy[c])
            sum += univariate::product(byDamping[c], univariate::exp(reference_terms::monomial<2>(-1.0, c, p)));
    }

    void keepTemperature(double T, double Tc)
    {
        atTemperature<2>(T, Tc);
        if (T == keptT_ && Tc == keptTc_) return;
        for (int q = 0; q < kGroups.functions; ++q) {
            const double G = separable.coefficient(q);
            const double d = q < kGroups.damped ? kGroups.d[q] : 0.0;
            kept_[q][0] = G;
            kept_[q][1] = d * G;
            kept_[q][2] = d * (d - 1.0) * G;
        }
        keptT_ = T;
        keptTc_ = Tc;
    }
};
