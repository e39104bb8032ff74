#include "fluid/Phase.h"
#include "platform/LogSink.h"

void Phase::number_of_components(int n) {
    if (n == component_count) return;
    parametersChanged();
    if (n < 1) {
        platform::diagf("Phase %s: %d components is not a valid count\n", modelName(), n);
        return;
    }
    const std::size_t m = static_cast<std::size_t>(n);
    component_count = n;
    added_components = 0;
    x.assign(m, 0.0);
    moles.assign(m, 0.0);
    fugacity.assign(m, 0.0);
    aux1.assign(m, 0.0);
    fugcoef.assign(m, 0.0);
    aux2.assign(m, 0.0);
    molar_mass.assign(m, 0.0);
    component_names.assign(m, std::string());
    dfugacitydT.assign(m, 0.0);
    dfugacitydP.assign(m, 0.0);
    dfugacitydV.assign(m, 0.0);
    dfugacitydx.assign(m, std::vector<double>(m, 0.0));
    if (n == 1) {
        total_moles = 1.0;
        x[0] = 1.0;
        moles[0] = 1.0;
    }
}

void Phase::add_component(const char* name) {
    if (added_components >= component_count || !name) return;
    const int i = added_components;
    component_names[i] = name;
    parametersChanged();
    read_component_data(i, name);
    if (i == component_count - 1) read_remaining_component_data();
    added_components++;
}

void Phase::add_components(std::initializer_list<const char*> names) {
    for (const char* name : names) add_component(name);
}

void Phase::composition_of_component(int i, double xi) {
    x[i] = xi;
    if (total_moles != 0.0) moles[i] = xi * total_moles;
}

void Phase::number_of_moles_of_component(int i, double ni) {
    moles[i] = ni;
    if (total_moles != 0.0) x[i] = ni / total_moles;
}

void Phase::tune(double*) { platform::diagf("Not implemented\n"); }
void Phase::set_model_parameter(int, double) { platform::diagf("Not implemented\n"); }
void Phase::calculate_molar_volume() { platform::diagf("Not implemented\n"); }

void Phase::composition(const double* xs) {
    for (int i = 0; i < component_count; i++) composition_of_component(i, xs[i]);
    normalizeCompositions();
}

void Phase::composition(std::initializer_list<double> xs) {
    if (static_cast<int>(xs.size()) != component_count)
        platform::diagf("Phase %s: %d mole fractions given for %d components\n", modelName(),
                     static_cast<int>(xs.size()), component_count);
    int i = 0;
    for (double xi : xs) {
        if (i >= component_count) break;
        composition_of_component(i++, xi);
    }
    normalizeCompositions();
}

void Phase::composition_of(const char* name, double xi) {
    if (!name) return;
    for (int i = 0; i < component_count; i++) {
        if (component_names[i] == name) {
            composition_of_component(i, xi);
            return;
        }
    }
}

void Phase::normalizeCompositions() {
    double s = 0.0;
    for (int i = 0; i < component_count; i++) s += x[i];
    if (s < 0.9999 || s > 1.0001) {
        if (s == 0.0) {
            for (int i = 0; i < component_count; i++) composition_of_component(i, 1.0 / component_count);
        } else {
            for (int i = 0; i < component_count; i++) composition_of_component(i, x[i] / s);
        }
    }
    bulk_molar_weight = sumOfMolarMasses();
}

void Phase::number_of_moles(std::initializer_list<double> ns) {
    int i = 0;
    for (double ni : ns) {
        if (i >= component_count) break;
        number_of_moles_of_component(i++, ni);
    }
}

double Phase::sumOfMolarMasses() const {
    double m = 0.0;
    for (int i = 0; i < component_count; i++) m += x[i] * molar_mass[i];
    return m;
}

void Phase::calculateBulkMolarWeight() {
    bulk_molar_weight = sumOfMolarMasses();
    rho = bulk_molar_weight / V;
}

const char* Phase::setComponent(int i, const char* name) {
    component_names[i] = name ? name : "";
    return component_names[i].c_str();
}

const char* Phase::componentName(int i) const {
    if (i < 0 || i >= component_count || component_names[i].empty()) return "noname";
    return component_names[i].c_str();
}

void Phase::print(std::FILE* f) const {
    std::fprintf(f, "errorflag %d\n", errorflag);
    std::fprintf(f, "x    ");
    for (int i = 0; i < component_count; i++) std::fprintf(f, "%lg ", x[i]);
    std::fprintf(f, "\n");
    std::fprintf(f, "T    %lg K\n", T);
    std::fprintf(f, "P    %lg bar\n", P / 100000.0);
    std::fprintf(f, "V    %lg cm3/mol\n\n", V * 1e6);
}

void Phase::ft3lb(double v) { volume(sumOfMolarMasses() * 0.062428 * v); }
void Phase::cm3g(double v) { volume(sumOfMolarMasses() * 0.001 * v); }
void Phase::gcm3(double d) { volume(sumOfMolarMasses() / (1000.0 * d)); }
