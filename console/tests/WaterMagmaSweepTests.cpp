// The energy checks of the E(m) diagrams over their whole sweeps: at every
// water-magma ratio of "ev" and "ep", adiabatic and pyroclast-heated, the
// heat balance of the peak, the first and second laws of every expansion
// (end states evaluated afresh on the model), the Carnot bound, and the
// fragments never heating the water above their own temperature.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "console/WaterMagmaModel.h"
#include "console/tests/ConsoleTestSupport.h"

using consoletest::capture;
using consoletest::waterMagmaInputs;

namespace {

constexpr double M = 0.018015268;
constexpr double k = 0.001 / M;  // J/mol to J/g

// The water-magma ratios of the E(m) sweep: 0.001 to 0.010 by 0.001, 0.02 to
// 2.00 by 0.01 and 2.05 to 7.00 by 0.05.
std::vector<double> sweepRatios() {
    std::vector<double> m;
    for (int i = 1; i <= 10; ++i) m.push_back(0.001 * i);
    for (int i = 0; i <= 198; ++i) m.push_back(0.02 + 0.01 * i);
    for (int i = 0; i <= 99; ++i) m.push_back(2.05 + 0.05 * i);
    return m;
}

// A state at the surface pressure: on the saturation line by the lever rule
// when 0 < x < 1 (x the liquid mass fraction), else the single phase at T.
struct EndState {
    double U, S, V;
};

EndState endState(WaterMagmaModel& w, const WaterMagmaCalculationResult& r, double T, double Pbar, double x) {
    if (x > 0.0 && x < 1.0)
        return {x * r.UlRef + (1 - x) * r.UvRef, x * r.SlRef + (1 - x) * r.SvRef, x * r.VlRef + (1 - x) * r.VvRef};
    w.set_the_phase_as(x >= 1.0 ? 2 : 1);
    w.calculateFromTP(T, Pbar, 0);
    return {w.U, w.S, w.V};
}

// Every violated check of one point, as text.
std::vector<std::string> energyChecks(WaterMagmaModel& w, const WaterMagmaCalculationInfo& info,
                                      const WaterMagmaCalculationResult& r) {
    std::vector<std::string> bad;
    auto require = [&](bool ok, const char* what, double a, double b) {
        if (!ok) {
            char line[200];
            std::snprintf(line, sizeof line, "m %.3f: %s (%.9g against %.9g)", r.m, what, a, b);
            bad.emplace_back(line);
        }
    };
    const double m = r.m, Pa = r.Pref * 1e5, V3 = r.V3 * 1e-6;
    w.latentHeat = info.L;
    w.solidusTemperature = info.Tsol;
    w.liquidusTemperature = info.Tliq;
    // Heat balance of the peak (J/kg of magma): the magma cooling from Tm to
    // T3, crystallising on the way, heats the water by its heating law.  In
    // isobaric heating a liquid heated to its superheat limit flashes at Tboil,
    // in part (phase state 2) or wholly, the steam being heated further (3).
    double gain = r.U3 - r.U2;  // J/mol
    if (r.heatingMode == 1) {
        gain = r.H3 - r.H2;
        if (r.phaseState == 2)
            gain = r.Hspinodal - r.H2 + (1.0 - r.liquidFraction3) * (r.HvBoil - r.HlBoil);
        else if (r.phaseState == 3)
            gain = r.heatToVaporize + r.H3 - r.HvBoil;
    }
    const double magma = (info.Tm - r.T3) * info.cp - w.calculateLatentHeatTerm(info.Tm, r.T3);
    if (r.heatingMode == 1 && r.phaseState == 1 && r.T3 == r.Tspinodal - 0.5) {
        // A liquid held half a kelvin below its superheat limit: the magma
        // gives more than it takes there, yet cooled to Tboil too little to
        // heat it to that limit, so that no temperature closes the balance.
        const double atBoil = (info.Tm - r.Tboil) * info.cp - w.calculateLatentHeatTerm(info.Tm, r.Tboil);
        require(m * gain / M < magma, "held liquid takes less than the magma gives", m * gain / M, magma);
        require(atBoil < m * (r.Hspinodal - r.H2) / M, "magma at Tboil too cold to flash the liquid", atBoil,
                m * (r.Hspinodal - r.H2) / M);
    } else {
        require(std::fabs(m * gain / M - magma) <= 1e-6 * magma, "heat balance", m * gain / M, magma);
    }
    // Heat enters the water at temperatures up to T3 (up to the superheat
    // limit before a flash): the Carnot bound against the surface water.
    double Thot = r.T3;
    if (r.heatingMode == 1 && (r.phaseState == 2 || r.phaseState == 3) && r.Tspinodal > Thot) Thot = r.Tspinodal;
    const double carnot = 1.0 - std::fmin(r.T1, r.T2) / Thot;
    const double tolW = 1e-3;  // J/g: the liquid leg from state 3 to state 4 that the isobaric case leaves out

    // Reversible adiabatic expansion: isentropic end, W = -(Q - (U5 - U2)).
    const EndState e5 = endState(w, r, r.T5, r.P5, r.liquidMassFraction5);
    require(std::fabs(e5.S - r.S3) <= 1e-6 * std::fabs(r.S3) + 1e-6, "reversible end entropy", e5.S, r.S3);
    require(std::fabs(-r.Wrev - (r.Q - (e5.U - r.U2) * k)) <= tolW + 1e-6 * r.Q, "reversible first law", -r.Wrev,
            r.Q - (e5.U - r.U2) * k);
    require(-r.Wrev >= -1e-9 && -r.Wrev <= carnot * r.Q, "reversible work within Carnot", -r.Wrev, carnot * r.Q);

    // Irreversible adiabatic expansion against Pref.
    const double x = r.liquidMassFraction5irr;
    const EndState ei = endState(w, r, r.T5irr, r.Pref, x);
    require(ei.S >= r.S3 - 1e-6, "irreversible end entropy", ei.S, r.S3);
    require(std::fabs(-r.Wirr - (r.Q - (ei.U - r.U2) * k)) <= tolW + 1e-6 * r.Q, "irreversible first law", -r.Wirr,
            r.Q - (ei.U - r.U2) * k);
    require(-r.Wirr >= -1e-9 && -r.Wirr <= -r.Wrev + 1e-9, "irreversible work below the reversible one", -r.Wirr,
            -r.Wrev);

    if (!r.pyroclastCase) return bad;
    // The fragments (cM per mole of water, at the water's temperature from
    // T3 on) keep heating the water while it expands.
    const double cM = M * info.cp / m;
    auto fragmentsEntropy = [&](double T) {
        return cM * std::log(T / r.T3) + (M / m) * w.calculateLatentHeatEntropicTerm(r.T3, T);
    };
    auto fragmentsEnergy = [&](double T) {
        return cM * (T - r.T3) + (M / m) * w.calculateLatentHeatTerm(r.T3, T);
    };
    // Reversible: total entropy kept, W = -(Qp - (U5p - U2)).  Where the
    // water leaves state 3 in one phase, it follows the stepped heating
    // decompression: its reheating steps (0.1 to 5 K) pass heat across a
    // finite difference of temperature, which makes a little entropy, and
    // balance the fragments' heat with the heat capacity at the start of each
    // step, to about 1e-4 of what they exchange.
    const EndState ep = endState(w, r, r.T5p, r.P5p, r.liquidMassFraction5p);
    require(r.T5p <= r.T3 + 1e-9, "reversible pyroclast end not above the fragments", r.T5p, r.T3);
    const bool stepped = !(r.heatingMode == 1 && (r.phaseState == 1 || r.phaseState == 2));
    const double exchanged = std::fabs(fragmentsEntropy(r.T5p));
    const double made = ep.S + fragmentsEntropy(r.T5p) - r.S3;
    require(made >= (stepped ? -3e-4 * exchanged : 0.0) - 1e-6 && made <= (stepped ? 1e-2 * exchanged : 0.0) + 1e-6,
            "reversible pyroclast total entropy", made, exchanged);
    require(std::fabs(-r.WrevP - (r.Qp - (ep.U - r.U2) * k)) <= tolW + 1e-6 * r.Qp, "reversible pyroclast first law",
            -r.WrevP, r.Qp - (ep.U - r.U2) * k);
    require(-r.WrevP >= -1e-9 && -r.WrevP <= carnot * r.Qp, "reversible pyroclast work within Carnot", -r.WrevP,
            carnot * r.Qp);
    // Irreversible against Pref, the fragments following the water.
    const double xp = r.liquidMassFraction5irrP;
    const EndState eip = endState(w, r, r.T5irrP, r.Pref, xp);
    require(r.T5irrP <= r.T3 + 1e-9, "irreversible pyroclast end not above the fragments", r.T5irrP, r.T3);
    require(eip.S + fragmentsEntropy(r.T5irrP) >= r.S3 - 1e-6, "irreversible pyroclast total entropy",
            eip.S + fragmentsEntropy(r.T5irrP), r.S3);
    const double vapour = r.heatingMode == 1 ? r.vaporizationWork : 0.0;
    require(std::fabs(eip.U - r.U3 + fragmentsEnergy(r.T5irrP) + Pa * (eip.V - V3)) <= 1e-6 * std::fabs(eip.U) + 1e-3,
            "irreversible pyroclast energy balance", eip.U - r.U3 + fragmentsEnergy(r.T5irrP), -Pa * (eip.V - V3));
    require(std::fabs(r.WirrP - (-Pa * (eip.V - V3) + vapour) * k) <= 1e-6 * std::fabs(r.WirrP) + 1e-6,
            "irreversible pyroclast work", r.WirrP, (-Pa * (eip.V - V3) + vapour) * k);
    require(-r.WirrP >= -1e-9 && -r.WirrP <= -r.WrevP + 1e-9, "irreversible pyroclast work below the reversible one",
            -r.WirrP, -r.WrevP);
    return bad;
}

// The sweep, or every `shards`-th ratio of it from the `shard`-th (the
// pyroclast-heated sweeps run in three parts side by side).
void sweep(unsigned char mode, bool pyroclast, int shard = 0, int shards = 1) {
    WaterMagmaModel w, probe;
    std::vector<std::string> words;
    if (pyroclast) words.push_back("pyroclast");
    WaterMagmaCalculationInfo info = waterMagmaInputs(words, mode);
    WaterMagmaCalculationResult r;  // reused from point to point, as the diagram does
    r.scriptFlag = 6;
    std::vector<std::string> bad;
    int skipped = 0;
    const std::vector<double> ratios = sweepRatios();
    for (std::size_t i = static_cast<std::size_t>(shard); i < ratios.size(); i += static_cast<std::size_t>(shards)) {
        const double m = ratios[i];
        info.m = m;
        const auto c = capture([&] { w.calculateWaterMagmaCycleWithRecharge(info, r, 0, 0); });
        // A point is left out of the diagram when its isentrope's saturation
        // point is not found (near the critical entropy) or when the cycle is
        // refused, which is said.
        if (w.errorflag || r.saturationFailed) {
            ++skipped;
            if (w.errorflag) {
                EXPECT_NE(c.err.find("Refused at m = "), std::string::npos) << m;
            }
            w.errorflag = 0;
            continue;
        }
        for (std::string& b : energyChecks(probe, info, r)) bad.push_back(std::move(b));
    }
    EXPECT_LE(skipped, 1);
    std::string shown;
    for (std::size_t i = 0; i < bad.size() && i < 12; ++i) shown += bad[i] + "\n";
    EXPECT_TRUE(bad.empty()) << bad.size() << " violations, the first:\n" << shown;
}

}  // namespace

TEST(WaterMagmaSweep, IsochoricHeatingHoldsTheEnergyChecksAtEveryRatio) { sweep(0, false); }
TEST(WaterMagmaSweep, IsochoricHeatingWithFragmentsHoldsTheEnergyChecksAtEveryRatioPart1) { sweep(0, true, 0, 3); }
TEST(WaterMagmaSweep, IsochoricHeatingWithFragmentsHoldsTheEnergyChecksAtEveryRatioPart2) { sweep(0, true, 1, 3); }
TEST(WaterMagmaSweep, IsochoricHeatingWithFragmentsHoldsTheEnergyChecksAtEveryRatioPart3) { sweep(0, true, 2, 3); }
TEST(WaterMagmaSweep, IsobaricHeatingHoldsTheEnergyChecksAtEveryRatio) { sweep(1, false); }
TEST(WaterMagmaSweep, IsobaricHeatingWithFragmentsHoldsTheEnergyChecksAtEveryRatio) { sweep(1, true); }

TEST(WaterMagmaBounds, CyclesOutsideWhatTheMagmaCanGiveAreRefusedWithAMessage) {
    // At m = 1e5 the water is heated by 0.02 K and gives back mostly the
    // elastic energy of its compression by the water column, which the water
    // at depth holds above the surface water: computed, as m = 1e4; at m =
    // 1e300 the heat balance of the peak cannot close.
    struct Case {
        unsigned char mode;
        const char* m;
        const char* why;  // null: computed
    };
    const Case cases[] = {{0, "1e4", nullptr}, {0, "1e5", nullptr}, {1, "1e5", nullptr}, {2, "1e5", nullptr},
                          {0, "1e300", "heat balance of the peak does not close"},
                          {1, "1e300", "heat balance of the peak does not close"},
                          {2, "1e300", "heat balance of the peak does not close"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.m) + " mode " + std::to_string(c.mode));
        WaterMagmaModel w;
        WaterMagmaCalculationInfo info = waterMagmaInputs({"m", c.m}, c.mode);
        WaterMagmaCalculationResult r;
        r.scriptFlag = 1;
        const auto out = capture([&] { w.calculateWaterMagmaCycle(info, r, 0, 1); });
        if (c.why == nullptr) {
            EXPECT_EQ(w.errorflag, 0);
            EXPECT_NE(out.out.find("Wrev"), std::string::npos);
            continue;
        }
        EXPECT_EQ(w.errorflag, 1);
        const char* refusedAt = c.m[2] == '3' ? "Refused at m = 1e+300" : "Refused at m = 100000";
        EXPECT_NE(out.err.find(refusedAt), std::string::npos) << out.err;
        EXPECT_NE(out.err.find(c.why), std::string::npos) << out.err;
        EXPECT_EQ(out.out.find("Wrev"), std::string::npos);  // no report of a refused cycle
    }

    // Isobaric heating that leaves the water below its boiling point at the
    // surface (m = 5.5): the fragments, at the water's temperature, end with
    // it below T3, and the reversible pyroclast-heated work is the small
    // positive work of the liquid's expansion, not a work taken in.
    WaterMagmaModel w;
    WaterMagmaCalculationInfo info = waterMagmaInputs({"m", "5.5", "pyroclast"}, 1);
    WaterMagmaCalculationResult r;
    r.scriptFlag = 0;
    capture([&] { w.calculateWaterMagmaCycle(info, r, 0, 0); });
    ASSERT_EQ(w.errorflag, 0);
    ASSERT_LT(r.T3, r.TsatRef);
    EXPECT_LE(r.T5p, r.T3);
    EXPECT_GE(r.T5p, r.T4);
    EXPECT_GT(-r.WrevP, 0.0);
    EXPECT_LT(-r.WrevP, 0.1);
    // The fragments cool by the few hundredths of a kelvin the liquid loses.
    EXPECT_GE(r.Qp, r.Q);
    EXPECT_LT(r.Qp - r.Q, 0.05);
}
