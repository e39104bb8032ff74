// Superheated liquid water: the rate of homogeneous bubble nucleation at one
// temperature as the liquid is decompressed, the same along an isobar while
// the liquid is heated, and fluid-inclusion data (homogenisation and
// nucleation temperatures) turned into densities, pressures and spinodal
// limits.
//
// Classical nucleation theory: the critical nucleus is the vapour of equal
// chemical potential with the liquid; its work is 16 pi sigma^3 / (3 (Pv -
// Pl)^2) with the pressure difference approximated by delta^2 (Psat - Pl)^2;
// the rate is the number density of molecules times a kinetic prefactor
// sqrt(2 sigma / (pi m B)) times exp(-W / kT).
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "console/WaterStudyModel.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace {

constexpr double kBoltzmann = 1.38065812e-23;  // J/K
constexpr double kAvogadro = 6.02213674e+23;   // 1/mol
constexpr double kSixteenPiThird = 16.755160819145562;
constexpr double kPi = 3.141592653589793;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double correction(double b) { return 1.0 - 2.0 * 0.4375 * std::exp(-b); }

// The correction multiplies the exponent -W/kT of the rate: a factor that is
// not positive (b at or below ln 0.875) would make the rate grow without
// bound with the work of the nucleus.
bool positiveCorrection(double b) {
    if (correction(b) > 0.0) return true;
    platform::diagf("The nucleation rate's correction 1 - 0.875 exp(-b) must be positive: b = %g is at or below "
                    "ln 0.875.\n",
                    b);
    return false;
}

// Whether the vapour of the nucleus lies above the liquid's pressure by more
// than the rounding of the two (at saturation they are equal).
bool vapourAboveLiquid(double Pv, double Pl) { return Pv - Pl > 1e-9 * std::fabs(Pv); }

// The radius 2 sigma / (Pv - Pl) of the critical nucleus (nm).
double nucleusRadius(double sigma, double Pv, double Pl) { return 2.0 * sigma / (Pv - Pl) * 1e9; }

// Blander and Katz's factor 1 - (1 - Pl/Pv)/3 of the kinetic prefactor.  It
// falls to 2/3 as the liquid pressure falls to 0; a liquid under tension
// keeps 2/3 instead of driving the factor (and the rate's square root)
// negative.
double blanderKatz(double Pl, double Pv) {
    const double b = 1.0 - (1.0 - Pl / Pv) / 3.0;
    return b < 2.0 / 3.0 ? 2.0 / 3.0 : b;
}

// Skips the rest of the current line; false at the end of the file.
bool skipLine(std::FILE* f) {
    int c;
    while ((c = std::fgetc(f)) != EOF)
        if (c == '\n') return true;
    return false;
}

}  // namespace

void WaterStudyModel::calculateNucleationRate(double T_, double b) {
    const double M = molarMass(), s = correction(b);
    errorflag = 0;
    if (!positiveCorrection(b)) return;
    if (calculateTheSaturationPressure(T_) != 0) {
        errorflag = 0;
        return;
    }
    const double Psat = P;
    double Vl = Vl_sat, Vv = Vv_sat;
    calculateSigma(Vl, Vv);
    const double sig = sigma;
    // The liquid is stretched step by step until no nucleus is found or the
    // liquid reaches its spinodal; a bound guards against a search that
    // never fails.
    for (int i = 0; i < 100000; ++i) {
        searchBubbleNucleusPressure(T_, Vl, Vv);
        if (errorflag) break;
        const double Gl = G_target, VlN = Vl_sat, VvN = Vv_sat;
        set_the_phase_as(2);
        temperature(T_);
        volume(VlN);
        calculate_state_functions();
        // Past the liquid spinodal the stretched liquid is unstable: the
        // walk ends there.
        if (errorflag || !(dPdV < 0.0)) break;
        const double Pl = P;
        set_the_phase_as(1);
        volume(VvN);
        calculate_pressure();
        const double Pv = P;
        // Where the vapour is not above the liquid (at saturation, where the
        // walk starts) no nucleus forms: no row, the walk goes on.
        if (!vapourAboveLiquid(Pv, Pl)) {
            Vv = VvN;
            Vl = VlN + 1e-8;
            continue;
        }
        const double q = VlN / VvN, delta = 1.0 - q + 0.5 * q * q;
        const double W = kSixteenPiThird * sig * sig * sig / ((Psat - Pl) * (Psat - Pl) * delta * delta);
        const double J = std::exp(-W / (T_ * kBoltzmann) * s) * (kAvogadro / VlN) *
                         std::sqrt(2.0 * sig * kAvogadro / (blanderKatz(Pl, Pv) * M * kPi)) *
                         0.5524861878453039;
        lastNucleationRate = J;
        std::printf("\u00b5 %12.4lf Vl %12.4lf Vv %12.4lf Pl %12.4lf Pv %12.4lf r %12.4lf J %12.8lg\tnucleus %12.8lg\n",
                    Gl, VlN * 1e6, VvN * 1e6, Pl * 1e-5, Pv * 1e-5, nucleusRadius(sig, Pv, Pl), J * 1e-6,
                    J * 1e-9 * 24 * 3600);
        Vv = VvN;
        Vl = VlN + 1e-8;
    }
    errorflag = 0;
}

void WaterStudyModel::calculateHeatingNucleationRate(double P_bar, double b) {
    const double M = molarMass(), s = correction(b);
    errorflag = 0;
    // b is also the heating rate of the liquid, that the estimates divide by.
    if (!(b > 0.0)) {
        platform::diagf("The heating rate b of the liquid must be above 0, not %g.\n", b);
        return;
    }
    if (!positiveCorrection(b)) return;
    calculateTheSaturationTemperature(P_bar, 0);
    if (errorflag) {
        // Above the critical pressure the heated liquid does not boil.
        platform::diagf("No boiling point of water at %g bar: the heated liquid has no nucleation to follow.\n", P_bar);
        return;
    }
    const double T0 = T;
    double Vlast = Vl_sat;
    char name[64];
    std::snprintf(name, sizeof name, "nuclea%.0f", 10.0 * P_bar);
    std::FILE* f = platform::openOutput(name, "wt");
    if (!f) {
        return;
    }
    const double Jest = s * (-6999999999.999999) * b * std::log(0.5) * 1e-6;
    std::fprintf(f, "# P (bar)                               : %12g\n", P_bar);
    std::fprintf(f, "# dTdt                                  : %12g\n", b);
    std::fprintf(f, "# Estimated J at nucleation temperature : %12g\n", Jest);
    std::fprintf(f, "# Estimated liquid temperature increase : %12g\n", b / (Jest * 1e-5));
    std::fprintf(f, "\n%12s %12s %12s %12s %12s %12s %12s %12s %12s %12s\n", "# T(1)", "Vl(2)", "Vv(3)", "Pl(4)",
                 "Pv(5)", "r(6)", "J(7)", "J0(8)", "tau(9)", "deltac(10)");
    int rows = 0;
    // Up in temperature until no nucleus is found or the liquid is gone (its
    // spinodal), below the critical temperature.
    for (int i = 0; !errorflag && T0 + i < kCriticalTemperature; ++i) {
        const double t = T0 + i;
        if (calculateTheSaturationPressure(t) != 0) break;
        const double Psat = P, Vv = Vv_sat;
        calculateSigma(Vl_sat, Vv);
        const double sig = sigma;
        Vl0 = Vlast;
        set_the_phase_as(2);
        temperature(t);
        pressure(P_bar);
        calculate_molar_volume();
        // Past its spinodal no liquid exists at P: the volume search then
        // lands on another branch (a jump in volume), and the walk ends.
        if (errorflag || !(dPdV < 0.0) || !(V < kCriticalVolume) || V > 1.2 * Vlast) break;
        Vlast = V;
        searchBubbleNucleusPressure(t, V, Vv);
        if (errorflag) break;
        const double Gl = G_target, VlN = Vl_sat, VvN = Vv_sat;
        set_the_phase_as(2);
        volume(VlN);
        calculate_state_functions();
        const double Pl = P, Hl = H;
        set_the_phase_as(1);
        volume(VvN);
        calculate_state_functions();
        const double Pv = P, Hv = H;
        // At saturation (the boiling point, where the walk starts) the vapour
        // is not above the liquid and no nucleus forms: no row.
        if (!vapourAboveLiquid(Pv, Pl)) continue;
        const double dh = (Hv - Hl) / kAvogadro;
        const double deltac = (sig / calculateWaterConductivity(t)) * std::sqrt(16.62868 / (t * M * kPi)) *
                              (dh * dh / (1.9062168443219346e-46 * t * t)) * (Pv / (Pv - Pl));
        const double A = (1.0 / (deltac + 1.0)) *
                         std::sqrt(2.0 * sig * kAvogadro / (M * kPi * blanderKatz(Pl, Pv))) *
                         (kAvogadro / VlN);
        const double q = VlN / VvN, delta = 1.0 - q + 0.5 * q * q;
        const double J = A * std::exp(-kSixteenPiThird * sig * sig * sig /
                                      ((Psat - Pl) * (Psat - Pl) * t * kBoltzmann * delta * delta) * s);
        const double J0 = A * std::exp(-kSixteenPiThird * sig * sig * sig / (t * kBoltzmann * (Pv - Pl) * (Pv - Pl)) * s);
        lastNucleationRate = J;
        const double r = nucleusRadius(sig, Pv, Pl);
        std::printf("\u00b5 %12.4lf Vl %12.4lf Vv %12.4lf Pl %12.4lf Pv %12.4lf r %12.4lf J %12.8lg\tnucleus %12.8lg\n",
                    Gl, VlN * 1e6, VvN * 1e6, Pl * 1e-5, Pv * 1e-5, r, J * 1e-6, J * 1e-9 * 24 * 3600);
        std::fprintf(f, "%12.2f %12.4lf %12.4lf %12.4lf %12.4lf %12.5G %12.3e %12.3e %12.3e % 12.4e \n", t, VlN * 1e6,
                     VvN * 1e6, Pl * 1e-5, Pv * 1e-5, r, J * 1e-6, J0 * 1e-6, 1.0 / (J * 1e-9 * 24 * 3600), deltac);
        ++rows;
    }
    errorflag = 0;
    platform::closeOutput(f, name);
    lastRows = rows;
}

bool WaterStudyModel::workInclusionData(const char* file) {
    if (file == nullptr || *file == '\0') {
        platform::diagf("No fluid-inclusion data file given.\n");
        return false;
    }
    std::FILE* in = std::fopen(file, "rt");
    if (!in) {
        platform::diagf("Cannot open the fluid-inclusion data file %s\n", file);
        return false;
    }
    // The result file: the data file's name with its last four characters
    // (its extension) replaced by ".res", or ".res" appended to a shorter name.
    std::string outName(file);
    if (outName.size() >= 4) outName.resize(outName.size() - 4);
    outName += ".res";
    std::FILE* out = platform::openOutput(outName, "wt");
    if (!out) {
        std::fclose(in);
        return false;
    }
    for (int i = 0; i < 36; ++i)
        if (!skipLine(in)) break;
    std::fprintf(out, "# %12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\n", "Tt(1)", "Pt(2)",
                 "V(3)", "rho(4)", "Th(5)", "Ph(6)", "Tn(7)", "Pn(8)", "Tsp(9)", "Psp(10)", "Type(11)", "Code(12)");
    const double M = molarMass();
    std::string previousCode;
    bool first = true;
    int rows = 0;
    while (true) {
        double Tt;
        const int got = std::fscanf(in, "%lf", &Tt);
        if (got == EOF) break;
        if (got != 1) {
            // A line that does not start with a number separates two groups.
            if (!skipLine(in)) break;
            std::fprintf(out, "\n\n");
            continue;
        }
        double Pt, Th, Tn;
        char type[32] = {0}, code[32] = {0};
        if (std::fscanf(in, "%lf %lf %lf %31s %31s", &Pt, &Th, &Tn, type, code) != 5) {
            platform::diagf("Incomplete fluid-inclusion record after Tt = %g: the rest of its line is skipped.\n", Tt);
            if (!skipLine(in)) break;
            continue;
        }
        if (!first && previousCode != code) std::fprintf(out, "\n");
        first = false;
        previousCode = code;
        std::printf("Th %lf   Tn %lf \n", Th, Tn);
        errorflag = 0;
        calculateTheDensityFromTh(Th + 273.15);
        double Vl = kNaN, Ph = kNaN, Pn = kNaN, Tsp = kNaN, Psp = kNaN;
        if (!errorflag) {
            Vl = Vl_sat;
            Ph = P * 1e-5;
            calculateFromTV(Tn + 273.15, Vl, 1);
            if (!errorflag) Pn = P * 1e-5;
            errorflag = 0;
            calculateTheLiquidSpinodalTemperatureFromV(Vl);
            if (!errorflag) {
                Tsp = T - 273.15;
                Psp = P * 1e-5;
            }
        }
        errorflag = 0;
        std::fprintf(out, "%12.2f\t%12.2f\t%12.2f\t%12.2f\t%12.2f\t%12.2f\t%12.2f\t%12.2f\t%12.2f\t%12.2f\t%32s\t%32s\n",
                     Tt, Pt, Vl * 1e6, M / Vl, Th, Ph, Tn, Pn, Tsp, Psp, type, code);
        ++rows;
    }
    std::fclose(in);
    platform::closeOutput(out, outName);
    lastRows = rows;
    return true;
}
