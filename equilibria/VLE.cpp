#include "equilibria/VLE.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "fluid/FluidPhase.h"
#include "platform/LogSink.h"

namespace {

// Next blank-separated word of f, at most `limit` characters.  Returns false
// at the end of the input or when the word is longer than the limit (the
// rest of it is then skipped and `tooLong` set).
bool readWord(std::FILE* f, std::string& word, std::size_t limit, bool& tooLong) {
    word.clear();
    tooLong = false;
    int c = std::fgetc(f);
    while (c != EOF && std::isspace(static_cast<unsigned char>(c))) c = std::fgetc(f);
    if (c == EOF) return false;
    while (c != EOF && !std::isspace(static_cast<unsigned char>(c))) {
        if (word.size() < limit)
            word.push_back(static_cast<char>(c));
        else
            tooLong = true;
        c = std::fgetc(f);
    }
    return !tooLong;
}

bool startsLikeNumber(const std::string& w) {
    return !w.empty() && (std::isdigit(static_cast<unsigned char>(w[0])) || w[0] == '.');
}

// The whole word as a finite number.
bool toNumber(const std::string& w, double& v) {
    if (w.empty()) return false;
    char* end = nullptr;
    errno = 0;
    v = std::strtod(w.c_str(), &end);
    return end && *end == '\0' && errno == 0 && std::isfinite(v);
}

}  // namespace

VLE::VLE() { reset_to_zero(); }

VLE::VLE(FluidPhase& a, FluidPhase& b) {
    reset_to_zero();
    set_thermodynamic_models(a, b);
}

VLE::VLE(FluidPhase* a, FluidPhase* b) {
    reset_to_zero();
    set_thermodynamic_models(a, b);
}

VLE::~VLE() { closeHistory(); }

void VLE::closeHistory() {
    if (history) std::fclose(history);
    history = nullptr;
    history_on = 0;
}

void VLE::reset_to_zero() {
    closeHistory();
    liquid = vapour = nullptr;
    names.clear();
    nc = 0;
    added = 0;
    moles.clear();
    z.clear();
    x.clear();
    y.clear();
    total_moles = 1.0;
    spec_T = spec_P = spec_nV = spec_nL = spec_Vt = spec_Fvol = 0.0;
    T = P = Vt = nV = nL = Fv = Fvol = aux = 0.0;
    estimate = State();
    previous = State();
    older = State();
    factor = 1.0;
    key_component = ll_flag = problem = init_flag = error = printing = 0;
    history_on = pass_count = 0;
    first_init_flag = 2;
    estimate_mode = switch2 = switch3 = key_check = 0;
}

void VLE::set_thermodynamic_models(FluidPhase& a, FluidPhase& b) { set_thermodynamic_models(&a, &b); }

void VLE::set_thermodynamic_models(FluidPhase* a, FluidPhase* b) {
    const int ka = a ? a->phase_kind : 0, kb = b ? b->phase_kind : 0;
    if (ka == 2 && kb == 1) {
        liquid = a;
        vapour = b;
        ll_flag = 0;
    } else if (ka == 1 && kb == 2) {
        liquid = b;
        vapour = a;
        ll_flag = 0;
    } else if (ka == 2 && kb == 2) {
        liquid = a;
        vapour = b;
        ll_flag = 1;
    } else {
        error = 6;
        platform::diagf("The definition of the phases is not correct.\n");
        return;
    }
    estimate.Vl = previous.Vl = liquid->Vl0;
    estimate.Vv = previous.Vv = vapour->Vv0;
}

void VLE::number_of_components(int n) {
    if (n < 1) {
        platform::diagf("VLE: %d components is not a valid count\n", n);
        return;
    }
    nc = n;
    const std::size_t m = static_cast<std::size_t>(n);
    moles.assign(m, 0.0);
    z.assign(m, 0.0);
    x.assign(m, 0.0);
    y.assign(m, 0.0);
    for (State* s : {&estimate, &previous, &older}) {
        s->x.assign(m, 0.0);
        s->y.assign(m, 0.0);
    }
    names.assign(m, std::string());
    // A pure component: every record holds its mole fraction 1.
    if (n == 1) x[0] = y[0] = estimate.x[0] = estimate.y[0] = previous.x[0] = previous.y[0] = 1.0;
    if (liquid) liquid->number_of_components(n);
    if (vapour) vapour->number_of_components(n);
}

void VLE::add_component(const char* name) {
    if (!name || added >= nc) {
        platform::diagf("VLE: no room for component %s\n", name ? name : "(null)");
        return;
    }
    names[added] = name;
    if (liquid) liquid->add_component(name);
    if (vapour) vapour->add_component(name);
    read_component_data(added, names[added].c_str());
    added += 1;
}

void VLE::add_components(std::initializer_list<const char*> list) {
    added = 0;
    for (const char* name : list) {
        if (added >= nc) break;
        names[added++] = name ? name : "";
    }
    for (int i = 0; i < added; i++) {
        if (liquid) liquid->add_component(names[i].c_str());
        if (vapour) vapour->add_component(names[i].c_str());
        read_component_data(i, names[i].c_str());
    }
}

void VLE::bulk_composition(std::initializer_list<double> zs) {
    int i = 0;
    for (double zi : zs) {
        if (i >= nc) break;
        composition(i++, zi);
    }
}

void VLE::composition(int i, double zi) {
    if (i < 0 || i >= nc) return;
    z[i] = zi;
    moles[i] = total_moles * zi;
}

void VLE::xcomposition(int i, double v) { xcomposition(i, v, v, v, v, v); }
void VLE::ycomposition(int i, double v) { ycomposition(i, v, v, v, v, v); }

void VLE::xcomposition(int i, double a, double b, double c, double, double) {
    if (i < 0 || i >= nc) return;
    x[i] = a;
    estimate.x[i] = b;
    previous.x[i] = c;
}

void VLE::ycomposition(int i, double a, double b, double c, double, double) {
    if (i < 0 || i >= nc) return;
    y[i] = a;
    estimate.y[i] = b;
    previous.y[i] = c;
}

void VLE::set_the_vaporization_ratio(double f) {
    spec_nV = total_moles * f;
    spec_nL = total_moles * (1.0 - f);
}

void VLE::set_the_vaporization_ratio1(double f) {
    spec_Fvol = f;
    Fvol = f;
    Fv = f / ((1.0 - f) * 100.0 + f);
    nV = Fv * total_moles;
    nL = (1.0 - Fv) * total_moles;
}

void VLE::set_history(const char* path) {
    closeHistory();
    if (!path) return;
    history = std::fopen(path, "w");
    if (!history) {
        platform::diagf("Can't open the history file %s\n", path);
        return;
    }
    history_on = 1;
}

void VLE::temperature(double T_) {
    T = estimate.T = previous.T = T_;
    if (liquid) liquid->temperature(T_);
    if (vapour) vapour->temperature(T_);
}

void VLE::pressure(double P_bar) {
    P = estimate.P = previous.P = P_bar * 100000.0;
    if (liquid) liquid->pressure(P_bar);
    if (vapour) vapour->pressure(P_bar);
}

void VLE::vaporization_ratio(double f) {
    Fv = f;
    nV = f * total_moles;
    nL = (1.0 - f) * total_moles;
    if (vapour) vapour->total_number_of_moles(nV);
    if (liquid) liquid->total_number_of_moles(nL);
}

void VLE::vaporization_ratio1(double f) {
    Fvol = f;
    vaporization_ratio(f / ((1.0 - f) * 100.0 + f));
}

void VLE::apply_conditions() {
    if (!hasModels()) return;
    liquid->temperature(T);
    vapour->temperature(T);
    liquid->pressure(P / 100000.0);
    vapour->pressure(P / 100000.0);
    liquid->total_number_of_moles(nL);
    vapour->total_number_of_moles(nV);
    for (int i = 0; i < nc; i++) {
        liquid->composition_of_component(i, x[i]);
        vapour->composition_of_component(i, y[i]);
    }
}

void VLE::initialize() {
    switch (problem) {
        case 12:
        case 21:
            estimate.T = spec_T;
            estimate.P = spec_P;
            break;
        case 13:
        case 31:
        case 23:
        case 32:
            if (problem == 13 || problem == 31)
                estimate.T = spec_T;
            else
                estimate.P = spec_P;
            nV = spec_nV;
            nL = spec_nL = (1.0 - spec_nV) * total_moles;
            if (liquid) liquid->total_number_of_moles(nL);
            if (vapour) vapour->total_number_of_moles(nV);
            break;
        case 14:
        case 15:
        case 41:
        case 51:
            estimate.T = spec_T;
            break;
        case 24:
        case 25:
        case 42:
        case 52:
            estimate.P = spec_P;
            break;
        default:
            return;
    }
    switch (init_flag) {
        case 0:
        case 2:
            T = estimate.T;
            P = estimate.P;
            x = estimate.x;
            y = estimate.y;
            break;
        case 3:
            initialize_from_the_pseudo_critical_point();
            break;
        case 5:
            initializeFromFile();
            break;
        default:
            break;
    }
}

void VLE::initialize_from_the_pseudo_critical_point() {
    if (!hasModels()) return;
    for (int i = 0; i < nc; i++) {
        x[i] = y[i] = z[i] = moles[i] / total_moles;
        vapour->composition_of_component(i, y[i]);
        liquid->composition_of_component(i, x[i]);
    }
    double Tpc = 0.0, Ppc = 0.0, Vpc = 0.0;
    vapour->calculate_the_pseudo_critical_point(Tpc, Ppc, Vpc);
    if (history_on) std::fprintf(history, "\tTpc %lg Ppc %lg  Vpc %lg \n", Tpc, Ppc / 100000.0, Vpc * 1e6);
    T = Tpc - 1.0;
    vapour->temperature(T);
    liquid->temperature(T);
    vapour->volume(Vpc);
    liquid->volume(Vpc);
    vapour->calculate_pressure();
    P = vapour->P;
}

void VLE::initializeFromFile(std::FILE* console) {
    std::printf("Input file name : ");
    std::fflush(stdout);
    std::string name;
    bool tooLong = false;
    if (!console || !readWord(console, name, kMaxWordLength, tooLong)) {
        if (tooLong) platform::diagf("The file name is longer than %zu characters\n", kMaxWordLength);
        return;
    }
    std::FILE* f = std::fopen(name.c_str(), "rt");
    if (!f) {
        platform::diagf("%s file not found !\n", name.c_str());
        return;
    }

    // A row: T, P (bar), n liquid and n vapour fractions, three further numbers.
    const std::size_t rowLength = 2 + 2 * static_cast<std::size_t>(nc) + 3;
    std::vector<double> row(rowLength, 0.0);
    std::string word;
    auto readRowAfter = [&](const std::string& first) {
        if (!toNumber(first, row[0])) return false;
        for (std::size_t k = 1; k < rowLength; k++) {
            if (!readWord(f, word, kMaxWordLength, tooLong) || !toNumber(word, row[k])) return false;
        }
        return true;
    };

    bool found = false;
    bool have = false;
    while (readWord(f, word, kMaxWordLength, tooLong)) {
        if (startsLikeNumber(word)) {
            have = readRowAfter(word);
            break;
        }
    }
    const bool byTemperature = problem == 12 || problem == 21 || problem == 13 || problem == 31 ||
                               problem == 14 || problem == 41 || problem == 15 || problem == 51;
    while (have) {
        const double Tprev = row[0];
        if (!readWord(f, word, kMaxWordLength, tooLong) || !startsLikeNumber(word) || !readRowAfter(word)) break;
        const double Trow = row[0];
        if (byTemperature && ((Tprev <= spec_T && spec_T < Trow) || (Tprev > spec_T && spec_T >= Trow))) {
            found = true;
            break;
        }
    }
    if (tooLong) platform::diagf("%s: a word longer than %zu characters ends the table\n", name.c_str(), kMaxWordLength);
    if (found) {
        for (int i = 0; i < nc; i++) {
            xcomposition(i, row[2 + i]);
            ycomposition(i, row[2 + nc + i]);
        }
        P = row[1] * 100000.0;
        nL = spec_nL;
        nV = spec_nV;
    }
    std::fclose(f);
}

void VLE::reportUndefinedProblem() {
    error = 2;
    platform::diagf("Type of problem not defined\n");
}

bool VLE::solveStandardProblem() {
    switch (problem) {
        case 12:
        case 21:
            calculate_with_fixed_P_and_T();
            return true;
        case 13:
        case 31:
            calculate_with_fixed_T_and_Fv();
            return true;
        case 23:
        case 32:
            calculate_with_fixed_P_and_Fv();
            return true;
        default:
            return false;
    }
}

void VLE::calculateVLE() {
    if (!hasModels()) {
        // The models were refused (error 6) or never given: nothing to solve.
        if (error == 0) error = 6;
        return;
    }
    initialize();
    if (!solveStandardProblem()) {
        reportUndefinedProblem();
        return;
    }
    estimate_next_state();
}

void VLE::estimate_next_state() {
    estimate.T = previous.T = T;
    estimate.P = previous.P = P;
    estimate.x = x;
    previous.x = x;
    estimate.y = y;
    previous.y = y;
    previous.Vl = estimate.Vl;
    previous.Vv = estimate.Vv;
    if (history_on) {
        std::fprintf(history, "T %lg P %lg ", T, P / 100000.0);
        std::fprintf(history, "x ");
        for (int i = 0; i < nc; i++) std::fprintf(history, "%lg ", x[i]);
        std::fprintf(history, "y ");
        for (int i = 0; i < nc; i++) std::fprintf(history, "%lg ", y[i]);
        std::fprintf(history, "\n");
    }
}

void VLE::print(std::FILE* f) const {
    if (!f) return;
    std::fprintf(f, "Errorflag %d\n", error);
    std::fprintf(f, "\tT %lf K %lf \xC2\xB0""C\n", T, T - 273.15);
    std::fprintf(f, "\tP %lf\n", P / 100000.0);
    std::fprintf(f, "\tVl %lf\n", liquid ? liquid->V * 1e6 : 0.0);
    std::fprintf(f, "\tVv %lf\n", vapour ? vapour->V * 1e6 : 0.0);
    for (int i = 0; i < nc; i++) std::fprintf(f, "\t x[%d] : %lf\n", i, x[i]);
    for (int i = 0; i < nc; i++) std::fprintf(f, "\t y[%d] : %lf\n", i, y[i]);
    std::fprintf(f, "\n");
}

void VLE::endIgorTable(std::FILE* f, std::initializer_list<WaveName> columns, const std::string& suffix) const {
    if (!f) return;
    const char* sfx = suffix.c_str();
    std::fprintf(f, "END\n");
    for (const WaveName& c : columns) std::fprintf(f, "x rename %s, %s%s\n", c.from, c.to, sfx);
    for (int i = 0; i < nc; i++) {
        const char* N = names[i].c_str();
        std::fprintf(f, "x rename x%s, x%s%s\n", N, N, sfx);
        std::fprintf(f, "x rename y%s, y%s%s\n", N, N, sfx);
    }
}

std::string VLE::header(const char* prefix, const char* suffix) const {
    std::string s;
    for (int i = 0; i < nc; i++) {
        s += prefix ? prefix : "";
        s += names[i];
        s += suffix ? suffix : "";
    }
    return s;
}
