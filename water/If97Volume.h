#pragma once
// The explicit industrial formulation of water, IAPWS-IF97 (Wagner et al.,
// J. Eng. Gas Turbines Power 122, 150 (2000); IAPWS R7-97(2012)): the volume
// of its regions 1 (the liquid, up to 623.15 K) and 2 (the vapour, and the
// supercritical fluid above the boundary B23 up to 1073.15 K), each from the
// pressure derivative of its specific Gibbs energy g(p, T) with the
// coefficients of its tables (Tables 2 and 11 of the release), so that the
// volume is one sum, v = (R T / p) pi gamma_pi, with no search; both up to
// 100 MPa.  IAPWS-95's volume search starts from it (IF97 reproduces
// IAPWS-95's volume to about 1e-3 in these regions and closer, Table 4 of
// the release).
#include <cmath>

#include "fluid/CriticalPoints.h"

namespace if97 {

constexpr double kR = 0.461526;          // kJ/(kg K)
constexpr double kMolarMass = 18.015268; // g/mol

struct ITerm {
    int I, J;
    double n;
};

// Region 1: gamma = sum n (7.1 - pi)^I (tau - 1.222)^J, pi = p / 16.53 MPa,
// tau = 1386 K / T (Table 2).
inline constexpr ITerm kRegion1[34] = {
    {0, -2, 0.14632971213167},     {0, -1, -0.84548187169114},    {0, 0, -0.37563603672040e1},
    {0, 1, 0.33855169168385e1},    {0, 2, -0.95791963387872},     {0, 3, 0.15772038513228},
    {0, 4, -0.16616417199501e-1},  {0, 5, 0.81214629983568e-3},   {1, -9, 0.28319080123804e-3},
    {1, -7, -0.60706301565874e-3}, {1, -1, -0.18990068218419e-1}, {1, 0, -0.32529748770505e-1},
    {1, 1, -0.21841717175414e-1},  {1, 3, -0.52838357969930e-4},  {2, -3, -0.47184321073267e-3},
    {2, 0, -0.30001780793026e-3},  {2, 1, 0.47661393906987e-4},   {2, 3, -0.44141845330846e-5},
    {2, 17, -0.72694996297594e-15},{3, -4, -0.31679644845054e-4}, {3, 0, -0.28270797985312e-5},
    {3, 6, -0.85205128120103e-9},  {4, -5, -0.22425281908000e-5}, {4, -2, -0.65171222895601e-6},
    {4, 10, -0.14341729937924e-12},{5, -8, -0.40516996860117e-6}, {8, -11, -0.12734301741641e-8},
    {8, -6, -0.17424871230634e-9}, {21, -29, -0.68762131295531e-18},{23, -31, 0.14478307828521e-19},
    {29, -38, 0.26335781662795e-22},{30, -39, -0.11947622640071e-22},{31, -40, 0.18228094581404e-23},
    {32, -41, -0.93537087292458e-25},
};

// Region 2, residual part: gammar = sum n pi^I (tau - 0.5)^J (Table 11).
inline constexpr ITerm kRegion2Residual[43] = {
    {1, 0, -0.17731742473213e-2},  {1, 1, -0.17834862292358e-1},  {1, 2, -0.45996013696365e-1},
    {1, 3, -0.57581259083432e-1},  {1, 6, -0.50325278727930e-1},  {2, 1, -0.33032641670203e-4},
    {2, 2, -0.18948987516315e-3},  {2, 4, -0.39392777243355e-2},  {2, 7, -0.43797295650573e-1},
    {2, 36, -0.26674547914087e-4}, {3, 0, 0.20481737692309e-7},   {3, 1, 0.43870667284435e-6},
    {3, 3, -0.32277677238570e-4},  {3, 6, -0.15033924542148e-2},  {3, 35, -0.40668253562649e-1},
    {4, 1, -0.78847309559367e-9},  {4, 2, 0.12790717852285e-7},   {4, 3, 0.48225372718507e-6},
    {5, 7, 0.22922076337661e-5},   {6, 3, -0.16714766451061e-10}, {6, 16, -0.21171472321355e-2},
    {6, 35, -0.23895741934104e2},  {7, 0, -0.59059564324270e-17}, {7, 11, -0.12621808899101e-5},
    {7, 25, -0.38946842435739e-1}, {8, 8, 0.11256211360459e-10},  {8, 36, -0.82311340897998e1},
    {9, 13, 0.19809712802088e-7},  {10, 4, 0.10406965210174e-18}, {10, 10, -0.10234747095929e-12},
    {10, 14, -0.10018179379511e-8},{16, 29, -0.80882908646985e-10},{16, 50, 0.10693031879409},
    {18, 57, -0.33662250574171},   {20, 20, 0.89185845355421e-24},{20, 35, 0.30629316876232e-12},
    {20, 48, -0.42002467698208e-5},{21, 21, -0.59056029685639e-25},{22, 53, 0.37826947613457e-5},
    {23, 39, -0.12768608934681e-14},{24, 26, 0.73087610595061e-28},{24, 40, 0.55414715350778e-16},
    {24, 58, -0.94369707241210e-6},
};

// The integer powers x^k, k = Lo .. Hi, by products (x != 0 when Lo < 0).
template <int Lo, int Hi>
struct Powers {
    double v[Hi - Lo + 1];
    explicit Powers(double x)
    {
        v[-Lo] = 1.0;
        for (int k = 1; k <= Hi; ++k) v[-Lo + k] = v[-Lo + k - 1] * x;
        const double ix = Lo < 0 ? 1.0 / x : 0.0;
        for (int k = -1; k >= Lo; --k) v[-Lo + k] = v[-Lo + k + 1] * ix;
    }
    double operator()(int k) const { return v[k - Lo]; }
};

// The volume alone, the everyday call: v = (R T / p) pi gamma_pi, only the
// derivative in pi summed.  Molar volume in m3/mol from T in K and P in bar.
inline double region1MolarVolume(double T, double P_bar)
{
    const double pi = P_bar * 0.1 / 16.53, tau = 1386.0 / T;
    const Powers<0, 31> a(7.1 - pi);
    const Powers<-41, 17> b(tau - 1.222);
    double gp = 0.0;
    for (const ITerm& t : kRegion1)
        if (t.I > 0) gp -= t.n * t.I * a(t.I - 1) * b(t.J);
    return kR * T / (P_bar * 100.0) * pi * gp * kMolarMass * 1e-3;
}

inline double region2MolarVolume(double T, double P_bar)
{
    const double pi = P_bar * 0.1, tau = 540.0 / T;
    const Powers<0, 23> a(pi);
    const Powers<0, 58> b(tau - 0.5);
    double gp = 1.0 / pi;
    for (const ITerm& t : kRegion2Residual) gp += t.n * t.I * a(t.I - 1) * b(t.J);
    return kR * T / (P_bar * 100.0) * pi * gp * kMolarMass * 1e-3;
}

// The boundary between regions 2 and 3 (B23, Eq. 5), p in MPa from T in K.
inline double b23Pressure(double T) { return 0.34805185628969e3 - 0.11671859879975e1 * T + 0.10192970039326e-2 * T * T; }
// The saturation pressure (region 4, Eq. 30), bar from T in K, from 273.15
// K to the critical point.
inline double saturationPressure(double T)
{
    constexpr double n[10] = {0.11670521452767e4,  -0.72421316703206e6, -0.17073846940092e2, 0.12020824702470e5,
                              -0.32325550322333e7, 0.14915108613530e2,  -0.48232657361591e4, 0.40511340542057e6,
                              -0.23855557567849,   0.65017534844798e3};
    const double theta = T + n[8] / (T - n[9]);
    const double A = theta * theta + n[0] * theta + n[1], B = n[2] * theta * theta + n[3] * theta + n[4],
                 C = n[5] * theta * theta + n[6] * theta + n[7];
    const double x = 2.0 * C / (-B + std::sqrt(B * B - 4.0 * A * C));
    return x * x * x * x * 10.0;
}

// The volume (m3/mol) of water at T (K) and P (bar) where regions 1 and 2
// hold it: the liquid (region 1) at or above the saturation pressure up to
// 623.15 K, the vapour (region 2) at or below it, and the fluid of region 2
// above 623.15 K below the boundary B23 and up to 1073.15 K (a vapour below
// the critical temperature; above it the liquid-like and vapour-like roots
// are one); up to 100 MPa.  NaN elsewhere (region 3 around the critical
// point, and beyond the regions).
inline double liquidOrVapourVolume(double T, double P_bar, bool liquid)
{
    constexpr double kRegion13T = 623.15, kRegion23HighT = 863.15, kRegion25T = 1073.15, kHighestP_bar = 1000.0,
                     kCriticalT = kWaterCritical.T;
    if (!(T >= 273.15) || !(P_bar > 0.0) || P_bar > kHighestP_bar) return std::nan("");
    if (T <= kRegion13T) {
        const bool aboveSaturation = P_bar >= saturationPressure(T);
        if (liquid != aboveSaturation) return std::nan("");
        return liquid ? region1MolarVolume(T, P_bar) : region2MolarVolume(T, P_bar);
    }
    if (T <= kRegion25T && (T > kRegion23HighT || P_bar * 0.1 <= b23Pressure(T)) && (!liquid || T >= kCriticalT))
        return region2MolarVolume(T, P_bar);
    return std::nan("");
}

}  // namespace if97
