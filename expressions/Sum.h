#pragma once
// Sum: c_0 t_0 + ... + c_{n-1} t_{n-1} + c_n over n terms.
//
// number_of_terms(n) comes first; then the terms are linked (tie_(t0, ...,
// t_{n-1}) with exactly n pointers, or tiei / tieip one by one) and the n + 1
// scalars set (set_scalars_(c0, ..., c_n), set_scalarsx, set_scalar), the last
// scalar being the constant.
#include <vector>

#include "expressions/MultOp.h"

class Sum : public MultOp {
public:
    std::vector<Expression*> terms;  // nterms slots, null until linked
    std::vector<double> scalars;     // nterms + 1 weights, the last the constant

    ~Sum() override;
    void number_of_variables(int n) override;
    void initialize_the_graph() override;
    void analyze_dependencies() override;
    int hasLeaves() override;
    void check_pointers(std::FILE* f) override;
    void reset() override;
    void set_variable_values(double* x) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void evaluateNode(int order) override;
    void evaluateNode(int order, int var) override;
    VarKernel varKernel(int order) const override;
    bool addsItsTerms() const override { return true; }
    FullKernel fullKernel(int order) const override;
    bool planChildren(std::vector<Expression*>& children) override;
    void tieTerms(std::span<Expression* const> t) override;
    void setScalarsList(std::span<const double> c) override;
    void printFormula(std::FILE* f) override;
    void printFormulas(std::FILE* f) override;
    void printValues(std::FILE* f) override;
    Expression* findByName(const char* s) override;
    void number_of_terms(int n) override;

    void tiei(int i, Expression& e);
    void tieip(int i, Expression* e);
    void set_scalar(int i, double c);
    void set_scalarsx(const double* c);

private:
    // How many entries from d1 on the kernels of the first two orders sum.
    int summedEntries(std::size_t stored);
    bool allLinked();
    void releaseTerms();
};

