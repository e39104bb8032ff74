#include "brines/DensityModel.h"

#include <cmath>
#include <string>

#include "brines/MaoDuanSalinityModel.h"
#include "brines/PotterBrown.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace {

struct SaltConstants {
    double Ms, nuM, nuX, nu, zM, zX;
};

// NaCl, LiCl, CaCl2, KCl, MgCl2, SrCl2, BaCl2.
constexpr SaltConstants kSalts[7] = {
    {0.058443, 1, 1, 2, 1, -1}, {0.042394, 1, 1, 2, 1, -1}, {0.110986, 1, 2, 3, 2, -1},
    {0.074551, 1, 1, 2, 1, -1}, {0.095236, 1, 2, 3, 2, -1}, {0.158536, 1, 2, 3, 2, -1},
    {0.206286, 1, 2, 3, 2, -1},
};

}  // namespace

DensityModel::DensityModel() {
    setSystemType(DM_NaCl);
    errorflag = 0;
}

void DensityModel::setSystemType(DM_SystemType type) {
    systemType = type;
    const int i = (type >= 0 && type < 7) ? static_cast<int>(type) : 0;
    const SaltConstants& s = kSalts[i];
    Ms = s.Ms;
    nuM = s.nuM;
    nuX = s.nuX;
    nu = s.nu;
    zM = s.zM;
    zX = s.zX;
}

bool DensityModel::inRangeOfFit(const char* source) {
    // Each density is judged on its own: no flag of an earlier state stays.
    errorflag = 0;
    // (No fit describes a liquid under tension: a negative pressure is
    // refused too.)
    if (beyondFit || (T >= Tmin && T <= Tmax && P >= 0.0 && P <= Pmax && m >= 0.0 && m <= mmax)) return true;
    platform::diagf("%s: %g K, %g bar and %g mol/kg lie outside the range of its fit (%g to %g K, %g to %g bar, up to "
                    "%g mol/kg); no density is given\n",
                    source, T, P * 1e-5, m, Tmin, Tmax, Pmin * 1e-5, Pmax * 1e-5, mmax);
    refuse();
    return false;
}

void DensityModel::refuse() {
    errorflag = 1;
    rho = v = V = Vphi0 = mM = mX = std::nan("");
}

double DensityModel::meanMolarMass(double m_, double Ms_) {
    const double x = kWaterMolarMass * m_ / (1.0 + kWaterMolarMass * m_);
    return (1.0 - x) * kWaterMolarMass + x * Ms_;
}

void DensityModel::molality(double m_) {
    m = m_;
    M = meanMolarMass(m_, Ms);
}

double DensityModel::equation_for_pressure(double P_bar, void* data) {
    pressure(P_bar);
    return calculate_density() - *static_cast<double*>(data);
}

void DensityModel::calculate_pressure(double rho_target) {
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&DensityModel::equation_for_pressure);
    s.data = &rho_target;
    errorflag = 0;
    s.x0 = P * 1e-5;
    s.x1 = P * 1.0001e-5;
    if (!(s.x0 != 0.0 && std::isfinite(s.x0))) {  // a secant from two zero points has no first step
        s.x0 = 1.0;
        s.x1 = 1.0001;
    }
    s.tol = 1e-7;
    {
        // The trials' own refusals (a trial beyond the range of the fit) are
        // no failure of the search: only its outcome is reported.
        platform::ThreadLogCapture trials;
        s.solve();
        // The secant may step out of the range of the fit, where the model
        // gives no density (a target near the range's top); the density rises
        // with pressure, so the root is then bisected between the range's ends.
        if (s.status != 0 || !(std::fabs(rho - rho_target) <= 1e-7 * rho_target))
            s.status = bisectPressure(rho_target);
    }
    // The fit gives densities between its lowest and highest pressures only: a
    // root the secant finds beyond them (a density below the one at the lowest
    // pressure lies at a negative pressure of the extrapolated fit) is none.
    const double tol = 1e-9 * Pmax;
    const bool inFit = beyondFit || (P >= Pmin - tol && P <= Pmax + tol);
    if (s.status == 0 && inFit) return;
    const double T_ = T;
    P = 1e7;
    refuse();
    if (beyondFit || !(Pmax > 0.0))
        platform::diagf("DensityModel: no pressure gives %g kg/m3 at %g K and %g mol/kg\n", rho_target, T_, m);
    else
        platform::diagf("DensityModel: no pressure from %g to %g bar (the range of the fit) gives %g kg/m3 at %g K "
                        "and %g mol/kg\n",
                        Pmin * 1e-5, Pmax * 1e-5, rho_target, T_, m);
}

int DensityModel::bisectPressure(double rho_target) {
    if (!(Pmax > 0.0) || beyondFit) return 1;
    auto residual = [&](double p_bar, double& f) {
        f = equation_for_pressure(p_bar, &rho_target);
        return errorflag == 0 && std::isfinite(f);
    };
    double lo = std::fmax(Pmin / 1e5, 1e-3), hi = Pmax / 1e5, flo = 0.0, fhi = 0.0;
    if (!residual(lo, flo) || !residual(hi, fhi) || flo > 0.0 || fhi < 0.0) return 1;
    for (int i = 0; i < 200 && hi - lo > 1e-12 * hi; ++i) {
        const double mid = 0.5 * (lo + hi);
        double f = 0.0;
        if (!residual(mid, f)) return 1;
        (f < 0.0 ? lo : hi) = mid;
    }
    double f = 0.0;
    return residual(0.5 * (lo + hi), f) ? 0 : 1;  // leaves the state at the root
}

std::FILE* DensityModel::openResultFile(const char* name) {
    const std::string path = std::string("res") + (name ? name : "") + ".txt";
    return platform::openOutput(path, "wt");
}

namespace {

void writeHeader6(std::FILE* f, const char* s) {
    std::fprintf(f, "IGOR\nWAVES %5s%1s %11s%1s %11s%1s %11s%1s %11s%1s %11s%1s \nBEGIN\n", "T", s, "P", s, "m", s,
                 "rho", s, "V", s, "Vphi", s);
}

void writeHeader5(std::FILE* f, const char* s) {
    std::fprintf(f, "IGOR\nWAVES %5s%1s %11s%1s %11s%1s %11s%1s %11s%1s \nBEGIN\n", "T", s, "P", s, "m", s, "rho", s,
                 "V", s);
}

// Next value of a stepped variable: the first step beyond `end` becomes `end`
// and is the last one.
bool clampStep(double& value, double end) {
    if (value >= end - 1e-12 * std::fabs(end)) {
        value = end;
        return true;
    }
    return false;
}

}  // namespace

void DensityModel::calculate_isotherm_isobar(double T_, double P_bar, double m0, double m1, char mode,
                                             const char* name) {
    if (mode != 1) return;
    std::FILE* f = openResultFile(name);
    if (!f) return;
    const char* s = name ? name : "";
    writeHeader6(f, s);
    temperature(T_);
    pressure(P_bar);
    double mm = m0;
    for (;;) {
        const bool last = clampStep(mm, m1);
        molality(mm);
        calculate_density();
        if (!errorflag)
            std::fprintf(f, "%12lf %12lf %12lf %12lf %12lf %12lf\n", T, P * 1e-5, m, rho, V * 1e6, Vphi0);
        if (last) break;
        mm += 0.05;
    }
    std::fprintf(f, "END\n");
    std::fclose(f);
}

void DensityModel::calculate_isobar(double m_, double P_bar, double T0, double T1, char mode, const char* name) {
    if (mode != 1) return;
    std::FILE* f = openResultFile(name);
    if (!f) return;
    const char* s = name ? name : "";
    writeHeader6(f, s);
    molality(m_);
    pressure(P_bar);
    double t = T0;
    for (;;) {
        const bool last = clampStep(t, T1);
        temperature(t);
        calculate_density();
        if (!errorflag)
            std::fprintf(f, "%12lf %12lf %12lf %12lf %12lf %12lf\n", T, P * 1e-5, m, rho, V * 1e6, Vphi0);
        if (last) break;
        t += 1.0;
    }
    std::fprintf(f, "END\n");
    std::fclose(f);
}

void DensityModel::calculate_rho_P_curves(double T_, double m_, double P0, double P1, char mode, const char* name) {
    if (mode != 1) return;
    std::FILE* f = openResultFile(name);
    if (!f) return;
    const char* s = name ? name : "";
    writeHeader5(f, s);
    molality(m_);
    temperature(T_);
    double p = P0;
    for (;;) {
        const bool last = clampStep(p, P1);
        pressure(p);
        calculate_density();
        std::fprintf(f, "%12lf %12lf %12lf %12lf %12lf \n", T, P * 1e-5, m, rho, V * 1e6);
        if (last) break;
        p += 1.0;
    }
    std::fprintf(f, "END\n");
    std::fclose(f);
}

void DensityModel::calculate_isochor(double m_, double value, int kind, double T0, double T1, char mode,
                                     const char* name, std::vector<double>* out) {
    if (kind != 0 && kind != 1) {
        platform::diagf("DensityModel: isochore kind %d is neither 0 (density) nor 1 (molar volume)\n", kind);
        return;
    }
    if (mode != 1 && !(mode == 6 && out)) return;
    std::FILE* f = nullptr;
    const char* s = name ? name : "";
    if (mode == 1) {
        f = openResultFile(name);
        if (!f) return;
        writeHeader5(f, s);
    }
    molality(m_);
    pressure(100.0);
    const double target = kind == 0 ? value : M / value * 1e6;
    double t = T0;
    for (;;) {
        const bool last = clampStep(t, T1);
        temperature(t);
        calculate_pressure(target);
        if (!errorflag) {
            if (f)
                std::fprintf(f, "%12lf %12lf %12lf %12lf %12lf \n", T, P * 1e-5, m, rho, V * 1e6);
            else {
                out->push_back(T);
                out->push_back(P * 1e-5);
            }
        }
        if (last) break;
        t += 1.0;
    }
    if (f) {
        std::fprintf(f, "END\n");
        std::fclose(f);
    }
}

void DensityModel::test(int which) {
    switch (which) {
        case 1:
            temperature(550.0);
            pressure(800.0);
            molality(4.0);
            calculate_density();
            break;
        case 2:
            calculate_rho_P_curves(573.15, 4.0, -100.0, 1000.0, 1, "0");
            return;
        case 3:
            temperature(550.15);
            molality(4.0);
            pressure(100.0);
            calculate_pressure(992.946);
            break;
        default:
            return;
    }
    std::printf("T %12lg (K)  P %12lg (bar)  m %12lg (molal)  d %12lg (kg/m3)  V %12lg (m3/mol)  Vs %12lg (dm3/kg) \n",
                T, P * 1e-5, m, rho, V, 1000.0 * v);
}

double calculate_Potter_Brown_density(double T_K, double P_bar, double m) {
    PotterBrown pb;
    return pb.calculate_Potter_Brown_density(T_K, P_bar, m);
}

double calculate_Mao_Duan_density(double T_K, double P_bar, double m) {
    MaoDuanSalinityModel md(1);
    md.T = T_K;
    md.P = P_bar * 1e5;
    md.m = m;
    md.M = DensityModel::meanMolarMass(m, md.Ms);
    return md.calculate_density();
}
