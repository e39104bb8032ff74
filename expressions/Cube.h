#pragma once
// Cube: a*u^3.
#include "expressions/UnOp.h"

class Cube : public UnOp {
public:
    double a = 1.0;

    ~Cube() override;
    const char* getType() const override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void evaluateNode(int order) override;
    void evaluateNode(int order, int var) override;
    VarKernel varKernel(int order) const override;
    FullKernel fullKernel(int order) const override;
    FullKernel uniformFullKernel(int order) override;
    void set_scalars1(double a) override;
    void printFormula(std::FILE* f) override;

    // The value f and the derivatives f1..f4 of f at the child's value u0;
    // false outside the domain.
    bool factors(double u0, double& f, double& f1, double& f2, double& f3, double& f4) const;
    // The scalars (a, then the others in the order of set_scalars3), and the
    // factors from them (the compiled passes keep the scalars beside their slots).
    void scalarsTo(double* k) const;
    static bool factorsFrom(const double* k, double u0, double& f, double& f1, double& f2, double& f3, double& f4);
};
