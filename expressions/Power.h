#pragma once
// Power: a*u^p + c.
#include "expressions/UnaryNode.h"

class Power : public UnaryNode<Power, true> {
public:
    double a = 1.0;
    double p = 1.0;
    double c = 0.0;

    ~Power() override;
    const char* getType() const override;
    void set_scalars3(double a, double p, double c) override;
    void printFormula(std::FILE* f) override;

    // The scalars (a, then the others in the order of set_scalars3), and the
    // factors from them (the compiled passes keep the scalars beside their slots).
    void scalarsTo(double* k) const;
    static bool factorsFrom(const double* k, double u0, double& f, double& f1, double& f2, double& f3, double& f4);
};

extern template class UnaryNode<Power, true>;
