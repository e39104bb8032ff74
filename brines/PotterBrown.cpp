#include "brines/PotterBrown.h"

#include <array>
#include <cmath>

#include "numerics/Secant.h"
#include "platform/LogSink.h"

const double PotterBrown::molalityNodes[kMolalities] = {0, 0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5, 5, 5.5, 6};
const double PotterBrown::temperatureNodes[kTemperatures] = {25,  50,  75,  100, 125, 150, 175, 200, 225, 250,
                                                             275, 300, 325, 350, 375, 400, 425, 450, 475, 500};
const double PotterBrown::pressureNodes[kPressures] = {1,   100, 200, 300, 400,  500,  600, 700,
                                                       800, 900, 1000, 1250, 1500, 1750, 2000};

namespace {

constexpr int cell(int im, int it, int ip) { return im * 300 + it * 15 + ip; }

// The density table (g/cm3).  Only the cells published with the table's
// check values are held here; every other cell is 0, which the interpolation
// treats as "no value" (an interpolation with all corners empty reports an
// error rather than a density).
std::array<double, 3900> makeTable() {
    std::array<double, 3900> d{};
    const double water25[15] = {0.997003, 1.001467, 1.00584,  1.010124, 1.014323, 1.018439, 1.022475, 1.026434,
                                1.030319, 1.03413,  1.037872, 1.046935, 1.055609, 1.063923, 1.071908};
    for (int ip = 0; ip < 15; ++ip) d[cell(0, 0, ip)] = water25[ip];
    d[cell(0, 19, 1)] = 0.030478;
    d[cell(12, 0, 0)] = 1.19288;
    d[cell(12, 0, 14)] = 1.251;
    d[cell(12, 19, 8)] = 0.822;
    d[cell(12, 19, 14)] = 0.975;
    d[cell(11, 19, 7)] = 0.8;
    return d;
}

// Node pair and weight of x on a grid: end nodes outside it, else the first
// bracket node[i] < x <= node[i+1].
void bracket(const double* nodes, int n, double x, int& i0, int& i1, double& w) {
    if (!(x > nodes[0])) {
        i0 = i1 = 0;
        w = 0.0;
        return;
    }
    if (x > nodes[n - 1]) {
        i0 = i1 = n - 1;
        w = 0.0;
        return;
    }
    for (int i = 0; i < n - 1; ++i) {
        if (nodes[i] < x && x <= nodes[i + 1]) {
            i0 = i;
            i1 = i + 1;
            w = (x - nodes[i]) / (nodes[i + 1] - nodes[i]);
            return;
        }
    }
    i0 = i1 = n - 1;  // NaN lands here
    w = 0.0;
}

// One interpolation step.  An empty cell (0) holds no density: where it
// carries weight the state has no value (0), since the neighbour's density
// belongs to another molality, temperature or pressure; an empty end of no
// weight (a state on the other node) leaves the other's value.
double blend(double lo, double hi, double w) {
    if ((lo == 0.0 && w < 1.0) || (hi == 0.0 && w > 0.0)) return 0.0;
    return w == 0.0 ? lo : (w == 1.0 ? hi : hi * w + lo * (1.0 - w));
}

// The table spans 0 to 6 mol/kg, 25 to 500 C and 1 to 2000 bar (Potter &
// Brown 1977); beyond its nodes it has no density (the last node's value would
// stand for states it does not describe).  A rounding's tolerance at the ends
// keeps 298.15 K on the first temperature node.
bool onTheGrids(double m, double t, double P) {
    constexpr double tol = 1e-9;
    return m >= -tol && m <= 6.0 + tol && t >= 25.0 - tol && t <= 500.0 + tol && P >= 1.0 - tol &&
           P <= 2000.0 + tol;
}

}  // namespace

const double* PotterBrown::table() {
    static const std::array<double, 3900> t = makeTable();
    return t.data();
}

double PotterBrown::calculate_Potter_Brown_density(double T_K, double P_bar, double m_) {
    const double t = T_K - 273.15;
    if (!onTheGrids(m_, t, P_bar)) {
        platform::diagf("PotterBrown: %g K, %g bar and %g mol/kg lie outside the density table (25 to 500 C, 1 to "
                        "2000 bar, 0 to 6 mol/kg); no density is given\n",
                        T_K, P_bar, m_);
        errorflag = 1;
        return 0.0;
    }
    int m0, m1, t0, t1, p0, p1;
    double wm, wt, wp;
    bracket(molalityNodes, kMolalities, m_, m0, m1, wm);
    bracket(temperatureNodes, kTemperatures, t, t0, t1, wt);
    bracket(pressureNodes, kPressures, P_bar, p0, p1, wp);
    const double* d = table();
    const int ti[2] = {t0, t1}, pi[2] = {p0, p1};
    double alongM[2][2];
    for (int b = 0; b < 2; ++b)
        for (int c = 0; c < 2; ++c)
            alongM[b][c] = blend(d[cell(m0, ti[b], pi[c])], d[cell(m1, ti[b], pi[c])], wm);
    double alongT[2];
    for (int c = 0; c < 2; ++c) alongT[c] = blend(alongM[0][c], alongM[1][c], wt);
    const double r = blend(alongT[0], alongT[1], wp);
    errorflag = (r == 0.0) ? 1 : 0;
    return r;
}

double PotterBrown::calculate_density() {
    rho = 1000.0 * calculate_Potter_Brown_density(T, P / 1e5, m);
    if (errorflag != 0) {
        // No density (a state off the table or next to its empty cells): NaN,
        // never 0 kg/m3 with an infinite volume.
        if (onTheGrids(m, T - 273.15, P * 1e-5))
            platform::diagf("PotterBrown: the density table holds no value at %g K, %g bar and %g mol/kg\n", T,
                            P * 1e-5, m);
        refuse();
    } else {
        V = M / rho;
        v = 1.0 / rho;
        Vphi0 = std::nan("");  // the table gives no apparent molar volume
    }
    return rho;
}

void PotterBrown::calculate_molar_volume() { calculate_density(); }

double PotterBrown::equation_for_pressure(double P_Pa, void* data) {
    P = P_Pa;
    calculate_molar_volume();
    return V - *static_cast<double*>(data);
}

void PotterBrown::calculate_pressure(double V_target) {
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&PotterBrown::equation_for_pressure);
    s.data = &V_target;
    s.x0 = P > 0.0 ? P : 1e5;  // a secant from two zero points has no first step
    s.x1 = 1.0001 * s.x0;
    {
        platform::ThreadLogCapture trials;  // a trial off the table is no failure of the search
        s.solve();
    }
    if (s.status != 0 || errorflag != 0) {
        platform::diagf("PotterBrown: no pressure of the density table gives %g cm3/mol at %g K and %g mol/kg\n",
                        V_target * 1e6, T, m);
        P = std::nan("");
        refuse();
    }
}
