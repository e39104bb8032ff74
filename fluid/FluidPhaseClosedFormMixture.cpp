// The stable state and a binary's trial phases from a mixture model's
// closed-form roots (ClosedFormMixture.h).
#include <cmath>

#include "fluid/ClosedFormMixture.h"

int FluidPhase::closedFormMixtureRoots(double, double, const double*, ClosedFormRoot[2], double*, bool) { return -1; }
double FluidPhase::closedFormMixturePressure(double, double, const double*) { return std::nan(""); }
// `sameT` as for closedFormMixtureRoots: no call at another temperature nor
// a change of the model's parameters since the model's last closed-form call.
bool FluidPhase::closedFormMixtureTerms(double, double, bool) { return false; }

bool FluidPhase::setStateFromClosedFormMixture(double T_, double P_bar, double V_, bool sameT) {
    if (component_count < 2 || !ideal || static_cast<int>(x.size()) != component_count) return false;
    errorflag = 0;
    temperature(T_);
    pressure(P_bar);
    volume(V_);
    calculate_fixed_parameters();
    if (termRefusesState() || belowCoVolume() || !closedFormMixtureTerms(T_, V_, sameT)) return false;
    // The residual terms hold their state functions and fugacity pass; the
    // ideal-gas part evaluated as the state functions evaluate it, the sums
    // over the terms taken in their order with the ideal part last, as
    // calculate_state_functions and calculate_fugacities take them.
    keepHoldValid();
    ideal->calculate_state_functions();
    if (ideal->termError) return false;
    TermInClosedForm sum;
    for (const Interaction* t : interactions)
        sum = {sum.a + t->A, sum.aT + t->AT, sum.aTT + t->ATT, sum.aV + t->Av, sum.aVV + t->Avv, sum.aTV + t->ATv};
    const Interaction& g = *ideal;
    sum = {sum.a + g.A, sum.aT + g.AT, sum.aTT + g.ATT, sum.aV + g.Av, sum.aVV + g.Avv, sum.aTV + g.ATv};
    Ideal* part = ideal->asIdealPart();
    stateFunctionsFromSums(sum, !part || part->hasData());
    if (errorflag) return false;
    fugacitiesFromTerms<0>(true);
    if (errorflag) return false;
    takeStateToPressure(P_bar);
    return true;
}

namespace closed_form_mixture {

namespace {

// Roots closer than this (relative) are the one root both searches of the
// model's isotherm find (as the stable state takes them).
constexpr double kSameRoot = 1e-6;

// Whether the phase's states are its plain isotherm's (no shifted or
// capillary system) and the shortcuts are on.
bool plainIsotherm(const FluidPhase& p, double T_, double P_bar) {
    return p.usePureFluidShortcuts && p.T_shift == 0.0 && p.P_shift == 0.0 && p.capillary_mode == 0 && T_ > 0.0 &&
           std::isfinite(T_) && P_bar > 0.0 && std::isfinite(P_bar);
}

// The phase of the one root V (m3/mol) at T (K) and P (bar), named as
// FluidPhase::singleRootPhase names a mixture's: by the side of the start
// of its critical-point search (critical_T, critical_V) below that
// temperature, else supercritical at or above the pressure there, which the
// closed form gives.
int singleRootPhase(FluidPhase& p, double T_, double P_bar, double V_) {
    if (!(p.critical_T > 0.0 && p.critical_V > 0.0)) return p.singleRootPhase(V_, P_bar);
    if (T_ < p.critical_T) return V_ < p.critical_V ? FluidPhase::kPhaseLiquid : FluidPhase::kPhaseVapour;
    const double Pc = p.closedFormMixturePressure(p.critical_T, p.critical_V, p.x.data());
    if (!std::isfinite(Pc)) return p.singleRootPhase(V_, P_bar);
    return P_bar * 1e5 >= Pc ? FluidPhase::kPhaseSupercritical : FluidPhase::kPhaseVapour;
}

}  // namespace

bool stableState(FluidPhase& p, double T_, double P_bar, FluidPhase::StableState& s) {
    const int nc = p.component_count;
    if (nc < 2 || static_cast<int>(p.x.size()) != nc || !plainIsotherm(p, T_, P_bar)) return false;
    for (double xi : p.x)
        if (!(xi > 0.0)) return false;  // (a pure end: the end's own searches)
    FluidPhase::ClosedFormRoot r[2];
    const int n = p.closedFormMixtureRoots(T_, P_bar, p.x.data(), r);
    if (n < 1 || n > 2) return false;
    const bool two = n == 2 && !(std::fabs(r[1].V - r[0].V) <= kSameRoot * r[1].V);
    const int best = two && r[1].lnPhi < r[0].lnPhi ? 1 : 0;
    // A best root far denser than the ideal gas yet above it in Gibbs energy
    // (G/RT = sum x ln phi above 0.05): the searches look for the dilute gas
    // beyond it.
    if (r[best].lnPhi > 0.05 && FluidPhase::R * T_ / (P_bar * 1e5) > 1e3 * r[best].V) return false;
    // Named before the model is put in the root (the name of a single root
    // may evaluate the model at the start of its critical-point search).
    p.errorflag = 0;
    p.temperature(T_);
    p.pressure(P_bar);
    const int phase = two ? (best == 0 ? FluidPhase::kPhaseLiquid : FluidPhase::kPhaseVapour)
                          : singleRootPhase(p, T_, P_bar, r[0].V);
    // (the roots just read the model's pairs at T)
    if (!p.setStateFromClosedFormMixture(T_, P_bar, r[best].V, true)) p.setStateFromTPV(T_, P_bar, r[best].V);
    if (p.errorflag || !(p.V > 0.0)) {
        p.errorflag = 0;
        return false;
    }
    s = FluidPhase::StableState{};
    s.phase = phase;
    if (two) {
        s.otherPhase = best == 0 ? FluidPhase::kPhaseVapour : FluidPhase::kPhaseLiquid;
        s.otherV = r[1 - best].V;
    }
    return true;
}

double BinaryRoots::distance(int k, double w1, double P_Pa, const double (&lnfRef)[2]) const {
    const double w[2] = {1.0 - w1, w1};
    return w[0] * (std::log(w[0] * P_Pa) + lnPhi[k][0] - lnfRef[0]) +
           w[1] * (std::log(w[1] * P_Pa) + lnPhi[k][1] - lnfRef[1]);
}

int BinaryRoots::lower(double w1, bool vapourOnTie) const {
    // (at one composition and P the roots' molar Gibbs energies differ by
    // R T sum_i w_i (ln phi_i(root) - ln phi_i(other)))
    if (n < 2) return 0;
    const double g0 = (1.0 - w1) * lnPhi[0][0] + w1 * lnPhi[0][1], g1 = (1.0 - w1) * lnPhi[1][0] + w1 * lnPhi[1][1];
    return g1 < g0 || (vapourOnTie && !(g0 < g1)) ? 1 : 0;
}

int binaryRoots(FluidPhase& p, double T_, double P_bar, double w1, BinaryRoots& r, bool sameT) {
    if (p.component_count != 2 || !(w1 > 0.0 && w1 < 1.0) || !plainIsotherm(p, T_, P_bar)) return -1;
    const double w[2] = {1.0 - w1, w1};
    FluidPhase::ClosedFormRoot roots[2];
    double lnPhi[4];
    const int n = p.closedFormMixtureRoots(T_, P_bar, w, roots, lnPhi, sameT);
    if (n < 1 || n > 2) return n < 0 ? -1 : 0;
    for (int k = 0; k < n; ++k) {
        r.V[k] = roots[k].V;
        r.lnPhi[k][0] = lnPhi[2 * k];
        r.lnPhi[k][1] = lnPhi[2 * k + 1];
        if (!(r.V[k] > 0.0) || !std::isfinite(r.lnPhi[k][0] + r.lnPhi[k][1])) return 0;
    }
    r.n = n;
    return n;
}

}  // namespace closed_form_mixture
