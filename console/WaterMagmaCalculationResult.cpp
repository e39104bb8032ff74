#include "console/WaterMagmaCalculationResult.h"

#include <cstdio>
#include <string>

#include "console/LogReport.h"

namespace {

constexpr double kMolarMassG = 18.015268;  // g/mol

void rule(int n) { logreport::print("%s\n", std::string(static_cast<std::size_t>(n), '-').c_str()); }

void tLine(const char* label, double T, double P) {
    logreport::print("\t%s    : %8.2f°C            P%c : %8.2f bar \n", label, T - 273.15, label[1], P);
}

// The four fraction lines: steam mass and volume on the rock-free basis (from
// the liquid fractions), then counted with the magma.
void fractionLines(double liquidMass, double liquidVolume, double steamMass, double steamVolume) {
    logreport::print("\t%% steam mass   (rock-free basis) : %8.2f %% \n", (1.0 - liquidMass) * 100.0);
    logreport::print("\t%% steam volume (rock-free basis) : %8.2f %% \n", (1.0 - liquidVolume) * 100.0);
    logreport::print("\t%% steam mass                     : %8.2f %% \n", steamMass * 100.0);
    logreport::print("\t%% steam volume                   : %8.2f %% \n", steamVolume * 100.0);
}

void sLine(const char* label, double S) {
    logreport::print("\t%s    : %8.2f J/°C/mol   %8.2f J/°C/g \n", label, S, S / kMolarMassG);
}

void vLine(const char* label, double V) {
    logreport::print("\t%s    : %8.2f cm3/mol    %8.2f cm3/g\n", label, V, V / kMolarMassG);
}

// The irreversible expansion ends at the surface pressure.
void irreversibleT5(double T, double P) { logreport::print("\tT5    : %8.2f°C  P5 : %8.2f bar\n", T - 273.15, P); }

// Log versions of the same lines.
using logreport::format;
using logreport::line;

void logT(const char* label, double T, double P) {
    line(format("    %s    : %8.2f°C            P%c : %8.2f bar ", label, T - 273.15, label[1], P));
}

void logFractions(double liquidMass, double liquidVolume, double steamMass, double steamVolume) {
    line(format("    %% steam mass   (rock-free basis) : %8.2f %% ", (1.0 - liquidMass) * 100.0));
    line(format("    %% steam volume (rock-free basis) : %8.2f %% ", (1.0 - liquidVolume) * 100.0));
    line(format("    %% steam mass                     : %8.2f %% ", steamMass * 100.0));
    line(format("    %% steam volume                   : %8.2f %% ", steamVolume * 100.0));
}

void logS(const char* label, double S) {
    line(format("    %s    : %8.2f J/°C/mol   %8.2f J/°C/g ", label, S, S / kMolarMassG));
}

void logV(const char* label, double V) {
    line(format("    %s    : %8.2f cm3/mol    %8.2f cm3/g", label, V, V / kMolarMassG));
}

}  // namespace

void WaterMagmaCalculationResult::print() const {
    logreport::print("Reversible isentropic case: \n");
    rule(28);
    tLine("T1", T1, P1);
    tLine("T2", T2, P2);
    tLine("T3", T3, P3);
    if (state4) tLine("T4", T4, P4);
    tLine("T5", T5, P5);
    fractionLines(liquidMassFraction5, liquidVolumeFraction5, steamMassFraction5, steamVolumeFraction5);
    sLine("S3", S3);
    if (state4) sLine("S4", S4);
    sLine("S5", S5);
    vLine("V3", V3);
    if (state4) vLine("V4", V4);
    logreport::print("\tQ     : %8.2f J/g water \n", Q);
    logreport::print("\tWrev  : %8.2f J/g water  => %8.2f J/g magma \n\n", -Wrev, -Wrev * m);

    logreport::print("Irreversible adiabatic case: \n");
    rule(29);
    irreversibleT5(T5irr, Pref);
    fractionLines(liquidMassFraction5irr, liquidVolumeFraction5irr, steamMassFraction5irr, steamVolumeFraction5irr);
    logreport::print("\tWirr  : %8.2f J/g water  => %8.2f J/g magma \n\n", -Wirr, -Wirr * m);

    if (!pyroclastCase) return;
    logreport::print("Reversible pyroclast-heated case: \n");
    rule(34);
    if (state4Pyroclast) tLine("T4", T4p, P4p);
    tLine("T5", T5p, P5p);
    if (state4Pyroclast) {
        fractionLines(liquidMassFraction5p, liquidVolumeFraction5p, steamMassFraction5p, steamVolumeFraction5p);
        sLine("S4", S4p);
        sLine("S5", S5p);
        vLine("V4", V4p);
    } else {
        sLine("S5", S5p);
    }
    logreport::print("\tQ     : %8.2f J/g water \n", Qp);
    logreport::print("\tWrev  : %8.2f J/g water  => %8.2f J/g magma\n\n", -WrevP, -WrevP * m);
    logreport::print("Irreversible pyroclast-heated case: \n");
    rule(36);
    irreversibleT5(T5irrP, Pref);
    fractionLines(liquidMassFraction5irrP, liquidVolumeFraction5irrP, steamMassFraction5irrP,
                  steamVolumeFraction5irrP);
    logreport::print("\tWirr  : %8.2f J/g water  => %8.2f J/g magma\n\n", -WirrP, -WirrP * m);
}

void WaterMagmaCalculationResult::printExpansionWork() const {
    const double k = 0.001 / 0.018015268;  // J/mol -> J/g
    auto steamVolumePercent = [this](double x) {
        const double lv = x * VlRef / (x * VlRef + (1.0 - x) * VvRef);
        return (1.0 - lv) * 100.0;
    };
    logreport::print("\nReversible isentropic expansion :\n");
    if (state4) {
        if (S3 < 79.394)
            logreport::print("\tBoiling point at %7.2f deg. C (%7.2f K) and %7.2f bar\n", T4 - 273.15, T4, P4);
        else
            logreport::print("\tCondensation point at %7.2f deg. C (%7.2f K) and %7.2f bar\n", T4 - 273.15, T4, P4);
        logreport::print("\tMonophasic expansion work : %6.2f J/g water\n", (U3 - U4) * k);
        logreport::print("\tBiphasic expansion work   : %6.2f J/g water\n", (U4 - U5) * k);
        logreport::print("\tTotal expansion work      : %6.2f J/g water\n", (U3 - U5) * k);
        logreport::print("\t %5.2f mass %% of steam at 100°C and 1 bar\n", (1.0 - liquidMassFraction5) * 100.0);
        logreport::print("\t %5.2f volume %% of steam at 100°C and 1 bar\n", steamVolumePercent(liquidMassFraction5));
    } else if (liquidMassFraction5 == 0.0) {
        logreport::print("\tSuperheated steam\n");
        logreport::print("\tTemperature at 1 bar      : %6.2f deg. C,  %6.2f K\n", T5 - 273.15, T5);
        logreport::print("\tExpansion work            : %6.2f J/g water\n", (U3 - U5) * k);
    } else if (liquidMassFraction5 == 1.0) {
        logreport::print("\tNon-boiling liquid\n");
        logreport::print("\t\tTemperature at 1 bar    : %6.2f deg. C,  %6.2f K\n", T5 - 273.15, T5);
        logreport::print("\t\tExpansion work          : %6.2f J/g water\n", (U3 - U5) * k);
    }
    logreport::print("\nIrreversible adiabatic expansion :\n");
    const double x = liquidMassFraction5irr;
    if (x == 1.0) {
        logreport::print("\tNon-boiling liquid\n");
        logreport::print("\tTemperature  at 1 bar     : %6.2f deg.C, %6.2f K\n", T5irr - 273.15, T5irr);
    } else if (x == 0.0) {
        logreport::print("\tSuperheated steam\n");
        logreport::print("\tTemperature at 1 bar      : %6.2f deg.C, %6.2f K\n", T5irr - 273.15, T5irr);
    } else {
        logreport::print("\t%5.2f mass %% of steam at 100°C and 1 bar\n", (1.0 - x) * 100.0);
        logreport::print("\t %5.2f volume %% of steam at 100°C and 1 bar\n", steamVolumePercent(x));
    }
    logreport::print("\tExpansion work            : %6.2f J/g water\n", -Wirr);
}

void WaterMagmaCalculationResult::writeToLog() const {
    const double mShown = fractionation == 1 ? fractionationCount * m : m;
    logreport::rtfBlock(format("\\par \\fs30 \\ul Magma-water interaction for m = \\b %.4f \\b0 kg of water per kg "
                               "of magma \\ulnone \\fs24",
                               mShown) +
                        "\\par\\par \\b Reversible isentropic case: \\b0 \\par");
    logT("T1", T1, P1);
    logT("T2", T2, P2);
    logT("T3", T3, P3);
    if (state4) logT("T4", T4, P4);
    logT("T5", T5, P5);
    logFractions(liquidMassFraction5, liquidVolumeFraction5, steamMassFraction5, steamVolumeFraction5);
    logS("S3", S3);
    if (state4) logS("S4", S4);
    logS("S5", S5);
    logV("V3", V3);
    if (state4) logV("V4", V4);
    line(format("    Q     : %8.2f J/g water ", Q));
    if (heatingMode == 1) {
        line(format("    Isobaric heating work : %8.2f J/g water", vaporizationWork / -kMolarMassG));
        line(format("    Expansion work        : %8.2f J/g water", vaporizationWork / kMolarMassG - Wrev));
    }
    logreport::rtfBlock(format("     Wrev  : %8.2f J/g water  => \\cf2\\b %8.2f J/g magma \\b0\\cf0 \\par\\par", -Wrev,
                               -Wrev * m) +
                        "\\b Irreversible adiabatic case: \\b0 \\par");
    line(format("    T5    : %8.2f°C            P5 :  %8.2f bar", T5irr - 273.15, Pref));
    logFractions(liquidMassFraction5irr, liquidVolumeFraction5irr, steamMassFraction5irr, steamVolumeFraction5irr);
    if (heatingMode == 1) {
        line(format("    Isobaric heating work : %8.2f J/g water", vaporizationWork / -kMolarMassG));
        line(format("    Expansion work        : %8.2f J/g water", vaporizationWork / kMolarMassG - Wirr));
    }
    logreport::rtfBlock(
        format("     Wirr  : %8.2f J/g water  => \\cf3\\b %8.2f J/g magma \\b0\\cf0 \\par\\par", -Wirr, -Wirr * m) +
        format("\\par For one Mton of interacting magma, the eruption energy is \\b \\cf2 %6.2f kton of TNT \\cf0 "
               "\\b0 (reversible, isentropic case).\\par",
               -Wrev * m / 4.68) +
        format(" For one Mton of interacting magma, the eruption energy is \\b \\cf3 %6.2f kton of TNT \\cf0 \\b0 "
               "(irreversible, adiabatic case).\\par\\par",
               -Wirr * m / 4.68));
    if (!pyroclastCase) return;
    logreport::rtfBlock("\\b Reversible pyroclast-heated case: \\b0\\par");
    if (state4Pyroclast) logT("T4", T4p, P4p);
    logT("T5", T5p, P5p);
    if (state4Pyroclast) {
        logFractions(liquidMassFraction5p, liquidVolumeFraction5p, steamMassFraction5p, steamVolumeFraction5p);
        logS("S4", S4p);
    }
    logS("S5", S5p);
    if (state4Pyroclast) logV("V4", V4p);
    line(format("    Q     : %8.2f J/g water ", Qp));
    logreport::rtfBlock(
        format("     Wrev  : %8.2f J/g water  => \\cf2 \\b %8.2f J/g magma \\b0\\cf0 \\par\\par", -WrevP, -WrevP * m) +
        "\\b Irreversible pyroclast-heated case: \\b0 \\par");
    line(format("    T5    : %8.2f°C            P5 : %8.2f bar", T5irrP - 273.15, Pref));
    logFractions(liquidMassFraction5irrP, liquidVolumeFraction5irrP, steamMassFraction5irrP,
                 steamVolumeFraction5irrP);
    logreport::rtfBlock(
        format("     Wirr  : %8.2f J/g water  => \\cf3\\b %8.2f J/g magma \\b0\\cf0 \\par\\par", -WirrP, -WirrP * m));
}
