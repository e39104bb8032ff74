#pragma once
// Linear: a PolyVar over a window of `count` variables starting at `first`
// (window index i is variable first + i); the base of the polynomial forms
// LineaX, LineaX2 and LineaX3.  Owners may write the coefficients `a` and the
// window values `x` directly; they then clear `calculated` or rely on the next
// initialize_the_graph().  Nodes of this family write only the entries of
// their window.
#include <vector>

#include "expressions/PolyVar.h"

class Linear : public PolyVar {
public:
    int count = 0;
    int ncoef = 0;
    std::vector<double> x;  // window values
    std::vector<double> a;  // coefficients, packed by each form
    int first = -1;

    ~Linear() override;
    const char* getType() const override;
    int isDependent(int i) override;
    void set_variable_values(double* v) override;
    virtual void defineXVariables(int first, int count);

protected:
    // The window lies inside the sized graph.
    bool windowFits() const { return d1 && first >= 0 && first + count <= nvar; }
};
