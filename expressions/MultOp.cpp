// The operators over a list of terms: what they do with their terms.
#include "expressions/MultOp.h"

#include "expressions/ChildWalks.h"

MultOp::~MultOp() = default;

void MultOp::number_of_terms(int n) {
    nterms = n;
    structureChanged();
}

void MultOp::passVariablesTo(const std::vector<Expression*>& terms, double* x) {
    VariablePass pass;
    if (!takeVariablePass()) return;
    if (plannedVariables(x)) return;
    for (Expression* t : terms)
        if (t && !t->variablesTaken()) t->set_variable_values(x);
}

void MultOp::analyzeDependenciesOf(const std::vector<Expression*>& terms) {
    if (analysed) return;
    for (Expression* t : terms)
        if (t) t->analyze_dependencies();
    for (std::size_t v = 0; v < flags.size(); ++v) {
        int dep = 0;
        for (Expression* t : terms)
            if (t && t->isDependent(static_cast<int>(v))) {
                dep = 1;
                break;
            }
        flags[v] = dep;
    }
    analysed = true;
    structureChanged();
}

int MultOp::anyHasLeaves(const std::vector<Expression*>& terms) {
    for (Expression* t : terms)
        if (t && t->hasLeaves()) return 1;
    return 0;
}

void MultOp::checkTermPointers(std::FILE* f, const std::vector<Expression*>& terms) {
    for (int i = 0; i < nterms; ++i) {
        if (i >= static_cast<int>(terms.size()) || !terms[i]) {
            std::fprintf(f, "Error : \"%s\" (%d) is not linked to another expression.\n", displayName(), i);
            return;
        }
        terms[i]->check_pointers(f);
    }
}

bool MultOp::planTerms(const std::vector<Expression*>& terms, std::vector<Expression*>& children) {
    return planChildSlots(terms, children);
}

Expression* MultOp::findByNameIn(const char* s, const std::vector<Expression*>& terms) {
    if (Expression* e = Expression::findByName(s)) return e;
    for (Expression* t : terms)
        if (t)
            if (Expression* e = t->findByName(s)) return e;
    return nullptr;
}
