// The phase relations of Driesner & Heinrich (2007) against values evaluated
// independently from the paper's equations on IAPWS-95's critical constants
// and saturation pressure, given to six digits (agreement within half a unit
// of the sixth digit, 6e-6 relative; 1e-5 where the value rests on water's
// saturation pressure, whose auxiliary equation the diagram takes).
#include <gtest/gtest.h>

#include <cmath>

#include "brines/DriesnerHeinrich.h"
#include "water/WaterEOS.h"

namespace {
double psatWater(double T) { return 1e-5 * WaterEOS::saturationPressureWagnerPruss(T + 273.15); }

void expectRel(double got, double want, double rel, const char* what) {
    EXPECT_NEAR(got, want, rel * std::fabs(want)) << what;
}
}  // namespace

TEST(DriesnerHeinrich2007, NaClCriticalCurveLiquidusAndThreePhaseCurveCheckValues) {
    expectRel(dh07::haliteMeltingTemperature(2000.0), 850.152, 1e-6, "T_hm(2000 bar)");
    expectRel(dh07::naclVapourPressure(700.0), 3.64175e-5, 6e-6, "sublimation 700 °C");
    expectRel(dh07::naclVapourPressure(900.0), 2.76270e-3, 6e-6, "boiling 900 °C");
    expectRel(dh07::naclVapourPressure(1000.0), 1.18005e-2, 6e-6, "boiling 1000 °C");

    // T, P_crit, x_crit, wt %.
    const double crit[][4] = {{380, 234.686, 8.21647e-4, 0.266058},  {400, 281.248, 6.84348e-3, 2.18650},
                              {450, 417.444, 0.0275616, 8.42040},    {500, 581.203, 0.0457107, 13.4493},
                              {600, 916.872, 0.0777907, 21.4853},    {700, 1242.77, 0.100831, 26.6747},
                              {800, 1558.91, 0.116946, 30.0515},     {1000, 2161.88, 0.134545, 33.5251}};
    for (const auto& c : crit) {
        expectRel(dh07::criticalPressure(c[0]), c[1], 6e-6, "P_crit");
        expectRel(dh07::criticalMoleFraction(c[0]), c[2], 6e-6, "x_crit");
        expectRel(100.0 * dh07::massFraction(dh07::criticalMoleFraction(c[0])), c[3], 6e-6, "wt % crit");
    }
    // The curve starts at water's own critical point, (5c) joins (5b) at 500 °C.
    EXPECT_DOUBLE_EQ(dh07::criticalPressure(373.946), 220.64);
    EXPECT_EQ(dh07::criticalMoleFraction(373.946), 0.0);
    EXPECT_NEAR(dh07::criticalPressure(500.0 + 1e-7), dh07::criticalPressure(500.0), 1e-5);
    // Critical temperatures of 10 and 20 wt %.
    expectRel(dh07::criticalTemperature(dh07::moleFraction(0.10)), 464.480, 1e-6, "T_crit 10 wt %");
    expectRel(dh07::criticalTemperature(dh07::moleFraction(0.20)), 578.269, 1e-6, "T_crit 20 wt %");
    expectRel(dh07::criticalPressure(464.480), 462.823, 1e-5, "P_crit of 10 wt %");
    expectRel(dh07::criticalPressure(578.269), 844.759, 1e-5, "P_crit of 20 wt %");

    // Halite liquidus: T, P, x_L, wt %.
    const double liq[][4] = {{25, 1000, 0.102425, 27.0174}, {200, 2000, 0.127891, 32.2369},
                             {300, 5000, 0.160470, 38.2748}, {400, 1000, 0.215432, 47.1118},
                             {600, 2000, 0.445087, 72.2379}, {600, 5000, 0.399766, 68.3606}};
    for (const auto& l : liq) {
        expectRel(dh07::liquidusMoleFraction(l[0], l[1]), l[2], 6e-6, "x_L");
        expectRel(100.0 * dh07::massFraction(dh07::liquidusMoleFraction(l[0], l[1])), l[3], 6e-6, "wt % L");
    }
    expectRel(dh07::liquidusMoleFraction(325.289, 2000.0), 0.170470, 1e-5, "liquidus of 40 wt % at 2 kbar");
    // x_L = 1 at the melting temperature at every pressure.
    for (double P : {0.0005, 1000.0, 3000.0, 5000.0})
        EXPECT_NEAR(dh07::liquidusMoleFraction(dh07::haliteMeltingTemperature(P), P), 1.0, 1e-12);

    // Three-phase curve: T, P_VLH, liquid x, liquid wt %, vapour x.
    const double vlh[][5] = {{25, 0.0189145, 0.0998387, 26.4602, 2.78766e-25},
                             {100, 0.766605, 0.107268, 28.0471, 2.01821e-13},
                             {200, 11.1517, 0.125478, 31.7623, 3.37051e-9},
                             {300, 60.4712, 0.157321, 37.7196, 5.66328e-7},
                             {400, 176.126, 0.215495, 47.1212, 3.31011e-5},
                             {500, 322.003, 0.315318, 59.9038, 2.22750e-4},
                             {600, 389.886, 0.470325, 74.2307, 2.56886e-4},
                             {700, 283.925, 0.693412, 88.0055, 7.31060e-5},
                             {800, 2.46412, 0.997560, 99.9247, 2.09457e-4}};
    for (const auto& v : vlh) {
        const double P = dh07::vlhPressure(v[0]);
        expectRel(P, v[1], 6e-6, "P_VLH");
        const double xl = dh07::liquidusMoleFraction(v[0], P);
        expectRel(xl, v[2], 6e-6, "VLH liquid");
        expectRel(100.0 * dh07::massFraction(xl), v[3], 6e-6, "VLH liquid wt %");
        expectRel(dh07::vapourBranch(v[0], P, xl), v[4], 1e-5, "VLH vapour");
    }
    EXPECT_NEAR(dh07::vlhPressure(dh07::kTriplePointT), dh07::kTriplePointP, 1e-9);
}

TEST(DriesnerHeinrich2007, VapourLiquidSurfaceCheckValues) {
    // T, liquid wt %, P_b, vapour x.
    const double bub[][4] = {{200, 10, 14.5164, 4.19149e-9},  {300, 20, 75.2700, 1.02073e-6},
                             {350, 10, 155.327, 2.06901e-5},  {400, 20, 246.139, 2.69953e-4},
                             {450, 10, 416.599, 0.0192743},   {500, 30, 530.274, 7.22167e-3},
                             {500, 40, 466.977, 1.93865e-3},  {600, 30, 890.842, 0.0363823},
                             {800, 50, 1403.30, 0.0283607},   {900, 60, 1555.41, 0.0235553}};
    for (const auto& b : bub) {
        const double T = b[0], x = dh07::moleFraction(0.01 * b[1]);
        double Plow, xlow;
        if (T < dh07::kTriplePointT) {
            Plow = dh07::vlhPressure(T);
            xlow = dh07::liquidusMoleFraction(T, Plow);
        } else {
            Plow = dh07::naclVapourPressure(T);
            xlow = 1.0;
        }
        // The bubble pressure: the root of x_l(T, P) = x, bisected here on the
        // branch (x_l falls with P from its low end).
        auto xl = [&](double P) { return dh07::liquidBranch(T, P, Plow, xlow, psatWater(T)); };
        double lo = Plow, hi = T < dh07::kWaterCriticalT ? psatWater(T) : dh07::criticalPressure(T);
        for (int k = 0; k < 200; ++k) {
            const double mid = 0.5 * (lo + hi);
            (xl(mid) > x ? lo : hi) = mid;
        }
        expectRel(lo, b[2], T < dh07::kWaterCriticalT ? 1e-5 : 6e-6, "bubble pressure");
        // (Below water's critical temperature the vapour moves 5-10 times
        // as much as the bubble pressure, which rests on water's saturation
        // pressure: 1e-4.)
        expectRel(dh07::vapourBranch(T, lo, x), b[3], T < dh07::kWaterCriticalT ? 1e-4 : 6e-6, "x_v at the bubble pressure");
        // The branch ends at its low end.
        expectRel(dh07::liquidBranch(T, Plow, Plow, xlow, psatWater(T)), xlow, 1e-12, "low end");
    }
    // Below water's critical temperature the liquid branch ends at water's
    // boiling pressure with x_l = 0; above it at the critical point, where
    // liquid and vapour meet.
    for (double T : {50.0, 150.0, 250.0, 370.0}) {
        const double Plow = dh07::vlhPressure(T);
        EXPECT_NEAR(dh07::liquidBranch(T, psatWater(T), Plow, dh07::liquidusMoleFraction(T, Plow), psatWater(T)),
                    0.0, 1e-15);
    }
    for (double T : {400.0, 600.0, 900.0}) {
        const double Pc = dh07::criticalPressure(T), xc = dh07::criticalMoleFraction(T);
        const double Plow = T < dh07::kTriplePointT ? dh07::vlhPressure(T) : dh07::naclVapourPressure(T);
        const double xlow = T < dh07::kTriplePointT ? dh07::liquidusMoleFraction(T, Plow) : 1.0;
        expectRel(dh07::liquidBranch(T, Pc, Plow, xlow, 0.0), xc, 1e-12, "x_l at P_crit");
        expectRel(dh07::vapourBranch(T, Pc, xc), xc, 1e-12, "x_v at P_crit");
    }
}
