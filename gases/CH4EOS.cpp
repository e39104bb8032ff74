#include "gases/CH4EOS.h"
#include "platform/LogSink.h"

#include <cmath>
#include <cstdio>

namespace {
constexpr double kM = 0.016;  // kg/mol, molar mass used by the correlations
// Liquid specific volume (m3/kg) against vapour density (kg/m3) along the
// saturation curve: v_l = kLine0 + kLine1 rho_v.
constexpr double kLine0 = 0.0023175;
constexpr double kLine1 = 1.7294e-5;
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
    return (((9.0633e-9 * rho - 1.1633e-5) * rho + 0.0041869) * rho - 0.59061) * rho + 220.32;
}

double CH4EOS::get_saturation_liquid_density_from_temperature(double T_)
{
    const double x = 1.0 / T_;
    return ((((((2.22390396733e20 * x - 1.22534320071e19) * x + 2.87719671015e17) * x - 3.73221937311e15) * x +
              2.88880716119e13) * x - 1.33451041544e11) * x + 340853760.188) * x - 371276.186715;
}

double CH4EOS::get_saturation_vapour_density_from_temperature(double T_)
{
    return ((((((1.507456071e-10 * T_ - 1.476737086e-7) * T_ + 6.159580845e-5) * T_ - 0.01417702859) * T_ +
              1.944281102) * T_ - 158.8598971) * T_ + 7159.45145) * T_ - 137283.4763;
}

double CH4EOS::get_saturation_pressure_from_temperature(double T_)
{
    const double x = 1.0 / T_;
    return std::exp(((-1.5261e7 * x + 269530.0) * x - 2718.8) * x + 12.876);
}

double CH4EOS::get_saturation_temperature_from_vapour_density(double rho)
{
    return 191.61 - 64.197 * std::exp(-0.029868 * rho) - 27.659 * std::exp(-0.49601 * rho);
}

Newton* CH4EOS::calculateLiquidTh(double V_)
{
    if (!(V_ > 0.0) || !std::isfinite(V_)) {
        errorflag = 1;
        return criticalSolver;
    }
    const double rhoL = kM / V_;
    const double T0 = get_saturation_temperature_from_liquid_density(rhoL);
    const double rhoV = (1.0 / rhoL - kLine0) / kLine1;
    if (!(rhoV > 0.0) || !std::isfinite(T0)) {
        // Denser than the line between the two phases' densities allows
        // (about 431.5 kg/m3): no vapour density to start from, and the
        // correlations are far from the curve there.  No solve is started.
        platform::diagf("Methane liquid of %g kg/m3: too dense for the start values of the homogenisation temperature\n",
                     rhoL);
        errorflag = 1;
        return criticalSolver;
    }
    Vv0 = kM / rhoV;
    temperature(T0);
    FluidPhase::calculateLiquidTh(V_);
    return criticalSolver;
}

Newton* CH4EOS::calculateGasTh(double V_)
{
    if (!(V_ > 0.0) || !std::isfinite(V_)) {
        errorflag = 1;
        return criticalSolver;
    }
    const double rhoV = kM / V_;
    const double T0 = get_saturation_temperature_from_vapour_density(rhoV);
    Vl0 = kM * (kLine1 * rhoV + kLine0);
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

void CH4EOS::compareWithIUPAC(FluidPhase* other)
{
    static const double temperatures[10] = {0, 100, 200, 300, 400, 500, 600, 800, 1000, 1200};  // degrees C
    std::printf("P(bar)\\ T(\u00b0C)");
    for (double t : temperatures)
        std::printf("%12lg ", t);
    std::printf("\n");

    double pressures[43];
    int n = 0;
    for (double p : {1.0, 20.0, 50.0, 100.0})
        pressures[n++] = p;
    for (int k = 2; k <= 10; ++k)
        pressures[n++] = 100.0 * k;
    for (int k = 6; k <= 25; ++k)
        pressures[n++] = 200.0 * k;
    for (int k = 11; k <= 20; ++k)
        pressures[n++] = 500.0 * k;

    for (int k = 0; k < n; ++k) {
        const double Pbar = pressures[k];
        std::printf("%12lg ", Pbar);
        pressure(Pbar);
        other->pressure(Pbar);
        for (double t : temperatures) {
            const double Tk = t + 273.15;
            other->temperature(Tk);
            other->calculate_molar_volume();
            other->calculate_fugacities();
            other->calculate_state_functions();
            temperature(Tk);
            calculate_molar_volume();
            calculate_fugacities();
            calculate_state_functions();
            std::printf("%12lg ", 100.0 * (other->V - V) / V);
            std::printf("%12lg ", 100.0 * (other->fugcoef[0] - fugcoef[0]) / fugcoef[0]);
        }
        std::printf("\n");
    }
}
