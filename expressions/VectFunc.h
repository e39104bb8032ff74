#pragma once
// VectFunc: nu quantities u = (u_0 .. u_{nu-1}) defined implicitly by nu
// equations f_i(u, v) = 0, where the f_i are expression trees over
// [u_0 .. u_{nu-1}, v_0 .. v_{nv-1}] and the v are intermediate quantities,
// themselves trees over the outer variables x_0 .. x_{nx-1}.  The derived class
// solves for u (calculate_uv_values, for instance with `newton` and
// calculateJacobian); VectFunc then obtains the derivatives of u with respect
// to v by implicit differentiation to the fourth order (one linear system in
// the Jacobian df/du per derivative) and composes them with the derivatives of
// v(x) by the multivariate chain rule, so that each u_i enters other trees,
// through an XFunc node, with its derivatives with respect to x.  With nx = -1
// ("direct" mode) the v are the outer variables themselves and there are no v
// trees.
//
// The derived class fills fNodes (each sized nu + nv) and, outside direct
// mode, uvNodes (XFunc1 nodes sized nv), ties the uNodes (XFunc, sized nx) and
// the v trees (sized nx), and writes the solution into the uvNodes' values.
// The f trees are evaluated for the derivatives at the solution (u from the
// uvNodes, v current).
#include <cstdio>
#include <memory>
#include <type_traits>
#include <vector>

#include "expressions/Function.h"
#include "numerics/Equation.h"
#include "numerics/Newton.h"

class VectFunc;
struct ImplicitTable;  // the terms of the implicit derivatives, compiled (ImplicitFunctions.cpp)

class XFunc : public Function {
public:
    VectFunc* owner = nullptr;
    int index = 0;  // position in the owner's uNodes

    ~XFunc() override;
    const char* getType() const override;
    void initialize_the_graph() override;
    void set_variable_values(double* x) override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void printFormula(std::FILE* f) override;
};

// u_i as a function of the v: its set_variable_values gives the v directly.
class XFunc1 : public XFunc {
public:
    ~XFunc1() override;
    void set_variable_values(double* v) override;
};

class VectFunc : public Equation {
public:
    int nu = 0;
    int nv = 0;
    int nx = 0;
    std::vector<Expression*> vNodes;  // empty in direct mode
    std::vector<Expression*> fNodes;
    std::vector<XFunc*> uvNodes;
    std::vector<XFunc*> uNodes;
    std::unique_ptr<Newton> newton;
    std::vector<double> rhs;
    std::vector<double*> jac;  // nu rows of nu doubles
    std::vector<double> sol;
    unsigned char direct = 0;
    unsigned char evaluated = 0;
    std::vector<double> y;  // the point of the f trees: u, then v

    VectFunc(int nu, int nv, int nx = -1);
    VectFunc(const VectFunc&) = delete;
    VectFunc& operator=(const VectFunc&) = delete;
    virtual ~VectFunc();

    virtual void assign_v_values();
    virtual void calculate_uv_values() = 0;
    virtual void calculate_the_leaves();
    virtual void calculate_ux_values();
    virtual void calculate_ux_derivatives4();
    virtual void set_variable_values(double* x);

    void tie_u_node(int i, XFunc& u);
    template <class... T>
        requires(std::is_convertible_v<T, XFunc*> && ...)
    void tie_u_nodes(T... u) {
        XFunc* list[] = {static_cast<XFunc*>(u)...};
        for (int i = 0; i < static_cast<int>(sizeof...(T)); ++i)
            if (list[i]) tie_u_node(i, *list[i]);
    }
    void tie_v_node(int a, Expression& v);
    template <class... T>
        requires(std::is_convertible_v<T, Expression*> && ...)
    void tie_v_nodes(T... v) {
        Expression* list[] = {static_cast<Expression*>(v)...};
        for (int a = 0; a < static_cast<int>(sizeof...(T)); ++a)
            if (list[a]) tie_v_node(a, *list[a]);
    }

    void set_v_values(double* v);
    void initialize_the_graph();
    void calculate_u(int order);
    void calculate_f_derivatives(int order);
    void calculateJacobian(double* y, double* G, double** J);
    void calculate(int order);
    void calculate(int order, int var);

    // Derivatives of u with respect to v (indices sorted, first the largest).
    void calculate_uv_derivatives(int a);
    void calculate_uv_derivatives(int a, int b);
    void calculate_uv_derivatives(int a, int b, int c);
    void calculate_uv_derivatives(int a, int b, int c, int d);
    // Chain rule to the x: all entries of the order, or the pure entry of x_p.
    void calculate_ux_derivatives1();
    void calculate_ux_derivatives2();
    void calculate_ux_derivatives3();
    void calculate_ux_derivatives1(int p);
    void calculate_ux_derivatives2(int p);
    void calculate_ux_derivatives3(int p);
    void calculate_ux_derivatives4(int p);

    double d3f(int i, int a, int b, int c);
    double d4f(int i, int a, int b, int c, int d);

    void check_f_derivatives(std::FILE* out, double* x, double* h);
    void check_x_derivatives(std::FILE* out, double* x, double* h);
    void check_u_derivatives(std::FILE* out, double* x, double* h);

protected:
    void uvDerivative(const int* idx, int K);
    void uxDerivative(const int* idx, int K);
    void uxOrder(int K);

private:
    bool sizesAgree();
    void evaluateAtSolution(int order);
    std::vector<double> jacStore_;
    std::vector<std::unique_ptr<Expression>> own_;  // nodes made by the checks
    bool sizeReported_ = false;
    std::unique_ptr<ImplicitTable> uvTable_, uxTable_;
    void uvOrderCompiled(int K);
    void uxOrderCompiled(int K);
};
