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

template <class Trig, class V>
void tableDelayGroups(const StackGrid& grid, Polarization pol, LayerTablesOf<V>& t, double* R,
                      double* GD)
{
    forEachDerivativeLaneGroup<V>(
        grid, pol, tableWalkTau(grid), exitMaterialOf(grid.L),
        [&](std::size_t first, std::size_t count, const auto& c, const auto& dc) {
            const auto r = tableReflectionDerivative<Trig>(t, c, dc, grid.d);
            const V Rv = reflectanceOf(r.rho);
            storeLanes(R + first, count, Rv);
            if (GD) storeLanes(GD + first, count, groupDelayStepwiseOf(r.rho, r.rhoPrime, Rv));
        });
}

__attribute__((flatten)) void tableDelayPortable(const StackGrid& grid, Polarization pol,
                                                 LayerTablesOf<Lanes>& t, double* R, double* GD)
{
    tableDelayGroups<ExactTrig>(grid, pol, t, R, GD);
}
__attribute__((target("avx2"), flatten)) void tableDelayAvx2(const StackGrid& grid,
                                                             Polarization pol,
                                                             LayerTablesOf<Lanes>& t, double* R,
                                                             double* GD)
{
    tableDelayGroups<VectorTrig>(grid, pol, t, R, GD);
}
__attribute__((target("avx512f"), flatten)) void tableDelayAvx512(const StackGrid& grid,
                                                                  Polarization pol,
                                                                  LayerTablesOf<WideLanes>& t,
                                                                  double* R, double* GD)
{
    tableDelayGroups<VectorTrig>(grid, pol, t, R, GD);
}

}  // namespace

void tableDelayOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD,
                        KernelPath path)
{
    if (grid.L == 0) return bareSubstrateOverGrid(grid, pol, R, GD);
    // The tables live in the caller's frame and reach the kernels by
    // reference; as locals of the flattened kernels they cost a tenth more.
    if (path == KernelPath::Avx512) {
        LayerTablesOf<WideLanes> t(grid.L);
        return tableDelayAvx512(grid, pol, t, R, GD);
    }
    LayerTablesOf<Lanes> t(grid.L);
    if (path == KernelPath::Avx2) return tableDelayAvx2(grid, pol, t, R, GD);
    tableDelayPortable(grid, pol, t, R, GD);
}
