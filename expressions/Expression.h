#pragma once
// Expression: a node of an expression graph that carries its value and all its
// partial derivatives up to the fourth order with respect to the variables
// x[0..nvar-1] of the graph.
//
// Storage.  A mixed derivative is stored once, at its variable indices sorted
// in descending order (the first index is the largest):
//     d1[i], d2[i][j] (j <= i), d3[i][j][k] (k <= j <= i), d4[i][j][k][l] (l <= k <= j <= i).
// All entries of one node live in one contiguous block of doubles, d1 first,
// then the second, third and fourth derivatives, each in lexicographic order of
// their sorted indices; the jagged pointers d2, d3, d4 index into that block.
// The flat views D2, D3, D4 address the same entries by offset:
//     d2[i][j]       == D2[off2(i, j)]        off2 = i(i+1)/2 + j
//     d3[i][j][k]    == D3[off3(i, j, k)]     off3 = i(i+1)(i+2)/6 + off2(j, k)
//     d4[i][j][k][l] == D4[off4(i, j, k, l)]  off4 = i(i+1)(i+2)(i+3)/24 + off3(j, k, l)
// Entries for variables on which a node does not depend are zeroed at sizing
// and never written.
//
// Protocol of an owner (a fluid term, a model):
//   1. build: create the nodes, link them with the parents' tie operations, set
//      their constants with the set-scalar operations, name them;
//   2. size: root->number_of_variables(n); clear the flags of the variables on
//      which each Leaf does not depend; root->analyze_dependencies();
//   3. evaluate, once per point: root->initialize_the_graph();
//      root->set_variable_values(x); Expression::sError = 0; write the Leaf
//      nodes; root->calculate(order) or root->calculate(order, var); read
//      value, d1..d4 of the root and test Expression::sError;
//   4. check (optional): checkDebugLink(), checkall() or check1..check4;
//   5. print (optional): initialize_the_graph(), check_pointers(),
//      printFormulas(); initialize_the_graph(), printValues();
//   6. destroy (below).
// Evaluation allocates nothing: the block is allocated once, at sizing.
//
// Ownership.  Each node counts in `refcount` the parents linked to it.  A node
// created with `new` ("created separately") is released by its last parent:
// when a parent goes (or relinks the slot to another node) it subtracts 1 from
// the child's count and deletes the child when the count reaches 0.  A node
// that lives inside another object (a data member, an element of an array or
// a container) is never deleted by its parents; its holder releases it.  The
// node tells the two apart at construction: the class's operator new marks the
// storage it hands out, and only the node constructed there counts as created
// separately.  setReleasedByParents() overrides the choice (for instance for a
// node held by a std::unique_ptr while it is also linked under a parent).  A
// root that no parent links is deleted by its owner.  Members are destroyed in
// the reverse order of their declaration, so a class that holds nodes declares
// each child node before the nodes that link it.
#include <cstddef>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <new>
#include <span>
#include <iosfwd>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class Equation;
class EvaluationPlan;
// Deletes a node's plan where the plan's class is known (EvaluationPlan.cpp),
// so that the node base needs only its name.
struct PlanDeleter {
    void operator()(EvaluationPlan* p) const noexcept;
};

// Member operation of an Equation that recomputes the Leaf nodes of its trees
// at the variable vector it is given (the debug link of the numeric checks).
using LeafUpdateFn = void (Equation::*)(double* vars);

// The state of a compiled pass in one variable (EvaluationPlan.h): every
// node's value and pure derivatives in the variable, to the order (1 to 4) of
// the pass, in a slot of five doubles; o2..o4 are the offsets of the pure
// entries of the variable in the flat second- to fourth-order arrays.  With
// `store` clear the nodes leave their own storage and marks alone (the plan
// writes the slots there later) and take their scalars from their items;
// with `snap` set the kernels only copy the nodes' scalars into the items;
// with `fresh` (and `store` clear) they copy them and then compute.
struct VarPass {
    const double* slots;
    int order, var, o2, o3, o4;
    bool store;
    bool snap;
    bool fresh;
    const double* const* children;  // the slots of the children of every node, in plan order
    const double* slot(int i) const { return slots + 5 * i; }
};
// A node's part of such a pass: from the slots of its children (in the
// order of planChildren, at VarPass::children + first) its own slot `out`
// and, with `store`, the same numbers in its own storage and its mark; `dep`
// tells whether the node depends on the variable (when not, it computes its
// value only).  A kernel computes a batch of nodes of its class, none of
// which needs another.  An item fills one cache line.
class Expression;
struct alignas(64) VarItem {
    Expression* e;
    double* out;
    double c[3];  // the node's scalars, as of the last snapshot
    const double* u = nullptr;  // the first two children's slots, when the node has them
    const double* v = nullptr;
    int first = 0;
    bool dep = false;
    const double* const* in(const VarPass& p) const { return p.children + first; }
};
using VarKernel = void (*)(const VarPass& pass, VarItem* items, int count);
// A compiled full pass computes a batch of nodes of one class, those not yet
// marked, with the class's evaluateNode of the pass's order, called directly.
using FullKernel = void (*)(Expression* const* nodes, int count);


// What a cache built from a set of nodes (a compiled plan, a product's shape,
// an implicit function's table) knows of them: `changed` turns true when one
// of those nodes changes its links, its size or its dependency flags, or goes.
// Changes to nodes of other graphs leave it alone.
struct StructureWatch {
    bool changed = false;
};

// A count of the walks of one kind on the calling thread, whose numbers no
// other thread hands out (each thread draws blocks of them), so that a node
// stamped on one thread never takes a number of another thread's walk as its
// own when its model moves between threads.  0 is never handed out.
struct WalkCounter {
    unsigned long long now = 0, end = 0;
    void advance() {
        if (++now >= end) refill();
    }
    void refill();
};

// Pointers to the four derivative levels of one node, as flat arrays.
struct DerivView {
    double* d1 = nullptr;
    double* d2 = nullptr;
    double* d3 = nullptr;
    double* d4 = nullptr;
};

// The name of a node: most nodes have none, so it takes one pointer in the
// node and its text lives apart.
class NodeName {
public:
    NodeName() = default;
    NodeName(const NodeName&) = delete;
    NodeName& operator=(const NodeName&) = delete;
    NodeName& operator=(const char* s) {
        if (s && *s) text_ = std::make_unique<std::string>(s);
        else text_.reset();
        return *this;
    }
    NodeName& operator=(const std::string& s) { return *this = s.c_str(); }
    bool empty() const { return !text_; }
    const char* c_str() const { return text_ ? text_->c_str() : ""; }
    friend bool operator==(const NodeName& a, const char* b) { return b && std::string_view(a.c_str()) == b; }
    friend std::ostream& operator<<(std::ostream& os, const NodeName& n);

private:
    std::unique_ptr<std::string> text_;
};

class Expression {
public:
    // ---- the state of the walks in progress on the calling thread ----
    // A model is evaluated on one thread at a time, and what these hold belongs
    // to the evaluation (or printing walk) running there: separate models on
    // separate threads never see each other's.
    static constinit thread_local int sMargin;      // indentation of the printing walks (+4 per level)
    static constexpr int sDerivOrder = 4;           // highest order for which sizing allocates arrays
    static constinit thread_local int sError;       // set to 1 by a node that cannot evaluate at the current point
    static constinit thread_local Equation* sVarbox;  // owner of the debug link (not owned)
    static constinit thread_local LeafUpdateFn sVarcalc;

    // ---- fields ----
    // The ones an evaluation reads and writes come first, in one cache line;
    // the node classes' own fields follow after a second line.  What only
    // building, printing and the plans' bookkeeping use lies elsewhere (the
    // name, the plan, the watches), so that a pass over many nodes reads few
    // lines of each.
    int nvar = 0;
    bool calculated = false;
    double value = 0.0;
    double* d1 = nullptr;
    double* D2 = nullptr;  // flat views of d2, d3, d4
    double* D3 = nullptr;
    double* D4 = nullptr;
    int refcount = 0;

private:
    bool separate_ = false;  // created with new: released by its last parent
    bool planWorth_ = true;  // whether the current plan is used

public:
    double** d2 = nullptr;  // row pointers into the block, after its entries
    double*** d3 = nullptr;
    double**** d4 = nullptr;
    NodeName name;  // empty: the node has no name

    Expression();
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;
    virtual ~Expression();

    // Nodes created with new are released by their last parent (see above).
    static void* operator new(std::size_t size);
    static void operator delete(void* p) noexcept;
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* p, const std::nothrow_t&) noexcept;
    static void* operator new(std::size_t, void* place) noexcept { return place; }
    static void operator delete(void*, void*) noexcept {}

    // ---- virtual operations, base behaviour ----
    virtual void number_of_variables(int n);
    virtual const char* getType() const;
    virtual void initialize_the_graph();
    virtual void analyze_dependencies();
    virtual int isDependent(int i);
    virtual int hasLeaves();
    virtual void check_pointers(std::FILE* f);
    virtual void reset();
    virtual void set_variable_values(double* x);
    virtual void calculate(int order);
    virtual void calculate(int order, int var);
    virtual void tie1(Expression& e);
    virtual void tie2(Expression& a, Expression& b);
    virtual void tie(int i, Expression& e);
    virtual void tiep1(Expression* e);
    virtual void tiep2(Expression* a, Expression* b);
    virtual void set_scalars1(double a);
    virtual void set_scalars2(double a, double b);
    virtual void set_scalars3(double a, double b, double c);
    virtual void printFormula(std::FILE* f);
    virtual void printFormulas(std::FILE* f);
    virtual void printValue(std::FILE* f);
    virtual void printValues(std::FILE* f);
    virtual Expression* findByName(const char* s);

    // The many-term link and constant operations: tie_(t0, t1, ...) and
    // set_scalars_(c0, c1, ...) with any number of arguments, each converted to
    // Expression* or double.  They forward the whole list to tieTerms and
    // setScalarsList, which the node classes that take such lists override.
    template <class... T>
        requires(std::is_convertible_v<T, Expression*> && ...)
    void tie_(T... terms) {
        Expression* list[] = {static_cast<Expression*>(terms)..., nullptr};
        tieTerms(std::span<Expression* const>(list, sizeof...(T)));
    }
    template <class... T>
        requires(std::is_convertible_v<T, double> && ...)
    void set_scalars_(T... c) {
        double list[] = {static_cast<double>(c)..., 0.0};
        setScalarsList(std::span<const double>(list, sizeof...(T)));
    }
    virtual void tieTerms(std::span<Expression* const> terms);
    virtual void setScalarsList(std::span<const double> c);

    // ---- compiled evaluation (EvaluationPlan.h) ----
    // An operator whose calculate() evaluates exactly its children, whose
    // set_variable_values() only hands the vector on to them and whose
    // initialize_the_graph() only clears them, appends its children in the
    // order it evaluates them and returns true; a compiled evaluation then
    // computes the children first and the node with evaluateNode().  Any other
    // node (variables, leaves, selectors, implicit functions, the models' own
    // nodes) returns false and is evaluated by its own calculate().
    virtual bool planChildren(std::vector<Expression*>& children);
    // The node from its children, all of them computed for this pass: what
    // calculate() does after evaluating them.
    virtual void evaluateNode(int order);
    virtual void evaluateNode(int order, int var);
    // The node's kernel of a compiled one-variable pass of that order (1 to
    // 4), or null: the pass then calls evaluateNode(order, var) and reads
    // the node's storage.
    virtual VarKernel varKernel(int order) const;
    // What a plan asks of a node beyond its kernels.  A leaf is written by
    // its owner and computed by nobody.  A node that adds its terms (c0 t0 +
    // ... + c_{n-1} t_{n-1} + c_n) has exact zeros in the entries where all
    // its terms have them, so a plan adds a sum's entries of terms free of a
    // variable as exact zeros.  A node of two children may give a kernel of a
    // one-variable pass for when one child (1: the second, 2: the first) has
    // exact zeros in its entries: a weighted product a u v leaves out the
    // terms of Leibniz's rule that such a factor makes zero.
    virtual bool writtenByOwner() const { return false; }
    virtual bool addsItsTerms() const { return false; }
    virtual VarKernel freeChildKernel(int /*child*/, int /*order*/) const { return nullptr; }
    // The node's kernel of a compiled full pass of that order (0 to 4), or null.
    virtual FullKernel fullKernel(int order) const;
    // The same, for a plan whose nodes are all sized to one number of
    // variables with their storage allocated: a kernel may then skip those
    // checks and rely on what the node found out about its structure now (the
    // plan is made again after any change of it).  By default fullKernel.
    virtual FullKernel uniformFullKernel(int order) { return fullKernel(order); }
    // The owner of a graph declares that, until endHold(), only variable
    // `var` changes between the evaluations from this root, and nothing else
    // that the nodes free of it depend on (parameters, constants, leaves):
    // those nodes then keep what the previous evaluations in the hold computed
    // (the temperature part of a term through a volume search).  At its end
    // every node holds what the last evaluation computed; with
    // `evaluatedNext` the owner declares that its next use of the graph is an
    // evaluation from this root, which brings the nodes up to date itself
    // (or computes them anew: a state's full pass after a volume search).
    void holdAllBut(int var);
    void endHold(bool evaluatedNext = false);
    // Compiled evaluation on or off, program-wide (on by default); with it off
    // every node evaluates its children recursively.
    static constinit thread_local bool sCompiled;
    // While set, products take their first and second derivatives with the
    // operations of the passes of order 3 and 4 (Leibniz's rule in one sum
    // per entry, times the scalar), which round differently from those of
    // the passes of order 1 and 2: a pass of order 2 then gives the entries
    // of a pass of order 3 to the bit (the state functions, which the
    // framework used to take from a pass of order 3).
    static constinit thread_local bool sHigherOrderProducts;
    struct HigherOrderProducts {
        HigherOrderProducts() : was_(sHigherOrderProducts) { sHigherOrderProducts = true; }
        ~HigherOrderProducts() { sHigherOrderProducts = was_; }
        HigherOrderProducts(const HigherOrderProducts&) = delete;
        HigherOrderProducts& operator=(const HigherOrderProducts&) = delete;

    private:
        bool was_;
    };

    // ---- non-virtual operations ----
    void setName(const char* s);
    bool hasName() const { return !name.empty(); }
    const char* displayName() const { return name.empty() ? "noname" : name.c_str(); }
    void clean(int order);
    // This node takes src's value and its entries to the order (a piecewise
    // node taking over its selected branch).
    void copy(const Expression* src, int order) {
        value = src->value;
        if (order < 1 || order > 4 || !d1 || !src->d1) return;
        const int k = order < sDerivOrder ? order : (sDerivOrder < 0 ? 0 : sDerivOrder);
        const std::size_t n = storedEntries(nvar < src->nvar ? nvar : src->nvar, k);
        __builtin_memcpy(d1, src->d1, n * sizeof(double));  // two nodes' blocks never overlap
    }
    double* dvp(int i, int j, int k);
    double* dvp(int i, int j, int k, int l);
    void check_dependencies(std::FILE* f);
    void check1(std::FILE* f, double* x, double* h);
    void check2(std::FILE* f, double* x, double* h);
    void check3(std::FILE* f, double* x, double* h);
    void check4(std::FILE* f, double* x, double* h);
    void checkall(std::FILE* f, double* x, double* h);
    void check1(std::FILE* f, int i, double* x, double h);
    void check2(std::FILE* f, int i, double* x, double h);
    void check3(std::FILE* f, int i, double* x, double h);
    void check4(std::FILE* f, int i, double* x, double h);
    void checkDebugLink();

    // ---- ownership ----
    bool releasedByParents() const { return separate_; }
    void setReleasedByParents(bool on) { separate_ = on; }
    // A parent links a child: the child's count goes up by one.
    static void link(Expression* child) {
        if (!child) return;
        child->structureChanged();
        ++child->refcount;
    }
    // A parent forgets a child: its count goes down by one, and a child created
    // separately is deleted when no parent is left.
    static void unlink(Expression* child);
    // Replaces the child in `slot` by `e`, counting the new link before the old
    // one is released (so relinking the same child is safe).
    static void relink(Expression*& slot, Expression* e);

    // ---- storage helpers ----
    static constexpr int off2(int i, int j) { return i * (i + 1) / 2 + j; }
    static constexpr int off3(int i, int j, int k) { return i * (i + 1) * (i + 2) / 6 + off2(j, k); }
    static constexpr int off4(int i, int j, int k, int l) {
        return i * (i + 1) * (i + 2) * (i + 3) / 24 + off3(j, k, l);
    }
    // Number of stored entries of the orders 1 to `order` (order clipped to 4).
    static std::size_t storedEntries(int n, int order) {
        if (order > 4) order = 4;
        const std::size_t N = n > 0 ? static_cast<std::size_t>(n) : 0;
        std::size_t s = 0;
        if (order >= 1) s += N;
        if (order >= 2) s += N * (N + 1) / 2;
        if (order >= 3) s += N * (N + 1) * (N + 2) / 6;
        if (order >= 4) s += N * (N + 1) * (N + 2) * (N + 3) / 24;
        return s;
    }
    DerivView view() const { return DerivView{d1, D2, D3, D4}; }
    // Inside a set_variable_values pass (a parent's, which holds one open):
    // true when this operator already took the variable vector in it (its
    // parents then skip it).
    bool variablesTaken() const { return varEpoch_ == sVarEpoch.now; }
    // Reads any stored entry, indices in any order.
    double deriv(std::initializer_list<int> idx) const;

    // ---- for the node classes
    // The compiled evaluation of the graph below this node, when the call comes
    // from the node's owner rather than from a parent; true when it ran.
    // A call that does not run a plan is a walk that marks nodes (marksSet).
    bool planned(int order) {
        if (sNesting != 0 || calculated) return false;
        if (sCompiled && !planless() && runPlan(order)) return true;
        marksSet();
        return false;
    }
    bool planned(int order, int var) {
        if (sNesting != 0 || calculated) return false;
        if (sCompiled && !planless() && runPlan(order, var)) return true;
        marksSet();
        return false;
    }
    // Notes that nodes may have been marked computed outside the deferred
    // passes of plans (an evaluation, a printing walk): a plan that knows its
    // marks clear since its last clearing (EvaluationPlan::clearMarks) knows it
    // no more.
    static void marksSet() { sMarkEpoch.advance(); }
    static unsigned long long markEpoch() { return sMarkEpoch.now; }
    // Flat forms of initialize_the_graph() and set_variable_values() of a node
    // with a compiled plan; false when the node has none.
    bool plannedInitialize() { return plan_ && !planless() && initializeByPlan(); }
    bool plannedVariables(double* x) { return plan_ && !planless() && variablesByPlan(x); }
    // The node's plan, made for the current structure, is not worth using
    // (see EvaluationPlan::worthwhile): the recursive walk, at once.
    bool planless() const { return planWatch_ && !planWorth_ && !planWatch_->changed; }
    // A parent's evaluation of its child: nested calls do not compile plans.
    // The walk that marks the nodes counts once, at its first level (its
    // deeper levels mark nodes within the same walk: nothing clears marks
    // in between but an owner's evaluation inside a node, which counts a
    // walk again when it ends).
    static void calculateChild(Expression* c, int order) {
        if (sNesting == 0) marksSet();
        ++sNesting;
        c->calculate(order);
        --sNesting;
    }
    static void calculateChild(Expression* c, int order, int var) {
        if (sNesting == 0) marksSet();
        ++sNesting;
        c->calculate(order, var);
        --sNesting;
    }
    // A change of this node's links, size or dependency flags makes the caches
    // that cover it stale (their watches), and only those.
    void structureChanged() {
        if (!watches_ || watches_->list.empty()) return;
        for (const auto& w : watches_->list) w->changed = true;
        watches_->list.clear();
    }
    // `w` covers this node from now on (until the node next changes).
    void watchedBy(const std::shared_ptr<StructureWatch>& w) const;
    // A watch over this node and every node its plan (or the walk of its
    // operators) reaches: kept while the graph stays as it is.
    std::shared_ptr<StructureWatch> watchGraph();
    // Plans made for this node so far (each change of its graph makes one again).
    unsigned long long plansMade() const { return watches_ ? watches_->plansMade : 0; }

    // An owner that evaluates another graph from inside a node's evaluation
    // (the equation of an implicit function) lets that graph compile its plan.
    struct OwnerEvaluation {
        OwnerEvaluation() : saved(sNesting) { sNesting = 0; }
        ~OwnerEvaluation() {
            sNesting = saved;
            marksSet();  // the walk around it goes on marking nodes
        }
        OwnerEvaluation(const OwnerEvaluation&) = delete;
        OwnerEvaluation& operator=(const OwnerEvaluation&) = delete;
        int saved;
    };

protected:
    // set_variable_values of an operator visits each node once per call on the
    // root, however many parents share it: the outermost call opens a pass,
    // and takeVariablePass() is true only at a node's first visit in it.
    struct VariablePass {
        VariablePass() {
            if (sVarDepth++ == 0) sVarEpoch.advance();
        }
        ~VariablePass() { --sVarDepth; }
        VariablePass(const VariablePass&) = delete;
        VariablePass& operator=(const VariablePass&) = delete;
    };
    bool takeVariablePass() {
        if (varEpoch_ == sVarEpoch.now) return false;
        varEpoch_ = sVarEpoch.now;
        return true;
    }

private:
    friend class EvaluationPlan;
    // The current set_variable_values pass and its depth, the depth of the
    // evaluations inside a parent's, and the count of the walks that marked
    // nodes, on this thread.
    static constinit thread_local WalkCounter sVarEpoch;
    static constinit thread_local int sVarDepth;
    static constinit thread_local int sNesting;
    static constinit thread_local WalkCounter sMarkEpoch;
    unsigned long long varEpoch_ = 0;
    const StructureWatch* planWatch_ = nullptr;  // plan_'s watch
    std::unique_ptr<EvaluationPlan, PlanDeleter> plan_;
    // The plans' bookkeeping: the watches over the node and the count of
    // its plans, made at the node's first watch.
    struct Watches {
        std::vector<std::shared_ptr<StructureWatch>> list;
        unsigned long long plansMade = 0;
    };
    mutable std::unique_ptr<Watches> watches_;
    bool makePlan();
    bool runPlan(int order);
    bool runPlan(int order, int var);
    bool initializeByPlan();
    bool variablesByPlan(double* x);

    // The storage of the entries and of the row pointers d2..d4 is one block
    // owned through d1; it starts on a cache line, so that the first- and
    // second-order entries of T and V of a pure fluid lie in one line.
    void allocateBlock(int n);
    void releaseBlock();
    void checkOrder(std::FILE* f, int m, double* x, double* h);
    void checkOrderVar(std::FILE* f, int m, int i, double* x, double h);
    void debugLink(double* w);
};

// Writes the margin of the printing walks (Expression::sMargin blanks).
void printMargin(std::FILE* f);
