#pragma once
// BinOp: an operator of two children u and v (see UnOp).
#include "expressions/Operator.h"

class BinOp : public Operator {
public:
    Expression* u = nullptr;
    Expression* v = nullptr;

    ~BinOp() override;
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
    void tie2(Expression& a, Expression& b) override;
    void tiep2(Expression* a, Expression* b) override;
    void printFormula(std::FILE* f) override;
    void printFormulas(std::FILE* f) override;
    void printValues(std::FILE* f) override;
    Expression* findByName(const char* s) override;
    bool planChildren(std::vector<Expression*>& children) override;

protected:
    const char* uName() const { return u ? u->displayName() : "noname"; }
    const char* vName() const { return v ? v->displayName() : "noname"; }
};
