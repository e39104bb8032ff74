// Input record: keyword parsing, defaults, conversion, the dialogue, the
// summaries and bad input; result record: its three reports.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "console/WaterMagmaCalculationInfo.h"
#include "console/WaterMagmaCalculationResult.h"
#include "console/tests/ConsoleTestSupport.h"
#include "platform/LogSink.h"

using consoletest::Args;
using consoletest::capture;
using consoletest::countOf;

namespace {

bool parse(WaterMagmaCalculationInfo& info, std::vector<std::string> words, std::string* out = nullptr,
           std::string* err = nullptr, std::FILE* in = stdin) {
    Args a(std::move(words));
    bool ok = false;
    auto c = capture([&] { ok = info.readArguments(a.argc(), a.argv(), in); });
    if (out) *out = c.out;
    if (err) *err = c.err;
    return ok;
}

}  // namespace

TEST(WaterMagmaInfo, NoWordsGiveTheDefaultsInTheRecordUnits) {
    WaterMagmaCalculationInfo info;
    std::string out;
    ASSERT_TRUE(parse(info, {}, &out));
    EXPECT_DOUBLE_EQ(info.T1, 293.15);
    EXPECT_DOUBLE_EQ(info.Tm, 1473.15);
    EXPECT_DOUBLE_EQ(info.Tsol, 1173.15);
    EXPECT_DOUBLE_EQ(info.Tliq, 1473.15);
    EXPECT_DOUBLE_EQ(info.cp, 1200.0);
    EXPECT_DOUBLE_EQ(info.L, 350000.0);
    EXPECT_DOUBLE_EQ(info.geothermalGradient, 0.03);
    EXPECT_DOUBLE_EQ(info.m, 1.0);
    EXPECT_DOUBLE_EQ(info.depth, 100.0);
    EXPECT_DOUBLE_EQ(info.g, 9.81);
    EXPECT_EQ(info.maxRecharges, 10);
    EXPECT_EQ(info.fractionationCount, 10);
    EXPECT_STREQ(info.suffix, "0");
    EXPECT_NE(out.find("Initial water temperature   :    20.00 °C,   293.15 K\n"), std::string::npos);
    EXPECT_NE(out.find("Geothermal gradient         :    30.00 °C/km\n"), std::string::npos);
    EXPECT_NE(out.find("Heating                     : isochoric\n"), std::string::npos);
    EXPECT_NE(out.find("Pyroclast heated            : no\n"), std::string::npos);
    EXPECT_NE(out.find("Water-magma mass ratio      :    1.000 kg of water / kg of magma \n\n"), std::string::npos);
    EXPECT_NE(out.find("Sediment density            :     2.50 g/cm3\n"), std::string::npos);
    EXPECT_NE(out.find("Fluid / sediment coupling   :   100.00 %\n"), std::string::npos);
    EXPECT_EQ(out.find("Maximum number of recharges"), std::string::npos);
    std::string why;
    EXPECT_TRUE(info.validate(why)) << why;
}

TEST(WaterMagmaInfo, KeywordsValuesAndMarkers) {
    WaterMagmaCalculationInfo info;
    std::string out;
    ASSERT_TRUE(parse(info, {"T1", "25", "over", "0", "Tm", "-100", "T1", "30", "porosity", "0.5", "frac", "4",
                             "pyroclast", "recharge", "max", "3", "d", "250", "geo", "20"},
                      &out));
    EXPECT_DOUBLE_EQ(info.T1, 303.15);         // the last value wins
    EXPECT_DOUBLE_EQ(info.overpressure, 0.0);  // 0 is a value, not the marker
    EXPECT_DOUBLE_EQ(info.Tm, 1473.15);        // -100 is the marker: default
    EXPECT_DOUBLE_EQ(info.porosity, 0.5);
    EXPECT_EQ(info.fractionation, 1);
    EXPECT_EQ(info.fractionationCount, 4);
    EXPECT_EQ(info.pyroclastHeated, 1);
    EXPECT_EQ(info.recharge, 1);
    EXPECT_EQ(info.maxRecharges, 3);
    EXPECT_DOUBLE_EQ(info.geothermalGradient, 0.02);
    EXPECT_NE(out.find("Sediment porosity           :    50.00 %\n"), std::string::npos);
    EXPECT_NE(out.find("Maximum number of recharges : 3\n"), std::string::npos);
    EXPECT_NE(out.find("Fractionation number        : 4\n"), std::string::npos);
    EXPECT_NE(out.find("Water-magma mass ratio      :    1.000"), std::string::npos);

    // The log shows the whole water-magma ratio of a fractionated run.
    consoletest::RecordingSink sink;
    info.writeToLog();
    EXPECT_NE(sink.text.find("Input Summary:"), std::string::npos);
    EXPECT_NE(sink.text.find("Water-magma mass ratio          :    4.000 kg of water / kg of magma \n\n"),
              std::string::npos);
    EXPECT_NE(sink.text.find("Maximum count of fractionations : 4\n"), std::string::npos);
}

TEST(WaterMagmaInfo, BadWordsAreReportedAndStopTheParse) {
    struct Case {
        std::vector<std::string> words;
        const char* message;
    } cases[] = {
        {{"Tm", "hot"}, "the value \"hot\" of \"Tm\" is not a number"},
        {{"T1"}, "the keyword \"T1\" needs a value"},
        {{"depht", "100"}, "unknown keyword \"depht\""},
        {{"max", "2.5"}, "is not a whole number"},
        {{"m", "inf"}, "is not a number"},
    };
    for (const Case& c : cases) {
        WaterMagmaCalculationInfo info;
        std::string out, err;
        EXPECT_FALSE(parse(info, c.words, &out, &err));
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_EQ(out.find("Summary"), std::string::npos);
    }
}

TEST(WaterMagmaInfo, ValidationNamesTheInputOutOfRange) {
    struct Case {
        std::vector<std::string> words;
        const char* message;
    } cases[] = {
        {{"m", "-1"}, "mass ratio"},       {{"Psurf", "0"}, "surface pressure"}, {{"d", "-5"}, "depth"},
        {{"cp", "0"}, "heat capacity"},    {{"Tsol", "1300"}, "solidus"},        {{"porosity", "1.5"}, "porosity"},
        {{"coupling", "2"}, "coupling"},   {{"recharge", "max", "0"}, "recharges"},
        {{"frac", "0"}, "fractionation"},  {{"frac", "1001"}, "from 1 to 1000"}, {{"T1", "-300"}, "T1"},
        {{"T1", "150", "Psurf", "2"}, "boiling point"},
    };
    for (const Case& c : cases) {
        WaterMagmaCalculationInfo info;
        ASSERT_TRUE(parse(info, c.words));
        std::string why;
        EXPECT_FALSE(info.validate(why));
        EXPECT_NE(why.find(c.message), std::string::npos) << why;
    }
}

TEST(WaterMagmaInfo, InteractiveDialogueReadsFromTheGivenStream) {
    // m is given before "interactive" (not asked); Tm, T1 answered; the rest defaults.
    std::FILE* in = std::tmpfile();
    ASSERT_NE(in, nullptr);
    std::fputs("y\n1100\n15\n\n\n\n\n\n\n\n\n\n\n\n7\n", in);
    std::rewind(in);
    WaterMagmaCalculationInfo info;
    info.heatingMode = 0;
    std::string out;
    const long diagnostics = platform::diagnosticCount();
    ASSERT_TRUE(parse(info, {"m", "2", "interactive"}, nullptr, &out, in));  // the prompts go to stderr
    EXPECT_EQ(platform::diagnosticCount(), diagnostics);  // questions, not failures: the run does not fail
    std::fclose(in);
    EXPECT_DOUBLE_EQ(info.m, 2.0);
    EXPECT_EQ(info.pyroclastHeated, 1);
    EXPECT_DOUBLE_EQ(info.Tm, 1373.15);
    EXPECT_DOUBLE_EQ(info.T1, 288.15);
    EXPECT_DOUBLE_EQ(info.Psurf, 1.0);
    EXPECT_EQ(info.recharge, 0);
    EXPECT_EQ(info.maxRecharges, 100);  // the dialogue's own default
    EXPECT_STREQ(info.suffix, "7");
    EXPECT_DOUBLE_EQ(info.porosity, 1.0);  // no prompt: the keyword default
    EXPECT_EQ(out.find("Water-magma mass ratio,"), std::string::npos);
    EXPECT_NE(out.find("Magma temperature (°C),"), std::string::npos);
    std::string why;
    EXPECT_TRUE(info.validate(why)) << why;

    // With "interactive" first, m is asked and a later keyword overrides it.
    std::FILE* in2 = std::tmpfile();
    std::fputs("\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n", in2);
    std::rewind(in2);
    WaterMagmaCalculationInfo info2;
    info2.heatingMode = 1;
    ASSERT_TRUE(parse(info2, {"interactive", "m", "3"}, nullptr, &out, in2));
    std::fclose(in2);
    EXPECT_NE(out.find("Water-magma mass ratio,"), std::string::npos);
    EXPECT_DOUBLE_EQ(info2.m, 3.0);
    EXPECT_EQ(info2.pyroclastHeated, 0);
    EXPECT_STREQ(info2.suffix, "0");
}

TEST(WaterMagmaInfo, EqualityComparesEveryInput) {
    WaterMagmaCalculationInfo a, b;
    ASSERT_TRUE(parse(a, {"m", "0.5"}));
    ASSERT_TRUE(parse(b, {"m", "0.5"}));
    EXPECT_EQ(a.isEqualTo(&b), 1);
    b.coupling = 0.5;
    EXPECT_EQ(a.isEqualTo(&b), 0);
    b = a;
    b.suffix[0] = '1';
    EXPECT_EQ(a.isEqualTo(&b), 0);
    b = a;
    b.Tm = std::nan("");
    EXPECT_EQ(a.isEqualTo(&b), 0);
    EXPECT_EQ(a.isEqualTo(nullptr), 0);
}

// ---------------------------------------------------------------- result reports

TEST(WaterMagmaResult, ReportsShowState4AndPyroclastSectionsOnlyWhenPresent) {
    WaterMagmaCalculationResult r;
    r.m = 0.5;
    r.T1 = 293.15;
    r.T3 = 700.0;
    r.T5 = 373.12;
    r.Wrev = -200.0;
    r.Wirr = -50.0;
    r.liquidMassFraction5 = 0.7;
    r.S3 = 60.0;
    auto c = capture([&] { r.print(); });
    EXPECT_EQ(c.out.find("\tT4 "), std::string::npos);
    EXPECT_EQ(c.out.find("\tS4 "), std::string::npos);
    EXPECT_EQ(c.out.find("pyroclast"), std::string::npos);
    EXPECT_NE(c.out.find("\tWrev  :   200.00 J/g water  =>   100.00 J/g magma \n\n"), std::string::npos);
    EXPECT_NE(c.out.find("\t% steam mass   (rock-free basis) :    30.00 % \n"), std::string::npos);
    EXPECT_NE(c.out.find("\tT3    :   426.85°C            P3 :     0.00 bar \n"), std::string::npos);

    r.state4 = 1;
    r.pyroclastCase = 1;
    r.WrevP = -300.0;
    c = capture([&] { r.print(); });
    EXPECT_NE(c.out.find("\tT4 "), std::string::npos);
    EXPECT_EQ(countOf(c.out, "\tS4 "), 1);
    EXPECT_NE(c.out.find("Reversible pyroclast-heated case: \n" + std::string(34, '-')), std::string::npos);
    EXPECT_NE(c.out.find("Irreversible pyroclast-heated case: \n" + std::string(36, '-')), std::string::npos);
    EXPECT_NE(c.out.find("\tWrev  :   300.00 J/g water  =>   150.00 J/g magma\n\n"), std::string::npos);

    consoletest::RecordingSink sink;
    r.fractionation = 1;
    r.fractionationCount = 4;
    r.writeToLog();
    EXPECT_NE(sink.text.find("Magma-water interaction for m = 2.0000"), std::string::npos);
    EXPECT_NE(sink.rtf.find("\\cf2\\b   100.00 J/g magma"), std::string::npos);
    EXPECT_NE(sink.text.find("eruption energy is  21.37 kton of TNT"), std::string::npos);  // 100 / 4.68
    EXPECT_NE(sink.text.find("Reversible pyroclast-heated case:"), std::string::npos);
}

TEST(WaterMagmaResult, ExpansionWorkReportCases) {
    WaterMagmaCalculationResult r;
    r.VlRef = 1.88e-5;
    r.VvRef = 3.05e-2;
    // Two-phase end without state 4: only the heading of the reversible part.
    r.liquidMassFraction5 = 0.5;
    r.liquidMassFraction5irr = 1.0;
    r.T5irr = 350.0;
    auto c = capture([&] { r.printExpansionWork(); });
    EXPECT_NE(c.out.find("\nReversible isentropic expansion :\n\nIrreversible adiabatic expansion :\n"),
              std::string::npos);
    EXPECT_NE(c.out.find("\tNon-boiling liquid\n"), std::string::npos);
    // With state 4: boiling below the critical entropy, works from the energies.
    r.state4 = 1;
    r.S3 = 50.0;
    r.T4 = 500.0;
    r.P4 = 26.4;
    r.U3 = 20000.0;
    r.U4 = 19000.0;
    r.U5 = 15000.0;
    c = capture([&] { r.printExpansionWork(); });
    EXPECT_NE(c.out.find("\tBoiling point at  226.85 deg. C ( 500.00 K) and   26.40 bar\n"), std::string::npos);
    EXPECT_NE(c.out.find("\tTotal expansion work      : 277.54 J/g water\n"), std::string::npos);  // 5000 J/mol
    r.S3 = 90.0;
    c = capture([&] { r.printExpansionWork(); });
    EXPECT_NE(c.out.find("\tCondensation point at"), std::string::npos);
}
