// The Brenvik command program: one option word and its arguments per run.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "console/LogReport.h"
#include "console/WaterMagmaModel.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"
#include "platform/Process.h"
#include "fluid/IceCurves.h"

namespace {

bool is(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// The whole word as a finite number; otherwise a message naming `what`.
bool readNumber(const char* word, const char* what, double& value) {
    char* end = nullptr;
    const double v = std::strtod(word, &end);
    if (end == word || *end != '\0' || !std::isfinite(v)) {
        platform::diagf("Brenvik: \"%s\" is not a number (%s).\n", word, what);
        return false;
    }
    value = v;
    return true;
}

// Absolute temperatures and pressures must be positive.
bool positive(double v, const char* what, const char* unit) {
    if (v > 0.0) return true;
    platform::diagf("Brenvik: the %s must be above 0 %s.\n", what, unit);
    return false;
}

// The starting states of the options lie between the model's lowest
// temperature (251.165 K, where ice Ih, ice III and liquid meet) and the
// limits of its sound extrapolation.
constexpr double kExtrapolatedTmax = WaterMagmaModel::kExtrapolatedTmax;
constexpr double kExtrapolatedPmax = WaterMagmaModel::kExtrapolatedPmax;

bool waterTemperature(const WaterMagmaModel& m, double T, const char* what) {
    if (m.holdsWaterTemperature(T)) return true;
    platform::diagf("Brenvik: the %s (%s deg. C) lies outside the states of the water model (%.3f to %.2f deg. C).\n",
                    what, logreport::given(T - 273.15).c_str(), m.validity.Tmin - 273.15, kExtrapolatedTmax - 273.15);
    return false;
}

bool waterPressure(double P_bar) {
    if (WaterMagmaModel::holdsWaterPressure(P_bar)) return true;
    platform::diagf("Brenvik: the pressure (%.4g bar) lies outside the states of the water model (above 0 and up to "
                    "%.0f bar).\n",
                    P_bar, kExtrapolatedPmax);
    return false;
}

}  // namespace

void WaterMagmaModel::printPhaseOfState(const StableState& phase, bool steamAsked) {
    auto name = [](int p) {
        return p == kPhaseVapour ? "steam" : p == kPhaseLiquid ? "liquid water" : p == kPhaseSupercritical ? "supercritical water" : "water";
    };
    if (phase.metastable)
        std::printf("** Metastable %s: %s has the lower Gibbs energy at this temperature and pressure\n",
                    name(phase.phase), name(phase.otherPhase));
    else if (phase.phase == (steamAsked ? kPhaseLiquid : kPhaseVapour))
        std::printf("** No %s root at this temperature and pressure: the state is %s\n",
                    steamAsked ? "steam" : "liquid", name(phase.phase));
}

void WaterMagmaModel::printBanner() {
    std::printf("\n");
    static const char* const lines[] = {
        "=============================================",
        "                   Brenvik ",
        "     Energetics of Magma-Water systems",
        "          (Version 1.0, 4/16/09) ",
        "=============================================\n",
        "To use this program, type one of these options :",
        "a     : About ... ",
        "pv    : Calculate the P-T diagram for an isochoric heating (constant volume).",
        "pp    : Calculate the P-T diagram for an isobaric heating (constant pressure).",
        "pw    : Calculate the P-T diagram by using the Wohletz artifice.",
        "ev    : Calculate the E (m) diagram for an isochoric heating (constant volume).",
        "ep    : Calculate the E (m) diagram for an isobaric heating (constant pressure).",
        "ew    : Calculate the E (m) diagram by using the Wohletz artifice..",
        "TP    : Calculate the expansion work for juvenile waters from given temperature and pressure.",
        "TV    : Calculate the expansion work for juvenile waters from given temperature and molar volume.",
        "psat  : Calculate the decompression work for saturated liquid or steam from a given temperature.",
        "tsat  : Calculate the decompression work for saturated liquid or steam from a given pressure.",
        "exsol : Calculate the exsolution work and temperature for given magma temperature and pressure.",
        "heat  : Calculate the expansion work by isobaric heating.",
        "satu  : Calculate the saturation curve of water.",
        "spino : Calculate the spinodal curves of water.",
    };
    for (const char* l : lines) std::printf("%s\n", l);
    std::printf("\n");
}

void WaterMagmaModel::printAbout() {
    std::printf("\n\n Brenvik is a calculation program addressing the energetics of terrestrial magma-water "
                "systems\nand their explosivity conditions.\n\n");
    std::printf("It uses the reference equation of state of Wagner and Pruss (95) for water.\n"
                "The calculations are made with the help of the VARNOK library of fluid thermodynamics "
                "(the VARNOK developers, 2026).\n");
    std::printf("Programming: the VARNOK developers\n");
    std::printf("Contact: through the VARNOK project's issue tracker\n");
    std::printf("Laboratory: VARNOK fluid thermodynamics for volcanology\n");
    std::printf("\tVersion 1.0 - April 2009\n\n");
}

int WaterMagmaModel::doWaterMagmaCommand(int argc, const char** argv, std::FILE* in) {
    if (argc <= 0 || argv == nullptr) return 0;
    // Alone, or asked for help as every console program is: the options.
    if (argc == 1 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printBanner();
        return 0;
    }
    return doMenuCommand(argv[1], argc - 2, argv + 2, in);
}

int WaterMagmaModel::doMenuCommand(const char* word, int argc, const char** argv, std::FILE* in) {
    if (word == nullptr) return 1;
    // A calculation that reports a failure through the log, or a file that
    // cannot be written, makes the run fail whatever the option returns.
    // An option that fails leaves no file: what it wrote (headers, rows of
    // the refused calculation, the Igor macro that plots them) is removed.
    // The option has said why it failed; nothing more is added.
    const long diagnostics = platform::diagnosticCount();
    const int lostFiles = platform::writeFailureCount();
    platform::WrittenFiles written;
    int status = runMenuCommand(word, argc, argv, in);
    const bool said = platform::diagnosticCount() != diagnostics;
    if (said || platform::writeFailureCount() != lostFiles) status = 1;
    if (status != 0) {
        written.removeAll();
        if (!said) platform::diagf("Brenvik: the option %s failed.\n", word);
    }
    return status;
}

// "TP" and "TV": the expansion work of the water at a given temperature and
// pressure, or temperature and molar volume.
int WaterMagmaModel::runStateWorkCommand(const char* word, int argc, const char** argv) {
    const bool byP = is(word, "TP");
    if (argc < 2) {
        platform::diagf(byP ? "Syntax: TP <temperature in deg. C>   <pressure in bar>  (<phase>)\n"
                            : "Syntax: TV <temperature in deg. C>   <volume in cm3/mol>  (<phase>)\n");
        return 1;
    }
    if (argc > 3) {
        platform::diagf("Brenvik: %s takes at most three arguments.\n", word);
        return 1;
    }
    double t = 0.0, second = 0.0;
    if (!readNumber(argv[0], "temperature in deg. C", t) ||
        !readNumber(argv[1], byP ? "pressure in bar" : "volume in cm3/mol", second))
        return 1;
    const double T_ = t + 273.15;
    if (!waterTemperature(*this, T_, "temperature") ||
        (byP ? !waterPressure(second) : !positive(second, "volume", "cm3/mol")))
        return 1;
    const bool vapour = argc == 3 && (is(argv[2], "gas") || is(argv[2], "steam") || is(argv[2], "vapour"));
    if (argc == 3 && !vapour && !is(argv[2], "liquid") && !is(argv[2], "water")) {
        platform::diagf("Brenvik: the phase \"%s\" of %s is none of liquid, water, gas, steam or vapour.\n",
                        argv[2], word);
        return 1;
    }
    const int kind = vapour ? 1 : 2;
    std::printf("\n");
    set_the_phase_as(kind);
    StableState phase;
    if (byP) {
        // The root of the phase asked for, set against the other root.
        double Vr = 0.0, Gr = 0.0;
        if (!pressureRootFromTP(kind, T_, second, Vr, Gr)) {
            platform::diagf("Brenvik: no %s state of water at %.2f deg. C and %.4g bar.\n",
                            vapour ? "steam" : "liquid", t, second);
            return 1;
        }
        setStateFromTPV(T_, second, Vr);
        phase = assessStateAtTP(T_, second);
    } else {
        calculateFromTV(T_, second * 1e-6, 0);
    }
    // IAPWS-95 extrapolates soundly up to 5000 K and 100 000 bar; a state
    // beyond that, or mechanically unstable, is no starting point.
    if (errorflag || !stateIsFinite()) {
        platform::diagf("Brenvik: no state of water found at these conditions.\n");
        return 1;
    }
    if (!(P > 0.0 && P * 1e-5 <= kExtrapolatedPmax && dPdV < 0.0)) {
        platform::diagf("Brenvik: the state at %.2f deg. C and %.4g bar lies outside the stable states of the water "
                        "model (up to %.0f K and %.0f bar).\n",
                        T_ - 273.15, P * 1e-5, kExtrapolatedTmax, kExtrapolatedPmax);
        return 1;
    }
    if (!(P >= 1e5 * (1.0 - 1e-9))) {
        platform::diagf(
            "Brenvik: the water at %.4g bar does not expand to 1 bar (its pressure must not be below it).\n",
            P * 1e-5);
        return 1;
    }
    // Beyond a melting curve water is ice; below its triple point at
    // low pressure IAPWS-95 gives the supercooled liquid, metastable.
    const water::Ice ice = water::iceAt(T_, P);
    if (ice != water::Ice::None && ice != water::Ice::Ih) {
        platform::diagf("Brenvik: at %.2f deg. C and %.4g bar water is %s, not a fluid.\n", T_ - 273.15, P * 1e-5,
                        water::iceName(ice));
        return 1;
    }
    noteStateBeyondFittedRange(T_, P * 1e-5);
    dump();
    if (ice != water::Ice::None)
        std::printf("** Supercooled liquid water, metastable: %s is stable\n", water::iceName(ice));
    else if (byP)
        printPhaseOfState(phase, vapour);
    WaterMagmaCalculationResult r;
    r.T3 = T_;
    r.P3 = P * 1e-5;
    r.S3 = S;
    r.V3 = V * 1e6;
    r.U3 = U;
    r.H3 = H;
    r.scriptFlag = 0;
    prepareExpansionWorkCalculation(1.0, r);
    calculateExpansionWork(r);
    r.printExpansionWork();
    std::printf("\n");
    return 0;
}

int WaterMagmaModel::runMenuCommand(const char* word, int argc, const char** argv, std::FILE* in) {
    WaterMagmaCalculationInfo info;
    std::string problem;
    auto checkedInputs = [&]() {
        // The summary of the inputs once they are accepted: a refusal prints none.
        if (info.validate(problem) &&
            info.validateWaterStates(validity.Tmin, kExtrapolatedTmax, kExtrapolatedPmax, problem)) {
            info.printSummary();
            // A magma below its solidus is solid rock: it gives its heat
            // without latent heat.
            if (info.Tm < info.Tsol)
                platform::warnf("Note: the magma at Tm = %s deg. C lies below its solidus (Tsol = %s deg. C): it is "
                                "solid and gives no latent heat.\n",
                                logreport::given(info.Tm - 273.15).c_str(), logreport::given(info.Tsol - 273.15).c_str());
            return true;
        }
        platform::diagf("Brenvik: %s\n", problem.c_str());
        return false;
    };

    // P-T cycle.
    const char* const cycleWords[3] = {"pv", "pp", "pw"};
    for (int mode = 0; mode < 3; ++mode) {
        if (!is(word, cycleWords[mode])) continue;
        info.heatingMode = static_cast<unsigned char>(mode);
        info.suffix[0] = '0';
        info.suffix[1] = 0;
        if (!info.readArguments(argc, argv, in, false) || !checkedInputs()) return 1;
        drawWaterMagmaCycle(info, 1);
        return errorflag ? 1 : 0;
    }
    // E(m) diagram.
    const char* const diagramWords[3] = {"ev", "ep", "ew"};
    for (int mode = 0; mode < 3; ++mode) {
        if (!is(word, diagramWords[mode])) continue;
        info.heatingMode = static_cast<unsigned char>(mode);
        info.m = 1.0;
        if (!info.readArguments(argc, argv, in, false) || !checkedInputs()) return 1;
        drawWaterMagmaDiagram(info, 1, 1, nullptr, 0.001, 7.0);
        return errorflag ? 1 : 0;
    }
    if (is(word, "TP") || is(word, "TV")) return runStateWorkCommand(word, argc, argv);
    if (is(word, "psat") || is(word, "tsat")) {
        const bool byT = is(word, "psat");
        if (argc != 1) {
            platform::diagf(byT ? "Syntax: psat <temperature in deg. C>\n" : "Syntax: tsat <pressure in bar>\n");
            return 1;
        }
        double v = 0.0;
        if (!readNumber(argv[0], byT ? "temperature in deg. C" : "pressure in bar", v)) return 1;
        if (byT) {
            if (!positive(v + 273.15, "temperature", "K")) return 1;
            calculateSaturatedExpansionWork(v + 273.15, 0.0, nullptr, 1.0);
        } else {
            if (!positive(v, "pressure", "bar")) return 1;
            calculateSaturatedExpansionWork(0.0, v, nullptr, 1.0);
        }
        return errorflag ? 1 : 0;
    }
    if (is(word, "exsol")) {
        if (argc == 1) {
            platform::diagf("Syntax: exsol <temperature in deg. C> <pressure in bar>\n");
            return 1;
        }
        if (argc != 2) {
            platform::diagf("Brenvik: exsol takes two arguments.\n");
            return 1;
        }
        double t = 0.0, p = 0.0;
        if (!readNumber(argv[0], "temperature in deg. C", t) || !readNumber(argv[1], "pressure in bar", p)) return 1;
        if (!waterTemperature(*this, t + 273.15, "temperature") || !waterPressure(p)) return 1;
        noteStateBeyondFittedRange(t + 273.15, p);
        set_the_phase_as(1);
        calculateExsolutionWork(t + 273.15, p, 1.2e-05);
        return errorflag ? 1 : 0;
    }
    if (is(word, "heat")) {
        if (argc == 1) {
            platform::diagf("Syntax: heat  <pressure in bar> <temperature in deg. C> <temperature in deg. C>\n");
            return 1;
        }
        if (argc != 3) {
            platform::diagf("Brenvik: heat takes three arguments.\n");
            return 1;
        }
        double p = 0.0, t0 = 0.0, t1 = 0.0;
        if (!readNumber(argv[0], "pressure in bar", p) || !readNumber(argv[1], "temperature in deg. C", t0) ||
            !readNumber(argv[2], "temperature in deg. C", t1))
            return 1;
        if (!waterPressure(p) || !waterTemperature(*this, t0 + 273.15, "initial temperature") ||
            !waterTemperature(*this, t1 + 273.15, "final temperature"))
            return 1;
        calculateIsobaricHeatingWork(p, t0 + 273.15, t1 + 273.15);
        return errorflag ? 1 : 0;
    }
    if (is(word, "satu")) {
        if (argc == 0) {
            calculateTheSaturationCurve("0", 1);
            writeIgorScriptForPhaseDiagram(1, 1, 1);
            platform::openWithViewer("igor2.itx");
            return 0;
        }
        // Each output mode has its own file, so that one run does not
        // replace the curve of another: "satu0" (Igor text, loaded by the
        // script), "satu0.bin" (raw rows), "satu0.txt" (columns for gnuplot).
        if (argc == 1 && is(argv[0], "cocoa")) {
            calculateTheSaturationCurve("0.bin", 4);
            return 0;
        }
        if (argc == 1 && is(argv[0], "gnuplot")) {
            calculateTheSaturationCurve("0.txt", 2);
            return 0;
        }
        platform::diagf("Brenvik: satu takes no argument, \"cocoa\" or \"gnuplot\".\n");
        return 1;
    }
    // The options without arguments refuse words after them.
    if ((is(word, "spino") || is(word, "a")) && argc > 0) {
        platform::diagf("Brenvik: %s takes no argument.\n", word);
        return 1;
    }
    if (is(word, "spino")) {
        calculateTheSpinodals("1", "2");
        writeIgorScriptForPhaseDiagram(2, 1, 0);
        platform::openWithViewer("igor2.itx");
        return 0;
    }
    if (is(word, "a")) {
        printAbout();
        return 0;
    }
    platform::diagf("Brenvik: unknown option \"%s\"; run the program without arguments for the list of options.\n",
                 word);
    return 1;
}
