#pragma once
// Selector: a piecewise node.  With a condition x and two branches u and v it
// takes over the value and the derivatives of u when x's value is below 0 (a
// strict comparison), of v otherwise (a zero or NaN condition selects v).  Only
// the selected branch is evaluated in a pass.  The condition's derivatives
// never reach the result, so the flags are those of u and v.
//
// The children are not counted: tie3 stores them without raising their
// reference counts and the node never releases them; they belong to whoever
// made them.
#include "expressions/Operator.h"

class Selector : public Operator {
public:
    Expression* u = nullptr;  // branch taken when x < 0
    Expression* v = nullptr;  // branch taken otherwise
    Expression* x = nullptr;  // condition

    ~Selector() override;
    void number_of_variables(int n) override;
    const char* getType() const override;
    void initialize_the_graph() override;
    void analyze_dependencies() override;
    int hasLeaves() override;
    void check_pointers(std::FILE* f) override;
    void reset() override;
    void set_variable_values(double* vars) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void printFormula(std::FILE* f) override;
    void printFormulas(std::FILE* f) override;
    void printValues(std::FILE* f) override;
    Expression* findByName(const char* s) override;
    void tie3(Expression& x, Expression& u, Expression& v);

private:
    bool linked(bool report);
};
