#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "numerics/Vignes.h"

namespace {

struct Tag {
    virtual ~Tag() = default;
    int id = 9;
};

// Residual systems; Equation sits after the virtual-table pointer of Tag.
class Residuals : public Tag, public Equation {
public:
    std::vector<double> t{0.0, 0.5, 1.0, 1.5, 2.0, 2.5};
    std::vector<double> y;
    int calls = 0;
    double failAbove = 1e300;  // x0 above this fails
    bool failAll = false;

    // Straight line a + b t through the points (t, y): G_i = a + b t_i - y_i.
    virtual void line(double* x, double* G, double** J, int& err, int order, void*) {
        ++calls;
        if (failAll) {
            err = 1;
            return;
        }
        for (std::size_t i = 0; i < y.size(); ++i) {
            G[i] = x[0] + x[1] * t[i] - y[i];
            if (order >= 1) {
                J[i][0] = 1.0;
                J[i][1] = t[i];
            }
        }
    }
    // G_i = A exp(k t_i) - y_i.
    void exponential(double* x, double* G, double** J, int& err, int order, void*) {
        ++calls;
        if (x[0] > failAbove) {
            err = 1;
            return;
        }
        for (std::size_t i = 0; i < y.size(); ++i) {
            const double e = std::exp(x[1] * t[i]);
            G[i] = x[0] * e - y[i];
            if (order >= 1) {
                J[i][0] = e;
                J[i][1] = x[0] * t[i] * e;
            }
        }
    }
    // Rosenbrock's valley as residuals: 10 (x1 - x0^2), 1 - x0.
    void rosenbrock(double* x, double* G, double** J, int&, int order, void*) {
        ++calls;
        G[0] = 10.0 * (x[1] - x[0] * x[0]);
        G[1] = 1.0 - x[0];
        if (order >= 1) {
            J[0][0] = -20.0 * x[0];
            J[0][1] = 10.0;
            J[1][0] = -1.0;
            J[1][1] = 0.0;
        }
    }
    // x0 - 1, x0 - 3, x1^2 - 4: least squares at x0 = 2, x1 = +-2, Phi = 2.
    void conflicting(double* x, double* G, double** J, int&, int order, void*) {
        ++calls;
        G[0] = x[0] - 1.0;
        G[1] = x[0] - 3.0;
        G[2] = x[1] * x[1] - 4.0;
        if (order >= 1) {
            J[0][0] = 1.0;
            J[0][1] = 0.0;
            J[1][0] = 1.0;
            J[1][1] = 0.0;
            J[2][0] = 0.0;
            J[2][1] = 2.0 * x[1];
        }
    }
    // Only x0 + x1 matters: the normal matrix is singular everywhere.
    void sumOnly(double* x, double* G, double** J, int&, int order, void*) {
        ++calls;
        const double c[] = {1.0, 2.0, 4.0};
        for (int i = 0; i < 3; ++i) {
            G[i] = x[0] + x[1] - c[i];
            if (order >= 1) J[i][0] = J[i][1] = 1.0;
        }
    }
};

const SysEquationFn kLine = toEquationFn<SysEquationFn>(&Residuals::line);
const SysEquationFn kExponential = toEquationFn<SysEquationFn>(&Residuals::exponential);
const SysEquationFn kRosenbrock = toEquationFn<SysEquationFn>(&Residuals::rosenbrock);
const SysEquationFn kConflicting = toEquationFn<SysEquationFn>(&Residuals::conflicting);
const SysEquationFn kSumOnly = toEquationFn<SysEquationFn>(&Residuals::sumOnly);

// Fits A exp(B t) to the data of r, from (A, B) = (1, 0) with a tight tolerance.
void fitExponential(Vignes& v, Residuals& r) {
    v._setSysEquationToSolve(&r, kExponential, 2, 6);
    v.tol = 1e-20;
    v.itermax = 100;
    v.x[0] = 1.0;
    v.x[1] = 0.0;
    v.solve();
}

}  // namespace

TEST(Vignes, OverdeterminedLineMatchesTheNormalEquations) {
    Residuals r;
    r.y = {1.1, 1.9, 3.2, 3.8, 5.1, 6.0};
    const int m = 6;
    // Closed-form least-squares line.
    double st = 0, stt = 0, sy = 0, sty = 0;
    for (int i = 0; i < m; ++i) {
        st += r.t[i];
        stt += r.t[i] * r.t[i];
        sy += r.y[i];
        sty += r.t[i] * r.y[i];
    }
    const double det = m * stt - st * st;
    const double a = (stt * sy - st * sty) / det, b = (m * sty - st * sy) / det;
    double phi = 0;
    for (int i = 0; i < m; ++i) phi += std::pow(a + b * r.t[i] - r.y[i], 2);

    for (int numerical = 0; numerical <= 1; ++numerical) {
        Vignes v;
        v._setSysEquationToSolve(&r, kLine, 2, m);
        EXPECT_EQ(v.m, m);
        v.numericalJacobian = static_cast<std::int8_t>(numerical);
        v.x[0] = 0.0;
        v.x[1] = 0.0;
        v.solve();
        EXPECT_EQ(v.status, 0);
        EXPECT_NEAR(v.x[0], a, 1e-8);
        EXPECT_NEAR(v.x[1], b, 1e-8);
        EXPECT_NEAR(v.modG, phi, 1e-12);
        // G is left at the solution: the gradient J^T G vanishes.
        double g0 = 0, g1 = 0;
        for (int i = 0; i < m; ++i) {
            g0 += v.G[i];
            g1 += r.t[i] * v.G[i];
        }
        // (A central-difference Jacobian is good to about 1e-7.)
        const double tolerance = numerical ? 1e-7 : 1e-10;
        EXPECT_NEAR(g0, 0.0, tolerance);
        EXPECT_NEAR(g1, 0.0, tolerance);
        EXPECT_NEAR(v.J[3][1], r.t[3], numerical ? 1e-5 : 0.0);
    }
}

TEST(Vignes, NoiselessExponentialIsRecovered) {
    Residuals r;
    for (double ti : r.t) r.y.push_back(2.5 * std::exp(-0.8 * ti));
    Vignes v;
    fitExponential(v, r);
    EXPECT_EQ(v.status, 0);
    EXPECT_NEAR(v.x[0], 2.5, 1e-8);
    EXPECT_NEAR(v.x[1], -0.8, 1e-8);
    EXPECT_LT(v.modG, 1e-16);

    // Evaluations failing beyond A = 2.6 only cut the trial steps: the answer
    // at A = 2.5 is still reached from the other side.
    Residuals guarded;
    guarded.y = r.y;
    guarded.failAbove = 2.6;
    Vignes w;
    fitExponential(w, guarded);
    EXPECT_EQ(w.status, 0);
    EXPECT_NEAR(w.x[0], 2.5, 1e-7);
    EXPECT_NEAR(w.x[1], -0.8, 1e-7);
}

TEST(Vignes, RosenbrockAndAConflictingSystem) {
    Residuals r;
    Vignes v;
    v._setSysEquationToSolve(&r, kRosenbrock, 2);
    EXPECT_EQ(v.m, 2);
    v.tol = 1e-24;
    v.itermax = 200;
    v.x[0] = -1.2;
    v.x[1] = 1.0;
    v.solve();
    EXPECT_EQ(v.status, 0);
    EXPECT_NEAR(v.x[0], 1.0, 1e-8);
    EXPECT_NEAR(v.x[1], 1.0, 1e-8);

    // Three residuals that cannot all vanish: the minimum is Phi = 2 at
    // (2, 2) from a positive start.  The caller sets m after binding.
    Vignes c;
    c._setSysEquationToSolve(&r, kConflicting, 2);
    c.m = 3;
    c.x[0] = 0.0;
    c.x[1] = 0.5;
    c.solve();
    EXPECT_EQ(c.status, 0);
    EXPECT_NEAR(c.x[0], 2.0, 1e-8);
    EXPECT_NEAR(c.x[1], 2.0, 1e-8);
    EXPECT_NEAR(c.modG, 2.0, 1e-12);
}

TEST(Vignes, BadInputIsReportedNotCrashed) {
    Residuals r;
    r.y = {1, 2, 3, 4, 5, 6};
    {
        // No unknowns.
        Vignes v;
        v._setSysEquationToSolve(&r, kLine, 0, 6);
        v.solve();
        EXPECT_EQ(v.status, 2);
        EXPECT_EQ(r.calls, 0);
    }
    {
        // Nothing bound.
        Vignes v;
        v.solve();
        EXPECT_EQ(v.status, 1);
    }
    {
        // The start point fails: one evaluation, status 1.
        Residuals failing;
        failing.y = r.y;
        failing.failAll = true;
        Vignes v;
        v._setSysEquationToSolve(&failing, kLine, 2, 6);
        v.solve();
        EXPECT_EQ(v.status, 1);
        EXPECT_EQ(failing.calls, 1);
    }
    {
        // Singular normal equations: the descent steps still reach the valley
        // x0 + x1 = 7/3 (Phi = 14/3), and the status tells that the normal
        // matrix was singular.
        Residuals s;
        Vignes v;
        v._setSysEquationToSolve(&s, kSumOnly, 2, 3);
        v.x[0] = 5.0;
        v.x[1] = -1.0;
        v.solve();
        EXPECT_EQ(v.status, 1);
        EXPECT_NEAR(v.x[0] + v.x[1], 7.0 / 3.0, 1e-6);
        EXPECT_NEAR(v.modG, 14.0 / 3.0, 1e-9);
        EXPECT_TRUE(std::isfinite(v.x[0]));
    }
    {
        // The iteration limit.
        Residuals q;
        Vignes v;
        v._setSysEquationToSolve(&q, kRosenbrock, 2);
        v.itermax = 1;
        v.tol = 1e-30;
        v.x[0] = -1.2;
        v.x[1] = 1.0;
        v.solve();
        EXPECT_EQ(v.status, 1);
        EXPECT_EQ(v.iter, 2);
    }
}

TEST(Vignes, RebindingKeepsOverridesAndResizes) {
    Residuals r;
    r.y = {1, 2, 3, 4, 5, 6};
    Vignes v;
    v._setSysEquationToSolve(&r, kLine, 2, 6);
    v.itermax = 77;
    v._setSysEquationToSolve(&r, kLine, 2, 6);
    EXPECT_EQ(v.itermax, 77);
    // Fewer residuals: the arrays follow, the overrides stay.
    r.y.resize(4);
    v._setSysEquationToSolve(&r, kLine, 2, 4);
    EXPECT_EQ(v.m, 4);
    EXPECT_EQ(v.itermax, 77);
    v.x[0] = v.x[1] = 0.0;
    v.solve();
    EXPECT_EQ(v.status, 0);
    EXPECT_NEAR(v.x[0], 1.0, 1e-8);
    EXPECT_NEAR(v.x[1], 2.0, 1e-8);
    // Another system puts the defaults back.
    v._setSysEquationToSolve(&r, kRosenbrock, 2);
    EXPECT_EQ(v.itermax, 25);
    EXPECT_EQ(v.m, 2);
    v.purge();
    EXPECT_EQ(v.G, nullptr);
    EXPECT_EQ(v.A, nullptr);
}
