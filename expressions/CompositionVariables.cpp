// Composition variables VarF, VarX2 .. VarX5: the monomials of the mixing sums.
#include <cstdio>

#include "expressions/VarF.h"
#include "platform/LogSink.h"

namespace {

// One nonzero entry of a monomial of a given kind: its order, the runs of its
// sorted variables (run r is the r-th distinct variable, the largest first),
// the exponent left on each run's value and the constant factor.
struct KindEntry {
    unsigned char order = 0;
    unsigned char run[4] = {0, 0, 0, 0};
    unsigned char exps[5] = {0, 0, 0, 0, 0};
    double coef = 0.0;
};

struct KindTable {
    int nruns = 0;
    int runStart[5] = {0, 0, 0, 0, 0};
    int mult[5] = {0, 0, 0, 0, 0};
    int count = 0;
    KindEntry e[64];
};

struct KindTables {
    KindTable t[6][16];  // [k][kind], k = 2..5

    KindTables() {
        for (int k = 2; k <= 5; ++k)
            for (int kind = 0; kind < (1 << (k - 1)); ++kind) build(t[k][kind], k, kind);
    }

    static void build(KindTable& tb, int k, int kind) {
        tb.nruns = 1;
        tb.runStart[0] = 0;
        for (int g = 0; g < k - 1; ++g)
            if (kind & (1 << (k - 2 - g))) tb.runStart[tb.nruns++] = g + 1;
        for (int r = 0; r < tb.nruns; ++r)
            tb.mult[r] = (r + 1 < tb.nruns ? tb.runStart[r + 1] : k) - tb.runStart[r];
        // Every count vector c (c_r <= m_r, sum c_r <= 4), in increasing order.
        int c[5] = {0, 0, 0, 0, 0};
        for (;;) {
            int o = 0;
            for (int r = 0; r < tb.nruns; ++r) o += c[r];
            if (o <= 4) {
                KindEntry& en = tb.e[tb.count++];
                en.order = static_cast<unsigned char>(o);
                int p = 0;
                en.coef = 1.0;
                for (int r = 0; r < tb.nruns; ++r) {
                    for (int q = 0; q < c[r]; ++q) en.run[p++] = static_cast<unsigned char>(r);
                    en.exps[r] = static_cast<unsigned char>(tb.mult[r] - c[r]);
                    for (int q = 0; q < c[r]; ++q) en.coef *= tb.mult[r] - q;
                }
            }
            int r = 0;
            while (r < tb.nruns && c[r] == tb.mult[r]) c[r++] = 0;
            if (r == tb.nruns) break;
            ++c[r];
        }
    }
};

const KindTables gKinds;

}  // namespace

namespace mixk {
short kindOf(const int* t, int k) {
    short kind = 0;
    for (int g = 0; g < k - 1; ++g)
        if (t[g] != t[g + 1]) kind = static_cast<short>(kind | (1 << (k - 2 - g)));
    return kind;
}
int entriesOfKind(int k, short kind) {
    if (k < 2 || k > 5 || kind < 0 || kind >= (1 << (k - 1))) return 0;
    return gKinds.t[k][kind].count;
}
void monomialEntries(int k, short kind, const double* y, int order, double* out) {
    if (k == 2) {  // the table's products, whose factors 1.0 leave them exact
        if (kind == 0) {  // x_i^2: 2 x_i, 2
            out[0] = y[0] * y[0];
            if (order >= 1) out[1] = 2.0 * y[0];
            if (order >= 2) out[2] = 2.0;
        } else {  // x_i x_j: x_j, x_i, 1
            out[0] = y[0] * y[1];
            if (order >= 1) {
                out[1] = y[1];
                out[2] = y[0];
            }
            if (order >= 2) out[3] = 1.0;
        }
        return;
    }
    const KindTable& tb = gKinds.t[k][kind];
    double pw[5][6];
    for (int r = 0; r < tb.nruns; ++r) {
        const double v = y[tb.runStart[r]];
        pw[r][0] = 1.0;
        for (int e = 1; e <= tb.mult[r]; ++e) pw[r][e] = pw[r][e - 1] * v;
    }
    for (int q = 0; q < tb.count; ++q) {
        const KindEntry& en = tb.e[q];
        if (en.order > order) continue;
        double v = en.coef;
        for (int r = 0; r < tb.nruns; ++r) v *= pw[r][en.exps[r]];
        out[q] = v;
    }
}
int entryOfCounts(int k, short kind, const int* counts) {
    const KindTable& tb = gKinds.t[k][kind];
    for (int q = 0; q < tb.count; ++q) {
        bool same = true;
        for (int r = 0; r < tb.nruns && same; ++r) same = tb.mult[r] - tb.e[q].exps[r] == counts[r];
        if (same) return q;
    }
    return -1;
}
}  // namespace mixk

// ---- VarF ----
VarF::~VarF() = default;
const char* VarF::getType() const { return "VarF"; }
int VarF::isDependent(int v) { return v >= first && v < end ? 1 : 0; }

void VarF::set_variable_values(double* vals) {
    if (!vals) return;
    for (int i = 0; i < n; ++i) x[i] = vals[first + i];
}

void VarF::setCount(int count) {
    clearTuple();
    n = count > 0 ? count : 0;
    x.assign(n, 0.0);
    end = first + n;
}

void VarF::setFirst(int firstIndex) {
    clearTuple();
    first = firstIndex;
    end = first + n;
}

void VarF::setTuple(const int* t, short kd) {
    clearTuple();
    bool ok = kd >= 0 && kd < (1 << (k_ - 1)) && mixk::kindOf(t, k_) == kd;
    for (int p = 0; p < k_ && ok; ++p)
        if (t[p] < 0 || t[p] >= n || (p > 0 && t[p] > t[p - 1])) ok = false;
    if (!ok) {
        platform::diagf("Error : bad tuple or kind %d is specified to %s.\n", kd, displayName());
        return;
    }
    for (int p = 0; p < k_; ++p) {
        tuple[p] = t[p];
        variables[p] = first + t[p];
        tupleValues[p] = x[t[p]];
    }
    kind = kd;
    onTuple_ = true;
}

// Zeroes the value and every entry that the current kind writes at order 4.
void VarF::clearTuple() {
    value = 0.0;
    if (!onTuple_) return;
    onTuple_ = false;
    if (!d1 || first < 0 || end > nvar) return;
    const KindTable& tb = gKinds.t[k_][kind];
    int rv[5];
    for (int r = 0; r < tb.nruns; ++r) rv[r] = variables[tb.runStart[r]];
    for (int q = 0; q < tb.count; ++q) {
        const KindEntry& en = tb.e[q];
        switch (en.order) {
            case 1: d1[rv[en.run[0]]] = 0.0; break;
            case 2: D2[off2(rv[en.run[0]], rv[en.run[1]])] = 0.0; break;
            case 3:
                if (D3) D3[off3(rv[en.run[0]], rv[en.run[1]], rv[en.run[2]])] = 0.0;
                break;
            case 4:
                if (D4) D4[off4(rv[en.run[0]], rv[en.run[1]], rv[en.run[2]], rv[en.run[3]])] = 0.0;
                break;
            default: break;
        }
    }
}

void VarF::evaluate(int order) {
    if (!onTuple_) {
        value = 0.0;
        return;
    }
    if (order > 4) order = 4;
    const bool derivs = d1 && first >= 0 && end <= nvar;
    const KindTable& tb = gKinds.t[k_][kind];
    double v[64];
    mixk::monomialEntries(k_, kind, tupleValues, derivs ? order : 0, v);
    int rv[5];
    for (int r = 0; r < tb.nruns; ++r) rv[r] = variables[tb.runStart[r]];
    value = v[0];
    if (!derivs) return;
    for (int q = 1; q < tb.count; ++q) {
        const KindEntry& en = tb.e[q];
        if (en.order > order) continue;
        switch (en.order) {
            case 1: d1[rv[en.run[0]]] = v[q]; break;
            case 2: D2[off2(rv[en.run[0]], rv[en.run[1]])] = v[q]; break;
            case 3:
                if (D3) D3[off3(rv[en.run[0]], rv[en.run[1]], rv[en.run[2]])] = v[q];
                break;
            default:
                if (D4) D4[off4(rv[en.run[0]], rv[en.run[1]], rv[en.run[2]], rv[en.run[3]])] = v[q];
                break;
        }
    }
}

namespace {
bool inTuple(const int* vars, int k, int v) {
    for (int p = 0; p < k; ++p)
        if (vars[p] == v) return true;
    return false;
}
}  // namespace

// ---- VarX2 .. VarX5 ----
VarX2::~VarX2() = default;
const char* VarX2::getType() const { return "VarX2"; }
int VarX2::isDependent(int v) { return onTuple_ && inTuple(variables, 2, v); }
void VarX2::calculate(int order) { evaluate(order); }
void VarX2::calculate(int order, int) { evaluate(order); }
void VarX2::components(int i1, int i2, short kd) {
    const int t[5] = {i1, i2, 0, 0, 0};
    setTuple(t, kd);
}

VarX3::~VarX3() = default;
const char* VarX3::getType() const { return "VarX3"; }
int VarX3::isDependent(int v) { return onTuple_ && inTuple(variables, 3, v); }
void VarX3::calculate(int order) { evaluate(order); }
void VarX3::calculate(int order, int) { evaluate(order); }
void VarX3::components(int i1, int i2, int i3, short kd) {
    const int t[5] = {i1, i2, i3, 0, 0};
    setTuple(t, kd);
}

VarX4::~VarX4() = default;
const char* VarX4::getType() const { return "VarX4"; }
int VarX4::isDependent(int v) { return onTuple_ && inTuple(variables, 4, v); }
void VarX4::calculate(int order) { evaluate(order); }
void VarX4::calculate(int order, int) { evaluate(order); }
void VarX4::components(int i1, int i2, int i3, int i4, short kd) {
    const int t[5] = {i1, i2, i3, i4, 0};
    setTuple(t, kd);
}

VarX5::~VarX5() = default;
const char* VarX5::getType() const { return "VarX5"; }
int VarX5::isDependent(int v) { return onTuple_ && inTuple(variables, 5, v); }
void VarX5::calculate(int order) { evaluate(order); }
void VarX5::calculate(int order, int) { evaluate(order); }
void VarX5::components(int i1, int i2, int i3, int i4, int i5, short kd) {
    const int t[5] = {i1, i2, i3, i4, i5};
    setTuple(t, kd);
}
