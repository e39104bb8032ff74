#pragma once
// Kreglewski's hard-convex-body equation of state for pure fluids and binary
// mixtures of small molecules and hydrocarbons (Kreglewski and Chen 1978;
// Chen and Kreglewski 1977): a hard-convex-body repulsion (HCB1 or HCB2)
// and the Kreglewski dispersion series (Kreglewski1 or Kreglewski2), with a
// built-in component table and binary parameters for three pairs.  The
// terms give the residual part and the -ln V of the ideal gas; the Standard
// ideal gas of the components (their standard-state data) completes the
// state functions.  One or two components only.
//
// Life cycle: construct, number_of_components(n) (creates the terms),
// add_component for each name (the last one sets the binary parameters),
// then set the state.
#include <array>
#include <cstddef>

#include "fluid/FluidPhase.h"

class HCB2;
class Kreglewski2;

class Kreglewski_EOS : public FluidPhase {
public:
    static constexpr double kSoftness = 0.12;  // C of every component

    explicit Kreglewski_EOS(int phaseKind);
    ~Kreglewski_EOS() override = default;

    // 1 or 2; a larger count goes to the binary terms, which refuse it, so that
    // every state fails.
    void number_of_components(int n) override;
    void read_component_data(int i, const char* name) override;
    void read_remaining_component_data() override;
    void set_component_data(int i);
    // Critical-point start values of the four small molecules; other names leave Tc, Vc untouched.
    static void initializeCriticalParameters(const char* name, double& Tc, double& Vc);
    // Pure `name` (the first component when no name matches).
    void selectComponent(const char* name);
    // Binary critical curve from pure component 2, written as "crit" + suffix (Igor text).
    void calculateTheCriticalCurve(const char* suffix) override;
    // Start of the liquid volume search: 1.25 times the close-packed volume of
    // the hard cores at the current T (a packing fraction of 0.59, denser than
    // the liquid roots), from where Newton's steps on the convex liquid branch
    // of P(V) approach the root without crossing the close packing.
    double estimate_Vl0() override;
    // A binary's count of mechanically stable roots of P(V) = P at T (K), P
    // (bar) and its composition, from the terms' closed forms along the
    // isotherm (its stable stretches kept per temperature and composition):
    // 1 or 2, so that the search of the stable state need not scan the
    // isotherm where its searches found as many; 0 where it cannot tell (a
    // pressure beside a spinodal's, a stretch the grid does not resolve,
    // more than two roots, one component or a shifted system) and where the
    // roots' volumes are asked for (the trial phases search as before).
    int stablePressureRootCount(double T_, double P_bar, double* roots = nullptr) override;
    // A binary's mechanically stable roots at T (K), P (bar) and the mole
    // fractions x_ from the same closed forms (ClosedFormMixture.h): one on
    // each stable stretch of the isotherm that spans P, ascending in volume,
    // with each component's ln phi; 0 where the stretches do not tell them
    // (as for the count above).
    int closedFormMixtureRoots(double T_, double P_bar, const double* x_, ClosedFormRoot roots[2],
                               double* lnPhi = nullptr, bool sameT = false) override;

    // One row of the component table.
    struct ComponentData {
        const char* name;
        double V00;    // m3/mol
        double alpha;  // non-sphericity
        double u0;     // K
        double eta;    // K
        double mw;     // kg/mol, 0: not tabulated
    };
    // The row of `name`, or nullptr.
    static const ComponentData* findComponent(const char* name);
    // Binary parameters of a pair in either order (defaults for unlisted pairs).
    static void binaryParameters(const char* name1, const char* name2, double eta1, double eta2, double& kv,
                                 double& a12, double& b12, double& xi12);

private:
    // Stores a term in slot i, with the guard message when the slot does not exist.
    void storeInteraction(int i, Interaction* t);

    // The pressures of a binary on the liquid start's grid of volumes (1.02
    // V0 times powers of 1.06 below 5 V0) at one temperature and
    // composition: the same for every pressure asked for, and the stability
    // tests along a curve meet the same trial compositions at each row.
    static constexpr int kScanPoints = 32, kKeptScans = 256;
    struct LiquidScan {
        double T = 0.0, x1 = 0.0, x2 = 0.0, V0 = 0.0;
        int versions[2] = {-1, -1};
        double p[kScanPoints] = {};
    };
    std::array<LiquidScan, kKeptScans> scans_{};
    // The roots of a binary with each component's ln phi at one T, P and
    // composition, as closedFormMixtureRoots found them there: a stability
    // test and the tie line after it ask for the same trial phases again.
    static constexpr int kKeptRoots = 256;
    struct KeptRoots {
        double T = 0.0, P = 0.0, x1 = 0.0, x2 = 0.0;
        int versions[2] = {-1, -1};
        bool firstOrderOnly = false;
        int found = 0;
        ClosedFormRoot roots[2];
        double lnPhi[4] = {};
    };
    std::array<KeptRoots, kKeptRoots> keptRoots_{};
    const double* scanPressures(HCB2& hcb, Kreglewski2& series, double V0);
    // The stable stretches of a binary's isotherm at one temperature and
    // composition: their volumes (m3/mol) and pressures (Pa) at the dense
    // end (the higher pressure) and at the other (the last stretch reaching
    // beyond the grid, where P falls to 0); `resolved` false where the grid
    // and its halvings did not follow the isotherm.
    static constexpr int kMaxStretches = 3, kKeptShapes = 512;
    struct IsothermShape {
        double T = 0.0, x1 = 0.0, x2 = 0.0, V0 = 0.0;
        int versions[2] = {-1, -1};
        bool resolved = false, openDenseEnd = false;
        int n = 0;
        double Va[kMaxStretches] = {}, Pa[kMaxStretches] = {}, Vb[kMaxStretches] = {}, Pb[kMaxStretches] = {};
    };
    std::array<IsothermShape, kKeptShapes> shapes_{};
    const IsothermShape& isothermShape(HCB2& hcb, Kreglewski2& series, double V0);
    // The stretches of the isotherm at T_ and the current composition whose
    // pressures span P_bar (their indices), as stablePressureRootCount counts them.
    int spanningStretches(double T_, double P_bar, const IsothermShape*& shape, int (&stretches)[kMaxStretches]);
    // Both components' ln phi at the volume v (m3/mol) and the pressure p
    // (Pa), at the model's T and composition; false where not finite.  From
    // the terms' first derivatives alone where `firstOrderOnly`, else from
    // their second-order answers (kept for the state then set at v).
    bool lnPhiAt(HCB2& hcb, Kreglewski2& series, double v, double p, double* lnPhi, bool firstOrderOnly);
    // The slot of the current composition in a direct-mapped store of `slots`.
    std::size_t compositionSlot(std::size_t slots) const;
    // A binary's pressure (Pa) at the volume v, its T and composition, from its terms' closed forms; NaN where none.
    double closedFormPressure(HCB2& hcb, Kreglewski2& series, double v) const;
};
