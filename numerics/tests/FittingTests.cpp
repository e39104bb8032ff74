#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "numerics/Fitting.h"

namespace {

std::string slurp(const char* path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Tag {
    virtual ~Tag() = default;
    int id = 5;
};

// Models; Equation sits after the virtual-table pointer of Tag.
class Models : public Tag, public Equation {
public:
    int calls = 0;
    double failAboveP0 = 1e300;  // parameter 0 above this fails
    bool failAll = false;

    // Straight line F = p0 + p1 X.
    virtual void line(double* x, double* p, double& F, double& G, double*, std::int16_t& err) {
        ++calls;
        if (failAll || p[0] > failAboveP0) {
            err = 1;
            return;
        }
        F = p[0] + p[1] * x[0];
        G = 0.0;
    }
    // F = p0 exp(p1 X0) + extra0, G = p2 X0 X1.
    void curved(double* x, double* p, double& F, double& G, double* extra, std::int16_t&) {
        ++calls;
        F = p[0] * std::exp(p[1] * x[0]) + extra[0];
        G = p[2] * x[0] * x[1];
    }
    // F = p0 exp(p1 X0) + extra0 alone, for the types without Z.
    void curvedY(double* x, double* p, double& F, double& G, double* extra, std::int16_t&) {
        F = p[0] * std::exp(p[1] * x[0]) + extra[0];
        G = 0.0;
    }
    // F = p0 + 0 p1: the second parameter has no effect.
    void blind(double* x, double* p, double& F, double& G, double*, std::int16_t&) {
        F = p[0] + 0.0 * p[1] * x[0];
        G = 0.0;
    }
};

const FitEquationFn kLine = toEquationFn<FitEquationFn>(&Models::line);
const FitEquationFn kCurved = toEquationFn<FitEquationFn>(&Models::curved);
const FitEquationFn kCurvedY = toEquationFn<FitEquationFn>(&Models::curvedY);
const FitEquationFn kBlind = toEquationFn<FitEquationFn>(&Models::blind);

// Pearson's (1901) data with York's (1966) weights, the standard test of a
// straight line with errors in both coordinates.
const std::vector<double> kPx{0.0, 0.9, 1.8, 2.6, 3.3, 4.4, 5.2, 6.1, 6.5, 7.4};
const std::vector<double> kPy{5.9, 5.4, 4.4, 4.6, 3.5, 3.7, 2.8, 2.8, 2.4, 1.5};
const std::vector<double> kWx{1000, 1000, 500, 800, 200, 80, 60, 20, 1.8, 1};
const std::vector<double> kWy{1, 1.8, 4, 8, 20, 20, 70, 70, 100, 500};

// Straight-line fit of Pearson's data, type 1 (no Z: its variances are left unset).
void setUpPearson(Fitting& fit, Models& model) {
    fit.obj = &model;
    fit.fn = kLine;
    fit.m = 10;
    fit.np = 2;
    fit.nx = 1;
    fit.set_type_of_regression(1);
    fit.tol = 1e-12;
    fit.itermax = 50;
    ASSERT_EQ(fit.allocate_memory(), 0);
    std::vector<double> vx(10), vy(10);
    for (int i = 0; i < 10; ++i) {
        vx[i] = 1.0 / kWx[i];
        vy[i] = 1.0 / kWy[i];
    }
    fit.read_Xm(0, kPx.data());
    fit.read_Ym(kPy.data());
    fit.read_EvX(0, vx.data());
    fit.read_EvY(vy.data());
    const double p0[] = {5.0, -0.4}, dp[] = {1e-6, 1e-6}, dx[] = {1e-6};
    fit.set_initial_parameters(p0);
    fit.set_parameters_pertubation(dp);
    fit.set_variables_pertubation(dx);
}

}  // namespace

TEST(Fitting, YorkLineThroughPearsonData) {
    Models model;
    Fitting fit;
    setUpPearson(fit, model);
    ASSERT_EQ(fit.set_history("york.txt"), 0);
    short err = 0;
    fit.regres(err);
    ASSERT_EQ(fit.error, 0);
    EXPECT_EQ(fit.converged, 1);
    // York's least-squares line (York 1966; Reed 1989, Am. J. Phys. 57, 642):
    // intercept 5.479910, slope -0.4805334, weighted sum of squares 11.86635.
    EXPECT_NEAR(fit.p[0], 5.4799102, 2e-6);
    EXPECT_NEAR(fit.p[1], -0.48053341, 5e-7);
    EXPECT_NEAR(fit.ssqn, 11.866353, 2e-5);
    // Standard errors scaled by the goodness of fit, sqrt(S/(n-2)) times
    // York's: 0.3592 and 0.07062.
    EXPECT_NEAR(fit.sdP[0], 0.35925, 0.002);
    EXPECT_NEAR(fit.sdP[1], 0.070620, 0.0004);
    EXPECT_NEAR(fit.variance, 11.866353 / 8.0, 1e-5);
    EXPECT_NEAR(fit.correlation[0][1], fit.correlation[1][0], 1e-12);
    EXPECT_LT(fit.correlation[0][1], -0.5);  // intercept and slope anti-correlated
    EXPECT_NEAR(fit.correlation[0][0], 1.0, 1e-12);
    // Each adjusted point lies on the line: the first, measured nearly exactly
    // in X, stays at X = 0.
    for (int i = 0; i < 10; ++i) EXPECT_NEAR(fit.F[i], fit.p[0] + fit.p[1] * fit.X[i][0], 1e-12);
    EXPECT_NEAR(fit.X[0][0], 0.0, 1e-3);

    std::fflush(fit.out);
    const std::string all = slurp("york.txt");
    EXPECT_NE(all.find("Iteration 0  \nSum of the squares"), std::string::npos);
    EXPECT_NE(all.find("Estimated true values of variables\ni\t\tX\t\tXm\t\tY\t\tYm\n"), std::string::npos);
    EXPECT_NE(all.find("Derivatives with respect to the parameters\ni\t\tdFp\n"), std::string::npos);
    EXPECT_NE(all.find("\nRegression summary\n\n"), std::string::npos);
    EXPECT_NE(all.find("Estimated parameters\t: 5.4799"), std::string::npos);
    EXPECT_NE(all.find("Correlation coefficient matrix "), std::string::npos);
}

TEST(Fitting, OrdinaryWeightedLineMatchesTheNormalEquations) {
    // Type 3 with a straight line is linear least squares: the parameters and
    // the covariance s^2 (A^T W A)^-1 have a closed form.
    Models model;
    Fitting fit;
    fit.obj = &model;
    fit.fn = kLine;
    fit.m = 10;
    fit.np = 2;
    fit.nx = 1;
    fit.set_type_of_regression(3);
    fit.printLevel = 0;
    fit.tol = 1e-12;
    ASSERT_EQ(fit.set_history("ols.txt"), 0);
    ASSERT_EQ(fit.allocate_memory(), 0);
    std::vector<double> sy(10);
    for (int i = 0; i < 10; ++i) sy[i] = 1.0 / std::sqrt(kWy[i]);
    fit.read_Xm(0, kPx.data());
    fit.read_Ym(kPy.data());
    fit.read_sdY(sy.data());
    const double p0[] = {0.0, 0.0}, dp[] = {1e-4, 1e-4};
    fit.set_initial_parameters(p0);
    fit.set_parameters_pertubation(dp);
    short err = 0;
    fit.regres(err);
    ASSERT_EQ(fit.error, 0);

    double s0 = 0, s1 = 0, s2 = 0, t0 = 0, t1 = 0;
    for (int i = 0; i < 10; ++i) {
        s0 += kWy[i];
        s1 += kWy[i] * kPx[i];
        s2 += kWy[i] * kPx[i] * kPx[i];
        t0 += kWy[i] * kPy[i];
        t1 += kWy[i] * kPx[i] * kPy[i];
    }
    const double det = s0 * s2 - s1 * s1;
    const double a = (s2 * t0 - s1 * t1) / det, b = (s0 * t1 - s1 * t0) / det;
    double chi2 = 0;
    for (int i = 0; i < 10; ++i) chi2 += kWy[i] * std::pow(kPy[i] - a - b * kPx[i], 2);
    EXPECT_NEAR(fit.p[0], a, 1e-8);
    EXPECT_NEAR(fit.p[1], b, 1e-9);
    EXPECT_NEAR(fit.ssqn, chi2, 1e-8 * chi2);
    const double s2fit = chi2 / 8.0;
    EXPECT_NEAR(fit.covariance[0][0], s2fit * s2 / det, 1e-6 * s2fit * s2 / det);
    EXPECT_NEAR(fit.covariance[1][1], s2fit * s0 / det, 1e-6 * s2fit * s0 / det);
    EXPECT_NEAR(fit.covariance[0][1], -s2fit * s1 / det, 1e-6 * s2fit * s1 / det);
}

TEST(Fitting, NoiselessNonLinearModelsAreRecovered) {
    // F = p0 exp(p1 X0) + c, G = p2 X0 X1 with p = (2, -0.7, 1.5) and a
    // per-observation constant c; exact data, so every type must give back p
    // (types 1 and 3 fit F alone, with p0 and p1).
    const double truth[] = {2.0, -0.7, 1.5};
    const int m = 8;
    std::vector<double> x0(m), x1(m), y(m), z(m), c(m), sd(m, 0.05);
    for (int i = 0; i < m; ++i) {
        x0[i] = 0.3 + 0.4 * i;
        x1[i] = 2.0 - 0.15 * i;
        c[i] = 0.1 * i;
        y[i] = truth[0] * std::exp(truth[1] * x0[i]) + c[i];
        z[i] = truth[2] * x0[i] * x1[i];
    }
    for (short type = 0; type <= 3; ++type) {
        Models model;
        Fitting fit;
        fit.obj = &model;
        fit.fn = kCurved;
        fit.m = m;
        fit.np = type == 0 || type == 2 ? 3 : 2;
        fit.nx = 2;
        fit.nadd = 1;
        fit.set_type_of_regression(type);
        fit.tol = 1e-14;
        fit.itermax = 40;
        const std::string history = "curved" + std::to_string(type) + ".txt";
        ASSERT_EQ(fit.set_history(history.c_str()), 0);
        ASSERT_EQ(fit.allocate_memory(), 0);
        fit.read_Xm(0, x0.data());
        fit.read_Xm(1, x1.data());
        fit.read_Ym(y.data());
        fit.read_Zm(z.data());
        fit.read_sdX(0, sd.data());
        fit.read_sdX(1, sd.data());
        fit.read_sdY(sd.data());
        fit.read_sdZ(sd.data());
        for (int i = 0; i < m; ++i) fit.read_additional_parameters(i, c[i]);
        // Types 1 and 3 do not see Z: the model without it and two parameters.
        const bool withZ = type == 0 || type == 2;
        if (!withZ) fit.fn = kCurvedY;
        const double p0[] = {1.6, -0.5, 1.2};
        const double dp[] = {1e-6, 1e-6, 1e-6}, dx[] = {1e-6, 1e-6};
        fit.set_initial_parameters(p0);
        fit.set_parameters_pertubation(dp);
        fit.set_variables_pertubation(dx);
        short err = 0;
        fit.regres(err);
        ASSERT_EQ(fit.error, 0) << "type " << type;
        EXPECT_EQ(fit.converged, 1) << "type " << type;
        for (int k = 0; k < fit.np; ++k) EXPECT_NEAR(fit.p[k], truth[k], 1e-7) << "type " << type << " p" << k;
        EXPECT_LT(fit.ssqn, 1e-12) << "type " << type;
        for (int i = 0; i < m; ++i) EXPECT_NEAR(fit.X[i][0], x0[i], 1e-6);
    }
}

TEST(Fitting, ExactFitEndsAtOnce) {
    // Data on the line F = 1 + 2 X, started at the answer: the sum of squares is
    // 0 before and after the step, which counts as converged.
    Models model;
    Fitting fit;
    fit.obj = &model;
    fit.fn = kLine;
    fit.m = 4;
    fit.np = 2;
    fit.nx = 1;
    fit.set_type_of_regression(1);
    fit.printLevel = 0;
    ASSERT_EQ(fit.set_history("exact.txt"), 0);
    ASSERT_EQ(fit.allocate_memory(), 0);
    const double x[] = {0, 1, 2, 3}, y[] = {1, 3, 5, 7}, s[] = {0.1, 0.1, 0.1, 0.1};
    fit.read_Xm(0, x);
    fit.read_Ym(y);
    fit.read_sdX(0, s);
    fit.read_sdY(s);
    const double p0[] = {1, 2}, dp[] = {1e-5, 1e-5};
    fit.set_initial_parameters(p0);
    fit.set_parameters_pertubation(dp);
    fit.set_variables_pertubation(dp);
    short err = 0;
    fit.regres(err);
    EXPECT_EQ(fit.error, 0);
    EXPECT_EQ(fit.converged, 1);
    EXPECT_EQ(fit.iteration, 1);
    EXPECT_NEAR(fit.p[0], 1.0, 1e-12);
    EXPECT_NEAR(fit.p[1], 2.0, 1e-12);
}

TEST(Fitting, UncertaintiesAndAdditionalConstants) {
    Fitting fit;
    fit.m = 2;
    fit.nx = 1;
    fit.np = 1;
    fit.nadd = 2;
    ASSERT_EQ(fit.allocate_memory(), 0);
    const double sd[] = {0.1, 3.0}, var[] = {0.01, 4.0};
    fit.read_sdX(0, sd);
    EXPECT_DOUBLE_EQ(fit.varX[0][0], 0.01);
    EXPECT_DOUBLE_EQ(fit.varX[1][0], 9.0);
    fit.read_EvX(0, var);
    EXPECT_DOUBLE_EQ(fit.sdX[0][0], 0.1);
    EXPECT_DOUBLE_EQ(fit.sdX[1][0], 2.0);
    fit.read_sdY(sd);
    EXPECT_DOUBLE_EQ(fit.varY[1], 9.0);
    fit.read_EvZ(var);
    EXPECT_DOUBLE_EQ(fit.sdZ[1], 2.0);
    fit.read_additional_parameters(1, 7, 8.5);  // an int converts
    EXPECT_EQ(fit.add[1][0], 7.0);
    EXPECT_EQ(fit.add[1][1], 8.5);
    // Out-of-range and mis-sized input is refused, not written.
    fit.read_additional_parameters(2, 1.0, 2.0);
    fit.read_additional_parameters(0, 1.0);
    EXPECT_EQ(fit.add[0][0], 0.0);
    fit.read_sdX(1, sd);
    fit.read_Ym(nullptr);
    // Sizes changed after the allocation: the data calls refuse.
    fit.m = 3;
    fit.read_Ym(sd);
    EXPECT_EQ(fit.Ym[0], 0.0);
}

TEST(Fitting, BadInputIsReportedNotCrashed) {
    Models model;
    {
        // No observations.
        Fitting fit;
        fit.obj = &model;
        fit.fn = kLine;
        fit.np = 2;
        fit.nx = 1;
        ASSERT_EQ(fit.set_history("empty.txt"), 0);
        ASSERT_EQ(fit.allocate_memory(), 0);
        short err = 0;
        fit.regres(err);
        EXPECT_EQ(fit.error, 1);
    }
    EXPECT_NE(slurp("empty.txt").find("Nothing to fit: 0 observations, 2 parameters\n"), std::string::npos);
    {
        // Not allocated, then an unset variance of Y.
        Fitting fit;
        fit.obj = &model;
        fit.fn = kLine;
        fit.m = 10;
        fit.np = 2;
        fit.nx = 1;
        ASSERT_EQ(fit.set_history("unset.txt"), 0);
        short err = 0;
        fit.regres(err);
        EXPECT_EQ(fit.error, 1);
        ASSERT_EQ(fit.allocate_memory(), 0);
        const double dp[] = {1e-6, 1e-6};
        fit.set_parameters_pertubation(dp);
        fit.regres(err);
        EXPECT_EQ(fit.error, 1);
    }
    const std::string unset = slurp("unset.txt");
    EXPECT_NE(unset.find("The arrays were not allocated"), std::string::npos);
    EXPECT_NE(unset.find("The variance of Y of observation 0 is not positive\n"), std::string::npos);
    {
        // A parameter without effect: singular normal equations.
        Fitting fit;
        setUpPearson(fit, model);
        fit.fn = kBlind;
        ASSERT_EQ(fit.set_history("blind.txt"), 0);
        short err = 0;
        fit.regres(err);
        EXPECT_EQ(fit.error, 1);
    }
    EXPECT_NE(slurp("blind.txt").find("Ill-defined parameter matrix\n"), std::string::npos);
    {
        // A model that fails at the start.
        Models failing;
        failing.failAll = true;
        Fitting fit;
        setUpPearson(fit, failing);
        ASSERT_EQ(fit.set_history("fails.txt"), 0);
        short err = 0;
        fit.regres(err);
        EXPECT_EQ(fit.error, 1);
        EXPECT_EQ(failing.calls, 1);
    }
    EXPECT_NE(slurp("fails.txt").find("Error in function evaluation\n"), std::string::npos);
    {
        // As many observations as parameters: no variance, reported.
        Fitting fit;
        fit.obj = &model;
        fit.fn = kLine;
        fit.m = 2;
        fit.np = 2;
        fit.nx = 1;
        fit.set_type_of_regression(3);
        ASSERT_EQ(fit.set_history("square.txt"), 0);
        ASSERT_EQ(fit.allocate_memory(), 0);
        const double x[] = {0, 1}, y[] = {1, 2}, s[] = {1, 1}, p0[] = {0, 0}, dp[] = {1e-4, 1e-4};
        fit.read_Xm(0, x);
        fit.read_Ym(y);
        fit.read_sdY(s);
        fit.set_initial_parameters(p0);
        fit.set_parameters_pertubation(dp);
        short err = 0;
        fit.regres(err);
        EXPECT_EQ(fit.error, 0);
        EXPECT_NEAR(fit.p[1], 1.0, 1e-9);
        EXPECT_TRUE(std::isnan(fit.variance));
    }
    EXPECT_NE(slurp("square.txt").find("No degrees of freedom left"), std::string::npos);
    // A report file that cannot be written: the report goes to standard output.
    Fitting fit;
    EXPECT_EQ(fit.set_history("no/such/folder/report.txt"), 1);
    EXPECT_EQ(fit.out, stdout);
    // Negative sizes allocate nothing.
    fit.m = -1;
    EXPECT_EQ(fit.allocate_memory(), 1);
    EXPECT_EQ(fit.p, nullptr);
}

TEST(Fitting, FailuresInTheLineSearchCutTheStep) {
    // The model fails for an intercept above 5.3; the first full step from
    // (5, -0.4) overshoots there (the answer is 5.48 but the step is cut to
    // stay below), so the line search counts it as 1e20 and cuts the step.
    Models model;
    model.failAboveP0 = 5.3;
    Fitting fit;
    setUpPearson(fit, model);
    fit.itermax = 6;
    ASSERT_EQ(fit.set_history("cut.txt"), 0);
    short err = 0;
    fit.regres(err);
    EXPECT_EQ(fit.error, 0);
    EXPECT_LE(fit.p[0], 5.3);
    EXPECT_GT(fit.p[0], 5.2);  // pressed against the failing region
    EXPECT_LT(fit.ssqn, 1e20);
    std::fflush(fit.out);
    const std::string report = slurp("cut.txt");
    EXPECT_NE(report.find("al ssqn \n 1  1e+20 \n"), std::string::npos);
    // The best intercept lies beyond the failing region, so the iterations
    // end at the limit rather than running on.
    EXPECT_NE(report.find("Maximum iteration exceeded 7\n"), std::string::npos);
    EXPECT_NE(report.find("Regression summary"), std::string::npos);
}

TEST(Fitting, StepsAreShortenedBeforeAVariableTurnsNegative) {
    // Two points fix the line Y = X; the third, loosely known in X, would need
    // X = -10 to lie on it.  With the check the first step is shortened so that
    // its estimate stays non-negative; without it the first step goes there.
    for (short check : {1, 2}) {
        Models model;
        Fitting fit;
        fit.obj = &model;
        fit.fn = kLine;
        fit.m = 3;
        fit.np = 2;
        fit.nx = 1;
        fit.set_type_of_regression(1);
        fit.checkVariables = check;
        fit.printLevel = 0;
        fit.itermax = 0;  // one step
        const std::string history = "check" + std::to_string(check) + ".txt";
        ASSERT_EQ(fit.set_history(history.c_str()), 0);
        ASSERT_EQ(fit.allocate_memory(), 0);
        const double x[] = {1, 2, 3}, y[] = {1, 2, -10}, sx[] = {0.01, 0.01, 100}, sy[] = {0.01, 0.01, 0.01};
        fit.read_Xm(0, x);
        fit.read_Ym(y);
        fit.read_sdX(0, sx);
        fit.read_sdY(sy);
        const double p0[] = {0.1, 0.9}, dp[] = {1e-6, 1e-6};
        fit.set_initial_parameters(p0);
        fit.set_parameters_pertubation(dp);
        fit.set_variables_pertubation(dp);
        short err = 0;
        fit.regres(err);
        EXPECT_EQ(fit.error, 0);
        EXPECT_EQ(fit.iteration, 1);
        if (check == 1) {
            EXPECT_GE(fit.X[2][0], 0.0);
            EXPECT_LT(fit.al, 1.0);
        } else {
            EXPECT_LT(fit.X[2][0], -5.0);
            EXPECT_EQ(fit.al, 1.0);
        }
        std::fflush(fit.out);
        EXPECT_NE(slurp(history.c_str()).find("Maximum iteration exceeded 1\n"), std::string::npos);
    }
}
