#pragma once
// One evaluation pass of a graph at the point x, to derivative order `order`
// in every variable (var < 0) or along variable var only.  Expression::sError
// is cleared first, so that it reports this pass.
#include <vector>

#include "expressions/Expression.h"

inline void evaluateAt(Expression& root, double* x, int order, int var = -1) {
    root.initialize_the_graph();
    root.set_variable_values(x);
    Expression::sError = 0;
    if (var < 0)
        root.calculate(order);
    else
        root.calculate(order, var);
}

inline void evaluate(Expression& root, std::vector<double> x, int order, int var = -1) {
    evaluateAt(root, x.data(), order, var);
}
