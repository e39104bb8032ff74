// The column profile (hydrostatic start, one step, its file and the gnuplot
// script) and crystal dissolution (Sherwood correlations, their curves, the
// dissolution equation and its Igor files).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "magma/Papale97.h"
#include "magma/Starostin.h"
#include "magma/ZhangChen.h"
#include "magma/tests/ReadFile.h"
#include "platform/LogSink.h"

namespace {

int countLines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

TEST(Starostin, HydrostaticStartAndOneStep) {
    Starostin c;
    ASSERT_EQ(c.n, 500);
    EXPECT_NEAR(c.dz, 1000.0 / 499, 1e-12);
    EXPECT_EQ(c.P[499], 0.0);
    // P at the bottom: the weight of the column above it.
    double w = 0.0;
    for (int i = 0; i < 499; ++i) w += c.rho[i] * 9.81 * c.dz;
    EXPECT_NEAR(c.P[0], w, 1e-6);
    EXPECT_EQ(c.rho[0], 2200.0);
    EXPECT_EQ(c.rho[499], 100.0);
    const std::vector<double> P0 = c.P;

    ASSERT_TRUE(c.calculateProfile());
    EXPECT_EQ(c.P, P0);
    // Away from the interface the uniform, hydrostatic layers stay at rest
    // relative to their uniform flow.
    EXPECT_NEAR(c.u[10], 0.01, 1e-12);
    EXPECT_NEAR(c.u[400], 0.01, 1e-12);
    EXPECT_NEAR(c.rho[10], 2200.0, 1e-9);
    // The end points do not move.
    EXPECT_EQ(c.u[0], 0.01);
    EXPECT_EQ(c.u[499], 0.01);
    // The interface does.
    EXPECT_NE(c.u[249], 0.01);
    // Mass balance of the inner points: their mass changes by the flux that
    // enters through point 1 less the flux that leaves through point n - 1
    // (rho u = 22 and 1 kg/(m2 s)): dt (22 - 1) = 10.5 kg/m2 gained.
    double m0 = 0.0, m1 = 0.0;
    Starostin start;
    for (int i = 1; i < c.n - 1; ++i) {
        m0 += start.rho[i] * c.dz;
        m1 += c.rho[i] * c.dz;
    }
    EXPECT_NEAR(m1 - m0, c.dt * (2200.0 * 0.01 - 100.0 * 0.01), 1e-9);

    const std::string f = readFile("profile");
    EXPECT_EQ(countLines(f), 499);
    double z, rho, P, u;
    ASSERT_EQ(std::sscanf(f.c_str(), "%lf %lf %lf %lf", &z, &rho, &P, &u), 4);
    EXPECT_EQ(z, 0.0);
    EXPECT_NEAR(P, P0[0] * 1e-5, 1e-6);
}

TEST(Starostin, EvolutionWritesItsScriptOnce) {
    const platform::TracesShown traces;  // what is checked here is in the solvers' traces
    std::remove("sta");
    Starostin c;
    testing::internal::CaptureStderr();
    c.calculateEvolution();
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out.rfind("t  0.50\n", 0), 0u);
    EXPECT_NE(out.find("t  5.00\n"), std::string::npos);
    EXPECT_EQ(countLines(out), 10);
    EXPECT_DOUBLE_EQ(c.t, 5.0);
    EXPECT_NE(readFile("sta").find("\"profile\""), std::string::npos);
    // A script of the user's is kept.
    {
        std::ofstream s("sta");
        s << "plot \"profile\" using 1:2\n";
    }
    testing::internal::CaptureStdout();
    c.calculateEvolution();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(readFile("sta"), "plot \"profile\" using 1:2\n");
}

TEST(ZhangChen, SherwoodCorrelations) {
    // Creeping flow, whatever the Peclet number.
    for (double Pe : {0.1, 10.0, 1000.0}) EXPECT_DOUBLE_EQ(ZhangChen::calculateSherwood0(Pe, 0.5), 1.0 + std::cbrt(Pe + 1.0));
    const double Pe = 10.0;
    auto s = [&](double Re) { return std::cbrt((1.0 / Pe + 1.0) * (Pe / Re)); };
    EXPECT_NEAR(ZhangChen::calculateSherwood0(Pe, 50.0), 1.0 + s(50.0) * std::pow(50.0, 0.41), 1e-12);
    EXPECT_NEAR(ZhangChen::calculateSherwood0(Pe, 100.0), 1.0 + 0.752 * s(100.0) * std::pow(100.0, 0.472), 1e-12);
    EXPECT_NEAR(ZhangChen::calculateSherwood0(Pe, 5000.0),
                1.0 + 0.44 * s(5000.0) * std::sqrt(5000.0) + 0.034 * s(5000.0) * std::pow(5000.0, 0.71), 1e-12);
    // No flow, pure diffusion to a sphere: 2.  Beyond the correlations
    // (Re from 1e5) and for negative numbers: no value, never 0 (below any
    // flow's Sherwood number).
    EXPECT_DOUBLE_EQ(ZhangChen::calculateSherwood0(0.0, 0.0), 2.0);
    for (double Re : {1e5, 1e7, -1.0, std::nan("")}) EXPECT_TRUE(std::isnan(ZhangChen::calculateSherwood0(Pe, Re))) << Re;
    for (double P : {-1.0, std::numeric_limits<double>::infinity()}) EXPECT_TRUE(std::isnan(ZhangChen::calculateSherwood0(P, 50.0))) << P;
}

TEST(ZhangChen, SherwoodCurvesFiles) {
    ZhangChen z;
    ASSERT_TRUE(z.calculateSherwoodCurves0());
    const std::string f = readFile("sherwood");
    ASSERT_EQ(f.rfind("IGOR\nWAVES peclet reynolds sherwood\nBEGIN\n", 0), 0u);
    EXPECT_EQ(f.substr(f.size() - 4), "END\n");
    EXPECT_EQ(countLines(f), 3 + 8 * 101 + 1);
    // Each block runs from Re = 0.1 to 0.1 r^99.
    std::istringstream in(f);
    std::string line;
    for (int i = 0; i < 3; ++i) std::getline(in, line);
    const double r = std::pow(1e6, 0.01);
    for (double Pe : {0.1, 1.0, 5.0, 10.0, 50.0, 100.0, 500.0, 1000.0}) {
        double pe, re, sh;
        std::getline(in, line);
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf", &pe, &re, &sh), 3);
        EXPECT_NEAR(pe, Pe, 1e-6);
        EXPECT_NEAR(re, 0.1, 1e-6);
        for (int k = 1; k < 100; ++k) std::getline(in, line);
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf", &pe, &re, &sh), 3);
        EXPECT_NEAR(re, 0.1 * std::pow(r, 99), 1e-6 * re);
        EXPECT_NEAR(sh, ZhangChen::calculateSherwood0(Pe, re), 1e-5);
        std::getline(in, line);
        EXPECT_EQ(line, "nan nan nan ");
    }
    const std::string g = readFile("igor4.itx");
    EXPECT_EQ(g.rfind("IGOR\nx DoIgorMenu \"File\", \"New Experiment\" \nx newpath/O p7, \"", 0), 0u) << g;
    EXPECT_NE(g.find("\"\nx loadwave /p=p7/t/o \"sherwood\" ;\nx display sherwood vs reynolds;\nx modify mirror=2;\n"),
              std::string::npos);
}

TEST(ZhangChen, DissolutionDistance) {
    ZhangChen z;
    z.D = 1e-12;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(z.calculateDiffusionDistance(1, "a", 100.0, 40.0, 10.0));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_DOUBLE_EQ(z.beta, 0.5);
    EXPECT_NEAR(z.alpha * std::sqrt(M_PI) * std::exp(z.alpha * z.alpha) * std::erfc(-z.alpha), 0.5, 1e-10);
    char line[64];
    std::snprintf(line, sizeof line, "alpha : %12lf\n", z.alpha);
    EXPECT_NE(out.find(line), std::string::npos);
    std::string f = readFile("igor3a.itx");
    EXPECT_EQ(f.rfind("IGOR\nx DoIgorMenu \"File\", \"New Experiment\" \n", 0), 0u);
    EXPECT_NE(f.find("x make xdisa, tta, ratea\nx tta = 10 * p / 127\n"), std::string::npos);
    std::snprintf(line, sizeof line, "x xdisa = 2.0 * %lf * sqrt ( %lf * tta ) ; \n", z.alpha, z.D);
    EXPECT_NE(f.find(line), std::string::npos);
    char box[200];
    std::snprintf(box, sizeof box,
                  "x textbox/C/N=texta/A=LT/X=0/Y=0 \"C solid 100.00\\rC sat 40.00\\rC liq 10.00\\rbeta 0.5000\\rD "
                  "0.0000\\ralpha %.4lf\"; \n",
                  z.alpha);
    EXPECT_NE(f.find(box), std::string::npos) << f;
    EXPECT_NE(f.find("x TileWindows/W=(0,24,576,920) Graph1,Graph0; \n"), std::string::npos);

    // Appended to the graphs of an open experiment; beta > 1 starts at 1.
    testing::internal::CaptureStdout();
    ASSERT_TRUE(z.calculateDiffusionDistance(0, "b", 50.0, 40.0, 10.0));
    testing::internal::GetCapturedStdout();
    EXPECT_DOUBLE_EQ(z.beta, 3.0);
    EXPECT_NEAR(z.alpha * std::sqrt(M_PI) * std::exp(z.alpha * z.alpha) * std::erfc(-z.alpha), 3.0, 1e-9);
    f = readFile("igor3b.itx");
    EXPECT_EQ(f.find("New Experiment"), std::string::npos);
    EXPECT_NE(f.find("x DoWindow /F Graph0;\nx append xdisb vs ttb \nx modifygraph lstyle(xdisb)=b;\n"),
              std::string::npos);
    EXPECT_NE(f.find("x DoWindow /F Graph1;\nx append rateb vs ttb ; \nx modifygraph lstyle(rateb)=b;\n"),
              std::string::npos);

    // Crystal and saturation at the same content: no dissolution equation.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(z.calculateDiffusionDistance(1, "c", 40.0, 40.0, 10.0));
    out = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("Failed to calculate alpha \n"), std::string::npos);
    EXPECT_FALSE(std::ifstream("igor3c.itx").good());

    Papale97 p;
    p.calculate();
}

}  // namespace
