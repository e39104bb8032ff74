#include "brines/SaltCorr.h"

#include "brines/CurveFile.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "fluid/CriticalPoints.h"

namespace {

constexpr double kTc = kWaterCritical.T;

// ln(P/Pc) of pure water, the saturation-pressure equation of Wagner & Pruss.
double waterG(double T) {
    const double tau = 1.0 - T / kTc;
    return (-7.85951783 * tau + 1.84408259 * std::pow(tau, 1.5) - 11.7866497 * std::pow(tau, 3.0) +
            22.6807411 * std::pow(tau, 3.5) - 15.9618719 * std::pow(tau, 4.0) + 1.80122502 * std::pow(tau, 7.5)) /
           (T / kTc);
}

double criticalTemperature(int type, double c1, double c2, double c3, double c4, double x) {
    if (type == 1) return kTc + c1 * std::sqrt(x) + c2 * x + c3 * x * x + c4 * x * x * x * x;
    if (type == 2) return kTc + c2 * x / (c1 * c1 + x) + c3 * x * x + c4 * x * x * x * x;
    platform::diagf("Salt type %d has no critical-temperature correlation\n", type);
    return std::numeric_limits<double>::quiet_NaN();
}

double molalityOf(double x) { return x / (0.018 * (1.0 - x)); }
double weightPercent(double x, double M) { return 100.0 * x * M / ((1.0 - x) * 18.0 + x * M); }

bool closeTable(std::FILE* f) {
    std::fprintf(f, "END\n");
    const bool ok = !std::ferror(f);
    return std::fclose(f) == 0 && ok;
}

const char* text(const char* s) { return s ? s : ""; }

// Reads the next character that is not a line end; EOF at the end.
int readAnswer(std::FILE* in) {
    int c;
    do c = std::fgetc(in);
    while (c == '\n' || c == '\r' || c == ' ');
    return c;
}

// Reads a number from the rest of the line; false on bad input.
bool readNumber(std::FILE* in, double& x) {
    char line[128];
    if (!std::fgets(line, sizeof line, in)) return false;
    if (line[0] == '\n' && !std::fgets(line, sizeof line, in)) return false;
    char* end = nullptr;
    x = std::strtod(line, &end);
    return end != line && std::isfinite(x);
}

template <class Record>
void runSession(Record& r, std::FILE* in, std::FILE* out, bool weightLine) {
    for (;;) {
        std::fprintf(out, "Type 0 (H2O), 1 (NaCl), 2 (CaCl2), q (Quit) ? ");
        std::fflush(out);
        const int c = readAnswer(in);
        if (c == EOF || c == 'q') return;
        std::fprintf(out, "\tsuffix ? ");
        std::fflush(out);
        const int s = readAnswer(in);
        if (s == EOF) return;
        const char suffix[2] = {static_cast<char>(s), 0};
        if (c == '0') {
            r.getWaterSaturationCurve(suffix);
        } else if (c == '1' || c == '2') {
            if (c == '1') r.setNaClParameters();
            else r.setCaCl2Parameters();
            std::fprintf(out, c == '1' ? "\tNaCl mole fraction ? " : "\tCaCl2 mole fraction ? ");
            std::fflush(out);
            double x = 0.0;
            if (!readNumber(in, x) || x < 0.0 || x >= 1.0) {
                std::fprintf(out, "\tA mole fraction between 0 and 1 is expected\n");
                continue;
            }
            r.getIsopleth(suffix, x);
            if (c == '1' && weightLine) std::fprintf(out, "\tWeight percent : %.2lf\n", weightPercent(x, 58.5));
        }
    }
}

}  // namespace

// ---- SaltCorr

void SaltCorr::setNaClParameters() {
    a = -0.036;
    b = 0.0005;
    c1 = 87.8054;
    c2 = 2425.41;
    c3 = -6077.79;
    c4 = 1170330;
    type = 1;
    xmax = 0.2;
    M = 58.5;
}

void SaltCorr::setCaCl2Parameters() {
    a = -0.036;
    b = 0.0005;
    c1 = 0.147871;
    c2 = 74.4241;
    c3 = -21950.4;
    c4 = 54213200;
    type = 2;
    xmax = 0.037;
    M = 110.0;
}

double SaltCorr::calculatePsat(double T) const { return kWaterCritical.Pbar() * std::exp(waterG(T)); }

double SaltCorr::calculatePc(double T) const {
    return 246990.0 - 1507.0 * T + 3.6339 * T * T - 0.0043301 * std::pow(T, 3) + 2.5531e-6 * std::pow(T, 4) -
           5.9564e-10 * std::pow(T, 5);
}

double SaltCorr::getP0(double T) const { return T <= kTc ? calculatePsat(T) : calculatePc(T); }

double SaltCorr::calculateTc(double x) const { return criticalTemperature(type, c1, c2, c3, c4, x); }

bool SaltCorr::getWaterSaturationCurve(const char* suffix) const {
    std::FILE* f = openCurveFile("satu", suffix);
    if (!f) return false;
    std::fprintf(f, "IGOR\nWAVES %6s%s %12s%s\nBEGIN\n", "T", text(suffix), "P", text(suffix));
    double T = 273.15;
    for (int i = 0; i <= 373; ++i, T += 1.0) std::fprintf(f, "%12lf %12lf\n", T, calculatePsat(T));
    return closeTable(f);
}

bool SaltCorr::getIsotherm(const char* suffix, double T) const {
    std::FILE* f = openCurveFile("isot", suffix);
    if (!f) return false;
    const char* s = text(suffix);
    std::fprintf(f, "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s\nBEGIN\n", "x", s, "p", s, "m", s, "wt", s);
    for (double x = 0.0; x < xmax; x += 0.001) {
        const double m = molalityOf(x);
        std::fprintf(f, "%12lf %12lf %12lf %12lf\n", x, h(m) * getP0(T), m, weightPercent(x, M));
    }
    return closeTable(f);
}

bool SaltCorr::getIsopleth(const char* suffix, double x) const {
    const double Tc = calculateTc(x);
    if (!std::isfinite(Tc)) return false;
    std::FILE* f = openCurveFile("isop", suffix);
    if (!f) return false;
    std::fprintf(f, "IGOR\nWAVES %6s%s %12s%s\nBEGIN\n", "T", text(suffix), "P", text(suffix));
    const double m = molalityOf(x);
    for (double T = 273.15; T < Tc; T += 1.0) std::fprintf(f, "%12lf %12lf\n", T, h(m) * getP0(T));
    return closeTable(f);
}

bool SaltCorr::getCriticalCurve(const char* suffix) const {
    if (type != 1 && type != 2) return std::isfinite(calculateTc(0.0));
    std::FILE* f = openCurveFile("crit", suffix);
    if (!f) return false;
    const char* s = text(suffix);
    std::fprintf(f, "IGOR\nWAVES %6s%s %12s%s %12s%s %12s%s %12s%s\nBEGIN\n", "T", s, "P", s, "x", s, "m", s, "wt", s);
    for (double x = 0.0; x < xmax; x += 0.005) {
        const double Tc = calculateTc(x);
        std::fprintf(f, "%12lf %12lf %12lf %12lf %12lf\n", Tc, calculatePc(Tc), x, molalityOf(x), weightPercent(x, M));
    }
    return closeTable(f);
}

void SaltCorr::session(std::FILE* in, std::FILE* out) { runSession(*this, in, out, true); }

// ---- Shibue

void Shibue::setNaClParameters() {
    q0 = 0.128746;
    q1 = -0.731097;
    q2 = -315.058;
    q3 = 392.767;
    q4 = -2464.4;
    x0 = 0.024;
    c1 = 87.8054;
    c2 = 2425.41;
    c3 = -6077.79;
    c4 = 1170330;
    p0 = 900.404;
    p1 = -29254.2;
    p2 = 1398060;
    p3 = -28075600;
    p4 = 241637000;
    p5 = -718726000;
    type = 1;
    xmax = 0.117;
    M = 58.5;
}

void Shibue::setCaCl2Parameters() {
    q0 = 0.0589403;
    q1 = -0.34023;
    q2 = -447.233;
    q3 = -1247.33;
    q4 = -2432.53;
    x0 = 0.012;
    c1 = 0.147871;
    c2 = 74.4241;
    c3 = -21950.4;
    c4 = 54213200;
    p0 = -0.00647588;
    p1 = 8.58985;
    p2 = 5971.49;
    p3 = -28075600;
    type = 2;
    xmax = 0.037;
    M = 110.0;
}

double Shibue::calculate_g(double T) const { return waterG(T); }

double Shibue::calculate_h(double x) const {
    const double q02 = q0 * q0;
    if (x < x0) return q1 * x / (q02 + x) + q2 * x * x;
    const double s = x0 + q02, u = x - x0;
    return (q02 * q1 / (s * s) + 2.0 * q2 * x0) * u + q3 * u * u + q4 * u * (x * x - x0 * x0) + q1 * x0 / s +
           q2 * x0 * x0;
}

double Shibue::calculateTc(double x) const { return criticalTemperature(type, c1, c2, c3, c4, x); }

double Shibue::calculatePc(double x) const {
    if (type == 1)
        return 10.0 * (kWaterCritical.PMPa() + p0 * x + p1 * x * x + p2 * std::pow(x, 3) + p3 * std::pow(x, 4) + p4 * std::pow(x, 5) +
                       p5 * std::pow(x, 6));
    if (type == 2) return 10.0 * (kWaterCritical.PMPa() + p1 * x / (p0 * p0 + x) + p2 * x * x + p3 * std::pow(x, 4));
    platform::diagf("Salt type %d has no critical-pressure correlation\n", type);
    return std::numeric_limits<double>::quiet_NaN();
}

double Shibue::getPsat(double T, double x) const {
    const double Tc = calculateTc(x);
    if (!std::isfinite(Tc)) return std::numeric_limits<double>::quiet_NaN();
    if (T <= Tc) return calculatePc(x) * std::exp(calculate_g(T) + calculate_h(x));
    return 0.0;
}

bool Shibue::getWaterSaturationCurve(const char* suffix) const {
    std::FILE* f = openCurveFile("satu", suffix);
    if (!f) return false;
    std::fprintf(f, "IGOR\nWAVES %6s%s %12s%s\nBEGIN\n", "T", text(suffix), "P", text(suffix));
    double T = 273.15;
    for (int i = 0; i <= 373; ++i, T += 1.0) std::fprintf(f, "%12lf %12lf\n", T, 221.0 * std::exp(calculate_g(T)));
    return closeTable(f);
}

bool Shibue::getIsotherm(const char* suffix, double T) const {
    if (type != 1 && type != 2) return std::isfinite(calculateTc(0.0));
    std::FILE* f = openCurveFile("isot", suffix);
    if (!f) return false;
    const char* s = text(suffix);
    std::fprintf(f, "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n", "x", s, "p", s, "h", s,
                 "pc", s, "m", s, "wt", s, "gt", s, "tc", s);
    const double g = calculate_g(T);
    for (double x = 0.0; x < xmax; x += 0.001) {
        const double hx = calculate_h(x), pc = calculatePc(x);
        std::fprintf(f, "%12lf %12lf %12lf %12lf %12lf %12lf %12lf %12lf\n", x, pc * std::exp(g + hx), hx, pc,
                     molalityOf(x), weightPercent(x, M), g, calculateTc(x));
    }
    return closeTable(f);
}

bool Shibue::getIsopleth(const char* suffix, double x) const {
    if (type != 1 && type != 2) return std::isfinite(calculateTc(0.0));
    std::FILE* f = openCurveFile("isop", suffix);
    if (!f) return false;
    const char* s = text(suffix);
    std::fprintf(f, "IGOR\nWAVES %6s%s %12s%s %12s%s %12s%s %12s%s\nBEGIN\n", "T", s, "P", s, "Pc", s, "g", s, "h", s);
    const double pc = calculatePc(x), hx = calculate_h(x);
    double T = 273.15;
    for (int i = 0; i <= 373; ++i, T += 1.0) {
        const double g = calculate_g(T);
        std::fprintf(f, "%12lf %12lf %12lf %12lf %12lf\n", T, pc * std::exp(g + hx), pc, g, hx);
    }
    return closeTable(f);
}

bool Shibue::getCriticalCurve(const char* suffix) const {
    if (type != 1 && type != 2) return std::isfinite(calculateTc(0.0));
    std::FILE* f = openCurveFile("crit", suffix);
    if (!f) return false;
    const char* s = text(suffix);
    std::fprintf(f, "IGOR\nWAVES %6s%s %12s%s %12s%s %12s%s %12s%s\nBEGIN\n", "T", s, "P", s, "x", s, "m", s, "wt", s);
    for (double x = 0.0; x < xmax; x += 0.005)
        std::fprintf(f, "%12lf %12lf %12lf %12lf %12lf\n", calculateTc(x), calculatePc(x), x, molalityOf(x),
                     weightPercent(x, M));
    return closeTable(f);
}

void Shibue::session(std::FILE* in, std::FILE* out) { runSession(*this, in, out, true); }
