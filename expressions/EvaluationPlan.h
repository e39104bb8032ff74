#pragma once
// EvaluationPlan: the compiled evaluation of the graph below one node.
//
// A recursive pass visits every node from each of its parents, asks each one
// whether it is already computed and descends through a virtual call per
// link.  A plan lists the nodes once, children before parents, in the very
// order in which the recursive pass computes them (depth first, children in
// their order, a shared node at its first visit), and computes them in one
// flat loop: each operator from its children (evaluateNode), each other node
// by its own calculate(), which evaluates whatever lies below it as before.
// The values, the derivatives and the order of every computation, hence every
// side effect (an error flag, a message), are those of the recursive pass.
//
// The marks keep their meaning: a node whose `calculated` mark is set is not
// computed again, and the plan relies on the invariant of the recursive pass
// that a marked node's descendants are marked too.  initialize_the_graph()
// and set_variable_values() of the node that owns a plan become flat loops
// over its nodes as well.
//
// A full pass of order 0 to 4 computes the nodes in batches of one class
// (each batch after the children of its nodes), each batch through its class's
// evaluateNode called directly (FullKernel), or, where every node is sized
// alike, through a kernel of the node's shape (uniformFullKernel) with the same
// arithmetic.  The nodes that are not operators stay in place between the
// nodes before and after them.
//
// One-variable passes (calculate(order, var), the passes of a volume search)
// go through a tape, made at the first such pass in that variable (a model
// made for a few states searches in its volume alone and pays for no other
// tape): each node's value and pure derivatives in the variable are kept
// in a slot of five doubles, in a compact array in the order of the plan,
// and the operators compute their slots from their children's slots
// (VarKernel) before writing the same numbers into their own storage.  The
// arithmetic is that of evaluateNode(order, var), operation for operation,
// but for the terms of Leibniz's rule that a product's factor free of the
// variable makes exact zeros (left out; see Expression::freeChildKernel).
//
// Holds.  An owner that changes only one variable between evaluations (the
// volume through a volume search at fixed temperature and composition) opens
// a hold on that variable; the nodes that do not depend on it then keep what
// the previous evaluations of the hold computed, instead of computing it again:
// their values after a one-variable pass in that variable, their values and
// derivatives up to the order of a full pass.  The owner also keeps the
// nodes' scalars unchanged through a hold.  Through the passes of a hold in
// the held variable, the nodes that depend on it keep their results in the
// tape alone, when every one of them is a leaf or an operator with a kernel
// (and every node, at its first pass, when every node is one): each pass
// writes the root's storage and mark only, and the other nodes' storage is
// brought up to date when the hold ends or before any other evaluation from
// the root; their marks stay clear, so that the next pass computes them again.
// An owner that evaluates from the root right after the hold (a state's full
// pass after its volume search) may leave them to that evaluation, and a full
// pass of at least their order computes them instead of having them written.
//
// A plan is made at the first evaluation from its node and made again after
// any change of the structure of one of its nodes (links, sizes, dependency
// flags, a node gone): it watches its nodes (StructureWatch), and models made,
// changed or destroyed elsewhere leave it in place.
// A graph of fewer than six operators among its other nodes is walked by
// itself: its plan is made once per structure and not used (worthwhile()).
//
// What it is for: graphs of many small operators, where the plan replaces
// the recursive pass's virtual calls and `calculated` tests per link by flat
// loops over batches of one kernel (the cubic, Duan and Kreglewski models and
// the mixtures, whose trees hold tens to hundreds of sums, products and
// powers; bench/ExpressionBench.cpp times such chains per node), and the
// volume searches through holds and tapes.  The reference equations of water
// and the gases put their terms in one leaf of T and V (SeparableLeaf), with
// a handful of operators above it, and there the time goes mostly into the
// leaf's own arithmetic: the node walk takes 1.10 times the plan's time for
// IAPWS-95 (whose bare volume search evaluates its tree nowhere, its passes
// answered by the term at the kept temperature; the stable state evaluates
// it at the root) and 0.99 of it for the three gases (bench/RootSearchBench.cpp,
// BM_PlanAgainstWalk, walk_over_plan: the stable state and the volume search
// from 1.1 to 2 Tc, 1 bar to 1 kbar; median of 3 runs pinned to one core).
//
// A worked example.  The graph
//     r = Sum(p, q)    p = Product(x, y)    q = Product(x, t)    t = Exponential(y)
// over the variables x (0) and y (1), x and y being leaves that the owner
// writes, is listed depth first, children before parents, each node once:
//     nodes_ = [x, y, p, t, q, r]
// A full pass leaves the leaves out and puts [p, t, q, r] in batches of one
// kernel, each after its children's.  By level from the leaves that gives
// [p] [t] [q] [r]; by level from the top [t] [p q] [r], which batchByKey
// keeps (fewest batches: one call of the products' kernel computes p and q).
// The tape of y holds a slot of five doubles per node (value and pure
// derivatives in y).  x is free of y, so the entries of its slot in y are
// exact zeros (zero analysis), and the product p = x y leaves out the terms
// of Leibniz's rule that x's entries would multiply (constant factor).  A
// volume search in y at fixed x opens a hold on y: its first pass computes
// every slot and takes the nodes' scalars; later passes keep x's slot
// (markFreeNodesKept) and compute only the nodes that depend on y, here all
// of them: the deferred schedule is [y] [t] [p q] [r], and only r's storage
// is written at each pass; p, t and q receive their numbers when the hold
// ends or another evaluation comes (materialize).
#include <memory>
#include <vector>

#include "expressions/Expression.h"

class EvaluationPlan {
public:
    explicit EvaluationPlan(Expression* root);
    ~EvaluationPlan();

    bool current() const { return !watch_->changed; }
    // The watch over the plan's nodes (turns changed when one of them changes).
    const std::shared_ptr<StructureWatch>& watch() const { return watch_; }
    // Whether the plan is used at all: not for a graph of fewer than six
    // operators among its other nodes, which is walked by itself.
    bool worthwhile() const { return worthwhile_; }

    void clearMarks();
    void setVariables(double* x);
    void run(int order);
    void run(int order, int var);

    void hold(int var);
    // With `evaluatedNext`, deferred results stay in the tape for the next
    // evaluation from the root (see Expression::endHold).
    void endHold(bool evaluatedNext = false);
    int heldVariable() const { return holdVar_; }
    // Whether clearMarks left the marks of the nodes free of the held
    // variable for the next pass to keep or clear (freeMarksLeft_).
    bool freeMarksLeft() const { return freeMarksLeft_; }

private:
    enum class Kind : unsigned char { Op, Leaf, Other };
    struct Node {
        Expression* e;
        Kind kind;
        int first;  // children (positions in the plan) at children_[first .. first + count)
        int count;
    };
    struct Tape;
    struct TapeMaker;  // the stages that make the tapes (EvaluationPlan.cpp)

    // Marks the nodes free of the held variable as computed, when what the
    // previous passes of the hold left in them covers a pass of this kind
    // (order, or -1 for a one-variable pass in the held variable).
    // True when it marked them (or found them marked).
    bool markFreeNodesKept(int need);
    static void clearNodeMarks(const std::vector<Expression*>& direct, const std::vector<Expression*>& selfWalking);
    // After a pass in a hold: what the nodes free of the held variable now
    // hold (freeLevel_), nothing after an evaluation error.
    void recordFreeLevel(int provided);
    // The nodes free of the held variable (freeDirect_, freeSelfWalking_).
    void gatherFree();
    void makeTapes();
    Tape* tapeOf(int var);  // made at the first pass in the variable
    void makeFullSchedule();
    // Reorders the nodes of `order` (positions, children first) into batches
    // of one key, as few as it can, each batch after the children of its
    // nodes; the other nodes stay where they are and end the batches before
    // them.  batch[k] numbers the batch of order[k] afterwards.
    void batchByKey(std::vector<int>& order, const std::vector<const void*>& key, std::vector<int>& batch) const;
    void walkNodes(int order, int var, bool full);
    void runTape(Tape& t, int order, int var);
    void runDeferred(Tape& t, int order, int var, bool whole);
    void materialize();

    Expression* root_;
    std::shared_ptr<StructureWatch> watch_;
    bool worthwhile_ = true;
    std::vector<Node> nodes_;     // evaluation order, children first, leaves included
    std::vector<int> children_;
    std::vector<Expression*> directlyCleared_;  // operators and leaves: marks cleared by the plan
    std::vector<Expression*> selfWalking_;      // the other nodes: they clear and compute themselves
    struct FullRun {
        FullKernel fn[5];
        int begin, count;
    };
    std::vector<Expression*> fullNodes_;  // the full passes' schedule, leaves left out
    std::vector<FullRun> fullRuns_;
    std::vector<std::unique_ptr<Tape>> tapes_;  // by variable, each made at its first pass
    std::vector<const double*> childSlots_;  // the slots of children_
    std::vector<double> slots_;       // five per node, of the variable of the last tape pass
    int slotsVar_ = -1;
    bool tapeUsable_ = false;         // every node sized alike: slots and storage agree
    int deferredVar_ = -1;      // variable of deferred results not yet in the nodes' storage
    int deferredOrder_ = 0;  // their order
    bool deferredEveryNode_ = false;  // every node among them (the first pass of the hold deferred)
    // The marks of every node but the root are known clear: no walk, no
    // pass but the deferred ones, has marked any node since the plan cleared
    // them all (Expression::marksSet), and the plan has no other nodes.
    bool marksKnownClear() const { return marksClearedAt_ == Expression::markEpoch() && selfWalking_.empty(); }
    unsigned long long marksClearedAt_ = ~0ull;
    // Whether nodes of the plan are linked from outside it too.
    bool linkedFromOutside_ = true;
    int holdTapeOrder_ = 0;     // order of the last full-tape pass of the hold
    bool holdScalarsTaken_ = false;  // the deferred items hold the scalars of this hold
    // Hold.
    int holdVar_ = -1;
    int freeLevel_ = -2;  // what the free nodes hold: -2 nothing, -1 values, k derivatives to order k
    int freeVar_ = -1;  // the variable the lists below are for
    std::vector<Expression*> freeDirect_;  // operators (and leaves) free of the held variable
    std::vector<Expression*> freeSelfWalking_;
    std::vector<Expression*> heldDirect_;  // and those that depend on it
    std::vector<Expression*> heldSelfWalking_;
    std::vector<Expression*> heldFullNodes_;  // the full schedule of those
    std::vector<FullRun> heldFullRuns_;
    // clearMarks cleared the marks of the nodes that depend on the held
    // variable only: the free nodes keep theirs until the pass (markFreeNodesKept).
    bool freeMarksLeft_ = false;
};
