#include "families/anderko/AnderkoPure.h"

#include "families/anderko/Anderko.h"
#include "families/anderko/Boublik.h"
#include "families/anderko/Dipole.h"
#include "families/anderko/Dispersion1.h"
#include "fluid/Standard.h"
#include "numerics/Fitting.h"

AnderkoH2O::AnderkoH2O(int phaseKind) : WaterEOS(3, phaseKind, 0) {
    auto* hs = new Boublik();
    auto* dp = new Dipole();
    auto* disp = new H2ODisp();
    interactions[0] = hs;
    interactions[1] = dp;
    interactions[2] = disp;
    validity = Anderko::kFittedRange;
    // The hard-sphere term carries the ideal gas's -ln V; the standard-state
    // data of water give the temperature part of the ideal gas.
    ideal = new Standard();
    Vl0 = 2e-05;
    Vv0 = 0.0002;
    setModelName("Anderko H2O");
    FluidPhase::number_of_components(1);
    add_component("H2O");
    readIdealComponentData(ideal, "H2O");
    critical_T = 648.6;
    critical_V = 6.174e-05;
    // Not IAPWS-95's critical volume, which the water models' base sets as
    // the bound of the saturation volumes: this model's lies elsewhere, and
    // its liquid passes that bound close below its critical point.
    Vc_bound = -1.0;
    hs->set_parameters(2.84959143e-05);
    dp->set_parameters(2.84959143e-05, 1.85);
    disp->set_covolume(2.84959143e-05);
    molar_mass[0] = 0.018015268;
    bulk_molar_weight = 0.018015268;
}

AnderkoH2O::~AnderkoH2O() = default;

AnderkoCO2::AnderkoCO2(int phaseKind) : CO2EOS(2, phaseKind, 0) {
    auto* hs = new Boublik();
    auto* disp = new CO2Disp();
    interactions[0] = hs;
    interactions[1] = disp;
    ideal = new Standard();
    validity = Anderko::kFittedRange;
    Vl0 = 2e-05;
    Vv0 = 0.0002;
    setModelName("Anderko CO2");
    FluidPhase::number_of_components(1);
    add_component("CO2");
    readIdealComponentData(ideal, "CO2");
    hs->set_parameters(4.952e-05);
    disp->set_covolume(4.952e-05);
    molar_mass[0] = 0.0440098;
    bulk_molar_weight = 0.0440098;
}

AnderkoCO2::~AnderkoCO2() = default;

void AnderkoCO2::equationToFit(double* xv, double* p, double& F, double&, double*, std::int16_t&) {
    static_cast<CO2Disp*>(interactions[1])->setFittingParameters(p[0], p[1], p[2], p[3]);
    volume(xv[0]);
    calculate_pressure();
    F = P;
}

void AnderkoCO2::fitParameters() {
    Fitting fit;
    fit.obj = this;
    fit.fn = toEquationFn<FitEquationFn>(&AnderkoCO2::equationToFit);
    fit.set_type_of_regression(3);
    fit.m = 7;
    fit.np = 4;
    fit.nx = 1;
    fit.nadd = 0;
    fit.out = stdout;
    fit.allocate_memory();
    fit.initialize();
    temperature(473.15);
    static const double V[7] = {6.6616e-05, 9.2149e-05, 0.00015868, 0.00037855, 0.00064132, 0.00086571, 0.00096347};
    static const double Pm[7] = {62611000.0, 37920000.0, 21420000.0, 9885100.0, 5831300.0, 4373600.0, 3944300.0};
    double ev[7];
    for (int i = 0; i < 7; i++) ev[i] = (0.01 * Pm[i]) * (0.01 * Pm[i]);
    fit.read_Xm(0, V);
    fit.read_Ym(Pm);
    fit.read_EvY(ev);
    fit.read_EvZ(ev);
    const double p0[4] = {0.37, -0.39, 1.6, -3.0};
    const double dp[4] = {0.001, 0.001, 0.001, 0.001};
    const double dx[1] = {1e-09};
    fit.set_initial_parameters(p0);
    fit.set_parameters_pertubation(dp);
    fit.set_variables_pertubation(dx);
    short err = 0;
    fit.regres(err);
}
