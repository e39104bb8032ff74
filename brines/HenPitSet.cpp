#include "brines/HenPitSet.h"

#include <cmath>
#include <cstring>

#include "families/cubic/ClassicalCubic0.h"
#include "water/WagnerPruss.h"

namespace {

bool same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

bool isGasName(const char* name) {
    static const char* const gases[] = {"CO2", "CH4", "C2", "N2", "H2S", "C2H6", "C3", "iC4", "nC4", "iC4H10", "nC4H10"};
    for (const char* g : gases)
        if (same(name, g)) return true;
    return false;
}

double saltFactor(double ms, double T) {
    return std::exp(0.294 * ms - 0.000195 * ms * T - 46.81 * ms / T - (0.0018 * T + 0.578) * ms / (ms + 1.0));
}

struct Set1 {
    const char* name;
    const char* alias;
    double A, B, C, D;
};

// H (Pa) = exp(A - B/T + C ln T + D T).
constexpr Set1 kSet1[] = {
    {"CH4", "C1", -365.183, 18016.7, 49.7554, -0.000285}, {"C2H6", "C2", -533.392, 26565.0, 74.624, -0.004573},
    {"C3H8", "C3", -628.866, 31638.4, 88.0808, 0},       {"iC4", nullptr, 190.982, -4913.0, -34.5102, 0},
    {"nC4", nullptr, -639.209, 32785.7, 89.1483, 0},     {"H2S", nullptr, -297.158, 16347.7, 40.2024, 0.002571},
    {"N2", nullptr, -327.85, 16757.6, 42.84, 0.016765},  {"CO2", nullptr, -317.685, 17371.2, 43.0607, -0.002191},
};

}  // namespace

HenPitSet::HenPitSet() : water(std::make_unique<WagnerPruss>(2)) {
    // The vapour model is needed as soon as a gas is named.
    setVapourModel(1);
}

HenPitSet::~HenPitSet() = default;

void HenPitSet::setVapourModel(int type) {
    vapourModelType = type;
    vapour.reset();
    if (type == 1) vapour = std::make_unique<ClassicalSRK>(1);
}

void HenPitSet::read_component_data(int i, const char* name) {
    if (same(name, "H2O")) iw = i;
    else if (same(name, "NaCl")) is = i;
    else if (isGasName(name)) {
        if (ig < 0) ig = i;
        ++gasCount;
    }
}

void HenPitSet::read_remaining_component_data() {
    if (gasCount < 1 || !vapour) return;
    vapour->number_of_components(gasCount);
    for (int i = 0; i < component_count; ++i)
        if (i != iw && i != is) vapour->add_component(component_names[i].c_str());
}

double HenPitSet::calculateHenryConstant(int i) {
    constexpr double R = 8.31434;
    const char* name = component_names[i].c_str();
    switch (version) {
        case 0:
            if (same(name, "CO2"))
                return std::exp(-8764.5 / T + 160.27 - 21.726 * std::log(T) + 0.00011055 * T) * 101325.0 *
                       std::exp(0.27503999999999995 * ms / (0.018 * ms + 1.0)) * std::exp(2.82e-5 * P / (R * T));
            if (same(name, "H2S"))
                return std::exp(-8335.5 / T + 151.52 - 20.499 * std::log(T) - 0.001311 * T) * 1e5 * saltFactor(ms, T);
            return 1e25;
        case 1:
            for (const Set1& s : kSet1) {
                if (same(name, s.name) || (s.alias && same(name, s.alias))) {
                    double H = std::exp(s.A - s.B / T + s.C * std::log(T) + s.D * T);
                    if (is >= 0 && (same(name, "H2S") || same(name, "CO2"))) H *= saltFactor(ms, T);
                    return H;
                }
            }
            return 1e25;
        case 2:
            if (same(name, "CH4") || same(name, "C1")) {
                const double Tr = T / 647.03, tau = 1.0 - Tr;
                return WaterEOS::saturationPressureWagnerPruss(T) *
                       std::exp(0.156 * ms / (ms + 55.55555555555556) - 11.063 / Tr +
                                5.809 * std::pow(tau, 0.355) / Tr + 12.195 * std::exp(tau) / std::pow(Tr, 0.41));
            }
            return 1e25;
        default: return 1e25;
    }
}

void HenPitSet::calculate_salt_effect() {
    water->temperature(T);
    water->pressure(P / 1e5);
    water->V = WaterEOS::calculateSpiveyVolume(T, P / 1e5);
    double aw = 1.0, saltSlot = 0.0;
    water->calculatePitzer84(ms, aw, saltSlot, osmoticCoefficient);
    if (is >= 0) activity[is] = saltSlot;
    if (iw >= 0) activity[iw] = aw;
}

void HenPitSet::describe() {
    double S = 0.0;
    if (ig >= 0 && vapour && vapour->component_count > 0) {
        vapour->temperature(T);
        vapour->pressure(P / 1e5);
        vapour->describe();
        int k = 0;
        for (int i = 0; i < component_count; ++i) {
            if (i == iw || i == is) continue;
            henryConstant[i] = calculateHenryConstant(i);
            activity[i] = 1.0;
            x[i] = k < vapour->component_count ? vapour->fugacity[k] / henryConstant[i] : 0.0;
            S += x[i];
            ++k;
        }
    }
    if (is < 0) {
        if (iw >= 0) activity[iw] = 1.0;
    } else {
        calculate_salt_effect();
    }
    const double a = 0.018 * ms;
    const double d = S / (1.0 - S) * (1.0 + a) + 1.0 + a;
    const double xw = 1.0 / d;
    if (iw >= 0) x[iw] = xw;
    if (is >= 0) x[is] = a / d;
    waterActivity = xw * (iw >= 0 ? activity[iw] : 1.0);
}

void HenPitSet::test(int which) {
    if (which != 1) return;
    number_of_components(2);
    add_component("H2O");
    add_component("NaCl");
    ms = 1.0;
    temperature(298.15);
    pressure(1.0);
    describe();
    std::printf("%10s %f\n", "aH2O : ", waterActivity);
    std::printf("%10s %f\n", "aNaCl : ", is >= 0 ? activity[is] : 0.0);
}
