#include "dispersion/dispersion.h"

namespace coat {

namespace {

struct Dispersion {
    template <class Variant>
    static void run(const StackGrid& grid, Polarization pol, double* R, double* GD, double* GDD)
    {
        using V = typename Variant::Lanes;
        forEachDerivativeLaneGroup<V>(
            grid, pol, tangentialIndexSquared(grid.na, grid.theta), MATERIAL_B,
            [&](std::size_t first, std::size_t count, const auto& c, const auto& dc) {
                const auto r = stackReflectionSecondDerivative<typename Variant::Trig>(
                    c, dc, grid.d, grid.L);
                const V Rv = reflectanceOf(r.rho);
                const V gd = groupDelayStepwiseOf(r.rho, r.rhoPrime, Rv);
                storeLanes(R + first, count, Rv);
                if (GD) storeLanes(GD + first, count, gd);
                if (GDD)
                    storeLanes(GDD + first, count,
                               dispersionOf(r.rho, r.rhoPrime, r.rhoSecond, Rv, gd));
            });
    }
};

}  // namespace

void dispersionOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD,
                        double* GDD, KernelPath path)
{
    runKernel<Dispersion>(path, grid, pol, R, GD, GDD);
}

}  // namespace coat
