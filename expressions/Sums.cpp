// Weighted sums: Sum1, Sum2 and Sum.
#include <algorithm>
#include "expressions/DerivativeKernels.h"
#include "expressions/ChildWalks.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "platform/LogSink.h"

namespace {
// The pure entry of order k (1..4) of variable v in a view.
inline double& pure(const DerivView& d, int k, int v) {
    switch (k) {
        case 1: return d.d1[v];
        case 2: return d.d2[exprk::diag2(v)];
        case 3: return d.d3[exprk::diag3(v)];
        default: return d.d4[exprk::diag4(v)];
    }
}

// Adds the entries 0..K of a term to the sums s, times its weight c unless
// every weight is 1 (UNIT: the term as it is, what 1 times it gives).
template <int K, bool UNIT>
[[gnu::always_inline]] inline void addWeighted(double* s, const double* e, double c) {
#pragma GCC unroll 5
    for (int k = 0; k <= K; ++k) s[k] += UNIT ? e[k] : c * e[k];
}

// The sums into a slot, the constant term w0 added to the value (the entries
// past the pass's order are the zeros they start from).
[[gnu::always_inline]] inline void storeSums(const double* s, double w0, double* out) {
    out[1] = s[1], out[2] = s[2], out[3] = s[3], out[4] = s[4];
    out[0] = s[0] + w0;
}

// ---- the nodes' parts of a compiled one-variable pass (VarKernel) ----

struct Sum1Slots {
    static void snap(VarItem& it) {
        const Sum1& n = static_cast<const Sum1&>(*it.e);
        it.c[0] = n.a, it.c[1] = n.b;
    }
    template <int K, bool ST>
    static void one(const VarPass& p, const VarItem& it) {
        Sum1& n = static_cast<Sum1&>(*it.e);
        const double* u = it.u;
        double* out = it.out;
        const bool dep = it.dep;
        const double a = ST ? n.a : it.c[0], b = ST ? n.b : it.c[1];
        if (dep)
            for (int k = 1; k <= K; ++k) out[k] = a * u[k];
        out[0] = a * u[0] + b;
        if constexpr (!ST) return;
        if (dep) exprk::storePureK<K>(n, p, out);
        n.value = out[0];
        n.calculated = true;
    }
};

struct Sum2Slots {
    static void snap(VarItem& it) {
        const Sum2& n = static_cast<const Sum2&>(*it.e);
        it.c[0] = n.a, it.c[1] = n.b, it.c[2] = n.c;
    }
    template <int K, bool ST>
    static void one(const VarPass& p, const VarItem& it) {
        Sum2& n = static_cast<Sum2&>(*it.e);
        const double* u = it.u;
        const double* v = it.v;
        double* out = it.out;
        const bool dep = it.dep;
        const double a = ST ? n.a : it.c[0], b = ST ? n.b : it.c[1], c = ST ? n.c : it.c[2];
        if (dep)
            for (int k = 1; k <= K; ++k) out[k] = a * u[k] + b * v[k];
        out[0] = a * u[0] + b * v[0] + c;
        if constexpr (!ST) return;
        if (dep) exprk::storePureK<K>(n, p, out);
        n.value = out[0];
        n.calculated = true;
    }
};

// The entries are written whatever the flags (a sum of zeros for a variable
// the sum does not depend on), after the arrays are cleared, as evaluateNode
// does; the value starts from the cleared 0.
// A pass that leaves the nodes' storage alone notes at the snapshot whether
// every weight is 1 (c[0]): the terms are then added as they are, which is
// what 1 times each gives.
struct SumSlots {
    static void snap(VarItem& it) {
        const Sum& n = static_cast<const Sum&>(*it.e);
        bool unit = true;
        for (int t = 0; t < n.nterms; ++t) unit = unit && n.scalars[t] == 1.0;
        it.c[0] = unit ? 1.0 : 0.0;
    }
    template <int K, bool ST>
    static void one(const VarPass& p, const VarItem& it) {
        Sum& n = static_cast<Sum&>(*it.e);
        const double* const* in = it.in(p);
        double* out = it.out;
        if constexpr (ST) n.clean(K);
        const double* w = n.scalars.data();
        const int m = n.nterms;
        double s[5] = {0.0, 0.0, 0.0, 0.0, 0.0};
        if (!ST && it.c[0] != 0.0) {
            for (int t = 0; t < m; ++t) addWeighted<K, true>(s, in[t], 1.0);
            storeSums(s, w[m], out);
            return;
        }
        for (int t = 0; t < m; ++t) addWeighted<K, false>(s, in[t], w[t]);
        storeSums(s, w[m], out);
        if constexpr (!ST) return;
        exprk::storePureK<K>(n, p, out);
        n.value = out[0];
        n.calculated = true;
    }
};

}  // namespace

namespace {
// Sum1 and Sum2 in a full pass of a plan whose nodes are sized alike, with M
// (1 or 2) flagged variables, to the order K (1 or 2): combineFew.
template <class Node, bool TWO, int M, int K>
void combineUniformBatch(Expression* const* nodes, int count) {
    for (int q = 0; q < count; ++q) {
        Node& n = *static_cast<Node*>(nodes[q]);
        if (n.calculated) continue;
        const Expression& U = *n.u;
        const Expression* Vp = nullptr;
        double b = 0.0;
        if constexpr (TWO) {
            Vp = n.v;
            b = n.b;
            n.value = n.a * U.value + b * Vp->value + n.c;
        } else {
            n.value = n.a * U.value + n.b;
        }
        exprk::combineFew<M, K, TWO>(n.activeList(), n.a, U, b, TWO ? *Vp : U, n);
        n.calculated = true;
    }
}

template <class Node, bool TWO>
FullKernel uniformCombine(Node& n, int order) {
    if (order < 1 || order > 2 || !n.u) return n.fullKernel(order);
    if (order == 2 && (!n.D2 || !n.u->D2)) return n.fullKernel(order);
    if constexpr (TWO) {
        if (!n.v || (order == 2 && !n.v->D2)) return n.fullKernel(order);
    }
    const int m = n.activeCount();
    if (m == 1) return order == 1 ? &combineUniformBatch<Node, TWO, 1, 1> : &combineUniformBatch<Node, TWO, 1, 2>;
    if (m == 2) return order == 1 ? &combineUniformBatch<Node, TWO, 2, 1> : &combineUniformBatch<Node, TWO, 2, 2>;
    return n.fullKernel(order);
}
}  // namespace

FullKernel Sum1::fullKernel(int order) const { return exprk::fullByOrder<Sum1>(order); }
FullKernel Sum1::uniformFullKernel(int order) { return uniformCombine<Sum1, false>(*this, order); }
FullKernel Sum2::uniformFullKernel(int order) { return uniformCombine<Sum2, true>(*this, order); }
VarKernel Sum1::varKernel(int order) const { return exprk::byOrder<Sum1Slots>(order); }
FullKernel Sum2::fullKernel(int order) const { return exprk::fullByOrder<Sum2>(order); }
VarKernel Sum2::varKernel(int order) const { return exprk::byOrder<Sum2Slots>(order); }
FullKernel Sum::fullKernel(int order) const { return exprk::fullByOrder<Sum>(order); }
VarKernel Sum::varKernel(int order) const { return exprk::byOrder<SumSlots>(order); }

// ---- Sum1 ----

Sum1::~Sum1() = default;

void Sum1::calculate(int order) {
    if (!u) return UnOp::calculate(order);  // reports the missing link
    if (calculated || planned(order)) return;
    if (!u->calculated) calculateChild(u, order);
    Sum1::evaluateNode(order);
}

void Sum1::evaluateNode(int order) {
    value = a * u->value + b;
    if (order >= 1 && d1 && u->nvar == nvar) {
        const int m = activeVariables();
        if (m > 2 || !exprk::combineSmall<false>(act_.data(), m, order, a, *u, 0.0, *u, *this))
            exprk::scaleSet(act_.data(), m, nvar, order, a, u->view(), view());
    }
    calculated = true;
}

void Sum1::calculate(int order, int var) {
    if (!u) return UnOp::calculate(order, var);  // reports the missing link
    if (calculated || planned(order, var)) return;
    if (!u->calculated) calculateChild(u, order, var);
    Sum1::evaluateNode(order, var);
}

void Sum1::evaluateNode(int order, int var) {
    if (order >= 1 && order <= 4 && d1 && u->nvar == nvar && var >= 0 && var < nvar && flags[var]) {
        const DerivView me = view(), c = u->view();
        for (int k = 1; k <= order; ++k) pure(me, k, var) = a * pure(c, k, var);
    }
    value = a * u->value + b;
    calculated = true;
}

void Sum1::set_scalars2(double a_, double b_) {
    a = a_;
    b = b_;
}

void Sum1::printFormula(std::FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s = ", displayName());
    if (a == -1)
        std::fprintf(f, "- ");
    else if (a != 1)
        std::fprintf(f, "%lg ", a == 0.0 ? 0.0 : a);
    std::fprintf(f, "%s ", childName());
    if (b == 1)
        std::fprintf(f, "+ 1.0");
    else if (b > 0)
        std::fprintf(f, "+ %lg", b);
    else if (b == -1)
        std::fprintf(f, "- 1.0");
    else if (b < 0)
        std::fprintf(f, "- %lg", -b);
    std::fprintf(f, "\n");
}

// ---- Sum2 ----

Sum2::~Sum2() = default;

void Sum2::calculate(int order) {
    BinOp::calculate(order);
    if (!u || !v || calculated || planned(order)) return;
    if (!u->calculated) calculateChild(u, order);
    if (!v->calculated) calculateChild(v, order);
    Sum2::evaluateNode(order);
}

void Sum2::evaluateNode(int order) {
    value = a * u->value + b * v->value + c;
    if (order >= 1 && d1 && u->nvar == nvar && v->nvar == nvar) {
        const int m = activeVariables();
        if (!exprk::combineSmall<true>(act_.data(), m, order, a, *u, b, *v, *this))
            exprk::combineSet(act_.data(), m, nvar, order, a, u->view(), b, v->view(), view());
    }
    calculated = true;
}

void Sum2::calculate(int order, int var) {
    BinOp::calculate(order, var);
    if (!u || !v || calculated || planned(order, var)) return;
    if (!u->calculated) calculateChild(u, order, var);
    if (!v->calculated) calculateChild(v, order, var);
    Sum2::evaluateNode(order, var);
}

void Sum2::evaluateNode(int order, int var) {
    if (order >= 1 && order <= 4 && d1 && u->nvar == nvar && v->nvar == nvar && var >= 0 && var < nvar &&
        flags[var]) {
        const DerivView me = view(), cu = u->view(), cv = v->view();
        for (int k = 1; k <= order; ++k) pure(me, k, var) = a * pure(cu, k, var) + b * pure(cv, k, var);
    }
    value = a * u->value + b * v->value + c;
    calculated = true;
}

void Sum2::set_scalars3(double a_, double b_, double c_) {
    a = a_;
    b = b_;
    c = c_;
}

void Sum2::printFormula(std::FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s = ", displayName());
    if (a == -1)
        std::fprintf(f, "- ");
    else if (a != 1)
        std::fprintf(f, "%lg * ", a);
    std::fprintf(f, b >= 0 ? "%s + " : "%s - ", uName());
    if (b != 1 && b != -1) std::fprintf(f, "%lg * ", b > 0 ? b : b < 0 ? -b : 0.0);
    std::fprintf(f, "%s ", vName());
    if (c > 0)
        std::fprintf(f, "+ %lg", c);
    else if (c < 0)
        std::fprintf(f, "- %lg", -c);
    std::fprintf(f, "\n");
}

// ---- Sum ----

Sum::~Sum() { releaseTerms(); }

void Sum::releaseTerms() {
    for (Expression*& t : terms) {
        Expression* e = t;
        t = nullptr;
        unlink(e);
    }
}

void Sum::number_of_terms(int n) {
    releaseTerms();
    nterms = n > 0 ? n : 0;
    terms.assign(nterms, nullptr);
    scalars.assign(nterms + 1, 0.0);
    structureChanged();
}

void Sum::tiei(int i, Expression& e) { tieip(i, &e); }

void Sum::tieip(int i, Expression* e) {
    if (i < 0 || i >= nterms) {
        platform::diagf("Error : term %d is outside the %d terms of %s.\n", i, nterms, displayName());
        return;
    }
    relink(terms[i], e);
    structureChanged();
}

void Sum::tieTerms(std::span<Expression* const> t) {
    if (static_cast<int>(t.size()) != nterms) {
        platform::diagf("Error : \"tie (Expression *, ... )\" takes %d terms for %s, not %d.\n", nterms,
                     displayName(), static_cast<int>(t.size()));
        return;
    }
    // Count all new links before releasing the old terms.
    for (Expression* e : t) link(e);
    std::vector<Expression*> old(terms);
    for (int i = 0; i < nterms; ++i) terms[i] = t[i];
    for (Expression* e : old) unlink(e);
    structureChanged();
}

void Sum::setScalarsList(std::span<const double> c) {
    if (static_cast<int>(c.size()) != nterms + 1) {
        platform::diagf("Error : \"set_scalars_ (double, ...)\" takes %d values for %s, not %d.\n",
                     nterms + 1, displayName(), static_cast<int>(c.size()));
        return;
    }
    for (int i = 0; i <= nterms; ++i) scalars[i] = c[i];
}

void Sum::set_scalar(int i, double c) {
    if (i < 0 || i > nterms) {
        platform::diagf("Error : scalar %d is outside the %d scalars of %s.\n", i, nterms + 1,
                     displayName());
        return;
    }
    scalars[i] = c;
}

void Sum::set_scalarsx(const double* c) {
    if (!c) return;
    for (int i = 0; i <= nterms; ++i) scalars[i] = c[i];
}

bool Sum::allLinked() {
    bool ok = true;
    for (Expression* t : terms)
        if (!t) {
            platform::diagf("Error : \"%s\" is not linked to another expression.\n", displayName());
            ok = false;
        }
    return ok;
}

void Sum::number_of_variables(int n) {
    if (n == nvar) return;
    Operator::number_of_variables(n);
    sizeChildren(*this, terms);
}

void Sum::initialize_the_graph() {
    if (plannedInitialize()) return;
    clearPassMarks(*this, terms);
}

void Sum::reset() {
    calculated = false;
    for (Expression* t : terms)
        if (t) t->reset();
}

void Sum::set_variable_values(double* x) { passVariablesTo(terms, x); }

void Sum::analyze_dependencies() { analyzeDependenciesOf(terms); }

int Sum::hasLeaves() { return anyHasLeaves(terms); }

void Sum::check_pointers(std::FILE* f) { checkTermPointers(f, terms); }

Expression* Sum::findByName(const char* s) { return findByNameIn(s, terms); }

bool Sum::planChildren(std::vector<Expression*>& children) { return planTerms(terms, children); }

// A plan is made only over linked terms, so the link check of a planned pass
// has been made once and for all.
void Sum::calculate(int order) {
    if (calculated) return;
    if (order > 4) order = 4;
    if (planned(order) || !allLinked()) return;
    for (Expression* e : terms)
        if (!e->calculated) calculateChild(e, order);
    Sum::evaluateNode(order);
}

namespace {
// The weighted sum of every stored entry of the terms, term by term in term
// order into sums that start from the cleared 0 (the arithmetic of
// exprk::accumulate), kept in registers for C entries known at compile time.
// UNIT: every weight is 1, and 1 times an entry is the entry.  The weighted
// sum of the values (from the cleared 0, with the same operations) is
// returned, summed in the same pass.
template <int C, bool UNIT>
double sumEntries(Expression* const* terms, const double* w, int nterms, int nvar, double* out) {
    double acc[C] = {};
    double value = 0.0;
    for (int t = 0; t < nterms; ++t) {
        const Expression* e = terms[t];
        const double c = w[t];
        value += c * e->value;
        if (e->nvar != nvar) continue;
        const double* s = e->d1;
#pragma GCC unroll 16
        for (int k = 0; k < C; ++k) acc[k] += UNIT ? s[k] : c * s[k];
    }
#pragma GCC unroll 16
    for (int k = 0; k < C; ++k) out[k] = acc[k];
    return value;
}
using SumKernel = double (*)(Expression* const*, const double*, int, int, double*);

// The kernel of `cnt` entries from d1 on (3, 6 or 9: the entries of T, V and
// x of a pure fluid to the first and second orders), null for the others.
SumKernel sumKernel(int cnt, bool unit) {
    switch (cnt * 2 + (unit ? 1 : 0)) {
        case 6: return &sumEntries<3, false>;
        case 7: return &sumEntries<3, true>;
        case 12: return &sumEntries<6, false>;
        case 13: return &sumEntries<6, true>;
        case 18: return &sumEntries<9, false>;
        case 19: return &sumEntries<9, true>;
        default: return nullptr;
    }
}
}  // namespace

// The entries summed for T, V and x (nvar 3) at the first two orders: all
// nine, or, when x is not flagged (a pure fluid's terms, whose x entries are
// exact zeros that stay as clean() left them), the first six, which hold
// those of T and V (d1 T, V, x; D2 TT, VT, VV).
int Sum::summedEntries(std::size_t stored) {
    if (stored != 9) return static_cast<int>(stored);
    return nvar == 3 && activeVariables() == 2 && act_[0] == 0 && act_[1] == 1 ? 6 : 9;
}

void Sum::evaluateNode(int order) {
    if (order > 4) order = 4;
    clean(order);
    const bool derivs = order >= 1 && d1;
    // Every weight 1: settled by the first weight in most sums, and else by a
    // test without branches, which the compiler vectorises.
    const double* w = scalars.data();
    bool unit = nterms == 0 || w[0] == 1.0;
    if (unit)
        for (int t = 1; t < nterms; ++t) unit &= w[t] == 1.0;
    const SumKernel kernel =
        derivs ? sumKernel(summedEntries(storedEntries(nvar, std::min(order, std::clamp(sDerivOrder, 0, 4)))), unit)
               : nullptr;
    if (kernel) {
        value = kernel(terms.data(), scalars.data(), nterms, nvar, d1) + scalars[nterms];
        calculated = true;
        return;
    }
    for (int t = 0; t < nterms; ++t) value += scalars[t] * terms[t]->value;
    value += scalars[nterms];
    if (derivs) {
        const int m = activeVariables();
        const DerivView me = view();
        for (int t = 0; t < nterms; ++t) {
            Expression* e = terms[t];
            if (e->nvar == nvar) exprk::accumulate(act_.data(), m, nvar, order, scalars[t], e->view(), me);
        }
    }
    calculated = true;
}

// The value and the pure entries are summed in locals, term by term in the
// same order as into the cleared entries, so the sums are the same to the bit.
void Sum::calculate(int order, int var) {
    if (calculated || planned(order, var) || !allLinked()) return;
    for (Expression* e : terms)
        if (!e->calculated) calculateChild(e, order, var);
    Sum::evaluateNode(order, var);
}

void Sum::evaluateNode(int order, int var) {
    clean(order);
    const bool derivs = order >= 1 && order <= 4 && d1 && var >= 0 && var < nvar;
    Expression* const* term = terms.data();
    const double* w = scalars.data();
    double s = value;
    if (!derivs) {
        for (int t = 0; t < nterms; ++t) s += w[t] * term[t]->value;
    } else {
        const int o2 = exprk::diag2(var), o3 = exprk::diag3(var), o4 = exprk::diag4(var);
        double p1 = 0.0, p2 = 0.0, p3 = 0.0, p4 = 0.0;
        for (int t = 0; t < nterms; ++t) {
            Expression* e = term[t];
            const double c = w[t];
            s += c * e->value;
            if (e->nvar != nvar) continue;
            p1 += c * e->d1[var];
            if (order < 2) continue;
            p2 += c * e->D2[o2];
            if (order < 3) continue;
            p3 += c * e->D3[o3];
            if (order < 4) continue;
            p4 += c * e->D4[o4];
        }
        d1[var] = p1;
        if (order >= 2) D2[o2] = p2;
        if (order >= 3) D3[o3] = p3;
        if (order >= 4) D4[o4] = p4;
    }
    value = s + w[nterms];
    calculated = true;
}

void Sum::printFormula(std::FILE* f) {
    printMargin(f);
    auto termName = [&](int t) { return terms[t] ? terms[t]->displayName() : "noname"; };
    if (nterms == 0) {
        std::fprintf(f, "%s = %lg\n", displayName(), scalars.empty() ? 0.0 : scalars[0]);
        return;
    }
    // A zero weight prints as "+ 0 *" (never "- -0 *").
    const double s0 = scalars[0] == 0.0 ? 0.0 : scalars[0];
    if (s0 == 1)
        std::fprintf(f, "%s = %s", displayName(), termName(0));
    else if (s0 == -1)
        std::fprintf(f, "%s = - %s", displayName(), termName(0));
    else
        std::fprintf(f, "%s = %lg * %s", displayName(), s0, termName(0));
    for (int t = 1; t < nterms; ++t) {
        const double s = scalars[t] == 0.0 ? 0.0 : scalars[t];
        if (s == 1)
            std::fprintf(f, " + %s", termName(t));
        else if (s >= 0)
            std::fprintf(f, " + %lg * %s", s, termName(t));
        else if (s == -1)
            std::fprintf(f, " - %s", termName(t));
        else
            std::fprintf(f, " - %lg * %s", -s, termName(t));
    }
    const double k = scalars[nterms];
    if (k < 0)
        std::fprintf(f, " - %lg", -k);
    else if (k > 0)
        std::fprintf(f, " + %lg", k);
    std::fprintf(f, "\n");
}

void Sum::printFormulas(std::FILE* f) { printWalk(*this, f, PrintedLine::Formula, terms); }

void Sum::printValues(std::FILE* f) { printWalk(*this, f, PrintedLine::Value, terms); }
