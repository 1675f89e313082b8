#include "delay/delay.h"

PhaseRateDerivatives phaseRateDerivatives(const double n[3], const double nPrime[3],
                                          const double q[3], double k)
{
    PhaseRateDerivatives dc;
    for (int x = 0; x < 3; ++x) {
        dc.qPrime[x] = normalIndexDerivative(n[x], nPrime[x], q[x]);
        dc.betaPrime[x] = phaseRateDerivative(q[x], dc.qPrime[x], k);
    }
    return dc;
}

namespace {

template <class Trig, class V>
void delayGroups(const StackGrid& grid, Polarization pol, double* R, double* GD)
{
    forEachDerivativeLaneGroup<V>(
        grid, pol, tangentialIndexSquared(grid.na, grid.theta), MATERIAL_B,
        [&](std::size_t first, std::size_t count, const auto& c, const auto& dc) {
            const auto r = stackReflectionDerivative<Trig>(c, dc, grid.d, grid.L);
            const V Rv = reflectanceOf(r.rho);
            storeLanes(R + first, count, Rv);
            if (GD) storeLanes(GD + first, count, groupDelayOf(r.rho, r.rhoPrime, Rv));
        });
}

__attribute__((flatten)) void delayPortable(const StackGrid& grid, Polarization pol, double* R,
                                            double* GD)
{
    delayGroups<ExactTrig, Lanes>(grid, pol, R, GD);
}
__attribute__((target("avx2"), flatten)) void delayAvx2(const StackGrid& grid, Polarization pol,
                                                        double* R, double* GD)
{
    delayGroups<VectorTrig, Lanes>(grid, pol, R, GD);
}
__attribute__((target("avx512f"), flatten)) void delayAvx512(const StackGrid& grid,
                                                             Polarization pol, double* R,
                                                             double* GD)
{
    delayGroups<VectorTrig, WideLanes>(grid, pol, R, GD);
}

}  // namespace

void delayOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD, KernelPath path)
{
    switch (path) {
    case KernelPath::Avx512: return delayAvx512(grid, pol, R, GD);
    case KernelPath::Avx2: return delayAvx2(grid, pol, R, GD);
    case KernelPath::Portable: return delayPortable(grid, pol, R, GD);
    }
}
