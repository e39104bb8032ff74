#include "fluid/Interaction.h"

#include <cmath>
#include <string>

#include "expressions/Expression.h"
#include "fluid/TreeDerivatives.h"
#include "platform/LogSink.h"
#include "platform/Process.h"

namespace {
inline double geometricStep(double a, double b, int n) { return std::pow(b / a, 1.0 / n); }
}  // namespace

void Interaction::number_of_components(int n) {
    if (n < 1) {
        platform::diagf("Interaction %s: %d components is not a valid count\n", modelName(), n);
        return;
    }
    const std::size_t m = static_cast<std::size_t>(n);
    component_count = n;
    x.assign(m, 0.0);
    if (n == 1) x[0] = 1.0;
    rcp.assign(m, 0.0);
    drcpdT.assign(m, 0.0);
    drcpdP.assign(m, 0.0);
    drcpdV.assign(m, 0.0);
    dadx.assign(m, 0.0);
    dZdx.assign(m, 0.0);
    drcpdx.assign(m, std::vector<double>(m, 0.0));
    dadxdT.assign(m, 0.0);
    dadxdV.assign(m, 0.0);
    dadxdx.assign(m, std::vector<double>(m, 0.0));
    leaves.assign(m + 2, 0.0);
}

bool Interaction::refusesEvaluation() {
    if (!refusedComponents) return false;
    termError = 1;
    return true;
}

bool Interaction::refusesComponents(int n, int expected) {
    if (n < 1) {
        Interaction::number_of_components(n);  // refused with the base's message
        return true;
    }
    if (expected > 0 && n != expected) {
        platform::diagf("%s: the term is written for %d component%s; it cannot take %d\n", modelName(), expected,
                        expected == 1 ? "" : "s", n);
        // Arrays for both counts: the owner's loops run over n components, the
        // term's own stages over the count it is written for.
        Interaction::number_of_components(n > expected ? n : expected);
        refusedComponents = n;
        return true;
    }
    refusedComponents = 0;
    return false;
}

bool Interaction::sizeForComponents(int n, int expected, const std::function<void()>& dependencies) {
    if (refusesComponents(n, expected)) return false;
    Interaction::number_of_components(n);
    if (!root) return true;
    root->number_of_variables(n + 2);
    if (dependencies) dependencies();
    root->analyze_dependencies();
    return true;
}

void Interaction::calculate_the_leaves(double* v) {
    if (refusesEvaluation()) return;
    T = v[0];
    V = v[1];
    for (int i = 0; i < component_count; i++) x[i] = v[2 + i];
    calculate_fixed_parameters();
    calculate_volume_dependent_parameters();
    calculate_high_order_parameters();
}

void Interaction::composition(std::initializer_list<double> xs) {
    int i = 0;
    for (double xi : xs) {
        if (i >= component_count) break;
        x[i++] = xi;
    }
}

void Interaction::assignVariables() {
    reusableOrder = 0;
    if (leaves.size() != static_cast<std::size_t>(component_count) + 2) leaves.assign(component_count + 2, 0.0);
    leaves[0] = T;
    leaves[1] = V;
    for (int i = 0; i < component_count; i++) leaves[2 + i] = x[i];
    // The tree of a term that refused its count is sized for another count.
    if (root && !refusedComponents) {
        root->initialize_the_graph();
        root->set_variable_values(leaves.data());
    }
    Expression::sError = 0;
}

// A stage that failed (termError already set) leaves the tree unevaluated:
// its leaves may not hold a state.
bool Interaction::evaluate(int order) {
    if (refusesEvaluation() || termError) return false;
    if (!root) return true;
    root->calculate(order);
    if (Expression::sError) {
        termError = 1;
        return false;
    }
    return true;
}

bool Interaction::evaluateInV(int order) {
    if (refusesEvaluation() || termError) return false;
    if (!root) return true;
    root->calculate(order, 1);
    if (Expression::sError) {
        termError = 1;
        return false;
    }
    return true;
}

void Interaction::runStages(bool highOrder) {
    termError = 0;
    if (refusesEvaluation()) return;
    assignVariables();
    calculate_fixed_parameters();
    calculate_volume_dependent_parameters();
    if (highOrder) calculate_high_order_parameters();
    stagesBehind = false;
}

bool Interaction::fixedStageRefusesState() {
    termError = 0;
    if (refusesEvaluation()) return true;
    assignVariables();
    calculate_fixed_parameters();
    const bool refused = termError != 0;
    termError = 0;
    // The leaves now hold this T beside nodes of an earlier state: nothing
    // of the tree is reused before it is evaluated again.
    leaveStagesBehind();
    return refused;
}

void Interaction::beginVolumeSearch() {
    volumeSearch = 1;
    zFixed = zStale = false;
    if (zKnown && zKnownPass == fugacityPass && zKnownWatch && !zKnownWatch->changed && zKnownX == x) {
        zFixed = true;
        Z = zKnownValue;
    }
    // The tree is held from its first evaluation in the search (zFromTree):
    // a search carried by the term's own answers or a fixed Z evaluates it
    // nowhere, and leaves it as it was.
    treeHeld = false;
}

bool Interaction::endVolumeSearch(bool stateNext) {
    zFixed = false;
    // A search whose last pass the term answered without its stages and tree
    // (its own answer, volumeSearchAnswer, or a Z fixed through the search)
    // at the volume it ends at has given a_V, a_VV, Z, dZ/dV and P there:
    // the leaves and the nodes, which nothing reads before an evaluation of
    // its own, are left behind (stagesBehind), and the next evaluation runs
    // every stage.  Where the volume moved after that pass, the term is
    // evaluated once at the volume the search ends at, so that its values
    // and nodes belong to that state.
    const bool answered = treeBehind;
    const bool behind = treeBehind || zStale;
    treeBehind = zStale = false;
    const bool closing = behind && !stateNext && passV != V;
    if (closing) {
        zFromTree();
        zFixed = false;
    } else if (behind) {
        leaveStagesBehind();
    }
    volumeSearch = 0;
    if (root && treeHeld) root->endHold(stateNext);
    treeHeld = false;
    return closing && answered;
}

void Interaction::leaveStagesBehind() {
    stagesBehind = true;
    reusableOrder = 0;  // a and its derivatives in V are the search's answer
}

void Interaction::holdAllButVolume() {
    if (root) root->holdAllBut(1);
}

void Interaction::releaseHold() {
    if (root) root->endHold();
}

void Interaction::takeVolumeDerivatives(double a, double av, double avv) {
    A = a;
    aV = av;
    aVV = avv;
    Z = -V * aV;
    dZdV = -aV - V * aVV;
    P = R * Z * T / V;
}

void Interaction::calculate_Z() {
    if (zFixed) {
        // Z from the search's first evaluation or an earlier search:
        // a = c - Z ln V gives a_V = -Z/V, a_VV = Z/V^2 and dZ/dV = 0.
        // It is this pass's answer: the error of an evaluation before (a
        // state refused since) is none of it.
        termError = 0;
        dZdV = 0.0;
        aV = -Z / V;
        aVV = Z / (V * V);
        P = R * Z * T / V;
        zStale = true;
        passV = V;
        return;
    }
    double a = 0.0, av = 0.0, avv = 0.0;
    if ((volumeSearch || answersOutsideVolumeSearch()) && !refusedComponents && volumeSearchAnswer(a, av, avv)) {
        termError = 0;
        if (volumeSearch) {
            treeBehind = true;
            passV = V;
        } else {
            leaveStagesBehind();
        }
        takeVolumeDerivatives(a, av, avv);
        return;
    }
    zFromTree();
}

void Interaction::zFromTree() {
    treeBehind = false;
    if (volumeSearch && root && !treeHeld) {
        root->holdAllBut(1);
        treeHeld = true;
    }
    if (volumeSearch == 2) {  // the same T and composition as the previous evaluation
        termError = 0;
        assignVariables();
        calculate_volume_dependent_parameters();
    } else {
        runStages(false);
    }
    if (!root) {
        A = aV = aVV = Z = dZdV = dZdT = P = 0.0;
        return;
    }
    const bool ok = evaluateInV(2);
    if (volumeSearch) volumeSearch = ok && !termError ? 2 : 1;
    if (!ok) return;
    takeVolumeDerivatives(root->value, root->d1[1], root->D2[Expression::off2(1, 1)]);
    dZdT = -V * root->D2[Expression::off2(1, 0)];
    if (volumeSearch == 2 && volumeEntersAsLogarithm() && std::fabs(dZdV * V) <= 1e-12 * (1.0 + std::fabs(Z))) {
        zFixed = true;
        // The coefficient of ln V is a whole number (the ideal gas's 1, or 0
        // where another term carries it): taken exactly, so that a search
        // gives the same volumes whether the term's Z comes from this
        // evaluation or from an earlier search.
        const double whole = std::nearbyint(Z);
        if (std::fabs(Z - whole) <= 1e-12) {
            Z = whole;
            dZdV = 0.0;
            aV = -Z / V;
            aVV = Z / (V * V);
            P = R * Z * T / V;
            zKnown = true;
            zKnownValue = Z;
            zKnownPass = fugacityPass;
            if (!zKnownWatch || zKnownWatch->changed) zKnownWatch = root->watchGraph();
            zKnownX = x;
        }
    }
}

void Interaction::storeStateDerivatives(bool third) {
    const Expression* e = root;
    A = e->value;
    AT = e->d1[0];
    Av = e->d1[1];
    ATT = e->d2[0][0];
    ATv = e->d2[1][0];
    Avv = e->d2[1][1];
    if (!third) return;
    ATTv = e->d3[1][0][0];
    ATvv = e->d3[1][1][0];
    Avvv = e->d3[1][1][1];
}

void Interaction::calculate() {
    runStages(true);
    if (!root || !evaluate(3)) return;
    storeStateDerivatives(true);
    P = -R * T * Av;
}

void Interaction::calculate_state_functions() {
    termError = 0;
    if (refusesEvaluation()) return;
    if (root && secondOrderAnswer()) {
        leaveStagesBehind();
        AT = aT;
        Av = aV;
        ATv = aTV;
        Avv = aVV;
        P = -R * T * Av;
        Z = -V * Av;
        return;
    }
    runStages(false);
    if (!root) {
        A = AT = Av = ATT = ATv = Avv = 0.0;
        P = Z = 0.0;
        return;
    }
    // The entries to the second order, as a pass of order 3 gives them.
    const Expression::HigherOrderProducts rounding;
    if (!evaluate(2)) return;
    reusableOrder = 2;
    storeStateDerivatives(false);
    P = -R * T * Av;
    Z = -V * Av;
}

void Interaction::calculate_expansivity_derivative() {
    // The graph is re-initialised so that the third-order pass does not stop at
    // the marks left by a volume-only evaluation.
    if (stagesBehind) {
        runStages(true);  // after a volume search that left them behind
    } else {
        termError = 0;
        if (refusesEvaluation()) return;
        assignVariables();
        calculate_high_order_parameters();
    }
    if (refusedComponents) return;
    if (!root) {
        Z = P = dZdV = dZdT = d2ZdV2 = d2ZdT2 = d2ZdTdV = 0.0;
        return;
    }
    if (!evaluate(3)) return;
    const Expression* e = root;
    const double av = e->d1[1], avv = e->d2[1][1], atv = e->d2[1][0];
    Av = av;
    Z = -V * av;
    P = R * Z * T / V;
    dZdV = -av - V * avv;
    dZdT = -V * atv;
    d2ZdV2 = -2.0 * avv - V * e->d3[1][1][1];
    d2ZdT2 = -V * e->d3[1][0][0];
    d2ZdTdV = -atv - V * e->d3[1][1][0];
}

void Interaction::fillCriticalSet(int order) {
    const Expression* e = root;
    A = e->value;
    Av = binaryDerivative(e, 0, 1, 0);
    Ax = binaryDerivative(e, 0, 0, 1);
    Axx = binaryDerivative(e, 0, 0, 2);
    Avx = binaryDerivative(e, 0, 1, 1);
    Avv = binaryDerivative(e, 0, 2, 0);
    AT = binaryDerivative(e, 1, 0, 0);
    ATv = binaryDerivative(e, 1, 1, 0);
    ATx = binaryDerivative(e, 1, 0, 1);
    if (order < 3) return;
    Axxx = binaryDerivative(e, 0, 0, 3);
    Avxx = binaryDerivative(e, 0, 1, 2);
    Avvx = binaryDerivative(e, 0, 2, 1);
    Avvv = binaryDerivative(e, 0, 3, 0);
    ATvv = binaryDerivative(e, 1, 2, 0);
    ATvx = binaryDerivative(e, 1, 1, 1);
    ATxx = binaryDerivative(e, 1, 0, 2);
    if (order < 4) return;
    Axxxx = binaryDerivative(e, 0, 0, 4);
    Avxxx = binaryDerivative(e, 0, 1, 3);
    Avvxx = binaryDerivative(e, 0, 2, 2);
    Avvvx = binaryDerivative(e, 0, 3, 1);
    Avvvv = binaryDerivative(e, 0, 4, 0);
    ATvvv = binaryDerivative(e, 1, 3, 0);
    ATvvx = binaryDerivative(e, 1, 2, 1);
    ATvxx = binaryDerivative(e, 1, 1, 2);
    ATxxx = binaryDerivative(e, 1, 0, 3);
    ATTv = binaryDerivative(e, 2, 1, 0);
    ATTvx = binaryDerivative(e, 2, 1, 1);
    ATTvv = binaryDerivative(e, 2, 2, 0);
    ATTxx = binaryDerivative(e, 2, 0, 2);
}

void Interaction::calculateBinaryCriticalSet(int order) {
    runStages(true);
    if (!root || component_count < 2 || !evaluate(order)) return;
    fillCriticalSet(order);
}

void Interaction::calculate_second_order_critical_parameters() { calculateBinaryCriticalSet(2); }
void Interaction::calculate_third_order_critical_parameters() { calculateBinaryCriticalSet(3); }
void Interaction::calculate_critical_parameters() { calculateBinaryCriticalSet(4); }

void Interaction::calculate_critical_parameters_of_pure_fluid() {
    runStages(true);
    if (!root) {
        A = Av = Avv = Avvv = Avvvv = AT = ATv = ATvv = ATvvv = 0.0;
        return;
    }
    if (!evaluate(4)) return;
    const Expression* e = root;
    A = e->value;
    Av = e->d1[1];
    Avv = e->d2[1][1];
    Avvv = e->d3[1][1][1];
    Avvvv = e->d4[1][1][1][1];
    AT = e->d1[0];
    ATv = e->d2[1][0];
    ATvv = e->d3[1][1][0];
    ATvvv = e->d4[1][1][1][0];
}

void Interaction::calculate_fugacities() { runFugacityPass(nullptr); }

void Interaction::calculate_fugacities(double lnV) { runFugacityPass(&lnV); }

bool Interaction::fugacityPassFromState(PassDerivatives& d) const {
    if (refusedComponents || !root || reusableOrder < 2 || !leavesHoldState()) return false;
    if (!changesInFugacityPass()) {
        d = {A + fugacityPassConstant(), AT, Av, ATv, Avv, 0.0};
        return true;
    }
    double f = 0.0, fT = 0.0, fTT = 0.0, m = 0.0;
    if (!fugacityPassInClosedForm(f, fT, fTT, m)) return false;
    if (m == 0.0) {
        d = {f, fT, 0.0, 0.0, 0.0, 0.0};
        return true;
    }
    const double iV = 1.0 / V;
    d = {f, fT, -m * iV, 0.0, m * iV * iV, m};
    return true;
}

void Interaction::runFugacityPass(const double* lnV) {
    const bool held = reusableOrder >= 2 && leavesHoldState();
    double f = 0.0, fT = 0.0, fTT = 0.0, m = 0.0;
    const bool closed = held && fugacityPassInClosedForm(f, fT, fTT, m);
    const bool reuse = held && !changesInFugacityPass();
    reusableOrder = 0;
    termError = 0;
    if (refusesEvaluation()) return;
    if (closed) {
        fugacitiesInClosedForm(f, fT, fTT, m, lnV);
        return;
    }
    if (!reuse && root && secondOrderAnswer()) {
        // The term's own answer: its leaves and nodes are left behind.
        leaveStagesBehind();
        chemicalPotentialsFromDerivatives();
        return;
    }
    if (!reuse) {
        assignVariables();
        fugacityPass = 1;
        calculate_fixed_parameters();
        calculate_volume_dependent_parameters();
        const bool ok = evaluate(2);
        fugacityPass = 0;
        if (!ok) return;
    }
    const int n = component_count;
    if (!root) {
        A = aT = AT = aV = Av = ATT = aTV = ATv = aVV = Avv = 0.0;
        Z = P = dZdV = dZdT = 0.0;
        for (int i = 0; i < n; i++) {
            rcp[i] = drcpdT[i] = drcpdV[i] = drcpdP[i] = dZdx[i] = dadx[i] = dadxdT[i] = dadxdV[i] = 0.0;
            for (int k = 0; k < n; k++) drcpdx[i][k] = dadxdx[i][k] = 0.0;
        }
        return;
    }
    const Expression* e = root;
    A = e->value + fugacityPassConstant();
    aT = e->d1[0];
    aV = e->d1[1];
    ATT = e->d2[0][0];
    aTV = e->d2[1][0];
    aVV = e->d2[1][1];
    for (int i = 0; i < n; i++) {
        const int vi = 2 + i;
        dadx[i] = e->d1[vi];
        dadxdV[i] = e->d2[vi][1];
        dadxdT[i] = e->d2[vi][0];
        for (int j = 0; j <= i; j++) dadxdx[i][j] = dadxdx[j][i] = e->d2[vi][2 + j];
    }
    chemicalPotentialsFromDerivatives();
}

void Interaction::takeAnswerInClosedForm() {
    termError = 0;
    leaveStagesBehind();
    chemicalPotentialsFromDerivatives();
}

void Interaction::chemicalPotentialsFromDerivatives() {
    const int n = component_count;
    AT = aT;
    Av = aV;
    ATv = aTV;
    Avv = aVV;
    dZdV = -aV - V * aVV;
    dZdT = -V * aTV;
    Z = -V * aV;
    P = R * Z * T / V;

    double sx = 0.0, sxT = 0.0, sxV = 0.0;
    for (int i = 0; i < n; i++) {
        sx += x[i] * dadx[i];
        sxT += x[i] * dadxdT[i];
        sxV += x[i] * dadxdV[i];
    }
    const double dPdV = R * T * dZdV / V - P / V;
    for (int i = 0; i < n; i++) {
        rcp[i] = dadx[i] - sx + A + Z;
        drcpdT[i] = dadxdT[i] - sxT + aT + dZdT;
        drcpdV[i] = dadxdV[i] - sxV + aV + dZdV;
        drcpdP[i] = drcpdV[i] / dPdV;
    }
    for (int k = 0; k < n; k++) {
        dZdx[k] = -V * dadxdV[k];
        double s = 0.0;
        for (int j = 0; j < n; j++) s += x[j] * dadxdx[j][k];
        for (int i = 0; i < n; i++) drcpdx[i][k] = dadxdx[i][k] - s + dZdx[k];
    }
}

void Interaction::fugacitiesInClosedForm(double f, double fT, double fTT, double m, const double* lnV) {
    // a = f(T) - m ln V: Z = m at every volume, no composition dependence.
    const int n = component_count;
    const double iV = 1.0 / V;
    A = m == 0.0 ? f : f - m * (lnV ? *lnV : std::log(V));
    aT = AT = fT;
    aV = Av = -m * iV;
    ATT = fTT;
    aTV = ATv = 0.0;
    aVV = Avv = m * iV * iV;
    dZdV = dZdT = 0.0;
    Z = m;
    P = R * Z * T / V;
    const double dPdV = -P / V;
    for (int i = 0; i < n; i++) {
        dadx[i] = dadxdV[i] = dadxdT[i] = dZdx[i] = 0.0;
        rcp[i] = A + Z;
        drcpdT[i] = aT;
        drcpdV[i] = aV;
        drcpdP[i] = drcpdV[i] / dPdV;
        for (int k = 0; k < n; k++) drcpdx[i][k] = dadxdx[i][k] = 0.0;
    }
}

// ---------------------------------------------------------------- checks

void Interaction::detect_connection_errors() {
    if (!root) return;
    root->initialize_the_graph();
    root->check_pointers(stdout);
    root->printFormulas(stdout);
}

void Interaction::print_values() {
    if (!root) return;
    if (stagesBehind) zFromTree();  // the nodes at the term's state
    root->initialize_the_graph();
    root->printValues(stdout);
}

void Interaction::evaluateNodesAtState() {
    if (!stagesBehind || !root) return;
    runStages(false);
    const Expression::HigherOrderProducts rounding;
    evaluate(2);
}

void Interaction::setDebugLink() {
    reusableOrder = 0;  // the checks evaluate the tree at other points
    Expression::sVarbox = this;
    Expression::sVarcalc = toEquationFn<LeafUpdateFn>(&Interaction::calculate_the_leaves);
}

void Interaction::check_derivatives_of(Expression* e) {
    if (!e) return;
    setDebugLink();
    const int nv = component_count + 2;
    std::vector<double> point(nv), h(nv, 1e-9);
    point[0] = T;
    point[1] = V;
    for (int i = 0; i < component_count; i++) point[2 + i] = x[i];
    h[0] = 1e-7;
    h[1] = 1e-12;
    e->check_dependencies(stdout);
    e->check1(stdout, point.data(), h.data());
    e->check2(stdout, point.data(), h.data());
    e->check3(stdout, point.data(), h.data());
    e->check4(stdout, point.data(), h.data());
}

void Interaction::check_derivatives_of(Expression* e, int i) {
    if (!e || i < 0 || i >= component_count + 2) return;
    setDebugLink();
    const int nv = component_count + 2;
    std::vector<double> point(nv), h(nv, 1e-9);
    point[0] = T;
    point[1] = V;
    for (int k = 0; k < component_count; k++) point[2 + k] = x[k];
    h[0] = 1e-7;
    h[1] = 1e-12;
    e->check_dependencies(stdout);
    e->check1(stdout, i, point.data(), h[i]);
    e->check2(stdout, i, point.data(), h[i]);
    e->check3(stdout, i, point.data(), h[i]);
    e->check4(stdout, i, point.data(), h[i]);
}

void Interaction::checkInteraction() {
    detect_connection_errors();
    calculate();
    print_values();
    setDebugLink();
    check_derivatives_of(root);
}

void Interaction::check_fugacities() {
    const int n = component_count;
    std::vector<double> dadxNum(n), dZdxNum(n), rcpNum(n), drcpdTNum(n), drcpdVNum(n);
    std::vector<std::vector<double>> drcpdxNum(n, std::vector<double>(n));

    // Composition derivatives of a and Z.
    for (int i = 0; i < n; i++) {
        const double xi = x[i];
        x[i] = xi + 1e-6;
        calculate_fugacities();
        const double a1 = A, z1 = Z;
        x[i] = xi - 1e-6;
        calculate_fugacities();
        dadxNum[i] = (a1 - A) / 2e-6;
        dZdxNum[i] = (z1 - Z) / 2e-6;
        x[i] = xi;
    }
    calculate_fugacities();
    double sx = 0.0;
    for (int j = 0; j < n; j++) sx += x[j] * dadxNum[j];
    for (int i = 0; i < n; i++) rcpNum[i] = A + dadxNum[i] - sx + Z;
    const std::vector<double> rcp0 = rcp;
    const double Z0 = Z;

    // T and V derivatives of rcp and Z.
    const double T0 = T, V0 = V;
    T = T0 + 1e-5;
    calculated = 0;
    calculate_fugacities();
    std::vector<double> r1 = rcp;
    double z1 = Z;
    T = T0 - 1e-5;
    calculated = 0;
    calculate_fugacities();
    for (int i = 0; i < n; i++) drcpdTNum[i] = (r1[i] - rcp[i]) / 2e-5;
    const double dZdTNum = (z1 - Z) / 2e-5;
    T = T0;
    V = V0 + 1e-12;
    calculated = 0;
    calculate_fugacities();
    r1 = rcp;
    z1 = Z;
    V = V0 - 1e-12;
    calculated = 0;
    calculate_fugacities();
    for (int i = 0; i < n; i++) drcpdVNum[i] = (r1[i] - rcp[i]) / 2e-12;
    const double dZdVNum = (z1 - Z) / 2e-12;
    V = V0;
    for (int k = 0; k < n; k++) {
        const double xk = x[k];
        x[k] = xk + 1e-6;
        calculate_fugacities();
        r1 = rcp;
        x[k] = xk - 1e-6;
        calculate_fugacities();
        for (int i = 0; i < n; i++) drcpdxNum[i][k] = (r1[i] - rcp[i]) / 2e-6;
        x[k] = xk;
    }
    calculated = 0;
    calculate_fugacities();

    std::FILE* f = std::fopen("interaction.note", "w");
    if (!f) {
        platform::diagf("Cannot write interaction.note\n");
        return;
    }
    std::fprintf(f, "T %lg\n", T);
    std::fprintf(f, "V %lg\n", V * 1e6);
    std::fprintf(f, "P %lg\n", P * 1e-5);
    std::fprintf(f, "x");
    for (int i = 0; i < n; i++) std::fprintf(f, "%lg ", x[i]);
    std::fprintf(f, "\n\n");
    std::fprintf(f, "Z  %lg\n", Z0);
    std::fprintf(f, "dZdT     num. %lg\n", dZdTNum);
    std::fprintf(f, "         ana. %lg\n", dZdT);
    std::fprintf(f, "dZdV     num. %lg\n", dZdVNum);
    std::fprintf(f, "         ana. %lg\n", dZdV);
    std::fprintf(f, "dZdx     num. ");
    for (int i = 0; i < n; i++) std::fprintf(f, "%lg ", dZdxNum[i]);
    std::fprintf(f, "\n         ana. ");
    for (int i = 0; i < n; i++) std::fprintf(f, "%lg ", dZdx[i]);
    std::fprintf(f, "\n\n");
    std::fprintf(f, "rcp      num.");
    for (int i = 0; i < n; i++) std::fprintf(f, "%lg ", rcpNum[i]);
    std::fprintf(f, "\n             ");
    for (int i = 0; i < n; i++) std::fprintf(f, "%lg ", rcp0[i]);
    std::fprintf(f, "\ndrcpdT   num.");
    for (int i = 0; i < n; i++) std::fprintf(f, "%lg ", drcpdTNum[i]);
    std::fprintf(f, "\n         ana.");
    for (int i = 0; i < n; i++) std::fprintf(f, "%lg ", drcpdT[i]);
    std::fprintf(f, "\ndrcpdV   num.");
    for (int i = 0; i < n; i++) std::fprintf(f, "%lg ", drcpdVNum[i]);
    std::fprintf(f, "\n         ana.");
    for (int i = 0; i < n; i++) std::fprintf(f, "%lg ", drcpdV[i]);
    std::fprintf(f, "\ndrcpdx   num.\n");
    for (int i = 0; i < n; i++) {
        for (int k = 0; k < n; k++) std::fprintf(f, "%lg ", drcpdxNum[i][k]);
        std::fprintf(f, "\n");
    }
    std::fprintf(f, "\n         ana.\n");
    for (int i = 0; i < n; i++) {
        for (int k = 0; k < n; k++) std::fprintf(f, "%lg ", drcpdx[i][k]);
        std::fprintf(f, "\n");
    }
    std::fclose(f);
    platform::runProgram({"less", "interaction.note"});
}

void Interaction::check_critical_parameters() {
    if (component_count != 2) {
        platform::diagf("Works only for binary fluids\n");
        return;
    }
    struct Set {
        double A, AT, Av, Ax, ATv, ATx, Avv, Avx, Axx, ATvv, ATvx, ATxx, Avvv, Avvx, Avxx, Axxx;
    };
    auto take = [this]() {
        return Set{A, AT, Av, Ax, ATv, ATx, Avv, Avx, Axx, ATvv, ATvx, ATxx, Avvv, Avvx, Avxx, Axxx};
    };
    const double T0 = T, V0 = V, x0 = x[0], x1 = x[1];
    T = T0 + 1e-6;
    calculate_critical_parameters();
    const Set tp = take();
    T = T0 - 1e-6;
    calculate_critical_parameters();
    const Set tm = take();
    T = T0;
    V = V0 + 1e-12;
    calculate_critical_parameters();
    const Set vp = take();
    V = V0 - 1e-12;
    calculate_critical_parameters();
    const Set vm = take();
    V = V0;
    x[0] = x0 - 1e-9;
    x[1] = x1 + 1e-9;
    calculate_critical_parameters();
    const Set xp = take();
    x[0] = x0 + 1e-9;
    x[1] = x1 - 1e-9;
    calculate_critical_parameters();
    const Set xm = take();
    x[0] = x0;
    x[1] = x1;
    calculate_critical_parameters();

    std::FILE* f = std::fopen("critical.note", "w");
    if (!f) {
        platform::diagf("Cannot write critical.note\n");
        return;
    }
    auto line = [f](const char* label, double num, double ana) {
        std::fprintf(f, "%-6snum. %lg\n", label, num);
        std::fprintf(f, "      ana. %lg\n", ana);
    };
    const double hT = 2e-6, hV = 2e-12, hx = 2e-9;
    line("AT", (tp.A - tm.A) / hT, AT);
    line("Av", (vp.A - vm.A) / hV, Av);
    line("Ax", (xp.A - xm.A) / hx, Ax);
    line("ATv", (vp.AT - vm.AT) / hV, ATv);
    line("ATx", (xp.AT - xm.AT) / hx, ATx);
    line("Avv", (vp.Av - vm.Av) / hV, Avv);
    line("Avx", (xp.Av - xm.Av) / hx, Avx);
    line("Axx", (xp.Ax - xm.Ax) / hx, Axx);
    line("ATvv", (vp.ATv - vm.ATv) / hV, ATvv);
    line("ATvx", (xp.ATv - xm.ATv) / hx, ATvx);
    line("ATxx", (xp.ATx - xm.ATx) / hx, ATxx);
    line("Avvv", (vp.Avv - vm.Avv) / hV, Avvv);
    line("Avvx", (xp.Avv - xm.Avv) / hx, Avvx);
    line("Avxx", (xp.Avx - xm.Avx) / hx, Avxx);
    line("Axxx", (xp.Axx - xm.Axx) / hx, Axxx);
    line("ATvvv", (vp.ATvv - vm.ATvv) / hV, ATvvv);
    line("ATvvx", (xp.ATvv - xm.ATvv) / hx, ATvvx);
    line("ATxxx", (xp.ATxx - xm.ATxx) / hx, ATxxx);
    line("ATvxx", (xp.ATvx - xm.ATvx) / hx, ATvxx);
    line("Avvvv", (vp.Avvv - vm.Avvv) / hV, Avvvv);
    line("Avvvx", (xp.Avvv - xm.Avvv) / hx, Avvvx);
    line("Avvxx", (xp.Avvx - xm.Avvx) / hx, Avvxx);
    line("Avxxx", (xp.Avxx - xm.Avxx) / hx, Avxxx);
    line("Axxxx", (xp.Axxx - xm.Axxx) / hx, Axxxx);
    std::fclose(f);
    platform::runProgram({"less", "critical.note"});
}

// ---------------------------------------------------------------- plots of a

void Interaction::calculate_Helmholtz_free_energy_isotherm(const char* path, double T_, double Vmin, double Vmax,
                                                           int n) {
    if (!path || n < 1 || !(Vmin > 0) || !(Vmax > Vmin)) return;
    std::FILE* f = std::fopen(path, "w");
    if (!f) {
        platform::diagf("Cannot write %s\n", path);
        return;
    }
    const double factor = geometricStep(Vmin, Vmax, n);
    T = T_;
    for (double v = Vmin; v < Vmax; v *= factor) {
        V = v;
        calculated = 0;
        calculate_fugacities();
        std::fprintf(f, "%lg %lg %lg\n", A, R * A * T * 0.001, V * 1e6);
    }
    std::fclose(f);
    std::FILE* g = std::fopen("g2.gp", "w");
    if (!g) return;
    std::fprintf(g, "reset\nset timestamp\nset multiplot\nset origin 0,0\nset size 0.5,1\n");
    std::fprintf(g, "set title \"Isotherm (%.2f K) Ar - %s -\"\n", T, modelName());
    std::fprintf(g, "set xlabel \"V (cm^3/mol)\"\n");
    std::fprintf(g, "set ylabel \"Ar\"\n");
    std::fprintf(g, "plot \"%s\" using 3:1 with lines title 'Ar(V)'\n", path);
    std::fprintf(g, "set origin 0.5,0\n");
    std::fprintf(g, "set title \"Isotherm (%.2f K) A - %s -\"\n", T, modelName());
    std::fprintf(g, "set ylabel \"A (kJ/mol)\"\n");
    std::fprintf(g, "plot \"%s\" using 3:2 with lines title 'A(T)'\n", path);
    std::fprintf(g, "unset multiplot\n");
    std::fclose(g);
    platform::runGnuplot("g2.gp");
}

void Interaction::calculate_Helmholtz_free_energy_isochor(const char* path, double V_, double Tmin, double Tmax,
                                                          int n) {
    if (!path || n < 1 || !(Tmin > 0) || !(Tmax > 0)) return;
    std::FILE* f = std::fopen(path, "w");
    if (!f) {
        platform::diagf("Cannot write %s\n", path);
        return;
    }
    const double factor = geometricStep(Tmin, Tmax, n);
    V = V_;
    double t = Tmin;
    for (int i = 0; i <= n; i++, t *= factor) {
        T = t;
        calculated = 0;
        calculate_fugacities();
        std::fprintf(f, "%lg %lg %lg\n", A, R * A * T * 0.001, T);
    }
    std::fclose(f);
    std::FILE* g = std::fopen("g1.gp", "w");
    if (!g) return;
    std::fprintf(g, "reset\nset timestamp\nset multiplot\nset origin 0,0\nset size 0.5,1\n");
    std::fprintf(g, "set title \"Isochor (%.2f cm^3/mol) Ar - %s -\"\n", V * 1e6, modelName());
    std::fprintf(g, "set xlabel \"T (K)\"\n");
    std::fprintf(g, "set ylabel \"Ar\"\n");
    std::fprintf(g, "plot \"%s\" using 3:1 with lines title 'Ar(T)'\n", path);
    std::fprintf(g, "set origin 0.5,0\n");
    std::fprintf(g, "set title \"Isochor (%.2f cm^3/mol) A - %s -\"\n", V * 1e6, modelName());
    std::fprintf(g, "set ylabel \"A (kJ/mol)\"\n");
    std::fprintf(g, "plot \"%s\" using 3:2 with lines title 'A(T)'\n", path);
    std::fprintf(g, "unset multiplot\n");
    std::fclose(g);
    platform::runGnuplot("g1.gp");
}

void Interaction::calculate_Helmholtz_free_energy_surface(const char* path, double Tmin, double Tmax, double Vmin,
                                                          double Vmax, int nT, int nV) {
    if (!path || nT < 1 || nV < 1 || !(Vmin > 0) || !(Vmax > Vmin)) return;
    std::FILE* f = std::fopen(path, "w");
    if (!f) {
        platform::diagf("Cannot write %s\n", path);
        return;
    }
    const double factor = geometricStep(Vmin, Vmax, nV);
    const double dT = (Tmax - Tmin) / nT;
    for (int i = 0; i <= nT; i++) {
        T = Tmin + i * dT;
        for (double v = Vmin; v <= Vmax; v *= factor) {
            V = v;
            calculated = 0;
            calculate_fugacities();
            std::fprintf(f, "%lg %lg %g %g\n", V * 1e6, T, R * A * T * 0.001, P * 1e-5);
        }
        std::fprintf(f, "\n");
    }
    std::fclose(f);
    std::FILE* g = std::fopen("g3.gp", "w");
    if (!g) return;
    std::fprintf(g, "reset\nset timestamp\nset multiplot\n");
    std::fprintf(g, "set origin 0.0, 0.0\n");
    std::fprintf(g, "set size 0.5, 1\n");
    std::fprintf(g, "set title \"A(V,T) - %s -\"\n", modelName());
    std::fprintf(g, "set ylabel \"T (K)\"\n");
    std::fprintf(g, "set xlabel \"V (cm^3/mol)\"\n");
    std::fprintf(g, "set contour\n");
    std::fprintf(g, "set cntrparam levels 20\n");
    std::fprintf(g, "set style data lines \n");
    std::fprintf(g, "set view 180,0,1,1\n");
    std::fprintf(g, "set yrange [*:*] reverse\n");
    std::fprintf(g, "unset surface\n");
    std::fprintf(g, "splot \"%s\"\n", path);
    std::fprintf(g, "set origin 0.5, 0.0\n");
    std::fprintf(g, "set title \"P(V,T) - %s -\"\n", modelName());
    std::fprintf(g,
                 "set cntrparam levels discr 0.1,0.5,10,20,30, 40, 50, 75, 100, 200, 300, 400, 500, 750, 1000, "
                 "2000\n");
    std::fprintf(g, "splot \"%s\" using 1:2:4\n", path);
    std::fprintf(g, "unset multiplot\n");
    std::fclose(g);
    platform::runGnuplot("g3.gp");
}
