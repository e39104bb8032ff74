#include "console/WaterMagmaCalculationInfo.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "console/LogReport.h"
#include "fluid/CriticalPoints.h"
#include "platform/ConsoleInput.h"
#include "platform/LogSink.h"
#include "water/WaterCorrelations.h"

namespace {

// The water-magma mass ratio in the summaries: three decimals, or three
// significant digits for a ratio they would show as 0.000 (1e-300 is no 0).
std::string massRatio(double m) {
    char text[64];
    std::snprintf(text, sizeof text, m != 0.0 && std::fabs(m) < 0.0005 ? "%8.3g" : "%8.3f", m);
    return text;
}

bool unset(double v) { return v == WaterMagmaCalculationInfo::kUnset; }
bool unsetFlag(unsigned char f) { return f == WaterMagmaCalculationInfo::kUnsetFlag; }

// The whole word as a finite number (integer for `whole`).
bool number(const char* s, double& v) {
    char* end = nullptr;
    const double d = std::strtod(s, &end);
    if (end == s || *end != '\0' || !std::isfinite(d)) return false;
    v = d;
    return true;
}
bool integer(const char* s, int& v) {
    char* end = nullptr;
    const long d = std::strtol(s, &end, 10);
    if (end == s || *end != '\0' || d > 2147483647L || d < -2147483647L) return false;
    v = static_cast<int>(d);
    return true;
}

}  // namespace

const char* WaterMagmaCalculationInfo::heatingName(unsigned char mode) {
    if (mode == 1) return "isobaric";
    if (mode == 0) return "isochoric";
    return "Wohletz";
}

void WaterMagmaCalculationInfo::setValuesToDefault() {
    if (unset(T1)) T1 = 20.0;
    if (unset(Psurf)) Psurf = 1.0;
    if (unset(depth)) depth = 100.0;
    if (unset(geothermalGradient)) geothermalGradient = 30.0;
    if (unset(m)) m = 1.0;
    if (unset(Tm)) Tm = 1200.0;
    if (unset(cp)) cp = 1.2;
    if (unset(L)) L = 350.0;
    if (unset(Tsol)) Tsol = 900.0;
    if (unset(Tliq)) Tliq = 1200.0;
    if (unset(overpressure)) overpressure = 0.0;
    if (unsetFlag(pyroclastHeated)) pyroclastHeated = 0;
    if (unsetFlag(heatingMode)) heatingMode = 0;
    if (unsetFlag(recharge)) recharge = 0;
    if (maxRecharges == -1) maxRecharges = 10;
    if (unset(g)) g = 9.81;
    if (static_cast<unsigned char>(suffix[0]) == kUnsetFlag) {
        suffix[0] = '0';
        suffix[1] = 0;
    }
    if (unsetFlag(fractionation)) fractionation = 0;
    if (fractionationCount == -1) fractionationCount = 10;
    if (unset(porosity)) porosity = 1.0;
    if (unset(saturation)) saturation = 1.0;
    if (unset(sediRho)) sediRho = 2500.0;
    if (unset(sediCp)) sediCp = 1200.0;
    if (unset(coupling)) coupling = 1.0;
}

bool WaterMagmaCalculationInfo::readArguments(int argc, const char** argv, std::FILE* in, bool summary) {
    struct Keyword {
        const char* word;
        double WaterMagmaCalculationInfo::*field;
    };
    static const Keyword kDoubles[] = {
        {"m", &WaterMagmaCalculationInfo::m},         {"Psurf", &WaterMagmaCalculationInfo::Psurf},
        {"Tm", &WaterMagmaCalculationInfo::Tm},       {"cp", &WaterMagmaCalculationInfo::cp},
        {"L", &WaterMagmaCalculationInfo::L},         {"d", &WaterMagmaCalculationInfo::depth},
        {"T1", &WaterMagmaCalculationInfo::T1},       {"Tliq", &WaterMagmaCalculationInfo::Tliq},
        {"Tsol", &WaterMagmaCalculationInfo::Tsol},   {"geo", &WaterMagmaCalculationInfo::geothermalGradient},
        {"g", &WaterMagmaCalculationInfo::g},         {"over", &WaterMagmaCalculationInfo::overpressure},
    };
    static const Keyword kSediment[] = {
        {"sediCp", &WaterMagmaCalculationInfo::sediCp},     {"sediRho", &WaterMagmaCalculationInfo::sediRho},
        {"porosity", &WaterMagmaCalculationInfo::porosity}, {"satu", &WaterMagmaCalculationInfo::saturation},
        {"coupling", &WaterMagmaCalculationInfo::coupling},
    };
    bool interactive = false;
    bool bad = false;
    auto valueOf = [&](int& i) -> const char* {
        if (i + 1 >= argc || argv[i + 1] == nullptr) {
            platform::diagf("Brenvik: the keyword \"%s\" needs a value.\n", argv[i]);
            bad = true;
            return nullptr;
        }
        return argv[++i];
    };
    auto setDouble = [&](const char* key, const char* v, double& field) {
        if (v == nullptr) return;
        if (!number(v, field)) {
            platform::diagf("Brenvik: the value \"%s\" of \"%s\" is not a number.\n", v, key);
            bad = true;
        }
    };
    auto setInt = [&](const char* key, const char* v, int& field) {
        if (v == nullptr) return;
        if (!integer(v, field)) {
            platform::diagf("Brenvik: the value \"%s\" of \"%s\" is not a whole number.\n", v, key);
            bad = true;
        }
    };
    // (The first slip stops the reading: one refusal, not one for every
    // word after it.)
    for (int i = 0; i < argc && !bad; ++i) {
        const char* w = argv[i];
        if (w == nullptr) continue;
        bool done = false;
        for (const Keyword& k : kDoubles) {
            if (std::strcmp(w, k.word) == 0) {
                setDouble(w, valueOf(i), this->*(k.field));
                done = true;
                break;
            }
        }
        if (done) continue;
        if (std::strcmp(w, "max") == 0) {
            setInt(w, valueOf(i), maxRecharges);
        } else if (std::strcmp(w, "pyroclast") == 0) {
            pyroclastHeated = 1;
        } else if (std::strcmp(w, "recharge") == 0) {
            recharge = 1;
        } else if (std::strcmp(w, "frac") == 0) {
            fractionation = 1;
            setInt(w, valueOf(i), fractionationCount);
        } else if (std::strcmp(w, "interactive") == 0) {
            askToUser(in);
            interactive = true;
        } else {
            bool known = false;
            for (const Keyword& k : kSediment) {
                if (std::strcmp(w, k.word) == 0) {
                    setDouble(w, valueOf(i), this->*(k.field));
                    known = true;
                    break;
                }
            }
            if (!known) {
                platform::diagf("Brenvik: unknown keyword \"%s\".\n", w);
                bad = true;
            }
        }
    }
    if (bad) return false;
    if (!interactive) {
        setValuesToDefault();
    } else {
        // The dialogue asks for the water, the magma and the options only; the
        // sediment and fractionation inputs it has no prompt for take their
        // keyword defaults, so that no unset marker reaches the calculation.
        if (unset(porosity)) porosity = 1.0;
        if (unset(saturation)) saturation = 1.0;
        if (unset(sediRho)) sediRho = 2500.0;
        if (unset(sediCp)) sediCp = 1200.0;
        if (unset(coupling)) coupling = 1.0;
        if (unsetFlag(fractionation)) fractionation = 0;
        if (fractionationCount == -1) fractionationCount = 10;
        setValuesToDefault();  // fields asked before the dialogue was reached
    }
    T1 += 273.15;
    Tm += 273.15;
    Tsol += 273.15;
    Tliq += 273.15;
    cp *= 1000.0;
    L *= 1000.0;
    geothermalGradient *= 0.001;
    if (summary) printSummary();
    return true;
}

bool WaterMagmaCalculationInfo::validate(std::string& message) const {
    auto fail = [&](const char* text) {
        message = text;
        return false;
    };
    if (!(m > 0.0)) return fail("the water-magma mass ratio m must be above 0.");
    if (!(T1 > 0.0)) return fail("the initial water temperature T1 must be above -273.15 deg. C.");
    if (!(Psurf > 0.0)) return fail("the surface pressure Psurf must be above 0 bar.");
    if (!(T1 < kWaterCritical.T) || waterAuxiliarySaturationPressure(T1) > Psurf * 1e5)
        return fail("the surface water must be liquid: T1 lies above its boiling point at Psurf.");
    if (!(depth >= 0.0)) return fail("the depth d must not be negative.");
    if (!(g >= 0.0)) return fail("the gravity g must not be negative.");
    if (!std::isfinite(geothermalGradient)) return fail("the geothermal gradient geo is not a number.");
    if (!std::isfinite(depthTemperature()) || !std::isfinite(depthPressure()))
        return fail("the depth d puts the water at depth beyond any state of the water model (its temperature or "
                    "pressure there is no finite number).");
    if (!(depthTemperature() > 0.0))
        return fail("the water temperature at depth (T1 + geo x d) must be above -273.15 deg. C.");
    if (!(depthPressure() > 0.0))
        return fail("the pressure at depth (Psurf + water column + over) must be above 0 bar.");
    if (!(Tm > 0.0)) return fail("the magma temperature Tm must be above -273.15 deg. C.");
    if (!(cp > 0.0)) return fail("the magma heat capacity cp must be above 0.");
    if (!(L >= 0.0)) return fail("the latent heat L must not be negative.");
    if (!(Tsol > 0.0) || !(Tliq >= Tsol)) return fail("the solidus Tsol must lie above -273.15 deg. C and not above the liquidus Tliq.");
    if (!(porosity > 0.0 && porosity <= 1.0)) return fail("the porosity must lie above 0 and at most 1.");
    if (!(saturation > 0.0 && saturation <= 1.0)) return fail("the water saturation satu must lie above 0 and at most 1.");
    if (!(coupling >= 0.0 && coupling <= 1.0)) return fail("the coupling must lie between 0 and 1.");
    if (!(sediRho >= 0.0) || !(sediCp >= 0.0)) return fail("the sediment density and heat capacity must not be negative.");
    if (recharge == 1 && maxRecharges < 1) return fail("the maximum number of recharges (max) must be at least 1.");
    // Each batch is a cycle of its own, for every point of a diagram: beyond
    // 1000 batches (whose totals lie within a few tenths of a per cent of
    // those of 300) more only take longer.
    if (fractionation == 1 && !(fractionationCount >= 1 && fractionationCount <= kMaxFractionations))
        return fail("the fractionation number (frac) must be from 1 to 1000.");
    return true;
}

bool WaterMagmaCalculationInfo::validateWaterStates(double Tmin, double Tmax, double Pmax, std::string& message) const {
    char text[300];
    const struct {
        const char* what;
        double T, P;
    } states[] = {{"surface water (T1, Psurf)", T1, Psurf}, {"water at depth (T1 + geo x d, Psurf + water column + over)",
                                                               depthTemperature(), depthPressure()}};
    for (const auto& w : states) {
        if (w.T >= Tmin && w.T <= Tmax && w.P <= Pmax) continue;
        std::snprintf(text, sizeof text,
                      "the %s at %s deg. C and %.6g bar lies outside the states of the water model (%.3f to %.2f "
                      "deg. C, up to %.0f bar).",
                      w.what, logreport::given(w.T - 273.15).c_str(), w.P, Tmin - 273.15, Tmax - 273.15, Pmax);
        message = text;
        return false;
    }
    // The magma heats the water at depth towards its own temperature: it
    // must be hotter than that water, and no hotter than the water model's
    // states reach.
    if (!(Tm > depthTemperature() && Tm <= Tmax)) {
        std::snprintf(text, sizeof text,
                      "the magma temperature Tm (%s deg. C) must lie above that of the water at depth (T1 + geo x d "
                      "= %.2f deg. C) and at most at the highest temperature of the water model (%.2f deg. C): "
                      "the water it heats lies between the two.",
                      logreport::given(Tm - 273.15).c_str(), depthTemperature() - 273.15, Tmax - 273.15);
        message = text;
        return false;
    }
    return true;
}

void WaterMagmaCalculationInfo::askToUser(std::FILE* in) {
    // The questions go to standard error, apart from the results, and are no
    // diagnostics: an answered dialogue does not fail the run.
    auto ask = [](const char* prompt) { platform::warnf("%s", prompt); };
    auto askDouble = [&](double& field, bool isUnset, const char* prompt, double def) {
        if (!isUnset) return;
        ask(prompt);
        field = getDouble(def, in);
    };
    askDouble(m, unset(m), "Water-magma mass ratio,                          default =    1        : ", 1.0);
    if (unsetFlag(pyroclastHeated)) {
        ask("Calculate isothermal case (y/n) ?                default =    n        : ");
        pyroclastHeated = static_cast<unsigned char>(getChar('n', in));
    }
    askDouble(Tm, unset(Tm), "Magma temperature (°C),                          default = 1200°C      : ", 1200.0);
    askDouble(T1, unset(T1), "Initial water temperature (°C),                  default =   20°C      : ", 20.0);
    askDouble(Psurf, unset(Psurf), "Surface pressure (bar),                          default =   1 bar     : ", 1.0);
    askDouble(geothermalGradient, unset(geothermalGradient),
              "Geothermal gradient (°C/km),                     default =   30°C/km   : ", 30.0);
    askDouble(g, unset(g), "Gravity (m/s2),                                  default = 9.81 m/s2   : ", 9.81);
    askDouble(depth, unset(depth), "Depth (m),                                       default =  100 m      : ", 100.0);
    askDouble(overpressure, unset(overpressure),
              "Overpressure (bar),                              default =    0 bar    : ", 0.0);
    askDouble(cp, unset(cp), "Heat capacity of magma (J/g/°C),                 default =  1.2 J/g/°C : ", 1.2);
    askDouble(L, unset(L), "Magma latent heat of solification (J/g),         default =  350 J/g    : ", 350.0);
    askDouble(Tsol, unset(Tsol), "Magma solidus temperature (°C),                  default =  900°C      : ", 900.0);
    askDouble(Tliq, unset(Tliq), "Magma liquidus temperature (°C),                 default = 1200°C      : ", 1200.0);
    if (unsetFlag(heatingMode)) {
        ask("Heating (0: isochoric; 1: isobaric; 2: Wohletz)  default =    0        : ");
        const char c = getChar('0', in);
        heatingMode = c == '1' ? 1 : (c == '2' ? 2 : 0);
    }
    if (unsetFlag(recharge)) {
        ask("Recharge with fresh water (y/n) ?                default =    n        : ");
        recharge = static_cast<unsigned char>(getChar('n', in));
    }
    if (maxRecharges == -1) {
        ask("Maximum number of recharges ?                    default =  100        : ");
        maxRecharges = getInteger(100, in);
    }
    if (static_cast<unsigned char>(suffix[0]) == kUnsetFlag) {
        ask("Suffix                                           default =    0        : ");
        suffix[0] = getChar('0', in);
        suffix[1] = 0;
    }
    pyroclastHeated = (pyroclastHeated == 'n' || pyroclastHeated == 0) ? 0 : 1;
    recharge = (recharge == 'n' || recharge == 0) ? 0 : 1;
}

void WaterMagmaCalculationInfo::printSummary() const {
    std::printf("\nSummary:\n---------\n");
    std::printf("Initial water temperature   : %8.2f °C, %8.2f K\n", T1 - 273.15, T1);
    std::printf("Surface pressure            : %8.2f bar\n", Psurf);
    std::printf("Geothermal gradient         : %8.2f °C/km\n", geothermalGradient * 1000.0);
    std::printf("Depth                       : %8.2f m\n", depth);
    std::printf("Gravity                     : %8.2f m/s2\n", g);
    std::printf("Overpressure                : %8.2f bar\n", overpressure);
    std::printf("Magma temperature           : %8.2f °C, %8.2f K\n", Tm - 273.15, Tm);
    std::printf("Magma heat capacity         : %8.2f J/g/°C\n", cp * 0.001);
    std::printf("Solidification latent heat  : %8.2f J/g \n", L * 0.001);
    std::printf("Solidus temperature         : %8.2f°C, %8.2f K \n", Tsol - 273.15, Tsol);
    std::printf("Liquidus temperature        : %8.2f°C, %8.2f K \n", Tliq - 273.15, Tliq);
    std::printf("Heating                     : %s\n", heatingName(heatingMode));
    std::printf("Pyroclast heated            : %s\n", yesNo(pyroclastHeated));
    std::printf("Recharge                    : %s\n", yesNo(recharge));
    if (recharge == 1) std::printf("Maximum number of recharges : %d\n", maxRecharges);
    std::printf("Fractionation               : %s\n", yesNo(fractionation));
    if (fractionation == 1) std::printf("Fractionation number        : %d\n", fractionationCount);
    std::printf("Water-magma mass ratio      : %s kg of water / kg of magma \n\n", massRatio(m).c_str());
    std::printf("Sediment porosity           : %8.2f %%\n", porosity * 100.0);
    std::printf("Water saturation            : %8.2f %%\n", saturation * 100.0);
    std::printf("Sediment density            : %8.2f g/cm3\n", sediRho * 0.001);
    std::printf("Sediment heat capacity      : %8.2f J/g/K\n", sediCp * 0.001);
    std::printf("Fluid / sediment coupling   : %8.2f %%\n", coupling * 100.0);
}

void WaterMagmaCalculationInfo::writeToLog() const {
    using logreport::format;
    using logreport::line;
    logreport::rtfBlock("\\ul \\b Input Summary: \\b0 \\ulnone\\par\\par");
    line(format("Initial water temperature       : %8.2f °C, %8.2f K", T1 - 273.15, T1));
    line(format("Surface pressure                : %8.2f bar", Psurf));
    line(format("Geothermal gradient             : %8.2f °C/km", geothermalGradient * 1000.0));
    line(format("Depth                           : %8.2f m", depth));
    line(format("Gravity                         : %8.2f m/s2", g));
    line(format("Overpressure                    : %8.2f bar", overpressure));
    line(format("Magma temperature               : %8.2f °C, %8.2f K", Tm - 273.15, Tm));
    line(format("Magma heat capacity             : %8.2f J/g/°C", cp * 0.001));
    line(format("Solidification latent heat      : %8.2f J/g ", L * 0.001));
    line(format("Solidus temperature             : %8.2f°C, %8.2f K ", Tsol - 273.15, Tsol));
    line(format("Liquidus temperature            : %8.2f°C, %8.2f K ", Tliq - 273.15, Tliq));
    line(format("Heating                         : %s", heatingName(heatingMode)));
    line(format("Pyroclast heated                : %s", yesNo(pyroclastHeated)));
    line(format("Recharge                        : %s", yesNo(recharge)));
    if (recharge == 1) line(format("Maximum number of recharges     : %d", maxRecharges));
    line(format("Fractionation                   : %s", yesNo(fractionation)));
    if (fractionation == 1) line(format("Maximum count of fractionations : %d", fractionationCount));
    line("Water-magma mass ratio          : " + massRatio(fractionation == 1 ? fractionationCount * m : m) +
             " kg of water / kg of magma ",
         2);
    line(format("Sediment porosity               : %8.2f %%", porosity * 100.0));
    line(format("Water saturation                : %8.2f %%", saturation * 100.0));
    line(format("Sediment density                : %8.2f g/cm3", sediRho * 0.001));
    line(format("Sediment heat capacity          : %8.2f J/g/K", sediCp * 0.001));
    line(format("Fluid / sediment coupling       : %8.2f %%", coupling * 100.0));
}

int WaterMagmaCalculationInfo::isEqualTo(const WaterMagmaCalculationInfo* o) const {
    if (o == nullptr) return 0;
    // NaN never compares equal.
    const double a[] = {m, Tm, T1, Psurf, geothermalGradient, g, overpressure, depth, cp, L, Tsol, Tliq};
    const double b[] = {o->m, o->Tm, o->T1, o->Psurf, o->geothermalGradient, o->g, o->overpressure,
                        o->depth, o->cp, o->L, o->Tsol, o->Tliq};
    if (m != o->m || pyroclastHeated != o->pyroclastHeated || recharge != o->recharge ||
        maxRecharges != o->maxRecharges)
        return 0;
    for (std::size_t i = 1; i < sizeof a / sizeof a[0]; ++i)
        if (!(a[i] == b[i])) return 0;
    if (heatingMode != o->heatingMode || fractionation != o->fractionation ||
        fractionationCount != o->fractionationCount)
        return 0;
    if (!(porosity == o->porosity) || !(saturation == o->saturation) || !(sediRho == o->sediRho) ||
        !(sediCp == o->sediCp) || !(coupling == o->coupling))
        return 0;
    return std::strncmp(suffix, o->suffix, sizeof suffix) == 0 ? 1 : 0;
}
