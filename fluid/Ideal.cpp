#include "fluid/Ideal.h"

#include <cstdio>
#include <vector>

#include "platform/LogSink.h"
#include "platform/Process.h"

void readIdealComponentData(Interaction* ideal, const char* name) {
    if (auto* part = dynamic_cast<Ideal*>(ideal)) part->read_component_data(name);
}

void Ideal::plot_cp_data(double Tmin, double Tmax, int n) {
    if (n < 1) n = 50;
    std::FILE* f = std::fopen("standard.note", "w");
    if (!f) {
        platform::diagf("Cannot write standard.note\n");
        return;
    }
    const double dT = (Tmax - Tmin) / n;
    for (int i = 0; i < n; i++) {
        T = Tmin + i * dT;
        calculate_fugacities();
        std::fprintf(f, "%lf %lf %lf %lf %lf \n", T, A0 / 1000.0, S0, H0 / 1000.0, Cp0);
    }
    std::fclose(f);
    std::FILE* g = std::fopen("g10.gp", "w");
    if (!g) return;
    std::fprintf(g,
                 "reset\nset timestamp\nset multiplot\nset origin 0,0\nset size 0.5,0.5\n"
                 "set title \"A\"\nset xlabel \"T (K)\"\nset ylabel \"A (kJ/mol)\"\n"
                 "plot \"standard.note\" using 1:2 with lines title 'A(T)'\n"
                 "set origin 0.5,0\nset title \"H\"\nset ylabel \"H (kJ/mol)\"\n"
                 "plot \"standard.note\" using 1:4 with lines title 'H(T)'\n"
                 "set origin 0.0,0.5\nset title \"S\"\nset ylabel \"S (J/mol/K)\"\n"
                 "plot \"standard.note\" using 1:3 with lines title 'S(T)'\n"
                 "set origin 0.5,0.5\nset title \"Cp\"\nset ylabel \"Cp (J/mol/K)\"\n"
                 "plot \"standard.note\" using 1:5 with lines title 'Cp(T)'\n"
                 "unset multiplot\n");
    std::fclose(g);
    platform::runGnuplot("g10.gp");
}

void Ideal::plot_cp_data(const char* const* names, int count, double Tmin, double Tmax, int n) {
    if (!names || count < 1) return;
    if (n < 1) n = 50;
    const double dT = (Tmax - Tmin) / n;
    // rows[i] holds the four values of every component at the i-th temperature.
    std::vector<std::vector<double>> rows(n);
    for (int c = 0; c < count; c++) {
        // Each name is read into the first slot (sizing again starts the
        // component reader afresh) and tabulated on its own.
        number_of_components(component_count < 1 ? 1 : component_count);
        x.assign(component_count, 0.0);
        x[0] = 1.0;
        read_component_data(names[c]);
        for (int i = 0; i < n; i++) {
            T = Tmin + i * dT;
            calculate_fugacities();
            rows[i].insert(rows[i].end(), {A0 / 1000.0, S0, H0 / 1000.0, Cp0});
        }
    }
    std::FILE* f = std::fopen("standard.note", "w");
    if (!f) {
        platform::diagf("Cannot write standard.note\n");
        return;
    }
    for (int i = 0; i < n; i++) {
        std::fprintf(f, "%lg ", Tmin + i * dT);
        for (std::size_t k = 0; k + 3 < rows[i].size(); k += 4)
            std::fprintf(f, "%lg %lg %lg %lg ", rows[i][k], rows[i][k + 1], rows[i][k + 2], rows[i][k + 3]);
        std::fprintf(f, "\n");
    }
    std::fclose(f);
    std::FILE* g = std::fopen("g11.gp", "w");
    if (!g) return;
    std::fprintf(g, "reset\nset key below spacing 0.45\nset multiplot\n");
    struct Panel {
        const char* origin;
        const char* title;
        const char* ylabel;
        int column;
    };
    const Panel panels[4] = {{"set origin 0,0\nset size 0.5,0.5\n", "A", "A (kJ/mol)", 2},
                             {"set origin 0.5,0\n", "H", "H (kJ/mol)", 4},
                             {"set origin 0.0,0.5\n", "S", "S (J/mol/K)", 3},
                             {"set origin 0.5,0.5\n", "Cp", "Cp (J/mol/K)", 5}};
    for (const Panel& p : panels) {
        std::fprintf(g, "%s", p.origin);
        std::fprintf(g, "set title \"%s\"\n", p.title);
        if (p.column == 2) std::fprintf(g, "set xlabel \"T (K)\"\n");
        std::fprintf(g, "set ylabel \"%s\"\n", p.ylabel);
        std::fprintf(g, "plot \"standard.note\" using 1:%d with lines title '%s' ", p.column, names[0]);
        for (int c = 1; c < count; c++)
            std::fprintf(g, ", \"standard.note\" using 1:%d with lines title '%s' ", p.column + 4 * c, names[c]);
        std::fprintf(g, "\n");
        if (p.column == 2) std::fprintf(g, "unset timestamp\nunset key\n");
    }
    std::fprintf(g, "unset multiplot\n");
    std::fclose(g);
    platform::runGnuplot("g11.gp");
}
