#include "brines/Henry.h"

#include <cmath>
#include <cstring>

#include "brines/HenryCorrelations.h"

namespace {

bool same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// No published salting-out coefficient of this gas in this set: the brine's
// activity coefficient has no value (the solubility is then refused).
double noSaltFactor(const char* gas, int version) { return henry::noSaltingOut("Henry model", version, gas); }

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

void Henry::calculate_gas_partial_volume_() { Vg = version == 1 ? 3.2e-5 : 0.0; }

double Henry::calculateHenryConstant(int i, double Pp) {
    const char* name = component_names[i].c_str();
    const bool salt = is >= 0 && ms != 0.0;
    activity[i] = 1.0;
    // NaN, said, for a gas the set has no constants for or a temperature
    // outside its range: the solubility is then refused.
    const double H = henry::henrySet("Henry model", version, name, T);
    if (!std::isfinite(H)) return H;
    if (salt) {
        if (same(name, "CO2"))
            activity[i] = henry::co2SaltingOut(ms);
        else
            activity[i] = noSaltFactor(name, version);
    }
    switch (version) {
        case 0:
            // Fernandez-Prini et al. (2003), with the partial molar volume
            // 2.82e-5 m3/mol of CO2 in the Poynting factor.
            return same(name, "CO2") ? H * std::exp(2.82e-5 * Pp / (R * T)) : H;
        case 1:
            // Wilhelm, Battino & Wilcock (1977), with a partial molar volume of 3.2e-5 m3/mol.
            return H * std::exp(3.2e-5 * Pp / (R * T));
        default: return H;  // Fernandez-Prini et al. (2003)
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
