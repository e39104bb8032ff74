#pragma once
// One term of a fluid model's reduced Helmholtz energy a = A/(RT) per mole,
// a function of the temperature, the molar volume and the mole fractions.
//
// The term's expression tree (`root`) is evaluated over the variable vector
// [T, V, x_0 .. x_{n-1}] (T is variable 0, V variable 1, the mole fractions
// start at variable 2) and gives a with its derivatives up to the fourth order.
// Before each evaluation the term runs its parameter stages, in this order:
// fixed parameters (T and composition), volume-dependent parameters and, for
// the third- and fourth-order routines, high-order parameters.  Subclasses
// refine the stages and may write leaf nodes of their trees there.
//
// Every evaluation clears `termError` first and sets it when the expression
// engine reports a domain error; the values of the previous evaluation are
// then left as they were, and the owner (FluidPhase) fails the state.
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "numerics/Equation.h"

class Expression;
class Ideal;
struct StructureWatch;

class Interaction : public Equation {
public:
    static constexpr double R = 8.31434;  // J/(mol K)

    Interaction() = default;
    virtual ~Interaction() = default;
    Interaction(const Interaction&) = delete;
    Interaction& operator=(const Interaction&) = delete;

    // ---- virtual operations
    // Sizes the per-component arrays; subclasses call it first, then size their trees for n + 2 variables
    // (sizeForComponents does both).
    virtual void number_of_components(int n);
    virtual void calculate_fixed_parameters() {}
    virtual void calculate_volume_dependent_parameters() {}
    virtual void calculate_high_order_parameters() {}
    // T = v[0], V = v[1], x_i = v[2+i]; then the three parameter stages.  This is
    // the debug link the numeric derivative checks of the expression engine call.
    virtual void calculate_the_leaves(double* v);
    // Smallest molar volume at which the term is defined (a co-volume); 0 for none.
    virtual double getVolumeMinimum() { return 0.0; }
    // The fugacity pass: a and its first and second derivatives, the term's Z,
    // reduced chemical potentials and their derivatives.
    virtual void calculate_fugacities();
    // The same with ln V given (the caller's, V in m3/mol), which an ideal-gas
    // part in closed form takes instead of its own logarithm.
    void calculate_fugacities(double lnV);
    // Whether the stage free of the volume refuses the term's T and
    // composition (sets termError there: a pair without parameters at T):
    // every volume is then refused alike, and a search of the isotherm
    // can be spared.  The tree is left behind the state (its next
    // evaluation runs every stage).
    bool fixedStageRefusesState();
    // A pure fluid's fugacity pass from the term's state-function evaluation
    // at the same T and V, without running the pass: its a - m ln V with the
    // derivatives aT, aV, aTV, aVV (true), where the term's pass is its
    // evaluation plus fugacityPassConstant (m = 0, a the pass's), or
    // f(T) - m ln V in closed form (a = f); false where the pass must be
    // run.  The term's own results are left as the state functions set them.
    // Every field is written where the call gives true.
    struct PassDerivatives {
        double a, aT, aV, aTV, aVV, m;
    };
    bool fugacityPassFromState(PassDerivatives& d) const;
    // The state functions' and the fugacity pass's results of the term from
    // its a with the first and second derivatives in T, V and the mole
    // fractions that its model wrote in closed form at the term's T, V and
    // composition (A, aT, aV, ATT, aTV, aVV, dadx, dadxdT, dadxdV, dadxdx),
    // its stages and tree left behind the state (as after secondOrderAnswer).
    void takeAnswerInClosedForm();
    virtual void print_parameters(std::FILE* /*f*/) {}
    // Whether the term's stages or tree differ while `fugacityPass` is set
    // (ideal-gas and reference terms that switch their constant parts).  A term
    // that answers false lets the fugacity pass reuse the second-order
    // evaluation that calculate_state_functions has just made at the same T, V
    // and composition, instead of evaluating its tree again.
    virtual bool changesInFugacityPass() const { return true; }
    // A term whose Helmholtz energy in the fugacity pass is f(T) - m ln V
    // (V in m3/mol: an ideal-gas part that keeps there the ideal gas's -ln V,
    // or a function of T alone) gives f with its first two derivatives in T
    // and m (true), from its second-order evaluation at the pass's state,
    // and the pass takes them instead of running its tree again.
    virtual bool fugacityPassInClosedForm(double& /*f*/, double& /*fT*/, double& /*fTT*/, double& /*m*/) const
    {
        return false;
    }
    // ln V (V in m3/mol) where the term's last evaluation took it at this V
    // (true): the fugacity pass need not take the logarithm again.
    virtual bool heldLogVolume(double /*atV*/, double& /*lnV*/) const { return false; }
    // A constant the term adds to its Helmholtz energy in the fugacity pass
    // alone (its tree the same in both passes).
    virtual double fugacityPassConstant() const { return 0.0; }
    // Whether the term depends on the volume at most through a multiple of
    // ln V (an ideal-gas part): its Z is then the same at every volume of a
    // search at fixed temperature and composition.
    virtual bool volumeEntersAsLogarithm() const { return false; }
    // The term as an ideal-gas part (null for a residual term): what a
    // dynamic_cast gives, without its search at every state.
    virtual Ideal* asIdealPart() { return nullptr; }

    // ---- evaluations
    void setModelName(const char* name) { model_name = name ? name : ""; }
    const char* modelName() const { return model_name.empty() ? "noname" : model_name.c_str(); }
    void composition(std::initializer_list<double> xs);
    template <typename... Rest>
    void composition(double x0, Rest... rest) {
        composition({x0, static_cast<double>(rest)...});
    }
    // leaves = [T, V, x...]; the tree is re-initialised and given the leaves; the engine's error flag cleared.
    void assignVariables();
    // Volume-only evaluation of the molar-volume search: fixed and volume-dependent
    // stages, tree to second order in V only (in a search, the term's own
    // answer at the kept temperature where it gives one: volumeSearchAnswer);
    // Z, dZdV, aV, aVV, P.
    void calculate_Z();
    // A molar-volume search at fixed temperature and composition runs between
    // these two calls (FluidPhase::calculate_molar_volume).  After an evaluation
    // without error, calculate_Z runs only the volume-dependent stage, and the
    // tree keeps its nodes that do not depend on V: the fixed stage depends on
    // T and the composition only.
    // With `stateNext`, the caller evaluates the state from the tree right
    // after the search (Expression::endHold).
    void beginVolumeSearch();
    // True where the term ran its closing evaluation (its a, Z, dZ/dV and P
    // then those of its tree at the search's last volume).  A term whose
    // last pass was its own answer at the volume the search ends at
    // (volumeSearchAnswer) runs none: its a, a_V, a_VV, Z, dZ/dV and P are
    // that answer's, and its stages and tree are left behind the state
    // until its next evaluation, which runs every stage (stagesBehind).
    bool endVolumeSearch(bool stateNext = false);
    bool inVolumeSearch() const { return volumeSearch != 0; }
    // Evaluations at one temperature and composition and several volumes
    // (both sides of a saturation system) run between these two calls: the
    // tree keeps its nodes that do not depend on V.
    void holdAllButVolume();
    void releaseHold();
    // All stages, tree to third order: A, AT, Av, ATT, ATv, Avv, ATTv, ATvv, Avvv and P.
    void calculate();
    // Fixed and volume-dependent stages, tree to second order: A, AT, Av, ATT,
    // ATv, Avv, P and Z, all that the state functions need (ATTv, ATvv and
    // Avvv come from calculate()).
    void calculate_state_functions();
    // High-order stage, tree to third order: Z, P and the Z derivatives in T and V to second order.
    void calculate_expansivity_derivative();
    // Derivative set of the binary critical conditions to the second, third and fourth order.
    void calculate_second_order_critical_parameters();
    void calculate_third_order_critical_parameters();
    void calculate_critical_parameters();
    // A, Av, Avv, Avvv, Avvvv, AT, ATv, ATvv, ATvvv (pure fluid, tree to fourth order).
    void calculate_critical_parameters_of_pure_fluid();

    // ---- checks and diagnostic plots
    void detect_connection_errors();
    void print_values();
    // The tree evaluated at the term's state (every stage, to the second
    // order) where the term's own answers left its leaves and nodes behind:
    // for what prints them.
    void evaluateNodesAtState();
    void setDebugLink();
    void check_derivatives_of(Expression* e);
    void check_derivatives_of(Expression* e, int i);
    void checkInteraction();
    // Numeric check of the fugacity pass, written to "interaction.note".
    void check_fugacities();
    // Numeric check of the binary derivative set, written to "critical.note".
    void check_critical_parameters();
    void calculate_Helmholtz_free_energy_isotherm(const char* path, double T, double Vmin, double Vmax, int n);
    void calculate_Helmholtz_free_energy_isochor(const char* path, double V, double Tmin, double Tmax, int n);
    void calculate_Helmholtz_free_energy_surface(const char* path, double Tmin, double Tmax, double Vmin,
                                                 double Vmax, int nT, int nV);

    // ---- data
    std::string model_name;
    short calculated = 0;  // cleared by the owner whenever T or V changes
    short termError = 0;
    // A component count the term was asked for and cannot take (0: none).  Such
    // a term is unusable: every evaluation fails, and its model refuses every
    // state (FluidPhase::termRefusesState) until it is given a count it takes.
    int refusedComponents = 0;
    int component_count = 0;
    double P = 0.0;  // this term's pressure contribution, Pa
    double T = 0.0;
    double V = 0.0;
    std::vector<double> x;
    double Z = 0.0;  // this term's compressibility contribution, -V a_V
    std::vector<double> rcp;  // reduced chemical potential contributions
    Expression* root = nullptr;  // not owned by Interaction: the subclass releases its tree
    std::vector<double> leaves;  // [T, V, x...]
    std::vector<double> drcpdT, drcpdV, drcpdP;
    std::vector<std::vector<double>> drcpdx;  // [i][k]
    double aT = 0, aV = 0;
    std::vector<double> dadx;
    double dZdV = 0, dZdT = 0;
    std::vector<double> dZdx;
    double d2ZdT2 = 0, d2ZdTdV = 0, d2ZdV2 = 0;
    double aVV = 0, aTV = 0;
    std::vector<double> dadxdT, dadxdV;
    std::vector<std::vector<double>> dadxdx;  // symmetric, full storage

    // Derivative set (v: volume; x: along x_1 with x_0 = 1 - x_1 for a binary mixture).
    double A = 0, Av = 0, Ax = 0, Axx = 0, Avx = 0, Avv = 0, Axxx = 0, Avxx = 0, Avvx = 0, Avvv = 0, Axxxx = 0,
           Avxxx = 0, Avvxx = 0, Avvvx = 0, Avvvv = 0, AT = 0, ATT = 0, ATv = 0, ATx = 0, ATvv = 0, ATvx = 0,
           ATxx = 0, ATvvv = 0, ATvvx = 0, ATvxx = 0, ATxxx = 0, ATTv = 0, ATTvx = 0, ATTvv = 0, ATTxx = 0;

    int fugacityPass = 0;  // 1 while the fugacity pass runs the stages and the tree

protected:
    // The closed form of a fugacity pass c - m ln V with c and m constants.
    static bool constantFugacityPass(double c, double m, double& f, double& fT, double& fTT, double& mOut)
    {
        f = c;
        fT = fTT = 0.0;
        mOut = m;
        return true;
    }

    // The set-up of a term written for `expected` components (0: any count of
    // at least one).  Another count is refused with a message naming the term:
    // the per-component arrays are still sized for the larger of the two
    // counts, so that neither the owner's loops over its components nor the
    // term's own stages leave them, but the term is marked unusable
    // (refusedComponents).  A count it takes is stored, and its tree
    // is sized for n + 2 variables; `dependencies` then clears the flags of the
    // variables on which the leaves do not depend, and the tree's dependencies
    // are analysed.  Returns whether the count was taken.
    bool sizeForComponents(int n, int expected, const std::function<void()>& dependencies = {});
    // A pass of a volume search (fixed temperature and composition, the
    // term's T and V set): a term that can give its a with the first two
    // derivatives in V at a kept temperature more cheaply than its tree
    // does (what P and dP/dV need, nothing in T) writes them here and
    // answers true; calculate_Z then takes them instead of running its
    // stages and tree.  Should the search end on such a pass, its leaves and
    // nodes are left behind (see endVolumeSearch).  False (the tree
    // evaluated) where it cannot give a finite answer.
    virtual bool volumeSearchAnswer(double& /*a*/, double& /*aV*/, double& /*aVV*/) { return false; }
    // The state functions and the fugacity pass of a term that gives a with
    // its first and second derivatives in T, V and the mole fractions more
    // cheaply than its tree: it writes A, aT, aV, ATT, aTV, aVV, dadx,
    // dadxdT, dadxdV and dadxdx at its T, V and composition and answers true
    // (its leaves and nodes are then left behind, as after
    // volumeSearchAnswer); false (the tree evaluated) where it cannot give a
    // finite answer.
    virtual bool secondOrderAnswer() { return false; }
    // Whether volumeSearchAnswer answers every evaluation of Z, P and their
    // V-derivatives (calculate_Z), inside a volume search or not: the
    // term's answer costs less than its stages alone.  Outside a search its
    // leaves and nodes are then left behind.
    virtual bool answersOutsideVolumeSearch() const { return false; }
    // Z, P, their derivatives and the reduced chemical potentials with
    // theirs, from a and its derivatives in T, V and the mole fractions.
    void chemicalPotentialsFromDerivatives();

    // The refusal part alone, for a term that builds its tree for the count it
    // takes: true when n is refused (the term sized for n and marked
    // unusable, or, for n < 1, left as it was); false, the mark cleared, when
    // the term takes n.
    bool refusesComponents(int n, int expected);

    // A stage's guard: marks the evaluation failed when the term is not ready
    // (its parameters were never set), so that it never counts as zero.
    bool readyOrFail(bool ready) {
        if (!ready) termError = 1;
        return ready;
    }

private:
    // A term that refused its component count neither runs its stages (their
    // leaves are sized for another count) nor evaluates its tree: termError set.
    bool refusesEvaluation();
    // termError cleared, the leaves assigned and the fixed and volume-dependent
    // stages run (and the high-order stage with highOrder).
    void runStages(bool highOrder);
    // The binary derivative set to `order` (2 to 4).
    void calculateBinaryCriticalSet(int order);
    // Whether the leaves hold the term's T, V and composition.
    bool leavesHoldState() const
    {
        const int n = component_count;
        if (leaves.size() != static_cast<std::size_t>(n) + 2 || leaves[0] != T || leaves[1] != V) return false;
        for (int i = 0; i < n; i++)
            if (leaves[2 + i] != x[i]) return false;
        return true;
    }
    // The fugacity pass's results of a term that is f(T) - m ln V there.
    void fugacitiesInClosedForm(double f, double fT, double fTT, double m, const double* lnV);
    void runFugacityPass(const double* lnV);
    int reusableOrder = 0;  // order of a full evaluation the fugacity pass may reuse (0: none)
    // 0 outside a volume search; 1 in one, before an evaluation without error; 2 after it.
    int volumeSearch = 0;
    // In a volume search, a term whose Z does not change with V (see
    // volumeEntersAsLogarithm) after its first evaluation, or from the start
    // when an earlier search found its Z at the same composition (the
    // coefficient of ln V does not depend on T); `zStale` once a volume was
    // answered without evaluating the tree.
    bool zFixed = false, zStale = false;
    // The last pass of the search was answered by volumeSearchAnswer(), at
    // the volume passV (as is a pass with zFixed).
    bool treeBehind = false;
    double passV = 0.0;
    // The leaves and the nodes do not hold the term's state: a volume search
    // ended on the term's own answer (endVolumeSearch).  Every evaluation
    // goes through runStages or calculate_Z, and those that would run a
    // stage alone on the leaves of an earlier evaluation (the high-order
    // stage of calculate_expansivity_derivative, the nodes printed by
    // print_values) run every stage while it is set; runStages clears it.
    bool stagesBehind = false;
    void leaveStagesBehind();
    // The tree held (Expression::holdAllBut) since the search's first evaluation of it.
    bool treeHeld = false;
    // The evaluation of calculate_Z from the stages and the tree.
    void zFromTree();
    // a, a_V and a_VV with Z, dZ/dV and P from them.
    void takeVolumeDerivatives(double a, double av, double avv);
    bool zKnown = false;
    double zKnownValue = 0.0;
    int zKnownPass = 0;
    std::shared_ptr<StructureWatch> zKnownWatch;  // over the tree it was found with
    std::vector<double> zKnownX;
    bool evaluate(int order);           // tree to `order`; false on an engine error
    bool evaluateInV(int order);        // pure V derivatives only
    void storeStateDerivatives(bool third);
    void fillCriticalSet(int order);
};
