#pragma once
// Two-phase equilibrium of an ideal solution (Raoult's law): each
// component's equilibrium ratio is its saturation pressure over the pressure,
// K_i = Psat_i(T)/P, and one Rachford-Rice balance
//     sum_i (x_i - y_i) = 0,  x_i = z_i/(1 - Fv + Fv K_i),  y_i = K_i x_i
// is solved for the free variable (Fv, P or T) with the bracketing Muller
// root finder.  The saturation pressures come from built-in correlations of
// light gases chosen by component name; the two FluidPhase models are not
// evaluated.  IFP derives from this class and uses it for its start values.
#include <memory>
#include <vector>

#include "equilibria/VLE.h"

class Muller;
class PsatCorr;

class IdealMixture : public VLE {
public:
    IdealMixture();
    IdealMixture(FluidPhase& a, FluidPhase& b);
    ~IdealMixture() override;

    // Creates the correlation of component i ("CO2", "CH4"/"C1", "N2", "H2S",
    // "C2H6"/"C2", "C3H8"/"C3", "iC4H10"/"iC4", "nC4H10"/"nC4"); any other
    // name leaves the entry empty.
    void read_component_data(int i, const char* name) override;
    // Fv at the specified T and P.
    void calculate_with_fixed_P_and_T() override;
    // P at the specified T and vapour amount.
    void calculate_with_fixed_T_and_Fv() override;
    // T at the specified P and vapour amount.
    void calculate_with_fixed_P_and_Fv() override;
    // The whole object back to its empty state (models included).
    void reset_to_zero() override;
    void number_of_components(int n) override;
    void calculateVLE() override;

    // Saturation pressure (Pa) and temperature (K) of component i; 0 without a correlation.
    double Psat(int i, double T_) const;
    double Tsat(int i, double P_) const;

    // Rachford-Rice residuals in Fv (ratios as stored), P (at spec_T) and T (at spec_P).
    double equation1(double Fv_, void*);
    double equation2(double P_, void*);
    double equation3(double T_, void*);

    // ---- data
    std::vector<std::unique_ptr<PsatCorr>> correlations;
    std::vector<double> K;
    std::unique_ptr<Muller> root_finder;
    std::vector<double> work1, work2, work3;  // used by the subclasses

protected:
    // True when every component has a correlation; otherwise error 2 with a message.
    bool haveCorrelations();

private:
    void resetOwnPart();
    double balance(double Fv_);
    // Muller from lo, hi in up to ten widening attempts; the root in `root`.
    void solveWidening(double lo, double hi, double& root);
};
