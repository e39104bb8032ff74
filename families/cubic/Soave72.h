#pragma once
// Soave (1972) temperature function of the attraction parameter,
//     a(T) = ac (1 + m (1 - sqrt(T/Tc)))^2,
// with its temperature derivatives to the fourth order.
// Soave, Chem. Eng. Sci. 27 (1972) 1197.
#include "families/cubic/Alpha.h"

class Soave72 : public Alpha {
public:
    ~Soave72() override = default;
    const char* getType() const override { return "Soave72"; }
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void printFormula(std::FILE* f) override;
};
