#include "brines/HenryCorrelations.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "fluid/CriticalPoints.h"
#include "platform/LogSink.h"
#include "water/WaterEOS.h"

namespace henry {

namespace {

bool named(const char* gas, const char* name, const char* alias) {
    return gas && (std::strcmp(gas, name) == 0 || (alias && std::strcmp(gas, alias) == 0));
}

struct Row {
    const char* name;
    const char* alias;
    double c[4];
    double Tmin, Tmax;  // K, range of the row
};

template <std::size_t N>
const Row* find(const Row (&rows)[N], const char* gas) {
    for (const Row& r : rows)
        if (named(gas, r.name, r.alias)) return &r;
    return nullptr;
}

// A, B, C, D of Wilhelm, Battino & Wilcock (1977); A in cal/(mol K), B in
// cal/mol, C in cal/(mol K), D in cal/(mol K^2).  Range: the equations were
// fitted to low-pressure solubilities measured near room temperature; the
// per-gas ranges of their table could not be traced here, so the set takes
// 273.15 to 353.15 K (0 to 80 C), where they reproduce IAPWS G7-04 within
// 5.5 % (C2H6 2 %, CO2 and N2 4 %, H2S 5.2 %, CH4 up to 7.9 % above 330 K).
// Above it they part from it quickly (-25 % for CO2, -53 % for N2 and -58 %
// for H2S at 500 K).
constexpr double kWBWTmin = 273.15, kWBWTmax = 353.15;
constexpr Row kWBW[] = {
    {"CH4", "C1", {-365.183, 18106.7, 49.7554, -0.000285}, kWBWTmin, kWBWTmax},
    {"C2H6", "C2", {-533.392, 26565.0, 74.624, -0.004573}, kWBWTmin, kWBWTmax},
    {"C3H8", "C3", {-628.866, 31638.4, 88.0808, 0.0}, kWBWTmin, kWBWTmax},
    {"iC4", nullptr, {190.982, -4913.0, -34.5102, 0.0}, kWBWTmin, kWBWTmax},
    {"nC4", nullptr, {-639.209, 32785.7, 89.1483, 0.0}, kWBWTmin, kWBWTmax},
    {"H2S", nullptr, {-297.158, 16347.7, 40.2024, 0.002571}, kWBWTmin, kWBWTmax},
    {"N2", nullptr, {-327.85, 16757.6, 42.84, 0.016765}, kWBWTmin, kWBWTmax},
    {"CO2", nullptr, {-317.658, 17371.2, 43.0607, -0.002191}, kWBWTmin, kWBWTmax},
};
constexpr double kRcal = 1.98719;  // cal/(mol K)

// A, B, C of IAPWS G7-04 (2004), Table 2, for H2O as the solvent, with the
// temperature range of each row's fit: every gas of the table, those the
// library's components name (N2, CO2, CH4, Ar, O2, H2, CO, H2S, C2H6) among
// them.  (CO2's range is the table's 274.19 to 642.66 K.)
constexpr Row kIAPWS[] = {
    {"He", nullptr, {-3.52839, 7.12983, 4.47770, 0.0}, 273.21, 553.18},
    {"Ne", nullptr, {-3.18301, 5.31448, 5.43774, 0.0}, 273.20, 543.36},
    {"Ar", nullptr, {-8.40954, 4.29587, 10.52779, 0.0}, 273.19, 568.36},
    {"Kr", nullptr, {-8.97358, 3.61508, 11.29963, 0.0}, 273.19, 525.56},
    {"Xe", nullptr, {-14.21635, 4.00041, 15.60999, 0.0}, 273.22, 574.85},
    {"H2", nullptr, {-4.73284, 6.08954, 6.06066, 0.0}, 273.15, 636.09},
    {"N2", nullptr, {-9.67578, 4.72162, 11.70585, 0.0}, 278.12, 636.46},
    {"O2", nullptr, {-9.44833, 4.43822, 11.42005, 0.0}, 274.15, 616.52},
    {"CO", nullptr, {-10.52862, 5.13259, 12.01421, 0.0}, 278.15, 588.67},
    {"CO2", nullptr, {-8.55445, 4.01195, 9.52345, 0.0}, 274.19, 642.66},
    {"H2S", nullptr, {-4.51499, 5.23538, 4.42126, 0.0}, 273.15, 533.09},
    {"CH4", "C1", {-10.44708, 4.66491, 12.12986, 0.0}, 275.46, 633.11},
    {"C2H6", "C2", {-19.67563, 4.51222, 20.62567, 0.0}, 275.44, 473.46},
    {"SF6", nullptr, {-16.56118, 2.15289, 20.35440, 0.0}, 283.14, 505.55},
};
constexpr double kTc = kWaterCritical.T;  // K

}  // namespace

namespace {

// The row of `gas`, or NaN said through the log when the correlation has none
// or T lies outside the row's range.
template <std::size_t N>
const Row* rowInRange(const Row (&rows)[N], const char* source, const char* gas, double T) {
    const Row* r = find(rows, gas);
    if (!r) {
        platform::diagf("%s: no Henry constant of %s\n", source, gas ? gas : "(no name)");
        return nullptr;
    }
    if (!(T >= r->Tmin && T <= r->Tmax)) {
        platform::diagf("%s: the Henry constant of %s holds from %g to %g K; none is given at %g K\n", source, gas,
                        r->Tmin, r->Tmax, T);
        return nullptr;
    }
    return r;
}

}  // namespace

double wilhelmBattinoWilcock(const char* gas, double T) {
    const Row* r = rowInRange(kWBW, "Wilhelm, Battino & Wilcock (1977)", gas, T);
    if (!r) return std::numeric_limits<double>::quiet_NaN();
    const double* c = r->c;
    return 101325.0 * std::exp(-(c[0] + c[1] / T + c[2] * std::log(T) + c[3] * T) / kRcal);
}

double fernandezPrini(const char* gas, double T) {
    if (!rowInRange(kIAPWS, "IAPWS G7-04", gas, T)) return std::numeric_limits<double>::quiet_NaN();
    return fernandezPriniToCritical(gas, T);
}

double fernandezPriniToCritical(const char* gas, double T) {
    const Row* r = find(kIAPWS, gas);
    if (!r || !(T >= 273.15) || !(T < kTc)) return std::numeric_limits<double>::quiet_NaN();
    const double Tr = T / kTc, tau = 1.0 - Tr;
    const double* c = r->c;
    return WaterEOS::saturationPressureWagnerPruss(T) *
           std::exp(c[0] / Tr + c[1] * std::pow(tau, 0.355) / Tr + c[2] * std::pow(Tr, -0.41) * std::exp(tau));
}

double henrySet(const char* model, int version, const char* gas, double T) {
    const bool methane = named(gas, "CH4", "C1");
    const char* gases = nullptr;
    switch (version) {
        case 0:
            if (named(gas, "CO2", nullptr) || named(gas, "H2S", nullptr)) return fernandezPrini(gas, T);
            gases = "CO2 and H2S";
            break;
        case 1:
            if (find(kWBW, gas)) return wilhelmBattinoWilcock(gas, T);
            gases = "CH4, C2H6, C3H8, iC4, nC4, H2S, N2 and CO2";
            break;
        case 2:
            if (methane) return fernandezPrini(gas, T);
            gases = "CH4";
            break;
        default:
            platform::diagf("%s: there is no Henry-constant set %d\n", model, version);
            return std::numeric_limits<double>::quiet_NaN();
    }
    platform::diagf("%s, set %d: no Henry constant of %s (the set has %s)\n", model, version, gas ? gas : "(no name)",
                    gases);
    return std::numeric_limits<double>::quiet_NaN();
}

double co2SaltingOut(double ms) { return std::exp(0.27503999999999995 * ms / (0.018 * ms + 1.0)); }

double noSaltingOut(const char* model, int version, const char* gas) {
    platform::diagf("%s, set %d: no salting-out coefficient of %s in NaCl brine\n", model, version, gas);
    return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace henry
