#pragma once
// Co-volume repulsion term of the cubic equations of state built from terms:
//     A/(RT) = -ln(V - b),
// whose compressibility contribution is V/(V - b).  The subclasses give the
// mixing rule of the mixture co-volume b (node "b"): VdWr1 quadratic in the
// mole fractions with constant kbij, VdWr2 a binary whose kbij steps with T.
//
// Ownership: the leaf "V" and the sum "VdWr-A1" are members; the root "A",
// node "b" and every node below "b" are created with new and released by
// their parents (the root by this term's destructor).
#include <initializer_list>
#include <vector>

#include "expressions/Leaf.h"
#include "expressions/Logarithm.h"
#include "expressions/Sum2.h"
#include "families/cubic/CovolumeLists.h"
#include "fluid/Repulsion.h"

class VdWr : public Repulsion, public CovolumeLists<VdWr> {
public:
    VdWr();
    ~VdWr() override;

    void number_of_components(int n) override;
    void calculate_volume_dependent_parameters() override;
    // The same stages and tree in the fugacity pass: it reuses the evaluation
    // of the state functions at the same state.
    bool changesInFugacityPass() const override { return false; }
    virtual void apply_mixing_rules() {}

    // Co-volume b_i (m3/mol) or hard-sphere diameter sigma_i (m) of component
    // i; the last component's value applies the mixing rules.  A component
    // without its co-volume fails the term (no state).
    void set_covolume(int i, double b);
    void set_hard_sphere_diameter(int i, double sigma);

    std::vector<double> covolumes;  // b_i, m3/mol
    std::vector<double> diameters;  // sigma_i, m
    // The mixture co-volume node "b" (quadratic in the mole fractions).
    Expression* mixtureCovolume() const { return b; }

protected:
    // Wires A = -ln(V - b) once the subclass has created node "b".
    void build_parse_graph();
    // Deletes the root (and with it "b" and its subtree) while the
    // subclass's nodes still exist; idempotent.
    void releaseTree();
    bool validIndex(int i) const { return i >= 0 && i < component_count; }

    Leaf Vleaf;        // "V"
    Sum2 A1;           // "VdWr-A1" = V - b
    Expression* b = nullptr;  // "b", created by the subclass
};
