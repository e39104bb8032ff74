#pragma once
// Daridon equation of state for water with hydrocarbons and CO2 (Daridon,
// Lagourette, Saint-Guirons and Xans, Int. J. Thermophys. 14 (1993) 1187):
// a Peng-Robinson fluid built from the co-volume repulsion VdWr1 (term 0), the
// Daridon attraction with its composition-dependent water-hydrocarbon
// parameter (term 1) and the standard-state ideal-gas part.  Water must be
// component 0.  Each component's Tc (K), Pc (Pa), omega and molar mass come
// from "compo/<name>"; the water parameters of the hydrocarbons and CO2 from a
// built-in table.  The molar volume comes from the roots of the
// Peng-Robinson cubic in Z.
#include "families/cubic/DaridonInt.h"
#include "families/cubic/VdWr1.h"
#include "fluid/FluidPhase.h"

class DaridonEOS : public FluidPhase {
public:
    explicit DaridonEOS(int phaseKind);
    ~DaridonEOS() override = default;

    // Sizes the model once: its attraction tree is built for that count.
    void number_of_components(int n) override;
    void read_component_data(int i, const char* name) override;
    // The water parameters p1 .. p5 of components 1 .. n-1 from the table.
    void read_BIP();
    void calculate_molar_volume() override;
    void resolve_cubic_equation_in_Z();

    // Binary P-x isotherm "isot" + suffix from pure water's bubble point.
    void calculateTheIsotherm(double T, const char* suffix);
    // The same traced from a flash at 5000 bar downwards in pressure.
    void calculateTheUpperIsotherm(double T, const char* suffix);
    // Critical curve "crit" + suffix from pure water.
    void calculateTheCriticalCurve(const char* suffix) override;
    // Bubble-point isopleth "isop" + suffix of the binary of liquid
    // composition (1 - x, x), traced in temperature steps dT from T0 (K) with
    // the two-phase solver, this fluid as the liquid and a second Daridon
    // fluid as the vapour.
    void calculateTheIsopleth2(const char* suffix, double T0, double x, double dT) override;

    // Slope m of the exponential temperature function exp(m (1 - T/Tc)) for
    // the acentric factor omega.
    static double alphaSlope(double omega);
    // The water parameters p1 .. p5 of a component name; false (p untouched)
    // for a name not in the table.
    static bool waterParameters(const char* name, double p[5]);

    VdWr1* repulsion() { return static_cast<VdWr1*>(interactions[0]); }
    DaridonInt* attraction() { return static_cast<DaridonInt*>(interactions[1]); }
};
