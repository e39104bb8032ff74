#pragma once
// Polynomial forms over the window of a Linear node (window indices i, j, k;
// variable I = first + i):
//   LineaX   f = sum_i a_i x_i                                   a_i at i
//   LineaX2  f = sum_i a_ii x_i^2 + 2 sum_{j<i} a_ij x_i x_j      a_ij (j <= i) at i(i+1)/2 + j
//   LineaX3  f = sum_{k<=j<=i} m_ijk a_ijk x_i x_j x_k            a_ijk at (i^2(i+1) + j(j+1))/2 + k
// with m = 1, 3 or 6 for one, two or three distinct indices.  The LineaX3
// packing leaves some positions unused (for count 3, positions 4 and 5); they
// are never read.  LineaX takes its coefficients with set_scalars_(a0, ...);
// owners write those of LineaX2 and LineaX3 into `a`.
#include "expressions/Linear.h"

class LineaX : public Linear {
public:
    ~LineaX() override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void setScalarsList(std::span<const double> c) override;
    void printFormula(std::FILE* f) override;
    void defineXVariables(int first, int count) override;
    void clean(int order);
};

class LineaX2 : public Linear {
public:
    ~LineaX2() override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void printFormula(std::FILE* f) override;
    void defineXVariables(int first, int count) override;
    void clean(int order);
    static int position(int i, int j) { return i * (i + 1) / 2 + j; }
    double coef(int i, int j) const { return i >= j ? a[position(i, j)] : a[position(j, i)]; }
};

class LineaX3 : public Linear {
public:
    ~LineaX3() override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void printFormula(std::FILE* f) override;
    void defineXVariables(int first, int count) override;
    void clean(int order);
    static int position(int i, int j, int k) { return (i * i * (i + 1) + j * (j + 1)) / 2 + k; }
    // The coefficient of the indices in any order.
    double coef(int i, int j, int k) const;
};
