// Comparisons of a water model with tabulated volumes, with another equation
// of state and of the Kell-type and Spivey liquid volumes with the reference
// equation; the high-pressure extrapolation check.  Tables go to standard
// output, the extrapolation check to the file "extra".
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/CriticalPoints.h"
#include "water/WagnerPruss.h"
#include "water/WaterEOS.h"
#include "water/WaterFiles.h"
#include "platform/LogSink.h"

namespace {

struct TPV {
    double T, P, V;  // as each table gives them
};

// Volumes of steam at high temperature (NBS/NRC steam tables): t in C, P in bar, V in cm3/mol.
constexpr TPV kSteamTable[] = {
    {1200, 100, 1224.3}, {1600, 100, 1564.0}, {2000, 100, 1900.3}, {1200, 1000, 124.2},
    {1600, 1000, 163.3}, {2000, 1000, 199.7}, {1200, 5000, 33.58}, {1600, 5000, 41.49},
    {2000, 5000, 49.18}, {1200, 10000, 23.47}, {1600, 10000, 27.15}, {2000, 10000, 30.82},
};

// High-pressure volumes: T in K, P in bar, V in cm3/mol.
constexpr TPV kHighPressure[] = {
    {523.15, 50000, 12.08},  {773.15, 15000, 16.37},   {773.15, 20000, 15.38},   {773.15, 25000, 14.72},
    {1073.15, 25000, 15.98}, {1073.15, 70000, 12.48},  {1373.15, 10000, 23.71},  {1373.15, 80000, 12.62},
    {1773.15, 1000, 153.69}, {1773.15, 10000, 27.85},  {1773.15, 20000, 20.65},  {1773.15, 100000, 12.49},
};

void printTemperatureHeader(const double* t, int n) {
    std::printf("P(bar)\\ T(\u00b0C)");
    for (int i = 0; i < n; ++i) std::printf("%12lg ", t[i]);
    std::printf("\n");
}

// Pressures of the comparison with another model: 1, 20, 50, 100, 200, 300 to
// 1000 by 100, 1200 to 5000 by 200, 5500 to 10000 by 500.
int comparisonPressures(double* p) {
    int n = 0;
    for (double v : {1.0, 20.0, 50.0, 100.0, 200.0}) p[n++] = v;
    for (int v = 300; v <= 1000; v += 100) p[n++] = v;
    for (int v = 1200; v <= 5000; v += 200) p[n++] = v;
    for (int v = 5500; v <= 10000; v += 500) p[n++] = v;
    return n;
}

// Pressures of the correlation comparisons: -100, 1, 20, 50, 100, 200, 300 to
// 1000 by 100, 1200 to 2400 by 200.
int correlationPressures(double* p) {
    int n = 0;
    for (double v : {-100.0, 1.0, 20.0, 50.0, 100.0, 200.0}) p[n++] = v;
    for (int v = 300; v <= 1000; v += 100) p[n++] = v;
    for (int v = 1200; v <= 2400; v += 200) p[n++] = v;
    return n;
}

// Deviation table (%) of a liquid-volume correlation from the reference equation.
void compareCorrelation(double (*volumeOf)(double T, double P_bar), const double* t, int nt) {
    WagnerPruss reference(2);
    printTemperatureHeader(t, nt);
    double p[32];
    const int np = correlationPressures(p);
    for (int i = 0; i < np; ++i) {
        std::printf("%12lg ", p[i]);
        reference.P = p[i] * 1e5;
        for (int j = 0; j < nt; ++j) {
            const double T = t[j] + 273.15;
            const double Vc = volumeOf(T, p[i]);
            reference.temperature(T);
            reference.calculate_molar_volume();
            std::printf("%12lg ", 100.0 * (Vc - reference.V) / reference.V);
        }
        std::printf("\n");
    }
}

double spiveyVolume(double T, double P_bar) { return WaterEOS::calculateSpiveyVolume(T, P_bar, nullptr); }

}  // namespace

void WaterEOS::compareNBSSteamTable() {
    double sum = 0.0;
    for (const TPV& r : kSteamTable) {
        temperature(r.T + 273.15);
        pressure(r.P);
        calculate_molar_volume();
        const double Vcalc = V * 1e6;
        const double dev = 100.0 * (Vcalc - r.V) / r.V;
        sum += std::fabs(dev);
        std::printf("T %12lg\tP %12lg\tVcalc %12lg\tVexp %12lg\tDev(%%) %12lg\n", T - 273.15, P * 1e-5, Vcalc, r.V, dev);
    }
    std::printf("AADP %lg\n", sum / (sizeof(kSteamTable) / sizeof(kSteamTable[0])));
}

void WaterEOS::compareWithEOS(FluidPhase* other) {
    if (other == nullptr) {
        platform::diagf("compareWithEOS: no model to compare with\n");
        return;
    }
    static const double t[] = {0, 100, 200, 300, 400, 500, 600, 800, 1000, 1200};
    constexpr int nt = sizeof(t) / sizeof(t[0]);
    printTemperatureHeader(t, nt);
    double p[64];
    const int np = comparisonPressures(p);
    for (int i = 0; i < np; ++i) {
        std::printf("%12lg ", p[i]);
        pressure(p[i]);
        other->pressure(p[i]);
        for (int j = 0; j < nt; ++j) {
            const double T = t[j] + 273.15;
            other->temperature(T);
            other->calculate_molar_volume();
            if (other->errorflag == 0) {
                other->calculate_state_functions();
                other->calculate_fugacities();
            }
            temperature(T);
            calculate_molar_volume();
            calculate_fugacities();
            std::printf("%12lg ", 100.0 * (other->fugcoef[0] - fugcoef[0]) / fugcoef[0]);
        }
        std::printf("\n");
    }
}

void WaterEOS::compareSpiveyWithIUPAC() {
    static const double t[] = {-20, -10, 0, 50, 150, 200, 250, 300};
    compareCorrelation(&spiveyVolume, t, sizeof(t) / sizeof(t[0]));
}

void WaterEOS::compareKellWithIUPAC() {
    static const double t[] = {-20, -10, 0, 50, 150, 200};
    compareCorrelation(&WaterEOS::calculateKellVolume, t, sizeof(t) / sizeof(t[0]));
}

void WaterEOS::checkHighPTExtrapolation() {
    water_files::File file = water_files::open("extra");
    if (!file) return;
    for (const TPV& r : kHighPressure) {
        calculateFromTP(r.T, r.P, 1);
        const double Vcalc = V * 1e6;
        std::fprintf(file.get(), "%12f %12f %12f %12f %12f\n", r.T, r.P, Vcalc, r.V, 100.0 * (Vcalc - r.V) / r.V);
    }
}

void WaterEOS::checkCp() { checkCpAt(kWaterCritical.T, kWaterCritical.Pbar()); }

// ---------------------------------------------------------------- isobars and characteristic curves

void WaterEOS::calculateTheIsobar(double P_bar, char fromGas, char mode, const char* suffix,
                                  std::vector<double>* array) {
    const double p = P_bar;
    if (!fromGas) {
        // Compressed liquid at 250 K.
        const double V0 =
            (18.1989311759086 +
             p * (-0.0012675705556222 +
                  p * (2.98646503779991e-07 +
                       p * (-4.77805887640509e-11 + p * (3.85907803820556e-15 - p * 1.1913794257711e-19))))) *
            1e-6;
        calculate_TV_isobar(P_bar, 250.0, V0, 200.0, 1500.0, 1e-05, 0.1, 1.0, 1e-06, 1, mode, suffix, array);
    } else {
        // Vapour at 1500 K, traced downward.
        const double L = std::log(p);
        const double V0 =
            std::exp(11.7516697467697 +
                     L * (-0.989794976769644 +
                          L * (-0.0035783991297222 +
                               L * (-0.000878267081583461 + L * (7.88713857922376e-05 + L * 1.43278632219953e-05))))) *
            1e-6;
        calculate_TV_isobar(P_bar, 1500.0, V0, 200.0, 1500.0, 1.6e-05, 1.0, -1.0, -1e-05, 1, mode, suffix, array);
    }
}

namespace {

using CurveTracer = void (FluidPhase::*)(const char*, double, double, double, double, double, char, const char*);

// The two branches of a characteristic curve of water from 473.15 K: files
// prefix + suffix + "0" (upward to 6000 K) and prefix + suffix + "1"
// (downward to Tlow), wave suffixes suffix + "0" and suffix + "1".
void twoBranches(WaterEOS& w, CurveTracer tracer, const char* prefix, const char* suffix, double V0, double Tlow) {
    const std::string s = suffix ? suffix : "";
    const std::string path0 = prefix + s + "0", path1 = prefix + s + "1";
    const std::string wave0 = s + "0", wave1 = s + "1";
    (w.*tracer)(path0.c_str(), 473.15, V0, 1.0, 470.15, 6000.0, 1, wave0.c_str());
    (w.*tracer)(path1.c_str(), 473.15, V0, -1.0, Tlow, 1000.0, 1, wave1.c_str());
}

}  // namespace

void WaterEOS::calculateTheJouleCurve(const char* suffix) {
    twoBranches(*this, &FluidPhase::calculateJouleCurve, "joul", suffix, 1.9e-05, 250.0);
}

void WaterEOS::calculateTheIdealCurve(const char* suffix) {
    twoBranches(*this, &FluidPhase::calculateIdealCurve, "idea", suffix, 2e-05, 250.0);
}

void WaterEOS::calculateTheBoyleCurve(const char* suffix) {
    twoBranches(*this, &FluidPhase::calculateBoyleCurve, "boyl", suffix, 2e-05, 250.0);
}

void WaterEOS::calculateTheJouleThomsonCurve(const char* suffix) {
    twoBranches(*this, &FluidPhase::calculateJouleThomsonInversionCurve, "joul", suffix, 2e-05, 0.0);
}
