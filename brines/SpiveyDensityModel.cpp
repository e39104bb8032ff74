#include "brines/SpiveyDensityModel.h"

#include <cmath>
#include <memory>
#include <string>

#include "brines/MaoDuanSalinityModel.h"
#include "brines/PotterBrown.h"
#include "water/WagnerPruss.h"
#include "platform/OutputFiles.h"

// Spivey, McCain & North (2004), J. Can. Pet. Technol. 43(7), 52: "... at
// temperatures from 0 to 275 C, pressures to 200 MPa, and salinities to
// 5.7 mole/kg", the molality of 25 wt % NaCl (5.704 mol/kg).
SpiveyDensityModel::SpiveyDensityModel() {
    setSystemType(DM_SpiveyNaCl);
    Tmin = 273.15;
    Tmax = 548.15;
    Pmin = 0.0;
    Pmax = 2e8;
    mmax = 5.704;
}

double SpiveyDensityModel::calculate_density() {
    constexpr double P0 = 7e7;
    if (!inRangeOfFit("Spivey, McCain & North (2004) brine density")) return rho;
    const double t = T - 273.15, t2 = t * t;
    const double rw0 = (1.03265 + 0.00645486 * t - 1.27213e-5 * t2) / (1.0 + 0.00639589 * t - 7.0291e-6 * t2);
    const double Ew = (6.221 - 0.03478 * t + 0.0004221 * t2) / (1.0 - 0.004405 * t + 5.182e-5 * t2);
    const double Fw = (27.952 + 0.29932 * t - 0.0011403 * t2) / (1.0 + 0.003768 * t + 2.0684e-5 * t2);
    rho = 1000.0 * rw0 * std::exp(std::log(std::fabs(Ew * P / P0 + Fw)) / Ew - std::log(std::fabs(Ew + Fw)) / Ew);
    const double sm = std::sqrt(m), m15 = m * sm;
    const double D2 = -0.00034254 - 1.93e-8 * t - 7.925e-9 * t2;
    const double D15 = (-0.0035819 - 2.8755e-5 * t + 1.0998e-7 * t2) / (1.0 + 0.0192016 * t - 7.2877e-5 * t2);
    const double D1 = (0.0436083 + 0.00036963 * t - 7.6402e-7 * t2) / (1.0 + 0.01185685 * t - 3.33661e-5 * t2);
    const double D05 = -0.0003346 - 3.328e-6 * t + 3.746e-8 * t2;
    const double rb0 = rw0 + D2 * m * m + D15 * m15 + D1 * m + D05 * sm;
    const double Eb = Ew + 0.1353 * m;
    const double Fb = Fw + (-0.2532 - 0.00361 * t - 0.0001409 * t2) / (1.0 + 0.09216 * t) * m15 +
                      (4.6782 + 0.05614 * t) / (1.0 + 0.026069 * t - 3.07e-5 * t2) * m +
                      (-0.0452 + 0.002047 * t - 1.127e-5 * t2) * sm;
    rho = 1000.0 * rb0 * std::exp(std::log(std::fabs(Eb * P / P0 + Fb)) / Eb - std::log(std::fabs(Eb + Fb)) / Eb);
    // The specific and molar volumes of the solution, which the curve
    // writers print beside the density.
    v = 1.0 / rho;
    M = meanMolarMass(m, Ms);
    V = M / rho;
    Vphi0 = std::nan("");  // the correlation gives no apparent molar volume
    return rho;
}

void SpiveyDensityModel::compare_with_model(int which) {
    std::unique_ptr<DensityModel> other;
    if (which == 0)
        other = std::make_unique<PotterBrown>();
    else if (which == 1)
        other = std::make_unique<MaoDuanSalinityModel>(0);
    else
        return;
    const std::string path = "res" + std::to_string(which) + ".txt";
    std::FILE* f = platform::openOutput(path, "wt");
    if (!f) return;
    for (int im = 0; im <= 12; ++im) {
        const double mm = 0.5 * im;
        std::fprintf(f, "\n");
        for (int it = 0; it <= 55; ++it) {
            const double t = 5.0 * it;
            for (int ip = 0; ip <= 200; ++ip) {
                const double p = 10.0 * ip;
                temperature(t + 273.15);
                pressure(p);
                molality(mm);
                other->temperature(t + 273.15);
                other->pressure(p);
                other->molality(mm);
                const double r1 = calculate_density();
                const double r2 = other->calculate_density();
                std::fprintf(f, "%12f %12f %12f %12f %12f %12f \n", t, p, mm, r1, r2, 100.0 * (r1 - r2) / r2);
            }
        }
    }
    platform::closeOutput(f, path);
}

void SpiveyDensityModel::compare_with_Wagner_Pruss() {
    WagnerPruss water(2);
    std::FILE* f = platform::openOutput("res.text", "wt");
    if (!f) return;
    molality(0.0);
    for (int it = 0; it <= 55; ++it) {
        const double t = 5.0 * it;
        for (int ip = 0; ip <= 200; ++ip) {
            const double p = 10.0 * ip;
            water.temperature(t + 273.15);
            water.pressure(p);
            water.calculate_molar_volume();
            const double rwp = kWaterMolarMass / water.V;
            temperature(t + 273.15);
            pressure(p);
            const double rs = calculate_density();
            std::fprintf(f, "%12f %12f %12f %12f %12f \n", t, p, rs, rwp, 100.0 * (rs - rwp) / rwp);
        }
    }
    platform::closeOutput(f, "res.text");
}
