#include "families/duan/BIPDuan.h"

#include <cmath>

#include "expressions/Operator.h"

BIPDuan::~BIPDuan() = default;

void BIPDuan::set_variable_values(double* v)
{
    PolyVar::set_variable_values(v);
    if (v) T = v[0];
    calculated = false;
}

void BIPDuan::setCoefficients(double c0, double c1, double c2, double c3, double c4)
{
    c[0] = c0;
    c[1] = c1;
    c[2] = c2;
    c[3] = c3;
    c[4] = c4;
    calculated = false;
}

double BIPDuan::at(double t) const { return c[0] + c[1] * t + c[2] * t * t + c[3] / t + c[4] * std::log(t); }

void BIPDuan::calculate(int order)
{
    if (calculated) return;
    value = at(T);
    if (order >= 1 && d1) {
        const double t2 = T * T, t3 = t2 * T, t4 = t3 * T, t5 = t4 * T;
        d1[0] = c[1] + 2.0 * c[2] * T - c[3] / t2 + c[4] / T;
        if (order >= 2 && d2) d2[0][0] = 2.0 * c[2] + 2.0 * c[3] / t3 - c[4] / t2;
        if (order >= 3 && d3) d3[0][0][0] = -6.0 * c[3] / t4 + 2.0 * c[4] / t3;
        if (order >= 4 && d4) d4[0][0][0][0] = 24.0 * c[3] / t5 - 6.0 * c[4] / t4;
    }
    calculated = true;
}

void BIPDuan::calculate(int order, int var)
{
    if (calculated) return;
    if (var == 0) {
        calculate(order);
        return;
    }
    value = at(T);
    calculated = true;
}

void BIPDuan::printFormula(std::FILE* f)
{
    printMargin(f);
    std::fprintf(f, "%s = %lg + %lg T + %lg T^2 + %lg/T + %lg ln T (BIPDuan)\n", displayName(), c[0], c[1], c[2],
                 c[3], c[4]);
}
