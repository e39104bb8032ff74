#pragma once
// Logarithm: a*ln(u + b) + c.  Outside its domain (u + b <= 0) the node sets
// Expression::sError, marks itself calculated and writes nothing: the owner
// must test sError after every evaluation.
#include "expressions/UnaryNode.h"

class Logarithm : public UnaryNode<Logarithm, true> {
public:
    double a = 1.0;
    double b = 0.0;
    double c = 0.0;

    ~Logarithm() override;
    const char* getType() const override;
    void set_scalars3(double a, double b, double c) override;
    void printFormula(std::FILE* f) override;

    // The scalars (a, then the others in the order of set_scalars3), and the
    // factors from them (the compiled passes keep the scalars beside their slots).
    void scalarsTo(double* k) const;
    static bool factorsFrom(const double* k, double u0, double& f, double& f1, double& f2, double& f3, double& f4);
};

extern template class UnaryNode<Logarithm, true>;
