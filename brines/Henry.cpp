#include "brines/Henry.h"

#include <cmath>
#include <cstring>

#include "water/WaterEOS.h"

namespace {

bool same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// Salting-out factor of H2S (and CO2 in the second set).
double h2sSaltFactor(double ms, double T) {
    return std::exp(0.294 * ms - 0.000195 * ms * T - 46.81 * ms / T - (0.0018 * T + 0.578) * ms / (ms + 1.0));
}

struct HenrySet {
    const char* name;
    const char* alias;
    double A, B, C, D;
    bool h2sFactor;
};

// Second set: ln H(atm) = -(A + B/T + C ln T + D T)/1.978.
constexpr HenrySet kSet1[] = {
    {"CH4", "C1", -365.183, 18016.7, 49.7554, -0.000285, false},
    {"C2H6", "C2", -533.392, 26565.0, 74.624, -0.0004573, false},
    {"C3H8", "C3", -628.866, 31638.4, 88.0808, 0, false},
    {"iC4", nullptr, 190.982, -4913.0, -34.5102, 0, false},
    {"nC4", nullptr, -639.209, 32785.7, 89.1483, 0, false},
    {"H2S", nullptr, -297.158, 16347.7, 40.2024, 0.002571, true},
    {"N2", nullptr, -327.85, 16757.6, 42.84, 0.016765, false},
    {"CO2", nullptr, -317.658, 17371.2, 43.0607, -0.002191, true},
};

}  // namespace

Henry::Henry() {
    henryScale = 0;
    setModelName("Henry model");
}

void Henry::read_remaining_component_data() {
    if (gasCount < 1) return;
    setGasModelType(SM_GasClassicalSRK);
    if (gasModel && gasModel->component_count == 0) {
        gasModel->number_of_components(gasCount);
        for (int i = 0; i < component_count; ++i)
            if (i != iw && i != is) gasModel->add_component(component_names[i].c_str());
    }
}

void Henry::calculate_aqueous_fugacities() {
    double Pp = P;
    if (r != 0.0) {
        calculateSigma();
        Pp = P - 2.0 * sigma / r;
    }
    if (ig < 0) return;
    for (int k = 0; k < gasCount && ig + k < component_count; ++k) {
        const int i = ig + k;
        henryConstant[i] = calculateHenryConstant(i, Pp);
        fugacity[i] = henryConstant[i] * x[i] * activity[i];
    }
}

double Henry::calculateHenryConstant(int i, double Pp) {
    const char* name = component_names[i].c_str();
    const bool salt = is >= 0;
    activity[i] = 1.0;
    switch (version) {
        case 0:
            if (same(name, "CO2")) {
                if (salt) activity[i] = std::exp(0.27503999999999995 * ms / (0.018 * ms + 1.0));
                return std::exp(-8764.5 / T + 160.27 - 21.726 * std::log(T) + 0.00011055 * T) * 101325.0 *
                       std::exp(2.82e-5 * Pp / (R * T));
            }
            if (same(name, "H2S")) {
                if (salt) activity[i] = h2sSaltFactor(ms, T);
                return std::exp(-8335.5 / T + 151.52 - 20.499 * std::log(T) - 0.001311 * T) * 1e5;
            }
            return 1e25;
        case 1:
            for (const HenrySet& s : kSet1) {
                if (same(name, s.name) || (s.alias && same(name, s.alias))) {
                    if (salt && s.h2sFactor) activity[i] = h2sSaltFactor(ms, T);
                    Vg = 3.2e-5;
                    return std::exp(-(s.A / 1.978 + s.B / (1.978 * T) + (s.C / 1.978) * std::log(T) + s.D * T / 1.978)) *
                           101325.0 * std::exp(3.2e-5 * Pp / (R * T));
                }
            }
            Vg = 3.2e-5;
            return 0.0;
        case 2:
            if (same(name, "CH4") || same(name, "C1")) {
                const double Tr = T / 647.03, tau = 1.0 - Tr;
                if (salt) activity[i] = std::exp(0.156 * ms / (ms + 55.55555555555556));
                return WaterEOS::saturationPressureWagnerPruss(T) *
                       std::exp(-11.063 / Tr + 5.809 * std::pow(tau, 0.355) / Tr + 12.195 * std::exp(tau) / std::pow(Tr, 0.41));
            }
            return 1e25;
        default: return 1e25;
    }
}

void Henry::test(int which) {
    if (which != 1) return;
    number_of_components(2);
    add_component("H2O");
    add_component("NaCl");
    ms = 1.0;
    compositionCode = 10;
    temperature(298.15);
    pressure(1.0);
    describe();
    std::printf("%10s %f\n", "aH2O : ", iw >= 0 ? activity[iw] : 0.0);
    std::printf("%10s %f\n", "aNaCl : ", is >= 0 ? activity[is] : 0.0);
}
