// Water released from a hot, pressurised state: the choked (critical)
// outflow through a throat, the pairs of saturated liquid and vapour states
// held at a temperature difference across an interface, and the shock wave
// that the expanding water drives into the atmosphere.  The isentropic
// searches start from a point the rows of one study share (startT, startV).
#include <cmath>
#include <cstdio>
#include <string>

#include "console/WaterStudyModel.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

void WaterStudyModel::isentropicPointAtP(double P_bar, double S_, double T0, double V0) {
    // A mechanically stable state: a root inside the spinodal (where P rises
    // with V) satisfies the equations but is no state of the water.
    auto found = [this]() {
        if (errorflag) return false;
        calculate_state_functions();
        return errorflag == 0 && dPdV < 0.0;
    };
    // From the state expanded, the search follows its own isentrope; a start
    // remembered from another state (an earlier study or row) can land on a
    // root of another branch of the equation of state (a loop of IAPWS-95
    // inside the two-phase region, stable in P(V) but no state of the
    // water), and serves only where the first search fails.
    errorflag = 0;
    calculate_isentropic_point_at_fixed_P(P_bar, S_, T0, V0);
    if (found()) return;
    errorflag = 0;
    calculate_isentropic_point_at_fixed_P(P_bar, S_, startT, startV);
    if (!found()) errorflag = 1;
}

void WaterStudyModel::calculateFlow(double T_, double P_bar, std::FILE* file) {
    const double M = molarMass();
    errorflag = 0;
    calculateFromTP(T_, P_bar, 1);
    if (errorflag) return;
    if (V <= 6e-05) Vl0 = V;
    else Vv0 = V;
    const double T2 = T, P2 = P, V2 = V, S2 = S, cv = Cv, cp = Cp, c2 = soundSpeed;
    const double gamma = cp / cv, rho2 = M / V2;
    std::printf("gamma2 : %lf\n", gamma);
    std::printf("mu2    : %lf\n", (gamma - 1.0) / (gamma + 1.0));
    std::printf("rho    : %lf\n", rho2);
    std::printf("V      : %lf\n", V2 * 1e6);
    // Ideal-gas throat: P*/P = (2/(gamma+1))^(gamma/(gamma-1)).
    const double r = 2.0 / (gamma + 1.0);
    const double Pf = P2 * std::pow(r, gamma / (gamma - 1.0));
    const double Vf = 1e6 * M / (std::pow(r, 1.0 / (gamma - 1.0)) * rho2);
    if (startT == 0.0) {
        startT = T2;
        startV = V2;
    }
    double Tf1 = 0.0, Vf1 = 0.0, cf = 0.0;
    isentropicPointAtP(Pf * 1e-5, S2, T2, V2);
    if (!errorflag) {
        Tf1 = T;
        Vf1 = V;
        startT = Tf1;
        startV = Vf1;
        cf = soundSpeed;
    }
    lastFlowGamma = gamma;
    lastThroatP = Pf;
    lastThroatT = Tf1;
    lastThroatV = Vf1;
    // The throat state on the isentrope: none is printed when its search
    // failed (a gap in a table, a failure of a single point).
    std::printf("Vf  : %lf\n", Vf);
    if (!errorflag) std::printf("Vf1 : %lf\n", Vf1 * 1e6);
    std::printf("Pf  : %lf\n", Pf * 1e-5);
    if (!errorflag) std::printf("Tf1 : %lf\n", Tf1);
    if (errorflag && !file)
        platform::diagf("Flow: no state on the isentrope of %g K and %g bar at the throat pressure %g bar.\n", T2,
                        P2 * 1e-5, Pf * 1e-5);
    if (!file) return;
    if (errorflag) {
        std::fprintf(file, "\n");
        return;
    }
    std::fprintf(file, "%12.2f %12.2f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f\n", P2 * 1e-5, T2,
                 V2 * 1e6, rho2, c2, Vf, Vf1 * 1e6, Tf1, Pf * 1e-5, cf, S2, cv, cp, gamma);
}

void WaterStudyModel::calculateFlowIsobar(double P_bar, double Tmin_, double Tmax_, char liquid) {
    char name[64];
    std::snprintf(name, sizeof name, liquid ? "flow%.0lf" : "flox%.0lf", P_bar);
    std::FILE* f = platform::openOutput(name, "wt");
    if (!f) {
        return;
    }
    std::fprintf(f, "#%11s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s\n", "P2(1)", "T2(2)",
                 "V2(3)", "rho2(4)", "c2(5)", "Vf(6)", "Vf1(7)", "Tf(8)", "Pf(9)", "cf(10)", "s2(11)", "cv2(12)",
                 "cp2(13)", "gamma2(14)");
    int rows = 0;
    if (!liquid) {
        for (int i = 0; Tmax_ - i >= Tmin_; ++i) {
            set_the_phase_as(1);
            calculateFlow(Tmax_ - i, P_bar, f);
            startT -= 1.0;
            startV += 1e-6;
            ++rows;
        }
    } else {
        Vl0 = 1.7e-05;
        for (int i = 0; Tmin_ + i <= Tmax_; ++i) {
            set_the_phase_as(2);
            calculateFlow(Tmin_ + i, P_bar, f);
            startT += 1.0;
            startV += 1e-6;
            ++rows;
        }
    }
    errorflag = 0;
    platform::closeOutput(f, name);
    lastRows = rows;
}

void WaterStudyModel::calculateInterfaceTemperatureCurve(const char* name, double T_, char vapourHot, double dT,
                                                         double P_bar, char igor, const char* suffix) {
    const std::string sfx = suffix ? suffix : "";
    const std::string path = std::string(name ? name : "") + sfx;
    if (path.empty() || !(dT > 0.0)) {
        platform::diagf("The interface curve needs a file name and a positive temperature step.\n");
        return;
    }
    std::FILE* f = platform::openOutput(path, "wt");
    if (!f) {
        return;
    }
    static const char* waves[] = {"dT", "Tl", "Tv", "Pl", "Pv", "Vl", "Vv", "Cpl", "Cpv",
                                  "Sl", "Sv", "cl", "cv", "Ul", "Uv", "Hl", "Hv"};
    static const char* numbered[] = {"dT(1)",  "Tl(2)",  "Tv(3)",  "Pl(4)",  "Pv(5)",  "Vl(6)",
                                     "Vv(7)",  "Cpl(8)", "Cpv(9)", "Sl(10)", "Sv(11)", "cl(12)",
                                     "cv(13)", "Ul(14)", "Uv(15)", "Hl(16)", "Hv(17)"};
    std::fprintf(f, igor == 1 ? "IGOR\nWAVES " : "# ");
    if (!sfx.empty()) {
        for (int i = 0; i < 17; ++i) std::fprintf(f, i == 0 ? "%5s%s" : " %11s%s", waves[i], sfx.c_str());
        std::fprintf(f, " \n");
    } else {
        for (int i = 0; i < 17; ++i) std::fprintf(f, i == 0 ? "%10s" : " %12s", numbered[i]);
        std::fprintf(f, " \n");
    }
    if (igor == 1) std::fprintf(f, "BEGIN\n");
    P_target = P_bar * 1e5;
    double D = 0.0;
    errorflag = 0;
    temperature(T_);
    initializeSaturationVolumesFromT("H2O", T_);
    const double Vl_start = Vl0, Vv_start = Vv0;
    int rows = 0;
    // The liquid (flag 0) or the vapour (flag 1) is D hotter; the pair has
    // equal pressures and chemical potentials.  The walk ends at the first
    // failure, and at a difference of 1000 K at most.
    for (int i = 0; i < 100000 && D <= 1000.0; ++i) {
        Vl0 = Vl_start;
        Vv0 = Vv_start;
        T_shift = D;
        T_shift_on_vapour = static_cast<unsigned char>(vapourHot ? 1 : 0);
        temperature(T_);
        calculate_saturation_pressure();
        if (errorflag) break;
        const double Vl = Vl_sat, Vv = Vv_sat;
        const double Tl = vapourHot ? T_ : T_ + D, Tv = vapourHot ? T_ + D : T_;
        set_the_phase_as(2);
        temperature(Tl);
        volume(Vl);
        calculate_state_functions();
        const double Pl = P, Cpl = Cp, Sl = S, cl = soundSpeed, Ul = U, Hl = H;
        set_the_phase_as(1);
        temperature(Tv);
        volume(Vv);
        calculate_state_functions();
        if (errorflag) break;
        std::fprintf(f,
                     "%12.2f %12.2f %12.2f %12.4lf %12.4lf %12.6lf %12.3lf %12.4lf %12.4lf %12.4lf %12.4lf %12.4lf "
                     "%12.4lf %12.4lf %12.4lf %12.4lf %12.4lf \n",
                     D, Tl, Tv, Pl * 1e-5, P * 1e-5, Vl * 1e6, Vv * 1e6, Cpl, Cp, Sl, S, cl, soundSpeed, Ul, U, Hl, H);
        ++rows;
        // Later searches start from this pair.
        Vl0 = Vl;
        Vv0 = Vv;
        D += dT;
    }
    T_shift = 0.0;
    T_shift_on_vapour = 0;
    errorflag = 0;
    if (igor == 1) std::fprintf(f, "END\n");
    platform::closeOutput(f, path);
    lastRows = rows;
}

double WaterStudyModel::equationForShockWave(double p, void* args) {
    ShockWaveArgs& a = *static_cast<ShockWaveArgs*>(args);
    if (p < 0.0 || !std::isfinite(p)) {
        error = 1;
        return 0.0;
    }
    const double mu = a.airMu;
    // Particle velocity behind a shock of strength p/Pa in the air ...
    const double u = (1.0 - mu) * a.airSound * (p / a.airP - 1.0) / std::sqrt((1.0 + mu) * (p / a.airP + mu));
    a.p = p;
    a.u = u;
    // ... equal to that of the water's isentropic (rarefaction) expansion to p.
    const double g = a.waterGamma;
    return -2.0 * a.waterSound / (g - 1.0) * (std::pow(p / a.waterP, (g - 1.0) / (2.0 * g)) - 1.0) - u;
}

void WaterStudyModel::calculateShockWave(double T_, double P_bar, std::FILE* file) {
    errorflag = 0;
    calculateFromTP(T_, P_bar, 1);
    if (errorflag) return;
    const double gamma = Cp / Cv, S0 = S, V0 = V, T0 = T;
    std::printf("gamma2 : %lf\n", gamma);
    std::printf("mu2    : %lf\n", (gamma - 1.0) / (gamma + 1.0));
    ShockWaveArgs args;
    args.waterSound = soundSpeed;
    args.waterGamma = gamma;
    args.waterP = P_bar;
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&WaterStudyModel::equationForShockWave);
    s.data = &args;
    s.x0 = P_bar;
    s.x1 = 0.99 * P_bar;
    s.tol = 1e-10;
    s.itermax = 15;
    s.xmin = -1e15;
    s.xmax = 1e15;
    s.solve();
    error = 0;
    if (s.status != 0) {
        errorflag = 1;
        return;
    }
    const double p = args.p, u = args.u;
    // The water drives a shock only from above the atmosphere's pressure.
    if (!(p >= 1.0)) {
        platform::diagf("Shock wave: the water at %g K and %g bar drives no shock into the air at 1 bar (its strength "
                        "would be %g).\n",
                        T_, P_bar, p);
        errorflag = 1;
        return;
    }
    // Rankine-Hugoniot relations of air (gamma 1.4, (gamma - 1)/(gamma + 1)
    // = 0.166) at 1 bar and 300 K: the shock's Mach number M^2 = (p + 0.166)
    // / 1.166 (1 for a wave of no strength) and the air's velocity behind it
    // c (p - 1) / (gamma M).
    const double Mach = std::sqrt((p + 0.166) / 1.166);
    const double uair = 283.56 * (p - 1.0) / (1.166 * Mach), rhoair = 1.155 * (p + 0.166) / (1.0 + 0.166 * p);
    const double Tair = 300.0 * p * (1.0 + 0.166 * p) / (p + 0.166);
    lastShockP = p;
    lastShockU = u;
    std::printf("P shock wave            : %lf\n", p);
    std::printf("Particle velocity       : %lf\n", u);
    std::printf("Shock strength          : %lf\n", p);
    std::printf("Velocity of shocked air : %lf\n", uair);
    std::printf("Mach number             : %lf\n", Mach);
    std::printf("Shock velocity          : %lf\n", 340.0 * Mach);
    std::printf("Density compressed air  : %lf\n", rhoair);
    std::printf("T compressed air        : %lf\n", Tair);
    if (startT == 0.0) {
        startT = T0;
        startV = V0;
    }
    isentropicPointAtP(p, S0, T0, V0);
    double Tf = 0.0, Vf = 0.0;
    if (!errorflag) {
        Tf = T;
        Vf = V;
        startT = Tf;
        startV = Vf;
    }
    if (file && !errorflag)
        std::fprintf(file, "%12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f\n", P_bar, T0, p, u,
                     p, uair, Mach, 340.0 * Mach, rhoair, Tair, Tf, Vf * 1e6, V0 * 1e6, S0 / 18.0);
}

void WaterStudyModel::calculateShockWaveIsobar(double P_bar, double Tmin_, double Tmax_, char heating, char igor,
                                               const char* suffix) {
    char name[64];
    std::snprintf(name, sizeof name, heating ? "shockp%.0f" : "shocko%.0f", P_bar);
    std::FILE* f = platform::openOutput(name, "wt");
    if (!f) {
        return;
    }
    const char* s = suffix ? suffix : "";
    set_the_phase_as(2);
    Vl0 = 1.85e-05;
    if (igor == 1)
        std::fprintf(f,
                     "IGOR\nWAVES %5s%s %10s%s %10s%s %10s%s %10s%s %10s%s %10s%s %10s%s %10s%s %10s%s %10s%s %10s%s "
                     "%10s%s %10s%s\nBEGIN\n",
                     "Pm", s, "Tm", s, "ps", s, "u4", s, "y", s, "u", s, "M", s, "Us", s, "rho", s, "Tatm", s, "Tfm",
                     s, "Vfm", s, "Vi", s, "s", s);
    else
        std::fprintf(f, "# %10s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s\n", "Pmagma(1)",
                     "Tmagma(2)", "Pshock(3)", "u4(4)", "y(5)", "u(6)", "M(7)", "U(8)", "rho(9)", "Tatm(10)",
                     "Tfmagma(11)", "Vfmagma(12)", "Vimagma(13)", "s(14)");
    int rows = 0;
    if (!heating) {
        if (P_bar <= 500.0) {
            startT = 760.0;
            startV = 0.0028;
        } else if (P_bar <= 2000.0) {
            startT = 600.0;
            startV = 0.0008;
        } else {
            startT = 550.0;
            startV = 0.000433;
        }
        for (int i = 0; Tmax_ - i > Tmin_; ++i) {
            calculateShockWave(Tmax_ - i, P_bar, f);
            if (errorflag) std::fprintf(f, "\n");
            ++rows;
        }
    } else {
        startT = Tmin_;
        startV = 1.85e-05;
        bool succeeded = false;
        for (int i = 0; Tmin_ + i <= Tmax_; ++i) {
            set_the_phase_as(2);
            calculateShockWave(Tmin_ + i, P_bar, f);
            if (errorflag) {
                if (succeeded) {
                    if (igor == 1) {
                        for (int k = 0; k < 14; ++k) std::fprintf(f, k ? " %12s" : "%12s", "nan");
                        std::fprintf(f, "\n");
                    } else {
                        std::fprintf(f, "\n");
                    }
                }
                succeeded = false;
            } else {
                succeeded = true;
            }
            ++rows;
        }
    }
    errorflag = 0;
    if (igor == 1) std::fprintf(f, "END\n");
    platform::closeOutput(f, name);
    lastRows = rows;
}

void WaterStudyModel::calculateShockWaveIsotherm(double T_, double Pmin, double Pmax) {
    std::FILE* f = platform::openOutput("shockt", "wt");
    if (!f) {
        return;
    }
    std::fprintf(f, "# %10s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s\n", "Pmagma(1)", "Tmagma(2)",
                 "Pshock(3)", "u4(4)", "y(5)", "u(6)", "M(7)", "U(8)", "rho(9)", "Tatm(10)", "Tfmagma(11)",
                 "Vfmagma(12)", "Vimagma(13)");
    int rows = 0;
    for (int i = 0; Pmax - i >= Pmin; ++i) {
        calculateShockWave(T_, Pmax - i, f);
        if (errorflag) std::fprintf(f, "\n");
        ++rows;
    }
    errorflag = 0;
    platform::closeOutput(f, "shockt");
    lastRows = rows;
}
