#pragma once
// Duan fluid models chosen by component name: one Duan term whose parameters
// are loaded as the framework adds the components (number_of_components,
// then add_component for components 0, 1, .. in order).
//
//   DMW1    one pure fluid, H2O, CH4, CO2 or N2;
//   DMW2    a binary fluid of H2O, CH4 and CO2;
//   DMWEOS  one or two components of H2O, CH4 and CO2.
//
// The term holds -ln V, so pressure and fugacities are complete without an
// ideal-gas part; the ideal gas of the components, installed when the last
// one is read, completes the state functions: a pure fluid's published one
// (water HGK's, CO2 Span & Wagner's, methane Setzmann & Wagner's), nitrogen
// and the mixtures that of their standard-state data.
//
// A component count or name a model cannot handle is reported; the Duan term
// then refuses every state (errorflag set).
#include <memory>
#include <vector>

#include "families/duan/DuanParameters.h"
#include "fluid/FluidPhase.h"

// The heat capacity (J/(mol K)) of a binary's pure end `component` at T (K)
// and P (bar), found for the bound on a dilute mixture's cv and kept for the
// model's states that follow: the ends do not change with the composition.
struct DuanEndHeatCapacity {
    int component;
    double T, P_bar, cv;
};

class DMW1 : public FluidPhase {
public:
    explicit DMW1(int phaseKind);
    ~DMW1() override;

    void read_component_data(int i, const char* name) override;
    // Water's saturation searched from real water's saturated volumes.
    void initializeSaturationVolumesFromT(const char* name, double T_) override;

    double Tc = 0.0;  // K, of the component read last
    double Pc = 0.0;  // bar
};

class DMW2 : public FluidPhase {
public:
    explicit DMW2(int phaseKind);
    ~DMW2() override;

    void read_component_data(int i, const char* name) override;
    bool mixingRuleDiverges(std::string& why) override;
    bool untracedInteractionHolds(double T_, double P_bar) override;
    void admitUntracedInteraction(bool admit) override;
    // At a pure end, with the published parameters, the scan's estimate of
    // that fluid's critical point (scanForTheCriticalPoint), kept in the
    // model's data: the same start of the critical-point search without
    // the scan of isotherms in each new model.
    bool keptCriticalEstimate(double& Tc_, double& Vc_) override;
    // At a pure end, with the published parameters, DMW1 of that fluid: the
    // same equation (the binary mixing rule at x = 0 or 1 is the pure
    // fluid's), whose pure-fluid searches find the same roots.
    FluidPhase* pureEndFluid() override;

    double Tc = 0.0;
    double Pc = 0.0;
    const duan::FluidSet* first = nullptr;  // the set of component 0
    unsigned long publishedRevision = 0;    // the parameters as both components were read
    std::unique_ptr<FluidPhase> plainTwin;  // the mixture with every k = 1 in that row
    std::vector<DuanEndHeatCapacity> endCv;  // of the components read
    std::unique_ptr<FluidPhase> pureEnds[2];  // DMW1 of each component, made at its end's first state
};

class DMWEOS : public FluidPhase {
public:
    explicit DMWEOS(int phaseKind);
    ~DMWEOS() override;

    void number_of_components(int n) override;
    void read_component_data(int i, const char* name) override;
    bool mixingRuleDiverges(std::string& why) override;
    bool untracedInteractionHolds(double T_, double P_bar) override;
    void admitUntracedInteraction(bool admit) override;
    // Pure water's saturation searched from real water's saturated volumes.
    void initializeSaturationVolumesFromT(const char* name, double T_) override;

    double Tc = 0.0;
    double Pc = 0.0;
    const duan::FluidSet* first = nullptr;  // the set of component 0
    std::unique_ptr<FluidPhase> plainTwin;  // the mixture with every k = 1 in that row
    std::vector<DuanEndHeatCapacity> endCv;  // of the components read
};
