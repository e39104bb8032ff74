// The unary operator nodes: each supplies f and its first four derivatives at
// the child's value; the chain rule carries them onto the graph's variables.
#include <cmath>

#include "expressions/DerivativeKernels.h"
#include "expressions/UnaryNodes.h"
#include "numerics/Jet.h"

namespace {

// The evaluation steps shared by the eight nodes: link check, pass mark,
// child, then the node itself: value, derivatives of the flagged variables, mark.
template <class Node>
void computeFull(Node& n, int order) {
    double f, f1, f2, f3, f4;
    if (!n.factors(n.u->value, f, f1, f2, f3, f4)) {
        Expression::sError = 1;
        n.calculated = true;
        return;
    }
    n.value = f;
    if (order >= 1) n.chainRule(order, f1, f2, f3, f4);
    n.calculated = true;
}

template <class Node>
void computeVar(Node& n, int order, int var) {
    double f, f1, f2, f3, f4;
    if (!n.factors(n.u->value, f, f1, f2, f3, f4)) {
        Expression::sError = 1;
        n.calculated = true;
        return;
    }
    n.value = f;
    if (order >= 1) n.chainRuleVar(order, var, f1, f2, f3, f4);
    n.calculated = true;
}

template <class Node>
void evaluateFull(Node& n, int order) {
    if (!n.u) return n.UnOp::calculate(order);  // reports the missing link
    if (n.calculated || n.planned(order)) return;
    if (!n.u->calculated) Expression::calculateChild(n.u, order);
    computeFull(n, order);
}

template <class Node>
void evaluateVar(Node& n, int order, int var) {
    if (!n.u) return n.UnOp::calculate(order, var);  // reports the missing link
    if (n.calculated || n.planned(order, var)) return;
    if (!n.u->calculated) Expression::calculateChild(n.u, order, var);
    computeVar(n, order, var);
}

// computeFull for a node whose storage and sizes a plan has checked, with M
// (1 or 2) flagged variables, to the order K (1 or 2): the arithmetic of
// chainRuleFew.
template <class Node, int M, int K>
void unaryUniformBatch(Expression* const* nodes, int count) {
    for (int q = 0; q < count; ++q) {
        Node& n = *static_cast<Node*>(nodes[q]);
        if (n.calculated) continue;
        double f, f1, f2, f3, f4;
        if (!n.factors(n.u->value, f, f1, f2, f3, f4)) {
            Expression::sError = 1;
            n.calculated = true;
            continue;
        }
        n.value = f;
        exprk::chainRuleFew<M, K>(n.activeList(), *n.u, n, f1, f2);
        n.calculated = true;
    }
}

template <class Node>
FullKernel uniformUnary(Node& n, int order) {
    if (order < 1 || order > 2 || !n.u || (order == 2 && (!n.D2 || !n.u->D2))) return n.fullKernel(order);
    const int m = n.activeCount();
    if (m == 1) return order == 1 ? &unaryUniformBatch<Node, 1, 1> : &unaryUniformBatch<Node, 1, 2>;
    if (m == 2) return order == 1 ? &unaryUniformBatch<Node, 2, 1> : &unaryUniformBatch<Node, 2, 2>;
    return n.fullKernel(order);
}

// The node's part of a compiled one-variable pass (VarKernel): computeVar on
// slots.  A pass that leaves the nodes' storage alone takes the scalars from
// the item (copied there by the snapshot) and leaves the memos alone too.
template <class Node>
struct Slots {
    static void snap(VarItem& it) { static_cast<const Node&>(*it.e).scalarsTo(it.c); }
    template <int K, bool ST>
    static void one(const VarPass& p, const VarItem& it);
};

template <class Node>
template <int K, bool ST>
inline void Slots<Node>::one(const VarPass& p, const VarItem& it) {
    Node& n = static_cast<Node&>(*it.e);
    const double* u = it.u;
    double* out = it.out;
    const bool dep = it.dep;
    double f, f1, f2, f3, f4;
    const bool ok = ST ? n.factors(u[0], f, f1, f2, f3, f4) : Node::factorsFrom(it.c, u[0], f, f1, f2, f3, f4);
    if (!ok) {
        Expression::sError = 1;
        if constexpr (ST) n.calculated = true;
        exprk::loadPure(n, p, dep, out);
        return;
    }
    out[0] = f;
    if (dep) exprk::chainRuleSlot<K>(u, out, f1, f2, f3, f4);
    if constexpr (!ST) return;
    n.value = f;
    if (dep) exprk::storePureK<K>(n, p, out);
    n.calculated = true;
}

// The factors of a node of three scalars (a transcendental one) through its
// memo of the last argument and scalars.
template <class Node>
bool memoFactors(const Node& n, FactorMemo& memo, double x, double& f, double& f1, double& f2, double& f3,
                 double& f4) {
    double k[3];
    n.scalarsTo(k);
    return memo.get(x, k[0], k[1], k[2], f, f1, f2, f3, f4,
                    [&k](double x_, double& g, double& g1, double& g2, double& g3, double& g4) {
                        return Node::factorsFrom(k, x_, g, g1, g2, g3, g4);
                    });
}

// A division by an exact zero is reported; the IEEE result still propagates.
inline void flagZero(double u0) {
    if (u0 == 0.0) Expression::sError = 1;
}

// A derivative factor k * 0^q at u = 0: a vanishing coefficient (an integer
// exponent differentiated past its degree) gives 0, not 0 * infinity.
inline double factorAtZero(double k, double power) { return k == 0.0 ? 0.0 : k * power; }

}  // namespace

// The evaluation entries of every unary node: the shared steps above.
template <class Node, bool Memo>
void UnaryNode<Node, Memo>::calculate(int order) {
    evaluateFull(static_cast<Node&>(*this), order);
}
template <class Node, bool Memo>
void UnaryNode<Node, Memo>::calculate(int order, int var) {
    evaluateVar(static_cast<Node&>(*this), order, var);
}
template <class Node, bool Memo>
void UnaryNode<Node, Memo>::evaluateNode(int order) {
    computeFull(static_cast<Node&>(*this), order);
}
template <class Node, bool Memo>
void UnaryNode<Node, Memo>::evaluateNode(int order, int var) {
    computeVar(static_cast<Node&>(*this), order, var);
}
template <class Node, bool Memo>
VarKernel UnaryNode<Node, Memo>::varKernel(int order) const {
    return exprk::byOrder<Slots<Node>>(order);
}
template <class Node, bool Memo>
FullKernel UnaryNode<Node, Memo>::fullKernel(int order) const {
    return exprk::fullByOrder<Node>(order);
}
template <class Node, bool Memo>
FullKernel UnaryNode<Node, Memo>::uniformFullKernel(int order) {
    return uniformUnary<Node>(static_cast<Node&>(*this), order);
}
template <class Node, bool Memo>
bool UnaryNode<Node, Memo>::factors(double x, double& f, double& f1, double& f2, double& f3, double& f4) const {
    const Node& n = static_cast<const Node&>(*this);
    if constexpr (Memo) {
        return memoFactors(n, memo_, x, f, f1, f2, f3, f4);
    } else {
        double k[3];
        n.scalarsTo(k);
        return Node::factorsFrom(k, x, f, f1, f2, f3, f4);
    }
}

// "name = a * child^n" (the factor left out when it is 1), the form of the
// monomial nodes.
static void printMonomial(std::FILE* out, const char* name, double a, const char* child, const char* power) {
    if (a == 1)
        std::fprintf(out, "%s = %s%s\n", name, child, power);
    else
        std::fprintf(out, "%s = %lg * %s%s\n", name, a, child, power);
}

double powo(double x, double p) { return x < 0 ? -std::pow(-x, p) : std::pow(x, p); }
double powe(double x, double p) { return x < 0 ? std::pow(-x, p) : std::pow(x, p); }

// ---- Square ----
Square::~Square() = default;
const char* Square::getType() const { return "square"; }
void Square::set_scalars1(double a_) { a = a_; }
bool Square::factorsFrom(const double* k, double x, double& f, double& f1, double& f2, double& f3, double& f4) {
    const double a = k[0];
    f = a * x * x;
    f1 = 2.0 * a * x;
    f2 = 2.0 * a;
    f3 = f4 = 0.0;
    return true;
}
void Square::scalarsTo(double* k) const { k[0] = a; }
void Square::printFormula(std::FILE* out) {
    printMargin(out);
    printMonomial(out, displayName(), a, childName(), "^2");
}

// ---- Cube ----
Cube::~Cube() = default;
const char* Cube::getType() const { return "cube"; }
void Cube::set_scalars1(double a_) { a = a_; }
bool Cube::factorsFrom(const double* k, double x, double& f, double& f1, double& f2, double& f3, double& f4) {
    const double a = k[0];
    f = a * x * x * x;
    f1 = 3.0 * a * x * x;
    f2 = 6.0 * a * x;
    f3 = 6.0 * a;
    f4 = 0.0;
    return true;
}
void Cube::scalarsTo(double* k) const { k[0] = a; }
void Cube::printFormula(std::FILE* out) {
    printMargin(out);
    printMonomial(out, displayName(), a, childName(), "^3");
}

// ---- Inverse ----
Inverse::~Inverse() = default;
const char* Inverse::getType() const { return "inverse"; }
void Inverse::set_scalars1(double a_) { a = a_; }
bool Inverse::factorsFrom(const double* k, double x, double& f, double& f1, double& f2, double& f3, double& f4) {
    const double a = k[0];
    flagZero(x);
    const double r = 1.0 / x;
    f = a * r;
    f1 = -f * r;
    f2 = -2.0 * f1 * r;
    f3 = -3.0 * f2 * r;
    f4 = -4.0 * f3 * r;
    return true;
}
void Inverse::scalarsTo(double* k) const { k[0] = a; }
void Inverse::printFormula(std::FILE* out) {
    printMargin(out);
    std::fprintf(out, "%s = %lg / %s\n", displayName(), a, childName());
}

// ---- Inverse2 ----
Inverse2::~Inverse2() = default;
const char* Inverse2::getType() const { return "inverse2"; }
bool Inverse2::factorsFrom(const double* k, double x, double& f, double& f1, double& f2, double& f3, double& f4) {
    const double a = k[0];
    flagZero(x);
    const double r = 1.0 / x;
    f = a * r * r;
    f1 = -2.0 * f * r;
    f2 = -3.0 * f1 * r;
    f3 = -4.0 * f2 * r;
    f4 = -5.0 * f3 * r;
    return true;
}
void Inverse2::scalarsTo(double* k) const { k[0] = a; }
void Inverse2::printFormula(std::FILE* out) {
    printMargin(out);
    std::fprintf(out, "%s = %lg / %s^2\n", displayName(), a, childName());
}

// ---- Exponential ----
// The factors are those of the derivative kit's b exp(c u) (numerics/Jet.h).
Exponential::~Exponential() = default;
const char* Exponential::getType() const { return "Exponential"; }
void Exponential::set_scalars3(double a_, double b_, double c_) {
    a = a_;
    b = b_;
    c = c_;
}
bool Exponential::factorsFrom(const double* k, double x, double& f, double& f1, double& f2, double& f3, double& f4) {
    const double a = k[0];
    const double b = k[1];
    const double c = k[2];
    const univariate::Jet<4> j = univariate::exponential<4>(b, c, x);
    // b (exp(c u) - 1) from expm1: where c u is small the difference of two
    // numbers near b would keep only the rounding of the exponential (steps
    // of 1e-16 b), and a function built from it would jump.
    f = a == -b ? b * std::expm1(c * x) : a + j.f[0];
    f1 = j.f[1];
    f2 = j.f[2];
    f3 = j.f[3];
    f4 = j.f[4];
    return true;
}

void Exponential::scalarsTo(double* k) const {
    k[0] = a;
    k[1] = b;
    k[2] = c;
}
void Exponential::printFormula(std::FILE* out) {
    printMargin(out);
    std::fprintf(out, "%s = ", displayName());
    if (a != 0) std::fprintf(out, "%lg ", a);
    if (b < 0) {
        if (b == -1)
            std::fprintf(out, "- ");
        else
            std::fprintf(out, "- %lg ", -b);
    } else if (b > 0 && a == 0) {
        if (b == 1)
            std::fprintf(out, " ");
        else
            std::fprintf(out, "%lg ", b);
    } else if (b > 0) {
        if (b == 1)
            std::fprintf(out, "+ ");
        else
            std::fprintf(out, "+ %lg ", b);
    }
    std::fprintf(out, "exp ( ");
    if (c == -1)
        std::fprintf(out, "- ");
    else if (c != 1)
        std::fprintf(out, "%lg * ", c);
    std::fprintf(out, "%s ) \n", childName());
}

// ---- Logarithm ----
Logarithm::~Logarithm() = default;
const char* Logarithm::getType() const { return "logarithm"; }
void Logarithm::set_scalars3(double a_, double b_, double c_) {
    a = a_;
    b = b_;
    c = c_;
}
bool Logarithm::factorsFrom(const double* k, double u0, double& f, double& f1, double& f2, double& f3, double& f4) {
    const double a = k[0];
    const double b = k[1];
    const double c = k[2];
    if (u0 <= -b) return false;  // a NaN passes and yields NaN
    const double x = u0 + b;
    const double r = 1.0 / x;
    f = a * std::log(x) + c;
    f1 = a * r;
    f2 = -f1 * r;
    f3 = -2.0 * f2 * r;
    f4 = -3.0 * f3 * r;
    return true;
}

void Logarithm::scalarsTo(double* k) const {
    k[0] = a;
    k[1] = b;
    k[2] = c;
}
void Logarithm::printFormula(std::FILE* out) {
    printMargin(out);
    std::fprintf(out, "%s = ", displayName());
    if (a == -1)
        std::fprintf(out, "- ");
    else if (a != 1)
        std::fprintf(out, "%lg * ", a);
    std::fprintf(out, "ln ( %s", childName());
    if (b != 0)
        std::fprintf(out, " + %lg ) ", b);
    else
        std::fprintf(out, " ) ");
    if (c > 0)
        std::fprintf(out, " + %lg", c);
    else if (c < 0)
        std::fprintf(out, " - %lg", -c);
    std::fprintf(out, "\n");
}

// ---- Power ----
// The factors are those of the derivative kit's power (numerics/Jet.h): away
// from 0 from one power and the recurrence f_{k+1} = (p - k) f_k / u; at 0
// each power taken with pow, so that the full and the one-variable
// evaluations agree there too.
Power::~Power() = default;
const char* Power::getType() const { return "power"; }
void Power::set_scalars3(double a_, double p_, double c_) {
    a = a_;
    p = p_;
    c = c_;
}
bool Power::factorsFrom(const double* k, double x, double& f, double& f1, double& f2, double& f3, double& f4) {
    const double a = k[0];
    const double p = k[1];
    const double c = k[2];
    const univariate::Jet<4> j = univariate::power<4>(a, x, p);
    f = j.f[0] + c;
    f1 = j.f[1];
    f2 = j.f[2];
    f3 = j.f[3];
    f4 = j.f[4];
    return true;
}

void Power::scalarsTo(double* k) const {
    k[0] = a;
    k[1] = p;
    k[2] = c;
}
// "name = a * child^p + c", the form both power nodes print.
static void printPowerFormula(std::FILE* out, const char* name, const char* child, double a, double p, double c) {
    std::fprintf(out, "%s = ", name);
    if (a != 1) std::fprintf(out, "%lg * ", a);
    std::fprintf(out, "%s^%lg ", child, p);
    if (c != 0) std::fprintf(out, "+ %lg", c);
    std::fprintf(out, "\n");
}
void Power::printFormula(std::FILE* out) {
    printMargin(out);
    printPowerFormula(out, displayName(), childName(), a, p, c);
}

// ---- Powo ----
Powo::~Powo() = default;
const char* Powo::getType() const { return "powo"; }
void Powo::set_scalars3(double a_, double p_, double c_) {
    a = a_;
    p = p_;
    c = c_;
}
bool Powo::factorsFrom(const double* k, double x, double& f, double& f1, double& f2, double& f3, double& f4) {
    const double a = k[0];
    const double p = k[1];
    const double c = k[2];
    if (x != 0.0 && !std::isnan(x)) {
        // |x|^(p-k) from one pow; the odd orders carry the sign of x.
        const double ax = std::fabs(x);
        const double s = x < 0 ? -1.0 : 1.0;
        const double q = std::pow(ax, p);
        const double r = 1.0 / ax;
        const double g1 = a * p * q * r;     // a p |x|^(p-1)
        const double g2 = (p - 1.0) * g1 * r;
        const double g3 = (p - 2.0) * g2 * r;
        const double g4 = (p - 3.0) * g3 * r;
        f = a * s * q + c;
        f1 = g1;
        f2 = s * g2;
        f3 = g3;
        f4 = s * g4;
    } else {
        f = a * powo(x, p) + c;
        f1 = factorAtZero(a * p, powe(x, p - 1.0));
        f2 = factorAtZero(a * p * (p - 1.0), powo(x, p - 2.0));
        f3 = factorAtZero(a * p * (p - 1.0) * (p - 2.0), powe(x, p - 3.0));
        f4 = factorAtZero(a * p * (p - 1.0) * (p - 2.0) * (p - 3.0), powo(x, p - 4.0));
    }
    return true;
}

void Powo::scalarsTo(double* k) const {
    k[0] = a;
    k[1] = p;
    k[2] = c;
}
void Powo::printFormula(std::FILE* out) {
    printMargin(out);
    printPowerFormula(out, displayName(), childName(), a, p, c);
}

template class UnaryNode<Square, false>;
template class UnaryNode<Cube, false>;
template class UnaryNode<Inverse, false>;
template class UnaryNode<Inverse2, false>;
template class UnaryNode<Exponential, true>;
template class UnaryNode<Logarithm, true>;
template class UnaryNode<Power, true>;
template class UnaryNode<Powo, true>;
