// Geom (power mean of its terms) and Selector (piecewise node).
#include <cmath>

#include "expressions/DerivativeKernels.h"
#include "expressions/ChildWalks.h"
#include "expressions/Geom.h"
#include "expressions/Powo.h"
#include "expressions/Selector.h"
#include "platform/LogSink.h"

namespace {

// powo(t, p) and its first four derivatives in t: p powe(t, p-1),
// p(p-1) powo(t, p-2), ...  Each lower power is the one before divided by t,
// which carries the sign from the odd to the even extension and back.
void powoFactors(double t, double p, double& h0, double& h1, double& h2, double& h3, double& h4) {
    h0 = powo(t, p);
    if (t != 0.0) {
        const double r = 1.0 / t;
        h1 = p * h0 * r;
        h2 = (p - 1.0) * h1 * r;
        h3 = (p - 2.0) * h2 * r;
        h4 = (p - 3.0) * h3 * r;
    } else {
        h1 = p * powe(t, p - 1.0);
        h2 = p * (p - 1.0) * powo(t, p - 2.0);
        h3 = p * (p - 1.0) * (p - 2.0) * powe(t, p - 3.0);
        h4 = p * (p - 1.0) * (p - 2.0) * (p - 3.0) * powo(t, p - 4.0);
    }
}

inline int d2i(int v) { return exprk::diag2(v); }
inline int d3i(int v) { return exprk::diag3(v); }
inline int d4i(int v) { return exprk::diag4(v); }

}  // namespace

// ---- Geom ----

Geom::Geom() = default;
Geom::~Geom() = default;
const char* Geom::getType() const { return "Geom"; }

void Geom::number_of_terms(int count) {
    nterms = count > 0 ? count : 0;
    terms.assign(nterms, nullptr);
    structureChanged();
}

void Geom::tiei(int i, Expression& e) { tieip(i, &e); }

void Geom::tieip(int i, Expression* e) {
    if (i < 0 || i >= nterms) {
        platform::diagf("Error : term %d is outside the %d terms of %s.\n", i, nterms, displayName());
        return;
    }
    terms[i] = e;
    structureChanged();
}

void Geom::tieTerms(std::span<Expression* const> t) {
    if (static_cast<int>(t.size()) != nterms) {
        platform::diagf("Error : \"tie (Expression *, ... )\" takes %d terms for %s, not %d.\n", nterms,
                     displayName(), static_cast<int>(t.size()));
        return;
    }
    for (int i = 0; i < nterms; ++i) terms[i] = t[i];
    structureChanged();
}

void Geom::set_scalars3(double a_, double p_, double c_) {
    a = a_;
    p = p_;
    c = c_;
}

void Geom::number_of_variables(int n) {
    if (n == nvar) return;
    Operator::number_of_variables(n);
    for (Expression* t : terms)
        if (t) t->number_of_variables(nvar);
    const std::size_t total = storedEntries(nvar, 4);
    block_.reset(total ? new double[2 * total]() : nullptr);
    S1234 = DerivView{};
    scratch_ = DerivView{};
    if (total) {
        const std::size_t N = static_cast<std::size_t>(nvar);
        auto lay = [&](double* base, DerivView& v) {
            v.d1 = base;
            v.d2 = v.d1 + N;
            v.d3 = v.d2 + N * (N + 1) / 2;
            v.d4 = v.d3 + N * (N + 1) * (N + 2) / 6;
        };
        lay(block_.get(), S1234);
        lay(block_.get() + total, scratch_);
    }
}

void Geom::initialize_the_graph() {
    if (plannedInitialize()) return;
    clearPassMarks(*this, terms);
}

void Geom::reset() { calculated = false; }

void Geom::set_variable_values(double* x) { passVariablesTo(terms, x); }

void Geom::analyze_dependencies() { analyzeDependenciesOf(terms); }

int Geom::hasLeaves() { return anyHasLeaves(terms); }

void Geom::check_pointers(std::FILE* f) { checkTermPointers(f, terms); }

Expression* Geom::findByName(const char* s) { return findByNameIn(s, terms); }

bool Geom::allTied() {
    for (Expression* t : terms)
        if (!t) {
            platform::diagf("Error : \"%s\" is not linked to another expression.\n", displayName());
            return false;
        }
    return true;
}

// The inner sum is taken through the odd root powo(S, 1/p) on every path, so
// that a negative sum gives the same value whatever order is asked.
bool Geom::planChildren(std::vector<Expression*>& children) { return planTerms(terms, children); }

void Geom::calculate(int order) {
    if (calculated || !allTied()) return;
    if (order > 4) order = 4;
    if (planned(order)) return;
    for (Expression* t : terms)
        if (!t->calculated) calculateChild(t, order);
    Geom::evaluateNode(order);
}

void Geom::evaluateNode(int order) {
    if (order > 4) order = 4;
    clean(order);
    const double q = 1.0 / p;
    const double dn = static_cast<double>(nterms);
    double S = 0.0;
    if (order <= 0 || !d1 || !S1234.d1) {
        for (Expression* t : terms) S += powo(t->value, p);
        value = a * powo(S / dn, q) + c;
        calculated = true;
        return;
    }
    const int m = activeVariables();
    const std::size_t cnt = storedEntries(nvar, order);
    std::fill(S1234.d1, S1234.d1 + cnt, 0.0);
    // A term tied in consecutive slots (a weighted mean) is differentiated once.
    Expression* last = nullptr;
    double h0 = 0.0;
    for (Expression* t : terms) {
        if (t != last) {
            double h1, h2, h3, h4;
            powoFactors(t->value, p, h0, h1, h2, h3, h4);
            if (t->nvar == nvar) exprk::chainRule(act_.data(), m, order, t->view(), scratch_, h1, h2, h3, h4);
            last = t;
        }
        S += h0;
        if (t->nvar == nvar) exprk::accumulate(act_.data(), m, nvar, order, 1.0, scratch_, S1234);
    }
    const double A = a / std::pow(dn, q);
    double F0, F1, F2, F3, F4;
    powoFactors(S, q, F0, F1, F2, F3, F4);
    value = A * F0 + c;
    exprk::chainRule(act_.data(), m, order, S1234, view(), A * F1, A * F2, A * F3, A * F4);
    calculated = true;
}

void Geom::calculate(int order, int var) {
    if (calculated || !allTied()) return;
    if (order > 4) order = 4;
    if (planned(order, var)) return;
    for (Expression* t : terms)
        if (!t->calculated) calculateChild(t, order, var);
    Geom::evaluateNode(order, var);
}

void Geom::evaluateNode(int order, int var) {
    if (order > 4) order = 4;
    clean(order);
    const double q = 1.0 / p;
    const double dn = static_cast<double>(nterms);
    if (order < 1 || !d1 || var < 0 || var >= nvar || !flags[var]) {
        double S = 0.0;
        for (Expression* t : terms) S += powo(t->value, p);
        value = a * powo(S / dn, q) + c;
        calculated = true;
        return;
    }
    // The chain rule of each term's power and of the mean's root: the
    // derivative kit's Faa di Bruno formula (numerics/Jet.h), to the fourth
    // order throughout (the entries above the order are zeros).
    double S = 0.0, s[5] = {};
    for (Expression* t : terms) {
        double h[5];
        powoFactors(t->value, p, h[0], h[1], h[2], h[3], h[4]);
        S += h[0];
        if (t->nvar != nvar || !t->d1) continue;
        const double tv[5] = {t->value, t->d1[var], order >= 2 ? t->D2[d2i(var)] : 0.0,
                              order >= 3 ? t->D3[d3i(var)] : 0.0, order >= 4 ? t->D4[d4i(var)] : 0.0};
        double ht[5];
        univariate::composeEntries<4>(h, tv, ht);
        for (int k = 1; k <= 4; ++k) s[k] += ht[k];
    }
    const double A = a / std::pow(dn, q);
    double F[5];
    powoFactors(S, q, F[0], F[1], F[2], F[3], F[4]);
    for (int k = 1; k <= 4; ++k) F[k] *= A;
    value = A * F[0] + c;
    double out[5];
    univariate::composeEntries<4>(F, s, out);
    d1[var] = out[1];
    if (order >= 2) D2[d2i(var)] = out[2];
    if (order >= 3) D3[d3i(var)] = out[3];
    if (order >= 4) D4[d4i(var)] = out[4];
    calculated = true;
}

void Geom::printFormula(std::FILE* f) {
    printMargin(f);
    for (int i = 0; i < nterms; ++i) {
        printMargin(f);
        if (terms[i])
            std::fprintf(f, "Child %d %s\n", i, terms[i]->displayName());
        else
            std::fprintf(f, "Child %d : NULL\n", i);
    }
}

void Geom::printFormulas(std::FILE* f) { printWalk(*this, f, PrintedLine::Formula, terms); }

void Geom::printValues(std::FILE* f) { Expression::printValues(f); }

// ---- Selector ----

Selector::~Selector() = default;
const char* Selector::getType() const { return "Selector"; }

void Selector::tie3(Expression& x_, Expression& u_, Expression& v_) {
    x = &x_;
    u = &u_;
    v = &v_;
    structureChanged();
}

void Selector::number_of_variables(int n) {
    if (n == nvar) return;
    Operator::number_of_variables(n);
    sizeChildren(*this, {x, u, v});
}

void Selector::initialize_the_graph() { clearPassMarks(*this, {x, u, v}); }

void Selector::reset() {
    calculated = false;
    for (Expression* e : {x, u, v})
        if (e) e->reset();
}

void Selector::set_variable_values(double* vars) {
    VariablePass pass;
    if (!takeVariablePass()) return;
    for (Expression* e : {x, u, v})
        if (e && !e->variablesTaken()) e->set_variable_values(vars);
}

void Selector::analyze_dependencies() {
    if (analysed) return;
    for (Expression* e : {x, u, v})
        if (e) e->analyze_dependencies();
    for (std::size_t i = 0; i < flags.size(); ++i) {
        const int iv = static_cast<int>(i);
        flags[i] = ((u && u->isDependent(iv)) || (v && v->isDependent(iv))) ? 1 : 0;
    }
    analysed = true;
    structureChanged();
}

int Selector::hasLeaves() {
    for (Expression* e : {x, u, v})
        if (e && e->hasLeaves()) return 1;
    return 0;
}

void Selector::check_pointers(std::FILE* f) {
    const char* which[3] = {"x", "u", "v"};
    Expression* kids[3] = {x, u, v};
    for (int k = 0; k < 3; ++k) {
        if (kids[k])
            kids[k]->check_pointers(f);
        else
            std::fprintf(f, "Error : \"%s\" (%s) is not linked to another expression.\n", displayName(), which[k]);
    }
}

Expression* Selector::findByName(const char* s) {
    if (Expression* e = Expression::findByName(s)) return e;
    if (u)
        if (Expression* e = u->findByName(s)) return e;
    if (v)
        if (Expression* e = v->findByName(s)) return e;
    return nullptr;
}

bool Selector::linked(bool report) {
    if (x && u && v) return true;
    if (report) platform::diagf("Error : \"%s\" is is not linked to another expression.\n", displayName());
    return false;
}

void Selector::calculate(int order) {
    if (calculated) return;
    if (!linked(true)) return;
    if (!x->calculated) calculateChild(x, order);
    Expression* src = x->value < 0.0 ? u : v;
    if (!src->calculated) calculateChild(src, order);
    if (src->nvar == nvar)
        copy(src, order > 4 ? 4 : order);
    else
        value = src->value;
    calculated = true;
}

void Selector::calculate(int order, int var) {
    if (calculated) return;
    if (!linked(true)) return;
    calculateChild(x, order, var);
    Expression* src = x->value < 0.0 ? u : v;
    calculateChild(src, order, var);
    if (src->nvar == nvar)
        copy(src, order > 4 ? 4 : order);
    else
        value = src->value;
    calculated = true;
}

void Selector::printFormula(std::FILE* f) {
    printMargin(f);
    auto nm = [](Expression* e) { return e ? e->displayName() : "noname"; };
    std::fprintf(f, "%s = ( %s < 0 ) ? %s : %s \n", displayName(), nm(x), nm(u), nm(v));
}

void Selector::printFormulas(std::FILE* f) { printWalk(*this, f, PrintedLine::Formula, {x, u, v}); }

// The values of the branch the condition selects: the other branch is not
// evaluated in the pass, and would show what an earlier state left in it.
void Selector::printValues(std::FILE* f) {
    Expression* taken = x && x->value < 0.0 ? u : v;
    printWalk(*this, f, PrintedLine::Value, {x, taken});
}

FullKernel Geom::fullKernel(int order) const { return exprk::fullByOrder<Geom>(order); }
