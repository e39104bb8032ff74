#include "numerics/NLESolver.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/LogSink.h"
#include "platform/Process.h"

void NLESolver::_setSysEquationToSolve(Equation* o, SysEquationFn f, int nn) {
    if (sameBinding(o, f, nn)) return;
    if (nn < 0) {
        platform::diagf("NLESolver: a system cannot have %d unknowns\n", nn);
        nn = 0;
    }
    if (nn != n && n != 0) purge();
    obj = o;
    fn = f;
    n = nn;
    m = nn;
    iter = 0;
    itermax = 25;
    status = 0;
    tol = 1e-11;
    modG = modG0 = 1e15;

    block_.assign(static_cast<std::size_t>(m) + 5 * static_cast<std::size_t>(n), 0.0);
    double* p = block_.data();
    G = p;
    x = G + m;
    xold = x + n;
    dx = xold + n;
    scale = dx + n;
    h = scale + n;
    std::fill(scale, scale + n, 1e4);
    std::fill(h, h + n, 1e-9);
    jstore_.assign(static_cast<std::size_t>(n) * n, 0.0);
    jrows_.resize(n);
    for (int i = 0; i < n; ++i) jrows_[i] = jstore_.data() + static_cast<std::size_t>(i) * n;
    J = jrows_.data();
    scratch_.assign(m, 0.0);
}

void NLESolver::purge() {
    data = nullptr;
    block_.clear();
    block_.shrink_to_fit();
    jstore_.clear();
    jstore_.shrink_to_fit();
    jrows_.clear();
    jrows_.shrink_to_fit();
    scratch_.clear();
    G = x = xold = dx = scale = h = nullptr;
    J = nullptr;
}

void NLESolver::calculate(double* xv, double* Gv, double** Jv, int& err, int order) {
    err = 0;
    (obj->*fn)(xv, Gv, Jv, err, order, data);
}

void NLESolver::calculate_numerical(double* xv, double* Gv, double** Jv, int& err) {
    centralDifferenceJacobian(xv, Gv, Jv, err, scratch_.data());
}

void NLESolver::centralDifferenceJacobian(double* xv, double* Gv, double** Jv, int& err, double* s) {
    calculate(xv, Gv, nullptr, err, 0);
    if (err) return;
    for (int j = 0; j < n; ++j) {
        const double xj = xv[j];
        xv[j] = xj + h[j];
        calculate(xv, s, nullptr, err, 0);
        if (!err) {
            for (int i = 0; i < m; ++i) Jv[i][j] = s[i];
            xv[j] = xj - h[j];
            calculate(xv, s, nullptr, err, 0);
        }
        xv[j] = xj;
        // A failed displaced evaluation leaves no usable column.
        if (err) return;
        for (int i = 0; i < m; ++i) Jv[i][j] = (Jv[i][j] - s[i]) / (2.0 * h[j]);
    }
}

double NLESolver::check_derivatives(std::FILE* stream, double* xv, double* hv) {
    if (!hv) hv = h;
    std::vector<double> g(m), store(2 * static_cast<std::size_t>(m) * n);
    std::vector<double*> ana(m), num(m);
    for (int i = 0; i < m; ++i) {
        ana[i] = store.data() + static_cast<std::size_t>(i) * n;
        num[i] = store.data() + static_cast<std::size_t>(m + i) * n;
    }
    int err = 0;
    calculate(xv, g.data(), ana.data(), err, 1);
    if (err) {
        std::fprintf(stream, "Evaluation failure at the checked point\n");
        return -1.0;
    }
    double* s = scratch_.data();
    for (int j = 0; j < n && !err; ++j) {
        const double xj = xv[j];
        xv[j] = xj + hv[j];
        calculate(xv, g.data(), nullptr, err, 0);
        if (!err) {
            xv[j] = xj - hv[j];
            calculate(xv, s, nullptr, err, 0);
        }
        xv[j] = xj;
        if (!err)
            for (int i = 0; i < m; ++i) num[i][j] = (g[i] - s[i]) / (2.0 * hv[j]);
    }
    if (err) {
        std::fprintf(stream, "Evaluation failure beside the checked point\n");
        return -1.0;
    }
    double worst = 0.0;
    std::fprintf(stream, "Analytical \n\n");
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < n; ++j) std::fprintf(stream, "% 08le  ", ana[i][j]);
        std::fprintf(stream, "\n");
    }
    std::fprintf(stream, "\nNumerical \n\n");
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < n; ++j) {
            std::fprintf(stream, "% 08le  ", num[i][j]);
            const double d = std::fabs(ana[i][j] - num[i][j]) /
                             std::max({std::fabs(ana[i][j]), std::fabs(num[i][j]), 1e-300});
            if (ana[i][j] != num[i][j]) worst = std::max(worst, d);
        }
        std::fprintf(stream, "\n");
    }
    return worst;
}

int NLESolver::map(int ix, int iy, double x0min, double x0max, double x1min, double x1max, int nx, int ny,
                   char kind, const char* suffix) {
    if (nx < 2 || ny < 2) return -1;
    if (ix < 0 || ix >= n || iy < 0 || iy >= n || !x) {
        platform::diagf("NLESolver map: variables %d and %d are not unknowns of the system\n", ix, iy);
        return -1;
    }
    if (!suffix) suffix = "";
    const int nxp = nx % 2 == 0 ? nx + 1 : nx;
    const double d0 = (x0max - x0min) / (nxp - 1);
    const double d1 = (x1max - x1min) / (ny - 1);
    const std::string name = std::string("mapcrit") + suffix;
    std::FILE* out = std::fopen(name.c_str(), "w");
    if (!out) {
        platform::diagf("NLESolver map: cannot write %s\n", name.c_str());
        return -1;
    }
    if (kind == 1)
        std::fprintf(out, "IGOR\nWAVES x0%s x1%s res%s f%s\nBEGIN\n", suffix, suffix, suffix, suffix);

    const double keep0 = x[ix], keep1 = x[iy];
    auto evaluate = [&](double& res, double& g0) {
        int err = 0;
        calculate(x, G, nullptr, err, 0);
        double sum = 0.0;
        for (int i = 0; i < m; ++i) sum += G[i];
        res = std::fabs(sum);
        g0 = m > 0 ? G[0] : 0.0;
    };
    std::vector<double> res(ny), g0(ny);
    x[ix] = x0min;
    // Successive evaluations are neighbours on a serpentine path: up one column,
    // down the next.
    for (int k = 0; k < nxp; k += 2) {
        x[iy] = x1min;
        for (int j = 0; j < ny; ++j) {
            double r, g;
            evaluate(r, g);
            std::fprintf(out, "%lf\t%lf\t%lf\t%lf\n", x[ix], x[iy], r, g);
            x[iy] += d1;
        }
        std::fprintf(out, "\n");
        x[ix] += d0;
        x[iy] = x1max;
        for (int j = ny - 1; j >= 0; --j) {
            evaluate(res[j], g0[j]);
            g0[j] = std::fabs(g0[j]);
            x[iy] -= d1;
        }
        for (int j = 0; j < ny; ++j)
            std::fprintf(out, "%lf\t%lf\t%lf\t%lf\n", x[ix], x1min + j * d1, res[j], g0[j]);
        std::fprintf(out, "\n");
        x[ix] += d0;
    }
    x[ix] = keep0;
    x[iy] = keep1;
    if (kind == 1) std::fprintf(out, "END\n");
    if (std::fclose(out) != 0) {
        platform::diagf("NLESolver map: cannot write %s\n", name.c_str());
        return -1;
    }
    if (kind == 2) {
        std::FILE* gp = std::fopen("g60.gp", "w");
        if (!gp) {
            platform::diagf("NLESolver map: cannot write g60.gp\n");
            return -1;
        }
        std::fprintf(gp,
                     "reset\nset timestamp\nset multiplot\nset origin 0,0\nset size 0.5,1\n"
                     "set xlabel %d\nset ylabel %d\nset contour\nset cntrparam levels 9\n"
                     "set style data lines \nset view 180,0,1,1\nset yrange [*:*] reverse\n"
                     "unset surface\nset pm3d\nsplot \"mapcrit\" \nset origin 0.5,0\nset size 0.5,1\n"
                     "splot \"mapcrit\" using 1:2:4\n",
                     ix, iy);
        if (std::fclose(gp) != 0) return -1;
        platform::runGnuplot("g60.gp");
    }
    return 0;
}

void NLESolver::display_the_vector() {
    if (!verbose) return;
    platform::tracef("%3d\t\tmodG %12lg\t\t", iter, modG);
    for (int i = 0; i < n; ++i) platform::tracef("U%1d %12lg\t\t\t", i, x[i]);
    platform::tracef("\n");
}

void NLESolver::display_the_Jacobian_matrix() {
    if (iter == 0 || verbose <= 2) return;
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < n; ++j) platform::tracef("%lg  ", J[i][j]);
        platform::tracef("\n");
    }
    for (int i = 0; i < m; ++i) platform::tracef("%lg  ", G[i]);
    platform::tracef("\n");
}
