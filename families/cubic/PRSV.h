#pragma once
// Peng-Robinson-Stryjek-Vera fluid built from the terms VdWr1 and StryjekVera
// (Stryjek and Vera 1986, kappa0 of their correlation in omega, kappa1 = 0).
#include "families/cubic/PRNirma.h"
#include "families/cubic/StryjekVera.h"

class PRSV : public TermPengRobinson {
public:
    PRSV(int phaseKind, char withVenturi);

    void read_component_data(int i, const char* name) override;
    void read_BIP();

    StryjekVera* attraction() { return static_cast<StryjekVera*>(interactions[1]); }
};
