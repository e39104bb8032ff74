#pragma once
// Division: a*u/v, computed as u times w = 1/v.
//
// A NaN quotient (0/0, or a NaN child) gives the value 0 with all derivatives
// 0 up to the order asked.  A nonzero u over a v of exactly 0 sets
// Expression::sError (the infinite value still propagates), so the owner sees
// the failed evaluation.
#include <memory>

#include "expressions/BinOp.h"

class Division : public BinOp {
public:
    double a = 1.0;

    ~Division() override;
    void number_of_variables(int n) override;
    const char* getType() const override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void evaluateNode(int order) override;
    void evaluateNode(int order, int var) override;
    FullKernel fullKernel(int order) const override;
    void set_scalars1(double a) override;
    void printFormula(std::FILE* f) override;

private:
    bool checkQuotient(int order);
    std::unique_ptr<double[]> wBlock_;  // derivatives of w = 1/v, sized with the node
    DerivView w_;
};
