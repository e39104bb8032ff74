#pragma once
// Geom: the power mean of n terms t_0 .. t_{n-1},
//
//   G = a * ( (1/n) * sum_m powo(t_m, p) )^(1/p) + c = A * powo(S, 1/p) + c,
//   S = sum_m powo(t_m, p),  A = a / n^(1/p),
//
// with powo the odd extension sign(t)|t|^p, so negative terms count with their
// sign.  The mixture models use p = 1/3 and repeat a term to weight it: a Geom
// over (g, g, h) is the cube-root mean ((2 g^(1/3) + h^(1/3)) / 3)^3.  The
// derivatives of S are accumulated term by term (chain rule of powo at each
// term), then carried through the outer power by the chain rule once.
//
// The terms are not counted: Geom links them without raising their reference
// counts and never releases them; they belong to whoever made them.  p is 0
// after construction, so an owner sets it (set_scalars3(a, p, c)) before the
// first evaluation.  number_of_terms(n) comes before the ties.
#include <memory>
#include <vector>

#include "expressions/MultOp.h"

class Geom : public MultOp {
public:
    double a = 1.0;
    double p = 0.0;
    double c = 0.0;
    std::vector<Expression*> terms;  // nterms slots, null until tied
    DerivView S1234;                 // derivatives of the inner sum S (S1 .. S4)

    Geom();
    ~Geom() override;
    void number_of_variables(int n) override;
    const char* getType() const override;
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
    FullKernel fullKernel(int order) const override;
    bool planChildren(std::vector<Expression*>& children) override;
    void tieTerms(std::span<Expression* const> t) override;
    void set_scalars3(double a, double p, double c) override;
    void printFormula(std::FILE* f) override;
    void printFormulas(std::FILE* f) override;
    void printValues(std::FILE* f) override;
    Expression* findByName(const char* s) override;
    void number_of_terms(int n) override;

    void tiei(int i, Expression& e);
    void tieip(int i, Expression* e);

private:
    bool allTied();
    std::unique_ptr<double[]> block_;  // S1 .. S4, then the scratch of one term
    DerivView scratch_;
};
