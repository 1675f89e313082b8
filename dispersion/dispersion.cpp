#include "dispersion/dispersion.h"

ReflectionSecondDerivative closeStackSecondDerivative(const StackRow& s, const StackRow& derivative,
                                                      const StackRow& second, double g, double h)
{
    const StackRow closing = mixInterface(s, g, h);
    const StackRow closingDerivative = mixInterface(derivative, g, h);
    const StackRow closingSecond = mixInterface(second, g, h);
    const ReflectionDerivative r = reflectionDerivativeOf(closing, closingDerivative);

    const Complex f = closing.a, e = closing.b;
    const Complex fp = closingDerivative.a, ep = closingDerivative.b;
    const Complex fpp = closingSecond.a, epp = closingSecond.b;
    // rho'' = [(f f'' - 2 f'^2) e + (2 f' e' - f e'') f] / f^3, f^3 = (f^2) f.
    const Complex first = mul(sub(mul(f, fpp), scale(2, mul(fp, fp))), e);
    const Complex cross = mul(sub(mul(scale(2, fp), ep), mul(f, epp)), f);
    const Complex F = {f.re * f.re - f.im * f.im, 2 * f.re * f.im};
    return {r.rho, r.rhoPrime, divide(add(first, cross), mul(F, f))};
}

ReflectionSecondDerivative stackReflectionSecondDerivative(const InterfaceCoefficients& c,
                                                           const PhaseRateDerivatives& dc,
                                                           const double* d, std::size_t L)
{
    const double betaPrimeSquared[2] = {dc.betaPrime[MATERIAL_A] * dc.betaPrime[MATERIAL_A],
                                        dc.betaPrime[MATERIAL_B] * dc.betaPrime[MATERIAL_B]};
    const double betaSecond[2] = {phaseRateSecondDerivative(dc.qPrime[MATERIAL_A]),
                                  phaseRateSecondDerivative(dc.qPrime[MATERIAL_B])};
    StackRow s = identityRow();
    StackRow ds = {{0.0, 0.0}, {0.0, 0.0}};
    StackRow dds = ds;
    for (std::size_t j = 0; j < L; ++j) {
        const LayerSlot ls = slotOfLayer(j);
        const int x = ls.material;
        const Complex w = halfPropagation(c.beta[x] * d[j]);
        const Complex P = scale(c.g[ls.slot], w), Q = scale(c.h[ls.slot], w);
        const double sigmaIm = -(dc.betaPrime[x] * d[j]);
        const Complex kappa = curvatureFactor(d[j], betaPrimeSquared[x], betaSecond[x]);
        const StackRow next = applyLayer(s, P, Q);
        dds = applyLayerSecondDerivative(next, ds, dds, P, Q, sigmaIm, kappa);
        ds = applyLayerDerivative(next, ds, P, Q, sigmaIm);
        s = next;
    }
    return closeStackSecondDerivative(s, ds, dds, c.g[SLOT_EXIT], c.h[SLOT_EXIT]);
}

void dispersionOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD,
                        double* GDD)
{
    const double tau = tangentialIndexSquared(grid.na, grid.theta);
    const double cosTheta = std::cos(grid.theta);
    const double* n = grid.n;
    const double* np = grid.nPrime;
    for (std::size_t i = 0; i < grid.K; ++i, n += 3, np += 3) {
        const double k = grid.k[i];
        const InterfaceCoefficients c =
            interfaceCoefficients(n[0], n[1], n[2], grid.na, tau, cosTheta, k, pol);
        const ReflectionSecondDerivative r = stackReflectionSecondDerivative(
            c, phaseRateDerivatives(n, np, c.q, k), grid.d, grid.L);
        R[i] = reflectanceOf(r.rho);
        const double gd = groupDelayStepwiseOf(r.rho, r.rhoPrime, R[i]);
        if (GD) GD[i] = gd;
        if (GDD) GDD[i] = dispersionOf(r.rho, r.rhoPrime, r.rhoSecond, R[i], gd);
    }
}
