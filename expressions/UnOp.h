#pragma once
// UnOp: an operator of one child u.  It links, sizes and walks its child,
// derives its flags from it, prints, and releases the child by the counting
// rule of Expression.  The concrete nodes add the arithmetic: most supply f(u)
// and its first four derivatives and call chainRule / chainRuleDiag.
#include "expressions/DerivativeKernels.h"
#include "expressions/Operator.h"

class UnOp : public Operator {
public:
    Expression* u = nullptr;

    ~UnOp() override;
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
    void tie1(Expression& e) override;
    void tiep1(Expression* e) override;
    void printFormula(std::FILE* f) override;
    void printFormulas(std::FILE* f) override;
    void printValues(std::FILE* f) override;
    Expression* findByName(const char* s) override;
    bool planChildren(std::vector<Expression*>& children) override;

    // Derivatives of f(u) from f1..f4, the derivatives of f at u's value: all
    // flagged entries up to the order, or the pure entries of one variable
    // (written only when that variable is flagged).
    void chainRule(int order, double f1, double f2, double f3, double f4);
    void chainRuleVar(int order, int var, double f1, double f2, double f3, double f4) {
        if (order < 1 || !d1 || u->nvar != nvar || var < 0 || var >= nvar || !flags[var]) return;
        exprk::chainRuleDiag(var, order, u->view(), view(), f1, f2, f3, f4);
    }

protected:
    const char* childName() const { return u ? u->displayName() : "noname"; }
};
