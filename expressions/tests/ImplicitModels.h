#pragma once
// Small models built on the implicit-function bases, for the tests.
//
// CubicMono: u(x) defined by F = u^3 + 2u + u L(x) - Q(x) - d = 0 with L a
// linear and Q a quadratic form of the x (L >= 0 keeps F increasing in u, so
// the root is unique).  The root comes from the secant record, polished by
// Newton steps on F.
//
// CubicPair: u_0, u_1 defined through two intermediate quantities v_0, v_1 by
//   f_0 = u_0^3 + 2 u_0 + 0.3 u_1 - v_0 = 0,
//   f_1 = u_1^3 + 2 u_1 + 0.3 u_0 v_1 - v_1 + c = 0,
// solved by the Newton record, polished by Newton steps on calculateJacobian.
#include <cmath>
#include <memory>
#include <vector>

#include "expressions/FVar.h"
#include "expressions/LineaX.h"
#include "expressions/MonoFunc.h"
#include "expressions/Product.h"
#include "expressions/Sum.h"
#include "expressions/UnaryNodes.h"
#include "expressions/VectFunc.h"

namespace rg {

class CubicMono : public MonoFunc {
public:
    std::unique_ptr<Sum> Froot;
    double start = 1.0;

    CubicMono(int n, const std::vector<double>& b, const std::vector<double>& q, double d) : MonoFunc(n) {
        auto* U = new FVar;
        U->index = 0;
        auto* cube = new Cube;
        cube->tiep1(U);
        auto* L = new LineaX;
        L->defineXVariables(1, n);
        L->a = b;
        auto* UL = new Product;
        UL->tiep2(U, L);
        auto* Q = new LineaX2;
        Q->defineXVariables(1, n);
        Q->a = q;
        Froot.reset(new Sum);
        Froot->number_of_terms(4);
        Froot->tieip(0, cube);
        Froot->tieip(1, U);
        Froot->tieip(2, UL);
        Froot->tieip(3, Q);
        Froot->set_scalarsx(std::vector<double>{1.0, 2.0, 1.0, -1.0, -d}.data());
        F = Froot.get();
        F->number_of_variables(n + 1);
        F->analyze_dependencies();
        solver->obj = this;
        solver->fn = toEquationFn<ScalarEquationFn>(&CubicMono::residual);
        solver->tol = 1e-12;
        solver->itermax = 100;
    }
    double last = 0.0;  // the last point of the search: its root when it converged
    double residual(double u, void*) {
        last = u;
        return evaluateF(u, 0);
    }
    void calculate_u() override {
        solver->x0 = start;
        solver->x1 = start * 1.01 + 0.01;
        MonoFunc::calculate_u();
        double u = last;
        for (int k = 0; k < 3; ++k) {
            const double f = evaluateF(u, 1);
            const double fu = F->d1[0];
            if (fu != 0.0) u -= f / fu;
        }
        start = u;
        node->value = u;
    }
};

class CubicPair : public VectFunc {
public:
    std::unique_ptr<Sum> f0, f1;
    std::unique_ptr<XFunc1> uv0, uv1;
    double c = 0.0;
    double yy[4] = {0, 0, 0, 0};
    double G[2] = {0, 0};
    double Jrow0[2] = {0, 0}, Jrow1[2] = {0, 0};
    double* J[2] = {Jrow0, Jrow1};
    double guess[2] = {0.5, 0.5};

    CubicPair(int nx, double c_) : VectFunc(2, 2, nx), c(c_) {
        auto var = [](int i) {
            auto* v = new FVar;
            v->index = i;
            return v;
        };
        FVar* U0 = var(0);
        FVar* U1 = var(1);
        FVar* V0 = var(2);
        FVar* V1 = var(3);
        auto* c0 = new Cube;
        c0->tiep1(U0);
        auto* c1 = new Cube;
        c1->tiep1(U1);
        auto* p = new Product;
        p->tiep2(U0, V1);
        f0.reset(new Sum);
        f0->number_of_terms(4);
        f0->tie_(c0, U0, U1, V0);
        f0->set_scalars_(1.0, 2.0, 0.3, -1.0, 0.0);
        f1.reset(new Sum);
        f1->number_of_terms(4);
        f1->tie_(c1, U1, p, V1);
        f1->set_scalars_(1.0, 2.0, 0.3, -1.0, c);
        fNodes[0] = f0.get();
        fNodes[1] = f1.get();
        for (Expression* f : fNodes) {
            f->number_of_variables(4);
            f->analyze_dependencies();
        }
        uv0.reset(new XFunc1);
        uv1.reset(new XFunc1);
        uvNodes[0] = uv0.get();
        uvNodes[1] = uv1.get();
        for (XFunc* u : uvNodes) {
            u->owner = this;
            u->number_of_variables(2);
        }
        uv1->index = 1;
        newton->_setSysEquationToSolve(this, toEquationFn<SysEquationFn>(&CubicPair::system), 2);
    }
    void system(double* x, double* g, double** jac_, int& err, int, void*) {
        yy[0] = x[0];
        yy[1] = x[1];
        yy[2] = y[2];
        yy[3] = y[3];
        calculateJacobian(yy, g, jac_);
        err = 0;
    }
    void calculate_uv_values() override {
        newton->x[0] = guess[0];
        newton->x[1] = guess[1];
        newton->solve();
        double u0 = newton->x[0], u1 = newton->x[1];
        for (int k = 0; k < 3; ++k) {
            yy[0] = u0, yy[1] = u1, yy[2] = y[2], yy[3] = y[3];
            calculateJacobian(yy, G, J);
            const double det = J[0][0] * J[1][1] - J[0][1] * J[1][0];
            u0 -= (J[1][1] * G[0] - J[0][1] * G[1]) / det;
            u1 -= (-J[1][0] * G[0] + J[0][0] * G[1]) / det;
        }
        guess[0] = u0;
        guess[1] = u1;
        uvNodes[0]->value = u0;
        uvNodes[1]->value = u1;
    }
};

}  // namespace rg
