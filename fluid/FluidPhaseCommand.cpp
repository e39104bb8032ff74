// The command interpreter over one fluid model: each word names a
// calculation followed by its arguments; arguments missing at the end of the
// list are asked for and read from the input stream.  Units on input:
// temperatures in K, pressures in bar, molar volumes in cm3/mol (converted to
// m3/mol), mole fractions and temperature steps as given.
//
// Every argument is checked: a word that is not a finite number, a suffix
// longer than 31 characters, an end of input while an argument is asked for,
// or mole fractions outside [0, 1] or summing above 1 are reported and the
// command is not run (its words are still passed over).
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"

namespace {

constexpr std::size_t kMaxSuffix = 31;   // output-name suffixes
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

bool parseNumber(const char* s, double& v) {
    if (s == nullptr || *s == '\0') return false;
    char* end = nullptr;
    errno = 0;
    v = std::strtod(s, &end);
    if (end == s || *end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
    return true;
}

// The arguments of one command: taken from the words that follow it, or
// asked for once the list has run out.  `ok` turns false at the first bad
// argument; later arguments are still taken so that the word index passes
// over the whole command.
class Arguments {
public:
    Arguments(int argc, char* const* argv, int first, std::FILE* in, const char* command)
        : argc_(argc), argv_(argv), i_(first), in_(in), command_(command) {}

    double number(const char* label) {
        std::string word;
        if (!next(label, word)) return 0.0;
        double v = 0.0;
        if (!parseNumber(word.c_str(), v)) {
            std::printf("Expected a number for %s of the %s command, not \"%s\".\n", trim(label).c_str(), command_,
                        word.c_str());
            ok = false;
            return 0.0;
        }
        return v;
    }

    std::string suffix(const char* label) {
        std::string word;
        if (!next(label, word)) return std::string();
        if (word.size() > kMaxSuffix) {
            std::printf("The suffix \"%s\" of the %s command is longer than %zu characters.\n", word.c_str(), command_,
                        kMaxSuffix);
            ok = false;
            return std::string();
        }
        return word;
    }

    int index() const { return i_; }
    bool ok = true;

private:
    bool next(const char* label, std::string& word) {
        if (i_ < argc_) {
            word = argv_[i_] ? argv_[i_] : "";
            ++i_;
            return true;
        }
        if (!ok) return false;  // the command will not run: ask for nothing more
        std::printf("Expected %s for %s command.\n", label, command_);
        std::fflush(stdout);
        bool tooLong = false;
        if (in_ == nullptr || !readToken(in_, word, tooLong)) {
            std::printf("No value was given for %s: the %s command is not run.\n", trim(label).c_str(), command_);
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

    int argc_;
    char* const* argv_;
    int i_;
    std::FILE* in_;
    const char* command_;
};

bool is(const char* word, const char* name) { return std::string(word) == name; }

}  // namespace

void FluidPhase::doCommand(int argc, char* const* argv, std::FILE* in) {
    if (argc <= 0 || argv == nullptr) return;
    const std::clock_t start = std::clock();
    int i = 0;
    while (i < argc) {
        const int used = doCommandEx(argc - i, argv + i);
        if (used > 0) {
            i += used;
            continue;
        }
        const char* word = argv[i] ? argv[i] : "";
        Arguments a(argc, argv, i + 1, in, word);
        bool known = true;
        if (is(word, "crit")) {
            const std::string s = a.suffix("suffix");
            if (a.ok) calculateTheCriticalPoint(1, s.c_str());
        } else if (is(word, "crit2")) {
            const std::string s = a.suffix("suffix");
            if (a.ok) calculateTheCriticalCurve(s.c_str());
        } else if (is(word, "sat")) {
            const std::string s = a.suffix("suffix");
            if (a.ok) calculateTheSaturationCurve(s.c_str(), 1);
        } else if (is(word, "psat")) {
            const double t = a.number("T (K)  ");
            if (a.ok && calculateTheSaturationPressure(t) == 0)
                std::printf("T %12f K  Psat %12f bar  Vl %12f cm3/mol  Vv %12f cm3/mol  Hvap %12f J/mol\n", T,
                            P * 1e-5, Vl_sat * 1e6, Vv_sat * 1e6, Hvap);
        } else if (is(word, "spino")) {
            const std::string sl = a.suffix("suffix (liquid spinodal)");
            const std::string sv = a.suffix("suffix (vapour spinodal)");
            if (a.ok) calculateTheSpinodals(sl.c_str(), sv.c_str());
        } else if (is(word, "spinox")) {
            const double t = a.number("T (K)       ");
            const double v = a.number("V (cm3/mol) ");
            const double x1 = a.number("x1          ");
            const std::string sl = a.suffix("suffix (liquid spinodal)");
            const std::string sv = a.suffix("suffix (vapour spinodal)");
            if (a.ok) {
                std::printf("Done");
                calculateTheSpinodals2(t, v * 1e-6, x1, sl.c_str(), sv.c_str());
            }
        } else if (is(word, "isoc")) {
            const double v = a.number("V (cm3/mol) ");
            const double t0 = a.number("Tmin (K)    ");
            const double t1 = a.number("Tmax (K)    ");
            const std::string s = a.suffix("suffix      ");
            if (a.ok) calculateTheIsochor(v * 1e-6, t0, t1, 0, 1, s.c_str(), nullptr);
        } else if (is(word, "x")) {
            const int n = component_count;
            std::vector<double> xs(n > 0 ? static_cast<std::size_t>(n) : 0, 0.0);
            double sum = 0.0;
            bool inRange = true;
            for (int k = 1; k < n; ++k) {
                const char* name = componentName(k);
                const std::string label =
                    "mole fraction (" + std::to_string(k) + "," + std::string(name ? name : "") + ")";
                xs[k] = a.number(label.c_str());
                sum += xs[k];
                if (!(xs[k] >= 0.0 && xs[k] <= 1.0)) inRange = false;
            }
            if (n > 0 && a.ok && inRange && sum <= 1.0 + 1e-12) {
                for (int k = 1; k < n; ++k) composition_of_component(k, xs[k]);
                composition_of_component(0, sum < 1.0 ? 1.0 - sum : 0.0);
            } else if (n > 0 && a.ok) {
                std::printf("Mole fractions lie between 0 and 1 and sum to at most 1: the composition is not "
                            "changed.\n");
            }
        } else if (is(word, "ter")) {
            const double t = a.number("T (K)  ");
            const double p = a.number("P (bar)");
            const std::string s = a.suffix("suffix");
            if (a.ok) calculateTheTernaryDiagram(t, p, s.c_str());
        } else if (is(word, "T")) {
            const double t = a.number("T (K)      ");
            if (a.ok) temperature(t);
        } else if (is(word, "V")) {
            const double v = a.number("V (cm3/mol)      ");
            if (a.ok) volume(v * 1e-6);
        } else if (is(word, "TV")) {
            const double t = a.number("T (K)      ");
            const double v = a.number("V (cm3/mol)");
            if (a.ok) calculateFromTV(t, v * 1e-6, 1);
        } else if (is(word, "TP")) {
            const double t = a.number("T (K)  ");
            const double p = a.number("P (bar)");
            if (a.ok) calculateFromTP(t, p, 1);
        } else if (is(word, "isotherm")) {
            const double t = a.number("T (K)          ");
            const double v0 = a.number("vmin (cm3/mol) ");
            const double v1 = a.number("vmax (cm3/mol) ");
            const std::string s = a.suffix("suffix         ");
            if (a.ok) calculateTheIsotherm(t, v0 * 1e-6, v1 * 1e-6, 0, 1, s.c_str(), nullptr);
        } else if (is(word, "tree")) {
            print_parse_tree(stdout);
        } else if (is(word, "isop")) {
            if (component_count == 3) {
                const double t = a.number("T (K)  ");
                const double x1 = a.number("x1     ");
                const double x2 = a.number("x2     ");
                const double dT = a.number("dT     ");
                const std::string s = a.suffix("suffix ");
                if (a.ok) calculateTheIsopleth3(s.c_str(), t, x1, x2, dT);
            } else if (component_count == 2) {
                const double t = a.number("T (K)  ");
                const double x1 = a.number("x1     ");
                const double dT = a.number("dT     ");
                const std::string s = a.suffix("suffix ");
                if (a.ok) calculateTheIsopleth2(s.c_str(), t, x1, dT);
            }
        } else if (is(word, "ll3")) {
            const double t = a.number("T (K)  ");
            const double x1 = a.number("x1     ");
            const double x2 = a.number("x2     ");
            const double dT = a.number("dT     ");
            const std::string s = a.suffix("suffix ");
            if (a.ok) calculateTheLiquidLiquidIsopleth3(s.c_str(), t, x1, x2, dT);
        } else if (is(word, "bino")) {
            const double t = a.number("T (K)  ");
            const std::string s = a.suffix("suffix ");
            if (a.ok) calculateTheBinaryIsotherm(t, s.c_str());
        } else if (is(word, "binop")) {
            const double t = a.number("T (K)   ");
            const double p = a.number("P (bar) ");
            const std::string s = a.suffix("suffix ");
            if (a.ok) calculateTheBinaryIsothermFromP(t, p, s.c_str());
        } else {
            known = false;
        }
        if (!known) {
            std::printf("Command %s not recognized\n", word);
            ++i;
        } else {
            i = a.index();
        }
    }
    std::printf("\nTime %lu \n", static_cast<unsigned long>(std::clock() - start));
}
