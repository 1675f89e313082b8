#include "needle/needle.h"

#include <vector>

#include "platform/dispatch.h"
#include "platform/threads.h"

NeedlePairPlan planNeedlePairs(const int* layerMaterial, const DepthSite* sites,
                               const int* needleMaterial, std::size_t P)
{
    NeedlePairPlan plan;
    plan.pairOfDepth.resize(P);
    for (std::size_t p = 0; p < P; ++p) {
        const int x = layerMaterial[sites[p].layer], y = needleMaterial[p];
        std::size_t f = 0;
        while (f < plan.x.size() && !(plan.x[f] == x && plan.y[f] == y)) ++f;
        if (f == plan.x.size()) {
            plan.x.push_back(x);
            plan.y.push_back(y);
        }
        plan.pairOfDepth[p] = int(f);
    }
    return plan;
}

namespace {

template <class Trig, class V, int D>
void needleGroups(const LayeredStack& s, const InterfacePlan& plan, const DepthSite* sites,
                  std::size_t P, MediaJetsOf<V, D, true>& jets, SweepTablesOf<V, D>& t,
                  std::vector<AmplitudesOf<V, D>>& mu, const NeedleOutputs& out,
                  std::size_t begin, std::size_t end)
{
    constexpr std::size_t lanes = laneCountOf<V>;
    for (std::size_t group = begin; group < end; ++group) {
        const std::size_t first = group * lanes;
        const std::size_t count = s.K - first < lanes ? s.K - first : lanes;
        fillMediaJets(jets, s, plan, first, count);
        const ClosingOf<V, D> c = closingOf<Trig>(sweepIntoTables<Trig>(t, jets, s, plan), jets, false);
        const AmplitudesOf<V, D> start[1] = {c.startR};
        sweepFromAmbient(start, t, jets, s, plan, 1,
                         [&](std::size_t j, const AmplitudesOf<V, D>(&row)[1]) { mu[j] = row[0]; });
        // A needle of B in A, of A in B.
        const NeedlePairOf<V, D, true> pairs[2] = {needlePair(jets, 0, 1), needlePair(jets, 1, 0)};
        for (std::size_t p = 0; p < P; ++p) {
            const std::size_t j = sites[p].layer;
            const int x = s.material[j];
            ComplexJetOf<V, D> dr;
            needleDerivatives<Trig>(jets, pairs[x], &mu[j], 1, t.behind[j], t.layers[j].E,
                                    sites[p], x, &dr);
            const ComplexOf<V> dr0 = coefficient(dr, 0);
            const V nR = 2.0 * (c.r.re * dr0.re + c.r.im * dr0.im);
            V phase[3] = {V{}, V{}, V{}};
            if constexpr (D >= 1) phaseDerivatives(dr * c.inverseR, phase);
            for (std::size_t l = 0; l < count; ++l) {
                const std::size_t at = p + P * (first + l);
                if (out.nR) out.nR[at] = laneOf(nR, l);
                if (out.nGD) out.nGD[at] = laneOf(phase[0], l);
                if (out.nGDD) out.nGDD[at] = laneOf(phase[1], l);
            }
        }
    }
}

// The needle walk of order D, as the variants compile it.
template <int D>
struct Needles {
    template <class Variant, class V>
    static void run(const LayeredStack& s, const InterfacePlan& plan, const DepthSite* sites,
                    std::size_t P, MediaJetsOf<V, D, true>& jets, SweepTablesOf<V, D>& t,
                    std::vector<AmplitudesOf<V, D>>& mu, const NeedleOutputs& out,
                    std::size_t begin, std::size_t end)
    {
        needleGroups<typename Variant::Trig>(s, plan, sites, P, jets, t, mu, out, begin, end);
    }
};

// The jets and tables of order D are obtained once for the call, outside the
// compiled variant, and reused by every group.
template <int D, class Variant>
void runNeedles(Variant variant, const LayeredStack& s, const DepthSite* sites, std::size_t P,
                const NeedleOutputs& out)
{
    using V = typename Variant::Lanes;
    const InterfacePlan plan = planInterfaces(s, {0, 1});  // both needle materials
    struct Tables {
        MediaJetsOf<V, D, true> jets;
        SweepTablesOf<V, D> sweep;
        std::vector<AmplitudesOf<V, D>> mu;
    };
    shareGroups(
        (s.K + laneCountOf<V> - 1) / laneCountOf<V>, double(s.K) * double(3 * s.L + P) * double(D + 1),
        [&] {
            return Tables{MediaJetsOf<V, D, true>(s.M, plan.near.size()),
                          SweepTablesOf<V, D>(s.L, true), std::vector<AmplitudesOf<V, D>>(s.L)};
        },
        [&](Tables& t, std::size_t begin, std::size_t end, std::size_t) {
            runKernel<Needles<D>>(variant, s, plan, sites, P, t.jets, t.sweep, t.mu, out, begin,
                                  end);
        });
}

}  // namespace

void needleOverGrid(const FullDispersionGrid& grid, Polarization pol, const DepthSite* sites,
                    std::size_t P, const NeedleOutputs& out, KernelPath path)
{
    if (P == 0 || grid.stack.K == 0 || !(out.nR || out.nGD || out.nGDD)) return;
    // No layers: one layer of A of zero thickness, which changes nothing, so
    // that the needle at z = 0 is one of B behind the ambient.
    const double none = 0.0;
    FullDispersionGrid g = grid;
    if (g.stack.L == 0) {
        g.stack.d = &none;
        g.stack.L = 1;
    }
    const std::vector<int> materials = alternatingMaterials(g.stack.L);
    const LayeredStack s = alternatingStack(g, pol, materials);
    withVariant(path, [&](auto variant) {
        if (out.nGDD) return runNeedles<2>(variant, s, sites, P, out);
        if (out.nGD) return runNeedles<1>(variant, s, sites, P, out);
        runNeedles<0>(variant, s, sites, P, out);
    });
}
