// Drivers of the two-phase problems over many states: four read the states
// from a column data file (measured data to compare with, or start values),
// four trace an isotherm by stepping a pressure or a composition.  They work
// through the virtual set-up operations and calculateVLE, so they serve the
// Raoult-law and the fugacity solvers alike, and echo every row on standard
// output.  Temperatures in K, pressures in bar, molar volumes in cm3/mol.
#include <cstdio>
#include <string>
#include <vector>

#include "equilibria/VLE.h"
#include "fluid/FluidPhase.h"
#include "numerics/DataTextFile.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace {

// Checked output file (a failed open, write or close is reported and counted).
using File = platform::OutputFile;

File openOutput(const char* path) { return path ? File(path, "w") : File(); }

// Selects `names` (count names) in the reader; false when one is missing.
bool select(DataTextFile& in, const std::string& names, int count) { return in.set_index(names) == count; }


// Walks a bubble isotherm from the point just solved: the bulk composition
// moves by step[i] * factor from the last solved point, each solved point is
// written by `row`, a failed solve halves the step (error 1 below a factor
// of 1e-6), and the walk ends where a fraction leaves [0, 1] by 0.001.
template <class Row>
void stepAlongComposition(VLE& m, const double* step, Row row) {
    std::vector<double> base = m.z;
    m.set_initialization_flag(0);
    m.factor = 1.0;
    while (m.error == 0) {
        bool outside = false;
        for (int i = 0; i < m.nc; i++) {
            m.z[i] = base[i] + step[i] * m.factor;
            m.moles[i] = m.total_moles * m.z[i];
            m.estimate.x[i] = m.previous.x[i] + step[i] * m.factor;
            if (m.z[i] > 1.001 || m.z[i] < -0.001) outside = true;
        }
        if (outside) break;
        m.calculateVLE();
        if (m.error == 0) {
            base = m.z;
            row();
        } else {
            m.factor *= 0.5;
            m.error = m.factor < 1e-6 ? 1 : 0;
        }
    }
}

// One step of a pressure walk from the last solved point: the pressure moves
// by dP * factor, the factor halving after each failed solve, for at most
// maxTries solves.  The number of solves the step took; 0 when none converged.
int stepPressure(VLE& m, double dP, int maxTries) {
    m.factor = 1.0;
    for (int tries = 1; tries <= maxTries; ++tries) {
        m.error = 0;
        m.set_the_pressure(m.previous.P / 100000.0 + dP * m.factor);
        m.calculateVLE();
        m.factor *= 0.5;
        if (m.error == 0) return tries;
    }
    return 0;
}

}  // namespace

// Molar volumes of the two models in cm3/mol (0 without models).
static double VlOf(const VLE& v) { return v.liquid ? v.liquid->V * 1e6 : 0.0; }
static double VvOf(const VLE& v) { return v.vapour ? v.vapour->V * 1e6 : 0.0; }

void VLE::calculate_vapour_liquid_equilibria(const char* in, const char* out) {
    File f = openOutput(out);
    if (!f) return;
    const std::string X = header("x", "     "), Y = header("y", "     "), Z = header("z", "     ");
    std::fprintf(f.get(), "%s %s T P Vl Vv ic err \n", X.c_str(), Y.c_str());
    std::printf("%s %s T P Vl Vv ic err \n", X.c_str(), Y.c_str());

    DataTextFile data(in ? in : "");
    if (!data.is_open()) return;
    const bool hasT = data.set_index("T") == 1;
    const bool hasP = data.set_index("P") == 1;
    const bool hasFv = data.set_index("Fv") == 1;
    const bool hasZ = select(data, Z, nc);
    short code = 0;
    if (hasT && hasP && !hasFv)
        code = 12;
    else if (hasT && hasFv && !hasP)
        code = 13;
    else if (hasP && hasFv && !hasT)
        code = 23;
    if (code == 0 || !hasZ) {
        error = 8;
        platform::diagf("File format error.\n");
        return;
    }
    set_type_of_problem(code);
    std::vector<double> zs(nc, 0.0);
    int ic = 0;  // the row number fills the ic column of the header
    while (data.read()) {
        double a = 0.0, b = 0.0;
        data >> a >> b;
        for (int i = 0; i < nc; i++) data >> zs[i];
        if (code == 13) {
            set_the_temperature(a);
            set_the_vaporization_ratio(b);
        } else if (code == 12) {
            set_the_temperature(a);
            set_the_pressure(b);
        } else {
            set_the_pressure(a);
            set_the_vaporization_ratio(b);
        }
        for (int i = 0; i < nc; i++) composition(i, zs[i]);
        calculateVLE();
        for (int i = 0; i < nc; i++) {
            std::fprintf(f.get(), "%#.10lg ", x[i]);
            std::printf("%lg ", x[i]);
        }
        for (int i = 0; i < nc; i++) {
            std::fprintf(f.get(), "%#.10lg ", y[i]);
            std::printf("%lg ", y[i]);
        }
        std::fprintf(f.get(), "%#.10lg %#.10lg %#.10lg %#.10lg %d %d\n", T, P / 100000.0, VlOf(*this),
                     VvOf(*this), ic, error);
        std::printf("%lg %lg %lg %lg %d %d\n", T, P / 100000.0, VlOf(*this), VvOf(*this), ic, error);
        ic++;
    }
}

void VLE::flash(const char* in, const char* out) {
    File f = openOutput(out);
    if (!f) return;
    const std::string X = header("x", "     "), Y = header("y", "     ");
    const std::string Xexp4 = header("x", "exp    "), Yexp = header("y", "exp ");
    std::fprintf(f.get(), "IGOR\nWAVES T Pr %s %s %s %s err\nBEGIN\n", Xexp4.c_str(), X.c_str(), Yexp.c_str(),
                 Y.c_str());
    std::vector<double> xm(nc), ym(nc);
    // Measured phase compositions: the start values, their mean the bulk.
    flashTable(in, f.get(), 0.0, {X, Y},
               [&](DataTextFile& data) {
                   for (int i = 0; i < nc; i++) data >> xm[i];
                   for (int i = 0; i < nc; i++) data >> ym[i];
                   for (int i = 0; i < nc; i++) {
                       estimate.x[i] = xm[i];
                       estimate.y[i] = ym[i];
                       z[i] = (xm[i] + ym[i]) * 0.5;
                   }
               },
               [&](double Tm, double Pm) {
                   std::fprintf(f.get(), "%#.10lg %#.10lg ", Tm, Pm);
                   std::printf("%lg %lg ", Tm, Pm);
                   for (const std::vector<double>* v : {&xm, &x, &ym, &y}) {
                       for (int i = 0; i < nc; i++) {
                           std::fprintf(f.get(), "%#.10lg ", (*v)[i]);
                           std::printf("%lg  ", (*v)[i]);
                       }
                   }
               });
}

void VLE::flash1(const char* in, const char* out) {
    File f = openOutput(out);
    if (!f) return;
    const std::string X = header("x", "     "), Y = header("y", "     "), Z = header("z", "     ");
    std::fprintf(f.get(), "IGOR\nWAVES T Pr Fv %s %s err\nBEGIN\n", X.c_str(), Y.c_str());
    // The bulk and the start values of both phases, read.
    flashTable(in, f.get(), 0.5, {Z, X, Y},
               [&](DataTextFile& data) {
                   for (int i = 0; i < nc; i++) data >> z[i];
                   for (int i = 0; i < nc; i++) data >> estimate.x[i];
                   for (int i = 0; i < nc; i++) data >> estimate.y[i];
               },
               [&](double Tm, double Pm) {
                   std::fprintf(f.get(), "%#.10lg\t%#.10lg\t%#.10lg\t", Tm, Pm, nV);
                   std::printf("%lg %lg %lg  ", Tm, Pm, nV);
                   for (const std::vector<double>* v : {&x, &y}) {
                       for (int i = 0; i < nc; i++) {
                           std::fprintf(f.get(), "%#.10lg\t", (*v)[i]);
                           std::printf("%lg  ", (*v)[i]);
                       }
                   }
               });
}

void VLE::flashTable(const char* in, std::FILE* f, double Fv0, std::initializer_list<std::string> compositions,
                     const std::function<void(DataTextFile&)>& readRow,
                     const std::function<void(double, double)>& writeRow) {
    DataTextFile data(in ? in : "");
    bool columns = data.is_open() && select(data, "T   Pr  ", 2);
    for (const std::string& c : compositions) columns = columns && select(data, c, nc);
    if (data.is_open() && !columns) {
        error = 8;
        platform::diagf("File format error.\n");
    }
    if (columns) {
        set_type_of_problem(12);
        set_the_vaporization_ratio(Fv0);
        set_initialization_flag(0);
        while (data.read()) {
            double Tm = 0.0, Pm = 0.0;
            data >> Tm >> Pm;
            readRow(data);
            set_the_temperature(Tm);
            set_the_pressure(Pm);
            estimate.T = Tm;
            estimate.P = Pm * 100000.0;
            nV = nL = 0.5;
            for (int i = 0; i < nc; i++) moles[i] = total_moles * z[i];
            calculateVLE();
            writeRow(Tm, Pm);
            std::fprintf(f, "%d\n", error);
            std::printf("%d\n", error);
        }
    }
    std::fprintf(f, "END\n");
}

void VLE::bubble(const char* in, const char* out) {
    File f = openOutput(out);
    if (!f) return;
    const std::string X = header("x", "     "), Y = header("y", "     ");
    const std::string Xexp = header("x", "exp "), Yexp = header("y", "exp "), Yexp2 = header("y", "exp  ");
    std::fprintf(f.get(), "IGOR\nWAVES  ");
    std::fprintf(f.get(), "T %s Pexp Pr %s %s err\n", Xexp.c_str(), Yexp2.c_str(), Y.c_str());
    std::fprintf(f.get(), "BEGIN\n");
    DataTextFile data(in ? in : "");
    const bool columns = data.is_open() && select(data, "T   Pr  ", 2) && select(data, X, nc) && select(data, Y, nc);
    if (data.is_open() && !columns) {
        error = 8;
        platform::diagf("File format error.\n");
    }
    if (columns) {
        set_type_of_problem(13);
        set_the_vaporization_ratio(0.0);
        set_initialization_flag(0);
        std::vector<double> ym(nc);
        while (data.read()) {
            double Pexp = 0.0;
            data >> T >> Pexp;
            for (int i = 0; i < nc; i++) {
                double v = 0.0;
                data >> v;
                xcomposition(i, v, v, v, v, v);
            }
            for (int i = 0; i < nc; i++) {
                data >> ym[i];
                ycomposition(i, ym[i], ym[i], ym[i], ym[i], ym[i]);
            }
            const double Tm = T;
            estimate.T = Tm;
            estimate.P = P = Pexp * 100000.0;
            nL = 1.0;
            Fv = 0.0;
            nV = 0.0;
            set_the_temperature(Tm);
            for (int i = 0; i < nc; i++) {
                z[i] = x[i];
                moles[i] = total_moles * z[i];
            }
            calculateVLE();
            std::fprintf(f.get(), "%#.10lg  ", Tm);
            for (int i = 0; i < nc; i++) {
                std::fprintf(f.get(), "%#.10lg ", x[i]);
                std::printf("%lg ", x[i]);
            }
            std::fprintf(f.get(), "%#.10lg %#.10lg  ", Pexp, P / 100000.0);
            for (int i = 0; i < nc; i++) {
                std::fprintf(f.get(), "%#.10lg ", ym[i]);
                std::printf("%lg ", ym[i]);
            }
            for (int i = 0; i < nc; i++) {
                std::fprintf(f.get(), "%#.10lg ", y[i]);
                std::printf("%lg ", y[i]);
            }
            std::fprintf(f.get(), "%d \n", error);
            std::printf("%d \n", error);
        }
    }
    std::fprintf(f.get(), "END\n");
    if (nc < 1) return;
    const char* N0 = names[0].c_str();
    std::fprintf(f.get(), "x display Pexp vs x%sexp\n", N0);
    std::fprintf(f.get(), "x append  Pexp vs y%sexp\n", N0);
    std::fprintf(f.get(), "x append  Pr   vs x%sexp\n", N0);
    std::fprintf(f.get(), "x append  Pr   vs y%s\n", N0);
    if (nc == 2) {
        std::fprintf(f.get(), "x duplicate Pexp, dP\n");
        std::fprintf(f.get(), "x duplicate Pexp, dy\n");
        std::fprintf(f.get(), "x dP = (Pexp-Pr)/Pr \n");
        std::fprintf(f.get(), "x dy = y%sexp - y%s\n", N0, N0);
        std::fprintf(f.get(), "x dP = abs (dP) \n");
        std::fprintf(f.get(), "x dy = abs (dy) \n");
        std::fprintf(f.get(), "x Variable AADP, AADy\n ");
        std::fprintf(f.get(), "x wavestats dP\n ");
        std::fprintf(f.get(), "x AADP = V_avg \n");
        std::fprintf(f.get(), "x wavestats dy \n");
        std::fprintf(f.get(), "x AAdy = V_avg \n");
        std::fprintf(f.get(), "x print AAdP*100, AAdy*100\n");
    } else if (nc == 3) {
        const char* N1 = names[1].c_str();
        std::fprintf(f.get(), "x duplicate Pexp, dP\n");
        std::fprintf(f.get(), "x duplicate Pexp, dy0\n");
        std::fprintf(f.get(), "x duplicate Pexp, dy1\n");
        std::fprintf(f.get(), "x dP = (Pexp-Pr)/Pr \n");
        std::fprintf(f.get(), "x dy0 = y%sexp - y%s\n", N0, N0);
        std::fprintf(f.get(), "x dy1 = y%sexp - y%s\n", N1, N1);
        std::fprintf(f.get(), "x dP = abs (dP) \n");
        std::fprintf(f.get(), "x dy0 = abs (dy0) \n");
        std::fprintf(f.get(), "x dy1 = abs (dy1) \n");
        std::fprintf(f.get(), "x Variable AADP, AADy0, AADy1 \n ");
        std::fprintf(f.get(), "x wavestats dP\n ");
        std::fprintf(f.get(), "x AADP = V_avg \n");
        std::fprintf(f.get(), "x wavestats dy0 \n");
        std::fprintf(f.get(), "x AAdy0 = V_avg \n");
        std::fprintf(f.get(), "x wavestats dy1 \n");
        std::fprintf(f.get(), "x AAdy1 = V_avg \n");
        std::fprintf(f.get(), "x print AAdP*100, AAdy0*100, AAdy1*100\n");
    } else {
        std::fprintf(f.get(), "x dP = abs (dP) \n");
    }
}

void VLE::flash_isotherm(const char* out, double T_, double dP, double z1, double Fv_) {
    if (nc != 2) return;
    factor = 1.0;
    File f = openOutput(out);
    if (!f) return;
    z[0] = z1;
    z[1] = 1.0 - z1;
    for (int i = 0; i < nc; i++) moles[i] = total_moles * z[i];
    set_type_of_problem(13);
    set_the_temperature(T_);
    set_the_vaporization_ratio(Fv_);
    set_initialization_flag(0);
    calculateVLE();
    if (error) {
        error = 7;
        platform::diagf("No convergence\n");
        return;
    }
    auto row = [&](const char* fileFormat) {
        std::fprintf(f.get(), fileFormat, T, P / 100000.0, x[0], x[1], y[0], y[1], VlOf(*this), VvOf(*this));
        std::printf("%lg %lg %lg %lg %lg %lg", T, P / 100000.0, x[0], x[1], y[0], y[1]);
    };
    row("%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg \n");
    set_type_of_problem(12);
    for (;;) {
        const int tries = stepPressure(*this, dP, 2);
        if (tries == 0) return;
        row("%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg\n");
        if (tries > 1) return;
    }
}

void VLE::flash1_isotherm(const char* out, double T_, double P0, double dP, double*) {
    factor = 1.0;
    File f = openOutput(out);
    if (!f) return;
    const std::string X = header("x", "     "), Y = header("y", "     "), Z = header("z", "     ");
    std::fprintf(f.get(), "IGOR\nWAVES Tr Pr Fv %s %s %s Vl Vv\nBEGIN\n", Z.c_str(), X.c_str(), Y.c_str());
    nV = nL = 0.5;
    set_type_of_problem(12);
    set_the_temperature(T_);
    set_the_pressure(P0);
    set_initialization_flag(2);
    calculateVLE();
    if (error) {
        error = 7;
        platform::diagf("No convergence\n");
        return;
    }
    auto row = [&]() {
        std::fprintf(f.get(), "%#.10lg %#.10lg %#.10lg ", T, P / 100000.0, nV);
        for (const std::vector<double>* v : {&z, &x, &y})
            for (int i = 0; i < nc; i++) std::fprintf(f.get(), "%#.10lg  ", (*v)[i]);
        std::fprintf(f.get(), "%lg\t%lg\n", VlOf(*this), VvOf(*this));
        std::printf("%lg %lg %lg %lg %lg %lg %lg \n", T, P / 100000.0, x[0], x[nc - 1], y[0], y[nc - 1], nV);
    };
    row();
    set_initialization_flag(0);
    set_type_of_problem(12);
    for (;;) {
        const int tries = stepPressure(*this, dP, 4);
        if (tries == 0) break;
        row();
        if (tries >= 4) break;
    }
    std::fprintf(f.get(), "END\n");
    const char* s = out;
    std::fprintf(f.get(), "x rename Tr, T%s\n", s);
    std::fprintf(f.get(), "x rename Pr, Pr%s\n", s);
    std::fprintf(f.get(), "x rename Vl, Vl%s\n", s);
    std::fprintf(f.get(), "x rename Vv, Vv%s\n", s);
    std::fprintf(f.get(), "x rename Fv, Fv%s\n", s);
    for (int i = 0; i < nc; i++) {
        const char* N = names[i].c_str();
        std::fprintf(f.get(), "x rename z%s, z%s%s\n", N, N, s);
        std::fprintf(f.get(), "x rename x%s, x%s%s\n", N, N, s);
        std::fprintf(f.get(), "x rename y%s, y%s%s\n", N, N, s);
    }
}

void VLE::calculate_an_isotherm_of_the_binary_system(const char* out, double T_, double z1, double dz, double,
                                                     double, const char* suffix) {
    if (nc != 2) return;
    factor = 1.0;
    File f = openOutput(out);
    if (!f) return;
    const char* sfx = suffix ? suffix : "";
    const std::string X = header("x", "     "), Y = header("y", "     ");
    std::fprintf(f.get(), "IGOR\n\nWAVES ");
    std::fprintf(f.get(), "T     Pr  %s %s Vl Vv ic\nBEGIN\n", X.c_str(), Y.c_str());
    std::printf("T     Pr %s %s \n", X.c_str(), Y.c_str());
    z[0] = z1;
    z[1] = 1.0 - z1;
    const double step[2] = {dz, -dz};
    for (int i = 0; i < 2; i++) {
        previous.x[i] = previous.y[i] = estimate.x[i] = estimate.y[i] = z[i];
        moles[i] = total_moles * z[i];
    }
    set_type_of_problem(13);
    set_the_temperature(T_);
    set_the_vaporization_ratio(0.0);
    if (first_init_flag == 2) set_initialization_flag(2);
    calculateVLE();
    if (error) {
        error = 7;
        platform::diagf("No convergence\n");
        return;
    }
    // The ic column carries the number of the point on the curve.
    int ic = 0;
    auto row = [&](const char* screenFormat) {
        std::fprintf(f.get(), "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %d\n", T,
                     P / 100000.0, x[0], x[1], y[0], y[1], VlOf(*this), VvOf(*this), ic++);
        std::printf(screenFormat, T, P / 100000.0, x[0], x[1], y[0], y[1]);
    };
    row("%lg %lg %lg %lg %lg %lg \n");
    stepAlongComposition(*this, step, [&] { row("%lg %lg %lg %lg %lg %lg\n"); });
    endIgorTable(f.get(), {{"T", "T"}, {"Pr", "Pr"}, {"Vl", "Vl"}, {"Vv", "Vv"}, {"ic", "ic"}}, sfx);
}

void VLE::calculate_an_isotherm_of_the_pseudo_binary_system(const char* out, double T_, double s, double r,
                                                            double dz, double, double, const char* suffix) {
    if (nc != 3) return;
    aux = r;
    File f = openOutput(out);
    if (!f) return;
    const char* sfx = suffix ? suffix : "";
    const std::string X = header("x", "     "), Y = header("y", "     ");
    std::fprintf(f.get(), "IGOR\nWAVES  ");
    std::fprintf(f.get(), "T   Pr %s %s Vl Vv ic\nBEGIN\n", X.c_str(), Y.c_str());
    std::printf("T Pr %s %s\n", X.c_str(), Y.c_str());
    z = {(1.0 - r) * s, r * s, 1.0 - s};
    const double step[3] = {(1.0 - r) * dz, r * dz, -dz};
    for (int i = 0; i < 3; i++) {
        moles[i] = total_moles * z[i];
        previous.x[i] = previous.y[i] = estimate.x[i] = z[i];
    }
    set_type_of_problem(13);
    set_the_temperature(T_);
    set_the_vaporization_ratio(0.0);
    set_initialization_flag(2);
    calculateVLE();
    if (error) {
        error = 7;
        platform::diagf("No convergence\n");
        return;
    }
    int ic = 0;
    auto row = [&](const char* screenFormat) {
        std::fprintf(f.get(),
                     "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg \t%#.10lg %#.10lg %#.10lg %d\n", T,
                     P / 100000.0, x[0], x[1], x[2], y[0], y[1], y[2], VlOf(*this), VvOf(*this), ic++);
        std::printf(screenFormat, T, P / 100000.0, x[0], x[1], x[2], y[0], y[1], y[2], VlOf(*this), VvOf(*this));
    };
    row("%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg \t\t%#.10lg %#.10lg %#.10lg %#.10lg \n");
    stepAlongComposition(*this, step, [&] {
        row("%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg \t\t\t%#.10lg %#.10lg %#.10lg %#.10lg \n");
    });
    endIgorTable(f.get(), {{"T", "T"}, {"Pr", "Pr"}, {"Vl", "Vl"}, {"Vv", "Vv"}, {"ic", "ic"}}, sfx);
}
