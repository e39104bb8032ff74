#include "brines/HenPitSet.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "brines/HenryCorrelations.h"
#include "brines/PitzerActivity.h"
#include "platform/LogSink.h"
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
    const bool salt = is >= 0 && ms != 0.0;
    // A gas whose salting-out in NaCl brine has no published coefficient in
    // the set: no Henry constant in a brine.
    auto refusedInBrine = [&] { return henry::noSaltingOut("Henry-Pitzer", version, name); };
    const double H = henry::henrySet("Henry-Pitzer", version, name, T);
    if (!std::isfinite(H)) return H;
    if (same(name, "CO2")) {
        // The salting-out of CO2; set 0 (Fernandez-Prini et al. 2003) with
        // its Poynting factor.
        const double h = H * henry::co2SaltingOut(ms);
        return version == 0 ? h * std::exp(2.82e-5 * P / (R * T)) : h;
    }
    return salt ? refusedInBrine() : H;
}

void HenPitSet::calculate_salt_effect() {
    double saltSlot;
    const double aw = pitzerWaterActivity(*water, T, P, ms, saltSlot, osmoticCoefficient);
    if (!std::isfinite(aw)) errorflag = 1;  // outside the activity model's range (said)
    if (is >= 0) activity[is] = saltSlot;
    if (iw >= 0) activity[iw] = aw;
}

void HenPitSet::describe() {
    double S = 0.0;
    errorflag = 0;
    if (ig >= 0 && vapour && vapour->component_count > 0) {
        // The gas phase: the gases' vapour, or their liquid where the pure
        // gas has no vapour at T and P (CO2 at 280 K and 100 bar).
        for (int kind : {1, 2}) {
            vapour->set_the_phase_as(kind);
            vapour->temperature(T);
            vapour->pressure(P / 1e5);
            vapour->errorflag = 0;
            vapour->describe();
            if (vapour->errorflag == 0) break;
        }
        vapour->set_the_phase_as(1);
        if (vapour->errorflag != 0) {  // no vapour state: no fugacity, no solubility
            errorflag = 1;
            if (ig >= 0) x[ig] = std::numeric_limits<double>::quiet_NaN();
            return;
        }
        int k = 0;
        for (int i = 0; i < component_count; ++i) {
            if (i == iw || i == is) continue;
            henryConstant[i] = calculateHenryConstant(i);
            activity[i] = 1.0;
            if (!(henryConstant[i] > 0.0) || !std::isfinite(henryConstant[i])) {
                // No Henry constant: no solubility, reported.
                errorflag = 1;
                x[i] = std::numeric_limits<double>::quiet_NaN();
                return;
            }
            x[i] = k < vapour->component_count ? vapour->fugacity[k] / henryConstant[i] : 0.0;
            S += x[i];
            ++k;
        }
    }
    if (!(S < 1.0)) {
        // Henry's law gives the gases all of the liquid or more (the pure
        // gas's fugacity far beyond its Henry constant, at kbar pressures):
        // no liquid of those mole fractions.
        platform::diagf("Henry-Pitzer: at %g K and %g bar the gases' Henry's-law mole fractions add up to %g; no "
                        "solubility is given\n",
                        T, P * 1e-5, S);
        errorflag = 1;
        for (int i = 0; i < component_count; ++i) x[i] = std::numeric_limits<double>::quiet_NaN();
        return;
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
