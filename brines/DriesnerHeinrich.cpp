// Coefficients of Driesner & Heinrich (2007), Tables 2-8 (eq. 1-17).
#include "brines/DriesnerHeinrich.h"

#include <cmath>
#include <limits>

namespace dh07 {
namespace {
constexpr double kMNaCl = 58.443;      // g/mol
constexpr double kMH2O = 18.015268;    // g/mol
constexpr double kTt = kTriplePointT;
constexpr double kPt = kTriplePointP;
constexpr double kTcw = kWaterCriticalT;
constexpr double kPcw = kWaterCriticalP;

// Eq. 5.
constexpr double kC[15] = {0.0,          -2.36,         0.128534,      -0.023707,    0.00320089,
                           -0.000138917, 1.02789e-7,    -4.8376e-11,   2.36,         -0.0131417,
                           0.00298491,   -0.000130114,  0.0,           0.0,          -4.88336e-4};
constexpr double kA[12] = {0.0, 1.0, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 1.0, 2.0, 2.5, 3.0};

// (5b) between water's critical temperature and 500 °C, and its T-derivative.
double criticalPressure5b(double T, double* dPdT) {
    const double d = T - kTcw;
    double P = kPcw, s = 0.0;
    for (int i = 8; i <= 11; ++i) {
        P += kC[i] * std::pow(d, kA[i]);
        if (d > 0.0) s += kC[i] * kA[i] * std::pow(d, kA[i] - 1.0);
    }
    if (dPdT) *dPdT = s;
    return P;
}

// Eq. 7.
constexpr double kD[12] = {0.0,           8.0e-5,        1.0e-5,    -1.37125e-7,   9.46822e-10, -3.50549e-12,
                           6.57369e-15,   -4.89423e-18,  7.77761e-2, 2.7042e-4,    -4.244821e-7, 2.580872e-10};

// Eq. 8.
constexpr double kE[5][3] = {{0.0989944, 3.30796e-6, -4.71759e-10},
                             {0.00947257, -8.66460e-6, 1.69417e-9},
                             {0.610863, -1.51716e-5, 1.19290e-8},
                             {-1.64994, 2.03441e-4, -6.46015e-8},
                             {3.36474, -1.54023e-4, 8.17048e-8}};

// Eq. 10 (f_10 follows from P_VLH(T_t) = P_t).
constexpr double kF[10] = {4.64e-3,     5.0e-7,     16.9078,     -269.148,   7.63204e3,
                           -4.95636e4,  2.33119e5,  -5.13556e5,  5.49708e5,  -2.84628e5};

// Eq. 11-12.
constexpr double kH[12] = {0.0,      1.68486e-3, 2.19379e-4,  438.58,     18.4508,   -5.6765e-10,
                           6.73704e-6, 1.44951e-7, 384.904,    7.07477,    6.06896e-5, 7.62859e-3};

// Eq. 17.
constexpr double kK[16] = {-0.235694, -0.188838,  0.004,       0.0552466,  0.66918,    396.848,
                           45.0,      -3.2719e-7, 141.699,     -0.292631,  -0.00139991, 1.95965e-6,
                           -7.3653e-10, 0.904411, 0.000769766, -1.18658e-6};
// Ranges of the arguments (see the header): a NaN where a value lies outside.
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
bool inRange(double v, double lo, double hi) { return v >= lo && v <= hi; }
bool temperatureHolds(double T) { return inRange(T, kLowTemperature, kTopTemperature); }
bool pressureHolds(double P) { return inRange(P, 0.0, kTopPressure * (1.0 + kRangeRounding)); }
bool fractionHolds(double x) { return inRange(x, 0.0, 1.0 + kRangeRounding); }
}  // namespace

double moleFraction(double X) {
    if (!fractionHolds(X)) return kNaN;
    return (X / kMNaCl) / (X / kMNaCl + (1.0 - X) / kMH2O);
}

double massFraction(double x) {
    if (!fractionHolds(x)) return kNaN;
    return x * kMNaCl / (x * kMNaCl + (1.0 - x) * kMH2O);
}

double haliteMeltingTemperature(double P) {
    if (!pressureHolds(P)) return kNaN;
    return kTt + kMeltingSlope * (P - kPt);
}

double haliteMeltingPressure(double T) {
    if (!inRange(T, kTt, kTt + kMeltingSlope * (kTopPressure * (1.0 + kRangeRounding) - kPt))) return kNaN;
    return kPt + (T - kTt) / kMeltingSlope;
}

double naclVapourPressure(double T) {
    if (!inRange(T, -273.15, kTopTemperature) || T == -273.15) return kNaN;
    const double b = T < kTt ? 1.18061e4 : 0.941812e4;
    return kPt * std::pow(10.0, b * (1.0 / (kTt + 273.15) - 1.0 / (T + 273.15)));
}

double criticalPressure(double T) {
    if (!temperatureHolds(T)) return kNaN;
    if (T < kTcw) {
        const double d = kTcw - T;
        double P = kPcw;
        for (int i = 1; i <= 7; ++i) P += kC[i] * std::pow(d, kA[i]);
        return P;
    }
    if (T <= 500.0) return criticalPressure5b(T, nullptr);
    // c_12 and c_13: the value and slope of (5b) at 500 °C.
    double c13 = 0.0;
    const double c12 = criticalPressure5b(500.0, &c13);
    const double d = T - 500.0;
    return c12 + c13 * d + kC[14] * d * d;
}

double criticalMoleFraction(double T) {
    if (!temperatureHolds(T)) return kNaN;
    if (!(T > kTcw)) return 0.0;
    double x = 0.0;
    if (T <= 600.0) {
        const double d = T - kTcw;
        double p = d;
        for (int i = 1; i <= 7; ++i, p *= d) x += kD[i] * p;
    } else {
        const double d = T - 600.0;
        double p = 1.0;
        for (int i = 8; i <= 11; ++i, p *= d) x += kD[i] * p;
    }
    return x;
}

double criticalTemperature(double x) {
    if (!(x >= 0.0) || x > criticalMoleFraction(kTopTemperature)) return std::nan("");
    if (x == 0.0) return kTcw;
    double lo = kTcw, hi = kTopTemperature;
    for (int k = 0; k < 200 && hi - lo > 1e-12; ++k) {
        const double mid = 0.5 * (lo + hi);
        (criticalMoleFraction(mid) < x ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

double liquidusMoleFraction(double T, double P) {
    // (From the lowest temperature of the diagram to halite's melting point
    // at P, where the liquid is pure NaCl.)
    if (!pressureHolds(P) || !inRange(T, kLowTemperature, haliteMeltingTemperature(P) * (1.0 + kRangeRounding))) return kNaN;
    double e[6];
    double sum = 0.0;
    for (int i = 0; i < 5; ++i) {
        e[i] = kE[i][0] + kE[i][1] * P + kE[i][2] * P * P;
        sum += e[i];
    }
    e[5] = 1.0 - sum;
    const double t = T / haliteMeltingTemperature(P);
    double x = 0.0, p = 1.0;
    for (int i = 0; i <= 5; ++i, p *= t) x += e[i] * p;
    return x;
}

double vlhPressure(double T) {
    // (The curve ends at NaCl's triple point.)
    if (!inRange(T, kLowTemperature, kTt * (1.0 + kRangeRounding))) return kNaN;
    double sum = 0.0;
    for (double f : kF) sum += f;
    const double f10 = kPt - sum;
    const double t = T / kTt;
    double P = f10;
    for (int i = 9; i >= 0; --i) P = P * t + kF[i];
    // (Horner's rule from f_10 down: P = sum f_i t^i.)
    return P;
}

double liquidBranch(double T, double P, double Plow, double xlow, double PsatWater) {
    if (!temperatureHolds(T) || !pressureHolds(P) || !pressureHolds(Plow) || !fractionHolds(xlow) ||
        (T < kTcw && !pressureHolds(PsatWater)))
        return kNaN;
    const double g1 = kH[2] + (kH[1] - kH[2]) / (1.0 + std::exp((T - kH[3]) / kH[4])) + kH[5] * T * T;
    const double g2 =
        kH[7] + (kH[6] - kH[7]) / (1.0 + std::exp((T - kH[8]) / kH[9])) + kH[10] * std::exp(-kH[11] * T);
    const double Pc = criticalPressure(T);
    const double D = Pc - P, Dlow = Pc - Plow;
    if (T >= kTcw) {
        const double xc = criticalMoleFraction(T);
        const double g0 = (xlow - xc - g1 * Dlow - g2 * Dlow * Dlow) / std::sqrt(Dlow);
        return xc + g0 * std::sqrt(D) + g1 * D + g2 * D * D;
    }
    const double Dw = Pc - PsatWater;
    const double g0 =
        (xlow + g1 * (Plow - PsatWater) + g2 * (Dw * Dw - Dlow * Dlow)) / (std::sqrt(Dlow) - std::sqrt(Dw));
    return g0 * (std::sqrt(D) - std::sqrt(Dw)) + g1 * (D - Dw) + g2 * (D * D - Dw * Dw);
}

double vapourBranch(double T, double P, double xl) {
    if (!temperatureHolds(T) || !pressureHolds(P) || !fractionHolds(xl)) return kNaN;
    const double PNaCl = naclVapourPressure(T);
    const double Pc = criticalPressure(T);
    // x_s: the halite liquidus at NaCl's vapour pressure, capped at 1; 1 from
    // the triple point on.  (Transcriptions differ here: the sheet the
    // diagram follows takes x_L(T, P_NaCl(T)) of eq. 8 capped at 1.)
    const double xs = T < kTt ? std::fmin(liquidusMoleFraction(T, PNaCl), 1.0) : 1.0;
    const double pn = (P - PNaCl) / (Pc - PNaCl);
    const double u = 1.0 - pn;
    const double j0 = kK[0] + kK[1] * std::exp(-kK[2] * T);
    const double j1 = kK[4] + (kK[3] - kK[4]) / (1.0 + std::exp((T - kK[5]) / kK[6])) + kK[7] * (T + kK[8]) * (T + kK[8]);
    const double j2 = kK[9] + kK[10] * T + kK[11] * T * T + kK[12] * T * T * T;
    const double j3 = kK[13] + kK[14] * T + kK[15] * T * T;
    const double logKn = 1.0 + j0 * std::pow(u, j1) + j2 * u + j3 * u * u - (1.0 + j0 + j2 + j3) * u * u * u;
    const double logXs = std::log10(xs);
    const double logKm = logKn * (std::log10(PNaCl / Pc) - logXs) + logXs;
    const double logK = logKm + std::log10(P / PNaCl);
    return xl / std::pow(10.0, logK);
}

SaltDiagramPoint diagramPoint(double T_K, double P_bar, double PsatWater) {
    SaltDiagramPoint d;
    const double T = T_K - 273.15;
    if (!temperatureHolds(T) || !pressureHolds(P_bar) || !(P_bar > 0.0)) return d;
    d.source = "Driesner & Heinrich 2007";
    // The surface's low end: the three-phase point below NaCl's triple
    // point, boiling NaCl above it; its high end water's vapour pressure
    // below water's critical temperature, the critical pressure above.
    const bool solid = T < kTt;
    d.surfaceLow = solid ? vlhPressure(T) : naclVapourPressure(T);
    const double xlow = solid ? liquidusMoleFraction(T, d.surfaceLow) : 1.0;
    d.surfaceHigh = T < kTcw ? PsatWater : criticalPressure(T);
    if (P_bar >= d.surfaceLow && P_bar <= d.surfaceHigh) {
        d.liquid = liquidBranch(T, P_bar, d.surfaceLow, xlow, PsatWater);
        d.vapour = vapourBranch(T, P_bar, d.liquid);
    }
    if (!solid) return d;
    if (P_bar >= d.surfaceLow) {
        d.solidLiquid = liquidusMoleFraction(T, P_bar);
    } else {
        d.solidVapourLow = naclVapourPressure(T) / P_bar;
        const double threePhase = vapourBranch(T, d.surfaceLow, xlow);
        d.solidVapourHigh = std::fmax(d.solidVapourLow, threePhase);
    }
    return d;
}

}  // namespace dh07
