#include "fluid/SaturationAncillaries.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "fluid/CriticalPoints.h"

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

constexpr LiquidAncillary kWater{"H2O", 0.018015268, kWaterCritical.T, kWaterCritical.rho, 0, {}, {}};

constexpr LiquidAncillary kAncillaries[] = {
    kWater,
    {"CO2", 0.0440098, kCO2Critical.T, kCO2Critical.rho, 4,
     {1.9245108, -0.62385555, -0.32731127, 0.39245142},
     {0.34, 0.5, 10.0 / 6.0, 11.0 / 6.0}},
    {"CH4", 0.0160428, kCH4Critical.T, kCH4Critical.rho, 3,
     {1.9906389, -0.78756197, 0.036976723, 0.0},
     {0.354, 0.5, 2.5, 0.0}},
    {"N2", 0.0280134, kN2Critical.T, kN2Critical.rho, 4,
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

namespace {

// ln(rho''/rho_c) = sum a_i theta^t_i, times Tc/T where `overTr`; rho_c in
// mol/m3 (the fluid's published rho_c in kg/m3 over its molar mass).
struct VapourAncillary {
    const char* name;
    double Tc, rhoc;  // K, mol/m3
    bool overTr;
    int n;
    double a[6], t[6];
};

constexpr VapourAncillary kVapourAncillaries[] = {
    // Wagner & Pruss (2002), eq. 2.7.
    {"H2O", kWaterCritical.T, kWaterCritical.rho / 0.018015268, false, 6,
     {-2.03150240, -2.68302940, -5.38626492, -17.2991605, -44.7586581, -63.9201063},
     {2.0 / 6.0, 4.0 / 6.0, 8.0 / 6.0, 18.0 / 6.0, 37.0 / 6.0, 71.0 / 6.0}},
    {"CO2", kCO2Critical.T, kCO2Critical.rho / 0.0440098, false, 5,
     {-1.7074879, -0.82274670, -4.6008549, -10.111178, -29.742252, 0.0},
     {0.34, 0.5, 1.0, 7.0 / 3.0, 14.0 / 3.0, 0.0}},
    {"CH4", kCH4Critical.T, 10139.128, true, 6,
     {-3.258091004501641, 24.278993697870174, -25.256402428812585, -0.17494067187770526, 0.3375209723239743,
      -2.3099699792209805},
     {0.392, 0.606, 0.631, 1.024, 2.03, 4.077}},
    {"N2", kN2Critical.T, kN2Critical.rho / 0.0280134, true, 5,
     {-1.70127164, -3.70402649, 1.29859383, -0.561424977, -2.68505381, 0.0},
     {0.34, 5.0 / 6.0, 7.0 / 6.0, 13.0 / 6.0, 14.0 / 3.0, 0.0}},
};

}  // namespace

double ancillarySaturatedVapourVolume(const char* name, double T) {
    if (!name || !(T > 0.0)) return std::numeric_limits<double>::quiet_NaN();
    for (const VapourAncillary& f : kVapourAncillaries) {
        if (std::strcmp(name, f.name) != 0) continue;
        if (!(T < f.Tc)) return 1.0 / f.rhoc;
        const double th = 1.0 - T / f.Tc;
        double sum = 0.0;
        for (int i = 0; i < f.n; ++i) sum += f.a[i] * std::pow(th, f.t[i]);
        return 1.0 / (f.rhoc * std::exp(f.overTr ? f.Tc / T * sum : sum));
    }
    return std::numeric_limits<double>::quiet_NaN();
}

namespace {

// ln(p/pc) = (Tc/T) sum a_i theta^t_i.
struct PressureAncillary {
    const char* name;
    double Tc, pc;  // K, Pa
    int n;
    double a[6], t[6];
};

constexpr PressureAncillary kPressureAncillaries[] = {
    // Wagner & Pruss (2002), eq. 2.5.
    {"H2O", kWaterCritical.T, kWaterCritical.P, 6,
     {-7.85951783, 1.84408259, -11.7866497, 22.6807411, -15.9618719, 1.80122502},
     {1.0, 1.5, 3.0, 3.5, 4.0, 7.5}},
    // Span & Wagner (1996), eq. 3.13.
    {"CO2", kCO2Critical.T, kCO2Critical.P, 4, {-7.0602087, 1.9391218, -1.6463597, -3.2995634, 0.0, 0.0},
     {1.0, 1.5, 2.0, 4.0, 0.0, 0.0}},
    // Fitted to Setzmann & Wagner's (1991) reference equation.
    {"CH4", kCH4Critical.T, kCH4Critical.P, 6,
     {-0.36511751226395045, -7.477611035699516, 2.8218785804602344, -0.3138277099613026, -14.181166200304828,
      13.10811727353235},
     {0.935, 1.03, 1.204, 3.176, 5.616, 5.744}},
    // Span, Lemmon, Jacobsen, Wagner & Yokozeki (2000), eq. 33.
    {"N2", kN2Critical.T, kN2Critical.P, 4, {-6.12445284, 1.26327220, -0.765910082, -1.77570564, 0.0, 0.0},
     {1.0, 1.5, 2.5, 5.0, 0.0, 0.0}},
};

}  // namespace

double ancillaryVapourPressure(const char* name, double T) {
    if (!name || !(T > 0.0)) return std::numeric_limits<double>::quiet_NaN();
    for (const PressureAncillary& f : kPressureAncillaries) {
        if (std::strcmp(name, f.name) != 0) continue;
        if (!(T < f.Tc)) return std::numeric_limits<double>::quiet_NaN();
        const double th = 1.0 - T / f.Tc;
        double sum = 0.0;
        for (int i = 0; i < f.n; ++i) sum += f.a[i] * std::pow(th, f.t[i]);
        return f.pc * std::exp(f.Tc / T * sum);
    }
    return std::numeric_limits<double>::quiet_NaN();
}

double ancillaryCriticalTemperature(const char* name) {
    if (name)
        for (const PressureAncillary& f : kPressureAncillaries)
            if (std::strcmp(name, f.name) == 0) return f.Tc;
    return std::numeric_limits<double>::quiet_NaN();
}

double ancillaryCriticalPressure(const char* name) {
    if (name)
        for (const PressureAncillary& f : kPressureAncillaries)
            if (std::strcmp(name, f.name) == 0) return f.pc;
    return std::numeric_limits<double>::quiet_NaN();
}
