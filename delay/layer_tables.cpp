#include "delay/layer_tables.h"

void fillLayerTables(LayerTables& t, const InterfaceCoefficients& c,
                     const PhaseRateDerivatives& dc, const double* d)
{
    const std::size_t L = t.layers();
    for (std::size_t j = 0; j < L; ++j) {
        const LayerSlot ls = slotOfLayer(j);
        t.slope[j] = -(d[j] * dc.betaPrime[ls.material]);
        t.pairs[j] = halvedPair(c, ls.slot);
        double s, co;
        sinCos(c.beta[ls.material] * d[j], &s, &co);
        t.propagation[j] = {co, -s};
    }
    t.pairs[L] = halvedPair(c, SLOT_EXIT);
}

ReflectionDerivative tableReflectionDerivative(LayerTables& t, const InterfaceCoefficients& c,
                                               const PhaseRateDerivatives& dc, const double* d)
{
    fillLayerTables(t, c, dc, d);
    forwardSweep(t, [](const LayerStepRows&) {});
    const std::size_t L = t.layers();
    return reflectionDerivativeOf(t.rows[L], t.derivativeRows[L]);
}

TableWalkSetup tableWalkSetup(const StackGrid& grid)
{
    return {tangentialIndexSquaredOfProduct(grid.na, grid.theta), std::cos(grid.theta),
            exitMaterialOf(grid.L)};
}

void bareSubstrateOverGrid(const StackGrid& grid, Polarization pol, double tau, double* R,
                           double* GD)
{
    const double cosTheta = std::cos(grid.theta);
    const Complex zero = {0.0, 0.0};
    for (std::size_t i = 0; i < grid.K; ++i) {
        const Complex rho = bareSubstrateReflection(grid.n[3 * i + 2], grid.na, tau, cosTheta, pol);
        R[i] = reflectanceOf(rho);
        if (GD) GD[i] = groupDelayStepwiseOf(rho, zero, R[i]);
    }
}

void tableDelayOverGrid(const StackGrid& grid, Polarization pol, LayerTables& t, double* R,
                        double* GD)
{
    const TableWalkSetup setup = tableWalkSetup(grid);
    if (grid.L == 0) {
        bareSubstrateOverGrid(grid, pol, setup.tau, R, GD);
        return;
    }
    const double* n = grid.n;
    const double* np = grid.nPrime;
    for (std::size_t i = 0; i < grid.K; ++i, n += 3, np += 3) {
        const double k = grid.k[i];
        const InterfaceCoefficients c = interfaceCoefficients(
            n[0], n[1], n[2], grid.na, setup.tau, setup.cosTheta, k, pol, setup.exitMaterial);
        const ReflectionDerivative r =
            tableReflectionDerivative(t, c, phaseRateDerivatives(n, np, c.q, k), grid.d);
        R[i] = reflectanceOf(r.rho);
        if (GD) GD[i] = groupDelayStepwiseOf(r.rho, r.rhoPrime, R[i]);
    }
}
