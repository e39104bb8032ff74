#pragma once
// Closed cubics whose binary interaction parameters are blended, by an
// interpolation factor f, between a low-temperature value and a tanh step:
//     kaij = (1 - f) ka0 + f ((ka0 + ka1)/2 + ((ka1 - ka0)/2) tanh((T - T0a)/dTa)),
//     kbij likewise with kb0, kb1, T0b, dTb.
// The parameters in use change only through correct_BIP (factor from the
// model's own function of its argument) or calculate_corrected_BIP (factor
// given).
#include <cstdio>
#include <vector>

#include "families/cubic/ClassicalCubic.h"

class CriticalInterpolationMix : public ClassicalCubic {
public:
    CriticalInterpolationMix() = default;
    ~CriticalInterpolationMix() override = default;

    void number_of_components(int n) override;
    void correct_BIP(double x) override;
    void calculate_corrected_BIP(double f) override;
    void calculate_mixing_parameters() override { quadraticMixing(); }
    virtual double calculate_interpolation_factor(double) { return 0.0; }
    // Built-in step data of the CH4-CO2, CH4-N2 and CO2-N2 pairs.
    void read_BIP();
    void print_parameters(std::FILE* f);

    // n x n, row-major: in use, low-T ends, high-T ends, widths, centres.
    std::vector<double> kaij, ka0, ka1, kbij, kb0, kb1, dTa, dTb, T0a, T0b;
};

// Pure components with the Soave temperature function and an optional
// high-temperature correction g = 1 + p exp(-10 (T - T1)/T1) above T1
// (g = 1 + p below it).
class CriticalInterpolationCubic : public CriticalInterpolationMix {
public:
    CriticalInterpolationCubic() = default;
    ~CriticalInterpolationCubic() override = default;

    void number_of_components(int n) override;
    void read_component_data(int i, const char* name) override;
    void calculate_parameters_of_pure_components() override;
    bool parametersUsable() const override;
    // Amplitude p and onset T1 (K) of the correction of component i.
    void set_correction(int i, double p, double T1);

    double m0 = 0.0, m1 = 0.0, m2 = 0.0;
    std::vector<double> Tc, Pc, T1, omega, m, ac, bi, p;
    std::vector<char> known;
};

// SRK constants; the factor is 1 below a reduced temperature of 1.05 and
// exp(-(1.05 - x)^2/2) above.
class CriticalInterpolationSRK : public CriticalInterpolationCubic {
public:
    explicit CriticalInterpolationSRK(int phaseKind);
    double calculate_interpolation_factor(double x) override;
};
