#include "brines/MaoDuan.h"
#include "platform/LogSink.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "fluid/CriticalPoints.h"

const MaoDuan::Component MaoDuan::table[8] = {
    {"H2O", kWaterCritical.T, kWaterCritical.Pbar(), kWaterCritical.rho, 273.16, 0.0061165, 18.015268,
     {-7.88109153, 2.01278526, -3.2992496, 4.22821231, -8.56833869, 3.75731765},
     {1.97430458, -0.72555315, 0.13075237, -0.22491166, -0.10609832, -4.5455075},
     {-2.15497513, -5.41159144, 2.96705757, -2.52015782, -3.40155422}},
    {"CO2", kCO2Critical.T, kCO2Critical.Pbar(), kCO2Critical.rho, 216.592, 5.1976, 44.0098,
     {-7.04167892, 1.63469148, -3.2308935, 5.0620959, -12.50899508, 7.11856023},
     {1.696044879, -0.56545301, 0.380570548, -0.93357425, 12.64087084, -2474.77732},
     {-1.80916703, -4.60825145, 2.02159676, -2.21000461, -2.62976948}},
    {"CH4", kCH4Critical.T, kCH4Critical.Pbar(), kCH4Critical.rho, 90.6941, 0.11696, 16.043,
     {-6.03085637, 1.30846096, -0.82805538, 1.01409271, -2.3932726, 0.36661881},
     {1.51765347, -0.34204453, 0.02725899, 0.05661156, -0.0876436, 0.78660961},
     {-1.62970639, -3.96073535, 1.68450532, -0.59624617, -2.06772678}},
    {"C2H6", 305.322, 48.722, 206.18, 90.368, 1.14e-05, 30.069,
     {-6.49358332, 1.51492973, -1.75835295, 2.10052389, -4.08429389, 0.7918505},
     {1.62750014, -0.51320922, 0.1924591, -0.05338032, 0.08154285, -0.13922043},
     {-1.76083812, -3.88334299, 1.34045668, -0.87801974, -2.83910366}},
    {"N2", kN2Critical.T, kN2Critical.Pbar(), kN2Critical.rho, 63.151, 0.1252, 28.0134,
     {-6.13083869, 1.30289836, -1.04400604, 1.15847134, -2.88185423, 0.34994296},
     {1.53075962, -0.36282342, 0.07874475, -0.01561932, 0.20589344, -3.21495342},
     {-1.63165988, -3.95524055, 1.55252979, -0.66895845, -2.61477411}},
    {"O2", 154.581, 50.43, 436.1, 54.361, 0.0014628, 31.9988,
     {-6.06949762, 1.32725376, -1.14258228, 1.80750589, -3.70538722, 0.92174026},
     {1.50016821, -0.2765746, -0.06225702, 0.17274391, -0.16605607, 0.32227352},
     {-1.62680953, -3.89836582, 1.49657576, -0.50969519, -2.44553147}},
    {"SO2", 430.64, 78.753, 525.0, 197.7, 0.016602, 64.064,
     {-7.43514063, 2.46251807, -6.02055212, 11.67320411, -19.50417978, 9.41751815},
     {1.75316557, -0.63118427, 0.3538206, -0.30132123, 0.62579001, -2.53517087},
     {-1.80993033, -5.12654505, 2.66319893, -2.5409769, -3.75773418}},
    {"H2S", 373.1, 90.0, 347.3, 187.7, 0.23259, 34.081,
     {-6.57038342, 1.85296174, -3.02566827, 5.02394687, -8.10067781, 2.74736212},
     {1.26007364, 0.58346184, -1.42475592, 2.39859108, -7.00794251, 77.5626811},
     {-1.30820224, -7.22556303, 5.99013595, -3.80128894, -0.52744213}},
};

MaoDuan::MaoDuan() = default;

bool MaoDuan::setComponent(const char* name) {
    if (!name) return false;
    for (const Component& k : table) {
        if (std::strcmp(name, k.name) != 0) continue;
        Tt = k.Tt;
        Tc = k.Tc;
        Pt = k.Pt;
        Pc = k.Pc;
        rhoc = k.rhoc;
        M = k.M;
        for (int i = 0; i < 6; ++i) a[i] = k.a[i];
        for (int i = 0; i < 6; ++i) b[i] = k.b[i];
        for (int i = 0; i < 5; ++i) c[i] = k.c[i];
        selected = true;
        return true;
    }
    return false;
}

double MaoDuan::vapourPressure(double T_) const {
    const double tau = 1.0 - T_ / Tc;
    return Pc * std::exp((Tc / T_) * (a[0] * tau + a[1] * std::pow(tau, 1.5) + a[2] * std::pow(tau, 2.5) +
                                      a[3] * std::pow(tau, 3.5) + a[4] * std::pow(tau, 4.5) + a[5] * std::pow(tau, 5.5)));
}

double MaoDuan::liquidDensity(double T_) const {
    const double t1 = std::cbrt(1.0 - T_ / Tc);  // tau^(1/3), then each power the square of the one before
    const double t2 = t1 * t1, t4 = t2 * t2, t8 = t4 * t4, t16 = t8 * t8, t32 = t16 * t16;
    return rhoc * std::exp(b[0] * t1 + b[1] * t2 + b[2] * t4 + b[3] * t8 + b[4] * t16 + b[5] * t32);
}

double MaoDuan::vapourDensity(double T_) const {
    const double tau = 1.0 - T_ / Tc;
    return rhoc * std::exp((Tc / T_) * (c[0] * std::pow(tau, 1.0 / 3.0) + c[1] * std::pow(tau, 5.0 / 6.0) +
                                        c[2] * std::pow(tau, 7.0 / 6.0) + c[3] * std::pow(tau, 13.0 / 6.0) +
                                        c[4] * std::pow(tau, 14.0 / 3.0)));
}

bool MaoDuan::calculateTheSaturationPressure(const char* name, double T_, double& P_, double& rho_l, double& rho_v,
                                             double& V_l, double& V_v) {
    // A name not in the table is refused: the fluid selected before would
    // answer for another one.
    if (!setComponent(name)) {
        platform::diagf("MaoDuan: no component selected (%s is not in the table)\n", name ? name : "(null)");
        return false;
    }
    if (!(T_ >= Tt && T_ <= Tc)) {
        platform::diagf("MaoDuan: T = %lg K lies outside the saturation range %lg to %lg K\n", T_, Tt, Tc);
        return false;
    }
    T = T_;
    P = P_ = vapourPressure(T_);
    rho_l = liquidDensity(T_);
    rho_v = vapourDensity(T_);
    V_l = M / rho_l;
    V_v = M / rho_v;
    return true;
}

bool MaoDuan::calculateSaturationCurve(const char* name, std::vector<double>* array) {
    // A name not in the table is refused: the fluid selected before would
    // answer for another one.
    if (!setComponent(name)) {
        platform::diagf("MaoDuan: no component selected (%s is not in the table)\n", name ? name : "(null)");
        return false;
    }
    const double dT = (Tc - Tt) / 200.0;
    for (T = Tt + dT; T < Tc; T += dT) {
        P = vapourPressure(T);
        if (array) {
            array->push_back(T);
            array->push_back(P);
        }
    }
    return true;
}
