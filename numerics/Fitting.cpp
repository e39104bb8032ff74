#include "numerics/Fitting.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "numerics/LinearAlgebra.h"
#include "platform/LogSink.h"

namespace {

bool positiveFinite(double v) { return v > 0.0 && std::isfinite(v); }

}  // namespace

double** Fitting::Table::assign(int r, int c) {
    store.assign(static_cast<std::size_t>(r) * static_cast<std::size_t>(c), 0.0);
    rows.resize(r);
    for (int i = 0; i < r; ++i) rows[i] = store.data() + static_cast<std::size_t>(i) * c;
    return rows.data();
}

Fitting::~Fitting() {
    if (ownsOut_ && out) std::fclose(out);
}

void Fitting::set_type_of_regression(short t) { type = t; }

int Fitting::allocate_memory() {
    platform::tracef("nn %d no %d \n", m, nadd);
    if (m < 0 || np < 0 || nx < 0 || nadd < 0) {
        platform::diagf("Fitting: negative size (%d observations, %d parameters, %d variables, %d constants)\n",
                     m, np, nx, nadd);
        return 1;
    }
    Xm = tXm_.assign(m, nx);
    X = tX_.assign(m, nx);
    varX = tVarX_.assign(m, nx);
    sdX = tSdX_.assign(m, nx);
    add = tAdd_.assign(m, nadd);
    Fx = tFx_.assign(m, nx);
    Gx = tGx_.assign(m, nx);
    Fp = tFp_.assign(m, np);
    Gp = tGp_.assign(m, np);
    dX = tDX_.assign(m, nx);
    delX = tDelX_.assign(m, nx);
    CC = tCC_.assign(np, np);
    TT = tTT_.assign(np, np);
    D = tD_.assign(nx, nx);
    Q = tQ_.assign(m, nx);
    covariance = tCov_.assign(np, np);
    correlation = tCor_.assign(np, np);
    tWork_.assign(np, nx);

    const std::size_t M = m, NP = np;
    vec_.assign(6 * NP + nx + 14 * M, 0.0);
    double* v = vec_.data();
    auto cut = [&v](std::size_t len) {
        double* piece = v;
        v += len;
        return piece;
    };
    dp = cut(NP);
    dxv = cut(nx);
    Ym = cut(M);
    Zm = cut(M);
    F = cut(M);
    G = cut(M);
    varY = cut(M);
    varZ = cut(M);
    sdY = cut(M);
    sdZ = cut(M);
    dY = cut(M);
    dZ = cut(M);
    p = cut(NP);
    delP = cut(NP);
    U = cut(NP);
    C = cut(NP);
    FpDp = cut(M);
    GpDp = cut(M);
    FxDx = cut(M);
    GxDx = cut(M);
    sdP = cut(NP);

    dinv_.assign(M * nx * nx, 0.0);
    s_.assign(M * nx * NP, 0.0);
    w_.assign(M * NP * nx, 0.0);
    baseX_.assign(M * nx, 0.0);
    baseP_.assign(NP, 0.0);
    am_ = m;
    anp_ = np;
    anx_ = nx;
    anadd_ = nadd;
    return 0;
}

bool Fitting::allocated() const { return am_ == m && anp_ == np && anx_ == nx && anadd_ == nadd; }

// --- data ---

namespace {

bool usable(bool allocated, const double* values, const char* what) {
    if (!allocated) {
        platform::diagf("Fitting: %s given before the arrays were allocated for the current sizes\n", what);
        return false;
    }
    if (!values) {
        platform::diagf("Fitting: no values given for %s\n", what);
        return false;
    }
    return true;
}

}  // namespace

void Fitting::read_Xm(int j, const double* values) {
    if (!usable(allocated(), values, "the variables")) return;
    if (j < 0 || j >= nx) {
        platform::diagf("Fitting: there is no variable %d (%d variables)\n", j, nx);
        return;
    }
    for (int i = 0; i < m; ++i) Xm[i][j] = values[i];
}

void Fitting::read_Ym(const double* values) {
    if (!usable(allocated(), values, "Y")) return;
    std::copy(values, values + m, Ym);
}

void Fitting::read_Zm(const double* values) {
    if (!usable(allocated(), values, "Z")) return;
    std::copy(values, values + m, Zm);
}

void Fitting::read_sdX(int j, const double* values) {
    if (!usable(allocated(), values, "the deviations of the variables")) return;
    if (j < 0 || j >= nx) {
        platform::diagf("Fitting: there is no variable %d (%d variables)\n", j, nx);
        return;
    }
    for (int i = 0; i < m; ++i) {
        sdX[i][j] = values[i];
        varX[i][j] = values[i] * values[i];
    }
}

void Fitting::read_sdY(const double* values) {
    if (!usable(allocated(), values, "the deviations of Y")) return;
    for (int i = 0; i < m; ++i) {
        sdY[i] = values[i];
        varY[i] = values[i] * values[i];
    }
}

void Fitting::read_sdZ(const double* values) {
    if (!usable(allocated(), values, "the deviations of Z")) return;
    for (int i = 0; i < m; ++i) {
        sdZ[i] = values[i];
        varZ[i] = values[i] * values[i];
    }
}

void Fitting::read_EvX(int j, const double* values) {
    if (!usable(allocated(), values, "the variances of the variables")) return;
    if (j < 0 || j >= nx) {
        platform::diagf("Fitting: there is no variable %d (%d variables)\n", j, nx);
        return;
    }
    for (int i = 0; i < m; ++i) {
        varX[i][j] = values[i];
        sdX[i][j] = std::sqrt(values[i]);
    }
}

void Fitting::read_EvY(const double* values) {
    if (!usable(allocated(), values, "the variances of Y")) return;
    for (int i = 0; i < m; ++i) {
        varY[i] = values[i];
        sdY[i] = std::sqrt(values[i]);
    }
}

void Fitting::read_EvZ(const double* values) {
    if (!usable(allocated(), values, "the variances of Z")) return;
    for (int i = 0; i < m; ++i) {
        varZ[i] = values[i];
        sdZ[i] = std::sqrt(values[i]);
    }
}

void Fitting::read_additional_parameters(int i, std::initializer_list<double> values) {
    if (!allocated()) {
        platform::diagf("Fitting: additional constants given before the arrays were allocated\n");
        return;
    }
    if (i < 0 || i >= m) {
        platform::diagf("Fitting: there is no observation %d (%d observations)\n", i, m);
        return;
    }
    if (static_cast<int>(values.size()) != nadd) {
        platform::diagf("Fitting: observation %d takes %d additional constants, not %d\n", i, nadd,
                     static_cast<int>(values.size()));
        return;
    }
    std::copy(values.begin(), values.end(), add[i]);
}

void Fitting::set_initial_parameters(const double* values) {
    if (!usable(allocated(), values, "the initial parameters")) return;
    std::copy(values, values + np, p);
}

void Fitting::set_parameters_pertubation(const double* values) {
    if (!usable(allocated(), values, "the parameter perturbations")) return;
    std::copy(values, values + np, dp);
}

void Fitting::set_variables_pertubation(const double* values) {
    if (!usable(allocated(), values, "the variable perturbations")) return;
    std::copy(values, values + nx, dxv);
}

int Fitting::set_history(const char* path) {
    if (ownsOut_ && out) std::fclose(out);
    ownsOut_ = false;
    out = stdout;
    std::FILE* f = path ? std::fopen(path, "w") : nullptr;
    if (!f) {
        platform::diagf("Fitting: cannot write the report file %s; the report goes to standard output\n",
                     path ? path : "(none)");
        return 1;
    }
    out = f;
    ownsOut_ = true;
    return 0;
}

// --- regression ---

bool Fitting::checkInput() {
    if (!out) out = stdout;
    if (!obj || !fn) {
        std::fprintf(out, "No model is bound to the regression\n");
        return false;
    }
    if (type < 0 || type > 3) {
        std::fprintf(out, "Unknown type of regression %d\n", type);
        return false;
    }
    if (m < 1 || np < 1 || nx < 0 || nadd < 0) {
        std::fprintf(out, "Nothing to fit: %d observations, %d parameters\n", m, np);
        return false;
    }
    if (!allocated()) {
        std::fprintf(out, "The arrays were not allocated for %d observations, %d parameters, %d variables\n", m,
                     np, nx);
        return false;
    }
    if (!(stepDivisor > 1.0) || !(stepLength > 0.0)) {
        std::fprintf(out, "The step divisor must exceed 1 and the step length be positive\n");
        return false;
    }
    for (int k = 0; k < np; ++k)
        if (dp[k] == 0.0 || !std::isfinite(dp[k])) {
            std::fprintf(out, "The perturbation of parameter %d is zero\n", k);
            return false;
        }
    for (int i = 0; i < m; ++i) {
        if (!positiveFinite(varY[i])) {
            std::fprintf(out, "The variance of Y of observation %d is not positive\n", i);
            return false;
        }
        if (hasZ() && !positiveFinite(varZ[i])) {
            std::fprintf(out, "The variance of Z of observation %d is not positive\n", i);
            return false;
        }
        if (hasX())
            for (int j = 0; j < nx; ++j)
                if (!positiveFinite(varX[i][j])) {
                    std::fprintf(out, "The variance of variable %d of observation %d is not positive\n", j, i);
                    return false;
                }
    }
    if (hasX())
        for (int j = 0; j < nx; ++j)
            if (dxv[j] == 0.0 || !std::isfinite(dxv[j])) {
                std::fprintf(out, "The perturbation of variable %d is zero\n", j);
                return false;
            }
    return true;
}

void Fitting::initialize() {
    iteration = 0;
    trials = 0;
    converged = 0;
    for (int i = 0; i < m; ++i) {
        F[i] = Ym[i];
        G[i] = Zm[i];
        FpDp[i] = GpDp[i] = FxDx[i] = GxDx[i] = 0.0;
        for (int j = 0; j < nx; ++j) {
            X[i][j] = Xm[i][j];
            delX[i][j] = 0.0;
            Fx[i][j] = Gx[i][j] = 0.0;
        }
        for (int k = 0; k < np; ++k) Fp[i][k] = Gp[i][k] = 0.0;
    }
}

bool Fitting::callModel(int i, double& f, double& g) {
    (obj->*fn)(X[i], p, f, g, add[i], error);
    if (error) return false;
    // A model value that is not a number cannot enter the sums: it counts as a
    // failed evaluation.
    if (!std::isfinite(f) || (hasZ() && !std::isfinite(g))) {
        error = 1;
        return false;
    }
    return true;
}

void Fitting::func(int& err) {
    err = 0;
    for (int i = 0; i < m; ++i)
        if (!callModel(i, F[i], G[i])) {
            err = 1;
            return;
        }
}

void Fitting::fundr(int& err) {
    err = 0;
    double fPlus, gPlus, fMinus, gMinus;
    for (int i = 0; i < m; ++i) {
        for (int k = 0; k < np; ++k) {
            const double keep = p[k];
            p[k] = keep + dp[k];
            bool ok = callModel(i, fPlus, gPlus);
            p[k] = keep - dp[k];
            ok = ok && callModel(i, fMinus, gMinus);
            p[k] = keep;
            if (!ok) {
                err = 1;
                return;
            }
            Fp[i][k] = (fPlus - fMinus) / (2.0 * dp[k]);
            if (hasZ()) Gp[i][k] = (gPlus - gMinus) / (2.0 * dp[k]);
        }
        if (!hasX()) continue;
        for (int j = 0; j < nx; ++j) {
            const double keep = X[i][j];
            X[i][j] = keep + dxv[j];
            bool ok = callModel(i, fPlus, gPlus);
            X[i][j] = keep - dxv[j];
            ok = ok && callModel(i, fMinus, gMinus);
            X[i][j] = keep;
            if (!ok) {
                err = 1;
                return;
            }
            Fx[i][j] = (fPlus - fMinus) / (2.0 * dxv[j]);
            if (type == 0) Gx[i][j] = (gPlus - gMinus) / (2.0 * dxv[j]);
        }
    }
}

void Fitting::sumsq(double& s) {
    s = 0.0;
    for (int i = 0; i < m; ++i) {
        if (hasX())
            for (int j = 0; j < nx; ++j) {
                const double d = X[i][j] - Xm[i][j];
                s += d * d / varX[i][j];
            }
        const double dy = F[i] - Ym[i];
        s += dy * dy / varY[i];
        if (hasZ()) {
            const double dz = G[i] - Zm[i];
            s += dz * dz / varZ[i];
        }
    }
}

// Steps d to j: the Gauss-Newton correction of the parameters and of the
// variables.  The normal equations of the whole problem,
//   D_i dX_i + S_i dp = -Q_i           (each observation)
//   sum_i S_i^T dX_i + TT dp = -U
// are reduced by eliminating dX_i, which leaves CC dp = C with
// CC = TT - sum_i S_i^T D_i^-1 S_i and C = sum_i S_i^T D_i^-1 Q_i - U.
bool Fitting::buildStep() {
    const bool withX = hasX(), withZ = hasZ();
    for (int i = 0; i < m; ++i) {
        dY[i] = F[i] - Ym[i];
        dZ[i] = G[i] - Zm[i];
        if (withX)
            for (int j = 0; j < nx; ++j) dX[i][j] = X[i][j] - Xm[i][j];
    }
    double** W = tWork_.rows.data();
    if (withX) {
        for (int i = 0; i < m; ++i) {
            for (int j = 0; j < nx; ++j)
                for (int l = 0; l < nx; ++l) {
                    double v = Fx[i][j] * Fx[i][l] / varY[i];
                    if (withZ) v += Gx[i][j] * Gx[i][l] / varZ[i];
                    if (j == l) v += 1.0 / varX[i][j];
                    D[j][l] = v;
                }
            if (inverse(D, nx) != 0) {
                std::fprintf(out, "Ill-defined variable matrix\n");
                error = 1;
                return false;
            }
            double* di = dinv_.data() + static_cast<std::size_t>(i) * nx * nx;
            for (int j = 0; j < nx; ++j)
                for (int l = 0; l < nx; ++l) di[j * nx + l] = D[j][l];
            double* si = s_.data() + static_cast<std::size_t>(i) * nx * np;
            for (int j = 0; j < nx; ++j) {
                double q = dX[i][j] / varX[i][j] + Fx[i][j] * dY[i] / varY[i];
                if (withZ) q += Gx[i][j] * dZ[i] / varZ[i];
                Q[i][j] = q;
                for (int k = 0; k < np; ++k) {
                    double s = Fx[i][j] * Fp[i][k] / varY[i];
                    if (withZ) s += Gx[i][j] * Gp[i][k] / varZ[i];
                    si[j * np + k] = s;
                }
            }
        }
    }
    for (int k = 0; k < np; ++k) {
        double u = 0.0;
        for (int i = 0; i < m; ++i) {
            u += Fp[i][k] * dY[i] / varY[i];
            if (withZ) u += Gp[i][k] * dZ[i] / varZ[i];
        }
        U[k] = u;
        for (int q = 0; q < np; ++q) {
            double t = 0.0;
            for (int i = 0; i < m; ++i) {
                t += Fp[i][k] * Fp[i][q] / varY[i];
                if (withZ) t += Gp[i][k] * Gp[i][q] / varZ[i];
            }
            TT[k][q] = t;
        }
    }
    for (int k = 0; k < np; ++k) {
        C[k] = -U[k];
        for (int q = 0; q < np; ++q) CC[k][q] = TT[k][q];
    }
    if (withX) {
        for (int i = 0; i < m; ++i) {
            const double* di = dinv_.data() + static_cast<std::size_t>(i) * nx * nx;
            const double* si = s_.data() + static_cast<std::size_t>(i) * nx * np;
            double* wi = w_.data() + static_cast<std::size_t>(i) * np * nx;
            for (int k = 0; k < np; ++k)
                for (int j = 0; j < nx; ++j) {
                    double w = 0.0;
                    for (int l = 0; l < nx; ++l) w += si[l * np + k] * di[l * nx + j];
                    wi[k * nx + j] = W[k][j] = w;
                }
            for (int k = 0; k < np; ++k) {
                for (int q = 0; q < np; ++q) {
                    double ws = 0.0;
                    for (int j = 0; j < nx; ++j) ws += W[k][j] * si[j * np + q];
                    CC[k][q] -= ws;
                }
                double wq = 0.0;
                for (int j = 0; j < nx; ++j) wq += W[k][j] * Q[i][j];
                C[k] += wq;
            }
        }
    }
    if (inverse(CC, np) != 0) {
        std::fprintf(out, "Ill-defined parameter matrix\n");
        error = 1;
        return false;
    }
    for (int k = 0; k < np; ++k) {
        double d = 0.0;
        for (int q = 0; q < np; ++q) d += CC[k][q] * C[q];
        delP[k] = d;
    }
    for (int i = 0; i < m; ++i) {
        double f = 0.0, g = 0.0;
        for (int k = 0; k < np; ++k) {
            f += Fp[i][k] * delP[k];
            g += Gp[i][k] * delP[k];
        }
        FpDp[i] = f;
        GpDp[i] = g;
    }
    if (withX) {
        for (int i = 0; i < m; ++i) {
            const double* di = dinv_.data() + static_cast<std::size_t>(i) * nx * nx;
            const double* si = s_.data() + static_cast<std::size_t>(i) * nx * np;
            for (int j = 0; j < nx; ++j)
                for (int k = 0; k < np; ++k) Q[i][j] += si[j * np + k] * delP[k];
            double f = 0.0, g = 0.0;
            for (int j = 0; j < nx; ++j) {
                double d = 0.0;
                for (int l = 0; l < nx; ++l) d -= di[j * nx + l] * Q[i][l];
                delX[i][j] = d;
                f += Fx[i][j] * d;
                g += Gx[i][j] * d;
            }
            FxDx[i] = f;
            GxDx[i] = g;
        }
    }
    return true;
}

void Fitting::calculate_dsl() {
    const bool withX = hasX(), withZ = hasZ();
    dsl = 0.0;
    for (int i = 0; i < m; ++i) {
        if (withX)
            for (int j = 0; j < nx; ++j) dsl += dX[i][j] * delX[i][j] / varX[i][j];
        dsl += dY[i] * (FxDx[i] + FpDp[i]) / varY[i];
        if (withZ) dsl += dZ[i] * (GxDx[i] + GpDp[i]) / varZ[i];
    }
    std::fprintf(out, "\n\nDelta linearized sum of squares = %lg\n", dsl);
    std::fprintf(out, "Changes in parameters\n");
    for (int k = 0; k < np; ++k) std::fprintf(out, "%lg\t", delP[k]);
    std::fprintf(out, "\n");
    if (printLevel >= 3 && withX) {
        std::fprintf(out, "Changes in independent variables\n");
        for (int i = 0; i < m; ++i) {
            for (int j = 0; j < nx; ++j) std::fprintf(out, "%lg\t\t", delX[i][j]);
            std::fprintf(out, "\n");
        }
    }
    // The step must go down the sum of squares.
    if (dsl >= 0.0) {
        for (int k = 0; k < np; ++k) delP[k] = -delP[k];
        for (int i = 0; i < m; ++i) {
            for (int j = 0; j < nx; ++j) delX[i][j] = -delX[i][j];
            FpDp[i] = -FpDp[i];
            GpDp[i] = -GpDp[i];
            FxDx[i] = -FxDx[i];
            GxDx[i] = -GxDx[i];
        }
        dsl = -dsl;
    }
}

void Fitting::limite_variations_of_parameters() {
    if (hasX() && checkVariables != 2) {
        // Estimated variables that are positive stay non-negative.  One that is
        // already 0 or negative cannot be held there by a shorter step (any
        // step along a negative correction crosses 0) and is left to the step.
        for (int i = 0; i < m; ++i)
            for (int j = 0; j < nx; ++j) {
                if (X[i][j] <= 0.0) continue;
                while (X[i][j] + al * delX[i][j] < 0.0) {
                    al /= stepDivisor;
                    if (al < 1e-4) {
                        std::fprintf(out, "delX too big, it = %d al = %lg \n", iteration, al);
                        return;
                    }
                }
            }
    }
    if (checkParameters != 2) {
        for (int k = 0; k < np; ++k) {
            if (maxParamStep - std::fabs(al * delP[k]) <= 0.0) {
                al /= stepDivisor;
                if (al < 1e-5) std::fprintf(out, "delP too big, it = %d al = %lg \n", iteration, al);
            }
        }
    }
}

void Fitting::moveTo(double length) {
    if (hasX())
        for (int i = 0; i < m; ++i)
            for (int j = 0; j < nx; ++j) {
                const std::size_t ij = static_cast<std::size_t>(i) * nx + j;
                X[i][j] = baseX_[ij] + length * delX[i][j];
            }
    for (int k = 0; k < np; ++k) p[k] = baseP_[k] + length * delP[k];
}

void Fitting::limite_step_size() {
    al /= stepDivisor;
    moveTo(al);
}

bool Fitting::relativelySmall(double diff, double ref) const {
    // |diff / ref| < tol, with an exact fit (both zero) counted as converged.
    return diff == 0.0 || std::fabs(diff) < tol * std::fabs(ref);
}

int Fitting::calculate_new_parameters() {
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < nx; ++j) baseX_[static_cast<std::size_t>(i) * nx + j] = X[i][j];
    std::copy(p, p + np, baseP_.begin());
    moveTo(al);
    bool first = true;
    for (;;) {
        if (al < 1e-5) {
            std::fprintf(out, "Linearized function does not sufficiently approximate true function, it = %d, al = %lg\n",
                         iteration, al);
            return 1;
        }
        int err = 0;
        func(err);
        ++trials;
        if (err) {
            ssqn = 1e20;
            error = 0;
        } else {
            sumsq(ssqn);
        }
        const double dS = ssqn - ssq;
        if (first) {
            // The first trial only reports and tests for convergence; the same
            // point is then judged as every later one.
            first = false;
            if (printLevel >= 2) std::fprintf(out, "al ssqn \n %lg  %lg \n", al, ssqn);
            if (relativelySmall(dS, ssqn)) converged = 1;
        }
        if (dS > 0.0 || dS - (2.0 * al - al * al) * decreaseFactor * dsl >= 0.0) {
            limite_step_size();
            continue;
        }
        if (relativelySmall(ssq - ssqn, ssqn)) converged = 1;
        if (iteration > itermax) {
            std::fprintf(out, "Maximum iteration exceeded %d\n", iteration);
            return 2;
        }
        return 0;
    }
}

void Fitting::regres(short& err) {
    error = err;
    if (!out) out = stdout;
    if (!checkInput()) {
        error = 1;
        return;
    }
    initialize();
    for (;;) {
        al = stepLength;
        int e = 0;
        func(e);
        if (!e) fundr(e);
        if (e) {
            std::fprintf(out, "Error in function evaluation\n");
            return;
        }
        sumsq(ssq);
        print();
        ++iteration;
        if (!buildStep()) return;
        calculate_dsl();
        limite_variations_of_parameters();
        const int r = calculate_new_parameters();
        if (r == 2 || converged) break;
        if (r == 1 && iteration > itermax) {
            // Line searches that keep failing end at the iteration limit too.
            std::fprintf(out, "Maximum iteration exceeded %d\n", iteration);
            break;
        }
    }
    summary();
}

void Fitting::summary() {
    if (m > np) {
        variance = ssqn / (m - np);
    } else {
        variance = std::numeric_limits<double>::quiet_NaN();
        std::fprintf(out, "No degrees of freedom left: the variance of the fit cannot be estimated\n");
    }
    for (int k = 0; k < np; ++k)
        for (int q = 0; q < np; ++q) covariance[k][q] = variance * CC[k][q];
    for (int k = 0; k < np; ++k) sdP[k] = std::sqrt(covariance[k][k]);
    for (int k = 0; k < np; ++k)
        for (int q = 0; q < np; ++q) correlation[k][q] = covariance[k][q] / (sdP[k] * sdP[q]);

    std::fprintf(out, "\nRegression summary\n\n");
    std::fprintf(out, "Sum of the squares of the weighted residuals : %lg\n\n", ssq);
    std::fprintf(out, "Estimated variance of the fit : %lg\n", variance);
    std::fprintf(out, "Estimated parameters\t: ");
    for (int k = 0; k < np; ++k) std::fprintf(out, "%lg\t", p[k]);
    std::fprintf(out, " \n\n");
    std::fprintf(out, "Standard deviations : \n\n ");
    for (int k = 0; k < np; ++k) std::fprintf(out, "%lg ", sdP[k]);
    std::fprintf(out, "\n\nCovariance matrix ");
    for (int k = 0; k < np; ++k) {
        for (int q = 0; q < np; ++q) std::fprintf(out, "%lg  ", covariance[k][q]);
        std::fprintf(out, "\n");
    }
    std::fprintf(out, "\nCorrelation coefficient matrix ");
    for (int k = 0; k < np; ++k) {
        for (int q = 0; q < np; ++q) std::fprintf(out, "%lg  ", correlation[k][q]);
        std::fprintf(out, "\n");
    }
}

void Fitting::print() {
    if (!out) out = stdout;
    if (printLevel > 0) {
        std::fprintf(out, "Iteration %d  \nSum of the squares %lg\n  Parameters ", iteration, ssq);
        for (int k = 0; k < np; ++k) std::fprintf(out, "%lg ", p[k]);
        std::fprintf(out, "\n\n");
    }
    if (printLevel > 3) {
        std::fprintf(out, "Estimated true values of variables\n");
        switch (type) {
            case 0: std::fprintf(out, "i\t\tX\t\tXm\t\tY\t\tYm\t\tZ\t\tZm\n"); break;
            case 1: std::fprintf(out, "i\t\tX\t\tXm\t\tY\t\tYm\n"); break;
            case 2: std::fprintf(out, "i\t\tY\t\tYm\t\tZ\t\tZm\n"); break;
            default: std::fprintf(out, "i\t\tY\t\tYm\n"); break;
        }
        for (int i = 0; i < m; ++i) {
            if (type == 0 || type == 1) {
                std::fprintf(out, "%d\t\t", i);
                for (int j = 0; j < nx; ++j) std::fprintf(out, "%12lg\t\t%12lg\t\t", X[i][j], Xm[i][j]);
                if (type == 0)
                    std::fprintf(out, "%12lg\t\t%12lg\t\t%12lg\t\t%12lg\n", F[i], Ym[i], G[i], Zm[i]);
                else
                    std::fprintf(out, "%12lg\t\t%12lg\n", F[i], Ym[i]);
            } else if (type == 2) {
                std::fprintf(out, "%d\t\t%12lg\t\t%12lg\t\t%12lg\t\t%12lg\n", i, F[i], Ym[i], G[i], Zm[i]);
            } else {
                std::fprintf(out, "%d\t\t%12lg\t\t%12lg\n", i, F[i], Ym[i]);
            }
        }
        std::fprintf(out, "\n");
    }
    if (printLevel > 6) {
        if (type == 0 || type == 1) {
            std::fprintf(out, "Derivatives with respect to the variables\n");
            std::fprintf(out, type == 0 ? "i\t\tdFx\t\tdGx\n" : "i\t\tdFx\n");
            for (int i = 0; i < m; ++i) {
                std::fprintf(out, "%d\t\t", i);
                for (int j = 0; j < nx; ++j) std::fprintf(out, "%12lg\t\t", Fx[i][j]);
                if (type == 0)
                    for (int j = 0; j < nx; ++j) std::fprintf(out, "%12lg\t\t", Gx[i][j]);
                std::fprintf(out, "\n");
            }
            std::fprintf(out, "\n");
        }
        std::fprintf(out, "Derivatives with respect to the parameters\n");
        const bool withZ = type == 0 || type == 2;
        std::fprintf(out, withZ ? "i\t\tdFp\t\tdGp\n" : "i\t\tdFp\n");
        for (int i = 0; i < m; ++i) {
            std::fprintf(out, "%d\t\t", i);
            for (int k = 0; k < np; ++k) std::fprintf(out, "%12lg\t\t", Fp[i][k]);
            if (withZ)
                for (int k = 0; k < np; ++k) std::fprintf(out, "%12lg\t\t", Gp[i][k]);
            std::fprintf(out, "\n");
        }
    }
}
