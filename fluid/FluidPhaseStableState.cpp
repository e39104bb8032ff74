// The stable state of a pure fluid from T and P: the volume searches of the
// liquid and of the vapour kind each find a root of P(T, V) = P when there is
// one; at a temperature and pressure where both exist, the root of lower
// Gibbs energy is the stable phase and the other is metastable (a superheated
// liquid or a subcooled vapour).  The phase kinds of the volume search keep
// their meaning: these functions only add the comparison.
#include <cmath>
#include <utility>
#include <vector>

#include "fluid/FluidPhase.h"

namespace {

// Roots closer than this (relative) are one root found by both searches.
constexpr double kSameRoot = 1e-6;
// A root must give back the pressure asked for to this relative precision.
constexpr double kPressureMatch = 1e-7;

bool sameRoot(double a, double b) { return std::fabs(a - b) <= kSameRoot * std::fmax(a, b); }

// The phase's state at its T and V is a root at P (bar): its state functions
// evaluate, it is mechanically stable, it gives back the pressure and has a
// Gibbs energy; its volume and Gibbs energy into V_ and G_ when it is.
bool acceptRoot(FluidPhase& p, double P_bar, double& V_, double& G_) {
    p.calculate_state_functions();
    const double Pt = P_bar * 1e5, Pz = FluidPhase::R * p.Z * p.T / p.V, dPdV = p.dPdV, V = p.V;
    const double g = p.errorflag ? std::nan("") : p.rootGibbsEnergy();
    if (p.errorflag || !(dPdV < 0.0) || !(std::fabs(Pz - Pt) <= kPressureMatch * Pt) || !std::isfinite(g))
        return false;
    V_ = V;
    G_ = g;
    return true;
}

}  // namespace

double FluidPhase::rootGibbsEnergy() {
    // G = G_ig(T, P, x) + R T sum x_i ln phi_i: the ideal-gas part is the
    // same for every root at one T, P and composition, and may lack its data
    // (a salt, a closed-form cubic without an ideal gas); the fugacities rank
    // the roots whatever the model gives of G.
    calculate_fugacities();
    if (errorflag) return std::nan("");
    double g = 0.0;
    for (int i = 0; i < component_count; ++i)
        if (x[i] != 0.0) g += x[i] * std::log(fugcoef[i]);
    return R * T * g;
}

bool FluidPhase::compressibilityDiverges() const {
    // The reduced stiffness V^2 (dP/dV)T / RT is 1 in the ideal gas and
    // vanishes at the critical point, where cp, the expansivity and the
    // compressibility diverge; near it the model's own values are finite.
    const double stiffness = -V * V * dPdV / (R * T);
    return std::isfinite(stiffness) && std::fabs(stiffness) < 1e-9;
}

bool FluidPhase::stateIsFinite() const {
    // The state itself; quantities a model does not define (heat capacities
    // without an ideal-gas part) are shown as missing by the report.
    return std::isfinite(T) && std::isfinite(P) && std::isfinite(V) && V > 0.0 && std::isfinite(Z) &&
           bulk_molar_weight > 0.0 && std::isfinite(bulk_molar_weight);
}

bool FluidPhase::pressureRootFromTP(int kind, double T_, double P_bar, double& V_, double& G_) {
    const int keep = phase_kind;
    set_the_phase_as(kind);
    temperature(T_);
    pressure(P_bar);
    calculate_molar_volume();
    set_the_phase_as(keep);
    if (errorflag || !std::isfinite(V) || !(V > 0.0)) return false;
    errorflag = 0;
    if (acceptRoot(*this, P_bar, V_, G_)) return true;
    errorflag = 1;
    return false;
}

void FluidPhase::setStateFromTPV(double T_, double P_bar, double V_) {
    errorflag = 0;
    temperature(T_);
    pressure(P_bar);
    volume(V_);
    calculate_fixed_parameters();
    calculate_state_functions();
    calculate_fugacities();
}

bool FluidPhase::pressureRootInBracket(double T_, double P_bar, double Va, double Vb, double& V_, double& G_) {
    // Bisection on P(V) - P between volumes where it changes sign, to rounding.
    const double Pt = P_bar * 1e5;
    temperature(T_);
    auto f = [&](double v) {
        volume(v);
        errorflag = 0;
        calculate_pressure();
        return errorflag ? std::nan("") : P - Pt;
    };
    double fa = f(Va);
    for (int k = 0; k < 200 && Vb - Va > 1e-15 * Vb; ++k) {
        const double Vm = 0.5 * (Va + Vb), fm = f(Vm);
        if (!std::isfinite(fm)) return false;
        if ((fm > 0.0) == (fa > 0.0)) {
            Va = Vm;
            fa = fm;
        } else {
            Vb = Vm;
        }
    }
    const double Vr = 0.5 * (Va + Vb);
    pressure(P_bar);
    volume(Vr);
    errorflag = 0;
    calculate_fixed_parameters();
    return acceptRoot(*this, P_bar, V_, G_);
}

FluidPhase::PhaseRoots FluidPhase::pressureRootsFromTP(double T_, double P_bar) {
    std::vector<PhaseRoot> found;
    auto keep = [&](double V_, double G_) {
        for (const PhaseRoot& r : found)
            if (sameRoot(r.V, V_)) return;
        if (rootOnABranch(T_, P_bar, V_)) found.push_back({true, V_, G_});
    };
    double V_ = 0.0, G_ = 0.0;
    if (pressureRootFromTP(2, T_, P_bar, V_, G_)) keep(V_, G_);
    if (pressureRootFromTP(1, T_, P_bar, V_, G_)) keep(V_, G_);
    // The volume searches start from one volume each and may both end on
    // the same root: a scan of the isotherm in ln V, from a fifth of the
    // critical volume (denser than any liquid the models describe) to ten
    // times the ideal-gas volume, brackets every root where P - P(V)
    // changes sign.
    const double Vlow = critical_V > 0.0 ? 0.2 * critical_V : 1e-6;
    const double Vhigh = 10.0 * R * T_ / (P_bar * 1e5);
    constexpr int kSteps = 2000;
    if (std::isfinite(Vhigh) && Vhigh > Vlow) {
        const double step = std::log(Vhigh / Vlow) / kSteps;
        temperature(T_);
        double Vprev = 0.0, fprev = std::nan("");
        for (int k = 0; k <= kSteps; ++k) {
            const double v = Vlow * std::exp(step * k);
            volume(v);
            errorflag = 0;
            calculate_pressure();
            const double fv = errorflag ? std::nan("") : P - P_bar * 1e5;
            if (std::isfinite(fv) && std::isfinite(fprev) && (fv > 0.0) != (fprev > 0.0) &&
                pressureRootInBracket(T_, P_bar, Vprev, v, V_, G_))
                keep(V_, G_);
            temperature(T_);
            Vprev = v;
            fprev = fv;
        }
    }
    PhaseRoots r;
    for (const PhaseRoot& root : found) {
        if (!r.liquid.found || root.V < r.liquid.V) r.liquid = root;
        if (!r.vapour.found || root.V > r.vapour.V) r.vapour = root;
    }
    if (r.liquid.found && sameRoot(r.liquid.V, r.vapour.V)) r.vapour.found = false;  // one root
    errorflag = found.empty() ? 1 : 0;
    return r;
}

int FluidPhase::namePhase(const PhaseRoots& r, double V_, double P_bar) {
    if (r.liquid.found && r.vapour.found)
        return std::fabs(V_ - r.liquid.V) < std::fabs(V_ - r.vapour.V) ? kPhaseLiquid : kPhaseVapour;
    // A single root: named from the critical point's temperature, volume and
    // pressure (the start of its search, which the model sets close to it).
    if (!(critical_T > 0.0) || !(critical_V > 0.0)) return kPhaseFluid;
    if (T < critical_T) return V_ < critical_V ? kPhaseLiquid : kPhaseVapour;
    const double T_ = T;
    temperature(critical_T);
    volume(critical_V);
    calculate_pressure();
    const double Pc = P;
    temperature(T_);
    pressure(P_bar);
    return P_bar * 1e5 >= Pc ? kPhaseSupercritical : kPhaseVapour;
}

const char* FluidPhase::phaseName(int phase) {
    switch (phase) {
    case kPhaseVapour: return "vapour";
    case kPhaseLiquid: return "liquid";
    case kPhaseSupercritical: return "supercritical fluid";
    case kPhaseFluid: return "fluid";
    default: return "no phase";
    }
}

FluidPhase::StableState FluidPhase::calculateStableStateFromTP(double T_, double P_bar) {
    StableState s;
    const PhaseRoots r = pressureRootsFromTP(T_, P_bar);
    if (!r.liquid.found && !r.vapour.found) {
        errorflag = 1;
        return s;
    }
    const PhaseRoot* best = r.liquid.found ? &r.liquid : &r.vapour;
    const PhaseRoot* other = nullptr;
    if (r.liquid.found && r.vapour.found) {
        other = &r.vapour;
        if (r.vapour.G < r.liquid.G) std::swap(best, other);
    }
    s.phase = namePhase(r, best->V, P_bar);
    if (other) {
        s.otherPhase = namePhase(r, other->V, P_bar);
        s.otherV = other->V;
    }
    setStateFromTPV(T_, P_bar, best->V);
    return s;
}

FluidPhase::StableState FluidPhase::assessStateAtTP(double T_, double P_bar) {
    StableState s;
    const double V_ = V, G_ = rootGibbsEnergy();
    const PhaseRoots r = pressureRootsFromTP(T_, P_bar);
    s.phase = namePhase(r, V_, P_bar);
    if (r.liquid.found && r.vapour.found) {
        const PhaseRoot& other = s.phase == kPhaseLiquid ? r.vapour : r.liquid;
        s.otherPhase = s.phase == kPhaseLiquid ? kPhaseVapour : kPhaseLiquid;
        s.otherV = other.V;
        s.metastable = other.G < G_ - 1e-12 * std::fabs(G_);
    }
    setStateFromTPV(T_, P_bar, V_);
    return s;
}
