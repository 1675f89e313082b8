#include "gradient/gradient.h"

namespace {

template <class Trig, class V>
void gradientGroups(const StackGrid& grid, Polarization pol, LayerTablesOf<V>& t,
                    GradientTablesOf<V>& gt, double* R, double* GD, double* dR, double* dGD)
{
    const std::size_t L = grid.L;
    forEachDerivativeLaneGroup<V>(
        grid, pol, tableWalkTau(grid), exitMaterialOf(L),
        [&](std::size_t first, std::size_t count, const auto& c, const auto& dc) {
            const auto out = delayWithGradient<Trig>(
                t, gt, c, dc, grid.d, dR || dGD, [&](std::size_t j, const LayerGradientOf<V>& g) {
                    for (std::size_t l = 0; l < count; ++l) {
                        if (dR) dR[j + L * (first + l)] = g.dR[l];
                        if (dGD) dGD[j + L * (first + l)] = g.dGD[l];
                    }
                });
            storeLanes(R + first, count, out.R);
            if (GD) storeLanes(GD + first, count, out.GD);
        });
}

__attribute__((flatten)) void gradientPortable(const StackGrid& grid, Polarization pol,
                                               LayerTablesOf<Lanes>& t,
                                               GradientTablesOf<Lanes>& gt, double* R,
                                               double* GD, double* dR, double* dGD)
{
    gradientGroups<ExactTrig>(grid, pol, t, gt, R, GD, dR, dGD);
}
__attribute__((target("avx2"), flatten)) void gradientAvx2(const StackGrid& grid,
                                                           Polarization pol,
                                                           LayerTablesOf<Lanes>& t,
                                                           GradientTablesOf<Lanes>& gt, double* R,
                                                           double* GD, double* dR, double* dGD)
{
    gradientGroups<VectorTrig>(grid, pol, t, gt, R, GD, dR, dGD);
}
__attribute__((target("avx512f"), flatten)) void gradientAvx512(
    const StackGrid& grid, Polarization pol, LayerTablesOf<WideLanes>& t,
    GradientTablesOf<WideLanes>& gt, double* R, double* GD, double* dR, double* dGD)
{
    gradientGroups<VectorTrig>(grid, pol, t, gt, R, GD, dR, dGD);
}

}  // namespace

void gradientOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD, double* dR,
                      double* dGD, KernelPath path)
{
    if (grid.L == 0) return bareSubstrateOverGrid(grid, pol, R, GD);
    // As for the table walk, the tables live here and reach the kernels by
    // reference.
    const std::size_t gradientLayers = dR || dGD ? grid.L : 0;
    if (path == KernelPath::Avx512) {
        LayerTablesOf<WideLanes> t(grid.L);
        GradientTablesOf<WideLanes> gt(gradientLayers);
        return gradientAvx512(grid, pol, t, gt, R, GD, dR, dGD);
    }
    LayerTablesOf<Lanes> t(grid.L);
    GradientTablesOf<Lanes> gt(gradientLayers);
    if (path == KernelPath::Avx2) return gradientAvx2(grid, pol, t, gt, R, GD, dR, dGD);
    gradientPortable(grid, pol, t, gt, R, GD, dR, dGD);
}
