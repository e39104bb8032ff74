#include "fluid/SaturatedLiquid.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

// ln(rho'/rho_c) = sum a_i theta^t_i, or for water rho'/rho_c itself.
struct LiquidAncillary {
    const char* name;
    double M;     // kg/mol
    double Tc;    // K
    double rhoc;  // kg/m3
    int n;
    double a[4], t[4];
};

constexpr LiquidAncillary kWater{"H2O", 0.018015268, 647.096, 322.0, 0, {}, {}};

constexpr LiquidAncillary kAncillaries[] = {
    kWater,
    {"CO2", 0.0440098, 304.1282, 467.6, 4,
     {1.9245108, -0.62385555, -0.32731127, 0.39245142},
     {0.34, 0.5, 10.0 / 6.0, 11.0 / 6.0}},
    {"CH4", 0.0160428, 190.564, 162.66, 3,
     {1.9906389, -0.78756197, 0.036976723, 0.0},
     {0.354, 0.5, 2.5, 0.0}},
    {"N2", 0.0280134, 126.192, 313.3, 4,
     {1.48654237, -0.280476066, 0.0894143085, -0.119879866},
     {0.3294, 4.0 / 6.0, 16.0 / 6.0, 35.0 / 6.0}},
};

const LiquidAncillary* find(const char* name) {
    if (!name) return nullptr;
    for (const LiquidAncillary& f : kAncillaries)
        if (std::strcmp(name, f.name) == 0) return &f;
    return nullptr;
}

double density(const LiquidAncillary& f, double T) {
    if (f.n == 0) return waterSaturatedLiquidDensity(T);
    const double th = 1.0 - T / f.Tc;
    double s = 0.0;
    for (int i = 0; i < f.n; ++i) s += f.a[i] * std::pow(th, f.t[i]);
    return f.rhoc * std::exp(s);
}

}  // namespace

double waterSaturatedLiquidDensity(double T) {
    static constexpr double b[6] = {1.99274064, 1.09965342, -0.510839303, -1.75493479, -45.5170352, -674694.45};
    const double th = 1.0 - T / kWater.Tc;
    const double s = std::cbrt(th);
    const double s2 = s * s;
    const double s5 = s2 * s2 * s;
    const double s16 = std::pow(s, 16.0);
    const double s43 = std::pow(s, 43.0);
    const double s110 = std::pow(s, 110.0);
    return kWater.rhoc * (1.0 + b[0] * s + b[1] * s2 + b[2] * s5 + b[3] * s16 + b[4] * s43 + b[5] * s110);
}

double ancillarySaturatedLiquidDensity(const char* name, double T) {
    const LiquidAncillary* f = find(name);
    if (!f || !(T > 0.0) || !(T < f->Tc)) return std::numeric_limits<double>::quiet_NaN();
    return density(*f, T);
}

double ancillarySaturatedLiquidVolume(const char* name, double T) {
    const LiquidAncillary* f = find(name);
    if (!f || !(T > 0.0)) return std::numeric_limits<double>::quiet_NaN();
    return f->M / (T < f->Tc ? density(*f, T) : f->rhoc);
}
