#pragma once
// The quadratic mixing of the term-built cubic attraction terms (Soave1,
// Nirma, StryjekVera): a node matrix over the component attraction nodes ai,
//     aij = bpa_ij sqrt(ai_i ai_j) (j < i),  aii = ai_i,  bpa_ij = 1 - kaij,
// summed by "a" = sum_i sum_j x_i x_j aij, and the co-volume form
//     "b" = sum_i sum_j x_i x_j b_ij,  b_ij = ((b_i + b_j)/2)(1 - kbij).
// The nodes are created with new and released with the term's tree.
#include <vector>

#include "expressions/ExpressionArrays.h"
#include "expressions/LineaX2.h"
#include "expressions/SumX2.h"

struct CubicPairs {
    Expr2 aij, bpa, aijr, aijp;
    std::vector<double> covolumes;  // b_i, m3/mol
    std::vector<double> diameters;  // hard-sphere diameters, m
    std::vector<double> bij;        // lower triangle, (i, j) at i(i+1)/2 + j
    std::vector<double> kaij;       // n x n, symmetric
    std::vector<double> kbij;       // n x n, symmetric
    int n = 0;

    CubicPairs() {
        aij.setName("aij");
        bpa.setName("bpa");
        aijr.setName("aijr");
        aijp.setName("aijp");
    }
    static int tri(int i, int j) { return i >= j ? i * (i + 1) / 2 + j : j * (j + 1) / 2 + i; }

    // Sizes the arrays and sets the window of "b".
    void size(int count, LineaX2* b);
    // Builds the pair nodes of component i over the nodes ai(0..i) and ties
    // row i into "a".
    void buildRow(int i, Expr1& ai, SumX2* a);
    // Off-diagonal bpa leaves are constants.
    void clearConstantFlags();
    // b_ij from the co-volumes and kbij, written into "b".
    void apply(LineaX2* b);
    void setKaij(int i, int j, double k);
    void setKbij(int i, int j, double k);
    // Sets b_i and the diameter; true when i is the last component.
    bool setCovolume(int i, double b);
    bool setDiameter(int i, double sigma);
    double mixtureCovolume(const std::vector<double>& x) const;
};
