#pragma once
// Inverse2: a/u^2 (a is 1: the node has no setter).  A child of value 0 sets
// Expression::sError.
#include "expressions/UnaryNode.h"

class Inverse2 : public UnaryNode<Inverse2, false> {
public:
    double a = 1.0;

    ~Inverse2() override;
    const char* getType() const override;
    void printFormula(std::FILE* f) override;

    // The scalars (a, then the others in the order of set_scalars3), and the
    // factors from them (the compiled passes keep the scalars beside their slots).
    void scalarsTo(double* k) const;
    static bool factorsFrom(const double* k, double u0, double& f, double& f1, double& f2, double& f3, double& f4);
};

extern template class UnaryNode<Inverse2, false>;
