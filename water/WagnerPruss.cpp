#include "water/WagnerPruss.h"

#include <cmath>
#include <cstdio>

#include "fluid/CriticalPoints.h"
#include "water/IAPWS95Coefficients.h"
#include "water/If97Volume.h"
#include "water/Wagner.h"
#include "water/Wagnerid.h"

WagnerPruss::WagnerPruss(int phaseKind) : WaterEOS(1, phaseKind, 0)
{
    interactions[0] = new Wagner();
    // IAPWS-95: the stable fluid from the melting curve (its lowest
    // temperature 251.165 K, at 209.9 MPa) to 1273 K, up to 1000 MPa.
    validity = {.Tmin = 251.165, .Tmax = 1273.0, .Pmax = 10000.0, .source = "IAPWS-95, Wagner & Pruss 2002"};
    // Its isotherms from Tc up have one root each: dP/dV < 0 from the dilute
    // gas to 100 GPa (CriticalIsothermTests).
    oneRootFromT = iapws95::Tc;
    ideal = new Wagnerid();
    setUpPureWater("Wagner & Pruss", 1.8e-05, 2e-04);
}

WagnerPruss::~WagnerPruss() = default;

bool WagnerPruss::isInstable(double T_, double V_) { return waterStateIsUnstable(T_, V_); }

void WagnerPruss::calculateSigma(double, double) { sigma = waterSurfaceTension(T); }

bool WagnerPruss::ownSaturationStart(double T_, double& Vl, double& Vv)
{
    if (!(T_ >= 273.16 && T_ < kWaterCritical.T) || !holdsWaterStartAt(T_))
        return false;
    Vl = kMolarMass / waterAuxiliarySaturatedLiquidDensity(T_);
    Vv = kMolarMass / waterAuxiliarySaturatedVapourDensity(T_);
    return std::isfinite(Vl) && std::isfinite(Vv) && Vl > 0.0 && Vv > Vl;
}

void WagnerPruss::checkInteractions()
{
    T = 500.0;
    V = 2.1497291846901942e-05;  // 838.025 kg/m3
    temperature(T);
    volume(V);
    Interaction* residual = interactions[0];
    residual->calculate();
    ideal->calculate();
    std::printf("Ar0 calculated %12.10lf /  2.04797733\n", ideal->A);
    std::printf("Ar1 calculated %12.10lf / -3.42693206\n", residual->A);
    residual->detect_connection_errors();
    residual->setDebugLink();
    residual->check_derivatives_of(residual->root);
    residual->print_values();
}

double WagnerPruss::explicitVolumeStart()
{
    if (phase_kind != 1 && phase_kind != 2) return std::nan("");
    return if97::liquidOrVapourVolume(T, P * 1e-5, phase_kind == 2);
}
