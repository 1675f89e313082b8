#include "delay/delay.h"

namespace coat {

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

struct Delay {
    template <class Variant>
    static void run(const StackGrid& grid, Polarization pol, double* R, double* GD)
    {
        using V = typename Variant::Lanes;
        forEachDerivativeLaneGroup<V>(
            grid, pol, tangentialIndexSquared(grid.na, grid.theta), MATERIAL_B,
            [&](std::size_t first, std::size_t count, const auto& c, const auto& dc) {
                const auto r =
                    stackReflectionDerivative<typename Variant::Trig>(c, dc, grid.d, grid.L);
                const V Rv = reflectanceOf(r.rho);
                storeLanes(R + first, count, Rv);
                if (GD) storeLanes(GD + first, count, groupDelayOf(r.rho, r.rhoPrime, Rv));
            });
    }
};

}  // namespace

void delayOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD, KernelPath path)
{
    runKernel<Delay>(path, grid, pol, R, GD);
}

}  // namespace coat
