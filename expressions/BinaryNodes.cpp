// Product and Division.
#include <algorithm>
#include <cmath>

#include "expressions/DerivativeKernels.h"
#include "expressions/Division.h"
#include "expressions/Product.h"

// ---- Product ----
Product::~Product() = default;
const char* Product::getType() const { return "Product"; }
void Product::set_scalars1(double a_) { a = a_; }

void Product::calculate(int order) {
    BinOp::calculate(order);
    if (!u || !v || calculated || planned(order)) return;
    if (!u->calculated) calculateChild(u, order);
    if (!v->calculated) calculateChild(v, order);
    Product::evaluateNode(order);
}

// The operations are those of exprk::leibniz.
void Product::evaluateNode(int order) {
    value = a * u->value * v->value;
    calculated = true;
    if (order < 1 || !d1 || u->nvar != nvar || v->nvar != nvar) return;
    const int m = activeVariables();
    exprk::leibniz(act_.data(), m, order, a, u->value, u->view(), v->value, v->view(), view());
}

void Product::calculate(int order, int var) {
    if (!u || !v) return BinOp::calculate(order, var);  // reports the missing link
    if (calculated || planned(order, var)) return;
    if (!u->calculated) calculateChild(u, order, var);
    if (!v->calculated) calculateChild(v, order, var);
    Product::evaluateNode(order, var);
}

void Product::evaluateNode(int order, int var) {
    const Expression& U = *u;
    const Expression& W = *v;
    const double u0 = U.value, v0 = W.value;
    value = a * u0 * v0;
    calculated = true;
    if (order < 1 || !d1 || U.nvar != nvar || W.nvar != nvar || var < 0 || var >= nvar || !flags[var]) return;
    if (order == 2) {  // the volume search: value, slope and curvature in V
        const double u1 = U.d1[var], v1 = W.d1[var];
        const int o2 = exprk::diag2(var);
        const double u2 = U.D2[o2], v2 = W.D2[o2];
        d1[var] = a * (u1 * v0 + u0 * v1);
        D2[o2] = a * (u2 * v0 + 2.0 * u1 * v1 + u0 * v2);
    } else {
        exprk::leibnizDiag(var, order, a, u0, U.view(), v0, W.view(), view());
    }
}


namespace {
// CF: a factor that is an operator free of the variable, whose entries in it
// are exact zeros (1 v, 2 u, 0 none): the terms of Leibniz's rule that hold
// them are left out (they could change only the sign of a zero, or make NaN
// of an infinite other factor).
template <int CF>
struct ProductSlots {
    template <int K>
    static void one(const VarPass& p, const VarItem& it) {
        Product& n = static_cast<Product&>(*it.e);
        const double* u = it.u;
        const double* v = it.v;
        double* out = it.out;
        const bool dep = it.dep;
        const double a = n.a;
        out[0] = a * u[0] * v[0];
        if (dep) exprk::productSlot<K>(CF, a, u, v, out);
        n.value = out[0];
        n.calculated = true;
        if (dep) exprk::storePureK<K>(n, p, out);
    }
};

}  // namespace

// The product's part in a one-variable pass when one factor is an operator
// free of the variable: its entries in the variable are zeros and the terms
// that hold them are left out (1: v, 2: u).
VarKernel Product::freeChildKernel(int factor, int order) const {
    return factor == 1 ? exprk::byOrder<ProductSlots<1>>(order) : exprk::byOrder<ProductSlots<2>>(order);
}

FullKernel Product::fullKernel(int order) const { return exprk::fullByOrder<Product>(order); }
VarKernel Product::varKernel(int order) const { return exprk::byOrder<ProductSlots<0>>(order); }

void Product::printFormula(std::FILE* f) {
    printMargin(f);
    if (a == 1)
        std::fprintf(f, "%s = %s * %s\n", displayName(), uName(), vName());
    else
        std::fprintf(f, "%s = %lg * %s * %s\n", displayName(), a, uName(), vName());
}

// ---- Division ----
Division::~Division() = default;
const char* Division::getType() const { return "Division"; }
void Division::set_scalars1(double a_) { a = a_; }

void Division::number_of_variables(int n) {
    if (n == nvar) return;
    BinOp::number_of_variables(n);
    const std::size_t total = storedEntries(nvar, 4);
    wBlock_.reset(total ? new double[total]() : nullptr);
    w_ = DerivView{};
    if (total) {
        const std::size_t N = static_cast<std::size_t>(nvar);
        w_.d1 = wBlock_.get();
        w_.d2 = w_.d1 + N;
        w_.d3 = w_.d2 + N * (N + 1) / 2;
        w_.d4 = w_.d3 + N * (N + 1) * (N + 2) / 6;
    }
}

// NaN quotient: value 0 and derivatives 0.  Division of a nonzero value by an
// exact zero: the error flag.
bool Division::checkQuotient(int order) {
    if (std::isnan(value)) {
        clean(order > 4 ? 4 : order);
        value = 0.0;
        calculated = true;
        return false;
    }
    if (v->value == 0.0) sError = 1;
    return true;
}

void Division::calculate(int order) {
    BinOp::calculate(order);
    if (!u || !v || calculated || planned(order)) return;
    if (!u->calculated) calculateChild(u, order);
    if (!v->calculated) calculateChild(v, order);
    Division::evaluateNode(order);
}

void Division::evaluateNode(int order) {
    const double u0 = u->value, v0 = v->value;
    value = u0 * a / v0;
    if (!checkQuotient(order)) return;
    if (order >= 1 && d1 && w_.d1 && u->nvar == nvar && v->nvar == nvar) {
        const int m = activeVariables();
        const double r = 1.0 / v0;
        const double w1 = -r * r, w2 = -2.0 * w1 * r, w3 = -3.0 * w2 * r, w4 = -4.0 * w3 * r;
        exprk::chainRule(act_.data(), m, order, v->view(), w_, w1, w2, w3, w4);
        exprk::leibniz(act_.data(), m, order, a, u0, u->view(), r, w_, view());
    }
    calculated = true;
}

void Division::calculate(int order, int var) {
    BinOp::calculate(order, var);
    if (!u || !v || calculated || planned(order, var)) return;
    if (!u->calculated) calculateChild(u, order, var);
    if (!v->calculated) calculateChild(v, order, var);
    Division::evaluateNode(order, var);
}

void Division::evaluateNode(int order, int var) {
    const double u0 = u->value, v0 = v->value;
    const double r = 1.0 / v0;
    if (order >= 1 && d1 && w_.d1 && u->nvar == nvar && v->nvar == nvar && var >= 0 && var < nvar &&
        flags[var]) {
        const double w1 = -r * r, w2 = -2.0 * w1 * r, w3 = -3.0 * w2 * r, w4 = -4.0 * w3 * r;
        exprk::chainRuleDiag(var, order, v->view(), w_, w1, w2, w3, w4);
        exprk::leibnizDiag(var, order, a, u0, u->view(), r, w_, view());
    }
    value = u0 * a * r;
    if (!checkQuotient(order)) return;
    calculated = true;
}

void Division::printFormula(std::FILE* f) {
    printMargin(f);
    if (a == 1)
        std::fprintf(f, "%s = %s / %s\n", displayName(), uName(), vName());
    else
        std::fprintf(f, "%s = %lg * %s / %s\n", displayName(), a, uName(), vName());
}

FullKernel Division::fullKernel(int order) const { return exprk::fullByOrder<Division>(order); }
