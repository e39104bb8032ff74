#include "families/cubic/CriticalInterpolation.h"

#include <cmath>
#include <cstring>
#include <string>

#include "families/cubic/CubicData.h"
#include "platform/LogSink.h"

using cubic::R;

// ---------------------------------------------------------------- CriticalInterpolationMix

void CriticalInterpolationMix::number_of_components(int n) {
    if (n < 1) return;
    const std::size_t mm = static_cast<std::size_t>(n) * n;
    for (auto* v : {&kaij, &ka0, &ka1, &kbij, &kb0, &kb1, &T0a, &T0b}) v->assign(mm, 0.0);
    dTa.assign(mm, 1.0);
    dTb.assign(mm, 1.0);
}

void CriticalInterpolationMix::correct_BIP(double x) {
    const double f = calculate_interpolation_factor(x);
    // A factor that is not a number leaves the parameters in use as they are.
    if (!std::isfinite(f)) return;
    calculate_corrected_BIP(f);
}

void CriticalInterpolationMix::calculate_corrected_BIP(double f) {
    const int n = n_;
    if (static_cast<int>(kaij.size()) < n * n) return;
    for (int i = 0; i < n; i++)
        for (int j = i + 1; j < n; j++) {
            const int k = i * n + j;
            const double sa = 0.5 * (ka0[k] + ka1[k]) + 0.5 * (ka1[k] - ka0[k]) * std::tanh((T - T0a[k]) / dTa[k]);
            const double sb = 0.5 * (kb0[k] + kb1[k]) + 0.5 * (kb1[k] - kb0[k]) * std::tanh((T - T0b[k]) / dTb[k]);
            kaij[k] = kaij[j * n + i] = (1.0 - f) * ka0[k] + f * sa;
            kbij[k] = kbij[j * n + i] = (1.0 - f) * kb0[k] + f * sb;
        }
}

void CriticalInterpolationMix::read_BIP() {
    struct Step {
        double ka0, ka1, T0a, dTa, kb0, kb1, T0b, dTb;
    };
    auto isMethane = [](const std::string& s) { return s == "CH4" || s == "C1"; };
    const int n = n_;
    for (int i = 0; i < n; i++)
        for (int j = i + 1; j < n; j++) {
            const std::string &a1 = component_names[i], &a2 = component_names[j];
            const Step* s = nullptr;
            static const Step ch4co2{0.1, 0, 255, 15, 0.06, -0.1, 255.5, 5};
            static const Step ch4n2{0.03, 0, 150, 20, 0, 0, 150.5, 20};
            static const Step co2n2{-0.035, 0, 235, 15, -0.13, -0.08, 235.5, 15};
            if ((isMethane(a1) && a2 == "CO2") || (isMethane(a2) && a1 == "CO2"))
                s = &ch4co2;
            else if ((isMethane(a1) && a2 == "N2") || (isMethane(a2) && a1 == "N2"))
                s = &ch4n2;
            else if ((a1 == "CO2" && a2 == "N2") || (a2 == "CO2" && a1 == "N2"))
                s = &co2n2;
            if (!s) continue;
            for (int k : {i * n + j, j * n + i}) {
                ka0[k] = s->ka0;
                ka1[k] = s->ka1;
                T0a[k] = s->T0a;
                dTa[k] = s->dTa;
                kb0[k] = s->kb0;
                kb1[k] = s->kb1;
                T0b[k] = s->T0b;
                dTb[k] = s->dTb;
                kaij[k] = s->ka0;
                kbij[k] = s->kb0;
            }
        }
}

void CriticalInterpolationMix::print_parameters(std::FILE* f) {
    if (!parametersUsable()) return;
    refresh_parameters();
    printPairs(f, kaij, kbij);
}

// ---------------------------------------------------------------- CriticalInterpolationCubic

void CriticalInterpolationCubic::number_of_components(int n) {
    if (n < 1) return;
    FluidPhase::number_of_components(n);
    ClassicalCubic::number_of_components(component_count);
    CriticalInterpolationMix::number_of_components(component_count);
    for (auto* v : {&Tc, &Pc, &T1, &omega, &m, &ac, &bi, &p}) v->assign(component_count, 0.0);
    known.assign(component_count, 0);
}

bool CriticalInterpolationCubic::parametersUsable() const {
    if (n_ < 1 || static_cast<int>(known.size()) < n_) return false;
    for (int i = 0; i < n_; i++)
        if (!known[i]) return false;
    return true;
}

void CriticalInterpolationCubic::set_correction(int i, double p_, double T1_) {
    if (i < 0 || i >= n_) return;
    p[i] = p_;
    T1[i] = T1_;
}

void CriticalInterpolationCubic::read_component_data(int i, const char* name) {
    if (i < 0 || i >= n_ || !name) return;
    struct Row {
        const char* name;
        double Tc, Pc, omega, mw;
    };
    static const Row rows[] = {
        {"C1", 190.555, 4595000, 0.013, 0.016043}, {"CH4", 190.555, 4595000, 0.013, 0.016043},
        {"CO2", 304.21, 7382500, 0.225, 0.0440098},   {"N2", 126.2, 3390000, 0.04, 0.028},
        {"H2S", 373.2, 8820000, 0.105, 0.03408},  {"C2", 305.4, 4820000, 0.105, 0.03},
        {"C3", 369.95, 4190000, 0.152, 0.04409},  {"iC4", 408.8, 3592000, 0.176, 0.05812},
        {"nC4", 425.2, 3750000, 0.193, 0.05812},  {"nC5", 469.7, 3325000, 0.251, 0.07215},
        {"nC6", 507.4, 2975000, 0.296, 0.08618},  {"nC7", 540.3, 2698000, 0.351, 0.1002},
        {"nC8", 568.8, 2462000, 0.394, 0.11423},  {"nC9", 594.7, 2250000, 0.444, 0.12826},
        {"nC10", 617.9, 2072000, 0.49, 0.14229},
    };
    const Row* r = nullptr;
    for (const Row& row : rows)
        if (std::strcmp(row.name, name) == 0) r = &row;
    if (!r) {
        platform::diagf("Cannot treat %s component\n", name);
        known[i] = 0;
    } else {
        Tc[i] = r->Tc;
        Pc[i] = r->Pc;
        omega[i] = r->omega;
        molar_mass[i] = r->mw;
        m[i] = m0 + m1 * omega[i] + m2 * omega[i] * omega[i];
        c0[i] = c1[i] = 0.0;
        ac[i] = Omega_a * R * R * Tc[i] * Tc[i] / Pc[i];
        bi[i] = Omega_b * R * Tc[i] / Pc[i];
        known[i] = 1;
    }
    if (i == n_ - 1) read_BIP();
}

void CriticalInterpolationCubic::calculate_parameters_of_pure_components() {
    const int n = n_;
    for (int i = 0; i < n; i++) {
        double g = 1.0, gp = 0.0;
        if (p[i] != 0.0) {
            if (T1[i] > T) {
                g = 1.0 + p[i];
            } else {
                g = 1.0 + p[i] * std::exp(-10.0 * (T - T1[i]) / T1[i]);
                gp = -10.0 * (g - 1.0) / T1[i];
            }
        }
        const int k = i * n + i;
        const double s = 1.0 + m[i] * (1.0 - std::sqrt(T / Tc[i]));
        const double rt = std::sqrt(T * Tc[i]);
        const double dsg = -m[i] * s * g / rt + gp * s * s;
        aij[k] = ac[i] * s * s * g * (1.0 - kaij[k]);
        daijdT[k] = ac[i] * dsg * (1.0 - kaij[k]);
        const double r = dsg / (s * s * g);
        d2aijdT2[k] = ac[i] * (1.0 - kaij[k]) * m[i] * s * (1.0 / T - r) / (2.0 * rt);
        bij[k] = bi[i] * (1.0 - kbij[k]);
        aij_bij[k] = aij[k] / bij[k];
        daijdT_bij[k] = daijdT[k] / bij[k];
        ci[i] = c0[i] + c1[i] * T;
    }
    geometricPairs(kaij, kbij);
}

// ---------------------------------------------------------------- CriticalInterpolationSRK

CriticalInterpolationSRK::CriticalInterpolationSRK(int phaseKind) {
    setModelName("CriticalInterpolationSRK");
    Omega_a = cubic::kSrkOmegaA;
    Omega_b = cubic::kSrkOmegaB;
    Zc = 1.0 / 3.0;
    Lambda = 0.6931471805599453;
    d1 = 0.0;
    d2 = -1.0;
    m0 = 0.48;
    m1 = 1.574;
    m2 = -0.176;
    phase_kind = phaseKind;
}

double CriticalInterpolationSRK::calculate_interpolation_factor(double x) {
    if (x < 1.05) return 1.0;
    return std::exp(-(1.05 - x) * (1.05 - x) / 2.0);
}
