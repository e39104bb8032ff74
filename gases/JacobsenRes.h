#pragma once
// A 28-term residual Helmholtz energy of nitrogen over tau = Tc/T and
// delta = Vc/V (Tc = 126.193 K, Vc = 1/11177 m3/mol):
//   a_r = sum N_k delta^d_k tau^t_k [exp(-delta^l_k)],
// the terms numbered by their places in the bank of terms of the nitrogen
// equation of Jacobsen, Stewart & Jahangiri (J. Phys. Chem. Ref. Data 15,
// 735, 1986).  No model puts it in a term slot; it is a complete residual term
// that can stand in for `JacobsenRes1`.
#include "expressions/Cube.h"
#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Power.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "gases/TauDeltaResidual.h"

class JacobsenRes : public TauDeltaResidual {
public:
    JacobsenRes();
    ~JacobsenRes() override;

    static constexpr double kTc = 126.193;                 // K
    static constexpr double kVc = 8.946944618412812e-05;   // m3/mol, 1/11177

    struct Row {
        int k;       // number of the term in the bank
        double N;
        int d;
        double t;
        int factor;  // 0 none; 2, 3, 4: exp(-delta^l)
    };
    static const Row kRows[28];

    Square delta2;
    Cube delta3;
    Square delta4;
    Square delta6;
    Exponential e2, e3, e4;
    Square tau2;
    Cube tau3;
    Square tau4;
    Product tau5;
    Square tau6;
    Square tau8;
    Power tauPowers[8];  // tau^0.25, 1.5, 0.5, 0.75, 14, 18, 20, 22
    Product dt[28];
    Product de[12];

    Expression* deltaPower(int d);
    Expression* tauPower(double t);
};
