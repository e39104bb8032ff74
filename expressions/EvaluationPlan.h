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
// Holds.  An owner that changes only one variable between evaluations (the
// volume through a volume search at fixed temperature and composition) opens
// a hold on that variable; the nodes that do not depend on it then keep what
// the previous evaluations of the hold computed, instead of computing it again:
// their values after a one-variable pass in that variable, their values and
// derivatives up to the order of a full pass.
//
// A plan is made at the first evaluation from its node and made again after
// any change of the structure of any graph (links, sizes, dependency flags).
#include <cstdint>
#include <vector>

class Expression;

class EvaluationPlan {
public:
    explicit EvaluationPlan(Expression* root);

    bool current() const;
    // Number of plans made since the program started (a diagnostic of how
    // often structure changes force them to be made again).
    static unsigned long long builds() { return sBuilds; }

    void clearMarks();
    void setVariables(double* x);
    void run(int order);
    void run(int order, int var);

    void hold(int var);
    void endHold();
    int heldVariable() const { return holdVar_; }

private:
    struct Step {
        Expression* node;
        bool op;  // computed from its children by evaluateNode
    };
    // Marks the nodes free of the held variable as computed, when what the
    // previous passes of the hold left in them covers a pass of this kind
    // (order, or -1 for a one-variable pass in the held variable).
    void keepFree(int need);
    void record(int provided);
    void gatherFree();

    Expression* root_;
    unsigned long long stamp_;
    std::vector<Step> steps_;            // the evaluation order, leaves left out
    std::vector<Expression*> cleared_;   // operators and leaves: marks cleared directly
    std::vector<Expression*> others_;    // the other nodes: their own walks
    // Hold.
    int holdVar_ = -1;
    int level_ = -2;  // what the free nodes hold: -2 nothing, -1 values, k derivatives to order k
    std::vector<Expression*> free_;  // operators (and leaves) free of the held variable
    std::vector<Expression*> freeOthers_;
    unsigned long long freeStamp_ = 0;
    bool freeValid_ = false;

    static unsigned long long sBuilds;
};
