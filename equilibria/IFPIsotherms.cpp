// The two-phase envelope at fixed temperature: the pressure-composition
// isotherm of a binary, the isotherm of a ternary whose first two components
// keep a fixed ratio (a pseudo-binary), and the tie lines of a ternary at
// fixed temperature and pressure.  The isotherms step along the liquid
// composition while the envelope is flat and switch to pressure steps where
// |dP/dx0| reaches 1e7 Pa; the tangent along the isotherm comes from small
// linear systems in the models' fugacity derivatives.
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "equilibria/IFP.h"
#include "fluid/BinarySide.h"
#include "fluid/CriticalApproach.h"
#include "fluid/FluidPhase.h"
#include "numerics/LinearAlgebra.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace {

// Solves the k x k system A u = b (row after row in A); false when singular.
bool solveDense(std::vector<double>& A, std::vector<double>& b, std::vector<double>& u, int k) {
    std::vector<double*> rows(k);
    for (int r = 0; r < k; r++) rows[r] = A.data() + static_cast<std::size_t>(r) * k;
    u.assign(k, 0.0);
    int status = 0;
    solve_the_linear_system(rows.data(), b.data(), u.data(), k, status);
    return status == 0;
}

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool inUnit(double v) { return v >= 0.0 && v <= 1.0; }

// Upper bound of the points of one traced curve: a curve that creeps towards
// an end by ever smaller steps ends instead of running on.
constexpr int kMaxCurvePoints = 100000;

}  // namespace

// ---------------------------------------------------------------- tangents

void IFP::calculate_derivatives1(double* d, int, int) {
    if (nc != 2 || !hasModels()) return;
    const FluidPhase &L = *liquid, &V = *vapour;
    // Unknowns (dP, dx1, dy0, dy1).
    std::vector<double> A(16, 0.0), b(4, 0.0), u;
    for (int k = 0; k < 2; k++) {
        double* r = &A[k * 4];
        r[0] = V.dfugacitydP[k] - L.dfugacitydP[k];
        r[1] = -L.dfugacitydx[k][1];
        r[2] = V.dfugacitydx[k][0];
        r[3] = V.dfugacitydx[k][1];
        b[k] = L.dfugacitydx[k][0];
    }
    A[2 * 4 + 1] = 1.0;
    b[2] = -1.0;
    A[3 * 4 + 2] = A[3 * 4 + 3] = 1.0;
    if (!solveDense(A, b, u, 4)) return;
    const double out[8] = {0.0, u[0], 0.0, 0.0, 1.0, u[1], u[2], u[3]};
    for (int i = 0; i < 8; i++) d[i] = out[i];
}

void IFP::calculate_derivatives2(double* d) {
    if (nc != 3 || !hasModels()) return;
    const FluidPhase &L = *liquid, &V = *vapour;
    // Unknowns (dP, dx1, dx2, dy0, dy1, dy2).
    std::vector<double> A(36, 0.0), b(6, 0.0), u;
    for (int k = 0; k < 3; k++) {
        double* r = &A[k * 6];
        r[0] = V.dfugacitydP[k] - L.dfugacitydP[k];
        r[1] = -L.dfugacitydx[k][1];
        r[2] = -L.dfugacitydx[k][2];
        for (int j = 0; j < 3; j++) r[3 + j] = V.dfugacitydx[k][j];
        b[k] = L.dfugacitydx[k][0];
    }
    A[3 * 6 + 1] = A[3 * 6 + 2] = 1.0;
    b[3] = -1.0;
    A[4 * 6 + 1] = 1.0;
    A[4 * 6 + 2] = aux;
    A[5 * 6 + 3] = A[5 * 6 + 4] = A[5 * 6 + 5] = 1.0;
    if (!solveDense(A, b, u, 6)) return;
    const double out[10] = {0.0, u[0], 0.0, 0.0, 1.0, u[1], u[2], u[3], u[4], u[5]};
    for (int i = 0; i < 10; i++) d[i] = out[i];
}

void IFP::calculate_derivatives3(double* d) {
    if (nc != 3 || !hasModels()) return;
    const FluidPhase &L = *liquid, &V = *vapour;
    // Unknowns (dx1, dx2, dy0, dy1, dy2) at fixed T and P.
    std::vector<double> A(25, 0.0), b(5, 0.0), u;
    for (int k = 0; k < 3; k++) {
        double* r = &A[k * 5];
        r[0] = -L.dfugacitydx[k][1];
        r[1] = -L.dfugacitydx[k][2];
        for (int j = 0; j < 3; j++) r[2 + j] = V.dfugacitydx[k][j];
        b[k] = L.dfugacitydx[k][0];
    }
    A[3 * 5 + 0] = A[3 * 5 + 1] = 1.0;
    b[3] = -1.0;
    A[4 * 5 + 2] = A[4 * 5 + 3] = A[4 * 5 + 4] = 1.0;
    if (!solveDense(A, b, u, 5)) return;
    const double out[10] = {0.0, 0.0, 0.0, 0.0, 1.0, u[0], u[1], u[2], u[3], u[4]};
    for (int i = 0; i < 10; i++) d[i] = out[i];
}

// ---------------------------------------------------------------- predictors

namespace {

// The composition slopes of the tangent (dx_i in its slots 4.., dy_i in its
// slots n + 4..) kept in `older` for the next prediction.
void keepCompositionSlopes(IFP& s) {
    const int n = s.nc;
    for (int i = 0; i < n; i++) {
        s.older.x[i] = s.tangent[4 + i];
        s.older.y[i] = s.tangent[n + 4 + i];
    }
}

// Along an isotherm: the pressure slope dP/dx (the tangent's slot 1), the
// present compositions and the composition slopes kept for the next
// prediction.
void keepIsothermSlopes(IFP& s) {
    s.slope_x = s.tangent[1];
    s.older.T = 0.0;
    s.older.P = s.slope_x;
    s.estimate.x = s.previous.x = s.x;
    s.estimate.y = s.previous.y = s.y;
    keepCompositionSlopes(s);
}

}  // namespace

void IFP::estimate_next_state1() {
    calculate_derivatives1(tangent.data(), 0, 0);
    estimate.T = previous.T = T;
    estimate.P = previous.P = P;
    keepIsothermSlopes(*this);
}

void IFP::estimate_next_state2() {
    calculate_derivatives2(tangent.data());
    previous.T = estimate.T;
    previous.P = estimate.P;
    keepIsothermSlopes(*this);
}

void IFP::estimate_next_state3() {
    calculate_derivatives3(tangent.data());
    older.T = older.P = 0.0;
    previous.x = estimate.x;
    previous.y = estimate.y;
    keepCompositionSlopes(*this);
}

void IFP::calculate_initial_values(short mode, short, double h, double step) {
    if (mode != 0 && mode != 1) return;
    const int n = nc;
    // A previous state already outside the bounds cannot be mended by a
    // shorter step: the halving stops at 1e-10.
    for (;;) {
        if (mode == 0) {
            estimate.P = h * older.P * step + previous.P;
            for (int i = 0; i < n; i++) {
                estimate.x[i] = h * older.x[i] * step + previous.x[i];
                estimate.y[i] = h * older.y[i] * step + previous.y[i];
            }
        } else {
            estimate.P = h * step + previous.P;
            for (int i = 0; i < n; i++) {
                estimate.x[i] = h * (older.x[i] / older.P) * step + previous.x[i];
                estimate.y[i] = h * (older.y[i] / older.P) * step + previous.y[i];
            }
        }
        bool out = false;
        for (int i = 0; i < n && !out; i++)
            out = estimate.x[i] > 1.00001 || estimate.x[i] < -1e-5 || estimate.y[i] > 1.00001 || estimate.y[i] < -1e-5;
        if (!out || h < 1e-10) return;
        h /= 2.0;
    }
}

// ---------------------------------------------------------------- isotherms

bool IFP::solveIsothermStart(double T_, double z0, const std::function<void(double)>& setBulk) {
    // The bubble point of z0, or a flash at the estimate pressure of the
    // middle of the estimated tie line.
    if (first_init_flag == 2) {
        set_type_of_problem(13);
        set_the_temperature(T_);
        set_the_vaporization_ratio(0.0);
    } else if (first_init_flag == 0) {
        set_type_of_problem(12);
        set_the_temperature(T_);
        set_the_pressure(estimate.P / 100000.0);
        z0 = (estimate.x[0] + estimate.y[0]) / 2.0;
        nL = nV = 0.5;
    }
    setBulk(z0);
    for (int i = 0; i < nc; i++) moles[i] = total_moles * z[i];
    pass_count = 0;
    set_initialization_flag(first_init_flag);
    calculateVLE();
    if (error != 0) {
        error = 3;
        platform::diagf("Can't find a starting point for the isotherm\n");
        return false;
    }
    return true;
}

bool IFP::chooseCompositionStep(double& sx, double& sP, double dir, double D) {
    slope_x = older.P;
    if (std::fabs(slope_x) < 1e7) {
        if (problem == 12) {
            // From pressure steps to composition steps: the composition step
            // keeps the pressure moving the way it went.
            set_type_of_problem(13);
            set_the_vaporization_ratio(0.0);
            sx = sP * slope_x > 0.0 ? std::fabs(dir) : -std::fabs(dir);
        }
        return true;
    }
    if (problem == 13) {
        set_type_of_problem(12);
        sP = sx * slope_x > 0.0 ? std::fabs(D) : -std::fabs(D);
    }
    return false;
}

namespace {

// The Igor table of an isotherm at `path`: its WAVES line (the temperature's
// wave tWave, P, the compositions' waves X and Y, the volumes, the slope and
// `tail`), the same names echoed on standard output.  Null, said, when it
// cannot be opened.
File openIsothermTable(const char* path, const char* tWave, const char* tail, const std::string& X,
                       const std::string& Y) {
    File f(path ? std::fopen(path, "w") : nullptr);
    if (!f) {
        platform::diagf("Can't open the output file %s\n", path ? path : "(null)");
        return f;
    }
    platform::noteOutputOpened(path);
    std::fprintf(f.get(), "IGOR\nWAVES %s Pr %s %s Vl Vv dPdx %s\nBEGIN\n", tWave, X.c_str(), Y.c_str(), tail);
    std::printf("T  Pr %s  %s dPdx \n", X.c_str(), Y.c_str());
    return f;
}

}  // namespace

// The rows of an isotherm: the first, and every later one.
constexpr const char* kFirstIsothermRow = "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg \t%#.10lg %#.10lg %#.10lg \n";
constexpr const char* kIsothermRow = "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg \t\t%#.10lg %#.10lg %#.10lg\n";

// A P-x isotherm of the continuation from its solved start: composition
// steps (bubble points) while the curve is flat, pressure steps (flashes of
// the middle of the tie line) where it is steep, each predicted along the
// tangent (predict), corrected by a full solve and kept or halved (run), and
// closed at the critical point of the isotherm (closedAtCritical).
class IFP::IsothermTrace {
public:
    IsothermTrace(IFP& q, std::FILE* f, double T, double dir, double dP_bar, double Pmax_bar)
        : q_(q), f_(f), T_(T), dir_(dir), D_(1e5 * std::fabs(dP_bar)), PmaxBar_(Pmax_bar),
          critical_(kCriticalPointFixedTemperature, {.Pmax = 1e5 * Pmax_bar}) {}

    void row(const char* format) {
        IFP& q = q_;
        std::fprintf(f_, format, q.T, q.P / 100000.0, q.x[0], q.x[1], q.y[0], q.y[1], q.liquid->V * 1e6,
                     q.vapour->V * 1e6, q.slope_x / 1e7);
        std::printf("%lg %lg %lg %lg %lg %lg \n", q.T, q.P / 100000.0, q.x[0], q.x[1], q.y[0], q.y[1]);
    }
    void keepVolumes() {
        q_.estimate.Vl = q_.previous.Vl = q_.liquid->V;
        q_.estimate.Vv = q_.previous.Vv = q_.vapour->V;
    }
    void run();

private:
    bool predict();
    bool closedAtCritical();

    IFP& q_;
    std::FILE* f_;
    const double T_, dir_, D_, PmaxBar_;
    critical_approach::CriticalSearch critical_;
    double sP_ = 0.0, sx_ = 0.0, Pbefore_ = 0.0;
};

// The predictor: the estimate of the next tie line at the step factor,
// halved while it leaves [0, 1]; false when no step keeps it inside (the
// curve has reached its end).
bool IFP::IsothermTrace::predict() {
    IFP& q = q_;
    bool inside = true;
    if (q.chooseCompositionStep(sx_, sP_, dir_, D_)) {
        // Composition steps: bubble points of the estimated liquid.
        for (;;) {
            q.estimate.P = q.factor * q.slope_x * sx_ + q.previous.P;
            inside = true;
            for (int i = 0; i < 2; i++) {
                q.estimate.x[i] = q.factor * q.older.x[i] * sx_ + q.previous.x[i];
                q.estimate.y[i] = q.factor * q.older.y[i] * sx_ + q.previous.y[i];
                inside = inside && inUnit(q.estimate.x[i]) && inUnit(q.estimate.y[i]);
            }
            if (inside || q.factor < 1e-8) break;
            q.factor /= 2.0;
        }
        for (int i = 0; i < 2; i++) {
            q.z[i] = q.estimate.x[i];
            q.moles[i] = q.total_moles * q.z[i];
        }
    } else {
        // Pressure steps: flashes of the middle of the estimated tie line.
        for (;;) {
            q.estimate.P = q.factor * sP_ + q.previous.P;
            inside = true;
            for (int i = 0; i < 2; i++) {
                q.estimate.x[i] = q.factor * (q.older.x[i] / q.slope_x) * sP_ + q.previous.x[i];
                q.estimate.y[i] = q.factor * (q.older.y[i] / q.slope_x) * sP_ + q.previous.y[i];
                inside = inside && inUnit(q.estimate.x[i]) && inUnit(q.estimate.y[i]);
            }
            if (inside || q.factor < 1e-8) break;
            q.factor /= 2.0;
        }
        q.set_the_pressure(q.estimate.P / 100000.0);
        for (int i = 0; i < 2; i++) {
            q.z[i] = (q.estimate.x[i] + q.estimate.y[i]) / 2.0;
            q.moles[i] = q.total_moles * q.z[i];
        }
        q.nL = q.nV = 0.5;
    }
    return inside;
}

// The critical point of the isotherm, where the two phases' compositions
// and volumes meet, sought from the middle of the last tie line (ahead of
// the last point in pressure, below the highest pressure); from the last
// point to it, flashes of the middle of the tie line at pressures that halve
// the distance in composition each time, the critical point itself the last
// row, where dP/dx is zero.  True when the isotherm has closed there.
bool IFP::IsothermTrace::closedAtCritical() {
    using critical_approach::TieLine;
    IFP& q = q_;
    const double xm = 0.5 * (q.previous.x[1] + q.previous.y[1]);
    critical_approach::CriticalPoint cp;
    if (!critical_.seek(*q.liquid, {T_, xm, q.previous.Vl, q.previous.Vv, true, q.previous.P, Pbefore_}, cp))
        return false;
    const double xc = cp.z;
    const TieLine c{cp.P, cp.P, xc, xc, cp.V, cp.V};
    const TieLine last{q.previous.P, q.previous.P, q.previous.x[1], q.previous.y[1], q.previous.Vl, q.previous.Vv};
    const double T = T_;
    critical_approach::approachTheCriticalPoint(
        last, c, false, 0.5, 1,
        [&](int, const TieLine& st, TieLine& got) {
            const double Pt = st.s;
            q.set_type_of_problem(12);
            q.set_the_temperature(T);
            q.set_the_pressure(Pt / 100000.0);
            q.estimate.P = Pt;
            q.estimate.x = {1.0 - st.x, st.x};
            q.estimate.y = {1.0 - st.y, st.y};
            const double zm = 0.5 * (st.x + st.y);
            q.z = {1.0 - zm, zm};
            for (int i = 0; i < 2; i++) q.moles[i] = q.total_moles * q.z[i];
            q.nL = q.nV = 0.5;
            if (!q.solveQuietlyFrom(st.Vl, st.Vv)) return false;
            got = {Pt, Pt, q.x[1], q.y[1], q.liquid->V, q.vapour->V};
            if (!binary_side::stableTieLine(*q.liquid, *q.vapour, got.x, got.Vl, got.y, got.Vv)) return false;
            q.calculate_derivatives1(q.tangent.data(), 0, 0);
            q.slope_x = q.tangent[1];
            return true;
        },
        [&] { row(kIsothermRow); });
    q.P = cp.P;
    q.x = {1.0 - xc, xc};
    q.y = q.x;
    q.liquid->V = q.vapour->V = cp.V;
    q.slope_x = 0.0;
    row(kIsothermRow);
    q.error = 0;
    return true;
}

// The step control: a solved state is written and the step grows back by
// 1.4; a failed one, or one whose phases swapped sides (past the critical
// point: the trace goes on from the point before it), halves the step down
// to 1e-8 of the full one.  The trace ends above its highest pressure, at a
// pure component, or at the critical point of the isotherm, sought once the
// phases come close or the trace stalls.
void IFP::IsothermTrace::run() {
    IFP& q = q_;
    sP_ = q.slope_x * dir_ >= 0.0 ? D_ : -D_;
    sx_ = dir_;
    q.set_initialization_flag(0);
    Pbefore_ = q.P;
    int points = 0;
    bool closed = false, atEnd = false;
    while (!(q.P > 1e5 * PmaxBar_) && q.error == 0 && ++points < kMaxCurvePoints) {
        // No step keeps the estimates inside [0, 1]: the curve has reached its end.
        if (!predict()) {
            atEnd = true;
            break;
        }
        q.liquid->Vl0 = q.estimate.Vl;
        q.vapour->Vv0 = q.estimate.Vv;
        const State previousKept = q.previous, olderKept = q.older, estimateKept = q.estimate;
        const double slopeKept = q.slope_x, Pkept = q.previous.P;
        q.calculateVLE();
        // The phases stay on their sides up to the critical point: a state
        // whose phases swapped (or became one) lies past it, and the trace
        // goes on from the point before it.
        if (q.error == 0 && ((q.y[1] - q.x[1]) * (previousKept.y[1] - previousKept.x[1]) <= 0.0 ||
                             !(q.vapour->V > q.liquid->V))) {
            q.error = 1;
            q.previous = previousKept;
            q.older = olderKept;
            q.estimate = estimateKept;
            q.slope_x = slopeKept;
        }
        if (q.error != 0) {
            q.factor /= 2.0;
            if (q.factor > 1e-8) q.error = 0;
        } else {
            Pbefore_ = Pkept;
            keepVolumes();
            row(kIsothermRow);
            if (q.factor < 1.0) q.factor = std::fmin(1.4 * q.factor, 1.0);
            if (critical_.due(q.liquid->V, q.vapour->V) && closedAtCritical()) {
                closed = true;
                break;
            }
        }
    }
    // A trace that stalls before a pure component or its highest pressure
    // has come to the critical point of the isotherm (or close to it): it
    // closes there.
    if (!closed && !atEnd && !(q.P > 1e5 * PmaxBar_)) closedAtCritical();
}

void IFP::calculate_an_isotherm_of_the_binary_system(const char* path, double T_, double z0, double dir, double dP_bar,
                                                     double Pmax_bar, const char* suffix) {
    if (nc != 2 || !hasModels()) return;
    estimate_mode = 1;
    factor = 1.0;
    File f = openIsothermTable(path, "Tr", "", header("x", "     "), header("y", "     "));
    if (!f) return;
    const char* sfx = suffix ? suffix : "";

    if (!solveIsothermStart(T_, z0, [&](double z0_) { z = {z0_, 1.0 - z0_}; })) return;
    IsothermTrace trace(*this, f.get(), T_, dir, dP_bar, Pmax_bar);
    trace.keepVolumes();
    trace.row(kFirstIsothermRow);
    slope_x = older.P;
    trace.run();
    endIgorTable(f.get(), {{"Tr", "T"}, {"Pr", "Pr"}, {"dPdx", "dPdx"}, {"Vl", "Vl"}, {"Vv", "Vv"}}, sfx);
}

void IFP::calculate_an_isotherm_of_the_pseudo_binary_system(const char* path, double T_, double z0, double r,
                                                           double dir, double dP_bar, double Pmax_bar,
                                                           const char* suffix) {
    aux = r;
    if (nc != 3 || !hasModels()) return;
    estimate_mode = 2;
    // The ic column carries the number of the point on the curve.
    File f = openIsothermTable(path, "T", "ic", header("x", "     "), header("y", "     "));
    if (!f) return;
    const char* sfx = suffix ? suffix : "";

    if (!solveIsothermStart(T_, z0, [&](double z0_) { z = {(1.0 - r) * z0_, r * z0_, 1.0 - z0_}; })) return;
    int ic = 0;
    auto row = [&]() {
        std::fprintf(f.get(), "%lg %lg ", T, P / 100000.0);
        std::printf("%lg %lg ", T, P / 100000.0);
        for (const std::vector<double>* v : {&x, &y}) {
            for (int i = 0; i < 3; i++) {
                std::fprintf(f.get(), "%lg ", (*v)[i]);
                std::printf("%lg ", (*v)[i]);
            }
        }
        std::fprintf(f.get(), "%lg %lg %lg %d\n", liquid->V * 1e6, vapour->V * 1e6, slope_x / 1e7, ic++);
        std::printf("%lg \n", slope_x / 1e7);
    };
    row();

    const double D = 1e5 * std::fabs(dP_bar);
    slope_x = older.P;
    double sP = slope_x * dir >= 0.0 ? D : -D;
    double sx = dir;
    set_initialization_flag(0);
    int points = 0;
    while (!(P > 1e5 * Pmax_bar) && error == 0 && ++points < kMaxCurvePoints) {
        if (chooseCompositionStep(sx, sP, dir, D)) {
            // The bulk moves from the last liquid by the composition step
            // along the pseudo-binary: (1 - r, r, -1) times the step.
            z = {x[0] + sx * (1.0 - r), x[1] + sx * r, x[2] - sx};
            for (int i = 0; i < 3; i++) moles[i] = total_moles * z[i];
            calculate_initial_values(0, 0, 1.0, sx);
        } else {
            set_the_pressure((P + sP) / 100000.0);
            calculate_initial_values(1, 0, 1.0, sP);
            for (int i = 0; i < 3; i++) {
                z[i] = (estimate.x[i] + estimate.y[i]) / 2.0;
                moles[i] = total_moles * z[i];
            }
            nL = nV = 0.5;
        }
        bool inside = true;
        for (int i = 0; i < 3; i++) inside = inside && z[i] >= -1e-12 && z[i] <= 1.0 + 1e-12;
        if (!inside) break;  // the step would leave the composition triangle
        calculateVLE();
        if (error == 0) row();
    }
    endIgorTable(f.get(), {{"T", "T"}, {"Pr", "Pr"}, {"dPdx", "dPdx"}, {"Vl", "Vl"}, {"Vv", "Vv"}, {"ic", "ic"}},
                 sfx);
}

// ---------------------------------------------------------------- ternary tie lines

void IFP::calculate_an_isobaric_isothermal_diagram(double T_, double P_bar, double dz, const char* name, int pole) {
    if (nc != 3 || !hasModels()) return;
    if (pole < 0 || pole > 2) {
        platform::diagf("Pole %d is not a component of the ternary system\n", pole);
        return;
    }
    estimate_mode = 3;
    const char* nm = name ? name : "";
    const std::string path = std::string("ter") + nm;
    File f(std::fopen(path.c_str(), "wt"));
    if (!f) {
        platform::diagf("Can't open the output file %s\n", path.c_str());
        return;
    }
    platform::noteOutputOpened(path);
    std::fprintf(f.get(), "IGOR\nWAVES %5s%s %11s%s ", "T", nm, "P", nm);
    for (int i = 0; i < 3; i++) std::fprintf(f.get(), "%10s%1d%s ", "x", i, nm);
    for (int i = 0; i < 3; i++) std::fprintf(f.get(), "%10s%1d%s ", "y", i, nm);
    std::fprintf(f.get(), "%11s%s %11s%s %11s%s\nBEGIN\n", "Vl", nm, "Vv", nm, "i", nm);
    solver.verbose = 0;

    if (first_init_flag == 2 || first_init_flag == 0) {
        set_type_of_problem(12);
        set_the_temperature(T_);
        set_the_pressure(P_bar);
        if (first_init_flag == 0) nV = nL = 0.5;
    }
    double Ls = nL, Vs = nV;
    for (int i = 0; i < 3; i++) {
        z[i] = (estimate.x[i] + estimate.y[i]) / 2.0;
        moles[i] = total_moles * z[i];
    }
    pass_count = 0;
    set_initialization_flag(first_init_flag);
    calculateVLE();
    if (error != 0) {
        error = 3;
        platform::diagf("Can't find a starting point for the curve\n");
        return;
    }
    auto row = [&](int k) {
        std::fprintf(f.get(), "%#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %12d\n", T,
                     P / 100000.0, x[0], x[1], x[2], y[0], y[1], y[2], liquid->V * 1e6, vapour->V * 1e6, k);
    };
    row(0);
    std::printf("%#12lg %#12lg %#12lg %#12lg %#12lg %#12lg \n", x[0], x[1], x[2], y[0], y[1], y[2]);

    nL = nV = 0.5;
    std::vector<double> zs = z;
    for (int i = 0; i < 3; i++) {
        z[i] = (x[i] + y[i]) / 2.0;
        moles[i] = total_moles * z[i];
    }
    set_initialization_flag(0);
    estimate.P = P;
    estimate.T = T;
    estimate.x = previous.x = x;
    estimate.y = previous.y = y;
    double h = 1.0;
    int k = 1;
    while (error == 0 && k < kMaxCurvePoints) {
        estimate.x = previous.x;
        estimate.y = previous.y;
        bool bad = false;
        for (int i = 0; i < 3 && !bad; i++) bad = !inUnit(estimate.x[i]) || !inUnit(estimate.y[i]);
        if (bad) {
            // A shorter step cannot bring a start outside the triangle back.
            break;
        }
        nL = Ls;
        nV = Vs;
        const double s = h * dz;
        for (int i = 0; i < 3; i++) z[i] = zs[i] + (i == pole ? s : -s / 2.0);
        for (int i = 0; i < 3; i++) moles[i] = total_moles * z[i];
        set_initialization_flag(0);
        initialize();
        solveSystem();
        if (error != 0) {
            h /= 2.0;
            if (h > 1e-4) error = 0;
        } else {
            previous.x = x;
            previous.y = y;
            Ls = nL;
            Vs = nV;
            row(k);
            std::printf("%#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %#12lg\n", liquid->V * 1e6,
                        vapour->V * 1e6, x[0], x[1], x[2], y[0], y[1], y[2], nL);
            for (int i = 0; i < 3; i++) zs[i] = (x[i] + y[i]) / 2.0;
            k += 1;
        }
    }
    std::fprintf(f.get(), "END\n");
}
