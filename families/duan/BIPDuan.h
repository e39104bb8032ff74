#pragma once
// BIPDuan: a temperature-dependent binary interaction parameter of the Duan
// mixture term,
//     k(T) = c0 + c1 T + c2 T^2 + c3/T + c4 ln T   (T in K),
// an expression node of variable 0 (the temperature) only.
#include "expressions/PolyVar.h"

class BIPDuan : public PolyVar {
public:
    ~BIPDuan() override;
    const char* getType() const override { return "BIPDuan"; }
    int isDependent(int i) override { return i == 0 ? 1 : 0; }
    void set_variable_values(double* v) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void printFormula(std::FILE* f) override;

    // The five coefficients; those not given are 0.
    void setCoefficients(double c0, double c1 = 0.0, double c2 = 0.0, double c3 = 0.0, double c4 = 0.0);
    // k(T) at any T without touching the node.
    double at(double T_) const;

    double c[5] = {1.0, 0.0, 0.0, 0.0, 0.0};
    double T = 0.0;  // K
};
