#include "families/anderko/Anderko.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "equilibria/IFP.h"
#include "families/anderko/AnderkoDispersion.h"
#include "families/anderko/Boublik.h"
#include "families/anderko/Dipole.h"
#include "fluid/SaturationAncillaries.h"
#include "fluid/Standard.h"
#include "platform/LogSink.h"

namespace {

struct AnderkoComponent {
    const char* name;
    double b;    // covolume, m3/mol
    double mu;   // dipole moment, debye
    double M;    // molar mass, kg/mol
    double Tc;   // critical-point guesses when first component, K
    double Vc;   // m3/mol
};

constexpr AnderkoComponent kH2O{"H2O", 2.84959143e-05, 1.85, 0.018015268, 648.6, 6.174e-05};
// (Molar masses of NaCl and KCl from the standard atomic weights: 58.443
// and 74.551 g/mol; they turn the model's molar volumes into densities and
// mole fractions into mass fractions and molalities.)
constexpr AnderkoComponent kNaCl{"NaCl", 6.00124e-05, 6.4, 0.058443, 2167.0, 0.000167};
constexpr AnderkoComponent kKCl{"KCl", 8.1783e-05, 7.3, 0.074551, 2271.0, 0.000218};
constexpr AnderkoComponent kCO2{"CO2", 4.952e-05, 0.0, 0.0440098, 305.0, 9.4e-05};
constexpr AnderkoComponent kCH4{"CH4", 4.4e-05, 0.0, 0.016043, 190.6, 6e-05};

struct AnderkoSystem {
    int code;
    std::vector<const AnderkoComponent*> components;
    double Tmin;  // low-temperature end of the curves; <= 0: the base value stays
};

const std::vector<AnderkoSystem>& systems() {
    static const std::vector<AnderkoSystem> table = {
        {1, {&kH2O}, 0.0},
        {2, {&kCO2}, 80.0},
        {3, {&kCH4}, 100.0},
        {4, {&kNaCl}, 0.0},
        {5, {&kKCl}, 0.0},
        {10, {&kH2O, &kNaCl}, 0.0},
        {11, {&kH2O, &kCO2}, 273.15},
        {12, {&kH2O, &kCH4}, 273.15},
        {13, {&kH2O, &kKCl}, 0.0},
        {14, {&kNaCl, &kCO2}, 0.0},
        {15, {&kNaCl, &kCH4}, 0.0},
        {20, {&kH2O, &kNaCl, &kCO2}, 0.0},
        {21, {&kH2O, &kNaCl, &kCH4}, 273.15},
        {31, {&kH2O, &kNaCl, &kKCl}, 273.15},
        {32, {&kH2O, &kNaCl, &kKCl, &kCO2, &kCH4}, 273.15},
    };
    return table;
}

}  // namespace

Anderko::Anderko(int phaseKind) : WaterEOS(3, phaseKind, 0) {
    interactions[0] = new Boublik();
    interactions[1] = new Dipole();
    interactions[2] = new AnderkoDispersion();
    setModelName("Anderko");
    // The hard-sphere term carries the ideal gas's -ln V; the temperature
    // part of the ideal gas is that of the components' standard-state data
    // (none for the salts: their state functions fail, said once).
    ideal = new Standard();
    Vl0 = kMadeLiquidStart;
    Vv0 = kMadeVapourStart;
    critical_T = 648.6;
    critical_V = 6.174e-05;
    // The saturation volumes are not bounded by IAPWS-95's critical volume,
    // which the water models' base sets: this model's own critical volume
    // differs (the molten salts' liquid lies above it from 1500 K on).
    Vc_bound = -1.0;
    criticalCurveTmax = kHighestFittedT;
    validity = kFittedRange;
}

Anderko::~Anderko() {
    vle_.reset();  // the solver borrows both phases
    vapour_.reset();
}

Boublik* Anderko::hardSpheres() const { return static_cast<Boublik*>(interactions[0]); }
Dipole* Anderko::dipole() const { return static_cast<Dipole*>(interactions[1]); }
AnderkoDispersion* Anderko::dispersion() const { return static_cast<AnderkoDispersion*>(interactions[2]); }

void Anderko::setSystemCode(char code) {
    const int icode = static_cast<signed char>(code);
    const AnderkoSystem* row = nullptr;
    for (const AnderkoSystem& s : systems())
        if (s.code == icode) row = &s;
    if (component_count > 0) {
        // The terms are sized once; another system needs another model.
        if (row && icode == systemCode) return;
        platform::diagf("Anderko system type %d not implemented\n", icode);
        platform::diagf("Anderko: the system is already set (%d); create a new model for another one\n",
                     systemCode);
        return;
    }
    systemCode = code;
    if (!row) {
        platform::diagf("Anderko system type %d not implemented\n", icode);
        return;
    }
    const int n = static_cast<int>(row->components.size());
    if (dispersion()->setSystemCode(code) != n) {
        platform::diagf("Anderko system type %d not implemented\n", icode);
        platform::diagf("Anderko: no dispersion parameters for system %d\n", icode);
        return;
    }
    // The interaction parameters of every tuple must be known before the
    // terms are sized (they are missing for H2O-NaCl-KCl).
    AnderkoDispersion* disp = dispersion();
    disp->Interaction::number_of_components(n);
    disp->calculate_covolumes();
    if (!disp->build_parse_graph()) {
        platform::diagf("Anderko system type %d not implemented\n", icode);
        platform::diagf("Anderko: the dispersion term of system %d lacks interaction parameters\n", icode);
        disp->component_count = 0;
        return;
    }
    number_of_components(n);
    std::vector<double> bs(n), bm(2 * n);
    for (int i = 0; i < n; i++) {
        bs[i] = row->components[i]->b;
        bm[i] = row->components[i]->b;
        bm[n + i] = row->components[i]->mu;
    }
    hardSpheres()->set_parameters(std::span<const double>(bs));
    dipole()->set_parameters(std::span<const double>(bm));
    for (int i = 0; i < n; i++) {
        molar_mass[i] = row->components[i]->M;
        readIdealComponentData(ideal, row->components[i]->name);
    }
    critical_T = row->components[0]->Tc;
    critical_V = row->components[0]->Vc;
    if (row->Tmin > 0.0) Tmin = row->Tmin;
    for (int i = 0; i < n; i++) setComponent(i, row->components[i]->name);
    if (n == 1) {
        bulk_molar_weight = row->components[0]->M;
    } else {
        for (int i = 0; i < n; i++) composition_of_component(i, i == 0 ? 1.0 : 0.0);
    }
    x_liquid.assign(n, 0.0);
    x_vapour.assign(n, 0.0);
}

bool Anderko::refusesState() {
    if (component_count > 0) return false;
    char message[96];
    std::snprintf(message, sizeof message, "Anderko system type %d not implemented: no state is computed\n",
                  static_cast<int>(static_cast<signed char>(systemCode)));
    refuseState(message);
    return true;
}

void Anderko::calculate_molar_volume() {
    if (!refusesState()) WaterEOS::calculate_molar_volume();
}

void Anderko::calculate_pressure() {
    if (!refusesState()) WaterEOS::calculate_pressure();
}

void Anderko::calculate_state_functions() {
    if (!refusesState()) WaterEOS::calculate_state_functions();
}

void Anderko::calculate_fugacities() {
    if (!refusesState()) WaterEOS::calculate_fugacities();
}

double Anderko::estimate_Vl0() {
    const double packed = hardSpheres()->closePackingVolume();
    const double V_ = ancillarySaturatedLiquidVolume(componentName(getMajorComponentIndex()), T);
    if (!(packed > 0.0)) return usableLiquidStart(V_);
    return std::isfinite(V_) && V_ > 1.05 * packed ? V_ : 1.1 * packed;
}

void Anderko::useVLE() {
    if (vle_) return;
    if (component_count < 1) {
        platform::diagf("Anderko: no system selected, no two-phase solver\n");
        return;
    }
    set_the_phase_as(2);
    vapour_ = std::make_unique<Anderko>(1);
    vapour_->setSystemCode(systemCode);
    vle_ = std::make_unique<IFP>(*this, *vapour_);
    vle_->number_of_components(component_count);
    for (int i = 0; i < component_count; i++) vle_->add_component(component_names[i].c_str());
}
