// The melting and sublimation lines of the reference fluids' solids: the
// published triple points (Span & Wagner 1996: 216.592 K, 0.51795 MPa;
// Setzmann & Wagner 1991: 90.6941 K, 11.696 kPa; Span et al. 2000: 63.151 K,
// 12.523 kPa), where melting and sublimation meet, CO2's normal sublimation
// temperature, 194.686 K at 0.101325 MPa (Span & Wagner 1996), the vapour
// pressure measured over solid methane at 77.35 K, and the Clausius-Clapeyron
// identity at each triple point: the sublimation line is steeper than the
// vapour pressure by the enthalpy of fusion, d ln(psub/psat)/dT = dH_fus /
// (Z R Tt^2).
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fluid/ReferenceFluids.h"

namespace {
const ReferenceFluid& row(const char* name) { return *referenceFluid(name); }
}  // namespace

TEST(SolidCurves, MeetTheTriplePointsAndReproducePublishedPoints) {
    const ReferenceFluid &co2 = row("CO2"), &ch4 = row("CH4"), &n2 = row("N2");
    for (const ReferenceFluid* f : {&co2, &ch4, &n2}) {
        EXPECT_NEAR(f->meltingPressure(f->Tt), f->pt, 1e-6) << f->formula;
        EXPECT_NEAR(f->sublimationPressure(f->Tt), f->pt, 1e-6) << f->formula;
        EXPECT_TRUE(std::isnan(f->sublimationPressure(f->Tt + 1.0))) << f->formula;
        EXPECT_TRUE(std::isnan(f->meltingPressure(f->Tt - 1.0))) << f->formula;
    }
    EXPECT_NEAR(co2.sublimationPressure(194.686), 0.101325e6, 0.00001e6);
    // Methane's melting pressures of Setzmann & Wagner (1991): 377.5 bar at
    // 100 K, 1040.3 bar at 115 K, 2832.6 bar at 150 K.
    EXPECT_NEAR(ch4.meltingPressure(100.0), 377.5e5, 0.05e5);
    EXPECT_NEAR(ch4.meltingPressure(115.0), 1040.3e5, 0.05e5);
    EXPECT_NEAR(ch4.meltingPressure(150.0), 2832.6e5, 0.05e5);
    // Solid methane's vapour pressure at 77.35 K, about 9.5 Torr (1.26 kPa).
    EXPECT_NEAR(ch4.sublimationPressure(77.35), 1.26e3, 0.08e3);
    // The melting curve leaves the triple point on the Clausius-Clapeyron
    // slope of the fusion, dp/dT = dH / (T dV): 0.94 kJ/mol over a volume
    // change of 2.5 to 4 cm3/mol at 90.7 K gives 2.6 to 4.1 MPa/K.
    const double slope = (ch4.meltingPressure(90.7941) - ch4.meltingPressure(90.6941)) / 0.1;
    EXPECT_GT(slope, 2.6e6);
    EXPECT_LT(slope, 4.1e6);
    // The melting pressure rises with temperature on each curve, the
    // sublimation pressure too.
    for (const ReferenceFluid* f : {&co2, &ch4, &n2}) {
        for (double T = f->Tt + 1.0; T < 2.0 * f->Tt; T += 10.0)
            EXPECT_GT(f->meltingPressure(T + 1.0), f->meltingPressure(T)) << f->formula << " " << T;
        for (double T = 0.5 * f->Tt; T < f->Tt - 1.0; T += 2.0)
            EXPECT_GT(f->sublimationPressure(T + 1.0), f->sublimationPressure(T)) << f->formula << " " << T;
    }
}

TEST(SolidCurves, SublimationSteeperThanTheVapourPressureByTheFusion) {
    // Enthalpies of fusion at the triple point (CRC Handbook): CO2 9020, CH4
    // 940, N2 710 J/mol; the saturated vapour's Z at the triple point, 0.920
    // (CO2 at 5.2 bar), 0.992 (CH4), 0.991 (N2) (from their reference
    // equations' saturated vapour densities).  The published lines of CO2
    // and N2 are fits to measured sublimation pressures: within 10 %.
    // Methane's is the Clausius-Clapeyron line itself: within 2 % (a1 =
    // 12.84 would put the fusion 7 % low).
    const struct {
        const char* name;
        double dH, Z, tolerance;
    } kFusion[] = {{"CO2", 9020.0, 0.920, 0.10}, {"CH4", 940.0, 0.992, 0.02}, {"N2", 710.0, 0.991, 0.10}};
    const double R = 8.314462618, h = 1e-3;
    for (const auto& c : kFusion) {
        const ReferenceFluid& f = row(c.name);
        const double T = f.Tt - h;
        const double dSub = (std::log(f.sublimationPressure(T + 0.5 * h)) - std::log(f.sublimationPressure(T - 0.5 * h))) / h;
        const double dSat = (std::log(f.saturationPressure(f.Tt + h)) - std::log(f.saturationPressure(f.Tt))) / h;
        EXPECT_NEAR((dSub - dSat) * c.Z * R * f.Tt * f.Tt, c.dH, c.tolerance * c.dH) << c.name;
    }
}

// The vapour over each solid: the second virial coefficient of Tsonopoulos's
// correlation (from the critical point and the acentric factor) gives, at
// the triple point, the saturated vapour's compressibility Z = pt V''/(R Tt)
// of the reference equations' saturated vapour densities (Span & Wagner
// 1996, 0.92 for CO2 at 5.2 bar; Setzmann & Wagner 1991; Span et al. 2000)
// within 0.01, and at 1 % of that pressure its fugacity coefficient within
// 1e-3 of 1.
TEST(SolidCurves, TheVapourOverTheSolidHasTheReferenceEquationsCompressibility) {
    const double R = 8.314462618;
    for (const char* name : {"CO2", "CH4", "N2", "H2O"}) {
        const ReferenceFluid& f = row(name);
        const double Z = f.pt * f.saturatedVapourVolume(f.Tt) / (R * f.Tt);
        EXPECT_NEAR(1.0 + f.secondVirialCoefficient(f.Tt) * f.pt / (R * f.Tt), Z, 0.01) << name;
        EXPECT_NEAR(std::log(f.gasFugacityCoefficient(f.Tt, f.pt)), Z - 1.0, 0.01) << name;
        EXPECT_NEAR(f.gasFugacityCoefficient(f.Tt, 0.01 * f.pt), 1.0, 1e-3) << name;
    }
}

TEST(SolidCurves, NameTheSolidAboveItsLines) {
    // Solid CO2 at 280 K above about 390 MPa; N2 at 80 K and 500 MPa; the
    // fluids at 1 bar above their triple points; solid CO2 at 190 K and
    // 1 bar (above its sublimation pressure), vapour at 0.5 bar; solid CH4
    // and N2 below their triple points above their sublimation pressures
    // (CH4 1.25 kPa at 77.35 K, N2 0.40 kPa at 50 K), vapour below.
    const struct {
        const char* c;
        double T, P;  // K, Pa
        bool solid;
    } kStates[] = {{"CO2", 280.0, 600e6, true},  {"CO2", 280.0, 300e6, false}, {"N2", 80.0, 500e6, true},
                   {"N2", 80.0, 1e5, false},     {"CH4", 100.0, 1e5, false},   {"CH4", 100.0, 100e6, true},
                   {"CH4", 273.15, 800e6, false}, {"CH4", 115.0, 100e6, false}, {"CH4", 115.0, 105e6, true},
                   {"CO2", 190.0, 1e5, true},    {"CO2", 190.0, 0.5e5, false}, {"C1", 77.35, 2e3, true},
                   {"CH4", 77.35, 1e3, false},   {"N2", 50.0, 0.5e3, true},    {"N2", 50.0, 0.3e3, false}};
    for (const auto& s : kStates)
        EXPECT_EQ(ReferenceFluids::standard().solidAt(s.c, s.T, s.P * 1e-5).solid != nullptr, s.solid)
            << s.c << " " << s.T << " " << s.P;
    EXPECT_EQ(ReferenceFluids::standard().solidAt("C3H8", 80.0, 1e4).solid, nullptr);
}
