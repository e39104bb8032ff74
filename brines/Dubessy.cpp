#include "brines/Dubessy.h"

#include <cmath>
#include <cstring>
#include <string>

#include "brines/CurveFile.h"
#include "families/cubic/PRSV.h"
#include "families/cubic/SRK1.h"
#include "families/duan/DuanCH4.h"
#include "families/duan/DuanCO2.h"
#include "gases/IUPACCH4.h"
#include "gases/IUPACCO2.h"
#include "numerics/Fitting.h"
#include "numerics/Newton.h"
#include "platform/DataFiles.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"
#include "water/WagnerPruss.h"

namespace {
constexpr double R = 8.31434;
constexpr double kWaterPerKg = 55.50847203605297;
}  // namespace

Dubessy::Dubessy(char system_, char waterMode_, char activityModel_, char gasDataMode_)
    : system(system_),
      waterMode(waterMode_),
      activityModel(activityModel_),
      gasDataMode(gasDataMode_),
      solver(std::make_unique<Newton>()),
      water(std::make_unique<WagnerPruss>(2)),
      vapour(std::make_unique<PRSV>(2, 0)) {
    solver->_setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&Dubessy::calculate_vector_function), 2);
    if (system == 0 || system == 2) {
        number_of_components(2);
        add_components("H2O", "CO2");
        vapour->number_of_components(2);
        vapour->add_components("H2O", "CO2");
    } else if (system == 5) {
        number_of_components(1);
        add_component("H2O");
        vapour->number_of_components(1);
        vapour->add_component("H2O");
    }
    firstGuess = 1;
    a_w = 1.0;
    m_s = f_w0 = Psat = Vinf = H = 0.0;
}

Dubessy::~Dubessy() = default;

void Dubessy::setMoleFractions() {
    x_g = 0.018 * m_g / (1.0 + 0.018 * m_g);
    x_w = 1.0 - x_g;
    const double s = m_s + kWaterPerKg + m_g;
    X_s = m_s / s;
    X_g = m_g / s;
    X_w = 1.0 - X_s - X_g;
}

void Dubessy::calculatePsatH2O() {
    water->temperature(T);
    water->initializeSaturationVolumesFromT("H2O", T);
    water->calculate_saturation_pressure();
    Psat = water->P;
    water->calculateFromTV(T, water->Vl_sat, 0);
    f_w0 = water->fugacity[0];
}

void Dubessy::calculateHenryConstant() {
    if (system == 0 || system == 2) {
        if (gasDataMode == 2)
            H = 1e6 * std::exp(12817.0 / T - 6.8346 - 3.7668e6 / (T * T) + 2.997e8 / (T * T * T));
        else if (gasDataMode == 1)
            H = 101325.0 * std::exp(160.27 - 8764.5 / T - 21.726 * std::log(T) + 0.00011055 * T);
        if (system == 2) {
            if (gasDataMode == 1) {
                H *= std::exp(0.27503999999999995 * m_s / (1.0 + 0.018 * m_s));
            } else {
                const double T2 = T * T, T3 = T2 * T, T4 = T3 * T;
                const double b1 = 3.114712456 - 0.027655585 * T + 9.176713976e-5 * T2 - 1.278795941e-7 * T3 +
                                  6.2704268351e-11 * T4;
                const double b2 = -2.05637458 + 0.020819802 * T - 7.65857702e-5 * T2 + 1.2011325315e-7 * T3 -
                                  6.790343083e-11 * T4;
                const double b3 = 0.253424331 - 0.0026047432 * T + 9.72580216e-6 * T2 - 1.551654794e-8 * T3 +
                                  8.948557284e-12 * T4;
                H *= std::pow(10.0, b1 * m_s + b2 * m_s * m_s + b3 * m_s * m_s * m_s);
            }
        }
    } else if (system == 1 || system == 3) {
        H = 1e5 * std::exp(151.52 - 8335.5 / T - 20.499 * std::log(T) - 0.001311 * T);
        if (system == 3 && gasDataMode == 1)
            H *= std::exp(0.294 * m_s - 0.000195 * m_s * T - 46.81 * m_s / T - (0.578 + 0.0018 * T) * m_s / (m_s + 1.0));
    }
}

void Dubessy::calculate_activity_coefficients() {
    if (activityModel == 0) {
        W0 = -1127.63016458677 + 11.8665759834639 * T - 0.0363815939147719 * T * T + 3.44533889448619e-5 * T * T * T;
        W1 = 359.662899252007 - 3.88804875551428 * T + 0.0120996653413114 * T * T - 1.15603635771203e-5 * T * T * T;
    }
    if (activityModel == 0 || activityModel == 1) {
        gamma_w = std::exp(x_g * x_g * (W0 - W1 + 4.0 * W1 * x_w));
        gamma_g = std::exp(-x_g * ((x_w + 1.0) * (W1 + W0) + 4.0 * W1 * x_w * x_w));
    } else if (activityModel == 2) {
        gamma_w = std::exp(x_g * x_g * W0);
        gamma_g = std::exp((x_w * x_w - 1.0) * W0);
    }
}

void Dubessy::calculate_gas_volume_infinite_dilution() {
    if (system != 0 && system != 2) return;
    if (gasDataMode != 0) {
        Vinf = 2.82e-5;
        return;
    }
    const double T2 = T * T;
    Vinf = 1e-6 / (0.02439488129 + 0.0005790665261 * T - 2.122757825e-6 * T2 + 3.1918934075e-9 * T2 * T -
                   1.86290653e-12 * T2 * T2);
}

void Dubessy::calculate_fixed_parameters() {
    calculatePsatH2O();
    calculateHenryConstant();
    calculate_activity_coefficients();
    calculate_gas_volume_infinite_dilution();
}

void Dubessy::calculate_vector_function(double* X, double* F, double** J, int& err, int order, void*) {
    const double Vx = X[0], yg = X[1];
    if (order >= 1 && J) {
        // Jacobian by one-sided differences that stay inside 0 <= y_g <= 1
        // (the solution sits on y_g = 0 for a liquid without gas).
        calculate_vector_function(X, F, nullptr, err, 0, nullptr);
        if (err) return;
        const double Pkeep = P;
        const double h[2] = {1e-7 * Vx, yg + 1e-7 <= 1.0 ? 1e-7 : -1e-7};
        for (int j = 0; j < 2; ++j) {
            double Xh[2] = {X[0], X[1]}, Fh[2];
            Xh[j] += h[j];
            P = Pkeep;
            calculate_vector_function(Xh, Fh, nullptr, err, 0, nullptr);
            if (err) return;
            J[0][j] = (Fh[0] - F[0]) / h[j];
            J[1][j] = (Fh[1] - F[1]) / h[j];
        }
        P = Pkeep;
        calculate_vector_function(X, F, nullptr, err, 0, nullptr);  // the state at X
        return;
    }
    if (Vx < 0.0 || yg < 0.0 || yg > 1.0) {
        err = 1;
        return;
    }
    PRSV& v = *vapour;
    v.errorflag = 0;
    v.temperature(T);
    v.volume(Vx);
    v.composition_of_component(0, 1.0 - yg);
    v.composition_of_component(1, yg);
    v.calculate_pressure();
    if (!v.errorflag) v.calculate_fugacities();
    if (v.errorflag) {
        err = 1;
        return;
    }
    double fwLiquid = f_w0;
    a_w = 1.0;
    if (waterMode == 1 || system == 2 || system == 3 || system == 4) {
        water->temperature(T);
        // At the vapour's pressure of this evaluation, so that the residuals are a
        // function of (V, y_g) alone and Newton's iteration can converge.
        water->pressure(v.P / 1e5);
        water->calculate_molar_volume();
        if (water->errorflag) {
            err = 1;
            return;
        }
        water->calculate_fugacities();
        if (system == 2) {
            double g = 0.0, phi = 0.0;
            water->calculatePitzer84(m_s, a_w, g, phi);
            if (!std::isfinite(a_w)) {  // outside the activity model's range (said)
                err = 1;
                return;
            }
        }
        if (waterMode == 1) fwLiquid = water->fugacity[0];
    }
    P = v.P;
    F[0] = v.fugacity[0] - x_w * gamma_w * fwLiquid * a_w;
    F[1] = v.fugacity[1] - x_g * gamma_g * H * std::exp((P - Psat) * Vinf / (R * T));
}

bool Dubessy::solveFrom(double V0, double yg0) {
    solver->_setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&Dubessy::calculate_vector_function), 2);
    solver->numericalJacobian = 0;
    solver->x[0] = solver->xold[0] = V0;
    solver->x[1] = solver->xold[1] = yg0;
    solver->solve();
    if (solver->status != 0 && solver->status != 3) return false;
    double F[2];
    int err = 0;
    calculate_vector_function(solver->x, F, nullptr, err, 0, nullptr);  // state at the solution
    Vvap = V = solver->x[0];
    y_g = solver->x[1];
    y_w = 1.0 - y_g;
    return err == 0;
}

void Dubessy::calculate_gas_solubility(double T_, double mg_, double ms_) {
    errorflag = 0;
    if (system != 0 && system != 2) {
        platform::diagf("Dubessy: no solubility model for system %d (CO2 systems 0 and 2 only)\n", system);
        errorflag = 1;
        return;
    }
    // The model was fitted to liquid-vapour equilibria from 0 to 270 C
    // (Dubessy, Tarantola & Sterpenich 2005, Oil Gas Sci. Technol. 60, 339);
    // towards water's critical point its vapour root merges with the liquid
    // and the bubble pressure falls as gas is added.
    if (!(T_ >= kTmin && T_ <= kTmax)) {
        platform::diagf("Dubessy: %g K lies outside %g to %g K, the range of the model's fit; no bubble pressure is "
                        "given\n",
                        T_, kTmin, kTmax);
        errorflag = 1;
        return;
    }
    T = T_;
    m_g = mg_;
    m_s = ms_;
    setMoleFractions();
    calculate_fixed_parameters();
    if (water->errorflag) {
        errorflag = 1;
        return;
    }
    // Start of the vapour: Raoult's and Henry's laws, or the caller's kept
    // vapour (firstGuess 0).  A root at no positive pressure, or with a
    // vapour denser than the saturated liquid, is no bubble point; from a
    // kept vapour the search is then made again from the laws' start.
    auto lawsStart = [this] {
        const double P0 = x_w * Psat + x_g * H;
        y_g = x_g * H / P0;
        y_w = 1.0 - y_g;
        P = P0;
        Vvap = R * T / P0;
    };
    const double Vliquid = water->Vl_sat;  // saturated liquid water at T
    auto bubblePoint = [this, Vliquid] {
        return solveFrom(Vvap, y_g) && P > 0.0 && std::isfinite(P) && y_g >= 0.0 && y_g <= 1.0 && !(Vvap <= Vliquid);
    };
    if (firstGuess == 1) lawsStart();
    if (bubblePoint()) return;
    if (firstGuess != 1) {
        lawsStart();
        if (bubblePoint()) return;
    }
    errorflag = 1;
}

void Dubessy::equationForCalculatingPsatFromVlVv(double* X, double* F, double** /*J*/, int& err, int, void*) {
    const double Vl = X[0], Vv = X[1];
    if (Vl < 0.0 || Vv < 0.0 || std::fabs(Vl - Vv) / Vl < 1e-5 || Vl > Vv) {
        err = 1;
        return;
    }
    water->set_the_phase_as(2);
    water->errorflag = 0;
    water->calculateFromTV(T, Vl, 0);
    vapour->set_the_phase_as(1);
    vapour->errorflag = 0;
    vapour->calculateFromTV(T, Vv, 0);
    if (water->errorflag || vapour->errorflag || water->dPdV > 0.0 || vapour->dPdV > 0.0) {
        err = 1;
        return;
    }
    F[0] = water->fugacity[0] - vapour->fugacity[0];
    F[1] = water->P - vapour->P;
}

void Dubessy::calculate_saturation_pressure() {
    errorflag = 0;
    water->temperature(T);
    vapour->temperature(T);
    if (vapour->component_count == 2) {
        vapour->composition_of_component(0, 1.0);
        vapour->composition_of_component(1, 0.0);
    }
    solver->_setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&Dubessy::equationForCalculatingPsatFromVlVv), 2);
    solver->numericalJacobian = 1;
    solver->tol = 1e-8;
    solver->x[0] = solver->xold[0] = Vl0;
    solver->x[1] = solver->xold[1] = Vv0;
    solver->solve();
    // Status 3: the residual is converged while the large vapour volume still
    // moves by more than the step tolerance; the equilibrium is found.
    if (solver->status != 0 && solver->status != 3) {
        errorflag = 1;
        return;
    }
    double F[2];
    int err = 0;
    equationForCalculatingPsatFromVlVv(solver->x, F, nullptr, err, 0, nullptr);
    Vl0 = solver->x[0];
    Vv0 = solver->x[1];
    P = vapour->P;
    if (err) errorflag = 1;
}

// ---- curves

void Dubessy::calculate_the_isopleth(double mg_, double T0, char mode, const char* suffix) {
    std::FILE* f = openCurveFile("isop", suffix);
    if (!f) return;
    const char* s = suffix ? suffix : "";
    if (mode == 1)
        std::fprintf(f, "IGOR\nWAVES %6s%s %11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n", "T", s, "x", s, "m", s, "v", s,
                     "y", s, "p", s);
    firstGuess = 1;
    double Vkeep = 0.0, ykeep = 0.0;
    bool kept = false;
    for (double t = T0; t <= 573.15; t += 1.0) {
        calculate_gas_solubility(t, mg_, m_s);
        if (errorflag && firstGuess == 1 && kept) {
            firstGuess = 0;
            Vvap = Vkeep;
            y_g = ykeep;
            calculate_gas_solubility(t, mg_, m_s);
        }
        if (errorflag) {
            firstGuess = 1;  // no kept vapour stays for later calls
            break;
        }
        std::fprintf(f, "%12lg %12lg %12lg %12lg %12lg %12lg \n", T, x_g, m_g, Vvap * 1e6, y_w, P * 1e-5);
        Vkeep = Vvap;
        ykeep = y_g;
        kept = true;
        firstGuess = 1;
    }
    if (mode == 1) std::fprintf(f, "END\n");
    std::fclose(f);
}

void Dubessy::calculate_the_H2ONaClCO2_isopleth(double ms_, double mg_, char mode, const char* suffix) {
    if (system != 2) return;
    m_s = ms_;
    const char* s = suffix ? suffix : "";
    std::printf("IGOR\nWAVES Tk%s ah%s H%s s%s Hs%s\nBEGIN\n", s, s, s, s, s);
    calculate_the_isopleth(mg_, 273.15, mode, suffix);
    std::printf("END\n");
}

void Dubessy::writeIsothermRow(char /*mode*/, bool withR, double r) {
    std::printf("%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg ", T, X_g, X_s, m_g, m_s, Vvap * 1e6, y_w, P * 1e-5);
    if (withR) std::printf("%12lg ", r);
    std::printf("\n");
}

bool Dubessy::solveIsothermPoint(double T_, double mg, double ms, KeptVapour& kept) {
    firstGuess = 1;
    calculate_gas_solubility(T_, mg, ms);
    if (errorflag && kept.valid) {
        firstGuess = 0;
        Vvap = kept.V;
        y_g = kept.y;
        calculate_gas_solubility(T_, mg, ms);
    }
    if (errorflag) return false;
    kept = {true, Vvap, y_g};
    return true;
}

void Dubessy::calculate_the_isotherm(double T_, double ms_, char mode, const char* suffix) {
    const char* s = suffix ? suffix : "";
    if (mode == 1)
        std::printf("IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n", "T", s, "xg", s, "xs",
                    s, "mg", s, "ms", s, "v", s, "y", s, "p", s);
    KeptVapour kept;
    if (solveIsothermPoint(T_, 0.0, ms_, kept)) writeIsothermRow(mode, false, 0.0);
    for (int k = 1; k * 1e-7 <= 1e-5 + 1e-12; ++k) {
        const double mg = k * 1e-7;
        if (!solveIsothermPoint(T_, mg, ms_, kept)) break;
        writeIsothermRow(mode, false, 0.0);
    }
    firstGuess = 1;
    if (mode == 1) std::printf("END\n");
    std::printf("B %lg\nC %lg\n", W0, W1);
}

void Dubessy::calculate_the_isotherm1(double T_, double r, char mode, const char* suffix) {
    const char* s = suffix ? suffix : "";
    if (mode == 1)
        std::printf("IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n", "T", s, "xg", s,
                    "xs", s, "mg", s, "ms", s, "v", s, "y", s, "p", s, "r", s);
    KeptVapour kept;
    for (int k = 0; 1.0 - 0.001 * k >= 0.85 - 1e-12; ++k) {
        const double Xw = 1.0 - 0.001 * k;
        const double ms = (1.0 - r) * (1.0 - Xw) / (0.018015268 * Xw);
        const double mg = r * (1.0 - Xw) / (0.018015268 * Xw);
        if (!solveIsothermPoint(T_, mg, ms, kept)) break;
        writeIsothermRow(mode, true, r);
    }
    firstGuess = 1;
    if (mode == 1) std::printf("END\n");
}

void Dubessy::calculateTheSaturationCurve(const char* suffix) {
    std::FILE* f = openCurveFile("satu", suffix);
    if (!f) return;
    const char* s = suffix ? suffix : "";
    static const char* const waves[] = {"T",     "P0",    "fug0",  "phi0",  "vl0",   "vv0",   "P1",
                                        "fug1",  "phi1",  "vl1",   "vv1",   "p0ch4", "p0co2", "psch4",
                                        "ppch4", "psco2", "ppco2", "pdch4", "pdco2"};
    std::fprintf(f, "IGOR\nWAVES");
    for (const char* w : waves) std::fprintf(f, " %11s%s", w, s);
    std::fprintf(f, "\nBEGIN\n");
    IUPACCH4 iupacCH4(1);
    IUPACCO2 iupacCO2(1);
    DuanCH4 duanCH4(1);
    DuanCO2 duanCO2(1);
    SRK1 srkCH4(1, 0), srkCO2(1, 0);
    PRSV prCH4(1, 0), prCO2(1, 0);
    for (FluidPhase* g : {static_cast<FluidPhase*>(&srkCH4), static_cast<FluidPhase*>(&prCH4)}) {
        g->number_of_components(1);
        g->add_component("CH4");
    }
    for (FluidPhase* g : {static_cast<FluidPhase*>(&srkCO2), static_cast<FluidPhase*>(&prCO2)}) {
        g->number_of_components(1);
        g->add_component("CO2");
    }
    FluidPhase* gases[8] = {&iupacCH4, &iupacCO2, &srkCH4, &prCH4, &srkCO2, &prCO2, &duanCH4, &duanCO2};
    Vl0 = 1.79e-5;
    Vv0 = 1.0;
    for (double t = 273.15; t < 647.0; t += (t < 630.0 ? 1.0 : 0.1)) {
        T = t;
        calculate_saturation_pressure();
        if (errorflag) break;
        const double P0 = P, fug0 = vapour->fugacity[0], vl0 = Vl0, vv0 = Vv0;
        water->temperature(t);
        water->initializeSaturationVolumesFromT("H2O", t);
        water->calculate_saturation_pressure();
        const double P1 = water->P, vl1 = water->Vl_sat, vv1 = water->Vv_sat;
        water->calculateFromTV(t, vl1, 0);
        const double fug1 = water->fugacity[0];
        std::fprintf(f, "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg", t, P0 / 1e5, fug0 / 1e5,
                     fug0 / P0, vl0 * 1e6, vv0 * 1e6, P1 / 1e5, fug1 / 1e5, fug1 / P1, vl1 * 1e6, vv1 * 1e6);
        for (FluidPhase* g : gases) {
            g->errorflag = 0;
            g->calculateFromTP(t, P0 / 1e5, 0);
            std::fprintf(f, " %12lg", g->errorflag ? std::nan("") : g->fugacity[0] / g->P);
        }
        std::fprintf(f, "\n");
    }
    std::fprintf(f, "END\n");
    std::fclose(f);
}

void Dubessy::mapActivityCoefficients() {
    const char* titles[3] = {"\ngama1\n\t\t\t", "\n\ngamma2\n\t\t\t", "\n\nexp(B+C)\n\t\t\t"};
    const char saved = activityModel;
    activityModel = 0;
    for (int table = 0; table < 3; ++table) {
        std::printf("%s", titles[table]);
        for (double t = 273.15; t <= 573.15 + 1e-9; t += 10.0) std::printf("%12lg ", t);
        for (int k = 0; k <= 25; ++k) {
            x_w = 1.0 - 0.01 * k;
            x_g = 1.0 - x_w;
            std::printf("\n%12lg ", x_w);
            for (double t = 273.15; t <= 573.15 + 1e-9; t += 10.0) {
                T = t;
                calculate_activity_coefficients();
                std::printf("%12lg ", table == 0 ? gamma_w : table == 1 ? gamma_g : std::exp(W0 + W1));
            }
        }
    }
    std::printf("\n");
    activityModel = saved;
}

void Dubessy::tata() {
    std::printf("IGOR\nWAVES T0 P0 H0 v1\nBEGIN\n");
    for (double t = 273.15; t <= 647.15 + 1e-9; t += 1.0) {
        T = t;
        calculate_fixed_parameters();
        std::printf("%12g %12lg %12lg %12lg\n", t, Psat / 1e5, H / 1e5, Vinf);
    }
    std::printf("END\n");
}

void Dubessy::test() {
    calculate_gas_solubility(323.15, 0.433, 0.0);
    std::printf("T %lg K  mg %lg  P %lg bar  V %lg cm3/mol  yw %lg  error %d\n", T, m_g, P / 1e5, Vvap * 1e6, y_w,
                errorflag);
}

// ---- data files

bool Dubessy::readIsothermData(const char* name, int& n, double* T_, double* P_, double* m_, double* y_) {
    const std::string path = std::string("data/solubility/H2O-CO2/") + (name ? name : "");
    const std::string full = platform::resolveDataFile(path);
    std::FILE* f = full.empty() ? nullptr : std::fopen(full.c_str(), "rt");
    if (!f) {
        platform::diagf("Cannot open file %s\n", path.c_str());
        return false;
    }
    char token[64];
    for (int i = 0; i < 7; ++i)
        if (std::fscanf(f, "%63s", token) != 1) {
            std::fclose(f);
            n = 0;
            return true;
        }
    int k = 0;
    bool ok = true;
    while (std::fscanf(f, "%63s", token) == 1) {
        if (std::strcmp(token, "END") == 0) break;
        double t, p, mm, yy;
        if (std::fscanf(f, "%lf %lf %lf", &p, &mm, &yy) != 3) {
            platform::diagf("%s: record %d is incomplete\n", path.c_str(), k + 1);
            ok = false;
            break;
        }
        char* end = nullptr;
        t = std::strtod(token, &end);
        if (end == token || *end != 0) {
            platform::diagf("%s: record %d: %s is not a temperature\n", path.c_str(), k + 1, token);
            ok = false;
            break;
        }
        if (k >= maxRecords) {
            platform::diagf("%s: more than %d records; the rest are ignored\n", path.c_str(), maxRecords);
            break;
        }
        T_[k] = t + 273.15;
        P_[k] = p;
        m_[k] = mm;
        y_[k] = yy;
        ++k;
    }
    std::fclose(f);
    n = k;
    return ok;
}

void Dubessy::testIsothermData(const char* file, const char* suffix) {
    double Tk[maxRecords], Pb[maxRecords], mg[maxRecords], yv[maxRecords];
    int n = 0;
    if (!readIsothermData(file, n, Tk, Pb, mg, yv) || n == 0) return;
    const char* s = suffix ? suffix : "";
    const char* names[9] = {"T", "m", "p", "pexp", "y1", "ye", "Vvap", "dP", "dy"};
    for (const char* nm : names) std::printf("%11s%s", nm, s);
    std::printf("\n");
    double sp = 0.0, sy = 0.0;
    int count = 0;
    for (int i = 0; i < n; ++i) {
        firstGuess = 1;
        calculate_gas_solubility(Tk[i], mg[i], 0.0);
        if (errorflag) continue;
        const double pc = P / 1e5, ye = yv[i] * 0.001;
        const double dP = 100.0 * (pc - Pb[i]) / Pb[i];
        const double dy = ye != 0.0 ? 100.0 * (y_w - ye) / ye : 0.0;
        std::printf("%12lg%12lg%12lg%12lg%12lg%12lg%12lg%12lg%12lg\n", Tk[i], mg[i], pc, Pb[i], y_w, ye, Vvap * 1e6, dP,
                    dy);
        sp += std::fabs(dP);
        sy += std::fabs(dy);
        ++count;
    }
    std::printf("AADP %12lg\n", count ? sp / count : 0.0);
    std::printf("AADy %12lg\n", count ? sy / count : 0.0);
}

void Dubessy::evaluate(double* X, double* params, double& Y, double& Z, double* /*extra*/, std::int16_t& err) {
    W0 = params[0];
    if (activityModel == 1) W1 = params[1];
    firstGuess = 1;
    calculate_gas_solubility(X[0], X[1], 0.0);
    err = errorflag;
    Y = P;
    Z = y_w;
}

void Dubessy::fitIsothermData(const char* file) {
    if (activityModel != 1 && activityModel != 2) {
        // Model 0 takes its parameters from temperature polynomials: nothing to fit.
        platform::diagf("Dubessy: the activity model %d has no parameters to fit (1 or 2)\n", activityModel);
        errorflag = 1;
        return;
    }
    double Tk[maxRecords], Pb[maxRecords], mg[maxRecords], yv[maxRecords];
    int n = 0;
    if (!readIsothermData(file, n, Tk, Pb, mg, yv) || n == 0) {
        errorflag = 1;
        return;
    }
    // The files give y in thousandths (as the comparison of testIsothermData reads them).
    std::vector<double> Ppa(n), yw(n), sdT(n, 0.5), sdm(n, 0.001), sdP(n, 1.0), sdy(n, 0.001);
    for (int i = 0; i < n; ++i) {
        Ppa[i] = Pb[i] * 1e5;
        yw[i] = yv[i] * 0.001;
    }
    Fitting fit;
    fit.obj = this;
    fit.fn = toEquationFn<FitEquationFn>(&Dubessy::evaluate);
    fit.m = n;
    fit.np = activityModel == 1 ? 2 : 1;
    fit.nx = 2;
    fit.nadd = 0;
    fit.itermax = 20;
    fit.set_type_of_regression(2);
    fit.allocate_memory();
    fit.read_Xm(0, Tk);
    fit.read_Xm(1, mg);
    fit.read_Ym(Ppa.data());
    fit.read_Zm(yw.data());
    fit.read_sdX(0, sdT.data());
    fit.read_sdX(1, sdm.data());
    fit.read_sdY(sdP.data());
    fit.read_sdZ(sdy.data());
    double p0[2] = {0.0, 0.0}, dp[2] = {1e-7, 1e-7};
    fit.set_initial_parameters(p0);
    fit.set_parameters_pertubation(dp);
    short status = 0;
    fit.regres(status);
    errorflag = fit.error ? 1 : status;
}
