#include "needle/needle.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A total summed in another order may exceed the running sum by its
// rounding: up to that much beyond it is the bottom of the stack.
double depthSlack(double total, std::size_t L) { return total * double(L) * std::ldexp(1.0, -52); }

}  // namespace

std::size_t firstDepthOutside(const double* d, std::size_t L, const double* z, std::size_t P)
{
    double total = 0;
    for (std::size_t j = 0; j < L; ++j) total += d[j];
    const double slack = depthSlack(total, L);
    for (std::size_t p = 0; p < P; ++p)
        if (!(z[p] >= 0 && z[p] <= total + slack)) return p;  // NaN too
    return P;
}

void locateNeedles(const double* d, std::size_t L, const double* z, std::size_t P,
                   NeedleSite* sites)
{
    // Boundaries as the running sum that cumsum(d) gives, so that a depth
    // taken from it falls exactly on a boundary.
    std::vector<double> boundary(L + 1);
    boundary[0] = 0;
    for (std::size_t j = 0; j < L; ++j) boundary[j + 1] = boundary[j] + d[j];
    const double total = boundary[L];
    for (std::size_t p = 0; p < P; ++p) {
        const double depth = std::fmin(z[p], total);
        // The deepest layer whose front is at or above the depth.
        const std::size_t j =
            L < 2 ? 0
                  : std::size_t(std::upper_bound(boundary.begin() + 1, boundary.begin() + L, depth) -
                                (boundary.begin() + 1));
        sites[p] = {j, depth - boundary[j], L ? boundary[j + 1] - depth : 0.0};
    }
}

namespace {

template <class Trig, class V, int D>
void needleGroups(const FullDispersionGrid& grid, Polarization pol, const NeedleSite* sites,
                  std::size_t P, StackJetTablesOf<V, D>& t, std::vector<NeedleLayerOf<V, D>>& n,
                  const NeedleOutputs& out)
{
    forEachJetLaneGroup<V, D>(grid, pol, [&](std::size_t first, std::size_t count,
                                             const InterfaceJetsOf<V, D>& jets) {
        forwardJetSweep<Trig>(t, jets, grid.stack.d);
        const NeedleClosingOf<V, D> closing = needleClosing(t.closing);
        backwardJetSweep(t, [&](std::size_t j, const JetRowOf<V, D>& B, const JetRowOf<V, D>& H) {
            n[j] = needleLayer(t.layers[j].inside, B, H, closing);
        });
        const NeedleFactorsOf<V, D> factors = needleFactors(jets);
        for (std::size_t p = 0; p < P; ++p) {
            const NeedleSite& site = sites[p];
            const int x = slotOfLayer(site.layer).material;
            const NeedleDerivativesOf<V> r = needleAt<Trig>(n[site.layer], site, jets.beta[x],
                                                            factors.pim[x], factors.qim[x]);
            for (std::size_t l = 0; l < count; ++l) {
                const std::size_t at = p + P * (first + l);
                if (out.nR) out.nR[at] = laneOf(r.nR, l);
                if (out.nGD) out.nGD[at] = laneOf(r.nGD, l);
                if (out.nGDD) out.nGDD[at] = laneOf(r.nGDD, l);
            }
        }
    });
}

// The walk of order D, as the variants compile it.
template <int D>
struct Needles {
    template <class Variant, class V>
    static void run(const FullDispersionGrid& grid, Polarization pol, const NeedleSite* sites,
                    std::size_t P, StackJetTablesOf<V, D>& t,
                    std::vector<NeedleLayerOf<V, D>>& n, const NeedleOutputs& out)
    {
        needleGroups<typename Variant::Trig>(grid, pol, sites, P, t, n, out);
    }
};

// The tables of order D are obtained once for the call, outside the compiled
// variant, and reused by every group.
template <int D, class Variant>
void runOrder(Variant variant, const FullDispersionGrid& grid, Polarization pol,
              const NeedleSite* sites, std::size_t P, const NeedleOutputs& out)
{
    using V = typename Variant::Lanes;
    StackJetTablesOf<V, D> t(grid.stack.L);
    std::vector<NeedleLayerOf<V, D>> n(grid.stack.L);
    runKernel<Needles<D>>(variant, grid, pol, sites, P, t, n, out);
}

}  // namespace

void needleOverGrid(const FullDispersionGrid& grid, Polarization pol, const NeedleSite* sites,
                    std::size_t P, const NeedleOutputs& out, KernelPath path)
{
    if (P == 0 || grid.stack.K == 0 || !(out.nR || out.nGD || out.nGDD)) return;
    // No layers: one layer of A of zero thickness, which changes nothing, so
    // that the needle at z = 0 is one of B behind it.
    const double none = 0.0;
    FullDispersionGrid g = grid;
    if (g.stack.L == 0) {
        g.stack.d = &none;
        g.stack.L = 1;
    }
    withVariant(path, [&](auto variant) {
        if (out.nGDD) return runOrder<2>(variant, g, pol, sites, P, out);
        if (out.nGD) return runOrder<1>(variant, g, pol, sites, P, out);
        runOrder<0>(variant, g, pol, sites, P, out);
    });
}
