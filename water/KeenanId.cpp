#include "water/KeenanId.h"

#include <cmath>

#include "water/KeenanRes.h"
#include "water/LeafDerivatives.h"

namespace {

constexpr double kC[8] = {1857.065, 3229.12, -419.465, 36.6649, -20.5516, 4.85233, 46.0, -1011.249};
const double kPassConstant = -std::log(KeenanRes::rho0);

}  // namespace

KeenanId::KeenanId()
{
    leavesDependOnlyOn({{&psi0, 0}, {&RT, 0}});
    setModelName("KeenanId");
    psi0.setName("psi0");
    RT.setName("RT");
    Division* A = new Division;
    A->setName("A");
    A->tie2(psi0, RT);
    A->set_scalars1(1.0);
    root = A;
    setDebugLink();
}

bool KeenanId::fugacityPassInClosedForm(double& f, double& fT, double& fTT, double& m) const
{
    return constantFugacityPass(kPassConstant, 0.0, f, fT, fTT, m);
}

void KeenanId::calculate_fixed_parameters()
{
    using namespace waterleaf;
    Jet rt;
    if (fugacityPass) {
        Jet p;
        p.f[0] = kPassConstant;
        load(psi0, 0, p);
        rt.f[0] = 1.0;
        load(RT, 0, rt);
        return;
    }
    Jet p;
    double scale = 1.0;  // 1000^-(k-1)
    for (int k = 0; k < 6; ++k) {
        p += power(kC[k] * scale, T, k);
        scale *= 1e-3;
    }
    p += logarithm(kC[6], T);
    p += powerLog(kC[7] * 1e-3, T, 1.0);
    load(psi0, 0, p);
    rt.f[0] = Rg * T;
    rt.f[1] = Rg;
    load(RT, 0, rt);
}
