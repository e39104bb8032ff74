#pragma once
// Sum2: a*u + b*v + c.
#include "expressions/BinOp.h"

class Sum2 : public BinOp {
public:
    double a = 1.0;
    double b = 1.0;
    double c = 0.0;

    ~Sum2() override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void evaluateNode(int order) override;
    void evaluateNode(int order, int var) override;
    VarKernel varKernel(int order) const override;
    FullKernel fullKernel(int order) const override;
    FullKernel uniformFullKernel(int order) override;
    void set_scalars3(double a, double b, double c) override;
    void printFormula(std::FILE* f) override;
};
