#include "water/HillRes.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "water/LeafDerivatives.h"

using waterleaf::link;

// The product a*b, made once: a second request for the same pair returns the
// node already linked.
Expression* HillRes::product(Expression& a, Expression& b)
{
    for (Product& p : prod)
        if (p.u == &a && p.v == &b)
            return &p;
    Product& p = prod.emplace_back();
    p.tie2(a, b);
    return &p;
}

HillRes::HillRes()
{
    leavesDependOnlyOn({{&T1, 0}, {&rho, 1}, {&Ldelta, 1}});
    setModelName("HillRes");
    T1.setName("T1");
    rho.setName("rho");

    link(T2, "T2", T1);
    link(T3, "T3", T1);
    link(T4, "T4", T2);
    link(T5, "T5", T4, T1);
    link(T6, "T6", T3);
    link(T7, "T7", T6, T1);
    link(T8, "T8", T4);
    link(T9, "T9", T8, T1);
    link(T11, "T11", T9, T2);

    delta2.tie1(rho);
    delta3.tie1(rho);
    delta4.tie1(delta2);
    delta5.tie1(rho);
    delta5.set_scalars3(1.0, 5.0, 0.0);
    delta6.tie1(rho);
    delta6.set_scalars3(1.0, 6.0, 0.0);
    delta7.tie1(rho);
    delta7.set_scalars3(1.0, 7.0, 0.0);
    lndelta.tie1(rho);
    lndelta.set_scalars3(1.0, 0.0, 0.0);

    link(E, "E", delta2);
    E.set_scalars3(0.0, 1.0, -1.0);
    link(mE, "mE", E);
    mE.set_scalars2(-1.0, 1.0);
    link(Ra1, "Ra1", mE, rho);
    link(Ra3, "Ra3", mE, rho);
    link(Ra4, "Ra4", mE, delta2);
    link(Ra5, "Ra5", mE, delta3);
    link(Ra6, "Ra6", mE, delta4);
    link(Ra7, "Ra7", mE, delta5);
    mElndelta.tie2(mE, lndelta);
    delta2lndelta.tie2(delta2, lndelta);
    Ra2.setName("Ra2");
    Ra2.number_of_terms(3);
    Ra2.tie_(&mElndelta, &delta2lndelta, &delta2);
    Ra2.set_scalars_(1.0, -1.0, 0.5, 0.0);

    G0.setName("G0");
    G0.number_of_terms(4);
    G0.tie_(&T1, &rho, &T2, &delta2);
    G0.set_scalars_(-340.0, 23.0, -130.0, -12.0, -221.0);
    link(G, "G", G0);
    G.set_scalars3(0.0, 1.0, 1.0);
    link(H0, "H0", T1);
    H0.set_scalars2(1.0, 3.0);
    link(H, "H", H0);
    H.set_scalars3(0.0, 1.0, -4.0);

    struct Term {
        Expression* a;
        Expression* b;  // null: a alone
        double c;
    };
    auto fill = [this](Sum& s, const char* name, std::initializer_list<Term> terms) {
        s.setName(name);
        s.number_of_terms(static_cast<int>(terms.size()));
        int i = 0;
        for (const Term& k : terms) {
            s.tiei(i, k.b ? *product(*k.a, *k.b) : *k.a);
            s.set_scalar(i, k.c);
            ++i;
        }
        s.set_scalar(i, 0.0);
    };
    fill(W1, "W1",
         {{&Ra4, nullptr, 0.3384249125},       {&Ra5, nullptr, -0.07153393406},   {&Ra7, nullptr, 0.0005493680814},
          {&Ra3, &T1, 0.04933218501},          {&Ra6, &T1, -0.02328491212},       {&Ra7, &T1, 0.002402095181},
          {&Ra1, &T2, 0.7529422956},           {&Ra3, &T2, -2.28026007},          {&Ra2, &T3, 1.142004144},
          {&Ra3, &T3, -2.619059624},           {&Ra5, &T3, 0.4395237702},         {&Ra6, &T3, -0.03161046646},
          {&Ra7, &T3, 0.0006814467692},        {&Ra1, &T4, -0.3924227294},        {&Ra3, &T4, -0.2738770648},
          {&Ra4, &T5, -0.01943443857},         {&Ra5, &T5, 0.003048860434},       {&Ra3, &T6, 0.003946510403}});
    fill(W2, "W2",
         {{&rho, nullptr, 0.2243610314},  {&delta2, nullptr, 0.1193250201}, {&delta5, nullptr, 0.06582959348},
          {&delta5, &T1, 0.1651430628},   {&rho, &T2, -2.178969357},        {&delta2, &T2, 0.2674090542},
          {&delta3, &T2, 0.8647490995},   {&rho, &T3, -0.1530432257},       {&delta3, &T3, 2.059881454},
          {&delta6, &T3, -0.4888628703},  {&delta7, &T3, 0.1375328753},     {&delta5, &T4, -0.9015180666},
          {&delta6, &T4, -0.1444258609},  {&delta7, &T4, 0.1558046279},     {&delta4, &T5, -2.740652563},
          {&delta6, &T5, 0.4983771706},   {&delta4, &T6, -3.261978564},     {&delta5, &T6, 1.609338784},
          {&rho, &T7, 0.03484674963},     {&delta2, &T7, -1.537646434},     {&delta5, &T7, 0.2316225257},
          {&delta2, &T8, -1.419249232},   {&delta3, &T8, 0.7969984635},     {&delta5, &T9, 0.007510544627},
          {&rho, &T11, 0.0005364384732}});
    fill(W3, "W3",
         {{&delta2, &T2, 0.6109381296},  {&delta4, &T2, -0.01906644459}, {&delta6, &T2, 0.007976092188},
          {&delta2, &T3, 1.934466766},   {&delta2, &T4, 1.921820547},    {&delta4, &T4, -0.04410105919},
          {&delta2, &T5, 0.6130354419},  {&delta3, &T5, -0.2855258689},  {&delta6, &T5, 0.0252613708},
          {&delta3, &T6, -0.2374074642}, {&delta5, &T6, 0.03855866402},  {&delta6, &T6, 0.00804167215}});
    fill(W4, "W4",
         {{&Ra3, nullptr, -16.3543903},    {&Ra1, &T1, -50.25818675},     {&Ra2, &T3, 0.164900304},
          {&Ra1, &T4, -0.8499893502},      {&Ra1, &T8, 0.008314382544},   {&Ra2, &T8, 0.0008781327858},
          {&Ra2, &T9, 0.001537391213},     {&Ra3, &T9, -0.0009016873786}, {&Ra5, &T9, 0.0003326628664}});
    link(EW2, "EW2", E, W2);
    link(GW3, "GW3", G, W3);
    link(HW4, "HW4", H, W4);

    Sum* A = new Sum;
    A->setName("A");
    A->number_of_terms(5);
    A->tie_(&Ldelta, &W1, &EW2, &GW3, &HW4);
    A->set_scalars_(1.0, 1.0, 1.0, 1.0, 1.0, 0.0);
    root = A;
    setDebugLink();
}

void HillRes::calculate_fixed_parameters()
{
    waterleaf::load(T1, 0, waterleaf::power(-theta, T, -1.0));
}

void HillRes::calculate_volume_dependent_parameters()
{
    using namespace waterleaf;
    Jet l = logarithm(-1.0, V);
    l.f[0] = std::log(omega / V);
    load(Ldelta, 1, l);
    load(rho, 1, power(omega, V, -1.0));
}
