#pragma once
// Function: the base of the nodes that compute themselves from the variable
// vector (variable nodes, linear forms, composition products).  MonoVar: a
// Function bound to one variable, `index` (-1 until the owner binds it), whose
// current value it keeps in `x`.
#include "expressions/Expression.h"

class Function : public Expression {
public:
    ~Function() override;
    const char* getType() const override;
};

class MonoVar : public Function {
public:
    double x = 0.0;
    int index = -1;

    ~MonoVar() override;
    void check_pointers(std::FILE* f) override;
    void set_variable_values(double* vars) override;
};
