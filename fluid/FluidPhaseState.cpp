// State of a FluidPhase: temperature, volume and composition pushed into the
// terms; molar volume from T and P, temperature from V and P, pressure from T and V.
#include <cmath>

#include "fluid/FluidPhase.h"
#include "fluid/PhaseTerms.h"
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

void FluidPhase::calculate_molar_volume() {
    beginVolumeSearch();
    double start;
    if (phase_kind == 2)
        start = estimate_Vl0();
    else if (phase_kind == 5)
        start = Vv0;
    else
        start = R * T / P;
    bool found = volumeSearchFrom(start);
    if (!found && phase_kind == 1) {
        found = volumeSearchFrom(Vv0) || volumeSearchFrom(4.5 * estimate_Vl0());
    } else if (!found && phase_kind == 2) {
        for (double s : {1.7e-5, 1.8e-5, 2.0e-5, 2.2e-5})
            if ((found = volumeSearchFrom(s))) break;
    }
    if (!found) {
        errorflag = 1;
        return;
    }
    acceptVolumeFromPressure();
}

void FluidPhase::calculateMolarVolumeFrom(double start) {
    beginVolumeSearch();
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
    if (!errorflag && !reproducesPressure(R * Z * T / V, P, (T * dZdT + Z) * R * T / V)) errorflag = 1;
}

void FluidPhase::calculateFromTP(double T_, double P_bar, char print) {
    temperature(T_);
    pressure(P_bar);
    calculate_molar_volume();
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

void FluidPhase::calculateFromVP(double V_, double P_bar, char print) {
    volume(V_);
    pressure(P_bar);
    calculate_temperature();
    const short failed = errorflag;
    calculate_state_functions();
    calculate_fugacities();
    if (failed) errorflag = failed;
    if (print) dump();
}
