#include "expressions/UnOp.h"
#include "expressions/ChildWalks.h"

#include "expressions/DerivativeKernels.h"
#include "platform/LogSink.h"

UnOp::~UnOp() {
    Expression* child = u;
    u = nullptr;
    unlink(child);
}

void UnOp::number_of_variables(int n) {
    if (n == nvar) return;
    Operator::number_of_variables(n);
    sizeChildren(*this, {u});
}

const char* UnOp::getType() const { return "UnOp"; }

bool UnOp::planChildren(std::vector<Expression*>& children) { return planChildSlots({u}, children); }

void UnOp::initialize_the_graph() {
    if (plannedInitialize()) return;
    clearPassMarks(*this, {u});
}

void UnOp::analyze_dependencies() {
    if (analysed) return;
    if (u) {
        u->analyze_dependencies();
        for (std::size_t i = 0; i < flags.size(); ++i) flags[i] = u->isDependent(static_cast<int>(i)) ? 1 : 0;
    }
    analysed = true;
    structureChanged();
}

int UnOp::hasLeaves() { return u ? u->hasLeaves() : 0; }

void UnOp::check_pointers(std::FILE* f) {
    if (u)
        u->check_pointers(f);
    else
        platform::diagf("Error : \"%s\" is not linked.\n", displayName());
}

void UnOp::reset() {
    calculated = false;
    if (u) u->reset();
}

void UnOp::set_variable_values(double* x) {
    VariablePass pass;
    if (!takeVariablePass()) return;
    if (plannedVariables(x)) return;
    if (!u)
        platform::diagf("Error : \"%s\" is not linked.\n", displayName());
    else if (!u->variablesTaken())
        u->set_variable_values(x);
}

void UnOp::calculate(int) {
    if (!u) platform::diagf("Error : \"%s\" is is not linked to another expression.\n", displayName());
}

void UnOp::calculate(int, int) {
    if (!u) platform::diagf("Error : \"%s\" is is not linked to another expression.\n", displayName());
}

void UnOp::tie1(Expression& e) { tiep1(&e); }
void UnOp::tiep1(Expression* e) {
    relink(u, e);
    structureChanged();
}

void UnOp::printFormula(std::FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s = f ( %s )\n", displayName(), childName());
}

void UnOp::printFormulas(std::FILE* f) { printWalk(*this, f, PrintedLine::Formula, {u}); }

void UnOp::printValues(std::FILE* f) { printWalk(*this, f, PrintedLine::Value, {u}); }

Expression* UnOp::findByName(const char* s) {
    if (Expression* e = Expression::findByName(s)) return e;
    return u ? u->findByName(s) : nullptr;
}

void UnOp::chainRule(int order, double f1, double f2, double f3, double f4) {
    if (order < 1 || !d1 || u->nvar != nvar) return;
    const int m = activeVariables();
    if (exprk::chainRuleSmall(act_.data(), m, order, *u, *this, f1, f2)) return;
    exprk::chainRule(act_.data(), m, order, u->view(), view(), f1, f2, f3, f4);
}

