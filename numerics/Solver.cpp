#include "numerics/Solver.h"

#include <cmath>
#include <cstdio>

#include "platform/Process.h"
#include "platform/LogSink.h"

double Solver::calcFunction(double x) {
    status = kSolverConverged;
    if (bounded) {
        // The bounds themselves are allowed.
        if (x < xmin) {
            status = kSolverBelowMin;
            return 0.0;
        }
        if (x > xmax) {
            status = kSolverAboveMax;
            return 0.0;
        }
    }
    // The flag tells of this evaluation: one left set by an earlier call on
    // the object is no failure of it.
    obj->error = 0;
    double f = (obj->*fn)(x, data);
    if (obj->error) {
        status = kSolverEvaluationFailed;
        obj->error = 0;
        return 0.0;
    }
    return f;
}

int Solver::plot(double a, double b, int n, char logScale) {
    if (logScale && !(a * b > 0.0)) {
        platform::diagf("Solver plot: a logarithmic scale needs bounds of the same sign (%lg, %lg)\n",
                     a, b);
        return -1;
    }
    std::FILE* out = std::fopen("solver.txt", "w");
    if (!out) {
        platform::diagf("Solver plot: cannot write solver.txt\n");
        return -1;
    }
    const double step = logScale ? std::pow(b / a, 1.0 / n) : (b - a) / n;
    double x = a;
    for (int i = 0; i <= n; ++i) {
        double f = (obj->*fn)(x, data);
        // The plot calls the model directly; a point where it fails must not
        // leave the flag set for the next solve.
        obj->error = 0;
        std::fprintf(out, "%12lg\t%12lg\n", x, f);
        if (logScale)
            x *= step;
        else
            x += step;
    }
    bool ok = std::fclose(out) == 0;
    std::FILE* gp = ok ? std::fopen("solver.gp", "w") : nullptr;
    if (!gp) {
        platform::diagf("Solver plot: cannot write solver.gp\n");
        return -1;
    }
    std::fputs("reset\n"
               "set term qt\n"
               "set timestamp\n"
               "set title \"Solver - Curve check\"\n"
               "set xlabel \"x\"\n"
               "set ylabel \"f(x)\"\n"
               "set style data lines\n"
               "set xzeroaxis lt 2 lw 0.5\n"
               "plot 'solver.txt'\n",
               gp);
    if (std::fclose(gp) != 0) {
        platform::diagf("Solver plot: cannot write solver.gp\n");
        return -1;
    }
    platform::RunResult r = platform::runGnuplot("solver.gp");
    if (r.started) return r.status;
    return platform::externalProgramsEnabled() ? -1 : 0;
}
