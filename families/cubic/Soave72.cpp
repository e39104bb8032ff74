#include "families/cubic/Soave72.h"

#include <cmath>

void Soave72::calculate(int order) {
    if (calculated) return;
    const double s = std::sqrt(T / Tc);
    const double phi = 1.0 + m * (1.0 - s);
    value = ac * phi * phi;
    if (order >= 1 && d1) {
        const double p1 = -m * s / (2.0 * T);
        const double p2 = -p1 / (2.0 * T);
        const double p3 = -3.0 * p2 / (2.0 * T);
        const double p4 = -5.0 * p3 / (2.0 * T);
        d1[0] = 2.0 * ac * phi * p1;
        if (order >= 2 && d2) d2[0][0] = 2.0 * ac * (p1 * p1 + phi * p2);
        if (order >= 3 && d3) d3[0][0][0] = 2.0 * ac * (3.0 * p1 * p2 + phi * p3);
        if (order >= 4 && d4) d4[0][0][0][0] = 2.0 * ac * (3.0 * p2 * p2 + 4.0 * p1 * p3 + phi * p4);
    }
    calculated = true;
}

void Soave72::calculate(int order, int var) {
    if (calculated) return;
    if (var == 0) {
        calculate(order);
        return;
    }
    const double s = std::sqrt(T / Tc);
    const double phi = 1.0 + m * (1.0 - s);
    value = ac * phi * phi;
    calculated = true;
}

void Soave72::printFormula(std::FILE* f) {
    std::fprintf(f, "%s = %lg (1 + %lg (1 - sqrt(T/%lg)))^2", displayName(), ac, m, Tc);
}
