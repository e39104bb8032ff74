// The Brenvik option words driven with argument vectors, output captured.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "console/WaterMagmaModel.h"
#include "console/tests/ConsoleTestSupport.h"
#include "platform/LogSink.h"

using consoletest::Args;
using consoletest::capture;
using consoletest::Captured;
using consoletest::countOf;

namespace {

struct Outcome {
    int rc = -1;
    Captured io;
};

Outcome brenvik(std::vector<std::string> words) {
    words.insert(words.begin(), "brenvik");
    Args a(std::move(words));
    WaterMagmaModel w(2);
    Outcome r;
    r.io = capture([&] { r.rc = w.doWaterMagmaCommand(a.argc(), a.argv()); });
    return r;
}

}  // namespace

TEST(Brenvik, BannerAboutAndUnknownWords) {
    Outcome r = brenvik({});
    EXPECT_EQ(r.rc, 0);
    EXPECT_NE(r.io.out.find("                   Brenvik \n"), std::string::npos);
    EXPECT_NE(r.io.out.find("=============================================\n\nTo use this program"), std::string::npos);
    int options = 0;
    for (const char* w : {"a     :", "pv    :", "pp    :", "pw    :", "ev    :", "ep    :", "ew    :", "TP    :",
                          "TV    :", "psat  :", "tsat  :", "exsol :", "heat  :", "satu  :", "spino :"})
        options += countOf(r.io.out, std::string("\n") + w);
    EXPECT_EQ(options, 15);

    r = brenvik({"a"});
    EXPECT_NE(r.io.out.find("Wagner and Pruss (95)"), std::string::npos);
    EXPECT_NE(r.io.out.find("\tVersion 1.0 - April 2009\n"), std::string::npos);

    r = brenvik({"pz"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.io.out, "");
    EXPECT_NE(r.io.err.find("unknown option \"pz\""), std::string::npos);

    WaterMagmaModel w;
    EXPECT_EQ(w.doWaterMagmaCommand(0, nullptr), 0);
}

TEST(Brenvik, TemperaturePressureWordsPickThePhase) {
    Outcome liquid = brenvik({"TP", "100", "1"});
    EXPECT_EQ(liquid.rc, 0);
    EXPECT_NE(liquid.io.out.find("Reversible isentropic expansion :"), std::string::npos);
    EXPECT_NE(liquid.io.out.find("958.3"), std::string::npos);  // liquid density, kg/m3
    Outcome steam = brenvik({"TP", "100", "1", "steam"});
    EXPECT_EQ(steam.rc, 0);
    EXPECT_EQ(steam.io.out.find("958.3"), std::string::npos);
    EXPECT_NE(steam.io.out.find("Superheated steam"), std::string::npos);

    Outcome tv = brenvik({"TV", "500", "266.506", "gas"});
    EXPECT_EQ(tv.rc, 0);
    EXPECT_NE(tv.io.out.find("Condensation point at"), std::string::npos);

    Outcome one = brenvik({"TP", "100"});
    EXPECT_NE(one.io.err.find("Syntax: TP <temperature in deg. C>   <pressure in bar>  (<phase>)\n"),
              std::string::npos);
    EXPECT_EQ(one.rc, 1);
    Outcome four = brenvik({"TP", "100", "1", "steam", "x"});
    EXPECT_EQ(four.rc, 1);
    EXPECT_EQ(four.io.out, "");
    EXPECT_NE(four.io.err.find("at most three arguments"), std::string::npos);
}

TEST(Brenvik, BadNumbersAreReportedWithoutACalculation) {
    struct Case {
        std::vector<std::string> words;
        const char* message;
    } cases[] = {
        {{"TP", "hot", "1"}, "\"hot\" is not a number"},
        {{"TP", "-300", "1"}, "temperature (-300.00 deg. C) lies outside the states of the water model"},
        {{"TP", "100", "0"}, "pressure (0 bar) lies outside the states of the water model"},
        {{"psat", "1e999"}, "is not a number"},
        {{"TV", "300", "5"}, "outside the stable states"},
        {{"TP", "6000", "10"}, "outside the states of the water model (-21.985 to 4726.85 deg. C)"},
        // IAPWS-95 from its lowest temperature, 251.165 K, extrapolated up to
        // 5000 K and 100 000 bar: the starting states of every word.
        {{"TP", "-30", "100"}, "temperature (-30.00 deg. C) lies outside"},
        {{"TP", "1200", "1e6"}, "pressure (1e+06 bar) lies outside"},
        {{"heat", "300", "100", "1e5"}, "final temperature (100000.00 deg. C) lies outside"},
        {{"heat", "300", "-200", "100"}, "initial temperature (-200.00 deg. C) lies outside"},
        {{"heat", "1e7", "100", "200"}, "up to 100000 bar"},
        {{"exsol", "1e5", "1000"}, "temperature (100000.00 deg. C) lies outside"},
        {{"exsol", "-270", "100"}, "temperature (-270.00 deg. C) lies outside"},
        {{"exsol", "1200", "1e7"}, "pressure (1e+07 bar) lies outside"},
        {{"TP", "500", "0.5", "steam"}, "does not expand to 1 bar"},
        {{"TP", "20", "1", "steam"}, "no steam state of water"},
        {{"tsat", "-2"}, "pressure must be above 0 bar"},
        {{"exsol", "900", "x"}, "is not a number"},
        {{"heat", "100", "20"}, "heat takes three arguments"},
        {{"pv", "m", "-1"}, "mass ratio"},
        {{"pv", "depht", "100"}, "unknown keyword \"depht\""},
        {{"ev", "Tm"}, "needs a value"},
        {{"satu", "cocoa", "x"}, "satu takes no argument"},
    };
    for (const Case& c : cases) {
        Outcome r = brenvik(c.words);
        EXPECT_EQ(r.rc, 1) << c.words[0];
        EXPECT_NE(r.io.err.find(c.message), std::string::npos) << c.words[0] << ": " << r.io.err;
        // No state and no work printed.
        EXPECT_EQ(r.io.out.find("work"), std::string::npos) << c.words[0] << ": " << r.io.out;
        EXPECT_EQ(r.io.out.find("-> V"), std::string::npos) << c.words[0] << ": " << r.io.out;
    }
    // Syntax lines of a wrong count: messages, on standard error, and a failure.
    const std::vector<std::pair<std::vector<std::string>, const char*>> syntax = {
        {{"psat"}, "Syntax: psat <temperature in deg. C>\n"},
        {{"tsat", "1", "2"}, "Syntax: tsat <pressure in bar>\n"},
        {{"exsol", "900"}, "Syntax: exsol <temperature in deg. C> <pressure in bar>\n"},
        {{"heat", "100"}, "Syntax: heat  <pressure in bar>"},
        {{"TP", "100"}, "Syntax: TP <temperature in deg. C>"},
    };
    for (const auto& [words, line] : syntax) {
        const Outcome r = brenvik(words);
        EXPECT_EQ(r.rc, 1) << words[0];
        EXPECT_NE(r.io.err.find(line), std::string::npos) << words[0] << ": " << r.io.err;
        EXPECT_EQ(r.io.out.find("Syntax"), std::string::npos) << words[0] << ": " << r.io.out;
    }
    // The options without arguments refuse words after them.
    for (const std::vector<std::string>& words : {std::vector<std::string>{"a", "+5", "abc"}, {"spino", "x"}}) {
        const Outcome r = brenvik(words);
        EXPECT_EQ(r.rc, 1) << words[0];
        EXPECT_NE(r.io.err.find("takes no argument"), std::string::npos) << words[0] << ": " << r.io.err;
        EXPECT_EQ(r.io.out.find("Brenvik is a calculation program"), std::string::npos);
    }
}

TEST(Brenvik, SaturationWords) {
    Outcome r = brenvik({"psat", "100"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_NE(r.io.out.find("Temperature 100.00 deg. C, 373.15 K\nPressure      1.01 bar \n"), std::string::npos);
    r = brenvik({"tsat", "10"});
    EXPECT_NE(r.io.out.find("Temperature 179.88 deg.C, 453.03 K \n"), std::string::npos);
    EXPECT_NE(r.io.out.find("Liquid expansion work (reversible) :    55.97  J/g"), std::string::npos) << r.io.out;
    r = brenvik({"tsat", "250"});
    EXPECT_NE(r.io.err.find("The pressure (250.00 bar) is above the critical pressure (220.64 bar).\n"),
              std::string::npos);
    EXPECT_EQ(r.rc, 1);
    // Above the critical temperature there is no saturation state either: a
    // refusal, as above the critical pressure.
    r = brenvik({"psat", "400"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.io.err.find("The temperature (400.00 deg. C, 673.15 K) is above the critical temperature"),
              std::string::npos)
        << r.io.err;
    EXPECT_EQ(r.io.out.find("Saturation properties"), std::string::npos) << r.io.out;
    r = brenvik({"exsol", "20", "1"});  // no vapour below the saturation pressure
    EXPECT_NE(r.io.err.find("No vapour state of water at 20.00 deg. C and 1.00 bar"), std::string::npos);
    EXPECT_EQ(r.io.out.find("Exsolution work"), std::string::npos);
    EXPECT_EQ(r.rc, 1);
    r = brenvik({"exsol", "900", "1000"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_NE(r.io.out.find("Exsolution work : "), std::string::npos);
    r = brenvik({"heat", "100", "20", "400"});
    EXPECT_NE(r.io.out.find("Isobaric heating work   :   254.39 J/g H2O"), std::string::npos);
}

TEST(Brenvik, SaturationCloseToTheTripleAndCriticalPoints) {
    // Saturation pressures found at given T, close below the critical point (647.096 K), are found
    // again at given pressure: the same liquid and steam, not the critical state.
    for (const double d : {3e-2, 1e-2, 1e-3, 3e-4, 1e-4}) {
        WaterMagmaModel ref(2);
        const double T = 647.096 - d;
        ref.initializeSaturationVolumesFromT("H2O", T);
        ref.temperature(T);
        ref.calculate_saturation_pressure();
        ASSERT_EQ(ref.errorflag, 0) << d;
        ASSERT_LT(ref.Vl_sat, ref.Vv_sat);
        char p[40];
        std::snprintf(p, sizeof p, "%.10g", ref.P * 1e-5);
        const Outcome r = brenvik({"tsat", p});
        ASSERT_EQ(r.rc, 0) << p << r.io.err;
        double Vl = 0, Vv = 0;
        ASSERT_EQ(std::sscanf(r.io.out.c_str() + r.io.out.find("Liquid "), "Liquid %lf", &Vl), 1) << r.io.out;
        ASSERT_EQ(std::sscanf(r.io.out.c_str() + r.io.out.find("Steam "), "Steam %lf", &Vv), 1);
        EXPECT_NEAR(Vl, ref.Vl_sat * 1e6, 2e-3) << p;
        EXPECT_NEAR(Vv, ref.Vv_sat * 1e6, 2e-3) << p;
        EXPECT_EQ(r.io.out.find("critical state"), std::string::npos) << p;
    }
    // At the critical pressure the critical state (rho 322 kg/m3: 55.948 cm3/mol).
    Outcome r = brenvik({"tsat", "220.64"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_NE(r.io.out.find("Saturation properties (critical state)"), std::string::npos);
    EXPECT_EQ(countOf(r.io.out, "    55.948"), 2) << r.io.out;
    // The triple point: 273.16 K at 611.657 Pa.
    r = brenvik({"tsat", "0.00611657"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_NE(r.io.out.find(", 273.16 K"), std::string::npos) << r.io.out;
    // Below the model's lowest temperature (251.165 K) there is no liquid to saturate.
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"psat", "-22"}, {"psat", "-30"}, {"tsat", "0.001"}}) {
        r = brenvik(words);
        EXPECT_EQ(r.rc, 1) << words[1];
        EXPECT_EQ(r.io.out.find("Temperature"), std::string::npos) << r.io.out;
        EXPECT_NE(r.io.err.find("below the lowest temperature of the water model"), std::string::npos) << r.io.err;
    }
}

TEST(Brenvik, CycleStatesOfTheModelEndAtTheSurfacePressure) {
    // The irreversible expansion ends at the surface pressure, and says so.
    for (const char* word : {"pv", "pp", "pw"}) {
        const Outcome r = brenvik({word, "Psurf", "300"});
        EXPECT_EQ(r.rc, 0) << word << r.io.err;
        EXPECT_EQ(countOf(r.io.out, "P5 :   300.00 bar"), 2) << word << r.io.out;
        EXPECT_EQ(countOf(r.io.out, "P5 :     1.00 bar"), 0) << word;
    }
    // The surface water and the water at depth are states of the model, and a peak at a negative
    // pressure (a stretched liquid) is none the water reaches: failures without a cycle's report.
    const std::vector<std::pair<std::vector<std::string>, const char*>> refused = {
        {{"pv", "T1", "-30"}, "the surface water (T1, Psurf) at -30.00 deg. C"},
        {{"pv", "over", "100000"}, "the water at depth"},
        {{"pp", "d", "1e5", "geo", "60"}, "the water at depth"},
        {{"pw", "over", "80000"}, "the Wohletz peak state at 440.48 K is no stable state of water"},
        {{"pw", "d", "1e6", "geo", "0"}, "is no stable state of water"},
        {{"pv", "T1", "-20", "Tm", "0"}, "the isochoric peak state at 259.90 K is no stable state of water"},
    };
    for (const auto& [words, says] : refused) {
        const Outcome r = brenvik(words);
        EXPECT_EQ(r.rc, 1) << words[0] << " " << words[1];
        EXPECT_NE(r.io.err.find(says), std::string::npos) << r.io.err;
        EXPECT_EQ(r.io.out.find("Reversible isentropic case"), std::string::npos) << r.io.out;
    }
    // A magma not hotter than the water at depth heats no point of a diagram: refused before the first,
    // with the range of its temperature.
    const Outcome r = brenvik({"ev", "d", "1e5"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.io.err.find("the magma temperature Tm (1200.00 deg. C) must lie above that of the water at depth "
                            "(T1 + geo x d = 3020.00 deg. C) and at most at the highest temperature of the water "
                            "model (4726.85 deg. C)"),
              std::string::npos)
        << r.io.err;
    EXPECT_EQ(countOf(r.io.err, "\n"), 1) << r.io.err;
}

TEST(Brenvik, CurveWordsWriteTheirFiles) {
    std::remove("igor2.itx");
    // Each mode has its own file: raw rows of 28 doubles, "# " columns, Igor text.
    Outcome r = brenvik({"satu", "cocoa"});
    EXPECT_EQ(r.rc, 0);
    const std::string rows = consoletest::readFile("satu0.bin");
    EXPECT_GT(rows.size(), 0u);
    EXPECT_EQ(rows.size() % (28 * sizeof(double)), 0u);
    EXPECT_EQ(std::fopen("igor2.itx", "r"), nullptr);  // no script in this mode
    r = brenvik({"satu", "gnuplot"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(consoletest::readFile("satu0.txt").rfind("# ", 0), 0u);
    EXPECT_NE(consoletest::readFile("satu0.txt").find("P(1)"), std::string::npos);
    r = brenvik({"satu"});
    EXPECT_EQ(consoletest::readFile("satu0").rfind("IGOR\nWAVES", 0), 0u);
    EXPECT_EQ(consoletest::readFile("satu0.bin"), rows);  // not replaced
    const std::string script = consoletest::readFile("igor2.itx");
    EXPECT_NE(script.find("x loadwave/p=p7/t/o \"satu0\" \nx display p0 vs t0\n"), std::string::npos);
    EXPECT_NE(consoletest::readFile("igor00.itx").find("LOADFILE Macintosh HD"), std::string::npos);
}

TEST(Brenvik, CycleAndDiagramWords) {
    const platform::TracesShown traces;  // what is checked here is in the solvers' traces
    Outcome r = brenvik({"pw", "m", "0.4", "d", "300"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_NE(r.io.out.find("Heating                     : Wohletz\n"), std::string::npos);
    EXPECT_NE(r.io.out.find("Water-magma mass ratio      :    0.400"), std::string::npos);
    EXPECT_NE(r.io.err.find("Calculation Time"), std::string::npos);  // a trace, not a result
    EXPECT_EQ(consoletest::readFile("igor0.itx").rfind("IGOR\nx newpath/O p7,", 0), 0u);

    // The E(m) word sweeps the whole grid whatever m was given.
    r = brenvik({"ep", "m", "3"});
    EXPECT_EQ(r.rc, 0);
    const std::string wm = consoletest::readFile("wm0");
    const int rows = countOf(wm, "\n") - 4;
    EXPECT_GE(rows, 300);
    EXPECT_LE(rows, 309);
    EXPECT_NE(wm.find("\n    0.001000 "), std::string::npos);
    EXPECT_NE(wm.find("\n    7.000000 "), std::string::npos);
    EXPECT_NE(consoletest::readFile("igor1.itx").find("x loadwave/p=p7/t/o \"wm0\" \n"), std::string::npos);
}
