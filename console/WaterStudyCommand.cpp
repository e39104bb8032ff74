// Command words of the water studies, reached through the fluid command
// interpreter's model hook.  Each word takes all its arguments from the
// words that follow; a missing or non-numeric argument is reported and the
// study is not run.
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "console/WaterStudyModel.h"
#include "platform/LogSink.h"
#include "fluid/IceCurves.h"

namespace {

// kind of each argument: 'n' number, 's' word (suffix, name or file).
struct StudyWord {
    const char* word;
    const char* kinds;
    const char* labels;
};

const StudyWord kWords[] = {
    {"wohletz", "nnn", "a Tm kind"},
    {"phreatic", "nnnns", "a Tm kind igor suffix"},
    {"conductivity", "n", "T"},
    {"revirr", "nn", "T P(Pa)"},
    {"wfrac", "nnn", "T P w"},
    {"wfracdiagram", "nnnnn", "w Tmin Tmax Pmin Pmax"},
    {"superheat", "nn", "z dT"},
    {"henley", "nnnnns", "T0 T1 a f r suffix"},
    {"henleytest", "", ""},
    {"potentials", "nnnnnnn", "T0 P0 Tmin Tmax Vmin Vmax geometric"},
    {"wohletzratio", "", ""},
    {"energyformula", "", ""},
    {"flow", "nn", "T P"},
    {"flowisobar", "nnnn", "P Tmin Tmax liquid"},
    {"interface", "snnnnns", "name T vapourHot dT P igor suffix"},
    {"shock", "nn", "T P"},
    {"shockisobar", "nnnnns", "P Tmin Tmax heating igor suffix"},
    {"shockisotherm", "nnn", "T Pmin Pmax"},
    {"nucleation", "nn", "T b"},
    {"heatnucleation", "nn", "P b"},
    {"inclusions", "s", "file"},
};

bool toNumber(const char* s, double& v) {
    if (!s || !*s) return false;
    char* end = nullptr;
    errno = 0;
    v = std::strtod(s, &end);
    return end != s && *end == '\0' && errno != ERANGE && std::isfinite(v);
}

char flag(double v) { return static_cast<char>(v != 0.0 ? 1 : 0); }

// Temperatures (K) and pressures of water states (the arguments named T..
// and P.., in bar unless named P(Pa)) must be states of the model: from its
// lowest temperature to the limits of its sound extrapolation, pressures
// above zero, and a T and P given together not beyond the melting curves of
// the ices.  Otherwise the command is not run.
bool stateArgumentsInRange(const StudyWord& w, const std::vector<double>& n, const WaterMagmaModel& m) {
    std::istringstream labels(w.labels);
    std::string label, previous;
    std::size_t numeric = 0;
    for (std::size_t k = 0; w.kinds[k] != '\0' && labels >> label; previous = label, ++k) {
        if (w.kinds[k] != 'n') continue;
        const double v = n[numeric++];
        if (label[0] == 'T' && !m.holdsWaterTemperature(v)) {
            platform::diagf("The %s command needs %s from %g to %g K, not %g: it is not run.\n", w.word, label.c_str(),
                            m.validity.Tmin, WaterMagmaModel::kExtrapolatedTmax, v);
            return false;
        }
        const double toBar = label == "P(Pa)" ? 1e-5 : 1.0;
        if (label[0] == 'P' && !WaterMagmaModel::holdsWaterPressure(v * toBar)) {
            platform::diagf("The %s command needs %s above 0 and up to %g, not %g: it is not run.\n", w.word,
                            label.c_str(), WaterMagmaModel::kExtrapolatedPmax / toBar, v);
            return false;
        }
        // A state given as T and P beyond a melting curve of the ices is
        // no water state (supercooled water at low pressure is).
        if (previous == "T" && (label == "P" || label == "P(Pa)") && numeric >= 2) {
            const double P_bar = v * (label == "P(Pa)" ? 1e-5 : 1.0), T_ = n[numeric - 2];
            const water::Ice ice = water::iceAt(T_, P_bar * 1e5);
            if (ice != water::Ice::None && ice != water::Ice::Ih) {
                platform::diagf("The %s command's state at %g K and %g bar is %s, not water: it is not run.\n",
                                w.word, T_, P_bar, water::iceName(ice));
                return false;
            }
        }
    }
    return true;
}

// The ranges of the table words (the arguments named ..min and ..max) are
// not empty: a reversed range would leave a table of headers only.
bool rangesInOrder(const StudyWord& w, const std::vector<double>& n) {
    std::istringstream labels(w.labels);
    std::string label;
    std::vector<std::pair<std::string, double>> numbers;
    for (std::size_t k = 0; w.kinds[k] != '\0' && labels >> label; ++k)
        if (w.kinds[k] == 'n') numbers.emplace_back(label, n[numbers.size()]);
    for (std::size_t i = 0; i + 1 < numbers.size(); ++i) {
        const std::string& a = numbers[i].first;
        if (a.size() < 4 || a.compare(a.size() - 3, 3, "min") != 0) continue;
        const std::string b = a.substr(0, a.size() - 3) + "max";
        if (numbers[i + 1].first != b || numbers[i].second <= numbers[i + 1].second) continue;
        platform::diagf("The %s command needs %s not above %s (%g > %g): it is not run.\n", w.word, a.c_str(),
                        b.c_str(), numbers[i].second, numbers[i + 1].second);
        return false;
    }
    return true;
}

}  // namespace

namespace {

// The label of argument k of a word.
std::string labelOf(const StudyWord& w, int k) {
    std::istringstream labels(w.labels);
    std::string label;
    for (int i = 0; i <= k && labels >> label; ++i) {
    }
    return label;
}

// A word that can end a file name: no space, tab or control character.
bool printableWord(const char* a) {
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(a); *c; ++c)
        if (std::isspace(*c) || std::iscntrl(*c)) return false;
    return true;
}

const StudyWord* studyWord(const char* word) {
    const StudyWord* w = nullptr;
    for (const StudyWord& s : kWords)
        if (word && std::strcmp(word, s.word) == 0) w = &s;
    return w;
}

}  // namespace

std::string waterStudyUsage() {
    std::string text;
    for (const StudyWord& w : kWords)
        text += std::string("  ") + w.word + (*w.labels ? " " : "") + w.labels + "\n";
    return text;
}

bool WaterStudyModel::takesCommandWord(const char* word) const { return studyWord(word) != nullptr; }

int WaterStudyModel::doCommandEx(int argc, char* const* argv) {
    if (argc <= 0 || argv == nullptr || argv[0] == nullptr) return 0;
    const StudyWord* w = studyWord(argv[0]);
    if (!w) return 0;
    const int nargs = static_cast<int>(std::strlen(w->kinds));
    if (argc - 1 < nargs) {
        platform::diagf("The %s command takes %d arguments (%s): it is not run.\n", w->word, nargs, w->labels);
        return argc;
    }
    std::vector<double> n;
    std::vector<std::string> s;
    for (int k = 0; k < nargs; ++k) {
        const char* a = argv[k + 1] ? argv[k + 1] : "";
        if (w->kinds[k] == 'n') {
            double v = 0.0;
            if (!toNumber(a, v)) {
                platform::diagf("Expected a number, not \"%s\", among the arguments %s of the %s command.\n", a,
                            w->labels, w->word);
                return nargs + 1;
            }
            n.push_back(v);
        } else {
            if (std::strlen(a) > 255) {
                platform::diagf("The argument \"%.40s...\" of the %s command is too long.\n", a, w->word);
                return nargs + 1;
            }
            if (labelOf(*w, k) == "suffix" && !printableWord(a)) {
                platform::diagf("The suffix of the %s command holds a space, a tab or a control character: a suffix "
                                "is a word of printable characters, which ends the names of the files written.\n",
                                w->word);
                return nargs + 1;
            }
            s.emplace_back(a);
        }
    }
    const std::string cmd = w->word;
    if (!stateArgumentsInRange(*w, n, *this) || !rangesInOrder(*w, n)) return nargs + 1;
    // Each study starts as on a model just made, whatever the studies before
    // it left: the phase kind of its volume searches (an isobar of the
    // vapour leaves kind 1, which made a later flow of liquid water a
    // vapour's) and no isentropic start remembered from another study.
    set_the_phase_as(madeWithKind_);
    startT = startV = 0.0;
    if (cmd == "wohletz") calculateWohletzCycle(n[0], n[1], flag(n[2]));
    else if (cmd == "phreatic") calculatePhreaticCycle(n[0], n[1], flag(n[2]), flag(n[3]), s[0].c_str());
    else if (cmd == "conductivity") {
        // The polynomial is one of liquid water, which exists from the
        // triple point to the critical point.
        const double Tt = triplePointTemperature("H2O");
        if (n[0] >= Tt && n[0] <= kCriticalTemperature)
            std::printf("k : %12.6f W/m/K\n", calculateWaterConductivity(n[0]));
        else
            platform::diagf("The conductivity is that of liquid water, from %g to %g K: none at %g K.\n", Tt,
                            kCriticalTemperature, n[0]);
    }
    else if (cmd == "revirr") compareReversibleIrreversibleWorks(n[0], n[1]);
    else if (cmd == "wfrac") calculateWaterVolumeFractionMagma(n[0], n[1], n[2]);
    else if (cmd == "wfracdiagram") calculateWaterVolumeFractionDiagram(n[0], n[1], n[2], n[3], n[4]);
    else if (cmd == "superheat") drawSuperheatDiagram(n[0], n[1]);
    else if (cmd == "henley") calculateHenleyVaporizationCurve(n[0], n[1], n[2], n[3], n[4], s[0].c_str());
    else if (cmd == "henleytest") doTestHenleyHughesModel();
    else if (cmd == "potentials") drawEquilibriumPotentials(n[0], n[1], n[2], n[3], n[4], n[5], flag(n[6]));
    else if (cmd == "wohletzratio") compareWohletzTemperature();
    else if (cmd == "energyformula") calculateEnergyFormula();
    else if (cmd == "flow") calculateFlow(n[0], n[1], nullptr);
    else if (cmd == "flowisobar") calculateFlowIsobar(n[0], n[1], n[2], flag(n[3]));
    else if (cmd == "interface")
        calculateInterfaceTemperatureCurve(s[0].c_str(), n[0], flag(n[1]), n[2], n[3], flag(n[4]), s[1].c_str());
    else if (cmd == "shock") calculateShockWave(n[0], n[1], nullptr);
    else if (cmd == "shockisobar") calculateShockWaveIsobar(n[0], n[1], n[2], flag(n[3]), flag(n[4]), s[0].c_str());
    else if (cmd == "shockisotherm") calculateShockWaveIsotherm(n[0], n[1], n[2]);
    else if (cmd == "nucleation") calculateNucleationRate(n[0], n[1]);
    else if (cmd == "heatnucleation") calculateHeatingNucleationRate(n[0], n[1]);
    else if (cmd == "inclusions") workInclusionData(s[0].c_str());
    return nargs + 1;
}
