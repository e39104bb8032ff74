// Pressures of the equilibria of the ices with vapour and liquid water, after
// the IAPWS release of 1993 on the melting and sublimation pressures of
// ordinary water substance (Wagner, Saul & Pruss, J. Phys. Chem. Ref. Data 23
// (1994) 515).  Results in bar.
#include <cmath>
#include <cstdio>

#include "water/WaterEOS.h"
#include "water/WaterFiles.h"

namespace {

constexpr double kTriplePointT = 273.16;          // K
constexpr double kTriplePointP = 0.000611657;     // MPa

// Melting curve p = pn (1 - a (1 - (T/Tn)^e)) of a high-pressure ice, from its
// lower triple point (Tn, pn).
struct MeltingBranch {
    double Tupper;  // first temperature of the next branch, K
    double Tn;      // K
    double pn;      // MPa
    double a;
    double e;
};

constexpr MeltingBranch kMeltingBranches[] = {
    {256.164, 251.165, 209.9, 0.295252, 60.0},  // ice III
    {273.31, 256.164, 350.1, 1.18721, 8.0},     // ice V
    {355.0, 273.31, 632.4, 1.07476, 4.6},       // ice VI
};

}  // namespace

double WaterEOS::calculateSublimationP(double T_) const {
    const double theta = T_ / kTriplePointT;
    const double p = kTriplePointP * std::exp(-13.928169 * (1.0 - std::pow(theta, -1.5)) +
                                              34.7078238 * (1.0 - std::pow(theta, -1.25)));
    return p * 10.0;
}

double WaterEOS::calculateMeltingP(double T_) const {
    const double theta = T_ / kTriplePointT;
    return 0.00611657 * (1.0 - 626000.0 * (1.0 - std::pow(theta, -3.0)) + 197135.0 * (1.0 - std::pow(theta, 21.2)));
}

double WaterEOS::calculateMeltingP1(double T_) const {
    for (const MeltingBranch& b : kMeltingBranches) {
        if (T_ < b.Tupper) {
            const double theta = T_ / b.Tn;
            return b.pn * (1.0 - b.a * (1.0 - std::pow(theta, b.e))) * 10.0;
        }
    }
    // Ice VII from its triple point with ice VI and the liquid at 355 K.
    const double theta = T_ / 355.0;
    const double p = 2216.0 * std::exp(1.73683 * (1.0 - 1.0 / theta) - 0.0544606 * (1.0 - std::pow(theta, 5.0)) +
                                       8.06106e-8 * (1.0 - std::pow(theta, 22.0)));
    return p * 10.0;
}

namespace {

// "P T" header: Igor in mode 1, a "# " line in the other modes; numbered
// names without a suffix.
void writeIceHeader(std::FILE* f, char mode, const char* suffix) {
    std::fputs(mode == 1 ? "IGOR\nWAVES " : "# ", f);
    if (suffix)
        std::fprintf(f, "%5s%s\t%12s%s\n", "P", suffix, "T", suffix);
    else
        std::fprintf(f, "%9s\t%12s\n", "P(1)", "T(2)");
    if (mode == 1) std::fputs("BEGIN\n", f);
}

void writeIceRow(std::FILE* f, double P_bar, double T) { std::fprintf(f, "%12f\t%12f\n", P_bar, T); }

}  // namespace

void WaterEOS::calculateSublimationCurve(char mode, const char* suffix) {
    water_files::File file = water_files::open(water_files::name("sublim", suffix));
    if (!file) return;
    std::FILE* f = file.get();
    writeIceHeader(f, mode, suffix);
    writeIceRow(f, calculateSublimationP(273.16), 273.16);
    for (int i = 1; i <= 83; ++i) {
        const double t = 273.16 - i;
        writeIceRow(f, calculateSublimationP(t), t);
    }
    writeIceRow(f, calculateSublimationP(190.0), 190.0);
    if (mode == 1) std::fputs("END\n", f);
}

void WaterEOS::calculateMeltingCurve(char mode, const char* suffix) {
    water_files::File file = water_files::open(water_files::name("melt", suffix));
    if (!file) return;
    std::FILE* f = file.get();
    writeIceHeader(f, mode, suffix);
    writeIceRow(f, calculateMeltingP(273.16), 273.16);
    for (int i = 1; i <= 21; ++i) {
        const double t = 273.16 - i;
        writeIceRow(f, calculateMeltingP(t), t);
    }
    writeIceRow(f, calculateMeltingP(251.165), 251.165);
    writeIceRow(f, calculateMeltingP1(251.165), 251.165);
    for (int i = 0; i < 463; ++i) {
        const double t = 252.165 + i;
        writeIceRow(f, calculateMeltingP1(t), t);
    }
    if (mode == 1) std::fputs("END\n", f);
}
