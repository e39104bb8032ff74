#pragma once
// Duan: the single term of the Duan-Moller-Weare family of equations of state
// (Duan, Moller & Weare, Geochim. Cosmochim. Acta 56, 2605 (1992)), the
// reduced Helmholtz energy of a fluid whose compressibility factor is
//     Z = 1 + B/Vr + C/Vr^2 + D/Vr^4 + E/Vr^5 + (F/Vr^2)(beta + gamma/Vr^2) exp(-gamma/Vr^2).
// Written over the molar volume V (m3/mol) with coefficients already scaled
// by the reference volume,
//     A/(RT) = -ln V + Bd/V + Cd/(2 V^2) + Dd/(4 V^4) + Ed/(5 V^5) + Fd beta1/(2 gama)
//              - (1/2)(Fd beta1/gama + Fd/V^2) exp(-gama/V^2),
// the term contains the ideal-gas volume term -ln V, so a model made of it
// alone has the full pressure and fugacities.
//
// The base owns the volume side of the tree and the root; a subclass creates
// the seven coefficient nodes Bd, Cd, Dd, Ed, Fd, beta1 and gama (with new)
// and then calls build_parse_graph().  The coefficient nodes are released by
// their last parent; a subclass whose coefficient nodes link its own member
// nodes calls releaseTree() in its destructor, before its members go.
#include <cstdio>

#include "expressions/Division.h"
#include "expressions/Exponential.h"
#include "expressions/Leaf.h"
#include "expressions/Product.h"
#include "expressions/Sum.h"
#include "expressions/Sum2.h"
#include "fluid/Interaction.h"

class Duan : public Interaction {
public:
    Duan();
    ~Duan() override;

    void number_of_components(int n) override;
    // The five volume leaves with their first to fourth V-derivatives.
    void calculate_volume_dependent_parameters() override;
    void print_parameters(std::FILE* f) override;
    // Clears the dependency flags of the subclass's leaves; called by
    // number_of_components after sizing, before the dependencies are analysed.
    virtual void specify_dependencies() {}

    // Coefficient nodes (created by the subclass, released by their parents).
    Expression* Bd = nullptr;
    Expression* Cd = nullptr;
    Expression* Dd = nullptr;
    Expression* Ed = nullptr;
    Expression* Fd = nullptr;
    Expression* beta1 = nullptr;
    Expression* gama = nullptr;

protected:
    // The sizing of every Duan term for n components, `expected` the count
    // the term is written for (0: any): the volume leaves depend on V alone,
    // specify_dependencies clears the flags of the subclass's leaves.
    void sizeDuanTerm(int n, int expected);
    void build_parse_graph();
    // Deletes the root and unlinks the coefficient nodes (which then go with
    // their last parent); safe to call twice.
    void releaseTree();
    // The volume leaves at V up to the given order of V-derivatives (2 or 4),
    // and their third and fourth derivatives alone (high-order stage).
    void loadVolumeLeaves(int maxOrder);
    void loadHighOrderVolumeLeaves();
    // Clears every dependency flag but variable `v` of a leaf over nvar variables.
    static void dependsOnlyOn(Leaf& leaf, int v, int nvar);
    static void dependsOnNothing(Leaf& leaf, int nvar);

    // Member nodes, children before the nodes that link them.
    Leaf mlogV;  // -ln V
    Leaf mV;     // 1/V
    Leaf mV2;    // 1/V^2
    Leaf mV4;    // 1/V^4
    Leaf mV5;    // 1/V^5
    Product A1;  // Bd mV
    Product A2;  // Cd mV2
    Product A3;  // Dd mV4
    Product A4;  // Ed mV5
    Product beta1F;      // beta1 Fd
    Division beta1Fgama;  // beta1F / gama
    Product FV2;          // Fd mV2
    Product gamaV2;       // gama mV2
    Sum2 Ex0;             // beta1Fgama + FV2
    Exponential Ex;       // exp(-gamaV2)
    Product Ex2;          // Ex0 Ex
};
