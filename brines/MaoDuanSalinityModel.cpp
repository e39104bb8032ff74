#include "brines/MaoDuanSalinityModel.h"

#include <cmath>

#include "brines/PotterBrown.h"
#include "platform/LogSink.h"
#include "water/WagnerPruss.h"

namespace {

// c1..c23 and Tmin, Tmax (K), Pmin, Pmax (Pa), mmax, mref of each salt
// (Mao & Duan 2008, Table 2 of the chloride systems).
constexpr double kBlocks[7][29] = {
    {1066.07098, -0.00839622456, 0.000535429127, 7.55373789e-07, -0.419512335, 0.00145082899, -3.47807732e-06, 0,
     0.0110913788, 0.00114498252, -5.5118127e-06, 7.05483955e-09, -0.0505734723, -0.000132747828, 4.77261581e-06,
     -1.76888377e-08, 0, 0.000640541237, 0.000307698827, -0.000164042763, 7.06784935e-07, -6.50338372e-10,
     -0.000450906014, 273.15, 573.15, 1e5, 1e8, 6, 6},
    {1172.7148, 0.140527916, -0.000553962649, 1.72402126e-06, -1.57184556, 0.00889959461, -1.52090064e-05, 0,
     0.00733553879, 0.000406701494, -2.38873863e-06, 3.94900863e-09, -0.0356131664, -6.18472877e-05,
     3.00484214e-06, -1.02229075e-08, 0, 0.000235592818, -0.000268117086, -2.17228726e-05, 1.19732313e-07,
     -1.51104808e-10, 0.000383403994, 273.15, 564.15, 1e5, 4e7, 10, 10},
    {1120.80057, -0.261669538, 0.0015204296, -6.89131095e-07, -0.511802652, 0.00222234857, -5.66464544e-06,
     2.92950266e-09, 0.0243934633, -0.00142746873, 7.35840529e-06, -9.4361548e-09, -0.0518606814, -6.16536928e-05,
     -1.04523561e-05, 4.52637296e-08, -1.05076158e-10, 0.00231544709, -0.00109663211, 0.000190836111,
     -9.25997994e-07, 1.54388261e-09, -0.0129354832, 273.15, 523.15, 1e5, 6e7, 6, 5},
    {290.812061, 6.54111195, -0.0161831978, 1.46280384e-05, 14.1397987, -0.10726623, 0.000264506021,
     -2.19789708e-07, 0.0302182158, -0.00215621394, 9.24163206e-06, -1.10089434e-08, 0.0287018859, -0.000673119697,
     0.000168332473, -7.9964564e-07, 1.1188156e-09, -0.00659292385, -0.00202369103, -0.000170609099, 1.00510108e-06,
     -1.86624642e-09, 0.0191919166, 273.15, 543.15, 1e5, 5e7, 4.5, 6},
    {1188.80927, -1.43194546, 0.0038797322, -2.20330377e-06, 6.38745038, -0.0551728055, 0.000150231562,
     -1.35757912e-07, 0.00843627549, 0.00525365072, -1.872041e-05, 4.20263897e-08, -1.18062548, 0.000607424747,
     -0.00012026821, 5.23784551e-07, -8.23940319e-10, 0.00975167613, -0.000492959181, -0.000273642775,
     5.42602386e-07, -1.95602825e-09, 0.100921935, 273.15, 543.15, 1e5, 3e7, 3, 2},
    {1118.94213, -0.737321458, 0.00177908655, 0, 0, 0, 0, 0, 0.022122568, 0.000662517291, -2.3729605e-06, 0, 0, 0,
     0, 0, 0, 0, -0.0042130043, 0, 9.46738388e-08, 0, 0, 298.15, 473.15, 1e5, 2e6, 2, 2},
    {1102.29139, -0.753497776, 0.00192829036, 0, 0, -0.0011540691, 0, 0, 0.0257437715, 0.000164541676,
     -9.30035886e-07, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 273.15, 473.15, 1e5, 2e7, 1.6, 1.5},
};

}  // namespace

MaoDuanSalinityModel::MaoDuanSalinityModel(int waterSource_) : water(std::make_unique<WagnerPruss>(2)) {
    setSystemType(DM_NaCl);
    waterSource = waterSource_;
}

MaoDuanSalinityModel::~MaoDuanSalinityModel() = default;

void MaoDuanSalinityModel::setSystemType(DM_SystemType type) {
    DensityModel::setSystemType(type);
    if (type < 0 || type > 6) return;
    const double* b = kBlocks[type];
    for (int i = 1; i <= 23; ++i) c[i] = b[i - 1];
    Tmin = b[23];
    Tmax = b[24];
    Pmin = b[25];
    Pmax = b[26];
    mmax = b[27];
    mref = b[28];
}

double MaoDuanSalinityModel::calculate_density() {
    constexpr double R = 8.31434;
    // The salt's block holds in the range of its fit (Table 2 of Mao & Duan
    // 2008): outside it no density.
    if (!inRangeOfFit("Mao & Duan (2008) brine density")) return rho;
    double Vw = 0.0, Kw = 0.0;
    if (waterSource == 0) {
        water->temperature(T);
        water->pressure(P / 1e5);
        water->errorflag = 0;
        water->calculate_molar_volume();
        Vw = water->V;
        Kw = water->dPdV;
        if (water->errorflag != 0 || !(Vw > 0.0)) {  // no water volume: no density
            platform::diagf("Mao & Duan (2008) brine density: the water model gives no liquid volume at %g K and %g "
                            "bar; no density is given\n",
                            T, P * 1e-5);
            refuse();
            return rho;
        }
    } else if (waterSource == 1) {
        Vw = WaterEOS::calculateSpiveyVolume(T, P / 1e5, &Kw, beyondFit);
        if (!(Vw > 0.0)) {  // outside Spivey's water (said): no density
            refuse();
            return rho;
        }
    } else {
        return 0.0;
    }
    const double rhow = kWaterMolarMass / Vw;
    const double dVwdP = 1.0 / Kw;
    // Bradley & Pitzer's dielectric constant over the whole range of the fit.
    double deps = 0.0;  // per bar
    const double eps = water->calculateSolutionDielectric(T, P / 1e5, Vw, Kw, &deps);
    if (!std::isfinite(eps) || !std::isfinite(deps)) {
        platform::diagf("Mao & Duan (2008) brine density: no dielectric constant of water at %g K and %g bar; no "
                        "density is given\n",
                        T, P * 1e-5);
        refuse();
        return rho;
    }
    const double depsdP = deps * 1e-5;
    const double D = 0.5 / std::sqrt(rhow) * (-kWaterMolarMass / (Vw * Vw)) * dVwdP * std::pow(eps, -1.5) -
                     1.5 * std::sqrt(rhow) * depsdP * std::pow(eps, -2.5);
    const double AV = -33.25736 * T * 1945204387271.2803 * (1.0 / 3.0) *
                      std::pow(2.566971139329e-38 / (1.536189334327748e-33 * T), 1.5) * D;
    mM = nuM * m;
    mX = nuX * m;
    const double I = 0.5 * (mM * zM * zM + mX * zX * zX);
    const double Iref = 0.5 * mref * (nuM * zM * zM + nuX * zX * zX);
    const double h = std::log(1.0 + 1.2 * std::sqrt(I)) / 2.4;
    const double href = std::log(1.0 + 1.2 * std::sqrt(Iref)) / 2.4;
    const double PM = P * 1e-6;
    const double a = 1.0 / (T - 227.0);
    const double b = 1.0 / (647.0 - T);
    const double T2 = T * T, T3 = T2 * T;
    const double Vref = c[1] + c[2] * T + c[3] * T2 + c[4] * T3 + PM * (c[5] + c[6] * T + c[7] * T2 + c[8] * T3);
    const double B = c[9] * a + c[10] + c[11] * T + c[12] * T2 + c[13] * b +
                     PM * (c[14] * a + c[15] + c[16] * T + c[17] * T2 + c[18] * b);
    const double C = nuM * zM * (c[19] * a + c[20] + c[21] * T + c[22] * T2 + c[23] * b);
    const double W = 1e6 / rhow;
    const double zz = std::fabs(zM * zX);
    const double Vs = m * Vref / mref + (1.0 - m / mref) * W + zz * nu * AV * (h - href) * 1e6 * m +
                      2.0 * nuM * nuX * R * T * m * ((m - mref) * B + (m * m - mref * mref) * C);
    v = Vs / (1000.0 + 1000.0 * m * Ms) * 0.001;
    M = meanMolarMass(m, Ms);
    rho = 1.0 / v;
    V = M / rho;
    Vphi0 = (Vref - W) / mref - zz * nu * AV * href * 1e6 - 2.0 * nuM * nuX * R * T * (B * mref + C * mref * mref);
    return rho;
}

void MaoDuanSalinityModel::compare_with_Potter_Brown() {
    PotterBrown pb;
    int n = 0;
    double sum = 0.0;
    for (int im = 0; im < PotterBrown::kMolalities; ++im) {
        const double mm = PotterBrown::molalityNodes[im];
        std::printf("%12s %12s %12s %12s %12s %12s \n\n", "m", "T (\xC2\xB0" "C)", "P (bar)", "rho_Mao (kg/m3)",
                    "rho_Pot (kg/m3)", "dev (%)");
        for (int it = 0; it < 12; ++it) {
            const double t = PotterBrown::temperatureNodes[it];
            for (int ip = 1; ip <= 10; ++ip) {
                const double p = PotterBrown::pressureNodes[ip];
                temperature(t + 273.15);
                pressure(p);
                molality(mm);
                errorflag = 0;
                double rm = calculate_density();
                if (errorflag) rm = 1.0;
                pb.T = t + 273.15;
                pb.P = p * 1e5;
                pb.m = mm;
                pb.M = meanMolarMass(mm, pb.Ms);
                double rp = pb.calculate_density();
                if (pb.errorflag) rp = std::nan("");
                else {
                    ++n;
                    sum += std::fabs(100.0 * (rm - rp) / rp);
                }
                std::printf("%12lf %12lf %12lf %12lf %12lf %12lf\n", mm, t, p, rm, rp, 100.0 * (rm - rp) / rp);
            }
        }
        std::printf("\n");
    }
    std::printf("n %d dev %f\n", n, n ? sum / n : 0.0);
}
