// The fluid command interpreter driven by command words, with missing
// arguments read from a stream, and the model factory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "console/FluidCommands.h"
#include "console/FluidModelFactory.h"
#include "console/WaterStudyModel.h"
#include "console/tests/ConsoleTestSupport.h"
#include "fluid/PhaseRules.h"
#include "fluid/tests/TextRows.h"
#include "water/WagnerPruss.h"
#include "platform/LogSink.h"

using consoletest::capture;
using consoletest::countOf;
using consoletest::readFile;

namespace {

// Command words as the interpreter takes them.
struct Words {
    explicit Words(std::vector<std::string> w) : words(std::move(w)) {
        for (std::string& s : words) ptrs.push_back(s.data());
    }
    int argc() const { return static_cast<int>(ptrs.size()); }
    char* const* argv() { return ptrs.data(); }
    std::vector<std::string> words;
    std::vector<char*> ptrs;
};

// A stream holding `text`, read from the start.
struct Input {
    explicit Input(const std::string& text) : f(std::tmpfile()) {
        if (f) {
            std::fputs(text.c_str(), f);
            std::rewind(f);
        }
    }
    ~Input() {
        if (f) std::fclose(f);
    }
    std::FILE* f;
};

// What a run writes: the results on standard output, then the prompts and
// messages of standard error.
std::string run(FluidPhase& m, std::vector<std::string> w, const std::string& input = "") {
    Words words(std::move(w));
    Input in(input);
    const auto c = capture([&] { runFluidCommands(m, words.argc(), words.argv(), in.f); });
    return c.out + c.err;
}

// Takes "crit" itself: the word never reaches the built-in table.
class HookedWater : public WagnerPruss {
public:
    HookedWater() : WagnerPruss(2) {}
    int doCommandEx(int argc, char* const* argv) override {
        if (argc > 0 && std::strcmp(argv[0], "crit") == 0) {
            ++taken;
            return 1;
        }
        return 0;
    }
    int taken = 0;
};

}  // namespace

TEST(FluidCommand, CriticalPointOfWaterIsIapws95s) {
    const platform::TracesShown traces;  // what is checked here is in the solvers' traces
    WagnerPruss w(2);
    const std::string out = run(w, {"crit", "a"});
    // IAPWS-95: Tc = 647.096 K, pc = 22.064 MPa, rhoc = 322 kg/m3.
    EXPECT_NEAR(w.T, 647.096, 0.01);
    EXPECT_NEAR(w.P * 1e-5, 220.64, 0.05);
    EXPECT_NEAR(w.bulk_molar_weight / w.V, 322.0, 0.5);
    EXPECT_NE(out.find("T     647.09"), std::string::npos) << out;
    const std::string file = readFile("crita");
    EXPECT_EQ(file.rfind("IGOR\nWAVES", 0), 0u);
    EXPECT_NE(file.find("END"), std::string::npos);
    EXPECT_NE(out.find("\nTime "), std::string::npos);
}

TEST(FluidCommand, SaturationPressureAndCurve) {
    WagnerPruss w(2);
    const std::string out = run(w, {"psat", "450", "sat", "s"});
    // IAPWS-95 verification table: 0.932203564 MPa at 450 K.
    ASSERT_NE(out.find("Psat"), std::string::npos) << out;
    double T = 0, P = 0;
    ASSERT_EQ(std::sscanf(out.c_str() + out.find("T "), "T %lf K  Psat %lf", &T, &P), 2);
    EXPECT_DOUBLE_EQ(T, 450.0);
    EXPECT_NEAR(P, 9.32203564, 1e-4);
    // The saturation curve: P, Vl, Vv, T first; every row against the
    // auxiliary vapour-pressure equation.
    const std::string sat = readFile("satus");
    ASSERT_EQ(sat.rfind("IGOR\nWAVES", 0), 0u);
    std::size_t pos = sat.find("BEGIN\n") + 6;
    int rows = 0;
    double Pr, Vl, Vv, Tr;
    while (pos < sat.size() && std::sscanf(sat.c_str() + pos, "%lf %lf %lf %lf", &Pr, &Vl, &Vv, &Tr) == 4) {
        if (Tr > 300.0 && Tr < 640.0) {
            EXPECT_NEAR(Pr * 1e5 / WaterEOS::saturationPressureWagnerPruss(Tr), 1.0, 2e-4) << Tr;
            EXPECT_LT(Vl, Vv);
            ++rows;
        }
        pos = sat.find('\n', pos) + 1;
    }
    EXPECT_GT(rows, 50);
}

TEST(FluidCommand, SaturationAndSpinodalCurvesStopAtTheTriplePoint) {
    // Below the triple point of the major component the liquid is metastable:
    // the curves of "sat" and "spino" end there (CO2 216.592 K, Span & Wagner
    // 1996; water 273.16 K, IAPWS-95), for reference and cubic models alike.
    struct Case {
        const char* model;
        double triple;
    };
    for (const Case& c : {Case{"IUPACCO2", 216.592}, Case{"PR:H2O", 273.16}, Case{"wagner", 273.16}}) {
        SCOPED_TRACE(c.model);
        std::string why;
        std::unique_ptr<FluidPhase> m(createFluidModel(c.model, &why));
        ASSERT_TRUE(m) << why;
        EXPECT_DOUBLE_EQ(m->lowestCurveTemperature(), c.triple);
        for (const char* f : {"satub", "spinobl", "spinobv"}) std::remove(f);
        run(*m, {"sat", "b", "spino", "bl", "bv"});
        // T is column 4 of the saturation rows and column 1 of the spinodal rows.
        for (auto [file, column] : {std::pair{"satub", 3}, std::pair{"spinobl", 0}, std::pair{"spinobv", 0}}) {
            EXPECT_LT(readFile(file).size(), 400000u) << file;
            const auto rows = readTextRows(file);
            double lowest = 1e9;
            for (const auto& r : rows) {
                ASSERT_GT(static_cast<int>(r.size()), column) << file;
                lowest = std::min(lowest, r[static_cast<std::size_t>(column)]);
            }
            // A whole curve (its steps grow where the searches converge at once).
            EXPECT_GT(rows.size(), 50u) << file;
            EXPECT_GE(lowest, c.triple) << file;
            EXPECT_LT(lowest, c.triple + 1.0) << file;
        }
    }
}

TEST(FluidCommand, EmptyListPrintsNothing) {
    WagnerPruss w(2);
    EXPECT_EQ(run(w, {}), "");
}

TEST(FluidCommand, UnknownWordIsReportedAndTheNextRuns) {
    WagnerPruss w(2);
    const std::string out = run(w, {"foo", "T", "350", "bar", "V", "20"});
    EXPECT_NE(out.find("Command foo not recognized\n"), std::string::npos);
    EXPECT_NE(out.find("Command bar not recognized\n"), std::string::npos);
    EXPECT_DOUBLE_EQ(w.T, 350.0);
    EXPECT_DOUBLE_EQ(w.V, 20e-6);
}

TEST(FluidCommand, MissingArgumentsAreAskedForInOrder) {
    WagnerPruss w(2);
    // Read in order from the input; a stream that is no terminal gets no
    // prompt (a script's input is answered, not asked for).
    const std::string out = run(w, {"TP", "300"}, "  1\n");
    EXPECT_EQ(out.find("Expected "), std::string::npos) << out;
    EXPECT_DOUBLE_EQ(w.T, 300.0);
    EXPECT_NEAR(w.P, 1e5, 1e-3);
    // Liquid water at 300 K and 1 bar: 996.5 kg/m3 (IAPWS-95).
    EXPECT_NEAR(w.bulk_molar_weight / w.V, 996.56, 0.05);

    WagnerPruss v(2);
    const std::string out2 = run(v, {"TV"}, "400\n1000\n");
    EXPECT_EQ(countOf(out2, "Expected "), 0);
    EXPECT_DOUBLE_EQ(v.T, 400.0);
    EXPECT_DOUBLE_EQ(v.V, 1e-3);
}

TEST(FluidCommand, BadArgumentsStopTheCommandOnly) {
    WagnerPruss w(2);
    w.temperature(333.0);
    // A word that is not a number: reported, T unchanged, the next command runs.
    std::string out = run(w, {"T", "hot", "V", "25"});
    EXPECT_NE(out.find("The T (K) of the T command must be a number above 0, not \"hot\".\n"), std::string::npos) << out;
    EXPECT_DOUBLE_EQ(w.T, 333.0);
    EXPECT_DOUBLE_EQ(w.V, 25e-6);
    // Non-finite values are refused too.
    out = run(w, {"T", "nan", "T", "inf", "T", "1e999"});
    EXPECT_EQ(countOf(out, "of the T command must be a number above 0, not"), 3) << out;
    EXPECT_NE(out.find("not \"1e999\" (beyond the largest number, 1.8e308)"), std::string::npos) << out;
    // A number below the smallest one kept (a subnormal, or one that
    // underflows to 0) is refused for what it is, not as no number.
    // (T must be above 0: the way out is a larger value, not 0.)
    out = run(w, {"T", "1e-310", "T", "1e-400"});
    EXPECT_EQ(countOf(out, "(below the smallest number kept, 2.2e-308: give a larger value)"), 2) << out;
    EXPECT_DOUBLE_EQ(w.T, 333.0);
    // End of input while an argument is asked for.
    out = run(w, {"TP", "300"}, "");
    EXPECT_NE(out.find("No value was given for P (bar) (a number above 0): the TP command is not run.\n"),
              std::string::npos)
        << out;
    // Suffixes hold 31 characters.
    const std::string longSuffix(32, 'q');
    out = run(w, {"crit", longSuffix});
    EXPECT_NE(out.find("is longer than 31 characters"), std::string::npos);
    EXPECT_EQ(readFile(("crit" + longSuffix).c_str()), "");
    // A word read from the stream longer than any buffer is cut and refused.
    out = run(w, {"crit"}, std::string(5000, 'z') + "\n");
    EXPECT_NE(out.find("is longer than 31 characters"), std::string::npos);
}

TEST(FluidCommand, CompositionOfAThreeComponentModel) {
    std::unique_ptr<FluidPhase> m(createFluidModel("SRK:CO2,CH4,N2"));
    ASSERT_TRUE(m);
    ASSERT_EQ(m->component_count, 3);
    run(*m, {"x", "0.2", "0.3"});
    EXPECT_NEAR(m->x[1], 0.2, 1e-12);
    EXPECT_NEAR(m->x[2], 0.3, 1e-12);
    EXPECT_NEAR(m->x[0], 0.5, 1e-12);
    // Labels name the component; fractions summing above 1 change nothing.
    // (Read from a stream that no one types into: no prompt.)
    std::string out = run(*m, {"x", "0.7"}, "0.6\n");
    EXPECT_EQ(out.find("Expected "), std::string::npos) << out;
    EXPECT_NE(out.find("The x command needs mole fractions that sum to at most 1.\n"), std::string::npos) << out;
    EXPECT_NEAR(m->x[0], 0.5, 1e-12);
    out = run(*m, {"x", "-0.1", "0.2"});
    EXPECT_NE(out.find("must be a mole fraction from 0 to 1, not -0.1"), std::string::npos) << out;
    out = run(*m, {"x", "1e-310", "0.2"});
    EXPECT_NE(out.find("The mole fraction (1,CH4) of the x command must be a mole fraction from 0 to 1, not \"1e-310\" "
                       "(below the smallest number kept, 2.2e-308: give 0 or a larger value)"),
              std::string::npos)
        << out;
    EXPECT_NEAR(m->x[0], 0.5, 1e-12);
    EXPECT_NEAR(m->x[0], 0.5, 1e-12);
    // A one-component model takes no fraction.
    WagnerPruss w(2);
    run(w, {"x", "T", "300"});
    EXPECT_DOUBLE_EQ(w.x[0], 1.0);
    EXPECT_DOUBLE_EQ(w.T, 300.0);
}

TEST(FluidCommand, IsoplethOnAOneComponentModelConsumesNothing) {
    WagnerPruss w(2);
    const std::string out = run(w, {"isop", "T", "351", "tree"});
    EXPECT_DOUBLE_EQ(w.T, 351.0);
    EXPECT_EQ(out.find("not recognized"), std::string::npos);
}

TEST(FluidCommand, ModelHookComesFirst) {
    HookedWater w;
    const std::string out = run(w, {"crit", "T", "310"});
    EXPECT_EQ(w.taken, 1);
    EXPECT_DOUBLE_EQ(w.T, 310.0);
    EXPECT_EQ(out.find("cv "), std::string::npos);
}

TEST(FluidCommand, IsothermFileFromCubicCentimetres) {
    WagnerPruss w(2);
    // (At 400 K water's saturated liquid has 19.2 cm3/mol: from 18 cm3/mol the
    // isotherm starts in the compressed liquid.)
    run(w, {"isotherm", "400", "18", "1000", "a"});
    const std::string file = readFile("isota");
    ASSERT_EQ(file.rfind("IGOR\nWAVES", 0), 0u);
    double V0 = 0, P0 = 0;
    ASSERT_EQ(std::sscanf(file.c_str() + file.find("BEGIN\n") + 6, "%lf %lf", &V0, &P0), 2);
    // The first row at 18 cm3/mol, a compressed liquid at 400 K.
    EXPECT_NEAR(V0, 18.0, 1e-6 * 18.0 + 1e-3);
}

TEST(ModelFactory, NamesBuildTheirModels) {
    struct Case {
        const char* name;
        const char* component;
    };
    const Case cases[] = {{"wagner", "H2O"},   {"WagnerPruss", "H2O"}, {"HGK", "H2O"},      {"Saul", "H2O"},
                          {"Hill", "H2O"},     {"Keenan", "H2O"},      {"DuanH2O", "H2O"},  {"IUPACCO2", "CO2"},
                          {"Sterner", "CO2"},  {"DuanCO2", "CO2"},     {"IUPACCH4", "CH4"}, {"DuanCH4", "CH4"},
                          {"Jacobsen", "N2"},  {"HollowayEOS", "H2O"}, {"SRK1:CO2", "CO2"}, {"PR:H2O", "H2O"},
                          {"PRSV:CH4", "CH4"}, {"SRK2:CO2,CH4", "CO2"}, {"Montel:C1", nullptr},
                          {"DMW1:N2", "N2"},   {"DMWEOS:H2O", "H2O"}, {"DMWEOS:CH4", "CH4"},
                          {"DMW2:H2O,CO2", "H2O"}, {"ZhangDuanH2O", "H2O"}};
    for (const Case& c : cases) {
        std::string why;
        std::unique_ptr<FluidPhase> m(createFluidModel(c.name, &why));
        ASSERT_TRUE(m) << c.name << ": " << why;
        ASSERT_GE(m->component_count, 1) << c.name;
        if (c.component) {
            EXPECT_STREQ(m->componentName(0), c.component) << c.name;
        }
    }
#ifdef VARNOK_WITH_ANDERKO
    for (const Case& c : {Case{"hn", "H2O"}, Case{"hnc", "H2O"}, Case{"AnderkoH2O", "H2O"}, Case{"AnderkoCO2", "CO2"}}) {
        std::string why;
        std::unique_ptr<FluidPhase> m;
        capture([&] { m.reset(createFluidModel(c.name, &why)); });
        ASSERT_TRUE(m) << c.name << ": " << why;
        EXPECT_STREQ(m->componentName(0), c.component) << c.name;
    }
#endif
#ifdef VARNOK_WITH_KREGLEWSKI
    {
        std::unique_ptr<FluidPhase> k(createFluidModel("Kreglewski:CH4,CO2"));
        ASSERT_TRUE(k);
        EXPECT_EQ(k->component_count, 2);
        EXPECT_STREQ(k->componentName(1), "CO2");
    }
#endif
    std::unique_ptr<FluidPhase> w(createFluidModel("wagner"));
    EXPECT_NE(dynamic_cast<WaterStudyModel*>(w.get()), nullptr);
    std::unique_ptr<FluidPhase> mix(createFluidModel("SRK1:CO2,CH4"));
    ASSERT_EQ(mix->component_count, 2);
    EXPECT_NEAR(mix->x[0], 0.5, 1e-12);
}

TEST(ModelFactory, BadNamesGiveNullWithAReason) {
    const char* bad[] = {"nosuch", "Wagner", "", "SRK", "SRK:", "SRK:CO2,,CH4", "SRK2:CO2", "DMW1:Xe",
                         "DMW1:CO2,CH4", "DMW2:N2,CO2", "DMWEOS:CO2,CH4,H2O", "SRK1:A,B,C,D,E,F",
                         "PR:co2,CH4", "SRK1:CH4,co2", "PRSV:co2", "SRK2:N2,co2", "Montel:co2"};
    for (const char* n : bad) {
        std::string why;
        std::unique_ptr<FluidPhase> m;
        // The reason is the one sentence: what building the model printed on
        // the way (a component file not found) is not said beside it.
        const auto c = capture([&] { m.reset(createFluidModel(n, &why)); });
        EXPECT_FALSE(m) << n;
        EXPECT_FALSE(why.empty()) << n;
        EXPECT_EQ(c.out + c.err, "") << n;
    }
    std::string why;
    // A caller that takes no reason is told what building printed.
    const auto told = capture([] { EXPECT_EQ(createFluidModel("PR:co2", nullptr), nullptr); });
    EXPECT_NE(told.err.find("compo/co2"), std::string::npos) << told.err;
    EXPECT_EQ(createFluidModel(nullptr, &why), nullptr);
    const std::string longName = "SRK1:" + std::string(40, 'C');
    EXPECT_EQ(createFluidModel(longName.c_str(), &why), nullptr);
    EXPECT_NE(why.find("31"), std::string::npos);
#ifndef VARNOK_WITH_ANDERKO
    for (const char* n : {"hnc", "hn", "hk", "hnk", "NaCl", "KCl", "AnderkoH2O"}) {
        EXPECT_EQ(createFluidModel(n, &why), nullptr) << n;
        EXPECT_NE(why.find("not part of this build"), std::string::npos) << n;
    }
#else
    // A system the Anderko model does not treat: a reason, not the end of the process.
    capture([&] { EXPECT_EQ(createFluidModel("hnk", &why), nullptr); });
    EXPECT_NE(why.find("H2O-NaCl-KCl"), std::string::npos) << why;
#endif
#ifdef VARNOK_WITH_KREGLEWSKI
    for (const char* n : {"Kreglewski:Xe", "Kreglewski:CH4,CO2,N2"}) {
        EXPECT_EQ(createFluidModel(n, &why), nullptr) << n;
        EXPECT_NE(why.find("Kreglewski takes"), std::string::npos) << n;
    }
#endif
}

// One component named twice is no mixture of two fluids: every model that
// takes its components by name refuses it, naming the component (built, DMW2's
// H2O,H2O gave a "not stable" gas of 60 kg/m3 where IAPWS-95 has a liquid of
// 838.02 kg/m3 at 500 K and 100 bar), and builds the same name without it.
TEST(ModelFactory, AComponentNamedTwiceIsRefusedByEveryModel) {
    for (const FluidModelEntry& e : fluidModelRegistry()) {
        if (!e.components) continue;
        const std::string model(e.name);
        std::string why;
        for (const std::string comps : {"H2O,H2O", "CO2,CO2", "CH4,CO2,CH4"}) {
            const std::string name = model + ":" + comps;
            capture([&] { EXPECT_EQ(createFluidModel(name.c_str(), &why), nullptr) << name; });
            EXPECT_EQ(why, "The mixture " + name + " names the component " + comps.substr(0, 3) +
                               " twice: name each component once");
        }
        std::unique_ptr<FluidPhase> m;
        capture([&] { m.reset(createFluidModel((model + (model == "DMW1" ? ":CO2" : ":CO2,CH4")).c_str(), &why)); });
        EXPECT_TRUE(m) << model << ": " << why;
    }
}

TEST(ModelFactory, TheReadmeTableNamesEveryModelOfTheRegistryAndNoOther) {
    // The first column of the model page's table "Where each model holds": each
    // name in backticks, "MODEL:" or "MODEL:COMPONENTS" for a model whose
    // components follow its name.  Every row has the header's columns.
    const std::string page = consoletest::readModelPage();
    const std::size_t table = page.find("\n| model |", page.find("## Where each model holds"));
    ASSERT_NE(table, std::string::npos);
    const auto columns = [&](std::size_t pos) {
        const std::string line = page.substr(pos, page.find('\n', pos) - pos);
        return std::count(line.begin(), line.end(), '|') - 1;
    };
    const auto header = columns(table + 1);
    EXPECT_EQ(header, 4);  // model, fluids, range, source
    std::vector<std::pair<std::string, bool>> named;  // model word, with components
    for (std::size_t pos = page.find('\n', table + 1) + 1; page.compare(pos, 1, "|") == 0;
         pos = page.find('\n', pos) + 1) {
        EXPECT_EQ(columns(pos), header) << page.substr(pos, page.find('\n', pos) - pos);
        const std::string cell = page.substr(pos + 1, page.find('|', pos + 1) - pos - 1);
        for (std::size_t a = cell.find('`'); a != std::string::npos; a = cell.find('`', a + 1)) {
            const std::size_t b = cell.find('`', a + 1);
            ASSERT_NE(b, std::string::npos) << cell;
            const std::string word = cell.substr(a + 1, b - a - 1);
            const std::size_t colon = word.find(':');
            named.emplace_back(word.substr(0, colon), colon != std::string::npos);
            a = b;
        }
    }
    ASSERT_GT(named.size(), 20u);
    const std::string list = fluidModelNames();
    for (const FluidModelEntry& e : fluidModelRegistry()) {
        const bool listed = e.group != nullptr;  // a name that builds no model is in neither
        const bool inReadme = std::any_of(named.begin(), named.end(), [&](const auto& n) { return n.first == e.name; });
        EXPECT_EQ(inReadme, listed) << e.name;
        const std::string shown = std::string(" ") + e.name + (e.components ? ":" : "");
        EXPECT_EQ(list.find(shown) != std::string::npos, listed) << e.name << "\n" << list;
    }
    for (const auto& [word, components] : named) {
        const auto reg = fluidModelRegistry();
        const auto e = std::find_if(reg.begin(), reg.end(), [&w = word](const FluidModelEntry& r) { return w == r.name; });
        ASSERT_NE(e, reg.end()) << word << " is on the model page but not in the registry";
        // "DMW1:H2O" names a component of a model that takes them; a model
        // of fixed components is named without a colon.
        EXPECT_EQ(components, e->components) << word;
    }
}

namespace {

// A figure of the model page as printed and the half unit of its last digit.
struct Printed {
    double value = std::nan("");
    double halfUnit = 0.0;
    bool given() const { return !std::isnan(value); }
};

Printed printed(const std::smatch& m, int group) {
    Printed p;
    if (!m[group].matched) return p;
    const std::string s = m[group].str();
    p.value = std::stod(s);
    const std::size_t dot = s.find('.');
    p.halfUnit = 0.5 * std::pow(10.0, dot == std::string::npos ? 0.0 : -double(s.size() - dot - 1));
    return p;
}

// One model of a name of the model page's table: a family named "SRK:" is built
// for one of its fluids.
std::unique_ptr<FluidPhase> modelOfReadmeName(const std::string& word) {
    std::string name = word;
    if (!word.empty() && word.back() == ':') {
        const std::string family = word.substr(0, word.size() - 1);
        name += family == "DMW2" || family == "DMWEOS" ? "H2O,CO2" : family == "SRK2" ? "CH4,N2" : "CO2";
    }
    return std::unique_ptr<FluidPhase>(createFluidModel(name.c_str()));
}

}  // namespace

TEST(ModelFactory, TheReadmeTableGivesEachModelsOwnRange) {
    // The range column of the model page's table "Where each model holds" against
    // the range every model of the row carries: "Tmin–Tmax K" (Tmax alone
    // after words), "≤ Pmax bar" or "Pmin–Pmax bar", "vapour only below T K",
    // "extrapolated above P bar", each to the digits printed.
    const std::string page = consoletest::readModelPage();
    const std::size_t table = page.find("\n| model |", page.find("## Where each model holds"));
    ASSERT_NE(table, std::string::npos);
    const std::regex thousands("([0-9]) ([0-9]{3})(?![0-9])"), word("`([^`]+)`");
    const std::regex temperatures("^ *(?:([0-9.]+)|[^|]*?)–([0-9.]+) K"), pressures("(?:≤ |([0-9.]+)–)([0-9.]+) bar"),
        vapourOnly("vapour only below ([0-9.]+) K"), extrapolated("extrapolated above ([0-9.]+) bar");
    int checked = 0;
    for (std::size_t pos = page.find('\n', page.find('\n', table + 1) + 1) + 1; page.compare(pos, 1, "|") == 0;
         pos = page.find('\n', pos) + 1) {
        const std::string line = page.substr(pos, page.find('\n', pos) - pos);
        std::vector<std::string> cells;
        for (std::size_t a = 1, b; (b = line.find('|', a)) != std::string::npos; a = b + 1) cells.push_back(line.substr(a, b - a));
        ASSERT_GE(cells.size(), 3u) << line;
        const std::string range = std::regex_replace(cells[2], thousands, "$1$2");
        std::smatch t, p, v, e;
        ASSERT_TRUE(std::regex_search(range, t, temperatures)) << range;
        ASSERT_TRUE(std::regex_search(range, p, pressures)) << range;
        const bool saysVapourOnly = std::regex_search(range, v, vapourOnly);
        const bool saysExtrapolated = std::regex_search(range, e, extrapolated);
        for (std::sregex_iterator w(cells[0].begin(), cells[0].end(), word), end; w != end; ++w) {
            const std::string name = (*w)[1].str();
            std::unique_ptr<FluidPhase> m;
            capture([&] { m = modelOfReadmeName(name); });
            ASSERT_TRUE(m) << name;
            const ValidityRange r = m->validity;
            const auto expectPrinted = [&](const Printed& x, double value, const char* what) {
                if (!x.given()) return;
                EXPECT_NEAR(value, x.value, x.halfUnit * (1.0 + 1e-12)) << name << " " << what << ": " << range;
            };
            expectPrinted(printed(t, 1), r.Tmin, "Tmin");
            expectPrinted(printed(t, 2), r.Tmax, "Tmax");
            expectPrinted(printed(p, 2), r.Pmax, "Pmax");
            if (p[1].matched) {
                expectPrinted(printed(p, 1), r.Pmin, "Pmin");
            } else {
                EXPECT_EQ(r.Pmin, 0.0) << name << ": " << range;
            }
            if (saysVapourOnly) {
                expectPrinted(printed(v, 1), r.vapourOnlyBelow, "vapour only below");
            } else {
                EXPECT_LE(r.vapourOnlyBelow, r.Tmin) << name << ": " << range;  // no limit inside the range
            }
            if (saysExtrapolated) {
                expectPrinted(printed(e, 1), r.extrapolatedAbove, "extrapolated above");
            } else {
                EXPECT_TRUE(std::isinf(r.extrapolatedAbove)) << name << ": " << range;
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 30);
}

TEST(ModelFactory, GetEOSUsesTheInstalledFactory) {
    FluidPhase::eosFactory = nullptr;
    EXPECT_EQ(FluidPhase::getEOS("wagner"), nullptr);
    installFluidModelFactory();
    std::unique_ptr<FluidPhase> m(FluidPhase::getEOS("HGK"));
    ASSERT_TRUE(m);
    EXPECT_EQ(FluidPhase::getEOS(nullptr), nullptr);
    const auto c = capture([] { EXPECT_EQ(FluidPhase::getEOS("nosuch"), nullptr); });
    EXPECT_NE(c.err.find("Unknown model nosuch"), std::string::npos);
    // The models the factory builds run the interpreter: CO2's critical point
    // (Span and Wagner: 304.1282 K, 7.3773 MPa).
    std::unique_ptr<FluidPhase> co2(FluidPhase::getEOS("Sterner"));
    ASSERT_TRUE(co2);
    run(*co2, {"crit", "c"});
    EXPECT_NEAR(co2->T, 304.13, 0.1);
    EXPECT_NEAR(co2->P * 1e-5, 73.77, 0.3);
}

// The state from T and P of a pure fluid is the root of lowest Gibbs energy:
// across the published boiling temperatures and vapour pressures the phase
// changes from liquid to vapour, and both roots exist on either side.
TEST(StableState, PhaseChangesAtThePublishedVapourPressure) {
    struct Sweep {
        FluidPhase* model;
        double P_bar;             // for a sweep in T ...
        double Tsat;              // ... across this boiling temperature,
        double T;                 // or for a sweep in P at this T ...
        double Psat;              // ... across this vapour pressure
    };
    WagnerPruss water(2);
    std::unique_ptr<FluidPhase> co2(createFluidModel("IUPACCO2"));
    ASSERT_TRUE(co2);
    // IAPWS-95 (Wagner & Pruss 2002): Tsat(0.1 MPa) = 372.7559 K, Tsat(1 MPa) =
    // 453.0356 K; CO2 (Span & Wagner 1996): psat(250 K) = 1.7850 MPa.
    const Sweep sweeps[] = {{&water, 1.0, 372.7559, 0, 0}, {&water, 10.0, 453.0356, 0, 0}, {co2.get(), 0, 0, 250.0, 17.850}};
    for (const Sweep& s : sweeps) {
        FluidPhase& m = *s.model;
        for (int k = -8; k <= 8; ++k) {
            if (k == 0) continue;
            const double T = s.P_bar > 0 ? s.Tsat + k : s.T;
            const double P = s.P_bar > 0 ? s.P_bar : s.Psat + 0.25 * k;
            const FluidPhase::StableState st = m.calculateStableStateFromTP(T, P, true);
            const bool liquid = s.P_bar > 0 ? k < 0 : k > 0;
            EXPECT_EQ(st.phase, liquid ? FluidPhase::kPhaseLiquid : FluidPhase::kPhaseVapour) << T << " K " << P << " bar";
            EXPECT_EQ(st.otherPhase, liquid ? FluidPhase::kPhaseVapour : FluidPhase::kPhaseLiquid) << T << " K";
            EXPECT_NEAR(FluidPhase::R * m.Z * T / m.V, P * 1e5, 1e-6 * P * 1e5);
            // The other root is the one of higher Gibbs energy; the roots are
            // ranked by R T sum x ln phi, whose difference is that of G.
            const double Gfull = m.G, G = m.rootGibbsEnergy();
            double V = 0.0, Gother = 0.0;
            ASSERT_TRUE(m.pressureRootFromTP(liquid ? 1 : 2, T, P, V, Gother));
            EXPECT_NEAR(V, st.otherV, 1e-9 * V);
            EXPECT_GT(Gother, G);
            EXPECT_NEAR(Gother - G, m.G - Gfull, 1e-7 * std::fabs(Gfull) + 1e-6);
        }
    }
    // Near the critical point of CO2 (the case): at 302.125 K and 70 bar,
    // below the model's own vapour pressure there, the vapour is the stable phase.
    ASSERT_EQ(co2->calculateTheSaturationPressure(302.125), 0);
    const double psat = co2->P * 1e-5;
    ASSERT_GT(psat, 70.0);
    EXPECT_EQ(co2->calculateStableStateFromTP(302.125, 70.0).phase, FluidPhase::kPhaseVapour);
    EXPECT_EQ(co2->calculateStableStateFromTP(302.125, psat + 1.0).phase, FluidPhase::kPhaseLiquid);
}

namespace {

// One state of a stable-state sweep and what the model was left in.
struct StableAnswer {
    double T, P, V;
    int phase;
};

// The stable state at (T, P) against every root a scan of the isotherm finds
// (pressureRootsFromTP) and against the volume searches of each phase kind:
// the root of lowest Gibbs energy, the search of the side of psat away from
// it, the lower of the two within a relative 1e-4 of it.
StableAnswer checkStableState(FluidPhase& m, const char* name, double T, double P, double psat) {
    SCOPED_TRACE(testing::Message() << name << " " << T << " K " << P << " bar");
    const FluidPhase::StableState st = m.calculateStableStateFromTP(T, P, true);
    EXPECT_EQ(m.errorflag, 0);
    const StableAnswer a{T, P, m.V, st.phase};
    EXPECT_NEAR(FluidPhase::R * m.Z * T / m.V, P * 1e5, 1e-6 * P * 1e5);
    const FluidPhase::PhaseRoots r = m.pressureRootsFromTP(T, P);
    EXPECT_TRUE(r.liquid.found);
    const bool two = r.liquid.found && r.vapour.found;
    const FluidPhase::PhaseRoot& lowest = two && r.vapour.G < r.liquid.G ? r.vapour : r.liquid;
    EXPECT_NEAR(a.V, lowest.V, 1e-9 * a.V);
    if (two) {
        EXPECT_NE(st.otherPhase, FluidPhase::kPhaseNone);
        EXPECT_NEAR(st.otherV, &lowest == &r.liquid ? r.vapour.V : r.liquid.V, 1e-9 * st.otherV);
    }
    if (!(psat > 0.0)) {  // above the critical temperature: the one root, named as every root is
        EXPECT_FALSE(two);
        EXPECT_EQ(st.phase, m.namePhase(r, r.liquid.V, P));
        return a;
    }
    double Vl = 0.0, Gl = 0.0, Vv = 0.0, Gv = 0.0;
    if (std::fabs(P / psat - 1.0) > 1e-4) {
        const bool liquid = P > psat;
        EXPECT_EQ(st.phase, liquid ? FluidPhase::kPhaseLiquid : FluidPhase::kPhaseVapour);
        EXPECT_TRUE(m.pressureRootFromTP(liquid ? 2 : 1, T, P, Vl, Gl));
        EXPECT_NEAR(a.V, Vl, 1e-10 * a.V);
    } else {
        EXPECT_TRUE(m.pressureRootFromTP(2, T, P, Vl, Gl));
        EXPECT_TRUE(m.pressureRootFromTP(1, T, P, Vv, Gv));
        EXPECT_NEAR(a.V, Gl <= Gv ? Vl : Vv, 1e-10 * a.V);
        EXPECT_EQ(st.phase, Gl <= Gv ? FluidPhase::kPhaseLiquid : FluidPhase::kPhaseVapour);
        EXPECT_EQ(st.phase, P > psat ? FluidPhase::kPhaseLiquid : FluidPhase::kPhaseVapour);
    }
    return a;
}

// Below the critical temperature, from a third of psat to thirty times it
// (within 3e-5 of psat on either side); above it, a tenth to five times the
// critical pressure; then the same states in the reverse order, which give
// the same volumes to the bit.
void sweepStableStates(FluidPhase& m, const char* name, const std::vector<double>& Ts, double Tc, double Pc) {
    std::vector<StableAnswer> answers;
    for (double T : Ts) {
        ASSERT_EQ(m.calculateTheSaturationPressure(T, false), 0) << name << " " << T;
        const double psat = m.Pv_sat * 1e-5;
        for (double f : {0.3, 0.99, 0.9999, 1.0 - 3e-5, 1.0 + 3e-5, 1.0001, 1.01, 3.0, 30.0})
            answers.push_back(checkStableState(m, name, T, f * psat, psat));
    }
    for (double t : {1.02, 1.5})
        for (double p : {0.1, 1.0, 5.0}) answers.push_back(checkStableState(m, name, t * Tc, p * Pc, 0.0));
    for (auto a = answers.rbegin(); a != answers.rend(); ++a) {
        const FluidPhase::StableState st = m.calculateStableStateFromTP(a->T, a->P);
        EXPECT_EQ(m.V, a->V) << name << " " << a->T << " K " << a->P << " bar";
        EXPECT_EQ(st.phase, a->phase) << name << " " << a->T << " K " << a->P << " bar";
    }
}

}  // namespace

// Critical points: IAPWS-95 647.096 K, 220.64 bar (Wagner & Pruss 2002); CO2
// 304.1282 K, 73.773 bar (Span & Wagner 1996); the Peng-Robinson equation of
// water is built on 647.13 K and 220.55 bar.
TEST(StableState, IsTheSearchOfTheSideOfTheSaturationPressureOrTheLowerGibbsEnergyNearIt) {
    WagnerPruss water(2);
    sweepStableStates(water, "Wagner & Pruss", {300.0, 450.0, 620.0}, 647.096, 220.64);
    std::unique_ptr<FluidPhase> co2(createFluidModel("IUPACCO2"));
    ASSERT_TRUE(co2);
    sweepStableStates(*co2, "IUPAC CO2", {230.0, 280.0, 302.0}, 304.1282, 73.773);
    std::unique_ptr<FluidPhase> pr(createFluidModel("PR:H2O"));
    ASSERT_TRUE(pr);
    sweepStableStates(*pr, "Peng-Robinson H2O", {350.0, 550.0}, 647.13, 220.55);
}

// Each reference model from the lowest temperature of its range (the triple
// point) to within 1e-4 K of its own critical point, at pressures from 1e-9
// to 1e-2 (relative) on either side of its own saturation pressure: above
// it the stable state is a liquid at least as dense as the saturated liquid,
// below it a vapour at most as dense as the saturated vapour, and the
// metastable root, where there is one, lies between the saturated volumes.
// A model that computed every state before answers the same.  Above its
// own critical temperature the one root is a supercritical fluid at and above
// its own critical pressure, a vapour below it.
TEST(StableState, OnEachSideOfTheSaturationPressureFromTheTriplePointToTheCriticalPoint) {
    for (const char* name : {"wagner", "HGK", "Saul", "Hill", "Keenan", "IUPACCO2", "IUPACCH4", "Jacobsen"}) {
        std::unique_ptr<FluidPhase> before(createFluidModel(name)), probe(createFluidModel(name));
        ASSERT_TRUE(before && probe) << name;
        ASSERT_TRUE(probe->findTheCriticalPoint()) << name;
        const double Tc = probe->T, Pc = probe->P * 1e-5, Tmin = PhaseRules(*probe).effectiveRange().Tmin;
        for (double T : {Tc + 1e-3, Tc + 0.5, 1.02 * Tc})
            for (double f : {-0.1, -1e-3, 1e-3, 0.1}) {
                const FluidPhase::StableState st = before->calculateStableStateFromTP(T, Pc * (1.0 + f), true);
                EXPECT_EQ(st.phase, f > 0.0 ? FluidPhase::kPhaseSupercritical : FluidPhase::kPhaseVapour)
                    << name << " " << T << " K " << Pc * (1.0 + f) << " bar";
                EXPECT_EQ(st.otherPhase, FluidPhase::kPhaseNone) << name << " " << T << " K";
            }
        for (double T : {Tmin, Tmin + 1e-3, 0.5 * (Tmin + Tc), 0.99 * Tc, Tc - 0.1, Tc - 1e-3, Tc - 1e-4}) {
            std::unique_ptr<FluidPhase> sat(createFluidModel(name));
            ASSERT_EQ(sat->calculateTheSaturationPressure(T, false), 0) << name << " " << T;
            const double psat = sat->Pv_sat * 1e-5, Vl = sat->Vl_sat, Vv = sat->Vv_sat;
            for (double f : {1e-2, 1e-4, 3e-5, 1e-6, 1e-9, -1e-9, -1e-6, -3e-5, -1e-4, -1e-2}) {
                const double P = psat * (1.0 + f);
                const bool liquid = f > 0.0;
                SCOPED_TRACE(testing::Message() << name << " " << T << " K " << P << " bar");
                std::unique_ptr<FluidPhase> m(createFluidModel(name));
                const FluidPhase::StableState st = m->calculateStableStateFromTP(T, P, true);
                EXPECT_EQ(st.phase, liquid ? FluidPhase::kPhaseLiquid : FluidPhase::kPhaseVapour);
                if (liquid)
                    EXPECT_LE(m->V, Vl * (1.0 + 1e-9));
                else
                    EXPECT_GE(m->V, Vv * (1.0 - 1e-9));
                if (st.otherPhase != FluidPhase::kPhaseNone) {
                    EXPECT_EQ(st.otherPhase, liquid ? FluidPhase::kPhaseVapour : FluidPhase::kPhaseLiquid);
                    EXPECT_GT(st.otherV, Vl * (1.0 - 1e-9));
                    EXPECT_LT(st.otherV, Vv * (1.0 + 1e-9));
                }
                const FluidPhase::StableState again = before->calculateStableStateFromTP(T, P, true);
                EXPECT_EQ(again.phase, st.phase);
                EXPECT_NEAR(before->V, m->V, 1e-9 * m->V);
            }
        }
    }
}
