#pragma once
// Gas truncated after the second virial coefficient (one Virial term and the
// Standard ideal gas of the components), with built-in coefficients
// B = a T + b T^2 + c of N2, Ar and CH4 for the pure-gas mode, and two console
// reports.  A pure gas without coefficients is reported and gives no state.
#include "fluid/FluidPhase.h"

class Virial;

class VirialEos : public FluidPhase {
public:
    VirialEos(int phaseKind, int mode, char withVenturi);
    ~VirialEos() override = default;

    void read_component_data(int i, const char* name) override;
    void set_virial_coefficients(double a, double b, double c);
    // B (cm3/mol) at the phase's temperature; with B < 0 also the pressure
    // maximum of the truncated isotherm (V = -2B) and its inflection (V = -3B).
    void printVirial();
    // V, Z and (Z - 1) V (cm3/mol) from 0.01 to 1000 m3/mol.
    void plotVirial();
    void test();

    Virial* term() const;
    char mode = 1;
};
