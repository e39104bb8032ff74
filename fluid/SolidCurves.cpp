// Melting and sublimation lines of CO2, CH4 and N2 from their reference
// equations' publications (see SolidCurves.h).
#include "fluid/SolidCurves.h"

#include <cmath>
#include <limits>

#include "fluid/ReferenceFluids.h"

namespace gases {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool melts(const ReferenceFluid& f, double T) { return T >= f.Tt; }
bool sublimes(const ReferenceFluid& f, double T) { return T > 0.0 && T <= f.Tt; }

}  // namespace

double co2MeltingPressure(const ReferenceFluid& f, double T) {
    if (!melts(f, T)) return kNaN;
    const double d = T / f.Tt - 1.0;
    return f.pt * (1.0 + 1955.5390 * d + 2055.4593 * d * d);
}

double co2SublimationPressure(const ReferenceFluid& f, double T) {
    if (!sublimes(f, T)) return kNaN;
    const double d = 1.0 - T / f.Tt;
    return f.pt * std::exp(f.Tt / T * (-14.740846 * d + 2.4327015 * std::pow(d, 1.9) - 5.3061778 * std::pow(d, 2.9)));
}

double ch4MeltingPressure(const ReferenceFluid& f, double T) {
    if (!melts(f, T)) return kNaN;
    const double r = T / f.Tt;
    return f.pt * (1.0 + 0.247568e5 * (std::pow(r, 1.85) - 1.0) - 0.736602e4 * (std::pow(r, 2.1) - 1.0));
}

double ch4SublimationPressure(const ReferenceFluid& f, double T) {
    if (!sublimes(f, T)) return kNaN;
    return f.pt * std::exp(12.94 * (1.0 - f.Tt / T));
}

double n2MeltingPressure(const ReferenceFluid& f, double T) {
    if (!melts(f, T)) return kNaN;
    return f.pt * (1.0 + 12798.61 * (std::pow(T / f.Tt, 1.78963) - 1.0));
}

double n2SublimationPressure(const ReferenceFluid& f, double T) {
    if (!sublimes(f, T)) return kNaN;
    return f.pt * std::exp(f.Tt / T * -13.088692 * (1.0 - T / f.Tt));
}

}  // namespace gases
