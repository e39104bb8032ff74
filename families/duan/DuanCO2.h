#pragma once
// DuanCO2: carbon dioxide from the Duan equation of state (Duan, Moller &
// Weare 1992), one Duan1 term on the CO2 base and the ideal gas of CO2 (Span
// & Wagner 1996); complete after construction.
#include "gases/CO2EOS.h"

class DuanCO2 : public CO2EOS {
public:
    explicit DuanCO2(int phaseKind);
    ~DuanCO2() override;
};
