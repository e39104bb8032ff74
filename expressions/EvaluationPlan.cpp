#include "expressions/EvaluationPlan.h"

#include <algorithm>
#include <unordered_map>

#include "expressions/DerivativeKernels.h"


// The tape of the one-variable passes in one variable.
struct EvaluationPlan::Tape {
    bool deferrable = false;         // every node that depends on the variable: a leaf or a kernel
    bool wholly = false;             // every node: a leaf or a kernel (the first pass of a hold defers too)
    std::vector<unsigned char> dep;  // per node: depends on the variable
    // A schedule: nodes in batches of one kernel, each batch after the
    // children of its nodes, with its kernel of each order.
    struct Run {
        VarKernel fn[4];
        int begin, count;
    };
    struct Schedule {
        std::vector<VarItem> items;
        std::vector<Run> runs;
    };
    Schedule all;        // every node: the passes that write the nodes
    Schedule dependent;  // the nodes that depend on the variable: the deferred passes
    // The items of `all` whose scalars the items of `dependent` take:
    // (dependent item, item of all).
    std::vector<std::pair<int, int>> scalarsFrom;
    // The items of the operators, in `dependent` and in `all` among the free
    // nodes, whose results materialize() writes into their storage from
    // their slots: the items the passes have just read are the whole of what
    // it reads besides the nodes it writes.
    std::vector<int> written, freeWritten;
};

namespace {
// Leaves: read whole (their owner writes them; a deferred pass reads them at
// every pass).  Leaves and variables are read whatever their flags say: their
// slots mirror their storage, as the recursive pass reads it.
struct LeafSlots {
    static void snap(VarItem&) {}
    template <int K, bool ST>
    static void one(const VarPass& p, const VarItem& it) {
        const Expression& e = *it.e;
        double* out = it.out;
        out[0] = e.value;
        out[1] = e.d1[p.var];
        if constexpr (K >= 2) out[2] = e.D2[p.o2];
        if constexpr (K >= 3) out[3] = e.D3[p.o3];
        if constexpr (K >= 4) out[4] = e.D4[p.o4];
    }
};

// The other nodes compute themselves; operators without a kernel compute
// themselves from their children's storage.
struct OtherSlots {
    static void snap(VarItem&) {}
    template <int K, bool ST>
    static void one(const VarPass& p, const VarItem& it) {
        it.e->calculate(p.order, p.var);
        exprk::loadPure(*it.e, p, true, it.out);
    }
};

// Full passes: the other nodes compute themselves, the operators without a
// kernel through their virtual evaluateNode.
template <int K>
void otherFull(Expression* const* nodes, int count) {
    for (int i = 0; i < count; ++i)
        if (!nodes[i]->calculated) nodes[i]->calculate(K);
}
template <int K>
void nodeFull(Expression* const* nodes, int count) {
    for (int i = 0; i < count; ++i)
        if (!nodes[i]->calculated) nodes[i]->evaluateNode(K);
}

struct NodeSlots {
    static void snap(VarItem&) {}
    template <int K, bool ST>
    static void one(const VarPass& p, const VarItem& it) {
        it.e->evaluateNode(p.order, p.var);
        exprk::loadPure(*it.e, p, it.dep, it.out);
    }
};
}  // namespace

EvaluationPlan::EvaluationPlan(Expression* root) : root_(root), watch_(std::make_shared<StructureWatch>()) {
    // Depth-first, children in their order, each node at its first visit and
    // listed after its children: the order of the recursive pass.
    struct Frame {
        Expression* node;
        std::vector<Expression*> children;
        std::size_t next = 0;
        bool op = false;
    };
    std::unordered_map<const Expression*, int> position;
    std::vector<Frame> stack;
    auto open = [&](Expression* e) {
        position[e] = -1;  // seen, not yet placed
        Frame f;
        f.node = e;
        f.op = e->planChildren(f.children);
        stack.push_back(std::move(f));
    };
    open(root);
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (f.op && f.next < f.children.size()) {
            Expression* c = f.children[f.next++];
            if (!position.count(c)) open(c);
            continue;
        }
        Node n{f.node, Kind::Other, static_cast<int>(children_.size()), 0};
        if (f.op) {
            n.kind = Kind::Op;
            for (Expression* c : f.children) children_.push_back(position.at(c));
            n.count = static_cast<int>(f.children.size());
            directlyCleared_.push_back(n.e);
        } else if (n.e->writtenByOwner()) {
            n.kind = Kind::Leaf;  // written by its owner, computed by nobody
            directlyCleared_.push_back(n.e);
        } else {
            selfWalking_.push_back(n.e);
        }
        position[n.e] = static_cast<int>(nodes_.size());
        nodes_.push_back(n);
        stack.pop_back();
    }
    for (const Node& nd : nodes_) nd.e->watchedBy(watch_);
    // Nodes that other graphs (or their owner) link too: their storage is
    // not the plan's alone.
    {
        std::vector<int> links(nodes_.size(), 0);
        for (int c : children_) ++links[c];
        linkedFromOutside_ = root_->refcount > 0;
        for (std::size_t i = 0; i + 1 < nodes_.size(); ++i) linkedFromOutside_ = linkedFromOutside_ || nodes_[i].e->refcount > links[i];
    }
    // A plan is used from a handful of operators on.
    constexpr std::size_t kFewestOperators = 6;
    std::size_t operators = 0;
    for (const Node& nd : nodes_) operators += nd.kind == Kind::Op;
    worthwhile_ = operators >= kFewestOperators;
    makeTapes();
    makeFullSchedule();
}

void EvaluationPlan::makeFullSchedule() {
    const std::size_t n = nodes_.size();
    std::vector<int> order;
    std::vector<FullKernel> fn[5];
    for (auto& f : fn) f.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Node& nd = nodes_[i];
        if (nd.kind == Kind::Leaf) continue;
        order.push_back(static_cast<int>(i));
        FullKernel k = nd.kind == Kind::Op ? nd.e->fullKernel(1) : nullptr;
        for (int o = 0; o < 5; ++o) {
            if (nd.kind == Kind::Other)
                fn[o][i] = o == 0 ? &otherFull<0> : o == 1 ? &otherFull<1> : o == 2 ? &otherFull<2> : o == 3 ? &otherFull<3> : &otherFull<4>;
            else if (k)
                fn[o][i] = tapeUsable_ ? nd.e->uniformFullKernel(o) : nd.e->fullKernel(o);
            else
                fn[o][i] = o == 0 ? &nodeFull<0> : o == 1 ? &nodeFull<1> : o == 2 ? &nodeFull<2> : o == 3 ? &nodeFull<3> : &nodeFull<4>;
        }
    }
    std::vector<const void*> key(n, nullptr);
    for (std::size_t i = 0; i < n; ++i) key[i] = reinterpret_cast<const void*>(fn[1][i]);
    std::vector<int> batch;
    batchByKey(order, key, batch);
    for (std::size_t k = 0; k < order.size(); ++k) {
        const int i = order[k];
        fullNodes_.push_back(nodes_[i].e);
        if (k == 0 || batch[k] != batch[k - 1])
            fullRuns_.push_back({{fn[0][i], fn[1][i], fn[2][i], fn[3][i], fn[4][i]}, static_cast<int>(k), 0});
        ++fullRuns_.back().count;
    }
}

// ---- batches of one key
//
// The nodes of a stretch of the schedule between two other nodes (a
// segment) are put in batches of one key, each batch after the batches that
// hold the children of its nodes, in one of three ways:
// by level from the leaves (as early as possible), by level from the top (as
// late as possible), or greedily (the key with the most nodes ready first).
namespace {
struct Batcher {
    const std::vector<const void*>& key;
    std::vector<int> in, pending, height, depth;
    // The parents of each node inside the segment, in the order of the
    // segment: parentList[parentBegin[q] .. parentBegin[q] + parentCount[q]).
    std::vector<int> parentBegin, parentCount, parentList;
    std::vector<int> out, outBatch;  // the nodes in their new order, and their batches
    std::vector<int> sorted, ready, now, rest;  // scratch of byLevel and greedy
    struct Tally {
        const void* key;
        std::size_t count;
        int first;
    };
    std::vector<Tally> tally;
    int batch = 0;
    int top = 0;  // the greatest height in the segment

    Batcher(const std::vector<const void*>& k, std::size_t n)
        : key(k), in(n, 0), pending(n, 0), height(n, 0), depth(n, 0), parentBegin(n, 0), parentCount(n, 0) {}

    const int* parentsBegin(int q) const { return parentList.data() + parentBegin[q]; }
    const int* parentsEnd(int q) const { return parentList.data() + parentBegin[q] + parentCount[q]; }

    // Who reads whom inside the segment; depths and heights.
    template <class Reads>
    void analyse(const std::vector<int>& seg, const Reads& reads) {
        for (int i : seg) in[i] = 1;
        for (int i : seg) reads(i, [&](int q) { parentCount[q] += in[q]; });
        int edges = 0;
        for (int i : seg) {
            parentBegin[i] = edges;
            edges += parentCount[i];
            parentCount[i] = 0;
        }
        parentList.resize(static_cast<std::size_t>(edges));
        for (int i : seg) {
            depth[i] = 0;
            reads(i, [&](int q) {
                if (!in[q]) return;
                ++pending[i];
                parentList[parentBegin[q] + parentCount[q]++] = i;
                depth[i] = std::max(depth[i], depth[q] + 1);
            });
        }
        top = 0;
        for (auto it = seg.rbegin(); it != seg.rend(); ++it) {
            height[*it] = 0;
            for (const int* q = parentsBegin(*it); q != parentsEnd(*it); ++q)
                height[*it] = std::max(height[*it], height[*q] + 1);
            top = std::max(top, height[*it]);
        }
    }
    void forget(const std::vector<int>& seg) {
        for (int i : seg) {
            in[i] = 0;
            pending[i] = 0;
            parentCount[i] = 0;
        }
    }
    // Ways 0 and 1: one batch per level and key; positions break the ties.
    void byLevel(const std::vector<int>& seg, bool fromTop) {
        auto level = [&](int i) { return fromTop ? top - height[i] : depth[i]; };
        sorted.assign(seg.begin(), seg.end());
        std::sort(sorted.begin(), sorted.end(), [&](int x, int y) {
            if (level(x) != level(y)) return level(x) < level(y);
            if (key[x] != key[y]) return std::less<const void*>()(key[x], key[y]);
            return x < y;
        });
        for (std::size_t k = 0; k < sorted.size(); ++k) {
            if (k > 0 && (level(sorted[k]) != level(sorted[k - 1]) || key[sorted[k]] != key[sorted[k - 1]])) ++batch;
            out.push_back(sorted[k]);
            outBatch.push_back(batch);
        }
        if (!sorted.empty()) ++batch;
    }
    // Way 2: of the nodes ready, those of the most common key (the first in
    // the plan among equals) make the next batch.
    void greedy(const std::vector<int>& seg) {
        ready.clear();
        for (int i : seg)
            if (pending[i] == 0) ready.push_back(i);
        while (!ready.empty()) {
            const void* pick = commonest();
            now.clear();
            rest.clear();
            for (int i : ready) (key[i] == pick ? now : rest).push_back(i);
            std::sort(now.begin(), now.end());
            for (int i : now) {
                out.push_back(i);
                outBatch.push_back(batch);
                for (const int* q = parentsBegin(i); q != parentsEnd(i); ++q)
                    if (--pending[*q] == 0) rest.push_back(*q);
            }
            ready.swap(rest);
            ++batch;
        }
    }
    // A graph has a few kinds of kernel: a short list tallies them.
    const void* commonest() {
        tally.clear();
        for (int i : ready) {
            auto t = std::find_if(tally.begin(), tally.end(), [&](const Tally& x) { return x.key == key[i]; });
            if (t == tally.end())
                tally.push_back({key[i], 1, i});
            else {
                ++t->count;
                t->first = std::min(t->first, i);
            }
        }
        const void* pick = nullptr;
        std::size_t most = 0;
        int first = 0;
        for (const Tally& t : tally)
            if (t.count > most || (t.count == most && t.first < first)) {
                pick = t.key;
                most = t.count;
                first = t.first;
            }
        return pick;
    }
    void restart() {
        out.clear();
        outBatch.clear();
        batch = 0;
    }
};

// The number of batches (runs of one batch number) of a schedule.
std::size_t runCount(const std::vector<int>& batches) {
    std::size_t r = 0;
    for (std::size_t k = 0; k < batches.size(); ++k) r += k == 0 || batches[k] != batches[k - 1];
    return r;
}
}  // namespace

void EvaluationPlan::batchByKey(std::vector<int>& order, const std::vector<const void*>& key,
                                std::vector<int>& batch) const {
    auto reads = [&](int i, const auto& read) {
        const Node& nd = nodes_[i];
        for (int c = nd.first; c < nd.first + nd.count; ++c) read(children_[c]);
    };
    std::vector<int> best, bestBatch, seg;
    Batcher b(key, nodes_.size());
    for (int way = 0; way < 3; ++way) {
        b.restart();
        for (auto from = order.begin(); from != order.end();) {
            auto to = std::find_if(from, order.end(), [&](int i) { return nodes_[i].kind == Kind::Other; });
            seg.assign(from, to);
            b.analyse(seg, reads);
            if (way < 2)
                b.byLevel(seg, way == 1);
            else
                b.greedy(seg);
            b.forget(seg);
            if (to != order.end()) {  // the other node, a batch of its own
                b.out.push_back(*to);
                b.outBatch.push_back(b.batch++);
                ++to;
            }
            from = to;
        }
        if (way == 0 || runCount(b.outBatch) < runCount(bestBatch)) {
            best.swap(b.out);
            bestBatch.swap(b.outBatch);
        }
    }
    order.swap(best);
    batch.swap(bestBatch);
}

EvaluationPlan::~EvaluationPlan() = default;

// Clears the marks of operators and leaves (their own mark) and of the nodes
// that walk their own subgraphs (initialize_the_graph).
void EvaluationPlan::clearNodeMarks(const std::vector<Expression*>& direct,
                                    const std::vector<Expression*>& selfWalking) {
    for (Expression* e : direct) e->calculated = false;
    for (Expression* e : selfWalking) e->initialize_the_graph();
}

void EvaluationPlan::clearMarks() {
    // The other nodes were left unmarked by the deferred passes, or are known clear.
    if (deferredVar_ >= 0 || marksKnownClear()) {
        root_->calculated = false;
        return;
    }
    // In a hold whose free nodes hold what the passes need (or will be
    // cleared by markFreeNodesKept when they do not), only the nodes that
    // depend on the held variable are cleared.
    if (holdVar_ >= 0 && freeLevel_ >= -1) {
        if (freeVar_ != holdVar_) gatherFree();
        clearNodeMarks(heldDirect_, heldSelfWalking_);
        freeMarksLeft_ = true;
        return;
    }
    clearNodeMarks(directlyCleared_, selfWalking_);
    marksClearedAt_ = Expression::markEpoch();
    freeMarksLeft_ = false;
}

void EvaluationPlan::setVariables(double* x) {
    if (selfWalking_.empty()) return;  // the leaves are their owner's
    Expression::VariablePass pass;
    for (Expression* e : selfWalking_)
        if (!e->variablesTaken()) e->set_variable_values(x);
}

// The nodes in the plan's order, each operator from its children, each other
// node by its own walk: a full pass (full) or a pass in the variable var.
void EvaluationPlan::walkNodes(int order, int var, bool full) {
    for (const Node& n : nodes_) {
        Expression* e = n.e;
        if (n.kind == Kind::Leaf || e->calculated) continue;
        if (n.kind == Kind::Op)
            full ? e->evaluateNode(order) : e->evaluateNode(order, var);
        else
            full ? e->calculate(order) : e->calculate(order, var);
    }
}

void EvaluationPlan::run(int order) {
    Expression::marksSet();
    // The nodes whose results deferred passes left in the tape have clear
    // marks: a full pass of at least their order computes every one of them
    // and writes every entry materialize() would, so the results are dropped.
    // The nodes free of the held variable among them (all nodes deferred)
    // are computed too once the hold is over, nothing being kept.
    if (deferredVar_ >= 0 && (holdVar_ < 0 || !deferredEveryNode_) && order >= deferredOrder_ && order <= 4) {
        deferredVar_ = -1;
        deferredEveryNode_ = false;
    }
    materialize();
    // With the free nodes kept, the schedule of the nodes that depend on the
    // held variable: the same batches without the nodes they would skip.
    const bool kept = markFreeNodesKept(std::min(order, 4));
    ++Expression::sNesting;
    if (order >= 0 && order <= 4) {
        const std::vector<Expression*>& list = kept ? heldFullNodes_ : fullNodes_;
        Expression* const* nodes = list.data();
        for (const FullRun& r : kept ? heldFullRuns_ : fullRuns_) r.fn[order](nodes + r.begin, r.count);
    } else {
        walkNodes(order, -1, true);
    }
    --Expression::sNesting;
    recordFreeLevel(std::min(order, 4));
}

void EvaluationPlan::run(int order, int var) {
    Tape* t = tapeUsable_ && order >= 1 && order <= 4 && var >= 0 && var < root_->nvar ? tapeOf(var) : nullptr;
    const bool usable = t != nullptr;
    if (usable && var == holdVar_ && (deferredVar_ < 0 || deferredVar_ == var)) {
        const bool later = t->deferrable && freeLevel_ >= -1 && order == holdTapeOrder_ && slotsVar_ == var;
        const bool first = !later && t->wholly && deferredVar_ < 0;
        if (later || first) {
            runDeferred(*t, order, var, first);
            recordFreeLevel(-1);
            return;
        }
    }
    Expression::marksSet();
    materialize();
    // A pass in the held variable needs only the values of the nodes free of
    // it; a pass in another variable needs their entries in that variable.
    markFreeNodesKept(var == holdVar_ ? -1 : std::min(order, 4));
    ++Expression::sNesting;
    if (usable) {
        runTape(*t, order, var);
        if (var == holdVar_) holdTapeOrder_ = order;
    } else {
        walkNodes(order, var, false);
    }
    --Expression::sNesting;
    recordFreeLevel(-1);
}

// ---- making the tapes: the stages
//
// For each variable: which nodes depend on it (their flags); which operators
// free of it hold exact zeros in its entries (zero analysis); and the
// schedule of the kernels, in batches (batchByKey).
struct EvaluationPlan::TapeMaker {
    EvaluationPlan& plan;
    std::size_t n;
    std::vector<VarKernel> own[4];  // per operator and order: its class's kernel, or null
    std::vector<VarKernel> fn[4];   // per node and order: the kernel the tape calls

    explicit TapeMaker(EvaluationPlan& p);
    bool kernelOf(std::size_t i) const { return plan.nodes_[i].kind == Kind::Op && own[0][i]; }
    std::vector<unsigned char> zeroSlots(const std::vector<unsigned char>& dep) const;
    unsigned char constantFactor(int i, const std::vector<unsigned char>& dep,
                                 const std::vector<unsigned char>& zero) const;
    void schedule(std::vector<int> order, const std::vector<unsigned char>& dep, Tape::Schedule& s) const;
    void emit(const std::vector<int>& order, const std::vector<int>& batch, const std::vector<unsigned char>& dep,
              const std::vector<VarKernel> (&kernel)[4], Tape::Schedule& s) const;
    std::unique_ptr<Tape> tape(int var) const;
    void linkDeferred(Tape& t) const;
};

EvaluationPlan::TapeMaker::TapeMaker(EvaluationPlan& p) : plan(p), n(p.nodes_.size()) {
    for (int k = 0; k < 4; ++k) {
        own[k].assign(n, nullptr);
        fn[k].resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const Kind kind = plan.nodes_[i].kind;
            if (kind == Kind::Op) own[k][i] = plan.nodes_[i].e->varKernel(k + 1);
            fn[k][i] = kind == Kind::Leaf    ? exprk::byOrder<LeafSlots>(k + 1)
                       : kind == Kind::Other ? exprk::byOrder<OtherSlots>(k + 1)
                       : own[k][i]          ? own[k][i]
                                            : exprk::byOrder<NodeSlots>(k + 1);
        }
    }
}

// Zero analysis: the operators free of the variable whose slots hold exact
// zeros in it: those that write their values alone, and sums (which add
// their terms' entries whatever the flags) of such operators.
std::vector<unsigned char> EvaluationPlan::TapeMaker::zeroSlots(const std::vector<unsigned char>& dep) const {
    std::vector<unsigned char> zero(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const Node& nd = plan.nodes_[i];
        if (nd.kind != Kind::Op || dep[i]) continue;
        bool z = true;
        if (nd.e->addsItsTerms())
            for (int c = nd.first; c < nd.first + nd.count; ++c) z = z && zero[plan.children_[c]];
        zero[i] = z;
    }
    return zero;
}

// 1 or 2 when the second or first child of a node of two that depends on the
// variable holds exact zeros in its entries and the node has a kernel for
// that (freeChildKernel), 0 otherwise.
unsigned char EvaluationPlan::TapeMaker::constantFactor(int i, const std::vector<unsigned char>& dep,
                                                        const std::vector<unsigned char>& zero) const {
    const Node& nd = plan.nodes_[i];
    if (!dep[i] || nd.kind != Kind::Op || nd.count != 2) return 0;
    const int u = plan.children_[nd.first], v = plan.children_[nd.first + 1];
    const unsigned char f = zero[v] ? 1 : zero[u] ? 2 : 0;
    return f && nd.e->freeChildKernel(f, 1) ? f : 0;
}

// Schedule: the nodes (positions, in the order of the plan) in batches of one
// kernel (batchByKey).  The other nodes stay where they are, between the
// nodes before and after them: they may compute shared nodes themselves, and
// which of the two computes such a node must not change.
void EvaluationPlan::TapeMaker::schedule(std::vector<int> order, const std::vector<unsigned char>& dep,
                                         Tape::Schedule& s) const {
    const std::vector<unsigned char> zero = zeroSlots(dep);
    std::vector<VarKernel> kernel[4];
    for (int k = 0; k < 4; ++k) kernel[k] = fn[k];
    std::vector<const void*> key(n, nullptr);
    for (int i : order) {
        if (const unsigned char f = constantFactor(i, dep, zero))
            for (int k = 0; k < 4; ++k) kernel[k][i] = plan.nodes_[i].e->freeChildKernel(f, k + 1);
        key[i] = reinterpret_cast<const void*>(kernel[0][i]);
    }
    std::vector<int> batch;
    plan.batchByKey(order, key, batch);
    emit(order, batch, dep, kernel, s);
}

// The schedule's items and runs, in the order batchByKey chose.
void EvaluationPlan::TapeMaker::emit(const std::vector<int>& order, const std::vector<int>& batch,
                                     const std::vector<unsigned char>& dep, const std::vector<VarKernel> (&kernel)[4],
                                     Tape::Schedule& s) const {
    const auto& nodes = plan.nodes_;
    const auto& childSlots = plan.childSlots_;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const int i = order[k];
        const Node& nd = nodes[i];
        s.items.push_back({nd.e, plan.slots_.data() + 5 * i, {0.0, 0.0, 0.0},
                           nd.count > 0 ? childSlots[nd.first] : nullptr,
                           nd.count > 1 ? childSlots[nd.first + 1] : nullptr, nd.first, dep[i] != 0});
        if (k == 0 || batch[k] != batch[k - 1])
            s.runs.push_back({{kernel[0][i], kernel[1][i], kernel[2][i], kernel[3][i]}, static_cast<int>(k), 0});
        ++s.runs.back().count;
    }
}

// The tape of one variable: the schedule of every node, and, when every node
// that depends on the variable is a leaf or an operator with a kernel (and
// the root is one of them), the deferred schedule of those nodes alone.
std::unique_ptr<EvaluationPlan::Tape> EvaluationPlan::TapeMaker::tape(int var) const {
    const auto& nodes = plan.nodes_;
    auto t = std::make_unique<Tape>();
    t->dep.resize(n);
    for (std::size_t i = 0; i < n; ++i) t->dep[i] = nodes[i].e->isDependent(var) ? 1 : 0;
    std::vector<int> everyNode(n), dependent;
    for (std::size_t i = 0; i < n; ++i) everyNode[i] = static_cast<int>(i);
    schedule(everyNode, t->dep, t->all);
    t->deferrable = t->dep.back() != 0;
    t->wholly = t->deferrable;
    for (std::size_t i = 0; i < n; ++i) {
        const bool computed = nodes[i].kind == Kind::Leaf || kernelOf(i);
        if (!computed) t->wholly = false;
        if (!t->dep[i]) continue;
        if (!computed) t->deferrable = false;
        dependent.push_back(static_cast<int>(i));
    }
    if (t->deferrable) {
        schedule(dependent, t->dep, t->dependent);
        linkDeferred(*t);
    }
    return t;
}

// The deferred schedule's items take their scalars from those of `all`; the
// operators' items whose results materialize() writes.
void EvaluationPlan::TapeMaker::linkDeferred(Tape& t) const {
    const auto& nodes = plan.nodes_;
    std::unordered_map<const Expression*, int> itemOf;
    for (std::size_t k = 0; k < t.all.items.size(); ++k) itemOf[t.all.items[k].e] = static_cast<int>(k);
    for (std::size_t k = 0; k < t.dependent.items.size(); ++k)
        t.scalarsFrom.push_back({static_cast<int>(k), itemOf.at(t.dependent.items[k].e)});
    std::unordered_map<const Expression*, Kind> kindOf;
    for (const Node& nd : nodes) kindOf[nd.e] = nd.kind;
    for (std::size_t k = 0; k < t.dependent.items.size(); ++k)
        if (kindOf.at(t.dependent.items[k].e) == Kind::Op) t.written.push_back(static_cast<int>(k));
    for (std::size_t i = 0; i < n; ++i)
        if (!t.dep[i] && nodes[i].kind == Kind::Op) t.freeWritten.push_back(itemOf.at(nodes[i].e));
    std::sort(t.freeWritten.begin(), t.freeWritten.end());
}

// What the tapes share: the slots, and whether every node is sized alike.
// The tape of a variable is made at the first pass in it (tapeOf): most
// graphs are searched in one variable only (the volume), and the tapes of
// the others are then never made.
void EvaluationPlan::makeTapes() {
    const std::size_t n = nodes_.size();
    const int nv = root_->nvar;
    slots_.assign(5 * n, 0.0);
    childSlots_.resize(children_.size());
    for (std::size_t c = 0; c < children_.size(); ++c) childSlots_[c] = slots_.data() + 5 * children_[c];
    tapeUsable_ = nv > 0;
    for (const Node& nd : nodes_) {
        const Expression* e = nd.e;
        if (e->nvar != nv || !e->d1 || (Expression::sDerivOrder >= 4 && !e->D4)) tapeUsable_ = false;
    }
    if (tapeUsable_) tapes_.resize(nv);
}

EvaluationPlan::Tape* EvaluationPlan::tapeOf(int var) {
    std::unique_ptr<Tape>& t = tapes_[var];
    if (!t) t = TapeMaker(*this).tape(var);
    return t.get();
}

void EvaluationPlan::runTape(Tape& t, int order, int var) {
    VarPass p{slots_.data(), order, var, exprk::diag2(var), exprk::diag3(var), exprk::diag4(var), true, false, false,
              childSlots_.data()};
    // The operators free of the variable write only their values: their
    // entries must be the zeros of a fresh slot.
    if (slotsVar_ != var) std::fill(slots_.begin(), slots_.end(), 0.0);
    slotsVar_ = var;
    VarItem* items = t.all.items.data();
    for (const Tape::Run& r : t.all.runs) r.fn[order - 1](p, items + r.begin, r.count);
}

// The nodes that depend on the variable, from their children's slots, into
// their own slots only; the nodes free of it keep their slots of the previous
// passes of the hold, the leaves are read (their owner writes them at every
// pass), and the root is written.  The first pass of the hold (whole)
// computes every node from fresh slots.
void EvaluationPlan::runDeferred(Tape& t, int order, int var, bool whole) {
    VarPass p{slots_.data(), order, var, exprk::diag2(var), exprk::diag3(var), exprk::diag4(var), false, false, false,
              childSlots_.data()};
    // The scalars of the nodes, fixed through the hold: taken by the first
    // pass of the hold as it computes every node, and copied from its items
    // into those of the later passes; or taken by the later passes
    // themselves when the first pass of the hold wrote the nodes.
    if (whole) {
        if (slotsVar_ != var) std::fill(slots_.begin(), slots_.end(), 0.0);
        slotsVar_ = var;
        VarPass fresh = p;
        fresh.fresh = true;
        VarItem* items = t.all.items.data();
        for (const Tape::Run& r : t.all.runs) r.fn[order - 1](fresh, items + r.begin, r.count);
        VarItem* later = t.dependent.items.data();
        for (const auto& [d, a] : t.scalarsFrom)
            for (int k = 0; k < 3; ++k) later[d].c[k] = items[a].c[k];
        holdTapeOrder_ = order;
    } else {
        VarItem* items = t.dependent.items.data();
        if (!holdScalarsTaken_) {
            VarPass snap = p;
            snap.snap = true;
            for (const Tape::Run& r : t.dependent.runs) r.fn[order - 1](snap, items + r.begin, r.count);
        }
        for (const Tape::Run& r : t.dependent.runs) r.fn[order - 1](p, items + r.begin, r.count);
    }
    holdScalarsTaken_ = true;
    const double* top = slots_.data() + 5 * (nodes_.size() - 1);  // the root
    root_->value = top[0];
    exprk::storePure(*root_, p, top);
    root_->calculated = true;
    if (root_->refcount > 0) Expression::marksSet();  // a node of other graphs too
    deferredEveryNode_ = deferredEveryNode_ || whole;
    deferredVar_ = var;
    deferredOrder_ = order;
}

// The results of the deferred passes into the nodes' storage: the values of
// the nodes they computed and their entries in the variable.  The marks stay
// as the deferred passes left them: the root's set (unless the graph has
// been initialised since), the others clear, so that the next pass from the
// root computes them all again.
namespace {
template <int K>
void writeSlots(const VarPass& p, const VarItem* items, const std::vector<int>& written) {
    for (int k : written) {
        const VarItem& it = items[k];
        it.e->value = it.out[0];
        if (it.dep) exprk::storePureK<K>(*it.e, p, it.out);
    }
}
}  // namespace

void EvaluationPlan::materialize() {
    if (deferredVar_ < 0) return;
    const int var = deferredVar_;
    const Tape& t = *tapes_[var];
    const int order = deferredOrder_;
    deferredVar_ = -1;
    const bool every = deferredEveryNode_;
    if (every && linkedFromOutside_) Expression::marksSet();  // nodes of other graphs written
    deferredEveryNode_ = false;
    const VarPass p{slots_.data(), order, var, exprk::diag2(var), exprk::diag3(var), exprk::diag4(var),
                    false, false, false, childSlots_.data()};
    // The operators that depend on the variable, and with every node those
    // free of it (their values), from the items of their own schedules.
    auto write = [&](const VarItem* items, const std::vector<int>& written) {
        switch (order) {
            case 1: writeSlots<1>(p, items, written); break;
            case 2: writeSlots<2>(p, items, written); break;
            case 3: writeSlots<3>(p, items, written); break;
            default: writeSlots<4>(p, items, written); break;
        }
    };
    write(t.dependent.items.data(), t.written);
    if (every) write(t.all.items.data(), t.freeWritten);
}

void EvaluationPlan::hold(int var) {
    materialize();
    holdScalarsTaken_ = false;
    holdVar_ = var;
    freeLevel_ = -2;
    holdTapeOrder_ = 0;
}

void EvaluationPlan::endHold(bool evaluatedNext) {
    // Deferred results left in the tape have nodes with clear marks: no
    // evaluation takes their storage as computed, and the next one from the
    // root writes them (materialize) or computes them anew.
    if (!evaluatedNext) materialize();
    holdVar_ = -1;
    freeLevel_ = -2;
}

void EvaluationPlan::gatherFree() {
    freeDirect_.clear();
    freeSelfWalking_.clear();
    heldDirect_.clear();
    heldSelfWalking_.clear();
    for (Expression* e : directlyCleared_) (e->isDependent(holdVar_) ? heldDirect_ : freeDirect_).push_back(e);
    for (Expression* e : selfWalking_) (e->isDependent(holdVar_) ? heldSelfWalking_ : freeSelfWalking_).push_back(e);
    freeVar_ = holdVar_;
    // The full schedule's batches, of the nodes that depend on the variable.
    heldFullNodes_.clear();
    heldFullRuns_.clear();
    for (const FullRun& r : fullRuns_) {
        FullRun h = r;
        h.begin = static_cast<int>(heldFullNodes_.size());
        for (int k = r.begin; k < r.begin + r.count; ++k)
            if (fullNodes_[k]->isDependent(holdVar_)) heldFullNodes_.push_back(fullNodes_[k]);
        h.count = static_cast<int>(heldFullNodes_.size()) - h.begin;
        if (h.count > 0) heldFullRuns_.push_back(h);
    }
}

bool EvaluationPlan::markFreeNodesKept(int need) {
    const bool left = freeMarksLeft_;
    freeMarksLeft_ = false;
    if (holdVar_ < 0 || freeLevel_ < need || freeLevel_ < -1) {
        // Marks that clearMarks left on the free nodes, which this pass
        // must compute: cleared now.
        if (!left) return false;
        clearNodeMarks(freeDirect_, freeSelfWalking_);
        return false;
    }
    if (freeVar_ != holdVar_) gatherFree();
    // Marks left by clearMarks stand, unless other graphs link nodes of this
    // one and may have cleared them.
    if (left && !linkedFromOutside_) return true;
    for (Expression* e : freeDirect_) e->calculated = true;
    for (Expression* e : freeSelfWalking_) e->calculated = true;
    return true;
}

void EvaluationPlan::recordFreeLevel(int provided) {
    if (holdVar_ < 0) return;
    freeLevel_ = Expression::sError ? -2 : std::max(freeLevel_, provided);
}

// ---- the node's side of its plan: a node owns the plan of the graph below it

void PlanDeleter::operator()(EvaluationPlan* p) const noexcept { delete p; }

bool Expression::makePlan() {
    if (plan_ && plan_->current()) return plan_->worthwhile();
    std::vector<Expression*> children;
    if (!planChildren(children)) return false;
    const int held = plan_ ? plan_->heldVariable() : -1;
    const bool marksLeft = plan_ && plan_->freeMarksLeft();
    plan_.reset(new EvaluationPlan(this));
    planWatch_ = plan_->watch().get();
    if (!watches_) watches_ = std::make_unique<Watches>();
    ++watches_->plansMade;
    // The old plan left marks on nodes its hold kept, for a pass that did not
    // come: the new plan's pass computes every node.
    if (marksLeft) plan_->clearMarks();
    if (held >= 0) plan_->hold(held);
    planWorth_ = plan_->worthwhile();
    return planWorth_;
}

void Expression::watchedBy(const std::shared_ptr<StructureWatch>& w) const {
    // Watches whose cache is gone or already stale are dropped on the way.
    if (!watches_) watches_ = std::make_unique<Watches>();
    std::erase_if(watches_->list,
                  [](const std::shared_ptr<StructureWatch>& o) { return o->changed || o.use_count() == 1; });
    watches_->list.push_back(w);
}

std::shared_ptr<StructureWatch> Expression::watchGraph() {
    if (makePlan() || (plan_ && plan_->current())) return plan_->watch();
    auto w = std::make_shared<StructureWatch>();  // a node without children to plan: itself
    watchedBy(w);
    return w;
}

bool Expression::runPlan(int order) {
    if (!makePlan()) return false;
    plan_->run(order);
    return true;
}

bool Expression::runPlan(int order, int var) {
    if (!makePlan()) return false;
    plan_->run(order, var);
    return true;
}

bool Expression::initializeByPlan() {
    if (!sCompiled || !plan_->current() || !plan_->worthwhile()) return false;
    if (calculated) plan_->clearMarks();
    return true;
}

bool Expression::variablesByPlan(double* x) {
    if (!sCompiled || !plan_->current() || !plan_->worthwhile()) return false;
    plan_->setVariables(x);
    return true;
}

void Expression::holdAllBut(int var) {
    if (sCompiled && var >= 0 && var < nvar && makePlan()) plan_->hold(var);
}

void Expression::endHold(bool evaluatedNext) {
    if (plan_) plan_->endHold(evaluatedNext);
}
