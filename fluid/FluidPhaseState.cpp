// State of a FluidPhase: temperature, volume and composition pushed into the
// terms; molar volume from T and P, temperature from V and P, pressure from T and V.
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "fluid/FluidPhase.h"
#include "fluid/PhaseTerms.h"
#include "fluid/SaturationAncillaries.h"
#include "numerics/NewtonRaphson.h"
#include "platform/LogSink.h"

namespace {

using phase_terms::sumOverTerms;

// Writes `value` into the field `field` (T or V) of every term, the ideal part
// included, and marks them not calculated.
void setInTerms(FluidPhase& p, double Interaction::*field, double value) {
    for (Interaction* t : p.interactions) {
        if (!t) continue;  // a slot the model has not filled yet
        t->*field = value;
        t->calculated = 0;
    }
    if (p.ideal) {
        p.ideal->*field = value;
        p.ideal->calculated = 0;
    }
}

}  // namespace

void FluidPhase::temperature(double T_) {
    T = T_;
    calculated = 0;
    setInTerms(*this, &Interaction::T, T_);
}

void FluidPhase::volume(double V_) {
    V = V_;
    calculated = 0;
    setInTerms(*this, &Interaction::V, V_);
}

void FluidPhase::composition_of_component(int i, double xi) {
    Phase::composition_of_component(i, xi);
    for (Interaction* t : interactions)
        if (t && i < t->component_count) t->x[i] = xi;
    if (ideal && i < ideal->component_count) ideal->x[i] = xi;
}

void FluidPhase::calculate_fixed_parameters() {
    for (Interaction* t : interactions) t->calculate_fixed_parameters();
    if (ideal) ideal->calculate_fixed_parameters();
}

bool FluidPhase::belowCoVolume() {
    return !interactions.empty() && interactions[0]->getVolumeMinimum() >= V;
}

void FluidPhase::bindVolumeEquation() {
    volumeSolver->obj = this;
    volumeSolver->fn = toEquationFn<DerivEquationFn>(&FluidPhase::equationForCalculating_V_FromTP);
}

void FluidPhase::bindTemperatureEquation() {
    volumeSolver->obj = this;
    volumeSolver->fn = toEquationFn<DerivEquationFn>(&FluidPhase::equationForCalculating_T_FromVP);
}

void FluidPhase::equationForCalculating_V_FromTP(double V_, double& f, double& dfdV) {
    volume(V_);
    Z = 0.0;
    dZdV = 0.0;
    double sumAvv = 0.0;
    const bool ok = sumOverTerms<&Interaction::calculate_Z>(*this, [&](const Interaction& t) {
        Z += t.Z;
        dZdV += t.dZdV;
        sumAvv += t.aVV;
    });
    if (!ok) {
        error = 1;
        return;
    }
    f = T * R * Z / V - P;
    dfdV = R * T * (dZdV / V - Z / (V * V));
    dPdV = -R * T * sumAvv;
    if (dPdV > 0) error = 1;  // mechanically unstable
}

double FluidPhase::solveVolumeFrom(double start) {
    volumeSolver->x0 = start;
    const double v = volumeSolver->solve();
    volumeIterations += volumeSolver->iter;
    if (std::isfinite(v)) volume(v);
    return v;
}

namespace {

// The terms of a phase through one volume search (see Interaction::beginVolumeSearch).
class VolumeSearch {
public:
    explicit VolumeSearch(FluidPhase& p) : phase_(p) {
        for (Interaction* t : phase_.interactions)
            if (t) t->beginVolumeSearch();
        if (phase_.ideal) phase_.ideal->beginVolumeSearch();
    }
    ~VolumeSearch() {
        const bool stateNext = phase_.stateFollowsSearch();
        for (Interaction* t : phase_.interactions)
            if (t) t->endVolumeSearch(stateNext);
        if (phase_.ideal) phase_.ideal->endVolumeSearch(stateNext);
    }
    VolumeSearch(const VolumeSearch&) = delete;
    VolumeSearch& operator=(const VolumeSearch&) = delete;

private:
    FluidPhase& phase_;
};

}  // namespace

bool FluidPhase::reproducesPressure(double found, double asked, double stiffness) {
    // A relative 1e-9 of the pressure; in a stiff state (a liquid at low
    // pressure, whose pressure hangs on the last digits of its volume) the
    // change that a relative 1e-12 of the variable makes, as long as the
    // stiffness is that of a fluid (below 1e12 Pa): far larger slopes belong to
    // the loops that a multiparameter equation of state has deep inside the
    // two-phase region, where no volume gives the pressure asked for.
    constexpr double kPressureTolerance = 1e-9, kVariableResolution = 1e-12, kMaxStiffness = 1e12;
    const double miss = std::fabs(found - asked);
    if (!std::isfinite(found) || !std::isfinite(miss)) return false;
    if (miss <= kPressureTolerance * std::fabs(asked)) return true;
    const double k = std::fabs(stiffness);
    return k <= kMaxStiffness && miss <= kVariableResolution * k;
}

void FluidPhase::refreshVolumeDerivatives() {
    dPdV = (dZdV - Z / V) * R * T / V;
    dZdP = dZdV / dPdV;
}

bool FluidPhase::volumeSearchFrom(double start) {
    solveVolumeFrom(start);
    if (volumeSolver->status != 0) return false;
    refreshVolumeDerivatives();
    return true;
}

void FluidPhase::beginVolumeSearch() {
    errorflag = 0;
    volumeIterations = 0;
    bindVolumeEquation();
    calculate_fixed_parameters();
}

double FluidPhase::estimate_Vl0() {
    return usableLiquidStart(ancillarySaturatedLiquidVolume(componentName(getMajorComponentIndex()), T));
}

double FluidPhase::usableLiquidStart(double V_) {
    // A fit of the real fluid can lie below the co-volume of a model of it.
    const double b = interactions.empty() || !interactions[0] ? 0.0 : interactions[0]->getVolumeMinimum();
    if (std::isfinite(V_) && V_ > 1.05 * std::max(b, 0.0)) return V_;
    return b > 0.0 ? 1.1 * b : Vl0;
}

namespace {

// Start values of one search, in the order they are tried: a value that is
// not a volume, or one tried already, is left out.
class Starts {
public:
    Starts(std::initializer_list<double> values) {
        for (double v : values) {
            bool seen = false;
            for (int i = 0; i < n_; ++i) seen = seen || v_[i] == v;
            if (std::isfinite(v) && v > 0.0 && !seen && n_ < kMax) v_[n_++] = v;
        }
    }
    const double* begin() const { return v_; }
    const double* end() const { return v_ + n_; }

private:
    static constexpr int kMax = 8;
    double v_[kMax] = {};
    int n_ = 0;
};

}  // namespace

void FluidPhase::calculate_molar_volume() {
    if (termRefusesState()) return;
    beginVolumeSearch();
    const VolumeSearch search(*this);
    // The starts depend on the state asked for and the model alone: volumes
    // stored by earlier calls (the start values a saturation leaves in Vl0,
    // Vv0) never take part, so that a state found never depends on what the
    // model computed before.  A root off the kind's branch is refused, and
    // the branch walked from its far end when no start finds its root.
    const double gas = R * T / P;
    if (phase_kind == 1 || phase_kind == 2) {
        const bool vapour = phase_kind == 1;
        const RootBranch own = vapour ? RootBranch::Vapour : RootBranch::Liquid;
        const RootBranch other = vapour ? RootBranch::Liquid : RootBranch::Vapour;
        const double liquid = estimate_Vl0();
        const Starts starts =
            vapour ? Starts{gas, 4.5 * liquid} : Starts{liquid, 1.7e-5, 1.8e-5, 2.0e-5, 2.2e-5, gas};
        double otherRoot = 0.0;
        for (double s : starts) {
            if (volumeStateFrom(s, liquid, own)) return;
            const bool refused = volumeSolver->status == 0 && errorflag == 0 && V > 0.0;
            if (refused && otherBranchAnswers() && !(otherRoot > 0.0) && onBranch(other, liquid)) otherRoot = V;
        }
        if (branchRootByWalk(own, liquid)) return;
        // Below its critical temperature (the model's critical-point start)
        // the branches of a pure fluid's isotherm are its two phases, and a
        // search of a kind fails where its phase has no root (the stable
        // state from T and P chooses between the phases).  At a mixture's
        // fixed composition, or in a model that declares no critical point
        // below T, they are no coexisting phases: where the kind's branch has
        // no root at this pressure (above the vapour's spinodal, below the
        // liquid's), the one state there is, the other branch's root, is the
        // answer.  A root on a loop of the isotherm is no state at all.
        if (!otherBranchAnswers()) {
            errorflag = 1;
            return;
        }
        if (otherRoot > 0.0 && volumeStateFrom(otherRoot, liquid, other)) return;
        if (branchRootByWalk(other, liquid)) return;
    } else if (volumeStateFrom(phase_kind == 5 ? Vv0 : gas, 0.0, RootBranch::Any)) {
        return;
    }
    errorflag = 1;
}

bool FluidPhase::volumeStateFrom(double start, double liquid, RootBranch branch) {
    if (!std::isfinite(start) || !(start > 0.0)) return false;
    errorflag = 0;
    if (!volumeSearchFrom(start)) return false;
    acceptVolumeFromPressure();
    return !errorflag && onBranch(branch, liquid);
}

bool FluidPhase::otherBranchAnswers() const {
    int present = 0;
    for (int i = 0; i < component_count && i < static_cast<int>(x.size()); ++i)
        if (x[i] > 0.0) ++present;
    return present > 1 || !(critical_T > 0.0 && T < critical_T);
}

double FluidPhase::branchSamplingStep() const {
    // Close to the critical point the unstable stretch of an isotherm spans
    // about 2.3 sqrt(1 - T/Tc) in ln V (a van der Waals loop; the
    // multiparameter equations' are alike): a quarter of that, between 0.8 %
    // and 10 %.  A model that gives no critical-point start is sampled at the
    // coarsest step.
    if (!(critical_T > 0.0)) return 0.1;
    return std::clamp(0.5 * std::sqrt(std::fabs(1.0 - T / critical_T)), 0.008, 0.1);
}

double FluidPhase::denseStableVolume(double liquid) {
    // A liquid start that is no stable state (a fit of the real fluid inside
    // the loop of a model's isotherm) is moved towards the dense fluid.
    const double b = coVolume();
    double v = liquid;
    for (int k = 0; k < 12 && std::isfinite(v) && v > 1.02 * b; ++k, v *= 0.9)
        if (stableBetween(v, v, 1.0)) return v;
    return 0.0;
}

bool FluidPhase::onBranch(RootBranch branch, double liquid) {
    // Above 1.1 times the model's critical-point start the isotherm has no
    // unstable stretch, and every root is on both branches.
    if (branch == RootBranch::Any || (critical_T > 0.0 && !(T < 1.1 * critical_T))) return true;
    const double Vfound = V, step = branchSamplingStep();
    // Liquid: the isotherm falls all the way from a stable dense volume to
    // the root (a root denser than that is compressed liquid); vapour: from
    // the root all the way to a gas ten times as dilute.  Without a stable
    // dense volume the liquid side cannot be told, and a root is taken as
    // liquid.
    auto liquidSide = [&] {
        const double dense = liquid > 0.0 ? denseStableVolume(liquid) : 0.0;
        return !(dense > 0.0) || !(Vfound > dense) || stableBetween(dense, Vfound, step);
    };
    auto vapourSide = [&] { return stableBetween(Vfound, 10.0 * std::max(Vfound, R * T / P), step); };
    bool found = false;
    switch (branch) {
        case RootBranch::Liquid: found = liquidSide(); break;
        case RootBranch::Vapour: found = vapourSide(); break;
        default: found = liquidSide() || vapourSide(); break;
    }
    double f = 0.0, dfdV = 0.0;
    error = 0;
    equationForCalculating_V_FromTP(Vfound, f, dfdV);  // back to the state found
    error = 0;
    refreshVolumeDerivatives();
    return found;
}

bool FluidPhase::branchRootByWalk(RootBranch branch, double liquid) {
    // Along the branch from its far end, in steps of branchSamplingStep in
    // ln V, the pressure rises (vapour, walked towards the dense fluid) or
    // falls (liquid, walked towards the gas) monotonically until the isotherm
    // turns unstable: the first step across the pressure asked for brackets
    // the branch's root, which bisection closes.  A liquid compressed beyond
    // the start is walked to from it towards the dense fluid, down to a fifth
    // of the start's volume.
    const bool vapour = branch == RootBranch::Vapour;
    const double gas = R * T / P, b = coVolume();
    const double from = vapour ? 10.0 * gas : denseStableVolume(liquid);
    if (!std::isfinite(from) || !(from > 0.0) || !std::isfinite(gas) || !(gas > 0.0)) return false;
    double f = 0.0, dfdV = 0.0;
    auto at = [&](double v) {
        error = 0;
        equationForCalculating_V_FromTP(v, f, dfdV);
        const bool ok = !error && std::isfinite(f);
        error = 0;
        return ok;
    };
    // The dilute gas lies below the pressure asked for.
    if (!at(from) || (vapour && !(f < 0.0)) || !std::isfinite(f)) return false;
    const bool down = vapour || !(f > 0.0);
    const double factor = std::exp(down ? -branchSamplingStep() : branchSamplingStep());
    const double Vend = vapour ? b : !down ? 10.0 * gas : std::max(b, 0.2 * from);
    double Va = from, fa = f, Vb = from;
    constexpr int kMaxSteps = 4000;
    bool crossed = false;
    for (int k = 0; k < kMaxSteps && !crossed; ++k) {
        Vb = Va * factor;
        if (down ? !(Vb > Vend) : Vb > Vend) return false;
        if (!at(Vb)) return false;  // unstable, or beyond the model's range
        crossed = (f > 0.0) != (fa > 0.0);
        if (!crossed) {
            Va = Vb;
            fa = f;
        }
    }
    if (!crossed) return false;
    for (int k = 0; k < 200 && std::fabs(Vb / Va - 1.0) > 1e-15; ++k) {
        const double Vm = std::sqrt(Va * Vb);
        if (!at(Vm)) return false;
        if ((f > 0.0) == (fa > 0.0)) {
            Va = Vm;
            fa = f;
        } else {
            Vb = Vm;
        }
    }
    if (!at(std::fabs(fa) < std::fabs(f) ? Va : Vb)) return false;
    refreshVolumeDerivatives();
    errorflag = 0;
    acceptVolumeFromPressure();
    return !errorflag;
}

bool FluidPhase::rootOnABranch(double T_, double P_bar, double V_) {
    temperature(T_);
    pressure(P_bar);
    volume(V_);
    return onBranch(RootBranch::LiquidOrVapour, estimate_Vl0());
}

bool FluidPhase::stableBetween(double Va, double Vb, double step) {
    // Geometric samples: the unstable stretches that part a loop of a
    // multiparameter equation from the branches span tens of per cent in V,
    // a few per cent only close below the critical point.
    const int samples = Va == Vb ? 1 : std::max(1, int(std::ceil(std::fabs(std::log(Vb / Va)) / step)));
    double f = 0.0, dfdV = 0.0;
    for (int i = 1; i <= samples; ++i) {
        error = 0;
        equationForCalculating_V_FromTP(Va == Vb ? Va : Va * std::pow(Vb / Va, double(i) / (samples + 1)), f,
                                        dfdV);
        if (error) {
            error = 0;
            return false;
        }
    }
    return true;
}

void FluidPhase::calculateMolarVolumeFrom(double start) {
    beginVolumeSearch();
    const VolumeSearch search(*this);
    if (volumeSearchFrom(start))
        acceptVolumeFromPressure();
    else
        errorflag = 1;
}

void FluidPhase::acceptVolumeFromPressure() {
    // The search converged at a volume evaluated last (Z, dZdV belong to it).
    // A remaining gap is closed by one Newton step in V towards the pressure;
    // a volume that still does not give the pressure is no state.
    const double PZ = R * Z * T / V;
    if (reproducesPressure(PZ, P, V * dPdV)) return;
    const double Vnew = V + (P - PZ) / dPdV;
    platform::tracef("Stop here P0 %lg P %lf V %lg\n", PZ, P, Vnew);
    double f = 0.0, dfdV = 0.0;
    error = 0;
    if (std::isfinite(Vnew) && Vnew > 0.0)
        equationForCalculating_V_FromTP(Vnew, f, dfdV);
    else
        error = 1;
    if (!error) refreshVolumeDerivatives();
    if (error || !reproducesPressure(R * Z * T / V, P, V * dPdV)) errorflag = 1;
    error = 0;
}

void FluidPhase::calculate_pressure() {
    if (termRefusesState()) return;
    calculate_fixed_parameters();
    Z = 0.0;
    if (belowCoVolume()) {
        // At or below the co-volume the state does not exist.
        errorflag = 1;
        P = 0.0;
        return;
    }
    if (!sumOverTerms<&Interaction::calculate_Z>(*this, [this](const Interaction& t) { Z += t.Z; })) {
        errorflag = 1;
        return;
    }
    P = R * Z * T / V;
    if (!std::isfinite(P)) errorflag = 1;  // a term outside its range (NaN) is no state
}

void FluidPhase::equationForCalculating_T_FromVP(double T_, double& f, double& dfdT) {
    temperature(T_);
    pressure(P / 100000.0);
    calculate_fixed_parameters();
    Z = 0.0;
    dVdT = 0.0;
    if (!sumOverTerms<&Interaction::calculate_Z>(*this, [this](const Interaction& t) { Z += t.Z; })) {
        error = 1;
        return;
    }
    calculate_expansivity_derivative();
    if (error) return;
    f = T * R * Z / V - P;
    dfdT = (T * dZdT + Z) * R / V;
}

void FluidPhase::calculate_temperature() {
    if (termRefusesState()) return;
    errorflag = 0;
    bindTemperatureEquation();
    volumeSolver->x0 = T;
    const double tol = volumeSolver->tol;
    volumeSolver->tol = 1e-10;
    const double t = volumeSolver->solve();
    volumeSolver->tol = tol;  // later volume searches keep their own tolerance
    bindVolumeEquation();
    if (std::isfinite(t)) temperature(t);
    // Trial temperatures that failed on the way do not count against a converged
    // search; the temperature found must give the pressure (Z and dZdT belong
    // to its evaluation, the last one).
    errorflag = volumeSolver->status != 0 ? 1 : 0;
    if (errorflag) return;
    // The search stops on a small step; where the isochore is flat (a liquid
    // near its density maximum) that can leave the pressure short of the one
    // asked for, and a few Newton steps more close the gap if it can be.
    auto stiffness = [this] { return (T * dZdT + Z) * R * T / V; };
    for (int i = 0; i < 3 && !reproducesPressure(R * Z * T / V, P, stiffness()); ++i) {
        double f = R * Z * T / V - P, dfdT = (T * dZdT + Z) * R / V;
        error = 0;
        equationForCalculating_T_FromVP(T - f / dfdT, f, dfdT);
        if (error || !std::isfinite(Z)) {
            error = 0;
            errorflag = 1;
            return;
        }
    }
    if (!reproducesPressure(R * Z * T / V, P, stiffness())) errorflag = 1;
}

void FluidPhase::calculateFromTP(double T_, double P_bar, char print) {
    temperature(T_);
    pressure(P_bar);
    // The state functions follow the search at once: its terms' trees are
    // evaluated from their roots next.
    stateFollowsSearch_ = true;
    calculate_molar_volume();
    stateFollowsSearch_ = false;
    const short failed = errorflag;
    // The state functions go first so that the fugacity pass of the terms that
    // allow it reuses their evaluation (the results do not depend on the order).
    calculate_state_functions();
    calculate_fugacities();
    if (failed) errorflag = failed;  // a model whose properties clear the flag keeps the search's failure
    if (print) dump();
}

void FluidPhase::calculateFromTV(double T_, double V_, char print) {
    errorflag = 0;
    temperature(T_);
    volume(V_);
    calculate_state_functions();
    calculate_fugacities();
    if (print) dump();
}

double FluidPhase::temperatureFromIsochore() {
    // The isochore through two temperatures of the model's own scale (its
    // critical-point start, or 300 K without one), taken as straight above
    // the first.  Below it the search starts from the first: an isochore
    // bends there (a liquid's steepens with T), and from above the Newton
    // steps of a convex isochore never pass the temperature sought.
    const double T1 = critical_T > 0.0 ? critical_T : 300.0, T2 = 2.0 * T1;
    const double Pasked = P;
    double p[2] = {0.0, 0.0};
    for (int i = 0; i < 2; ++i) {
        temperature(i == 0 ? T1 : T2);
        errorflag = 0;
        calculate_pressure();
        p[i] = errorflag ? NAN : P;
    }
    P = Pasked;
    errorflag = 0;
    if (!(p[1] > p[0])) return T1;
    return std::max(T1 + (Pasked - p[0]) * (T2 - T1) / (p[1] - p[0]), T1);
}

void FluidPhase::calculateFromVP(double V_, double P_bar, char print) {
    volume(V_);
    pressure(P_bar);
    // The search starts from the model's own isochore through the state
    // asked for, never from the temperature that the model holds from
    // earlier calls (calculate_temperature is the search from a start of the
    // caller's).
    temperature(temperatureFromIsochore());
    calculate_temperature();
    const short failed = errorflag;
    calculate_state_functions();
    calculate_fugacities();
    if (failed) errorflag = failed;
    if (print) dump();
}
