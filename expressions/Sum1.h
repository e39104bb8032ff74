#pragma once
// Sum1: a*u + b.
#include "expressions/UnOp.h"

class Sum1 : public UnOp {
public:
    double a = 1.0;
    double b = 0.0;

    ~Sum1() override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void evaluateNode(int order) override;
    void evaluateNode(int order, int var) override;
    VarKernel varKernel(int order) const override;
    FullKernel fullKernel(int order) const override;
    FullKernel uniformFullKernel(int order) override;
    void set_scalars2(double a, double b) override;
    void printFormula(std::FILE* f) override;
};
