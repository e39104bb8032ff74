#include "numerics/NewtonRaphson.h"
#include "platform/LogSink.h"

#include <cmath>
#include <limits>

namespace {

// rho f/df, without dividing by zero: a vanishing derivative gives an infinite
// step of the sign the division would have (caught by the bounds or refused by
// calculate), and f = 0 gives no step at all.
double newtonStep(double rho, double f, double df) {
    if (f == 0.0) return 0.0;
    if (df == 0.0) return std::copysign(std::numeric_limits<double>::infinity(), f) * (std::signbit(df) ? -1.0 : 1.0);
    return rho * f / df;
}

}  // namespace

void NewtonRaphson::calculate() {
    status = 0;
    evaluated = false;
    if (bounded) {
        if (x1 < xmin) {
            if (verbose) platform::tracef("Too low value: x1 : %lf < xmin : %lf \n", x1, xmin);
            status = 2;
            f1 = df1 = 0.0;
            return;
        }
        if (x1 > xmax) {
            if (verbose) platform::tracef("Too high value: x1 : %lf > xmax : %lf \n", x1, xmax);
            status = 3;
            f1 = df1 = 0.0;
            return;
        }
    }
    if (!std::isfinite(x1)) {
        // A vanishing derivative gives an infinite step: the model is not handed
        // a non-finite value.
        if (verbose) platform::tracef("Function evaluation error: x1 : %lf \n", x1);
        status = 4;
        f1 = df1 = 0.0;
        return;
    }
    obj->error = 0;  // (the flag tells of this evaluation)
    (obj->*fn)(x1, f1, df1);
    if (obj->error) {
        if (verbose) platform::tracef("Function evaluation error: x1 : %lf  fx1 : %lg \n", x1, f1);
        status = 4;
        obj->error = 0;
    } else {
        evaluated = true;
    }
    // The monotone checks guard the Newton steps; bisection needs no such guard.
    if (monotone && iter > 0 && !bisecting) {
        if (std::fabs(f1) > std::fabs(f0)) {
            status = 5;
            if (verbose)
                platform::tracef("Increase of the module of the function: |fx1| %lg   |fx0| %lg\n",
                            std::fabs(f1), std::fabs(f0));
        }
        if (df0 * df1 < 0.0) {
            status = 6;
            if (verbose) platform::tracef("Change of the convexity\n");
        }
    }
}

int NewtonRaphson::convergence() {
    ++iter;
    // A step below the tolerance is convergence only where the model was
    // evaluated: a trial that failed or fell outside the bounds is no answer,
    // however close to the previous iterate it lies.
    if (evaluated && std::fabs(x1 - x0) < tol * std::fmax(1.0, std::fabs(x0))) {
        status = 0;
        return 1;
    }
    // A Newton step from x1 that rounds back to x1 would evaluate the model
    // at x1 once more and stop there on its zero step: x1, evaluated last,
    // is that answer already (the same bits, the model left in the same
    // state), one evaluation sooner.
    if (evaluated && status == 0 && !bisecting && tol > 0.0 && x1 - newtonStep(r, f1, df1) == x1) return 1;
    if (status) {
        if (verbose) platform::tracef("Calculation failure %d. x1 : %lf \n", status, x1);
        return 1;
    }
    if (iter <= itermax) return 0;
    if (verbose) platform::tracef("The iteration has gone on too long.\n");
    status = 1;
    return 1;
}

double NewtonRaphson::solve() {
    iter = 0;
    bisecting = false;
    x1 = x0;
    calculate();
    iter = 1;
    if (status) return std::numeric_limits<double>::quiet_NaN();

    fpos = 1e100;
    fneg = -1e100;
    xpos = xneg = 0.0;
    hasPos = hasNeg = false;
    if (f1 > 0.0) {
        fpos = f1;
        xpos = x1;
        hasPos = true;
    } else {
        fneg = f1;
        xneg = x1;
        hasNeg = true;
    }

    do {
        x0 = x1;
        f0 = f1;
        df0 = df1;
        double rho = r;
        do {
            x1 = x0 - newtonStep(rho, f0, df0);
            calculate();
            if (verbose)
                platform::tracef("i %2d\tx0 %12lg\tx1 %12lg\t fx1 %12lg\t r %5g\n", iter, x0, x1, f1, rho);
            rho /= 2.0;
        } while (status != 0 && rho > 0.001);
        // Only a successful evaluation improves the bracket.
        if (status == 0) {
            if (f1 > 0.0 && f1 < fpos) {
                fpos = f1;
                xpos = x1;
                hasPos = true;
            } else if (f1 <= 0.0 && f1 > fneg) {
                fneg = f1;
                xneg = x1;
                hasNeg = true;
            }
        }
    } while (!convergence());

    if (status != 0 && hasPos && hasNeg) {
        // Bisection between the best ends.  Successive midpoints are compared
        // for convergence; a failed evaluation never moves an end and ends the
        // search with its status.
        status = 0;
        iter = 0;
        bisecting = true;
        x1 = xpos;
        do {
            x0 = x1;
            x1 = 0.5 * (xpos + xneg);
            calculate();
            if (status == 0) {
                if (f1 > 0.0)
                    xpos = x1;
                else
                    xneg = x1;
            }
            if (verbose)
                platform::tracef("i %2d x1 %12lg\t xpos %12lg\t \t xneg %12lg fx1 %12lg\n", iter, x1, xpos, xneg,
                            f1);
        } while (!convergence());
        bisecting = false;
    }
    return x1;
}

int NewtonRaphson::plot(double a, double b, int n) {
    std::FILE* out = std::fopen("nr", "w");
    if (!out) {
        platform::diagf("NewtonRaphson plot: cannot write nr\n");
        return -1;
    }
    const double step = (b - a) / n;
    double x = a;
    for (int i = 0; i <= n; ++i) {
        double f = 0.0, df = 0.0;
        (obj->*fn)(x, f, df);
        obj->error = 0;
        std::fprintf(out, "%lg %lg\n", x, f);
        x += step;
    }
    return std::fclose(out) == 0 ? 0 : -1;
}

void NewtonRaphson::check_derivatives(double x, double h, std::FILE* out) {
    double f = 0.0, df = 0.0, fm = 0.0, fp = 0.0, d = 0.0;
    (obj->*fn)(x, f, df);
    (obj->*fn)(x - h, fm, d);
    (obj->*fn)(x + h, fp, d);
    obj->error = 0;
    std::fprintf(out, "Check derivatives at %lf\n\tAnal. : %lg  Num. : %lg\n", x, df, (fp - fm) / (2.0 * h));
}
