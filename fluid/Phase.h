#pragma once
// Base of every phase model: components, composition, mole numbers, state
// (T, P, V) and the per-component fugacity results.  `Phase` computes nothing
// thermodynamic; `FluidPhase` and the models derived from it do.
//
// Units inside the object: K, Pa, m3/mol, kg/mol.  `pressure` takes bar,
// `Pascal` takes Pa.
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "numerics/Equation.h"

class Phase : public Equation {
public:
    Phase() = default;
    virtual ~Phase() = default;
    Phase(const Phase&) = delete;
    Phase& operator=(const Phase&) = delete;

    // ---- virtual operations
    virtual void set_the_phase_as(int kind) { phase_kind = kind; }
    // Sizes every per-component array for n components.  A different count
    // later reallocates all of them (names, composition and results are reset);
    // n < 1 is refused with a message.
    virtual void number_of_components(int n);
    // Names the next component, reads its data (read_component_data) and,
    // after the last one, read_remaining_component_data.  Ignored once every
    // component has been named.
    virtual void add_component(const char* name);
    virtual void read_component_data(int /*i*/, const char* /*name*/) {}
    virtual void read_remaining_component_data() {}
    virtual void temperature(double T_) { T = T_; }
    virtual void pressure(double P_bar) { P = 100000.0 * P_bar; }
    virtual void volume(double V_) { V = V_; }
    virtual void composition_of_component(int i, double xi);
    virtual void number_of_moles_of_component(int i, double ni);
    virtual void total_number_of_moles(double n) { total_moles = n; }
    virtual void describe() {}
    virtual void tune(double* parameters);
    virtual void set_model_parameter(int i, double value);
    // set_model_parameter, then parametersChanged.
    void setModelParameter(int i, double value) {
        set_model_parameter(i, value);
        parametersChanged();
    }
    // Tells the model that its parameters changed (what it keeps computed
    // from them, such as its own critical point, is computed again): called
    // by the setters here; a caller that changes a term's parameters
    // directly calls it too.
    void parametersChanged() { ++parameterRevision_; }
    unsigned long parameterRevision() const { return parameterRevision_; }
    virtual void calculate_molar_volume();
    virtual void molality(double /*m*/) {}

    // ---- components
    // add_component on each name, in order (at most the component count).
    void add_components(std::initializer_list<const char*> names);
    template <typename... Rest>
    void add_components(const char* first, Rest... rest) {
        add_components({first, static_cast<const char*>(rest)...});
    }

    // ---- composition
    // composition_of_component for each component from x[0..n-1], then normalizeCompositions.
    void composition(const double* xs);
    // One mole fraction per component, in order; then normalizeCompositions.
    void composition(std::initializer_list<double> xs);
    template <typename... Rest>
    void composition(double x0, Rest... rest) {
        composition({x0, static_cast<double>(rest)...});
    }
    // Mole fraction of the first component named exactly `name`; no match changes nothing.
    void composition_of(const char* name, double xi);
    // Fractions summing outside [0.9999, 1.0001] are scaled to sum 1; all-zero
    // fractions become 1/n each.  bulk_molar_weight is recomputed in every case.
    void normalizeCompositions();
    // One mole number per component, in order, each through number_of_moles_of_component.
    void number_of_moles(std::initializer_list<double> ns);
    template <typename... Rest>
    void number_of_moles(double n0, Rest... rest) {
        number_of_moles({n0, static_cast<double>(rest)...});
    }

    void calculateBulkMolarWeight();
    const char* setComponent(int i, const char* name);
    void setModelName(const char* name) { model_name = name ? name : ""; }
    const char* modelName() const { return model_name.empty() ? "noname" : model_name.c_str(); }
    const char* componentName(int i) const;
    void print(std::FILE* f) const;
    void Pascal(double Ppa) { pressure(Ppa / 100000.0); }

    // Volume setters from specific quantities of the current composition.
    void ft3lb(double v);  // ft3/lb
    void cm3g(double v);   // cm3/g
    void gcm3(double d);   // g/cm3

    // ---- data
    int component_count = 0;
    double total_moles = 0.0;  // 0: mole numbers do not follow the fractions
    std::vector<double> x;
    std::vector<double> moles;
    std::vector<std::string> component_names;
    std::vector<double> molar_mass;  // kg/mol
    std::string model_name;
    int phase_kind = 0;  // 1 vapour, 2 liquid, 5 start from the vapour estimate Vv0
    short errorflag = 0;

private:
    unsigned long parameterRevision_ = 0;  // counts the changes of the model's parameters

public:
    int added_components = 0;
    double P = 0.0;  // Pa
    double T = 0.0;  // K
    double V = 0.0;  // m3/mol
    double rho = 0.0;
    double bulk_molar_weight = 0.0;
    std::vector<double> fugacity;  // Pa
    std::vector<double> aux1;
    std::vector<double> fugcoef;
    std::vector<double> aux2;
    std::vector<double> dfugacitydT;
    std::vector<double> dfugacitydP;
    std::vector<double> dfugacitydV;
    std::vector<std::vector<double>> dfugacitydx;  // [i][j]: d fugacity_i / d x_j at constant T, P

    // The molar mass of the composition given (kg/mol): sum x_i M_i where the
    // components' masses are known, else bulk_molar_weight as the model set
    // it.  (bulk_molar_weight itself may hold what another calculation left,
    // a pure component's mass among them.)
    double compositionMolarMass() const {
        const double m = sumOfMolarMasses();
        return m > 0.0 && m < std::numeric_limits<double>::infinity() ? m : bulk_molar_weight;
    }

private:
    double sumOfMolarMasses() const;
};
