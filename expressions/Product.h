#pragma once
// Product: a*u*v, with every mixed derivative by Leibniz's rule.  The
// one-variable passes of a product whose factor does not depend on the
// variable leave out the terms of the rule that the factor's zero entries
// would multiply (freeChildKernel).
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
    VarKernel freeChildKernel(int child, int order) const override;
    FullKernel fullKernel(int order) const override;
    void set_scalars1(double a) override;
    void printFormula(std::FILE* f) override;
};
