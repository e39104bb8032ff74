// The ancillary equations of the reference fluids' saturation curves, read
// from their table (ReferenceFluids.cpp).
#include "fluid/SaturationAncillaries.h"

#include <cmath>

#include "fluid/ReferenceFluids.h"

double waterSaturatedLiquidDensity(double T) {
    static constexpr double b[6] = {1.99274064, 1.09965342, -0.510839303, -1.75493479, -45.5170352, -674694.45};
    const ReferenceFluid& w = *referenceFluid("H2O");
    const double th = 1.0 - T / w.Tc;
    const double s = std::cbrt(th);
    const double s2 = s * s;
    const double s5 = s2 * s2 * s;
    const double s16 = std::pow(s, 16.0);
    const double s43 = std::pow(s, 43.0);
    const double s110 = std::pow(s, 110.0);
    return w.rhoc * (1.0 + b[0] * s + b[1] * s2 + b[2] * s5 + b[3] * s16 + b[4] * s43 + b[5] * s110);
}

double ancillarySaturatedLiquidDensity(const char* name, double T) {
    return ReferenceFluids::standard().saturatedLiquidDensity(name, T);
}

double ancillarySaturatedLiquidVolume(const char* name, double T) {
    return ReferenceFluids::standard().saturatedLiquidVolume(name, T);
}

double ancillarySaturatedVapourVolume(const char* name, double T) {
    return ReferenceFluids::standard().saturatedVapourVolume(name, T);
}

double ancillaryVapourPressure(const char* name, double T) { return ReferenceFluids::standard().vapourPressure(name, T); }

double ancillaryCriticalTemperature(const char* name) { return ReferenceFluids::standard().criticalTemperature(name); }

double ancillaryCriticalPressure(const char* name) { return ReferenceFluids::standard().criticalPressure(name); }
