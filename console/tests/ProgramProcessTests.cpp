// Both console programs run as processes, as a scientist runs them from a
// script: argument vectors, standard input, the exit status, what standard
// output holds (results only: no NaN, no infinity, no solver trace) and the
// files written.  External programs stay switched off (VARNOK_NO_EXTERNAL is
// inherited from the test's environment).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "console/FluidCommands.h"
#include "console/tests/ConsoleTestSupport.h"
#include "fluid/ReferenceFluids.h"

namespace {

namespace fs = std::filesystem;
using consoletest::readFile;

struct Outcome {
    int rc = -1;
    std::string out, err;
};

// Runs `program` with `args` in the folder `dir`, `input` on its standard
// input; standard output goes to `outPath` (a file in `dir` when empty).
Outcome run(const char* program, const std::vector<std::string>& args, const fs::path& dir,
        const std::string& input = "", const std::string& outPath = "") {
    const fs::path in = fs::current_path() / "process.in", out = fs::current_path() / "process.out",
                   err = fs::current_path() / "process.err";
    {
        std::FILE* f = std::fopen(in.c_str(), "w");
        if (f) {
            std::fputs(input.c_str(), f);
            std::fclose(f);
        }
    }
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const std::string stdoutPath = outPath.empty() ? out.string() : outPath;
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int i = ::open(in.c_str(), O_RDONLY);
        const int o = ::open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (i < 0 || o < 0 || e < 0 || ::dup2(i, 0) < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0 ||
            ::chdir(dir.c_str()) != 0)
            ::_exit(125);
        ::execv(program, argv.data());
        ::_exit(126);
    }
    Outcome r;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) r.rc = WEXITSTATUS(status);
    if (outPath.empty()) r.out = readFile(out.c_str());
    r.err = readFile(err.c_str());
    return r;
}

std::string join(const std::vector<std::string>& w) {
    std::string s;
    for (const std::string& x : w) s += (s.empty() ? "" : " ") + x;
    return s;
}

// A word "nan" or "inf" (any case, signed or not) in the text: a number that
// is no result.
bool holdsNonFinite(const std::string& text) {
    std::string low;
    for (char c : text) low += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    for (const char* w : {"nan", "inf"})
        for (std::size_t p = low.find(w); p != std::string::npos; p = low.find(w, p + 1))
            if ((p == 0 || !letter(low[p - 1])) && (p + 3 >= low.size() || !letter(low[p + 3]))) return true;
    return false;
}

// Lines the solvers and the programs write while they work: never results.
bool holdsTrace(const std::string& text) {
    for (const char* t : {"modG", "Stop here", "lambda ", "\nTime ", "Calculation Time", "Calculate for water mass",
                          "Expected ", "not recognized", "failed"})
        if (text.find(t) != std::string::npos) return true;
    return false;
}

// The shapes of the files the programs write: complete Igor text files,
// rows of raw doubles, text ending with its last line.
enum class Shape { Igor, Rows28, Text };
struct Written {
    const char* name;
    Shape shape;
    std::size_t minBytes;
};

void expectWritten(const fs::path& dir, const Written& w, const std::string& what) {
    const fs::path p = dir / w.name;
    ASSERT_TRUE(fs::exists(p)) << what << ": " << w.name;
    const std::string s = readFile(p.c_str());
    EXPECT_GE(s.size(), w.minBytes) << what << ": " << w.name;
    switch (w.shape) {
    case Shape::Igor:
        EXPECT_EQ(s.rfind("IGOR\n", 0), 0u) << what << ": " << w.name;
        EXPECT_GE(s.size(), 4u);
        {
            // Not cut short: "END" last, or after it only the file's notes
            // ("X // " lines).
            const std::size_t end = s.rfind("END\n");
            ASSERT_NE(end, std::string::npos) << what << ": " << w.name;
            for (std::size_t at = end + 4; at < s.size(); at = s.find('\n', at) + 1) {
                EXPECT_EQ(s.compare(at, 5, "X // "), 0) << what << ": " << w.name << ": " << s.substr(at);
                ASSERT_NE(s.find('\n', at), std::string::npos) << what << ": " << w.name;
            }
        }
        break;
    case Shape::Rows28:
        EXPECT_EQ(s.size() % (28 * sizeof(double)), 0u) << what << ": " << w.name;
        break;
    case Shape::Text:
        EXPECT_EQ(s.back(), '\n') << what << ": " << w.name;
        break;
    }
}

fs::path freshFolder(const std::string& name) {
    const fs::path d = fs::current_path() / name;
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
}

struct Case {
    const char* program;
    std::vector<std::string> args;
    std::string input;
    std::vector<Written> files;
};

}  // namespace

TEST(Programs, ReadmeExamplesAndEveryCommandWordSucceed) {
    const char* V = VARNOK_PROGRAM;
    const char* B = BRENVIK_PROGRAM;
    const std::vector<Case> cases = {
        // The README's examples.
        {B, {"pv", "m", "0.5", "d", "200", "pyroclast"}, "",
         {{"igor0.itx", Shape::Text, 500}, {"isoc0", Shape::Igor, 1000}, {"isos1", Shape::Igor, 1000}}},
        {V, {"wagner", "crit", "a", "psat", "450"}, "", {{"crita", Shape::Igor, 100}}},
        {V, {"SRK1:CO2,CH4", "x", "0.3", "TP", "250", "50"}, "", {}},
        // Every word of the fluid command interpreter, arguments asked for on
        // standard input included.
        {V, {"wagner", "sat", "a", "spino", "l", "v"}, "", {{"satua", Shape::Igor, 10000}, {"spinol", Shape::Igor, 1000},
                                                            {"spinov", Shape::Igor, 1000}}},
        {V, {"wagner", "isoc", "30", "300", "800", "a", "isotherm", "400", "18", "1000"}, "a\n",
         {{"isoca", Shape::Igor, 10000}, {"isota", Shape::Igor, 1000}}},
        {V, {"PRSV:CO2,CH4", "crit2", "c"}, "", {{"critc", Shape::Igor, 10000}}},
        {V, {"wagner", "T", "300", "V", "30", "tree", "x", "TV", "300", "18", "TP", "300", "1"}, "", {}},
        {V, {"SRK1:CO2,CH4", "x", "0.3", "spinox", "250", "60", "0.3", "l", "v", "bino", "250", "b"},
         "",
         {{"binob", Shape::Igor, 1000}, {"spinotl", Shape::Igor, 1000}}},
        // The water studies that the model "wagner" adds.
        {V, {"wagner", "wohletz", "100", "700", "1", "phreatic", "50", "420", "1", "1", "p", "conductivity", "300",
             "revirr", "700", "1e7", "wfrac", "1100", "1000", "0.04", "wfracdiagram", "0.04", "1000", "1010", "500",
             "510", "superheat", "100", "300", "henley", "310", "300", "1", "1", "1", "h", "henleytest"},
         "",
         {{"wat", Shape::Text, 100}}},
        {V, {"wagner", "potentials", "450", "9.32203564", "450", "450.2", "2e-5", "1e-2", "1", "wohletzratio", "flow",
             "900", "1", "flowisobar", "1", "800", "805", "0", "interface", "itc", "450", "0", "0.5", "1", "1", "x",
             "shock", "900", "50", "shockisobar", "100", "700", "703", "1", "1", "s", "shockisotherm", "900", "48",
             "50", "nucleation", "550", "10", "heatnucleation", "10", "1"},
         "",
         {{"film", Shape::Text, 100}, {"flox1", Shape::Text, 100}, {"shockt", Shape::Text, 100}}},
        // Every option of Brenvik.
        {B, {}, "", {}},
        {B, {"a"}, "", {}},
        {B, {"pp", "m", "0.3", "d", "200"}, "", {{"isop0", Shape::Igor, 50}, {"isos1", Shape::Igor, 100}}},
        {B, {"pw", "m", "0.4", "d", "300"}, "", {{"igor0.itx", Shape::Text, 500}}},
        {B, {"ev"}, "", {{"wm0", Shape::Igor, 10000}, {"igor1.itx", Shape::Text, 500}}},
        {B, {"ep"}, "", {{"wm0", Shape::Igor, 10000}}},
        {B, {"ew"}, "", {{"wm0", Shape::Igor, 10000}}},
        {B, {"TP", "300", "100"}, "", {}},
        {B, {"TV", "300", "20", "steam"}, "", {}},
        {B, {"psat", "200"}, "", {}},
        {B, {"tsat", "10"}, "", {}},
        {B, {"exsol", "900", "1000"}, "", {}},
        {B, {"heat", "100", "20", "400"}, "", {}},
        {B, {"satu"}, "", {{"satu0", Shape::Igor, 10000}, {"igor2.itx", Shape::Text, 100}}},
        {B, {"satu", "cocoa"}, "", {{"satu0.bin", Shape::Rows28, 28 * 8 * 50}}},
        {B, {"satu", "gnuplot"}, "", {{"satu0.txt", Shape::Text, 10000}}},
        {B, {"spino"}, "", {{"spino1", Shape::Igor, 1000}, {"spino2", Shape::Igor, 1000}}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const fs::path dir = freshFolder("ok" + std::to_string(n++));
        const std::string what = std::string(fs::path(c.program).filename()) + " " + join(c.args);
        const Outcome r = run(c.program, c.args, dir, c.input);
        EXPECT_EQ(r.rc, 0) << what << "\n" << r.err;
        EXPECT_FALSE(holdsNonFinite(r.out)) << what;
        EXPECT_FALSE(holdsTrace(r.out)) << what;
        for (const Written& w : c.files) expectWritten(dir, w, what);
    }
#ifdef VARNOK_WITH_ANDERKO
    // The H2O-NaCl isotherm from a pressure: its phase equilibria are written
    // whole; NaCl has no ideal-gas data, so the energies of its columns are
    // not given: said on standard error, and no failure of the command.
    {
        const fs::path dir = freshFolder("hn-binop");
        const Outcome r = run(V, {"hn", "binop", "573.15", "80", "b"}, dir);
        EXPECT_EQ(r.rc, 0) << r.err;
        EXPECT_NE(r.err.find("Data for component NaCl have not been found in the file compo/standard.txt: h, u, s, "
                             "cv, cp, the sound speed and the Joule-Thomson coefficient are not given (shown as --, and as nan in the curve files)."),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.err.find("Command binop failed"), std::string::npos) << r.err;
        expectWritten(dir, {"binopb", Shape::Igor, 10000}, "varnok hn binop");
    }
#endif
}

// The words the usage text (varnok alone) lists: the first 20 columns of each
// of its two cells a line hold the words with their arguments, words that
// share a help line joined by " | ".
static std::multiset<std::string> usageWords(const std::string& usage) {
    std::multiset<std::string> words;
    std::istringstream lines(usage.substr(usage.find("\nCommands (")));
    std::string line;
    std::getline(lines, line);
    std::getline(lines, line);
    for (; std::getline(lines, line) && line.rfind("  ", 0) == 0;)
        for (std::size_t at : {std::size_t{2}, std::size_t{46}}) {
            if (at >= line.size()) continue;
            std::string cell = line.substr(at, 20) + " | ";
            for (std::size_t a = 0, b; (b = cell.find(" | ", a)) != std::string::npos; a = b + 3)
                words.insert(cell.substr(a, cell.find(' ', a) - a));
        }
    return words;
}

// The interpreter's table of command words against the program: every word
// is run (with no argument it asks for its first, or runs; it is never an
// unknown command), the usage text lists each with its arguments once, and
// no other word; a word of no row is unknown.
TEST(Programs, EveryCommandWordOfTheTableRunsAndIsInTheUsage) {
    const fs::path dir = freshFolder("command-words");
    const Outcome help = run(VARNOK_PROGRAM, {}, dir);
    ASSERT_EQ(help.rc, 0) << help.err;
    const std::multiset<std::string> listed = usageWords(help.out);
    std::set<std::string> table;
    for (const FluidCommandWord& c : fluidCommandWords()) {
        table.insert(c.word);
        const std::string synopsis = std::string(c.word) + (*c.arguments ? " " : "") + c.arguments;
        EXPECT_NE(help.out.find(" " + synopsis + " "), std::string::npos) << synopsis << "\n" << help.out;
        EXPECT_EQ(listed.count(c.word), 1u) << c.word << "\n" << help.out;
        const Outcome r = run(VARNOK_PROGRAM, {"SRK1:CO2,CH4", c.word}, dir);
        EXPECT_EQ(r.err.find("not recognized"), std::string::npos) << c.word << "\n" << r.err;
        if (*c.arguments) {
            EXPECT_NE(r.err.find(std::string("the ") + c.word + " command is not run"), std::string::npos)
                << c.word << "\n" << r.err;
        }
    }
    EXPECT_EQ(listed, std::multiset<std::string>(table.begin(), table.end())) << help.out;
    EXPECT_NE(run(VARNOK_PROGRAM, {"SRK1:CO2,CH4", "crit3"}, dir).err.find("Command crit3 not recognized"),
              std::string::npos);
}

// The values of the wave `name` of an Igor text file, one a row (none when
// it has no such wave).
static std::vector<std::string> igorWave(const std::string& text, const std::string& name) {
    std::istringstream lines(text);
    std::string line, w;
    std::vector<std::string> waves, values;
    while (std::getline(lines, line) && line != "BEGIN") {
        std::istringstream names(line);
        if (names >> w && w == "WAVES")
            while (names >> w) waves.push_back(w);
    }
    const auto column = std::find(waves.begin(), waves.end(), name) - waves.begin();
    if (column == static_cast<std::ptrdiff_t>(waves.size())) return values;
    while (std::getline(lines, line) && line != "END") {
        std::istringstream row(line);
        for (std::ptrdiff_t k = 0; k <= column && row >> w; ++k) {
        }
        values.push_back(w);
    }
    return values;
}

// A fluid without ideal-gas data has no enthalpy: the curves that carry one
// (the spinodals, a binary's spinodals, the isochore) write it as nan on
// every row, at pressures that are numbers, and say why once; each file is
// named as the command's row in the table says.
TEST(Programs, CurvesWithoutEnergiesSayWhy) {
    struct Curve {
        std::vector<std::string> args;
        std::vector<std::string> files;
        const char* word;
    };
    const std::vector<Curve> curves = {
        {{"SRK1:C3H8", "spino", "l", "v"}, {"spinol", "spinov"}, "spino"},
        {{"SRK1:C3H8", "isoc", "500", "300", "400", "a"}, {"isoca"}, "isoc"},
        {{"SRK1:CO2,C3H8", "x", "0.3", "spinox", "280", "100", "0.3", "l", "v"}, {"spinotl", "spinotv"}, "spinox"},
    };
    for (const Curve& c : curves) {
        const fs::path dir = freshFolder("no-energies");
        const Outcome r = run(VARNOK_PROGRAM, c.args, dir);
        const std::string what = join(c.args);
        ASSERT_EQ(r.rc, 0) << what << "\n" << r.err;
        EXPECT_EQ(consoletest::countOf(r.err, "Data for component C3H8 have not been found in the file "
                                              "compo/standard.txt: h, u, s, cv, cp, the sound speed and the "
                                              "Joule-Thomson coefficient are not given (shown as --, and as nan "
                                              "in the curve files).\n"),
                  1)
            << what << "\n" << r.err;
        const auto row = std::find_if(fluidCommandWords().begin(), fluidCommandWords().end(),
                                      [&](const FluidCommandWord& w) { return std::string(w.word) == c.word; });
        ASSERT_NE(row, fluidCommandWords().end()) << c.word;
        EXPECT_TRUE(row->showsEnergies) << c.word;
        for (const std::string& name : c.files) {
            EXPECT_EQ(name.rfind(row->writes, 0), 0u) << name;
            const std::string text = readFile((dir / name).c_str());
            // (The waves are named by the suffix, the file's last letter.)
            const std::string suffix = name.substr(name.size() - 1);
            const std::vector<std::string> H = igorWave(text, "H" + suffix), P = igorWave(text, "P" + suffix);
            ASSERT_FALSE(H.empty()) << what << ": " << name << "\n" << text.substr(0, 400);
            ASSERT_EQ(P.size(), H.size()) << what << ": " << name;
            for (std::size_t k = 0; k < H.size(); ++k) {
                EXPECT_EQ(H[k], "nan") << what << ": " << name << " row " << k;
                EXPECT_TRUE(std::isfinite(std::strtod(P[k].c_str(), nullptr))) << what << ": " << name << " row " << k;
            }
        }
    }
}

TEST(Programs, TheStateFromTAndPIsTheStableOneAndSaysSo) {
    const fs::path dir = freshFolder("phase");
    // 500 K and 1 bar: steam, 0.435 kg/m3 (the liquid root, 829 kg/m3, is metastable).
    Outcome r = run(VARNOK_PROGRAM, {"wagner", "TP", "500", "1"}, dir);
    EXPECT_EQ(r.rc, 0);
    EXPECT_NE(r.out.find("** Phase: vapour (stable; the liquid root"), std::string::npos) << r.out;
    double rho = 0.0;
    ASSERT_EQ(std::sscanf(r.out.c_str() + r.out.find("-> rho"), "-> rho %lf", &rho), 1);
    // Second virial coefficient of water at 500 K, B = -0.166 L/mol (IAPWS
    // 2007 guideline on B and C): Z = 1 + B P / RT = 0.99601.
    EXPECT_NEAR(rho, 0.018015268 * 1e5 / (8.31446 * 500.0 * 0.99601), 2e-4);
    // 300 K and 1 bar: liquid, 996.56 kg/m3 (IAPWS-95).
    r = run(VARNOK_PROGRAM, {"wagner", "TP", "300", "1"}, dir);
    EXPECT_EQ(r.rc, 0);
    EXPECT_NE(r.out.find("** Phase: liquid\n"), std::string::npos) << r.out;
    ASSERT_EQ(std::sscanf(r.out.c_str() + r.out.find("-> rho"), "-> rho %lf", &rho), 1);
    EXPECT_NEAR(rho, 996.56, 0.05);
    // Brenvik computes the phase asked for and says when it is metastable.
    r = run(BRENVIK_PROGRAM, {"TP", "226.85", "1"}, dir);
    EXPECT_EQ(r.rc, 0);
    EXPECT_NE(r.out.find("** Metastable liquid water: steam has the lower Gibbs energy"), std::string::npos);
    r = run(BRENVIK_PROGRAM, {"TP", "226.85", "1", "steam"}, dir);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out.find("Metastable"), std::string::npos);
    // At the critical point cp, the expansivity and the compressibility
    // diverge, and so does IAPWS-95's cv (its non-analytic terms): crit's cv
    // and cp, TV's cv, cp, alpha and beta, each in two units.  A cubic's cv
    // is finite there (a mean-field equation: cv has a jump, no pole).
    r = run(VARNOK_PROGRAM, {"WagnerPruss", "crit", "c", "TV", "647.096", "55.948037"}, dir);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(consoletest::countOf(r.out, "diverging"), 2 + 6) << r.out;
    EXPECT_FALSE(holdsNonFinite(r.out));
    r = run(VARNOK_PROGRAM, {"PR:CO2", "crit", "c"}, dir);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(consoletest::countOf(r.out, "diverging"), 1) << r.out;
    double cv = 0.0;
    ASSERT_NE(r.out.find("\ncv "), std::string::npos) << r.out;
    EXPECT_EQ(std::sscanf(r.out.c_str() + r.out.find("\ncv "), "\ncv %lf", &cv), 1) << r.out;
    EXPECT_GT(cv, 0.0);
    // At water's critical temperature (373.946 °C, IAPWS-95) the saturation
    // state is the critical point: 220.64 bar and 322 kg/m3 (55.948 cm3/mol)
    // for the liquid and the steam alike, as tsat gives at that pressure.
    r = run(BRENVIK_PROGRAM, {"psat", "373.946"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("Pressure    220.64 bar"), std::string::npos) << r.out;
    EXPECT_EQ(consoletest::countOf(r.out, "     55.9480 cm3/mol"), 2) << r.out;
    const Outcome byP = run(BRENVIK_PROGRAM, {"tsat", "220.64"}, dir);
    EXPECT_EQ(r.out.substr(r.out.find("Liquid ")), byP.out.substr(byP.out.find("Liquid "))) << r.out;
    // The interpreter gives it too: IAPWS-95's critical constants, 647.096 K,
    // 22.064 MPa and 322 kg/m3, for both sides, with no heat of vaporisation.
    r = run(VARNOK_PROGRAM, {"wagner", "psat", "647.096"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    double Tsat = 0.0, Psat = 0.0, Vl = 0.0, Vv = 0.0, Hvap = 0.0;
    ASSERT_EQ(std::sscanf(r.out.c_str(), "T %lf K  Psat %lf bar  Vl %lf cm3/mol  Vv %lf cm3/mol  Hvap %lf", &Tsat,
                          &Psat, &Vl, &Vv, &Hvap),
              5)
        << r.out << r.err;
    EXPECT_NEAR(Tsat, 647.096, 1e-6);
    EXPECT_NEAR(Psat, 220.64, 220.64 * 1e-5);
    EXPECT_NEAR(Vl, 18.015268 / 0.322, 1e-3);
    EXPECT_EQ(Vl, Vv);
    EXPECT_EQ(Hvap, 0.0);
    // The fluid's line names the state what it is, the critical point.
    EXPECT_NE(r.out.find("** The fluid: critical point (of H2O, 647.096 K and 220.64 bar)"), std::string::npos) << r.out;
    // Every printed quantity of a state keeps its significant digits: steam
    // at 300 K and 1e7 cm3/mol is all but an ideal gas (IAPWS-95's second
    // virial coefficient, -1.16 L/mol, moves its pressure by 1.2e-4), at
    // R T / V = 0.0024943 bar with IAPWS-95's R.
    r = run(VARNOK_PROGRAM, {"wagner", "TV", "300", "1e7"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    ASSERT_NE(r.out.find("** P "), std::string::npos) << r.out;
    double P = 0.0;
    ASSERT_EQ(std::sscanf(r.out.c_str() + r.out.find("** P "), "** P %lf bar", &P), 1);
    const double ideal = 8.3143714 * 300.0 / 10.0 * 1e-5;
    EXPECT_NEAR(P / ideal, 1.0 - 1.16e-4, 2e-5) << r.out;
    // A model's heat capacities withheld at a state are said so once for a
    // TV command, which finds its state twice (Zhang & Duan's water at 400
    // K and 15 cm3/mol: cv < 0).
    r = run(VARNOK_PROGRAM, {"ZhangDuanH2O", "TV", "400", "15"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(consoletest::countOf(r.err, "are withheld"), 1) << r.err;
}

TEST(Programs, BrenvikSaysOnceThatAPeakBeyondIAPWS95IsExtrapolated) {
    const fs::path dir = freshFolder("peak");
    // m = 0.1: the isochoric peak lies near 20,000 bar, beyond the 10,000 bar
    // to which IAPWS-95 was fitted.
    Outcome r = run(BRENVIK_PROGRAM, {"pv", "m", "0.1"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(consoletest::countOf(r.err, "extrapolated"), 1) << r.err;
    EXPECT_EQ(r.out.find("extrapolated"), std::string::npos);
    EXPECT_NE(r.out.find("Gravity                     :     9.81 m/s2\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("m2/s"), std::string::npos);
    // A peak inside the range says nothing.
    r = run(BRENVIK_PROGRAM, {"pv", "m", "5"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.err.find("extrapolated"), std::string::npos) << r.err;
}

TEST(Programs, BadInputsFailWithAMessageAndNoTable) {
    const char* V = VARNOK_PROGRAM;
    const char* B = BRENVIK_PROGRAM;
    struct Bad {
        const char* program;
        std::vector<std::string> args;
        std::string input;
        const char* named;  // what the message names
        bool alone = false;  // it is the whole of standard error: one slip, one sentence
    };
    const std::vector<Bad> cases = {
        {V, {"wagner", "foo"}, "", "Command foo not recognized"},
        // One slip, one sentence naming it (no "Command ... failed" after it).
        {V, {"wagner", "TP"}, "", "No value was given for T (K) (a number above 0): the TP command is not run.\n"},
        {V, {"wagner", "TP", "300"}, "abc\n", "The P (bar) of the TP command must be a number above 0, not \"abc\".\n"},
        {V, {"wagner", "TP", "abc", "1"}, "", "not \"abc\""},
        {V, {"wagner", "TP", "0", "1"}, "", "The T (K) of the TP command must be a number above 0, not 0.\n"},
        {V, {"wagner", "TP", "-1", "1"}, "", "The T (K) of the TP command must be a number above 0, not -1.\n"},
        {V, {"wagner", "TP", "nan", "1"}, "", "The T (K) of the TP command must be a number above 0, not \"nan\".\n"},
        {V, {"wagner", "TP", "1e300", "1"}, "", "the state at 1e+300 K and 1 bar lies outside it.\n"},
        {V, {"wagner", "TP", "300", "1e300"}, "", "the state at 300 K and 1e+300 bar lies outside it.\n"},
        {V, {"wagner", "TP", "1e-310", "1"}, "", "(below the smallest number kept, 2.2e-308: give a larger value).\n"},
        {V, {"wagner", "TV", "300", "-1"}, "", "The V (cm3/mol) of the TV command must be a number above 0, not -1.\n"},
        {V, {"wagner", "V", "0"}, "", "The V (cm3/mol) of the V command must be a number above 0, not 0.\n"},
        {V, {"wagner", "psat", "700"}, "", "its own critical temperature is 647.096 K.\n"},
        {V, {"wagner", "isoc", "30", "800", "300", "a"}, "", "The isoc command needs Tmax above Tmin.\n"},
        {V, {"wagner", "Tp", "500", "1"}, "", "Command Tp not recognized: it is not run, nor its arguments 500 1\n"},
        {V, {"wagner", "crti", "a", "b", "wohletzratio"}, "", "Command crti not recognized: it is not run, nor its arguments a b\n"},
        {V, {"wagner", "crit", "a", "TP", "1e300", "1"}, "", "the state at 1e+300 K and 1 bar lies outside it.\n"},  // the first one ran
        {V, {"SRK1:CO2,CH4", "x", "1.5"}, "", "not 1.5"},
        {V, {"hn:", "TP", "600", "100"}, "", "The model hn has its own components and takes no names after a colon"},
        {V, {"SRK1:XYZ", "TP", "300", "1"}, "", "XYZ"},  // unknown component
        {V, {"PR:Unobtainium", "TP", "300", "1"}, "", "Unobtainium"},  // a component without data
        // A component file that cannot be opened: the model's refusal alone says it.
        {V, {"PR:co2,CH4", "TP", "300", "50"}, "", "The model PR:co2,CH4 has no data for the component co2\n", true},
        {V, {"SRK1:CH4,co2", "x", "0.5", "TP", "300", "50"}, "", "has no data for the component co2\n", true},
        {V, {"nosuchmodel", "crit", "a"}, "", "nosuchmodel"},
        // Curves that the model does not trace are said to be so, not passed over.
        {V, {"wagner", "crit2", "c"}, "",
         "The crit2 command traces the critical curve of a binary mixture, and the model Wagner & Pruss holds 1 "
         "component.\n", true},
        {V, {"PR:CO2", "crit2", "a"}, "", "The crit2 command traces the critical curve of a binary mixture, and the "
                                          "model Peng-Robinson holds 1 component.\n", true},
        {V, {"wagner", "isop"}, "", "computes no isopleth of a pure fluid"},
        // Its arguments, whatever their count, are not taken for commands.
        {V, {"wagner", "isop", "300", "0.5", "1", "a"}, "",
         "The model Wagner & Pruss computes no isopleth of a pure fluid.\n", true},
        {V, {"PR:CO2", "isop", "300", "0.5", "0.5", "1", "a", "TP", "300", "50"}, "",
         "The model Peng-Robinson computes no isopleth of a pure fluid.\n", true},
        {V, {"SRK1:CO2,CH4", "isop", "250", "0.3", "1", "i"}, "", "computes no binary isopleth"},
        {V, {"SRK1:CO2,CH4,N2", "ter", "250", "50", "t"}, "", "computes no ternary diagram"},
        {V, {"SRK1:CO2,CH4,N2", "ll3", "250", "0.3", "0.3", "1", "l"}, "", "computes no liquid-liquid isopleth"},
        {V, {"DMW2:H2O,H2O", "x", "0.3", "TP", "500", "100"}, "", "names the component H2O twice"},
        // A forgotten number before the next command word: said once, the
        // command word not taken for a number nor run as an unknown command.
        {V, {"PR:CO2,CH4", "x", "TP", "300", "50"}, "",
         "The x command is missing its mole fraction (1,CH4): \"TP\", where it is due, is the next command. No "
         "command after it is run until an x command sets a composition.\n", true},
        {V, {"PR:CO2,CH4,N2", "x", "0.2", "TP", "300", "50", "crit", "c"}, "",
         "The x command is missing its mole fraction (2,N2): \"TP\", where it is due, is the next command. No "
         "command after it is run until an x command sets a composition.\n", true},
        {V, {"wagner", "TP", "300", "crit", "a"}, "",
         "The TP command is missing its P (bar): \"crit\", where it is due, is the next command.\n", true},
        {V, {"wagner", "isoc", "30", "300", "crit", "a"}, "",
         "The isoc command is missing its Tmax (K): \"crit\", where it is due, is the next command.\n", true},
        // The binary curves of a model of another count name their command.
        {V, {"wagner", "bino", "300", "a"}, "",
         "The bino command traces a P-x isotherm of a binary mixture, and the model Wagner & Pruss holds 1 "
         "component.\n", true},
        {V, {"wagner", "binop", "300", "10", "a"}, "", "The binop command traces a P-x isotherm", true},
        {V, {"wagner", "spinox", "300", "30", "0.5", "a", "b"}, "", "The spinox command traces the spinodals", true},
        {V, {"PR:CO2,CH4,N2", "bino", "300", "a"}, "", "the model Peng-Robinson holds 3 components.\n", true},
        {V, {"PRSV:CO2,CH4,N2", "crit2", "a"}, "", "The crit2 command traces the critical curve of a binary mixture",
         true},
        // A suffix ends a file name: no tab or space goes into one.
        {V, {"wagner", "crit", "a\tb"}, "", "The suffix of the crit command holds a tab", true},
        {V, {"wagner", "sat", "a b"}, "", "The suffix of the sat command holds a space", true},
        {V, {"wagner", "phreatic", "0.1", "1473", "0", "0", "a\tb"}, "", "The suffix of the phreatic command holds",
         true},
#ifdef VARNOK_WITH_ANDERKO
        {V, {"hnc", "ter", "700", "500", "t"}, "", "No ternary diagram without its start table."},
        // Commands of a system they do not serve: said, never exit 0 in silence.
        {V, {"hk", "crit2", "a"}, "", "not of H2O-KCl: no critical curve is written.\n"},
        {V, {"hn", "table1"}, "", "holds no volumes: nothing is computed.\n"},
        {V, {"hn", "table2"}, "", "checks the system H2O-NaCl-CO2"},
        {V, {"hn", "test1", "700"}, "", "test1: T V0 xsalt xgas dT branch suffix expected\n"},
        {V, {"hnc", "test1", "700", "30", "0.05", "0.05", "1", "0", "a\tb"}, "", "The suffix of the test1 command holds a tab",
         true},
        {V, {"hnc", "test1", "700", "30", "0.05", "0.05", "1", "0", "a b"}, "", "The suffix of the test1 command holds a space",
         true},
        {V, {"hnc", "test1", "700", "30", "0.05", "0.05", "1", "0", "a\x01"}, "",
         "The suffix of the test1 command holds a control character", true},
#endif
        {B, {"foo"}, "", "unknown option \"foo\""},
        {B, {"TP", "hot", "1"}, "", "\"hot\""},
        {B, {"TP", "-300", "1"}, "", "temperature"},
        {B, {"TP", "100", "-1"}, "", "pressure"},
        {B, {"TP", "nan", "1"}, "", "\"nan\""},
        {B, {"TP", "1e300", "1"}, "", "Brenvik:"},
        {B, {"TP", "6.85", "487.2817657", "steam"}, "", "no steam state"},  // no vapour root there
        {B, {"TV", "300", "0"}, "", "volume"},
        {B, {"psat", "nan"}, "", "\"nan\""},
        {B, {"tsat", "300"}, "", "above the critical pressure"},
        {B, {"pv", "m", "-1"}, "", "mass ratio"},
        {B, {"pv", "m", "0"}, "", "mass ratio"},
        {B, {"pv", "m"}, "", "needs a value"},
        {B, {"pv", "Tm", "10"}, "", "the magma temperature Tm (10.00 deg. C) must lie above that of the water at depth"},
        {B, {"exsol", "900", "x"}, "", "\"x\""},
        {B, {"heat", "100", "20"}, "", "three arguments"},
        {B, {"satu", "foo"}, "", "satu takes"},
        {B, {"a", "+5", "abc"}, "", "takes no argument"},
        {B, {"psat", "400"}, "", "above the critical temperature"},
    };
    const fs::path dir = freshFolder("bad");
    for (const Bad& c : cases) {
        const std::string what = std::string(fs::path(c.program).filename()) + " " + join(c.args);
        const Outcome r = run(c.program, c.args, dir, c.input);
        EXPECT_EQ(r.rc, 1) << what;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << what << "\n" << r.err;
        if (c.alone) {
            EXPECT_EQ(consoletest::countOf(r.err, "\n"), 1) << what << "\n" << r.err;
        }
        // A refusal is said once: no prompt for what is missing, no
        // "Command ... failed" after the reason.
        EXPECT_EQ(r.err.find("Expected "), std::string::npos) << what << "\n" << r.err;
        EXPECT_EQ(r.err.find(" failed"), std::string::npos) << what << "\n" << r.err;
        EXPECT_LE(consoletest::countOf(r.err, "not recognized"), 1) << what << "\n" << r.err;
        EXPECT_FALSE(holdsNonFinite(r.out)) << what << "\n" << r.out;
        EXPECT_FALSE(holdsTrace(r.out)) << what;
        // No state table of a failed state.
        if (c.args.size() > 1 && (c.args[1] == "TP" || c.args[0] == "TP" || c.args[0] == "TV")) {
            EXPECT_EQ(r.out.find("-> rho"), std::string::npos) << what;
        }
    }
    // No file name took a tab or a space from a suffix.
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().find_first_of(" \t"), std::string::npos) << e.path();
}

// Asked for help as every console program is, each program prints its usage
// (what it prints alone) and ends with status 0; after one slip the next
// command still runs.
TEST(Programs, HelpIsTheUsageAndASlipStopsOnlyItself) {
    const fs::path dir = freshFolder("help");
    for (const char* program : {VARNOK_PROGRAM, BRENVIK_PROGRAM}) {
        const Outcome alone = run(program, {}, dir);
        ASSERT_EQ(alone.rc, 0);
        for (const char* word : {"--help", "-h"}) {
            const Outcome r = run(program, {word}, dir);
            EXPECT_EQ(r.rc, 0) << program << " " << word << "\n" << r.err;
            EXPECT_EQ(r.out, alone.out) << program << " " << word;
            EXPECT_EQ(r.err, "") << program << " " << word;
        }
    }
    const Outcome r = run(VARNOK_PROGRAM, {"wagner", "crti", "a", "crit", "b"}, dir);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "Command crti not recognized: it is not run, nor its arguments a\n");
    expectWritten(dir, {"critb", Shape::Igor, 100}, "varnok wagner crti a crit b");
    // A number forgotten before the next command: that command runs.
    const Outcome lost = run(VARNOK_PROGRAM, {"wagner", "TP", "300", "crit", "d"}, dir);
    EXPECT_EQ(lost.rc, 1);
    expectWritten(dir, {"critd", Shape::Igor, 100}, "varnok wagner TP 300 crit d");
    // The usage gives every study word of the water model with the
    // arguments the word takes: the same as its refusal without them names.
    const Outcome help = run(VARNOK_PROGRAM, {"--help"}, dir);
    const std::size_t studies = help.out.find("studies of heated and superheated water");
    ASSERT_NE(studies, std::string::npos) << help.out;
    std::istringstream lines(help.out.substr(help.out.find('\n', help.out.find("):", studies)) + 1));
    int withArguments = 0;
    for (std::string line; std::getline(lines, line) && line.rfind("  ", 0) == 0;) {
        const std::size_t space = line.find(' ', 2);
        if (space == std::string::npos) continue;  // a word without arguments (it would run its study)
        const std::string word = line.substr(2, space - 2), arguments = line.substr(space + 1);
        const Outcome bare = run(VARNOK_PROGRAM, {"wagner", word}, dir);
        EXPECT_NE(bare.err.find("command takes"), std::string::npos) << word << "\n" << bare.err;
        EXPECT_NE(bare.err.find("(" + arguments + ")"), std::string::npos) << line << "\n" << bare.err;
        ++withArguments;
    }
    EXPECT_EQ(withArguments, 18) << help.out;
}

TEST(Programs, SolverTracesOnlyWhenAsked) {
    // A phreatic run of the water studies traced its searches on standard
    // error ("Stop here ..." and others); a scientist's terminal shows them
    // (and the run time) only with VARNOK_TRACE set.  A saturation pressure taken from the
    // expansions of the model's own curve, without a search, says which.
    const struct {
        std::vector<std::string> args;
        std::string traced;
    } cases[] = {
        {{"wagner", "phreatic", "50", "420", "1", "1", "p"}, "\nTime "},
        {{"wagner", "psat", "450"},
         "Saturation at 450 K from the Chebyshev expansion of WagnerPruss's own curve in "
         "compo/saturation/WagnerPruss.txt, piece "},
        {{"SRK1:CO2", "psat", "250"},
         "Saturation at 250 K by a Newton search in (Vl, Vv) from the model's own start volumes"},
    };
    const fs::path dir = freshFolder("trace");
    for (const auto& c : cases) {
        ::unsetenv("VARNOK_TRACE");
        const Outcome quiet = run(VARNOK_PROGRAM, c.args, dir);
        ::setenv("VARNOK_TRACE", "1", 1);
        const Outcome traced = run(VARNOK_PROGRAM, c.args, dir);
        ::unsetenv("VARNOK_TRACE");
        EXPECT_EQ(quiet.rc, 0) << quiet.err;
        EXPECT_EQ(traced.rc, 0) << traced.err;
        EXPECT_FALSE(holdsTrace(quiet.err)) << quiet.err;
        EXPECT_EQ(quiet.err.find(c.traced), std::string::npos) << quiet.err;
        EXPECT_TRUE(holdsTrace(traced.err)) << traced.err;
        EXPECT_NE(traced.err.find(c.traced), std::string::npos) << join(c.args) << "\n" << traced.err;
        EXPECT_EQ(quiet.out, traced.out);
    }
}

TEST(Programs, LostOutputIsAFailure) {
    // A folder where nothing can be written.  The superuser writes in any
    // folder whatever its mode, so for it the folder is one of the process
    // file system, where no file can be created.
    fs::path dir = freshFolder("readonly");
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    if (std::FILE* probe = std::fopen((dir / "probe").c_str(), "w")) {
        std::fclose(probe);
        dir = "/proc";
        if (!fs::exists("/proc/self")) GTEST_SKIP() << "no folder that cannot be written";
    }
    struct Lost {
        const char* program;
        std::vector<std::string> args;
        const char* file;
    };
    const std::vector<Lost> cases = {
        {VARNOK_PROGRAM, {"wagner", "crit", "a"}, "crita"},
        {VARNOK_PROGRAM, {"wagner", "sat", "a"}, "satua"},
        {BRENVIK_PROGRAM, {"pv", "m", "0.5", "d", "200"}, "isoc0"},
        {BRENVIK_PROGRAM, {"satu", "cocoa"}, "satu0.bin"},
        {BRENVIK_PROGRAM, {"spino"}, "spino1"},
    };
    for (const Lost& c : cases) {
        const Outcome r = run(c.program, c.args, dir);
        EXPECT_EQ(r.rc, 1) << join(c.args);
        EXPECT_NE(r.err.find(std::string("Cannot write ") + c.file), std::string::npos) << join(c.args) << "\n"
                                                                                          << r.err;
    }
    if (dir != "/proc") fs::permissions(dir, fs::perms::owner_all);

    // A full disk behind the files written (each name a link to /dev/full)
    // and behind standard output.
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const fs::path ok = freshFolder("full");
    for (const Lost& c : cases) {
        fs::create_symlink("/dev/full", ok / c.file);
        const Outcome r = run(c.program, c.args, ok);
        EXPECT_EQ(r.rc, 1) << join(c.args);
        EXPECT_NE(r.err.find(std::string("Cannot write ") + c.file), std::string::npos) << join(c.args) << "\n"
                                                                                          << r.err;
        fs::remove(ok / c.file);
    }
    for (const Case& c : {Case{VARNOK_PROGRAM, {"wagner", "TP", "300", "1"}, "", {}},
                          Case{BRENVIK_PROGRAM, {"TP", "100", "1"}, "", {}}, Case{BRENVIK_PROGRAM, {}, "", {}}}) {
        const Outcome r = run(c.program, c.args, ok, "", "/dev/full");
        EXPECT_EQ(r.rc, 1) << join(c.args);
        EXPECT_NE(r.err.find("standard output"), std::string::npos) << join(c.args) << "\n" << r.err;
    }
}

TEST(Programs, CarbonDioxideMethaneIsothermsAreTheSameInEitherOrderAndEndAtTheCriticalRegion) {
    // 250 K: CO2 saturated (1.7850 MPa, Span & Wagner 1996), CH4 supercritical.
    // The bubble curve runs from pure CO2 to the mixture critical point with
    // the methane of the liquid rising all along; swapping the components
    // mirrors the file, row for row to the printed digits at both ends.
    const char* V = VARNOK_PROGRAM;
    for (const char* model : {"SRK1", "PR", "Montel", "Kreglewski"}) {
        double ends[2][2] = {{0, 0}, {0, 0}};
        for (int order : {0, 1}) {
            const std::string fluidName = std::string(model) + (order == 0 ? ":CO2,CH4" : ":CH4,CO2");
            const fs::path dir = freshFolder("bino-" + fluidName.substr(0, fluidName.find(':')) + std::to_string(order));
            const Outcome r = run(V, {fluidName, "bino", "250", "s"}, dir);
            ASSERT_EQ(r.rc, 0) << fluidName << "\n" << r.err;
            expectWritten(dir, {"binos", Shape::Igor, 1000}, fluidName);
            std::istringstream in(readFile((dir / "binos").c_str()));
            std::string line;
            std::vector<std::vector<double>> rows;
            while (std::getline(in, line)) {
                std::istringstream s(line);
                std::vector<double> row;
                std::string w;
                // The energies of a model without ideal-gas data are "nan".
                while (s >> w) row.push_back(std::strtod(w.c_str(), nullptr));
                const std::size_t first = line.find_first_not_of(' ');
                if (row.size() == 19 && first != std::string::npos && std::isdigit(static_cast<unsigned char>(line[first])))
                    rows.push_back(row);
            }
            ASSERT_GT(rows.size(), 20u) << fluidName;
            ASSERT_LT(rows.size(), 1000u) << fluidName;
            const int ch4 = order == 0 ? 1 : 0;  // methane's column among x0, x1
            EXPECT_NEAR(rows.front()[1], 17.850, 0.05 * 17.850) << fluidName;
            EXPECT_EQ(rows.front()[2 + ch4], 0.0) << fluidName;
            for (std::size_t k = 0; k < rows.size(); ++k) {
                const auto& q = rows[k];
                for (int c = 2; c <= 5; ++c) EXPECT_TRUE(q[c] >= 0.0 && q[c] <= 1.0) << fluidName << " row " << k;
                EXPECT_GT(q[1], 0.0) << fluidName;
                // Methane is the lighter: richer in the vapour than in the liquid.
                EXPECT_GE(q[4 + ch4], q[2 + ch4]) << fluidName << " row " << k;
                if (k > 0) {
                    const auto& p = rows[k - 1];
                    EXPECT_GE(q[2 + ch4], p[2 + ch4]) << fluidName << " row " << k;
                    EXPECT_FALSE(q[1] == p[1] && q[3] == p[3] && q[5] == p[5]) << fluidName << " row " << k << " repeats";
                }
            }
            ends[order][0] = rows.back()[1];
            ends[order][1] = rows.back()[2 + ch4];
        }
        EXPECT_NEAR(ends[0][0], ends[1][0], 1e-4 * ends[0][0]) << model;
        EXPECT_NEAR(ends[0][1], ends[1][1], 1e-3) << model;
    }
    // 1 K below CO2's critical temperature the isotherm still starts at the
    // pure fluid's own saturation pressure (the "psat" word of the pure model).
    {
        const fs::path dir = freshFolder("bino-303");
        const Outcome pure = run(V, {"SRK1:CO2", "psat", "303"}, dir);
        ASSERT_EQ(pure.rc, 0) << pure.err;
        double Tp = 0.0, Ps = 0.0;
        ASSERT_EQ(std::sscanf(pure.out.c_str(), "T %lf K Psat %lf", &Tp, &Ps), 2) << pure.out;
        const Outcome r = run(V, {"SRK1:CO2,CH4", "bino", "303", "s"}, dir);
        ASSERT_EQ(r.rc, 0) << r.err;
        std::istringstream in(readFile((dir / "binos").c_str()));
        std::string line;
        for (int k = 0; k < 4; ++k) std::getline(in, line);
        double T = 0.0, P = 0.0, x0 = 0.0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf", &T, &P, &x0), 3) << line;
        EXPECT_EQ(x0, 1.0);
        EXPECT_NEAR(P, Ps, 1e-5 * Ps);
    }
    // Water-CO2 at 400 K (CO2 supercritical): in either order the isotherm
    // starts at the pure model's own water saturation pressure.
    {
        const fs::path dir = freshFolder("bino-h2o");
        const Outcome pure = run(V, {"PR:H2O", "psat", "400"}, dir);
        ASSERT_EQ(pure.rc, 0) << pure.err;
        double Tp = 0.0, Ps = 0.0;
        ASSERT_EQ(std::sscanf(pure.out.c_str(), "T %lf K Psat %lf", &Tp, &Ps), 2) << pure.out;
        for (const char* fluidName : {"PR:H2O,CO2", "PR:CO2,H2O"}) {
            const Outcome r = run(V, {fluidName, "bino", "400", "w"}, dir);
            ASSERT_EQ(r.rc, 0) << fluidName << "\n" << r.err;
            std::istringstream in(readFile((dir / "binow").c_str()));
            std::string line;
            for (int k = 0; k < 4; ++k) std::getline(in, line);
            double T = 0.0, P = 0.0;
            ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf", &T, &P), 2) << fluidName << ": " << line;
            EXPECT_NEAR(P, Ps, 1e-5 * Ps) << fluidName;
        }
    }
    // Outside the model's range (below both components' triple points, CO2
    // 216.59 K and CH4 90.69 K): refused, no rows.
    // (A pure end that misses the fluid's vapour pressure is the model's
    // own: Kreglewski's isotherm at 220 K is given.)
    const std::vector<std::vector<std::string>> refused = {{"SRK1:CO2,CH4", "bino", "80", "r"},
                                                           {"SRK1:CH4,CO2", "binop", "85", "10", "r"}};
    for (const auto& args : {std::vector<std::string>{"Kreglewski:CO2,CH4", "bino", "220", "r"},
                             std::vector<std::string>{"Kreglewski:CH4,CO2", "binop", "220", "20", "r"}})
        EXPECT_EQ(run(V, args, freshFolder("bino-given")).rc, 0) << join(args);
    int n = 0;
    for (const auto& args : refused) {
        const fs::path dir = freshFolder("bino-refused" + std::to_string(n++));
        const Outcome r = run(V, args, dir);
        EXPECT_EQ(r.rc, 1) << join(args);
        EXPECT_NE(r.err.find("The model"), std::string::npos) << join(args) << r.err;
        for (const char* name : {"binor", "binopr"}) {
            if (fs::exists(dir / name)) {
                EXPECT_EQ(readFile((dir / name).c_str()).find("\n         "), std::string::npos);
            }
        }
    }
}

TEST(Programs, EachFactIsSaidOnceAsTheUserGaveIt) {
    const fs::path dir = freshFolder("said");
    const char* V = VARNOK_PROGRAM;
    // The ideal part of IAPWS-95 is printed in the form its state functions
    // take (every term weighted 1), not in the fugacity pass's form; no
    // weight prints as "- -0 *".
    Outcome r = run(V, {"wagner", "tree"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("A = lndelta + g\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("-0 *"), std::string::npos);
    // A binary's withheld heat capacity (20 % CO2, 26 K below the
    // temperature where CO2's B passes through zero): once, naming the model
    // and why.
    r = run(V, {"DMWEOS:H2O,CO2", "x", "0.2", "TP", "673.15", "500"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(consoletest::countOf(r.err, "passes through zero"), 1) << r.err;
    EXPECT_EQ(r.err.find("noname"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("The model Duan EOS: near the temperature where CO2's virial coefficient B"),
              std::string::npos)
        << r.err;
    // A salt without standard-state data says so only where state functions
    // are asked for: not for a refused state.
    r = run(V, {"NaCl", "TP", "1500", "100"}, dir);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err.find("have not been found"), std::string::npos) << r.err;
    // A refused state is named with the digits it was given.
    r = run(V, {"wagner", "TP", "1273.0000001", "100"}, dir);
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("the state at 1273.0000001 K and 100 bar"), std::string::npos) << r.err;
    // A Duan-Moller-Weare mixture above the mixture paper's 1000 bar: said
    // once, however many states.
    r = run(V, {"DMW2:H2O,CO2", "x", "0.3", "TP", "800", "2000", "TP", "900", "3000", "TP", "900", "500"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(consoletest::countOf(r.err, "extrapolated above 1000 bar"), 1) << r.err;
    // The mixtures with water from 323.15 K, beyond a dilute solution with
    // their own liquid: 5 % CO2 at 400 K and 300 bar is more than water
    // dissolves (about 2.3 %, Duan & Sun 2003), and splits; its heat
    // capacities are the model's liquid water's, withheld; the vapour at 1
    // bar is given.  A dilute solution is water's liquid, its density given
    // (within 0.8 % of IAPWS-95's for the pure liquid there), its heat
    // capacities withheld.
    r = run(V, {"DMW2:H2O,CO2", "x", "0.05", "TP", "400", "300"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("** Phase: not stable"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("cv           --"), std::string::npos) << r.out;
    r = run(V, {"DMW2:H2O,CO2", "x", "0.01", "TP", "400", "300"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("cv           --"), std::string::npos) << r.out;
    r = run(V, {"DMW2:H2O,CO2", "x", "0.05", "TP", "400", "1"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("** Phase: vapour"), std::string::npos) << r.out;
    // A refused interaction row refuses its states, not the model: the pure
    // end of CH4-H2O is DuanCH4's methane (597.1935 cm3/mol at 700 K and
    // 100 bar), CH4-CO2 answers outside its 305.15-498.15 K row.
    for (const char* name : {"DMW2:H2O,CH4", "DMW2:CH4,H2O"}) {
        r = run(V, {name, "x", std::string(name) == "DMW2:H2O,CH4" ? "1" : "0", "TP", "700", "100"}, dir);
        EXPECT_EQ(r.rc, 0) << name << "\n" << r.err;
        EXPECT_NE(r.out.find("597.194 cm3/mol"), std::string::npos) << name << "\n" << r.out;
    }
    r = run(V, {"DMW2:CO2,CH4", "x", "0.5", "TP", "600", "100", "TP", "420", "1000"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("fugcoef[0]     0.983363"), std::string::npos) << r.out;
    EXPECT_EQ(consoletest::countOf(r.err, "above 305.15 K and up to 498.15 K"), 1) << r.err;
    // Brenvik refuses before its summary, and shows a small ratio as it is.
    r = run(BRENVIK_PROGRAM, {"pv", "m", "-1"}, dir);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.out.find("Summary"), std::string::npos) << r.out;
    r = run(BRENVIK_PROGRAM, {"pv", "m", "1e-300", "d", "200", "pyroclast"}, dir);
    EXPECT_NE(r.out.find("Water-magma mass ratio      :   1e-300 kg"), std::string::npos) << r.out;
}

// Every refusal says why, once, in the user's terms: no trial states of a
// search, no generic sentence beside the reason, computed values to their
// precision, the models and labels by their names, and the missing
// standard-state data only where the quantities they withhold are shown.
TEST(Programs, EveryRefusalSaysWhyOnce) {
    const fs::path dir = freshFolder("why");
    const char* V = VARNOK_PROGRAM;
    auto lines = [](const std::string& s) { return consoletest::countOf(s, "\n"); };
    // A mixture's critical search: its trials at 50-570 K are no message.
    Outcome r = run(V, {"HollowayEOS", "x", "0.415", "crit", "c"}, dir);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err.find("no state of a fluid holding water"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("No critical point of the mixture found at x1 = 0.415 (the model Holloway EOS holds from"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(lines(r.err), 1) << r.err;
    // The saturation curve is a pure fluid's: a mixture's is refused once,
    // naming the commands that give its two-phase envelope.
    for (const char* mixture : {"HollowayEOS", "DMW2:CH4,H2O"}) {
        r = run(V, {mixture, "sat", "a"}, dir);
        EXPECT_EQ(r.rc, 1) << mixture;
        EXPECT_EQ(lines(r.err), 1) << mixture << "\n" << r.err;
        EXPECT_NE(r.err.find("traces the saturation curve of a pure fluid"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("binop (a P-x isotherm through a pressure)"), std::string::npos) << r.err;
    }
    // The spinodals start at the critical point: where there is none, that
    // is said once with the model's range, without the trials' states.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"HollowayEOS", "x", "0.415", "spino", "a", "b"},
          std::vector<std::string>{"DMW2:CH4,H2O", "spino", "a", "b"}}) {
        r = run(V, args, dir);
        EXPECT_EQ(r.rc, 1) << join(args);
        EXPECT_EQ(lines(r.err), 1) << join(args) << "\n" << r.err;
        EXPECT_NE(r.err.find("Cannot find the critical point of the model "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("the mixture has no state there where dP/dV and d2P/dV2 vanish (the model holds from"),
                  std::string::npos)
            << r.err;
    }
    // Pressures the model computed, to six digits.
    struct Computed {
        std::vector<std::string> args;
        const char* said;
    };
    for (const Computed& c : {Computed{{"Kreglewski:CO2", "TV", "663.02", "50.63"}, "663.02 K and 2031.8 bar"},
                              Computed{{"wagner", "TV", "500", "150"}, "500 K and -84719.4 bar"},
                              Computed{{"Sterner", "TV", "219.07", "34.85"}, "At 219.07 K and 609.369 bar CO2 is solid"}}) {
#ifndef VARNOK_WITH_KREGLEWSKI
        if (c.args[0] == "Kreglewski:CO2") continue;
#endif
        r = run(V, c.args, dir);
        EXPECT_EQ(r.rc, 1);
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_EQ(lines(r.err), 1) << r.err;
    }
    // One reason, no generic sentence beside it.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"ZhangDuanH2O", "TV", "2037.60", "4994"},
          std::vector<std::string>{"Montel:CO2,CH4", "bino", "316", "b"},
          std::vector<std::string>{"DMW2:CO2,CH4", "x", "0", "TP", "290", "100"},
          std::vector<std::string>{"SRK1:CO2,CH4", "spinox", "400", "60", "0.3", "a", "b"}}) {
        r = run(V, args, dir);
        EXPECT_EQ(r.rc, 1) << join(args);
        EXPECT_EQ(lines(r.err), 1) << join(args) << "\n" << r.err;
        for (const char* generic : {"No state of the", "Can't find a starting point"})
            EXPECT_EQ(r.err.find(generic), std::string::npos) << r.err;
    }
    // Names: the Peng-Robinson model, the mole fractions of a mixture.
    r = run(V, {"PR:CH4", "TP", "108.7319", "1100"}, dir);  // above the interpreter's 1000 bar
    EXPECT_NE(r.err.find("The model Peng-Robinson holds"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("PRNirma"), std::string::npos) << r.err;
    r = run(V, {"DMW2:CO2,CH4", "x", "0.5", "TP", "600", "100"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("x(CO2)     0.500000\nx(CH4)     0.500000\n"), std::string::npos) << r.out;
    // The formula trees below the model's range: refused, no values.
    r = run(V, {"wagner", "T", "1", "tree"}, dir);
    EXPECT_EQ(r.rc, 1);
    EXPECT_FALSE(holdsNonFinite(r.out)) << r.out;
    EXPECT_NE(r.err.find("its formula trees are not evaluated at 1 K, below it"), std::string::npos) << r.err;
#ifdef VARNOK_WITH_ANDERKO
    // Salts without standard-state data: said where h, s, cp are shown as
    // "--" (the state, the saturation point), not before a refusal.
    const char* withheld = "have not been found in the file compo/standard.txt: h, u, s, cv, cp, the sound speed and "
                           "the Joule-Thomson coefficient are not given (shown as --, and as nan in the curve files).\n";
    r = run(V, {"hn", "x", "0.1", "TP", "700", "500"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("           --"), std::string::npos) << r.out;
    EXPECT_EQ(consoletest::countOf(r.err, withheld), 1) << r.err;
    r = run(V, {"KCl", "psat", "1100"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(consoletest::countOf(r.err, withheld), 1) << r.err;
    for (const std::vector<std::string>& args : {std::vector<std::string>{"NaCl", "TV", "1100", "40"},
                                                 std::vector<std::string>{"KCl", "crit", "a"},
                                                 std::vector<std::string>{"hk", "x", "0.1", "crit", "a"}}) {
        r = run(V, args, dir);
        EXPECT_EQ(r.rc, 1) << join(args);
        EXPECT_EQ(r.err.find("have not been found"), std::string::npos) << join(args) << "\n" << r.err;
    }
    // Below KCl's triple point (1044 K): the solid named; the supercooled
    // liquid's vapour pressure at 600 K printed in a form that shows it.
    r = run(V, {"KCl", "psat", "616"}, dir);
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("No saturation state of KCl found at 616 K: below its triple point, 1044 K, KCl is solid KCl "
                         "(sylvite)"),
              std::string::npos)
        << r.err;
    r = run(V, {"KCl", "psat", "600"}, dir);
    EXPECT_EQ(r.rc, 0) << r.err;
    const std::size_t at = r.out.find("Psat");
    ASSERT_NE(at, std::string::npos) << r.out;
    const double psat = std::strtod(r.out.c_str() + at + 4, nullptr);
    EXPECT_GT(psat, 0.0) << r.out;
    EXPECT_LT(psat, 1e-5) << r.out;
    EXPECT_EQ(r.out.find("0.000000 bar"), std::string::npos) << r.out;
#endif
    // Brenvik: why the supercooled water's irreversible expansion has no end
    // state, and a water-magma ratio that underflows.
    r = run(BRENVIK_PROGRAM, {"TP", "-5", "1"}, dir);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err.find("errorflag"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("the water at 268.15 K is a supercooled liquid, below the triple point of water (273.16 K)"),
              std::string::npos)
        << r.err;
    r = run(BRENVIK_PROGRAM, {"pv", "m", "1e-300"}, dir);
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("Refused at m = 1e-300: the water-magma mass ratio underflows"), std::string::npos) << r.err;
}

// The words of a command quoted on the model page.
static std::vector<std::string> wordsOf(const std::string& command) {
    std::vector<std::string> args;
    std::istringstream words(command);
    for (std::string w; words >> w;) args.push_back(w);
    return args;
}

// The density (kg/m3) or cp (J/(kg K)) of the state the interpreter prints,
// NaN when it prints none.
static double interpreterValue(const std::string& out, bool density) {
    const std::regex value(density ? "-> rho +([0-9.]+) kg/m3" : "-> +cp +([0-9.]+) J/kg/K");
    std::smatch v;
    return std::regex_search(out, v, value) ? std::stod(v[1].str()) : std::nan("");
}

// The model page's table of the models against the reference equations is what
// model_accuracy prints: its header and, for a few of its rows (the whole
// table takes the program about six minutes of processor time), each row exactly as printed.
TEST(Programs, ModelAccuracyRowsAreTheReadmeTable) {
#if VARNOK_SAMPLE_SWEEPS
    GTEST_SKIP() << "the table's figures are checked in the optimised GCC build";
#endif
    const fs::path dir = freshFolder("accuracy");
    const std::string page = consoletest::readModelPage();
    const Outcome r = run(MODEL_ACCURACY_PROGRAM,
                          {"Keenan", "AnderkoH2O", "AnderkoCO2", "DuanCH4", "Kreglewski:N2", "HollowayEOS@1"}, dir);
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::istringstream lines(r.out);
    int rows = 0;
    for (std::string line; std::getline(lines, line); ++rows)
        EXPECT_NE(page.find("\n" + line + "\n"), std::string::npos) << "not on the model page:\n" << line;
    EXPECT_EQ(rows, 8) << r.out;
    // The sentences quoting a command, "`model_accuracy ARGS`: FIGURE and
    // FIGURE": each figure as the command prints it (the page's line breaks
    // are spaces).
    const std::string prose = std::regex_replace(page, std::regex("\\s+"), " ");
    const std::regex quoted("`model_accuracy ([^`]+)`: ([^;)]+)");
    int commands = 0;
    std::map<std::string, Outcome> ran;  // a command quoted twice is run once
    for (std::sregex_iterator q(prose.begin(), prose.end(), quoted), end; q != end; ++q, ++commands) {
        auto it = ran.find((*q)[1].str());
        if (it == ran.end()) it = ran.emplace((*q)[1].str(), run(MODEL_ACCURACY_PROGRAM, wordsOf((*q)[1].str()), dir)).first;
        const Outcome& c = it->second;
        ASSERT_EQ(c.rc, 0) << (*q)[1] << "\n" << c.err;
        const std::string figures = (*q)[2].str();
        for (std::size_t a = 0, b; a < figures.size(); a = b + 5) {
            b = std::min(figures.find(" and ", a), figures.size());
            const std::string figure = figures.substr(a, b - a);
            EXPECT_NE(c.out.find("| " + figure + " |"), std::string::npos) << (*q)[0] << "\n" << c.out;
        }
    }
    EXPECT_GE(commands, 4);
}

// The model page's comparisons of the IUPAC equations (and of models measured
// against them) with the later reference equations of Span & Wagner (CO2,
// 1996) and Setzmann & Wagner (CH4, 1991), whose values the page quotes
// from an evaluation of their published coefficients apart from this
// project: "`varnok MODEL TP T P`: density|cp FIGURE % from NAME's VALUE
// UNIT".  Each figure is the state the interpreter prints against that
// value, within half its last digit.
TEST(Programs, ReadmeFiguresAgainstLaterReferenceEquationsAreTheInterpretersStates) {
    const fs::path dir = freshFolder("later-reference");
    const std::string page = consoletest::readModelPage();
    const std::regex quoted("`varnok ([^`]+)`:\\s+(density|cp)\\s+(\\+|-|\u2212)?([0-9.]+)\\s+%\\s+from\\s+(?:Span|"
                            "Setzmann)\\s+&\\s+Wagner's\\s+([0-9.]+)\\s+(?:kg/m³|J/\\(kg\\s+K\\))");
    int figures = 0;
    for (std::sregex_iterator q(page.begin(), page.end(), quoted), end; q != end; ++q, ++figures) {
        const Outcome r = run(VARNOK_PROGRAM, wordsOf((*q)[1].str()), dir);
        ASSERT_EQ(r.rc, 0) << (*q)[0] << "\n" << r.err;
        const std::smatch& m = *q;
        const double value = interpreterValue(r.out, m[2] == "density");
        ASSERT_FALSE(std::isnan(value)) << (*q)[0] << "\n" << r.out;
        const double printed = (!m[3].matched || m[3] == "+" ? 1.0 : -1.0) * std::stod(m[4].str());
        const double measured = 100.0 * (value / std::stod(m[5].str()) - 1.0);
        EXPECT_NEAR(measured, printed, 0.005 + 1e-9) << (*q)[0];
    }
    EXPECT_GE(figures, 8);
}

// The fluid's line beside an IUPAC state in the near-critical box gives the
// later reference equation's density there and the model's departure from
// it: at the data sheet's states Span & Wagner's densities (evaluated apart
// from this project), the departure that of the printed state from them;
// outside the box the density is the IUPAC equation's own, and no departure
// of the equation from itself is said.
TEST(Programs, IupacStatesNearTheCriticalPointSayTheirDepartureFromTheLaterEquation) {
    const fs::path dir = freshFolder("iupac-critical");
    struct Case {
        const char* model;
        const char* T;
        const char* P;
        double later;  // kg/m3; 0: the IUPAC equation's own density, no departure
    };
    const std::regex line("\\*\\* The fluid: .*\\((IUPAC[A-Z0-9]+|Span & Wagner 1996): ([0-9.]+) kg/m3[^)]*\\)(; the model's "
                          "density ([-+][0-9.e]+) % from it)?");
    for (const Case& c : {Case{"IUPACCO2", "304.1282", "73.6649", 375.81}, Case{"IUPACCO2", "303.2059", "72.0475", 330.29},
                          Case{"IUPACCO2", "317", "94.3", 0.0}, Case{"IUPACCH4", "200", "100", 0.0}}) {
        const Outcome r = run(VARNOK_PROGRAM, {c.model, "TP", c.T, c.P}, dir);
        ASSERT_EQ(r.rc, 0) << c.T << " " << c.P << "\n" << r.err;
        const double rho = interpreterValue(r.out, true);
        std::smatch m;
        ASSERT_TRUE(std::regex_search(r.out, m, line)) << c.T << " " << c.P << "\n" << r.out;
        if (c.later == 0.0) {
            EXPECT_EQ(m[1].str(), c.model) << m[0];
            EXPECT_FALSE(m[3].matched) << m[0];
            continue;
        }
        EXPECT_EQ(m[1].str(), "Span & Wagner 1996") << m[0];
        EXPECT_NEAR(std::stod(m[2].str()), c.later, 0.01) << m[0];
        ASSERT_TRUE(m[3].matched) << m[0];
        EXPECT_NEAR(std::stod(m[4].str()), 100.0 * (rho / c.later - 1.0), 0.051) << m[0];
    }
}

// The model page reads as a page: no line longer than 400 characters
// (UTF-8 counted as characters) and no paragraph, a table included, longer
// than 30 lines.
TEST(Programs, TheModelPageKeepsItsLinesAndParagraphsShort) {
    const std::string page = consoletest::readModelPage();
    std::istringstream lines(page);
    int number = 0, paragraph = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        const auto characters = std::count_if(line.begin(), line.end(), [](char c) { return (c & 0xC0) != 0x80; });
        EXPECT_LE(characters, 400) << "line " << number << ": " << line.substr(0, 80);
        paragraph = line.empty() ? 0 : paragraph + 1;
        EXPECT_LE(paragraph, 30) << "line " << number << ": " << line.substr(0, 80);
    }
    EXPECT_GT(number, 100);
}

// Every row of the model page's table, in groups of four rows run as one
// test each (so that the tests share the cores): what model_accuracy prints
// now for that row's model is the row as the page gives it.  The whole
// table takes the program minutes: under the sanitizers, which add nothing
// to a check of printed figures, only the test above runs it.
// The rows of every table of the model page against the reference
// equations (one table to a family of models), in the page's order.
static std::vector<std::string> modelPageAccuracyRows(const std::string& page) {
    std::vector<std::string> rows;
    for (std::size_t at = page.find("\n| model | fluid | compared over"); at != std::string::npos;
         at = page.find("\n| model | fluid | compared over", at + 1)) {
        std::istringstream lines(page.substr(at + 1));
        std::string line;
        std::getline(lines, line);  // header
        std::getline(lines, line);  // rule
        while (std::getline(lines, line) && line.rfind("| `", 0) == 0) rows.push_back(line);
    }
    return rows;
}

static std::vector<std::vector<std::string>> modelPageTableRowGroups() {
    std::vector<std::vector<std::string>> groups;
    for (const std::string& line : modelPageAccuracyRows(consoletest::readModelPage())) {
        const std::size_t end = line.find('`', 3);
        if (groups.empty() || groups.back().size() == 4) groups.emplace_back();
        groups.back().push_back(line.substr(3, end - 3));
    }
    return groups;
}

class ModelAccuracyReadmeRows : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(ModelAccuracyReadmeRows, AreWhatTheProgramPrints) {
#if VARNOK_SAMPLE_SWEEPS
    GTEST_SKIP() << "the whole table is checked in the optimised GCC build";
#endif
    const std::vector<std::string>& names = GetParam();
    const fs::path dir = freshFolder("accuracy-rows");
    const std::string page = consoletest::readModelPage();
    const Outcome r = run(MODEL_ACCURACY_PROGRAM, names, dir);
    ASSERT_EQ(r.rc, 0) << r.err;
    std::istringstream lines(r.out);
    int rows = 0;
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("| `", 0) == 0) {
            ++rows;
            EXPECT_NE(page.find("\n" + line + "\n"), std::string::npos) << "not on the model page:\n" << line;
        }
    EXPECT_EQ(rows, static_cast<int>(names.size())) << r.out;
}

// Each state of the model page's table, typed into the interpreter for the
// model and for its fluid's reference equation, gives the figure printed
// beside it: no state is rounded across the edge of a refusal, a phase or a
// solid, and no figure is that of a state other than the one printed.  The
// rows of a pure model (a binary's @x rows need a composition first).
TEST(Programs, ModelTableStatesTypedIntoTheInterpreterGiveTheirFigures) {
#if VARNOK_SAMPLE_SWEEPS
    GTEST_SKIP() << "the table is checked in the optimised GCC build";
#endif
    const fs::path dir = freshFolder("accuracy-states");
    const std::string page = consoletest::readModelPage();
    const std::map<std::string, std::string> reference = {
        {"H2O", "WagnerPruss"}, {"CO2", "IUPACCO2"}, {"CH4", "IUPACCH4"}, {"N2", "Jacobsen"}};
    const std::regex cell(R"(^ (?:at least )?([-+][0-9.]+) % at ([0-9.]+) K, ([0-9.]+) (k?bar))");
    const auto valueAt = [&](const std::string& model, const std::string& T, const std::string& P, bool density) {
        const Outcome r = run(VARNOK_PROGRAM, {model, "TP", T, P}, dir);
        return r.rc == 0 ? interpreterValue(r.out, density) : std::nan("");
    };
    int states = 0;
    const std::vector<std::string> rows = modelPageAccuracyRows(page);
    ASSERT_FALSE(rows.empty());
    for (const std::string& line : rows) {
        std::vector<std::string> cells;
        std::istringstream fields(line);
        for (std::string f; std::getline(fields, f, '|');) cells.push_back(f);
        ASSERT_GE(cells.size(), 13u) << line;
        const std::string model = cells[1].substr(2, cells[1].find('`', 2) - 2), fluid = cells[2].substr(1, cells[2].size() - 2);
        if (model.find('@') != std::string::npos) continue;
        // density, cp; within 2 % of the vapour pressure density, cp; near the critical point density
        for (const auto& [column, density] : {std::pair{8, true}, {9, false}, {10, true}, {11, false}, {12, true}}) {
            std::smatch m;
            if (!std::regex_search(cells[column], m, cell)) continue;
            const std::string T = m[2].str();
            const std::string P = m[4] == "kbar" ? std::to_string(std::stod(m[3].str()) * 1000.0) : m[3].str();
            // In the near-critical box of CO2 and CH4 the fluid's density is
            // that of the later reference equation (Span & Wagner, Setzmann
            // & Wagner), evaluated apart from the program's search.
            const ReferenceFluid* row = referenceFluid(fluid.c_str());
            const double later = column == 12 && row ? row->criticalRegionDensity(std::stod(T), std::stod(P) * 1e5)
                                                     : std::nan("");
            const double x = valueAt(model, T, P, density);
            const double base = std::isfinite(later) ? later : valueAt(reference.at(fluid), T, P, density);
            EXPECT_NEAR(100.0 * (x / base - 1.0), std::stod(m[1].str()), 0.006) << model << " at " << T << " K, " << P
                                                                                 << " bar: " << cells[column];
            ++states;
        }
    }
    EXPECT_GE(states, 120);
}

INSTANTIATE_TEST_SUITE_P(Table, ModelAccuracyReadmeRows, testing::ValuesIn(modelPageTableRowGroups()),
                         [](const testing::TestParamInfo<std::vector<std::string>>& info) {
                             return "rows" + std::to_string(4 * info.index + 1) + "to" +
                                    std::to_string(4 * info.index + info.param.size());
                         });

// model_accuracy refuses, with a sentence and no table, an option without
// its value, a value that is no number, and a --range that does not meet the
// box a model is compared over.
TEST(Programs, ModelAccuracyRefusesWhatItCannotMeasure) {
    const fs::path dir = freshFolder("accuracy-bad");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--grid"}, "--grid needs a number of points a side"},
        {{"--grid", "HGK"}, "--grid needs a number of points a side, 2 to 1000, not \"HGK\""},
        {{"--grid", "1"}, "--grid takes 2 to 1000 points a side, not 1"},
        {{"--range", "300", "600", "1"}, "--range needs four numbers"},
        {{"--range", "300", "600", "1", "HGK"}, "--range needs four numbers: Tmin Tmax (K) Pmin Pmax (bar), not \"HGK\""},
        {{"--range", "600", "300", "1", "3000", "HGK"}, "--range takes Tmin < Tmax"},
        {{"--range", "1300", "1500", "1", "3000", "HGK"},
         "--range 1300–1500 K, 1–3000 bar lies outside the box HGK is compared over (273.15–1273 K, 1–10000 bar)"},
        {{"--range", "300", "600", "20000", "30000", "Keenan"}, "--range 300–600 K, 20000–30000 bar lies outside the box Keenan is compared over"},
        {{"--liquids", "HGK"}, "unknown option --liquids"},
        {{"NoSuchModel"}, "NoSuchModel is no model of H2O, CO2, CH4 or N2"},
    };
    for (const auto& [args, said] : cases) {
        const Outcome r = run(MODEL_ACCURACY_PROGRAM, args, dir);
        EXPECT_EQ(r.rc, 1) << join(args);
        EXPECT_EQ(r.out, "") << join(args);
        EXPECT_NE(r.err.find("model_accuracy: " + said), std::string::npos) << join(args) << "\n" << r.err;
    }
}

// Every cycle and diagram option that fails leaves no file in its folder (no
// rows of the refused calculation, no Igor macro that would plot them) and
// says why once; the points of an E(m) diagram left out are said in one
// sentence per cause, and the option's arguments are refused at the first
// slip.
TEST(Programs, EveryFailingBrenvikOptionLeavesNoFile) {
    struct Failing {
        std::vector<std::string> args;
        const char* said;
        bool oneLine;
    };
    const std::vector<Failing> cases = {
        {{"pv", "m", "1e-300"}, "the water-magma mass ratio underflows", true},
        {{"pp", "m", "1e-300"}, "the water-magma mass ratio underflows", true},
        {{"ev", "T1", "-20", "Tm", "0"}, "No point of the E(m) diagram was found between m = 0.001 and 7: every point was refused from m = 0.001 to 7 (309 points): ", false},
        {{"ep", "T1", "-20", "Tm", "0"}, "No point of the E(m) diagram was found between m = 0.001 and 7: every point was refused from m = 0.001 to 7 (309 points): ", false},
        {{"ew", "Tm", "10"}, "the magma temperature Tm (10.00 deg. C) must lie above that of the water at depth", true},
        {{"ev", "Tm", "5000"}, "and at most at the highest temperature of the water model (4726.85 deg. C)", true},
        {{"ew", "frac", "10", "pyroclast", "recharge", "d", "51492"},
         "must lie above that of the water at depth (T1 + geo x d = 1564.76 deg. C)", true},
        {{"pv", "mm", "0.5"}, "Brenvik: unknown keyword \"mm\".\n", true},
        {{"pv", "d", "1e308"}, "the depth d puts the water at depth beyond any state of the water model", true},
        {{"ep", "m", "x"}, "the value \"x\" of \"m\" is not a number", true},
    };
    const fs::path dir = freshFolder("failing");
    for (const Failing& c : cases) {
        const std::string what = "brenvik " + join(c.args);
        const Outcome r = run(BRENVIK_PROGRAM, c.args, dir);
        EXPECT_EQ(r.rc, 1) << what;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << what << "\n" << r.err;
        if (c.oneLine) {
            EXPECT_EQ(consoletest::countOf(r.err, "\n"), 1) << what << "\n" << r.err;
        }
        std::vector<std::string> left;
        for (const auto& e : fs::directory_iterator(dir)) left.push_back(e.path().filename().string());
        EXPECT_TRUE(left.empty()) << what << ": " << join(left);
    }
    // A successful option after them writes its files.
    const Outcome ok = run(BRENVIK_PROGRAM, {"pv", "m", "0.5"}, dir);
    EXPECT_EQ(ok.rc, 0) << ok.err;
    EXPECT_TRUE(fs::exists(dir / "isoc0"));
    // Beyond IAPWS-95's fit, said once; a third number of TP refused; a
    // magma below its solidus noted.
    const Outcome hot = run(BRENVIK_PROGRAM, {"TP", "2000", "1"}, dir);
    EXPECT_EQ(hot.rc, 0) << hot.err;
    EXPECT_EQ(consoletest::countOf(hot.err, "lies beyond the range of IAPWS-95's fit (1273 K, 10000 bar)"), 1) << hot.err;
    const Outcome exsol = run(BRENVIK_PROGRAM, {"exsol", "3000", "1"}, dir);
    EXPECT_EQ(consoletest::countOf(exsol.err, "at 3273.15 K and 1 bar lies beyond the range of IAPWS-95's fit"), 1)
        << exsol.err;
    const Outcome third = run(BRENVIK_PROGRAM, {"TP", "25", "1", "2"}, dir);
    EXPECT_EQ(third.rc, 1);
    EXPECT_EQ(third.err, "Brenvik: the phase \"2\" of TP is none of liquid, water, gas, steam or vapour.\n");
    const Outcome cold = run(BRENVIK_PROGRAM, {"pv", "m", "0.5", "Tm", "100"}, dir);
    EXPECT_NE(cold.err.find("Note: the magma at Tm = 100.00 deg. C lies below its solidus (Tsol = 900.00 deg. C)"),
              std::string::npos)
        << cold.err;
    const Outcome huge = run(BRENVIK_PROGRAM, {"exsol", "1e308", "1"}, dir);
    EXPECT_EQ(huge.err, "Brenvik: the temperature (1e+308 deg. C) lies outside the states of the water model (-21.985 "
                        "to 4726.85 deg. C).\n");
}
