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

void setLane(PhaseRateDerivativesOf<Lanes>& dc, std::size_t l, const PhaseRateDerivatives& s)
{
    for (int x = 0; x < 3; ++x) {
        dc.qPrime[x].set(l, s.qPrime[x]);
        dc.betaPrime[x].set(l, s.betaPrime[x]);
    }
}

namespace {

template <class Trig>
void delayGroups(const StackGrid& grid, Polarization pol, double* R, double* GD)
{
    forEachDerivativeLaneGroup(
        grid, pol, tangentialIndexSquared(grid.na, grid.theta), MATERIAL_B,
        [&](std::size_t first, std::size_t count, const auto& c, const auto& dc) {
            const auto r = stackReflectionDerivative<Trig>(c, dc, grid.d, grid.L);
            const Lanes Rv = reflectanceOf(r.rho);
            storeLanes(R + first, count, Rv);
            if (GD) storeLanes(GD + first, count, groupDelayOf(r.rho, r.rhoPrime, Rv));
        });
}

__attribute__((flatten)) void delayPortable(const StackGrid& grid, Polarization pol, double* R,
                                            double* GD)
{
    delayGroups<ExactTrig>(grid, pol, R, GD);
}
__attribute__((target("avx2"), flatten)) void delayAvx2(const StackGrid& grid, Polarization pol,
                                                        double* R, double* GD)
{
    delayGroups<VectorTrig>(grid, pol, R, GD);
}

}  // namespace

void delayOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD, KernelPath path)
{
    if (path == KernelPath::Avx2)
        delayAvx2(grid, pol, R, GD);
    else
        delayPortable(grid, pol, R, GD);
}
