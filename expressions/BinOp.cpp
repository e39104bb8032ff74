#include "expressions/BinOp.h"
#include "expressions/ChildWalks.h"
#include "platform/LogSink.h"

BinOp::~BinOp() {
    Expression* a = u;
    Expression* b = v;
    u = v = nullptr;
    unlink(a);
    unlink(b);
}

void BinOp::number_of_variables(int n) {
    if (n == nvar) return;
    Operator::number_of_variables(n);
    sizeChildren(*this, {u, v});
}

const char* BinOp::getType() const { return "BinOp"; }

bool BinOp::planChildren(std::vector<Expression*>& children) { return planChildSlots({u, v}, children); }

void BinOp::initialize_the_graph() {
    if (plannedInitialize()) return;
    clearPassMarks(*this, {u, v});
}

void BinOp::analyze_dependencies() {
    if (analysed) return;
    if (u) u->analyze_dependencies();
    if (v) v->analyze_dependencies();
    for (std::size_t i = 0; i < flags.size(); ++i) {
        int k = static_cast<int>(i);
        flags[i] = ((u && u->isDependent(k)) || (v && v->isDependent(k))) ? 1 : 0;
    }
    analysed = true;
    structureChanged();
}

int BinOp::hasLeaves() { return (u && u->hasLeaves()) || (v && v->hasLeaves()) ? 1 : 0; }

void BinOp::check_pointers(std::FILE* f) {
    if (u)
        u->check_pointers(f);
    else
        std::fprintf(f, "Error : \"%s\" (u) is not linked to another expression.\n", displayName());
    if (v)
        v->check_pointers(f);
    else
        std::fprintf(f, "Error : \"%s\" (v) is not linked to another expression.\n", displayName());
}

void BinOp::reset() {
    calculated = false;
    if (u) u->reset();
    if (v) v->reset();
}

void BinOp::set_variable_values(double* x) {
    VariablePass pass;
    if (!takeVariablePass()) return;
    if (plannedVariables(x)) return;
    if (u && !u->variablesTaken()) u->set_variable_values(x);
    if (v && !v->variablesTaken()) v->set_variable_values(x);
}

void BinOp::calculate(int) {
    if (!u || !v)
        platform::diagf("Error : \"%s\" is is not linked to another expression.\n", displayName());
}

void BinOp::calculate(int, int) {
    if (!u || !v)
        platform::diagf("Error : \"%s\" is is not linked to another expression.\n", displayName());
}

void BinOp::tie2(Expression& a, Expression& b) { tiep2(&a, &b); }

// Both new links are counted before the old children are released, so that
// swapping or repeating children never frees a node that stays linked.
void BinOp::tiep2(Expression* a, Expression* b) {
    Expression* oldU = u;
    Expression* oldV = v;
    link(a);
    link(b);
    u = a;
    v = b;
    unlink(oldU);
    unlink(oldV);
    structureChanged();
}

void BinOp::printFormula(std::FILE* f) {
    printMargin(f);
    std::fprintf(f, "%s = f ( %s , %s )\n", displayName(), uName(), vName());
}

void BinOp::printFormulas(std::FILE* f) { printWalk(*this, f, PrintedLine::Formula, {u, v}); }

void BinOp::printValues(std::FILE* f) { printWalk(*this, f, PrintedLine::Value, {u, v}); }

Expression* BinOp::findByName(const char* s) {
    if (Expression* e = Expression::findByName(s)) return e;
    if (u)
        if (Expression* e = u->findByName(s)) return e;
    return v ? v->findByName(s) : nullptr;
}
