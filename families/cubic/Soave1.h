#pragma once
// Soave-Redlich-Kwong attraction term of any number of components with
// constant interaction parameters: Schmidt0 with u = 1, w = 0,
//     A/(RT) = (a/(b R T)) ln(V/(V + b)),
//     a = sum_i sum_j x_i x_j (1 - kaij) sqrt(ai_i ai_j),  ai_i = Soave72 of component i,
//     b = sum_i sum_j x_i x_j (b_i + b_j)(1 - kbij)/2.
#include <cstdio>
#include <initializer_list>

#include "families/cubic/CubicPairs.h"
#include "families/cubic/Schmidt0.h"

class Soave1 : public Schmidt0 {
public:
    Soave1();
    ~Soave1() override;

    void number_of_components(int n) override;
    void calculate_fixed_parameters() override;
    void print_parameters(std::FILE* f) override;
    void specify_dependencies() override;
    virtual void apply_mixing_rules();
    double getVolumeMinimum() override { return pairs.mixtureCovolume(x); }

    void set_ai_parameters(int i, double ac, double m, double Tc);
    void set_covolume(int i, double b);
    void set_hard_sphere_diameter(int i, double d);
    void set_covolumes(std::initializer_list<double> b);
    void set_hard_sphere_diameters(std::initializer_list<double> d);
    template <typename... Rest>
    void set_covolumes(double b0, Rest... rest) {
        set_covolumes({b0, static_cast<double>(rest)...});
    }
    template <typename... Rest>
    void set_hard_sphere_diameters(double d0, Rest... rest) {
        set_hard_sphere_diameters({d0, static_cast<double>(rest)...});
    }
    // Callers pass i > j; stored symmetrically.
    void set_binary_interaction_kaij(int i, int j, double k);
    void set_binary_interaction_kbij(int i, int j, double k);

    Expr1 ai;
    CubicPairs pairs;

private:
    SumX2* asum = nullptr;
    LineaX2* bq = nullptr;
};
