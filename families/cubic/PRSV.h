#pragma once
// Peng-Robinson-Stryjek-Vera fluid built from the terms VdWr1 and StryjekVera
// (Stryjek and Vera 1986, kappa0 of their correlation in omega, kappa1 = 0).
#include "families/cubic/PRNirma.h"
#include "families/cubic/StryjekVera.h"

class PRSV : public FluidPhase {
public:
    PRSV(int phaseKind, char withVenturi);
    ~PRSV() override = default;

    void read_component_data(int i, const char* name) override;
    void read_BIP();
    void set_binary_interaction_kaij(int i, int j, double k);
    void set_binary_interaction_kbij(int i, int j, double k);
    void tune(double* p) override;
    void calculate_molar_volume() override;
    void resolve_cubic_equation_in_Z();
    void calculateTheIsotherm(double T, const char* suffix);
    void calculateTheCriticalCurve(const char* suffix) override;

    VdWr1* repulsion() { return static_cast<VdWr1*>(interactions[0]); }
    StryjekVera* attraction() { return static_cast<StryjekVera*>(interactions[1]); }
};
