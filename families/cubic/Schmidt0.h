#pragma once
// Attraction term of the two-parameter cubic family
//     P = RT/(V - b) - a/(V^2 + u b V + w b^2),
// as a reduced Helmholtz energy over T, V and the mole fractions:
//     A/(RT) = (a/(b R T sqrt(delta))) ln[(2V + (u - sqrt(delta)) b)/(2V + (u + sqrt(delta)) b)],
// delta = u^2 - 4w (Peng-Robinson u = 2, w = -1; Soave u = 1, w = 0).
// T and V enter through the member leaves "mRT" = 1/(RT) and "twoV" = 2V;
// the subclass creates the mixture nodes "a" and "b" (with new) and then
// calls build_parse_graph.
//
// Ownership: every node the subclass creates is made with new and released by
// its parents; the root is deleted by releaseTree(), which each subclass
// destructor calls so that its own bookkeeping is still alive.
#include <cmath>

#include "expressions/Division.h"
#include "expressions/Leaf.h"
#include "expressions/Logarithm.h"
#include "expressions/Product.h"
#include "expressions/Sum2.h"
#include "fluid/Attraction.h"

class Schmidt0 : public Attraction {
public:
    Schmidt0(double u, double w);
    ~Schmidt0() override;

    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    void calculate_volume_dependent_parameters() override;
    // The same stages and tree in the fugacity pass: it reuses the evaluation
    // of the state functions at the same state.
    bool changesInFugacityPass() const override { return false; }
    // Clears the dependency flags of the subclass's constant leaves; called
    // by number_of_components before the dependencies are analysed.
    virtual void specify_dependencies() {}

    double u, w, delta;
    // a and b of a pure fluid at T (its mole fraction x, the model's
    // parameter revision), with the first and second T derivatives of a and
    // the first of b, as its closed-form roots last took them from the tree:
    // the roots and state functions at further pressures of that isotherm
    // need not evaluate the tree again.
    struct KeptParameters {
        double T = std::nan(""), x = std::nan(""), a = 0.0, b = 0.0, aT = 0.0, aTT = 0.0, bT = 0.0;
        unsigned long revision = 0;
    } kept;
    Expression* a = nullptr;  // "a", mixture attraction parameter (Pa m6/mol2)
    Expression* b = nullptr;  // "b", mixture co-volume (m3/mol)

protected:
    void build_parse_graph();
    void releaseTree();

    Leaf mRT;      // 1/(RT)
    Leaf twoV;     // 2V
    Sum2 A4;       // 2V + (u + sqrt(delta)) b
    Sum2 A3;       // 2V + (u - sqrt(delta)) b
    Division A2;   // A3/A4
    Logarithm A1;  // ln(A2)/sqrt(delta)
    Division ab;   // a/b
    Product A0;    // ab A1
};
