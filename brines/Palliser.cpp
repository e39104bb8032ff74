// Placing an H2O-NaCl state in its phase region and its bulk density: the
// lever rules of the two- and three-phase regions, the pure components on
// their saturation curves and the walk through the temperature bands of the
// diagram (below the critical point of water, up to the melting point of
// halite, up to the critical point of NaCl).
#include "brines/Palliser.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "brines/PalliserLever.h"
#include "platform/LogSink.h"

Palliser::Palliser() { rhoHalite = kHaliteDensity; }

void Palliser::refuse(const char* format, ...) {
    if (quiet > 0) return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    platform::logDiagnostic(text);
}

bool Palliser::argumentsHold(const char* call, std::initializer_list<Argument> args) {
    for (const Argument& a : args) {
        const bool above = a.openLow ? a.value > a.lo : a.value >= a.lo;
        if (std::isfinite(a.value) && above && a.value <= a.hi) continue;
        pointFailed = 1;
        char range[96];
        const char* sep = a.unit[0] == '\0' ? "" : " ";
        if (std::isinf(a.hi))
            std::snprintf(range, sizeof range, "%s %g%s%s", a.openLow ? "above" : "from", a.lo, sep, a.unit);
        else if (a.openLow)
            std::snprintf(range, sizeof range, "above %g and up to %g%s%s", a.lo, a.hi, sep, a.unit);
        else
            std::snprintf(range, sizeof range, "from %g to %g%s%s", a.lo, a.hi, sep, a.unit);
        if (std::isinf(a.lo) && std::isinf(a.hi))
            std::snprintf(range, sizeof range, "a finite number%s%s", sep, a.unit);
        refuse("H2O-NaCl %s: the %s must be %s%s, not %g\n", call, a.name,
               std::isinf(a.lo) && std::isinf(a.hi) ? "" : "a number ", range, a.value);
        return false;
    }
    return true;
}

bool Palliser::sweepable(double a, double b, double step) {
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(step) || step == 0.0) return false;
    if (a + step == a) return false;
    // At most ten million points, whichever way the sweep runs.
    return std::fabs(b - a) / std::fabs(step) < 1e7;
}

// ---------------------------------------------------------------- lever rules

namespace {

// The lever rule of the two phases a and b present at the bulk composition X
// (the third phase absent): their mass fractions wa, wb and volume fractions
// va, vb, those of the absent phase w0 = v0 = 0; the bulk density.
double leverRule(double X, double Xa, double ra, double Xb, double rb, double& wa, double& wb, double& va, double& vb,
                 double& w0, double& v0) {
    const TwoPhaseLever lever(X, Xa, ra, Xb, rb);
    wa = lever.w;
    wb = 1.0 - wa;
    w0 = 0.0;
    const double d = lever.density();
    va = (d - rb) / (ra - rb);
    vb = 1.0 - va;
    v0 = 0.0;
    return d;
}

}  // namespace

double Palliser::calculateLiquidGasDensity() { return leverRule(X, Xllg, rhollg, Xvlg, rhovlg, wl, wv, vl, vv, wh, vh); }

double Palliser::calculateHaliteGasDensity() { return leverRule(X, 1.0, rhoHalite, Xhg, rhohg, wh, wv, vh, vv, wl, vl); }

double Palliser::calculateHaliteLiquidDensity() {
    return leverRule(X, 1.0, rhoHalite, Xhl, rhohl, wh, wl, vh, vl, wv, vv);
}

namespace {

// Bulk densities that halite, the liquid (Xl, rl) and the vapour (Xv, rv)
// of a three-phase point can make at the bulk composition X: the specific
// volume is linear in the mass fractions, so its extremes lie on the edges
// of the triangle that the line X crosses.  False when X lies outside the
// triangle (below the vapour's composition).
bool threePhaseDensityRange(double X, double Xl, double Xv, double rl, double rv, double rh, double& lo, double& hi) {
    double vmin = std::numeric_limits<double>::infinity(), vmax = -vmin;
    auto edge = [&](double Xa, double ra, double Xb, double rb) {
        // The mixture of a and b whose composition is X, when there is one.
        if (!(X >= std::fmin(Xa, Xb) && X <= std::fmax(Xa, Xb))) return;
        const double wa = Xa == Xb ? 1.0 : (X - Xb) / (Xa - Xb);
        const double v = wa / ra + (1.0 - wa) / rb;
        vmin = std::fmin(vmin, v);
        vmax = std::fmax(vmax, v);
    };
    edge(Xl, rl, Xv, rv);
    edge(1.0, rh, Xv, rv);
    edge(1.0, rh, Xl, rl);
    if (!(vmax >= vmin)) return false;
    lo = 1.0 / vmax;
    hi = 1.0 / vmin;
    return true;
}

// Mass fractions that fall outside [0, 1] by rounding only.
constexpr double kFractionRounding = 1e-12;

}  // namespace

void Palliser::getHaliteLiquidGasState(double T_, double X_, double rho_, double& Ps, double& wl_, double& wv_) {
    pointFailed = 0;
    Ps = wl_ = wv_ = std::nan("");
    if (!argumentsHold("getHaliteLiquidGasState", {salinityArg(X_), densityArg(rho_)})) return;
    double P0, Xl, Xv, rl, rv;
    calculateSLVPoint(T_, P0, Xl, Xv, rl, rv);
    if (pointFailed) return;
    Pslv = P0;
    Xlslv = Xl;
    Xvslv = Xv;
    rholslv = rl;
    rhovslv = rv;
    // Mass balance of salt and of volume: wl (Xl - 1) + wv (Xv - 1) = X - 1
    // and wl (rho/rl - h) + wv (rho/rv - h) = 1 - h with h = rho/rhoHalite.
    const double h = rho_ / rhoHalite;
    const double gl = rho_ / rl - h, gv = rho_ / rv - h;
    const double al = Xl - 1.0, av = Xv - 1.0;
    const double c = 1.0 - h, xp = X_ - 1.0;
    const double v = (al * c - gl * xp) / (gv * al - gl * av);
    const double l = (c * av - gv * xp) / (gl * av - gv * al);
    auto in01 = [](double w) { return w >= -kFractionRounding && w <= 1.0 + kFractionRounding; };
    if (in01(l) && in01(v) && in01(1.0 - l - v)) {
        Ps = P0;
        wl_ = std::fmin(std::fmax(l, 0.0), 1.0);
        wv_ = std::fmin(std::fmax(v, 0.0), 1.0);
        return;
    }
    // Not a mixture of the three phases: the densities they can make at X.
    pointFailed = 1;
    double lo = 0.0, hi = 0.0;
    if (threePhaseDensityRange(X_, Xl, Xv, rl, rv, rhoHalite, lo, hi))
        refuse("H2O-NaCl: at %g °C and the three-phase pressure, %g bar, %g wt %% NaCl has a bulk density from %g to "
               "%g kg/m3 (halite, liquid and vapour), not %g\n",
               T_, P0, 100.0 * X_, lo, hi, rho_);
    else
        refuse("H2O-NaCl: at %g °C %g wt %% NaCl lies below the three-phase vapour's %g wt %%: it makes no halite, "
               "liquid and vapour\n",
               T_, 100.0 * X_, 100.0 * Xv);
}

double Palliser::calculateHaliteLiquidGasDensity(double T_, double X_, double rho_) {
    // The density of a bulk on the three-phase curve is the caller's: the
    // three phases of X make it (fractions below), or the bulk is refused.
    pointFailed = 0;
    if (!argumentsHold("calculateHaliteLiquidGasDensity", {salinityArg(X_), densityArg(rho_)})) return std::nan("");
    double Ps, l, v;
    getHaliteLiquidGasState(T_, X_, rho_, Ps, l, v);
    if (pointFailed) return std::nan("");
    wl = l;
    wv = v;
    wh = std::fmax(1.0 - wl - wv, 0.0);
    P = Pslv;
    const double s = wh / rhoHalite + wl / rholslv + wv / rhovslv;
    vl = wl / (rholslv * s);
    vh = wh / (rhoHalite * s);
    vv = wv / (rhovslv * s);
    return rho_;
}

// ---------------------------------------------------------------- pure components

double Palliser::calculateWaterDensity(double T_, double P_, double rhoIn) {
    if (!argumentsHold("calculateWaterDensity",
                       {waterTemperatureArg(T_), waterPressureArg(P_), {"density rhoIn", rhoIn, 0.0, kInf, "kg/m3"}}))
        return std::nan("");
    if (T_ > Tcw) {
        region = 6;
        return getWaterVapourDensity(T_, P_);
    }
    calculateWaterSaturationPoint(T_, Psatw, rholw, rhovw);
    Plg = Psatw;
    rhollg = rholw;
    rhovlg = rhovw;
    // On the saturation curve within 0.01 bar, or 0.1 % below 10 bar (at
    // 25 °C water boils at 0.032 bar).
    if (std::fabs(P_ - Psatw) >= std::fmin(0.01, 1e-3 * Psatw)) {
        region = 6;
        wh = vh = 0.0;
        if (P_ > Psatw) {
            wl = vl = 1.0;
            wv = vv = 0.0;
            return getWaterLiquidDensity(T_, P_);
        }
        wv = vv = 1.0;
        wl = vl = 0.0;
        return getWaterVapourDensity(T_, P_);
    }
    region = 7;
    P = Psatw;
    wh = vh = 0.0;
    return onSaturationCurve(rhoIn, rholw, rhovw);
}

double Palliser::calculateNaClDensity(double T_, double P_, double rhoIn) {
    if (!argumentsHold("calculateNaClDensity", {{"temperature T", T_, kWaterTmin, kInf, "°C"}, anyPressureArg(P_),
                                                {"density rhoIn", rhoIn, 0.0, kInf, "kg/m3"}}))
        return std::nan("");
    if (T_ <= Ttriple) {
        const double Ps = getHaliteSublimationPressure(T_);
        const double rv = P_ * 1e5 * MNaCl / ((T_ + 273.15) * 8.314);
        // On the sublimation curve within 0.01 bar, or 0.1 % of its pressure
        // where that is below 10 bar (halite sublimes at 1e-11 bar at 200 °C:
        // an absolute 0.01 bar would put solid halite at 0.005 bar on it, with
        // a density taken from the caller).
        if (std::fabs(P_ - Ps) >= std::fmin(0.01, 1e-3 * Ps)) {
            if (P_ > Ps) {
                region = 5;
                wh = vh = 1.0;
                wl = vl = wv = vv = 0.0;
                return rhoHalite;
            }
            region = 4;
            wv = vv = 1.0;
            wl = vl = wh = vh = 0.0;
            return rv;
        }
        region = 4;
        wl = vl = 0.0;
        if (rhoIn <= rhoHalite) {
            wh = (1.0 / rhoIn - 1.0 / rv) / (1.0 / rhoHalite - 1.0 / rv);
            wv = 1.0 - wh;
            vh = (rhoIn - rv) / (rhoHalite - rv);
            vv = 1.0 - vh;
            return rhoIn;
        }
        wh = vh = 1.0;
        wv = vv = 0.0;
        return rhoHalite;
    }
    if (T_ > TcNaCl) {
        region = 6;
        return getNaClVapourDensity(T_, P_);
    }
    if (P_ > getHaliteMeltingPressure(T_)) {
        // Below halite's melting curve (0.0247 °C per bar above 800.7 °C).
        region = 5;
        wh = vh = 1.0;
        wl = vl = wv = vv = 0.0;
        return rhoHalite;
    }
    calculateNaClSaturationPoint(T_, PsatNaCl, rholNaCl, rhovNaCl);
    Plg = PsatNaCl;
    rhollg = rholNaCl;
    rhovlg = rhovNaCl;
    wh = vh = 0.0;
    if (std::fabs(P_ - PsatNaCl) >= 0.01) {
        region = 6;
        if (P_ > PsatNaCl) {
            wl = vl = 1.0;
            wv = vv = 0.0;
            return getNaClLiquidDensity(T_, P_);
        }
        wv = vv = 1.0;
        wl = vl = 0.0;
        return getNaClVapourDensity(T_, P_);
    }
    region = 8;
    P = PsatNaCl;
    return onSaturationCurve(rhoIn, rholNaCl, rhovNaCl);
}

double Palliser::onSaturationCurve(double rhoIn, double rl, double rv) {
    if (rv > rhoIn) {
        wl = vl = 0.0;
        wv = vv = 1.0;
        return rv;
    }
    if (rhoIn > rl) {
        wl = vl = 1.0;
        wv = vv = 0.0;
        return rl;
    }
    wl = (1.0 / rhoIn - 1.0 / rv) / (1.0 / rl - 1.0 / rv);
    wv = 1.0 - wl;
    vl = (rhoIn - rv) / (rl - rv);
    vv = 1.0 - vl;
    return rhoIn;
}

// ---------------------------------------------------------------- bulk density

namespace {

// A state is on the three-phase curve within 0.01 bar of its pressure, or
// within 0.1 % of it where that pressure is below 10 bar (at 25 °C the curve
// lies at 0.024 bar, and 0.01 bar would take in 40 % of it).
double slvPressureTolerance(double Ps) { return std::fmin(0.01, 1e-3 * Ps); }

}  // namespace

double Palliser::calculateFluidDensity(double T_, double P_, double X_, double rhoIn) {
    // A state that cannot exist is refused: the record says so and the
    // density is NaN (the previous density stays in the record).
    // (At zero pressure there is no fluid to place: a vacuum.  The density
    // rhoIn decides a state on a saturation curve: a number from 0 up.)
    if (!argumentsHold("calculateFluidDensity", {{"temperature T", T_, kWaterTmin, kInf, "°C"}, anyPressureArg(P_),
                                                 salinityArg(X_), {"density rhoIn", rhoIn, 0.0, kInf, "kg/m3"}})) {
        reset();
        region = 0;
        pointFailed = 1;
        return std::nan("");
    }
    T = T_;
    P = P_;
    X = X_;
    region = 0;
    pointFailed = 0;
    reset();
    Pmax = 5000.0;
    if (pureEndDensity(T_, P_, X_, rhoIn)) return rho;
    if (!(T_ <= TmixTop) || !(P_ <= Pmax * (1.0 + 1e-9))) {
        // The correlations of the mixture (Driesner & Heinrich 2007, Driesner
        // 2007) hold up to 1000 °C and 5000 bar: beyond, no number.
        pointFailed = 1;
        refuse("H2O-NaCl: %g °C, %g bar lies beyond the correlations of the mixture (to %g °C and %g bar)\n", T_, P_,
               TmixTop, Pmax);
        return std::nan("");
    }
    if (!(T_ >= 0.1)) return densityBelowPeritectic(T_, P_, X_);
    {
        // (None for a fluid richer than the critical curve's end at 1000 °C.)
        QuietScope q(*this);
        calculateCriticalPointFromX(X_, TcritX, PcritX, rhocritX);
        pointFailed = 0;
    }
    if (T_ < Tcw) return densityBelowWaterCriticalT(T_, P_, X_, rhoIn);
    if (T_ <= Ttriple) return densityBelowHaliteMelting(T_, P_, X_, rhoIn);
    return densityAboveHaliteMelting(T_, P_, X_);
}

bool Palliser::pureEndDensity(double T_, double P_, double X_, double rhoIn) {
    if (X_ < 1e-8) {
        rho = calculateWaterDensity(T_, P_, rhoIn);
        if (pointFailed) return true;  // refused: rho holds the NaN
        TcritX = TcwIAPWS;
        PcritX = PcwIAPWS;
        rhocritX = rhocw;
        if (T_ < Tcw) {
            // (The three-phase point for the record, from 0.1 °C.)
            QuietScope q(*this);
            const int failed = pointFailed;
            calculateSLVPoint(T_, Pslv, Xlslv, Xvslv, rholslv, rhovslv);
            calculateWaterSaturationPoint(T_, Psatw, rholw, rhovw);
            pointFailed = failed;
        }
        return true;
    }
    if (X_ > 0.9999) {
        rho = calculateNaClDensity(T_, P_, rhoIn);
        if (T_ <= Ttriple && T_ >= 0.1) {
            // The boundaries at T for the caller (none where T lies outside them).
            QuietScope q(*this);
            const int failed = pointFailed;
            calculateSLVPoint(T_, Pslv, Xlslv, Xvslv, rholslv, rhovslv);
            if (T_ >= Tcw) calculateCriticalPoint(T_, Pcrit, Xcrit, rhocrit);
            calculateHaliteLiquidPoint(T_, Pmax, XhlPmax, Xlslv, rhohlPmax);
            pointFailed = failed;
        }
        return true;
    }
    return false;
}

// Below the peritectic of hydrohalite (0.1 °C) the diagram holds only the
// liquid above its freezing point (ice melting last, up to the eutectic
// composition) and above its vapour pressure.
double Palliser::densityBelowPeritectic(double T_, double P_, double X_) {
    double Tf = std::nan("");
    {
        QuietScope q(*this);
        calculateFreezingTemperature(X_, 1.0, Tf);
    }
    pointFailed = 0;
    if (!(X_ <= 0.232)) {
        pointFailed = 1;
        refuse("H2O-NaCl: at %g °C %g wt %% NaCl is not all liquid (below 0.1 °C, the peritectic, hydrohalite is "
               "stable beside a liquid richer than the eutectic's 23.2 wt %%)\n",
               T_, 100.0 * X_);
        return std::nan("");
    }
    if (!(T_ >= Tf)) {
        pointFailed = 1;
        refuse("H2O-NaCl: at %g °C %g wt %% NaCl is not all liquid (it freezes at %g °C)\n", T_, 100.0 * X_, Tf);
        return std::nan("");
    }
    double Pb = 0.0, Xvb, rlb, rvb;
    {
        QuietScope q(*this);
        calculateBubblePoint(T_, X_, Pb, Xvb, rlb, rvb);
    }
    if (pointFailed || !(P_ >= Pb)) {
        pointFailed = 1;
        refuse("H2O-NaCl: %g wt %% NaCl at %g °C and %g bar boils (below the peritectic of hydrohalite, 0.1 °C, the "
               "diagram holds its liquid only)\n",
               100.0 * X_, T_, P_);
        return std::nan("");
    }
    region = 6;
    wl = vl = 1.0;
    wv = vv = wh = vh = 0.0;
    rho = calculateFluidDensityRegion6();
    return rho;
}

// Vapour side below the three-phase pressure.
void Palliser::placeBelowThreePhasePressure(double T_, double P_, double X_) {
    calculateHaliteGasBubble(T_, P_, Xhg, rhohg);
    if (X_ < Xhg) {
        region = 6;
        rho = calculateFluidDensityRegion8();
    } else {
        region = 4;
        rho = calculateHaliteGasDensity();
    }
}

// The halite liquidus at the top of the diagram and the liquidus
// temperatures are told in the record for the caller; where one does not
// exist (no liquidus temperature for a fluid poorer than the three-phase
// liquid at 0 °C) the field says so (NaN or -1), and the state itself is
// still placed: pointFailed is left as it was.
void Palliser::recordHaliteLiquidus(double T_, double P_, double X_) {
    QuietScope q(*this);
    const int failed = pointFailed;
    double dummy;
    calculateHaliteLiquidPoint(T_, Pmax, XhlPmax, Xlslv, rhohlPmax);
    calculateHaliteLiquidTemperature(X_, Pmax, ThlPmax, dummy, T_);
    calculateHaliteLiquidTemperature(1.0, Pmax, Thl1Pmax, dummy, T_);
    calculateHaliteLiquidTemperature(1.0, P_, Thl1, dummy, T_);
    pointFailed = failed;
}

double Palliser::densityBelowWaterCriticalT(double T_, double P_, double X_, double rhoIn) {
    calculateSLVPoint(T_, Pslv, Xlslv, Xvslv, rholslv, rhovslv);
    calculateWaterSaturationPoint(T_, Psatw, rholw, rhovw);
    recordHaliteLiquidus(T_, P_, X_);
    Xhl = Xlslv + (P_ - Pslv) / (Pmax - Pslv) * (XhlPmax - Xlslv);
    if (std::fabs(P_ - Pslv) < slvPressureTolerance(Pslv) && X_ >= Xvslv) {
        region = 3;
        rho = calculateHaliteLiquidGasDensity(T_, X_, rhoIn);
    } else if (P_ <= Pslv) {
        // (At the three-phase pressure a fluid poorer than the three-
        // phase vapour is that vapour, undersaturated in halite.)
        placeBelowThreePhasePressure(T_, P_, X_);
    } else {
        calculateHaliteLiquidPoint(T_, P_, Xhl, Xlslv, rhohl);
        if (X_ > Xhl) {
            region = 5;
            rho = calculateHaliteLiquidDensity();
        } else if (P_ > Psatw) {
            region = 6;
            rho = calculateFluidDensityRegion2b();
        } else {
            calculateLGPoint(T_, P_, Xllg, Xvlg, rhollg, rhovlg);
            if (X_ < Xvlg) {
                region = 6;
                rho = calculateFluidDensityRegion4();
            } else if (X_ <= Xllg) {
                region = 1;
                rho = calculateLiquidGasDensity();
            } else {
                region = 6;
                rho = calculateFluidDensityRegion6();
            }
        }
    }
    return rho;
}

double Palliser::densityBelowHaliteMelting(double T_, double P_, double X_, double rhoIn) {
    calculateSLVPoint(T_, Pslv, Xlslv, Xvslv, rholslv, rhovslv);
    calculateCriticalPoint(T_, Pcrit, Xcrit, rhocrit);
    recordHaliteLiquidus(T_, P_, X_);
    if (std::fabs(P_ - Pslv) < slvPressureTolerance(Pslv) && X_ >= Xvslv) {
        region = 3;
        rho = calculateHaliteLiquidGasDensity(T_, X_, rhoIn);
        return rho;
    }
    if (P_ < Pslv) {
        placeBelowThreePhasePressure(T_, P_, X_);
        return rho;
    }
    calculateHaliteLiquidPoint(T_, P_, Xhl, Xlslv, rhohl);
    if (P_ <= Pcrit) {
        calculateLGPoint(T_, P_, Xllg, Xvlg, rhollg, rhovlg);
        if (X_ > Xllg && X_ < Xhl) {
            region = 6;
            rho = calculateFluidDensityRegion6();
        } else if (X_ < Xvlg) {
            region = 6;
            rho = calculateFluidDensityRegion4();
        } else if (X_ >= Xhl) {
            region = 5;
            rho = calculateHaliteLiquidDensity();
        } else {
            region = 1;
            rho = calculateLiquidGasDensity();
        }
    } else if (X_ > Xcrit && X_ < Xhl) {
        region = 6;
        rho = calculateFluidDensityRegion2b();
    } else if (X_ >= Xcrit) {
        region = 5;
        rho = calculateHaliteLiquidDensity();
    } else {
        region = 6;
        rho = calculateFluidDensityRegion2a();
    }
    return rho;
}

double Palliser::densityAboveHaliteMelting(double T_, double P_, double X_) {
    calculateCriticalPoint(T_, Pcrit, Xcrit, rhocrit);
    calculateNaClSaturationPoint(T_, PsatNaCl, rholNaCl, rhovNaCl);
    if (P_ > getHaliteMeltingPressure(T_)) {
        // Halite melts 0.0247 °C higher per bar: above its melting point at
        // low pressure, below its melting curve, a fluid richer than the
        // halite liquidus is still halite + liquid (at 5 kbar up to 924 °C).
        calculateHaliteLiquidPoint(T_, P_, Xhl, 1.0, rhohl);
        if (!pointFailed && X_ > Xhl) {
            region = 5;
            rho = calculateHaliteLiquidDensity();
            return rho;
        }
    }
    if (P_ <= PsatNaCl) {
        region = 6;
        rho = calculateFluidDensityRegion7();
    } else if (P_ <= Pcrit) {
        calculateLGPoint(T_, P_, Xllg, Xvlg, rhollg, rhovlg);
        if (X_ > Xllg) {
            region = 6;
            rho = calculateFluidDensityRegion6();
        } else if (X_ >= Xvlg) {
            region = 1;
            rho = calculateLiquidGasDensity();
        } else {
            region = 6;
            rho = calculateFluidDensityRegion4();
        }
    } else {
        region = 6;
        rho = X_ > Xcrit ? calculateFluidDensityRegion2b() : calculateFluidDensityRegion2a();
    }
    return rho;
}
