#include "numerics/Secant.h"
#include "platform/LogSink.h"

#include <cmath>
#include <cstdio>
#include <limits>

double Secant::solve() {
    iter = 0;
    double f0 = calcFunction(x0);
    if (status) return 0.0;
    if (std::fabs(f0) < 1e-15) {
        status = kSolverConverged;
        f1 = f0;
        return x0;
    }
    f1 = calcFunction(x1);
    if (status) return 0.0;

    double x2 = x1;
    for (;;) {
        if (verbose) platform::tracef("%4d\t%12lg\t%12lg\t%12lg\n", iter, x0, x1, f1);

        // Damped step: halve the damping while the evaluation fails.
        double lam = lambda;
        double f2 = 0.0;
        do {
            const double num = lam * f1 * (x1 - x0);
            const double den = f1 - f0;
            double candidate = std::numeric_limits<double>::quiet_NaN();
            if (den != 0.0)
                candidate = x1 - num / den;
            else if (limitStep && num != 0.0)
                candidate = x1 - std::copysign(maxStep, num);  // the limit caps an unbounded step
            if (limitStep && std::fabs(candidate - x1) > maxStep)
                candidate = x1 > candidate ? x1 - maxStep : x1 + maxStep;
            if (!std::isfinite(candidate)) {
                // f1 = f0: the secant is flat and gives no next point.  The
                // model is not handed a non-finite value; the search ends as a
                // failure at the last good iterate.
                if (verbose)
                    platform::tracef("No secant step: f(x0) = f(x1) = %lg for x0 = %lg, x1 = %lg\n", f1, x0,
                                x1);
                status = kSolverEvaluationFailed;
                return x1;
            }
            x2 = candidate;
            f2 = calcFunction(x2);
            lam /= 2.0;
            if (status == kSolverConverged && monotone && std::fabs(f2) > std::fabs(f1)) {
                status = kSolverResidualGrew;
                if (verbose)
                    platform::tracef("Increase of the module of the function %lg > %lg for x = %lg \n", f2, f1,
                                x2);
            }
        } while (status != kSolverConverged && lam > lambdaMin);

        x0 = x1;
        x1 = x2;
        f0 = f1;
        f1 = f2;
        // A tiny final step counts as converged, even when its evaluation failed.
        if (std::fabs(x1 - x0) < tol * std::fmax(1.0, std::fabs(x0))) {
            status = kSolverConverged;
            break;
        }
        ++iter;
        if (status) break;
        if (iter > itermax) {
            status = kSolverIterationLimit;
            break;
        }
    }
    if (verbose) platform::tracef("%4d\t%12lg\t%12lg\t%12lg\n", iter, x0, x1, f1);
    return x2;
}
