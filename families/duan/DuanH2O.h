#pragma once
// DuanH2O: water from the Duan equation of state, one Duan1 term on the
// water base, with the ideal gas of water of HGK (HGKIdealGas); complete after
// construction.  Parameter set 0 is the water set
// of Duan, Moller & Weare (1992); set 1 a second water set.  A set number
// other than 0 and 1 loads no parameters: a message goes to standard error
// and the model reports every state as failed.
#include "water/WaterEOS.h"

class DuanH2O : public WaterEOS {
public:
    DuanH2O(int phaseKind, int set);
    ~DuanH2O() override;

    // The ideal-gas limit check: states at 1e6 m3/mol from 273.15 to
    // 1473.15 K into the Igor text file "inf1" (the argument is not read).
    void test(char mode);

    int parameterSet = 0;
};
