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

namespace {
// The one variable a node depends on, -1 for none or several.
int onlyVariable(Expression* e, int nvar) {
    int found = -1;
    for (int k = 0; k < nvar; ++k)
        if (e->isDependent(k)) {
            if (found >= 0) return -1;
            found = k;
        }
    return found;
}
}  // namespace

void Product::findShape() {
    shapeWatch_ = std::make_shared<StructureWatch>();
    watchedBy(shapeWatch_);
    u->watchedBy(shapeWatch_);
    v->watchedBy(shapeWatch_);
    shape_ = Shape::General;
    const int m = activeVariables();
    if (m < 1 || m > 2) return;
    const int iu = onlyVariable(u, nvar), jv = onlyVariable(v, nvar);
    if (m == 2 && iu >= 0 && jv >= 0 && iu != jv) {
        shape_ = Shape::Separable;
        i_ = iu, j_ = jv;
    } else {
        shape_ = m == 1 ? Shape::One : Shape::Two;
        i_ = act_[0], j_ = m == 2 ? act_[1] : act_[0];
    }
    ii_ = off2(i_, i_);
    jj_ = off2(j_, j_);
    ij_ = i_ > j_ ? off2(i_, j_) : off2(j_, i_);
}

// The shape's part of evaluateNode(K), K = 1 or 2, for a product whose
// storage and sizes evaluateNode or a plan has checked and whose shape is current.
template <int S, int K>
[[gnu::always_inline]] inline void Product::evaluateShape() {
    const double u0 = u->value, v0 = v->value;
    value = a * u0 * v0;
    calculated = true;
    const double *U1 = u->d1, *V1 = v->d1, *U2 = u->D2, *V2 = v->D2;
    const int i = i_, j = j_;
    const double av = a * v0, au = a * u0;
    if constexpr (S == static_cast<int>(Shape::Separable)) {
        d1[i] = U1[i] * av;
        d1[j] = au * V1[j];
        if constexpr (K < 2) return;
        D2[ii_] = U2[ii_] * av;
        D2[jj_] = au * V2[jj_];
        D2[ij_] = i > j ? (a * U1[i]) * V1[j] : (a * V1[j]) * U1[i];
        return;
    } else {
        using multivariate::weightedProductEntry;
        d1[i] = weightedProductEntry(au, av, U1[i], V1[i]);
        if constexpr (S == static_cast<int>(Shape::Two)) d1[j] = weightedProductEntry(au, av, U1[j], V1[j]);
        if constexpr (K < 2) return;
        const double aui = a * U1[i], avi = a * V1[i];
        D2[ii_] = weightedProductEntry(au, av, aui, avi, U1[i], V1[i], U2[ii_], V2[ii_]);
        if constexpr (S == static_cast<int>(Shape::One)) return;
        const double auj = a * U1[j], avj = a * V1[j];
        D2[ij_] = weightedProductEntry(au, av, auj, avj, U1[i], V1[i], U2[ij_], V2[ij_]);
        D2[jj_] = weightedProductEntry(au, av, auj, avj, U1[j], V1[j], U2[jj_], V2[jj_]);
    }
}

// The operations are those of exprk::leibniz; a separable product keeps only
// the one nonzero term of each entry (see the class).
[[gnu::always_inline]] inline void Product::evaluateNode(int order) {
    value = a * u->value * v->value;
    calculated = true;
    if (order < 1 || !d1 || u->nvar != nvar || v->nvar != nvar) return;
    if (!shapeWatch_ || shapeWatch_->changed) findShape();
    if (order > 2 || shape_ == Shape::General || sHigherOrderProducts) return evaluateGeneral(order);
    constexpr int sep = static_cast<int>(Shape::Separable), one = static_cast<int>(Shape::One),
                  two = static_cast<int>(Shape::Two);
    switch (shape_) {
        case Shape::Separable: return order == 1 ? evaluateShape<sep, 1>() : evaluateShape<sep, 2>();
        case Shape::One: return order == 1 ? evaluateShape<one, 1>() : evaluateShape<one, 2>();
        default: return order == 1 ? evaluateShape<two, 1>() : evaluateShape<two, 2>();
    }
}

// The same entries with the operations of the passes of order 3 and 4
// (sHigherOrderProducts): Leibniz's rule in one sum per entry, every term of
// it, times the scalar, for the flagged variables in ascending order.
template <int S, int K>
[[gnu::always_inline]] inline void Product::evaluateShapeHigher() {
    const double u0 = u->value, v0 = v->value;
    value = a * u0 * v0;
    calculated = true;
    const double *U1 = u->d1, *V1 = v->d1, *U2 = u->D2, *V2 = v->D2;
    if constexpr (S == static_cast<int>(Shape::Separable)) {
        // u of variable i_ alone, v of j_ alone: the one nonzero term of each
        // entry (as in evaluateShape).
        const int i = i_, j = j_;
        d1[i] = a * (U1[i] * v0);
        d1[j] = a * (u0 * V1[j]);
        if constexpr (K < 2) return;
        D2[ii_] = a * (U2[ii_] * v0);
        D2[jj_] = a * (u0 * V2[jj_]);
        D2[ij_] = a * (U1[i] * V1[j]);
        return;
    }
    const bool two = S != static_cast<int>(Shape::One);
    const int lo = two ? std::min(i_, j_) : i_, hi = two ? std::max(i_, j_) : i_;
    using multivariate::productEntry;
    const double ul = U1[lo], vl = V1[lo];
    d1[lo] = productEntry(a, u0, v0, ul, vl);
    if constexpr (K >= 2) {
        const int ll = off2(lo, lo);
        D2[ll] = productEntry(a, u0, v0, ul, vl, ul, vl, U2[ll], V2[ll]);
    }
    if (!two) return;
    const double uh = U1[hi], vh = V1[hi];
    d1[hi] = productEntry(a, u0, v0, uh, vh);
    if constexpr (K >= 2) {
        const int hl = off2(hi, lo), hh = off2(hi, hi);
        D2[hl] = productEntry(a, u0, v0, uh, vh, ul, vl, U2[hl], V2[hl]);
        D2[hh] = productEntry(a, u0, v0, uh, vh, uh, vh, U2[hh], V2[hh]);
    }
}

namespace {
template <int S, int K>
void productShapeBatch(Expression* const* nodes, int count) {
    if (Expression::sHigherOrderProducts) {
        for (int i = 0; i < count; ++i) {
            Expression* e = nodes[i];
            if (!e->calculated) static_cast<Product*>(e)->evaluateShapeHigher<S, K>();
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        Expression* e = nodes[i];
        if (!e->calculated) static_cast<Product*>(e)->evaluateShape<S, K>();
    }
}
}  // namespace

FullKernel Product::uniformFullKernel(int order) {
    if (order < 1 || order > 2 || !u || !v || (order == 2 && (!D2 || !u->D2 || !v->D2))) return fullKernel(order);
    if (!shapeWatch_ || shapeWatch_->changed) findShape();
    constexpr int sep = static_cast<int>(Shape::Separable), one = static_cast<int>(Shape::One),
                  two = static_cast<int>(Shape::Two);
    switch (shape_) {
        case Shape::Separable: return order == 1 ? &productShapeBatch<sep, 1> : &productShapeBatch<sep, 2>;
        case Shape::One: return order == 1 ? &productShapeBatch<one, 1> : &productShapeBatch<one, 2>;
        case Shape::Two: return order == 1 ? &productShapeBatch<two, 1> : &productShapeBatch<two, 2>;
        default: return fullKernel(order);
    }
}

[[gnu::noinline]] void Product::evaluateGeneral(int order) {
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
        const int o2 = exprk::diag2(var);
        const double us[3] = {u0, U.d1[var], U.D2[o2]}, vs[3] = {v0, W.d1[var], W.D2[o2]};
        double s[3];
        univariate::productEntries<2>(a, us, vs, s);
        d1[var] = s[1];
        D2[o2] = s[2];
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
    static void snap(VarItem& it) { it.c[0] = static_cast<const Product&>(*it.e).a; }
    template <int K, bool ST>
    static void one(const VarPass& p, const VarItem& it) {
        Product& n = static_cast<Product&>(*it.e);
        const double* u = it.u;
        const double* v = it.v;
        double* out = it.out;
        const bool dep = it.dep;
        const double a = ST ? n.a : it.c[0];
        out[0] = a * u[0] * v[0];
        if (dep) exprk::productSlot<K>(CF, a, u, v, out);
        if constexpr (!ST) return;
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
