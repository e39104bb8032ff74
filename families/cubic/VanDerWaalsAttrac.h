#pragma once
// Van der Waals attraction of a binary mixture in which only component 0
// attracts:  A/(RT) = a x_0^2/(R T V).  The sign of a is the caller's (a < 0
// attracts).  `set_a` keeps the parameter and the tree in step.
#include "expressions/Division.h"
#include "expressions/FVar.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "fluid/Interaction.h"

class VanDerWaalsAttrac : public Interaction {
public:
    VanDerWaalsAttrac();
    ~VanDerWaalsAttrac() override;

    // Two components only; any other count is refused (refusedComponents).
    void number_of_components(int n) override;
    void set_a(double a_) {
        a = a_;
        axSquare.set_scalars1(a_);
    }
    // The term's own check at a = -1, 300 K, 1.8e-5 m3/mol, x = (0.4, 0.6).
    void test();

    double a = 0.0;
    FVar Tvar;      // T
    FVar Vvar;      // "_V"
    Product RTv;    // R T V
    FVar x1;        // "_x1"
    Square axSquare;  // a x_0^2
};
