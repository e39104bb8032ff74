#pragma once
// Hard-sphere repulsion of the Anderko family: the reduced Helmholtz energy of
// a mixture of hard spheres of different diameters (Boublik 1970; Mansoori,
// Carnahan, Starling & Leland 1971) plus the ideal-gas volume term -ln V,
//
//   A/(RT) = -ln V + (3 (D E / F) eta - E^3/F^2) / (1 - eta)
//            + (E^3/F^2) / (1 - eta)^2 + (E^3/F^2 - 1) ln(1 - eta),
//
// D = sum x_i d_i, E = sum x_i d_i^2, F = sum x_i d_i^3 over the hard-sphere
// diameters d_i, and the packing fraction eta = b / (4V) with the mixture
// covolume b = sum x_i b_i, b_i = (2/3) pi N_A d_i^3.  For one component it is
// the Carnahan-Starling fluid, Z = (1 + eta + eta^2 - eta^3) / (1 - eta)^3.
//
// Ownership: every node but the root is a member; the root "A" is created
// separately and deleted by this term.
#include <initializer_list>
#include <span>
#include <vector>

#include "expressions/Cube.h"
#include "expressions/Division.h"
#include "expressions/Inverse.h"
#include "expressions/Inverse2.h"
#include "expressions/Leaf.h"
#include "expressions/Logarithm.h"
#include "expressions/Product.h"
#include "expressions/Square.h"
#include "expressions/Sum.h"
#include "expressions/Sum1.h"
#include "expressions/Sum2.h"
#include "fluid/Repulsion.h"

class Boublik : public Repulsion {
public:
    // d^3 = kCovolumeToDiameter3 b and b = kDiameter3ToCovolume d^3 (b in m3/mol, d in m).
    static constexpr double kCovolumeToDiameter3 = 7.928495314699315e-25;
    static constexpr double kDiameter3ToCovolume = 1.2612733694198122e24;

    Boublik();
    ~Boublik() override;

    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    void calculate_volume_dependent_parameters() override;
    void calculate_high_order_parameters() override;

    // One covolume (m3/mol) per component, in component order.  A list of
    // another length is reported on standard error and changes nothing;
    // returns false then.
    bool set_parameters(std::initializer_list<double> b) { return set_parameters(std::span<const double>(b.begin(), b.size())); }
    bool set_parameters(std::span<const double> b);
    template <typename... Rest>
    bool set_parameters(double b0, Rest... rest) {
        return set_parameters({b0, static_cast<double>(rest)...});
    }
    // One hard-sphere diameter (m) per component, same rules.
    bool set_hard_sphere_diameters(std::initializer_list<double> d);
    template <typename... Rest>
    bool set_hard_sphere_diameters(double d0, Rest... rest) {
        return set_hard_sphere_diameters({d0, static_cast<double>(rest)...});
    }
    // Diameter (m) of component i alone; an index outside the components is ignored.
    void set_hard_sphere_diameter(int i, double d);

    // Self-check: two components at 300 K, 2e-05 m3/mol, x = (0.8, 0.2),
    // diameters 2.33e-10 and 4.2e-10 m, then the numeric derivative check of
    // the whole tree, printed on standard output.
    void test();

    std::vector<double> covolumes;  // b_i, m3/mol
    std::vector<double> diameters;  // d_i, m
    double bmix = 0.0;              // sum x_i b_i, m3/mol
    // The close packing of the spheres, eta = 1: V = b / 4 with the mixture
    // covolume of the term's composition (bmix may be that of an earlier one).
    double closePackingVolume() const;

private:
    void writeVolumeLeaves(bool highOrder);

    Leaf D, E, F, eta, mlogV;
    Sum1 me;
    Inverse ime;
    Square ime2;
    Logarithm lme;
    Product DE;
    Inverse2 f2;
    Cube E3;
    Division DEF;
    Product E3F2;
    Product DEFe;
    Sum2 a0;
    Sum1 a2;
    Product A0, A1, A2;
};
