#include "gradient/gradient.h"

namespace coat {

namespace {

struct DelayGradient {
    template <class Variant, class V>
    static void run(const StackGrid& grid, Polarization pol, LayerTablesOf<V>& t,
                    GradientTablesOf<V>& gt, double* R, double* GD, double* dR, double* dGD)
    {
        const std::size_t L = grid.L;
        forEachDerivativeLaneGroup<V>(
            grid, pol, physicalClosingTau(grid), exitMaterialOf(L),
            [&](std::size_t first, std::size_t count, const auto& c, const auto& dc) {
                const auto out = delayWithGradient<typename Variant::Trig>(
                    t, gt, c, dc, grid.d, dR || dGD,
                    [&](std::size_t j, const LayerGradientOf<V>& g) {
                        for (std::size_t l = 0; l < count; ++l) {
                            if (dR) dR[j + L * (first + l)] = g.dR[l];
                            if (dGD) dGD[j + L * (first + l)] = g.dGD[l];
                        }
                    });
                storeLanes(R + first, count, out.R);
                if (GD) storeLanes(GD + first, count, out.GD);
            });
    }
};

}  // namespace

void gradientOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD, double* dR,
                      double* dGD, KernelPath path)
{
    if (grid.L == 0) return bareSubstrateOverGrid(grid, pol, R, GD);
    // As for the table walk, the tables live here and reach the kernels by
    // reference.
    const std::size_t gradientLayers = dR || dGD ? grid.L : 0;
    withVariant(path, [&](auto variant) {
        using V = typename decltype(variant)::Lanes;
        LayerTablesOf<V> t(grid.L);
        GradientTablesOf<V> gt(gradientLayers);
        runKernel<DelayGradient>(variant, grid, pol, t, gt, R, GD, dR, dGD);
    });
}

}  // namespace coat
