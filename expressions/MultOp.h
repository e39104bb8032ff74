#pragma once
// MultOp: the base of the operators over a count of terms (sums, power means,
// mixing sums).  It holds only the count; the subclasses hold, link and
// release the terms.
#include "expressions/Operator.h"

class MultOp : public Operator {
public:
    int nterms = 0;

    ~MultOp() override;
    virtual void number_of_terms(int n);
};
