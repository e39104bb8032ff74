#pragma once
// FVar: the linear function a*x + b of the variable it is bound to (`index`).
// Its only nonzero derivative is d1[index] = a.
#include "expressions/Function.h"

class FVar : public MonoVar {
public:
    double a = 1.0;
    double b = 0.0;

    ~FVar() override;
    const char* getType() const override;
    int isDependent(int i) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void set_scalars2(double a, double b) override;
    void printFormula(std::FILE* f) override;
};
