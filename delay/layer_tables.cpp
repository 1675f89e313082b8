#include "delay/layer_tables.h"

namespace coat {

void bareSubstrateOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD)
{
    const double tau = physicalClosingTau(grid);
    const double cosTheta = std::cos(grid.theta);
    const Complex zero = {0.0, 0.0};
    for (std::size_t i = 0; i < grid.K; ++i) {
        const Complex rho = bareSubstrateReflection(grid.n[3 * i + 2], grid.na, tau, cosTheta, pol);
        R[i] = reflectanceOf(rho);
        if (GD) GD[i] = groupDelayStepwiseOf(rho, zero, R[i]);
    }
}

namespace {

struct TableDelay {
    template <class Variant, class V>
    static void run(const StackGrid& grid, Polarization pol, LayerTablesOf<V>& t, double* R,
                    double* GD)
    {
        forEachDerivativeLaneGroup<V>(
            grid, pol, physicalClosingTau(grid), exitMaterialOf(grid.L),
            [&](std::size_t first, std::size_t count, const auto& c, const auto& dc) {
                const auto r = tableReflectionDerivative<typename Variant::Trig>(t, c, dc, grid.d);
                const V Rv = reflectanceOf(r.rho);
                storeLanes(R + first, count, Rv);
                if (GD) storeLanes(GD + first, count, groupDelayStepwiseOf(r.rho, r.rhoPrime, Rv));
            });
    }
};

}  // namespace

void physicalClosingDelayOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD,
                        KernelPath path)
{
    if (grid.L == 0) return bareSubstrateOverGrid(grid, pol, R, GD);
    // The tables live in the caller's frame and reach the kernels by
    // reference; as locals of the flattened kernels they cost a tenth more.
    withVariant(path, [&](auto variant) {
        LayerTablesOf<typename decltype(variant)::Lanes> t(grid.L);
        runKernel<TableDelay>(variant, grid, pol, t, R, GD);
    });
}

}  // namespace coat
