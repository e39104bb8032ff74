#pragma once
// MultOp: the base of the operators over a count of terms (sums, power means,
// mixing sums).  It holds only the count; the subclasses hold, link and
// release the terms.
#include <cstdio>
#include <vector>

#include "expressions/Operator.h"

class MultOp : public Operator {
public:
    int nterms = 0;

    ~MultOp() override;
    virtual void number_of_terms(int n);

protected:
    // The graph walks shared by the operators that keep their terms in a list
    // of slots (empty slots are passed over).
    void passVariablesTo(const std::vector<Expression*>& terms, double* x);
    void analyzeDependenciesOf(const std::vector<Expression*>& terms);
    static int anyHasLeaves(const std::vector<Expression*>& terms);
    void checkTermPointers(std::FILE* f, const std::vector<Expression*>& terms);
    Expression* findByNameIn(const char* s, const std::vector<Expression*>& terms);
    // The terms as the children of a plan; false while a slot is empty.
    static bool planTerms(const std::vector<Expression*>& terms, std::vector<Expression*>& children);
};
