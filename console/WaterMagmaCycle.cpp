// One water-magma interaction cycle: surface water (state 1) carried down to
// depth (state 2: geothermal gradient, water column of 1000 kg/m3 and any
// overpressure), heated by the magma to its peak (state 3) and expanded back
// to the surface pressure.
#include <cmath>
#include <limits>

#include "console/WaterMagmaModel.h"
#include "platform/LogSink.h"

void WaterMagmaModel::prepareCycleCalculation(WaterMagmaCalculationInfo& info, WaterMagmaCalculationResult& r) {
    const double M = molarMass();
    magmaWaterRatio = info.m;
    magmaTemperature = info.Tm;
    magmaHeatCapacity = info.cp;
    latentHeat = info.L;
    solidusTemperature = info.Tsol;
    liquidusTemperature = info.Tliq;

    r.pyroclastCase = info.pyroclastHeated;
    r.heatingMode = info.heatingMode;
    r.recharge = info.recharge;
    r.m = info.m;
    r.Tm = info.Tm;
    r.fractionation = info.fractionation;
    r.fractionationCount = info.fractionationCount;

    r.T1 = info.T1;
    r.P1 = info.Psurf;
    r.T2 = info.depthTemperature();
    r.P2 = info.depthPressure();

    Vl0 = 1.8e-5;
    set_the_phase_as(2);
    calculateFromTP(r.T1, r.P1, 0);
    r.U1 = U;
    r.H1 = H;
    r.S1 = S;
    r.V1 = V * 1e6;

    set_the_phase_as(2);
    calculateFromTP(r.T2, r.P2, 0);
    r.U2 = U;
    r.H2 = H;
    r.S2 = S;
    r.V2 = V * 1e6;
    r.Cp2 = Cp;
    r.Cv2 = Cv;
    r.vaporizationWork = 0.0;

    r.sedimentMassRatio = (1.0 - info.porosity) * info.sediRho * V / (info.porosity * info.saturation * M);
    r.sedimentHeatCapacity = r.sedimentMassRatio * info.sediCp;
    if (r.T3 == 0.0) r.T3 = r.T2;
    r.Tcoupled = info.coupling * r.T2 + (1.0 - info.coupling) * r.T3;
    r.phaseState = 0;

    if (info.heatingMode != 1) return;
    if (!(r.P2 < 221.0)) {
        r.phaseState = 4;  // above the critical pressure: no boiling
        return;
    }
    calculateIsobaricHeatingAnchors(r);
    r.liquidFraction3 = -1.0;
}

namespace {

// The fields of the isobaric anchors, from one record to another.
void copyIsobaricHeatingAnchors(WaterMagmaCalculationResult& to, const WaterMagmaCalculationResult& from) {
    to.TsatP2 = from.TsatP2;
    to.VlSatP2 = from.VlSatP2;
    to.UlSatP2 = from.UlSatP2;
    to.HlSatP2 = from.HlSatP2;
    to.Tspinodal = from.Tspinodal;
    to.Vspinodal = from.Vspinodal;
    to.Sspinodal = from.Sspinodal;
    to.Hspinodal = from.Hspinodal;
    to.Tboil = from.Tboil;
    to.VlBoil = from.VlBoil;
    to.VvBoil = from.VvBoil;
    to.Pboil = from.Pboil;
    to.flashWork = from.flashWork;
    to.vaporizationWork = from.vaporizationWork;
    to.HlBoil = from.HlBoil;
    to.SlBoil = from.SlBoil;
    to.UlBoil = from.UlBoil;
    to.AlBoil = from.AlBoil;
    to.HvBoil = from.HvBoil;
    to.SvBoil = from.SvBoil;
    to.UvBoil = from.UvBoil;
    to.AvBoil = from.AvBoil;
    to.heatToVaporize = from.heatToVaporize;
}

}  // namespace

void WaterMagmaModel::calculateIsobaricHeatingAnchors(WaterMagmaCalculationResult& r) {
    DepthAnchors& kept = depthAnchors;
    if (keepDepthAnchors && kept.valid && kept.P2 == r.P2) {
        copyIsobaricHeatingAnchors(r, kept.values);
        // The model where the search leaves it: the saturated vapour at
        // Tboil, with the same start estimates.
        Vl_sat = r.VlBoil;
        Vv_sat = r.VvBoil;
        Vl0 = kept.Vl0;
        Vv0 = kept.Vv0;
        set_the_phase_as(kept.phaseKind);
        temperature(r.Tboil);
        volume(r.VvBoil);
        calculate_state_functions();
        return;
    }
    calculateTheSaturationTemperature(r.P2, 0);
    r.TsatP2 = T;
    r.VlSatP2 = Vl_sat;
    volume(r.VlSatP2);
    calculate_state_functions();
    r.UlSatP2 = U;
    r.HlSatP2 = H;

    calculateTheLiquidSpinodalTemperatureFromP(r.P2);
    r.Tspinodal = T;
    r.Vspinodal = V;
    r.Sspinodal = S;
    r.Hspinodal = H;

    calculateBoilingPointFromS(r.Sspinodal);
    r.Tboil = T;

    calculateTheSaturationPressure(r.Tboil);
    r.VlBoil = Vl_sat;
    r.VvBoil = Vv_sat;
    r.Pboil = P * 1e-5;
    const double PboilPa = P;
    r.flashWork = -PboilPa * (r.VvBoil - r.VlBoil) - r.HlSatP2 + r.H2 - r.U2 + r.UlSatP2;
    r.vaporizationWork = -PboilPa * (r.VvBoil - r.VlBoil);

    temperature(r.Tboil);
    volume(r.VlBoil);
    calculate_state_functions();
    r.HlBoil = H;
    r.SlBoil = S;
    r.UlBoil = U;
    r.AlBoil = A;
    volume(r.VvBoil);
    calculate_state_functions();
    r.HvBoil = H;
    r.SvBoil = S;
    r.UvBoil = U;
    r.AvBoil = A;
    r.heatToVaporize = r.Hspinodal - r.H2 + r.HvBoil - r.HlBoil;
    if (!keepDepthAnchors) return;
    kept.valid = true;
    kept.P2 = r.P2;
    kept.Vl0 = Vl0;
    kept.Vv0 = Vv0;
    kept.phaseKind = phase_kind;
    copyIsobaricHeatingAnchors(kept.values, r);
}

void WaterMagmaModel::prepareExpansionWorkCalculation(double Psurf, WaterMagmaCalculationResult& r) {
    initializeSaturationVolumesFromP("H2O", Psurf);
    calculate_saturation_temperature(Psurf * 1e5, T);
    r.Pref = Psurf;
    r.TsatRef = T;
    r.VlRef = Vl_sat;
    r.VvRef = Vv_sat;
    set_the_phase_as(2);
    volume(r.VlRef);
    temperature(r.TsatRef);
    calculate_state_functions();
    r.UlRef = U;
    r.HlRef = H;
    r.SlRef = S;
    set_the_phase_as(1);
    volume(r.VvRef);
    temperature(r.TsatRef);
    calculate_state_functions();
    r.UvRef = U;
    r.HvRef = H;
    r.SvRef = S;
}

bool WaterMagmaModel::peakFound(const WaterMagmaCalculationResult& r, const WaterMagmaCalculationInfo& info) {
    if (!errorflag) return true;
    // No temperature closes the heat balance: with a latent heat released at
    // one temperature (Tsol = Tliq) the balance steps across zero there.
    refusePoint("Refused at m = %g: the heat balance of the peak does not close (no peak temperature of the %s "
                    "heating closes it).\n",
                    r.m, WaterMagmaCalculationInfo::heatingName(info.heatingMode));
    return false;
}

void WaterMagmaModel::calculateWaterMagmaCycle(WaterMagmaCalculationInfo& info, WaterMagmaCalculationResult& r,
                                               char writeCurves, char report) {
    prepareCycleCalculation(info, r);
    r.writeCurves = static_cast<unsigned char>(writeCurves);
    bool commonTail = false;
    switch (info.heatingMode) {
    case 0:
        calculateIsochoricPeakTemperature(r.T2, r.V2 * 1e-6, 0.0, r.sedimentHeatCapacity, r.Tcoupled, nullptr);
        if (!peakFound(r, info)) return;
        r.T3 = T;
        r.V3 = r.V2;
        commonTail = true;
        break;
    case 1:
        calculateIsobaricPeakTemperature(r);
        peakTemperature = r.T3;
        peakVolume = r.V3 * 1e-6;
        if (!peakFound(r, info)) return;
        prepareExpansionWorkCalculation(info.Psurf, r);
        calculateWorkForIsobaricHeating(r);
        break;
    case 2:
        calculateWohletzPeakTemperature(r.T2, r.V2 * 1e-6, 0.0, r.Cp2, r.sedimentHeatCapacity, r.Tcoupled);
        if (!peakFound(r, info)) return;
        r.T3 = T;
        r.S3 = r.S2 + r.Cv2 * std::log(r.T3 / r.T2);
        calculateFromTS(r.T3, r.S3, 0);
        r.V3 = V * 1e6;
        commonTail = true;
        break;
    default:
        break;
    }
    if (commonTail) {
        // The peak must be a stable state at a positive pressure.  The
        // entropy that Wohletz's constant heat capacity gives a strongly
        // compressed water can lie below that of the liquid at T3 and any
        // positive pressure, and a supercooled liquid (below 4 deg. C it
        // contracts when warmed) heated at constant volume loses pressure:
        // such a state is stretched or mechanically unstable.
        if (errorflag || !(P > 0.0) || !(dPdV < 0.0) || !std::isfinite(V)) {
            refusePoint("Refused at m = %g: the %s peak state at %.2f K is no stable state of water (its pressure "
                            "%.6g bar).\n",
                            r.m, WaterMagmaCalculationInfo::heatingName(info.heatingMode), T, P * 1e-5);
            errorflag = 1;
            return;
        }
        r.P3 = P * 1e-5;
        r.U3 = U;
        r.H3 = H;
        r.S3 = S;
        peakTemperature = T;
        peakVolume = V;
        prepareExpansionWorkCalculation(info.Psurf, r);
        calculateExpansionWork(r);
    }
    if (!cycleWithinPhysicalBounds(r)) {
        errorflag = 1;
        return;
    }
    notePeakBeyondFittedRange(r);
    if (report == 0) return;
    if (r.scriptFlag == 1) {
        r.print();
    } else if (r.scriptFlag == 6) {
        if (report == 2) info.writeToLog();
        r.writeToLog();
    }
}

void WaterMagmaModel::notePeakBeyondFittedRange(const WaterMagmaCalculationResult& r) {
    // IAPWS-95 was fitted up to 1273 K and 1 GPa; beyond, it extrapolates
    // soundly (to 5000 K and 100 GPa) but is no longer a fit to measurements.
    if (peakExtrapolationNoted || !(r.T3 > kFittedTmax || r.P3 > kFittedPmax)) return;
    peakExtrapolationNoted = true;
    if (const platform::ThreadLogCapture* c = platform::ThreadLogCapture::current())
        peakNoteEntry = static_cast<long>(c->size());
    platform::warnf("Note: the peak state at m = %g (%.2f K, %.6g bar) lies beyond the range of IAPWS-95's fit "
                    "(1273 K, 10000 bar): its values are extrapolated.\n",
                    r.m, r.T3, r.P3);
}

void WaterMagmaModel::noteStateBeyondFittedRange(double T_, double P_bar) {
    if (!(T_ > kFittedTmax || P_bar > kFittedPmax)) return;
    platform::warnf("Note: the water at %.2f K and %.6g bar lies beyond the range of IAPWS-95's fit (1273 K, "
                    "10000 bar): its values are extrapolated.\n",
                    T_, P_bar);
}

bool WaterMagmaModel::cycleWithinPhysicalBounds(const WaterMagmaCalculationResult& r) {
    const double M = molarMass(), m = r.m, k = 0.001 / M;
    // The heat the water takes up by its heating law (J/mol): its energy at
    // constant volume, Wohletz's constant heat capacity, or its enthalpy at
    // constant pressure, flashing at Tboil past its superheat limit.
    double gain;
    switch (r.heatingMode) {
    case 0:
        gain = r.U3 - r.U2;
        break;
    case 1:
        if (r.phaseState == 2)
            gain = r.Hspinodal - r.H2 + (1.0 - r.liquidFraction3) * (r.HvBoil - r.HlBoil);
        else if (r.phaseState == 3)
            gain = r.heatToVaporize + r.H3 - r.HvBoil;
        else
            gain = r.H3 - r.H2;
        break;
    case 2:
        gain = r.Cp2 * (r.T3 - r.T2);
        break;
    default:
        return true;  // no heating, nothing to bound
    }
    if (!(magmaTemperature > r.T2)) {
        refusePoint("Refused at m = %g: the magma (%.2f K) is not hotter than the water at depth (%.2f K): it "
                        "cannot heat it.\n",
                        m, magmaTemperature, r.T2);
        return false;
    }
    // Heat balance per kg of magma: the magma cooling from Tm to T3 (and
    // crystallising) heats the water and the sediment.
    const double magma = (magmaTemperature - r.T3) * magmaHeatCapacity - calculateLatentHeatTerm(magmaTemperature, r.T3);
    const double taken = m * gain / M + m * r.sedimentHeatCapacity * (r.T3 - r.Tcoupled);
    // A ratio so small that the magma's cooling by the water lies below the
    // resolution of its temperature (to the balance's 1e-6) underflows: the
    // balance cannot close, whatever the peak.
    const double cooling = taken / magmaHeatCapacity;  // K
    const double resolution = 1e6 * magmaTemperature * std::numeric_limits<double>::epsilon();
    if (taken > 0.0 && cooling < resolution) {
        refusePoint("Refused at m = %g: the water-magma mass ratio underflows: the water takes %.3g J/kg of "
                        "magma, which cools the magma by %.3g K, below what its temperature (%.2f K) resolves; m "
                        "must be at least about %.1g.\n",
                        m, taken, cooling, magmaTemperature, m * resolution / cooling);
        return false;
    }
    // A liquid held below its superheat limit takes less than the magma
    // gives; the balance closes everywhere else.
    const bool belowLimit = r.heatingMode == 1 && r.phaseState == 1 && peakHeldBelowSuperheatLimit && taken < magma;
    if (!belowLimit && !(std::fabs(taken - magma) <= 1e-6 * std::fmax(std::fabs(magma), std::fabs(taken)))) {
        // (Digits enough to show the difference, which may lie in the
        // seventh.)
        refusePoint("Refused at m = %g: the heat balance of the peak does not close (the water takes %.10g J/kg "
                        "of magma, the magma gives %.10g J/kg: they differ by %.3g J/kg, more than the balance's "
                        "relative 1e-6).\n",
                        m, taken, magma, taken - magma);
        return false;
    }
    // The heat enters the water at temperatures up to T3, or up to its
    // superheat limit before a flash; the coldest water is the surface water.
    double Thot = r.T3;
    if (r.heatingMode == 1 && (r.phaseState == 2 || r.phaseState == 3) && r.Tspinodal > Thot) Thot = r.Tspinodal;
    const double Tcold = std::fmin(r.T1, r.T2);
    const double carnot = Thot > Tcold ? 1.0 - Tcold / Thot : 0.0;
    const double heat = gain * k;  // J/g of water
    // Beside the heat taken up, what the water at depth already holds above
    // the surface water (the geothermal heat and the column's compression),
    // at most its exergy (U2 - U1) + P1 (V2 - V1) - Tcold (S2 - S1), and the
    // push of the expanding water on the surface pressure, at most Pref
    // (VvRef - V3), add to what the expansion can give.
    const double held =
        std::fmax(0.0, (r.U2 - r.U1) + r.P1 * 1e5 * (r.V2 - r.V1) * 1e-6 - Tcold * (r.S2 - r.S1)) * k +
        std::fmax(0.0, r.Pref * 1e5 * (r.VvRef - r.V3 * 1e-6)) * k;
    struct Case {
        const char* name;
        double W, heat, Tend;
    };
    const double fragments = r.pyroclastCase ? r.Qp - r.Q : 0.0;  // heat of the fragments during the expansion
    const Case cases[] = {{"reversible adiabatic", r.Wrev, heat, NAN},
                          {"irreversible adiabatic", r.Wirr, heat, NAN},
                          {"reversible pyroclast-heated", r.pyroclastCase ? r.WrevP : NAN, heat + fragments, r.T5p},
                          {"irreversible pyroclast-heated", r.pyroclastCase ? r.WirrP : NAN, heat + fragments,
                           r.T5irrP}};
    for (const Case& c : cases) {
        if (!std::isfinite(c.W)) continue;  // a work without an end state is reported missing, not refused
        if (c.Tend > r.T3 + 1e-9) {
            refusePoint("Refused at m = %g: the end of the %s expansion (%.2f K) is hotter than the fragments "
                            "that heat it (%.2f K).\n",
                            m, c.name, c.Tend, r.T3);
            return false;
        }
        if (-c.W < -1e-9) {
            refusePoint("Refused at m = %g: the %s expansion takes work (%.6g J/g of water) instead of giving "
                            "it.\n",
                            m, c.name, c.W);
            return false;
        }
        if (-c.W > carnot * c.heat + held + 1e-9) {
            refusePoint("Refused at m = %g: the %s work (%.6g J/g of water) exceeds the most the water can give "
                        "(%.6g J/g: the Carnot share of the heat taken up between %.2f K and %.2f K, %.6g J/g, with "
                        "what the water at depth holds above the surface water and its push on the surface "
                        "pressure): the water is too little heated for the magma to drive its expansion.\n",
                        m, c.name, -c.W, carnot * c.heat + held, Thot, Tcold, carnot * c.heat);
            return false;
        }
    }
    return true;
}
