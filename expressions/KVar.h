#pragma once
// KVar: a constant.  It depends on no variable and writes no derivative.
#include "expressions/Function.h"

class KVar : public MonoVar {
public:
    double constant = 0.0;

    ~KVar() override;
    const char* getType() const override;
    int isDependent(int i) override;
    void check_pointers(std::FILE* f) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void set_scalars1(double c) override;
    void printFormula(std::FILE* f) override;
};
