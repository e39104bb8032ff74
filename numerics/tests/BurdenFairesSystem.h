#pragma once
// Burden and Faires' nonlinear system of three unknowns (Numerical Analysis,
// section 10.2), with the solution (0.5, 0, -pi/6):
//   3a - cos(bc) - 1/2 = 0,  a^2 - 81 (b + 0.1)^2 + sin c + 1.06 = 0,
//   exp(-ab) + 20c + (10 pi - 3)/3 = 0.
// The residuals G and, for order >= 1, the Jacobian J at x.
#include <cmath>

inline void burdenFairesSystem(const double* x, double* G, double** J, int order) {
    const double a = x[0], b = x[1], c = x[2];
    G[0] = 3 * a - std::cos(b * c) - 0.5;
    G[1] = a * a - 81 * (b + 0.1) * (b + 0.1) + std::sin(c) + 1.06;
    G[2] = std::exp(-a * b) + 20 * c + (10 * M_PI - 3) / 3;
    if (order >= 1) {
        J[0][0] = 3;
        J[0][1] = c * std::sin(b * c);
        J[0][2] = b * std::sin(b * c);
        J[1][0] = 2 * a;
        J[1][1] = -162 * (b + 0.1);
        J[1][2] = std::cos(c);
        J[2][0] = -b * std::exp(-a * b);
        J[2][1] = -a * std::exp(-a * b);
        J[2][2] = 20;
    }
}
