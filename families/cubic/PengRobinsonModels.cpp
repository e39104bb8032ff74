// Term-built Peng-Robinson models PRNirma and PRSV and their shared
// closed-form volume.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "families/cubic/CubicClosedForm.h"
#include "families/cubic/CubicData.h"
#include "families/cubic/CubicIsotherm.h"
#include "families/cubic/PRNirma.h"
#include "families/cubic/PRSV.h"
#include "fluid/CriticalPoints.h"
#include "fluid/Standard.h"
#include "numerics/LinearAlgebra.h"
#include "water/WagnerPruss.h"
#include "platform/LogSink.h"

using cubic::R;

bool resolvePengRobinsonCubicInZ(FluidPhase& f, Schmidt0& t) { return resolvePengRobinsonCubicInZ(f, t, *t.a, *t.b); }

bool resolvePengRobinsonCubicInZ(FluidPhase& f, Interaction& t, Expression& an, Expression& bn) {
    const double d1 = cubic::kPRd1, d2 = cubic::kPRd2;
    // The attraction term's tree at the current T, V and composition, with
    // the first derivatives of "a" and "b" in T and the mole fractions.
    t.T = f.T;
    t.V = f.V > 0 ? f.V : R * f.T / f.P;
    t.assignVariables();
    t.calculate_fixed_parameters();
    t.calculate_volume_dependent_parameters();
    t.root->calculate(1);
    const double a = an.value, b = bn.value, aT = an.d1[0];
    const double T = f.T, P = f.P;
    const double A = a * P / (cubic::R2 * T * T), B = b * P / (R * T);
    const double coef[4] = {-d1 * d2 * B * B * (1.0 + B) - A * B, A - 1.9999999999999993 * B - 2.999999999999999 * B * B,
                            -1.0 + 0.9999999999999993 * B, 1.0};
    double kept[3];
    const int nk = cubic::rootsAboveCovolume(coef, B, kept);
    if (nk == 0) return false;
    double lo = kept[0], hi = kept[0];
    for (int k = 1; k < nk; k++) {
        lo = std::min(lo, kept[k]);
        hi = std::max(hi, kept[k]);
    }
    double z;
    if (nk == 1) {
        z = kept[0];
        // Below the temperature where a / (b R T) reaches Omega_a / Omega_b
        // the isotherm of these a and b has a loop, which spans the
        // pseudo-critical volume Zc b / Omega_b: a single root below it lies
        // on the liquid branch, above it on the vapour branch.  At a pure
        // composition the branches are the fluid's two phases, and a search
        // of one kind whose root lies on the other branch has none of its own.
        const bool loop = a / (b * R * T) > Nirma::kOmegaA / Nirma::kOmegaB;
        const int side = z > cubic::kPengRobinsonZc / Nirma::kOmegaB * B ? 1 : 2;
        if (loop && (f.phase_kind == 1 || f.phase_kind == 2) && side != f.phase_kind &&
            cubic::atPureComposition(f.x))
            return false;
    } else if (f.phase_kind == 1)
        z = hi;
    else if (f.phase_kind == 2)
        z = lo;
    else
        return false;
    f.Z = z;
    const double V = R * z * T / P;
    f.volume(V);
    const double D = (V - d1 * b) * (V - d2 * b);
    f.dPdV = -R * T / ((V - b) * (V - b)) + (a / D) * (1.0 / (V - d1 * b) + 1.0 / (V - d2 * b));
    f.dVdT = -(R / (V - b) - aT / D) / f.dPdV;
    const double Pb = R * T / ((V - b) * (V - b)) + a / (b * D) - (a / D) * (1.0 / b + d1 / (V - d1 * b) + d2 / (V - d2 * b));
    for (int i = 0; i < f.component_count; i++) {
        const double ai = an.d1[2 + i], bi = bn.d1[2 + i];
        f.dVdx[i] = -(-ai / D + Pb * bi) / f.dPdV;
    }
    return true;
}

void calculatePengRobinsonMolarVolume(FluidPhase& f, Schmidt0& t) { calculatePengRobinsonMolarVolume(f, t, *t.a, *t.b); }

void calculatePengRobinsonMolarVolume(FluidPhase& f, Interaction& t, Expression& an, Expression& bn) {
    f.errorflag = 0;
    f.calculate_fixed_parameters();
    if (!resolvePengRobinsonCubicInZ(f, t, an, bn)) {
        // No root above the co-volume (or no phase to choose): reported, V kept.
        f.errorflag = 1;
        return;
    }
    // The root of the cubic of the attraction's a and b starts the search on
    // the model's own pressure: its repulsion may take a co-volume of its own
    // (PRNirma's differs from its attraction's by 2e-4), which moves a liquid's
    // pressure by tens of bar.
    // a / (b R T) of the cubic, 5.8773 (Omega_a / Omega_b) at its critical point.
    const double reduced = an.value / (bn.value * R * f.T) / 5.8773;
    const double b = bn.value, cubicV = f.V;
    const bool nearCritical = std::fabs(reduced - 1.0) < 0.01;
    // Near the critical point the root as it stands where it gives the
    // model's pressure (at the critical point Newton's steps from it creep).
    if (!nearCritical || !f.takeRootAsItStands(cubicV)) {
        f.errorflag = 0;
        f.calculateMolarVolumeFrom(cubicV);
    }
    // Close to the critical point (a / (b R T) within 1 % of its critical
    // value, about 0.6 % in T; the co-volumes differ by 2e-4) the two
    // co-volumes can leave a root of the
    // cubic on the other side of the loop of the model's own isotherm (the
    // metastable liquid for the vapour kind, PR:N2's at 126.1 K just below
    // its saturation pressure): the framework's search of the kind's branch
    // answers then.  Where that branch has no root, the cubic's root stands,
    // as the family takes it.  Farther from it the roots of the two lie on
    // the same branches.  The closed-form count of the isotherm's stable
    // roots tells it first: the root is the kind's of two, or the only one
    // (which the framework's search finds again or fails on, and the
    // cubic's root stands).
    if (f.errorflag || !nearCritical) return;
    const int counted = f.kindRootFromCount();
    if (counted == 1) return;
    // At the model's critical point itself (within a relative 1e-6 of its
    // temperature and 1e-3 of its pressure), where the count is undecided or
    // one root, which the flat isotherm places only to parts in 1e6, the
    // root of the plain pure fluid, whose co-volumes are one, is on both
    // branches.
    double Tc = 0.0, Pc = 0.0;
    if (counted < 0 && f.component_count == 1 && b == f.coVolume() && f.modelCriticalPoint(Tc, Pc) &&
        std::fabs(f.T / Tc - 1.0) < 1e-6 && std::fabs(f.P / Pc - 1.0) < 1e-3 &&
        f.stablePressureRootCount(f.T, f.P * 1e-5) < 2)
        return;
    if (counted < 0 && f.stateOnKindBranch()) return;
    const double cubicRoot = f.V;
    f.FluidPhase::calculate_molar_volume();
    if (!f.errorflag && !(std::fabs(f.V / cubicRoot - 1.0) <= 1e-9)) return;
    // The cubic's own root, solved as before.
    f.errorflag = 0;
    if (!resolvePengRobinsonCubicInZ(f, t, an, bn)) {
        f.errorflag = 1;
        return;
    }
    f.calculateMolarVolumeFrom(f.V);
}

// Binary P-x isotherm with start values of water-rich systems.
void tracePengRobinsonBinaryIsotherm(FluidPhase& f, double T, const char* suffix) {
    const std::string name = std::string("isot") + (suffix ? suffix : "");
    const double y = std::exp((std::log(647.086 - T) - 2.17) / (-1.5));
    const double s1 = 76.033 - std::exp(1.97 / (y + 1.0) + 2.176);
    const double L = std::log(T);
    const double s2 = std::exp(1526.5 - 701.94 * L + 109.45 * L * L - 5.7664 * L * L * L);
    f.calculate_an_isotherm_of_the_binary_system(name.c_str(), 1, 0.005, 1.0, 10000.0, T, 1e-06 * s1, 1e-06 * s2, 0.0,
                                                 1e-06, 1, suffix);
}

// The critical curve of a binary, every branch of it from a pure
// component's critical point: first from the less volatile component's, the
// one of the higher critical temperature in the model (in a system of type I
// or II that curve runs to the other component's critical point, in one of
// type III (water with a gas) it is the branch that rises to high pressure),
// then, where that one does not close, from the other component's to its
// critical end point.  So the curve is the same whichever component is named
// first.  Both pure critical points are sought from the model's start.
void tracePengRobinsonCriticalCurve(FluidPhase& f, const char* suffix) {
    const std::string name = std::string("crit") + (suffix ? suffix : "");
    const double Tstart[2] = {f.critical_T, f.critical_T}, Vstart[2] = {f.critical_V, f.critical_V};
    f.traceTheCriticalCurveBranches(name.c_str(), Tstart, Vstart, 1, suffix, nullptr);  // an Igor text file
}

namespace {

void setKbijInRepulsion(VdWr1* r, int i, int j, double k) {
    const int t = VdWr1::at(i, j);
    r->kbij[t] = k;
    r->bij[t] = 0.5 * (r->covolumes[i] + r->covolumes[j]) * (1.0 - k);
}

}  // namespace

// ---------------------------------------------------------------- TermPengRobinson

TermPengRobinson::TermPengRobinson(QuadraticCubic* attraction, const char* name, int phaseKind, char withVenturi_)
    : FluidPhase(2, phaseKind, withVenturi_) {
    interactions[0] = new VdWr1();
    interactions[1] = attraction;
    validity = cubic::kCubicRange;
    // The ideal gas of the components' standard-state data: the terms give
    // the residual part alone.
    ideal = new Standard();
    Vl0 = 2e-05;
    Vv0 = 0.002;
    setModelName(name);
}

void TermPengRobinson::set_binary_interaction_kaij(int i, int j, double k) {
    if (i < j) std::swap(i, j);
    mixedAttraction()->set_binary_interaction_kaij(i, j, k);
}

void TermPengRobinson::set_binary_interaction_kbij(int i, int j, double k) {
    if (i < j) std::swap(i, j);
    if (j < 0 || i >= component_count) return;
    mixedAttraction()->set_binary_interaction_kbij(i, j, k);
    setKbijInRepulsion(repulsion(), i, j, k);
}

void TermPengRobinson::tune(double* p) {
    if (!p || component_count < 2) return;
    mixedAttraction()->set_binary_interaction_kaij(1, 0, p[0]);
    set_binary_interaction_kbij(1, 0, p[1]);
}

void TermPengRobinson::resolve_cubic_equation_in_Z() {
    if (!resolvePengRobinsonCubicInZ(*this, *mixedAttraction())) errorflag = 1;
}

void TermPengRobinson::calculate_molar_volume() { calculatePengRobinsonMolarVolume(*this, *mixedAttraction()); }
int TermPengRobinson::stablePressureRootCount(double T_, double P_bar, double* roots) {
    return cubic::stableRootCountOfTerms(*this, *mixedAttraction(), T_, P_bar, roots);
}
int TermPengRobinson::closedFormRoots(double T_, double P_bar, ClosedFormRoot roots[2]) {
    return cubic::termCubicRoots(*this, *mixedAttraction(), *repulsion(), T_, P_bar, roots);
}
int TermPengRobinson::closedFormResidualTerms(double T_, double V_, TermInClosedForm terms[2]) {
    return cubic::termResidualInClosedForm(*this, *mixedAttraction(), *repulsion(), T_, V_, terms);
}
int TermPengRobinson::closedFormMixtureRoots(double T_, double P_bar, const double* x_, ClosedFormRoot roots[2],
                                             double* lnPhi, bool sameT) {
    return cubic::quadraticMixtureRoots(*this, *mixedAttraction(), *repulsion(), mixturePairs_, T_, P_bar, x_, roots,
                                        lnPhi, sameT);
}
bool TermPengRobinson::closedFormMixtureTerms(double T_, double V_, bool sameT) {
    return cubic::quadraticMixtureResidual(*this, *mixedAttraction(), *repulsion(), mixturePairs_, T_, V_, sameT);
}
double TermPengRobinson::closedFormMixturePressure(double T_, double V_, const double* x_) {
    return cubic::quadraticMixturePressure(*this, *mixedAttraction(), *repulsion(), pressurePairs_, T_, V_, x_);
}
void TermPengRobinson::calculateTheIsotherm(double T_, const char* suffix) {
    tracePengRobinsonBinaryIsotherm(*this, T_, suffix);
}
void TermPengRobinson::calculateTheCriticalCurve(const char* suffix) { tracePengRobinsonCriticalCurve(*this, suffix); }

// ---------------------------------------------------------------- PRNirma

// Named in messages as the equation it is: Peng & Robinson (1976) with
// Soave's alpha (type 0), or with Nirma's exponential alpha for water.
PRNirma::PRNirma(int phaseKind, int type, char withVenturi_)
    : TermPengRobinson(new Nirma(type), type == 0 ? "Peng-Robinson" : "Peng-Robinson (Nirma's alpha)", phaseKind,
                       withVenturi_) {}

void PRNirma::read_component_data(int i, const char* name) {
    if (i < 0 || i >= component_count || !name) return;
    readIdealComponentData(ideal, name);
    double Tc = 0.0, Pc = 0.0, omega = 0.0, m = 0.0, c0 = 0.0, c1 = 0.0, c2 = 0.0, c3 = 0.0, p = 0.0;
    if (std::strcmp(name, "H2O") == 0) {
        Tc = 647.13;
        Pc = 22055000.0;
        omega = 0.345;
        molar_mass[i] = 0.018015268;
        m = 0.85360439;
        c0 = 0.892972678;
        c1 = 0.905476289;
        c2 = 0.869215621;
        c3 = 0.888479072;
        p = 1.007293331;
    } else if (attraction()->type != 0) {
        // The exponential alpha functions have parameters fitted to water only.
        platform::diagf("%s: the alpha function of type %d has parameters for H2O only; %s is refused\n",
                        modelName(), attraction()->type, name);
        return;
    } else {
        // Soave's alpha(T) with Peng & Robinson's (1976) slope from the
        // acentric factor: m = 0.37464 + 1.54226 omega - 0.26992 omega^2.
        double mw = 0.0;
        if (!cubic::readCorrespondingStates(name, "PR", "Cannot open %s file !\n", Tc, Pc, omega, mw)) return;
        m = 0.37464 + 1.54226 * omega - 0.26992 * omega * omega;
        molar_mass[i] = mw;
    }
    repulsion()->set_covolume(i, Nirma::kOmegaB * R * Tc / Pc);
    attraction()->set_parameters(i, Tc, Pc, omega, m, c0, c1, c2, c3, p);
    // Water's alpha functions of other types are not 1 at Tc: its search
    // starts above the fluid's critical point.
    if (std::strcmp(name, "H2O") == 0)
        cubic::keepCriticalStart(critical_T, critical_V, i, 649.0, 7e-05);
    else
        cubic::keepCriticalStart(critical_T, critical_V, i, Tc, cubic::kPengRobinsonZc * R * Tc / Pc);
    if (i == component_count - 1) read_BIP();
}

void PRNirma::read_BIP() {
    cubic::forEachBuiltInPair(component_names, component_count, [this](int i, int j, double k) {
        set_binary_interaction_kaij(j, i, k);
        set_binary_interaction_kbij(j, i, 0.0);
    });
}


// ---------------------------------------------------------------- PRSV

PRSV::PRSV(int phaseKind, char withVenturi_)
    : TermPengRobinson(new StryjekVera(), "PRSV", phaseKind, withVenturi_) {}

void PRSV::read_component_data(int i, const char* name) {
    if (i < 0 || i >= component_count || !name) return;
    readIdealComponentData(ideal, name);
    double Tc = 190.55, Pc = 4599000.0, omega = 0.01045, mw = 0.016043;
    if (std::strcmp(name, "H2O") == 0) {
        Tc = kWaterCritical.T;
        Pc = 22006400.0;
        omega = 0.3438;
        mw = 0.018015268;
    } else if (std::strcmp(name, "CO2") == 0) {
        Tc = 304.21;
        Pc = 7383000.0;
        omega = 0.225;
        mw = 0.0440098;
    } else if (std::strcmp(name, "CH4") == 0) {
        Tmin = 100.0;
    } else {
        // A component from its file takes all its constants from there: its
        // kappa0 needs its own acentric factor.
        if (!cubic::readCorrespondingStates(name, "PRSV", "Cannot open %s file !\n", Tc, Pc, omega, mw)) return;
    }
    molar_mass[i] = mw;
    const double b = 0.64682239464 * Tc / Pc;  // Stryjek & Vera's (1986) 0.077796 R Tc / Pc
    const double kappa0 = 0.378893 + 1.4897153 * omega - 0.17131848 * omega * omega + 0.0196554 * omega * omega * omega;
    const double ac = 31.607855222133566 * Tc * Tc / Pc;
    attraction()->set_ai_parameters(i, ac, Tc, kappa0, 0.0);
    attraction()->set_covolume(i, b);
    repulsion()->set_covolume(i, b);
    cubic::keepCriticalStart(critical_T, critical_V, i, Tc, cubic::kPengRobinsonZc * R * Tc / Pc);
    if (i == component_count - 1) read_BIP();
}

void PRSV::read_BIP() {
    if (component_count < 2) return;
    struct Pair {
        const char* i;
        const char* j;
        double k;
    };
    static const Pair table[] = {{"CH4", "N2", 0.03},   {"CH4", "CO2", 0.1}, {"CH4", "H2O", 0.6},
                                 {"CO2", "N2", -0.035}, {"CO2", "H2O", 0.0}};
    for (int i = 0; i < component_count; i++)
        for (int j = 0; j < component_count; j++)
            for (const Pair& p : table)
                if (component_names[i] == p.i && component_names[j] == p.j) {
                    attraction()->set_binary_interaction_kaij(std::max(i, j), std::min(i, j), p.k);
                    set_binary_interaction_kbij(i, j, 0.0);
                }
}


void PRNirmaTest0() {
    // Saturation curves of water: the reference model, then the four alpha
    // functions of PRNirma (files "satu0" ... "satu4").
    {
        WagnerPruss w(2);
        w.calculate_saturation_curve("satu0", 2, 650.0, -1.0, 6e-05, 6e-05, 270.0, 1, "0", nullptr);
    }
    const char* names[] = {"satu1", "satu2", "satu3", "satu4"};
    const char* suffixes[] = {"1", "2", "3", "4"};
    for (int type = 0; type < 4; type++) {
        PRNirma m(2, type, 0);
        m.number_of_components(1);
        m.add_component("H2O");
        m.calculate_saturation_curve(names[type], 2, 650.0, -1.0, 6e-05, 6e-05, 270.0, 1, suffixes[type], nullptr);
    }
}
