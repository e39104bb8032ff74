// Coefficients of Driesner (2007), Table 4 (T in °C, P in bar).
#include "brines/DriesnerVolume.h"

#include <cmath>

namespace driesner {
namespace {
constexpr double kMNaCl = 0.058443;     // kg/mol
constexpr double kMH2O = 0.018015268;   // kg/mol
}  // namespace

double moleFraction(double X) { return (X / kMNaCl) / (X / kMNaCl + (1.0 - X) / kMH2O); }

double solutionMolarMass(double x) { return x * kMNaCl + (1.0 - x) * kMH2O; }

double scaledTemperature(double T, double P, double x) {
    const double P2 = P * P, P3 = P2 * P, sP = std::sqrt(P);
    // n1 = n1(x=1) + n11 (1 - x) + n12 (1 - x)^2, zero at x = 0 (eq. 11).
    const double n1x1 = 330.47 + 0.942876 * sP + 0.0817193 * P - 2.47556e-8 * P2 + 3.45052e-10 * P3;
    const double n11 = -54.2958 - 45.7623 * std::exp(-9.44785e-4 * P);
    const double n12 = -n1x1 - n11;
    const double y = 1.0 - x;
    const double n1 = n1x1 + n11 * y + n12 * y * y;
    // n2 = n20 + n21 sqrt(x + n22) + n23 x, one at x = 0 and n2(x=1) at x = 1
    // (eq. 12).
    const double n2x1 = -0.0370751 + 0.00237723 * sP + 5.42049e-5 * P + 5.84709e-9 * P2 - 5.99373e-13 * P3;
    const double n21 = -2.6142 - 2.39092e-4 * P;
    const double n22 = 0.0356828 + 4.37235e-6 * P + 2.0566e-9 * P2;
    const double n20 = 1.0 - n21 * std::sqrt(n22);
    const double n23 = n2x1 - n20 - n21 * std::sqrt(1.0 + n22);
    const double n2 = n20 + n21 * std::sqrt(x + n22) + n23 * x;
    // Low-temperature correction D = n30 exp(n31 T) (eq. 14-16).
    const double n300 = 7.60664e6 / ((P + 472.051) * (P + 472.051));
    const double n301 = -50.0 - 86.1446 * std::exp(-6.21128e-4 * P);
    const double n302 = 294.318 * std::exp(-5.66735e-3 * P);
    const double n310 = -0.0732761 * std::exp(-2.3772e-3 * P) - 5.2948e-5 * P;
    const double n311 = -47.2747 + 24.3653 * std::exp(-1.25533e-3 * P);
    const double n312 = -0.278529 - 0.00081381 * P;
    const double n30 = n300 * (std::exp(n301 * x) - 1.0) + n302 * x;
    const double n31 = n310 * std::exp(n311 * x) + n312 * x;
    const double D = n30 * std::exp(n31 * T);
    return n1 + n2 * T + D;
}

}  // namespace driesner
