#pragma once
// A cubic attraction term (Schmidt0) whose component attraction nodes ai are
// mixed quadratically through CubicPairs: the common part of Soave1, Nirma
// and StryjekVera, which differ only in their ai(T).
//     a = sum_i sum_j x_i x_j (1 - kaij) sqrt(ai_i ai_j),
//     b = sum_i sum_j x_i x_j ((b_i + b_j)/2)(1 - kbij).
// The subclass builds the rows of ai in its number_of_components between
// resizeMixture (false: nothing to do) and Schmidt0::number_of_components.
#include <cstdio>
#include <initializer_list>

#include "families/cubic/CovolumeLists.h"
#include "families/cubic/CubicPairs.h"
#include "families/cubic/Schmidt0.h"

class QuadraticCubic : public Schmidt0, public CovolumeLists<QuadraticCubic> {
public:
    // Writes the co-volume pairs into "b" before the state functions.
    void calculate_fixed_parameters() override;
    void print_parameters(std::FILE* f) override;
    void specify_dependencies() override { pairs.clearConstantFlags(); }
    virtual void apply_mixing_rules() { pairs.apply(bq); }
    double getVolumeMinimum() override { return pairs.mixtureCovolume(x); }

    void set_covolume(int i, double b);
    void set_hard_sphere_diameter(int i, double d);
    // Callers pass i > j; stored symmetrically.
    void set_binary_interaction_kaij(int i, int j, double k) { pairs.setKaij(i, j, k); }
    void set_binary_interaction_kbij(int i, int j, double k) { pairs.setKbij(i, j, k); }

    Expr1 ai;
    CubicPairs pairs;

protected:
    // Creates the mixture nodes "a" and "b" of Schmidt0(u, w).
    QuadraticCubic(double u, double w, const char* modelName);
    // Sizes the term and the pairs for n components; false when n is not a
    // count or the term already has it.
    bool resizeMixture(int n);

    SumX2* asum = nullptr;
    LineaX2* bq = nullptr;
};
