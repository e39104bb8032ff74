#include "families/cubic/BWR_EOS.h"

#include <cmath>
#include <cstdio>

#include "numerics/NewtonRaphson.h"
#include "platform/LogSink.h"

BWR_EOS::BWR_EOS(const double* c) : FluidPhase(0, 0, 0) {
    for (int i = 0; i < 12; i++) constants[i] = c ? c[i] : 0.0;
    beta = constants[10];
    gamma = constants[11];
    setModelName("BWR_EOS");
    volumeSolver->obj = this;
    volumeSolver->fn = toEquationFn<DerivEquationFn>(&BWR_EOS::equation2);
    volumeSolver->tol = 1e-06;
    volumeSolver->itermax = 40;
    volumeSolver->monotone = 1;
}

void BWR_EOS::temperature(double Tr) {
    if (Tr == T) return;
    T = Tr;
    valid = false;
    const double* k = constants;
    const double t2 = Tr * Tr, t3 = t2 * Tr;
    B = k[0] - k[1] / Tr - k[2] / t2 - k[3] / t3;
    C = k[4] - k[5] / Tr + k[6] / t3;
    D = k[8] + k[9] / Tr;
    c4T3 = k[7] / t3;
    beta = k[10];
    gamma = k[11];
}

void BWR_EOS::pressure(double Pr) {
    if (Pr == P) return;
    P = Pr;
    valid = false;
}

void BWR_EOS::volume(double Vr) {
    if (Vr == V) return;
    V = Vr;
    valid = false;
    Vr2 = Vr * Vr;
    Vr3 = Vr2 * Vr;
}

double BWR_EOS::zValue() const {
    const double V5 = Vr3 * Vr2;
    return 1.0 + B / V + C / Vr2 + D / V5 + c4T3 / Vr2 * (beta + gamma / Vr2) * std::exp(-gamma / Vr2);
}

double BWR_EOS::calculateZ() {
    const double V5 = Vr3 * Vr2;
    platform::tracef("B/V %lg\n", B / V);
    platform::tracef("C/V2 %lg\n", C / Vr2);
    platform::tracef("D/V5 %lg\n", D / V5);
    platform::tracef("E %lg\n", c4T3 / Vr2 * (beta + gamma / Vr2) * std::exp(-gamma / Vr2));
    Z = zValue();
    return Z;
}

double BWR_EOS::dzdV() {
    const double V5 = Vr3 * Vr2, V6 = V5 * V;
    dZdVr = -B / Vr2 - 2.0 * C / Vr3 - 5.0 * D / V6 -
            2.0 * c4T3 * std::exp(-gamma / Vr2) / V5 * (beta * Vr2 + 2.0 * gamma - beta * gamma - gamma * gamma / Vr2);
    return dZdVr;
}

void BWR_EOS::equation2(double Vr, double& f, double& dfdV) {
    volume(Vr);
    Z = zValue();
    dzdV();
    f = P * Vr / T - Z;
    dfdV = P / T - dZdVr;
}

void BWR_EOS::search_molar_volume(double Vstart, double stepFactor) {
    errorflag = 0;
    volumeSolver->x0 = Vstart;
    volumeSolver->r = stepFactor;
    const double v = volumeSolver->solve();
    if (volumeSolver->status != 0 || !std::isfinite(v)) {
        errorflag = 1;
        return;
    }
    volume(v);
    Z = zValue();
    dzdV();
    dpdV();
    if (Z <= 0.0 || Z >= 10.0 || dPrdVr > 0.0)
        errorflag = 1;
    else
        gd();
}

double BWR_EOS::dpdV() {
    const double V5 = Vr3 * Vr2;
    dPrdVr = -(T / Vr2) * (1.0 + 2.0 * B / V + 3.0 * C / Vr2 + 6.0 * D / V5 +
                           c4T3 / Vr2 * (3.0 * beta + (5.0 - 2.0 * (beta + gamma / Vr2)) * gamma / Vr2) *
                               std::exp(-gamma / Vr2));
    return dPrdVr;
}

double BWR_EOS::dpdT() {
    // d(Tr Z)/dTr at constant Vr, over Vr.
    const double* k = constants;
    const double t2 = T * T, t3 = t2 * T, V5 = Vr3 * Vr2;
    dPrdTr = (1.0 / V) * (1.0 + (k[0] + k[2] / t2 + 2.0 * k[3] / t3) / V + (k[4] - 2.0 * k[6] / t3) / Vr2 +
                          k[8] / V5 - 2.0 * c4T3 / Vr2 * (beta + gamma / Vr2) * std::exp(-gamma / Vr2));
    return dPrdTr;
}

double BWR_EOS::gd() {
    const double V5 = Vr3 * Vr2;
    E = c4T3 / (2.0 * gamma) * (beta + 1.0 - (beta + 1.0 + gamma / Vr2) * std::exp(-gamma / Vr2));
    g = T * (Z - 1.0 - std::log(Z) + B / V + C / (2.0 * Vr2) + D / (5.0 * V5) + E);
    return g;
}

double BWR_EOS::hd() {
    const double* k = constants;
    const double t2 = T * T, V5 = Vr3 * Vr2;
    h = T * (Z - 1.0 - (k[1] + 2.0 * k[2] / T + 3.0 * k[3] / t2) / (T * V) - (k[5] - 3.0 * k[6] / t2) / (2.0 * T * Vr2) +
             k[9] / (5.0 * T * V5) + 3.0 * E);
    return h;
}

double BWR_EOS::sd() {
    const double* k = constants;
    const double t2 = T * T, t3 = t2 * T, V5 = Vr3 * Vr2;
    s = std::log(Z) - (k[0] + k[2] / t2 + 2.0 * k[3] / t3) / V - (k[4] - 2.0 * k[6] / t3) / (2.0 * Vr2) -
        k[8] / (5.0 * V5) + 2.0 * E;
    return s;
}

double BWR_EOS::cd() {
    const double* k = constants;
    const double t2 = T * T, t3 = t2 * T;
    cv = 2.0 * (k[2] + 3.0 * k[3] / T) / (t2 * V) - 3.0 * k[6] / (t3 * Vr2) - 6.0 * E;
    dpdT();
    dpdV();
    cp = cv - 1.0 - T * dPrdTr * dPrdTr / dPrdVr;
    return cp;
}

int BWR_EOS::diagnose_the_phase() {
    if (T > 1.0 || P > 1.0) return 0;
    q = (P / dPrdVr + V) / T;
    return q > 0.0 ? 2 : 1;
}

void BWR_EOS::initialize() {
    errorflag = 0;
    Z = 0.0;
    V = 0.0;
    Vr2 = Vr3 = 0.0;
    h = s = g = cv = cp = 0.0;
    dZdVr = dPrdTr = dPrdVr = 0.0;
}

void BWR_EOS::describe() {
    if (valid) return;
    initialize();
    const double Tr = T, Pr = P;
    if (Tr >= 1.0 || Pr >= 1.0 || phase_kind == 0) {
        search_molar_volume(Tr / Pr, 1.0);
    } else if (phase_kind == 2) {
        search_molar_volume(0.001 * Tr / Pr, 2.0);
        if (errorflag) search_molar_volume(Tr / Pr, 1.0);
    } else if (phase_kind == 1) {
        search_molar_volume(Tr / Pr, 1.0);
    }
    if (errorflag) search_molar_volume(0.1 * Tr / Pr, 1.0);
    valid = true;
}

void BWR_EOS::calculate_fugacities() {
    for (int i = 0; i < component_count; i++) fugacity[i] = fugcoef[i] = std::nan("");
}

void BWR_EOS::calculate_state_functions() { withholdStateFunctions(true); }
