#pragma once
// Reading the derivatives of an expression node by unordered variable indices.
// The engine stores a mixed derivative once, at its indices sorted in
// descending order; these helpers sort for the caller.
#include <algorithm>
#include <initializer_list>
#include <utility>

#include "expressions/Expression.h"

// Value (no index) or derivative of order 1 to 4 in the given variables.
inline double treeDerivative(const Expression* e, std::initializer_list<int> vars) {
    int v[4] = {0, 0, 0, 0};
    int n = 0;
    for (int i : vars) {
        if (n < 4) v[n++] = i;
    }
    // Descending by exchange: at most four indices (std::sort here draws a
    // false array-bounds warning from GCC where the call is inlined).
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (v[j] > v[i]) std::swap(v[i], v[j]);
    switch (n) {
        case 0: return e->value;
        case 1: return e->d1[v[0]];
        case 2: return e->d2[v[0]][v[1]];
        case 3: return e->d3[v[0]][v[1]][v[2]];
        default: return e->d4[v[0]][v[1]][v[2]][v[3]];
    }
}

// Derivative with nT derivatives in T (variable 0), nV in V (variable 1) and
// nx along the composition x of a binary mixture, x_1 = x, x_0 = 1 - x
// (each x-derivative is d/dx_1 - d/dx_0 on variables 3 and 2).
inline double binaryDerivative(const Expression* e, int nT, int nV, int nx) {
    static const int binom[5][5] = {{1, 0, 0, 0, 0}, {1, 1, 0, 0, 0}, {1, 2, 1, 0, 0}, {1, 3, 3, 1, 0}, {1, 4, 6, 4, 1}};
    double s = 0.0;
    for (int k = 0; k <= nx; k++) {  // k derivatives on x_1, nx - k on x_0
        int v[4];  // the indices descending, as stored: x_1, x_0, V, T
        int n = 0;
        for (int i = 0; i < k && n < 4; i++) v[n++] = 3;
        for (int i = 0; i < nx - k && n < 4; i++) v[n++] = 2;
        for (int i = 0; i < nV && n < 4; i++) v[n++] = 1;
        for (int i = 0; i < nT && n < 4; i++) v[n++] = 0;
        double d;
        switch (n) {
            case 0: d = e->value; break;
            case 1: d = e->d1[v[0]]; break;
            case 2: d = e->d2[v[0]][v[1]]; break;
            case 3: d = e->d3[v[0]][v[1]][v[2]]; break;
            default: d = e->d4[v[0]][v[1]][v[2]][v[3]]; break;
        }
        const double sign = ((nx - k) % 2) ? -1.0 : 1.0;
        s += sign * binom[nx][k] * d;
    }
    return s;
}
