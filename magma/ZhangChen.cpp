#include "magma/ZhangChen.h"

#include <cmath>
#include <cstdio>

#include "platform/ConsoleInput.h"
#include "numerics/Secant.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"
#include "platform/Process.h"

double ZhangChen::calculateSherwood0(double Pe, double Re) {
    // Negative numbers describe no flow, and the correlations end at Re = 1e5:
    // no Sherwood number (never 0, below pure diffusion's 2 or any flow's).
    if (!(Pe >= 0.0) || !(Re >= 0.0) || !(Re < 100000.0) || !std::isfinite(Pe)) return std::nan("");
    const double s = std::cbrt((1.0 / Pe + 1.0) * (Pe / Re));
    if (Re < 1.0) return 1.0 + std::cbrt(Pe + 1.0);
    if (Re < 100.0) return 1.0 + s * std::pow(Re, 0.41);
    if (Re < 2000.0) return 1.0 + 0.752 * s * std::pow(Re, 0.472);
    return 1.0 + 0.44 * s * std::pow(Re, 0.5) + 0.034 * s * std::pow(Re, 0.71);
}

bool ZhangChen::calculateSherwoodCurves0() {
    const double r = std::pow(1e6, 0.01);
    std::FILE* f = platform::openOutput("sherwood", "wt");
    if (!f) return false;
    std::fputs("IGOR\nWAVES peclet reynolds sherwood\nBEGIN\n", f);
    for (double Pe : {0.1, 1.0, 5.0, 10.0, 50.0, 100.0, 500.0, 1000.0}) {
        double Re = 0.1;
        for (int k = 0; k < 100; ++k) {
            std::fprintf(f, "%12lf %12lf %12lf \n", Pe, Re, calculateSherwood0(Pe, Re));
            Re *= r;
        }
        std::fputs("nan nan nan \n", f);
    }
    std::fputs("END\n", f);
    if (!platform::closeOutput(f, "sherwood")) return false;

    std::FILE* g = platform::openOutput("igor4.itx", "wt");
    if (!g) return false;
    std::fputs("IGOR\n", g);
    std::fputs("x DoIgorMenu \"File\", \"New Experiment\" \n", g);
    std::fprintf(g, "x newpath/O p7, \"%s\"\n", getMacIgorDir().c_str());
    std::fputs("x loadwave /p=p7/t/o \"sherwood\" ;\n", g);
    std::fputs("x display sherwood vs reynolds;\n", g);
    std::fputs("x modify mirror=2;\n", g);
    if (!platform::closeOutput(g, "igor4.itx")) return false;
    platform::openWithViewer("igor4.itx");
    return true;
}

double ZhangChen::equationForAlpha(double a, void*) {
    alpha = a;
    return a * 1.7724538509055159 * std::exp(a * a) * std::erfc(-a) - beta;
}

bool ZhangChen::calculateDiffusionDistance(int newExperiment, const char* suffix, double cSolid, double cSat,
                                           double cLiq) {
    Csolid = cSolid;
    Csat = cSat;
    Cliq = cLiq;
    beta = (Csat - Cliq) / (Csolid - Csat);
    // Equal crystal and saturation contents leave beta undefined: nothing to solve.
    if (!std::isfinite(beta)) {
        platform::diagf("Failed to calculate alpha \n");
        return false;
    }
    Secant s;
    s.obj = this;
    s.fn = toEquationFn<ScalarEquationFn>(&ZhangChen::equationForAlpha);
    s.verbose = 1;
    s.x0 = beta > 1.0 ? 1.0 : 0.1;
    s.x1 = s.x0 + 0.001;
    const double a = s.solve();
    error = 0;
    if (s.status != kSolverConverged) {
        platform::diagf("Failed to calculate alpha \n");
        return false;
    }
    alpha = a;
    std::printf("alpha : %12lf\n", alpha);

    const std::string sfx = suffix ? suffix : "";
    const std::string path = "igor3" + sfx + ".itx";
    std::FILE* f = platform::openOutput(path, "wt");
    if (!f) return false;
    const char* x = sfx.c_str();
    auto textBox = [&] {
        std::fprintf(f,
                     "x textbox/C/N=text%s/A=LT/X=0/Y=0 \"C solid %.2lf\\rC sat %.2lf\\rC liq %.2lf\\rbeta "
                     "%.4lf\\rD %.4lf\\ralpha %.4lf\"; \n",
                     x, Csolid, Csat, Cliq, beta, D, alpha);
    };
    auto waves = [&] {
        std::fprintf(f, "x make xdis%s, tt%s, rate%s\n", x, x, x);
        std::fprintf(f, "x tt%s = 10 * p / 127\n", x);
        std::fprintf(f, "x xdis%s = 2.0 * %lf * sqrt ( %lf * tt%s ) ; \n", x, alpha, D, x);
        std::fprintf(f, "x rate%s = %lf * sqrt (%lf / tt%s) ; \n", x, alpha, D, x);
    };
    std::fputs("IGOR\n", f);
    if (newExperiment) {
        std::fputs("x DoIgorMenu \"File\", \"New Experiment\" \n", f);
        std::fprintf(f, "x newpath/O p7, \"%s\"\n", getMacIgorDir().c_str());
        waves();
        std::fprintf(f, "x display xdis%s vs tt%s \n", x, x);
        std::fputs("x label left \"Dissolution distance (m)\"; \n", f);
        std::fputs("x label bottom \"t (s)\" ;\n", f);
        std::fputs("x modify mirror=2;\n", f);
        textBox();
        std::fprintf(f, "x display rate%s vs tt%s ; \n", x, x);
        std::fputs("x modify mirror=2;\n", f);
        std::fputs("x label left \"Dissolution rate (m/s)\"; \n", f);
        std::fputs("x label bottom \"t (s)\" ;\n", f);
        std::fputs("x TileWindows/W=(0,24,576,920) Graph1,Graph0; \n", f);
    } else {
        waves();
        std::fputs("x DoWindow /F Graph0;\n", f);
        std::fprintf(f, "x append xdis%s vs tt%s \n", x, x);
        std::fprintf(f, "x modifygraph lstyle(xdis%s)=%s;\n", x, x);
        textBox();
        std::fputs("x DoWindow /F Graph1;\n", f);
        std::fprintf(f, "x append rate%s vs tt%s ; \n", x, x);
        std::fprintf(f, "x modifygraph lstyle(rate%s)=%s;\n", x, x);
    }
    if (!platform::closeOutput(f, path)) return false;
    platform::openWithViewer(path);
    return true;
}
