#include "dispersion/dispersion.h"

namespace {

template <class Trig>
void dispersionGroups(const StackGrid& grid, Polarization pol, double* R, double* GD, double* GDD)
{
    forEachDerivativeLaneGroup(
        grid, pol, tangentialIndexSquared(grid.na, grid.theta), MATERIAL_B,
        [&](std::size_t first, std::size_t count, const auto& c, const auto& dc) {
            const auto r = stackReflectionSecondDerivative<Trig>(c, dc, grid.d, grid.L);
            const Lanes Rv = reflectanceOf(r.rho);
            const Lanes gd = groupDelayStepwiseOf(r.rho, r.rhoPrime, Rv);
            storeLanes(R + first, count, Rv);
            if (GD) storeLanes(GD + first, count, gd);
            if (GDD)
                storeLanes(GDD + first, count, dispersionOf(r.rho, r.rhoPrime, r.rhoSecond, Rv, gd));
        });
}

__attribute__((flatten)) void dispersionPortable(const StackGrid& grid, Polarization pol,
                                                 double* R, double* GD, double* GDD)
{
    dispersionGroups<ExactTrig>(grid, pol, R, GD, GDD);
}
__attribute__((target("avx2"), flatten)) void dispersionAvx2(const StackGrid& grid,
                                                             Polarization pol, double* R,
                                                             double* GD, double* GDD)
{
    dispersionGroups<VectorTrig>(grid, pol, R, GD, GDD);
}

}  // namespace

void dispersionOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD,
                        double* GDD, KernelPath path)
{
    if (path == KernelPath::Avx2)
        dispersionAvx2(grid, pol, R, GD, GDD);
    else
        dispersionPortable(grid, pol, R, GD, GDD);
}
