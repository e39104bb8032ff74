// The command interpreter over one fluid model: each word names a
// calculation followed by its arguments; arguments missing at the end of the
// list are asked for and read from the input stream.  Units on input:
// temperatures in K, pressures in bar, molar volumes in cm3/mol (converted to
// m3/mol), mole fractions and temperature steps as given.
//
// Every argument is checked: a word that is not a finite number, a
// temperature, pressure or volume that is not above zero, a suffix longer
// than 31 characters, an end of input while an argument is asked for, or mole
// fractions outside [0, 1] or summing above 1 are reported and the command is
// not run (its words are still passed over).  A command fails when its
// arguments are refused, when its calculation fails (no state, a state with
// no finite properties, a curve tracer that reports a failure) or when a file
// it writes cannot be written; the failure is reported naming the command,
// the files the command wrote are removed (no file of headers or of part of
// a curve is left as if it were a result), and runFluidCommands returns false
// once any command has failed.  An x command whose composition is refused
// leaves the model at its previous composition: every command after it, up
// to the next x command, is refused with it (the model's own words, which set
// their own compositions, excepted).
//
// Results go to standard output; the prompts for missing arguments, the
// messages and the run time to standard error through the log.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "console/FluidCommands.h"

#include "fluid/ErrorFlagScope.h"
#include "fluid/FluidPhase.h"
#include "fluid/PhaseRules.h"
#include "fluid/SaturationAncillaries.h"
#include "fluid/StateReport.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"

namespace {

constexpr std::size_t kMaxSuffix = platform::kMaxFileSuffix;   // output-name suffixes
constexpr std::size_t kMaxToken = 255;   // a word read from the input stream

// One whitespace-delimited word of at most kMaxToken characters; a longer
// word is read to its end and marked as too long.  False at end of input.
bool readToken(std::FILE* in, std::string& token, bool& tooLong) {
    token.clear();
    tooLong = false;
    int c;
    do {
        c = std::fgetc(in);
    } while (c != EOF && std::isspace(static_cast<unsigned char>(c)));
    if (c == EOF) return false;
    while (c != EOF && !std::isspace(static_cast<unsigned char>(c))) {
        if (token.size() < kMaxToken) token.push_back(static_cast<char>(c));
        else tooLong = true;
        c = std::fgetc(in);
    }
    return true;
}

// What a word read as a number is: a finite number, no number at all, one
// beyond the largest double (1.8e308), or one below the smallest normal
// double (2.2e-308, including the subnormals), which no calculation keeps.
enum class Parsed { Number, NotANumber, TooLarge, TooSmall };

Parsed parseNumber(const char* s, double& v) {
    if (s == nullptr || *s == '\0') return Parsed::NotANumber;
    char* end = nullptr;
    errno = 0;
    v = std::strtod(s, &end);
    if (end == s || *end != '\0' || std::isnan(v)) return Parsed::NotANumber;
    if (std::isinf(v) || (errno == ERANGE && std::fabs(v) >= 1.0)) return Parsed::TooLarge;
    if (errno == ERANGE || (v != 0.0 && !std::isnormal(v))) return Parsed::TooSmall;
    return Parsed::Number;
}

}  // namespace

namespace fluidcommands {

// The arguments of one command: taken from the words that follow it, or
// asked for once the list has run out.  `ok` turns false at the first bad
// argument; later arguments are still taken so that the word index passes
// over the whole command.
class Arguments {
public:
    Arguments(int argc, char* const* argv, int first, std::FILE* in, const char* command)
        : argc_(argc), argv_(argv), i_(first), in_(in), command_(command) {}

    // A number of the range `range` ("a finite number", "a number above
    // 0", ...): every refusal names the argument, its range and the word.
    double number(const char* label, const char* range = "a finite number") {
        if (missingBeforeCommand(label)) return 0.0;
        std::string word;
        if (!next(label, word, range)) return 0.0;
        double v = 0.0;
        const Parsed p = parseNumber(word.c_str(), v);
        if (p != Parsed::Number) {
            if (silent_) {
                ok = false;
                return 0.0;
            }
            // (0 is a value only where the range takes it.)
            const bool zeroTaken = std::strstr(range, "above 0") == nullptr;
            const char* why = p == Parsed::TooLarge ? " (beyond the largest number, 1.8e308)"
                              : p == Parsed::TooSmall
                                  ? (zeroTaken ? " (below the smallest number kept, 2.2e-308: give 0 or a larger value)"
                                               : " (below the smallest number kept, 2.2e-308: give a larger value)")
                                  : "";
            platform::diagf("The %s of the %s command must be %s, not \"%s\"%s.\n", trim(label).c_str(), command_,
                            range, word.c_str(), why);
            ok = false;
            return 0.0;
        }
        return v;
    }

    // A temperature, pressure or volume: a number above zero.
    double positive(const char* label) {
        const bool before = ok;
        const double v = number(label, "a number above 0");
        if (before && ok && !(v > 0.0)) {
            platform::diagf("The %s of the %s command must be a number above 0, not %g.\n", trim(label).c_str(),
                            command_, v);
            ok = false;
        }
        return v;
    }

    // A mole fraction, from 0 to 1.
    double fraction(const char* label) {
        const bool before = ok;
        const double v = number(label, "a mole fraction from 0 to 1");
        if (before && ok && !(v >= 0.0 && v <= 1.0)) {
            platform::diagf("The %s of the %s command must be a mole fraction from 0 to 1, not %g.\n",
                            trim(label).c_str(), command_, v);
            ok = false;
        }
        return v;
    }

    std::string suffix(const char* label) {
        std::string word;
        if (!next(label, word, "a suffix of 1 to 31 characters")) return std::string();
        if (const std::string why = platform::suffixRefusal(word, command_); !why.empty()) {
            if (!silent_) platform::diagf("%s\n", why.c_str());
            ok = false;
            return std::string();
        }
        return word;
    }

    // Refuses the command with `sentence` (said once): its arguments are
    // still passed over, without a word on them.
    void refuse(const std::string& sentence) {
        if (!sentence.empty()) platform::diagf("%s\n", sentence.c_str());
        ok = false;
        silent_ = true;
    }

    // Passes over the words up to the next command word without a word on
    // them: the arguments of a command refused whatever they are.
    void passOverToTheNextCommand() {
        while (i_ < argc_ && !(argv_[i_] && isCommand_ && isCommand_(argv_[i_]))) ++i_;
    }

    // Refuses the command unless `condition` holds.
    void require(bool condition, const char* what) {
        if (ok && !condition) {
            platform::diagf("The %s command needs %s.\n", command_, what);
            ok = false;
        }
    }

    // Words that are commands (the interpreter's or the model's): a number
    // is never one, so a command word where a number is due is the next
    // command, the number forgotten.
    void stopAtCommands(std::function<bool(const char*)> isCommand) { isCommand_ = std::move(isCommand); }

    int index() const { return i_; }
    bool ok = true;
    // The command was refused because a number was missing before the next
    // command word (said in full, with what follows from it).
    bool missingBeforeACommand = false;

private:
    // A number due where the next word is a command: the argument was
    // forgotten.  Said once for the command (an x command's refusal says
    // too that the commands after it wait for a composition), and the
    // command word is left to run (or be refused) as a command.
    bool missingBeforeCommand(const char* label) {
        if (!(i_ < argc_ && argv_[i_] && isCommand_ && isCommand_(argv_[i_]))) return false;
        if (ok && !silent_) {
            const bool composition = std::string(command_) == "x";
            platform::diagf("The %s command is missing its %s: \"%s\", where it is due, is the next command.%s\n", command_,
                            trim(label).c_str(), argv_[i_],
                            composition ? " No command after it is run until an x command sets a composition." : "");
            missingBeforeACommand = true;
        }
        ok = false;
        silent_ = true;
        stopped_ = true;
        return true;
    }

    bool next(const char* label, std::string& word, const char* range) {
        if (stopped_) return false;  // the rest of the command was forgotten too
        if (i_ < argc_) {
            word = argv_[i_] ? argv_[i_] : "";
            ++i_;
            return true;
        }
        if (!ok) return false;  // the command will not run: ask for nothing more
        // A prompt, no failure, where someone types the answer (a script's
        // input gets none).
        if (in_ != nullptr && ::isatty(::fileno(in_))) platform::warnf("Expected %s for %s command.\n", label, command_);
        bool tooLong = false;
        if (in_ == nullptr || !readToken(in_, word, tooLong)) {
            platform::diagf("No value was given for %s (%s): the %s command is not run.\n", trim(label).c_str(),
                            range, command_);
            ok = false;
            return false;
        }
        if (tooLong) word.append(kMaxSuffix, '.');  // refused as a suffix and as a number
        return true;
    }

    static std::string trim(const char* label) {
        std::string s(label);
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }

    bool silent_ = false, stopped_ = false;
    std::function<bool(const char*)> isCommand_;
    int argc_;
    char* const* argv_;
    int i_;
    std::FILE* in_;
    const char* command_;
};

}  // namespace fluidcommands

namespace {

using fluidcommands::Arguments;

bool is(const char* word, const char* name) { return std::string(word) == name; }

}  // namespace

namespace {

// The formula trees, printed with their values at the state in hand: below
// the model's temperatures, or where its terms give no finite energy, there
// are none to print (false, said).
bool printFormulaTrees(FluidPhase& m) {
    const ValidityRange validity = ModelRange(m).stateRange();
    if (validity.declared() && m.T < validity.Tmin) {
        platform::diagf("The model %s holds %s: its formula trees are not evaluated at %s K, below it.\n",
                        m.modelName(), validity.describe().c_str(), givenDigits(m.T).c_str());
        return false;
    }
    bool finite = m.T > 0.0 && std::isfinite(m.T) && m.V > 0.0 && std::isfinite(m.V);
    if (finite) {
        const ErrorFlagScope kept(m);
        {
            const platform::ThreadLogCapture quiet;  // said below, once
            m.calculate_state_functions();
        }
        finite = !kept.failed() && std::isfinite(m.A) && std::isfinite(m.P);
    }
    if (!finite) {
        platform::diagf("The model %s gives no finite values of its formula trees at %s K and %g cm3/mol "
                        "(it holds %s): set T and V within it.\n",
                        m.modelName(), givenDigits(m.T).c_str(), m.V * 1e6, validity.describe().c_str());
        return false;
    }
    m.print_parse_tree(stdout);
    return true;
}

}  // namespace

namespace {

const FluidCommandWord* commandWord(const char* word);

// Refuses the unknown command word argv[i] in one sentence; the words after
// it up to the next command word (the interpreter's or the model's own) are
// its arguments, not commands: said with it and skipped (one mistake, one
// sentence: "crti a" is not also an unknown command "a").  Returns the index
// of the next word to run.
int refuseUnknownCommand(const FluidPhase& m, int argc, char* const* argv, int i) {
    const char* word = argv[i] ? argv[i] : "";
    std::string numbers;
    for (++i; i < argc && argv[i]; ++i) {
        if (commandWord(argv[i]) || m.takesCommandWord(argv[i])) break;
        numbers += std::string(numbers.empty() ? "" : " ") + argv[i];
    }
    if (numbers.empty())
        platform::diagf("Command %s not recognized\n", word);
    else
        platform::diagf("Command %s not recognized: it is not run, nor its arguments %s\n", word, numbers.c_str());
    return i;
}

// Runs a calculation once its arguments are good; it fails (done false) when
// it reports a failure through the log or loses a file it writes.
template <class Calculation>
void runCalculation(const Arguments& a, bool& done, Calculation&& calculation) {
    if (!a.ok) return;
    const long diagnostics = platform::diagnosticCount();
    const int lostFiles = platform::writeFailureCount();
    calculation();
    if (platform::diagnosticCount() != diagnostics || platform::writeFailureCount() != lostFiles) done = false;
}

// crit: the critical point of a pure fluid, or of a binary model's mixture.
void calculateCriticalPointCommand(FluidPhase& m, StateReport& report, const std::string& s, bool& done) {
    // The point where dP/dV and d2P/dV2 vanish at a fixed
    // composition is a pure fluid's critical point, not a
    // mixture's (whose coexisting phases differ in composition):
    // the critical point of a binary is sought where its material
    // stability ends; a mixture of more components has none here.
    int present = 0;
    for (int k = 0; k < m.component_count; ++k) present += m.x[k] > 0.0 ? 1 : 0;
    if (present > 1 && m.component_count != 2) {
        platform::diagf("The crit command gives the critical point of a pure fluid or of a binary "
                        "model's mixture; the model %s holds %d components (%d of them in this "
                        "mixture).\n",
                        m.modelName(), m.component_count, present);
        done = false;
        return;
    }
    // A critical point outside the model's range is refused (a
    // binary's once it is found).
    if (present == 1 && m.findTheCriticalPoint() && !report.criticalPointInRange()) {
        done = false;
        return;
    }
    m.calculateTheCriticalPoint(1, s.c_str());
    if (m.errorflag) {
        done = false;
        return;
    }
    // A binary's critical point is a state of the mixture as any other: the
    // fluid's published data say their word on it (a solid the model does
    // not describe, where one would form), as beside a state printed.
    if (present == 2) {
        PhaseRules::ModelAnswer answer;
        answer.phase = FluidPhase::kPhaseFluid;
        answer.rho = m.bulk_molar_weight / m.V;
        const PhaseRules::FluidStatement fluid = report.rules().fluidAt(m.T, m.P * 1e-5, answer);
        if (fluid.covered()) std::printf("** The fluid: %s %s\n", fluid.word.c_str(), fluid.text.c_str());
        // And on each of the mixture's other stable critical points named.
        for (const FluidPhase::MixtureCriticalPoint& c : m.otherMixtureCriticalPoints) {
            answer.rho = m.bulk_molar_weight / c.V;
            const PhaseRules::FluidStatement other = report.rules().fluidAt(c.T, c.P * 1e-5, answer);
            if (other.covered())
                std::printf("** The fluid at the critical point at %f K and %f bar: %s %s\n", c.T, c.P * 1e-5,
                            other.word.c_str(), other.text.c_str());
        }
    }
}

// isotherm: the isotherm between two volumes, each row the state TV prints
// there; where the model splits its fluid above the fluid's critical
// temperature, the states it leaves out are said.
void runIsothermCommand(FluidPhase& m, StateReport& report, Arguments& a, bool& done) {
    auto run = [&](auto&& calculation) { runCalculation(a, done, calculation); };
    const double t = a.positive("T (K)          ");
    const double v0 = a.positive("vmin (cm3/mol) ");
    const double v1 = a.positive("vmax (cm3/mol) ");
    const std::string s = a.suffix("suffix         ");
    a.require(v1 > v0, "vmax above vmin");
    run([&] {
        if (!report.curveTemperaturesInRange(t, t, "isotherm")) {
            done = false;
            return;
        }
        // Above its fluid's critical temperature the loop of a model
        // whose own critical point lies higher is its own two-phase region.
        double lo = 0.0, hi = -1.0;
        const bool loop = report.supercriticalLoopPressures(t, lo, hi);
        const PhaseRules& rules = report.rules();
        report.withCurveRowLimits(
            [&] {
                m.calculateTheIsotherm(t, v0 * 1e-6, v1 * 1e-6, 0, 1, s.c_str(), nullptr);
                const FluidPhase::CurveRowLimits& l = m.curveRowLimits;
                if (loop && l.leftOut > 0)
                    platform::warnf("The model %s splits %s at %g K, above its critical temperature, between "
                                    "%.6g and %.6g bar: the isotherm leaves out its %ld states at those "
                                    "pressures (from %g to %g cm3/mol).\n",
                                    m.modelName(), rules.phaseRuleFluid(), t, lo, hi, l.leftOut,
                                    l.leftOutVmin * 1e6, l.leftOutVmax * 1e6);
            },
            lo, hi);
    });
}

// A saturation curve is a pure fluid's: a mixture of two or more
// components present has a two-phase envelope instead, which the isotherm
// and isopleth commands give.  True (said) for such a mixture.
bool refusedForAMixture(FluidPhase& m, const char* command) {
    int present = 0;
    for (int k = 0; k < m.component_count; ++k) present += m.x[k] > 0.0 ? 1 : 0;
    if (present < 2) return false;
    const char* envelope = m.component_count == 2
                               ? "bino (a P-x isotherm from a pure end), binop (a P-x isotherm through a pressure) "
                                 "or isop (the isopleth of its composition)"
                               : "isop (the isopleth of its composition)";
    platform::diagf("The %s command traces the saturation curve of a pure fluid, and the model %s holds a mixture "
                    "of %d components: its two-phase envelope is given by %s.\n",
                    command, m.modelName(), present, envelope);
    return true;
}

// The binary curves (a P-x isotherm, the spinodals of a binary) are a
// two-component model's: for any other the command is refused, named, with
// the model's count of components.  True (said) when refused.
bool refusedUnlessBinary(const FluidPhase& m, const char* command, const char* curve) {
    if (m.component_count == 2) return false;
    platform::diagf("The %s command traces %s of a binary mixture, and the model %s holds %d component%s.\n", command,
                    curve, m.modelName(), m.component_count, m.component_count == 1 ? "" : "s");
    return true;
}

// The liquid and the vapour spinodal go to "spino" + each suffix: one
// suffix for both would write the second curve over the first.
void requireTwoSuffixes(Arguments& a, const std::string& liquid, const std::string& vapour) {
    a.require(liquid != vapour, "two different suffixes (the liquid and the vapour spinodal are written to "
                                "\"spino\" followed by each)");
}

// ---------------------------------------------------------------- the command words' actions
// Each reads its arguments (refused ones are said and turn a.ok false), then
// runs its calculation once they are all good; done turns false when the
// calculation fails.

void critCommand(FluidPhase& m, StateReport& report, Arguments& a, bool& done) {
    const std::string s = a.suffix("suffix");
    runCalculation(a, done, [&] { calculateCriticalPointCommand(m, report, s, done); });
}

void crit2Command(FluidPhase& m, StateReport&, Arguments& a, bool& done) {
    const std::string s = a.suffix("suffix");
    runCalculation(a, done, [&] {
        if (refusedUnlessBinary(m, "crit2", "the critical curve")) {
            done = false;
            return;
        }
        m.calculateTheCriticalCurve(s.c_str());
    });
}

void satCommand(FluidPhase& m, StateReport&, Arguments& a, bool& done) {
    const std::string s = a.suffix("suffix");
    runCalculation(a, done, [&] {
        if (refusedForAMixture(m, "sat")) {
            done = false;
            return;
        }
        m.calculateTheSaturationCurve(s.c_str(), 1);
    });
}

void psatCommand(FluidPhase& m, StateReport& report, Arguments& a, bool& done) {
    const double t = a.positive("T (K)  ");
    runCalculation(a, done, [&] {
        if (report.reportedSaturationPressure(t) != 0) {
            done = false;
            return;
        }
        // A model without an ideal-gas part gives no enthalpy.
        char hvap[32] = "          --";
        if (std::isfinite(m.Hvap)) std::snprintf(hvap, sizeof hvap, "%12f", m.Hvap);
        // (Seven digits in whichever form shows them: a vapour
        // pressure of 1e-7 bar is not 0.000000.)
        std::printf("T %12f K  Psat %12.7g bar  Vl %12.7g cm3/mol  Vv %12.7g cm3/mol  Hvap %s J/mol\n", m.T,
                    m.P * 1e-5, m.Vl_sat * 1e6, m.Vv_sat * 1e6, hvap);
        report.printSaturationFluidLine();
    });
}

void spinoCommand(FluidPhase& m, StateReport&, Arguments& a, bool& done) {
    const std::string sl = a.suffix("suffix (liquid spinodal)");
    const std::string sv = a.suffix("suffix (vapour spinodal)");
    requireTwoSuffixes(a, sl, sv);
    runCalculation(a, done, [&] { m.calculateTheSpinodals(sl.c_str(), sv.c_str()); });
}

void spinoxCommand(FluidPhase& m, StateReport&, Arguments& a, bool& done) {
    const double t = a.positive("T (K)       ");
    const double v = a.positive("V (cm3/mol) ");
    const double x1 = a.fraction("x1          ");
    const std::string sl = a.suffix("suffix (liquid spinodal)");
    const std::string sv = a.suffix("suffix (vapour spinodal)");
    requireTwoSuffixes(a, sl, sv);
    runCalculation(a, done, [&] {
        if (refusedUnlessBinary(m, "spinox", "the spinodals")) {
            done = false;
            return;
        }
        m.calculateTheSpinodals2(t, v * 1e-6, x1, sl.c_str(), sv.c_str());
    });
}

void isocCommand(FluidPhase& m, StateReport& report, Arguments& a, bool& done) {
    const double v = a.positive("V (cm3/mol) ");
    const double t0 = a.positive("Tmin (K)    ");
    const double t1 = a.positive("Tmax (K)    ");
    const std::string s = a.suffix("suffix      ");
    a.require(t1 > t0, "Tmax above Tmin");
    runCalculation(a, done, [&] {
        if (!report.curveTemperaturesInRange(t0, t1, "isochore")) {
            done = false;
            return;
        }
        report.withCurveRowLimits([&] { m.calculateTheIsochor(v * 1e-6, t0, t1, 0, 1, s.c_str(), nullptr); });
    });
}

void compositionCommand(FluidPhase& m, StateReport&, Arguments& a, bool& done) {
    const int n = m.component_count;
    std::vector<double> xs(n > 0 ? static_cast<std::size_t>(n) : 0, 0.0);
    double sum = 0.0;
    for (int k = 1; k < n; ++k) {
        const char* name = m.componentName(k);
        const std::string label = "mole fraction (" + std::to_string(k) + "," + std::string(name ? name : "") + ")";
        xs[k] = a.fraction(label.c_str());
        sum += xs[k];
    }
    a.require(sum <= 1.0 + 1e-12, "mole fractions that sum to at most 1");
    runCalculation(a, done, [&] {
        if (n <= 0) return;
        for (int k = 1; k < n; ++k) m.composition_of_component(k, xs[k]);
        m.composition_of_component(0, sum < 1.0 ? 1.0 - sum : 0.0);
    });
}

void temperatureCommand(FluidPhase& m, StateReport&, Arguments& a, bool& done) {
    const double t = a.positive("T (K)      ");
    runCalculation(a, done, [&] { m.temperature(t); });
}

void volumeCommand(FluidPhase& m, StateReport&, Arguments& a, bool& done) {
    const double v = a.positive("V (cm3/mol)      ");
    runCalculation(a, done, [&] { m.volume(v * 1e-6); });
}

void stateFromTVCommand(FluidPhase&, StateReport& report, Arguments& a, bool& done) {
    const double t = a.positive("T (K)      ");
    const double v = a.positive("V (cm3/mol)");
    runCalculation(a, done, [&] { done = report.printStateFromTV(t, v * 1e-6); });
}

void stateFromTPCommand(FluidPhase&, StateReport& report, Arguments& a, bool& done) {
    const double t = a.positive("T (K)  ");
    const double p = a.positive("P (bar)");
    runCalculation(a, done, [&] { done = report.printStateFromTP(t, p); });
}

void treeCommand(FluidPhase& m, StateReport&, Arguments& a, bool& done) {
    runCalculation(a, done, [&] { done = printFormulaTrees(m); });
}

// The arguments of an isopleth of three components (isop, ll3), in order.
struct TernaryIsoplethArguments {
    double t = 0.0, x1 = 0.0, x2 = 0.0, dT = 0.0;
    std::string s;
};

TernaryIsoplethArguments ternaryIsoplethArguments(Arguments& a) {
    TernaryIsoplethArguments r;
    r.t = a.positive("T (K)  ");
    r.x1 = a.fraction("x1     ");
    r.x2 = a.fraction("x2     ");
    r.dT = a.number("dT     ");
    r.s = a.suffix("suffix ");
    return r;
}

void isoplethCommand(FluidPhase& m, StateReport&, Arguments& a, bool& done) {
    if (m.component_count == 3) {
        const TernaryIsoplethArguments i = ternaryIsoplethArguments(a);
        runCalculation(a, done, [&] { m.calculateTheIsopleth3(i.s.c_str(), i.t, i.x1, i.x2, i.dT); });
    } else if (m.component_count == 2) {
        const double t = a.positive("T (K)  ");
        const double x1 = a.fraction("x1     ");
        const double dT = a.number("dT     ");
        const std::string s = a.suffix("suffix ");
        runCalculation(a, done, [&] { m.calculateTheIsopleth2(s.c_str(), t, x1, dT); });
    } else {
        // Refused whatever its arguments: they are passed over, so that none
        // of them is taken for a command of its own.
        a.refuse(std::string("The model ") + m.modelName() + " computes no isopleth of a pure fluid.");
        a.passOverToTheNextCommand();
    }
}

void liquidLiquidIsoplethCommand(FluidPhase& m, StateReport&, Arguments& a, bool& done) {
    const TernaryIsoplethArguments i = ternaryIsoplethArguments(a);
    runCalculation(a, done, [&] { m.calculateTheLiquidLiquidIsopleth3(i.s.c_str(), i.t, i.x1, i.x2, i.dT); });
}

void binaryIsothermCommand(FluidPhase& m, StateReport&, Arguments& a, bool& done) {
    const double t = a.positive("T (K)  ");
    const std::string s = a.suffix("suffix ");
    runCalculation(a, done, [&] {
        if (refusedUnlessBinary(m, "bino", "a P-x isotherm")) {
            done = false;
            return;
        }
        m.calculateTheBinaryIsotherm(t, s.c_str());
    });
}

void binaryIsothermFromPCommand(FluidPhase& m, StateReport&, Arguments& a, bool& done) {
    const double t = a.positive("T (K)   ");
    const double p = a.positive("P (bar) ");
    const std::string s = a.suffix("suffix ");
    runCalculation(a, done, [&] {
        if (refusedUnlessBinary(m, "binop", "a P-x isotherm")) {
            done = false;
            return;
        }
        m.calculateTheBinaryIsothermFromP(t, p, s.c_str());
    });
}

void ternaryDiagramCommand(FluidPhase& m, StateReport&, Arguments& a, bool& done) {
    const double t = a.positive("T (K)  ");
    const double p = a.positive("P (bar)");
    const std::string s = a.suffix("suffix");
    runCalculation(a, done, [&] { m.calculateTheTernaryDiagram(t, p, s.c_str()); });
}

// The command words, in the order of the usage text.  Adding a word is one
// row here: the dispatcher, the usage text and the note on withheld energies
// read it.  Words of one help line that follow each other share a cell of
// the usage text ("T T | V V   set T or V").
constexpr FluidCommandWord kCommandWords[] = {
    // word, arguments, help, writes, shows energies, action
    {"crit", "suffix", "critical point", "crit", true, critCommand},
    {"sat", "suffix", "saturation curve", "satu", true, satCommand},
    {"psat", "T", "saturation pressure", "", true, psatCommand},
    {"spino", "sl sv", "spinodals", "spino", true, spinoCommand},
    {"spinox", "T V x1 sl sv", "spinodals of a binary", "spinot", true, spinoxCommand},
    {"isoc", "V Tmin Tmax s", "isochore", "isoc", true, isocCommand},
    {"x", "x1 .. x(n-1)", "composition", "", false, compositionCommand},
    {"ter", "T P suffix", "ternary diagram", "ter", true, ternaryDiagramCommand},
    {"T", "T", "set T or V", "", false, temperatureCommand},
    {"V", "V", "set T or V", "", false, volumeCommand},
    {"TV", "T V", "state, printed", "", false, stateFromTVCommand},
    {"TP", "T P", "state, printed", "", false, stateFromTPCommand},
    {"isotherm", "T vmin vmax suffix", "", "isot", true, runIsothermCommand},
    {"tree", "", "formula trees", "", false, treeCommand},
    {"isop", "T x1 [x2] dT suffix", "", "isop", false, isoplethCommand},
    {"ll3", "T x1 x2 dT s", "liquid-liquid isopleth", "isol", false, liquidLiquidIsoplethCommand},
    {"bino", "T suffix", "binary isotherm", "bino", true, binaryIsothermCommand},
    {"binop", "T P suffix", "binary isotherm from P", "binop", true, binaryIsothermFromPCommand},
    {"crit2", "suffix", "binary critical curve", "crit", true, crit2Command},
};

const FluidCommandWord* commandWord(const char* word) {
    for (const FluidCommandWord& c : kCommandWords)
        if (is(word, c.word)) return &c;
    return nullptr;
}

// `text` padded with spaces to `width` columns, with at least one space
// after it.
std::string padded(std::string text, std::size_t width) {
    text.resize(std::max(width, text.size() + 1), ' ');
    return text;
}

}  // namespace

std::span<const FluidCommandWord> fluidCommandWords() { return kCommandWords; }

std::string fluidCommandUsage() {
    // Two cells a line: the words with their arguments in 20 columns, then
    // the help line; the first cell 44 columns wide.  An argument list longer
    // than its column takes the help column too (such words have no help
    // line: the word says it).
    constexpr std::size_t kWords = 20, kCell = 44;
    std::vector<std::string> cells;
    for (std::size_t k = 0; k < std::size(kCommandWords);) {
        const FluidCommandWord& c = kCommandWords[k];
        std::string words;
        do {
            const FluidCommandWord& w = kCommandWords[k];
            words += (words.empty() ? "" : " | ") + std::string(w.word) + (*w.arguments ? " " : "") + w.arguments;
            ++k;
        } while (k < std::size(kCommandWords) && *c.help && is(kCommandWords[k].help, c.help));
        cells.push_back(padded(words, kWords) + c.help);
    }
    std::string text;
    for (std::size_t k = 0; k < cells.size(); k += 2) {
        std::string line = "  " + (k + 1 < cells.size() ? padded(cells[k], kCell) + cells[k + 1] : cells[k]);
        while (line.back() == ' ') line.pop_back();
        text += line + "\n";
    }
    return text;
}

bool runFluidCommands(FluidPhase& m, int argc, char* const* argv, std::FILE* in) {
    if (argc <= 0 || argv == nullptr) return true;
    const std::clock_t start = std::clock();
    bool allDone = true;
    // The files the commands of the line have written: a later output to one
    // of them (the same command word and suffix twice, or a command given
    // the same suffix for two of its curves) is refused, not written over it.
    const platform::WrittenFiles line;
    bool compositionRefused = false, compositionRefusalSaid = false;
    // The states and curves of the run, held to the model's rules (what
    // their searches find is kept for the run).
    StateReport report(m);
    int i = 0;
    while (i < argc) {
        // Each command says the notes and refusals it meets (once each),
        // whatever the commands before it said.
        const platform::CallScope call;
        // A command fails when it reports a failure through the log or loses
        // a file it writes.
        long diagnostics = platform::diagnosticCount();
        int lostFiles = platform::writeFailureCount();
        auto reported = [&]() {
            return platform::diagnosticCount() != diagnostics || platform::writeFailureCount() != lostFiles;
        };
        const char* word = argv[i] ? argv[i] : "";
        // A command that fails leaves no file: what it wrote (headers, part
        // of a curve) is removed.
        platform::WrittenFiles written;
        const int used = m.doCommandEx(argc - i, argv + i);
        if (used > 0) {
            if (reported()) {
                written.removeAll();
                // (A command that said why has failed with that sentence.)
                if (platform::diagnosticCount() == diagnostics) platform::diagf("Command %s failed\n", word);
                allDone = false;
            }
            i += used;
            continue;
        }
        const long commandStart = platform::diagnosticCount();
        Arguments a(argc, argv, i + 1, in, word);
        a.stopAtCommands([&m](const char* w) { return commandWord(w) != nullptr || m.takesCommandWord(w); });
        // After a refused composition the model still holds the one before,
        // which is not what the commands that follow were meant for: they
        // are refused until an x command sets a composition (said with the
        // first of them, unless the x command's refusal said it).
        const bool setsComposition = is(word, "x");
        if (compositionRefused && !setsComposition) {
            if (compositionRefusalSaid)
                a.refuse("");
            else
                a.refuse(std::string("The ") + word +
                         " command is not run: the composition of the x command before it was refused, and the "
                         "model still holds the previous one (give x again).");
        }
        bool done = true;
        // The curve tracers walk other compositions (a mixture's spinodals
        // and critical curve from a pure component): the next command finds
        // the composition the x command set.
        const std::vector<double> given = m.x;
        const FluidCommandWord* command = commandWord(word);
        if (command) command->run(m, report, a, done);
        if (!command) {
            i = refuseUnknownCommand(m, argc, argv, i);
            allDone = false;
            continue;
        }
        i = a.index();
        if (setsComposition) {
            compositionRefused = !a.ok || !done;
            compositionRefusalSaid = a.missingBeforeACommand;
        }
        // Results that carry energies or heat capacities: where the model
        // has no ideal-gas data for a component they are shown as "--", and
        // why is said (a refused command shows none).
        if (a.ok && done && command->showsEnergies) m.sayWithheldStateFunctions();
        // (Said of the compositions the curve walked, then put back.)
        if (!setsComposition && m.x != given)
            for (int k = 0; k < m.component_count && k < static_cast<int>(given.size()); ++k)
                m.composition_of_component(k, given[static_cast<std::size_t>(k)]);
        if (!a.ok || !done) {
            written.removeAll();
            // (A command that said why has failed with that sentence, and so
            // has one that waits for a composition an x command's refusal
            // said it waits for.)
            const bool said = compositionRefusalSaid && !setsComposition;
            if (platform::diagnosticCount() == commandStart && !said) platform::diagf("Command %s failed\n", word);
            allDone = false;
        }
    }
    std::fflush(stdout);
    platform::tracef("\nTime %lu \n", static_cast<unsigned long>(std::clock() - start));
    return allDone;
}
