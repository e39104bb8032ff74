#pragma once
// PolyVar: a Function that keeps a copy of the whole variable vector.
#include <vector>

#include "expressions/Function.h"

class PolyVar : public Function {
public:
    std::vector<double> values;  // one entry per variable; empty until sized

    ~PolyVar() override;
    void number_of_variables(int n) override;
    void set_variable_values(double* v) override;
};
