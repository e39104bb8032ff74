// Command words of the Anderko model and its checks against published
// volumetric data of gas-water-salt mixtures: Duan, Møller & Weare (1995,
// H2O-NaCl-CO2 after Gehrig 1980) and Duan, Møller & Weare (2003, H2O-CH4 and
// H2O-NaCl-CH4).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "families/anderko/Anderko.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace {

// The check words and the system each check's published volumes are of.
struct CheckWord {
    const char* word;
    int system;               // 0: the table holds no data
    const char* systemName;
    void (Anderko::*check)();
};
constexpr CheckWord kCheckWords[] = {
    {"table1", 0, "", nullptr},
    {"table2", kSystemH2O_NaCl_CO2, "H2O-NaCl-CO2 (Duan, Moller & Weare 1995)", &Anderko::testTable6Duan95},
    {"table3", kSystemH2O_CH4, "H2O-CH4 (Duan, Moller & Weare 2003)", &Anderko::testTable4Duan03},
    {"table4", kSystemH2O_NaCl_CH4, "H2O-NaCl-CH4 (Duan, Moller & Weare 2003)", &Anderko::testTable7Duan03},
};

}  // namespace

bool Anderko::takesCommandWord(const char* word) const {
    if (!word) return false;
    for (const CheckWord& c : kCheckWords)
        if (std::strcmp(word, c.word) == 0) return true;
    return std::strcmp(word, "test1") == 0;
}

int Anderko::doCommandEx(int argc, char* const* argv) {
    if (argc < 1 || !argv || !argv[0]) return 0;
    const char* w = argv[0];
    for (const CheckWord& c : kCheckWords) {
        if (std::strcmp(w, c.word) != 0) continue;
        // A check of another system, or of a table without data, computes
        // nothing: said, never passed over as if it had been written.
        if (c.system == 0)
            platform::diagf("The %s command names a table of Duan, Moller & Weare (1995) that holds no volumes: "
                            "nothing is computed.\n",
                            w);
        else if (static_cast<int>(static_cast<signed char>(systemCode)) != c.system)
            platform::diagf("The %s command checks the system %s against its published volumes; the model holds "
                            "another system: nothing is computed.\n",
                            w, c.systemName);
        else
            (this->*c.check)();
        return 1;
    }
    if (std::strcmp(w, "test1") == 0) {
        // Seven words follow; with fewer the command is refused whole (its
        // words taken, so that none of them is read as another command).
        if (argc < 8) {
            platform::diagf("test1: T V0 xsalt xgas dT branch suffix expected\n");
            return argc;
        }
        // The suffix ends the name of the spinodal file: refused as every
        // command's suffix is, the command's words taken all the same.
        if (const std::string why = platform::suffixRefusal(argv[7], "test1"); !why.empty()) {
            platform::diagf("%s\n", why.c_str());
            return 8;
        }
        doTest1(std::atof(argv[1]), std::atof(argv[2]), std::atof(argv[3]), std::atof(argv[4]), std::atof(argv[5]),
                std::atoi(argv[6]), argv[7]);
        return 8;
    }
    return 0;
}

void Anderko::doTest1(double T_, double V0, double xsalt, double xgas, double dT, int branch, const char* suffix) {
    platform::tracef("T %12f V0 %12f xsalt %12f xgas %12f dT %5lf suffix %s\n", T_, V0, xsalt, xgas, dT, suffix);
    if (component_count != 3) {
        platform::diagf("test1: a system of three components is needed\n");
        return;
    }
    composition(1.0 - xsalt - xgas, xsalt, xgas);
    calculateSpinodalCurveInMixture(T_, V0 * 1e-6, static_cast<char>(branch), 573.15, dT, 1, suffix, 1);
}

void Anderko::test(int which) {
    if (which != 1) return;
    setSystemCode(kSystemH2O_NaCl_CO2);
    if (component_count != 3) return;
    volume(5.794e-05);
    temperature(733.0);
    composition(0.9789, 0.0193, 0.0018);
    calculate_pressure();
    calculate_state_functions();
    dump();
    print_parse_tree(stdout);
}

namespace {

struct Row {
    double T, P, xs, xg, vexp;
};

// One check: rows of (T, P, salt or second-component fraction, gas fraction,
// measured molar volume in cm3/mol) written with the model's volume to "test".
void runTable(Anderko& m, const Row* rows, int nrows, bool binary, const char* gas) {
    std::FILE* f = platform::openOutput("test", "wt");
    if (!f) return;
    if (binary)
        std::fprintf(f, "%3s %6s %6s %6s %6s %6s %6s %6s\n", "err", "T", "P", "xNaCl", "xH2O", "vexp", "v", "e");
    else
        std::fprintf(f, "%3s %6s %6s %6s %6s %6s %6s %6s %6s\n", "err", "T", "P", "xNaCl", "xH2O", gas, "vexp", "v",
                     "e");
    for (int r = 0; r < nrows; r++) {
        const Row& w = rows[r];
        if (r == 12) std::fprintf(f, "\n");
        if (binary)
            m.composition(1.0 - w.xs, w.xs);
        else
            m.composition(1.0 - w.xs - w.xg, w.xs, w.xg);
        m.calculateFromTP(w.T, w.P, 1);
        const double v = m.V * 1e6;
        const double e = 100.0 * (v - w.vexp) / w.vexp;
        if (binary)
            std::fprintf(f, "%3d %6.2f %6.0lf %6.4lf %6.4lf %6.2f %6.2f %6.2f\n", m.errorflag, w.T, w.P, w.xs,
                         1.0 - w.xs, w.vexp, v, e);
        else
            std::fprintf(f, "%3d %6.2f %6.0lf %6.4lf %6.4lf %6.4lf %6.2f %6.2f %6.2f\n", m.errorflag, w.T, w.P, w.xs,
                         1.0 - w.xs - w.xg, w.xg, w.vexp, v, e);
    }
    platform::closeOutput(f, "test");
}

}  // namespace

void Anderko::testTable4Duan03() {
    if (systemCode != kSystemH2O_CH4 || component_count != 2) return;
    static const Row rows[] = {
        {673.15, 400.0, 0.2, 0, 88.6},   {673.15, 1000.0, 0.2, 0, 40.31},  {673.15, 2000.0, 0.2, 0, 30.94},
        {673.15, 400.0, 0.5, 0, 127.76}, {673.15, 1000.0, 0.5, 0, 60.44},  {673.15, 2000.0, 0.5, 0, 42.47},
        {673.15, 400.0, 0.8, 0, 149.3},  {673.15, 1000.0, 0.8, 0, 74.27},  {673.15, 2000.0, 0.8, 0, 51.45},
    };
    runTable(*this, rows, 9, true, "");
}

void Anderko::testTable6Duan95() {
    if (systemCode != kSystemH2O_NaCl_CO2 || component_count != 3) return;
    static const Row rows[] = {
        {733.0, 416.0, 0.0193, 0.0018, 61.14}, {733.0, 435.0, 0.0191, 0.0121, 57.88},
        {713.0, 406.0, 0.0186, 0.0375, 62.03}, {713.0, 403.0, 0.0185, 0.04, 61.14},
        {703.0, 407.0, 0.0183, 0.0514, 58.08}, {733.0, 517.0, 0.0183, 0.0514, 51.97},
        {703.0, 412.0, 0.018, 0.0674, 61.14},  {733.0, 402.0, 0.0324, 0.0213, 66.24},
        {743.0, 457.0, 0.0324, 0.0213, 56.05}, {713.0, 400.0, 0.0317, 0.0431, 57.06},
        {763.0, 403.0, 0.0714, 0.0027, 71.33}, {713.0, 423.0, 0.0669, 0.0654, 56.05},
        {938.0, 7458.0, 0.041, 0.187, 27.67},  {930.0, 6600.0, 0.0352, 0.28, 30.78},
        {924.0, 6800.0, 0.0244, 0.489, 35.6},  {940.0, 7400.0, 0.0617, 0.29, 29.96},
    };
    runTable(*this, rows, 16, false, "xCO2");
}

void Anderko::testTable7Duan03() {
    if (systemCode != kSystemH2O_NaCl_CH4 || component_count != 3) return;
    static const double P[4] = {1000.0, 1500.0, 2000.0, 2500.0};
    static const double xs[6] = {0.0235, 0.0209, 0.0183, 0.0157, 0.0131, 0.0104};
    static const double xg[6] = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
    static const double v[4][6] = {{43.2, 51.05, 59.2, 66.0, 72.7, 77.7},
                                   {34.0, 40.6, 46.0, 50.7, 55.5, 60.0},
                                   {30.0, 35.5, 39.3, 43.5, 47.0, 50.7},
                                   {27.5, 32.0, 36.8, 40.7, 43.5, 44.8}};
    Row rows[24];
    for (int p = 0; p < 4; p++)
        for (int k = 0; k < 6; k++) rows[6 * p + k] = Row{800.0, P[p], xs[k], xg[k], v[p][k]};
    runTable(*this, rows, 24, false, "xCH4");
}
