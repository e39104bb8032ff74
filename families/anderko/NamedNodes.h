#pragma once
// Named nodes of the Anderko terms' trees, created with new and released
// through their parents: each maker links the operands, sets the scalars and
// the name, and returns the node.
#include "expressions/Exponential.h"
#include "expressions/FVar.h"
#include "expressions/Inverse.h"
#include "expressions/KVar.h"
#include "expressions/Power.h"
#include "expressions/Product.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"

namespace anderkonodes {

template <class N>
N* nm(N* e, const char* name) {
    e->setName(name);
    return e;
}
inline FVar* fvar(double f, double g, const char* name) {
    auto* e = new FVar();
    e->index = 0;
    e->set_scalars2(f, g);
    return nm(e, name);
}
inline KVar* kvar(double c, const char* name) {
    auto* e = new KVar();
    e->set_scalars1(c);
    return nm(e, name);
}
template <class N>
N* unary(Expression* u, const char* name) {
    auto* e = new N();
    e->tiep1(u);
    return nm(e, name);
}
inline Inverse* inv(Expression* u, double a, const char* name) {
    auto* e = unary<Inverse>(u, name);
    e->set_scalars1(a);
    return e;
}
inline Power* pw(Expression* u, double s, double p, double t, const char* name) {
    auto* e = unary<Power>(u, name);
    e->set_scalars3(s, p, t);
    return e;
}
inline Exponential* expo(Expression* u, double a, double b, double c, const char* name) {
    auto* e = unary<Exponential>(u, name);
    e->set_scalars3(a, b, c);
    return e;
}
inline Sum1* sum1(Expression* u, double s, double t, const char* name) {
    auto* e = unary<Sum1>(u, name);
    e->set_scalars2(s, t);
    return e;
}
inline Sum2* sum2(Expression* u, Expression* v, double a, double b, double c, const char* name) {
    auto* e = new Sum2();
    e->tiep2(u, v);
    e->set_scalars3(a, b, c);
    return nm(e, name);
}
inline Product* prod(Expression* u, Expression* v, const char* name) {
    auto* e = new Product();
    e->tiep2(u, v);
    return nm(e, name);
}
// p1 u1 + p2 u2 + p3 u3 + p0.
inline Sum* sum3(Expression* u1, Expression* u2, Expression* u3, double p1, double p2, double p3, double p0,
          const char* name) {
    auto* e = new Sum();
    e->number_of_terms(3);
    e->tie_(u1, u2, u3);
    e->set_scalars_(p1, p2, p3, p0);
    return nm(e, name);
}
// p1 u1 + p2 u2 + p3 u3 + p4 u4 + p0.
inline Sum* sum4(Expression* u1, Expression* u2, Expression* u3, Expression* u4, const double* p, const char* name) {
    auto* e = new Sum();
    e->number_of_terms(4);
    e->tie_(u1, u2, u3, u4);
    e->set_scalars_(p[0], p[1], p[2], p[3], p[4]);
    return nm(e, name);
}
// A one-operand node with the one scalar a.
template <class N>
N* unary(Expression* u, double a, const char* name) {
    auto* e = unary<N>(u, name);
    e->set_scalars1(a);
    return e;
}

}  // namespace anderkonodes
