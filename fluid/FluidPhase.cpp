#include "fluid/ErrorFlagScope.h"
#include "fluid/FluidPhase.h"

#include <cmath>
#include <cstring>

#include "expressions/Expression.h"
#include "fluid/ReferenceFluids.h"
#include "fluid/VenturiInteraction.h"
#include "numerics/Newton.h"
#include "numerics/NewtonRaphson.h"
#include "platform/LogSink.h"

namespace {
constexpr double kMassH2O = 0.018015268;
constexpr double kMassCO2 = 0.0440098;  // IUPAC
constexpr double kMassCH4 = 0.016043;   // IUPAC
constexpr double kMassNaCl = 0.0584428;
constexpr double kMassKCl = 0.0745513;

struct SystemName {
    const char* name;
    SystemTypeCode code;
};
// In the order in which names are compared.
constexpr SystemName kSystemNames[] = {
    {"H2O", kSystemH2O},
    {"CO2", kSystemCO2},
    {"CH4", kSystemCH4},
    {"NaCl", kSystemNaCl},
    {"KCl", kSystemKCl},
    {"H2O-NaCl", kSystemH2O_NaCl},
    {"H2O-KCl", kSystemH2O_KCl},
    {"H2O-CO2", kSystemH2O_CO2},
    {"H2O-CH4", kSystemH2O_CH4},
    {"NaCl-CO2", kSystemNaCl_CO2},
    {"NaCl-CH4", kSystemNaCl_CH4},
    {"H2O-NaCl-CO2", kSystemH2O_NaCl_CO2},
    {"H2O-NaCl-CH4", kSystemH2O_NaCl_CH4},
    {"H2O-NaCl-CO2-CH4", kSystemH2O_NaCl_CO2_CH4},
    {"H2O-NaCl-KCl-CO2-CH4", kSystemH2O_NaCl_KCl_CO2_CH4},
};

struct SystemData {
    SystemTypeCode code;
    int n;
    const char* names[5];
    double masses[5];
    double criticalT, criticalV;
    double Tmin;  // 0: unchanged
};
constexpr SystemData kSystems[] = {
    {kSystemH2O, 1, {"H2O"}, {kMassH2O}, 648.6, 6.174e-5, 0},
    {kSystemCO2, 1, {"CO2"}, {kMassCO2}, 305.0, 9.4e-5, 80.0},
    {kSystemCH4, 1, {"CH4"}, {kMassCH4}, 190.6, 6e-5, 100.0},
    {kSystemNaCl, 1, {"NaCl"}, {kMassNaCl}, 2167.0, 0.000167, 0},
    {kSystemKCl, 1, {"KCl"}, {kMassKCl}, 2167.0, 0.000167, 0},
    {kSystemH2O_NaCl, 2, {"H2O", "NaCl"}, {kMassH2O, kMassNaCl}, 648.6, 6.174e-5, 0},
    {kSystemH2O_CO2, 2, {"H2O", "CO2"}, {kMassH2O, kMassCO2}, 648.6, 6.174e-5, 273.15},
    {kSystemH2O_CH4, 2, {"H2O", "CH4"}, {kMassH2O, kMassCH4}, 648.6, 6.174e-5, 273.15},
    {kSystemH2O_KCl, 2, {"H2O", "KCl"}, {kMassH2O, kMassKCl}, 648.6, 6.174e-5, 0},
    {kSystemNaCl_CO2, 2, {"NaCl", "CO2"}, {kMassNaCl, kMassCO2}, 2167.0, 0.000167, 0},
    {kSystemNaCl_CH4, 2, {"NaCl", "CH4"}, {kMassNaCl, kMassCH4}, 2167.0, 0.000167, 0},
    {kSystemH2O_NaCl_CO2, 3, {"H2O", "NaCl", "CO2"}, {kMassH2O, kMassNaCl, kMassCO2}, 648.6, 6.174e-5, 0},
    {kSystemH2O_NaCl_CH4, 3, {"H2O", "NaCl", "CH4"}, {kMassH2O, kMassNaCl, kMassCH4}, 648.6, 6.174e-5, 273.15},
    {kSystemH2O_NaCl_KCl, 3, {"H2O", "NaCl", "KCl"}, {kMassH2O, kMassNaCl, kMassKCl}, 648.6, 6.174e-5, 273.15},
    {kSystemH2O_NaCl_KCl_CO2_CH4,
     5,
     {"H2O", "NaCl", "KCl", "CO2", "CH4"},
     {kMassH2O, kMassNaCl, kMassKCl, kMassCO2, kMassCH4},
     648.6,
     6.174e-5,
     273.15},
};
}  // namespace

double triplePointTemperature(const char* component, const ReferenceFluids* fluids) {
    // The reference fluids' triple points (their table); the melting points of
    // sodium chloride, 1073.8 K, and potassium chloride, 1044 K (CRC Handbook
    // of Chemistry and Physics), below which a molten salt is supercooled.
    const ReferenceFluids& table = fluids ? *fluids : ReferenceFluids::standard();
    if (const double Tt = table.triplePointTemperature(component); Tt > 0.0) return Tt;
    struct MeltingPoint {
        const char* name;
        double T;
    };
    static constexpr MeltingPoint kSalts[] = {{"NaCl", 1073.8}, {"KCl", 1044.0}};
    if (!component) return 0.0;
    for (const MeltingPoint& t : kSalts)
        if (std::strcmp(t.name, component) == 0) return t.T;
    return 0.0;
}

double mixtureFreezingTemperature(const char* component, double xi, const ReferenceFluids* fluids) {
    // A reference fluid's ideal freezing point from its enthalpy of fusion.
    const ReferenceFluids& table = fluids ? *fluids : ReferenceFluids::standard();
    if (table.find(component)) return table.freezingTemperature(component, xi);
    return triplePointTemperature(component, fluids);
}

SystemTypeCode systemTypeCodeOf(const char* name) {
    if (!name) return 0;
    for (const SystemName& s : kSystemNames)
        if (std::strcmp(s.name, name) == 0) return s.code;
    return 0;
}

FluidPhase::FluidPhase(int nInteractions_, int phaseKind, char withVenturi_) {
    phase_kind = phaseKind;
    errorflag = 0;
    volumeSolver = new NewtonRaphson();
    bindVolumeEquation();
    volumeSolver->itermax = 100;
    volumeSolver->tol = 1e-15;
    volumeSolver->bounded = 1;
    volumeSolver->xmin = 1e-7;
    volumeSolver->xmax = 1e6;
    volumeSolver->r = 1.0;
    criticalSolver = new Newton();
    criticalSolver->_setSysEquationToSolve(this,
                                           toEquationFn<SysEquationFn>(&FluidPhase::equationForCalculatingCriticalPoint1), 2);
    withVenturi = withVenturi_;
    if (nInteractions_ > 0) createInteractions(nInteractions_);
    ideal = nullptr;
    systemCode = 0;
    Tmin = 80.0;
    Vc_bound = -1.0;
}

FluidPhase::~FluidPhase() { purge(); }

void FluidPhase::createInteractions(int n) {
    for (Interaction* t : interactions) delete t;
    nInteractions = withVenturi ? n + 1 : n;
    interactions.assign(static_cast<std::size_t>(nInteractions), nullptr);
    if (withVenturi) interactions[nInteractions - 1] = new VenturiInteraction();
}

void FluidPhase::purge() {
    delete volumeSolver;
    volumeSolver = nullptr;
    delete criticalSolver;
    criticalSolver = nullptr;
    for (Interaction*& t : interactions) {
        delete t;
        t = nullptr;
    }
    interactions.clear();
    nInteractions = 0;
    delete ideal;
    ideal = nullptr;
}

void FluidPhase::number_of_components(int n) {
    if (n == component_count) return;
    if (n < 1) {
        Phase::number_of_components(n);  // refuses with a message
        return;
    }
    Phase::number_of_components(n);
    const std::size_t m = static_cast<std::size_t>(n);
    rcp.assign(m, 0.0);
    dfugcoefdT.assign(m, 0.0);
    dfugcoefdP.assign(m, 0.0);
    dfugcoefdV.assign(m, 0.0);
    dfugcoefdx.assign(m, std::vector<double>(m, 0.0));
    drcpdT.assign(m, 0.0);
    drcpdV.assign(m, 0.0);
    drcpdP.assign(m, 0.0);
    drcpdx.assign(m, std::vector<double>(m, 0.0));
    dVdx.assign(m, 0.0);
    dZdx.assign(m, 0.0);
    dPdx.assign(m, 0.0);
    for (Interaction* t : interactions)
        if (t) t->number_of_components(n);
    if (ideal) ideal->number_of_components(n);
    if (n == 1) composition_of_component(0, 1.0);
}

bool FluidPhase::setSystemType(const char* name) {
    const SystemTypeCode code = systemTypeCodeOf(name);
    if (code == 0) {
        platform::diagf("(%s) system type not implemented !\n", name ? name : "");
        return false;
    }
    systemCode = code;
    setSystemCode(code);
    return true;
}

void FluidPhase::setSystemCode(char code) {
    systemCode = code;
    parametersChanged();
    const SystemData* s = nullptr;
    for (const SystemData& d : kSystems)
        if (d.code == code) s = &d;
    if (!s) {
        platform::diagf("FluidPhase system type %d not implemented\n", code);
        return;
    }
    number_of_components(s->n);
    for (int i = 0; i < s->n; i++) molar_mass[i] = s->masses[i];
    if (s->n == 1) bulk_molar_weight = s->masses[0];
    // The salts are named before their critical estimates are set; every other
    // system sets them first, so that a model's component reader may refine them.
    const bool salt = code == kSystemNaCl || code == kSystemKCl;
    if (salt)
        for (int i = 0; i < s->n; i++) add_component(s->names[i]);
    critical_T = s->criticalT;
    critical_V = s->criticalV;
    if (s->Tmin > 0) Tmin = s->Tmin;
    if (!salt)
        for (int i = 0; i < s->n; i++) add_component(s->names[i]);
    if (s->n >= 2) {
        std::vector<double> xs(s->n, 0.0);
        xs[0] = 1.0;
        composition(xs.data());
    }
}

bool FluidPhase::termRefusesState() {
    const Interaction* refused = nullptr;
    for (const Interaction* t : interactions)
        if (t && t->refusedComponents) refused = t;
    if (ideal && ideal->refusedComponents) refused = ideal;
    if (!refused) return false;
    char message[256];
    std::snprintf(message, sizeof message, "%s: its term %s cannot take %d components: no state is computed\n",
                  modelName(), refused->modelName(), refused->refusedComponents);
    refuseState(message);
    return true;
}

bool FluidPhase::termsRefuseEveryVolume(double T_) {
    if (termRefusesState()) return true;  // said
    if (!(T_ > 0.0) || !std::isfinite(T_)) return false;
    temperature(T_);
    bool refused = false;
    for (Interaction* t : interactions)
        if (t && t->fixedStageRefusesState()) refused = true;
    return refused;
}

void FluidPhase::refuseState(const char* message) {
    errorflag = 1;
    // Said by every call that meets it, once in a command's many states.
    if (platform::firstInCall(message)) platform::diagf("%s", message);
}

double FluidPhase::lowestCurveTemperature() const {
    // The curve tracers follow the component that is nearly pure (the first
    // one unless its mole fraction is below 0.9999999).
    const int major = component_count > 1 && !(x[0] > 0.9999999) ? 1 : 0;
    const double Tt =
        major < static_cast<int>(component_names.size()) ? triplePointTemperature(component_names[major].c_str()) : 0.0;
    return Tt > Tmin ? Tt : Tmin;
}

void FluidPhase::print_parameters(std::FILE* f) {
    for (Interaction* t : interactions)
        if (t) {
            t->evaluateNodesAtState();
            t->print_parameters(f);
        }
    if (ideal) ideal->print_parameters(f);
}

void FluidPhase::print_parse_tree(std::FILE* f) {
    // The trees as the state functions take them, at the state in hand: a
    // state's calculation ends with the fugacity pass, which leaves the terms
    // that change in it (ideal-gas parts dropping their temperature terms) in
    // the form of that pass.
    if (T > 0.0 && std::isfinite(T) && V > 0.0 && std::isfinite(V)) {
        const ErrorFlagScope kept(*this, ErrorFlagScope::kAsItIs);
        calculate_state_functions();
    }
    std::vector<Interaction*> terms;
    for (Interaction* t : interactions)
        if (t && t->root) {
            t->evaluateNodesAtState();
            terms.push_back(t);
        }
    if (ideal && ideal->root) terms.push_back(ideal);
    auto banner = [f](Interaction* t) {
        std::fprintf(f, "\n\n\n========================================================\n");
        if (!t->model_name.empty()) {
            std::fprintf(f, "\t\t%s\n", t->model_name.c_str());
            std::fprintf(f, "========================================================\n\n");
        }
    };
    for (Interaction* t : terms) {
        banner(t);
        t->root->initialize_the_graph();
        t->root->check_pointers(f);
        t->root->printFormulas(f);
    }
    for (Interaction* t : terms) {
        banner(t);
        t->root->initialize_the_graph();
        t->root->printValues(f);
    }
}

void FluidPhase::checkInteraction(int i, const char*) {
    Interaction* t = nullptr;
    if (i == -1)
        t = ideal;
    else if (i >= 0 && i < nInteractions)
        t = interactions[i];
    if (!t) return;
    t->detect_connection_errors();
    t->calculate();
    t->print_values();
}

void FluidPhase::describe() {
    calculate_molar_volume();
    if (errorflag == 0)
        calculate_fugacities();
    else
        withholdState();
}

void FluidPhase::calculateSigma(double V1, double V2) {
    calculateParachor(V1, V2);
    if (parachor == 0.0) {
        sigma = 0.0;
        return;
    }
    const double s = parachor * bulk_molar_weight * (1.0 / V1 - 1.0 / V2);
    sigma = s * s * s * s;
}

int FluidPhase::getMajorComponentIndex() const {
    if (component_count < 2) return 0;
    int k = 0;
    double best = 0.0;
    for (int i = 0; i < component_count; i++) {
        if (x[i] > best) {
            best = x[i];
            k = i;
        }
    }
    return k;
}
