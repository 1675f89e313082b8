#include "stack/stack.h"

#include <cmath>

namespace coat {

InterfaceCoefficients interfaceCoefficients(double nA, double nB, double nS, double na,
                                            double tau, double cosTheta, double k,
                                            Polarization pol, int exitMaterial)
{
    InterfaceCoefficients c;
    const double n[3] = {nA, nB, nS};
    for (int x = 0; x < 3; ++x) c.q[x] = std::sqrt(n[x] * n[x] - tau);
    c.qa = na * cosTheta;
    c.beta[MATERIAL_A] = c.q[MATERIAL_A] * k;
    c.beta[MATERIAL_B] = c.q[MATERIAL_B] * k;

    c.mu[SLOT_AMBIENT_A] = c.qa / c.q[MATERIAL_A];
    c.mu[SLOT_A_B] = c.q[MATERIAL_A] / c.q[MATERIAL_B];
    c.mu[SLOT_B_A] = 1 / c.mu[SLOT_A_B];
    c.mu[SLOT_EXIT] = c.q[exitMaterial] / c.q[SUBSTRATE];
    if (pol == Polarization::TM) {
        c.nu[SLOT_AMBIENT_A] = na / nA;
        c.nu[SLOT_A_B] = nA / nB;
        c.nu[SLOT_B_A] = 1 / c.nu[SLOT_A_B];
        c.nu[SLOT_EXIT] = n[exitMaterial] / nS;
    } else {
        for (double& v : c.nu) v = 1;
    }
    for (int s = 0; s < 4; ++s) {
        c.m[s] = admittanceRatio(c.mu[s], c.nu[s], pol);
        c.g[s] = 1 + c.m[s];
        c.h[s] = 1 - c.m[s];
    }
    return c;
}

Complex stackReflection(double k, double nA, double nB, double nS, const double* d, std::size_t L,
                        double na, double tau, double cosTheta, Polarization pol)
{
    return stackReflectionOf(interfaceCoefficients(nA, nB, nS, na, tau, cosTheta, k, pol), d, L);
}

Complex bareSubstrateReflection(double nS, double na, double tau, double cosTheta,
                                Polarization pol)
{
    const double qS = std::sqrt(nS * nS - tau);
    const double m = admittanceRatio(na * cosTheta / qS, na / nS, pol);
    return closeStack(identityRow(), 1 + m, 1 - m);
}

namespace {

struct Reflectance {
    template <class Variant>
    static void run(const StackGrid& grid, double* R)
    {
        using Trig = typename Variant::Trig;
        forEachLaneGroup<typename Variant::Lanes>(
            grid, Polarization::TM, tangentialIndexSquared(grid.na, grid.theta), MATERIAL_B,
            [&](std::size_t first, std::size_t count, const auto& c) {
                storeLanes(R + first, count,
                           reflectanceOf(stackReflectionOf<Trig>(c, grid.d, grid.L)));
            });
    }
};

}  // namespace

void reflectanceOverGrid(const StackGrid& grid, double* R, KernelPath path)
{
    runKernel<Reflectance>(path, grid, R);
}

}  // namespace coat
