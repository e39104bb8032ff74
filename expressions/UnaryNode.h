#pragma once
// UnaryNode<Node, Memo>: what the unary operator nodes f(u) share.  A node
// class derives from it and supplies only its own mathematics and its printed
// form:
//   static bool factorsFrom(const double* k, double u0,
//                           double& f, double& f1, double& f2, double& f3, double& f4);
//       f and its first four derivatives at u0 from the scalars k (false
//       outside the domain: the node then sets Expression::sError);
//   void scalarsTo(double* k) const;   its scalars (a, then the others in the
//       order of set_scalars3), which the compiled passes keep beside their slots;
//   printFormula.
// The base gives the evaluation entries (recursive, one-variable, batched and
// compiled passes) and the chain rule onto the graph's variables.  With Memo,
// factors() goes through a memo of the last argument and scalars (the nodes
// whose factors cost a transcendental function).
#include <type_traits>

#include "expressions/FactorMemo.h"
#include "expressions/UnOp.h"

template <class Node, bool Memo>
class UnaryNode : public UnOp {
public:
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void evaluateNode(int order) override;
    void evaluateNode(int order, int var) override;
    VarKernel varKernel(int order) const override;
    FullKernel fullKernel(int order) const override;
    FullKernel uniformFullKernel(int order) override;

    // The value f and the derivatives f1..f4 of f at the child's value u0;
    // false outside the domain.
    bool factors(double u0, double& f, double& f1, double& f2, double& f3, double& f4) const;

private:
    struct NoMemo {};
    [[no_unique_address]] mutable std::conditional_t<Memo, FactorMemo, NoMemo> memo_;
};
