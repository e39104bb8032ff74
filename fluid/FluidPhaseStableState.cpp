// The stable state of a pure fluid from T and P: the volume searches of the
// liquid and of the vapour kind each find a root of P(T, V) = P when there is
// one; at a temperature and pressure where both exist, the root of lower
// Gibbs energy is the stable phase and the other is metastable (a superheated
// liquid or a subcooled vapour).  The phase kinds of the volume search keep
// their meaning: these functions only add the comparison.
//
// A pure fluid below its critical temperature needs no search of every root:
// the model's own saturation pressure at T tells the side (liquid above it,
// vapour below), and only close to it, where the Gibbs energies of the two
// roots differ by (V_l - V_v)(P - psat), are both compared.  Above the
// critical temperature an isotherm has one root.  The scan of the whole
// isotherm remains for mixtures and for whatever these steps cannot decide.
//
// A cubic gives its roots in closed form (closedFormRoots): the stable state
// is the root of lower Gibbs energy among them, with no saturation solve,
// and a cubic built of terms gives its residual Helmholtz energy there in
// closed form too (closedFormResidualTerms), with no evaluation of its
// trees; a cubic mixture's roots too (closedFormMixtureRoots), with no scan
// of its roots, and a term-built cubic mixture's residual terms with their
// composition derivatives (closedFormMixtureTerms).
// Other models without saturation expansions take the saturation state
// close below their critical temperature from the laws of the approach to
// it (where the loop is too shallow to solve the equilibrium), start its
// solve from them a little further down, and keep the last one solved for
// its temperature.
#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "fluid/ClosedFormMixture.h"
#include "fluid/FluidPhase.h"
#include "fluid/Ideal.h"
#include "fluid/IsothermWalks.h"
#include "fluid/KeptFields.h"
#include "fluid/PhaseTerms.h"
#include "fluid/PressureRootSearch.h"
#include "fluid/PressureRootsHold.h"
#include "fluid/SaturationExpansion.h"
#include "platform/LogSink.h"

using phase_terms::sumOverTerms;
using namespace root_search;

int FluidPhase::namePhase(const PhaseRoots& r, double V_, double P_bar) {
    if (r.liquid.found && r.vapour.found)
        return std::fabs(V_ - r.liquid.V) < std::fabs(V_ - r.vapour.V) ? kPhaseLiquid : kPhaseVapour;
    return singleRootPhase(V_, P_bar);
}

int FluidPhase::singleRootPhase(double V_, double P_bar) {
    // Named from a pure fluid's own critical point; from the start of its
    // search (which the model sets close to it) when none is found there,
    // and in a mixture.
    double Tc = 0.0, Pc = 0.0, Vc = 0.0;
    const double T_ = T;
    if (component_count == 1 && modelCriticalPoint(Tc, Pc)) {
        Vc = keptCritical_.V;
    } else if (critical_T > 0.0 && critical_V > 0.0) {
        Tc = critical_T;
        Vc = critical_V;
        if (T_ >= Tc) {
            temperature(critical_T);
            volume(critical_V);
            calculate_pressure();
            Pc = P;
            temperature(T_);
            pressure(P_bar);
        }
    } else {
        return kPhaseFluid;
    }
    if (T_ < Tc) return V_ < Vc ? kPhaseLiquid : kPhaseVapour;
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

bool FluidPhase::withDiluteGasRoot(double T_, double P_bar, PhaseRoots& r) {
    // Where the model's gas at R T / P, thousands of times the best root's
    // volume, is nearly ideal (Z within 1 % of 1), a vapour root lies there
    // with sum x ln phi within about as much of 0: a root found of higher
    // Gibbs energy is no stable state.  The searches of the branches may miss
    // it at low pressures: it is found from R T / P.  False where it is not
    // found, or the model cannot be evaluated that far out.
    const PhaseRoot& best = r.vapour.found && r.vapour.G < r.liquid.G ? r.vapour : r.liquid;
    const double Vig = R * T_ / (P_bar * 1e5);
    if (!(best.G > 0.05 * R * T_) || !(Vig > 1e3 * best.V)) return true;
    errorflag = 0;
    temperature(T_);
    volume(Vig);
    calculate_fixed_parameters();
    calculate_pressure();
    if (errorflag || !std::isfinite(Z)) return false;
    if (!(std::fabs(Z - 1.0) < 0.01)) return true;  // no dilute gas there: the roots found stand
    pressure(P_bar);
    calculateMolarVolumeFrom(Vig);
    double V_ = 0.0, G_ = 0.0;
    if (errorflag || !acceptRoot(*this, P_bar, V_, G_) || !(G_ < best.G) || !(V_ > best.V)) return false;
    if (r.vapour.found) r.liquid = best;  // the denser root stays as the other one
    r.vapour = PhaseRoot{true, V_, G_};
    errorflag = 0;
    return true;
}

FluidPhase::StableState FluidPhase::stableStateFromRoots(PhaseRoots r, double T_, double P_bar) {
    StableState s;
    if (!r.liquid.found && !r.vapour.found) {
        errorflag = 1;
        return s;
    }
    if (!withDiluteGasRoot(T_, P_bar, r)) {
        platform::diagf("No state of the %s found at %g K and %g bar: the root found, at %g cm3/mol, lies above "
                        "the ideal gas in Gibbs energy, and the model's vapour there, nearly the ideal gas at %g "
                        "m3/mol, is not found.\n",
                        component_count == 1 ? "fluid" : "mixture", T_, P_bar,
                        (r.liquid.found ? r.liquid.V : r.vapour.V) * 1e6, R * T_ / (P_bar * 1e5));
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

bool FluidPhase::saturationByExpansion(double T_, double& psat_Pa, double& Vl, double& Vv) {
    // A shifted or capillary system is not the plain fluid's coexistence.
    return T_shift == 0.0 && P_shift == 0.0 && capillary_mode == 0 && useSaturationExpansion &&
           saturationFromExpansion(T_, psat_Pa, Vl, Vv);
}

bool FluidPhase::saturationNearCritical(double T_, double& psat_Pa, double& Vl, double& Vv) {
    // Within 1e-4 K of the critical temperature, where the expansions end
    // and the equilibrium itself can no longer be solved to rounding (the
    // isotherm's loop is a few pascals deep), the saturation state from the
    // top of the expansions (T0, P0, rho_l0, rho_v0) and the critical point
    // by the laws of the approach to it of an analytic equation of state:
    // ln psat linear in T, the densities rho_c +- a (Tc - T)^(1/2).  It
    // tells the side of psat (off by parts in 1e8 of psat, far inside the
    // band where both roots are compared) and the start of each side's
    // search: the roots are the model's own.
    if (T_shift != 0.0 || P_shift != 0.0 || capillary_mode != 0 || !useSaturationExpansion) return false;
    const SaturationExpansion* e = saturationExpansion();
    double Tc = 0.0, Pc = 0.0, P0 = 0.0, Vl0 = 0.0, Vv0 = 0.0;
    if (!e || e->empty() || !(T_ > e->Tmax) || !modelCriticalPoint(Tc, Pc) || !(T_ < Tc) || !(Tc > e->Tmax) ||
        !e->evaluate(e->Tmax, P0, Vl0, Vv0))
        return false;
    const double s = (Tc - T_) / (Tc - e->Tmax), root = std::sqrt(s), rhoc = 1.0 / keptCritical_.V;
    psat_Pa = Pc * std::pow(P0 / Pc, s);
    Vl = 1.0 / (rhoc + (1.0 / Vl0 - rhoc) * root);
    Vv = 1.0 / (rhoc + (1.0 / Vv0 - rhoc) * root);
    return psat_Pa > 0.0 && std::isfinite(psat_Pa) && Vl > 0.0 && Vv > Vl && std::isfinite(Vv);
}

bool FluidPhase::saturationOfThePlainFluid(double T_, double& psat_Pa, double& Vl, double& Vv) {
    return saturationByExpansion(T_, psat_Pa, Vl, Vv) || saturationNearCritical(T_, psat_Pa, Vl, Vv);
}

bool FluidPhase::saturationForStablePhase(double T_, double& psat_Pa, double& Vl, double& Vv) {
    if (T_shift != 0.0 || P_shift != 0.0 || capillary_mode != 0) return false;
    // The expansions of the model's own saturation curve, where it has them.
    if (saturationOfThePlainFluid(T_, psat_Pa, Vl, Vv)) return true;
    constexpr double kReach = 1e-5;  // of Tc below it
    if (usePureFluidShortcuts && saturationApproachingCritical(T_, psat_Pa, Vl, Vv, kReach)) return true;
    KeptSaturation& k = keptSaturation_;
    if (!(usePureFluidShortcuts && k.kept && k.T == T_ && k.revision == parameterRevision() && k.x == x)) {
        const KeptFields kept(*this);
        k = KeptSaturation{};
        k.found = (usePureFluidShortcuts && saturationFromCriticalApproach(T_)) || saturationStateAt(T_);
        k.psat = Pv_sat;
        k.Vl = Vl_sat;
        k.Vv = Vv_sat;
        k.kept = true;
        k.T = T_;
        k.revision = parameterRevision();
        k.x = x;
    }
    psat_Pa = k.psat;
    Vl = k.Vl;
    Vv = k.Vv;
    return k.found && psat_Pa > 0.0 && std::isfinite(psat_Pa) && Vl > 0.0 && Vv > Vl && std::isfinite(Vv);
}

// Whether P (Pa) lies beyond the pressures of the isotherm's loop at T_,
// within 1e-5 below the critical temperature where the approach gives
// it: between the spinodals the loop spans psat -+ (2/3) |P_TV t| v_s,
// v_s = (-2 P_TV t / P_VVV)^(1/2); beyond ten times that distance from
// psat the isotherm has no metastable root.  False elsewhere.
bool FluidPhase::beyondCriticalLoop(double T_, double P_Pa) {
    constexpr double kReach = 1e-5, kMargin = 10.0;
    double psat = 0.0, Vl = 0.0, Vv = 0.0;
    if (!usePureFluidShortcuts || !saturationApproachingCritical(T_, psat, Vl, Vv, kReach)) return false;
    const double t = keptCritical_.T - T_, vs = 0.5 * (Vv - Vl) / std::sqrt(3.0);
    return std::fabs(P_Pa - psat) > kMargin * (2.0 / 3.0) * std::fabs(keptCritical_.dPdTdV) * t * vs;
}

bool FluidPhase::saturationFromCriticalApproach(double T_) {
    // Within a relative 2e-2 below the critical temperature the laws of the
    // approach give the saturated volumes to a few percent of their
    // distance from the critical volume: the equilibrium's Newton search
    // from them, where the model's own starts fail.
    constexpr double kStartReach = 2e-2;
    double psat = 0.0, Vl = 0.0, Vv = 0.0;
    if (!saturationApproachingCritical(T_, psat, Vl, Vv, kStartReach)) return false;
    major_component = static_cast<short>(getMajorComponentIndex());
    Vl0 = Vl;
    Vv0 = Vv;
    temperature(T_);
    calculate_saturation_pressure();
    return errorflag == 0 && Vl_sat > 0.0 && Vv_sat > Vl_sat;
}

// Close below the model's own critical temperature (within a relative
// `reach`) of a model without saturation expansions: psat and the saturated
// volumes by the laws of the approach to the critical point of an
// analytic equation of state, from the model's derivatives there,
//     P = Pc + P_T t + P_TV t v + P_VVV v^3 / 6   (t = T - Tc, v = V - Vc),
// whose loop the equal areas cut at psat = Pc + P_T t, the saturated
// volumes at v = -+ (6 P_TV t / P_VVV)^(1/2); false elsewhere.  Off psat by
// parts in 1e9, it tells the side of psat and the starts of the sides'
// searches (the roots are the model's own), where the loop is too
// shallow for the equilibrium to be solved (within 1e-5 of Tc).
bool FluidPhase::saturationApproachingCritical(double T_, double& psat_Pa, double& Vl, double& Vv, double reach) {
    double Tc = 0.0, Pc = 0.0;
    if (component_count != 1 || saturationExpansion() || !modelCriticalPoint(Tc, Pc) || !(T_ < Tc) ||
        !(Tc - T_ <= reach * Tc))
        return false;
    KeptCriticalPoint& c = keptCritical_;
    if (!c.approach) {
        const KeptFields kept(*this);
        c.approach = true;
        errorflag = 0;
        temperature(c.T);
        volume(c.V);
        calculate_critical_parameters_of_pure_fluid();
        // P_T = -A_TV, P_TV = -A_TVV, P_VVV = -A_VVVV.
        const double PTV = -d3AdTdV2, PVVV = -d4AdV4;
        c.dPdT = -d2AdTdV;
        c.dPdTdV = PTV;
        c.spread = errorflag == 0 && PTV < 0.0 && PVVV < 0.0 && std::isfinite(c.dPdT) ? std::sqrt(6.0 * PTV / PVVV)
                                                                                       : std::nan("");
        errorflag = 0;
    }
    if (!std::isfinite(c.spread)) return false;
    const double dV = c.spread * std::sqrt(Tc - T_);
    psat_Pa = Pc - c.dPdT * (Tc - T_);
    Vl = c.V - dV;
    Vv = c.V + dV;
    return psat_Pa > 0.0 && std::isfinite(psat_Pa) && Vl > 0.0 && Vv > Vl;
}

namespace {

// The model's critical point is searched in T and V, and a volume search
// holds its terms' trees at its temperature (only their V dependence is
// evaluated again): asked for first inside one (which root of a kind's
// branch, near Tc), the point is searched with the hold lifted and the hold
// taken up again after it, so that the point kept does not depend on where
// it was first asked for.
class VolumeSearchLifted {
public:
    explicit VolumeSearchLifted(FluidPhase& p) : p_(p) {
        for (Interaction* t : p_.interactions) lifted_ = lifted_ || (t && t->inVolumeSearch());
        if (!lifted_) return;
        for (Interaction* t : p_.interactions)
            if (t) t->endVolumeSearch();
        if (p_.ideal) p_.ideal->endVolumeSearch();
    }
    ~VolumeSearchLifted() {
        if (!lifted_) return;
        for (Interaction* t : p_.interactions)
            if (t) t->beginVolumeSearch();
        if (p_.ideal) p_.ideal->beginVolumeSearch();
    }
    VolumeSearchLifted(const VolumeSearchLifted&) = delete;
    VolumeSearchLifted& operator=(const VolumeSearchLifted&) = delete;

private:
    FluidPhase& p_;
    bool lifted_ = false;
};

}  // namespace

bool FluidPhase::keptModelCriticalPoint() {
    if (!(critical_T > 0.0) || !(critical_V > 0.0) || !std::isfinite(critical_T) || !std::isfinite(critical_V))
        return false;
    KeptCriticalPoint& k = keptCritical_;
    // Valid while the model is the one it was searched on: no evaluation
    // of the model is needed to tell.
    if (k.searched && k.startT == critical_T && k.startV == critical_V && k.revision == parameterRevision() &&
        k.x == x)
        return k.found;
    const VolumeSearchLifted lifted(*this);
    const KeptFields kept(*this);
    k = KeptCriticalPoint{};
    k.searched = true;
    k.startT = critical_T;
    k.startV = critical_V;
    k.revision = parameterRevision();
    k.x = x;
    k.found = criticalConditionsFrom(critical_T, critical_V, false) && T > 0.0 && std::isfinite(T) && P > 0.0 &&
              std::isfinite(P);
    k.T = T;
    k.P = P;
    k.V = V;
    return k.found;
}

bool FluidPhase::modelCriticalPoint(double& Tc, double& Pc, double* Vc) {
    if (!keptModelCriticalPoint()) return false;
    Tc = keptCritical_.T;
    Pc = keptCritical_.P;
    if (Vc) *Vc = keptCritical_.V;
    return true;
}

// The root of the liquid or the vapour side of psat (Pa) at (T_, P_bar),
// the model left in it: searched from the side's saturated volume, else
// by the search of the side's phase kind; false when neither finds a
// root beyond the saturated volume (nearSaturation: nearer the side's
// saturated volume than the other's, a metastable root included).
bool FluidPhase::rootFromSaturatedVolume(double T_, double P_bar, bool liquid, double Vl, double Vv,
                                         double psat, bool nearSaturation) {
    // Newton from the saturated volume of the root's side: a compressed
    // liquid lies on the isotherm's liquid branch denser than the saturated
    // liquid, a superheated vapour on its vapour branch lighter than the
    // saturated vapour, and neither branch turns beyond its saturated volume,
    // so that a mechanically stable root there is the branch's root without a
    // walk along it (near psat the metastable root lies a step short of the
    // saturated volume, on the same branch).  The vapour starts from the
    // compressibility factor linear in P between the ideal gas and the
    // saturated vapour (a second virial coefficient's law), the liquid from
    // the saturated liquid.
    const double Pt = P_bar * 1e5;
    const double start = liquid ? Vl : vapourOnChord(T_, Pt, psat, Vv);
    temperature(T_);
    pressure(P_bar);
    rootBeforeItsState(start);
    return !errorflag && std::isfinite(V) && V > 0.0 && dPdV < 0.0 && onSideOf(V, liquid, Vl, Vv, nearSaturation);
}

bool FluidPhase::sideRootInBracket(double T_, double P_bar, bool liquid, double Vl, double Vv) {
    // Beyond its saturated volume a side's branch is monotonic (the
    // pressure rises from psat as the liquid is compressed, falls from it
    // as the vapour expands): from the saturated volume outwards in steps
    // of a factor 2 in V (the liquid down to its co-volume, the vapour up to
    // ten times the ideal-gas volume) to where P(V) - P changes sign.  The
    // liquid's steps end just above the co-volume, where the model still
    // gives a pressure (at the co-volume itself it gives none).  A step
    // whose pressure does not move on (rise for the liquid, fall for the
    // vapour), or where the model gives none, has passed the end of the
    // branch, where an equation turns over far beyond its range (IUPAC
    // methane near 7 kbar, at 2.76e-5 m3/mol): it is halved (in ln V).
    const double Pt = P_bar * 1e5, Vlow = std::fmax(1.001 * coVolume(), 1e-7), Vhigh = 10.0 * R * T_ / Pt;
    temperature(T_);
    auto pressureAt = [&](double v, double& p) {
        volume(v);
        errorflag = 0;
        calculate_pressure();
        p = P;
        return !errorflag && std::isfinite(P);
    };
    constexpr int kHalvings = 40;
    double a = liquid ? Vl : Vv, c = a, Pa = 0.0, Pc = 0.0;
    bool b = false;
    // At the saturated volume P lies on the other side of P(V): none
    // beyond it otherwise.
    if (!pressureAt(a, Pa) || (Pa < Pt) != liquid) return false;
    bool plainStep = true;  // the last step a factor 2
    for (int k = 0; k < 64; ++k) {
        c = liquid ? std::fmax(0.5 * a, Vlow) : std::fmin(2.0 * a, Vhigh);
        plainStep = c == (liquid ? 0.5 * a : 2.0 * a);
        bool on = false;
        for (int h = 0; h < kHalvings && !on; ++h) {
            on = pressureAt(c, Pc) && (liquid ? Pc > Pa : Pc < Pa);
            if (!on) {
                c = std::sqrt(a * c);
                plainStep = false;
            }
        }
        if (!on) return false;
        b = Pc < Pt;
        if (b != liquid) break;  // past P: the liquid above it, the vapour below
        if (c == (liquid ? Vlow : Vhigh)) return false;
        a = c;
        Pa = Pc;
    }
    if (b == liquid) return false;
    // Newton from the outer end, else bisection.  The outer end of the
    // liquid's bracket lies on the convex part of the isotherm (denser than
    // the critical density, where P - Pc goes as the cube of the density's
    // excess), from which Newton's steps approach the root from one side.
    // An outer end moved by the co-volume or by the end of the branch may
    // lie where the isotherm turns, and Newton starts from the volume where
    // the chord between the bracket's ends crosses P instead.
    const double lo = std::fmin(a, c), hi = std::fmax(a, c);
    double V_ = 0.0, G_ = 0.0;
    pressure(P_bar);
    rootBeforeItsState(plainStep ? c : a + (Pt - Pa) * (c - a) / (Pc - Pa));
    if (!errorflag && V >= lo && V <= hi && acceptRoot(*this, P_bar, V_, G_)) return true;
    return pressureRootInBracket(T_, P_bar, lo, hi, V_, G_) && !errorflag;
}

bool FluidPhase::sideRoot(double T_, double P_bar, bool liquid, double Vl, double Vv, double psat,
                          bool nearSaturation) {
    if (rootFromSaturatedVolume(T_, P_bar, liquid, Vl, Vv, psat, nearSaturation)) return true;
    // So close to the critical point that the loop of the isotherm is
    // shallower than the solvers' tolerance on P, the Newton steps from the
    // saturated volumes, where the isotherm is flat, overshoot: the root
    // beyond the saturated volume is bracketed instead, and there is no
    // metastable root to walk to.  So is a compressed liquid's far from
    // psat (CO2 and CH4 near Tc at a kilobar, where Newton's first step from
    // the flat isotherm at the saturated liquid lands below the co-volume).
    if (Vv < kShallowLoop * Vl) return sideRootInBracket(T_, P_bar, liquid, Vl, Vv);
    if (liquid && !nearSaturation && sideRootInBracket(T_, P_bar, liquid, Vl, Vv)) return true;
    // Else the search of the side's phase kind, walking its branch.
    double V_ = 0.0, G_ = 0.0;
    return pressureRootFromTP(liquid ? 2 : 1, T_, P_bar, V_, G_) && onSideOf(V_, liquid, Vl, Vv, nearSaturation);
}

bool FluidPhase::stableStateBelowCritical(double T_, double P_bar, bool withOtherRoot, double psat, double Vl,
                                          double Vv, StableState& s) {
    const double Pt = P_bar * 1e5;
    double V_ = 0.0, G_ = 0.0, Vo = 0.0, Go = 0.0;
    if (std::fabs(Pt - psat) <= kSaturationBand * psat) {
        // Both roots, each nearer its own saturated volume (in ln V) than
        // the other's; the one of lower Gibbs energy is the stable phase.
        // The side of psat tells which one that is but for the saturation
        // pressure's own error: the other root is found first and only its
        // Gibbs energy taken, then the expected one with its whole state.
        // Close to the critical point a spinodal lies within the band: the
        // metastable root has ended there and the one root left, on either
        // side, is the state (named by its side, not by a volume of the
        // critical point's start).
        const bool expectLiquid = Pt > psat;
        double Ve = 0.0, Ge = 0.0;
        const bool otherFound = sideRoot(T_, P_bar, !expectLiquid, Vl, Vv, psat, true);
        Vo = V;
        Go = otherFound ? rootGibbsEnergy(Pt) : std::nan("");
        if (otherFound && (errorflag || !std::isfinite(Go))) return false;
        if (!sideRoot(T_, P_bar, expectLiquid, Vl, Vv, psat, true) || !acceptRoot(*this, P_bar, Ve, Ge)) {
            if (!otherFound) return false;
            setStateFromTPV(T_, P_bar, Vo);
            s.phase = expectLiquid ? kPhaseVapour : kPhaseLiquid;
            return true;
        }
        if (!otherFound) {
            s.phase = expectLiquid ? kPhaseLiquid : kPhaseVapour;
            return true;  // the model is in the expected root, fugacities included
        }
        const double Vliq = expectLiquid ? Ve : Vo, Vvap = expectLiquid ? Vo : Ve;
        const double Gliq = expectLiquid ? Ge : Go, Gvap = expectLiquid ? Go : Ge;
        const bool liquid = !(Gvap < Gliq);
        s.phase = liquid ? kPhaseLiquid : kPhaseVapour;
        s.otherPhase = liquid ? kPhaseVapour : kPhaseLiquid;
        s.otherV = liquid ? Vvap : Vliq;
        // The model is in the expected root's state, fugacities included.
        if (liquid != expectLiquid) setStateFromTPV(T_, P_bar, liquid ? Vliq : Vvap);
        return true;
    }
    // Compressed liquid above the saturation pressure, superheated vapour
    // below it: the root of that side.
    const bool liquid = Pt > psat;
    if (!sideRoot(T_, P_bar, liquid, Vl, Vv, psat, false) || !acceptRoot(*this, P_bar, V_, G_)) return false;
    s.phase = liquid ? kPhaseLiquid : kPhaseVapour;
    if (!withOtherRoot) return true;  // the model is in the root, fugacities included
    // Close to the critical point the loop may not reach P: no other root.
    if (!beyondCriticalLoop(T_, Pt) && metastableRoot(T_, P_bar, liquid ? Vv : Vl, liquid, Vl, Vv, Vo)) {
        s.otherPhase = liquid ? kPhaseVapour : kPhaseLiquid;
        s.otherV = Vo;
    }
    setStateFromTPV(T_, P_bar, V_);
    return true;
}

bool FluidPhase::metastableRoot(double T_, double P_bar, double start, bool vapour, double Vl, double Vv,
                                double& V_) {
    // The metastable root lies between the saturated volumes, on the branch
    // of its side (a subcooled vapour between its spinodal and the saturated
    // vapour, a superheated liquid between the saturated liquid and its
    // spinodal), the one root there that is mechanically stable: searched
    // from the saturated volume of that branch.
    auto onItsBranch = [&](double v) {
        const bool between = vapour ? v > Vl * (1.0 + kBeyondSaturation) && v <= Vv * (1.0 + kBeyondSaturation)
                                    : v >= Vl * (1.0 - kBeyondSaturation) && v < Vv * (1.0 - kBeyondSaturation);
        return between && rootOnABranch(T_, P_bar, v);
    };
    // A search from the saturated volume, else the walk from it along the
    // branch, in steps of 1 % in V, to where P - P(V) changes sign (then
    // bisected, as the scan does) or to where the pressure turns within a
    // step of 1e-5 (the spinodal: no metastable root).  The walk is taken
    // first: where it ends at the spinodal the branch has no root, and the
    // search is not needed.
    //
    // The walk first strides kStride of its steps at a time while the
    // pressure keeps rising towards the pressure asked for (falling, for
    // the liquid), and takes its single steps from one stride before the
    // first that does not: where the pressure along the branch turns once
    // (at the spinodal) the single steps are those of a walk from the
    // saturated volume, the same volumes (each the one before times the
    // step) and the same verdict.
    double G_ = 0.0, a = start, b = start;
    if (!crossingOnBranch(T_, P_bar, vapour, a, b)) {
        errorflag = 0;
        return false;
    }
    temperature(T_);
    pressure(P_bar);
    rootBeforeItsState(start);
    if (!errorflag && std::isfinite(V) && V > 0.0 && acceptRoot(*this, P_bar, V_, G_) && onItsBranch(V_)) return true;
    return pressureRootInBracket(T_, P_bar, std::fmin(a, b), std::fmax(a, b), V_, G_) && onItsBranch(V_);
}

bool FluidPhase::crossingOnBranch(double T_, double P_bar, bool vapour, double& a, double& b) {
    const double Pt = P_bar * 1e5;
    double factor = vapour ? 1.0 / kBranchStep : kBranchStep;
    temperature(T_);
    auto pressureAt = [&](double v, double& p) {
        volume(v);
        errorflag = 0;
        calculate_pressure();
        p = P;
        return !errorflag && std::isfinite(p);
    };
    auto towardsPt = [&](double p, double from) { return vapour ? p > from && !(p > Pt) : p < from && !(p < Pt); };
    double Pa = vapour ? -HUGE_VAL : HUGE_VAL;
    int k = 0;
    {
        double c = a, Pc = Pa;
        for (int kc = 0; kc + kStride < kBranchSteps; kc += kStride) {
            double v = c, Pv = 0.0;
            for (int i = 0; i < kStride; ++i) v *= factor;
            if (!pressureAt(v, Pv) || !towardsPt(Pv, Pc)) break;
            a = c;
            Pa = Pc;
            k = kc;
            c = v;
            Pc = Pv;
        }
    }
    for (; k < kBranchSteps; ++k) {
        b = a * factor;
        double Pb = 0.0;
        if (!pressureAt(b, Pb)) break;
        if (vapour ? !(Pb > Pa) : !(Pb < Pa)) {
            // Past the turn of the pressure: close to the critical point the
            // branch is short, and is walked again from a in smaller steps.
            if (std::fabs(std::log(factor)) < kFinestBranchStep) break;
            factor = std::sqrt(factor);
            continue;
        }
        if (vapour ? Pb > Pt : Pb < Pt) return true;
        a = b;
        Pa = Pb;
    }
    return false;
}

bool FluidPhase::denseRootAboveCritical(double T_, double P_bar) {
    // The one root of a supercritical isotherm above the critical pressure,
    // searched from the volume of the virial equation truncated after its
    // second coefficient, V = R T / P + B(T), but no smaller than half the
    // critical volume (where the truncated series fails, far above Pc):
    // nearer the root than the critical volume the dense kind's search
    // starts from (nitrogen from 1.1 to 2 Tc and Pc to 1 kbar: 6.7 Newton
    // steps instead of 10.1; water 5.8 instead of 9.1).  B = (Z - 1) V at a
    // volume a thousand times that of the ideal gas at 1 bar.
    if (!(keptCritical_.V > 0.0)) return false;
    temperature(T_);
    pressure(P_bar);
    calculate_fixed_parameters();
    const double start = secondVirialVolume(0.5 * keptCritical_.V);
    if (!std::isfinite(start)) return false;
    rootBeforeItsState(start);
    double V_ = 0.0, G_ = 0.0;
    return !errorflag && std::isfinite(V) && V > 0.0 && acceptRoot(*this, P_bar, V_, G_);
}

double FluidPhase::secondVirialVolume(double Vfloor) {
    // At the T and P (Pa) the model holds, its fixed parameters set.
    double f = 0.0, dfdV = 0.0;
    error = 0;
    equationForCalculating_V_FromTP(1e3 * R * T / 1e5, f, dfdV);
    const double B = (Z - 1.0) * V;
    const bool failed = error != 0 || !std::isfinite(B);
    error = 0;
    return failed ? std::nan("") : std::fmax(R * T / P + B, Vfloor);
}

bool FluidPhase::stableStateAboveCritical(double T_, double P_bar, double Pc, StableState& s) {
    // One root: the search of the dense kind above the critical pressure
    // (from the virial start first), of the vapour kind below it, or else a
    // coarse scan.
    std::vector<PhaseRoot> found;
    double V_ = 0.0, G_ = 0.0;
    const bool dense = P_bar * 1e5 >= Pc;
    if ((dense && denseRootAboveCritical(T_, P_bar)) || pressureRootFromTP(dense ? 2 : 1, T_, P_bar, V_, G_)) {
        // Above the model's own critical temperature: supercritical at or
        // above its critical pressure, a vapour below.  The model is in the
        // root, fugacities included.
        s.phase = dense ? kPhaseSupercritical : kPhaseVapour;
        return true;
    }
    scanPressureRoots(T_, P_bar, kCoarseScanSteps, found);
    if (found.empty()) return false;
    s = stableStateFromRoots(rootsOf(found), T_, P_bar);
    return s.phase != kPhaseNone && errorflag == 0;
}

// A cubic's mechanically stable roots at T (K) and P (bar) for its one
// component, in closed form, ascending in volume into `roots` (two where the
// isotherm has a loop that spans P, the liquid and the vapour; else one):
// their number, 0 where the model cannot give them (no data, no root), -1
// where it has no closed form.  The stable state of a pure fluid takes the
// root of lower Gibbs energy from them, with no saturation solve or scan of
// the isotherm.
int FluidPhase::closedFormRoots(double, double, ClosedFormRoot[2]) { return -1; }
// The residual terms of a pure fluid at T (K) and V (m3/mol) in closed form,
// in the order of its terms, into `terms` (one for each term): their number,
// 0 where the model has no closed form of them (its terms are then
// evaluated).  The stable state of a pure fluid from its closed-form roots
// takes its state functions from them and from the ideal-gas part.
int FluidPhase::closedFormResidualTerms(double, double, TermInClosedForm[2]) { return 0; }

bool FluidPhase::stableStateFromClosedForm(double T_, double P_bar, bool withOtherRoot, StableState& s) {
    // A shifted or capillary system is not the plain fluid's isotherm.
    if (!usePureFluidShortcuts || T_shift != 0.0 || P_shift != 0.0 || capillary_mode != 0) return false;
    ClosedFormRoot r[2];
    const int n = closedFormRoots(T_, P_bar, r);
    if (n < 1 || n > 2) return false;
    double Tc = 0.0, Pc = 0.0;
    const bool below = modelCriticalPoint(Tc, Pc) && T_ < Tc;
    // Of a liquid and a vapour root the one of lower Gibbs energy, the
    // liquid where they tie, as the comparison of both roots near psat
    // takes it; above the model's critical temperature (a loop left by its
    // critical point's own error, within parts in 1e12 of it) one root.
    const bool two = n == 2 && below;
    const int best = n == 2 && r[1].lnPhi < r[0].lnPhi ? 1 : 0;
    // Named before the model is put in the root (the name of a single root
    // may evaluate the model at the start of its critical-point search).
    temperature(T_);
    const int phase = two ? (best == 0 ? kPhaseLiquid : kPhaseVapour) : singleRootPhase(r[best].V, P_bar);
    if (!setStateFromClosedFormTerms(T_, P_bar, r[best].V)) setStateFromTPV(T_, P_bar, r[best].V);
    if (errorflag || !(V > 0.0)) {
        errorflag = 0;
        return false;
    }
    s = StableState{};
    s.phase = phase;
    // The other root is named where it is asked for, and within the band of
    // the saturation pressure where the searches compare both roots: there
    // the Gibbs energies differ by (V_v - V_l)(P - psat).
    const double Pt = P_bar * 1e5, dG = R * T_ * std::fabs(r[1].lnPhi - r[0].lnPhi);
    if (two && (withOtherRoot || dG <= kSaturationBand * Pt * (r[1].V - r[0].V))) {
        s.otherPhase = best == 0 ? kPhaseVapour : kPhaseLiquid;
        s.otherV = r[1 - best].V;
    }
    return true;
}

// The root of lowest Gibbs energy at (T, P): the model is left in it with
// its state functions and fugacities; errorflag set when there is none.
// Below the model's critical temperature a pure fluid's stable phase is
// the liquid above its saturation pressure and the vapour below it: one
// volume search on that side, both roots and their Gibbs energies only
// within a relative 1e-4 of the saturation pressure; above it, one
// search.  Mixtures, models without a critical point or saturation state
// and any failure of these steps take every root of the isotherm
// (pressureRootsFromTP).  withOtherRoot also looks for the metastable
// root at (T, P) (otherPhase, otherV), at the cost of a second search.
// A cubic's pure fluid takes its closed-form roots instead
// (closedFormRoots), the other root among them.
FluidPhase::StableState FluidPhase::calculateStableStateFromTP(double T_, double P_bar, bool withOtherRoot) {
    // (A refusal met at many volumes of the isotherm is said once.)
    const platform::CallScope call;
    errorflag = 0;
    StableState s;
    bool found = false;
    if (component_count > 1 && stableStateAtPureEnd(T_, P_bar, withOtherRoot, s)) return s;
    if (component_count > 1 && closed_form_mixture::stableState(*this, T_, P_bar, s)) return s;
    if (component_count == 1 && T_ > 0.0 && std::isfinite(T_) && P_bar > 0.0 && std::isfinite(P_bar)) {
        if (stableStateFromClosedForm(T_, P_bar, withOtherRoot, s)) return s;
        double psat = 0.0, Vl = 0.0, Vv = 0.0, Tc = 0.0, Pc = 0.0;
        // The saturation expansions end just below the model's own critical
        // temperature: where they give the saturation state, T lies below it.
        if (saturationByExpansion(T_, psat, Vl, Vv))
            found = stableStateBelowCritical(T_, P_bar, withOtherRoot, psat, Vl, Vv, s);
        else if (modelCriticalPoint(Tc, Pc))
            found = T_ < Tc ? saturationForStablePhase(T_, psat, Vl, Vv) &&
                                  stableStateBelowCritical(T_, P_bar, withOtherRoot, psat, Vl, Vv, s)
                            : stableStateAboveCritical(T_, P_bar, Pc, s);
    }
    // A temperature and composition the terms refuse at every volume have
    // no root to search for.
    if (!found && component_count > 1 && termsRefuseEveryVolume(T_))
        errorflag = 1;
    else if (!found)
        s = stableStateFromRoots(pressureRootsFromTP(T_, P_bar), T_, P_bar);
    if (!errorflag) return s;
    // No state: nothing of it is given, whatever the search left of the
    // roots it tried or an earlier call left.
    T = T_;
    P = P_bar * 1e5;
    withholdState();
    return StableState{};
}

bool FluidPhase::stableStateAtPureEnd(double T_, double P_bar, bool withOtherRoot, StableState& s) {
    if (!(T_ > 0.0) || !std::isfinite(T_) || !(P_bar > 0.0) || !std::isfinite(P_bar)) return false;
    FluidPhase* end = pureEndFluid();
    if (!end) return false;
    StableState e;
    {
        // Where the fluid alone finds no state, the mixture's own search of
        // its roots says why.
        const platform::ThreadLogCapture quiet;
        end->errorflag = 0;
        e = end->calculateStableStateFromTP(T_, P_bar, withOtherRoot);
    }
    if (e.phase == kPhaseNone || end->errorflag || !(end->V > 0.0)) return false;
    // Named as the roots of the mixture's isotherm are: of two roots the
    // denser the liquid, one root by the mixture's own start (before the
    // model is put in the root: the name may evaluate it there).
    const double V_ = end->V;
    errorflag = 0;
    temperature(T_);
    s = StableState{};
    if (e.otherPhase != kPhaseNone) {
        s.phase = V_ < e.otherV ? kPhaseLiquid : kPhaseVapour;
        s.otherPhase = V_ < e.otherV ? kPhaseVapour : kPhaseLiquid;
        s.otherV = e.otherV;
    } else {
        s.phase = singleRootPhase(V_, P_bar);
    }
    setStateFromTPV(T_, P_bar, V_);
    if (!errorflag && stateIsFinite()) return true;
    errorflag = 0;
    s = StableState{};
    return false;
}

FluidPhase::StableState FluidPhase::assessStateAtTP(double T_, double P_bar) {
    StableState s;
    const double V_ = V, G_ = rootGibbsEnergy(P_bar * 1e5);
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
