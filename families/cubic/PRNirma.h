#pragma once
// Peng-Robinson fluids built from two terms: the co-volume repulsion VdWr1
// (term 0) and the attraction Nirma (PRNirma) or StryjekVera (PRSV) (term 1),
// with the Standard ideal gas of the components.  The molar volume comes from the roots of the
// Peng-Robinson cubic in Z; the framework gives the other properties.
// Components: a short built-in table, other names from "compo/<name>"
// (keywords "Tc" K, "Pc" Pa, "omega", "mw" kg/mol).
#include "families/cubic/CubicMixture.h"
#include "families/cubic/Nirma.h"
#include "families/cubic/VdWr1.h"
#include "fluid/FluidPhase.h"

// The closed-form volume of a term-built Peng-Robinson fluid whose term 1 is
// a Schmidt0 attraction: roots of the cubic in Z, chosen by phase kind, and
// the volume derivatives.  Returns false when no root lies above B (or
// several do and the phase kind chooses none).
bool resolvePengRobinsonCubicInZ(FluidPhase& f, Schmidt0& attraction);
// The molar volume from T and P through the cubic, then the whole model at it.
void calculatePengRobinsonMolarVolume(FluidPhase& f, Schmidt0& attraction);
// The same for any Peng-Robinson attraction term whose mixture nodes "a"
// (Pa m6/mol2) and "b" (m3/mol) are given.
bool resolvePengRobinsonCubicInZ(FluidPhase& f, Interaction& attraction, Expression& a, Expression& b);
void calculatePengRobinsonMolarVolume(FluidPhase& f, Interaction& attraction, Expression& a, Expression& b);
// Binary P-x isotherm "isot" + suffix from the bubble point of pure component
// 0 with start volumes of water-rich systems, and the critical curve "crit" +
// suffix from pure component 0 (both Igor text files).
void tracePengRobinsonBinaryIsotherm(FluidPhase& f, double T, const char* suffix);
void tracePengRobinsonCriticalCurve(FluidPhase& f, const char* suffix);

// Saturation curves of water by the reference model and by the four alpha
// functions of PRNirma, written in the current directory (demonstration).
void PRNirmaTest0();

// A Peng-Robinson fluid of the repulsion VdWr1 (term 0) and a quadratically
// mixed attraction (term 1) with the Standard ideal gas: the pair parameters
// (kaij in the attraction, kbij in both terms), the fitting hook, the volume
// from the cubic and the binary diagrams, common to PRNirma and PRSV.
class TermPengRobinson : public FluidPhase {
public:
    ~TermPengRobinson() override = default;

    void set_binary_interaction_kaij(int i, int j, double k);
    void set_binary_interaction_kbij(int i, int j, double k);
    // p[0] = kaij, p[1] = kbij of the pair (1, 0).
    void tune(double* p) override;
    void calculate_molar_volume() override;
    int stablePressureRootCount(double T_, double P_bar, double* roots = nullptr) override;
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
    void resolve_cubic_equation_in_Z();
    // Binary P-x isotherm "isot" + suffix and critical curve "crit" + suffix.
    void calculateTheIsotherm(double T, const char* suffix);
    void calculateTheCriticalCurve(const char* suffix) override;

    VdWr1* repulsion() { return static_cast<VdWr1*>(interactions[0]); }

protected:
    TermPengRobinson(QuadraticCubic* attraction, const char* name, int phaseKind, char withVenturi);
    QuadraticCubic* mixedAttraction() { return static_cast<QuadraticCubic*>(interactions[1]); }

private:
    cubic::MixturePairs mixturePairs_;  // the pair matrices of the last temperature
    cubic::MixturePairs pressurePairs_;  // those of the last closedFormMixturePressure
};

class PRNirma : public TermPengRobinson {
public:
    PRNirma(int phaseKind, int type, char withVenturi);

    void read_component_data(int i, const char* name) override;
    void read_BIP();

    Nirma* attraction() { return static_cast<Nirma*>(interactions[1]); }
};
