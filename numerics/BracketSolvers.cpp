// Muller, Bolzano, SecDic and SecMul: the bracketing single-variable solvers.
#include <cmath>
#include <cstdio>
#include <utility>

#include "numerics/Bolzano.h"
#include "numerics/BracketSteps.h"
#include "numerics/Muller.h"
#include "numerics/SecDic.h"
#include "numerics/SecMul.h"
#include "platform/LogSink.h"

namespace {

bool converged(double a, double b, double tol) { return std::fabs(b - a) < tol * std::fmax(1.0, std::fabs(a)); }

// One line of the iteration trace (with f at the second end when traceF).
void traceStep(const Solver& s, bool traceF, double f1) {
    if (!s.verbose) return;
    if (traceF)
        platform::tracef("%d\t%lg\t%lg\t%lg\n", s.iter, s.x0, s.x1, f1);
    else
        platform::tracef("%d\t%lg\t%lg\n", s.iter, s.x0, s.x1);
}

// f at both ends of the bracket [x0, x1]; false when an evaluation fails
// (its status kept) or f has the same sign at both (status noBracket).
bool evaluateBracket(Solver& s, double& fa, double& fb, int noBracket) {
    s.iter = 0;
    fa = s.calcFunction(s.x0);
    if (s.status) return false;
    fb = s.calcFunction(s.x1);
    if (s.status) return false;
    if (!(fa * fb <= 0.0)) {
        s.status = noBracket;
        if (s.verbose) platform::tracef("Initialization error\n");
        return false;
    }
    s.status = kSolverConverged;
    return true;
}

// The end test after a step on the bracket [x0, x1]: converged (status 0),
// a failed evaluation (its status kept) or past the iteration limit (status
// 1) ends the search; otherwise the iteration is counted.
bool iterationEnds(Solver& s) {
    if (converged(s.x0, s.x1, s.tol)) {
        s.status = kSolverConverged;
        return true;
    }
    ++s.iter;
    if (s.status) return true;
    if (s.iter > s.itermax) {
        s.status = kSolverIterationLimit;
        return true;
    }
    return false;
}

}  // namespace

namespace bracket_steps {

double bisect(Solver& s, double fa, double fb, bool traceF) {
    double m = 0.5 * (s.x0 + s.x1);
    double fm = s.calcFunction(m);
    for (;;) {
        traceStep(s, traceF, fb);
        if (fm * fa <= 0.0) {
            s.x1 = m;
            fb = fm;
        } else {
            s.x0 = m;
            fa = fm;
        }
        m = 0.5 * (s.x0 + s.x1);
        fm = s.calcFunction(m);
        if (iterationEnds(s)) break;
    }
    return m;
}

namespace {

// Items 1 and 2 of the interpolation: midpoint, orientation, new point x3.
void interpolationStep(Solver& s, double& f0, double& f1, double& m, double& fm, double& x3, double& f3) {
    m = 0.5 * (s.x0 + s.x1);
    fm = s.calcFunction(m);
    if (f1 * fm < 0.0) {
        std::swap(s.x0, s.x1);
        std::swap(f0, f1);
    }
    // Afterwards f(x0) and fm have opposite signs (or fm is 0).
    const double D = (f1 - f0) * f1 - 2.0 * fm * (fm - f0);
    if (D > 0.0 && s.status == kSolverConverged) {
        // Inverse quadratic interpolation through three equally spaced points.
        x3 = s.x0 + (s.x1 - s.x0) * f0 * D / ((fm - f0) * 2.0 * (f0 - f1) * (f1 - fm));
        f3 = s.calcFunction(x3);
    } else {
        x3 = m;
        f3 = fm;
    }
}

}  // namespace

double interpolate(Solver& s, double f0, double f1, bool traceF) {
    double m, fm, x3, f3;
    interpolationStep(s, f0, f1, m, fm, x3, f3);
    // A failed evaluation never enters the bracket as a zero of f.
    while (s.status == kSolverConverged) {
        traceStep(s, traceF, f1);
        if (f0 * f3 <= 0.0) {
            s.x1 = x3;
            f1 = f3;
        } else {
            s.x0 = x3;
            f0 = f3;
            s.x1 = m;
            f1 = fm;
        }
        interpolationStep(s, f0, f1, m, fm, x3, f3);
        if (iterationEnds(s)) break;
    }
    traceStep(s, traceF, f1);
    return x3;
}

}  // namespace bracket_steps

double Muller::solve() {
    // A failed start evaluation ends the search with its status rather than
    // counting as a zero of f.
    double f0, f1;
    if (!evaluateBracket(*this, f0, f1, kSolverEvaluationFailed)) return 0.0;
    return bracket_steps::interpolate(*this, f0, f1, false);
}

double Bolzano::solve() {
    double fa, fb;
    if (!evaluateBracket(*this, fa, fb, kSolverIterationLimit)) return 0.0;
    return bracket_steps::bisect(*this, fa, fb, false);
}

bool SecantBracket::secantPhase(bool improveAtStart, bool improveInSearch, double& result) {
    iter = 0;
    hasPos = hasNeg = false;
    result = 0.0;
    f0 = calcFunction(x0);
    if (status) return false;
    if (f0 > 0.0) {
        fpos = f0;
        xpos = x0;
        hasPos = true;
    } else {
        fneg = f0;
        xneg = x0;
        hasNeg = true;
    }
    f1 = calcFunction(x1);
    if (status) return false;
    auto record = [&](double x, double f, bool improve) {
        if (f > 0.0) {
            if (!hasPos || (improve && f < fpos)) {
                fpos = f;
                xpos = x;
                hasPos = true;
            }
        } else if (!hasNeg || (improve && f > fneg)) {
            fneg = f;
            xneg = x;
            hasNeg = true;
        }
    };
    record(x1, f1, improveAtStart);

    double x2 = x1;
    while (!(hasPos && hasNeg)) {
        if (verbose) platform::tracef("%d\t%lg\t%lg\t%lg\n", iter, x0, x1, f1);
        double lam = lambda;
        double f2 = 0.0;
        do {
            const double den = f1 - f0;
            const double candidate = den != 0.0 ? x1 - lam * f1 * (x1 - x0) / den : NAN;
            if (!std::isfinite(candidate)) {
                // Flat secant (f1 = f0): no next point; the model is not handed a
                // non-finite value.
                status = kSolverEvaluationFailed;
                result = x1;
                return false;
            }
            x2 = candidate;
            f2 = calcFunction(x2);
            lam /= 2.0;
            if (status == kSolverConverged && monotone && iter >= 2 && f2 * f1 > 0.0 &&
                std::fabs(f2) > std::fabs(f1)) {
                status = kSolverResidualGrew;
                if (verbose) platform::tracef("Increase of the module of the function %lg > %lg\n", f2, f1);
            }
        } while (status != kSolverConverged && lam > lambdaMin);
        // A failed evaluation is no bracket end.
        if (status == kSolverConverged) record(x2, f2, improveInSearch);
        if (hasPos && hasNeg) break;
        const bool done = converged(x1, x2, tol);
        x0 = x1;
        x1 = x2;
        f0 = f1;
        f1 = f2;
        if (done) {
            status = kSolverConverged;
            result = x2;
            return false;
        }
        ++iter;
        if (status || iter > itermax) {
            if (!status) status = kSolverIterationLimit;
            result = x2;
            return false;
        }
    }
    x0 = xpos;
    x1 = xneg;
    status = kSolverConverged;
    return true;
}

double SecantBracket::solveBracketed(bool improveAtStart, bool improveInSearch, SolverStatus sameSignStatus,
                                     double (*bracketStep)(Solver&, double, double, bool)) {
    double result;
    if (!secantPhase(improveAtStart, improveInSearch, result)) return result;
    if (fpos * fneg > 0.0) {
        if (verbose) platform::tracef("Initialization error\n");
        status = sameSignStatus;
        return 0.0;
    }
    f0 = fpos;
    f1 = fneg;
    return bracketStep(*this, fpos, fneg, true);
}

double SecDic::solve() { return solveBracketed(false, true, kSolverIterationLimit, bracket_steps::bisect); }

double SecMul::solve() { return solveBracketed(true, false, kSolverEvaluationFailed, bracket_steps::interpolate); }
