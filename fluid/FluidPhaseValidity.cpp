// The states a model is asked for by the command interpreter, held against
// the model's range of validity and against what a fluid can be: a state
// outside the range is refused, a phase or a saturation point the model gets
// wrong and a heat capacity or sound speed no fluid has are withheld.  Each
// refusal or withholding is said once on the log, naming the model.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/FluidPhase.h"
#include "fluid/SaturationAncillaries.h"
#include "platform/LogSink.h"

namespace {

// A state's pressure may lie this far (relative) from the fluid's vapour
// pressure on the wrong side before its phase counts as wrong: the ancillary
// equations agree with their reference equations within 0.1 to 0.2 %, and a
// good model's vapour pressure within a percent.
constexpr double kPhaseTolerance = 0.03;
// No fluid carries sound faster than this below 10 GPa (water near 4 km/s
// at 2 GPa).
constexpr double kMaxSoundSpeed = 1e4;  // m/s

}  // namespace

const char* FluidPhase::pureFluidName() const {
    if (component_count != 1 || component_names.empty()) return nullptr;
    return component_names[0].c_str();
}

ValidityRange FluidPhase::effectiveRange() const {
    ValidityRange r = validity;
    if (r.fromTriplePoints)
        for (const std::string& c : component_names) r.Tmin = std::max(r.Tmin, triplePointTemperature(c.c_str()));
    return r;
}

bool FluidPhase::refuseOutsideRange(double T_, double P_bar) {
    const ValidityRange validity = effectiveRange();
    if (!validity.holds(T_, P_bar)) {
        platform::diagf("The model %s holds %s: the state at %s K and %s bar lies outside it.\n", modelName(),
                        validity.describe().c_str(), givenDigits(T_).c_str(), givenDigits(P_bar).c_str());
        errorflag = 1;
        return false;
    }
    if (P_bar > validity.extrapolatedAbove && !extrapolationSaid) {
        extrapolationSaid = true;
        platform::warnf("The model %s is extrapolated above %g bar (%s): the state at %s K and %s bar, and the "
                        "others above it, lie beyond its source.\n",
                        modelName(), validity.extrapolatedAbove,
                        validity.extrapolationSource ? validity.extrapolationSource : validity.source,
                        givenDigits(T_).c_str(), givenDigits(P_bar).c_str());
    }
    if (T_ < validity.vapourOnlyBelow) {
        const double psat = ancillaryVapourPressure(pureFluidName(), T_) * 1e-5;
        if (!(P_bar < psat)) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%.4g bar", psat);
            platform::diagf(
                "The model %s holds %s: at %s K it describes the vapour only, below the vapour pressure %s, not at "
                "%s bar.\n",
                modelName(), validity.describe().c_str(), givenDigits(T_).c_str(),
                std::isfinite(psat) ? buf : "(unknown for this fluid)", givenDigits(P_bar).c_str());
            errorflag = 1;
            return false;
        }
    }
    return true;
}

bool FluidPhase::phaseAgreesWithFluid(double T_, double P_bar) {
    // A pure fluid with published saturation ancillaries, below its critical
    // temperature: the state is a liquid when denser than the geometric mean
    // of the saturated liquid and vapour, and the fluid is a liquid above its
    // vapour pressure.
    const char* name = pureFluidName();
    const double psat = ancillaryVapourPressure(name, T_) * 1e-5;
    const double Vl = ancillarySaturatedLiquidVolume(name, T_), Vv = ancillarySaturatedVapourVolume(name, T_);
    if (!std::isfinite(psat) || !(Vl > 0.0) || !(Vv > Vl)) return true;
    const bool liquidState = V < std::sqrt(Vl * Vv);
    const bool wrong = liquidState ? P_bar < psat * (1.0 - kPhaseTolerance) : P_bar > psat * (1.0 + kPhaseTolerance);
    if (!wrong) return true;
    platform::diagf(
        "The model %s gives a %s of %.4g kg/m3 at %g K and %g bar, where %s is a %s (vapour pressure %.4g bar): the "
        "state is withheld.\n",
        modelName(), liquidState ? "liquid" : "vapour", bulk_molar_weight / V, T_, P_bar, name,
        liquidState ? "vapour" : "liquid", psat);
    errorflag = 1;
    return false;
}

bool FluidPhase::withholdUnphysicalQuantities() {
    if (compressibilityDiverges()) return false;  // cp diverges at a critical point
    const double M = bulk_molar_weight;
    const double c2 = (d2AdV2 + d2AdTdV * dPdT / d2AdT2) * V * V / M;
    char why[160] = "";
    if (std::isfinite(Cv) && !(Cv > 0.0))
        std::snprintf(why, sizeof why, "cv = %.4g J/(mol K)", Cv);
    else if (std::isfinite(Cp) && !(Cp > 0.0))
        std::snprintf(why, sizeof why, "cp = %.4g J/(mol K)", Cp);
    else if (std::isfinite(Cp) && std::isfinite(Cv) && Cp < Cv)
        std::snprintf(why, sizeof why, "cp = %.4g below cv = %.4g J/(mol K)", Cp, Cv);
    else if (std::isfinite(c2) && c2 < 0.0)
        std::snprintf(why, sizeof why, "a negative squared sound speed (%.4g m2/s2)", c2);
    else if (std::isfinite(soundSpeed) && soundSpeed > kMaxSoundSpeed)
        std::snprintf(why, sizeof why, "a sound speed of %.4g m/s", soundSpeed);
    if (why[0] == '\0') return false;
    platform::warnf(
        "The model %s gives %s at %g K and %g bar, which no fluid has: cv, cp, the sound speed and the Joule-Thomson "
        "coefficient are withheld.\n",
        modelName(), why, T, P * 1e-5);
    for (double* q : {&Cv, &Cp, &dHdTv, &soundSpeed, &jouleThomson}) *q = std::nan("");
    return true;
}

bool FluidPhase::reportedStateFromTP(double T_, double P_bar, StableState& s) {
    s = StableState();
    calculateBulkMolarWeight();  // of the composition given last
    if (!refuseOutsideRange(T_, P_bar)) return false;
    if (component_count == 1) {
        // A pure fluid: the stable one of the liquid and the vapour roots.
        const int keep = phase_kind;
        s = calculateStableStateFromTP(T_, P_bar, true);  // the report names a metastable root
        set_the_phase_as(keep);
        if (s.phase == kPhaseNone) {
            platform::diagf("No state of the fluid found at %g K and %g bar.\n", T_, P_bar);
            return false;
        }
    } else {
        // A mixture at its composition: of its liquid and vapour roots, the
        // one of lower Gibbs energy (the root of the model's phase kind alone
        // may be a metastable one, or none: Anderko's brine models at 620 K
        // and 50 bar have no liquid root, and water is a vapour there).
        const int keep = phase_kind;
        s = calculateStableStateFromTP(T_, P_bar, true);
        set_the_phase_as(keep);
        if (s.phase == kPhaseNone) {
            platform::diagf("No state of the mixture found at %g K and %g bar.\n", T_, P_bar);
            return false;
        }
    }
    if ((component_count > 1 && errorflag) || !stateIsFinite()) {
        platform::diagf("The state at %g K and %g bar has no finite properties in this model.\n", T_, P_bar);
        return false;
    }
    if (!phaseAgreesWithFluid(T_, P_bar)) return false;
    withholdUnphysicalQuantities();
    return true;
}

bool FluidPhase::reportedStateFromTV(double T_, double V_) {
    calculateBulkMolarWeight();
    const ValidityRange validity = effectiveRange();
    if (!validity.holdsTemperature(T_)) {
        platform::diagf("The model %s holds %s: the state at %s K and %g cm3/mol lies outside it.\n", modelName(),
                        validity.describe().c_str(), givenDigits(T_).c_str(), V_ * 1e6);
        errorflag = 1;
        return false;
    }
    calculateFromTV(T_, V_, 0);
    if (errorflag || belowCoVolume() || !stateIsFinite()) {
        platform::diagf("No state of the fluid at %g K and %g cm3/mol in this model.\n", T_, V_ * 1e6);
        return false;
    }
    const double P_bar = P * 1e-5;
    if (!refuseOutsideRange(T_, P_bar)) return false;
    withholdUnphysicalQuantities();
    return true;
}

short FluidPhase::reportedSaturationPressure(double T_) {
    // A saturation point holds a liquid: below the vapour-only limit there is none to give.
    const ValidityRange validity = effectiveRange();
    if (!validity.holdsTemperature(T_) || T_ < validity.vapourOnlyBelow) {
        platform::diagf("The model %s holds %s: it gives no saturation point at %s K.\n", modelName(),
                        validity.describe().c_str(), givenDigits(T_).c_str());
        errorflag = 1;
        return errorflag;
    }
    if (calculateTheSaturationPressure(T_) != 0 || !std::isfinite(P)) return errorflag ? errorflag : 1;
    const char* name = pureFluidName();
    const double psat = ancillaryVapourPressure(name, T_);
    if (std::isfinite(psat) && std::fabs(P / psat - 1.0) > kVapourPressureTolerance) {
        platform::diagf(
            "The model %s gives a vapour pressure of %.4g bar at %g K, where that of %s is %.4g bar: its saturation "
            "point is withheld.\n",
            modelName(), P * 1e-5, T_, name, psat * 1e-5);
        errorflag = 1;
        return errorflag;
    }
    return 0;
}

bool FluidPhase::criticalPointInRange() {
    const ValidityRange validity = effectiveRange();
    if (validity.holds(T, P * 1e-5)) return true;
    platform::diagf("The model %s holds %s: its critical point at %g K and %g bar lies outside it.\n", modelName(),
                    validity.describe().c_str(), T, P * 1e-5);
    errorflag = 1;
    return false;
}

double FluidPhase::lowestReportedCurveTemperature() const {
    const ValidityRange validity = effectiveRange();
    const double Tlow = lowestCurveTemperature();
    if (!validity.declared()) return Tlow;
    return std::max({Tlow, validity.Tmin, validity.vapourOnlyBelow});
}
