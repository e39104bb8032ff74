// Curves of the solubility models: the solubility isotherm, the bubble-point
// isopleth, the biphasic isochores of a closed liquid-plus-vapour inclusion and
// the monophasic isochore of a gas-bearing liquid.
#include <cmath>
#include <limits>
#include <string>

#include "brines/CurveFile.h"
#include "brines/SolubilityModel.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

void SolubilityModel::calculateTheIsotherm(double T_, double ms_, char mode, const char* suffix) {
    std::FILE* f = openCurveFile("isot", suffix);
    if (!f) return;
    const char* s = suffix ? suffix : "";
    ms = is >= 0 ? ms_ : 0.0;
    mg = 1e-6;
    compositionCode = 11;
    update_composition();
    temperature(T_);
    calculatePsatH2O();
    pressure(Psat / 1e5);
    errorflag = 0;
    calculate_gas_solubility0();
    if (fugacityError) errorflag = 1;
    compositionCode = 11;
    update_composition();
    calculate_density();
    if (mode == 1)
        std::fprintf(f, "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n", "T", s, "P", s, "mg", s,
                     "yh", s, "vv", s, "rho", s, "e", s);
    auto row = [&]() {
        std::fprintf(f, "%12.2lf %12lf %12lf %12lf %12lf %12lf %12d\n", T, P / 1e5, mg, yw, vapourVolume() * 1e6, rho,
                     errorflag);
    };
    row();
    while (!errorflag && P <= 2e8) {
        const double Pn = P + 1e5;
        pressure(Pn / 1e5);
        calculate_gas_solubility0();
        if (fugacityError) errorflag = 1;
        compositionCode = 11;
        update_composition();
        calculate_density();
        row();
    }
    if (mode == 1) std::fprintf(f, "END\n");
    std::fclose(f);
}

void SolubilityModel::calculateTheIsopleth(double ms_, double mg_, char mode, const char* suffix,
                                           std::vector<double>* out) {
    std::FILE* f = nullptr;
    const char* s = suffix ? suffix : "";
    if (mode == 1) {
        f = openCurveFile("isop", suffix);
        if (!f) return;
        std::fprintf(f,
                     "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s "
                     "%11s%s %11s%s\nBEGIN\n",
                     "T", s, "P", s, "mg", s, "ms", s, "vg", s, "h", s, "vv", s, "xg", s, "yh", s, "e", s, "rhog", s,
                     "rhol", s, "rocg", s, "rocl", s);
    }
    if (mode == 6 && !out) mode = 0;
    auto point = [&]() {
        calculate_density();
        if (vapourVolumeFlag) calculateVapourMolarVolume();
        const double Vv = vapourVolume();
        rhov = Vv > 0.0 ? (Mw * yw + gasMolarMass() * (1.0 - yw)) / Vv : 0.0;
        const double ML = liquidMolarMass();
        const double rocg = Vv > 0.0 ? gasMolarMass() * (1.0 - yw) / Vv : 0.0;
        const double rocl = gasMolarMass() * rho * xGas() / ML;
        if (f)
            std::fprintf(f, "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12d %12lg %12lg %12lg %12lg\n", T,
                         P / 1e5, mg, ms, Vg * 1e6, henryOfGas(), Vv * 1e6, xGas(), yw, errorflag, rhov, rho, rocg,
                         rocl);
        else if (mode == 6) {
            out->push_back(T);
            out->push_back(P / 1e5);
        }
    };
    double step = 1.0;
    calculate_bubble_pressure(273.15, 1.0, ms_, mg_);
    if (errorflag) {
        calculate_bubble_pressure(573.0, 300.0, ms_, mg_);
        step = -1.0;
    }
    if (!errorflag) {
        point();
        bool gap = false;
        while (T >= 0.0 && T <= 573.15) {
            errorflag = 0;
            const double Tn = T + step;
            calculate_bubble_pressure(Tn, P / 1e5, ms_, mg_);
            if (errorflag) {
                gap = true;
                continue;
            }
            if (gap && mode == 6) {
                out->push_back(std::numeric_limits<double>::quiet_NaN());
                out->push_back(std::numeric_limits<double>::quiet_NaN());
            }
            gap = false;
            point();
        }
    }
    if (f) {
        std::fprintf(f, "END\n");
        std::fclose(f);
    }
}

namespace {

void biphaHeader(std::FILE* f, const char* s) {
    std::fprintf(f, "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n", "T", s, "P",
                 s, "mg", s, "fv", s, "rhog", s, "rhol", s, "rocg", s, "rocl", s, "e", s);
}

}  // namespace

// The liquid at its current state as the start of a biphasic isochore.
static void startIsochore(SolubilityModel& sm) {
    sm.rho0 = sm.rho;
    const double ML = sm.liquidMolarMass();
    sm.cw = sm.xWater() * sm.rho / ML;
    sm.cg = sm.xGas() * sm.rho / ML;
    sm.cg0 = sm.cg;
    const double Vv = sm.vapourVolume();
    sm.rhov = Vv > 0.0 ? (sm.Mw * sm.yw + sm.gasMolarMass() * (1.0 - sm.yw)) / Vv : 0.0;
    sm.phi = 0.0;
}

static void biphaRow(SolubilityModel& sm, std::FILE* f) {
    const double Vv = sm.vapourVolume();
    const double ML = sm.liquidMolarMass();
    const double rocg = Vv > 0.0 ? sm.gasMolarMass() * (1.0 - sm.yw) / Vv : 0.0;
    const double rocl = sm.gasMolarMass() * sm.rho * sm.xGas() / ML;
    std::fprintf(f, "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12d\n", sm.T, sm.P / 1e5, sm.mg, sm.phi, sm.rhov,
                 sm.rho, rocg, rocl, sm.errorflag);
}

void SolubilityModel::calculateTheBiphasicIsochor(double T0, double P0_bar, double ms_, double dT, char mode,
                                                  const char* suffix, std::vector<double>* out) {
    std::FILE* f = nullptr;
    if (mode == 1) {
        f = openCurveFile("bipha", suffix);
        if (!f) return;
    }
    if (mode == 6 && !out) mode = 0;
    calculate_gas_solubility(T0, P0_bar, ms_);
    compositionCode = 11;
    update_composition();
    calculate_density();
    startIsochore(*this);
    if (f) {
        biphaHeader(f, suffix ? suffix : "");
        biphaRow(*this, f);
    }
    if (!fugacityError && dT != 0.0) {
        Secant s;
        s.obj = this;
        s.fn = toEquationFn<ScalarEquationFn>(&SolubilityModel::equationForBiphasicIsochor);
        s.itermax = 20;
        for (;;) {
            temperature(T + dT);
            calculatePsatH2O();
            s.x0 = P;
            s.x1 = 1.1 * P;
            const double p = s.solve();
            if (s.status != 0 || T < 273.15) break;
            equationForBiphasicIsochor(p, nullptr);
            error = 0;
            calculate_density();
            if (f) biphaRow(*this, f);
            else if (mode == 6) {
                out->push_back(T - 273.15);
                out->push_back(P / 1e5);
            }
        }
    }
    if (f) {
        std::fprintf(f, "END\n");
        std::fclose(f);
    }
}

void SolubilityModel::calculateTheBiphasicIsochor1(double Tend, double T0, double mg_, double ms_, double dT,
                                                   double P0_bar, char mode, const char* suffix,
                                                   std::vector<double>* out) {
    std::FILE* f = nullptr;
    if (mode == 1) {
        f = openCurveFile("bipha", suffix);
        if (!f) return;
    }
    if (mode == 6 && !out) mode = 0;
    calculate_bubble_pressure(T0, P0_bar, ms_, mg_);
    const bool started = errorflag == 0;
    if (started) {
        calculate_density();
        if (vapourVolumeFlag) calculateVapourMolarVolume();
        startIsochore(*this);
        if (f) {
            biphaHeader(f, suffix ? suffix : "");
            biphaRow(*this, f);
        } else if (mode == 6) {
            out->push_back(T);
            out->push_back(P / 1e5);
        }
    }
    if (started && dT != 0.0) {
        Secant s;
        s.obj = this;
        s.fn = toEquationFn<ScalarEquationFn>(&SolubilityModel::equationForBiphasicIsochor);
        s.itermax = 20;
        s.verbose = 1;
        bool last = false;
        while (!last) {
            double Tn = T + dT;
            if ((dT < 0.0 && Tn <= Tend) || (dT > 0.0 && Tn >= Tend)) {
                Tn = Tend;
                last = true;
            }
            temperature(Tn);
            calculatePsatH2O();
            s.x0 = P;
            s.x1 = 1.1 * P;
            const double p = s.solve();
            if (s.status != 0) break;
            equationForBiphasicIsochor(p, nullptr);
            error = 0;
            calculate_density();
            if (f) biphaRow(*this, f);
            else if (mode == 6) {
                out->push_back(T);
                out->push_back(P / 1e5);
            }
        }
    }
    if (f) {
        std::fprintf(f, "END\n");
        std::fclose(f);
    }
}

double SolubilityModel::equationForBiphasicIsochor(double P_Pa, void*) {
    pressure(P_Pa / 1e5);
    calculate_gas_solubility0();
    if (fugacityError) {
        error = 1;
        return 0.0;
    }
    compositionCode = 11;
    update_composition();
    calculate_density();
    if (vapourVolumeFlag) calculateVapourMolarVolume();
    const double Vv = vapourVolume();
    rhov = (Mw * yw + gasMolarMass() * (1.0 - yw)) / Vv;
    phi = (rho - rho0) / (rho - rhov);
    const double ML = liquidMolarMass();
    return cg0 - (1.0 - phi) * xGas() * rho / ML - phi * (1.0 - yw) / Vv;
}

void SolubilityModel::calculateTheBiphasicPressure(double T_, double ms_, double mg_, double cg0_, double rho0_) {
    ms = is >= 0 ? ms_ : 0.0;
    mg = mg_;
    compositionCode = 11;
    update_composition();
    cg0 = cg0_;
    rho0 = rho0_;
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&SolubilityModel::equationForBiphasicIsochor);
    s.itermax = 20;
    temperature(T_);
    calculatePsatH2O();
    s.x0 = 1.001 * Psat;
    s.x1 = 1.002 * Psat;
    const double p = s.solve();
    errorflag = s.status != 0 ? 1 : 0;
    if (!errorflag) equationForBiphasicIsochor(p, nullptr);
}

double SolubilityModel::equationForPressure(double P_bar, void* data) {
    const double* d = static_cast<const double*>(data);  // rho_target, T, mg, ms
    temperature(d[1]);
    pressure(P_bar);
    ms = is >= 0 ? d[3] : 0.0;
    mg = d[2];
    compositionCode = 11;
    update_composition();
    calculate_density();
    return rho - d[0];
}

double SolubilityModel::calculate_pressure(double T_, double rho_target, double ms_, double mg_, double P0_bar) {
    double data[4] = {rho_target, T_, mg_, ms_};
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&SolubilityModel::equationForPressure);
    s.data = data;
    s.x0 = std::isfinite(P0_bar) ? P0_bar : 100.0;
    s.x1 = s.x0 + 1.0;
    double p = 0.0;
    {
        platform::ThreadLogCapture trials;  // a trial beyond the density model's range is no failure of the search
        p = s.solve();
        errorflag = 0;
        if (s.status == 0) equationForPressure(p, data);  // the state at the root, judged on its own
    }
    errorflag = s.status != 0 || errorflag != 0 || !(std::fabs(rho - rho_target) <= 1e-6 * rho_target) ? 1 : 0;
    if (!errorflag) return p;
    platform::diagf("%s: no pressure gives a liquid of %g mol/kg of gas and %g mol/kg NaCl the density %g kg/m3 at "
                    "%g K\n",
                    modelName(), mg_, ms_, rho_target, T_);
    P = rho = std::numeric_limits<double>::quiet_NaN();
    return P;
}

void SolubilityModel::calculateTheMonophasicIsochor(double T0, double T1, double rho_target, double ms_, double mg_,
                                                    double P0_bar, char mode, const char* /*suffix*/,
                                                    std::vector<double>* out) {
    double p = P0_bar;
    for (double t = T0; t < T1; t += 1.0) {
        const double found = calculate_pressure(t, rho_target, ms_, mg_, p);
        if (errorflag) continue;  // said; the next point starts from the last one found
        p = found;
        if (mode == 6 && out) {
            out->push_back(t);
            out->push_back(p);
        }
    }
}
