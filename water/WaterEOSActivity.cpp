// Activity of water in aqueous NaCl and the equilibria of such a solution with
// pure-water phases: its vapour pressure or boiling temperature (the vapour is
// pure water, so a_w f_liquid = f_vapour at equal pressures) and the freezing
// of ice from it (a_ice = a_w).
//
// Activity models, all from the Debye-Hueckel slope A_phi at the object's
// state (dielectric constant of Bradley & Pitzer 1979 in its range, of
// Johnson & Norton 1991 beyond it):
//   0  Pitzer, Peiper & Busey (1984), NaCl(aq) to 300 C and 1 kbar
//   1  Thurmond-type temperature functions of beta0, beta1 and C
//   other  the Debye-Hueckel limiting law
#include <cmath>
#include <cstdio>

#include "fluid/ErrorFlagScope.h"
#include "fluid/PhaseSolvers.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"
#include "water/WaterEOS.h"
#include "water/WaterFiles.h"

namespace {

constexpr double kMolesPerKgWater = 55.50847203605297;
constexpr double kElementaryChargeSquared = 2.566971139329e-38;  // C2
constexpr double kFourPiEpsilon0 = 1.1126500558499942e-10;      // C2/(J m)
constexpr double kBoltzmann = 1.38065812e-23;                   // J/K
constexpr double kTwoPiAvogadro = 3.783820108259437e24;         // 1/mol

struct IceMeltingData {
    double aIce;
    double y;
};

}  // namespace

double WaterEOS::calculateDebyeHuckelSlope() {
    // NaN (said) where no dielectric correlation holds.
    const double eps = calculateSolutionDielectric(T, P * 1e-5, V, dPdV);
    const double rhoW = kMolarMass / V;  // kg/m3
    const double lB = kElementaryChargeSquared / (kFourPiEpsilon0 * eps * kBoltzmann * T);
    return std::sqrt(kTwoPiAvogadro * rhoW) * std::pow(lB, 1.5) / 3.0;
}

void WaterEOS::calculateActivity(double m_, double& aw, double& gamma, double& phi) {
    if (activityModel == 0)
        calculatePitzer84(m_, aw, gamma, phi);
    else if (activityModel == 1)
        calculateThurmond(m_, aw, gamma, phi);
    else
        calculateDebyeHuckel(m_, aw, gamma, phi);
}

void WaterEOS::calculatePitzer84(double m_, double& aw, double& gamma, double& phi) {
    // Pitzer, Peiper & Busey (1984), J. Phys. Chem. Ref. Data 13, 1: NaCl(aq)
    // from 0 to 300 C, to 1 kbar and 6 mol/kg.  Outside: no activity (NaN,
    // errorflag 1, a message).
    if (!(T >= 273.15 && T <= 573.15 && P <= 1e8 && m_ >= 0.0 && m_ <= 6.0)) {
        platform::diagf("Pitzer, Peiper & Busey (1984): %g K, %g bar and %g mol/kg NaCl lie outside its range (273.15 "
                        "to 573.15 K, to 1000 bar, to 6 mol/kg); no water activity is given\n",
                        T, P * 1e-5, m_);
        errorflag = 1;
        aw = phi = std::nan("");
        gamma = 0.0;
        return;
    }
    const double Aphi = calculateDebyeHuckelSlope();
    const double p = P * 1e-5, t = T;
    const double s = std::sqrt(m_);
    const double beta0 = 24.8691295 - 656.81518 / t - 4.4640952 * std::log(t) +
                         (0.01110991383 - 2.657339906e-7 * p + 1.746006963e-10 * p * p + 1.0462619e-14 * p * p * p) * t +
                         (-5.307012889e-6 + 8.634023325e-10 * p - 4.1785962e-13 * p * p) * t * t +
                         5.381275267e-5 * p - 5.58874699e-8 * p * p + 6.589326333e-12 * p * p * p +
                         (-1.579365943 + 0.002202282079 * p - 1.310550324e-7 * p * p - 6.381368333e-11 * p * p * p) /
                             (t - 227.0) +
                         (9.706578079 - 0.02686039622 * p + 1.534474401e-5 * p * p - 3.215398267e-9 * p * p * p) /
                             (680.0 - t);
    const double beta1 = 119.31966 / t - 0.48309327 + 0.0014068095 * t - 4.2345814 / (t - 227.0);
    const double Cphi = 0.40217793 - 6.1084589 / t - 0.075354649 * std::log(t) +
                        (0.0001531767295 - 9.0550901e-8 * p) * t + (-1.53860082e-8 + 8.69266e-11 * p) * t * t +
                        2.2902837e-5 * p + (0.353104136 - 0.00043314252 * p) / (t - 227.0) +
                        (-0.09187145529 + 0.00051904777 * p) / (680.0 - t);
    phi = 1.0 - Aphi * s / (1.0 + 1.2 * s) + m_ * (beta0 + beta1 * std::exp(-2.0 * s)) + m_ * m_ * Cphi;
    aw = std::exp(-2.0 * 0.018 * m_ * phi);
    gamma = 0.0;
}

void WaterEOS::calculateThurmond(double m_, double& aw, double& gamma, double& phi) {
    const double Aphi = calculateDebyeHuckelSlope();
    const double t = T, t2 = t * t, t3 = t2 * t, t4 = t3 * t;
    const double s = std::sqrt(m_);
    const double beta0 = 15.32498 - 2009.44 / t - 0.00179001 * t2 / 6.0 + 1.15601e-5 * t3 / 12.0 - 1.90346e-8 * t4 / 20.0;
    const double beta1 = 51.4936 - 6515.42 / t - 0.00658529 * t2 / 6.0 + 4.49459e-5 * t3 / 12.0 - 7.8664e-8 * t4 / 20.0;
    const double Cphi = -1.068278 + 142.6202 / t + 0.000122262 * t2 / 6.0 - 7.80262e-7 * t3 / 12.0 + 1.27174e-9 * t4 / 20.0;
    phi = 1.0 - Aphi * s / (1.0 + 1.2 * s) + m_ * (beta0 + beta1 * std::exp(-2.0 * s)) + 2.0 * Cphi * m_ * m_;
    aw = std::exp(-2.0 * 0.018 * m_ * phi);
    gamma = 0.0;
}

void WaterEOS::calculateDebyeHuckel(double m_, double& aw, double& gamma, double& phi) {
    const double Aphi = calculateDebyeHuckelSlope();
    const double s = std::sqrt(m_);
    phi = 1.0 - Aphi * s;
    gamma = std::exp(-3.0 * Aphi * s);
    aw = std::exp(-2.0 * m_ * phi / 55.50844);
}

void WaterEOS::calculateIceActivity(double& a) {
    const double t = T;
    const double G = 4.1855 * ((168.746 - 30.256 * std::log(t)) * t - 3497.82 + 0.05637 * t * t -
                               0.00012876 * t * t * t / 6.0) -
                     1.5123e-6 * P;
    a = std::exp(G / (-8.31434 * t));
}

// ---------------------------------------------------------------- osmotic equilibria

namespace {

// Liquid or vapour at volume Vs: fugacities and their derivatives at the
// object's temperature; false when the evaluation fails or the state is
// mechanically unstable.  errorflag is left as it was.
bool evaluateOsmoticSide(WaterEOS& w, int kind, double Vs) {
    w.set_the_phase_as(kind);
    w.volume(Vs);
    const ErrorFlagScope trial(w);
    w.calculate_fugacities();
    return !trial.failed() && std::isfinite(w.fugacity[0]) && std::isfinite(w.P) && w.dPdV <= 0.0;
}

bool rejectedPair(double Vl, double Vv) {
    return !(Vl >= 0.0) || !(Vv >= 0.0) || Vl == 0.0 || std::fabs(Vl - Vv) / Vl < 1e-5 || Vl > Vv;
}

}  // namespace

void WaterEOS::equationForCalculatingOsmoticPressure(double* xv, double* G, double** J, int& err, int order, void*) {
    const double Vl = xv[0], Vv = xv[1];
    if (rejectedPair(Vl, Vv)) {
        err = 1;
        return;
    }
    Vl_sat = Vl;
    Vv_sat = Vv;
    if (!evaluateOsmoticSide(*this, 2, Vl)) {
        err = 1;
        return;
    }
    const double fl = fugacity[0], Pl = P, fVl = dfugacitydV[0], PVl = dPdV;
    calculatePitzer84(m, waterActivity, meanActivityCoefficient, osmoticCoefficient);
    if (!evaluateOsmoticSide(*this, 1, Vv)) {
        err = 1;
        return;
    }
    const double a = waterActivity;
    G[0] = a * fl - fugacity[0];
    G[1] = Pl - P;
    if (order >= 1) {
        J[0][0] = a * fVl;
        J[0][1] = -dfugacitydV[0];
        J[1][0] = PVl;
        J[1][1] = -dPdV;
    }
}

void WaterEOS::equationForCalculatingOsmoticTemperature(double* xv, double* G, double** J, int& err, int order,
                                                        void*) {
    const double Vl = xv[0], Vv = xv[1], t = xv[2];
    if (rejectedPair(Vl, Vv) || !(t > 0.0)) {
        err = 1;
        return;
    }
    Vl_sat = Vl;
    Vv_sat = Vv;
    temperature(t);
    if (!evaluateOsmoticSide(*this, 2, Vl)) {
        err = 1;
        return;
    }
    const int k = 0;  // the water component of a pure-water model
    const double fl = fugacity[k], Pl = P, fVl = dfugacitydV[k], PVl = dPdV, PTl = dPdT;
    const double fTl = dfugacitydP[k] * dPdT + dfugacitydT[k];
    calculatePitzer84(m, waterActivity, meanActivityCoefficient, osmoticCoefficient);
    if (!evaluateOsmoticSide(*this, 1, Vv)) {
        err = 1;
        return;
    }
    const double a = waterActivity;
    const double fTv = dfugacitydP[k] * dPdT + dfugacitydT[k];
    G[0] = a * fl - fugacity[k];
    G[1] = Pl - P_target;
    G[2] = P - P_target;
    if (order >= 1) {
        J[0][0] = a * fVl;
        J[0][1] = -dfugacitydV[k];
        J[0][2] = a * fTl - fTv;
        J[1][0] = PVl;
        J[1][1] = 0.0;
        J[1][2] = PTl;
        J[2][0] = 0.0;
        J[2][1] = dPdV;
        J[2][2] = dPdT;
    }
}

void WaterEOS::calculateOsmoticPressure(double T_, double m_) {
    errorflag = 0;
    temperature(T_);
    m = m_;
    initializeSaturationVolumesFromT("H2O", T_);
    Newton& s = phase_solvers::bindSystem(
        *this, toEquationFn<SysEquationFn>(&WaterEOS::equationForCalculatingOsmoticPressure), 2, {Vl0, Vv0});
    s.verbose = 0;
    s.solve();
    if (s.status != 0) errorflag = 1;
}

void WaterEOS::calculateOsmoticTemperature(double P_bar, double m_) {
    errorflag = 0;
    pressure(P_bar);
    P_target = P_bar * 1e5;
    m = m_;
    initializeSaturationVolumesFromP("H2O", P_bar);
    Newton& s = phase_solvers::bindSystem(
        *this, toEquationFn<SysEquationFn>(&WaterEOS::equationForCalculatingOsmoticTemperature), 3, {Vl0, Vv0, T});
    s.verbose = 0;
    s.solve();
    if (s.status == 0)
        std::printf("T %12lg\n", T);
    else
        errorflag = 1;
}

namespace {

void writeOsmoticHeader(std::FILE* f, char mode, const char* suffix) {
    if (mode != 1) return;
    const char* s = water_files::text(suffix);
    std::fprintf(f, "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n", "T", s, "m", s, "P",
                 s, "x", s, "Vl", s, "Vv", s, "a", s, "phi", s);
}

void writeOsmoticRow(std::FILE* f, const WaterEOS& w, double x) {
    std::fprintf(f, "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg\n", w.T, w.m, w.P * 1e-5, x, w.Vl_sat * 1e6,
                 w.Vv_sat * 1e6, w.waterActivity, w.osmoticCoefficient);
}

}  // namespace

void WaterEOS::calculateOsmoticIsopleth(double m_, char mode, const char* suffix) {
    water_files::File file = water_files::open(water_files::name("satos", suffix));
    if (!file) return;
    writeOsmoticHeader(file.get(), mode, suffix);
    const double x = m_ / (m_ + kMolesPerKgWater);
    for (int i = 0;; ++i) {
        const double t = 273.15 + i;
        calculateOsmoticPressure(t, m_);
        if (errorflag) break;
        writeOsmoticRow(file.get(), *this, x);
        if (!(t + 1.0 < 573.15)) break;
    }
    if (mode == 1) std::fprintf(file.get(), "END\n");
}

void WaterEOS::calculateOsmoticIsotherm(double T_, char mode, const char* suffix) {
    water_files::File file = water_files::open(water_files::name("osmo", suffix));
    if (!file) return;
    writeOsmoticHeader(file.get(), mode, suffix);
    for (int i = 0; i <= 80; ++i) {
        const double mi = 0.1 * i;
        calculateOsmoticPressure(T_, mi);
        if (errorflag) break;
        writeOsmoticRow(file.get(), *this, mi / (kMolesPerKgWater + mi));
    }
    if (mode == 1) std::fprintf(file.get(), "END\n");
}

// ---------------------------------------------------------------- ice

double WaterEOS::equationForIceMelting(double m_, void* data) {
    if (!(m_ >= 0.0) || data == nullptr) {  // no activity for a negative trial molality
        error = 1;
        return 0.0;
    }
    const IceMeltingData& d = *static_cast<const IceMeltingData*>(data);
    calculate_molar_volume();
    if (errorflag) {
        error = 1;
        return 0.0;
    }
    double aw = 1.0;
    calculateActivity(m_, aw, meanActivityCoefficient, osmoticCoefficient);
    waterActivity = aw;
    return d.aIce - (1.0 - d.y) * aw;
}

double WaterEOS::calculateIceMeltingH2ONaCl(double T_, double y) {
    temperature(T_);
    pressure(1.0);
    IceMeltingData d{0.0, y};
    calculateIceActivity(d.aIce);
    activityModel = 1;
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&WaterEOS::equationForIceMelting);
    s.data = &d;
    s.x0 = 0.0;
    s.x1 = 0.001;
    const double root = s.solve();
    if (s.status == 0 && std::isfinite(root)) m = root;
    return m;
}

void WaterEOS::calculateIceMeltingH2ONaClCurve(char mode, const char* suffix) {
    water_files::File file = water_files::open(water_files::name("ice", suffix));
    if (!file) return;
    std::FILE* f = file.get();
    if (mode == 1) {
        const char* s = water_files::text(suffix);
        std::fprintf(f, "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n", "T", s, "m", s, "x", s, "wt", s, "a",
                     s);
    }
    for (int i = 0; i <= 100; ++i) {
        const double t = 273.15 - 0.2 * i;
        temperature(t);
        calculateIceMeltingH2ONaCl(t, 0.0);
        std::fprintf(f, "%12lg %12lg %12lg %12lg %12lg\n", t, m, m / (kMolesPerKgWater + m),
                     58.5 * m / (1000.0 + 58.5 * m) * 100.0, waterActivity);
    }
    if (mode == 1) std::fprintf(f, "END\n");
}

void WaterEOS::test1(int n) {
    if (n == 1) calculateIceMeltingH2ONaClCurve(1, "0");
}
