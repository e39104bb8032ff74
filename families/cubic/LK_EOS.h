#pragma once
// Lee-Kesler corresponding-states equation of state for mixtures (Lee and
// Kesler, AIChE J. 21, 510 (1975)).  The mixture is mapped onto
// pseudo-critical constants by mixing rules with two sets of binary
// parameters (zeta on the cross temperature, eta on the cross volume, for
// high and low temperatures, blended at Tb), and its compressibility factor
// and molar volume are interpolated linearly in the acentric factor between
// a simple fluid and a reference fluid (BWR_EOS).  No residual terms: the
// model gives the molar volume and the compressibility factor at a given
// temperature and pressure (and the density, from the components' molar
// masses "mw") and nothing else: no pressure at a given volume, fugacities
// or state functions, which are not given (NaN, the first time said).  Its
// ideal part, a Standard, takes the components' standard-state data.
//
// Component constants "Tc" (K), "Pc" (Pa) and "omega" come from the keyword
// files "compo/<name>"; binary parameters from "LK.BIP" in the current
// directory: records "name1 name2 zetaHigh zetaLow etaHigh etaLow".
#include <initializer_list>
#include <memory>
#include <vector>

#include "fluid/FluidPhase.h"

class LK_EOS : public FluidPhase {
public:
    explicit LK_EOS(int phaseKind);
    // The model owns the two fluids.
    LK_EOS(int phaseKind, FluidPhase* simple, FluidPhase* reference, double omega0, double omegaR);
    ~LK_EOS() override = default;

    void number_of_components(int n) override;
    void read_component_data(int i, const char* name) override;
    void read_BIP();
    // Low-temperature zeta and eta at [i][j] only.
    void set_binary_interaction_dzetaij(int i, int j, double zeta, double eta);
    // Pairs (zeta, eta) for (0,1), (0,2), ..., (0,n-1), (1,2), ..., (n-2,n-1).
    void set_binary_interaction_dzeta_parameters(std::initializer_list<double> zetaEtaPairs);
    template <typename... Rest>
    void set_binary_interaction_dzeta_parameters(double zeta01, double eta01, Rest... rest) {
        set_binary_interaction_dzeta_parameters({zeta01, eta01, static_cast<double>(rest)...});
    }
    void calculate_the_pseudo_critical_parameters();
    void calculate_molar_volume() override;
    void calculate_pressure() override;
    void calculate_fugacities() override;
    void calculate_state_functions() override;

    std::unique_ptr<FluidPhase> simpleFluid, referenceFluid;
    double omega0 = 0.0, omegaR = 0.3978;
    std::vector<double> Tc, Pc, omega;  // K, Pa, -
    using Matrix = std::vector<std::vector<double>>;
    Matrix zeta, eta, zetaHigh, etaHigh, zetaLow, etaLow;
    double Tb = 0.0;  // blending temperature, compared with 1.05
    double Tpc = 0.0, Ppc = 0.0, Vpc = 0.0, omega_mix = 0.0;

private:
    // The state of the last volume search; false (P and Z not given, said
    // once in a call) when T or V has changed since.
    bool stateFromSearch();
    double solvedT_ = 0.0, solvedV_ = 0.0;
};
