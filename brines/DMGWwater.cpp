#include "brines/DMGWwater.h"
#include "platform/LogSink.h"

#include <cmath>

namespace {

DuanPar make(int form, double Tref, std::initializer_list<double> c) {
    DuanPar p;
    p.form = form;
    p.Tref = Tref;
    double* slots[11] = {&p.c1, &p.c2, &p.c3, &p.c4, &p.c5, &p.c6, &p.c7, &p.c8, &p.c9, &p.c10, &p.c11};
    int i = 0;
    for (double v : c) *slots[i++] = v;
    return p;
}

}  // namespace

void DuanPar::calculate(int order) {
    const double a = 1.0 / (Tref - T);
    const double lnT = std::log(T);
    switch (form) {
        case 0:
            value = c1;
            dT = dP = 0.0;
            return;
        case 1:
        case 2:
            value = c1 + c2 * T + c3 / T + c4 * T * T + c5 * a + c6 * P + c7 * P * lnT + c8 * P / T + c9 * P * a;
            if (form == 1) value += c10 * P * P / T;
            else value += c10 * P * P * a * a + c11 * T * std::log(P);
            if (order >= 1) {
                dT = c2 - c3 / (T * T) + 2.0 * c4 * T + c5 * a * a + c7 * P / T - c8 * P / (T * T) + c9 * P * a * a;
                dP = c6 + c7 * lnT + c8 / T + c9 * a;
                if (form == 1) {
                    dT -= c10 * P * P / (T * T);
                    dP += 2.0 * c10 * P / T;
                } else {
                    dT += 2.0 * c10 * P * P * a * a * a + c11 * std::log(P);
                    dP += 2.0 * c10 * P * a * a + c11 * T / P;
                }
            }
            return;
        case 3:
        case 4:
            value = c1 + c2 * T + c3 / T + c4 * T * T + c5 / (T * T) + c6 * P + c7 * P * T + c8 * P / T;
            if (form == 3) value += c9 * P * P / T;
            else value += c9 * P / (T * T) + c10 * P * P * T;
            if (order >= 1) {
                dT = c2 - c3 / (T * T) + 2.0 * c4 * T - 2.0 * c5 / (T * T * T) + c7 * P - c8 * P / (T * T);
                dP = c6 + c7 * T + c8 / T;
                if (form == 3) {
                    dT -= c9 * P * P / (T * T);
                    dP += 2.0 * c9 * P / T;
                } else {
                    dT += -2.0 * c9 * P / (T * T * T) + c10 * P * P;
                    dP += c9 / (T * T) + 2.0 * c10 * P * T;
                }
            }
            return;
        default: return;
    }
}

DMGWwater::DMGWwater(SM_SystemType type, int version_) {
    shibue.setNaClParameters();
    setSystemType(type, version_);
}

DMGWwater::~DMGWwater() { purge(); }

void DMGWwater::purge() {
    mu.reset();
    lambda.reset();
    extra.reset();
    zeta.reset();
    SolubilityModel::purge();
}

void DMGWwater::setSystemType(SM_SystemType type, int version_) {
    if (type == systemType && version_ == version) return;
    SolubilityModel::setSystemType(type, version_);
    setGasModelType(SM_GasDMW1);
    mu.reset();
    lambda.reset();
    extra.reset();
    zeta.reset();
    // Systems without salt take the parameter sets of their gas (the salt
    // terms then vanish with ms = 0).
    switch (type) {
        case SM_H2O_CH4_NaCl:
        case SM_Brine_Hydrocarbons:
        case SM_H2O_CH4:
            setParametersForCH4();
            shibue.setNaClParameters();
            if (version_ == 0) setModelName("Duan et al. (1992) model");
            else if (version_ == 1) setModelName("Duan & Mao (2006) model");
            break;
        case SM_H2O_CO2_NaCl:
        case SM_H2O_CO2:
            setParametersForCO2();
            shibue.setNaClParameters();
            break;
        case SM_H2O_N2_NaCl:
        case SM_H2O_N2: setParametersForN2(); break;
        default: break;
    }
    setDensityModelType(SM_DensityMaoDuanWagnerPruss);
    setFitRange();
}

void DMGWwater::setFitRange() {
    // The ranges of the publications: T (K), P up to (Pa), NaCl up to (mol/kg).
    switch (systemType) {
        case SM_H2O_CH4_NaCl:
        case SM_Brine_Hydrocarbons:
        case SM_H2O_CH4:
            if (version == 0)
                fit = {"Duan, Moller, Greenberg & Weare (1992) methane solubility", 273.15, 523.15, 1.6e8, 6.0};
            else
                fit = {"Duan & Mao (2006) methane solubility", 273.15, 523.15, 2e8, 6.0};
            break;
        case SM_H2O_CO2_NaCl:
        case SM_H2O_CO2: fit = {"Duan & Sun (2003) CO2 solubility", 273.15, 533.15, 2e8, 4.3}; break;
        case SM_H2O_N2_NaCl:
        case SM_H2O_N2: fit = {"Mao & Duan (2006) N2 solubility", 273.15, 400.0, 6e7, 6.0}; break;
        default: fit = FitRange(); break;
    }
}

void DMGWwater::changeModelVersion(int version_) {
    if (version_ == version) return;
    if (systemType != SM_H2O_CH4_NaCl && systemType != SM_H2O_CH4) return;
    version = version_;
    setParametersForCH4();
    setFitRange();
    if (version_ == 0) setModelName("Duan et al. (1992) model");
    else if (version_ == 1) setModelName("Duan & Mao (2006) model");
}

void DMGWwater::setParametersForCH4() {
    mu.reset();
    lambda.reset();
    extra.reset();
    zeta.reset();
    if (version == 0) {
        mu = std::make_unique<DuanPar>(make(1, 680, {43.0210345, -0.0683277221, -5687.1873, 3.56636281e-05, -57.9133791,
                                                     0.00611616662, -0.000785528103, -0.0942540759, 0.019213204,
                                                     -9.17186899e-06}));
        lambda = std::make_unique<DuanPar>(make(1, 680, {0.0992230792, 2.57906811e-05, 0, 0, 0, 0, 0, 0.0183451402, 0,
                                                         -8.07196716e-06}));
        extra = std::make_unique<DuanPar>();
        zeta = std::make_unique<DuanPar>(make(0, 0, {-0.00623943799}));
    } else if (version == 1) {
        mu = std::make_unique<DuanPar>(make(4, 0, {8.3143711, -0.00072772168, 2148.9858, -1.4019672e-05, -667434.49,
                                                   0.007698589, -5.0253331e-06, -3.0092013, 484.68502}));
        lambda = std::make_unique<DuanPar>(
            make(4, 0, {-0.81222036, 0.0010635172, 188.94036, 0, 0, 4.4105635e-05, 0, 0, 0, -4.6797718e-11}));
        zeta = std::make_unique<DuanPar>(make(0, 0, {-0.0029903571}));
    } else {
        platform::diagf("DMGWwater: methane model version %d does not exist (0 or 1)\n", version);
    }
}

void DMGWwater::setParametersForCO2() {
    mu = std::make_unique<DuanPar>(make(2, 630, {28.9447706, -0.0354581768, -4770.67077, 1.02782768e-05, 33.8126098,
                                                 0.0090403714, -0.00114934031, -0.307405726, -0.0907301486,
                                                 0.000932713393}));
    lambda = std::make_unique<DuanPar>(make(2, 630, {-0.411370585, 0.000607632013, 97.5347708, 0, 0, 0, 0,
                                                     -0.0237622469, 0.0170656236, 0, 1.41335834e-05}));
    // Duan & Sun (2003), Table 2: every parameter, zeta included, takes its
    // 1/(630 - T) terms with 630 K (c9 P/(630 - T) is zeta's pressure term);
    // zeta's c8 is 2.12220830e-3.
    zeta = std::make_unique<DuanPar>(
        make(2, 630, {0.000336389723, -1.9829898e-05, 0, 0, 0, 0, 0, 0.0021222083, -0.00524873303}));
}

void DMGWwater::setParametersForN2() {
    mu = std::make_unique<DuanPar>(make(3, 0, {-23.093813, 0.056048525, 9880.8898, -5.1091621e-05, -1322029.8,
                                               -0.00049542866, 1.2698747e-06, 0.51411144, -6.4733978e-05}));
    lambda = std::make_unique<DuanPar>(
        make(3, 0, {-2.4434074, 0.0036351795, 447.47364, 0, 0, -1.3711527e-05, 0, 0, 7.1037217e-06}));
    zeta = std::make_unique<DuanPar>(make(0, 0, {-0.0058071053}));
}

void DMGWwater::calculate_aqueous_fugacities() {
    if (!parametersReady() || ig < 0) {
        fugacityError = 1;
        return;
    }
    double Pp = P;
    if (r != 0.0) {
        calculateSigma();
        Pp = P - 2.0 * sigma / r;
    }
    const double Pb = Pp / 1e5;
    for (DuanPar* p : {mu.get(), lambda.get(), zeta.get()}) {
        p->T = T;
        p->P = Pb;
        p->calculate(0);
    }
    henryConstant[ig] = std::exp(mu->value) * 1e5;
    activity[ig] = std::exp(2.0 * lambda->value * ms + zeta->value * ms * ms);
    fugacity[ig] = henryConstant[ig] * mg * activity[ig];
}

void DMGWwater::calculate_gas_partial_volume_() {
    if (!parametersReady()) return;
    for (DuanPar* p : {mu.get(), lambda.get(), zeta.get()}) {
        p->T = T;
        p->P = P / 1e5;
        p->calculate(1);
    }
    Vg = R * T * (mu->dP + 2.0 * ms * lambda->dP + ms * ms * zeta->dP) * 1e-5;
}

void DMGWwater::calculate_vapour_fugacities() {
    fugacityError = 0;
    waterFractionOverTheLiquid();
    const bool ch4v1 = (systemType == SM_H2O_CH4_NaCl || systemType == SM_H2O_CH4) && version == 1;
    const bool n2 = systemType == SM_H2O_N2_NaCl || systemType == SM_H2O_N2;
    if (ch4v1 || n2) {
        static const double bCH4[6] = {-0.0142006707, 0.010836991, -1.5921316e-06, -1.10804676e-05, -3.14287155,
                                       0.00106338095};
        static const double bN2[6] = {0.0018635788, 0.0117332094, 7.82682497e-07, -1.15662779e-05, -3.13619739,
                                      -0.00129464029};
        const double* b = ch4v1 ? bCH4 : bN2;
        const double Pb = P * 1e-5;
        const double phiw = std::exp(b[0] + b[1] * Pb + b[2] * Pb * Pb + b[3] * Pb * T + b[4] * Pb / T +
                                     b[5] * Pb * Pb / T);
        // Shibue's vapour pressure takes the salt's mole fraction in the
        // water-salt binary: the dissolved gas does not dilute it (else the
        // solubility at P and the bubble point of that liquid disagree).
        const double a = Mw * ms;
        Psat = 1e5 * shibue.getPsat(T, is >= 0 ? a / (1.0 + a) : 0.0);
        const double s = 2.0 * Mw * ms;
        yw = (1.0 - s / (1.0 + s)) * Psat / (phiw * P) * std::exp((P - Psat) * Vl / (R * T));
    }
    gasFugacityInVapour();
}
