// Drivers of the cycle calculation: the P-T cycle with its recharge loop (the
// cooling magma heats one batch of fresh cold water after another), the
// recharge or fractionation loop behind every point of the E(m) diagram, and
// the sweep of the water-magma mass ratio.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "console/LogReport.h"
#include "console/WaterMagmaModel.h"
#include "platform/LogSink.h"
#include "platform/Process.h"
#include "platform/OutputFiles.h"
#include "platform/Progress.h"

namespace {

const char* const kRechargeHeader = "IGOR\nWAVES iter0, Te0, Q0, War0, Wmr0, Wcr0, Wai0, Wmi0, Wci0 \nBEGIN\n";
const char* const kRechargeRow = "%12d %12f %12f %12f %12f %12f %12f %12f %12f\n";

std::string rule64() {
    std::string s;
    for (int i = 0; i < 64; ++i) s += "\u23AF";
    return s;
}

double seconds(std::clock_t ticks) { return static_cast<double>(ticks) / CLOCKS_PER_SEC; }

}  // namespace

void writeRechargeTable(const std::string& rows) {
    std::FILE* f = platform::openOutput("recharge", "w");
    if (!f) return;
    std::fputs(rows.c_str(), f);
    platform::closeOutput(f, "recharge");
}

void WaterMagmaModel::drawWaterMagmaCycle(WaterMagmaCalculationInfo& info, char mode) {
    WaterMagmaCalculationResult r;
    r.T3 = 0.0;
    r.scriptFlag = mode;
    std::clock_t t0 = std::clock();
    // The first cycle refused is the failure of the option, said once.
    refusalIsFailure = true;
    refusalSaid = false;
    calculateWaterMagmaCycle(info, r, 1, 1);
    refusalIsFailure = false;
    std::clock_t t1 = std::clock();
    if (errorflag) {
        if (!refusalSaid) platform::diagf("Failure of the calculation !\n\n");
        return;
    }
    if (mode == 1) {
        if (info.heatingMode == 1)
            writeIgorScriptForWaterMagmaCycle1(r);
        else
            writeIgorScriptForWaterMagmaCycle(r);
    }
    double elapsed = seconds(t1 - t0);
    double Srev = r.Wrev, Sirr = r.Wirr;
    const double m = r.m;
    if (info.recharge == 1) {
        // At least the first cycle and one recharge are stored.
        const int maxR = info.maxRecharges < 1 ? 1 : info.maxRecharges;
        std::vector<double> Te(static_cast<std::size_t>(maxR) + 1), Wr(Te.size()), Wi(Te.size());
        std::FILE* f = platform::openOutput("recharge", "w");
        if (f) {
            std::fputs(kRechargeHeader, f);
            std::fprintf(f, kRechargeRow, 0, r.T3, r.Q, -r.Wrev, -r.Wrev * m, -r.Wrev * m, -r.Wirr, -r.Wirr * m,
                         -r.Wirr * m);
        }
        Te[0] = r.T3;
        Wr[0] = -r.Wrev * m;
        Wi[0] = -r.Wirr * m;
        int n = 1;
        platform::Progress bar("Recharge cycles", maxR);
        while (r.T3 > 373.15) {
            bar.update(n);
            info.Tm = r.T3;  // the magma has cooled to the last water temperature
            t0 = std::clock();
            calculateWaterMagmaCycle(info, r, 0, 0);
            elapsed += seconds(std::clock() - t0);
            if (errorflag) break;
            Srev += r.Wrev;
            Sirr += r.Wirr;
            if (n <= 99 && n < static_cast<int>(Te.size())) {
                Te[static_cast<std::size_t>(n)] = r.T3;
                Wr[static_cast<std::size_t>(n)] = -r.Wrev * m;
                Wi[static_cast<std::size_t>(n)] = -r.Wirr * m;
            }
            if (f)
                std::fprintf(f, kRechargeRow, n, r.T3, r.Q, -r.Wrev, -r.Wrev * m, -Srev * m, -r.Wirr, -r.Wirr * m,
                             -Sirr * m);
            ++n;
            if (n >= maxR) break;
        }
        if (f) {
            std::fputs("END\n", f);
            platform::closeOutput(f, "recharge");
        }
        std::printf("In the case of successive recharges of fresh and cold water with the cooling, but still hot, "
                    "magma\n");
        if (r.T3 > 373.15)
            std::printf("\tNumber of cycles        : more than %d \n", info.maxRecharges);
        else
            std::printf("\tNumber of cycles        : %4d \n", n);
        const int shown = std::min({n, 10, static_cast<int>(Te.size())});
        auto series = [&](const char* title, const std::vector<double>& v, double shift) {
            std::printf("%s", title);
            for (int i = 0; i < shown; ++i) {
                if (i == 0 || i == 5) std::printf("\n\t\t");
                std::printf("%6.2f ", v[static_cast<std::size_t>(i)] - shift);
            }
            std::printf("\n");
        };
        series("\tSuccessive magma temperatures (deg. C)                          :", Te, 273.15);
        series("\tSuccessive mechanical works (reversible isentropic, J/g magma)  :", Wr, 0.0);
        series("\tSuccessive mechanical works (irreversible adiabatic, J/g magma) :", Wi, 0.0);
        std::printf("\tTotal work (reversible, isentropic)  : %6.2f J/g water  => %6.2f J/g magma \n", -Srev / n,
                    -Srev * m);
        std::printf("\tTotal work (irreversible, adiabatic) : %6.2f J/g water  => %6.2f J/g magma \n", -Sirr / n,
                    -Sirr * m);
    }
    std::printf("\nFor one Mton of magma, the eruption energy is %6.2f kton of TNT (reversible, isentropic).\n",
                -Srev * m / 4.68);
    std::printf("For one Mton of magma, the eruption energy is %6.2f kton of TNT (irreversible, adiabatic).\n\n",
                -Sirr * m / 4.68);
    platform::tracef("\nCalculation Time %lf seconds \n\n", elapsed);
    if (mode == 1) platform::openWithViewer("igor0.itx");
}

void WaterMagmaModel::calculateWaterMagmaCycleWithRecharge(WaterMagmaCalculationInfo& info,
                                                           WaterMagmaCalculationResult& r, char writeCurves,
                                                           char report) {
    const double mKept = info.m, TmKept = info.Tm;
    // The batches of the loop share their water's start at depth: its
    // isobaric anchors are found once, for this loop alone.
    struct AnchorsOfThisLoop {
        WaterMagmaModel& w;
        explicit AnchorsOfThisLoop(WaterMagmaModel& model) : w(model) {
            w.keepDepthAnchors = true;
            w.depthAnchors.valid = false;
        }
        ~AnchorsOfThisLoop() {
            w.keepDepthAnchors = false;
            w.depthAnchors.valid = false;
        }
    } anchors(*this);
    if (info.fractionation == 1) {
        // Each fraction of the water is a separate batch; a count below 1 is one batch.
        if (info.fractionationCount < 1) info.fractionationCount = 1;
        info.m /= info.fractionationCount;
    }
    r.saturationFailed = 0;
    r.T3 = 0.0;
    calculateWaterMagmaCycle(info, r, writeCurves, report);
    r.magmaCoolingFraction = (r.T3 - r.Tm) / (r.TsatRef - r.Tm);
    if (errorflag) {
        info.m = mKept;  // the caller's record is left as it was found, failure or not
        return;
    }
    double Sq = r.Q, Srev = r.Wrev, Sirr = r.Wirr;
    r.WrevTotal = Srev;
    r.WirrTotal = Sirr;
    r.QTotal = Sq;
    r.cycleCount = 1;
    if (info.recharge != 1 && info.fractionation != 1) return;

    const WaterMagmaCalculationResult first = r;
    const double m = r.m;
    const bool toLog = r.scriptFlag == 6 && report;
    // The Igor table of the cycles ("recharge"), written at the end.
    const bool table = !toLog && r.scriptFlag == 1;
    std::string rows;
    using logreport::format;
    if (toLog) {
        if (info.recharge == 1)
            logreport::rtfBlock("\\par \\ul\\b In the case of successive recharges of fresh and cold water with the "
                                "cooling, but still hot, magma (open system): \\b0\\ulnone\\par\\par");
        else
            logreport::rtfBlock("\\par \\ul\\b In the case of fractionated recharges of fresh and cold water with the "
                                "cooling, but still hot, magma (closed system): \\b0\\ulnone\\par\\par");
        logreport::line(rule64());
        logreport::line(format("%5s %12s %12s %12s %12s %12s %12s %12s %12s", "Cycle", "T3", "Q", "Wrev", "Wrev",
                               "Wrev cum.", "Wirr", "Wirr", "Wirr cum."));
        logreport::line(format("%5s %s %12s %12s %12s %12s %12s %12s %12s", "", "        (°C)", "(J/g H2O)",
                               "(J/g H2O)", "(J/g magma)", "(J/g magma)", "(J/g H2O)", "(J/g magma)", "(J/g magma)"));
        logreport::line(rule64());
        logreport::line(format("%5d %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f", 1, r.T3 - 273.15, r.Q,
                               -r.Wrev, -r.Wrev * m, -r.Wrev * m, -r.Wirr, -r.Wirr * m, -r.Wirr * m));
    } else if (table) {
        rows = kRechargeHeader + format(kRechargeRow, 1, r.T3, r.Q, -r.Wrev, -r.Wrev * m, -r.Wrev * m, -r.Wirr,
                                        -r.Wirr * m, -r.Wirr * m);
    }
    int n = 2;
    while (r.T3 > r.TsatRef) {
        if (info.recharge == 1) {
            if (n > info.maxRecharges) break;
        } else if (n > info.fractionationCount) {
            break;
        }
        info.Tm = r.T3;
        loopCycle = logreport::format("cycle %d of the %s loop, the magma at %.2f K: ", n,
                                      info.recharge == 1 ? "recharge" : "fractionation", info.Tm);
        calculateWaterMagmaCycle(info, r, 0, 0);
        loopCycle.clear();
        if (cycleDone) cycleDone();
        if (errorflag) break;
        Srev += r.Wrev;
        Sirr += r.Wirr;
        Sq += r.Q;
        if (toLog)
            logreport::line(format("%5d %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f", n, r.T3 - 273.15,
                                   r.Q, -r.Wrev, -r.Wrev * m, -Srev * m, -r.Wirr, -r.Wirr * m, -Sirr * m));
        else if (table)
            rows += format(kRechargeRow, n, r.T3, r.Q, -r.Wrev, -r.Wrev * m, -Srev * m, -r.Wirr, -r.Wirr * m,
                           -Sirr * m);
        ++n;
    }
    r.magmaCoolingFraction = r.T3 < r.TsatRef ? 1.0 : (r.T3 - r.Tm) / (r.TsatRef - r.Tm);
    const int count = n - 1;
    if (table) {
        rows += "END\n";
        if (keepRechargeTable)
            rechargeTable = std::move(rows);
        else
            writeRechargeTable(rows);
    }
    if (toLog) {
        logreport::line(rule64(), 2);
        if (info.recharge == 1) {
            if (r.T3 > r.TsatRef)
                logreport::line(format("\tNumber of cycles                                     : more than %d ",
                                       info.maxRecharges));
            else
                logreport::line(format("\tNumber of cycles                                     : %4d ", count));
        } else if (r.T3 > r.TsatRef) {
            logreport::line(format("\tNumber of cycles                                     : %d (but the magma is "
                                   "still hot at a temperature of %.2f°C)",
                                   info.fractionationCount, peakTemperature - 273.15));
        } else {
            logreport::line(format("\tNumber of cycles                                     : %4d", count));
        }
        logreport::rtfBlock(format("     Total work (reversible, isentropic)                  : %6.2f J/g water (mean "
                                   "value) => \\cf2\\b %6.2f J/g magma \\b0 \\cf0 \\par",
                                   -Srev / count, -Srev * m) +
                            format("     Total work (irreversible, adiabatic)                 : %6.2f J/g water (mean "
                                   "value) => \\cf3\\b %6.2f J/g magma \\b0 \\cf0 \\par",
                                   -Sirr / count, -Sirr * m));
        if (info.recharge == 1) {
            logreport::line(format("\tEnhancement factor (reversible, isentropic)          : %6.2f", Srev / first.Wrev));
            logreport::line(format("\tEnhancement factor (irreversible, adiabatic)         : %6.2f", Sirr / first.Wirr),
                            3);
        }
    }
    // The first cycle's outputs with the loop's totals.
    const double cooling = r.magmaCoolingFraction;
    std::vector<double> iso = std::move(r.isentropeArray), dec = std::move(r.decompressionArray),
                        isoc = std::move(r.isochoreArray);
    r = first;
    r.isentropeArray = std::move(iso);
    r.decompressionArray = std::move(dec);
    r.isochoreArray = std::move(isoc);
    r.magmaCoolingFraction = cooling;
    r.WrevTotal = Srev;
    r.WirrTotal = Sirr;
    r.QTotal = Sq;
    r.cycleCount = count;
    info.Tm = TmKept;
    info.m = mKept;
}

void WaterMagmaModel::appendEnergyDiagramPoint(const WaterMagmaCalculationResult& r, std::vector<double>& a) {
    const double m = r.m;
    const double v[31] = {m,
                          r.Q,
                          r.T3,
                          -r.Wrev * m,
                          -r.Wrev,
                          -r.Wirr * m,
                          -r.Wirr,
                          -r.WrevP * m,
                          -r.WrevP,
                          -r.WirrP * m,
                          -r.WirrP,
                          r.steamMassFraction5,
                          r.steamVolumeFraction5,
                          r.steamMassFraction5irr,
                          r.steamVolumeFraction5irr,
                          r.steamMassFraction5p,
                          r.steamVolumeFraction5p,
                          r.steamMassFraction5irrP,
                          r.steamVolumeFraction5irrP,
                          r.Qp,
                          r.T5,
                          r.T5irr,
                          r.T5p,
                          r.T5irrP,
                          -r.WrevTotal,
                          -r.WirrTotal,
                          r.QTotal,
                          r.cycleCount,
                          r.T4,
                          r.T4p,
                          r.magmaCoolingFraction};
    a.insert(a.end(), v, v + 31);
}

int WaterMagmaModel::calculateEnergyDiagramPoint(double m_, WaterMagmaCalculationInfo& info,
                                                 WaterMagmaCalculationResult& r, std::vector<double>* array) {
    info.m = m_;
    calculateWaterMagmaCycleWithRecharge(info, r, 0, 0);
    if (errorflag || r.saturationFailed) return 0;
    if (r.scriptFlag == 6 && array) appendEnergyDiagramPoint(r, *array);
    else if (r.scriptFlag == 1) writeDataIgorFileForWaterMagmaDiagram(r.diagramFile, info, r);
    return 1;
}
