// Single-value reports of the Brenvik program: the decompression works of
// saturated liquid and steam (reversible: isentropic, then the lever rule at
// the final pressure; irreversible: against the constant final pressure), the
// work of water exsolving from a magma as vapour, and the work of heating
// water at constant pressure.
#include <cmath>
#include <cstdio>
#include <string>

#include "console/WaterMagmaModel.h"
#include "fluid/CriticalPoints.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"

namespace {

// Saturated water at 1 bar (372.756 K): per kg, from the reference model.
constexpr double kTs1 = 372.7559;                             // K
constexpr double kSv1 = 7358.979099, kSl1 = 1302.774796;      // J/(kg K)
constexpr double kUl1 = 417404.663, kUv1 = 2505596.729;       // J/kg
constexpr double kHl1 = 417508.978, kHv1 = 2674992.175;       // J/kg
constexpr double kVl1 = 18.792687, kVv1 = 30517.043633;       // cm3/mol

double clamp01(double x) { return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x); }

}  // namespace

double WaterMagmaModel::calculateIsentropicVaporization(double S_) {
    const double M = molarMass();
    const double Sv = kSv1 * M, Sl = kSl1 * M;
    const double x = (S_ - Sv) / (Sl - Sv);
    U = (x * kUl1 + (1 - x) * kUv1) * M;
    H = (x * kHl1 + (1 - x) * kHv1) * M;
    V = (x * kVl1 + (1 - x) * kVv1) * 1e-6;
    S = S_;
    T = kTs1;
    P = 100000.0;
    return x;
}

double WaterMagmaModel::calculateIsentropicVaporization(double S_, double Ul, double Uv, double Hl, double Hv,
                                                        double Sl, double Sv, double Vl, double Vv) {
    const double x = (S_ - Sv) / (Sl - Sv);
    U = x * Ul + (1 - x) * Uv;
    H = x * Hl + (1 - x) * Hv;
    S = x * Sl + (1 - x) * Sv;
    V = (x * Vl + (1 - x) * Vv) * 1e-6;
    return x;
}

void WaterMagmaModel::calculateSaturationExpansionWork(double V1, double V2, double U1, double U2, double S1,
                                                       double S2, double& x1, double& x2, double& xi1, double& xi2,
                                                       double& W1, double& W2, double& Wi1, double& Wi2) {
    const double k = 0.001 / molarMass();
    x1 = calculateIsentropicVaporization(S1);
    W1 = (U1 - U) * k;
    x2 = calculateIsentropicVaporization(S2);
    W2 = (U2 - U) * k;
    xi1 = (1e5 * V1 - 2977.19 - 45145.8 + U1) / -40551.27969000001;
    xi2 = (1e5 * V2 - 2977.19 - 45145.8 + U2) / -40551.27969000001;
    Wi1 = 1e5 * (1.83031e-5 * xi1 + 0.0297719 * (1 - xi1) - V1) * k;
    Wi2 = 1e5 * (1.83031e-5 * xi2 + 0.0297719 * (1 - xi2) - V2) * k;
}

WaterMagmaModel::SaturatedExpansion WaterMagmaModel::calculateSaturationExpansionWorkForPex(
    const SaturatedStart& s, const SaturatedReference& f) {
    const double k = 0.001 / molarMass();
    SaturatedExpansion e{};
    e.xRev = calculateIsentropicVaporization(s.S, f.Ul, f.Uv, f.Hl, f.Hv, f.Sl, f.Sv, f.Vl * 1e6, f.Vv * 1e6);
    const double Umix = U, Hmix = H;
    e.Wrev = (s.U - Umix) * k;
    e.dH = (s.H - Hmix) * k;
    if (e.xRev < 0.0 || e.xRev > 1.0) {
        // The isentrope ends outside the two-phase region.
        e.xRev = clamp01(e.xRev);
        e.Wrev = 0.0;
    }
    e.xIrr = (f.Pf * s.V - f.Pf * f.Vv - f.Uv + s.U) / (f.Ul - f.Uv + f.Pf * f.Vl - f.Pf * f.Vv);
    e.Wirr = f.Pf * (e.xIrr * f.Vl + (1 - e.xIrr) * f.Vv - s.V) * k;
    return e;
}

bool WaterMagmaModel::saturationTemperatureNearCritical(double P_Pa) {
    // The saturation pressure rises with T up to the critical point: the
    // saturation temperature is bracketed between 640 K (about 203 bar) and
    // the critical temperature, where the search at given T still holds.
    double lo = 640.0, hi = critical_T;
    auto below = [&](double t) {  // psat(t) < P_Pa; a failed point counts as above
        initializeSaturationVolumesFromT("H2O", t);
        temperature(t);
        calculate_saturation_pressure();
        return errorflag == 0 && Vl_sat < Vv_sat && P < P_Pa;
    };
    if (!below(lo)) return false;
    for (int i = 0; i < 200 && hi - lo > 1e-11 * hi; ++i) {
        const double mid = 0.5 * (lo + hi);
        (below(mid) ? lo : hi) = mid;
    }
    // The state is left at the lower end, a saturation state within 1e-11 of T.
    below(lo);
    return errorflag == 0 && Vl_sat < Vv_sat && std::fabs(P - P_Pa) <= 1e-6 * P_Pa;
}

namespace {

// Steam mass and volume percentages of the final mixture (an irreversible end
// beyond the two-phase region is all liquid or all steam).
double steamMassPercent(double x) { return 100.0 * (1.0 - clamp01(x)); }

double steamVolumePercent(double x, const WaterMagmaModel::SaturatedReference& ref) {
    x = clamp01(x);
    return 100.0 * (1 - x) * ref.Vv / (x * ref.Vl + (1 - x) * ref.Vv);
}

void recordSaturatedExpansion(WaterSaturationResult& rec, const WaterMagmaModel::SaturatedExpansion& el,
                              const WaterMagmaModel::SaturatedExpansion& ev,
                              const WaterMagmaModel::SaturatedReference& ref) {
    rec.steamMassRevLiquid = steamMassPercent(el.xRev);
    rec.steamMassIrrLiquid = steamMassPercent(el.xIrr);
    rec.steamMassRevSteam = steamMassPercent(ev.xRev);
    rec.steamMassIrrSteam = steamMassPercent(ev.xIrr);
    rec.steamVolumeRevLiquid = steamVolumePercent(el.xRev, ref);
    rec.steamVolumeIrrLiquid = steamVolumePercent(el.xIrr, ref);
    rec.steamVolumeRevSteam = steamVolumePercent(ev.xRev, ref);
    rec.steamVolumeIrrSteam = steamVolumePercent(ev.xIrr, ref);
    rec.WrevLiquid = el.Wrev;
    rec.WirrLiquid = el.Wirr;
    rec.WrevSteam = ev.Wrev;
    rec.WirrSteam = ev.Wirr;
}

void printSaturatedExpansion(const WaterMagmaModel::SaturatedExpansion& el,
                             const WaterMagmaModel::SaturatedExpansion& ev,
                             const WaterMagmaModel::SaturatedReference& ref) {
    std::printf("\nSteam mass %% of the final liquid-steam at 100°C and 1 bar:\n");
    std::printf("\t- for an initial saturated liquid (isentropic decompression)    : %8.2f %%\n",
                steamMassPercent(el.xRev));
    std::printf("\t- for an initial saturated liquid (irreversible decompression)  : %8.2f %%\n",
                steamMassPercent(el.xIrr));
    std::printf("\t- for an initial saturated steam  (isentropic decompression)    : %8.2f %%\n",
                steamMassPercent(ev.xRev));
    std::printf("\t- for an initial saturated steam  (irreversible decompression)  : %8.2f %%\n\n",
                steamMassPercent(ev.xIrr));
    std::printf("Steam volume %% of the final liquid-steam at 100°C and 1 bar:\n");
    std::printf("\t- for an initial saturated liquid (isentropic decompression)    : %8.2f %%\n",
                steamVolumePercent(el.xRev, ref));
    std::printf("\t- for an initial saturated liquid (irreversible decompression)  : %8.2f %%\n",
                steamVolumePercent(el.xIrr, ref));
    std::printf("\t- for an initial saturated steam  (isentropic decompression)    : %8.2f %%\n",
                steamVolumePercent(ev.xRev, ref));
    std::printf("\t- for an initial saturated steam  (irreversible decompression)  : %8.2f %%\n\n",
                steamVolumePercent(ev.xIrr, ref));
    std::printf("Liquid expansion work (reversible) : %8.2f  J/g      (irreversible) %8.2f  J/g \n", el.Wrev, el.Wirr);
    std::printf("Steam  expansion work (reversible) : %8.2f  J/g      (irreversible) %8.2f  J/g \n", ev.Wrev, ev.Wirr);
    std::printf("\n");
}

}  // namespace

// The saturated liquid and vapour at the final pressure Pex (bar), the end
// of both expansions; false (errorflag set) when there is no saturation state
// there (said unless `record`).
bool WaterMagmaModel::saturatedReferenceAtFinalPressure(double Pex, bool record, SaturatedReference& ref) {
    initializeSaturationVolumesFromP("H2O", Pex);
    calculate_saturation_temperature(Pex * 1e5, T);
    if (errorflag) {
        if (!record) platform::diagf("No saturation state found at the final pressure %.2f bar.\n\n", Pex);
        return false;
    }
    ref.Pf = Pex * 1e5;
    ref.Vl = Vl_sat;
    ref.Vv = Vv_sat;
    const double Tf = T;
    set_the_phase_as(2);
    temperature(Tf);
    volume(ref.Vl);
    calculate_state_functions();
    ref.Ul = U;
    ref.Hl = H;
    ref.Sl = S;
    set_the_phase_as(1);
    volume(ref.Vv);
    calculate_state_functions();
    ref.Uv = U;
    ref.Hv = H;
    ref.Sv = S;
    return true;
}

// The critical point of the model, taken as the saturation state with equal
// liquid and vapour volumes.
void WaterMagmaModel::placeSaturationAtCriticalPoint() {
    temperature(critical_T);
    volume(critical_V);
    search_the_critical_point_of_the_pure_component();
    Vl_sat = Vv_sat = V;
}

// The start on the saturation curve at the temperature T_ (K): its pressure,
// printed unless `record`; false when the command ends here (above the critical
// temperature), `ok` false when the search failed.
bool WaterMagmaModel::saturationStartAtTemperature(double T_, bool record, bool& ok) {
    if (T_ > kCriticalTemperature) {
        if (!record) {  // no saturation state: a refusal, as above the critical pressure
            platform::diagf("The temperature (%6.2f deg. C, %6.2f K) is above the critical temperature (%6.3f deg. "
                            "C, %.3f K).\n\n",
                            T_ - 273.15, T_, kWaterCritical.TCelsius(), kWaterCritical.T);
            errorflag = 1;
            return false;
        }
        placeSaturationAtCriticalPoint();
    } else {
        initializeSaturationVolumesFromT("H2O", T_);
        temperature(T_);
        calculate_saturation_pressure();
        ok = errorflag == 0;
        // At the critical temperature itself (to a few parts in 1e9 below
        // it) the liquid and the vapour are one: the saturation state is the
        // critical point, at the critical pressure.
        if (!ok && kCriticalTemperature - T_ <= 1e-8 * kCriticalTemperature) {
            errorflag = 0;
            placeSaturationAtCriticalPoint();
            ok = errorflag == 0;
            if (ok && !record)
                std::printf("Saturation properties (critical state):\n%s\n", std::string(39, '-').c_str());
        } else if (ok && T >= validity.Tmin && !record) {
            std::printf("Saturation properties:\n%s\n", std::string(22, '-').c_str());
        }
    }
    if (ok && T >= validity.Tmin && !record) {
        std::printf("Temperature %6.2f deg. C, %6.2f K\n", T - 273.15, T);
        std::printf("Pressure    %6.2f bar \n", P * 1e-5);
    }
    return true;
}

// The start on the saturation curve at the pressure P_bar: its temperature,
// printed unless `record`; false when the command ends here (above the
// critical pressure), `ok` false when the search failed.
bool WaterMagmaModel::saturationStartAtPressure(double P_bar, bool record, bool& ok) {
    if (P_bar > kWaterCritical.Pbar()) {
        if (!record) {  // no saturation state: a refusal, not a result
            platform::diagf("The pressure (%6.2f bar) is above the critical pressure (%.2f bar).\n\n", P_bar,
                            kWaterCritical.Pbar());
            errorflag = 1;
        }
        return false;
    }
    // Close below the critical pressure the saturation search still
    // holds: the critical state stands only for the pressures from the
    // model's own critical pressure (220.639 bar) up to 220.64 bar.
    bool critical = false;
    if (P_bar > 220.6) {
        placeSaturationAtCriticalPoint();
        critical = errorflag == 0 && P_bar * 1e5 >= P;
    }
    if (critical) {
        if (!record) std::printf("Saturation properties (critical state):\n%s\n", std::string(39, '-').c_str());
    } else {
        initializeSaturationVolumesFromP("H2O", P_bar);
        calculate_saturation_temperature(P_bar * 1e5, T);
        ok = errorflag == 0 && Vl_sat < Vv_sat;
        if (!ok && P_bar > 200.0) ok = saturationTemperatureNearCritical(P_bar * 1e5);
    }
    if (ok && T >= validity.Tmin && !record) {
        std::printf("Temperature %6.2f deg.C, %6.2f K \n", T - 273.15, T);
        std::printf("Pressure    %6.2f bar \n", P * 1e-5);
    }
    return true;
}

// The start on the saturation curve, at T_ (K) when P_bar is 0, else at
// P_bar: the model left at its saturation state (T, Vl_sat, Vv_sat); false
// when there is none within the model (errorflag set, said unless `record`).
bool WaterMagmaModel::saturationStartState(double T_, double P_bar, bool record) {
    bool ok = true;
    if (!(P_bar == 0.0 ? saturationStartAtTemperature(T_, record, ok) : saturationStartAtPressure(P_bar, record, ok)))
        return false;
    if (!ok || !std::isfinite(T) || !(T > 0.0)) {
        if (!record) platform::diagf("No saturation state of water found there.\n\n");
        errorflag = 1;
        return false;
    }
    // Below the model's lowest temperature (251.165 K, where ice Ih, ice III
    // and the liquid meet) there is no liquid state of the model to saturate.
    if (!(T >= validity.Tmin)) {
        if (!record)
            platform::diagf("The saturation temperature (%.2f K) lies below the lowest temperature of the water model "
                            "(%.3f K).\n\n",
                            T, validity.Tmin);
        errorflag = 1;
        return false;
    }
    return true;
}

// The saturated liquid and vapour at the start (Ts, Vl, Vv): their state
// functions, kept in `rec` or their volumes printed; the saturation pressure
// is returned.
double WaterMagmaModel::saturatedStartStates(double Ts, double Vl, double Vv, WaterSaturationResult* rec,
                                             SaturatedStart& liq, SaturatedStart& vap) {
    const double M = molarMass();
    set_the_phase_as(2);
    volume(Vl);
    temperature(Ts);
    calculate_state_functions();
    const double Psat = P;
    liq = SaturatedStart{Vl, U, S, H};
    if (rec) {
        rec->P = Psat * 1e-5;
        rec->T = Ts;
        rec->Vl = Vl;
        rec->Ul = U, rec->Hl = H, rec->Al = A, rec->Gl = G, rec->Cvl = Cv, rec->Cpl = Cp, rec->Sl = S;
    }
    set_the_phase_as(1);
    volume(Vv);
    calculate_state_functions();
    calculate_fugacities();
    vap = SaturatedStart{Vv, U, S, H};
    if (rec) {
        rec->Vv = Vv;
        rec->Uv = U, rec->Hv = H, rec->Av = A, rec->Gv = G, rec->Cvv = Cv, rec->Cpv = Cp, rec->Sv = S;
        rec->fugacity = fugacity.empty() ? 0.0 : fugacity[0];
        rec->fugacityRatio = Psat > 0.0 ? rec->fugacity / Psat : 0.0;
    } else {
        std::printf("Liquid %12.4lf cm3/mol     %12.4lf cm3/g     %12.4lf g/cm3\n", Vl * 1e6, 1000.0 * Vl / M,
                    0.001 * M / Vl);
        std::printf("Steam  %12.4lf cm3/mol     %12.4lf cm3/g     %12.4lf g/cm3\n", Vv * 1e6, 1000.0 * Vv / M,
                    0.001 * M / Vv);
    }
    return Psat;
}

void WaterMagmaModel::calculateSaturatedExpansionWork(double T_, double P_bar, WaterSaturationResult* rec,
                                                      double Pex) {
    if (!rec) std::printf("\n");
    SaturatedReference ref{};
    if (!saturatedReferenceAtFinalPressure(Pex, rec != nullptr, ref)) return;
    if (!saturationStartState(T_, P_bar, rec != nullptr)) return;
    const double Ts = T, Vl = Vl_sat, Vv = Vv_sat;
    SaturatedStart liq{}, vap{};
    const double Psat = saturatedStartStates(Ts, Vl, Vv, rec, liq, vap);
    if (Pex * 1e5 > Psat) {
        // Decompression to a higher pressure is no decompression.
        if (rec) {
            rec->steamMassRevLiquid = rec->steamMassIrrLiquid = rec->steamMassRevSteam = rec->steamMassIrrSteam = 0.0;
            rec->steamVolumeRevLiquid = rec->steamVolumeIrrLiquid = 0.0;
            rec->steamVolumeRevSteam = rec->steamVolumeIrrSteam = 100.0;
            rec->WrevLiquid = rec->WirrLiquid = rec->WrevSteam = rec->WirrSteam = 0.0;
        } else {
            std::printf("The pressure is below the atmospheric pressure. No work is produced.\n\n");
        }
        return;
    }
    const SaturatedExpansion el = calculateSaturationExpansionWorkForPex(liq, ref);
    const SaturatedExpansion ev = calculateSaturationExpansionWorkForPex(vap, ref);
    if (rec)
        recordSaturatedExpansion(*rec, el, ev, ref);
    else
        printSaturatedExpansion(el, ev, ref);
}

// ---------------------------------------------------------------- exsolution and isobaric heating

namespace {

struct ExsolutionData {
    double P;   // bar
    double Vm;  // m3/mol
    double W0;  // J/g
};

}  // namespace

void WaterMagmaModel::calculateExsolutionWork(double T_, double P_bar, double Vm) {
    const double M = molarMass();
    set_the_phase_as(1);
    std::printf("\n");
    calculateFromTP(T_, P_bar, 1);
    if (errorflag || !(V > 0.0) || !std::isfinite(V) || !(dPdV < 0.0)) {
        // Below its saturation pressure water exsolves no vapour.
        platform::diagf("\nNo vapour state of water at %.2f deg. C and %.2f bar: no exsolution work.\n\n",
                    T_ - 273.15, P_bar);
        errorflag = 1;
        return;
    }
    const double W = -P * (V - Vm);
    const double cM = 1200.0 * M;
    std::printf("\n");
    std::printf("Exsolution work : %8.2f J/g of water\n", -0.001 * W / M);
    std::printf("Cooling (1)     : %8.2f deg. C by percent of exsolved H2O\n", -0.01 * W / cM);
    std::printf("        (2)     : %8.2f deg. C by percent of exsolved H2O\n", 0.01 * (10000.0 - W) / cM);
    std::printf("(1) by ignoring the enthalpy of exsolution of water.\n");
    std::printf("(2) by assuming an enthalpy of exsolution of 10 kJ/mole of water.\n\n");
}

double WaterMagmaModel::equationForExsolutionWork(double T_, void* data) {
    const ExsolutionData& d = *static_cast<const ExsolutionData*>(data);
    set_the_phase_as(1);
    calculateFromTP(T_, d.P, 0);
    if (errorflag) {
        errorflag = 0;
        error = 1;
    }
    return (V - d.Vm) * P * 0.001 / molarMass() - d.W0;
}

void WaterMagmaModel::calculateTemperatureForGivenExsolutionWorkAndPressure(double W0, double P_bar, double Vm) {
    pressure(P_bar);
    ExsolutionData d{P_bar, Vm, W0};
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&WaterMagmaModel::equationForExsolutionWork);
    s.data = &d;
    s.tol = 1e-9;
    s.x0 = T;
    s.x1 = T + 1.0;
    const double t = s.solve();
    errorflag = s.status != 0 ? 1 : 0;
    if (!errorflag) temperature(t);
}

void WaterMagmaModel::calculateExsolutionWorkIsoCurve(double W0, double T0, double Pstart, double Pend, double dP,
                                                      double Vm, std::vector<double>& out) {
    out.clear();
    out.reserve(50);
    temperature(T0);
    if (!(dP > 0.0)) return;  // the pressure must advance
    for (double p = Pstart; p <= Pend; p += dP) {
        calculateTemperatureForGivenExsolutionWorkAndPressure(W0, p, Vm);
        if (errorflag) break;
        const double t = T;
        temperature(t);
        out.push_back(t);
        out.push_back(p);
    }
}

void WaterMagmaModel::calculateIsobaricHeatingWork(double P_bar, double T0, double T1) {
    const double M = molarMass();
    int k0 = 2, k1 = 2;
    if (P_bar <= 221.0) {
        calculateTheSaturationTemperature(P_bar, 0);
        const double Ts = errorflag ? 647.0 : T;
        k0 = Ts > T0 ? 2 : 1;
        k1 = Ts > T1 ? 2 : 1;
    }
    struct StateValues {
        double H, U, S, V;
        bool ok;
    };
    auto state = [&](double t, int kind, bool retry) {
        pressure(P_bar);
        temperature(t);
        set_the_phase_as(kind);
        calculate_molar_volume();
        if (errorflag && retry) {
            Vl0 = 1.6e-05;
            calculate_molar_volume();
        }
        if (!errorflag) calculate_state_functions();
        const bool ok = errorflag == 0;
        if (!ok) platform::diagf("Calculation failure at %lf deg. C\n", t - 273.15);
        return StateValues{H, U, S, V * 1e6, ok};
    };
    const StateValues s0 = state(T0, k0, true);
    const StateValues s1 = state(T1, k1, false);
    // A state not found has no enthalpy or volume: no table of numbers left
    // by another state.
    if (!s0.ok || !s1.ok) {
        errorflag = 1;
        return;
    }
    const double k = 0.001 / M;
    std::printf("\nIsobaric heating at a the pressure : %8.2f bar\n", P_bar);
    std::printf("-------------------------------------------------------\n\n");
    std::printf("Initial temperature T0  : %8.2f deg.C  , %8.2f K\n", T0 - 273.15, T0);
    std::printf("Final temperature   T1  : %8.2f deg.C  , %8.2f K\n\n", T1 - 273.15, T1);
    std::printf("                    S0  : %8.2f J/mol/K, %8.2f J/g/K\n", s0.S, s0.S * k);
    std::printf("                    S1  : %8.2f J/mol/K, %8.2f J/g/K\n\n", s1.S, s1.S * k);
    std::printf("                    H0  : %8.2f J/mol  , %8.2f J/g \n", s0.H, s0.H * k);
    std::printf("                    H1  : %8.2f J/mol  , %8.2f J/g \n\n", s1.H, s1.H * k);
    std::printf("                    U0  : %8.2f J/mol  , %8.2f J/g \n", s0.U, s0.U * k);
    std::printf("                    U1  : %8.2f J/mol  , %8.2f J/g \n\n", s1.U, s1.U * k);
    std::printf("                    V0  : %8.2f cm3/mol, %8.2f cm3/g \n", s0.V, s0.V * k);
    std::printf("                    V1  : %8.2f cm3/mol, %8.2f cm3/g \n\n", s1.V, s1.V * k);
    std::printf("                  rho0  : %8.2f kg/m3\n", 1e6 * M / s0.V);
    std::printf("                  rho1  : %8.2f kg/m3\n\n", 1e6 * M / s1.V);
    std::printf("Isobaric heating work   : %8.2f J/g H2O\n\n", 0.001 * ((s1.H - s0.H) - (s1.U - s0.U)) / M);
}
