#include "stack/stack.h"

#include <cmath>

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
    const InterfaceCoefficients c = interfaceCoefficients(nA, nB, nS, na, tau, cosTheta, k, pol);
    StackRow s = identityRow();
    for (std::size_t j = 0; j < L; ++j) {
        const LayerSlot ls = slotOfLayer(j);
        s = applyLayer(s, c.g[ls.slot], c.h[ls.slot], c.beta[ls.material] * d[j]);
    }
    return closeStack(s, c.g[SLOT_EXIT], c.h[SLOT_EXIT]);
}

Complex bareSubstrateReflection(double nS, double na, double tau, double cosTheta,
                                Polarization pol)
{
    const double qS = std::sqrt(nS * nS - tau);
    const double m = admittanceRatio(na * cosTheta / qS, na / nS, pol);
    return closeStack(identityRow(), 1 + m, 1 - m);
}

void reflectanceOverGrid(const StackGrid& grid, double* R)
{
    const double tau = tangentialIndexSquared(grid.na, grid.theta);
    const double cosTheta = std::cos(grid.theta);
    const double* n = grid.n;
    for (std::size_t i = 0; i < grid.K; ++i, n += 3) {
        R[i] = reflectanceOf(stackReflection(grid.k[i], n[0], n[1], n[2], grid.d, grid.L, grid.na,
                                             tau, cosTheta, Polarization::TM));
    }
}
