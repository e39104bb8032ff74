// Igor Pro scripts of the water-magma diagrams: the phase diagram of water
// ("igor2.itx"), the P-T and T-U diagrams of one cycle ("igor0.itx") and the
// E(m) diagram ("igor1.itx"), each with the loader "igor00.itx" that starts a
// new experiment and loads the script, and the E(m) data file "wm" + suffix.
// The scripts' command lines ("x ...") load the curve files that the
// calculations wrote in the current directory.
#include <cstdio>
#include <string>

#include "console/WaterMagmaModel.h"
#include "platform/ConsoleInput.h"
#include "platform/OutputFiles.h"

namespace {

// A text file opened for writing; a failure to open or to write it is
// reported (platform/OutputFiles.h) and every later write is dropped.
class ScriptFile {
public:
    explicit ScriptFile(const char* path) : file_(path, "w"), f_(file_.get()) {}
    ScriptFile(const ScriptFile&) = delete;
    ScriptFile& operator=(const ScriptFile&) = delete;
    template <class... A>
    void put(const char* fmt, A... args) {
        if (f_) std::fprintf(f_, fmt, args...);
    }
    void put(const char* text) {
        if (f_) std::fputs(text, f_);
    }

private:
    platform::OutputFile file_;
    std::FILE* f_;
};

void writeLoader(const std::string& dir, const char* script) {
    ScriptFile f("igor00.itx");
    f.put("IGOR\n");
    f.put("x Execute/P \"NEWEXPERIMENT \" \n");
    f.put("x Execute/P \"LOADFILE %s%s\" \n", dir.c_str(), script);
}

void writeRechargeGraphs(ScriptFile& f, bool isobaric) {
    f.put("x loadwave/p=p7/t \"recharge\";\n");
    f.put("x display Te0 vs iter0;\n");
    f.put("x ModifyGraph mode=4,marker=8,opaque=1;\n");
    f.put("x modify mirror=2;\n");
    f.put("x modify grid=1;\n");
    f.put("x label left \"Magma Temperature (K)\"; \n");
    f.put("x duplicate Te0, Te1;\n");
    f.put("x Te1 = Te0 - 273.15;\n");
    f.put("x append /R te1 vs iter0 ;\n");
    f.put("x ModifyGraph mode(te1)=2 ; \n");
    f.put("x label bottom \"Cycle\" ;\n");
    f.put("x label right \"T (deg. C)\" ;\n");
    f.put("x modify nticks=10;\n");
    f.put("x ModifyGraph manTick(bottom)={0,1,0,1},manMinor(bottom)={0,50}\n");
    f.put("x display Wcr0 vs iter0; append Wci0 vs iter0; \n");
    f.put("x modify mirror=2;\n");
    f.put("x ModifyGraph mode(Wcr0)=4,marker(Wcr0)=16; \n");
    f.put("x ModifyGraph mode=4,marker(Wci0)=8,opaque(Wci0)=1; \n");
    f.put("x label left \"W (J/g magma)\"; \n");
    f.put("x label bottom \"Cycle\" ;\n");
    f.put("x modify grid=1;\n");
    f.put("x modify nticks=10;\n");
    if (isobaric) f.put("x ModifyGraph manTick(bottom)={0,1,0,1},manMinor(bottom)={0,50}\n");
    f.put("x Legend/C/N=text0/J/S=3/A=LT/X=0.00/Y=0.00 \"\\s(Wcr0) Reversible\\r\\s(Wci0) Irreversible\";\n");
    f.put("x TileWindows/O=1/C;\n");
}

// The legend of the P-T graph: the P2 entry with state 4, the P3 entry with
// the pyroclast case.
std::string ptLegend(const WaterMagmaCalculationResult& r, bool isobaric) {
    std::string s = "x Legend/C/N=text0/J/A=LT/X=0.00/Y=0.00 \"m = %.3f kg of water / kg of magma \\rTm = %.2f deg. "
                    "C\\rT3 = %.2f deg. C \\r\\r";
    if (isobaric) {
        s += "\\s(P0) Isobaric Heating\\r\\s(P1) Isentropic Monophasic Expansion";
        if (r.state4) s += "\\r\\s(P2) Isentropic Biphasic Expansion";
        if (r.pyroclastCase) s += "\\r\\s(P3) Reversible Isothermal Expansion";
    } else {
        s += "\\s(P0) Isochoric\\r\\s(P1) Isentropic Monophasic";
        if (r.state4) s += "\\r\\s(P2) Isentropic Biphasic";
        if (r.pyroclastCase) s += "\\r\\s(P3) Reversible Isothermal";
    }
    return s + "\"\n";
}

}  // namespace

void WaterMagmaModel::writeIgorScriptForPhaseDiagram(int curve, int display, int newExperiment) {
    const std::string dir = getMacIgorDir();
    if (newExperiment) writeLoader(dir, "igor2.itx");
    ScriptFile f("igor2.itx");
    f.put("IGOR\n");
    if (newExperiment) f.put("x newpath/O p7, \"%s\"\n", dir.c_str());
    const char* verb = newExperiment ? "display" : "append";
    if (curve == 1) {
        f.put("x loadwave/p=p7/t/o \"satu0\" \n");
        if (display) f.put("x %s p0 vs t0\n", verb);
    } else if (curve == 2) {
        f.put("x loadwave/p=p7/t/o \"spino1\" \n");
        f.put("x loadwave/p=p7/t/o \"spino2\" \n");
        if (display) {
            f.put("x %s p1 vs t1\n", verb);
            f.put("x %s p2 vs t2\n", verb);
            f.put("x modifyGraph lstyle(P1)=1;\n");
            f.put("x modifyGraph lstyle(P2)=1;\n");
        }
    }
    if (newExperiment && display) {
        f.put("x label left \"P (bar)\" \n");
        f.put("x label bottom \"T (K)\" \n");
        f.put("x modify mirror=2\n");
    }
}

void WaterMagmaModel::writeIgorScriptForWaterMagmaCycle(WaterMagmaCalculationResult& r) {
    const double M = molarMass();
    const std::string dir = getMacIgorDir();
    writeLoader(dir, "igor0.itx");
    ScriptFile f("igor0.itx");
    f.put("IGOR\n");
    f.put("x newpath/O p7, \"%s\"\n", dir.c_str());
    f.put("x loadwave/p=p7/t/o \"isoc0\" \n");
    f.put("x loadwave/p=p7/t/o \"isos1\" \n");
    if (r.pyroclastCase) f.put("x loadwave/p=p7/t/o \"isoh3\" \n");
    if (r.state4) f.put("x loadwave/p=p7/t/o \"isoss2\" \n");
    // T-U graph.
    f.put("x display t0 vs um0\n");
    f.put("x append t1 vs um1\n");
    if (r.state4) f.put("x append t2 vs um2\n");
    f.put("x label left \"T (K)\" \n");
    f.put("x label bottom \"U (J/g)\" \n");
    f.put("x ModifyGraph rgb(T0)=(0,0,0) \n");
    f.put("x ModifyGraph rgb(T1)=(65535,0,0) \n");
    if (r.state4) f.put("x ModifyGraph rgb(T2)=(1,4,52428) \n");
    f.put("x modify mirror=2 \n");
    f.put("x make /n=2 tdum,udum,pdum\n");
    f.put("x tdum=nan; pdum=nan; udum=nan\n");
    f.put("x tag/C/N=text1/A=LC/X=5/Y=0/S=3 t0,numpnts(t0),\"3\"\n");
    f.put("x tag/C/N=text8/A=MB/X=0/Y=8/S=3 t0,0,\"2\"\n");
    if (r.state4) {
        f.put("x tag/C/N=text3/A=LC/X=5/Y=0/S=3 t2,numpnts(t2),\"5\"\n");
        f.put("x t1 = ( p1[p] > %f ) ? t1[p] : nan \n", r.P4);
        f.put("x tag/C/N=text4/A=LC/X=5/Y=0/S=3 t2,1,\"4\"\n");
    } else {
        f.put("x tag/C/N=text2/A=RC/X=-5/Y=0/S=3 t1,numpnts(t1),\"5\"\n");
    }
    f.put("x append/R udum vs tdum\n");
    f.put("x label right \"T (deg. C)\" \n");
    if (r.state4)
        f.put("x Legend/C/N=text0/J/A=LT/X=0.00/Y=0.00 \"\\s(T0) Isochoric\\r\\s(T1) Isentropic Monophasic\\r\\s(T2) "
              "Isentropic Biphasic\\r\\rQ: %8.2f J/g water\\rW: %8.2f J/g water\\rW: %8.2f J/g magma\"\n",
              r.Q, -r.Wrev, -r.Wrev * r.m);
    else
        f.put("x Legend/C/N=text0/J/A=LT/X=0.00/Y=0.00 \"\\s(T0) Isochoric\\r\\s(T1) Isentropic Monophasic\\r\\rQ: "
              "%8.2f J/g water\\rW: %8.2f J/g water\\rW: %8.2f J/g magma\"\n",
              r.Q, -r.Wrev, -r.Wrev * r.m);
    f.put("x modify nticks=10\n");
    f.put("x modify grid(right)=1, grid(bottom)=1\n");
    f.put("x setaxis bottom %f, %f ;\n", 0.0, 1.05 * r.U3 * 0.001 / M + 40.0);
    f.put("x setaxis left 270, %f ; \n", 1.05 * r.T3 + 10.0);
    f.put("x setaxis right -3.15 , %f ; \n", 1.05 * r.T3 - 263.15);
    // P-T graph.
    f.put("x display p0 vs t0 \n");
    f.put("x append p1 vs t1 \n");
    if (r.state4) f.put("x append p2 vs t2 \n");
    if (r.pyroclastCase) {
        f.put("x append p3 vs t3 \n");
        f.put("x ModifyGraph rgb(P3)=(1,39321,19939) \n");
    }
    f.put("x ModifyGraph rgb(P0)=(0,0,0) \n");
    f.put("x ModifyGraph rgb(P1)=(65535,0,0) \n");
    if (r.state4) {
        f.put("x ModifyGraph rgb(P2)=(1,4,52428) \n");
        f.put("x p1 = ( p1[p] > %f ) ? p1[p] : nan \n", r.P4);
        f.put("x tag/C/N=text4/A=MB/X=0/Y=8/S=3 p2,1,\"4\"\n");
        f.put("x tag/C/N=text3/A=MB/X=0/Y=8/S=3 p2,numpnts(p2),\"5\"\n");
    } else {
        f.put("x tag/C/N=text2/A=MB/X=0/Y=10/S=3 p1,numpnts(p1)-1,\"5\"\n");
    }
    f.put("x tag/C/N=text10/A=MB/X=0/Y=8/S=3 p0,1,\"2\"\n");
    f.put("x modify mirror=2 \n");
    f.put("x modify nticks=10 \n");
    f.put("x label left \"P (bar)\" \n");
    f.put("x label bottom \"T (K)\" \n");
    f.put("x modify highTrip(left)=50000 \n");
    f.put("x append/T pdum vs tdum\n");
    f.put("x label top \"T (deg. C)\" \n");
    f.put("x modify nticks=10 \n");
    f.put(ptLegend(r, false).c_str(), r.m, r.Tm - 273.15, r.T3 - 273.15);
    f.put("x tag/C/N=text1/A=RC/X=-5/Y=0/S=3 p0,numpnts(p0),\"3\"\n");
    f.put("x modify grid(top)=1, grid(left)=1\n");
    const double b0 = r.T1 - 10.0, b1 = 1.05 * r.T3 + 10.0;
    f.put("x setaxis bottom %f, %f ;\n", b0, b1);
    f.put("x setaxis left %f, %f ;\n", 0.0, 1.05 * r.P3 + 10.0);
    f.put("x setaxis top %f, %f ;\n", b0 - 273.15, b1 - 273.15);
    if (r.recharge || r.fractionation) writeRechargeGraphs(f, false);
    f.put("x TileWindows/O=1/C\n");
}

void WaterMagmaModel::writeIgorScriptForWaterMagmaCycle1(WaterMagmaCalculationResult& r) {
    const std::string dir = getMacIgorDir();
    writeLoader(dir, "igor0.itx");
    ScriptFile f("igor0.itx");
    f.put("IGOR\n");
    f.put("x newpath/O p7, \"%s\"\n", dir.c_str());
    f.put("x loadwave/p=p7/t/o \"isop0\" \n");
    f.put("x loadwave/p=p7/t/o \"isos1\" \n");
    if (r.pyroclastCase) f.put("x loadwave/p=p7/t/o \"isoh3\" \n");
    if (r.state4) f.put("x loadwave/p=p7/t/o \"isoss2\" \n");
    f.put("x display p0 vs t0 \n");
    f.put("x append p1 vs t1 \n");
    if (r.state4) f.put("x append p2 vs t2 \n");
    if (r.pyroclastCase) {
        f.put("x append p3 vs t3 \n");
        f.put("x ModifyGraph rgb(P3)=(1,39321,19939) \n");
    }
    f.put("x ModifyGraph rgb(P0)=(0,0,0) \n");
    f.put("x ModifyGraph rgb(P1)=(65535,0,0) \n");
    if (r.state4) f.put("x ModifyGraph rgb(P2)=(1,4,52428) \n");
    f.put("x modify mirror=2 \n");
    f.put("x modify nticks=10 \n");
    f.put("x wavestats t0\n");
    f.put("x make /n=2 tdum,pdum\n");
    f.put("x tdum=nan;pdum=nan;\n");
    f.put("x label left \"P (bar)\" \n");
    f.put("x label bottom \"T (K)\" \n");
    f.put("x modify highTrip(left)=50000 \n");
    f.put("x append/T pdum vs tdum\n");
    f.put("x label top \"T (deg. C)\" \n");
    f.put("x modify nticks=10 \n");
    f.put(ptLegend(r, true).c_str(), r.m, r.Tm - 273.15, r.T3 - 273.15);
    f.put("x tag/C/N=text4/A=MB/X=0/Y=10/S=3 p0,0,\"1\"\n");
    f.put("x tag/C/N=text5/A=MB/X=0/Y=10/S=3 p0,1,\"2\"\n");
    const double x3 = r.liquidFraction3;
    if (x3 == -2.0)
        f.put("x tag/C/N=text1/A=LC/X=5/Y=0/S=3 p0,2,\"3\"\n");
    else if (r.phaseState != 4)
        f.put("x tag/C/N=text6/A=LC/X=5/Y=0/S=3 p0,2,\"Sp\"\n");
    if (r.state4) {
        if (x3 == 0.0) {
            f.put("x p1 =  (t1[p]<%f) ? nan : p1[p] ;\n", r.T4);
            f.put("x p2 =  (t2[p]>%f) ? nan : p2[p] ;\n", r.T4);
            f.put("x tag/C/N=text10/A=RC/X=-5/Y=0/S=3 p2,1,\"4\"\n");
            f.put("x tag/C/N=text8/A=LC/X=5/Y=0/S=3 p0,numpnts(p0),\"3\"\n");
        } else if (x3 > 0.0 && x3 < 1.0) {
            f.put("x p2 =  (t2[p]>%f) ? nan : p2[p] ;\n", r.T3);
            f.put("x tag/C/N=text2/A=MB/X=0/Y=10/S=3 p2,0,\"4\"\n");
            f.put("x tag/C/N=text8/A=LC/X=5/Y=0/S=3 p0,numpnts(p0),\"3\"\n");
        } else if (x3 == -2.0) {
            f.put("x tag/C/N=text2/A=LC/X=5/Y=0/S=3 p0,3,\"4\"\n");
        }
        f.put("x tag/C/N=text3/A=MB/X=0/Y=8/S=3 p2,numpnts(p2),\"5\"\n");
        f.put("x p1 = ( p1[p] < p2 [0] ) ? nan : p1[p] ;\n");
    } else {
        if (x3 == 0.0) f.put("x tag/C/N=text8/A=LC/X=5/Y=0/S=3 p0,numpnts(p0),\"3\"\n");
        f.put("x tag/C/N=text2/A=MB/X=0/Y=10/S=3 p1,numpnts(p1),\"5\"\n");
    }
    f.put("x modify grid(top)=1, grid(left)=1\n");
    const double b0 = r.T1 - 3.0, b1 = 1.05 * r.T3 + 10.0;
    const double Pmax = r.P4 > r.P3 ? r.P4 : r.P3;
    f.put("x setaxis bottom %f, %f ;\n", b0, b1);
    f.put("x setaxis left %f, %f ;\n", 0.0, 1.05 * Pmax + 10.0);
    f.put("x setaxis top %f, %f ;\n", b0 - 273.15, b1 - 273.15);
    f.put("x ModifyGraph width=600, height=500\n");
    f.put("x ModifyGraph gfSize=12\n");
    if (r.recharge) writeRechargeGraphs(f, true);
}

void WaterMagmaModel::writeIgorScriptForWaterMagmaDiagram(char pyroclastHeated, char recharge, const char* suffix) {
    const std::string dir = getMacIgorDir();
    const char* s = suffix ? suffix : "";
    writeLoader(dir, "igor1.itx");
    ScriptFile f("igor1.itx");
    f.put("IGOR\n");
    f.put("x newpath/O p7, \"%s\"\n", dir.c_str());
    f.put("x loadwave/p=p7/t/o \"wm%s\" \n", s);
    auto shadedGraph = [&](const char* w) {
        f.put("x duplicate %s%s %se%s\n", w, s, w, s);
        f.put("x %se%s = t3%s[p] > 570 ? %s%s[p] : NaN \n", w, s, s, w, s);
        f.put("x display %se%s vs m%s \n", w, s, s);
        f.put("x append %s%s vs m%s \n", w, s, s);
        f.put("x modifyGraph lsize(%s%s)=2\n", w, s);
    };
    auto finish = [&]() {
        f.put("x label bottom \"m (kg water/kg magma)\" \n");
        f.put("x label left \"Em (J/g magma)\" \n");
        f.put("x modify mirror=2 \n");
        f.put("x modify grid=1 \n");
        f.put("x modify nticks=10, minor=1\n");
    };
    shadedGraph("emb");
    f.put("x modifyGraph mode(embe%s)=7, rgb(embe%s)=(52428,52428,52428), hbFill(embe%s)=4\n", s, s, s);
    finish();
    if (pyroclastHeated == 1 || recharge == 1) {
        const bool pyro = pyroclastHeated == 1;
        f.put("x append emd%s vs m%s \n", s, s);
        f.put("x modifyGraph lstyle(emd%s)=1\n", s);
        f.put("x modifyGraph lstyle(emd%s)=1, lsize(emd%s)=2, rgb(emd%s)=(1,4,52428)\n", s, s, s);
        f.put("x Legend/C/N=text0/J/A=RT/X=5/Y=5 \"\\\\s(emb%s) Irreversible adiabatic\\r\\\\s(emd%s) %s\" \n", s, s,
              pyro ? "Irreversible, pyroclast-heated" : "Irreversible, with water recharge");
        shadedGraph("ema");
        f.put("x append emc%s vs m%s \n", s, s);
        f.put("x modifyGraph lstyle(emc%s)=1, lsize(emc%s)=2, rgb(emc%s)=(1,4,52428)\n", s, s, s);
        f.put("x Legend/C/N=text0/J/A=RT/X=5/Y=5 \"\\\\s(ema%s) Reversible isentropic\\r\\\\s(emc%s) %s\" \n", s, s,
              pyro ? "Reversible, pyroclast-heated" : "Reversible, with water recharge");
    } else {
        f.put("x Legend/C/N=text0/J/A=RT/X=5/Y=5 \"\\\\s(emb%s) Irreversible adiabatic\" \n", s);
        shadedGraph("ema");
        f.put("x Legend/C/N=text0/J/A=RT/X=5/Y=5 \"\\\\s(ema%s) Reversible isentropic\" \n", s);
    }
    f.put("x modifyGraph mode(emae%s)=7, rgb(emae%s)=(52428,52428,52428), hbFill(emae%s)=4\n", s, s, s);
    finish();
    f.put("x TileWindows/O=1/C\n");
}

// ---------------------------------------------------------------- E(m) data file

namespace {

bool thirteenColumns(const WaterMagmaCalculationInfo& info) {
    return info.pyroclastHeated == 1 || info.recharge == 1 || info.fractionation == 1;
}

}  // namespace

std::FILE* produceHeaderIgorFileForWaterMagmaDiagram(WaterMagmaCalculationInfo& info) {
    // Written in the current directory, where the script loads it from.
    const std::string name = std::string("wm") + info.suffix;
    std::FILE* f = platform::openOutput(name, "w");
    if (f == nullptr) return nullptr;
    const char* s = info.suffix;
    std::fprintf(f, "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s", "m", s, "q", s, "T3", s, "T4",
                 s, "ema", s, "ewa", s, "emb", s, "ewb", s);
    if (thirteenColumns(info))
        std::fprintf(f, " %11s%s %11s%s %11s%s %11s%s %11s%s", "emc", s, "ewc", s, "emd", s, "ewd", s, "qc", s);
    std::fprintf(f, "\nBEGIN\n");
    return f;
}

void writeDataIgorFileForWaterMagmaDiagram(std::FILE* file, WaterMagmaCalculationInfo& info,
                                           WaterMagmaCalculationResult& r) {
    if (file == nullptr) return;
    const double m = r.m;
    double c[13] = {m, r.Q, r.T3, r.T4, -r.Wrev * m, -r.Wrev, -r.Wirr * m, -r.Wirr, 0, 0, 0, 0, 0};
    if (info.pyroclastHeated == 1) {
        const double e[5] = {-r.WrevP * m, -r.WrevP, -r.WirrP * m, -r.WirrP, r.Qp};
        for (int i = 0; i < 5; ++i) c[8 + i] = e[i];
    } else if (info.recharge == 1) {
        const double e[5] = {-r.WrevTotal * m, -r.WrevTotal, -r.WirrTotal * m, -r.WirrTotal, r.QTotal};
        for (int i = 0; i < 5; ++i) c[8 + i] = e[i];
    } else if (info.fractionation == 1) {
        const double N = info.fractionationCount;
        const double n = r.cycleCount;
        c[4] = -r.WrevTotal * m / N;
        c[5] = -r.WrevTotal / n;
        c[6] = -r.WirrTotal * m / N;
        c[7] = -r.WirrTotal / n;
        const double e[5] = {-r.WrevTotal * m, -r.WrevTotal, -r.WirrTotal * m, -r.WirrTotal, r.QTotal};
        for (int i = 0; i < 5; ++i) c[8 + i] = e[i];
    }
    const int n = thirteenColumns(info) ? 13 : 8;
    for (int i = 0; i < n; ++i) std::fprintf(file, "%12f ", c[i]);
    std::fprintf(file, "\n");
}

void WaterMagmaModel::produceIgorFileFromArray(WaterMagmaCalculationInfo& info, const std::vector<double>& a) {
    std::FILE* f = produceHeaderIgorFileForWaterMagmaDiagram(info);
    if (f == nullptr) return;
    for (std::size_t i = 0; i + 31 <= a.size(); i += 31) {
        const double* p = a.data() + i;
        WaterMagmaCalculationResult r;
        r.m = p[0];
        r.Q = p[1];
        r.T3 = p[2];
        r.Wrev = -p[4];
        r.Wirr = -p[6];
        r.WrevP = -p[8];
        r.WirrP = -p[10];
        r.steamMassFraction5 = p[11];
        r.steamVolumeFraction5 = p[12];
        r.steamMassFraction5irr = p[13];
        r.steamVolumeFraction5irr = p[14];
        r.steamMassFraction5p = p[15];
        r.steamVolumeFraction5p = p[16];
        r.steamMassFraction5irrP = p[17];
        r.steamVolumeFraction5irrP = p[18];
        r.Qp = p[19];
        r.T5 = p[20];
        r.T5irr = p[21];
        r.T5p = p[22];
        r.T5irrP = p[23];
        r.WrevTotal = -p[24];
        r.WirrTotal = -p[25];
        r.QTotal = p[26];
        r.cycleCount = p[27];
        r.T4 = p[28];
        r.T4p = p[29];
        writeDataIgorFileForWaterMagmaDiagram(f, info, r);
    }
    std::fprintf(f, "END\n");
    platform::closeOutput(f, std::string("wm") + info.suffix);
}
