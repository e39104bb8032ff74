#pragma once
// Exponential: a + b*exp(c*u); with a = -b, b*expm1(c*u), exact where c*u is small.
#include "expressions/UnaryNode.h"

class Exponential : public UnaryNode<Exponential, true> {
public:
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;  // set all three with set_scalars3 before evaluating

    ~Exponential() override;
    const char* getType() const override;
    void set_scalars3(double a, double b, double c) override;
    void printFormula(std::FILE* f) override;

    // The scalars (a, then the others in the order of set_scalars3), and the
    // factors from them (the compiled passes keep the scalars beside their slots).
    void scalarsTo(double* k) const;
    static bool factorsFrom(const double* k, double u0, double& f, double& f1, double& f2, double& f3, double& f4);
};

extern template class UnaryNode<Exponential, true>;
