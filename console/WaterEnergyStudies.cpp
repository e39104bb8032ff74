// Vaporization, potential and energy studies of water: the flashing of
// water from one saturation temperature to another (after Henley and
// Hughes), a map of the Gibbs energy along isotherms, water:magma ratios from
// constant heat capacities against those from the model, and a table of
// decompression energies over temperature and pressure.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "console/WaterStudyModel.h"
#include "console/Workers.h"
#include "fluid/ModelRange.h"
#include "fluid/StateReport.h"
#include "platform/LogSink.h"
#include "platform/OutputFiles.h"
#include "platform/Progress.h"

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
}

void WaterStudyModel::calculateHenleyVaporizationCurve(double T0, double T1, double a, double f, double r,
                                                       const char* suffix) {
    const double M = molarMass();
    errorflag = 0;
    // The liquid saturated at T0 flashes as it falls to T1: a vapour
    // fraction y0 = (Hl(T0) - Hl(T1)) / L that is positive only when T0 lies
    // above T1.  The scale a, the radius r and the fraction f are positive
    // (f at most 1: (1 - f)/f drives the further vaporisation).
    if (!(T0 > T1) || !(a > 0.0) || !(r > 0.0) || !(f > 0.0 && f <= 1.0)) {
        platform::diagf("Henley: the water cools from T0 to T1 (T0 = %g K must lie above T1 = %g K), with a and r "
                        "above 0 and f above 0 and at most 1 (a = %g, f = %g, r = %g).\n",
                        T0, T1, a, f, r);
        return;
    }
    // The saturation state at Ts; false (said) where there is none.
    auto saturate = [this](double Ts) {
        initializeSaturationVolumesFromT("H2O", Ts);
        temperature(Ts);
        calculate_saturation_pressure();
        if (!errorflag) return true;
        platform::diagf("No saturation state at %.2f K\n", Ts);
        errorflag = 0;
        return false;
    };
    if (!saturate(T0)) return;
    const double P0 = P;
    volume(Vl_sat);
    calculate_state_functions();
    const double Hl0 = H;
    if (!saturate(T1)) return;
    const double P1 = P, Vl1 = Vl_sat, Vv1 = Vv_sat;
    volume(Vl1);
    calculate_state_functions();
    const double Hl1 = H;
    volume(Vv1);
    calculate_state_functions();
    const double Hv1 = H;
    const double rhol = M / Vl1, rhov = M / Vv1, L = Hv1 - Hl1;
    const double y0 = (Hl0 - Hl1) / L, e = (rhol - rhov) / rhov, dT = T0 - T1;

    const std::string sfx = suffix ? suffix : "";
    const std::string path = "henley" + sfx;
    std::FILE* out = platform::openOutput(path, "wt");
    if (!out) {
        return;
    }
    const char* s = sfx.c_str();
    std::fprintf(out, "IGOR\nWAVES %6s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n", "T0", s,
                 "T1", s, "P0", s, "P1", s, "t", s, "x", s, "y0", s, "yf", s, "f", s);
    const double k = std::pow(1e7, 0.005);
    int rows = 0;
    double x = 0.001;
    for (int i = 0; i < 10000 && x <= 10000.0 * k; ++i, x *= k) {
        const double t = x * rhov * f / a;
        const double E = std::exp(-8.41159466001934e-06 * t / (r * r));
        const double g = std::exp((1.0 - E) * ((1.0 - f) / ((L / M) * f)) * (e / rhol) *
                                  (2.0 * dT / 1.1363636363636364e-06) * 0.5325626743274765);
        double yf = (g * (y0 * e + 1.0) - 1.0) / e;
        double F;
        if (yf < 1.0) {
            F = (1.0 - y0) / (1.0 - yf);
        } else {
            yf = 1.0;
            F = kNaN;
        }
        std::fprintf(out, "%12f %12f %12f %12f %12f %12f %12f %12f %12f \n", T0 - 273.15, T1 - 273.15, P0 * 1e-5,
                     P1 * 1e-5, t, x, y0, yf, F);
        ++rows;
    }
    std::fprintf(out, "END\n");
    platform::closeOutput(out, path);
    lastRows = rows;
}

void WaterStudyModel::doTestHenleyHughesModel() {
    calculateHenleyVaporizationCurve(523.0, 423.0, 0.002, 0.05, 50.0, "0");
    calculateHenleyVaporizationCurve(523.0, 423.0, 0.002, 0.05, 5.0, "1");
    calculateHenleyVaporizationCurve(523.0, 423.0, 0.002, 0.05, 0.5, "2");
}

namespace {

// A stretch of one isotherm of the Gibbs-energy map: `count` volumes from v,
// the stretch's rows of the file and what its states reported on the log.
struct MapStretch {
    int isotherm = 0;
    long count = 0;
    double v = 0.0;
    bool lastOfIsotherm = false;
    int failed = 0;
    std::string text;
    std::vector<platform::ThreadLogCapture::Entry> log;
};

// The volumes of an isotherm of the map, from Vmin while below Vmax: their
// count and every kStretch-th of them (the start of each stretch), each
// reached by the same steps as in the isotherm.  False when the step does not
// advance the volume or the volumes are too many to write.
constexpr long kStretch = 512;
constexpr long kMostVolumes = 10000000;
// The map's volume step: a factor, or an increment of 1e-8 m3/mol.
double nextVolume(double v, char geometric, double factor) { return geometric == 1 ? v * factor : v + 1e-8; }
bool mapVolumes(double Vmin, double Vmax, char geometric, double factor, long& count, std::vector<double>& starts) {
    count = 0;
    starts.clear();
    for (double v = Vmin; v < Vmax; ++count) {
        if (count % kStretch == 0) starts.push_back(v);
        if (count >= kMostVolumes) return false;
        const double next = nextVolume(v, geometric, factor);
        if (!(next > v)) return false;
        v = next;
    }
    return true;
}

}  // namespace

void WaterStudyModel::drawEquilibriumPotentials(double T0, double P0, double Tmin_, double Tmax_, double Vmin,
                                                double Vmax, char geometric) {
    if (!(Vmin > 0.0) || !(Vmax > Vmin) || !(Tmax_ >= Tmin_)) {
        platform::diagf("The Gibbs-energy map needs 0 < Vmin < Vmax and Tmin <= Tmax.\n");
        return;
    }
    const double factor = std::pow(Vmax / Vmin, 0.01);
    long volumes = 0;
    std::vector<double> starts;
    if (!mapVolumes(Vmin, Vmax, geometric, factor, volumes, starts)) {
        platform::diagf("The Gibbs-energy map's volumes from %g to %g m3/mol do not advance or exceed %ld per "
                        "temperature.\n",
                        Vmin, Vmax, kMostVolumes);
        return;
    }
    // The map's isotherms and its reference state lie in the model's range;
    // its states may be unstable (below the spinodal pressures) but not above
    // the range's pressure, where they are written as nan.
    const ValidityRange range = ModelRange(*this).effectiveRange();
    if (!range.holdsTemperature(Tmin_) || !range.holdsTemperature(Tmax_)) {
        platform::diagf("The model %s holds %s: the Gibbs-energy map from %g to %g K lies outside it.\n", modelName(),
                        range.describe().c_str(), Tmin_, Tmax_);
        return;
    }
    errorflag = 0;
    if (!StateReport(*this).refuseOutsideRange(T0, P0)) {
        errorflag = 0;
        return;
    }
    set_the_phase_as(geometric == 1 ? 2 : 1);
    temperature(T0);
    pressure(P0);
    calculate_molar_volume();
    if (!errorflag) calculate_state_functions();
    if (errorflag || !std::isfinite(G)) {
        platform::diagf("No %s state of the fluid at %g K and %g bar: the Gibbs-energy map has no reference G0.\n",
                        geometric == 1 ? "liquid" : "vapour", T0, P0);
        errorflag = 0;
        return;
    }
    const double G0 = G;
    errorflag = 0;
    set_the_phase_as(1);
    // Each line of the map is a row (the isotherms apart by a blank line): an
    // interrupt leaves the map up to its last whole row.
    std::FILE* out = platform::openOutput("film", "wt", platform::kTextRows);
    if (!out) {
        return;
    }
    int isotherms = 0;
    while (Tmin_ + 0.1 * isotherms <= Tmax_ + 1e-9) ++isotherms;
    // The states are independent: stretches of the isotherms go to workers,
    // each stretch on a model of its own (the same bits on any number of
    // workers), a batch at a time, and each is written as soon as it and
    // every stretch before it are done.
    const long perIsotherm = static_cast<long>(starts.size());
    const long stretches = perIsotherm * isotherms;
    const unsigned n = workers::count(static_cast<std::size_t>(stretches), diagramWorkers);
    constexpr long kBatch = 256;
    std::vector<MapStretch> batch;
    long rows = 0;
    int failed = 0;
    platform::Progress progress("Gibbs-energy map, T (K)", Tmax_ - Tmin_);
    auto compute = [&](std::size_t k, platform::ThreadLogCapture& capture) {
        MapStretch& s = batch[k];
        const auto model = workerModel();
        WaterStudyModel& m = *model;
        m.set_the_phase_as(1);
        const double t = Tmin_ + 0.1 * s.isotherm;
        char line[160];
        double v = s.v;
        for (long i = 0; i < s.count; ++i, v = nextVolume(v, geometric, factor)) {
            m.errorflag = 0;
            m.temperature(t);
            m.volume(v);
            m.calculate_pressure();
            m.calculate_state_functions();
            // A state the model cannot give, or gives above its range, is
            // written as nan (not as what the previous state left).
            const bool ok = m.errorflag == 0 && std::isfinite(m.G) && std::isfinite(m.P) && !(m.P * 1e-5 > range.Pmax);
            const double g = ok ? m.G : kNaN, p = ok ? m.P : kNaN;
            s.failed += !ok;
            std::snprintf(line, sizeof line, "%12.2f %12.6lf %12lg %12lg %12f\n", t, v, g, G0 - g, p * 1e-5);
            s.text += line;
        }
        if (s.lastOfIsotherm) s.text += "\n";
        s.log = capture.take();
    };
    auto write = [&](std::size_t k) {
        MapStretch& s = batch[k];
        platform::ThreadLogCapture::replay(s.log);
        std::fputs(s.text.c_str(), out);
        std::fflush(out);
        rows += s.count;
        failed += s.failed;
        s.text.clear();
        const double t = Tmin_ + 0.1 * s.isotherm;
        progress.update(t - Tmin_, t);
    };
    for (long first = 0; first < stretches; first += kBatch) {
        batch.assign(static_cast<std::size_t>(std::min(kBatch, stretches - first)), MapStretch{});
        for (std::size_t k = 0; k < batch.size(); ++k) {
            MapStretch& s = batch[k];
            const long index = first + static_cast<long>(k), j = index % perIsotherm;
            s.isotherm = static_cast<int>(index / perIsotherm);
            s.v = starts[static_cast<std::size_t>(j)];
            s.count = std::min(kStretch, volumes - j * kStretch);
            s.lastOfIsotherm = j == perIsotherm - 1;
        }
        workers::inOrder(batch.size(), n, compute, write, [](std::size_t) {});
    }
    errorflag = 0;
    platform::closeOutput(out, "film");
    if (failed > 0)
        platform::warnf("%d of the %ld states of the Gibbs-energy map could not be computed or lie above the range "
                        "of the model %s (%s): their G and P are written as nan.\n",
                        failed, rows, modelName(), range.describe().c_str());
    lastRows = static_cast<int>(rows);
}

void WaterStudyModel::compareWohletzTemperature() {
    const double M = molarMass();
    errorflag = 0;
    std::printf("State 1\n----------\n");
    calculateFromTP(293.15, 1.0, 1);
    std::printf("State 2\n----------\n");
    calculateFromTP(296.15, 101.0, 1);
    if (errorflag) return;
    const double U2 = U, V2 = V;
    std::FILE* out = platform::openOutput("tempo", "wt");
    if (!out) {
        return;
    }
    int rows = 0;
    for (int i = 0; 296.15 + i < 1473.15 - 1e-9; ++i) {
        const double t = 296.15 + i;
        errorflag = 0;
        calculateFromTV(t, V2, 1);
        const double R1 = -1200.0 * (t - 1473.15) / (4200.0 * (t - 296.15));
        const double R2 = M * 1200.0 * (1473.15 - t) / (U - U2);
        std::fprintf(out, "%12.2f %12.5lf %12.5lf\n", t, R1, R2);
        ++rows;
    }
    platform::closeOutput(out, "tempo");
    errorflag = 0;
    lastRows = rows;
    std::FILE* g = platform::openOutput("tokill", "wt");
    if (!g) {
        return;
    }
    std::fprintf(g, "reset\n");
    std::fprintf(g, "set term x11\n");
    std::fprintf(g, "plot \"tempo\" us 2:1 w l\n");
    std::fprintf(g, "rep \"tempo\" us 3:1 w l\n");
    std::fprintf(g, "set xlabel \"Water:Magma Ratio\"\n");
    std::fprintf(g, "set ylabel \"T3\"\n");
    std::fprintf(g, "set xr [0:2]; rep\n");
    platform::closeOutput(g, "tokill");
}

void WaterStudyModel::calculateEnergyFormula() {
    const double M = molarMass();
    std::FILE* out = platform::openOutput("formu6", "wt");
    if (!out) {
        return;
    }
    std::fprintf(out, "IGOR\nWAVES %6s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s\nBEGIN\n", "T3",
                 "P3", "T4", "P4", "S3", "tirr", "virr", "firr", "wi", "wr", "wr1", "wr2", "we");
    double tirr = 325.0, virr = 1.8e-05;
    int rows = 0;
    platform::Progress progress("Decompression energies, T3 (K)", 121.0, true);
    for (int it = 0; it <= 120; ++it) {
        const double T3 = 400.0 + 10.0 * it;
        progress.update(it, T3);
        for (double P3 = 1.0; P3 <= 3000.0 + 1e-9; P3 += P3 < 10.0 ? 0.5 : 10.0) {
            errorflag = 0;
            Vl0 = 1.9e-05;
            set_the_phase_as(2);
            calculateFromTP(T3, P3, 1);
            if (errorflag) continue;
            const double U3 = U, S3 = S, V3 = V;
            if (S3 >= criticalMolarEntropy) calculateCondensationPointFromS(S3);
            else calculateBoilingPointFromS(S3);
            double T4 = T, P4 = P * 1e-5, wr, wr1, wr2;
            if (errorflag) {
                T4 = P4 = wr = wr1 = wr2 = kNaN;
                errorflag = 0;
            } else if (P4 >= 1.0) {
                wr = wr1 = (U3 - U) / (1000.0 * M);
                wr2 = 0.0;
            } else {
                // The isentrope reaches 1 bar before the saturation curve.
                calculate_isentropic_point_at_fixed_P(1.0, S3, 0.5 * (T4 + T3), 0.5 * (V3 + V));
                wr = wr1 = errorflag ? kNaN : (U3 - U) / (1000.0 * M);
                wr2 = kNaN;
                T4 = kNaN;
                errorflag = 0;
            }
            double firr = (1e5 * V3 - 2977.19 - 45145.8 + U3) / -40551.27969000001;
            double wi;
            if (firr >= 0.0 && firr <= 1.0) {
                wi = 1e5 * (firr * 1.83031e-05 + (1.0 - firr) * 0.0297719 - V3) / (1000.0 * M);
            } else {
                const double keep = Vl0;
                Vl0 = virr;
                calculate_irreversible_decompression_point_at_fixed_p(T3, V3, 1e5, 0.0, tirr);
                Vl0 = keep;
                if (!errorflag) {
                    tirr = T;
                    virr = V;
                    wi = 1e5 * (virr - V3) / (1000.0 * M);
                } else {
                    wi = kNaN;
                    errorflag = 0;
                }
                firr = kNaN;
            }
            const double we = P3 * 1e5 * (V3 - 1.2e-05);
            std::fprintf(out, "%12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f\n", T3, P3, T4, P4,
                         S3, tirr, virr, firr, wi, wr, wr1, wr2, we);
            ++rows;
        }
    }
    std::fprintf(out, "\nEND\n");
    platform::closeOutput(out, "formu6");
    lastRows = rows;
}
