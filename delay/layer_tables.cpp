#include "delay/layer_tables.h"

void bareSubstrateOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD)
{
    const double tau = tableWalkTau(grid);
    const double cosTheta = std::cos(grid.theta);
    const Complex zero = {0.0, 0.0};
    for (std::size_t i = 0; i < grid.K; ++i) {
        const Complex rho = bareSubstrateReflection(grid.n[3 * i + 2], grid.na, tau, cosTheta, pol);
        R[i] = reflectanceOf(rho);
        if (GD) GD[i] = groupDelayStepwiseOf(rho, zero, R[i]);
    }
}

namespace {

template <class Trig>
void tableDelayGroups(const StackGrid& grid, Polarization pol, LaneTables& t, double* R,
                      double* GD)
{
    forEachDerivativeLaneGroup(
        grid, pol, tableWalkTau(grid), exitMaterialOf(grid.L),
        [&](std::size_t first, std::size_t count, const auto& c, const auto& dc) {
            const auto r = tableReflectionDerivative<Trig>(t, c, dc, grid.d);
            const Lanes Rv = reflectanceOf(r.rho);
            storeLanes(R + first, count, Rv);
            if (GD) storeLanes(GD + first, count, groupDelayStepwiseOf(r.rho, r.rhoPrime, Rv));
        });
}

__attribute__((flatten)) void tableDelayPortable(const StackGrid& grid, Polarization pol,
                                                 LaneTables& t, double* R, double* GD)
{
    tableDelayGroups<ExactTrig>(grid, pol, t, R, GD);
}
__attribute__((target("avx2"), flatten)) void tableDelayAvx2(const StackGrid& grid,
                                                             Polarization pol, LaneTables& t,
                                                             double* R, double* GD)
{
    tableDelayGroups<VectorTrig>(grid, pol, t, R, GD);
}

}  // namespace

void tableDelayOverGrid(const StackGrid& grid, Polarization pol, LaneTables& t, double* R,
                        double* GD, KernelPath path)
{
    if (grid.L == 0)
        bareSubstrateOverGrid(grid, pol, R, GD);
    else if (path == KernelPath::Avx2)
        tableDelayAvx2(grid, pol, t, R, GD);
    else
        tableDelayPortable(grid, pol, t, R, GD);
}
