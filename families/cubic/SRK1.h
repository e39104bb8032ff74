#pragma once
// Soave-Redlich-Kwong equation of state built from two terms: the co-volume
// repulsion VdWr1 and the Soave attraction Soave1, with the Standard ideal
// gas of the components.
// Pure-component constants from a built-in table, other names from the
// component file "compo/<name>" (keywords "Tc" K, "Pc" Pa, "omega", "mw" kg/mol).
//     b = 0.08664 R Tc/Pc,  ac = 0.42748 R^2 Tc^2/Pc,  m = 0.48 + 1.574 w - 0.176 w^2.
#include "families/cubic/CubicMixture.h"
#include "families/cubic/Soave1.h"
#include "families/cubic/VdWr1.h"
#include "fluid/FluidPhase.h"

class SRK1 : public FluidPhase {
public:
    SRK1(int phaseKind, char withVenturi);
    ~SRK1() override = default;

    void number_of_components(int n) override;
    void read_component_data(int i, const char* name) override;
    // p[0]: kaij of the pair (1, 0); p[1]: its kbij.
    void tune(double* p) override;
    int stablePressureRootCount(double T_, double P_bar, double* roots = nullptr) override;
    // A pure fluid's root of a phase kind from its cubic in Z, as the
    // closed-form SRK takes it (pureKindRoot); any other search by the
    // framework's.
    void calculate_molar_volume() override;
    // The pure fluid's roots from its cubic (cubic::termCubicRoots).
    int closedFormRoots(double T_, double P_bar, ClosedFormRoot roots[2]) override;
    // Its residual terms in closed form (cubic::termResidualInClosedForm).
    int closedFormResidualTerms(double T_, double V_, TermInClosedForm terms[2]) override;
    // A mixture's roots with each component's ln phi (cubic::termMixtureRoots).
    int closedFormMixtureRoots(double T_, double P_bar, const double* x_, ClosedFormRoot roots[2],
                               double* lnPhi = nullptr, bool sameT = false) override;
    double closedFormMixturePressure(double T_, double V_, const double* x_) override;
    // A mixture's residual terms in closed form (cubic::termMixtureResidual).
    bool closedFormMixtureTerms(double T_, double V_, bool sameT = false) override;

    void set_binary_interaction_kaij(int i, int j, double k);
    void set_binary_interaction_kbij(int i, int j, double k);
    void read_BIP();

    VdWr1* repulsion() { return static_cast<VdWr1*>(interactions[0]); }
    Soave1* attraction() { return static_cast<Soave1*>(interactions[1]); }

private:
    // The root of the phase kind of the plain pure fluid at (T, P): of the
    // cubic's roots above the co-volume the smallest for the liquid and the
    // largest for the vapour, then Newton's steps on the model's pressure
    // from it.  A single root below the model's critical temperature lies
    // on the branch of its side of the critical volume (the spinodals
    // straddle it), and a search of the other kind has none (errorflag).
    // False where the framework's search answers instead (a mixture, a
    // further term, a shift, no phase kind, no root above the co-volume).
    bool pureKindRoot();
    cubic::MixturePairs mixturePairs_;  // the pair matrices of the last temperature
    cubic::MixturePairs pressurePairs_;  // those of the last closedFormMixturePressure
};
