#pragma once
// A node of type N created with new into entry i (or i, j) of a node array
// of a cubic term, and named after the array and its indices. The term's
// tree releases it through its parents.
#include "expressions/ExpressionArrays.h"

namespace cubicnodes {

template <class N>
N* make(Expr1& arr, int i) {
    auto* e = new N();
    arr(i) = e;
    arr.setName(i);
    return e;
}

template <class N>
N* make(Expr2& arr, int i, int j) {
    auto* e = new N();
    arr(i, j) = e;
    arr.setName(i, j);
    return e;
}

}  // namespace cubicnodes
