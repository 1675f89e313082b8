#include "gradient/gradient.h"

namespace {

template <class Trig>
void gradientGroups(const StackGrid& grid, Polarization pol, LaneTables& t, LaneGradientTables& gt,
                    double* R, double* GD, double* dR, double* dGD)
{
    const std::size_t L = grid.L;
    forEachDerivativeLaneGroup(
        grid, pol, tableWalkTau(grid), exitMaterialOf(L),
        [&](std::size_t first, std::size_t count, const auto& c, const auto& dc) {
            const auto out = delayWithGradient<Trig>(
                t, gt, c, dc, grid.d, dR || dGD,
                [&](std::size_t j, const LayerGradientOf<Lanes>& g) {
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
                                               LaneTables& t, LaneGradientTables& gt, double* R,
                                               double* GD, double* dR, double* dGD)
{
    gradientGroups<ExactTrig>(grid, pol, t, gt, R, GD, dR, dGD);
}
__attribute__((target("avx2"), flatten)) void gradientAvx2(const StackGrid& grid,
                                                           Polarization pol, LaneTables& t,
                                                           LaneGradientTables& gt, double* R,
                                                           double* GD, double* dR, double* dGD)
{
    gradientGroups<VectorTrig>(grid, pol, t, gt, R, GD, dR, dGD);
}

}  // namespace

void gradientOverGrid(const StackGrid& grid, Polarization pol, LaneTables& t,
                      LaneGradientTables& gt, double* R, double* GD, double* dR, double* dGD,
                      KernelPath path)
{
    if (grid.L == 0)
        bareSubstrateOverGrid(grid, pol, R, GD);
    else if (path == KernelPath::Avx2)
        gradientAvx2(grid, pol, t, gt, R, GD, dR, dGD);
    else
        gradientPortable(grid, pol, t, gt, R, GD, dR, dGD);
}
