#pragma once
// Product: a*u*v, with every mixed derivative by Leibniz's rule.
//
// A separable product, u a function of one variable i and v of another one j
// (a power of the density times a function of the temperature), has one
// nonzero term in each entry of Leibniz's rule: to the second order it is
// computed from that term alone, with the operations of the full rule, whose
// other terms add exact zeros (they could differ only in the sign of a zero,
// and where an infinite derivative of one factor meets the zero derivative
// of the other, which the full rule turns into NaN).  The same holds of the
// rule as the passes of order 3 and 4 write it (Expression::
// sHigherOrderProducts), and of the one-variable passes of a product whose
// factor does not depend on the variable (freeChildKernel).
#include "expressions/BinOp.h"

class Product : public BinOp {
public:
    double a = 1.0;

    ~Product() override;
    const char* getType() const override;
    void calculate(int order) override;
    void calculate(int order, int var) override;
    void evaluateNode(int order) override;
    void evaluateNode(int order, int var) override;
    VarKernel varKernel(int order) const override;
    VarKernel freeChildKernel(int child, int order) const override;
    FullKernel fullKernel(int order) const override;
    // A kernel of the product's shape (see below), for the first two orders.
    FullKernel uniformFullKernel(int order) override;
    template <int S, int K>
    void evaluateShape();
    template <int S, int K>
    void evaluateShapeHigher();
    void set_scalars1(double a) override;
    void printFormula(std::FILE* f) override;

private:
    // The shape of the product for the first two orders, while shapeWatch_
    // (over the product and its factors) stays unchanged: separable (i the variable of u, j that of v), over one
    // variable i, over two variables i < j, or none of these (general); with
    // the offsets of the second-order entries of i and j.
    enum class Shape : unsigned char { General, Separable, One, Two };
    void findShape();
    void evaluateGeneral(int order);
    Shape shape_ = Shape::General;
    int i_ = -1, j_ = -1, ii_ = 0, jj_ = 0, ij_ = 0;
    std::shared_ptr<StructureWatch> shapeWatch_;
};
