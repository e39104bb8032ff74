// Implicit functions: MonoFunc (one quantity) and VectFunc (several).
//
// Both take the derivatives of the implicit quantities from the total
// derivative of their equations, order by order.  With y the variables of an
// equation f and the index tuple I of the outer variables, the K-th total
// derivative is (Faa di Bruno) the sum over the set partitions of the
// positions of I, and over a variable of f chosen for each block, of the
// derivative of f at the chosen variables times the product of the blocks'
// inner derivatives (an implicit quantity's derivative over the block's
// indices, or 1 for a block of one index that picks that outer variable
// itself).  The terms whose partition is one block and whose choice is an
// implicit quantity hold the unknown derivatives; the rest is known from the
// lower orders.
#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>

#include "expressions/DerivativeKernels.h"
#include "expressions/Leaf.h"
#include "expressions/MonoFunc.h"
#include "expressions/VectFunc.h"
#include "numerics/LinearAlgebra.h"
#include "platform/LogSink.h"

namespace {

struct Partition {
    int nblocks = 0;
    unsigned block[4] = {0, 0, 0, 0};
};

struct Partitions {
    int count[5] = {0, 0, 0, 0, 0};
    Partition p[5][15];

    Partitions() {
        for (int K = 1; K <= 4; ++K) {
            // Restricted growth strings a[0] = 0, a[q] <= 1 + max(a[0..q-1]).
            int a[4] = {0, 0, 0, 0};
            for (;;) {
                Partition pt;
                for (int q = 0; q < K; ++q) {
                    pt.block[a[q]] |= 1u << q;
                    pt.nblocks = std::max(pt.nblocks, a[q] + 1);
                }
                p[K][count[K]++] = pt;
                int q = K - 1;
                for (; q > 0; --q) {
                    int mx = 0;
                    for (int s = 0; s < q; ++s) mx = std::max(mx, a[s]);
                    if (a[q] <= mx) {
                        ++a[q];
                        for (int s = q + 1; s < K; ++s) a[s] = 0;
                        break;
                    }
                }
                if (q == 0) break;
            }
        }
    }
};

const Partitions gPartitions;

void sortDown(int* a, int n) {
    for (int p = 1; p < n; ++p)
        for (int q = p; q > 0 && a[q] > a[q - 1]; --q) std::swap(a[q], a[q - 1]);
}

const double kNoEntry = 0.0;  // what entry() reads where a node stores no derivatives

// The address of the stored entry at idx[0..K-1] in any order (K >= 1), or
// kNoEntry where the node stores none.
const double* entryAddress(const Expression& e, const int* idx, int K) {
    int s[4] = {0, 0, 0, 0};
    std::copy(idx, idx + K, s);
    sortDown(s, K);
    const double* base = K == 1 ? e.d1 : K == 2 ? e.D2 : K == 3 ? e.D3 : e.D4;
    return base ? base + exprk::offsetOf(s, K) : &kNoEntry;
}

// The address setEntry writes, or null where the node stores none.
double* outAddress(Expression& e, const int* idx, int K) {
    const double* a = entryAddress(e, idx, K);
    return a == &kNoEntry ? nullptr : const_cast<double*>(a);
}

// The stored entry at the variables idx[0..K-1] in any order (K = 0: value).
double entry(const Expression& e, const int* idx, int K) { return K == 0 ? e.value : *entryAddress(e, idx, K); }

void setEntry(Expression& e, const int* idx, int K, double v) {
    if (double* o = outAddress(e, idx, K)) *o = v;
}

// Every sorted tuple (first index the largest) of K indices below N.
template <class F>
void forEachSorted(int N, int K, F&& f) {
    if (N <= 0 || K <= 0) return;
    int t[4] = {0, 0, 0, 0};
    for (;;) {
        f(static_cast<const int*>(t));
        int q = K - 1;
        for (; q >= 0; --q) {
            const int lim = q == 0 ? N - 1 : t[q - 1];
            if (t[q] < lim) {
                ++t[q];
                for (int s = q + 1; s < K; ++s) t[s] = 0;
                break;
            }
        }
        if (q < 0) return;
    }
}

// The indices of idx at the positions of a block.
int blockIndices(unsigned mask, const int* idx, int K, int* out) {
    int n = 0;
    for (int q = 0; q < K; ++q)
        if (mask & (1u << q)) out[n++] = idx[q];
    return n;
}

// Every term of the K-th derivative, at the sorted indices idx, of a function
// of inner functions (the chain rule of Faa di Bruno): for each partition of
// the K positions into blocks, every block takes one of radix(block size)
// choices; visit(nblocks, sub, sz, choice) gets the indices and sizes of the
// blocks and their choices, except for the terms skip(nblocks, choice) leaves
// out.  The terms come in one fixed order, so sums over them round alike.
template <class Radix, class Skip, class Visit>
void forEachChainTerm(const int* idx, int K, Radix radix, Skip skip, Visit visit) {
    for (int pi = 0; pi < gPartitions.count[K]; ++pi) {
        const Partition& pt = gPartitions.p[K][pi];
        int sub[4][4], sz[4], rad[4];
        for (int b = 0; b < pt.nblocks; ++b) {
            sz[b] = blockIndices(pt.block[b], idx, K, sub[b]);
            rad[b] = radix(sz[b]);
        }
        int choice[4] = {0, 0, 0, 0};
        for (;;) {
            if (!skip(pt.nblocks, static_cast<const int*>(choice))) visit(pt.nblocks, sub, sz, choice);
            int b = 0;
            while (b < pt.nblocks && ++choice[b] == rad[b]) choice[b++] = 0;
            if (b == pt.nblocks) break;
        }
    }
}

// The terms of F(u(x), x): a block of one index either goes through u (choice
// 0, a factor d^k u) or is the direct derivative in its variable (choice 1);
// the one term F_u times the derivative sought is left out.
int monoRadix(int size) { return size == 1 ? 2 : 1; }
bool monoSkip(int nblocks, const int* choice) { return nblocks == 1 && choice[0] == 0; }

// The terms of the equations f(u(v), v) of the implicit quantities u: a block
// goes through one of the nu quantities (choice j < nu, a factor d^k u_j) or,
// of one index, is the direct derivative in its variable (choice nu); the
// terms df/du_j times the derivatives sought are left out.
auto uvRadix(int nu) {
    return [nu](int size) { return nu + (size == 1 ? 1 : 0); };
}
auto uvSkip(int nu) {
    return [nu](int nblocks, const int* choice) { return nblocks == 1 && choice[0] < nu; };
}
// The terms of u(v(x)): every block goes through one of the nv trees v.
auto uxRadix(int nv) {
    return [nv](int) { return nv; };
}
bool noSkip(int, const int*) { return false; }

void debugLinkAt(double* x) {
    if (Expression::sVarbox && Expression::sVarcalc) (Expression::sVarbox->*Expression::sVarcalc)(x);
}

}  // namespace

// The terms of the total derivatives of implicit equations, listed once with
// the addresses of the entries they multiply, in the order in which the sums
// over partitions and choices visit them.  A row is one sum; rows[K] is the
// first row of order K.  Made again after any change of structure (links,
// sizes: the addresses) or of the nodes involved.
struct ImplicitTable {
    struct Term {
        const double* f;     // the equation's entry
        const double* w[4];  // the inner derivatives multiplied, in block order
        int nw;
    };
    std::shared_ptr<StructureWatch> watch;  // over the nodes of the key
    std::vector<const void*> key;
    std::vector<Term> terms;
    std::vector<int> first;  // per row, its first term; one more at the end
    std::vector<double*> out;
    int rows[6] = {0, 0, 0, 0, 0, 0};

    // The key: sizes and the nodes involved, compared in place (no allocation
    // at an evaluation).
    template <class... Lists>
    bool current(std::initializer_list<std::size_t> sizes, const Lists&... lists) const {
        if (!watch || watch->changed) return false;
        std::size_t k = 0;
        for (std::size_t n : sizes)
            if (k >= key.size() || key[k++] != reinterpret_cast<const void*>(n)) return false;
        bool same = true;
        auto compare = [&](const auto& list) {
            for (const auto* e : list) same = same && k < key.size() && key[k++] == e;
        };
        (compare(lists), ...);
        return same && k == key.size();
    }
    template <class... Lists>
    void start(std::initializer_list<std::size_t> sizes, const Lists&... lists) {
        watch = std::make_shared<StructureWatch>();
        key.clear();
        for (std::size_t n : sizes) key.push_back(reinterpret_cast<const void*>(n));
        auto add = [&](const auto& list) {
            for (const auto* e : list) {
                key.push_back(e);
                if (e) e->watchedBy(watch);
            }
        };
        (add(lists), ...);
        terms.clear();
        first.clear();
        out.clear();
    }
    void row(double* o) {
        first.push_back(static_cast<int>(terms.size()));
        out.push_back(o);
    }
    void finish() { first.push_back(static_cast<int>(terms.size())); }
    // The sum of a row: every factor multiplied (stop = false) or up to the
    // first zero product (stop = true), the term added when the product is
    // not zero.
    double sum(int r, bool stop) const {
        double R = 0.0;
        for (int k = first[r]; k < first[r + 1]; ++k) {
            const Term& t = terms[k];
            double w = 1.0;
            for (int b = 0; b < t.nw && (!stop || w != 0.0); ++b) w *= *t.w[b];
            if (w != 0.0) R += *t.f * w;
        }
        return R;
    }
};

// ---- XFunc0 ----

XFunc0::~XFunc0() = default;

void XFunc0::initialize_the_graph() {
    if (!calculated) return;
    calculated = false;
    if (owner && owner->evaluated && owner->F) owner->F->initialize_the_graph();
}

void XFunc0::set_variable_values(double* x) {
    if (owner) owner->set_variable_values(x);
}

// The owner evaluates its own equation graph, which compiles its plan even
// when this node is reached from inside another graph's evaluation.
void XFunc0::calculate(int order) {
    if (calculated || !owner) return;
    OwnerEvaluation evaluation;
    owner->calculate(order);
    calculated = true;
}

void XFunc0::calculate(int order, int var) {
    if (calculated || !owner) return;
    OwnerEvaluation evaluation;
    owner->calculate(order, var);
    calculated = true;
}

void XFunc0::printFormula(std::FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s (XFunc0)\n", displayName());
}

// ---- MonoFunc ----

MonoFunc::MonoFunc(int n) : nx(n > 0 ? n : 0), solver(std::make_unique<Secant>()), y(nx + 1, 0.0) {}
MonoFunc::~MonoFunc() = default;

void MonoFunc::calculate_u() {
    if (!solver || !solver->obj || !solver->fn) {
        platform::diagf("Monofunc: cannot find solution\n");
        return;
    }
    solver->solve();
    if (solver->status != 0) platform::diagf("Monofunc: cannot find solution\n");
}

void MonoFunc::calculate_the_leaves() {}

void MonoFunc::set_variable_values(double* x) {
    if (x) std::copy(x, x + nx, y.begin() + 1);
}

double MonoFunc::evaluateF(double u, int order) {
    if (!F) return 0.0;
    y[0] = u;
    F->initialize_the_graph();
    F->set_variable_values(y.data());
    calculate_the_leaves();
    F->calculate(order);
    return F->value;
}

bool MonoFunc::sizesAgree() {
    if (F && node && F->nvar == nx + 1 && node->nvar == nx && F->d1 && node->d1) return true;
    if (!sizeReported_)
        platform::diagf("Error : the implicit function has %d variables, its equation %d and its node %d; they must be "
                     "%d, %d and %d.\n",
                     nx, F ? F->nvar : 0, node ? node->nvar : 0, nx, nx + 1, nx);
    sizeReported_ = true;
    return false;
}

// Everything of the K-th total derivative of F(u(x), x) at the sorted indices
// idx but F_u times the unknown derivative of u.
double MonoFunc::residualTerms(const int* idx, int K) {
    double R = 0.0;
    forEachChainTerm(idx, K, monoRadix, monoSkip, [&](int nb, const auto& sub, const int* sz, const int* choice) {
        int vars[4];
        double w = 1.0;
        for (int b = 0; b < nb; ++b) {
            if (choice[b]) {
                vars[b] = sub[b][0] + 1;
            } else {
                vars[b] = 0;
                w *= entry(*node, sub[b], sz[b]);
            }
        }
        if (w != 0.0) R += entry(*F, vars, nb) * w;
    });
    return R;
}

void MonoFunc::calculate(int order) {
    evaluated = 1;
    calculate_u();
    if (order < 1 || !sizesAgree()) return;
    if (order > 4) order = 4;
    y[0] = node->value;
    F->initialize_the_graph();
    F->set_variable_values(y.data());
    calculate_the_leaves();
    F->calculate(order);
    const double r = 1.0 / F->d1[0];
    if (std::isnan(r)) {
        node->clean(order);
        return;
    }
    // The terms of residualTerms, every sorted tuple of every order, listed once.
    const std::array<const Expression*, 2> nodes{F, node};
    const std::size_t n = static_cast<std::size_t>(nx);
    if (!table_) table_ = std::make_unique<ImplicitTable>();
    ImplicitTable& t = *table_;
    if (!t.current({n}, nodes)) {
        t.start({n}, nodes);
        for (int K = 1; K <= 4; ++K) {
            t.rows[K] = static_cast<int>(t.out.size());
            forEachSorted(nx, K, [&](const int* idx) {
                t.row(outAddress(*node, idx, K));
                forEachChainTerm(idx, K, monoRadix, monoSkip,
                                 [&](int nb, const auto& sub, const int* sz, const int* choice) {
                                     int vars[4];
                                     ImplicitTable::Term term{nullptr, {nullptr, nullptr, nullptr, nullptr}, 0};
                                     for (int b = 0; b < nb; ++b) {
                                         if (choice[b]) {
                                             vars[b] = sub[b][0] + 1;
                                         } else {
                                             vars[b] = 0;
                                             term.w[term.nw++] = entryAddress(*node, sub[b], sz[b]);
                                         }
                                     }
                                     term.f = entryAddress(*F, vars, nb);
                                     t.terms.push_back(term);
                                 });
            });
        }
        t.rows[5] = static_cast<int>(t.out.size());
        t.finish();
    }
    for (int row = t.rows[1]; row < t.rows[order + 1]; ++row) {
        const double v = -t.sum(row, false) * r;
        if (t.out[row]) *t.out[row] = v;
    }
}

void MonoFunc::calculate(int order, int var) {
    evaluated = 1;
    calculate_u();
    if (order < 1 || !sizesAgree() || var < 0 || var >= nx) return;
    if (order > 4) order = 4;
    y[0] = node->value;
    F->initialize_the_graph();
    F->set_variable_values(y.data());
    calculate_the_leaves();
    F->calculate(order);
    const double r = 1.0 / F->d1[0];
    const int idx[4] = {var, var, var, var};
    if (std::isnan(r)) {
        for (int K = 2; K <= order; ++K) setEntry(*node, idx, K, 0.0);
        return;
    }
    for (int K = 1; K <= order; ++K) setEntry(*node, idx, K, -residualTerms(idx, K) * r);
}

void MonoFunc::check_f_derivatives(std::FILE* out, double* x, double* h) {
    if (!F || !x || !h) return;
    F->initialize_the_graph();
    F->set_variable_values(x);
    debugLinkAt(x);
    F->calculate(0);
    F->reset();
    F->printValues(out);
    F->reset();
    F->printFormulas(out);
    F->check_dependencies(out);
    F->check1(out, x, h);
    F->check2(out, x, h);
    F->check3(out, x, h);
    F->check4(out, x, h);
}

void MonoFunc::check_x_derivatives(std::FILE* out, double* x, double* h) {
    if (!node) {
        ownNode_.reset(new XFunc0);
        ownNode_->owner = this;
        ownNode_->number_of_variables(nx);
        node = ownNode_.get();
    }
    node->check1(out, x, h);
    node->check2(out, x, h);
    node->check3(out, x, h);
    node->check4(out, x, h);
}

// ---- XFunc, XFunc1 ----

XFunc::~XFunc() = default;
const char* XFunc::getType() const { return "XFunc"; }

void XFunc::initialize_the_graph() {
    if (!calculated) return;
    calculated = false;
    if (owner) owner->initialize_the_graph();
}

void XFunc::set_variable_values(double* x) {
    if (owner) owner->set_variable_values(x);
}

void XFunc::calculate(int order) {
    if (calculated || !owner) return;
    OwnerEvaluation evaluation;
    owner->calculate(order);
    calculated = true;
}

void XFunc::calculate(int order, int var) {
    if (calculated || !owner) return;
    OwnerEvaluation evaluation;
    owner->calculate(order, var);
    calculated = true;
}

void XFunc::printFormula(std::FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s (XFunc %d)\n", displayName(), index);
}

XFunc1::~XFunc1() = default;

void XFunc1::set_variable_values(double* v) {
    if (owner) owner->set_v_values(v);
}

// ---- VectFunc ----

VectFunc::VectFunc(int nu_, int nv_, int nx_)
    : nu(nu_ > 0 ? nu_ : 0), nv(nv_ > 0 ? nv_ : 0), nx(nx_ == -1 ? nv : (nx_ > 0 ? nx_ : 0)) {
    direct = nx_ == -1 ? 1 : 0;
    if (!direct) vNodes.assign(nv, nullptr);
    fNodes.assign(nu, nullptr);
    uvNodes.assign(nu, nullptr);
    uNodes.assign(nu, nullptr);
    newton = std::make_unique<Newton>();
    rhs.assign(nu, 0.0);
    sol.assign(nu, 0.0);
    jacStore_.assign(static_cast<std::size_t>(nu) * nu, 0.0);
    jac.resize(nu);
    for (int i = 0; i < nu; ++i) jac[i] = jacStore_.data() + static_cast<std::size_t>(i) * nu;
    y.assign(nu + nv, 0.0);
}

VectFunc::~VectFunc() = default;

void VectFunc::assign_v_values() {}
void VectFunc::calculate_the_leaves() {}

void VectFunc::tie_u_node(int i, XFunc& u) {
    if (i < 0 || i >= nu) {
        platform::diagf("Error : quantity %d is outside the %d implicit quantities.\n", i, nu);
        return;
    }
    uNodes[i] = &u;
    u.owner = this;
    u.index = i;
    if (direct) uvNodes[i] = &u;
}

void VectFunc::tie_v_node(int a, Expression& v) {
    if (direct || a < 0 || a >= nv) {
        platform::diagf("Error : intermediate quantity %d is outside the %d of the implicit function.\n", a,
                     direct ? 0 : nv);
        return;
    }
    vNodes[a] = &v;
}

void VectFunc::set_variable_values(double* x) {
    if (!x) return;
    if (direct) {
        std::copy(x, x + nv, y.begin() + nu);
        return;
    }
    for (Expression* v : vNodes)
        if (v) v->set_variable_values(x);
}

void VectFunc::set_v_values(double* v) {
    if (!v) return;
    std::copy(v, v + nv, y.begin() + nu);
    for (int a = 0; a < static_cast<int>(vNodes.size()); ++a)
        if (vNodes[a]) {
            vNodes[a]->value = v[a];
            vNodes[a]->calculated = true;
        }
}

void VectFunc::initialize_the_graph() {
    if (!evaluated) return;
    evaluated = 0;
    for (Expression* v : vNodes)
        if (v) v->initialize_the_graph();
    for (Expression* f : fNodes)
        if (f) f->initialize_the_graph();
}

void VectFunc::calculate_u(int order) {
    if (!direct) {
        for (int a = 0; a < nv; ++a)
            if (vNodes[a]) {
                vNodes[a]->calculate(order);
                y[nu + a] = vNodes[a]->value;
            }
        assign_v_values();
    }
    calculate_uv_values();
    calculate_ux_values();
}

void VectFunc::calculate_ux_values() {
    for (int i = 0; i < nu; ++i)
        if (uNodes[i] && uvNodes[i] && uNodes[i] != uvNodes[i]) uNodes[i]->value = uvNodes[i]->value;
}

void VectFunc::calculateJacobian(double* yy, double* G, double** J) {
    for (Expression* f : fNodes)
        if (f) f->set_variable_values(yy);
    for (Expression* f : fNodes)
        if (f) f->initialize_the_graph();
    for (Expression* f : fNodes)
        if (f) f->calculate(1);
    for (int i = 0; i < nu; ++i) {
        if (!fNodes[i]) continue;
        if (G) G[i] = fNodes[i]->value;
        if (J && fNodes[i]->d1)
            for (int j = 0; j < nu; ++j) J[i][j] = fNodes[i]->d1[j];
    }
}

// The f trees at the solution: u from the uvNodes, v as they are.
void VectFunc::evaluateAtSolution(int order) {
    for (int j = 0; j < nu; ++j) y[j] = uvNodes[j]->value;
    for (Expression* f : fNodes) {
        f->initialize_the_graph();
        f->set_variable_values(y.data());
    }
    calculate_the_leaves();
    for (Expression* f : fNodes) f->calculate(order);
}

void VectFunc::calculate_f_derivatives(int order) {
    if (sizesAgree()) evaluateAtSolution(order);
}

bool VectFunc::sizesAgree() {
    bool ok = true;
    for (Expression* f : fNodes)
        if (!f || f->nvar != nu + nv || !f->d1) ok = false;
    for (XFunc* u : uvNodes)
        if (!u || u->nvar != nv || !u->d1) ok = false;
    for (XFunc* u : uNodes)
        if (u && u->nvar != nx) ok = false;
    for (Expression* v : vNodes)
        if (!v || v->nvar != nx) ok = false;
    if (!ok && !sizeReported_)
        platform::diagf("Error : the implicit functions need %d equations of %d variables, %d nodes of %d variables "
                     "in the intermediate quantities and their %d trees of %d variables.\n",
                     nu, nu + nv, nu, nv, direct ? 0 : nv, nx);
    if (!ok) sizeReported_ = true;
    return ok;
}

// The derivative of every u_j with respect to the v at the sorted indices idx:
// one linear system in df/du.
void VectFunc::uvDerivative(const int* idx, int K) {
    for (int i = 0; i < nu; ++i) {
        const Expression& f = *fNodes[i];
        double R = 0.0;
        forEachChainTerm(idx, K, uvRadix(nu), uvSkip(nu), [&](int nb, const auto& sub, const int* sz, const int* choice) {
            int vars[4];
            double w = 1.0;
            for (int b = 0; b < nb && w != 0.0; ++b) {
                if (choice[b] == nu) {
                    vars[b] = nu + sub[b][0];
                } else {
                    vars[b] = choice[b];
                    w *= entry(*uvNodes[choice[b]], sub[b], sz[b]);
                }
            }
            if (w != 0.0) R += entry(f, vars, nb) * w;
        });
        rhs[i] = -R;
        for (int j = 0; j < nu; ++j) jac[i][j] = f.d1[j];
    }
    int status = 0;
    solve_the_linear_system(jac.data(), rhs.data(), sol.data(), nu, status);
    // (A singular system has no derivatives: NaN, not what was left there.)
    if (status) std::fill(sol.begin(), sol.end(), std::nan(""));
    for (int j = 0; j < nu; ++j) setEntry(*uvNodes[j], idx, K, sol[j]);
}

// The derivative of every u_i with respect to the x at the sorted indices idx
// by the chain rule through the v trees.
void VectFunc::uxDerivative(const int* idx, int K) {
    for (int i = 0; i < nu; ++i) {
        if (!uNodes[i] || uNodes[i] == uvNodes[i]) continue;
        double U = 0.0;
        forEachChainTerm(idx, K, uxRadix(nv), noSkip, [&](int nb, const auto& sub, const int* sz, const int* a) {
            double w = 1.0;
            for (int b = 0; b < nb && w != 0.0; ++b) w *= entry(*vNodes[a[b]], sub[b], sz[b]);
            if (w != 0.0) U += entry(*uvNodes[i], a, nb) * w;
        });
        setEntry(*uNodes[i], idx, K, U);
    }
}

void VectFunc::uxOrder(int K) { uxOrderCompiled(K); }

// uvDerivative over every sorted tuple of order K, from the listed terms:
// rows by tuple and equation; out, by tuple, the entries of the uvNodes.
void VectFunc::uvOrderCompiled(int K) {
    const std::size_t su = static_cast<std::size_t>(nu), sv = static_cast<std::size_t>(nv);
    if (!uvTable_) uvTable_ = std::make_unique<ImplicitTable>();
    ImplicitTable& t = *uvTable_;
    if (!t.current({su, sv}, fNodes, uvNodes)) {
        t.start({su, sv}, fNodes, uvNodes);
        for (int k = 1; k <= 4; ++k) {
            t.rows[k] = static_cast<int>(t.first.size());
            forEachSorted(nv, k, [&](const int* idx) {
                for (int i = 0; i < nu; ++i) {
                    const Expression& f = *fNodes[i];
                    t.row(outAddress(*uvNodes[i], idx, k));
                    forEachChainTerm(idx, k, uvRadix(nu), uvSkip(nu),
                                     [&](int nb, const auto& sub, const int* sz, const int* choice) {
                                         int vars[4];
                                         ImplicitTable::Term term{nullptr, {nullptr, nullptr, nullptr, nullptr}, 0};
                                         for (int b = 0; b < nb; ++b) {
                                             if (choice[b] == nu) {
                                                 vars[b] = nu + sub[b][0];
                                             } else {
                                                 vars[b] = choice[b];
                                                 term.w[term.nw++] = entryAddress(*uvNodes[choice[b]], sub[b], sz[b]);
                                             }
                                         }
                                         term.f = entryAddress(f, vars, nb);
                                         t.terms.push_back(term);
                                     });
                }
            });
        }
        t.rows[5] = static_cast<int>(t.first.size());
        t.finish();
    }
    for (int row = t.rows[K]; row < t.rows[K + 1]; row += nu) {
        for (int i = 0; i < nu; ++i) {
            rhs[i] = -t.sum(row + i, true);
            for (int j = 0; j < nu; ++j) jac[i][j] = fNodes[i]->d1[j];
        }
        int status = 0;
        solve_the_linear_system(jac.data(), rhs.data(), sol.data(), nu, status);
        if (status) std::fill(sol.begin(), sol.end(), std::nan(""));
        for (int j = 0; j < nu; ++j)
            if (t.out[row + j]) *t.out[row + j] = sol[j];
    }
}

// uxDerivative over every sorted tuple of order K, from the listed terms:
// rows by tuple and quantity (those with a node of their own).
void VectFunc::uxOrderCompiled(int K) {
    const std::size_t su = static_cast<std::size_t>(nu), sv = static_cast<std::size_t>(nv),
                      sx = static_cast<std::size_t>(nx);
    if (!uxTable_) uxTable_ = std::make_unique<ImplicitTable>();
    ImplicitTable& t = *uxTable_;
    if (!t.current({su, sv, sx}, vNodes, uvNodes, uNodes)) {
        t.start({su, sv, sx}, vNodes, uvNodes, uNodes);
        for (int k = 1; k <= 4; ++k) {
            t.rows[k] = static_cast<int>(t.first.size());
            forEachSorted(nx, k, [&](const int* idx) {
                for (int i = 0; i < nu; ++i) {
                    if (!uNodes[i] || uNodes[i] == uvNodes[i]) continue;
                    t.row(outAddress(*uNodes[i], idx, k));
                    forEachChainTerm(idx, k, uxRadix(nv), noSkip,
                                     [&](int nb, const auto& sub, const int* sz, const int* a) {
                                         ImplicitTable::Term term{nullptr, {nullptr, nullptr, nullptr, nullptr}, 0};
                                         for (int b = 0; b < nb; ++b)
                                             term.w[term.nw++] = entryAddress(*vNodes[a[b]], sub[b], sz[b]);
                                         term.f = entryAddress(*uvNodes[i], a, nb);
                                         t.terms.push_back(term);
                                     });
                }
            });
        }
        t.rows[5] = static_cast<int>(t.first.size());
        t.finish();
    }
    for (int row = t.rows[K]; row < t.rows[K + 1]; ++row) {
        const double U = t.sum(row, true);
        if (t.out[row]) *t.out[row] = U;
    }
}

void VectFunc::calculate_uv_derivatives(int a) {
    const int idx[1] = {a};
    uvDerivative(idx, 1);
}
void VectFunc::calculate_uv_derivatives(int a, int b) {
    const int idx[2] = {a, b};
    uvDerivative(idx, 2);
}
void VectFunc::calculate_uv_derivatives(int a, int b, int c) {
    const int idx[3] = {a, b, c};
    uvDerivative(idx, 3);
}
void VectFunc::calculate_uv_derivatives(int a, int b, int c, int d) {
    const int idx[4] = {a, b, c, d};
    uvDerivative(idx, 4);
}

void VectFunc::calculate_ux_derivatives1() { uxOrder(1); }
void VectFunc::calculate_ux_derivatives2() { uxOrder(2); }
void VectFunc::calculate_ux_derivatives3() { uxOrder(3); }
void VectFunc::calculate_ux_derivatives4() { uxOrder(4); }

void VectFunc::calculate_ux_derivatives1(int p) {
    const int idx[1] = {p};
    uxDerivative(idx, 1);
}
void VectFunc::calculate_ux_derivatives2(int p) {
    const int idx[2] = {p, p};
    uxDerivative(idx, 2);
}
void VectFunc::calculate_ux_derivatives3(int p) {
    const int idx[3] = {p, p, p};
    uxDerivative(idx, 3);
}
void VectFunc::calculate_ux_derivatives4(int p) {
    const int idx[4] = {p, p, p, p};
    uxDerivative(idx, 4);
}

double VectFunc::d3f(int i, int a, int b, int c) {
    const int idx[3] = {a, b, c};
    return entry(*fNodes[i], idx, 3);
}
double VectFunc::d4f(int i, int a, int b, int c, int d) {
    const int idx[4] = {a, b, c, d};
    return entry(*fNodes[i], idx, 4);
}

void VectFunc::calculate(int order) {
    evaluated = 1;
    calculate_u(order);
    calculate_ux_values();
    if (order >= 1 && sizesAgree()) {
        const int o = order > 4 ? 4 : order;
        evaluateAtSolution(o);
        for (int K = 1; K <= o; ++K) uvOrderCompiled(K);
        if (!direct) {
            for (int K = 1; K <= std::min(o, 3); ++K) uxOrder(K);
            if (o >= 4) calculate_ux_derivatives4();
        }
    }
    for (XFunc* u : uNodes)
        if (u) u->calculated = true;
}

void VectFunc::calculate(int order, int var) {
    evaluated = 1;
    calculate_u(order);
    calculate_ux_values();
    if (order >= 1 && sizesAgree()) {
        const int o = order > 4 ? 4 : order;
        evaluateAtSolution(o);
        for (int K = 1; K <= o; ++K) uvOrderCompiled(K);
        if (!direct && var >= 0 && var < nx) {
            calculate_ux_derivatives1(var);
            if (o >= 2) calculate_ux_derivatives2(var);
            if (o >= 3) calculate_ux_derivatives3(var);
            if (o >= 4) calculate_ux_derivatives4(var);
        }
    }
    for (XFunc* u : uNodes)
        if (u) u->calculated = true;
}

void VectFunc::check_f_derivatives(std::FILE* out, double* x, double* h) {
    for (Expression* f : fNodes)
        if (f) {
            f->check_pointers(out);
            f->checkDebugLink();
        }
    for (Expression* f : fNodes) {
        if (!f) continue;
        f->initialize_the_graph();
        f->set_variable_values(x);
        debugLinkAt(x);
        f->calculate(0);
        f->reset();
        f->printValues(out);
        f->reset();
        f->printFormulas(out);
        std::fprintf(out, "\n");
        f->check_dependencies(out);
        f->check1(out, x, h);
        f->check2(out, x, h);
        f->check3(out, x, h);
        f->check4(out, x, h);
    }
}

void VectFunc::check_x_derivatives(std::FILE* out, double* x, double* h) {
    for (int i = 0; i < nu; ++i)
        if (!uNodes[i]) {
            auto* u = new XFunc;
            u->owner = this;
            u->index = i;
            u->number_of_variables(nx);
            own_.emplace_back(u);
            uNodes[i] = u;
            if (direct) uvNodes[i] = u;
        }
    if (!direct)
        for (Expression*& v : vNodes)
            if (!v) {
                auto* leaf = new Leaf;
                leaf->number_of_variables(nx);
                own_.emplace_back(leaf);
                v = leaf;
            }
    for (int i = 0; i < nu; ++i) {
        std::fprintf(out, "Variable (%d) %s\n------------------------------------\n\n", i, uNodes[i]->displayName());
        uNodes[i]->check1(out, x, h);
        uNodes[i]->check2(out, x, h);
        uNodes[i]->check3(out, x, h);
        uNodes[i]->check4(out, x, h);
    }
}

void VectFunc::check_u_derivatives(std::FILE* out, double* x, double* h) {
    if (direct) check_x_derivatives(out, x, h);
    for (XFunc* u : uvNodes)
        if (u) u->owner = this;
    if (!direct)
        for (Expression*& v : vNodes)
            if (!v) {
                auto* leaf = new Leaf;
                leaf->number_of_variables(nx);
                own_.emplace_back(leaf);
                v = leaf;
            }
    for (int i = 0; i < nu; ++i) {
        if (!uvNodes[i]) continue;
        std::fprintf(out, "----------------------------------\n");
        std::fprintf(out, "Check u(%d) node (%s)\n", i, uvNodes[i]->hasName() ? uvNodes[i]->name.c_str() : "no name");
        std::fprintf(out, "----------------------------------\n\n");
        uvNodes[i]->check1(out, x, h);
        uvNodes[i]->check2(out, x, h);
        uvNodes[i]->check3(out, x, h);
        uvNodes[i]->check4(out, x, h);
    }
}
