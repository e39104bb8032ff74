#pragma once
// Powo: a*powo(u, p) + c, the odd extension sign(u)|u|^p of the power to
// negative u.  powo and powe are the odd and even extensions of pow.
#include "expressions/UnaryNode.h"

// -(|x|^p) for x < 0, else x^p.
double powo(double x, double p);
// |x|^p for x < 0, else x^p.
double powe(double x, double p);

class Powo : public UnaryNode<Powo, true> {
public:
    double a = 1.0;
    double p = 1.0;
    double c = 0.0;

    ~Powo() override;
    const char* getType() const override;
    void set_scalars3(double a, double p, double c) override;
    void printFormula(std::FILE* f) override;

    // The scalars (a, then the others in the order of set_scalars3), and the
    // factors from them (the compiled passes keep the scalars beside their slots).
    void scalarsTo(double* k) const;
    static bool factorsFrom(const double* k, double u0, double& f, double& f1, double& f2, double& f3, double& f4);
};

extern template class UnaryNode<Powo, true>;
