#include "families/cubic/HCubic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "families/cubic/CubicData.h"
#include "families/cubic/Heyen.h"
#include "fluid/Standard.h"
#include "numerics/LinearAlgebra.h"
#include "platform/LogSink.h"

using cubic::R;

// ---------------------------------------------------------------- HCubic

HCubic::HCubic() : FluidPhase(0, 0, 0) {
    ideal = new Standard();
    secant.obj = this;
    secant.fn = toEquationFn<ScalarEquationFn>(&HCubic::equation);
    secant.itermax = 15;
    secant.tol = 1e-9;
    secant.xmin = -1e15;
    secant.xmax = 1e15;
    secant.lambda = 1.0;
    secant.lambdaMin = 0.01;
}

void HCubic::number_of_components(int n) {
    if (n < 1) return;
    FluidPhase::number_of_components(n);
    n_ = component_count;
    for (auto* v : {&m, &Tc, &Pc, &omega, &ac, &b, &c, &aT, &bT, &cT, &Ai, &Bi, &Ci, &Si, &lnphi})
        v->assign(n_, 0.0);
    kaij.assign(static_cast<std::size_t>(n_) * n_, 0.0);
    known.assign(n_, 0);
}

bool HCubic::usable() const {
    if (n_ < 1) return false;
    for (int i = 0; i < n_; i++)
        if (!known[i]) return false;
    return true;
}

double HCubic::aScale() const { return cubic::R2 * T * T / Pref(); }

void HCubic::set_binary_interaction_kaij(int i, int j, double k) {
    if (i < 0 || j < 0 || i >= n_ || j >= n_) return;
    kaij[i * n_ + j] = kaij[j * n_ + i] = k;
}

void HCubic::set_binary_interaction_a_parameters(std::initializer_list<double> ks) {
    auto it = ks.begin();
    for (int i = 0; i < n_ && it != ks.end(); i++)
        for (int j = i + 1; j < n_ && it != ks.end(); j++) set_binary_interaction_kaij(i, j, *it++);
}

void HCubic::read_BIP() {
    cubic::forEachBuiltInPair(component_names, n_, [this](int i, int j, double k) { set_binary_interaction_kaij(i, j, k); });
}

void HCubic::calculate_parameters_of_pure_components() {
    const double p = Pref();
    for (int i = 0; i < n_; i++) {
        const double s = 1.0 + m[i] * (1.0 - std::sqrt(T / Tc[i]));
        aT[i] = ac[i] * s * s;
        bT[i] = b[i];
        cT[i] = c[i];
        Ai[i] = aT[i] * p / (cubic::R2 * T * T);
        Bi[i] = bT[i] * p / (R * T);
        Ci[i] = cT[i] * p / (R * T);
    }
}

void HCubic::calculate_mixing_parameters() {
    A_ = B_ = C_ = 0.0;
    for (int i = 0; i < n_; i++) {
        double s = 0.0;
        for (int j = 0; j < n_; j++) s += x[j] * (1.0 - kaij[i * n_ + j]) * std::sqrt(Ai[i] * Ai[j]);
        Si[i] = s;
        A_ += x[i] * s;
        B_ += x[i] * Bi[i];
        C_ += x[i] * Ci[i];
    }
}

void HCubic::calculate_pressure() {
    if (!usable()) {
        errorflag = 1;
        return;
    }
    // The parameters reduced at 1 bar, not at the pressure the model held
    // before: P of (T, V) depends on T, V and x alone, to the last bit.
    P = 1e5;
    calculate_parameters_of_pure_components();
    calculate_mixing_parameters();
    const double p = Pref();
    const double bm = B_ * R * T / p, cm = C_ * R * T / p, am = A_ * cubic::R2 * T * T / p;
    P = R * T / (V - bm) - am / (V * V + (bm + cm) * V - bm * cm);
    Z = P * V / (R * T);
    // The reduced parameters of the fugacities are those of this pressure.
    calculate_parameters_of_pure_components();
    calculate_mixing_parameters();
}

void HCubic::resolve_cubic_equation_in_Z() {
    const double A = A_, B = B_, C = C_;
    const double coef[4] = {B * (B * C + C - A), A - B - C - 2.0 * B * C - B * B, C - 1.0, 1.0};
    double kept[3];
    const int nk = cubic::rootsAboveCovolume(coef, B, kept);
    double lo = nk ? kept[0] : 0.0, hi = lo;
    for (int k = 1; k < nk; k++) {
        lo = std::min(lo, kept[k]);
        hi = std::max(hi, kept[k]);
    }
    if (nk == 1)
        Z = kept[0];
    else if (nk >= 2 && phase_kind == 1)
        Z = hi;
    else if (nk >= 2 && phase_kind == 2)
        Z = lo;
    else {
        // No admissible root, or no phase kind to choose: reported, V kept.
        errorflag = 1;
        return;
    }
    volume(Z * R * T / P);
}

void HCubic::calculate_molar_volume() {
    errorflag = 0;
    if (!usable() || !(P > 0.0)) {
        errorflag = 1;
        return;
    }
    calculate_parameters_of_pure_components();
    calculate_mixing_parameters();
    resolve_cubic_equation_in_Z();
    if (errorflag) return;
    calculateBulkMolarWeight();
    calculate_fugacities();
}

void HCubic::calculate_fugacities() {
    if (!usable() || !(P > 0.0) || !(V > 0.0)) {
        errorflag = 1;
        return;
    }
    // Z of the stored volume at the stored pressure.
    const double A = A_, B = B_, C = C_;
    Z = P * V / (R * T);
    const double D = std::sqrt(B * B + 6.0 * B * C + C * C);
    const double Q = 2.0 * Z + B + C;
    const double L = std::log((Q + D) / (Q - D));
    for (int i = 0; i < n_; i++) {
        const double delta = ((3.0 * C + B) * Bi[i] + (C + 3.0 * B) * Ci[i]) / (D * D);
        lnphi[i] = -std::log(Z - B) - (attractionShare(i) - delta) * (A / D) * L + Bi[i] / (Z - B) +
                   (1.0 / (Z - B) - 1.0) * ((Bi[i] + Ci[i] - (B + C) * delta) / 2.0 - delta * Z);
        fugcoef[i] = std::exp(lnphi[i]);
        fugacity[i] = x[i] * P * fugcoef[i];
    }
    // The closed form gives no derivatives of the fugacities: they are not
    // given (NaN), never the zeros of the arrays' sizing, which a
    // phase-equilibrium solver would take for a Jacobian.
    const double none = std::nan("");
    for (auto* v : {&dfugcoefdT, &dfugcoefdP, &dfugcoefdV, &dfugacitydT, &dfugacitydP, &dfugacitydV})
        std::fill(v->begin(), v->end(), none);
    for (auto* m : {&dfugcoefdx, &dfugacitydx})
        for (std::vector<double>& row : *m) std::fill(row.begin(), row.end(), none);
}

void HCubic::calculate_state_functions() {
    calculate_pressure();
    withholdStateFunctions(true);
}

double HCubic::equation(double T_, void*) {
    temperature(T_);
    calculate_parameters_of_pure_components();
    calculate_mixing_parameters();
    return A_ / B_ - Omega_a / Omega_b;
}

void HCubic::calculate_the_pseudo_critical_point(double& Tcr, double& Pcr, double& Vcr) {
    Tcr = Pcr = Vcr = 0.0;
    if (!usable()) {
        errorflag = 1;
        return;
    }
    const double Tsaved = T;
    calculate_parameters_of_pure_components();
    calculate_mixing_parameters();
    // zeta_c = (1 - Omega_c)/3 of the form; Vc = zeta_c b/Omega_b.
    const double zeta = (1.0 - Omega_c) / 3.0;
    const double bm = B_ * R * T / Pref();
    Vcr = zeta * bm / Omega_b;
    secant.x0 = 100.0;
    secant.x1 = 150.0;
    Tcr = secant.solve();
    Pcr = zeta * R * Tcr / Vcr;
    temperature(Tsaved);
    calculate_parameters_of_pure_components();
    calculate_mixing_parameters();
}

bool HCubic::readCommon(int i, const char* name) {
    return cubic::readCorrespondingStates(name, modelName(), "File %s not found\n", Tc[i], Pc[i], omega[i],
                                          molar_mass[i]);
}

// ---------------------------------------------------------------- TwoPar

TwoPar::TwoPar(int phaseKind, double oa, double ob, double oc, double m0_, double m1_, double m2_) {
    setModelName("TwoPar");
    phase_kind = phaseKind;
    Omega_a = oa;
    Omega_b = ob;
    Omega_c = oc;
    m0 = m0_;
    m1 = m1_;
    m2 = m2_;
}

void TwoPar::read_component_data(int i, const char* name) {
    if (i < 0 || i >= n_ || !name) return;
    known[i] = 0;
    if (!readCommon(i, name)) return;
    m[i] = m0 + m1 * omega[i] + m2 * omega[i] * omega[i];
    ac[i] = Omega_a * R * R * Tc[i] * Tc[i] / Pc[i];
    b[i] = Omega_b * R * Tc[i] / Pc[i];
    c[i] = Omega_c * R * Tc[i] / Pc[i];
    known[i] = 1;
    if (i == n_ - 1) read_BIP();
}

// ---------------------------------------------------------------- ThreePar

ThreePar::ThreePar(int phaseKind, double m0_, double m1_, double m2_) {
    setModelName("ThreePar");
    phase_kind = phaseKind;
    m0 = m0_;
    m1 = m1_;
    m2 = m2_;
}

void ThreePar::omegasFromZeta(double zeta) {
    // Omega_b is the smallest positive root of
    // Omega_b^3 + (2 - 3 zeta) Omega_b^2 + 3 zeta^2 Omega_b - zeta^3 = 0.
    const double coef[4] = {-zeta * zeta * zeta, 3.0 * zeta * zeta, 2.0 - 3.0 * zeta, 1.0};
    int nr = 0;
    double roots[3];
    degree3(coef, &nr, roots);
    double ob = 10.0;
    for (int k = 0; k < nr; k++) ob = std::min(ob, roots[k] < 0.0 ? 10.0 : roots[k]);
    Omega_b = ob;
    Omega_c = 1.0 - 3.0 * zeta;
    Omega_a = 3.0 * zeta * zeta + 3.0 * (1.0 - 2.0 * zeta) * ob + ob * ob + 1.0 - 3.0 * zeta;
}

void ThreePar::read_component_data(int i, const char* name) {
    if (i < 0 || i >= n_ || !name) return;
    known[i] = 0;
    if (!readCommon(i, name)) return;
    const double w = omega[i];
    omegasFromZeta((0.0211947 * w - 0.076799) * w + 0.329032);
    m[i] = m0 + m1 * w + m2 * w * w;
    ac[i] = Omega_a * R * R * Tc[i] * Tc[i] / Pc[i];
    b[i] = Omega_b * R * Tc[i] / Pc[i];
    c[i] = Omega_c * R * Tc[i] / Pc[i];
    known[i] = 1;
    if (i == n_ - 1) read_BIP();
}

// ---------------------------------------------------------------- Heyen

Heyen::Heyen(int phaseKind) {
    setModelName("Heyen");
    phase_kind = phaseKind;
}

void Heyen::number_of_components(int n) {
    if (n < 1) return;
    HCubic::number_of_components(n);
    for (auto* v : {&Vc, &nn, &mprime, &theta, &N, &M}) v->assign(n_, 0.0);
    l.assign(static_cast<std::size_t>(n_) * n_, 1.0);
}

void Heyen::read_component_data(int i, const char* name) {
    if (i < 0 || i >= n_ || !name) return;
    known[i] = 0;
    // Heyen's alpha(T) = exp(slope (1 - Tr^nn)) is 1 at every temperature
    // without its slope and exponent: both are required with Vc; m and teta
    // (the temperature dependence of b) may be absent, b then constant.
    double tc = 0.0, pc = 0.0, w = 0.0, mw = 0.0, vc = 0.0, slope = 0.0, n = 0.0;
    if (!cubic::readCorrespondingStates(name, "Heyen", "Cannot find %s file !\n", tc, pc, w, mw,
                                        {{"Vc", &vc}, {"slope", &slope}, {"nn", &n}}))
        return;
    if (!(vc > 0.0)) {
        platform::diagf("Heyen: the critical volume Vc of %s must be positive; the component is refused\n", name);
        return;
    }
    if (!cubic::readCubicComponentFile(name, "Cannot find %s file !\n", {{"m", &mprime[i]}, {"teta", &theta[i]}}))
        return;
    Tc[i] = tc;
    Pc[i] = pc;
    omega[i] = w;
    Vc[i] = vc;
    m[i] = slope;
    nn[i] = n;
    molar_mass[i] = mw;
    omegasFromZeta(Pc[i] * Vc[i] / (R * Tc[i]));
    ac[i] = Omega_a * R * R * Tc[i] * Tc[i] / Pc[i];
    b[i] = Omega_b * R * Tc[i] / Pc[i];
    c[i] = Omega_c * R * Tc[i] / Pc[i];
    known[i] = 1;
    if (i == n_ - 1) read_BIP();
}

void Heyen::calculate_parameters_of_pure_components() {
    const double p = Pref();
    for (int i = 0; i < n_; i++) {
        const double Tr = T / Tc[i];
        aT[i] = ac[i] * std::exp(m[i] * (1.0 - std::pow(Tr, nn[i])));
        bT[i] = b[i] * (1.0 + mprime[i] * std::tanh(-theta[i] * (Tr - 1.0) / 2.0));
        cT[i] = c[i];
        Ai[i] = aT[i] * p / (cubic::R2 * T * T);
        Bi[i] = bT[i] * p / (R * T);
        Ci[i] = cT[i] * p / (R * T);
    }
}

void Heyen::calculate_mixing_parameters() {
    A_ = B_ = C_ = 0.0;
    for (int i = 0; i < n_; i++) {
        double sn = 0.0, sm = 0.0;
        for (int j = 0; j < n_; j++) {
            sn += x[j] * l[i * n_ + j];
            sm += x[j] * l[i * n_ + j] * (1.0 - kaij[i * n_ + j]) * std::sqrt(Ai[i] * Ai[j]);
        }
        N[i] = sn;
        M[i] = sm;
        B_ += x[i] * Bi[i];
        C_ += x[i] * Ci[i];
    }
    for (int i = 0; i < n_; i++) A_ += x[i] * M[i] / N[i];
    for (int i = 0; i < n_; i++) {
        double s = 0.0;
        for (int j = 0; j < n_; j++)
            s += (x[j] * l[j * n_ + i] / N[j]) * ((1.0 - kaij[i * n_ + j]) * std::sqrt(Ai[i] * Ai[j]) - M[j] / N[j]);
        Si[i] = s;
    }
}

double Heyen::attractionShare(int i) const { return 1.0 + (M[i] / N[i] + Si[i]) / A_; }
