// Dynamic viscosity and thermal conductivity of water from density and
// temperature: the IAPS 1985 formulations (Sengers & Kamgar-Parsi, J. Phys.
// Chem. Ref. Data 13 (1984) 185; Sengers & Watson, ibid. 15 (1986) 1291),
// reduced by Tc = 647.27 K, rho_c = 317.763 kg/m3 and Pc = 22.115 MPa, with the
// compressibility and expansivity of the critical enhancement taken from the
// equation of state.  An older pair of expressions is evaluated beside them
// in the transport rows for comparison.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "water/WaterEOS.h"
#include "water/WaterFiles.h"
#include "platform/LogSink.h"

namespace {

constexpr double kTc = 647.27;     // K
constexpr double kRhoc = 317.763;  // kg/m3
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Pc / rho_c^2 and Tc / Pc of the reduced compressibility and pressure slope.
constexpr double kChiFactor = 219.01824251112023;
constexpr double kSlopeFactor = 2.9268369884693646e-5;

constexpr double kH[4] = {0.0181583, 0.0177624, 0.0105287, -0.0036744};

// Viscosity, rows i = power of x = 1/Tbar - 1, columns j = power of y = rhobar - 1.
constexpr double kViscosity[6][7] = {
    {0.5132047, 0.2151778, -0.2818107, 0.1778064, -0.0417661, 0, 0},
    {0.3205656, 0.7317883, -1.070786, 0.460504, 0, -0.01578386, 0},
    {0, 1.241044, -1.263184, 0.2340379, 0, 0, 0},
    {0, 1.476783, 0, -0.4924179, 0.1600435, 0, -0.003629481},
    {-0.7782567, 0, 0, 0, 0, 0, 0},
    {0.1885447, 0, 0, 0, 0, 0, 0},
};

constexpr double kL[4] = {2.02223, 14.11166, 5.25597, -2.0187};

constexpr double kConductivity[5][6] = {
    {1.3293046, -0.40452437, 0.2440949, 0.018660751, -0.12961068, 0.044809953},
    {1.7018363, -2.2156845, 1.6511057, -0.76736002, 0.37283344, -0.1120316},
    {5.2246158, -10.124111, 4.9874687, -0.27297694, -0.43083393, 0.13333849},
    {8.7127675, -9.5000611, 4.3786606, -0.91783782, 0, 0},
    {-1.8525999, 0.9340469, 0, 0, 0, 0},
};

// Viscosity of the critical enhancement of the conductivity.
constexpr double kViscosityForConductivity[6][5] = {
    {0.501938, 0.235622, -0.274637, 0.145831, -0.0270448},
    {0.162888, 0.789393, -0.743539, 0.263129, -0.0253093},
    {-0.130356, 0.673665, -0.959456, 0.347247, -0.0267758},
    {0.907919, 1.207552, -0.687343, 0.213486, -0.0822904},
    {-0.551119, 0.0670665, -0.497089, 0.100754, 0.0602253},
    {0.146543, -0.084337, 0.195286, -0.032932, -0.0202595},
};

template <int I, int J>
double doubleSum(const double (&b)[I][J], double x, double y) {
    double s = 0.0, xi = 1.0;
    for (int i = 0; i < I; ++i) {
        double yj = 1.0;
        for (int j = 0; j < J; ++j) {
            s += b[i][j] * xi * yj;
            yj *= y;
        }
        xi *= x;
    }
    return s;
}

// sqrt(Tbar) / sum c_i Tbar^-i
double dilute(const double (&c)[4], double Tbar) {
    double s = 0.0, ti = 1.0;
    for (double ci : c) {
        s += ci * ti;
        ti /= Tbar;
    }
    return std::sqrt(Tbar) / s;
}

}  // namespace

double WaterEOS::calculateViscosity(double T_, double P_Pa, double rho_, double kappaT) {
    const double t = T_ - 273.15, p = P_Pa * 1e-5;
    if (!(p <= 5000.01) || (p > 3500.01 && t > 150.01) || (p > 3000.01 && t > 600.01) || !(t <= 900.01)) return kNaN;
    const double Tbar = T_ / kTc, rbar = rho_ / kRhoc;
    const double x = 1.0 / Tbar - 1.0, y = rbar - 1.0;
    const double mu0 = dilute(kH, Tbar) * 1e-6;
    const double mu1 = std::exp(rbar * doubleSum(kViscosity, x, y));
    const double chi = kappaT * kChiFactor * rho_ * rho_;
    double mu2 = 1.0;
    if (Tbar >= 0.997 && Tbar <= 1.0082 && rbar >= 0.755 && rbar <= 1.29 && chi >= 22.0) mu2 = 0.922 * std::pow(chi, 0.0263);
    return mu0 * mu1 * mu2;
}

double WaterEOS::calculateConductivity(double T_, double P_Pa, double rho_, double alpha, double kappaT) {
    const double t = T_ - 273.15, p = P_Pa * 1e-5;
    if (!(p <= 4000.01) || (p > 2000.01 && t > 125.01) || (p > 1500.01 && t > 400.01) || !(t <= 800.01)) return kNaN;
    const double Tbar = T_ / kTc, rbar = rho_ / kRhoc;
    const double x = 1.0 / Tbar - 1.0, y = rbar - 1.0;
    const double lambda0 = dilute(kL, Tbar);
    const double lambda1 = std::exp(rbar * doubleSum(kConductivity, x, y));
    const double mu0 = dilute(kH, Tbar) * 1e-6;
    const double mu1 = std::exp(rbar * doubleSum(kViscosityForConductivity, x, y));
    const double slope = alpha * kSlopeFactor / kappaT;
    const double chi = kappaT * kChiFactor * rho_ * rho_;
    const double ratio = Tbar / rbar;
    const double lambda2 = 3.7711e-8 / (mu0 * mu1) * ratio * ratio * slope * slope * std::pow(chi, 0.4678) *
                           std::sqrt(rbar) * std::exp(-18.66 * (Tbar - 1.0) * (Tbar - 1.0) - y * y * y * y);
    return lambda0 * lambda1 + lambda2;
}

void WaterEOS::calculateTransportProperties(double T_, double V_, std::FILE* f, char setState) {
    if (setState) {
        temperature(T_);
        volume(V_);
        calculate_state_functions();
    }
    if (!(dPdV < 0.0)) return;
    const double M = bulk_molar_weight;
    const double Tbar = T_ / kTc, rbar = M / (V_ * kRhoc);
    const double x = 1.0 / Tbar - 1.0, y = rbar - 1.0;
    const double rho_ = M / V_;
    const double kappaT = -1.0 / (dPdV * V_);
    const double alpha = dVdT / V_;
    const double y2 = y * y, y3 = y2 * y;

    // Comparison viscosity: the same residual sum written out, in poise.
    const double mu1c = std::exp(
        rbar * ((0.5132047 + 0.2151778 * y - 0.2818107 * y2 + 0.1778064 * y3 - 0.0417661 * y2 * y2) +
                (0.3205656 + 0.7317883 * y - 1.070786 * y2 + 0.460504 * y3 - 0.01578386 * y3 * y2) * x +
                (1.241044 * y - 1.263184 * y2 + 0.2340379 * y3) * x * x +
                (1.476783 * y - 0.4924179 * y3 + 0.1600435 * y2 * y2 - 0.003629481 * y3 * y3) * x * x * x -
                0.7782567 * x * x * x * x + 0.1885447 * x * x * x * x * x));
    const double mup = std::sqrt(Tbar) * 1e-5 /
                       (0.0181583 + 0.0177624 / Tbar + 0.0105287 / (Tbar * Tbar) - 0.0036744 / (Tbar * Tbar * Tbar)) *
                       mu1c;
    const double t = T_ - 273.15;
    double mu2c = 1.0;
    if (t >= 372.15 && t <= 379.4 && rho_ >= 240.0 && rho_ <= 410.0) {
        const double chic = (0.001 * rho_) * (0.001 * rho_) * kappaT * 1e-5;
        mu2c = 1.13 * std::pow(chic, 0.0263);
    }
    const double etac = 0.1 * mu2c * mup;

    // Comparison conductivity in cal/(s cm K), turned into W/(m K) by 418.55; its
    // critical enhancement in (T/rho)^2 as in the 1985 formulation.
    const double lambda0c = std::sqrt(Tbar) * 0.00239 /
                            (2.02223 + 14.1166 / Tbar + 5.25597 / (Tbar * Tbar) - 2.0187 / (Tbar * Tbar * Tbar));
    const double lambda1c = std::exp(rbar * doubleSum(kConductivity, x, y));
    const double slopec = dPdT * 647.27 / 2.2115e7;
    const double lambda2c = slopec * slopec * (Tbar / rbar) * (Tbar / rbar) * std::sqrt(rbar) * 9.013e-10 *
                            std::exp(-18.66 * (Tbar - 1.0) * (Tbar - 1.0) - y2 * y2) *
                            std::pow(-rbar * rbar * 2.2115e7 / (dPdV * V_), 0.4678);
    const double lambdac = 418.55 * (lambda0c * lambda1c + lambda2c / mup);

    const double etas = calculateViscosity(T_, P, rho_, kappaT);
    const double lambdas = calculateConductivity(T_, P, rho_, alpha, kappaT);
    const double nu = etac * V_ / M;
    const double kappa = lambdac * V_ / Cp;  // lambda / (rho cp), m2/s
    if (f)
        std::fprintf(f, "%12f %12f %12f %12f %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg\n", T_, P * 1e-5,
                     V_ * 1e6, rho_, etac, etas, lambdac, lambdas, nu, kappa, nu / kappa, alpha / kappaT * 1e-5,
                     soundSpeed);
}

void WaterEOS::calculateTransportGrid(double T0, double T1, double V0, double V1, const char* suffix) {
    if (!(std::isfinite(T0) && std::isfinite(T1) && std::isfinite(V0) && std::isfinite(V1)) || !(V0 > 0.0) ||
        !(T0 > 0.0)) {
        platform::diagf("calculateTransportGrid: the ranges must be finite, T0 and V0 positive\n");
        return;
    }
    water_files::File file = water_files::open(water_files::name("transport", suffix));
    if (!file) return;
    std::FILE* f = file.get();
    const char* s = water_files::text(suffix);
    std::fprintf(f,
                 "IGOR\n\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s "
                 "%11s%s\nBEGIN\n",
                 "T", s, "P", s, "V", s, "rho", s, "eta0", s, "eta1", s, "lambda0", s, "lambda1", s, "nu", s, "kappa",
                 s, "pr", s, "ab", s, "sound", s);
    auto nanRow = [f]() {
        for (int k = 0; k < 13; ++k) std::fprintf(f, k == 12 ? "%12s\n" : "%12s ", "nan");
    };
    double dV = 1e-8;
    for (int i = 0; T0 + 5.0 * i <= T1; ++i) {
        const double t = T0 + 5.0 * i;
        bool unstableWritten = false;
        for (double v = V0; v <= V1; v += dV) {
            temperature(t);
            volume(v);
            calculateTransportProperties(t, v, f, 1);
            if (dPdV <= 0.0) {
                dV = std::min(std::max(-1e7 / dPdV, 1e-8), 1e-6);
            } else if (!unstableWritten) {
                nanRow();
                unstableWritten = true;
            }
        }
        nanRow();
    }
    std::fprintf(f, "END\n");
}
