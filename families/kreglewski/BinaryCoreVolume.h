#pragma once
// Close-packed volume of a binary mixture of Kreglewski's temperature-dependent
// cores (Chen & Kreglewski 1977), shared by the hard-body and the dispersion
// terms of the binary model:
//     V0i = V00i [1 - C exp(-3 u0i/T)]^3,   V012 = k12 (V01 + V02)/2,
//     V0 = x1^2 V01 + 2 x1 x2 V012 + x2^2 V02.
// The owner links the nodes to its 1/T and mole fractions and releases them
// before its own nodes that use V0.
#include "expressions/Cube.h"
#include "expressions/Exponential.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "expressions/Sum2.h"

struct BinaryCoreVolume {
    Exponential A01, A02;  // 1 - C exp(-3 u0i mT)
    Cube V01, V02;         // V00i A0i^3
    Sum2 V12;              // (k12/2) V01 + (k12/2) V02
    Square x1x1, x2x2;
    Product x1x2;
    Product x1x1V01, x1x2V12, x2x2V02;
    Sum V0;                // x1x1V01 + 2 x1x2V12 + x2x2V02

    // Links the nodes to 1/T and x1, x2 with neutral parameters, and names them.
    void build(Expression& mT, Expression& x1, Expression& x2)
    {
        A01.tie1(mT);
        A02.tie1(mT);
        A01.set_scalars3(1.0, 0.0, 0.0);
        A02.set_scalars3(1.0, 0.0, 0.0);
        V01.tie1(A01);
        V02.tie1(A02);
        V12.tie2(V01, V02);
        V12.set_scalars3(1.0, 1.0, 0.0);
        x1x1.tie1(x1);
        x2x2.tie1(x2);
        x1x2.tie2(x1, x2);
        x1x1V01.tie2(x1x1, V01);
        x1x2V12.tie2(x1x2, V12);
        x2x2V02.tie2(x2x2, V02);
        V0.number_of_terms(3);
        V0.tie_(&x1x1V01, &x1x2V12, &x2x2V02);
        V0.set_scalars_(1.0, 2.0, 1.0, 0.0);
        const struct {
            Expression* e;
            const char* n;
        } names[] = {{&A01, "A01"},         {&A02, "A02"},         {&V01, "V01"},         {&V02, "V02"},
                     {&V12, "V12"},         {&x1x1, "x1x1"},       {&x2x2, "x2x2"},       {&x1x2, "x1x2"},
                     {&x1x1V01, "x1x1V01"}, {&x1x2V12, "x1x2V12"}, {&x2x2V02, "x2x2V02"}, {&V0, "V0"}};
        for (const auto& p : names)
            p.e->setName(p.n);
    }

    // V00i (m3/mol), u0i (K), the common C and k12.
    void set(double V001, double u01, double V002, double u02, double C, double k12)
    {
        A01.set_scalars3(1.0, -C, -3.0 * u01);
        A02.set_scalars3(1.0, -C, -3.0 * u02);
        V01.set_scalars1(V001);
        V02.set_scalars1(V002);
        V12.set_scalars3(0.5 * k12, 0.5 * k12, 0.0);
    }
};
