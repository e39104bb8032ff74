// Curve and diagram drivers of the Anderko model: each prepares a state or
// start values for its system and hands the tracing to the framework, the
// mixture tracers or the two-phase solver.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "equilibria/IFP.h"
#include "families/anderko/Anderko.h"
#include "fluid/CriticalPoints.h"
#include "platform/ConsoleInput.h"
#include "platform/DataFiles.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

double Anderko::saltMoleFraction(double w) { return w / ((100.0 - w) * 58.5 / 18.0 + w); }

void Anderko::calculateTheIsotherm(double T_, const char* suffix) {
    const std::string name = std::string("isot") + (suffix ? suffix : "");
    initializeBubblePoint2(T_, 0.33);
    calculate_an_isotherm_of_the_binary_system(name.c_str(), 1, 0.005, 1.0, 10000.0, T_, Vl0, Vv0, 0.33, 1e-06, 1,
                                               suffix);
}

void Anderko::calculateTheIsochorFromTP(double T_, double P_bar, double w, const char* suffix) {
    if (component_count != 2) return;
    const double x1 = saltMoleFraction(w);
    composition(1.0 - x1, x1);
    pressure(P_bar);
    temperature(T_);
    calculate_molar_volume();
    if (errorflag) return;
    calculateTheIsochor(V, 270.0, T_, 0, 1, suffix, nullptr);
}

void Anderko::calculateSpinodalCurveX(double w, const char* suffix) {
    if (component_count != 2) return;
    const double x1 = saltMoleFraction(w);
    const double V0 = 2.5e-05 * std::exp(-76.0 * x1) + 3.6e-05;
    composition(1.0 - x1, x1);
    calculateSpinodalCurveInMixture(3262.0 * x1 + kWaterCritical.T, V0, 0, 200.0, -1.0, 1, suffix, 1);
}

void Anderko::calculateTheDensityFromTh(double Th) {
    if (component_count != 2) return;
    const double x1 = x[1];
    if (phase_kind == 2) {
        initializeBubblePoint2(Th, x1);
        calculate_bubble_point(Th, Vl0, Vv0, x_liquid.size() > 1 ? x_liquid[1] : x1,
                               x_vapour.size() > 1 ? x_vapour[1] : x1);
    } else if (phase_kind == 1) {
        initializeDewPoint2(Th, x1, 1);
        calculate_dew_point(Th, Vl0, Vv0, x_liquid.size() > 1 ? x_liquid[1] : x1,
                            x_vapour.size() > 1 ? x_vapour[1] : x1);
    }
}

void Anderko::calculateTheIsopleth4(const char* suffix, double T_, double x1, double, int kind, char mode, int branch,
                                    std::vector<double>* out) {
    if (component_count != 2) return;
    x_liquid.resize(2, 0.0);
    x_vapour.resize(2, 0.0);
    if (kind == 2) {
        initializeBubblePoint2(T_, x1);
        calculate_an_isopleth(T_, Vl0, Vv0, x1, x_vapour[1], 300000000.0, 1.0, 100000.0, 2, mode, suffix, out);
    } else if (kind == 1) {
        initializeDewPoint2(T_, x1, branch);
        calculate_an_isopleth(T_, Vl0, Vv0, x_liquid[1], x1, 300000000.0, branch ? -1.0 : 1.0, 100000.0, 1, mode,
                              suffix, out);
    }
}

void Anderko::calculateTheCriticalCurve(const char* suffix) {
    if (component_count != 2) {
        // A curve of a binary system only; the model is left as it is.
        platform::diagf("Not a binary system: N = %d\n", component_count);
        return;
    }
    const std::string name = std::string("crit") + (suffix ? suffix : "");
    temperature(critical_T);
    volume(critical_V);
    // The curves end at the upper end of the range the model was fitted on
    // (criticalCurveTmax, set with the system).
    if (systemCode == kSystemH2O_CO2 || systemCode == kSystemH2O_CH4)
        calculate_the_critical_curve(name.c_str(), kCriticalCurveFromComponent0, 0, -1.0, 0.005, 1e-06, -1.0, 1,
                                     suffix, nullptr);
    else if (systemCode == kSystemH2O_NaCl)
        calculate_the_critical_curve(name.c_str(), kCriticalCurveFromComponent0, 0, 1.0, 0.005, 1e-06, -1.0, 1,
                                     suffix, nullptr);
    else
        // No start and direction of this system's curve (H2O-KCl): refused,
        // never passed over as if the curve had been written.
        platform::diagf("The model %s traces the critical curves of H2O-NaCl, H2O-CO2 and H2O-CH4, not of %s-%s: "
                        "no critical curve is written.\n",
                        modelName(), componentName(0), componentName(1));
}

void Anderko::calculateTheLiquidLiquidIsopleth3(const char* suffix, double T_, double x1, double x2, double d) {
    const std::string name = std::string("isol") + (suffix ? suffix : "");
    useVLE();
    if (!vle_) return;
    // Without its start table the isopleth has no start of its own (the
    // solver's state is the last calculation's): refused.
    if (!initializeFromFile("init/LL_H2ONaClCH4", T_, x1, x2)) {
        platform::diagf("No liquid-liquid isopleth without its start table.\n");
        return;
    }
    vle_->first_init_flag = 0;
    std::FILE* f = platform::openOutput(name, "wt");
    if (!f) return;
    vle_->calculate_an_isopleth(T_, 0.0, f, suffix, Tmin, 1300.0, d, 100000.0, 1, 1, nullptr);
    platform::closeOutput(f, name);
}

void Anderko::calculateTheIsopleth3(const char* suffix, double T_, double x1, double x2, double d) {
    const std::string name = std::string("isop") + (suffix ? suffix : "");
    useVLE();
    if (!vle_) return;
    initializeFromTx(T_, x1, x2);
    vle_->first_init_flag = 0;
    std::FILE* f = platform::openOutput(name, "wt");
    if (!f) return;
    vle_->calculate_an_isopleth(T_, 0.0, f, suffix, Tmin, 1300.0, d, 100000.0, 0, 1, nullptr);
    // No starting point: start again from the liquid-gas table, where there
    // is one.
    if (vle_->error == 3 && initializeFromFile("init/LG_H2ONaClCH4", T_, x1, x2))
        vle_->calculate_an_isopleth(T_, 0.0, f, suffix, Tmin, 1300.0, 1.0, 100000.0, 0, 1, nullptr);
    platform::closeOutput(f, name);
}

void Anderko::calculateTheTernary(const char* suffix, double T_, double P_bar, double x1, double x2, double y1,
                                  double y2, double Vl, double Vv, double d, int liquidLiquid, int pole) {
    if (component_count != 3) {
        platform::diagf("Not a ternary system: N = %d\n", component_count);
        return;
    }
    useVLE();
    if (!vle_) return;
    vle_->first_init_flag = 0;
    vle_->temperature(T_);
    vle_->pressure(P_bar);
    Vl0 = Vl;
    vapour_->Vv0 = Vv;
    const double z[3] = {1 - x1 - x2, x1, x2}, y[3] = {1 - y1 - y2, y1, y2};
    for (int i = 0; i < 3; i++) {
        vle_->composition(i, z[i]);
        vle_->xcomposition(i, z[i]);
        vle_->ycomposition(i, y[i]);
    }
    vapour_->set_the_phase_as(liquidLiquid == 1 ? 5 : 1);
    vle_->calculate_an_isobaric_isothermal_diagram(T_, P_bar, d, suffix, pole);
}

namespace {

// Rows of a "ter" file that hold numbers (a digit followed by a point), each
// with its 11th column for the sort.
std::vector<std::pair<double, std::string>> numericRows(const std::string& path) {
    std::vector<std::pair<double, std::string>> rows;
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return rows;
    char buf[4096];
    while (std::fgets(buf, sizeof buf, f)) {
        bool numeric = false;
        for (const char* p = buf; p[0] && p[1]; p++)
            if (p[0] >= '0' && p[0] <= '9' && p[1] == '.') numeric = true;
        if (!numeric) continue;
        std::istringstream s(buf);
        std::string tok;
        double key = 0.0;
        for (int c = 1; c <= 11 && (s >> tok); c++)
            if (c == 11) key = std::atof(tok.c_str());
        std::string line(buf);
        if (line.empty() || line.back() != '\n') line += '\n';
        rows.emplace_back(key, line);
    }
    std::fclose(f);
    return rows;
}

}  // namespace

void Anderko::calculateTheTernaryDiagram(double T_, double P_bar, const char* suffix) {
    if (component_count != 3) {
        reportNoCurve("ternary diagram of a system that is not ternary");
        return;
    }
    std::FILE* in = platform::openDataFile("init/initH2ONaClCh4", "r");
    if (!in) {
        platform::diagf("No ternary diagram without its start table.\n");
        return;
    }
    // Rows of 13 numbers: T, P, x0 x1 x2, y0 y1 y2, Vl Vv (cm3/mol), 3 not read.
    std::vector<std::vector<double>> held;
    std::vector<double> prev(13), cur(13);
    auto readRow = [&](std::vector<double>& r) {
        for (int i = 0; i < 13; i++)
            if (std::fscanf(in, "%lg", &r[i]) != 1) return false;
        return true;
    };
    if (readRow(prev)) {
        while (held.size() < 200 && readRow(cur)) {
            if (cur[3] == prev[3] && cur[4] == prev[4] &&
                ((prev[0] <= T_ && T_ <= cur[0]) || (cur[0] <= T_ && T_ <= prev[0]))) {
                const double t = cur[0] != prev[0] ? (T_ - prev[0]) / (cur[0] - prev[0]) : 0.0;
                std::vector<double> r(10);
                r[0] = T_;
                for (int i = 1; i <= 9; i++) r[i] = (1 - t) * prev[i] + t * cur[i];
                held.push_back(r);
            }
            prev = cur;
        }
    }
    std::fclose(in);
    if (held.size() < 2) {
        platform::diagf("The start table of the ternary diagram holds no two-phase states about %g K: no ternary "
                        "diagram.\n",
                        T_);
        return;
    }

    // States at P interpolated between consecutive held rows.
    auto forEachState = [&](auto&& f) {
        int count = 0;
        for (std::size_t i = 0; i + 1 < held.size(); i++) {
            const auto& a = held[i];
            const auto& b = held[i + 1];
            if (!(a[1] <= P_bar && P_bar <= b[1])) continue;
            const double t = b[1] != a[1] ? (P_bar - a[1]) / (b[1] - a[1]) : 0.0;
            double v[10];
            for (int k = 0; k < 10; k++) v[k] = (1 - t) * a[k] + t * b[k];
            std::printf("%3d %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg \n", count, v[8], v[9], v[2], v[3], v[4],
                        v[5], v[6], v[7]);
            if (f(count, v)) return count;
            count++;
        }
        return count;
    };
    std::printf("\n");
    forEachState([](int, const double*) { return false; });
    std::printf("Select the number : ");
    const int sel = getInteger(-1, consoleIn);
    std::printf("Liquid-liquid ? (1/0) ");
    const int ll = getInteger(0, consoleIn);
    std::printf("Pole ? (0/1/2) ");
    const int pole = getInteger(0, consoleIn);
    if (pole < 0 || pole > 2) {
        platform::diagf("Pole %d: 0, 1 or 2 expected\n", pole);
        return;
    }
    bool traced = false;
    std::vector<std::pair<double, std::string>> first, second;
    forEachState([&](int n, const double* v) {
        if (n != sel) return false;
        calculateTheTernary("000", T_, P_bar, v[3], v[4], v[6], v[7], v[8] * 1e-6, v[9] * 1e-6, 0.001, ll, pole);
        first = numericRows("ter000");
        calculateTheTernary("111", T_, P_bar, v[3], v[4], v[6], v[7], v[8] * 1e-6, v[9] * 1e-6, -0.001, ll, pole);
        second = numericRows("ter111");
        traced = true;
        return true;
    });
    if (!traced) {
        platform::diagf("No state numbered %d\n", sel);
        return;
    }
    // The first branch by its last column descending, the second ascending, joined.
    std::stable_sort(first.begin(), first.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::stable_sort(second.begin(), second.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const std::string sfx = suffix ? suffix : "";
    const std::string path = "ter" + sfx;
    std::FILE* f = platform::openOutput(path, "w");
    if (!f) return;
    std::fprintf(f, "IGOR\n");
    const char* names[11] = {"T", "P", "x0", "x1", "x2", "y0", "y1", "y2", "Vl", "Vv", "i"};
    std::fprintf(f, "WAVES %5s%s  %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s\n", names[0],
                 sfx.c_str(), names[1], sfx.c_str(), names[2], sfx.c_str(), names[3], sfx.c_str(), names[4],
                 sfx.c_str(), names[5], sfx.c_str(), names[6], sfx.c_str(), names[7], sfx.c_str(), names[8],
                 sfx.c_str(), names[9], sfx.c_str(), names[10], sfx.c_str());
    std::fprintf(f, "BEGIN\n");
    for (const auto& r : first) std::fputs(r.second.c_str(), f);
    for (const auto& r : second) std::fputs(r.second.c_str(), f);
    std::fprintf(f, "END\n");
    platform::closeOutput(f, path);
}
