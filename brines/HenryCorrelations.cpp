#include "brines/HenryCorrelations.h"

#include <cmath>
#include <cstring>
#include <limits>

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
};

template <std::size_t N>
const Row* find(const Row (&rows)[N], const char* gas) {
    for (const Row& r : rows)
        if (named(gas, r.name, r.alias)) return &r;
    return nullptr;
}

// A, B, C, D of Wilhelm, Battino & Wilcock (1977); A in cal/(mol K), B in
// cal/mol, C in cal/(mol K), D in cal/(mol K^2).
constexpr Row kWBW[] = {
    {"CH4", "C1", {-365.183, 18106.7, 49.7554, -0.000285}},
    {"C2H6", "C2", {-533.392, 26565.0, 74.624, -0.004573}},
    {"C3H8", "C3", {-628.866, 31638.4, 88.0808, 0.0}},
    {"iC4", nullptr, {190.982, -4913.0, -34.5102, 0.0}},
    {"nC4", nullptr, {-639.209, 32785.7, 89.1483, 0.0}},
    {"H2S", nullptr, {-297.158, 16347.7, 40.2024, 0.002571}},
    {"N2", nullptr, {-327.85, 16757.6, 42.84, 0.016765}},
    {"CO2", nullptr, {-317.658, 17371.2, 43.0607, -0.002191}},
};
constexpr double kRcal = 1.98719;  // cal/(mol K)

// A, B, C of IAPWS G7-04, Table 2.
constexpr Row kIAPWS[] = {
    {"CO2", nullptr, {-8.55445, 4.01195, 9.52345, 0.0}},
    {"CH4", "C1", {-10.44708, 4.66491, 12.12986, 0.0}},
    {"H2S", nullptr, {-4.51499, 5.23538, 4.42126, 0.0}},
};
constexpr double kTc = 647.096;  // K

}  // namespace

double wilhelmBattinoWilcock(const char* gas, double T) {
    const Row* r = find(kWBW, gas);
    if (!r) return std::numeric_limits<double>::quiet_NaN();
    const double* c = r->c;
    return 101325.0 * std::exp(-(c[0] + c[1] / T + c[2] * std::log(T) + c[3] * T) / kRcal);
}

double fernandezPrini(const char* gas, double T) {
    const Row* r = find(kIAPWS, gas);
    if (!r) return std::numeric_limits<double>::quiet_NaN();
    const double Tr = T / kTc, tau = 1.0 - Tr;
    const double* c = r->c;
    return WaterEOS::saturationPressureWagnerPruss(T) *
           std::exp(c[0] / Tr + c[1] * std::pow(tau, 0.355) / Tr + c[2] * std::pow(Tr, -0.41) * std::exp(tau));
}

double co2SaltingOut(double ms) { return std::exp(0.27503999999999995 * ms / (0.018 * ms + 1.0)); }

double noSaltingOut(const char* model, int version, const char* gas) {
    platform::diagf("%s, set %d: no salting-out coefficient of %s in NaCl brine\n", model, version, gas);
    return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace henry
