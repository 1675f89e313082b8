#include "dispersion/dispersion.h"

namespace {

template <class Trig, class V>
void dispersionGroups(const StackGrid& grid, Polarization pol, double* R, double* GD, double* GDD)
{
    forEachDerivativeLaneGroup<V>(
        grid, pol, tangentialIndexSquared(grid.na, grid.theta), MATERIAL_B,
        [&](std::size_t first, std::size_t count, const auto& c, const auto& dc) {
            const auto r = stackReflectionSecondDerivative<Trig>(c, dc, grid.d, grid.L);
            const V Rv = reflectanceOf(r.rho);
            const V gd = groupDelayStepwiseOf(r.rho, r.rhoPrime, Rv);
            storeLanes(R + first, count, Rv);
            if (GD) storeLanes(GD + first, count, gd);
            if (GDD)
                storeLanes(GDD + first, count, dispersionOf(r.rho, r.rhoPrime, r.rhoSecond, Rv, gd));
        });
}

__attribute__((flatten)) void dispersionPortable(const StackGrid& grid, Polarization pol,
                                                 double* R, double* GD, double* GDD)
{
    dispersionGroups<ExactTrig, Lanes>(grid, pol, R, GD, GDD);
}
__attribute__((target("avx2"), flatten)) void dispersionAvx2(const StackGrid& grid,
                                                             Polarization pol, double* R,
                                                             double* GD, double* GDD)
{
    dispersionGroups<VectorTrig, Lanes>(grid, pol, R, GD, GDD);
}
__attribute__((target("avx512f"), flatten)) void dispersionAvx512(const StackGrid& grid,
                                                                  Polarization pol, double* R,
                                                                  double* GD, double* GDD)
{
    dispersionGroups<VectorTrig, WideLanes>(grid, pol, R, GD, GDD);
}

}  // namespace

void dispersionOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD,
                        double* GDD, KernelPath path)
{
    switch (path) {
    case KernelPath::Avx512: return dispersionAvx512(grid, pol, R, GD, GDD);
    case KernelPath::Avx2: return dispersionAvx2(grid, pol, R, GD, GDD);
    case KernelPath::Portable: return dispersionPortable(grid, pol, R, GD, GDD);
    }
}
