// Start values of the framework's saturation, homogenisation and spinodal
// solvers for water, from closed-form fits of the reference equation of state
// (entropy in J/(mol K), T in K, P in bar, volumes in cm3/mol before the 1e-6
// that turns them into m3/mol).  The solvers themselves are the framework's;
// their failure shows in errorflag.
#include <cmath>
#include <cstdio>

#include "fluid/CriticalPoints.h"
#include "water/WaterEOS.h"
#include "platform/LogSink.h"

// ---------------------------------------------------------------- saturation

void WaterEOS::calculateTheSaturationTemperature(double P_bar, char print) {
    const double p = P_bar, L = std::log(p);
    const double w = 3.39219139408898e-05 * p - 1.19315451779924e-05 - 3.70479133007088e-07 * p * p +
                     6.86773609442658e-09 * p * p * p - 4.54357223431962e-11 * p * p * p * p +
                     1.10411946929151e-13 * p * p * p * p * p - 0.00167676872076518 / (p - 221.0);
    double vv = 1.0 / w;
    if (vv < 0.0) vv = 1e6;
    const double vl = 18.3548744008117 + 0.217993776149354 * p - 0.00442660159052204 * p * p +
                      5.22877767835403e-05 * p * p * p - 2.7503656275317e-07 * p * p * p * p +
                      5.42233507519529e-10 * p * p * p * p * p - 4.11105104527194 / (p - 221.0);
    Vv0 = vv * 1e-6;
    Vl0 = vl * 1e-6;
    const double T0 = 372.722156272888 +
                      L * (27.8739796982385 +
                           L * (2.41364824420266 +
                                L * (0.226842575564745 + L * (0.0180634696400786 + L * 0.000707001486840854))));
    calculate_saturation_temperature(P_bar * 1e5, T0);
    const short failed = errorflag;
    if (print) std::printf("Saturation for P : %12.2f at T : %12.2f\n", P * 1e-5, T);
    volume(Vl_sat);
    calculate_state_functions();
    const double Hl = H;
    if (print) {
        std::printf("Liquid\n");
        dump();
    }
    volume(Vv_sat);
    calculate_state_functions();
    if (print) {
        std::printf("\nVapour\n");
        dump();
    }
    Hvap = H - Hl;
    if (failed) errorflag = failed;
}

void WaterEOS::calculateCondensationPointFromS(double S_) {
    S = S_;
    const double s = S_;
    double T0, vl, vv;
    if (s > 100.0) {
        T0 = 67050.9607499825 +
             s * (-3930.6319119258 +
                  s * (96.9607424595208 +
                       s * (-1.29242031505048 +
                            s * (0.0100716278986271 +
                                 s * (-4.60319681514262e-5 + s * (1.14586979094807e-7 - 1.2013985726709e-10 * s))))));
        vl = 6067.81008947628 +
             s * (-298.939842886778 +
                  s * (6.39347559402213 +
                       s * (-0.0762721969385503 +
                            s * (0.000545847609681267 +
                                 s * (-2.33656985229852e-6 + s * (5.52826958659407e-9 - 5.56931827412391e-12 * s))))));
        vv = std::exp(-583.455663841018 +
                      s * (32.1835495154806 +
                           s * (-0.739677756230716 +
                                s * (0.00922636561450297 +
                                     s * (-6.74919800944211e-5 +
                                          s * (2.90664747041139e-7 + s * (-6.84406316491518e-10 + 6.812170821675e-13 * s)))))));
    } else {
        T0 = 8616.70768919304 +
             s * (-366.754736361379 + s * (6.22155669998808 + s * (-0.0458878624662881 + s * 0.000123227303791319)));
        vl = 9810.34936892436 +
             s * (-406.879187074155 + s * (6.39912405979372 + s * (-0.0450014030740732 + s * 0.000119146538621841)));
        vv = 47399.2744549282 +
             s * (-2250.43030208195 + s * (40.1641427914553 + s * (-0.319576845383153 + s * 0.000958647753314745)));
    }
    temperature(T0);
    Vl0 = vl * 1e-6;
    Vv0 = vv * 1e-6;
    calculateGasSaturationFromEntropy(S_);
    if (!newtonSaturationFromSHolds(S_, false)) saturationFromSAlongTheCurve(S_, false, T0);
}

void WaterEOS::calculateBoilingPointFromS(double S_) {
    S = S_;
    const double s = S_;
    double T0, vl, vv;
    if (s >= 75.0) {
        T0 = -8162.16910307568 + s * (327.931167518129 + s * (-4.06728487448141 + s * 0.0168072835108196));
        vl = 5923.04953720138 + s * (-221.898890199353 + s * (2.74960362345052 - s * 0.0111529653048284));
        vv = -11646.5800860348 + s * (498.890537425223 + s * (-6.95143730640958 + s * 0.031793914208601));
    } else {
        T0 = 272.809435639882 +
             s * (3.61657409435044 +
                  s * (0.0358798509493856 +
                       s * (-0.000716369397836898 + s * (1.96926029311812e-5 - s * 1.77614513495698e-7))));
        vl = 17.9500519187534 +
             s * (-0.0116717867408128 +
                  s * (0.00420681665257632 +
                       s * (-6.46664628501754e-5 +
                            s * (-6.0741575953088e-6 +
                                 s * (3.19751238017353e-7 + s * (-5.32504485402132e-9 + s * 3.07047531925185e-11))))));
        vv = std::exp(15.0632965977561 +
                      s * (-0.241334038378774 + s * (0.0019215671889041 - s * 7.82407081410107e-6)));
    }
    temperature(T0);
    Vl0 = vl * 1e-6;
    Vv0 = vv * 1e-6;
    calculateLiquidSaturationFromEntropy(S_);
    if (!newtonSaturationFromSHolds(S_, true)) saturationFromSAlongTheCurve(S_, true, T0);
}

bool WaterEOS::newtonSaturationFromSHolds(double S_, bool liquidSide) {
    // Near the critical point the Newton search in (T, Vl, Vv) from the
    // fits' start loses its way, or stops on its steps while the entropy is
    // still off in the sixth digit.
    if (errorflag || !(T > 0.0 && T < kWaterCritical.T) || !std::isfinite(P) || !(P > 0.0)) return false;
    set_the_phase_as(liquidSide ? 2 : 1);
    volume(liquidSide ? Vl_sat : Vv_sat);
    calculate_state_functions();
    return errorflag == 0 && std::fabs(S - S_) <= 1e-10 * std::fmax(1.0, std::fabs(S_));
}

bool WaterEOS::saturatedEntropyAt(double T_, bool liquidSide, double& S_) {
    if (!saturationStateAt(T_)) return false;
    set_the_phase_as(liquidSide ? 2 : 1);
    temperature(T_);
    volume(liquidSide ? Vl_sat : Vv_sat);
    calculate_state_functions();
    S_ = S;
    return errorflag == 0 && std::isfinite(S);
}

bool WaterEOS::saturationFromSAlongTheCurve(double S_, bool liquidSide, double T0) {
    // The saturated liquid's entropy rises with T up to the critical point,
    // the vapour's falls: g(T) = +-(S_sat(T) - S_) rises on either side.
    // It goes as (Tc - T)^beta (beta near 1/3) at the top, so the search
    // runs in x = cbrt(Tc - T), in which g is nearly straight: a false
    // position kept from stalling (Illinois), from the triple point to 1e-4
    // K below Tc (the top of the expansions of the model's own curve), or
    // between that and the states found closer to Tc.
    const double Tc = kWaterCritical.T, Tlow = 273.16;
    const double sign = liquidSide ? 1.0 : -1.0;
    double s = 0.0;
    auto g = [&](double t, double& value) {
        if (!saturatedEntropyAt(t, liquidSide, s)) return false;
        value = sign * (s - S_);
        return true;
    };
    auto xOf = [&](double t) { return std::cbrt(Tc - t); };
    auto tOf = [&](double x) { return Tc - x * x * x; };
    auto fail = [&] {
        errorflag = 1;
        return false;
    };
    double Thot = Tc - 1e-4, gHot = 0.0, Tcold = Tlow, gCold = 0.0;
    if (!std::isfinite(S_) || !g(Thot, gHot)) return fail();
    if (gHot < 0.0) {
        // The entropies 1e-4 K below Tc lie within about 0.08 J/(mol K) of
        // the critical entropy: closer to it, the point lies closer to Tc.
        Tcold = Thot;
        gCold = gHot;
        bool bracketed = false;
        for (double gap = 1e-5; gap > 1e-11 && !bracketed; gap *= 0.1) {
            double gt = 0.0;
            if (!g(Tc - gap, gt)) break;  // no two phases found closer to Tc
            if (gt >= 0.0) {
                Thot = Tc - gap;
                gHot = gt;
                bracketed = true;
            } else {
                Tcold = Tc - gap;
                gCold = gt;
            }
        }
        if (!bracketed) {
            // S_ lies between the two phases' entropies at the closest state
            // found below Tc: that state, on the side asked for, stands for
            // the saturation point.  Otherwise S_ is on the other side.
            double other = 0.0;
            const bool between = saturatedEntropyAt(Tcold, !liquidSide, other) && sign * (other - S_) >= 0.0;
            if (!between || !g(Tcold, gCold)) return fail();
            errorflag = 0;
            return true;
        }
    } else if (!g(Tlow, gCold) || gCold > 0.0) {
        return fail();
    }
    // Bracket [a, b] in x: g(a) >= 0 at the hot end, g(b) <= 0 at the cold end.
    double a = xOf(Thot), ga = gHot, b = xOf(Tcold), gb = gCold;
    double x = (T0 > Tcold && T0 < Thot) ? xOf(T0) : a - ga * (b - a) / (gb - ga);
    int side = 0;
    const double tol = 1e-12 * std::fmax(1.0, std::fabs(S_));
    double gLast = HUGE_VAL;
    for (int it = 0; it < 200; ++it) {
        double gx = 0.0;
        if (!g(tOf(x), gx)) return fail();
        gLast = gx;
        if (std::fabs(gx) <= tol) break;
        if (gx > 0.0) {
            a = x;
            ga = gx;
            if (side == 1) gb *= 0.5;
            side = 1;
        } else {
            b = x;
            gb = gx;
            if (side == -1) ga *= 0.5;
            side = -1;
        }
        if (std::fabs(tOf(a) - tOf(b)) <= 1e-13 * Tc) break;
        x = a - ga * (b - a) / (gb - ga);
        if (!(x > a && x < b)) x = 0.5 * (a + b);
    }
    // Within thousandths of a kelvin of Tc the saturated volumes, and the
    // entropies with them, are resolved to parts in 1e7 or 1e6 only: the
    // bracket closes on a step of the entropy, whose nearer end is taken.
    if (!(std::fabs(gLast) <= tol)) {
        const double best = std::fabs(ga) < std::fabs(gb) ? a : b;
        if (!g(tOf(best), gLast)) return fail();
    }
    // The model is left at the root.
    errorflag = 0;
    return true;
}

namespace {

void bringToTP(WaterEOS& w, double T, double P_bar) {
    w.temperature(T);
    w.pressure(P_bar);
    w.calculate_molar_volume();
    w.calculate_state_functions();
}

}  // namespace

void WaterEOS::calculateCondensationPointFromTP(double T_, double P_bar) {
    bringToTP(*this, T_, P_bar);
    calculateCondensationPointFromS(S);
}

void WaterEOS::calculateBoilingPointFromTP(double T_, double P_bar) {
    bringToTP(*this, T_, P_bar);
    calculateBoilingPointFromS(S);
}

// ---------------------------------------------------------------- homogenisation

void WaterEOS::calculateTheDensityFromTh(double Th) {
    temperature(Th);
    const double vl = 18.0 + 222.696313581804 / (656.0 - Th) - 0.0124765285296984 * Th + 3.51447215521434e-5 * Th * Th;
    const double vv = 1.0 / (0.137167373884685 / (656.0 - Th) - 5.88561578503622e-6 * Th + 1.28026723861313e-8 * Th * Th);
    Vl0 = vl * 1e-6;
    Vv0 = vv * 1e-6;
    if (Th > 645.0) {
        Vl0 = 4.25e-05;
        Vv0 = 8e-05;
    }
    // Below about 370 K the vapour fit has no positive value: start from the
    // saturation fits in temperature instead.
    if (!(Vv0 > Vl0) || !std::isfinite(Vl0) || !(Vl0 > 0.0)) initializeSaturationVolumesFromT("H2O", Th);
    calculate_saturation_pressure();
    if (errorflag) {
        platform::diagf("No saturation state found at %g K\n", Th);
        return;
    }
    std::printf("V : %12.2f cm3/mol\t\trho : %12.2f kg/m3\t\tP : %12.2f bar\n", Vl_sat * 1e6, bulk_molar_weight / Vl_sat,
                P / 1e5);
}

void WaterEOS::calculateTheGasTh(double V_cm3) {
    const double L = std::log(V_cm3);
    const double T0 =
        std::exp(7.04504231299006 + L * (-0.130194579559476 + L * (0.00179470130185289 + L * 3.32014300901018e-5)));
    temperature(T0);
    Vl0 = (20.9387929271077 + 0.217076546518033 * std::log(13.8487614368128 / V_cm3) + 1798.33184834792 / V_cm3) * 1e-6;
    calculateGasTh(V_cm3 * 1e-6);
}

namespace {

constexpr double kTripleT = 273.16;  // K, triple point of water

// Saturated liquid molar volume (cm3/mol) of the auxiliary equation of
// IAPWS-95 (Wagner & Pruss 2002), a start for the exact search.
double auxiliaryLiquidVolume(double T) {
    return 1e6 * WaterEOS::kMolarMass / WaterEOS::saturatedLiquidDensityWagnerPruss(T);
}

// The model's saturated liquid volume (cm3/mol) at T, NaN where its
// saturation search fails; the model is left at that saturation state.
double saturatedLiquidVolume(WaterEOS& w, double T) {
    w.temperature(T);
    w.initializeSaturationVolumesFromT("H2O", T);
    w.errorflag = 0;
    w.calculate_saturation_pressure();
    return w.errorflag ? std::nan("") : w.Vl_sat * 1e6;
}

}  // namespace

double WaterEOS::densityMaximumTemperature(double& Vmin_cm3) {
    // Golden sections on the model's own saturated liquid volume between the
    // triple point and 290 K.
    const double g = 0.5 * (std::sqrt(5.0) - 1.0);
    double lo = kTripleT, hi = 290.0;
    double c = hi - g * (hi - lo), d = lo + g * (hi - lo);
    double fc = saturatedLiquidVolume(*this, c), fd = saturatedLiquidVolume(*this, d);
    for (int k = 0; k < 40; ++k) {
        if (fc < fd) {
            hi = d;
            d = c;
            fd = fc;
            c = hi - g * (hi - lo);
            fc = saturatedLiquidVolume(*this, c);
        } else {
            lo = c;
            c = d;
            fc = fd;
            d = lo + g * (hi - lo);
            fd = saturatedLiquidVolume(*this, d);
        }
    }
    const double Tm = 0.5 * (lo + hi);
    Vmin_cm3 = saturatedLiquidVolume(*this, Tm);
    return Tm;
}

bool WaterEOS::bisectLiquidTh(double V_cm3, double a, double b) {
    double fa = saturatedLiquidVolume(*this, a) - V_cm3;
    const double fb = saturatedLiquidVolume(*this, b) - V_cm3;
    if (!std::isfinite(fa) || !std::isfinite(fb) || (fa > 0.0) == (fb > 0.0)) return false;
    for (int k = 0; k < 60 && std::fabs(b - a) > 1e-10 * b; ++k) {
        const double mid = 0.5 * (a + b), f = saturatedLiquidVolume(*this, mid) - V_cm3;
        if (!std::isfinite(f)) return false;
        if ((f > 0.0) == (fa > 0.0)) {
            a = mid;
            fa = f;
        } else {
            b = mid;
        }
    }
    return std::isfinite(saturatedLiquidVolume(*this, 0.5 * (a + b)));  // the state at the root
}

void WaterEOS::calculateTheLiquidTh(double V_cm3) {
    const double v = V_cm3;
    if (v < 19.0) {
        // The saturated liquid's volume falls from the triple point to the
        // density maximum near 277 K and rises from there to the critical
        // point, so below about 18.5 cm3/mol two liquid temperatures share a
        // volume.  The homogenisation temperature (the bubble vanishing on
        // heating) is the one above the density maximum; the other,
        // supercooled below the triple point, is never one.  Between the two
        // both lie above the triple point: the lower one (the bubble
        // vanishing on cooling) is named too.
        double vmin = 0.0;
        const double Tmax = densityMaximumTemperature(vmin);
        if (!(v >= vmin)) {
            errorflag = 1;
            platform::diagf("No homogenisation temperature for V %g cm3/mol: water's saturated liquid is never that "
                            "dense (its smallest volume is %.5f cm3/mol, at %.2f K)\n",
                            v, vmin, Tmax);
            return;
        }
        double lower = std::nan("");
        if (bisectLiquidTh(v, kTripleT, Tmax)) lower = T;
        const double hi = std::fmin(auxiliaryTemperatureAbove(v, Tmax) + 5.0, 420.0);
        if (!bisectLiquidTh(v, Tmax, hi)) {
            errorflag = 1;
            platform::diagf("No homogenisation temperature found for V %g cm3/mol\n", v);
            return;
        }
        errorflag = 0;
        if (std::isfinite(lower))
            platform::warnf("V %g cm3/mol: the saturated liquid has this volume at %.4f K too, below its density "
                            "maximum (%.2f K), where the bubble vanishes on cooling; %.4f K is the homogenisation "
                            "temperature on heating\n",
                            v, lower, Tmax, T);
        return;
    }
    double T0, vapour;
    if (v <= 54.5) {
        T0 = kWaterCritical.T - std::exp(14.9654329526504 - 0.812655984755887 * v + 0.0215482178896008 * v * v -
                                0.000242797227397963 * v * v * v);
        vapour = 1e-6 / (0.0341799588157568 - 0.00486713863208795 * v + 0.000230978544813378 * v * v -
                         4.15463124598044e-6 * v * v * v + 2.66204975647033e-8 * v * v * v * v);
    } else {
        T0 = 647.07;
        vapour = 5.6e-05;
    }
    Vv0 = vapour;
    temperature(T0);
    calculateLiquidTh(V_cm3 * 1e-6);
}

double WaterEOS::auxiliaryTemperatureAbove(double V_cm3, double Tlow) {
    // The auxiliary liquid volume rises monotonically above the density
    // maximum: bisection up to 647 K.
    double lo = Tlow, hi = 647.0;
    for (int k = 0; k < 100; ++k) {
        const double mid = 0.5 * (lo + hi);
        (auxiliaryLiquidVolume(mid) < V_cm3 ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

void WaterEOS::calculateTheGasThs() {
    _askCalculate("V (cm3/mol) (0 to quit) : ", toEquationFn<ValueActionFn>(&WaterEOS::calculateTheGasTh));
}

void WaterEOS::calculateTheLiquidThs() {
    _askCalculate("V (cm3/mol) (0 to quit) : ", toEquationFn<ValueActionFn>(&WaterEOS::calculateTheLiquidTh));
}

// ---------------------------------------------------------------- tie lines

void WaterEOS::calculateTheConodeFromP(double P_bar, char mode, const char* suffix) {
    initializeSaturationVolumesFromP("H2O", P_bar);
    FluidPhase::calculateTheConodeFromP(P_bar, T, mode, suffix);
}

void WaterEOS::calculateTheConodeFromT(double T_, char mode, const char* suffix) {
    initializeSaturationVolumesFromT("H2O", T_);
    FluidPhase::calculateTheConodeFromT(T_, mode, suffix);
}

void WaterEOS::calculateTheConodeInteractiveFromT(double T_) {
    initializeSaturationVolumesFromT("H2O", T_);
    calculateTheConodeFromT(T_, 1, "0");
}

void WaterEOS::calculateTheConodes() {
    _askCalculate("T (K) (0 to quit) :  ",
                  toEquationFn<ValueActionFn>(&WaterEOS::calculateTheConodeInteractiveFromT));
}

// ---------------------------------------------------------------- fluid inclusions

void WaterEOS::calculateTheFluidInclusionProperties(double T_, double P_bar) {
    temperature(T_);
    pressure(P_bar);
    calculate_molar_volume();
    if (errorflag) return;
    const double Vtrap = V;
    std::printf("V %.2f cm3/mol\t\tDensity : %.3lf\t\tTtrap : %.2f K (%.2f\u00b0C)\t\tPtrap : %.2f bar\n", Vtrap * 1e6,
                bulk_molar_weight / Vtrap, T_, T_ - 273.15, P * 1e-5);
    const long said = platform::diagnosticCount();
    if (Vtrap >= 5.55e-5)
        calculateTheGasTh(Vtrap * 1e6);
    else
        calculateTheLiquidTh(Vtrap * 1e6);
    // The isochore of the inclusion from its homogenisation temperature up to
    // the trapping temperature (Igor text "isocc1").  Without a homogenisation
    // temperature there is no start (said once).
    if (errorflag) {
        if (platform::diagnosticCount() == said)
            platform::diagf("No homogenisation temperature for V %.2f cm3/mol: no isochore\n", Vtrap * 1e6);
        return;
    }
    const double Th = T;
    calculateTheIsochor(Vtrap, Th, T_, 0, 1, "c1", nullptr);
}

// ---------------------------------------------------------------- spinodals

void WaterEOS::calculateTheLiquidSpinodalTemperatureFromV(double V_) {
    const double v = V_ * 1e6;
    const double T0 =
        -124.343865759846 +
        v * (-143.060405171852 +
             v * (18.9672741402571 + v * (-0.773993798385444 + v * (0.0135231311473386 - v * 8.73626647232436e-5)))) -
        3.0;
    calculateSpinodalPoint1(V_, T0);
}

void WaterEOS::calculateTheLiquidSpinodalTemperatureFromP(double P_bar) {
    const double p = P_bar;
    const double V0 = std::exp(3.42835800103092 + 0.000351604353245499 * p + 1.8681435845805e-7 * p * p +
                               5.19641923005496e-11 * p * p * p + (0.986062100268068 - 0.0561169935810898 * p) / (p - 250.0)) *
                      1e-6;
    const double T0 =
        593.430725940414 +
        p * (0.197994253532845 +
             p * (0.000135111712276064 + p * (1.51385087233026e-7 + p * (9.58442736346636e-11 + p * 2.41842250038811e-14))));
    calculateSpinodalPoint2(P_bar, V0, T0);
}

void WaterEOS::calculateTheSpinodalPointFromS(double S_) {
    const double s = S_;
    double T0, v0;
    if (s < criticalMolarEntropy) {
        T0 = s >= 70.0 ? 41.32 * s - 994.82 - 0.25985 * s * s : 273.31 + 2.9752 * s + 0.029106 * s * s;
        v0 = s >= 72.0 ? 2.5352 * s - 147.05
                       : 19.45 + 0.070541 * s + 0.0028145 * s * s - 0.00011875 * s * s * s + 1.5629e-6 * s * s * s * s;
    } else {
        if (s < 88.0)
            T0 = 18787.0 - 682.65 * s + 8.5655 * s * s - 0.035835 * s * s * s;
        else if (s < 113.0)
            T0 = 2760.5 - 34.068 * s + 0.11269 * s * s;
        else
            T0 = 270.0;
        if (s < 114.0)
            v0 = std::exp(104.47 - 3.2079 * s + 0.03284 * s * s - 0.00010531 * s * s * s);
        else if (s < 124.0)
            v0 = -5.1551e8 + 1.423e7 * s - 131250.0 * s * s + 404.76 * s * s * s;
        else
            v0 = 7.0893e8 - 1.1697e7 * s + 48393.0 * s * s;
    }
    calculateSpinodalPointFixedS(S_, v0 * 1e-6, T0);
}
