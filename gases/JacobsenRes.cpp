#include "gases/JacobsenRes.h"

#include <cstdio>
#include <string>

const JacobsenRes::Row JacobsenRes::kRows[28] = {
    {1, 0.9499541827, 1, 0.25, 0},     {4, -2.049741504, 1, 1, 0},       {6, 0.2650110798, 1, 1.5, 0},
    {10, -0.3785445194, 1, 3, 0},      {15, 0.2481718513, 2, 0.25, 0},   {16, -0.1748429008, 2, 0.5, 0},
    {20, 0.07311459372, 2, 2, 0},      {22, 0.1895290433, 2, 3, 0},      {24, -0.2046287122, 3, 0.25, 0},
    {25, 0.6387017148, 3, 0.5, 0},     {26, -0.5272986168, 3, 0.75, 0},  {31, 0.05551383553, 4, 1, 0},
    {32, -0.0281308071, 4, 2, 0},      {33, 0.007001895093, 4, 3, 0},    {36, -0.0008191106396, 6, 1, 0},
    {37, 0.001659823569, 6, 2, 0},     {42, -0.04927710927, 1, 3, 3},    {43, 0.1138121942, 1, 4, 3},
    {50, 0.05032519699, 2, 1, 2},      {51, 0.06012817812, 2, 2, 2},     {54, -0.09551409802, 2, 5, 2},
    {57, -0.01100721771, 2, 8, 4},     {63, -0.0001484600538, 2, 20, 4}, {79, -0.005806483467, 3, 22, 3},
    {80, 0.06512013679, 4, 4, 2},      {82, 0.0211835414, 4, 6, 2},      {89, 0.0128443221, 4, 14, 4},
    {91, -0.0105447491, 4, 18, 4},
};

namespace {
constexpr double kPowers[8] = {0.25, 1.5, 0.5, 0.75, 14.0, 18.0, 20.0, 22.0};
const char* const kPowerNames[8] = {"tau025", "tau150", "tau050", "tau075", "tau14", "tau18", "tau20", "tau22"};
}  // namespace

Expression* JacobsenRes::deltaPower(int d)
{
    switch (d) {
    case 1: return &delta;
    case 2: return &delta2;
    case 3: return &delta3;
    case 4: return &delta4;
    case 6: return &delta6;
    default: return nullptr;
    }
}

Expression* JacobsenRes::tauPower(double t)
{
    for (int i = 0; i < 8; ++i)
        if (t == kPowers[i])
            return &tauPowers[i];
    switch (static_cast<int>(t)) {
    case 1: return &tau;
    case 2: return &tau2;
    case 3: return &tau3;
    case 4: return &tau4;
    case 5: return &tau5;
    case 6: return &tau6;
    case 8: return &tau8;
    default: return nullptr;
    }
}

JacobsenRes::JacobsenRes() : TauDeltaResidual(kTc, kVc)
{
    delta2.tie1(delta);
    delta3.tie1(delta);
    delta4.tie1(delta2);
    delta6.tie1(delta3);
    e2.tie1(delta2);
    e3.tie1(delta3);
    e4.tie1(delta4);
    for (Exponential* e : {&e2, &e3, &e4})
        e->set_scalars3(0.0, 1.0, -1.0);
    tau2.tie1(tau);
    tau3.tie1(tau);
    tau4.tie1(tau2);
    tau5.tie2(tau3, tau2);
    tau6.tie1(tau3);
    tau8.tie1(tau4);
    for (int i = 0; i < 8; ++i) {
        tauPowers[i].tie1(tau);
        tauPowers[i].set_scalars3(1.0, kPowers[i], 0.0);
    }

    Expression* factors[5] = {nullptr, nullptr, &e2, &e3, &e4};
    Sum* A = new Sum;
    A->number_of_terms(28);
    int nde = 0;
    for (int i = 0; i < 28; ++i) {
        const Row& r = kRows[i];
        dt[i].tie2(*deltaPower(r.d), *tauPower(r.t));
        dt[i].set_scalars1(r.N);
        dt[i].setName(("dt" + std::to_string(r.k)).c_str());
        if (r.factor == 0) {
            A->tiei(i, dt[i]);
        } else {
            Product& p = de[nde++];
            p.tie2(dt[i], *factors[r.factor]);
            p.setName(("de" + std::to_string(r.k)).c_str());
            A->tiei(i, p);
        }
        A->set_scalar(i, 1.0);
    }
    A->set_scalar(28, 0.0);
    A->setName("A");
    root = A;

    delta2.setName("delta2");
    delta3.setName("delta3");
    delta4.setName("delta4");
    delta6.setName("delta6");
    e2.setName("e2");
    e3.setName("e3");
    e4.setName("e4");
    tau2.setName("tau2");
    tau3.setName("tau3");
    tau4.setName("tau4");
    tau5.setName("tau5");
    tau6.setName("tau6");
    tau8.setName("tau8");
    for (int i = 0; i < 8; ++i)
        tauPowers[i].setName(kPowerNames[i]);
    setModelName("Jacobsen N2 (28 terms)");
    setDebugLink();
}

JacobsenRes::~JacobsenRes()
{
    delete root;
    root = nullptr;
}
