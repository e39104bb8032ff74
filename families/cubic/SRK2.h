#pragma once
// Soave-Redlich-Kwong equation of state of a binary mixture with interaction
// parameters that step with temperature: the repulsion VdWr2, the attraction
// Soave2 and a Standard ideal-gas part.  Every component comes from its
// component file "compo/<name>" (keywords "Tc" K, "Pc" Pa, "omega", "mw").
#include <array>
#include <vector>

#include "families/cubic/CubicMixture.h"
#include "families/cubic/Soave2.h"
#include "families/cubic/VdWr2.h"
#include "families/cubic/CubicData.h"
#include "fluid/FluidPhase.h"

class SRK2 : public FluidPhase {
public:
    explicit SRK2(int phaseKind);
    ~SRK2() override = default;

    // Two components only (the attraction term refuses any other count).
    void number_of_components(int n) override;
    void read_component_data(int i, const char* name) override;

    void set_binary_interaction_kaij(int i, int j, double k1, double k2, double T0, double dT);
    void set_binary_interaction_kbij(int i, int j, double k1, double k2, double T0, double dT);
    void read_BIP();
    // A mixture's roots with each component's ln phi, its pairs at T from
    // its terms (cubic::termMixtureRoots).
    int closedFormMixtureRoots(double T_, double P_bar, const double* x_, ClosedFormRoot roots[2],
                               double* lnPhi = nullptr, bool sameT = false) override;
    double closedFormMixturePressure(double T_, double V_, const double* x_) override;
    // A mixture's residual terms in closed form (cubic::termMixtureResidual).
    bool closedFormMixtureTerms(double T_, double V_, bool sameT = false) override;

    VdWr2* repulsion() { return static_cast<VdWr2*>(interactions[0]); }
    Soave2* attraction() { return static_cast<Soave2*>(interactions[1]); }

    double Zc = 1.0 / 3.0, Omega_a = 0.427480234, Omega_b = 0.08664034996495773;
    double m0 = 0.48, m1 = 1.574, m2 = -0.176;
    std::vector<double> Tc, Pc, omega, m, ac, b;

private:
    // The steps of both pair parameters and the co-volumes, the sources of
    // the pairs at T (cubic::Sources).
    std::array<double, 12> pairSources() const;
    cubic::MixturePairs mixturePairs_, pressurePairs_;
};
