#pragma once
// A van der Waals fluid written as two Helmholtz terms built from expression
// nodes, the test oracle of the fluid framework:
//     repulsion   a_rep = -ln(V - b),          b = sum_i b_i x_i
//     attraction  a_att = -A/(R T V),          A = sum_ij sqrt(a_i a_j)(1 - k_ij) x_i x_j
// so that P = R T/(V - b) - A/V^2.  An optional ideal part (Standard) reads
// "compo/standard.txt".
#include <cmath>
#include <vector>

#include "expressions/FVar.h"
#include "expressions/LineaX.h"
#include "expressions/Product.h"
#include "expressions/Sum2.h"
#include "expressions/UnaryNodes.h"
#include "fluid/Attraction.h"
#include "fluid/FluidPhase.h"
#include "fluid/Repulsion.h"
#include "fluid/Standard.h"

class VdWRepulsion : public Repulsion {
public:
    explicit VdWRepulsion(std::vector<double> b_) : b(std::move(b_)) {
        setModelName("vdW repulsion");
        vVar.setName("V");
        bmix.setName("b");
        diff.setName("V-b");
        lnVb.setName("-ln(V-b)");
        diff.tie2(vVar, bmix);
        diff.set_scalars3(1.0, -1.0, 0.0);
        lnVb.tie1(diff);
        lnVb.set_scalars3(-1.0, 0.0, 0.0);
        root = &lnVb;
    }
    void number_of_components(int n) override {
        Interaction::number_of_components(n);
        vVar.index = 1;
        bmix.defineXVariables(2, n);
        root->number_of_variables(n + 2);
        root->analyze_dependencies();
    }
    void calculate_fixed_parameters() override {
        for (int i = 0; i < component_count; i++) bmix.a[i] = b[i];
    }
    bool changesInFugacityPass() const override { return false; }
    double getVolumeMinimum() override {
        double s = 0;
        for (int i = 0; i < component_count; i++) s += b[i] * x[i];
        return s;
    }

    std::vector<double> b;
    FVar vVar;
    LineaX bmix;
    Sum2 diff;
    Logarithm lnVb;
};

class VdWAttraction : public Attraction {
public:
    VdWAttraction(std::vector<double> a_, double kij_) : a(std::move(a_)), kij(kij_) {
        setModelName("vdW attraction");
        rt.tie2(tVar, vVar);
        inv.tie1(rt);
        inv.set_scalars1(-1.0);
        top.tie2(amix, inv);
        root = &top;
    }
    void number_of_components(int n) override {
        Interaction::number_of_components(n);
        tVar.index = 0;
        tVar.set_scalars2(R, 0.0);
        vVar.index = 1;
        amix.defineXVariables(2, n);
        root->number_of_variables(n + 2);
        root->analyze_dependencies();
    }
    bool changesInFugacityPass() const override { return false; }
    void calculate_fixed_parameters() override {
        for (int i = 0; i < component_count; i++)
            for (int j = 0; j <= i; j++)
                amix.a[i * (i + 1) / 2 + j] = std::sqrt(a[i] * a[j]) * (i == j ? 1.0 : 1.0 - kij);
    }

    std::vector<double> a;
    double kij;
    FVar tVar, vVar;
    LineaX2 amix;
    Product rt;
    Inverse inv;
    Product top;
};

class VdWFluid : public FluidPhase {
public:
    VdWFluid(std::vector<double> a, std::vector<double> b, bool withIdeal, double kij = 0.0, int kind = 1)
        : FluidPhase(2, kind, 0) {
        const int n = static_cast<int>(a.size());
        interactions[0] = new VdWRepulsion(b);
        interactions[1] = new VdWAttraction(a, kij);
        if (withIdeal) ideal = new Standard();
        number_of_components(n);
        for (int i = 0; i < n; i++) molar_mass[i] = 0.044;
        bulk_molar_weight = 0.044;
        setModelName("van der Waals");
    }
    // Reads the ideal part's data (after number_of_components).
    void read_component_data(int, const char* name) override {
        if (ideal) static_cast<Standard*>(ideal)->read_component_data(name);
    }
    double estimate_Vl0() override { return liquidStart; }

    double liquidStart = 0.0;
};

// Closed forms of a pure van der Waals fluid.
struct VdWPure {
    double a, b;
    static constexpr double R = 8.31434;
    double P(double T, double V) const { return R * T / (V - b) - a / (V * V); }
    double T(double V, double P) const { return (P + a / (V * V)) * (V - b) / R; }
    double Tc() const { return 8.0 * a / (27.0 * R * b); }
    double Vc() const { return 3.0 * b; }
    double Pc() const { return a / (27.0 * b * b); }
    double lnPhi(double T, double V) const {
        return b / (V - b) - 2.0 * a / (R * T * V) - std::log(P(T, V) * (V - b) / (R * T));
    }
    // Real roots of P V^3 - (P b + R T) V^2 + a V - a b = 0 above b, ascending.
    std::vector<double> roots(double T, double p) const {
        const double c2 = -(p * b + R * T) / p, c1 = a / p, c0 = -a * b / p;
        const double q = (3.0 * c1 - c2 * c2) / 9.0;
        const double r = (9.0 * c2 * c1 - 27.0 * c0 - 2.0 * c2 * c2 * c2) / 54.0;
        const double disc = q * q * q + r * r;
        std::vector<double> v;
        if (disc > 0) {
            const double s = std::cbrt(r + std::sqrt(disc)), t = std::cbrt(r - std::sqrt(disc));
            v.push_back(s + t - c2 / 3.0);
        } else {
            const double th = std::acos(r / std::sqrt(-q * q * q));
            for (int k = 0; k < 3; k++)
                v.push_back(2.0 * std::sqrt(-q) * std::cos((th + 2.0 * M_PI * k) / 3.0) - c2 / 3.0);
        }
        std::vector<double> out;
        for (double x : v)
            if (x > b) out.push_back(x);
        std::sort(out.begin(), out.end());
        return out;
    }
};
