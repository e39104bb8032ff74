// Two-phase equilibrium of an n-component mixture on one model: the
// isothermal-isobaric flash of a feed z, whose tie line must pass through
// the feed (for n > 2: (z0 - y0) x_i - (z0 - x0) y_i - (x0 - y0) z_i = 0, the
// feed, liquid and vapour on one line of the composition simplex), the
// bubble point of a liquid of given composition, and the scan of a ternary's
// tie lines at fixed T and P as the feed moves at a fixed ratio z1 : z2.
// Component 0 always takes the complement of the others' mole fractions.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "fluid/BinarySide.h"
#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/TrialEvaluation.h"
#include "numerics/Newton.h"
#include "platform/LogSink.h"

namespace {

constexpr double kSmallestStepFactor = 1e-4;
constexpr long kMostPoints = 100000;

bool fractionInRange(double z) { return z >= -1e-8 && z <= 1.00000001; }

bool distinctVolumes(double Vl, double Vv, double distinct) {
    return Vl > 0.0 && Vv > 0.0 && std::fabs((Vl - Vv) / Vl) >= distinct && Vl <= Vv;
}

// One phase of an n-component evaluation.
struct SideN {
    std::vector<double> f, fV;               // fugacities, (df_i/dV)_T,x
    std::vector<std::vector<double>> fz;     // (df_i/dx_j)_T,V with x_0 taking the complement (j >= 1)
    std::vector<double> Pz;                  // (dP/dx_j)_T,V likewise
    double P = 0, PV = 0;
};

bool evaluateN(FluidPhase& p, int kind, const std::vector<double>& z, double Vs, SideN& s) {
    const int n = p.component_count;
    p.set_the_phase_as(kind);
    for (int i = 0; i < n; ++i) p.composition_of_component(i, z[i]);
    p.volume(Vs);
    if (!trialEvaluation(p, &FluidPhase::calculate_pressure, &FluidPhase::calculate_fugacities)) return false;
    s.f.assign(n, 0.0);
    s.fV.assign(n, 0.0);
    s.fz.assign(n, std::vector<double>(n, 0.0));
    s.Pz.assign(n, 0.0);
    s.P = p.P;
    s.PV = p.dPdV;
    bool finite = std::isfinite(s.P) && std::isfinite(s.PV);
    for (int i = 0; i < n; ++i) {
        s.f[i] = p.fugacity[i];
        s.fV[i] = p.dfugacitydV[i];
        finite = finite && std::isfinite(s.f[i]) && std::isfinite(s.fV[i]);
        for (int j = 1; j < n; ++j) {
            s.fz[i][j] = p.dfugacitydx[i][j] - p.dfugacitydx[i][0] - (p.dVdx[j] - p.dVdx[0]) * p.dfugacitydV[i];
            finite = finite && std::isfinite(s.fz[i][j]);
        }
    }
    for (int j = 1; j < n; ++j) s.Pz[j] = p.dPdx[j] - p.dPdx[0];
    return finite;
}

// Fractions 1..n-1 from the unknowns at `first`, component 0 the complement.
void fractionsFrom(const double* u, int first, int n, std::vector<double>& z) {
    z.assign(n, 0.0);
    double sum = 0.0;
    for (int j = 1; j < n; ++j) {
        z[j] = u[first + j - 1];
        sum += z[j];
    }
    z[0] = 1.0 - sum;
}

bool refuseSmall(FluidPhase& p) {
    if (p.component_count >= 2) return false;
    platform::diagf("A two-phase split needs at least two components, not %d\n", p.component_count);
    p.errorflag = 1;
    return true;
}

}  // namespace

void FluidPhase::equationForFlashX(double* xv, double* G, double** J, int& err, int order, void*) {
    const int n = component_count;
    const double Vl = xv[0], Vv = xv[1];
    if (n < 2 || !distinctVolumes(Vl, Vv, 0.01)) {
        err = 1;
        return;
    }
    for (int k = 2; k < 2 * n; ++k)
        if (!fractionInRange(xv[k])) {
            err = 1;
            return;
        }
    if (x_feed.size() != static_cast<std::size_t>(n)) {
        err = 1;
        return;
    }
    std::vector<double> xl, yv;
    fractionsFrom(xv, 2, n, xl);
    fractionsFrom(xv, n + 1, n, yv);
    SideN l, v;
    Vl_sat = Vl;
    Vv_sat = Vv;
    if (!evaluateN(*this, 2, xl, Vl, l) || !evaluateN(*this, 1, yv, Vv, v)) {
        err = 1;
        return;
    }
    const std::vector<double>& z = x_feed;
    for (int i = 0; i < n; ++i) G[i] = l.f[i] - v.f[i];
    G[n] = l.P - P_flash;
    G[n + 1] = v.P - P_flash;
    for (int i = 1; i <= n - 2; ++i)
        G[n + 1 + i] = (z[0] - yv[0]) * xl[i] - (z[0] - xl[0]) * yv[i] - (xl[0] - yv[0]) * z[i];
    if (P_shift < 0.0) {
        G[n] += P_shift;
        P = v.P;
    } else if (P_shift > 0.0) {
        G[n + 1] -= P_shift;
        P = l.P;
    }
    x_liquid = xl;
    x_vapour = yv;
    if (order == 0) return;
    const int m = 2 * n;
    for (int r = 0; r < m; ++r)
        for (int c = 0; c < m; ++c) J[r][c] = 0.0;
    for (int i = 0; i < n; ++i) {
        J[i][0] = l.fV[i];
        J[i][1] = -v.fV[i];
        for (int j = 1; j < n; ++j) {
            J[i][1 + j] = l.fz[i][j];
            J[i][n + j] = -v.fz[i][j];
        }
    }
    J[n][0] = l.PV;
    J[n + 1][1] = v.PV;
    for (int j = 1; j < n; ++j) {
        J[n][1 + j] = l.Pz[j];
        J[n + 1][n + j] = v.Pz[j];
    }
    // Feed rows: d/dx_j and d/dy_j with x_0 = 1 - sum x, y_0 = 1 - sum y.
    for (int i = 1; i <= n - 2; ++i) {
        double* row = J[n + 1 + i];
        for (int j = 1; j < n; ++j) {
            if (j == i) {
                row[1 + j] = (z[0] - yv[0]) - yv[i] + z[i];
                row[n + j] = xl[i] - (z[0] - xl[0]) - z[i];
            } else {
                row[1 + j] = z[i] - yv[i];
                row[n + j] = xl[i] - z[i];
            }
        }
    }
}

void FluidPhase::equationForBubblePointX(double* xv, double* G, double** J, int& err, int order, void*) {
    const int n = component_count;
    const double Vl = xv[0], Vv = xv[1];
    Vl_sat = Vl;
    Vv_sat = Vv;
    if (n < 2 || !distinctVolumes(Vl, Vv, 1e-4) || x_liquid.size() != static_cast<std::size_t>(n)) {
        err = 1;
        return;
    }
    for (int k = 2; k <= n; ++k)
        if (!fractionInRange(xv[k])) {
            err = 1;
            return;
        }
    std::vector<double> yv;
    fractionsFrom(xv, 2, n, yv);
    const std::vector<double> xl = x_liquid;
    SideN l, v;
    if (!evaluateN(*this, 2, xl, Vl, l) || !evaluateN(*this, 1, yv, Vv, v)) {
        err = 1;
        return;
    }
    for (int i = 0; i < n; ++i) G[i] = l.f[i] - v.f[i];
    G[n] = l.P - v.P + P_shift;
    if (P_shift < 0.0)
        P = v.P;
    else if (P_shift > 0.0)
        P = l.P;
    x_vapour = yv;
    if (order == 0) return;
    for (int r = 0; r <= n; ++r)
        for (int c = 0; c <= n; ++c) J[r][c] = 0.0;
    for (int i = 0; i < n; ++i) {
        J[i][0] = l.fV[i];
        J[i][1] = -v.fV[i];
        for (int j = 1; j < n; ++j) J[i][1 + j] = -v.fz[i][j];
    }
    J[n][0] = l.PV;
    J[n][1] = -v.PV;
    for (int j = 1; j < n; ++j) J[n][1 + j] = -v.Pz[j];
}

void FluidPhase::calculate_flash_pointX(double T_, double P_Pa, double Vl, double Vv, const double* xl,
                                        const double* yv, const double* z) {
    if (refuseSmall(*this)) return;
    if (!xl || !yv || !z) {
        platform::diagf("Flash: a composition is missing\n");
        errorflag = 1;
        return;
    }
    const int n = component_count;
    Newton& s = *criticalSolver;
    s._setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&FluidPhase::equationForFlashX), 2 * n);
    s.verbose = 1;
    s.lambdaMin = 1e-8;
    for (int i = 0; i < 2 * n; ++i) s.bounded[i] = 0;
    // Every mole fraction unknown stays in [0, 1].
    for (int i = 2; i < 2 * n; ++i) {
        s.bounded[i] = 1;
        s.lo[i] = 0.0;
        s.hi[i] = 1.0;
    }
    P_flash = P_Pa;
    temperature(T_);
    Vl0 = Vl_sat = Vl;
    Vv0 = Vv_sat = Vv;
    x_liquid.assign(xl, xl + n);
    x_vapour.assign(yv, yv + n);
    x_feed.assign(z, z + n);
    s.x[0] = s.xold[0] = Vl;
    s.x[1] = s.xold[1] = Vv;
    for (int j = 1; j < n; ++j) {
        s.x[1 + j] = s.xold[1 + j] = xl[j];
        s.x[n + j] = s.xold[n + j] = yv[j];
    }
    binary_side::finish(*this, s);
}

void FluidPhase::calculate_bubble_pointX(double T_, double Vl, double Vv, const double* xl, const double* yv) {
    if (refuseSmall(*this)) return;
    if (!xl || !yv) {
        platform::diagf("Bubble point: a composition is missing\n");
        errorflag = 1;
        return;
    }
    const int n = component_count;
    Newton& s = *criticalSolver;
    s._setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&FluidPhase::equationForBubblePointX), n + 1);
    temperature(T_);
    x_liquid.assign(xl, xl + n);
    x_vapour.assign(yv, yv + n);
    Vl0 = Vl_sat = Vl;
    Vv0 = Vv_sat = Vv;
    s.x[0] = s.xold[0] = Vl;
    s.x[1] = s.xold[1] = Vv;
    s.bounded[0] = s.bounded[1] = 0;
    for (int j = 1; j < n; ++j) {
        s.x[1 + j] = s.xold[1 + j] = yv[j];
        s.bounded[1 + j] = 1;
        s.lo[1 + j] = 0.0;
        s.hi[1 + j] = 1.0;
    }
    s.verbose = 1;
    binary_side::finish(*this, s);
}

void FluidPhase::calculateTernary(double T_, double P_Pa, double z1, double z2, double dz, const char* suffix,
                                  double Vl, double Vv, const double* xl, const double* yv) {
    if (component_count != 3) {
        platform::diagf("The ternary scan needs three components, not %d\n", component_count);
        errorflag = 1;
        return;
    }
    if (!xl || !yv || !(z1 + z2 > 0.0)) {
        platform::diagf("Ternary scan: missing start compositions or a feed without components 1 and 2\n");
        errorflag = 1;
        return;
    }
    double z[3] = {1.0 - z1 - z2, z1, z2};
    calculate_flash_pointX(T_, P_Pa, Vl, Vv, xl, yv, z);
    if (errorflag) {
        platform::diagf("Cannot find first point\n");
        return;
    }
    const double a = z1 / (z1 + z2);
    CurveLayout layout;
    layout.firstNameWidth = 6;
    layout.rowEnd = std::string(" \n");
    layout.textModesOnly = true;
    CurveOutput out(kIgorTextFile, CurveOutput::fileName("ter", suffix), suffix,
                    {"T", "P", "vl", "vv", "x0", "x1", "x2", "y0", "y1", "y2", "z0", "z1", "z2"}, nullptr, layout);
    struct State {
        double Vl, Vv;
        std::vector<double> x, y, z;
    };
    State acc{Vl0, Vv0, x_liquid, x_vapour, x_feed};
    auto writeRow = [&](const State& s) {
        out.writeRow({T_, P_flash * 1e-5, s.Vl, s.Vv, s.x[0], s.x[1], s.x[2], s.y[0], s.y[1], s.y[2], s.z[0], s.z[1],
                      s.z[2]});
    };
    writeRow(acc);
    double step = dz, r = 1.0;
    long points = 1;
    while (errorflag == 0 && points < kMostPoints) {
        const double zn[3] = {acc.z[0] - step, acc.z[1] + a * step, acc.z[2] + (1.0 - a) * step};
        const bool inside = zn[0] >= 0.0 && zn[0] <= 1.0 && zn[1] >= 0.0 && zn[2] >= 0.0;
        if (inside) calculate_flash_pointX(T_, P_Pa, acc.Vl, acc.Vv, acc.x.data(), acc.y.data(), zn);
        if (!inside || errorflag) {
            r *= 0.5;
            if (r < kSmallestStepFactor) break;
            errorflag = 0;
            step = dz * r;
            continue;
        }
        acc = State{Vl0, Vv0, x_liquid, x_vapour, x_feed};
        writeRow(acc);
        ++points;
    }
    errorflag = 0;
}
