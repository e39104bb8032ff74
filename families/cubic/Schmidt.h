#pragma once
// The attraction term of the two-parameter cubic family (see Schmidt0) with
// the whole tree built by the constructor: "a" a quadratic sum over a node
// matrix, "b" linear in the mole fractions, and T and V as variable nodes
// "T_" and "V_" that the subclass binds to variables 0 and 1 (an unbound one
// reports itself when evaluated).  Every node is created with new and goes
// with the root.
#include "expressions/Division.h"
#include "expressions/FVar.h"
#include "expressions/Inverse.h"
#include "expressions/LineaX.h"
#include "expressions/Logarithm.h"
#include "expressions/Product.h"
#include "expressions/Sum2.h"
#include "expressions/SumX2.h"
#include "fluid/Attraction.h"

class Schmidt : public Attraction {
public:
    Schmidt(double u, double w);
    ~Schmidt() override;

    double u, w, delta;
    SumX2* a = nullptr;     // "a"
    LineaX* b = nullptr;    // "b"
    FVar* T_ = nullptr;     // "T_"
    Inverse* mRT = nullptr; // 1/(R T_)
    FVar* V_ = nullptr;     // "V_"
    Product* A0 = nullptr;
    Division* ab = nullptr;
    Logarithm* A1 = nullptr;
    Division* A2 = nullptr;
    Sum2* A3 = nullptr;
    Sum2* A4 = nullptr;
};
