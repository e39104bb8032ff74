#pragma once
// Product: a*u*v, with every mixed derivative by Leibniz's rule.
#include "expressions/BinOp.h"

class Product : public BinOp {
public:
    double a = 1.0;

    ~Product() override;
    const char* getType() const override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void evaluateNode(int order) override;
    void evaluateNode(int order, int var) override;
    VarKernel varKernel(int order) const override;
    void set_scalars1(double a) override;
    void printFormula(std::FILE* f) override;
};
