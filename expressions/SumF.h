#pragma once
// Mixing sums over the components of a mixture.  A sum of order k = 2 .. 5,
//
//   S = sum over ordered k-tuples (a_1 .. a_k) of x_{a_1} ... x_{a_k} e(a_1 .. a_k),
//
// with a coefficient node e symmetric in its indices and tied once per sorted
// tuple i_1 >= ... >= i_k, is evaluated over the sorted tuples only, each with
// its multinomial weight k!/(m_1! m_2! ...).  The x_i are the window
// first .. first + n - 1 of the tree's variables (the mole fractions, first = 2
// for a fluid term over [T, V, x_1 .. x_n]).  Its value and every derivative to
// the fourth order with respect to every tree variable come from Leibniz's
// rule on E P, the coefficient node times the monomial of the tuple (a
// composition variable of VarF.h that the sum owns and moves from tuple to
// tuple).
//
// Set-up by an owner:
//   SumX2 a;  a.defineXVariables(2, n);  a.tie_ij(i, j, &a_ij) for j <= i < n;
// or number_of_xvariables(n), starting_index(2) and the installation of a
// table made by expression_sym2alloc (installTerms, or a write to `terms`
// before the graph is sized).  The table and its levels belong to the sum; the
// tied coefficient nodes are linked children (counted, released by the rule of
// Expression).  Evaluation, sizing and the printers need every entry tied; an
// untied entry is reported and the sum then computes nothing.
//
// Order of accumulation: for i ascending, the tuple (i, .., i); then for each
// j < i the tuples over {i, j} in increasing kind; then for each l < j those
// over {i, j, l}; and so on.  The kind of a tuple is the pattern of its k-1
// gaps, the first gap the most significant bit, 1 where neighbours differ.
#include <cstdio>
#include <memory>
#include <vector>

#include "expressions/MultOp.h"
#include "expressions/VarF.h"

class SumF : public MultOp {
public:
    int n = 0;  // number of x-variables (components)

    ~SumF() override;
    const char* getType() const override;
    void number_of_variables(int n) override;
    void initialize_the_graph() override;
    void analyze_dependencies() override;
    int hasLeaves() override;
    void check_pointers(std::FILE* f) override;
    void reset() override;
    void set_variable_values(double* x) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void printFormula(std::FILE* f) override;
    void printFormulas(std::FILE* f) override;
    void printValues(std::FILE* f) override;
    Expression* findByName(const char* s) override;
    void number_of_terms(int n) override;

    // Adds w times the value, or the derivative at the sorted variables
    // a >= b >= c >= d, of the product E P of the current tuple.
    virtual void calculate_value(double w);
    virtual void calculate_d(double w, int a);
    virtual void calculate_d2(double w, int a, int b);
    virtual void calculate_d3(double w, int a, int b, int c);
    virtual void calculate_d4(double w, int a, int b, int c, int d);
    // n and a fresh value array in the monomial; no table (a table of another
    // size is released).
    virtual void number_of_xvariables(int n);
    // The window first .. first + n - 1.
    virtual void starting_index(int first);
    // x[0 .. n-1] into the monomial; clears the calculated flags of the
    // monomial, of the sum and of its terms (initialize_the_graph).
    virtual void set_xvariables(double* x);

    void defineXVariables(int first, int n);
    int order() const { return k_; }
    int firstIndex() const { return first_; }
    // The monomial node and the coefficient node of the last tuple the last
    // evaluation accumulated (the monomial evaluated at that evaluation's
    // mole fractions and order).  An evaluation sets the monomial node on a
    // tuple only where Leibniz's rule needs its arrays; these set it on the
    // last tuple when it is not there.
    VarF& monomial();
    Expression* coefficient();

protected:
    SumF(int k);
    std::unique_ptr<VarF> product;  // the monomial of the current tuple
    Expression* current = nullptr;  // coefficient node of the current tuple
    double E = 0.0;                 // its value
    double P = 0.0;                 // the monomial's value
    DerivView Ev;                   // E1 .. E4
    DerivView Pv;                   // P1 .. P4
    // The slot of a sorted tuple in the table; null when there is no table.
    virtual Expression** slot(const int* t) = 0;
    virtual void allocateTable(int n) = 0;
    virtual void disposeTable() = 0;
    // Stores e at the sorted tuple t after checking the indices (message on a
    // bad tuple).  Returns false when nothing was stored.
    bool tieAt(const int* t, Expression* e);
    bool tableFits(int count);
    // Counts the links of the entries written straight into the table.
    void syncLinks();
    void releaseTable();
    int tableN_ = 0;  // n of the table that exists, 0 when none

private:
    template <class F>
    void forEachTuple(F&& f);
    template <class F>
    void tuplesWith(int r, int* d, F& f);
    template <class F>
    void walk(F&& f);
    bool ready(bool report);
    bool allTied(bool report);
    bool calculateTerms(int order, int var);
    void select(const int* t, short kind, int order);
    void addEntry(double w, const int* idx, int K);
    double termEntry(const DerivView& v, double v0, const int* idx, int K) const;
    void printTerms(std::FILE* f);
    bool windowFits() const { return first_ >= 0 && first_ + n <= nvar; }

    int k_;
    int first_ = 0;
    std::vector<Expression*> linked_;  // the entries whose links are counted, in table order
    // For each tuple, in the order of accumulation, the flagged variables on
    // which its coefficient or its monomial depends: the only entries its
    // Leibniz terms can reach.
    void gatherTupleVariables();
    std::vector<int> tupleVars_;
    std::vector<int> tupleStart_;
    bool tupleVarsValid_ = false;
    // A tuple whose coefficient is free of the mole fractions of its monomial
    // (a_ij(T), the usual case) is a separable product: each of its entries
    // has one nonzero term of Leibniz's rule, the coefficient's entry in its
    // own variables times the monomial's entry in the others.  Its entries
    // (but those where the monomial's derivative vanishes) are listed once with the levels (0 the value) and offsets of the three
    // entries, the orders rising; sepEnd_[5 t] begins the entries of tuple t,
    // sepEnd_[5 t + K] ends them up to order K (-1: the tuple is not separable).
    // pq is the place of the monomial's entry among those of its kind
    // (mixk::monomialEntries).
    struct SepEntry {
        unsigned char lo, le;
        short pq;
        int oo, oe;
    };
    void listSeparableEntries(Expression* e, const int* t, const int* vars, int m);
    std::vector<SepEntry> sepEntries_;
    std::vector<int> sepEnd_;
    // The tuples in the order of accumulation with their coefficient node,
    // kind and weight, and the coefficient nodes in table order, listed with
    // the variables above: the walks of an evaluation read them instead of
    // the table.  A separable tuple takes its monomial's entries from
    // mixk::monomialEntries; the monomial node `product` is set on a tuple
    // only where Leibniz's rule needs its arrays, and is left on the last
    // tuple of every evaluation with E, P, Ev and Pv, as a walk through all
    // the tuples leaves it.
    struct TupleRecord {
        Expression* e;
        double w;
        short kind;
        int t[5];
    };
    std::vector<TupleRecord> tuples_;
    std::vector<Expression*> tableTerms_;
    // Adds w E P of tuple r (value, and with `entries` the entries of a
    // separable tuple q up to `order`) from the monomial's own entries.
    void addSeparable(const TupleRecord& r, int q, int order, bool entries);
    // The monomial's entries of tuple r up to the order (mixk::monomialEntries).
    void monomialOf(const TupleRecord& r, int order, double* pm) const;
    void addSeparableInVariable(const TupleRecord& r, int order, int var);
    // The last tuple of an evaluation that left the monomial node elsewhere:
    // its order (-1: none), its mole fractions and its coefficient's value
    // then, for monomial() and coefficient().
    struct LastTuple {
        int order = -1;
        short kind = 0;
        int t[5] = {0, 0, 0, 0, 0};
        double y[5] = {0, 0, 0, 0, 0};
        Expression* e = nullptr;
        double E = 0.0;
    };
    LastTuple last_;
    void endWalk(int order, bool selected);
    void placeOnLastTuple();
    void moveProduct(const int* t, short kind);
};

class SumX2 : public SumF {
public:
    Expression*** terms = nullptr;  // terms[i][j], j <= i
    SumX2();
    ~SumX2() override;
    const char* getType() const override;
    void tie_ij(int i, int j, Expression* e);
    // Hands a table made by expression_sym2alloc for n components to the sum.
    void installTerms(Expression*** table);
    // The same for a table made for `count` components: a table of another
    // size is refused with a message and stays the caller's.
    void installTerms(Expression*** table, int count);

protected:
    Expression** slot(const int* t) override;
    void allocateTable(int n) override;
    void disposeTable() override;
};

class SumX3 : public SumF {
public:
    Expression**** terms = nullptr;  // terms[i][j][l], l <= j <= i
    SumX3();
    ~SumX3() override;
    const char* getType() const override;
    void tie_ijk(int i, int j, int l, Expression* e);
    void installTerms(Expression**** table);
    void installTerms(Expression**** table, int count);

protected:
    Expression** slot(const int* t) override;
    void allocateTable(int n) override;
    void disposeTable() override;
};

class SumX4 : public SumF {
public:
    Expression***** terms = nullptr;
    SumX4();
    ~SumX4() override;
    const char* getType() const override;
    void tie_ijkl(int i, int j, int l, int m, Expression* e);
    void installTerms(Expression***** table);
    void installTerms(Expression***** table, int count);

protected:
    Expression** slot(const int* t) override;
    void allocateTable(int n) override;
    void disposeTable() override;
};

class SumX5 : public SumF {
public:
    Expression****** terms = nullptr;
    SumX5();
    ~SumX5() override;
    void tie_ijklm(int i, int j, int l, int m, int p, Expression* e);
    void installTerms(Expression****** table);
    void installTerms(Expression****** table, int count);

protected:
    Expression** slot(const int* t) override;
    void allocateTable(int n) override;
    void disposeTable() override;
};
