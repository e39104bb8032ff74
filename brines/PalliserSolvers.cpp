// Points of the H2O-NaCl diagram defined implicitly by the model's
// correlations: inversion of fluid-inclusion homogenisation and halite-
// dissolution temperatures, three-phase and critical points of a composition,
// bubble points at a pressure, boiling with a vapour fraction, pressures along
// isochores and depths along a hydrostatic column or a geotherm.
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "brines/Palliser.h"
#include "brines/PalliserLever.h"
#include "numerics/Integrator.h"
#include "numerics/Newton.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"

namespace {
// A search on a density that ended without matching it (the density may not
// depend on the pressure at all, as in the liquid above 1000 bar) has no
// isochoric pressure.
bool matched(const Secant& s, double rho) { return s.status == 0 && std::fabs(s.f1) <= 1e-6 * std::fabs(rho) + 1e-9; }

constexpr double kGravity = 9.81;

// A secant record with the defaults of these searches.
Secant makeSecant(Palliser* obj, ScalarEquationFn fn, double* data, double x0, double x1, double lambdaMin) {
    Secant s;
    s.obj = obj;
    s.fn = fn;
    s.data = data;
    s.x0 = x0;
    s.x1 = x1;
    s.itermax = 15;
    s.tol = 1e-9;
    s.lambda = 1.0;
    s.lambdaMin = lambdaMin;
    return s;
}
}  // namespace

// ---------------------------------------------------------------- inversion

// Parameters: Th, Xl, Xv, rhol, rhov, (unused), ThStart, Xstart, rhoStart,
// then the results phiV and Ph of the last evaluation.
void Palliser::equationForTmTh(double* x, double* G, double** /*J*/, int& err, int /*order*/, void* data) {
    double* p = static_cast<double*>(data);
    const double Xt = x[0], r = x[1];
    const double Xl = p[1], Xv = p[2], rl = p[3], rv = p[4];
    const TwoPhaseLever lever(Xt, Xl, rl, Xv, rv);
    if (!lever.holds() || !(r > 0.0)) {
        err = 1;
        return;
    }
    const double w = lever.w, mix = lever.density();
    G[0] = r - mix;
    double Ph = 0.0;
    const double Th = calculateThLiq(Xt, r, p[6], Ph);
    if (!std::isfinite(Th)) {
        err = 1;
        return;
    }
    p[9] = ((1.0 - w) / rv) * mix;
    p[10] = Ph;
    G[1] = Th - p[0];
}

void Palliser::calculateFromThTm(double Th, double Tm, double& X_, double& rho_, double ignored, double ThStart,
                                 double Xstart, double rhoStart, double& Pslv_, double& Ph, double& phiV) {
    X_ = rho_ = Ph = phiV = std::nan("");
    pointFailed = 0;
    if (!argumentsHold("calculateFromThTm", {{"homogenisation temperature Th", Th, 0.0, TmixTop, "°C"},
                                             {"halite dissolution temperature Tm", Tm, 0.1, Ttriple, "°C"}})) {
        Pslv_ = std::nan("");
        return;
    }
    double Xl, Xv, rl, rv;
    calculateSLVPoint(Tm, Pslv_, Xl, Xv, rl, rv);
    if (pointFailed) return;
    if (std::fabs(Th - Tm) < 0.1) {
        // Vapour and halite vanish together: the three-phase liquid at Tm,
        // homogenising at the three-phase pressure with no vapour left.
        X_ = Xl;
        rho_ = rl;
        Ph = Pslv_;
        phiV = 0.0;
        return;
    }
    if (!(Th > Tm)) {
        // Homogenisation by halite dissolution: not this inversion.
        X_ = rho_ = std::nan("");
        pointFailed = 1;
        refuse("Fluid inclusion: homogenisation at %g °C below the halite dissolution at %g °C is not a "
                        "liquid-vapour homogenisation\n",
                        Th, Tm);
        return;
    }
    double par[11] = {Th, Xl, Xv, rl, rv, ignored, ThStart, Xstart, rhoStart, 0.0, 0.0};
    QuietScope quietSearch(*this);
    auto solver = std::make_unique<Newton>();
    solver->_setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&Palliser::equationForTmTh), 2);
    solver->data = par;
    solver->numericalJacobian = 1;
    // Difference steps well above the noise of the homogenisation search
    // inside each evaluation (a density step of 1e-9 kg/m3 is not).
    solver->h[0] = 1e-7;
    solver->h[1] = 1e-5;
    auto solveFrom = [&](double X0, double r0, double T0) {
        // (A start that is no number is no start.)
        if (!std::isfinite(X0) || !std::isfinite(r0) || !std::isfinite(T0)) return false;
        par[6] = T0;
        solver->x[0] = solver->xold[0] = X0 > Xl ? Xl - 2e-9 : X0;
        solver->x[1] = solver->xold[1] = r0;
        solver->solve();
        return solver->status == 0;
    };
    // From the caller's start, then from the liquid saturated with halite at
    // Tm (the inclusion with no vapour there), searching the homogenisation
    // from the measured Th.
    // Last, from the liquid of that salinity on its bubble curve at Th (the
    // homogenisation matched from the start).
    auto bubbleStart = [&]() {
        double Pb = 0.0, Xvb, rlb = 0.0, rvb;
        calculateBubblePoint(Th, Xl - 1e-6, Pb, Xvb, rlb, rvb);
        return !pointFailed && solveFrom(Xl - 1e-6, rlb, Th);
    };
    if (solveFrom(Xstart, rhoStart, ThStart) || solveFrom(Xl - 1e-6, rl, Th) || bubbleStart()) {
        X_ = solver->x[0];
        rho_ = solver->x[1];
        phiV = par[9];
        Ph = par[10];
        return;
    }
    // Last, along the inclusions of the three-phase liquid and vapour at Tm:
    // with no vapour the inclusion homogenises at Tm, and its homogenisation
    // temperature rises as the vapour's mass share wv grows, until it no
    // longer homogenises to a liquid.  The share that homogenises at Th is
    // bracketed on a geometric scan of wv and bisected.
    auto homogenisationAt = [&](double wv, double& X0, double& r0, double& P0) {
        X0 = (1.0 - wv) * Xl + wv * Xv;
        r0 = 1.0 / ((1.0 - wv) / rl + wv / rv);
        return calculateThLiq(X0, r0, Th, P0);
    };
    double lo = 0.0, hi = -1.0, Xb = 0.0, rb = 0.0, Pb = 0.0;
    for (double wv = 1e-10; wv < 1.0; wv *= 2.0) {
        const double Tb = homogenisationAt(wv, Xb, rb, Pb);
        if (!std::isfinite(Tb)) break;
        if (Tb >= Th) {
            hi = wv;
            break;
        }
        lo = wv;
    }
    if (hi > 0.0) {
        double Tb = Th;
        for (int it = 0; it < 100 && hi - lo > 1e-15 * hi; ++it) {
            const double wv = 0.5 * (lo + hi);
            Tb = homogenisationAt(wv, Xb, rb, Pb);
            if (std::isfinite(Tb) && Tb < Th)
                lo = wv;
            else
                hi = wv;
        }
        Tb = homogenisationAt(hi, Xb, rb, Pb);
        if (std::isfinite(Tb) && std::fabs(Tb - Th) < 1e-6) {
            X_ = Xb;
            rho_ = rb;
            phiV = (hi / rv) * rb;
            Ph = Pb;
            pointFailed = 0;
            return;
        }
    }
    X_ = rho_ = std::nan("");
    pointFailed = 1;
    // (Said as the caller would have it, outside this search's quiet scope.)
    const int saved = quiet;
    quiet = saved - 1;
    refuse("Fluid inclusion: no salinity and density homogenise at %g °C with halite dissolving at %g °C\n", Th, Tm);
    quiet = saved;
}

// Parameters: X, rho, then the bubble pressure of the last evaluation.
double Palliser::equationForThLiq(double T_, void* data) {
    double* p = static_cast<double*>(data);
    // (The liquid-vapour surface reaches down to 0 °C, where the diagram
    // starts; inclusions of dilute brine homogenise below 20 °C too.)
    if (!(T_ >= 0.0)) return noValue();
    double Pb = p[2], Xv, rl, rv;
    calculateBubblePoint(T_, p[0], Pb, Xv, rl, rv);
    if (pointFailed) return noValue();
    p[2] = Pb;
    return p[1] - rl;
}

double Palliser::bracketThLiq(double* par) {
    // The bubble-point liquid of X thins monotonically from the bottom of the
    // liquid-vapour surface (0 °C, or the three-phase point of X for a brine
    // richer than the three-phase liquid at 0 °C) to the critical point of
    // X, where it has the critical density: a secant started far from a
    // homogenisation near the critical point may step past it, and the root
    // is then bracketed there and bisected.
    const double X_ = par[0];
    double Ta = 0.0, Tb, Pc, rc, rl, Pm;
    // (Just inside the three-phase end, where the bubble point exists.)
    if (X_ >= slvLiquidComposition(0.1)) Ta = calculateTm0(X_, rl, Pm) + 1e-6;
    calculateCriticalPointFromX(X_, Tb, Pc, rc);
    if (pointFailed || !std::isfinite(Ta)) return std::nan("");
    Tb -= 1e-9;
    const double fa = equationForThLiq(Ta, par), fb = equationForThLiq(Tb, par);
    if (error || !(fa * fb <= 0.0)) {
        error = 0;
        return std::nan("");
    }
    for (int it = 0; it < 200 && Tb - Ta > 1e-10; ++it) {
        const double Tm = 0.5 * (Ta + Tb), fm = equationForThLiq(Tm, par);
        if (error) {
            error = 0;
            return std::nan("");
        }
        if ((fm < 0.0) == (fa < 0.0))
            Ta = Tm;
        else
            Tb = Tm;
    }
    return 0.5 * (Ta + Tb);
}

namespace {
// Largest relative difference between the inclusion's density and the bubble
// liquid's at a homogenisation temperature found.
constexpr double kThDensityTolerance = 1e-4;
}  // namespace

double Palliser::calculateThLiq(double X_, double rho_, double Tstart, double& P_) {
    pointFailed = 0;
    if (!argumentsHold("calculateThLiq", {salinityArg(X_), densityArg(rho_)})) {
        P_ = std::nan("");
        return std::nan("");
    }
    // (Without a start temperature the search starts from 200 °C.)
    if (!std::isfinite(Tstart)) Tstart = 200.0;
    double par[3] = {X_, rho_, std::isfinite(P_) ? P_ : 0.0};
    double residual = std::nan(""), T_ = std::nan("");
    {
        QuietScope q(*this);
        Secant s = makeSecant(this, toEquationFn<ScalarEquationFn>(&Palliser::equationForThLiq), par, Tstart,
                              Tstart + 0.01, 1e-4);
        T_ = s.solve();
        if (s.status != 0) T_ = bracketThLiq(par);
        // The answer is the bubble point of the inclusion's density (a
        // bracket closed on a step of the surface would not be): its residual
        // is checked, and its pressure taken.
        residual = std::isfinite(T_) ? equationForThLiq(T_, par) : std::nan("");
    }
    pointFailed = error || !(std::fabs(residual) <= kThDensityTolerance * rho_);
    error = 0;
    if (!pointFailed) {
        P_ = par[2];
        return T_;
    }
    P_ = std::nan("");  // no bubble pressure either
    if (quiet == 0) {
        // Why not: an inclusion thinner than the critical density of its
        // salinity homogenises to vapour, one denser than its liquid at the
        // three-phase point by halite dissolution.
        double Tc = 0.0, Pc = 0.0, rc = std::nan(""), rl0 = std::nan(""), P0 = 0.0;
        {
            QuietScope q(*this);
            calculateCriticalPointFromX(X_, Tc, Pc, rc);
            if (X_ >= slvLiquidComposition(0.1)) calculateTm0(X_, rl0, P0);
        }
        std::string why = "outside the liquid-vapour surface";
        char buf[160];
        if (std::isfinite(rc) && rho_ < rc) {
            std::snprintf(buf, sizeof buf, "thinner than its critical density (%g kg/m3), it homogenises to vapour",
                          rc);
            why = buf;
        } else if (std::isfinite(rl0) && rho_ > rl0) {
            std::snprintf(buf, sizeof buf,
                          "denser than its liquid at the three-phase point (%g kg/m3), it homogenises by halite "
                          "dissolution",
                          rl0);
            why = buf;
        }
        pointFailed = 1;
        refuse("Fluid inclusion: no liquid-vapour homogenisation of %g wt %% NaCl at %g kg/m3: %s\n", 100.0 * X_, rho_,
               why.c_str());
    }
    return std::nan("");
}

// ---------------------------------------------------------------- halite dissolution

// Parameters: X.
double Palliser::equationForTm0(double T_, void* data) {
    double* p = static_cast<double*>(data);
    if (!onThreePhaseCurve(T_)) return noValue();
    return p[0] - slvLiquidComposition(T_);
}

double Palliser::calculateTm0(double X_, double& rhol, double& P_) {
    // Halite dissolves along the three-phase curve from the peritectic of
    // hydrohalite (0.1 °C, 26.3 wt %) to its melting point (pure NaCl); the
    // three-phase liquid's salt content rises monotonically with T, so the
    // temperature of X is bisected.
    const double Tlow = 0.1, Xlow = slvLiquidComposition(Tlow);
    pointFailed = 0;
    if (!(X_ >= Xlow && X_ <= 1.0)) {
        rhol = P_ = std::nan("");
        pointFailed = 1;
        refuse("H2O-NaCl: no halite dissolution temperature for %g wt %% NaCl (the three-phase liquid holds %g to "
               "100 wt %%)\n",
               100.0 * X_, 100.0 * Xlow);
        return std::nan("");
    }
    pointFailed = 0;
    double lo = Tlow, hi = Ttriple;
    for (int k = 0; k < 200 && hi - lo > 1e-12; ++k) {
        const double mid = 0.5 * (lo + hi);
        (slvLiquidComposition(mid) < X_ ? lo : hi) = mid;
    }
    const double T_ = 0.5 * (lo + hi);
    double Xl, Xv, rv;
    calculateSLVPoint(T_, P_, Xl, Xv, rhol, rv);
    return T_;
}

// Parameters: X, phiV, then the bulk density and the SLV pressure.
double Palliser::equationForTm(double T_, void* data) {
    double* p = static_cast<double*>(data);
    if (T_ < 20.0 || !onThreePhaseCurve(T_)) return noValue();
    double Ps, Xl, Xv, rl, rv;
    calculateSLVPoint(T_, Ps, Xl, Xv, rl, rv);
    const TwoPhaseLever lever(p[0], Xl, rl, Xv, rv);
    if (!lever.holds()) return noValue();
    p[2] = lever.density();
    p[3] = Ps;
    return ((1.0 - lever.w) / rv) / lever.v - p[1];
}

double Palliser::calculateTm(double X_, double phiV, double Tstart, double& rho_, double& P_) {
    pointFailed = 0;
    if (!argumentsHold("calculateTm", {salinityArg(X_), fractionArg("vapour volume fraction phiV", phiV)})) {
        rho_ = P_ = std::nan("");
        return 0.0;
    }
    // (Without a start temperature the search starts from 300 °C.)
    if (!std::isfinite(Tstart)) Tstart = 300.0;
    double par[4] = {X_, phiV, 0.0, 0.0};
    double x0 = Tstart, x1 = Tstart + 0.01;
    if (Tstart > Ttriple - 0.2) {
        x0 = Ttriple - 0.1;
        x1 = Ttriple;
    }
    double T_ = 0.0;
    int status = 0;
    {
        QuietScope q(*this);
        Secant s = makeSecant(this, toEquationFn<ScalarEquationFn>(&Palliser::equationForTm), par, x0, x1, 0.01);
        T_ = s.solve();
        status = s.status;
    }
    if (status != 0) {
        rho_ = P_ = std::nan("");
        pointFailed = 1;
        refuse("H2O-NaCl: no halite dissolution of %g wt %% NaCl with a vapour fraction of %g on the three-phase "
               "curve\n",
               100.0 * X_, phiV);
        return 0.0;
    }
    pointFailed = 0;
    rho_ = par[2];
    P_ = par[3];
    return T_;
}

// Parameters: X, phiH, then the bulk density, the SLV pressure and Xl.
double Palliser::equationForTm3(double T_, void* data) {
    double* p = static_cast<double*>(data);
    if (!onThreePhaseCurve(T_)) return noValue();
    double Ps, Xl, Xv, rl, rv;
    calculateSLVPoint(T_, Ps, Xl, Xv, rl, rv);
    const TwoPhaseLever lever(p[0], 1.0, rhoHalite, Xl, rl);
    if (!lever.holds()) return noValue();
    p[2] = lever.density();
    p[3] = Ps;
    p[4] = Xl;
    return (lever.w / rhoHalite) / lever.v - p[1];
}

double Palliser::calculateTm3(double X_, double phiH, double Tstart, double& rho_, double& Tslv, double& Xl,
                              double& Pslv_, double& P_) {
    pointFailed = 0;
    if (!argumentsHold("calculateTm3", {salinityArg(X_), fractionArg("halite volume fraction phiH", phiH)})) {
        rho_ = Tslv = Xl = Pslv_ = P_ = std::nan("");
        return 0.0;
    }
    // (Without a start temperature the search starts from 300 °C.)
    if (!std::isfinite(Tstart)) Tstart = 300.0;
    double par[5] = {X_, phiH, 0.0, 0.0, 0.0};
    int status = 0;
    {
        QuietScope q(*this);
        Secant s = makeSecant(this, toEquationFn<ScalarEquationFn>(&Palliser::equationForTm3), par, Tstart,
                              Tstart - 0.01, 0.01);
        Tslv = s.solve();
        status = s.status;
    }
    if (status != 0) {
        pointFailed = 1;
        rho_ = Tslv = Xl = Pslv_ = P_ = std::nan("");
        refuse("H2O-NaCl: no three-phase point where %g wt %% NaCl holds a halite fraction of %g\n", 100.0 * X_, phiH);
        return 0.0;
    }
    rho_ = par[2];
    Pslv_ = par[3];
    Xl = par[4];
    double T_;
    calculateHaliteLiquidTemperatureFromRhoX(X_, rho_, T_, P_, Tslv);  // says why it fails
    if (pointFailed) {
        // Without its dissolution the inclusion has no answer: none of the
        // three-phase point's numbers stands beside the flag.
        rho_ = Tslv = Xl = Pslv_ = P_ = std::nan("");
        return 0.0;
    }
    return T_;
}

// Parameters: X.
double Palliser::equationForSLVX(double T_, void* data) {
    double* p = static_cast<double*>(data);
    // The three-phase liquid composition rises monotonically with T from
    // 0 °C; below, the search has no single answer.
    if (!onThreePhaseCurve(T_)) return noValue();
    return p[0] - slvLiquidComposition(T_);
}

void Palliser::calculateSLVPointFromX(double X_, double& T_, double& P_, double& Xv, double& rhol, double& rhov,
                                      double) {
    // The three-phase point whose liquid holds X (the halite dissolution
    // temperature of calculateTm0).
    double rl = 0.0;
    T_ = calculateTm0(X_, rl, P_);
    if (pointFailed) {
        P_ = Xv = rhol = rhov = std::nan("");
        return;
    }
    double Xl;
    calculateSLVPoint(T_, P_, Xl, Xv, rhol, rhov);
}

// Parameters: X.
double Palliser::equationForCriticalPoint(double T_, void* data) {
    double* p = static_cast<double*>(data);
    if (T_ < Tcw || T_ > TmixTop) return noValue();
    return criticalComposition(T_) - p[0];
}

void Palliser::calculateCriticalPointFromX(double X_, double& T_, double& P_, double& rho_) {
    pointFailed = 0;
    if (X_ >= 0.0 && X_ < 1e-8) {
        // Pure water (as the bulk density takes it): its own critical point.
        T_ = TcwIAPWS;
        P_ = PcwIAPWS;
        rho_ = rhocw;
        pointFailed = 0;
        return;
    }
    // The critical composition rises with T along the critical curve (with
    // a step of 1.5e-5 in mole fraction at 600 °C, where its two published
    // branches meet): the root is bisected on the curve.
    const double Xtop = criticalComposition(TmixTop);
    if (!(X_ >= 0.0 && X_ <= Xtop)) {
        T_ = P_ = rho_ = std::nan("");
        pointFailed = 1;
        refuse("H2O-NaCl: no critical point of %g wt %% NaCl (the critical curve holds 0 to %g wt %%, up to %g °C)\n",
               100.0 * X_, 100.0 * Xtop, TmixTop);
        return;
    }
    double lo = Tcw, hi = TmixTop;
    for (int k = 0; k < 200 && hi - lo > 1e-12; ++k) {
        const double mid = 0.5 * (lo + hi);
        (criticalComposition(mid) < X_ ? lo : hi) = mid;
    }
    T_ = 0.5 * (lo + hi);
    double Xc = 0.0;
    calculateCriticalPoint(T_, P_, Xc, rho_);
}

// ---------------------------------------------------------------- bubble and boiling points

// Parameters: P, X, then Xv, rhol, rhov of the last evaluation.
double Palliser::equationForBubblePointFromP(double T_, void* data) {
    double* p = static_cast<double*>(data);
    double Pb = p[0];
    calculateBubblePoint(T_, p[1], Pb, p[2], p[3], p[4]);
    if (pointFailed) return noValue();
    return Pb - p[0];
}

void Palliser::calculateBubblePointFromP(double P_, double X_, double& T_, double& Xv, double& rhol, double& rhov,
                                         double Tstart) {
    pointFailed = 0;
    T_ = -1.0;
    Xv = rhol = rhov = std::nan("");
    if (!argumentsHold("calculateBubblePointFromP", {pressureArg(P_), salinityArg(X_)})) return;
    // (Without a start temperature the search starts from 200 °C.)
    if (!std::isfinite(Tstart)) Tstart = 200.0;
    double par[5] = {P_, X_, 0.0, 0.0, 0.0};
    double Tb = 0.0, Tc = std::nan(""), Pc = std::nan("");
    bool found = false;
    {
        QuietScope q(*this);
        Secant s = makeSecant(this, toEquationFn<ScalarEquationFn>(&Palliser::equationForBubblePointFromP), par,
                              Tstart, Tstart + 1.0, 0.01);
        Tb = s.solve();
        found = s.status == 0;
        error = 0;
        if (!found) found = bracketBubbleTemperature(par, Tb, Tc, Pc);
        // The state at the root, evaluated there.
        if (found) {
            equationForBubblePointFromP(Tb, par);
            found = error == 0 && !pointFailed && std::isfinite(par[3]);
        }
        error = 0;
    }
    pointFailed = found ? 0 : 1;
    if (!found) {
        if (std::isfinite(Pc) && P_ > Pc)
            refuse("H2O-NaCl: no bubble point of %g wt %% NaCl at %g bar: the liquid boils only up to its critical "
                   "point (%g °C, %g bar)\n",
                   100.0 * X_, P_, Tc, Pc);
        else
            refuse("H2O-NaCl: no bubble point of %g wt %% NaCl at %g bar\n", 100.0 * X_, P_);
        return;
    }
    T_ = Tb;
    Xv = par[2];
    rhol = par[3];
    rhov = par[4];
}

bool Palliser::bracketBubbleTemperature(double* par, double& Tb, double& Tc, double& Pc) {
    // The bubble pressure of a composition rises with temperature up to its
    // critical point, where the bubble-point branch ends: a scan of the
    // temperature from the eutectic to the critical temperature brackets
    // the pressure asked for, which is then bisected.
    double rc = 0.0;
    calculateCriticalPointFromX(par[1], Tc, Pc, rc);
    if (pointFailed || !std::isfinite(Tc)) {
        Tc = Pc = std::nan("");
        return false;
    }
    auto f = [&](double t) {
        const double v = equationForBubblePointFromP(t, par);
        const bool bad = error != 0 || pointFailed;
        error = 0;
        return bad ? std::nan("") : v;
    };
    constexpr int kScan = 80;
    const double lo0 = kEutecticT, hi0 = Tc - 1e-6;
    double a = hi0, fa = f(a);
    for (int k = kScan - 1; k >= 0; --k) {
        const double b = lo0 + (hi0 - lo0) * k / kScan, fb = f(b);
        if (std::isfinite(fa) && std::isfinite(fb) && (fa < 0.0) != (fb < 0.0)) {
            double lo = b, hi = a, flo = fb;
            for (int i = 0; i < 200 && hi - lo > 1e-10; ++i) {
                const double mid = 0.5 * (lo + hi), fm = f(mid);
                if (!std::isfinite(fm)) return false;
                if ((fm < 0.0) == (flo < 0.0)) {
                    lo = mid;
                    flo = fm;
                } else {
                    hi = mid;
                }
            }
            Tb = 0.5 * (lo + hi);
            return true;
        }
        a = b;
        fa = fb;
    }
    return false;
}

// Parameters: T, X, phiV, Pb, then Xl, Xv, rhol, rhov of the last evaluation.
double Palliser::equationForBoilingGasVolume(double P_, void* data) {
    double* p = static_cast<double*>(data);
    if (P_ > p[3]) return noValue();
    calculateLGPoint(p[0], P_, p[4], p[5], p[6], p[7]);
    if (pointFailed) return noValue();
    // The vapour's NaCl taken as none, as in the bulk density below.
    const TwoPhaseLever lever(p[1], p[4], p[6], 0.0, p[7]);
    return ((1.0 - lever.w) / p[7]) / lever.v - p[2];
}

void Palliser::calculateBoilingPointWithGasVolume(double T_, double X_, double phiV, double& P_, double& Xl,
                                                  double& Xv, double& rhol, double& rhov, double& rho_) {
    pointFailed = 0;
    if (!argumentsHold("calculateBoilingPointWithGasVolume",
                       {temperatureArg(T_), salinityArg(X_), fractionArg("vapour volume fraction phiV", phiV)})) {
        P_ = Xl = Xv = rhol = rhov = rho_ = std::nan("");
        return;
    }
    double Pb = P_, Xvb, rlb, rvb;
    calculateBubblePoint(T_, X_, Pb, Xvb, rlb, rvb);  // says why it fails
    if (pointFailed) {
        P_ = Xl = Xv = rhol = rhov = rho_ = std::nan("");
        return;
    }
    if (phiV == 0.0) {
        P_ = Pb;
        Xl = X_;
        Xv = Xvb;
        rhol = rlb;
        rhov = rvb;
        rho_ = rlb;
        return;
    }
    double par[8] = {T_, X_, phiV, Pb, 0.0, 0.0, 0.0, 0.0};
    double Pr = 0.0;
    {
        QuietScope q(*this);
        Secant s = makeSecant(this, toEquationFn<ScalarEquationFn>(&Palliser::equationForBoilingGasVolume), par, Pb,
                              Pb - 0.0001, 0.01);
        Pr = s.solve();
        pointFailed = s.status != 0;
    }
    if (pointFailed) {
        P_ = Xl = Xv = rhol = rhov = rho_ = std::nan("");
        refuse("H2O-NaCl: no boiling point of %g wt %% NaCl at %g °C with a vapour fraction of %g\n", 100.0 * X_, T_,
               phiV);
        return;
    }
    P_ = Pr;
    Xl = par[4];
    Xv = par[5];
    rhol = par[6];
    rhov = par[7];
    // The bulk density is the harmonic mean of the two phases by mass (the
    // vapour's NaCl taken as none).
    rho_ = TwoPhaseLever(X_, Xl, rhol, 0.0, rhov).density();
}

// ---------------------------------------------------------------- isochores

// Parameters: T, rho, X (mass fraction), Pslv, Psatw, Xl (halite liquidus).
double Palliser::equationForIsochoricFluidPressure(double P_, void* data) {
    double* p = static_cast<double*>(data);
    const double d = calculateFluidDensity(p[0], P_, p[2], p[1]);
    if (d == 0.0 || !std::isfinite(d)) return noValue();
    return d - p[1];
}

double Palliser::getIsochoricFluidPressure(double T_, double Pstart, double rho_, double Xwt) {
    pointFailed = 0;
    if (!argumentsHold("getIsochoricFluidPressure", {temperatureArg(T_), densityArg(rho_), salinityPercentArg(Xwt)}))
        return 0.0;
    if (!(Pstart > 0.0 && Pstart <= kTopPressure)) Pstart = 1000.0;
    double par[6] = {T_, rho_, 0.01 * Xwt, 0.0, 0.0, 0.0};
    double Pr = 0.0;
    bool ok = false;
    {
        QuietScope q(*this);
        Secant s = makeSecant(this, toEquationFn<ScalarEquationFn>(&Palliser::equationForIsochoricFluidPressure),
                              par, Pstart, 1.001 * Pstart, 0.01);
        Pr = s.solve();
        ok = matched(s, rho_) && Pr <= kTopPressure;
        error = 0;
        if (!ok) {
            // The secant may step past the top of the diagram (5000 bar): the
            // pressure is bracketed between the start and the top, where the
            // fluid of one phase is denser the higher the pressure, and
            // bisected.
            auto f = [&](double p) {
                const double d = calculateFluidDensity(T_, p, par[2], rho_);
                return std::isfinite(d) ? d - rho_ : std::nan("");
            };
            double lo = Pstart, hi = kTopPressure, flo = f(lo), fhi = f(hi);
            if (std::isfinite(flo) && std::isfinite(fhi) && flo < 0.0 && fhi >= 0.0) {
                for (int k = 0; k < 200 && hi - lo > 1e-12 * hi; ++k) {
                    const double mid = 0.5 * (lo + hi), fm = f(mid);
                    if (!std::isfinite(fm)) break;
                    (fm < 0.0 ? lo : hi) = mid;
                }
                Pr = hi;
                ok = std::fabs(f(Pr)) <= 1e-6 * rho_;
            }
            error = 0;
        }
    }
    if (ok) {
        pointFailed = 0;
        return Pr;
    }
    // A density reached only above the top of the diagram (or, where the
    // liquid's density is held, never) lies outside the model, which is not
    // the same as no answer.
    double top = 0.0;
    {
        QuietScope q(*this);
        top = calculateFluidDensity(T_, kTopPressure, par[2], rho_);
    }
    if (region == 6 && top < rho_) {
        refuse("H2O-NaCl: %g kg/m3 at %g °C and %g wt %% NaCl is denser than the model's fluid at %g bar "
                        "(%g kg/m3): outside the model's range\n",
                        rho_, T_, Xwt, kTopPressure, top);
    } else {
        refuse("H2O-NaCl: no one-phase fluid of %g wt %% NaCl has %g kg/m3 at %g °C\n", Xwt, rho_, T_);
    }
    pointFailed = 1;
    return 0.0;
}

double Palliser::equationForIsochoricHaliteGasPressure(double P_, void* data) {
    double* p = static_cast<double*>(data);
    if (p[0] <= Ttriple && P_ > p[3]) return noValue();
    double Xg, rg;
    calculateHaliteGasBubble(p[0], P_, Xg, rg);
    const TwoPhaseLever lever(p[2], 1.0, kHaliteDensity, Xg, rg);
    if (!lever.holds()) return noValue();
    return lever.density() - p[1];
}

double Palliser::getIsochoricHaliteGasPressure(double T_, double Pstart, double rho_, double Xwt) {
    pointFailed = 0;
    if (!argumentsHold("getIsochoricHaliteGasPressure", {temperatureArg(T_), finiteArg("start pressure Pstart", Pstart, "bar"),
                                    densityArg(rho_), salinityPercentArg(Xwt)}))
        return 0.0;
    double par[6] = {T_, rho_, 0.01 * Xwt, Pstart, 0.0, 0.0};
    if (T_ <= Ttriple) par[3] = quietThreePhasePressure(T_);
    const double P0 = T_ <= Ttriple ? std::fmin(par[3], Pstart) : Pstart;
    return searchIsochoricPressure(toEquationFn<ScalarEquationFn>(&Palliser::equationForIsochoricHaliteGasPressure),
                                   par, P0, 0.999 * P0, "halite and vapour", Xwt);
}

double Palliser::quietThreePhasePressure(double T_) {
    QuietScope q(*this);
    double Ps = std::nan(""), Xl, Xv, rl, rv;
    calculateSLVPoint(T_, Ps, Xl, Xv, rl, rv);
    return Ps;
}

double Palliser::searchIsochoricPressure(ScalarEquationFn fn, double* par, double x0, double x1, const char* phases,
                                         double Xwt) {
    double Pr = 0.0;
    bool ok = false;
    {
        QuietScope q(*this);
        Secant s = makeSecant(this, fn, par, x0, x1, 0.01);
        Pr = s.solve();
        ok = matched(s, par[1]);
        error = 0;
    }
    return isochoricPressure(ok, Pr, phases, par[0], par[1], Xwt);
}

double Palliser::isochoricPressure(bool found, double Pr, const char* phases, double T_, double rho_, double Xwt) {
    pointFailed = found ? 0 : 1;
    if (found) return Pr;
    // (0, the isochoric pressures' sentinel.)
    refuse("H2O-NaCl: no pressure at %g °C gives %g wt %% NaCl as %s the bulk density %g kg/m3\n", T_, Xwt, phases,
           rho_);
    return 0.0;
}

double Palliser::equationForIsochoricLiquidGasPressure(double P_, void* data) {
    double* p = static_cast<double*>(data);
    if (p[0] <= Ttriple && P_ < p[3]) return noValue();
    if (p[0] < Tcw && P_ > p[4]) return noValue();
    double Xl, Xv, rl, rv;
    calculateLGPoint(p[0], P_, Xl, Xv, rl, rv);
    if (pointFailed) return noValue();
    const TwoPhaseLever lever(p[2], Xl, rl, Xv, rv);
    if (!lever.holds()) return noValue();
    return p[1] - lever.density();
}

double Palliser::getIsochoricLiquidGasPressure(double T_, double Pstart, double rho_, double Xwt) {
    pointFailed = 0;
    if (!argumentsHold("getIsochoricLiquidGasPressure", {temperatureArg(T_), finiteArg("start pressure Pstart", Pstart, "bar"),
                                    densityArg(rho_), salinityPercentArg(Xwt)}))
        return 0.0;
    double par[6] = {T_, rho_, 0.01 * Xwt, Pstart, 1e15, 0.0};
    double P0 = Pstart;
    if (T_ <= Ttriple) P0 = par[3] = quietThreePhasePressure(T_);
    if (T_ < Tcw) {
        QuietScope q(*this);
        double rl, rv;
        calculateWaterSaturationPoint(T_, par[4], rl, rv);
    }
    return searchIsochoricPressure(toEquationFn<ScalarEquationFn>(&Palliser::equationForIsochoricLiquidGasPressure),
                                   par, P0, 1.001 * P0, "liquid and vapour", Xwt);
}

double Palliser::equationForIsochoricHaliteLiquidPressure(double P_, void* data) {
    double* p = static_cast<double*>(data);
    if (p[0] <= Ttriple && P_ < p[3]) return noValue();
    double Xl, rl;
    calculateHaliteLiquidPoint(p[0], P_, Xl, Xlslv, rl);
    if (pointFailed) return noValue();
    p[5] = Xl;
    const TwoPhaseLever lever(p[2], 1.0, kHaliteDensity, Xl, rl);
    if (!lever.holds()) return noValue();
    return lever.density() - p[1];
}

double Palliser::getIsochoricHaliteLiquidPressure(double T_, double Pstart, double rho_, double Xwt, double& Xl) {
    pointFailed = 0;
    Xl = std::nan("");
    if (!argumentsHold("getIsochoricHaliteLiquidPressure", {temperatureArg(T_), finiteArg("start pressure Pstart", Pstart, "bar"),
                                                            densityArg(rho_), salinityPercentArg(Xwt)}))
        return 0.0;
    // The state the bulk density and composition hold does not depend on a
    // start: the halite + liquid isochore is searched over the whole range of
    // pressures where the two phases coexist (from the three-phase pressure
    // below the melting point of halite, from its melting curve above it, to
    // the top of the diagram); without it, the inclusion holds halite, liquid
    // and vapour at the three-phase pressure only where the three-phase lever
    // gives each a mass fraction in [0, 1].
    double par[6] = {T_, rho_, 0.01 * Xwt, 0.0, 0.0, 0.0};
    double Pr = std::nan("");
    {
        QuietScope q(*this);
        double Plo = 0.0;
        if (T_ <= Ttriple) {
            calculateSLVPoint(T_, Pslv, Xlslv, Xvslv, rholslv, rhovslv);
            Plo = par[3] = Pslv;
        } else {
            // No three-phase point above the melting point of halite: the
            // liquidus search starts from molten NaCl.
            Xlslv = 1.0;
        }
        if (std::isfinite(Plo) && haliteLiquidIsochore(par, Plo, Pr)) {
            Xl = par[5];
        } else if (T_ <= Ttriple) {
            double Ps, wl, wv;
            getHaliteLiquidGasState(T_, par[2], rho_, Ps, wl, wv);
            if (!pointFailed) {
                Pr = Ps;
                Xl = Xlslv;
            }
        }
        error = 0;
    }
    return isochoricPressure(std::isfinite(Pr), Pr, "halite and liquid", T_, rho_, Xwt);
}

bool Palliser::haliteLiquidIsochore(double* par, double Plo, double& Pr) {
    // The residual (bulk density of the lever less the one asked for) on a
    // grid of pressures, up from the lowest; the first change of sign is
    // closed by bisection.  Where halite and liquid cannot make the bulk
    // composition the residual has no value.
    auto residual = [&](double P_, double& f) {
        error = 0;
        f = equationForIsochoricHaliteLiquidPressure(P_, par);
        return !error && std::isfinite(f);
    };
    constexpr int kSteps = 64;
    const double top = kTopPressure;
    double a = 0.0, fa = 0.0;
    bool haveA = false;
    for (int i = 0; i <= kSteps; ++i) {
        const double b = i == 0 ? Plo * (1.0 + 1e-9) + 1e-9 : Plo + (top - Plo) * i / kSteps;
        double fb;
        if (!residual(b, fb)) {
            haveA = false;
            continue;
        }
        if (fb == 0.0) {
            Pr = b;
            return true;
        }
        if (haveA && (fa < 0.0) != (fb < 0.0)) {
            double lo = a, hi = b, flo = fa;
            for (int k = 0; k < 100 && hi - lo > 1e-12 * hi; ++k) {
                const double m = 0.5 * (lo + hi);
                double fm;
                if (!residual(m, fm)) return false;
                if ((fm < 0.0) == (flo < 0.0))
                    lo = m, flo = fm;
                else
                    hi = m;
            }
            Pr = 0.5 * (lo + hi);
            double f;
            return residual(Pr, f);  // leaves the liquid's composition of the root in par[5]
        }
        a = b;
        fa = fb;
        haveA = true;
    }
    return false;
}

// ---------------------------------------------------------------- depth

// Parameters: X, then the temperature of the last bubble point.
double Palliser::equationForDepthPressureConversion(double P_, void* data) {
    double* p = static_cast<double*>(data);
    double Tb, Xv, rl, rv;
    calculateBubblePointFromP(P_, p[0], Tb, Xv, rl, rv, 100.0);
    if (pointFailed || !(rl > 0.0)) return noValue();
    return 1e5 / (kGravity * rl);
}

double Palliser::convertPressureToDepth(double X_, double P0, double P1, double z0, double& z) {
    pointFailed = 0;
    z = std::nan("");
    if (!argumentsHold("convertPressureToDepth", {salinityArg(X_), pressureArg(P0, "pressure P0"),
                                                  pressureArg(P1, "pressure P1"), finiteArg("depth z0", z0, "m")}))
        return z;
    double par[2] = {X_, 0.0};
    double dz = std::nan(""), Tc = std::nan(""), Pc = std::nan("");
    {
        QuietScope q(*this);
        auto g = std::make_unique<Gauss10>();
        g->obj = this;
        g->fn = toEquationFn<ScalarEquationFn>(&Palliser::equationForDepthPressureConversion);
        g->data = par;
        g->a = P0;
        g->b = P1;
        dz = g->calculate();
        if (error || !std::isfinite(dz)) {
            dz = std::nan("");
            double rc = 0.0;
            calculateCriticalPointFromX(X_, Tc, Pc, rc);  // (for the message)
        }
        error = 0;
    }
    if (std::isfinite(dz)) {
        pointFailed = 0;
        z = z0 + dz;
        return z;
    }
    // A point of the column without a bubble-point liquid: no depth.
    pointFailed = 1;
    if (std::isfinite(Pc) && std::fmax(P0, P1) > Pc)
        refuse("H2O-NaCl: no depth at %g bar below %g bar in a column of boiling %g wt %% NaCl: its bubble-point "
               "liquid ends at its critical point (%g °C, %g bar)\n",
               P1, P0, 100.0 * X_, Tc, Pc);
    else
        refuse("H2O-NaCl: no depth at %g bar below %g bar in a column of boiling %g wt %% NaCl: no bubble-point "
               "liquid at some pressure between\n",
               P1, P0, 100.0 * X_);
    return z;
}

// Parameters: T0, z0, P0, gradT, X, rhoCol, TcritX, then P, z, rhol.
double Palliser::equationForGeothermBubblePoint(double T_, void* data) {
    double* p = static_cast<double*>(data);
    if (T_ < 0.0 || T_ > p[6]) return noValue();
    double Pb = p[7], Xv, rl, rv;
    calculateBubblePoint(T_, p[4], Pb, Xv, rl, rv);
    if (pointFailed) return noValue();
    double z;
    if (p[5] < 0.0) {
        z = p[1] + (Pb - p[2]) * 1e5 / (kGravity * rl);
    } else if (p[5] == 0.0) {
        convertPressureToDepth(p[4], p[2], Pb, p[1], z);
        if (pointFailed) return noValue();
    } else {
        z = p[1] + (Pb - p[2]) * 1e5 / (kGravity * p[5]);
    }
    p[7] = Pb;
    p[8] = z;
    p[9] = rl;
    return p[0] + p[3] * (z - p[1]) - T_;
}

void Palliser::calculateGeothermBubblePoint(double T0, double z0, double P0, double gradT, double X_, double rhoCol,
                                            double& T_, double& P_, double& z, double& rhol) {
    pointFailed = 0;
    // (A column density below 0 takes the bubble-point liquid's, 0 the
    // liquid's along the column.)
    if (!argumentsHold("calculateGeothermBubblePoint",
                       {temperatureArg(T0), finiteArg("depth z0", z0, "m"), pressureArg(P0, "pressure P0"),
                        finiteArg("gradient gradT", gradT, "°C/m"), salinityArg(X_),
                        finiteArg("column density rhoCol", rhoCol, "kg/m3")})) {
        T_ = -1.0;
        P_ = z = rhol = std::nan("");
        return;
    }
    double Tc, Pc, rc;
    calculateCriticalPointFromX(X_, Tc, Pc, rc);
    if (pointFailed) {
        T_ = -1.0;
        P_ = z = rhol = std::nan("");
        return;
    }
    double par[10] = {T0, z0, P0, gradT, X_, rhoCol, Tc, 0.0, 0.0, 0.0};
    double Tr = 0.0;
    {
        QuietScope q(*this);
        Secant s = makeSecant(this, toEquationFn<ScalarEquationFn>(&Palliser::equationForGeothermBubblePoint), par,
                              Tc - 10.0, Tc - 11.0, 0.01);
        Tr = s.solve();
        pointFailed = s.status != 0;
    }
    if (pointFailed) {
        T_ = -1.0;
        P_ = z = rhol = std::nan("");
        refuse("H2O-NaCl: no bubble point of %g wt %% NaCl on the geotherm from %g °C\n", 100.0 * X_, T0);
        return;
    }
    T_ = Tr;
    P_ = par[7];
    z = par[8];
    rhol = par[9];
}
