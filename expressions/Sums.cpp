// Weighted sums: Sum1, Sum2 and Sum.
#include "expressions/DerivativeKernels.h"
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
}  // namespace

// ---- Sum1 ----

Sum1::~Sum1() = default;

void Sum1::calculate(int order) {
    UnOp::calculate(order);
    if (!u || calculated) return;
    if (!u->calculated) u->calculate(order);
    value = a * u->value + b;
    if (order >= 1 && d1 && u->nvar == nvar) {
        const int m = activeVariables();
        exprk::scaleSet(act_.data(), m, nvar, order, a, u->view(), view());
    }
    calculated = true;
}

void Sum1::calculate(int order, int var) {
    UnOp::calculate(order, var);
    if (!u || calculated) return;
    if (!u->calculated) u->calculate(order, var);
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
        std::fprintf(f, "%lg ", a);
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
    if (!u || !v || calculated) return;
    if (!u->calculated) u->calculate(order);
    if (!v->calculated) v->calculate(order);
    value = a * u->value + b * v->value + c;
    if (order >= 1 && d1 && u->nvar == nvar && v->nvar == nvar) {
        const int m = activeVariables();
        exprk::combineSet(act_.data(), m, nvar, order, a, u->view(), b, v->view(), view());
    }
    calculated = true;
}

void Sum2::calculate(int order, int var) {
    BinOp::calculate(order, var);
    if (!u || !v || calculated) return;
    if (!u->calculated) u->calculate(order, var);
    if (!v->calculated) v->calculate(order, var);
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
    std::fprintf(f, b > 0 ? "%s + " : "%s - ", uName());
    if (b != 1 && b != -1) std::fprintf(f, "%lg * ", b > 0 ? b : -b);
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
}

void Sum::tiei(int i, Expression& e) { tieip(i, &e); }

void Sum::tieip(int i, Expression* e) {
    if (i < 0 || i >= nterms) {
        platform::diagf("Error : term %d is outside the %d terms of %s.\n", i, nterms, displayName());
        return;
    }
    relink(terms[i], e);
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
    for (Expression* t : terms) {
        if (t)
            t->number_of_variables(nvar);
        else
            platform::diagf("Error : \"%s\" is not linked.\n", displayName());
    }
}

void Sum::initialize_the_graph() {
    if (!calculated) return;
    calculated = false;
    for (Expression* t : terms)
        if (t && t->calculated) t->initialize_the_graph();
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

void Sum::calculate(int order) {
    if (calculated || !allLinked()) return;
    if (order > 4) order = 4;
    clean(order);
    const bool derivs = order >= 1 && d1;
    const int m = derivs ? activeVariables() : 0;
    const DerivView me = view();
    for (int t = 0; t < nterms; ++t) {
        Expression* e = terms[t];
        if (!e->calculated) e->calculate(order);
        value += scalars[t] * e->value;
        if (derivs && e->nvar == nvar) exprk::accumulate(act_.data(), m, nvar, order, scalars[t], e->view(), me);
    }
    value += scalars[nterms];
    calculated = true;
}

// The value and the pure entries are summed in locals, term by term in the
// same order as into the cleared entries, so the sums are the same to the bit.
void Sum::calculate(int order, int var) {
    if (calculated || !allLinked()) return;
    clean(order);
    const bool derivs = order >= 1 && order <= 4 && d1 && var >= 0 && var < nvar;
    Expression* const* term = terms.data();
    const double* w = scalars.data();
    double s = value;
    if (!derivs) {
        for (int t = 0; t < nterms; ++t) {
            Expression* e = term[t];
            e->calculate(order, var);
            s += w[t] * e->value;
        }
    } else {
        const int o2 = exprk::diag2(var), o3 = exprk::diag3(var), o4 = exprk::diag4(var);
        double p1 = 0.0, p2 = 0.0, p3 = 0.0, p4 = 0.0;
        for (int t = 0; t < nterms; ++t) {
            Expression* e = term[t];
            e->calculate(order, var);
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
    const double s0 = scalars[0];
    if (s0 == 1)
        std::fprintf(f, "%s = %s", displayName(), termName(0));
    else if (s0 == -1)
        std::fprintf(f, "%s = - %s", displayName(), termName(0));
    else
        std::fprintf(f, "%s = %lg * %s", displayName(), s0, termName(0));
    for (int t = 1; t < nterms; ++t) {
        const double s = scalars[t];
        if (s == 1)
            std::fprintf(f, " + %s", termName(t));
        else if (s > 0)
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

void Sum::printFormulas(std::FILE* f) {
    if (calculated) return;
    printFormula(f);
    sMargin += 4;
    for (Expression* t : terms)
        if (t) t->printFormulas(f);
    sMargin -= 4;
    calculated = true;
}

void Sum::printValues(std::FILE* f) {
    if (calculated) return;
    printValue(f);
    sMargin += 4;
    for (Expression* t : terms)
        if (t) t->printValues(f);
    sMargin -= 4;
    calculated = true;
}
