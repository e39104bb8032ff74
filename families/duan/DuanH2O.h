#pragma once
// DuanH2O: water from the Duan equation of state, one Duan1 term on the
// water base, with the ideal gas of water of HGK (HGKIdealGas); complete after
// construction.  Parameter set 0 is the water set of Duan, Moller & Weare
// (Geochim. Cosmochim. Acta 56, 2605 (1992)); set 1 the high-pressure water
// equation of Zhang & Duan (Phys. Earth Planet. Inter. 149, 335 (2005)), with
// its own exponential part, which gives no state outside 298.15 to 2573.15 K
// and 1 kbar to 35 GPa (the state functions and fugacities fail, with one
// message).  A set number other than 0 and 1 loads no parameters: a message
// goes to standard error and the model reports every state as failed.
#include "water/WaterEOS.h"

class DuanH2O : public WaterEOS {
public:
    // Zhang & Duan simulated 673-2573 K; the lower limit is measured: from
    // 298.15 to 673.15 K at 1-10 kbar the equation lies within -0.37 ... +0.47 %
    // of IAPWS-95, while below about 289 K its stable root at 1 kbar is a gas.
    static constexpr double kZhangDuanTmin = 298.15;    // K
    static constexpr double kZhangDuanTmax = 2573.15;   // K
    static constexpr double kZhangDuanPmin = 1000.0;    // bar
    static constexpr double kZhangDuanPmax = 350000.0;  // bar

    DuanH2O(int phaseKind, int set);
    ~DuanH2O() override;

    void calculate_state_functions() override;
    void calculate_fugacities() override;

    // The ideal-gas limit check: states at 1e6 m3/mol from 273.15 to
    // 1473.15 K into the Igor text file "inf1" (the argument is not read).
    void test(char mode);

    int parameterSet = 0;

private:
    // Set 1 outside its range: the state fails (errorflag), true.
    bool outsideRange();
};
