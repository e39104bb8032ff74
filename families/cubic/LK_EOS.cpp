#include "families/cubic/LK_EOS.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "families/cubic/BWR_EOS.h"
#include "families/cubic/CubicData.h"
#include "families/cubic/LeeKeslerConstants.h"
#include "fluid/ComponentFile.h"
#include "fluid/Standard.h"
#include "platform/LogSink.h"

namespace {
constexpr double kR = 8.31434;
constexpr std::size_t kMaxPath = 127;  // "compo/" + name
}  // namespace

LK_EOS::LK_EOS(int phaseKind) : FluidPhase(0, phaseKind, 0) {
    setModelName("Lee-Kesler");
    simpleFluid = std::make_unique<BWR_EOS>(lee_kesler::kSimpleFluid);
    referenceFluid = std::make_unique<BWR_EOS>(lee_kesler::kReferenceFluid);
    omega0 = 0.0;
    omegaR = lee_kesler::kOmegaReference;
    ideal = new Standard();
    Tb = 100.0;
}

LK_EOS::LK_EOS(int phaseKind, FluidPhase* simple, FluidPhase* reference, double omega0_, double omegaR_)
    : FluidPhase(0, phaseKind, 0), simpleFluid(simple), referenceFluid(reference), omega0(omega0_), omegaR(omegaR_) {
    setModelName("Lee-Kesler");
    ideal = new Standard();
    Tb = 0.0;
}

void LK_EOS::number_of_components(int n) {
    FluidPhase::number_of_components(n);
    if (n < 1) return;
    const std::size_t m = static_cast<std::size_t>(n);
    Tc.assign(m, 0.0);
    Pc.assign(m, 0.0);
    omega.assign(m, 0.0);
    for (Matrix* a : {&zeta, &eta, &zetaHigh, &etaHigh, &zetaLow, &etaLow}) a->assign(m, std::vector<double>(m, 0.0));
}

void LK_EOS::read_component_data(int i, const char* name) {
    if (i < 0 || i >= component_count || !name) return;
    const std::string rel = componentFilePath(name);
    bool found = false;
    if (rel.size() <= kMaxPath) {
        // The acentric factor places the component between the simple and
        // the reference fluid: a file without it (or without Tc, Pc, mw) is refused.
        found = cubic::readCorrespondingStates(name, "Lee-Kesler", "Cannot find %s file !\n", Tc[i], Pc[i], omega[i],
                                               molar_mass[i]);
    } else {
        platform::diagf("Cannot find %s file !\n", rel.c_str());
    }
    // The ideal-gas part takes the same component.
    readIdealComponentData(ideal, name);
    if (found && i == component_count - 1) read_BIP();
}

void LK_EOS::read_BIP() {
    std::FILE* f = std::fopen("LK.BIP", "r");
    if (!f) return;  // no file: the parameters stay as they are
    WordReader reader(f);
    std::string n1, n2, w;
    for (;;) {
        if (!reader.next(n1) || !reader.next(n2)) break;
        double v[4];
        bool ok = true;
        for (double& d : v) {
            if (!reader.next(w) || !parseNumber(w, d)) {
                ok = false;
                break;
            }
        }
        if (!ok) {
            if (!w.empty()) platform::diagf("LK.BIP: record %s %s is not complete or not numeric\n", n1.c_str(), n2.c_str());
            break;
        }
        for (int i = 0; i < component_count; i++) {
            if (component_names[i] != n1) continue;
            for (int j = 0; j < component_count; j++) {
                if (component_names[j] != n2) continue;
                zetaHigh[i][j] = zetaHigh[j][i] = v[0];
                zetaLow[i][j] = zetaLow[j][i] = v[1];
                etaHigh[i][j] = etaHigh[j][i] = v[2];
                etaLow[i][j] = etaLow[j][i] = v[3];
            }
        }
    }
    std::fclose(f);
}

void LK_EOS::set_binary_interaction_dzetaij(int i, int j, double z, double e) {
    if (i < 0 || j < 0 || i >= component_count || j >= component_count) return;
    zetaLow[i][j] = z;
    etaLow[i][j] = e;
}

void LK_EOS::set_binary_interaction_dzeta_parameters(std::initializer_list<double> pairs) {
    auto it = pairs.begin();
    for (int i = 0; i < component_count; i++)
        for (int j = i + 1; j < component_count; j++) {
            if (it == pairs.end() || it + 1 == pairs.end()) return;
            const double z = *it++;
            const double e = *it++;
            set_binary_interaction_dzetaij(i, j, z, e);
        }
}

void LK_EOS::calculate_the_pseudo_critical_parameters() {
    const int n = component_count;
    const double f = Tb < 1.05 ? 1.0 : std::exp(-(1.05 - Tb) * (1.05 - Tb) / 2.0);
    std::vector<double> cbrtVc(static_cast<std::size_t>(n));
    omega_mix = 0.0;
    for (int i = 0; i < n; i++) {
        const double Zc = 0.2905 - 0.085 * omega[i];
        cbrtVc[i] = std::cbrt(Zc * kR * Tc[i] / Pc[i]);
        omega_mix += x[i] * omega[i];
    }
    double S1 = 0.0, S2 = 0.0;
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) {
            zeta[i][j] = f * zetaLow[i][j] + (1.0 - f) * zetaHigh[i][j];
            eta[i][j] = f * etaLow[i][j] + (1.0 - f) * etaHigh[i][j];
            const double s = cbrtVc[i] + cbrtVc[j];
            const double Vij = s * s * s;
            const double w = x[i] * x[j] * (1.0 - eta[i][j]) * Vij;
            S1 += w;
            S2 += w * (1.0 - zeta[i][j]) * std::sqrt(Tc[i] * Tc[j]);
        }
    Vpc = S1 / 8.0;
    Tpc = S2 / S1;
    Ppc = (0.2905 - 0.085 * omega_mix) * kR * Tpc / Vpc;
}

void LK_EOS::calculate_molar_volume() {
    errorflag = 0;
    if (!simpleFluid || !referenceFluid || component_count < 1) {
        errorflag = 1;
        return;
    }
    calculate_the_pseudo_critical_parameters();
    if (!(std::isfinite(Tpc) && std::isfinite(Ppc) && Tpc > 0.0 && Ppc > 0.0) || omegaR == omega0) {
        // Missing critical constants (a zero Pc makes Vc infinite) give no state.
        errorflag = 1;
        return;
    }
    FluidPhase* fluids[2] = {simpleFluid.get(), referenceFluid.get()};
    for (FluidPhase* f : fluids) {
        f->set_the_phase_as(phase_kind);
        f->temperature(T / Tpc);
        f->pressure(P / Ppc);
        f->describe();
        // A fluid whose volume search failed makes the interpolated state meaningless.
        if (f->errorflag) errorflag = 1;
    }
    const double w = (omega_mix - omega0) / (omegaR - omega0);
    Z = (1.0 - w) * simpleFluid->Z + w * referenceFluid->Z;
    volume(((1.0 - w) * simpleFluid->V + w * referenceFluid->V) * kR * Tpc / Ppc);
    calculateBulkMolarWeight();
    solvedT_ = T;
    solvedV_ = V;
    calculated = 1;
}

bool LK_EOS::stateFromSearch() {
    if (T == solvedT_ && V == solvedV_ && errorflag == 0) return true;
    if (platform::firstInCall("Lee-Kesler pressure at a volume"))
        platform::diagf("Lee-Kesler: the model gives the molar volume at a temperature and pressure only, "
                        "not the pressure at a volume\n");
    P = Z = std::nan("");
    errorflag = 1;
    return false;
}

void LK_EOS::calculate_pressure() { stateFromSearch(); }

// Neither fugacities nor state functions: the two fluids give the volume alone.
void LK_EOS::calculate_fugacities() {
    stateFromSearch();
    for (int i = 0; i < component_count; i++) fugacity[i] = fugcoef[i] = std::nan("");
}

void LK_EOS::calculate_state_functions() {
    stateFromSearch();
    withholdStateFunctions(true);
}
