#include "gases/JacobsenRes1.h"

#include <cstdio>
#include <string>

const JacobsenRes1::Row JacobsenRes1::kRows[36] = {
    {0.924803575275, 1, 0.25, 0},      {-0.492448489428, 1, 0.875, 0},   {0.661883336938, 2, 0.5, 0},
    {-1.92902649201, 2, 0.875, 0},     {-0.0622469309629, 3, 0.375, 0}, {0.349943957581, 3, 0.75, 0},
    {0.564857472498, 1, 0.5, 1},       {-1.61720005987, 1, 0.75, 1},     {-0.481395031883, 1, 2, 1},
    {0.421150636384, 3, 1.25, 1},      {-0.0161962230825, 3, 3.5, 1},   {0.172100994165, 4, 1, 1},
    {0.00735448924933, 6, 0.5, 1},     {0.0168077305479, 6, 3, 1},       {-0.00107626664179, 7, 0, 1},
    {-0.0137318088513, 7, 2.75, 1},    {0.000635466899859, 8, 0.75, 1}, {0.00304432279419, 8, 2.5, 1},
    {-0.0435762336045, 1, 4, 2},       {-0.0723174889316, 2, 6, 2},     {0.0389644315272, 3, 6, 2},
    {-0.021220136391, 4, 3, 2},        {0.00408822981509, 5, 3, 2},     {-5.51990017984e-05, 8, 6, 2},
    {-0.0462016716479, 4, 16, 3},      {-0.00300311716011, 5, 11, 3},   {0.0368825891208, 5, 15, 3},
    {-0.0025585684622, 8, 12, 3},      {0.00896915264558, 3, 12, 4},    {-0.0044151337035, 5, 7, 4},
    {0.00133722924858, 6, 4, 4},       {0.000264832491957, 9, 16, 4},   {19.6688194015, 1, 0, 33},
    {-20.911560073, 1, 1, 34},         {0.0167788306989, 3, 2, 35},     {2627.67566274, 2, 3, 36},
};

namespace {
constexpr double kFractional[9] = {0.25, 0.375, 0.5, 0.75, 0.875, 1.25, 2.5, 2.75, 3.5};
const char* const kFractionalNames[9] = {"tau025", "tau0375", "tau050", "tau075", "tau0875",
                                         "tau125", "tau250", "tau275", "tau350"};
}  // namespace

Expression* JacobsenRes1::deltaPower(int d)
{
    Expression* nodes[10] = {nullptr, &delta, &delta2, &delta3, &delta4, &delta5, &delta6, &delta7, &delta8, &delta9};
    return (d >= 1 && d <= 9) ? nodes[d] : nullptr;
}

Expression* JacobsenRes1::tauPower(double t)
{
    for (int i = 0; i < 9; ++i)
        if (t == kFractional[i])
            return &tauFractional[i];
    switch (static_cast<int>(t)) {
    case 1: return &tau;
    case 2: return &tau2;
    case 3: return &tau3;
    case 4: return &tau4;
    case 5: return &tau5;
    case 6: return &tau6;
    case 7: return &tau7;
    case 8: return &tau8;
    case 11: return &tau11;
    case 12: return &tau12;
    case 15: return &tau15;
    case 16: return &tau16;
    default: return nullptr;
    }
}

JacobsenRes1::JacobsenRes1() : TauDeltaResidual(kTc, kVc)
{
    delta2.tie1(delta);
    delta3.tie1(delta);
    delta4.tie1(delta2);
    delta5.tie2(delta3, delta2);
    delta6.tie1(delta3);
    delta7.tie2(delta6, delta);
    delta8.tie1(delta4);
    delta9.tie2(delta5, delta4);
    tau2.tie1(tau);
    tau3.tie1(tau);
    tau4.tie1(tau2);
    tau5.tie2(tau3, tau2);
    tau6.tie1(tau3);
    tau7.tie2(tau5, tau2);
    tau8.tie1(tau4);
    tau11.tie2(tau8, tau3);
    tau12.tie2(tau8, tau4);
    tau15.tie2(tau8, tau7);
    tau16.tie1(tau8);
    for (int i = 0; i < 9; ++i) {
        tauFractional[i].tie1(tau);
        tauFractional[i].set_scalars3(1.0, kFractional[i], 0.0);
    }

    // The coefficient nodes N delta^d tau^t.
    int np = 0, nl = 0;
    for (int k = 0; k < 36; ++k) {
        const Row& r = kRows[k];
        Expression* t = tauPower(r.t);
        if (t) {
            Product& p = dtProducts[np++];
            p.tie2(*deltaPower(r.d), *t);
            p.set_scalars1(r.N);
            dt[k] = &p;
        } else {
            Sum1& s = dtLinear[nl++];
            s.tie1(*deltaPower(r.d));
            s.set_scalars2(r.N, 0.0);
            dt[k] = &s;
        }
    }

    e1.tie1(delta);
    e2.tie1(delta2);
    e3.tie1(delta3);
    e4.tie1(delta4);
    for (Exponential* e : {&e1, &e2, &e3, &e4})
        e->set_scalars3(0.0, 1.0, -1.0);
    deltam.tie1(delta);
    deltam.set_scalars2(1.0, -1.0);
    deltamsq.tie1(deltam);
    const Gaussian* g = kGaussians;
    taum33.tie1(tau);
    taum33.set_scalars2(1.0, -g[0].gamma);
    taum35.tie1(tau);
    taum35.set_scalars2(1.0, -g[2].gamma);
    taum36.tie1(tau);
    taum36.set_scalars2(1.0, -g[3].gamma);
    taum33sq.tie1(taum33);
    taum35sq.tie1(taum35);
    taum36sq.tie1(taum36);
    n33.tie2(deltamsq, taum33sq);
    n33.set_scalars3(-g[0].alpha, -g[0].beta, 0.0);
    n34.tie2(deltamsq, taum33sq);
    n34.set_scalars3(-g[1].alpha, -g[1].beta, 0.0);
    n35.tie2(deltamsq, taum35sq);
    n35.set_scalars3(-g[2].alpha, -g[2].beta, 0.0);
    n36.tie2(deltamsq, taum36sq);
    n36.set_scalars3(-g[3].alpha, -g[3].beta, 0.0);
    e33.tie1(n33);
    e34.tie1(n34);
    e35.tie1(n35);
    e36.tie1(n36);
    for (Exponential* e : {&e33, &e34, &e35, &e36})
        e->set_scalars3(0.0, 1.0, 1.0);

    Expression* factors[37] = {};
    factors[1] = &e1;
    factors[2] = &e2;
    factors[3] = &e3;
    factors[4] = &e4;
    factors[33] = &e33;
    factors[34] = &e34;
    factors[35] = &e35;
    factors[36] = &e36;

    Sum* A = new Sum;
    A->number_of_terms(36);
    for (int k = 0; k < 36; ++k) {
        if (kRows[k].factor == 0) {
            A->tiei(k, *dt[k]);
        } else {
            Product& p = de[k - 6];
            p.tie2(*dt[k], *factors[kRows[k].factor]);
            A->tiei(k, p);
        }
        A->set_scalar(k, 1.0);
    }
    A->set_scalar(36, 0.0);
    A->setName("A");
    root = A;

    delta2.setName("delta2");
    delta3.setName("delta3");
    delta4.setName("delta4");
    delta5.setName("delta5");
    delta6.setName("delta6");
    delta7.setName("delta7");
    delta8.setName("delta8");
    delta9.setName("delta9");
    tau2.setName("tau2");
    tau3.setName("tau3");
    tau4.setName("tau4");
    tau5.setName("tau5");
    tau6.setName("tau6");
    tau7.setName("tau7");
    tau8.setName("tau8");
    tau11.setName("tau11");
    tau12.setName("tau12");
    tau15.setName("tau15");
    tau16.setName("tau16");
    for (int i = 0; i < 9; ++i)
        tauFractional[i].setName(kFractionalNames[i]);
    for (int k = 0; k < 36; ++k)
        dt[k]->setName(("dt" + std::to_string(k + 1)).c_str());
    for (int k = 6; k < 36; ++k)
        de[k - 6].setName(("de" + std::to_string(k + 1)).c_str());
    e1.setName("e1");
    e2.setName("e2");
    e3.setName("e3");
    e4.setName("e4");
    deltam.setName("deltam");
    deltamsq.setName("deltamsq");
    taum33.setName("taum33");
    taum35.setName("taum35");
    taum36.setName("taum36");
    taum33sq.setName("taum33sq");
    taum35sq.setName("taum35sq");
    taum36sq.setName("taum36sq");
    n33.setName("n33");
    n34.setName("n34");
    n35.setName("n35");
    n36.setName("n36");
    e33.setName("e33");
    e34.setName("e34");
    e35.setName("e35");
    e36.setName("e36");
    setModelName("Jacobsen N2");
    setDebugLink();
}

JacobsenRes1::~JacobsenRes1()
{
    delete root;
    root = nullptr;
}
