#pragma once
// Inverse: a/u.  A child of value 0 sets Expression::sError.
#include "expressions/UnaryNode.h"

class Inverse : public UnaryNode<Inverse, false> {
public:
    double a = 1.0;

    ~Inverse() override;
    const char* getType() const override;
    void set_scalars1(double a) override;
    void printFormula(std::FILE* f) override;

    // The scalars (a, then the others in the order of set_scalars3), and the
    // factors from them (the compiled passes keep the scalars beside their slots).
    void scalarsTo(double* k) const;
    static bool factorsFrom(const double* k, double u0, double& f, double& f1, double& f2, double& f3, double& f4);
};

extern template class UnaryNode<Inverse, false>;
