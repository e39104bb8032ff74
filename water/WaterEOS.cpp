#include "water/WaterEOS.h"

#include <cstdio>
#include <cstring>

#include "platform/LogSink.h"

WaterEOS::WaterEOS(int nInteractions, int phaseKind, char withVenturi)
    : FluidPhase(nInteractions, phaseKind, withVenturi)
{
    critical_T = 650.0;
    critical_V = 6e-05;
    Tmin = 230.0;
    bulk_molar_weight = kMolarMass;
    Vc_bound = kCriticalVolume;
}

WaterEOS::~WaterEOS() = default;

void WaterEOS::setUpPureWater(const char* name, double liquidStart, double vapourStart)
{
    Vl0 = liquidStart;
    Vv0 = vapourStart;
    setModelName(name);
    FluidPhase::number_of_components(1);
    add_components("H2O");
    molar_mass[0] = kMolarMass;
    bulk_molar_weight = kMolarMass;
}

void WaterEOS::initializeSaturationVolumesFromT(const char* name, double T_)
{
    if (name == nullptr || std::strcmp(name, "H2O") != 0) {
        FluidPhase::initializeSaturationVolumesFromT(name, T_);
        return;
    }
    double Vl = 0.0, Vv = 0.0;
    if (!waterSaturationStartVolumesFromT(T_, Vl, Vv)) {
        platform::tracef("Supercritical fluid\n");
        estimateSaturationVolumes(T_);
        return;
    }
    Vl0 = Vl;
    Vv0 = Vv;
    // Real water's volumes can lie below the co-volume of a model of water.
    useUsableSaturationStart(T_);
    waterStartT_ = T_;
    waterStartVl_ = Vl0;
    waterStartVv_ = Vv0;
}

void WaterEOS::initializeSaturationVolumesFromP(const char* /*name*/, double P_bar)
{
    double Ts = 0.0, Vl = 0.0, Vv = 0.0;
    waterSaturationStartFromP(P_bar, Ts, Vl, Vv);
    Vl0 = Vl;
    Vv0 = Vv;
    useUsableSaturationStart(Ts);
    T = Ts;  // the caller's saturation solver sets the temperature properly
}
