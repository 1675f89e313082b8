#include "delay/delay.h"

PhaseRateDerivatives phaseRateDerivatives(const double n[3], const double nPrime[3],
                                          const double q[3], double k)
{
    PhaseRateDerivatives dc;
    for (int x = 0; x < 3; ++x) {
        dc.qPrime[x] = normalIndexDerivative(n[x], nPrime[x], q[x]);
        dc.betaPrime[x] = phaseRateDerivative(q[x], dc.qPrime[x], k);
    }
    return dc;
}

ReflectionDerivative reflectionDerivativeOf(const StackRow& closing,
                                            const StackRow& closingDerivative)
{
    const Complex f = closing.a, e = closing.b;
    const Complex fp = closingDerivative.a, ep = closingDerivative.b;
    const Complex Z = sub(mul(e, fp), mul(f, ep));
    const Complex F = {f.re * f.re - f.im * f.im, 2 * f.re * f.im};
    return {reflectionOf(closing), divide(Z, F)};
}

ReflectionDerivative stackReflectionDerivative(const InterfaceCoefficients& c,
                                               const PhaseRateDerivatives& dc, const double* d,
                                               std::size_t L)
{
    StackRow s = identityRow();
    StackRow ds = {{0.0, 0.0}, {0.0, 0.0}};
    for (std::size_t j = 0; j < L; ++j) {
        const LayerSlot ls = slotOfLayer(j);
        const Complex w = halfPropagation(c.beta[ls.material] * d[j]);
        const Complex P = scale(c.g[ls.slot], w), Q = scale(c.h[ls.slot], w);
        const StackRow next = applyLayer(s, P, Q);
        ds = applyLayerDerivative(next, ds, P, Q, -(dc.betaPrime[ls.material] * d[j]));
        s = next;
    }
    return closeStackDerivative(s, ds, c.g[SLOT_EXIT], c.h[SLOT_EXIT]);
}

void delayOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD)
{
    const double tau = tangentialIndexSquared(grid.na, grid.theta);
    const double cosTheta = std::cos(grid.theta);
    const double* n = grid.n;
    const double* np = grid.nPrime;
    for (std::size_t i = 0; i < grid.K; ++i, n += 3, np += 3) {
        const double k = grid.k[i];
        const InterfaceCoefficients c =
            interfaceCoefficients(n[0], n[1], n[2], grid.na, tau, cosTheta, k, pol);
        const ReflectionDerivative r =
            stackReflectionDerivative(c, phaseRateDerivatives(n, np, c.q, k), grid.d, grid.L);
        R[i] = reflectanceOf(r.rho);
        if (GD) GD[i] = groupDelayOf(r.rho, r.rhoPrime, R[i]);
    }
}
