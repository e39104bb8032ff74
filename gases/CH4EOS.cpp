#include "gases/CH4EOS.h"
#include "fluid/SaturationAncillaries.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "fluid/CriticalPoints.h"
#include "gases/IUPACGrid.h"
#include "platform/LogSink.h"

namespace {
constexpr double kM = 0.016043;  // kg/mol, molar mass of methane (IUPAC): mass density = kM/V

// Ancillary equations of the saturation curve of methane, fits to the
// Setzmann & Wagner (1991) reference equation (constants of the fits; they
// agree with the reference equation to about 0.1 % from the triple point to
// the critical point), theta = 1 - T/Tc:
//   p  = pc exp((Tc/T) sum n theta^t)
//   rho' = rhoc (1 + sum n theta^t)
//   rho" = rhoc exp((Tc/T) sum n theta^t)
constexpr double kTc = kCH4Critical.T;  // K
constexpr double kPc = kCH4Critical.P;  // Pa
constexpr double kRhoc = 10139.128;    // mol/m3
constexpr double kTtriple = 90.6941;   // K

struct Ancillary {
    double n[6], t[6];
    double sum(double theta) const
    {
        double s = 0.0;
        for (int i = 0; i < 6; ++i)
            s += n[i] * std::pow(theta, t[i]);
        return s;
    }
};

constexpr Ancillary kPressure = {
    {-0.36511751226395045, -7.477611035699516, 2.8218785804602344, -0.3138277099613026, -14.181166200304828,
     13.10811727353235},
    {0.935, 1.03, 1.204, 3.176, 5.616, 5.744}};
constexpr Ancillary kLiquid = {
    {1.0459450372370667, 1.137482950365497, 0.25267850508364803, -0.15127345979918666, 11.30484305385285,
     -1807.5949062134612},
    {0.309, 0.502, 1.402, 3.858, 10.533, 19.547}};
// Within the two-phase range, triple point to critical point.
bool onTheCurve(double T) { return T >= kTtriple && T < kTc; }

double pressurePa(double T) { return kPc * std::exp(kTc / T * kPressure.sum(1.0 - T / kTc)); }
double liquidMolar(double T) { return kRhoc * (1.0 + kLiquid.sum(1.0 - T / kTc)); }
// The vapour's ancillary equation is shared with the saturation start values
// of every methane model (fluid/SaturationAncillaries.h).
double vapourMolar(double T) { return 1.0 / ancillarySaturatedVapourVolume("CH4", T); }

// The temperature of the curve at which f (monotonic in T) takes the value y,
// by bisection between the triple point and the critical point; NaN when y
// lies outside f's range there.
template <class F>
double inverseOnTheCurve(F f, double y)
{
    double lo = kTtriple, hi = kTc;
    const double flo = f(lo), fhi = f(hi);
    if (!std::isfinite(y) || (y - flo) * (y - fhi) > 0.0)
        return std::nan("");
    for (int k = 0; k < 100 && hi - lo > 1e-12 * hi; ++k) {
        const double mid = 0.5 * (lo + hi);
        if ((f(mid) - y) * (flo - y) > 0.0)
            lo = mid;
        else
            hi = mid;
    }
    return 0.5 * (lo + hi);
}
}  // namespace

CH4EOS::CH4EOS(int nInteractions, int phaseKind, char withVenturi)
    : FluidPhase(nInteractions, phaseKind, withVenturi)
{
    Tmin = 100.0;
    Vl0 = 4e-05;
    Vv0 = 10000.0;
}

CH4EOS::~CH4EOS() = default;

double CH4EOS::get_saturation_temperature_from_liquid_density(double rho)
{
    return inverseOnTheCurve([](double t) { return kM * liquidMolar(t); }, rho);
}

double CH4EOS::get_saturation_liquid_density_from_temperature(double T_)
{
    return onTheCurve(T_) ? kM * liquidMolar(T_) : std::nan("");
}

double CH4EOS::get_saturation_vapour_density_from_temperature(double T_)
{
    return onTheCurve(T_) ? kM * vapourMolar(T_) : std::nan("");
}

double CH4EOS::get_saturation_pressure_from_temperature(double T_)
{
    return onTheCurve(T_) ? 1e-5 * pressurePa(T_) : std::nan("");
}

double CH4EOS::get_saturation_temperature_from_vapour_density(double rho)
{
    return inverseOnTheCurve([](double t) { return kM * vapourMolar(t); }, rho);
}

void CH4EOS::initializeSaturationVolumesFromT(const char* name, double T_)
{
    if (name == nullptr || std::strcmp(name, "CH4") != 0) {
        FluidPhase::initializeSaturationVolumesFromT(name, T_);
        return;
    }
    // Below the triple point the curve's start values are those of the
    // triple point; at or above the critical temperature both start volumes
    // are the critical volume, from which no saturation search succeeds.
    // Never are the previous call's values left in place.
    if (!(T_ < kTc)) {
        Vl0 = Vv0 = 1.0 / kRhoc;
        return;
    }
    const double t = T_ > kTtriple ? T_ : kTtriple;
    Vl0 = 1.0 / liquidMolar(t);
    Vv0 = 1.0 / vapourMolar(t);
}

void CH4EOS::initializeSaturationVolumesFromP(const char* name, double P_bar)
{
    if (name == nullptr || std::strcmp(name, "CH4") != 0) {
        FluidPhase::initializeSaturationVolumesFromP(name, P_bar);
        return;
    }
    const double P_Pa = 1e5 * P_bar;
    double Ts = inverseOnTheCurve(pressurePa, P_Pa);
    if (!std::isfinite(Ts))
        Ts = P_Pa < pressurePa(kTtriple) ? kTtriple : kTc;
    T = Ts;  // the caller's saturation solver sets the temperature properly
    initializeSaturationVolumesFromT(name, Ts);
}

double CH4EOS::homogenisationStart(double V_, bool liquid)
{
    const double rho = V_ > 0.0 ? kM / V_ : 0.0;
    double T0 = std::nan("");
    if (V_ > 0.0)
        T0 = liquid ? get_saturation_temperature_from_liquid_density(rho)
                    : get_saturation_temperature_from_vapour_density(rho);
    if (!std::isfinite(T0)) {
        // No saturated phase of that density between the triple point (the
        // liquid there: 451.4 kg/m3 with 16.04 g/mol) and the critical point.
        platform::diagf("Methane %s of %g kg/m3: no saturation state between the triple and critical points\n",
                        liquid ? "liquid" : "vapour", rho);
        errorflag = 1;
    }
    return T0;
}

Newton* CH4EOS::calculateLiquidTh(double V_)
{
    const double T0 = homogenisationStart(V_, true);
    if (!std::isfinite(T0))
        return criticalSolver;
    Vv0 = 1.0 / vapourMolar(T0);
    temperature(T0);
    FluidPhase::calculateLiquidTh(V_);
    return criticalSolver;
}

Newton* CH4EOS::calculateGasTh(double V_)
{
    const double T0 = homogenisationStart(V_, false);
    if (!std::isfinite(T0))
        return criticalSolver;
    Vl0 = 1.0 / liquidMolar(T0);
    temperature(T0);
    FluidPhase::calculateGasTh(V_);
    return criticalSolver;
}

void CH4EOS::test(int what)
{
    if (what != 0)
        return;
    calculateLiquidTh(kM / 350.0);
    calculateGasTh(kM / 150.0);
}

void CH4EOS::compareVennixData(FluidPhase* /*other*/)
{
    struct Point {
        double T, P, V;  // degrees C, bar, cm3/mol
    };
    static const Point points[14] = {
        {-49.32, 38.48, 392.0},  {-33.35, 42.59, 392.0},  {-20.32, 45.9, 392.0},   {-10.28, 48.56, 392.0},
        {-29.38, 88.94, 155.0},  {-10.96, 103.61, 155.0}, {-43.1, 83.61, 155.0},   {-24.71, 100.76, 138.7},
        {-20.3, 105.76, 138.6},  {-10.11, 114.23, 138.6}, {-48.13, 225.97, 57.0},  {-40.07, 259.96, 57.0},
        {-14.51, 366.6, 57.0},   {-6.4, 400.09, 57.0},
    };
    double sum = 0.0;
    for (const Point& p : points) {
        temperature(p.T + 273.15);
        pressure(p.P);
        calculate_molar_volume();
        const double Vcalc = 1e6 * V;
        const double dev = 100.0 * (Vcalc - p.V) / p.V;
        std::printf("T %12lg\tP %12lg\tVcalc %12lg\tVexp %12lg\tDev(%%) %12lg\n", T - 273.15, 1e-5 * P, Vcalc, p.V,
                    dev);
        sum += std::fabs(dev);
    }
    std::printf("AADP %lg\n", sum / 14.0);
}

void CH4EOS::compareWithIUPAC(FluidPhase* other) { printDeviationsOnTheIUPACGrid(*this, *other, true); }
