// Start values of the Anderko model's two-phase work on H2O-NaCl and
// H2O-NaCl-gas: interpolation in tabulated phase boundaries, the nearest row
// of a table, and closed-form fits in the salt and gas fractions.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "equilibria/IFP.h"
#include "families/anderko/Anderko.h"
#include "platform/DataFiles.h"
#include "platform/LogSink.h"

namespace {

constexpr const char* kPhaseBoundaryTable = "init/initH2ONaCl";
constexpr int kMaxHeldRows = 200;

// One row of the phase-boundary table: T, P, x0, x1, y0, y1, Vl, Vv.
struct BoundaryRow {
    double f[8];
};

// Reads the next row of `count` numbers; false at the end of the input or at
// a row that does not hold them (reported once, with its line number).
bool readRow(std::FILE* in, int count, double* out, const std::string& path, int& line) {
    char buf[4096];
    while (std::fgets(buf, sizeof buf, in)) {
        line++;
        const char* p = buf;
        char* end = nullptr;
        int k = 0;
        while (k < count) {
            const double v = std::strtod(p, &end);
            if (end == p) break;
            out[k++] = v;
            p = end;
        }
        if (k == 0) {
            while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') p++;
            if (*p == '\0') continue;  // blank line
        }
        if (k < count) {
            platform::diagf("%s line %d: %d numbers expected\n", path.c_str(), line, count);
            return false;
        }
        return true;
    }
    return false;
}

// Table pass: rows interpolated at value v of the key field within runs of
// equal temperature.
std::vector<BoundaryRow> tablePass(int key, double v) {
    std::vector<BoundaryRow> held;
    std::FILE* in = platform::openDataFile(kPhaseBoundaryTable, "r");
    if (!in) return held;
    const std::string path = kPhaseBoundaryTable;
    int line = 0;
    double prev[19], cur[19];
    if (readRow(in, 19, prev, path, line)) {
        while (static_cast<int>(held.size()) < kMaxHeldRows && readRow(in, 19, cur, path, line)) {
            const double k0 = prev[key], k1 = cur[key];
            if (cur[0] == prev[0] && ((k0 <= v && v <= k1) || (k1 <= v && v <= k0))) {
                const double t = k1 != k0 ? (v - k0) / (k1 - k0) : 0.0;
                BoundaryRow r;
                for (int i = 0; i < 8; i++) r.f[i] = (1 - t) * prev[i] + t * cur[i];
                r.f[0] = cur[0];
                held.push_back(r);
            }
            for (int i = 0; i < 19; i++) prev[i] = cur[i];
        }
    }
    std::fclose(in);
    return held;
}

// Interpolation in T over consecutive entries; the last bracketing pair counts.
bool temperaturePass(const std::vector<BoundaryRow>& rows, double T, BoundaryRow& out) {
    bool found = false;
    for (std::size_t i = 0; i + 1 < rows.size(); i++) {
        const double T0 = rows[i].f[0], T1 = rows[i + 1].f[0];
        if (T0 == T1 || !(T0 <= T && T <= T1)) continue;
        const double t = (T - T0) / (T1 - T0);
        for (int k = 0; k < 8; k++) out.f[k] = (1 - t) * rows[i].f[k] + t * rows[i + 1].f[k];
        out.f[0] = T;
        found = true;
    }
    return found;
}

}  // namespace

namespace {
// The start values of a trace are the call's own: before a table is read
// they are those of a model just made, so that a table without the row asked
// for (or a missing table) never leaves the start of an earlier calculation
// in place.
void forgetStarts(Anderko& m) {
    m.Vl0 = Anderko::kMadeLiquidStart;
    m.Vv0 = Anderko::kMadeVapourStart;
    m.x_liquid.assign(static_cast<std::size_t>(m.component_count), 0.0);
    m.x_vapour.assign(static_cast<std::size_t>(m.component_count), 0.0);
}

void storeRow(Anderko& m, const BoundaryRow& r) {
    m.x_liquid.assign(2, 0.0);
    m.x_vapour.assign(2, 0.0);
    m.x_liquid[0] = r.f[2];
    m.x_liquid[1] = r.f[3];
    m.x_vapour[0] = r.f[4];
    m.x_vapour[1] = r.f[5];
    m.Vl0 = r.f[6] * 1e-6;
    m.Vv0 = r.f[7] * 1e-6;
}

void loadSolver(Anderko& m, double T, double P_bar, double Vv, double z1) {
    IFP* s = m.solver();
    if (!s) return;
    s->temperature(T);
    s->pressure(P_bar);
    m.vapourPhase()->Vv0 = Vv;
    for (int i = 0; i < m.component_count; i++) {
        s->xcomposition(i, m.x_liquid[i]);
        s->ycomposition(i, m.x_vapour[i]);
    }
    s->composition(0, 1.0 - z1);
    s->composition(1, z1);
}
}  // namespace

void Anderko::initializeBubblePoint2(double T_, double x1) {
    if (systemCode != kSystemH2O_NaCl || component_count != 2) return;
    forgetStarts(*this);
    const auto rows = tablePass(3, x1);
    BoundaryRow r;
    if (temperaturePass(rows, T_, r)) {
        storeRow(*this, r);
        loadSolver(*this, T_, r.f[1], Vv0, x1);
    } else if (rows.size() >= 2) {
        storeRow(*this, rows[rows.size() - 2]);
    }
}

void Anderko::initializeFlash2(double T_, double P_bar) {
    if (systemCode != kSystemH2O_NaCl || component_count != 2) return;
    forgetStarts(*this);
    const auto rows = tablePass(1, P_bar);
    BoundaryRow r;
    if (temperaturePass(rows, T_, r))
        storeRow(*this, r);
    else if (rows.size() >= 2)
        storeRow(*this, rows[rows.size() - 2]);
}

void Anderko::initializeDewPoint2(double T_, double x1, int branch) {
    if (systemCode != kSystemH2O_NaCl || component_count != 2) return;
    forgetStarts(*this);
    const auto rows = tablePass(5, x1);
    if (rows.empty()) return;
    // Rows that share their temperature with the next one make a pair: the
    // first goes to the pairs list, the second to the singles list.
    std::vector<BoundaryRow> pairs, singles;
    for (std::size_t i = 0; i < rows.size();) {
        if (i + 1 < rows.size() && rows[i + 1].f[0] == rows[i].f[0]) {
            pairs.push_back(rows[i]);
            singles.push_back(rows[i + 1]);
            i += 2;
        } else {
            singles.push_back(rows[i]);
            i += 1;
        }
    }
    const bool usePairs = branch != 0 && !pairs.empty();
    BoundaryRow r;
    if (!temperaturePass(usePairs ? pairs : singles, T_, r)) {
        // No bracketing entries: one held row, numbered from 0 by the count
        // of the singles list (less one when that list was searched).
        std::size_t k = 0;
        if (!singles.empty()) k = usePairs ? singles.size() : singles.size() - 1;
        if (k >= rows.size()) k = rows.size() - 1;
        r = rows[k];
    }
    storeRow(*this, r);
    platform::tracef("Initialization dew point: T %f xl %f xv %f Vl %f Vv %f P %f \n", T_, x_liquid[1], x_vapour[1], Vl0,
                Vv0, r.f[1]);
    loadSolver(*this, T_, r.f[1], Vv0, x1);
}

bool Anderko::initializeFromFile(const char* path, double T_, double x1, double x2) {
    if (!path || component_count < 2 || component_count > 3) return false;
    forgetStarts(*this);
    std::FILE* in = platform::openDataFile(path, "r");
    if (!in) return false;
    const bool three = component_count == 3;
    double row[13], best[13];
    double dmin = 1e15;
    bool found = false;
    int line = 0;
    while (readRow(in, 13, row, path, line)) {
        double dist = 0.1 * std::fabs(T_ - row[0]) + 100.0 * std::fabs(x1 - row[3]);
        if (three) dist += 20.0 * std::fabs(x2 - row[4]);
        if (dist < dmin) {
            dmin = dist;
            for (int i = 0; i < 13; i++) best[i] = row[i];
            found = true;
        }
    }
    std::fclose(in);
    if (!found) {
        platform::diagf("Initialization from file %s: no row\n", path);
        return false;
    }
    const int n = component_count;
    x_liquid.assign(n, 0.0);
    x_vapour.assign(n, 0.0);
    for (int i = 0; i < n; i++) {
        x_liquid[i] = best[2 + i];
        x_vapour[i] = best[5 + i];
    }
    Vl0 = best[8] * 1e-6;
    Vv0 = best[9] * 1e-6;
    if (IFP* s = solver()) {
        s->temperature(T_);
        s->pressure(best[1]);
        vapourPhase()->Vv0 = Vv0;
        for (int i = 0; i < n; i++) {
            s->xcomposition(i, x_liquid[i]);
            s->ycomposition(i, x_vapour[i]);
        }
        s->composition(0, three ? 1.0 - x1 - x2 : 1.0 - x1);
        s->composition(1, x1);
        if (three) s->composition(2, x2);
    }
    if (three)
        platform::tracef("Initialized from file %s: T %lg P %lg bar x0 %lg x1 %lg x2 %lg y0 %lg y1 %lg y2 %lg Vl %lg "
                    "cm3/mol Vv %lg cm3/mol\n",
                    path, best[0], best[1], best[2], best[3], best[4], best[5], best[6], best[7], best[8], best[9]);
    else
        platform::tracef("Initialized from file %s: T %lg P %lg bar x0 %lg x1 %lg y0 %lg y1 %lg Vl %lg cm3/mol Vv %lg "
                    "cm3/mol\n",
                    path, best[0], best[1], best[2], best[3], best[5], best[6], best[8], best[9]);
    return true;
}

void Anderko::initializeFromTx(double T_, double a, double g) {
    auto clip = [](double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); };
    double ys = clip((-1.574e-05 * a + 8.2156e-06) * a - 1.7038e-08);
    double yg = clip((((-22175 * g + 5872.6) * g - 614.12) * g + 32.883) * g + 0.11369);
    if (g < 0.001) yg = 0.0;
    Vl0 = 2.5e-05;
    double Pg, Vg;
    if (T_ >= 400.0) {
        Pg = (((15953000 * g - 698130) * g + 22190) * g + 61.625) * 100000.0;
        Vg = ((((15008000 * g - 3939400) * g + 383300) * g - 17015) * g + 345.1) * 1e-6;
    } else {
        Pg = ((((-292830000000.0 * g + 9709200000.0) * g - 14009000) * g + 96125) * g - 12.95) * 100000.0;
        Vl0 = 1.6e-05;
        Vg = 0.018 / ((-2713700 * g + 79281) * g - 20.898);
        yg = 0.99;
    }
    IFP* s = solver();
    if (!s) return;
    const double Ps = ((384.13 * a - 247.43) * a + 90.32) * 100000.0;
    const double Vs = (((-29703 * a + 11397) * a + 591.52) * a + 386.84) * 1e-6;
    double Psolver = 0, Vv = 0;
    const int n = component_count;
    auto setPair = [&](double z1, double y1) {
        s->composition(0, 1 - z1);
        s->composition(1, z1);
        s->xcomposition(0, 1 - z1);
        s->xcomposition(1, z1);
        s->ycomposition(0, 1 - y1);
        s->ycomposition(1, y1);
    };
    switch (systemCode) {
        case kSystemH2O_NaCl:
            if (n != 2) return;
            setPair(a, ys);
            Psolver = Ps;
            Vv = Vs;
            break;
        case kSystemH2O_CO2:
        case kSystemH2O_CH4:
            if (n != 2) return;
            setPair(g, yg);
            Psolver = Pg;
            Vv = Vg;
            break;
        case kSystemH2O_NaCl_CH4: {
            if (n != 3) return;
            const double z[3] = {1 - a - g, a, g}, y[3] = {1 - ys - yg, ys, yg};
            for (int i = 0; i < 3; i++) {
                s->composition(i, z[i]);
                s->xcomposition(i, z[i]);
                s->ycomposition(i, y[i]);
            }
            Psolver = Ps;
            const double w = a + g > 0 ? a / (a + g) : 0.0;
            Vv = w * Vs + (1 - w) * Vg;
            break;
        }
        default: return;
    }
    s->P = s->estimate.P = s->previous.P = Psolver;
    vapourPhase()->Vv0 = Vv;
    if (n == 2)
        platform::tracef("Initialized from Tx : T %lg P %lg bar x0 %lg x1 %lg y0 %lg y1 %lg Vl %lg cm3/mol Vv % lg "
                    "cm3/mol\n",
                    T_, s->P * 1e-5, s->x[0], s->x[1], s->y[0], s->y[1], Vl0 * 1e6, Vv * 1e6);
    else
        platform::tracef("Initialized from Tx : T %lg P %lg bar x0 %lg x1 %lg x2 %lg y0 %lg y1 %lg y2 %lg Vl %lg cm3/mol "
                    "Vv % lg cm3/mol\n",
                    T_, s->P * 1e-5, s->x[0], s->x[1], s->x[2], s->y[0], s->y[1], s->y[2], Vl0 * 1e6, Vv * 1e6);
}
