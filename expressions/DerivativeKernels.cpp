#include "expressions/DerivativeKernels.h"

#include <utility>

namespace exprk {

// The views of one call never overlap: a node never writes into a child's
// entries, so the pointers are marked restrict.
#define EXPRK_RESTRICT __restrict__
// Loops over the flagged variables, whose counts are compile-time constants
// in the forms for few variables: unrolled whole, with offsets as constants.
#define EXPRK_UNROLL _Pragma("GCC unroll 4")

namespace {

inline int t2(int i) { return i * (i + 1) / 2; }
inline int t3(int i) { return i * (i + 1) * (i + 2) / 6; }
inline int t4(int i) { return i * (i + 1) * (i + 2) * (i + 3) / 24; }

// True when the m flagged variables are the first m ones and 1 <= m <= most.
inline bool firstVariables(const int* act, int m, int most) {
    if (m < 1 || m > most) return false;
    for (int a = 0; a < m; ++a)
        if (act[a] != a) return false;
    return true;
}

// ---- compile-time entry tables of the unrolled kernels of orders 3 and 4

constexpr int choose(int n, int k) {
    if (k < 0 || k > n) return 0;
    long long r = 1;
    for (int i = 1; i <= k; ++i) r = r * (n - k + i) / i;
    return static_cast<int>(r);
}

// Calls f(counts) for the entries of level L over M variables in storage
// order, counts[v] the multiplicity of variable v.
template <int M, int L, class F>
constexpr void forEachMultiIndex(F f) {
    int idx[4] = {0, 0, 0, 0};
    for (;;) {
        int counts[M] = {};
        for (int p = 0; p < L; ++p) ++counts[idx[p]];
        f(counts);
        // Next descending sequence in lexicographic order: raise the last
        // index that can be raised, zero the ones after it.
        int p = L - 1;
        while (p >= 0 && idx[p] == (p == 0 ? M - 1 : idx[p - 1])) --p;
        if (p < 0) return;
        ++idx[p];
        for (int q = p + 1; q < L; ++q) idx[q] = 0;
    }
}

// Descending index list of a multiplicity vector; returns its length.
template <int M>
constexpr int indicesOf(const int* counts, int* idx) {
    int K = 0;
    for (int v = M - 1; v >= 0; --v)
        for (int c = 0; c < counts[v]; ++c) idx[K++] = v;
    return K;
}

// Calls op(level, offset) for every flagged entry up to the order, level 1..4.
template <class Op>
inline void forEachEntry(const int* act, int m, int order, Op op) {
    for (int a = 0; a < m; ++a) {
        const int i = act[a];
        op(1, i);
        if (order < 2) continue;
        const int i2 = t2(i), i3 = t3(i), i4 = t4(i);
        for (int b = 0; b <= a; ++b) {
            const int j = act[b];
            op(2, i2 + j);
            if (order < 3) continue;
            const int j2 = t2(j), j3 = t3(j);
            for (int c = 0; c <= b; ++c) {
                const int k = act[c];
                op(3, i3 + j2 + k);
                if (order < 4) continue;
                const int base = i4 + j3 + t2(k);
                for (int d = 0; d <= c; ++d) op(4, base + act[d]);
            }
        }
    }
}


// Orders 1 and 2.  M > 0 fixes the number of flagged variables at compile time
// (the loops unroll); M = 0 takes it from m.
template <int M>
inline void chainRuleLow(const int* act, int m, int order, const DerivView& u, const DerivView& out, double f1,
                         double f2) {
    using Chain = multivariate::ChainI<double>;
    const int count = M > 0 ? M : m;
    const double* EXPRK_RESTRICT U1 = u.d1;
    const double* EXPRK_RESTRICT U2 = u.d2;
    double* EXPRK_RESTRICT O1 = out.d1;
    double* EXPRK_RESTRICT O2 = out.d2;
    for (int a = 0; a < count; ++a) O1[act[a]] = Chain(f1, f2, 0.0, 0.0, U1[act[a]]).first();
    if (order < 2) return;
    for (int a = 0; a < count; ++a) {
        const int i = act[a];
        const int i2 = t2(i);
        const Chain ci(f1, f2, 0.0, 0.0, U1[i]);
        for (int b = 0; b <= a; ++b) {
            const int j = act[b];
            O2[i2 + j] = multivariate::ChainIJ<double>(ci, U1[j], U2[i2 + j]).second();
        }
    }
}

template <int M>
inline void leibnizLow(const int* act, int m, int order, double a, double u0, const DerivView& u, double v0,
                       const DerivView& v, const DerivView& out) {
    const int count = M > 0 ? M : m;
    const double* EXPRK_RESTRICT U1 = u.d1;
    const double* EXPRK_RESTRICT V1 = v.d1;
    const double* EXPRK_RESTRICT U2 = u.d2;
    const double* EXPRK_RESTRICT V2 = v.d2;
    double* EXPRK_RESTRICT O1 = out.d1;
    double* EXPRK_RESTRICT O2 = out.d2;
    const double au = a * u0, av = a * v0;
    for (int p = 0; p < count; ++p) {
        const int i = act[p];
        O1[i] = multivariate::weightedProductEntry(au, av, U1[i], V1[i]);
    }
    if (order < 2) return;
    for (int p = 0; p < count; ++p) {
        const int i = act[p];
        const int i2 = t2(i);
        const double aui = a * U1[i], avi = a * V1[i];
        for (int q = 0; q <= p; ++q) {
            const int j = act[q];
            O2[i2 + j] =
                multivariate::weightedProductEntry(au, av, aui, avi, U1[j], V1[j], U2[i2 + j], V2[i2 + j]);
        }
    }
}

}  // namespace

// Orders 3 and 4 (ORDER; orders above 4 count as 4), with the same M as the low
// orders.  DENSE: the flagged variables are 0 .. M-1 (act[a] == a), so that
// every offset is known at compile time.
template <int M, int ORDER, bool DENSE = false>
[[gnu::always_inline]] inline void chainRuleHigh(const int* act, int m, int order, const DerivView& u,
                                                 const DerivView& out, double f1, double f2, double f3, double f4) {
    const int count = M > 0 ? M : m;
    order = ORDER;
    double *EXPRK_RESTRICT O1 = out.d1, *EXPRK_RESTRICT O2 = out.d2, *EXPRK_RESTRICT O3 = out.d3,
                          *EXPRK_RESTRICT O4 = out.d4;
    const double* EXPRK_RESTRICT U1 = u.d1;
    const double* EXPRK_RESTRICT U2 = u.d2;
    const double* EXPRK_RESTRICT U3 = u.d3;
    const double* EXPRK_RESTRICT U4 = u.d4;
    EXPRK_UNROLL
    for (int a = 0; a < count; ++a) {
        const int i = DENSE ? a : act[a];
        const multivariate::ChainI<double> ci(f1, f2, f3, f4, U1[i]);
        O1[i] = ci.first();
        if (order < 2) continue;
        const int i2 = t2(i), i3 = t3(i), i4 = t4(i);
        EXPRK_UNROLL
        for (int b = 0; b <= a; ++b) {
            const int j = DENSE ? b : act[b];
            const multivariate::ChainIJ<double> cij(ci, U1[j], U2[i2 + j]);
            O2[i2 + j] = cij.second();
            if (order < 3) continue;
            const int j2 = t2(j), j3 = t3(j);
            EXPRK_UNROLL
            for (int c = 0; c <= b; ++c) {
                const int k = DENSE ? c : act[c];
                const multivariate::ChainIJK<double> cijk(cij, U1[k], U2[i2 + k], U2[j2 + k], U3[i3 + j2 + k]);
                O3[i3 + j2 + k] = cijk.third;
                if (order < 4) continue;
                const int k2 = t2(k);
                const int b4 = i4 + j3 + k2;
                const int b3ij = i3 + j2, b3ik = i3 + k2, b3jk = j3 + k2;
                EXPRK_UNROLL
                for (int d = 0; d <= c; ++d) {
                    const int l = DENSE ? d : act[d];
                    O4[b4 + l] = cijk.fourth(U1[l], U2[i2 + l], U2[j2 + l], U2[k2 + l], U3[b3ij + l], U3[b3ik + l],
                                             U3[b3jk + l], U4[b4 + l]);
                }
            }
        }
    }
}

void chainRule(const int* act, int m, int order, const DerivView& u, const DerivView& out, double f1,
               double f2, double f3, double f4) {
    if (order <= 2) {  // the volume search and the fugacities: short loops, unrolled for few variables
        switch (m) {
            case 1: return chainRuleLow<1>(act, m, order, u, out, f1, f2);
            case 2: return chainRuleLow<2>(act, m, order, u, out, f1, f2);
            case 3: return chainRuleLow<3>(act, m, order, u, out, f1, f2);
            case 4: return chainRuleLow<4>(act, m, order, u, out, f1, f2);
            default: return chainRuleLow<0>(act, m, order, u, out, f1, f2);
        }
    }
    if (firstVariables(act, m, 4)) {
        switch (m * 10 + (order == 3 ? 3 : 4)) {
            case 13: return chainRuleHigh<1, 3, true>(act, m, order, u, out, f1, f2, f3, f4);
            case 23: return chainRuleHigh<2, 3, true>(act, m, order, u, out, f1, f2, f3, f4);
            case 33: return chainRuleHigh<3, 3, true>(act, m, order, u, out, f1, f2, f3, f4);
            case 43: return chainRuleHigh<4, 3, true>(act, m, order, u, out, f1, f2, f3, f4);
            case 14: return chainRuleHigh<1, 4, true>(act, m, order, u, out, f1, f2, f3, f4);
            case 24: return chainRuleHigh<2, 4, true>(act, m, order, u, out, f1, f2, f3, f4);
            case 34: return chainRuleHigh<3, 4, true>(act, m, order, u, out, f1, f2, f3, f4);
            default: return chainRuleHigh<4, 4, true>(act, m, order, u, out, f1, f2, f3, f4);
        }
    }
    if (order == 3) {  // the state functions
        switch (m) {
            case 1: return chainRuleHigh<1, 3>(act, m, order, u, out, f1, f2, f3, f4);
            case 2: return chainRuleHigh<2, 3>(act, m, order, u, out, f1, f2, f3, f4);
            case 3: return chainRuleHigh<3, 3>(act, m, order, u, out, f1, f2, f3, f4);
            default: return chainRuleHigh<0, 3>(act, m, order, u, out, f1, f2, f3, f4);
        }
    }
    switch (m) {
        case 1: return chainRuleHigh<1, 4>(act, m, order, u, out, f1, f2, f3, f4);
        case 2: return chainRuleHigh<2, 4>(act, m, order, u, out, f1, f2, f3, f4);
        case 3: return chainRuleHigh<3, 4>(act, m, order, u, out, f1, f2, f3, f4);
        default: return chainRuleHigh<0, 4>(act, m, order, u, out, f1, f2, f3, f4);
    }
}

// ---- Leibniz's rule at orders 3 and 4 over the first M variables, unrolled.
// The derivative of u v at the multi-index alpha is the sum over beta <= alpha
// of C(alpha, beta) u_beta v_(alpha - beta), the product of the binomial
// coefficients of each variable's count: a symmetric entry takes each distinct
// splitting once with its multiplicity instead of all 2^L splittings of its
// positions (order 4 over three variables: 126 terms instead of 240).  The
// terms of an entry are summed with u's order falling, weighted ones as
// (w u) v, as leibnizDiag does: a pure entry gets the operations of the one-
// variable passes.  The tables are built at compile time and every entry is
// written out in straight code with its offsets as constants.
namespace {

struct LeibnizTerm {
    int ul, uo, vl, vo;  // level (0 the value) and offset of u's and v's entries
    double w;            // multiplicity of the splitting
};

template <int M, int L>
constexpr int leibnizTermCount() {
    int n = 0;
    forEachMultiIndex<M, L>([&](const int* a) {
        int t = 1;
        for (int v = 0; v < M; ++v) t *= a[v] + 1;
        n += t;
    });
    return n;
}

template <int M, int L>
struct LeibnizLevel {
    static constexpr int entries = choose(M + L - 1, L);
    static constexpr int terms = leibnizTermCount<M, L>();
    struct Table {
        LeibnizTerm t[terms];
        int start[entries + 1];
    };
    static constexpr Table make() {
        Table tb{};
        int n = 0, e = 0;
        forEachMultiIndex<M, L>([&](const int* a) {
            tb.start[e++] = n;
            multivariate::forEachSplitting<M>(a, [&](const int* b, const int* rest, double w) {
                int ib[4] = {}, ir[4] = {};
                const int kb = indicesOf<M>(b, ib), kr = indicesOf<M>(rest, ir);
                tb.t[n++] = LeibnizTerm{kb, offsetOf(ib, kb), kr, offsetOf(ir, kr), w};
            });
        });
        tb.start[e] = n;
        return tb;
    }
    static constexpr Table table = make();
};

// levels[0] points at the value, levels[k] at the entries of order k.
template <class Lv, int I>
[[gnu::always_inline]] inline double leibnizTerm(const double* const* U, const double* const* V) {
    constexpr LeibnizTerm t = Lv::table.t[I];
    if constexpr (t.w == 1.0)
        return U[t.ul][t.uo] * V[t.vl][t.vo];
    else
        return t.w * U[t.ul][t.uo] * V[t.vl][t.vo];
}

template <class Lv, int B, std::size_t... K>
[[gnu::always_inline]] inline double leibnizEntry(const double* const* U, const double* const* V,
                                                  std::index_sequence<K...>) {
    double s = leibnizTerm<Lv, B>(U, V);
    ((s += leibnizTerm<Lv, B + 1 + static_cast<int>(K)>(U, V)), ...);
    return s;
}

template <class Lv, std::size_t... E>
[[gnu::always_inline]] inline void leibnizLevel(double a, const double* const* U, const double* const* V,
                                                double* EXPRK_RESTRICT O, std::index_sequence<E...>) {
    ((O[E] = a * leibnizEntry<Lv, Lv::table.start[E]>(
                     U, V, std::make_index_sequence<Lv::table.start[E + 1] - Lv::table.start[E] - 1>{})),
     ...);
}

// The entries of orders 3 .. ORDER of a u v over the variables 0 .. M-1 (the
// first two orders are the loops' of leibnizHigh).
template <int M, int ORDER>
void leibnizDenseHigh(double a, double u0, const DerivView& u, double v0, const DerivView& v,
                      const DerivView& out) {
    const double* U[5] = {&u0, u.d1, u.d2, u.d3, u.d4};
    const double* V[5] = {&v0, v.d1, v.d2, v.d3, v.d4};
    using L3 = LeibnizLevel<M, 3>;
    leibnizLevel<L3>(a, U, V, out.d3, std::make_index_sequence<L3::entries>{});
    if constexpr (ORDER >= 4) {
        using L4 = LeibnizLevel<M, 4>;
        leibnizLevel<L4>(a, U, V, out.d4, std::make_index_sequence<L4::entries>{});
    }
}

}  // namespace

// Orders 3 and 4, as chainRuleHigh.
template <int M, int ORDER, bool DENSE = false>
inline void leibnizHigh(const int* act, int m, int order, double a, double u0, const DerivView& u, double v0,
                         const DerivView& v, const DerivView& out) {
    const int count = M > 0 ? M : m;
    order = ORDER;
    double *EXPRK_RESTRICT O1 = out.d1, *EXPRK_RESTRICT O2 = out.d2, *EXPRK_RESTRICT O3 = out.d3,
                          *EXPRK_RESTRICT O4 = out.d4;
    const double *EXPRK_RESTRICT U1 = u.d1, *EXPRK_RESTRICT U2 = u.d2, *EXPRK_RESTRICT U3 = u.d3,
                 *EXPRK_RESTRICT U4 = u.d4;
    const double *EXPRK_RESTRICT V1 = v.d1, *EXPRK_RESTRICT V2 = v.d2, *EXPRK_RESTRICT V3 = v.d3,
                 *EXPRK_RESTRICT V4 = v.d4;
    for (int p = 0; p < count; ++p) {
        const int i = DENSE ? p : act[p];
        const double ui = U1[i], vi = V1[i];
        O1[i] = multivariate::productEntry(a, u0, v0, ui, vi);
        if (order < 2) continue;
        const int i2 = t2(i), i3 = t3(i), i4 = t4(i);
        for (int q = 0; q <= p; ++q) {
            const int j = DENSE ? q : act[q];
            const double uj = U1[j], vj = V1[j];
            const double uij = U2[i2 + j], vij = V2[i2 + j];
            O2[i2 + j] = multivariate::productEntry(a, u0, v0, ui, vi, uj, vj, uij, vij);
            if (order < 3) continue;
            const int j2 = t2(j), j3 = t3(j);
            for (int r = 0; r <= q; ++r) {
                const int k = DENSE ? r : act[r];
                const double uk = U1[k], vk = V1[k];
                const double uik = U2[i2 + k], vik = V2[i2 + k], ujk = U2[j2 + k], vjk = V2[j2 + k];
                const double uijk = U3[i3 + j2 + k], vijk = V3[i3 + j2 + k];
                O3[i3 + j2 + k] = multivariate::productEntry(a, u0, v0, ui, vi, uj, vj, uk, vk, uij, vij, uik, vik,
                                                             ujk, vjk, uijk, vijk);
                if (order < 4) continue;
                const int k2 = t2(k);
                const int b4 = i4 + j3 + k2;
                const int b3ij = i3 + j2, b3ik = i3 + k2, b3jk = j3 + k2;
                for (int s = 0; s <= r; ++s) {
                    const int l = DENSE ? s : act[s];
                    // u's and v's entries at the subsets of (i, j, k, l), by bit mask.
                    const double us[16] = {u0,         ui,         uj,          uij,        uk,         uik,
                                           ujk,        uijk,       U1[l],       U2[i2 + l], U2[j2 + l], U3[b3ij + l],
                                           U2[k2 + l], U3[b3ik + l], U3[b3jk + l], U4[b4 + l]};
                    const double vs[16] = {v0,         vi,         vj,          vij,        vk,         vik,
                                           vjk,        vijk,       V1[l],       V2[i2 + l], V2[j2 + l], V3[b3ij + l],
                                           V2[k2 + l], V3[b3ik + l], V3[b3jk + l], V4[b4 + l]};
                    O4[b4 + l] = multivariate::productEntry4(a, us, vs);
                }
            }
        }
    }
}

void leibniz(const int* act, int m, int order, double a, double u0, const DerivView& u, double v0,
             const DerivView& v, const DerivView& out) {
    if (order <= 2 && Expression::sHigherOrderProducts) {  // the operations of the higher orders
        const int o = order < 1 ? 0 : order;
        if (o == 0) return;
        switch (m * 10 + o) {
            case 11: return leibnizHigh<1, 1>(act, m, order, a, u0, u, v0, v, out);
            case 12: return leibnizHigh<1, 2>(act, m, order, a, u0, u, v0, v, out);
            case 21: return leibnizHigh<2, 1>(act, m, order, a, u0, u, v0, v, out);
            case 22: return leibnizHigh<2, 2>(act, m, order, a, u0, u, v0, v, out);
            case 31: return leibnizHigh<3, 1>(act, m, order, a, u0, u, v0, v, out);
            case 32: return leibnizHigh<3, 2>(act, m, order, a, u0, u, v0, v, out);
            case 41: return leibnizHigh<4, 1>(act, m, order, a, u0, u, v0, v, out);
            case 42: return leibnizHigh<4, 2>(act, m, order, a, u0, u, v0, v, out);
            default: return o == 1 ? leibnizHigh<0, 1>(act, m, order, a, u0, u, v0, v, out)
                                   : leibnizHigh<0, 2>(act, m, order, a, u0, u, v0, v, out);
        }
    }
    if (order <= 2) {
        switch (m) {
            case 1: return leibnizLow<1>(act, m, order, a, u0, u, v0, v, out);
            case 2: return leibnizLow<2>(act, m, order, a, u0, u, v0, v, out);
            case 3: return leibnizLow<3>(act, m, order, a, u0, u, v0, v, out);
            case 4: return leibnizLow<4>(act, m, order, a, u0, u, v0, v, out);
            default: return leibnizLow<0>(act, m, order, a, u0, u, v0, v, out);
        }
    }
    if (firstVariables(act, m, 4)) {  // T, V and the two mole fractions of a binary mixture at most
        switch (m) {
            case 1: leibnizHigh<1, 2, true>(act, m, order, a, u0, u, v0, v, out); break;
            case 2: leibnizHigh<2, 2, true>(act, m, order, a, u0, u, v0, v, out); break;
            case 3: leibnizHigh<3, 2, true>(act, m, order, a, u0, u, v0, v, out); break;
            default: leibnizHigh<4, 2, true>(act, m, order, a, u0, u, v0, v, out); break;
        }
        switch (m * 10 + (order == 3 ? 3 : 4)) {
            case 13: return leibnizDenseHigh<1, 3>(a, u0, u, v0, v, out);
            case 23: return leibnizDenseHigh<2, 3>(a, u0, u, v0, v, out);
            case 33: return leibnizDenseHigh<3, 3>(a, u0, u, v0, v, out);
            case 43: return leibnizDenseHigh<4, 3>(a, u0, u, v0, v, out);
            case 14: return leibnizDenseHigh<1, 4>(a, u0, u, v0, v, out);
            case 24: return leibnizDenseHigh<2, 4>(a, u0, u, v0, v, out);
            case 34: return leibnizDenseHigh<3, 4>(a, u0, u, v0, v, out);
            default: return leibnizDenseHigh<4, 4>(a, u0, u, v0, v, out);
        }
    }
    if (order == 3) {  // the state functions
        switch (m) {
            case 1: return leibnizHigh<1, 3>(act, m, order, a, u0, u, v0, v, out);
            case 2: return leibnizHigh<2, 3>(act, m, order, a, u0, u, v0, v, out);
            case 3: return leibnizHigh<3, 3>(act, m, order, a, u0, u, v0, v, out);
            default: return leibnizHigh<0, 3>(act, m, order, a, u0, u, v0, v, out);
        }
    }
    switch (m) {
        case 1: return leibnizHigh<1, 4>(act, m, order, a, u0, u, v0, v, out);
        case 2: return leibnizHigh<2, 4>(act, m, order, a, u0, u, v0, v, out);
        case 3: return leibnizHigh<3, 4>(act, m, order, a, u0, u, v0, v, out);
        default: return leibnizHigh<0, 4>(act, m, order, a, u0, u, v0, v, out);
    }
}

void leibnizAdd(const int* act, int m, int order, double a, double u0, const DerivView& u, double v0,
                const DerivView& v, const DerivView& out) {
    if (order < 1) return;
    const double *EXPRK_RESTRICT U1 = u.d1, *EXPRK_RESTRICT U2 = u.d2, *EXPRK_RESTRICT U3 = u.d3,
                 *EXPRK_RESTRICT U4 = u.d4;
    const double *EXPRK_RESTRICT V1 = v.d1, *EXPRK_RESTRICT V2 = v.d2, *EXPRK_RESTRICT V3 = v.d3,
                 *EXPRK_RESTRICT V4 = v.d4;
    for (int p = 0; p < m; ++p) {
        const int i = act[p];
        const double ui = U1[i], vi = V1[i];
        out.d1[i] += multivariate::productEntry(a, u0, v0, ui, vi);
        if (order < 2) continue;
        const int i2 = t2(i), i3 = t3(i), i4 = t4(i);
        for (int q = 0; q <= p; ++q) {
            const int j = act[q];
            const double uj = U1[j], vj = V1[j];
            const double uij = U2[i2 + j], vij = V2[i2 + j];
            out.d2[i2 + j] += multivariate::productEntry(a, u0, v0, ui, vi, uj, vj, uij, vij);
            if (order < 3) continue;
            const int j2 = t2(j), j3 = t3(j);
            for (int r = 0; r <= q; ++r) {
                const int k = act[r];
                const double uk = U1[k], vk = V1[k];
                const double uik = U2[i2 + k], vik = V2[i2 + k], ujk = U2[j2 + k], vjk = V2[j2 + k];
                const double uijk = U3[i3 + j2 + k], vijk = V3[i3 + j2 + k];
                out.d3[i3 + j2 + k] += multivariate::productEntry(a, u0, v0, ui, vi, uj, vj, uk, vk, uij, vij, uik,
                                                                  vik, ujk, vjk, uijk, vijk);
                if (order < 4) continue;
                const int k2 = t2(k);
                const int b4 = i4 + j3 + k2;
                const int b3ij = i3 + j2, b3ik = i3 + k2, b3jk = j3 + k2;
                for (int s = 0; s <= r; ++s) {
                    const int l = act[s];
                    // u's and v's entries at the subsets of (i, j, k, l), by bit mask.
                    const double us[16] = {u0,         ui,         uj,          uij,        uk,         uik,
                                           ujk,        uijk,       U1[l],       U2[i2 + l], U2[j2 + l], U3[b3ij + l],
                                           U2[k2 + l], U3[b3ik + l], U3[b3jk + l], U4[b4 + l]};
                    const double vs[16] = {v0,         vi,         vj,          vij,        vk,         vik,
                                           vjk,        vijk,       V1[l],       V2[i2 + l], V2[j2 + l], V3[b3ij + l],
                                           V2[k2 + l], V3[b3ik + l], V3[b3jk + l], V4[b4 + l]};
                    out.d4[b4 + l] += multivariate::productEntry4(a, us, vs);
                }
            }
        }
    }
}

namespace {
inline double* level(const DerivView& v, int k) {
    switch (k) {
        case 1: return v.d1;
        case 2: return v.d2;
        case 3: return v.d3;
        default: return v.d4;
    }
}
}  // namespace

void scaleSetEntries(const int* act, int m, int order, double a, const DerivView& u, const DerivView& out) {
    forEachEntry(act, m, order, [&](int k, int off) { level(out, k)[off] = a * level(u, k)[off]; });
}

void combineSet(const int* act, int m, int n, int order, double a, const DerivView& u, double b,
                const DerivView& v, const DerivView& out) {
    if (order < 1) return;
    if (m == n) {
        const std::size_t cnt = Expression::storedEntries(n, order);
        const double* EXPRK_RESTRICT s = u.d1;
        const double* EXPRK_RESTRICT t = v.d1;
        double* EXPRK_RESTRICT d = out.d1;
        std::size_t e = 0;
        for (; e + 2 <= cnt; e += 2) storePair(d + e, a * loadPair(s + e) + b * loadPair(t + e));
        if (e < cnt) d[e] = a * s[e] + b * t[e];
        return;
    }
    forEachEntry(act, m, order,
                 [&](int k, int off) { level(out, k)[off] = a * level(u, k)[off] + b * level(v, k)[off]; });
}

void accumulate(const int* /*act*/, int /*m*/, int n, int order, double c, const DerivView& u,
                const DerivView& out) {
    if (order < 1) return;
    // One contiguous run over every stored entry, flagged or not.  The entries
    // of a variable that `out` does not depend on are +0 in `u` too (a child
    // depends on no variable its parent does not), and +0 + c*(+-0) is +0, so
    // those entries of `out` keep their +0 and the flagged ones get exactly the
    // sums of the entry-by-entry loop, in one loop without its index tests.
    const std::size_t cnt = Expression::storedEntries(n, order);
    const double* EXPRK_RESTRICT s = u.d1;
    double* EXPRK_RESTRICT d = out.d1;
    std::size_t e = 0;
    for (; e + 2 <= cnt; e += 2) storePair(d + e, loadPair(d + e) + c * loadPair(s + e));
    if (e < cnt) d[e] += c * s[e];
}

}  // namespace exprk
