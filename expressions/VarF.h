#pragma once
// Composition variables: the product nodes of the mixing sums (SumF and its
// SumX2 .. SumX5).  A product node of order k stands for the monomial
// x_{i_1} x_{i_2} ... x_{i_k} of one sorted index tuple i_1 >= ... >= i_k over
// the n x-variables of its sum (x_i is tree variable first + i).  The sum moves
// it from tuple to tuple with components(...), evaluates it and reads its value
// and derivatives.
//
// The tuple is described by its runs of equal indices: distinct variables
// u_1 > u_2 > ... with values y_r and multiplicities m_r.  The derivative of
// P = prod y_r^{m_r} over a multiset in which u_r occurs c_r times is
// prod m_r!/(m_r - c_r)! y_r^{m_r - c_r} (zero when some c_r exceeds m_r).  The
// kind of a tuple is the pattern of its k-1 gaps, the first gap the most
// significant bit, a bit 1 where neighbours differ; each kind has its table of
// nonzero entries (built once for the program), from which calculate writes
// the entries and the next components() clears exactly those entries again.
// So the derivative arrays hold zeros everywhere but at the current tuple, and
// moving on costs no full clear.
#include <vector>

#include "expressions/PolyVar.h"

class VarF : public PolyVar {
public:
    int n = 0;              // number of x-variables
    std::vector<double> x;  // x[i] is the value of tree variable first + i
    int first = 0;          // tree index of x[0]
    int end = 0;            // first + n

    ~VarF() override;
    const char* getType() const override;
    int isDependent(int v) override;
    void set_variable_values(double* values) override;

    // Set by the owning sum: the number of x-variables (a fresh value array)
    // and the tree index of the first one.
    void setCount(int count);
    void setFirst(int firstIndex);

    // The sorted tuple (indices into x), its tree variables, their values and
    // its kind; the order k of the node.
    int tuple[5] = {0, 0, 0, 0, 0};
    int variables[5] = {0, 0, 0, 0, 0};
    double tupleValues[5] = {0, 0, 0, 0, 0};
    short kind = 0;

protected:
    friend class SumF;
    explicit VarF(int order) : k_(order) {}
    // Clears the entries of the previous tuple, then stores the new one.  A
    // tuple outside 0..n-1, out of order, or a kind that does not match it is
    // refused with a message and leaves the node on no tuple.
    void setTuple(const int* t, short kind);
    void evaluate(int order);
    void clearTuple();
    int k_;
    bool onTuple_ = false;
};

class VarX2 : public VarF {
public:
    VarX2() : VarF(2) {}
    ~VarX2() override;
    const char* getType() const override;
    int isDependent(int v) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void components(int i1, int i2, short kind);
};

class VarX3 : public VarF {
public:
    VarX3() : VarF(3) {}
    ~VarX3() override;
    const char* getType() const override;
    int isDependent(int v) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void components(int i1, int i2, int i3, short kind);
};

class VarX4 : public VarF {
public:
    VarX4() : VarF(4) {}
    ~VarX4() override;
    const char* getType() const override;
    int isDependent(int v) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void components(int i1, int i2, int i3, int i4, short kind);
};

class VarX5 : public VarF {
public:
    VarX5() : VarF(5) {}
    ~VarX5() override;
    const char* getType() const override;
    int isDependent(int v) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void components(int i1, int i2, int i3, int i4, int i5, short kind);
};

namespace mixk {
// The kind of a sorted tuple of k indices (bit k-2 for the first gap).
short kindOf(const int* t, int k);
// The number of nonzero entries (value included) that a product of order k
// and kind writes at order 4.
int entriesOfKind(int k, short kind);
// The nonzero entries of that product up to `order` into out[q], q in the
// kind's order of entries (out[0] the value), from the values y[0 .. k-1] of
// its sorted tuple: the numbers VarF::calculate writes (at most 64 entries).
void monomialEntries(int k, short kind, const double* y, int order, double* out);
// The place q of the entry that takes the derivative counts[r] times in the
// r-th distinct index of the tuple (the largest first); -1 when the kind has
// no such entry (a count above the index's multiplicity).
int entryOfCounts(int k, short kind, const int* counts);
}  // namespace mixk
