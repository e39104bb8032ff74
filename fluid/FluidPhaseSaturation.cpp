// Liquid-vapour equilibrium of a pure fluid (or of the major component of a
// nearly pure one).  The two phases are two evaluations of the same model at
// two molar volumes; equal fugacity of the major component and equal pressure
// (with an optional capillary term 2 sigma / r and a pressure offset) close
// each system, solved by the phase's Newton solver.
//
//   saturation pressure at T          unknowns Vl, Vv
//   saturation temperature at P       unknowns Vl, Vv, T
//   homogenisation into the liquid    unknowns T, Vv   (Vl given)
//   homogenisation into the gas       unknowns T, Vl   (Vv given)
//   saturated liquid / vapour of S    unknowns T, Vl, Vv
//
// Derivatives of the fugacity f at constant volume follow from those at
// constant pressure: (df/dT)_V = (df/dT)_P - (df/dV)_T (dV/dT)_P.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/PhaseSolvers.h"
#include "fluid/ReferenceFluids.h"
#include "fluid/SaturationAncillaries.h"
#include "fluid/SaturationExpansion.h"
#include "fluid/TrialEvaluation.h"
#include "numerics/LinearAlgebra.h"
#include "platform/DataFiles.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace {

// One side of a two-phase system after its evaluation.
struct Side {
    double f = 0;      // fugacity of the major component, Pa
    double P = 0;      // pressure, Pa
    double fV = 0;     // (df/dV)_T
    double fT = 0;     // (df/dT)_V
    double PV = 0;     // (dP/dV)_T
    double PT = 0;     // (dP/dT)_V
    double S = 0;      // molar entropy (entropy systems only)
    double ST = 0;     // (dS/dT)_V
    double SV = 0;     // (dS/dV)_T
};

// The component whose fugacities are matched: the one named, unless the
// phase holds none of it (its fugacity is zero in both phases and says
// nothing), when it is the most abundant one: a fluid of a mixture model held
// at the pure composition of any of its components has its saturation.
int majorIndex(const FluidPhase& p) {
    const int k = p.major_component;
    const int named = (k >= 0 && k < p.component_count) ? k : 0;
    if (static_cast<int>(p.x.size()) < p.component_count || p.x[named] > 0.0) return named;
    int most = named;
    for (int c = 0; c < p.component_count; ++c)
        if (p.x[c] > p.x[most]) most = c;
    return most;
}

// Evaluates the phase as `kind` (2 liquid, 1 vapour) at molar volume Vs and
// temperature Ts; false when the model fails there or the result is not finite.
bool evaluateSide(FluidPhase& p, int kind, double Vs, double Ts, bool entropy, Side& s) {
    p.set_the_phase_as(kind);
    if (Ts != p.T) p.temperature(Ts);
    p.volume(Vs);
    // A failed trial is the solver's business (err); it leaves errorflag as it was.
    const bool ok = entropy ? trialEvaluation(p, &FluidPhase::calculate_fugacities, &FluidPhase::calculate_state_functions)
                            : trialEvaluation(p, &FluidPhase::calculate_fugacities);
    if (!ok) return false;
    if (entropy) {
        s.S = p.S;
        s.ST = p.dSdTv;
        s.SV = p.dSdVt;
    }
    const int k = majorIndex(p);
    s.f = p.fugacity[k];
    s.P = p.P;
    s.fV = p.dfugacitydV[k];
    s.fT = p.dfugacitydT[k] - p.dVdT * p.dfugacitydV[k];
    s.PV = p.dPdV;
    s.PT = p.dPdT;
    return std::isfinite(s.f) && std::isfinite(s.P) && std::isfinite(s.fV) && std::isfinite(s.fT) &&
           std::isfinite(s.PV) && std::isfinite(s.PT) && (!entropy || std::isfinite(s.S));
}

// Liquid and vapour at distinct volumes, the liquid the denser (Vl strictly
// positive: it divides).
bool distinctPair(double Vl, double Vv) {
    return Vl > 0.0 && Vv > 0.0 && std::fabs((Vl - Vv) / Vl) >= 1e-5 && Vl <= Vv;
}

// Capillary pressure 2 sigma / r on the vapour (mode 2) or on the liquid (any
// other nonzero mode).
void addCapillary(FluidPhase& p, double Vl, double Vv, Side& l, Side& v) {
    if (p.capillary_mode == 0) return;
    p.calculateSigma(Vl, Vv);
    const double pc = p.capillary_radius != 0.0 ? 2.0 * p.sigma / p.capillary_radius : 0.0;
    if (p.capillary_mode == 2)
        v.P += pc;
    else
        l.P += pc;
}

using phase_solvers::bindSystem;

// One more Newton step from the converged point.  The solver stops as soon as
// its row-scaled residual, of the order of a volume error in m3/mol, is below
// its tolerance, which can leave the pressure of a liquid some parts per
// million off; the step it computed from that point before stopping (in dx)
// brings the point to rounding.  Kept only when it does not make the residual
// worse; otherwise the converged point is evaluated again.
void polish(Newton& s) {
    if (s.status != 0 || s.n > 3) return;
    const int n = s.n;
    double xp[3], Gp[3], rows[3][3];
    double* Jp[3] = {rows[0], rows[1], rows[2]};
    for (int i = 0; i < n; ++i) xp[i] = s.x[i] + s.dx[i];
    int err = 0;
    s.calculate(xp, Gp, Jp, err, 1);
    double mod = 0.0;
    for (int i = 0; i < n; ++i) {
        double row = std::fabs(Gp[i]);
        for (int j = 0; j < n; ++j) row += std::fabs(Jp[i][j]);
        mod += row > 0.0 ? std::fabs(Gp[i]) / row : std::fabs(Gp[i]);
    }
    if (err == 0 && std::isfinite(mod) && mod <= s.modG0) {
        for (int i = 0; i < n; ++i) s.x[i] = xp[i];
        s.modG0 = mod;
        return;
    }
    s.calculate(s.x, Gp, Jp, err, 1);
}

// A liquid and a vapour that are two phases: the trivial solution Vl = Vv of
// the coexistence system (one state with itself) and a pair with the vapour
// denser are none.  A hundred-thousandth of a kelvin below water's critical
// point the two volumes still differ by about a per cent, far beyond this
// margin.
bool twoPhases(double Vl, double Vv) {
    return std::isfinite(Vl) && std::isfinite(Vv) && Vl > 0.0 && Vv > Vl * (1.0 + 1e-6);
}

// Solves the bound system without printing, with a step tolerance of 1e-8,
// and polishes the point found; true when it converged.
bool solveQuietly(Newton& s) {
    s.stepTol = 1e-8;
    s.verbose = 0;
    s.solve();
    polish(s);
    return s.status == 0;
}

}  // namespace

// ---------------------------------------------------------------- systems

void FluidPhase::equationForCalculatingPsatFromVlVv(double* xv, double* G, double** J, int& err, int order, void*) {
    const double Vl = xv[0], Vv = xv[1];
    if (!distinctPair(Vl, Vv) || (Vc_bound != -1.0 && (Vl > Vc_bound || Vv < Vc_bound))) {
        err = 1;
        return;
    }
    Vl_sat = Vl;
    Vv_sat = Vv;
    const double T0 = T;
    const double Tl = (T_shift != 0.0 && !T_shift_on_vapour) ? T0 + T_shift : T0;
    const double Tv = (T_shift != 0.0 && T_shift_on_vapour) ? T0 + T_shift : T0;
    Side l, v;
    const bool okl = evaluateSide(*this, 2, Vl, Tl, false, l);
    if (Tl != T0) temperature(T0);
    if (!okl || l.PV > 0.0) {
        err = 1;
        return;
    }
    const bool okv = evaluateSide(*this, 1, Vv, Tv, false, v);
    if (Tv != T0) temperature(T0);
    if (!okv || v.PV > 0.0) {
        err = 1;
        return;
    }
    addCapillary(*this, Vl, Vv, l, v);
    G[0] = l.f - v.f;
    G[1] = l.P - v.P;
    Pl_sat = l.P;
    Pv_sat = v.P;
    if (P_shift != 0.0) G[1] -= P_shift;
    if (order >= 1) {
        J[0][0] = l.fV;
        J[0][1] = -v.fV;
        J[1][0] = l.PV;
        J[1][1] = -v.PV;
    }
}

void FluidPhase::equationForCalculatingTsatFromVlVv(double* xv, double* G, double** J, int& err, int order, void*) {
    const double Vl = xv[0], Vv = xv[1], t = xv[2];
    if (!distinctPair(Vl, Vv) || !(t > 0.0)) {
        err = 1;
        return;
    }
    Vl_sat = Vl;
    Vv_sat = Vv;
    Side l, v;
    temperature(t);
    if (!evaluateSide(*this, 2, Vl, t, false, l)) {
        err = 1;
        return;
    }
    const double Tv = T_shift != 0.0 ? t + T_shift : t;
    const bool okv = evaluateSide(*this, 1, Vv, Tv, false, v);
    if (Tv != t) temperature(t);
    if (!okv) {
        err = 1;
        return;
    }
    addCapillary(*this, Vl, Vv, l, v);
    G[0] = l.f - v.f;
    G[1] = l.P - P_target;
    G[2] = v.P - P_target;
    if (P_shift > 0.0) G[2] -= P_shift;
    if (P_shift < 0.0) G[1] += P_shift;
    if (order >= 1) {
        J[0][0] = l.fV;
        J[0][1] = -v.fV;
        J[0][2] = l.fT - v.fT;
        J[1][0] = l.PV;
        J[1][1] = 0.0;
        J[1][2] = l.PT;
        J[2][0] = 0.0;
        J[2][1] = v.PV;
        J[2][2] = v.PT;
    }
}

namespace {

// The two homogenisation systems, unknowns T and the volume of the other
// side: into the liquid (liquidGiven, Vl_sat given) or into the gas (Vv_sat
// given).  The vapour must be mechanically stable, the liquid where its
// volume is the given one.
void homogenisationSystem(FluidPhase& p, bool liquidGiven, double* xv, double* G, double** J, int& err, int order) {
    const double t = xv[0];
    const double Vl = liquidGiven ? p.Vl_sat : xv[1];
    const double Vv = liquidGiven ? xv[1] : p.Vv_sat;
    if (!(t > 0.0) || !distinctPair(Vl, Vv)) {
        err = 1;
        return;
    }
    (liquidGiven ? p.Vv_sat : p.Vl_sat) = xv[1];
    Side l, v;
    p.temperature(t);
    if (!evaluateSide(p, 2, Vl, t, false, l) || (liquidGiven && l.PV > 0.0) || !evaluateSide(p, 1, Vv, t, false, v) ||
        v.PV > 0.0) {
        err = 1;
        return;
    }
    addCapillary(p, Vl, Vv, l, v);
    G[0] = l.f - v.f;
    G[1] = l.P - v.P;
    if (p.P_shift != 0.0) G[1] += p.P_shift;
    if (order >= 1) {
        J[0][0] = l.fT - v.fT;
        J[0][1] = liquidGiven ? -v.fV : l.fV;
        J[1][0] = l.PT - v.PT;
        J[1][1] = liquidGiven ? -v.PV : l.PV;
    }
}

// The two entropy systems: G2 on the liquid (liquidSide) or on the vapour.
void entropySystem(FluidPhase& p, bool liquidSide, double* xv, double* G, double** J, int& err, int order) {
    const double t = xv[0], Vl = xv[1], Vv = xv[2];
    if (!(t > 0.0) || !distinctPair(Vl, Vv) ||
        (p.Vc_bound != -1.0 && (Vl > p.Vc_bound || Vv < p.Vc_bound))) {
        err = 1;
        return;
    }
    p.Vl_sat = Vl;
    p.Vv_sat = Vv;
    Side l, v;
    p.temperature(t);
    if (!evaluateSide(p, 2, Vl, t, true, l) || l.PV > 0.0 || !evaluateSide(p, 1, Vv, t, true, v) ||
        v.PV > 0.0) {
        err = 1;
        return;
    }
    addCapillary(p, Vl, Vv, l, v);
    G[0] = l.f - v.f;
    G[1] = l.P - v.P;
    if (p.P_shift != 0.0) G[1] += p.P_shift;
    G[2] = (liquidSide ? l.S : v.S) - p.S_target;
    if (order >= 1) {
        J[0][0] = l.fT - v.fT;
        J[0][1] = l.fV;
        J[0][2] = -v.fV;
        J[1][0] = l.PT - v.PT;
        J[1][1] = l.PV;
        J[1][2] = -v.PV;
        if (liquidSide) {
            J[2][0] = l.ST;
            J[2][1] = l.SV;
            J[2][2] = 0.0;
        } else {
            J[2][0] = v.ST;
            J[2][1] = 0.0;
            J[2][2] = v.SV;
        }
    }
}

}  // namespace

void FluidPhase::equationForLiquidTh(double* xv, double* G, double** J, int& err, int order, void*) {
    homogenisationSystem(*this, true, xv, G, J, err, order);
}

void FluidPhase::equationForGasTh(double* xv, double* G, double** J, int& err, int order, void*) {
    homogenisationSystem(*this, false, xv, G, J, err, order);
}

void FluidPhase::equationForLiquidSaturationFromS(double* xv, double* G, double** J, int& err, int order, void*) {
    entropySystem(*this, true, xv, G, J, err, order);
}

void FluidPhase::equationForGasSaturationFromS(double* xv, double* G, double** J, int& err, int order, void*) {
    entropySystem(*this, false, xv, G, J, err, order);
}

// ---------------------------------------------------------------- drivers

const SaturationExpansion* FluidPhase::saturationExpansion() {
    if (!satExpansionRead_) {
        satExpansionRead_ = true;
        const char* file = saturationExpansionFile();
        const std::string path = file ? platform::resolveDataFile(file) : std::string();
        if (!path.empty()) {
            auto e = std::make_shared<SaturationExpansion>();
            std::FILE* f = std::fopen(path.c_str(), "r");
            const bool ok = e->read(f);
            if (f) std::fclose(f);
            if (ok)
                satExpansion_ = std::move(e);
            else
                platform::diagf("The saturation expansions in %s cannot be read\n", path.c_str());
        }
    }
    return satExpansion_.get();
}

// psat (Pa) and the saturated liquid and vapour volumes (m3/mol) at T_
// from the expansions, without a search: the model's own equilibrium,
// solved in long double, to about 1e-12 and to 3e-11 up to 1e-3 K below
// the critical point (where the double equilibrium itself is off by up to
// 6e-9); false where the model has none or T_ lies outside them.
bool FluidPhase::saturationFromExpansion(double T_, double& P_Pa, double& Vl, double& Vv) {
    ExpansionAnswer& k = lastExpansion_;
    if (!(k.T == T_)) {
        const SaturationExpansion* e = saturationExpansion();
        k.P = P_Pa;
        k.Vl = Vl;
        k.Vv = Vv;
        k.found = e && e->evaluate(T_, k.P, k.Vl, k.Vv);
        k.T = T_;
    }
    P_Pa = k.P;
    Vl = k.Vl;
    Vv = k.Vv;
    return k.found;
}

bool FluidPhase::polishSaturationVolumes() {
    // Newton steps on the equilibrium in (Vl, Vv) from a converged pair,
    // while each step is shorter than the one before: the search stops at a
    // relative step of 1e-8, which near the critical point (where the
    // isotherms flatten and convergence slows) leaves the volumes 1e-8 off,
    // and a few more steps bring them to rounding.
    double x[2] = {Vl_sat, Vv_sat}, G[2] = {0.0, 0.0}, r0[2] = {0.0, 0.0}, r1[2] = {0.0, 0.0};
    double* J[2] = {r0, r1};
    double last = HUGE_VAL;
    bool converged = false;
    for (int k = 0; k < 6; ++k) {
        int err = 0;
        equationForCalculatingPsatFromVlVv(x, G, J, err, 1, nullptr);
        if (err) break;
        const double det = J[0][0] * J[1][1] - J[0][1] * J[1][0];
        if (!std::isfinite(det) || det == 0.0) break;
        const double d0 = (-G[0] * J[1][1] + G[1] * J[0][1]) / det;
        const double d1 = (-G[1] * J[0][0] + G[0] * J[1][0]) / det;
        const double step = std::fmax(std::fabs(d0 / x[0]), std::fabs(d1 / x[1]));
        if (std::isfinite(step) && step < 1e-9) converged = true;
        if (!std::isfinite(step) || step >= last) break;
        last = step;
        x[0] += d0;
        x[1] += d1;
        if (step < 1e-15) break;
    }
    // The state of the last accepted pair.
    int err = 0;
    equationForCalculatingPsatFromVlVv(x, G, J, err, 0, nullptr);
    if (err) {
        x[0] = Vl_sat;
        x[1] = Vv_sat;
        converged = false;
    }
    Vl_sat = x[0];
    Vv_sat = x[1];
    return converged;
}

namespace {

// The traces of the saturation pressure at p.T: which expansion gave it, or
// the search and its start.
void traceSaturationFromExpansion(FluidPhase& p, double P_Pa, bool polished) {
    const SaturationExpansion& e = *p.saturationExpansion();
    const int piece = e.pieceAt(p.T);
    const SaturationExpansion::Piece& c = e.pieces[static_cast<std::size_t>(piece)];
    // (The pieces run in u = sqrt(Tc - T): the upper end of u is the lower end of T.)
    platform::tracef("Saturation at %.10g K from the Chebyshev expansion of %s's own curve in %s, piece %d of %zu "
                     "(%.10g to %.10g K): %.10g bar, ",
                     p.T, e.model.c_str(), p.saturationExpansionFile(), piece + 1, e.pieces.size(), e.Tc - c.u1 * c.u1,
                     e.Tc - c.u0 * c.u0, P_Pa * 1e-5);
    if (polished)
        platform::tracef("polished by Newton steps in (Vl, Vv) to %.10g bar, liquid %.10g and vapour %.10g cm3/mol\n",
                         p.Pv_sat * 1e-5, p.Vl_sat * 1e6, p.Vv_sat * 1e6);
    else
        platform::tracef("from which Newton steps in (Vl, Vv) reach no two-phase state: searched instead\n");
}

void traceSaturationSearch(const FluidPhase& p, bool fromOwnStart, double Vl, double Vv, int iterations) {
    if (p.errorflag) {
        platform::tracef("Saturation at %.10g K: no saturation state found by the Newton search in (Vl, Vv) from "
                         "%.10g and %.10g cm3/mol\n",
                         p.T, Vl * 1e6, Vv * 1e6);
        return;
    }
    platform::tracef("Saturation at %.10g K by a Newton search in (Vl, Vv) from %s, %.10g and %.10g cm3/mol (%d "
                     "iterations): %.10g bar, liquid %.10g and vapour %.10g cm3/mol\n",
                     p.T, fromOwnStart ? "the model's own start volumes" : "the start volumes", Vl * 1e6, Vv * 1e6,
                     iterations, p.Pv_sat * 1e-5, p.Vl_sat * 1e6, p.Vv_sat * 1e6);
}

}  // namespace

void FluidPhase::calculate_saturation_pressure() {
    errorflag = 0;
    const int kind = phase_kind;
    const bool plain = T_shift == 0.0 && capillary_mode == 0;
    // Both sides at the phase's T: the terms' nodes free of V are kept from
    // one evaluation to the next.
    const SameTemperature hold(*this, plain);
    auto solveFrom = [this](double Vl, double Vv) -> Newton& {
        Newton& s = bindSystem(*this, toEquationFn<SysEquationFn>(&FluidPhase::equationForCalculatingPsatFromVlVv), 2,
                               {Vl, Vv});
        solveQuietly(s);
        return s;
    };
    double Vl = 0.0, Vv = 0.0, Pe = 0.0;
    // The expansions of the model's own curve give the pair to about 1e-12:
    // Newton steps polish it to the model's equilibrium without a search.
    const bool expandable = plain && P_shift == 0.0 && useSaturationExpansion;
    if (expandable && saturationFromExpansion(T, Pe, Vl, Vv)) {
        Vl_sat = Vl;
        Vv_sat = Vv;
        const bool polished = polishSaturationVolumes() && Pv_sat > 0.0 && twoPhases(Vl_sat, Vv_sat);
        if (platform::traceShown()) traceSaturationFromExpansion(*this, Pe, polished);
        if (polished) {
            set_the_phase_as(kind);
            return;
        }
    } else if (expandable && platform::traceShown() && saturationExpansion()) {
        platform::tracef("Saturation at %.10g K: outside the expansions of %s (%.10g to %.10g K)\n", T,
                         saturationExpansionFile(), saturationExpansion()->Tmin, saturationExpansion()->Tmax);
    }
    // Otherwise a search from the model's auxiliary equations, or from Vl0, Vv0.
    useUsableSaturationStart(T);
    const bool own = plain && P_shift == 0.0 && ownSaturationStart(T, Vl, Vv);
    Newton* solved = own ? &solveFrom(Vl, Vv) : nullptr;
    const bool fromOwn = solved && solved->status == 0;
    if (solved && !fromOwn)
        platform::tracef("Saturation at %.10g K: the Newton search from the model's own start volumes, %.10g and "
                         "%.10g cm3/mol, did not converge\n",
                         T, Vl * 1e6, Vv * 1e6);
    if (!fromOwn) {
        Vl = Vl0;
        Vv = Vv0;
        solved = &solveFrom(Vl, Vv);
    }
    Newton& s = *solved;
    if (s.status != 0) {
        errorflag = 1;
    } else {
        Vl_sat = s.x[0];
        Vv_sat = s.x[1];
        polishSaturationVolumes();
        // A vapour has a positive pressure: equal fugacities at a negative one
        // belong to a loop of the equation inside the two-phase region.
        if (!(Pv_sat > 0.0) || !twoPhases(Vl_sat, Vv_sat)) errorflag = 1;
    }
    if (platform::traceShown()) traceSaturationSearch(*this, fromOwn, Vl, Vv, s.iter);
    set_the_phase_as(kind);
}

// Newton's steps in ln P on ln phi_l - ln phi_v = 0, whose slope is Z_l -
// Z_v, kept within the pressures found below and above the saturation
// pressure: the liquid's loop reaches far below zero pressure at low reduced
// temperatures, where a search in the volumes finds no fugacity.  Started
// from the ideal gas at the vapour's start volume Vv0.  False at or above the
// critical temperature, or where no pressure with both roots is found near
// the start (close below the critical point, where the loop is narrow, the
// searches from the approach to it take over).
bool FluidPhase::closedFormSaturation(double T_, double& Vl, double& Vv) {
    if (!usePureFluidShortcuts || component_count != 1 || !(T_ > 0.0)) return false;
    // The start: the ideal gas at the vapour's start volume, then pressures
    // around it until one has both roots (none above the critical
    // temperature, where the volume search says why).
    if (!(Vv0 > 0.0) || !std::isfinite(Vv0)) return false;
    ClosedFormRoot r[2];
    const double y0 = std::log(R * T_ / Vv0);
    double y = y0, known = std::numeric_limits<double>::quiet_NaN();
    for (int k = 0; k < 41 && std::isnan(known); ++k) {
        y = y0 + (k % 2 == 0 ? 1.0 : -1.0) * 0.25 * ((k + 1) / 2);
        const int n = closedFormRoots(T_, std::exp(y) * 1e-5, r);
        if (n < 0) return false;  // a model without closed-form roots
        if (n == 2) known = y;
    }
    if (std::isnan(known)) return false;
    // ln P below the saturation pressure (the vapour's fugacity the lower, or
    // a single root below a pressure with both) and above it.
    double lo = -HUGE_VAL, hi = HUGE_VAL;
    for (int it = 0; it < 100; ++it) {
        const double P_ = std::exp(y);
        const int n = closedFormRoots(T_, P_ * 1e-5, r);
        double next = NAN;
        if (n == 2) {
            known = y;
            const double g = r[0].lnPhi - r[1].lnPhi, slope = P_ * (r[0].V - r[1].V) / (R * T_);
            (g > 0.0 ? lo : hi) = y;
            next = y - g / slope;
            if (std::fabs(next - y) < 1e-13 * std::max(1.0, std::fabs(y)) || g == 0.0) {
                Vl = r[0].V;
                Vv = r[1].V;
                return Vv > Vl && Vl > 0.0;
            }
        } else if (n == 1) {
            (y > known ? hi : lo) = y;
        } else {
            return false;  // undecided beside a spinodal: the volume search takes over
        }
        if (!(next > lo && next < hi)) next = std::isfinite(lo) && std::isfinite(hi) ? 0.5 * (lo + hi) : known;
        if (next == y) return false;
        y = next;
    }
    return false;
}

void FluidPhase::calculate_saturation_temperature(double P_Pa, double T0) {
    errorflag = 0;
    if (!(P_Pa > 0.0)) {  // no vapour has a pressure that is not positive
        errorflag = 1;
        return;
    }
    useUsableSaturationStart(T0);
    P_target = P_Pa;
    Newton& s = bindSystem(*this, toEquationFn<SysEquationFn>(&FluidPhase::equationForCalculatingTsatFromVlVv), 3,
                           {Vl0, Vv0, T0});
    s.verbose = 0;
    s.lambdaMin = 0.0001;
    s.solve();
    polish(s);
    if (s.status != 0) {
        errorflag = 1;
    } else {
        Vl_sat = s.x[0];
        Vv_sat = s.x[1];
        if (!std::isfinite(s.x[2]) || !twoPhases(Vl_sat, Vv_sat)) errorflag = 1;
    }
}

void FluidPhase::calculateLiquidTh(double V_) {
    errorflag = 0;
    Vl_sat = V_;
    Vv_sat = Vv0;
    Newton& s = bindSystem(*this, toEquationFn<SysEquationFn>(&FluidPhase::equationForLiquidTh), 2, {T, Vv0});
    if (!solveQuietly(s)) errorflag = 1;
}

void FluidPhase::calculateGasTh(double V_) {
    errorflag = 0;
    Vv_sat = V_;
    Vl_sat = Vl0;
    Newton& s = bindSystem(*this, toEquationFn<SysEquationFn>(&FluidPhase::equationForGasTh), 2, {T, Vl0});
    if (!solveQuietly(s)) errorflag = 1;
}

void FluidPhase::calculateLiquidSaturationFromEntropy(double S_) {
    errorflag = 0;
    S_target = S_;
    Newton& s = bindSystem(*this, toEquationFn<SysEquationFn>(&FluidPhase::equationForLiquidSaturationFromS), 3,
                           {T, Vl0, Vv0});
    if (!solveQuietly(s)) {
        errorflag = 1;
        return;
    }
    // The phase is left at the saturated liquid.
    set_the_phase_as(2);
    volume(Vl_sat);
    calculate_fugacities();
    calculate_state_functions();
}

void FluidPhase::calculateGasSaturationFromEntropy(double S_) {
    errorflag = 0;
    S_target = S_;
    Newton& s = bindSystem(*this, toEquationFn<SysEquationFn>(&FluidPhase::equationForGasSaturationFromS), 3,
                           {T, Vl0, Vv0});
    if (!solveQuietly(s)) errorflag = 1;
}

int FluidPhase::next_saturation_point(double& dVl, double& dVv) {
    dVl = dVv = 0.0;
    const double T0 = T;
    const int kind = phase_kind;
    Side l, v;
    const bool okl = evaluateSide(*this, 2, Vl_sat, T0, false, l);
    const bool okv = okl && evaluateSide(*this, 1, Vv_sat, T_shift != 0.0 ? T0 + T_shift : T0, false, v);
    if (T != T0) temperature(T0);
    set_the_phase_as(kind);
    if (!okv) return 1;
    double r0[2] = {l.fV, -v.fV};
    double r1[2] = {l.PV, -v.PV};
    double* A[2] = {r0, r1};
    double b[2] = {v.fT - l.fT, v.PT - l.PT};
    double sol[2] = {0.0, 0.0};
    int status = 0;
    solve_the_linear_system(A, b, sol, 2, status);
    if (status != 0 || !std::isfinite(sol[0]) || !std::isfinite(sol[1])) return 1;
    dVl = sol[0];
    dVv = sol[1];
    return 0;
}

// ---------------------------------------------------------------- start values

namespace {

struct SaturationFit {
    const char* name;
    double M;
    double liquid[8];  // c7 ... c0, kg/m3 with T in K
    double vapour[8];
};

constexpr SaturationFit kSaturationFits[] = {
    {"H2S", 0.034,
     {-2.70771e-12, 4.91907e-9, -3.79009e-6, 0.00160502, -0.403419, 60.1873, -4938.08, 173090.0},
     {1.52296e-12, -2.65098e-9, 1.95058e-6, -0.000785899, 0.187165, -26.3365, 2026.81, -65796.9}},
    {"NaCl", 5.85e-5,
     {-2.7786e-21, 2.6381e-17, -1.045e-13, 2.2286e-10, -2.7501e-7, 0.0001951, -0.073559, 13.126},
     {1.0265e-21, -9.0791e-18, 3.3508e-14, -6.6664e-11, 7.7032e-8, -5.1599e-5, 0.018524, -2.7469}},
};

double polynomial7(const double* c, double t) {
    double r = 0.0;
    for (int i = 0; i < 8; ++i) r = r * t + c[i];
    return r;
}

}  // namespace

// Start values from the ancillary equations of the reference fluids but
// water (whose models carry their own) and from the fits of the table for
// the others; false for a name without either or where they give no usable
// density.
bool FluidPhase::saturationVolumesFromFit(const char* name, double T_) {
    if (!name) return false;
    if (const ReferenceFluid* f = referenceFluid(name); f && std::strcmp(f->formula, "H2O") != 0) {
        // Their ancillary equations (SaturationAncillaries.h); polynomials of
        // degree 7 in T cannot stand in for them: their terms cancel, and the
        // fits of six significant digits they replace put CO2's vapour 20 to
        // 66 % too light from 216 to 300 K and methane's negative below 110 K.
        // None at or above Tc, where there is no saturation.
        if (!std::isfinite(ancillarySaturatedLiquidDensity(name, T_))) return false;
        const double Vl = ancillarySaturatedLiquidVolume(name, T_), Vv = ancillarySaturatedVapourVolume(name, T_);
        if (!(Vl > 0.0) || !(Vv > Vl) || !std::isfinite(Vv)) return false;
        Vl0 = Vl;
        Vv0 = Vv;
        return true;
    }
    const SaturationFit* fit = nullptr;
    for (const SaturationFit& f : kSaturationFits)
        if (std::strcmp(name, f.name) == 0) fit = &f;
    if (!fit) return false;
    const double rl = polynomial7(fit->liquid, T_), rv = polynomial7(fit->vapour, T_);
    // Outside its range a fit can give a density of no use as a start.
    if (!(rl > 0.0 && rv > 0.0 && std::isfinite(rl) && std::isfinite(rv))) return false;
    Vl0 = fit->M / rl;
    Vv0 = fit->M / rv;
    return true;
}

void FluidPhase::initializeSaturationVolumesFromT(const char* name, double T_) {
    // The start values are those of the named component alone: in a mixture
    // the co-volume and the model's own estimates are taken at its pure
    // composition (at the mixture's, the loop of the mixture's isotherm gave
    // the start of a pure component's bubble point, far from it), and the
    // composition is restored afterwards.
    int k = -1;
    for (int i = 0; name && i < component_count; i++)
        if (component_names[i] == name) k = i;
    const std::vector<double> kept = x;
    const bool pure = component_count > 1 && k >= 0 && kept[k] != 1.0;
    if (pure) {
        std::vector<double> only(component_count, 0.0);
        only[k] = 1.0;
        composition(only.data());
    }
    if (!saturationVolumesFromFit(name, T_) || !saturationStartUsable() || !(Vv0 > Vl0))
        estimateSaturationVolumes(T_);
    if (pure) composition(kept.data());
}

bool FluidPhase::saturationStartUsable() {
    const double b = coVolume();
    return std::isfinite(Vl0) && std::isfinite(Vv0) && Vl0 > b && Vv0 > b;
}

void FluidPhase::useUsableSaturationStart(double T_) {
    if (!saturationStartUsable()) estimateSaturationVolumes(T_);
}

namespace {

// One point of an isotherm: pressure, its slope and the fugacity of the major
// component, all finite, or ok = false.
struct IsothermPoint {
    double V = 0.0, P = 0.0, dPdV = 0.0, f = 0.0;
    bool ok = false;
};

IsothermPoint isothermPoint(FluidPhase& p, double V) {
    IsothermPoint q;
    q.V = V;
    p.volume(V);
    p.errorflag = 0;
    p.calculate_fugacities();
    q.P = p.P;
    q.dPdV = p.dPdV;
    q.f = p.fugacity[majorIndex(p)];
    q.ok = p.errorflag == 0 && std::isfinite(q.P) && std::isfinite(q.dPdV) && std::isfinite(q.f) && q.f > 0.0;
    return q;
}

// The volume of pressure P on a branch where the pressure falls from `hi`
// (above P, the smaller volume) to `lo` (below P): bisection in ln V to a
// relative 1e-10, enough for a start.
bool branchRoot(FluidPhase& p, double P, IsothermPoint hi, IsothermPoint lo, IsothermPoint& root) {
    while (lo.V / hi.V - 1.0 > 1e-10) {
        const IsothermPoint m = isothermPoint(p, std::sqrt(hi.V * lo.V));
        if (!m.ok) return false;
        (m.P > P ? hi : lo) = m;
    }
    root = std::fabs(hi.P - P) < std::fabs(lo.P - P) ? hi : lo;
    return true;
}

}  // namespace

// The model's own saturation volumes at T_.  Walking up the isotherm from
// the co-volume, the liquid branch ends where the pressure stops falling;
// walking down from the nearly ideal gas, the vapour branch ends where it
// stops rising (between the two, a multiparameter equation may have more
// loops, which are passed over).  The roots of both branches at one pressure
// between the two turning points, moved by successive substitution
// P <- P f_l / f_v towards equal fugacities (the liquid's fugacity hardly
// depends on its pressure), give the start values.  Where the isotherm has no
// loop (above the critical temperature, or a loop narrower than the walk's
// steps) they straddle its flattest point.  The phase is left at T_ (its
// pressure and volume as they were); false, with the start values as they
// were, for a temperature that is not positive or a model that cannot be
// evaluated.
bool FluidPhase::estimateSaturationVolumes(double T_) {
    if (!(T_ > 0.0) || !std::isfinite(T_)) return false;
    // The walk leaves the pressure, the volume and the error flag as they were.
    struct Keep {
        FluidPhase& p;
        const double P, V;
        const short errorflag;
        ~Keep() {
            p.P = P;
            p.volume(V);
            p.errorflag = errorflag;
        }
    } keep{*this, P, V, errorflag};
    temperature(T_);
    const double b = coVolume();
    constexpr double kStep = 1.05, kVmax = 1e4;
    auto nearlyIdeal = [&](const IsothermPoint& q) { return q.P * q.V > 0.99 * R * T_; };
    // The liquid branch, and the flattest point should there be no loop.
    IsothermPoint first, liquidEnd, flattest;
    bool turned = false;
    double flat = HUGE_VAL;
    auto walkLiquid = [&](double Vfrom, double Vto, double step) {
        for (double V = Vfrom; V < Vto; V *= step) {
            const IsothermPoint q = isothermPoint(*this, V);
            if (!q.ok) {
                if (first.ok) break;  // no usable isotherm beyond this point
                continue;
            }
            if (q.dPdV >= 0.0) {
                turned = liquidEnd.ok;
                if (turned) break;
                continue;
            }
            if (!first.ok) first = q;
            liquidEnd = q;
            if (-q.dPdV * V * V < flat) {
                flat = -q.dPdV * V * V;
                flattest = q;
            }
            if (nearlyIdeal(q) && V > 100.0 * first.V) break;
        }
    };
    walkLiquid(b > 0.0 ? b * (1.0 + 1e-6) : 1e-5, kVmax, kStep);
    // Close below the critical point the loop is narrow: its liquid end is
    // placed to 0.05 % (the last step may have passed most of it), and a loop
    // narrower than a step is looked for again, in such steps, around the
    // flattest point.
    constexpr double kFine = 1.0005, kAround = 1.06;
    if (turned) {
        walkLiquid(liquidEnd.V * kFine, liquidEnd.V * kStep, kFine);
        turned = true;
    } else if (flattest.ok) {
        const double Vf = flattest.V;
        liquidEnd = IsothermPoint{};
        walkLiquid(Vf / kAround, Vf * kAround, kFine);
    }
    // The vapour branch, walked down from the nearly ideal gas, finely where
    // the loop may be narrow.
    IsothermPoint top;
    if (turned) {
        for (double V = kVmax; V > liquidEnd.V;
             V /= V < kAround * kAround * liquidEnd.V ? kFine : (top.ok && !nearlyIdeal(top)) ? kStep : 1.5) {
            const IsothermPoint q = isothermPoint(*this, V);
            if (!q.ok || q.dPdV >= 0.0) break;
            top = q;
        }
    }
    if (!first.ok) return false;
    const double Plow = std::max(liquidEnd.P, 0.0);
    if (!turned || !top.ok || !(top.P > Plow) || !(first.P > top.P)) {
        if (!flattest.ok) return false;
        Vl0 = flattest.V / 1.2;
        Vv0 = flattest.V * 1.2;
        return true;
    }
    const double Phigh = top.P;
    double P0 = 0.5 * (Plow + Phigh);
    IsothermPoint l, v;
    for (int it = 0; it < 20; ++it) {
        IsothermPoint far = top;
        while (far.ok && far.P >= P0 && far.V < 1e3 * kVmax) far = isothermPoint(*this, far.V * 4.0);
        if (!far.ok || far.P >= P0 || !branchRoot(*this, P0, first, liquidEnd, l) ||
            !branchRoot(*this, P0, top, far, v))
            break;
        Vl0 = l.V;
        Vv0 = v.V;
        const double ratio = l.f / v.f;
        if (std::fabs(ratio - 1.0) < 1e-5) break;
        double Pn = P0 * ratio;
        // Halfway towards a turning point that the substitution would pass.
        if (!(Pn > Plow)) Pn = 0.5 * (P0 + Plow);
        if (!(Pn < Phigh)) Pn = 0.5 * (P0 + Phigh);
        P0 = Pn;
    }
    return l.ok && v.ok;
}

void FluidPhase::initializeSaturationVolumesFromP(const char*, double) {
    platform::diagf("InitializeSaturationVolumesFromP not implemented\n");
}

// ---------------------------------------------------------------- console entries

// The saturation state at T_ into Vl_sat, Vv_sat, Pl_sat, Pv_sat: the
// search from the start the model's component gives (its ancillary
// equations or published fit), and again from the model's own estimates
// when that fails; false (errorflag set) when neither finds it.  No start
// an earlier call left in Vl0, Vv0 takes part.
// The saturation pressure at T from the start values of the model's
// initialiser for its major component and, should they not lead to it (a
// fit of the real fluid can lie far from a model's own liquid), from the
// model's own estimates.
bool FluidPhase::saturationStateAt(double T_) {
    // Only the starts found for T_ take part: the ones an earlier search left
    // (a failed one's among them) would make the answer depend on it.
    // The fugacities matched are the major component's, whose starts these
    // are (a curve traced before may have named another one).
    Vl0 = Vv0 = std::numeric_limits<double>::quiet_NaN();
    major_component = static_cast<short>(getMajorComponentIndex());
    initializeSaturationVolumesFromT(componentName(major_component), T_);
    temperature(T_);
    calculate_saturation_pressure();
    if (errorflag && estimateSaturationVolumes(T_)) {
        temperature(T_);
        calculate_saturation_pressure();
    }
    // At the model's critical temperature itself (to parts in 1e8 below it,
    // where the loop of the isotherm is too shallow for the search) the
    // liquid and the vapour are one: the saturation state is the critical
    // point.
    double Tc = 0.0, Pc = 0.0, Vc = 0.0;
    if (errorflag && modelCriticalPoint(Tc, Pc, &Vc) && T_ <= Tc && Tc - T_ <= 1e-8 * Tc) {
        errorflag = 0;
        temperature(T_);
        volume(Vc);
        P = Pv_sat = Pl_sat = Pc;
        Vl_sat = Vv_sat = Vc;
    }
    return errorflag == 0;
}

short FluidPhase::calculateTheSaturationPressure(double T_, bool report) {
    if (!saturationStateAt(T_)) {
        if (report) platform::diagf("No saturation state found at %g K\n", T_);
        return errorflag;
    }
    const SameTemperature hold(*this);
    volume(Vl_sat);
    calculate_state_functions();
    const double Hl = H;
    volume(Vv_sat);
    calculate_state_functions();
    Hvap = H - Hl;
    return errorflag;
}

void FluidPhase::calculateTheDensityFromTh(double Th) {
    if (!saturationStateAt(Th)) {
        platform::diagf("No saturation state found at %g K\n", Th);
        return;
    }
    std::printf("V : %12.2f cm3/mol\t\trho : %12.2f kg/m3\t\tP : %12.2f bar\n", Vl_sat * 1e6,
                bulk_molar_weight / Vl_sat, P / 1e5);
}

namespace {

// Liquid and vapour rows of a tie line (13 columns, or 12 without the molar entropy).
bool writeConode(FluidPhase& p, std::FILE* file, bool withEntropy) {
    const double M = p.bulk_molar_weight;
    double Hl = 0.0;
    const FluidPhase::SameTemperature hold(p);
    for (int side = 0; side < 2; ++side) {
        p.volume(side == 0 ? p.Vl_sat : p.Vv_sat);
        p.errorflag = 0;
        p.calculate_state_functions();
        if (p.errorflag) {
            platform::diagf("%s\n", "Error calculation\n");
            return false;
        }
        std::puts(side == 0 ? "Liquid" : "Gas");
        p.dump();
        if (file) {
            std::fprintf(file, "%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f", p.T,
                         p.V * 1e6, M / p.V, p.P / 1e5, p.H / 1000.0, p.H / M / 1000.0, p.U / M / 1000.0, p.S / M,
                         p.Cv / M, p.Cp / M, p.jouleThomson, p.U);
            if (withEntropy) std::fprintf(file, "\t%12f", p.S);
            std::fprintf(file, "\n");
        }
        if (side == 0) Hl = p.H;
    }
    std::printf("\nVaporisation Enthalpy = %12f kJ/kg\n\n", (p.H - Hl) / M / 1000.0);
    return true;
}

void writeConodeFile(const char* stem, const char* suffix, char mode, bool withEntropy,
                     const auto& rows) {
    const std::string path = std::string(stem) + (suffix ? suffix : "");
    platform::OutputFile f(path, "wt");
    if (!f) {
        rows(nullptr);
        return;
    }
    static const char* names[] = {"T", "V", "rho", "P", "H", "Hm", "Um", "Sm", "Cvm", "Cpm", "JT", "U", "S"};
    static const char* numberedT[] = {"T(1)",  "V(2)",   "rho(3)", "P(4)",  "H(5)",  "Hm(6)", "Um(7)",
                                      "Sm(8)", "Cvs(9)", "Cps(10)", "JT(11)", "U(12)", "S(13)"};
    static const char* numberedP[] = {"T(1)",  "V(2)",   "rho(3)",  "P(4)",   "H(5)",  "Hm(6)",
                                      "Um(7)", "Sm(8)",  "Cvm(9)", "Cpm(10)", "JT(11)", "U(12)"};
    const int n = withEntropy ? 13 : 12;
    std::fputs(mode == 1 ? "IGOR\nWAVES " : "# ", f.get());
    for (int i = 0; i < n; ++i) {
        if (suffix)
            std::fprintf(f.get(), i == 0 ? "%5s%s" : "\t%11s%s", names[i], suffix);
        else
            std::fprintf(f.get(), i == 0 ? "%12s" : "\t%12s", withEntropy ? numberedT[i] : numberedP[i]);
    }
    std::fputs("\n", f.get());
    if (mode == 1) std::fputs("BEGIN\n", f.get());
    rows(f.get());
    if (mode == 1) std::fputs("END\n", f.get());
}

}  // namespace

void FluidPhase::calculateConodeFromT(double T_, std::FILE* file) {
    temperature(T_);
    calculate_saturation_pressure();
    if (errorflag) {
        platform::diagf("%s\n", "Error calculation\n");
        return;
    }
    if (!writeConode(*this, file, true)) errorflag = 1;
}

void FluidPhase::calculateConodeFromP(double P_bar, double T0, std::FILE* file) {
    pressure(P_bar);
    calculate_saturation_temperature(P_bar * 1e5, T0);
    if (errorflag) {
        platform::diagf("%s\n", "Error calculation\n");
        return;
    }
    if (!writeConode(*this, file, false)) errorflag = 1;
}

void FluidPhase::calculateTheConodeFromT(double T_, char mode, const char* suffix) {
    writeConodeFile("cono", suffix, mode, true, [&](std::FILE* f) { calculateConodeFromT(T_, f); });
}

void FluidPhase::calculateTheConodeFromP(double P_bar, double T0, char mode, const char* suffix) {
    writeConodeFile("conop", suffix, mode, false,
                    [&](std::FILE* f) { calculateConodeFromP(P_bar, T0, f); });
}

