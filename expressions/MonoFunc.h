#pragma once
// MonoFunc: a quantity u(x) defined implicitly by F(u, x) = 0, where F is an
// expression tree over [u, x_0, .., x_{nx-1}] (u is its variable 0, x_i its
// variable i+1).  The value comes from a single-variable root finder; the
// derivatives of u with respect to x, to the fourth order, from implicit
// differentiation of F:  u_i = -F_i / F_u, u_ij = -(F_ij + F_ui u_j + F_uj u_i
// + F_uu u_i u_j) / F_u, and so on (the total derivative of F(u(x), x) set to
// zero, order by order).  The quantity enters other trees through an XFunc0
// node, which forwards its evaluations to its MonoFunc.
//
// A model derives from MonoFunc, builds F (sized nx + 1), sets `node` (an
// XFunc0 with owner this, sized nx), binds `solver` to a residual member
// function and, in that function or in its own calculate_u, writes the root
// into node->value.  The residual usually evaluates F with evaluateF(u).
// set_variable_values(x) keeps the point x (a derived class that overrides it
// calls the base); F's derivatives are taken at (node->value, x).
#include <cstdio>
#include <memory>
#include <vector>

#include "expressions/Function.h"
#include "numerics/Equation.h"
#include "numerics/Secant.h"

class MonoFunc;
struct ImplicitTable;  // the terms of the implicit derivatives, compiled (ImplicitFunctions.cpp)

class XFunc0 : public Function {
public:
    MonoFunc* owner = nullptr;

    ~XFunc0() override;
    void initialize_the_graph() override;
    void set_variable_values(double* x) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void printFormula(std::FILE* f) override;
};

class MonoFunc : public Equation {
public:
    int nx = 0;
    Expression* F = nullptr;
    XFunc0* node = nullptr;
    std::unique_ptr<Secant> solver;  // unbound until the derived class binds it
    unsigned char evaluated = 0;
    std::vector<double> y;  // the point of F: u, then x

    explicit MonoFunc(int nx);
    MonoFunc(const MonoFunc&) = delete;
    MonoFunc& operator=(const MonoFunc&) = delete;
    virtual ~MonoFunc();

    // Runs the root finder; a failed search prints "Monofunc: cannot find
    // solution" and the derivatives are then taken at whatever u it left.
    virtual void calculate_u();
    virtual void calculate_the_leaves();
    virtual void set_variable_values(double* x);

    void calculate(int order);
    void calculate(int order, int var);

    // F at (u, x) evaluated to the order; returns its value.
    double evaluateF(double u, int order = 0);

    void check_f_derivatives(std::FILE* out, double* x, double* h);
    void check_x_derivatives(std::FILE* out, double* x, double* h);

private:
    bool sizesAgree();
    double residualTerms(const int* idx, int K);
    std::unique_ptr<XFunc0> ownNode_;  // the node made by check_x_derivatives
    std::unique_ptr<ImplicitTable> table_;
    bool sizeReported_ = false;
};
