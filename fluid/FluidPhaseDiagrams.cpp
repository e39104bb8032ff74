// Study tools around the curve tracers: enthalpy diagrams drawn by gnuplot
// from the saturation, isotherm and isobar files, a grid of derived
// properties, the virial coefficients, checks of a model against the limits
// it must satisfy (ideal gas at infinite volume, Cp as the temperature
// derivative of H at constant P), the behaviour of one node of one term, and
// a liquid held out of equilibrium with its vapour.
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "expressions/Expression.h"
#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "numerics/Newton.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"
#include "platform/Process.h"

namespace {

// Output files are checked when they close (platform/OutputFiles.h).
using File = platform::OutputFile;

File openFile(const std::string& path, const char* how) { return File(path, how); }

}  // namespace

// ---------------------------------------------------------------- enthalpy diagrams

void FluidPhase::draw_enthalpic_diagram_HP(const char* satFile, const char* pointsFile, char perMass,
                                           const double* temperatures, int n) {
    if (!satFile) return;
    File g = openFile("g61.gp", "w");
    if (!g) return;
    std::FILE* s = g.get();
    std::fprintf(s, "reset\nset timestamp\nset term qt\nset style line 1 linetype 1\nset title \"P-H plot - %s\"\n",
                 modelName());
    std::fputs(perMass ? "set xlabel \"H (J/kg)\"\n" : "set xlabel \"H (J/mol)\"\n", s);
    std::fputs("set ylabel \"P (bar)\"\nset yrange [*:*]\nset key off\n", s);
    std::fprintf(s,
                 perMass ? "plot \"%s\" using 19:1 w lines lt 1 title \"Sat\"; rep \"%s\" using 20:1 w lines lt 1 notitle\n"
                         : "plot \"%s\" using 7:1 w lines lt 1 title \"Sat\"; rep \"%s\" using 8:1 w lines lt 1 notitle\n",
                 satFile, satFile);
    if (pointsFile) {
        if (perMass)
            std::fprintf(s, "rep \"%s\" us (%lf/($5*1000)):4 notitle\n", pointsFile, bulk_molar_weight);
        else
            std::fprintf(s, "rep \"%s\" us 5:4 notitle\n", pointsFile);
    }
    if (temperatures)
        for (int i = 0; i < n; ++i)
            std::fprintf(s, "%srep \"isot%.0f\" using ($4*1000):2 w lines lt 2 title \"%.2f K\"", i ? "; " : "",
                         100.0 * temperatures[i], temperatures[i]);
    std::fputs("\n", s);
}

void FluidPhase::draw_enthalpic_diagram_HS(const char* satFile, const char* pointsFile, char perMass,
                                           const double* temperatures, int nT, const double* pressures, int nP) {
    if (!satFile) return;
    {
        File g = openFile("g63.gp", "w");
        if (!g) return;
        std::FILE* s = g.get();
        std::fprintf(s, "set title \"H-S plot - %s\"\n", modelName());
        std::fputs(perMass ? "set ylabel \"H (J/kg)\"\n" : "set ylabel \"H (kJ/mol)\"\n", s);
        std::fputs("set xlabel \"S (J/K)\"\nset yrange [*:*]\nset key off\n", s);
        std::fprintf(s,
                     perMass ? "plot \"%s\" using 13:19 w lines lt 1, \"%s\" using 14:20 w lines lt 1 lw 2"
                             : "plot \"%s\" using 13:7 w lines lt 1, \"%s\" using 14:8 w lines lt 1 lw 2",
                     satFile, satFile);
        // The lines continue the plot command; the points follow it as a
        // separate replot once the command is complete.
        if (temperatures)
            for (int i = 0; i < nT; ++i)
                std::fprintf(s, ", \"isot%.0f\" using 6:4 w lines lt 3 ", 100.0 * temperatures[i]);
        if (pressures)
            for (int i = 0; i < nP; ++i)
                std::fprintf(s, ", \"isob%.0f\" using 7:5 w lines lt 2 ", 100.0 * pressures[i]);
        std::fputs("\n", s);
        if (pointsFile) {
            if (perMass)
                std::fprintf(s, "rep \"%s\" us (%lf/($5*1000)):8 notitle\n", pointsFile, bulk_molar_weight);
            else
                std::fprintf(s, "rep \"%s\" us 5:8 notitle\n", pointsFile);
        }
    }
    platform::runGnuplot("g63.gp");
}

void FluidPhase::draw_enthalpic_diagram_HT(const char* satFile, const char* pointsFile, char perMass,
                                           const double* pressures, int n) {
    if (!satFile) return;
    File g = openFile("g62.gp", "wt");
    if (!g) return;
    std::FILE* s = g.get();
    std::fprintf(s, "set term qt\nset title \"T-H plot - %s\"\n", modelName());
    std::fputs(perMass ? "set xlabel \"H (J/kg)\"\n" : "set xlabel \"H (J/mol)\"\n", s);
    std::fputs("set ylabel \"T (K)\"\nset yrange [*:*]\nset key off\n", s);
    std::fprintf(s,
                 perMass ? "plot \"%s\" using 19:4 w lines lt 1 title \"Sat.\", \"%s\" using 20:4 w lines lt 1 notitle \n"
                         : "plot \"%s\" using 7:4 w lines lt 1 title \"Sat.\", \"%s\" using 8:4 w lines lt 1 notitle\n",
                 satFile, satFile);
    if (pointsFile) {
        if (perMass)
            std::fprintf(s, "rep \"%s\" us (%lf/($5*1000)):1 notitle\n", pointsFile, bulk_molar_weight);
        else
            std::fprintf(s, "rep \"%s\" us 5:1 notitle\n", pointsFile);
    }
    if (pressures)
        for (int i = 0; i < n; ++i)
            std::fprintf(s, "rep \"isob%.0f\" using ($5*1000):2 w lines lt 2 title \"%.2f\"\n", 100.0 * pressures[i],
                         pressures[i]);
    std::fputs("\n", s);
}

// ---------------------------------------------------------------- property grid

void FluidPhase::calculatePropertiesGrid(double Tmin, double Tmax, double Vmin, double Vmax, const char* suffix) {
    if (!std::isfinite(Tmin) || !std::isfinite(Tmax) || !std::isfinite(Vmin) || !std::isfinite(Vmax) ||
        !(Vmin > 0.0)) {
        platform::diagf("Properties grid: the ranges T %g to %g, V %g to %g cannot be walked\n", Tmin, Tmax, Vmin,
                     Vmax);
        return;
    }
    File f = openFile(CurveOutput::fileName("prop", suffix), "wt");
    if (!f) return;
    const char* s = suffix ? suffix : "";
    std::fprintf(f.get(), "IGOR\n\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s \nBEGIN\n", "T", s,
                 "P", s, "V", s, "rho", s, "Cv", s, "Cp", s, "alpha", s, "beta", s, "dalpha", s);
    const char* gap = "%12s %12s %12s %12s %12s %12s %12s %12s %12s\n";
    auto gapRow = [&] { std::fprintf(f.get(), gap, "nan", "nan", "nan", "nan", "nan", "nan", "nan", "nan", "nan"); };
    const double M = bulk_molar_weight;
    double dV = 1e-8;  // carries over from one temperature to the next
    for (double t = Tmin; t <= Tmax; t += 5.0) {
        bool inGap = false;
        for (double v = Vmin; v <= Vmax; v += dV) {
            bool unstable = isInstable(t, v);
            if (!unstable) {
                temperature(t);
                volume(v);
                calculate_state_functions();
                unstable = dPdV > 0;
                if (!unstable) calculate_third_order_state_derivatives();
            }
            if (unstable) {
                if (!inGap) gapRow();
                inGap = true;
                continue;
            }
            // alpha = -P_T/(V P_V) differentiated at constant P:
            // (d alpha/dT)_P = (d alpha/dT)_V + (d alpha/dV)_T (dV/dT)_P,
            // with P_TT = -A_TTV, P_TV = -A_TVV, P_VV = -A_VVV.
            const double PT = dPdT, PV = dPdV, PTT = -d3AdT2dV, PTV = -d3AdTdV2, PVV = -d3AdV3;
            const double alpha = dVdT / V;
            const double dAlphadT = -(PTT / (V * PV) - PT * PTV / (V * PV * PV));
            const double dAlphadV = -(PTV / (V * PV) - PT * (PV + V * PVV) / (V * V * PV * PV));
            const double dalpha = dAlphadT + dAlphadV * dVdT;
            std::fprintf(f.get(), "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg\n", T, 1e-5 * P, 1e6 * V, M / V,
                         Cv / M, Cp / M, alpha, -1e5 / (V * dPdV), dalpha);
            // The volume change for 100 bar, kept within [1e-8, 1e-6] m3/mol.
            dV = -1e7 / dPdV;
            if (!(dV >= 1e-8)) dV = 1e-8;
            if (dV > 1e-6) dV = 1e-6;
            inGap = false;
        }
        gapRow();
    }
    std::fputs("END\n", f.get());
}

// ---------------------------------------------------------------- virial coefficients

namespace {

// Z - 1 = B/V + C/V^2 + D/V^3 + E/V^4 + ...  At 100.1 and 100 m3/mol, a
// nearly ideal gas, the pair gives B (the D term leaves a bias of D/(V1 V2),
// far below the rounding of Z) and one volume gives B0.  C needs smaller
// volumes, where C/V^2 stands out of the rounding; there the D term matters
// (two volumes, 0.11 and 0.1 m3/mol, left C (1 + 19.1 b) for van der Waals),
// so a third volume eliminates it: with g(u) = (Z - 1) V = B + C u + D u^2 +
// E u^3 at u = 1/V = 10, 9 and 8 mol/m3,
//   C = g[u1, u2] - (u1 + u2) g[u1, u2, u3] + E (u1 u2 + u2 u3 + u1 u3),
// the divided differences leaving a bias of 242 E mol2/m6 (for van der
// Waals, E = b^4: a relative 242 b^2, below 1e-6).
double compressibilityAt(FluidPhase& p, double V_) {
    p.volume(V_);
    p.calculate_pressure();
    return p.Z;
}

void virialCoefficients(FluidPhase& p) {
    constexpr double V1 = 100.1, V2 = 100.0;
    const double Z1 = compressibilityAt(p, V1);
    const double Z2 = compressibilityAt(p, V2);
    p.virialB = ((Z1 - 1.0) * V1 * V1 - (Z2 - 1.0) * V2 * V2) / (V1 - V2);
    p.virialB0 = (Z2 - 1.0) * V2;
    constexpr double u[3] = {10.0, 9.0, 8.0};
    double g[3];
    for (int i = 0; i < 3; ++i) g[i] = (compressibilityAt(p, 1.0 / u[i]) - 1.0) / u[i];
    const double g01 = (g[0] - g[1]) / (u[0] - u[1]), g12 = (g[1] - g[2]) / (u[1] - u[2]);
    const double g012 = (g01 - g12) / (u[0] - u[2]);
    p.virialC = g01 - (u[0] + u[1]) * g012;
    // The state is left at V2, whose pressure the virial table reports.
    compressibilityAt(p, V2);
}

}  // namespace

void FluidPhase::plotVirialCoefficients(double Tmin, double Tmax, char mode, const char* suffix) {
    if (!std::isfinite(Tmin) || !std::isfinite(Tmax)) return;
    File f = openFile(CurveOutput::fileName("virial", suffix), "wt");
    if (!f) return;
    const char* s = suffix ? suffix : "";
    if (mode == 1)
        std::fprintf(f.get(), "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %10s%s\nBEGIN\n", "T", s, "P", s, "B0", s,
                     "B1", s, "C", s, "Cr", s);
    temperature(Tmin);
    while (T <= Tmax) {
        virialCoefficients(*this);
        const double Cr = std::copysign(1e6 * std::sqrt(std::fabs(virialC)), virialC);
        std::fprintf(f.get(), "%12lg %12lg %12lg %12lg %12lg %12lg\n", T, 1e-5 * P, 1e6 * virialB0, 1e6 * virialB,
                     1e12 * virialC, Cr);
        temperature(T + 1.0);
    }
    if (mode == 1) std::fputs("END\n", f.get());
}

void FluidPhase::calculateVirialCoefficients(double T_) {
    temperature(T_);
    virialCoefficients(*this);
    std::printf("B0 : %12lg cm3/mol\n", 1e6 * virialB0);
    std::printf("B1 : %12lg cm3/mol\n", 1e6 * virialB);
    std::printf("C  : %12lg cm6/mol2\n", 1e12 * virialC);
}

// ---------------------------------------------------------------- checks

void FluidPhase::checkInfiniteVolumes(double V_, double Tstart, double Tend, char mode, const char* suffix) {
    if (!std::isfinite(Tstart) || !std::isfinite(Tend)) return;
    File f = openFile(CurveOutput::fileName("inf", suffix), "wt");
    if (!f) return;
    const char* s = suffix ? suffix : "";
    if (mode == 1) {
        std::fputs("IGOR\n", f.get());
        std::fputs("X // This file is to check that the Helmholz energy of the EOS follows the law of ideal gas at "
                   "infinite expansion.\n",
                   f.get());
        std::fputs("X // \t We must verify that : \n", f.get());
        std::fputs("X //\t\t * Z = 1\n", f.get());
        std::fputs("X //\t\t * da = A/RT + ln(V) = 0\n\n", f.get());
        std::fprintf(f.get(), "WAVES %5s%s %11s%s %11s%s %11s%s %11s%s\t%25s%s\t%15s%s %9s%s\nBEGIN\n", "T", s, "V", s,
                     "P", s, "Z", s, "Am", s, "da", s, "phi", s, "rcp", s);
    }
    volume(V_);
    for (double t = Tstart; t <= Tend; t += 1.0) {
        temperature(t);
        calculate_state_functions();
        calculate_fugacities();
        // a + ln V + Z - 1 with a the fugacity pass's A/(RT) (ideal gas -ln V)
        // is sum_i x_i Lambda_i, Lambda_i = ln V - 1 + the terms' rcp_i.
        double da = 0.0;
        for (int i = 0; i < component_count; i++) da += x[i] * rcp[i];
        std::fprintf(f.get(), "%12lg %12lg %12lg %12lg %12lg\t%.25lg\t%12lg %12lg\n", T, V, P, Z, A, da,
                     std::exp(da), rcp.empty() ? 0.0 : rcp[0]);
    }
    std::fputs("END\n", f.get());
}

void FluidPhase::checkCpAt(double T_, double P_bar) {
    const double M = bulk_molar_weight;
    // The stable state at each temperature: a search of one phase kind
    // fails on the other side of the saturation curve, which runs through
    // the critical point where the check is made.
    auto h = [&](double t) {
        calculateStableStateFromTP(t, P_bar);
        calculate_state_functions();
        return H / M;
    };
    const double hm = h(T_ - 1e-6), hp = h(T_ + 1e-6);
    checkedCpNumeric = (hp - hm) / 2e-6;
    std::printf("Cp (num.) %12f\n", checkedCpNumeric);
    h(T_);
    checkedCpAnalytic = Cp / M;
    std::printf("Cp (ana.) %12f\n", checkedCpAnalytic);
}

void FluidPhase::plotParameterVariation(int term, const char* nodeName, int variable, double from, double to,
                                        double step, const char* suffix) {
    Interaction* t = nullptr;
    if (term == -1)
        t = ideal;
    else if (term >= 0 && term < nInteractions && term < static_cast<int>(interactions.size()))
        t = interactions[term];
    if (!t || !t->root) return;
    if (variable < 0 || variable >= component_count + 2 || !(step > 0.0) || !std::isfinite(from) ||
        !std::isfinite(to)) {
        platform::diagf("Parameter variation: variable %d from %g to %g in steps of %g cannot be walked\n",
                     variable, from, to, step);
        return;
    }
    Expression* node = nodeName ? t->root->findByName(nodeName) : nullptr;
    if (!node) node = t->root;
    File f = openFile(CurveOutput::fileName("par", suffix), "wt");
    if (!f) return;
    const char* s = suffix ? suffix : "";
    std::fprintf(f.get(), "IGOR\nWAVES %6s%s %11s%s %11s%s\nBEGIN\n", "p", s, "f", s, "df", s);
    const int n = component_count;
    for (double p = from; p <= to; p += step) {
        if (variable == 0) {
            temperature(p);
        } else if (variable == 1) {
            volume(p);
        } else {
            const int j = variable - 2;
            for (int i = 0; i < n; ++i) composition_of_component(i, i == j ? p : (n > 1 ? (1.0 - p) / (n - 1) : 1.0 - p));
        }
        t->calculate();
        const double d = (node->d1 && variable < node->nvar) ? node->d1[variable] : 0.0;
        std::fprintf(f.get(), "%12lg %12lg %12lg\n", p, node->value, d);
    }
    std::fputs("END\n", f.get());
}

// ---------------------------------------------------------------- out-of-equilibrium liquid

void FluidPhase::equationForDisequilibratedLiquid(double* xv, double* G_, double** J, int& err, int, void* data) {
    const double* d = static_cast<const double*>(data);
    const double T_ = xv[0], V_ = xv[1];
    if (T_ < 270 || V_ < 1.7e-5) {
        err = 1;
        return;
    }
    set_the_phase_as(2);
    volume(V_);
    temperature(T_);
    calculate_pressure();
    calculate_state_functions();
    // The target pressure is given in bar; the residual compares pascals.
    G_[0] = G - d[0];
    G_[1] = P - 1e5 * d[1];
    if (J) {
        J[0][0] = -S + V * dPdT;
        J[0][1] = V * dPdV;
        J[1][0] = dPdT;
        J[1][1] = dPdV;
    }
    if (!std::isfinite(G_[0]) || !std::isfinite(G_[1])) err = 1;
}

void FluidPhase::calculateDisequilibratedLiquid(double T_, double dP_bar) {
    set_the_phase_as(1);
    temperature(T_);
    pressure(1.0 + dP_bar);
    calculate_molar_volume();
    calculate_state_functions();
    double data[2] = {G + 17000.0, 1.0 + dP_bar};
    Newton s;
    s._setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&FluidPhase::equationForDisequilibratedLiquid), 2);
    s.data = data;
    s.tol = 1e-12;
    s.stepTol = 5e-7;
    s.itermax = 50;
    s.lambdaMin = 1e-8;
    s.verbose = 1;
    platform::tracef("Vapour mu : %12f P : %lf\n", data[0], data[1]);
    s.x[0] = s.xold[0] = 373.15;
    s.x[1] = s.xold[1] = 1.8e-5;
    s.solve();
    if (s.status == 0) {
        temperature(s.x[0]);
        volume(s.x[1]);
        calculate_pressure();
    } else {
        platform::diagf("No convergence\n");
    }
    std::printf("T %.2f P %.2f\n", T, 1e-5 * P);
    std::printf("Liquid mu %12f P : %f\n", G, 1e-5 * P);
}
