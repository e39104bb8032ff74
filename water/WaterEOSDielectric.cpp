// Closed-form liquid volumes of water and its dielectric constant with the
// Born functions derived from it.
//
//   Kell (1975)                rho0(t) (1 + (A + B dP) dP) / (1 + C dP), dP above 1 atm;
//                              0 to 150 C, 0 to 1 kbar
//   Spivey et al. (2004)       rho0(t) exp(I(P) - I(P0)), I = ln|E P/Pr + F| / E
//   Haas (1976)                specific volume along the vapour curve, with NaCl
//   Johnson & Norton (1991),
//   Uematsu & Franck (1980)    eps = 1 + sum a_k(T/298.15) rho^k, rho in g/cm3
//   Helgeson & Kirkham (1974)  polynomial in T (K) and rho (g/cm3)
//   Pitzer (1983)              Kirkwood form with an empirical correlation factor
//   Bradley & Pitzer (1979)    eps1000(T) + C(T) ln((P + B(T)) / (B(T) + 1000))
// Each holds in the temperature (and pressure) range of its publication, given
// beside its constants; outside it no value is given (NaN, errorflag 1 and a
// message).
//
// Born functions: Z = -1/eps, Q = (deps/dP)_T / eps^2, Y = (deps/dT)_P / eps^2,
// X = (dY/dT)_P, the temperature derivatives taken at constant density.
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "fluid/ErrorFlagScope.h"
#include "platform/LogSink.h"
#include "water/WaterEOS.h"
#include "water/WaterFiles.h"

namespace {

// Range of the Kell density: that of Kell's one-atmosphere density (0 to 150 C);
// up to 1 kbar its pressure terms follow IAPWS-95 to 0.3 %.
constexpr double kKellMinC = 0.0, kKellMaxC = 150.0, kKellMaxBar = 1000.0;

// eps = 1 + a1 rho + a2 rho^2 + a3 rho^3 + a4 rho^4 with, in t = T/298.15,
//   a1 = c[0]/t
//   a2 = c[1]/t + c[2] + c[3] t
//   a3 = c[4]/t + c[5] t + c[6] t^2
//   a4 = c[7]/t^2 + c[8]/t + c[9]
struct ReducedDielectric {
    double c[10];
};

// Johnson & Norton (1991), Am. J. Sci. 291, 541: 0 to 1000 C.
constexpr double kJohnsonNortonTmin = 273.15, kJohnsonNortonTmax = 1273.15;
constexpr ReducedDielectric kJohnsonNorton = {{14.70333593, 212.8462733, -115.4445173, 19.55210915, -83.3034798,
                                               32.13240048, -6.694098645, -37.86202045, 68.87359646, -27.29401652}};
// Uematsu & Franck, J. Phys. Chem. Ref. Data 9 (1980) 1291, A1..A10; 0 to 550 C
// and up to 500 MPa.
constexpr double kUematsuFranckTmin = 273.15, kUematsuFranckTmax = 823.15, kUematsuFranckPmax = 5000.0;
constexpr ReducedDielectric kUematsuFranck = {
    {7.62571, 244.003, -140.569, 27.7841, -96.2805, 41.7909, -10.2099, -45.2059, 84.6395, -35.8644}};

// Value, density derivative and first two derivatives in the reduced temperature.
struct DielectricValue {
    double e = 0, de_drho = 0, de_dt = 0, d2e_dt2 = 0;
};

DielectricValue evaluateReduced(const ReducedDielectric& k, double t, double r) {
    const double* c = k.c;
    const double t2 = t * t, t3 = t2 * t, t4 = t3 * t;
    const double a[4] = {c[0] / t, c[1] / t + c[2] + c[3] * t, c[4] / t + c[5] * t + c[6] * t2,
                         c[7] / t2 + c[8] / t + c[9]};
    const double da[4] = {-c[0] / t2, -c[1] / t2 + c[3], -c[4] / t2 + c[5] + 2.0 * c[6] * t,
                          -2.0 * c[7] / t3 - c[8] / t2};
    const double d2a[4] = {2.0 * c[0] / t3, 2.0 * c[1] / t3, 2.0 * c[4] / t3 + 2.0 * c[6],
                           6.0 * c[7] / t4 + 2.0 * c[8] / t3};
    DielectricValue v;
    v.e = 1.0;
    double rk = 1.0;  // rho^(k-1)
    for (int k1 = 0; k1 < 4; ++k1) {
        v.de_drho += (k1 + 1) * a[k1] * rk;
        rk *= r;
        v.e += a[k1] * rk;
        v.de_dt += da[k1] * rk;
        v.d2e_dt2 += d2a[k1] * rk;
    }
    return v;
}

// Helgeson & Kirkham (1974), Am. J. Sci. 274, 1089: sum of c T^i rho^j; 0 to
// 550 C and up to 5 kbar, the states of the data it was fitted to.  The
// polynomial does not tend to 1 at zero density: in the vapour it gives
// values below 1 (-0.24 at 375 C and 1 bar), and below 0.4 g/cm3 it departs
// from IAPWS R8-97 by up to 60 %; from 0.4 g/cm3 up it lies within 6.1 %
// (measured), and lower densities are refused.
constexpr double kHelgesonKirkhamTmin = 273.15, kHelgesonKirkhamTmax = 823.15, kHelgesonKirkhamPmax = 5000.0;
constexpr double kHelgesonKirkhamRhoMin = 0.4;  // g/cm3
struct HKTerm {
    double c;
    int i, j;
};
constexpr HKTerm kHelgesonKirkham[] = {
    {439.109592, 0, 0},     {-218.995148, 0, 1},    {18.2898246, 0, 2},     {154.8868, 0, 3},
    {-61.3542375, 0, 4},    {-2.33277456, 1, 0},    {1.00498361, 1, 1},     {-0.208896146, 1, 2},
    {-0.0613941874, 1, 3},  {0.00461662109, 2, 0},  {-0.00135650709, 2, 1}, {0.000160491325, 2, 2},
    {-4.03643333e-6, 3, 0}, {5.94046919e-7, 3, 1},  {1.31604037e-9, 4, 0},
};

DielectricValue evaluateHelgesonKirkham(double T, double r) {
    DielectricValue v;
    for (const HKTerm& k : kHelgesonKirkham) {
        const double Ti = std::pow(T, k.i), rj = std::pow(r, k.j);
        v.e += k.c * Ti * rj;
        if (k.j > 0) v.de_drho += k.c * k.j * Ti * std::pow(r, k.j - 1);
        if (k.i > 0) v.de_dt += k.c * k.i * std::pow(T, k.i - 1) * rj;
        if (k.i > 1) v.d2e_dt2 += k.c * k.i * (k.i - 1) * std::pow(T, k.i - 2) * rj;
    }
    return v;
}

}  // namespace

// ---------------------------------------------------------------- volumes

double WaterEOS::calculateKellVolume(double T_, double P_bar) {
    const double t = T_ - 273.15;
    if (!(t >= kKellMinC && t <= kKellMaxC && P_bar >= 0.0 && P_bar <= kKellMaxBar)) {
        platform::diagf("calculateKellVolume: %g K and %g bar lie outside Kell's correlation (%g to %g K, 0 to %g bar); "
                        "no volume is given\n",
                        T_, P_bar, 273.15 + kKellMinC, 273.15 + kKellMaxC, kKellMaxBar);
        return std::nan("");
    }
    const double dP = P_bar * 1e5 - 101325.0;
    // Kell (1975), J. Chem. Eng. Data 20, 97: liquid water at 101325 Pa, 0 to 150 C
    // (t on IPTS-68), kg/m3; 999.972 at 4 C, 974.849 at 75 C, maximum at 3.98 C.
    const double rho0 =
        (999.83952 + t * (16.945176 + t * (-7.9870401e-3 + t * (-46.170461e-6 + t * (105.56302e-9 - 280.54253e-12 * t))))) /
        (1.0 + 16.879850e-3 * t);
    const double A =
        372.5521271008 +
        t * (1.034746625297 + t * (-0.006070583965464 + t * (-0.0002686165304632 + t * (3.516845517367e-6 - 1.053116366218e-8 * t))));
    const double B = 6.484328907587 + t * (0.05740478812446 + t * (-0.0001316385847198 - 6.523885561357e-7 * t));
    const double C =
        318.4478303394 +
        t * (1.455981185666 + t * (-0.01040326427194 + t * (-0.0002844295376173 + t * (3.789774548168e-6 - 1.132544975117e-8 * t))));
    const double rho = rho0 * (1.0 + (A * 1e-11 + B * 1e-19 * dP) * dP) / (1.0 + C * 1e-11 * dP);
    return kMolarMass / rho;
}

double WaterEOS::calculateSpiveyVolume(double T_, double P_bar, double* dPdV_, bool beyondRange) {
    // Spivey, McCain & North (2004): 0 to 275 C, to 200 MPa.
    if (!beyondRange && !(T_ >= 273.15 && T_ <= 548.15 && P_bar <= 2000.0)) {
        platform::diagf("calculateSpiveyVolume: %g K and %g bar lie outside Spivey's correlation (273.15 to 548.15 K, "
                        "up to 2000 bar); no volume is given\n",
                        T_, P_bar);
        if (dPdV_) *dPdV_ = std::nan("");
        return std::nan("");
    }
    const double t = T_ - 273.15;
    const double rho0 = (1.038141022582 + 0.006501972326197 * t - 1.18732805767e-5 * t * t) /
                        (1.0 + 0.006431352544984 * t - 6.253822893485e-6 * t * t);
    const double E = (6.436908162241 + 0.0376502338715 * t + 0.0005705153039515 * t * t) /
                     (1.0 + 0.0122631984855 * t + 3.768498102164e-5 * t * t);
    const double F = (23.44232339029 + 0.3101997351492 * t - 0.001164743459658 * t * t) /
                     (1.0 + 0.004875357385255 * t + 2.144463181668e-5 * t * t);
    constexpr double Pr = 82848248.83882;  // Pa
    const double w = E * (1e5 * P_bar) / Pr + F;
    const double I = std::log(std::fabs(w)) / E;
    const double I0 = std::log(std::fabs(E + F)) / E;
    const double rho = 1000.0 * rho0 * std::exp(I - I0);
    if (dPdV_) *dPdV_ = -rho * Pr * w / kMolarMass;
    return kMolarMass / rho;
}

double WaterEOS::calculateHaasVolume(double T_, double m_) {
    // Haas (1976), U.S. Geol. Surv. Bull. 1421-A: boiling NaCl solutions from
    // 80 to 325 C.
    if (!(T_ >= 353.15 && T_ <= 598.15 && m_ >= 0.0)) {
        platform::diagf("calculateHaasVolume: %g K and %g mol/kg lie outside Haas's correlation (353.15 to 598.15 K); "
                        "no volume is given\n",
                        T_, m_);
        return std::nan("");
    }
    const double x = 647.27 - T_;
    const double x3 = std::cbrt(x);
    const double vw = (3.1975 - 0.315154 * x3 - 0.001203374 * x + 7.48908e-13 * x * x * x * x) /
                      (1.0 + 0.1342489 * x3 - 0.003946263 * x);
    const double r = vw / (3.1975 - vw);
    const double phiV = -167.219 + 448.55 * vw - 261.07 * vw * vw + std::sqrt(m_) * (13.97 * vw - 13.644) * r * r;
    return (1000.0 * vw + m_ * phiV) / (1000.0 + 58.4428 * m_);
}

// ---------------------------------------------------------------- dielectric constant

namespace {

// Brings the model to (T, V) when asked.
void setStateTV(WaterEOS& w, double T, double V, char setState) {
    if (!setState) return;
    w.temperature(T);
    w.volume(V);
    w.calculate_state_functions();
}

// The Born-function row; temperature derivatives in the variable of the correlation.
void writeBornRow(const WaterEOS& w, double T, double V, const DielectricValue& d, std::FILE* f) {
    if (!f) return;
    const double rho = 0.001 * w.bulk_molar_weight / V;
    const double e = d.e;
    const double Z = -1.0 / e;
    const double Q = d.de_drho * (-w.bulk_molar_weight / (V * V)) / (e * e * w.dPdV);
    const double Y = d.de_dt / (e * e);
    const double X = d.d2e_dt2 / (e * e) - 2.0 * e * Y * Y;
    std::fprintf(f, "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg\n", T, w.P * 1e-5, V * 1e6, rho, e, Z, Q, Y,
                 X);
}

// False, with a message and the object's errorflag set, when T (and P, where
// the correlation has a pressure range) lies outside the correlation's range.
bool dielectricInRange(WaterEOS& w, const char* name, double T, double Tmin, double Tmax, double P_bar = 0.0,
                       double Pmax_bar = 0.0) {
    // (A pressure found from a volume carries the volume search's rounding.)
    const bool pOk = !(Pmax_bar > 0.0) || P_bar <= Pmax_bar * (1.0 + 1e-9);
    if (T >= Tmin && T <= Tmax && pOk) return true;
    if (Pmax_bar > 0.0)
        platform::diagf("%s: %g K and %g bar lie outside its range (%g to %g K, up to %g bar); no dielectric constant "
                        "is given\n",
                        name, T, P_bar, Tmin, Tmax, Pmax_bar);
    else
        platform::diagf("%s: %g K lies outside its range (%g to %g K); no dielectric constant is given\n", name, T,
                        Tmin, Tmax);
    w.errorflag = 1;
    return false;
}

// Water is no denser than 1.5 g/cm3 in any fluid state (about 1.3 at
// 1 GPa): a molar volume below that of such water is no state of it.
constexpr double kDensestWater = 1500.0;  // kg/m3

// False, with a message and the object's errorflag set, when an argument is
// not a finite number above 0 (a molar volume: no denser than kDensestWater).
struct DielectricArg {
    const char* what;
    double v;
    bool volume = false;
    bool anySign = false;  // a pressure of stretched liquid water may be negative
};
bool dielectricArgumentsHold(WaterEOS& w, const char* name, std::initializer_list<DielectricArg> args) {
    for (const auto& [what, v, volume, anySign] : args) {
        const double lo = volume ? w.bulk_molar_weight / kDensestWater : 0.0;
        if (std::isfinite(v) && (anySign || v > lo)) continue;
        if (volume)
            platform::diagf("%s: the %s must be a number above %.6g m3/mol (water no denser than %g kg/m3), not %g; "
                            "no dielectric constant is given\n",
                            name, what, lo, kDensestWater, v);
        else
            platform::diagf("%s: the %s must be a finite number%s, not %g; no dielectric constant is given\n", name,
                            what, anySign ? "" : " above 0", v);
        w.errorflag = 1;
        return false;
    }
    return true;
}

// The model's pressure (bar) at (T, V), the model's state left as it was.
// (The pressure evaluation does not clear the error flag: it is cleared
// here, so that a failure left by an earlier call on the object does not
// pass for this one's.)
double pressureBarAt(WaterEOS& w, double T, double V) {
    const double T0 = w.T, V0 = w.V, P0 = w.P, Z0 = w.Z;
    const ErrorFlagScope trial(w);
    w.temperature(T);
    w.volume(V);
    w.calculate_pressure();
    const double P = trial.failed() ? std::nan("") : 1e-5 * w.P;
    w.temperature(T0);
    w.volume(V0);
    w.P = P0;
    w.Z = Z0;
    return P;
}

// Pitzer (1983), Proc. Natl. Acad. Sci. USA 80, 4575: the Kirkwood equation
//   (eps - 1)(2 eps + 1)/(9 eps) = (4 pi N_A rho / 3M)(alpha + g mu^2 / 3kT)
// with the polarizability alpha = 1.444 A^3, the dipole moment mu = 1.84 D
// and the correlation factor g = 1 + 2.68 rho + 6.69 rho^5 ((565/T)^0.3 - 1),
// rho in g/cm3.  Solved for eps: eps = (G + sqrt(G^2 + 8))/4 with
// G = 1 + 12 pi N_A alpha rho/M + 4 pi N_A mu^2 g rho/(M k T).
// The correlation was made for high temperatures; at 25 C it is 13 % high
// (88.7 against 78.4), and it is given from 200 C up.  Against IAPWS R8-97
// (Fernandez et al. 1997) it lies within -2.4 ... +1.4 % from 200 to 350 C up
// to 1 kbar and within 2 % up to 100 bar at every temperature; elsewhere, up
// to 1000 C and 10 kbar, it departs by up to +10 % at supercritical densities
// (0.3-0.5 g/cm3) and most in the compressed liquid at 200 C (+9.3 % at
// 5 kbar, +15.7 % at 10 kbar): its value there is said to be extrapolated.
constexpr double kPitzerTmin = 473.15;              // K
constexpr double kPitzerCloseTmax = 623.15, kPitzerClosePmax = 1000.0, kPitzerGasPmax = 100.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kAvogadro = 6.0221367e23;                                 // 1/mol
constexpr double kPolarizability = 1.444e-24;                              // cm3
constexpr double kDipole = 1.84e-18;                                       // esu cm (1.84 D)
constexpr double kBoltzmannErg = 1.380658e-16;                             // erg/K
constexpr double kTwelvePiNAlpha = 12.0 * kPi * kAvogadro * kPolarizability;  // cm3/mol
constexpr double kFourPiNMu2 = 4.0 * kPi * kAvogadro * kDipole * kDipole;      // erg cm3/mol

// Bradley & Pitzer (1979), J. Phys. Chem. 83, 1599, "... to 350 C and 1 kbar":
// liquid water from 0 to 350 C up to 1 kbar.
constexpr double kBradleyPitzerTmin = 273.15, kBradleyPitzerTmax = 623.15, kBradleyPitzerPmax = 1000.0;
// The NaCl-ice eutectic: the lowest temperature of a liquid NaCl solution.
constexpr double kEutecticT = 251.85;

bool bradleyPitzerHolds(double T, double P_bar) {
    return T >= kBradleyPitzerTmin && T <= kBradleyPitzerTmax && P_bar <= kBradleyPitzerPmax;
}

double bradleyPitzerForm(double T, double P_bar, double* dEdP) {
    const double B = 4.2142e6 / T - 8032.5 + 2.1417 * T;
    const double C = 3115.9 / (T - 182.89) - 2.0525;
    const double e1000 = 342.79 * std::exp(-0.0050866 * T + 9.469e-7 * T * T);
    if (dEdP) *dEdP = C / (P_bar + B);
    return e1000 + C * std::log((P_bar + B) / (B + 1000.0));
}

void writePitzerRow(const WaterEOS& w, double T, double V, double e, std::FILE* f) {
    if (!f) return;
    std::fprintf(f, "%12lg %12lg %12lg %12lg %12lg %12lg %12s %12s %12s\n", T, w.P * 1e-5, V * 1e6,
                 0.001 * w.bulk_molar_weight / V, e, -1.0 / e, "nan", "nan", "nan");
}

}  // namespace

double WaterEOS::calculateEpsilon_JohnsonNorton(double T_, double V_, std::FILE* f, char setState) {
    errorflag = 0;  // (the flag tells of this call)
    if (!dielectricArgumentsHold(*this, "Johnson & Norton (1991)", {{"temperature T (K)", T_}, {"molar volume V", V_, true}}))
        return std::nan("");
    if (!dielectricInRange(*this, "Johnson & Norton (1991)", T_, kJohnsonNortonTmin, kJohnsonNortonTmax)) return std::nan("");
    setStateTV(*this, T_, V_, setState);
    const DielectricValue d = evaluateReduced(kJohnsonNorton, T_ / 298.15, 0.001 * bulk_molar_weight / V_);
    writeBornRow(*this, T_, V_, d, f);
    return d.e;
}

double WaterEOS::calculateEpsilon_UematsuFranck(double T_, double V_, std::FILE* f, char setState) {
    errorflag = 0;  // (the flag tells of this call)
    if (!dielectricArgumentsHold(*this, "Uematsu & Franck (1980)", {{"temperature T (K)", T_}, {"molar volume V", V_, true}}))
        return std::nan("");
    if (!dielectricInRange(*this, "Uematsu & Franck (1980)", T_, kUematsuFranckTmin, kUematsuFranckTmax)) return std::nan("");
    if (!dielectricInRange(*this, "Uematsu & Franck (1980)", T_, kUematsuFranckTmin, kUematsuFranckTmax,
                           pressureBarAt(*this, T_, V_), kUematsuFranckPmax))
        return std::nan("");
    setStateTV(*this, T_, V_, setState);
    const DielectricValue d = evaluateReduced(kUematsuFranck, T_ / 298.15, 0.001 * bulk_molar_weight / V_);
    writeBornRow(*this, T_, V_, d, f);
    return d.e;
}

double WaterEOS::calculateEpsilon_HelgesonKirkam(double T_, double V_, std::FILE* f, char setState) {
    errorflag = 0;  // (the flag tells of this call)
    if (!dielectricArgumentsHold(*this, "Helgeson & Kirkham (1974)", {{"temperature T (K)", T_}, {"molar volume V", V_, true}}))
        return std::nan("");
    if (!dielectricInRange(*this, "Helgeson & Kirkham (1974)", T_, kHelgesonKirkhamTmin, kHelgesonKirkhamTmax) ||
        !dielectricInRange(*this, "Helgeson & Kirkham (1974)", T_, kHelgesonKirkhamTmin, kHelgesonKirkhamTmax,
                           pressureBarAt(*this, T_, V_), kHelgesonKirkhamPmax))
        return std::nan("");
    if (!(0.001 * bulk_molar_weight / V_ >= kHelgesonKirkhamRhoMin)) {
        platform::diagf("Helgeson & Kirkham (1974): at %.10g K and %.6g g/cm3 no dielectric constant is given: the "
                        "correlation holds for the dense fluid, from %g g/cm3 up\n",
                        T_, 0.001 * bulk_molar_weight / V_, kHelgesonKirkhamRhoMin);
        errorflag = 1;
        return std::nan("");
    }
    setStateTV(*this, T_, V_, setState);
    const DielectricValue d = evaluateHelgesonKirkham(T_, 0.001 * bulk_molar_weight / V_);
    writeBornRow(*this, T_, V_, d, f);
    return d.e;
}

double WaterEOS::calculateEpsilon_Pitzer(double T_, double V_, std::FILE* f, char setState) {
    errorflag = 0;  // (the flag tells of this call)
    if (!dielectricArgumentsHold(*this, "Pitzer (1983)", {{"temperature T (K)", T_}, {"molar volume V", V_, true}}))
        return std::nan("");
    if (!(T_ >= kPitzerTmin)) {
        platform::diagf("Pitzer (1983): no dielectric constant at %g K: the correlation holds from 200 C (473.15 K) "
                        "up; below, it is up to 13 %% high (88.7 against 78.4 at 25 C)\n",
                        T_);
        errorflag = 1;
        return std::nan("");
    }
    const double P_bar = pressureBarAt(*this, T_, V_);
    const double Pr = P_bar / (1.0 + 1e-9);  // the volume search's rounding is no departure
    if (!(Pr <= kPitzerGasPmax) && !(T_ <= kPitzerCloseTmax && Pr <= kPitzerClosePmax))
        platform::diagf("Pitzer (1983): at %.10g K and %.10g bar the dielectric constant is extrapolated: the "
                        "correlation lies within 3 %% of IAPWS R8-97 from 200 to 350 C up to 1 kbar and up to 100 bar, "
                        "and departs from it by up to 16 %% elsewhere (+15.7 %% at 200 C and 10 kbar)\n",
                        T_, P_bar);
    setStateTV(*this, T_, V_, setState);
    const double M = 1000.0 * bulk_molar_weight;        // g/mol
    const double rho = 0.001 * bulk_molar_weight / V_;  // g/cm3
    const double g = 1.0 + 2.68 * rho + 6.69 * std::pow(rho, 5) * (std::pow(565.0 / T_, 0.3) - 1.0);
    const double G = 1.0 + kTwelvePiNAlpha * rho / M + kFourPiNMu2 * g * rho / (M * kBoltzmannErg * T_);
    const double e = (G + std::sqrt(G * G + 8.0)) / 4.0;
    writePitzerRow(*this, T_, V_, e, f);
    return e;
}

double WaterEOS::calculateSolutionDielectric(double T_, double P_bar, double V_, double dPdV_, double* dEdP) {
    if (!dielectricArgumentsHold(*this, "The solution's dielectric constant",
                                 {{"temperature T (K)", T_}, {"pressure P (bar)", P_bar, false, true}, {"molar volume V", V_, true}})) {
        if (dEdP) *dEdP = std::nan("");
        return std::nan("");
    }
    if (bradleyPitzerHolds(T_, P_bar)) return bradleyPitzerForm(T_, P_bar, dEdP);
    if (T_ >= kEutecticT && T_ < kBradleyPitzerTmin && P_bar <= kBradleyPitzerPmax) {
        // Supercooled solutions down to the eutectic: Bradley & Pitzer's form
        // continued below 0 C.  It gives 96.1 at -20 C and 1 bar, within 1 %
        // of the measured supercooled water, and the freezing points of NaCl
        // solutions computed with it follow Bodnar's (1993) to the eutectic.
        return bradleyPitzerForm(T_, P_bar, dEdP);
    }
    // (A correlation that answers leaves the caller's flag as it was; one
    // that refuses sets it.)
    ErrorFlagScope kept(*this, ErrorFlagScope::kAsItIs);
    const double e = calculateEpsilon_JohnsonNorton(T_, V_, nullptr, 0);
    if (dEdP) {
        const double h = 1e-6 * V_;
        const double de = calculateEpsilon_JohnsonNorton(T_, V_ + h, nullptr, 0) -
                          calculateEpsilon_JohnsonNorton(T_, V_ - h, nullptr, 0);
        *dEdP = 1e5 * de / (2.0 * h * dPdV_);
    }
    if (!std::isfinite(e)) kept.keepTrialFlag();
    return e;
}

double WaterEOS::calculateEpsilon_BradleyPitzer(double T_, double P_bar, std::FILE* f, char setState, double* dEdP) {
    errorflag = 0;  // (the flag tells of this call)
    if (!dielectricArgumentsHold(*this, "Bradley & Pitzer (1979)", {{"temperature T (K)", T_}, {"pressure P (bar)", P_bar}})) {
        if (dEdP) *dEdP = std::nan("");
        return std::nan("");
    }
    if (!dielectricInRange(*this, "Bradley & Pitzer (1979)", T_, kBradleyPitzerTmin, kBradleyPitzerTmax, P_bar,
                           kBradleyPitzerPmax)) {
        if (dEdP) *dEdP = std::nan("");
        return std::nan("");
    }
    const double e = bradleyPitzerForm(T_, P_bar, dEdP);
    if (setState) {
        temperature(T_);
        pressure(P_bar);
        calculate_molar_volume();
    }
    writePitzerRow(*this, T_, V, e, f);
    return e;
}

void WaterEOS::calculateEpsilonGrid(double Tmin_, double Tmax_, double Pmin, double Pmax, const char* suffix) {
    if (!(std::isfinite(Tmin_) && std::isfinite(Tmax_) && std::isfinite(Pmin) && std::isfinite(Pmax)) || Tmin_ <= 0.0) {
        platform::diagf("calculateEpsilonGrid: the temperature and pressure ranges must be finite and T > 0\n");
        return;
    }
    water_files::File file = water_files::open(water_files::name("eps", suffix));
    if (!file) return;
    std::FILE* fp = file.get();
    const char* s = water_files::text(suffix);
    std::fprintf(fp, "IGOR\n\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s  %11s%s  %11s%s  %11s%s  %11s%s\nBEGIN\n", "T", s,
                 "P", s, "V", s, "rho", s, "e", s, "Z", s, "Q", s, "Y", s, "X", s);
    for (long i = 0; Tmin_ + static_cast<double>(i) <= Tmax_; ++i) {
        const double t = Tmin_ + static_cast<double>(i);
        for (long j = 0; Pmin + static_cast<double>(j) <= Pmax; ++j) {
            const double p = Pmin + static_cast<double>(j);
            temperature(t);
            pressure(p);
            calculate_molar_volume();
            calculateEpsilon_JohnsonNorton(t, V, fp, 0);
        }
    }
    std::fprintf(fp, "END\n");
}

void WaterEOS::convertToMolalApparent() {
    S += 63.334986;
    U -= 284141.0385;
    H -= 287824.2785;
    G -= 218301.21022424;
    A -= 214638.89772424;
}
