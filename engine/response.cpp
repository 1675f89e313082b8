#include <algorithm>

#include "engine/closing.h"
#include "engine/engine.h"
#include "engine/run.h"

namespace coat {

namespace {

// What the lanes of a group give: the first `count` into their places; the
// weighted gradient into g (the chunk's own).
template <class V>
struct GroupWriterOf {
    const ResponseRequest& request;
    double* g;
    std::size_t L, first, count;
    GroupWeightsOf<V> weights;

    GroupWriterOf(const ResponseRequest& request, double* g, std::size_t L, std::size_t first,
                  std::size_t count)
        : request(request), g(g), L(L), first(first), count(count),
          weights(request.weight, request.weightStride, first, g ? count : 0)
    {
    }

    void values(const ComplexOf<V>& r, const ComplexOf<V>& t, const V* value) const
    {
        for (std::size_t l = 0; l < count; ++l) {
            const std::size_t i = first + l;
            if (request.r[0]) request.r[0][i] = laneOf(r.re, l);
            if (request.r[1]) request.r[1][i] = laneOf(r.im, l);
            if (request.t[0]) request.t[0][i] = laneOf(t.re, l);
            if (request.t[1]) request.t[1][i] = laneOf(t.im, l);
            for (int q = 0; q < QUANTITY_COUNT; ++q)
                if (request.value[q]) request.value[q][i] = laneOf(value[q], l);
        }
    }

    // Layer j's derivatives: into the gradients, and weighted into g.
    void layer(std::size_t j, const V* d) const
    {
        for (int q = 0; q < QUANTITY_COUNT; ++q)
            if (request.gradient[q])
                for (std::size_t l = 0; l < count; ++l)
                    request.gradient[q][j + L * (first + l)] = laneOf(d[q], l);
        if (g) weights.addInto(g[j], d);
    }
};

struct Wanted {
    bool gradient[QUANTITY_COUNT];  // in a gradient or the weighted one
    bool transmission, gradients;
};

// What every lane group of a call shares.
struct ResponseContext {
    const LayeredStack& s;
    const InterfacePlan& plan;
    const ResponseRequest& request;
    Wanted wanted;
};

// A lane group's values, gradients, and weighted gradient added into g.
template <int D, bool Lossless>
struct ResponseWalk {
    template <class V>
    struct Tables {
        MediaJetsOf<V, D, Lossless> jets;
        SweepTablesOf<V, D> sweep;

        explicit Tables(const ResponseContext& c)
            : jets(c.s.M, c.plan.near.size()), sweep(c.wanted.gradients ? c.s.L : 0, false)
        {
        }
    };

    template <class Trig, class V>
    static void group(const ResponseContext& context, Tables<V>& t, const GroupOf<V>& group,
                      double* g)
    {
        const LayeredStack& s = context.s;
        const Wanted& wanted = context.wanted;
        fillMediaJets(t.jets, s, context.plan, group.first, group.count);
        const GroupWriterOf<V> out(context.request, g, s.L, group.first, group.count);
        SweptOf<V, D> w;
        if (wanted.gradients)
            w = sweepIntoTables<Trig>(t.sweep, t.jets, s, context.plan);
        else
            w = sweepFromSubstrate<Trig>(t.jets, s, context.plan,
                                         [](std::size_t, const ComplexJetOf<V, D>&,
                                            const ComplexJetOf<V, D>&, const AmplitudesOf<V, D>&,
                                            const V&, bool) {});
        const ClosingOf<V, D> c = closingOf<Trig>(w, t.jets, wanted.transmission);
        out.values(c.r, c.t, c.value);
        if (!wanted.gradients) return;
        const AmplitudesOf<V, D> starts[2] = {c.startR, c.startT};
        sweepFromAmbient(starts, t.sweep, t.jets, s, context.plan, wanted.transmission ? 2 : 1,
                         [&](std::size_t j, const AmplitudesOf<V, D>(&mu)[2]) {
                             V d[QUANTITY_COUNT];
                             layerDerivatives(c, mu[0], wanted.transmission ? &mu[1] : nullptr,
                                              t.sweep.layers[j].u,
                                              t.jets.beta[std::size_t(s.material[j])],
                                              wanted.gradient, d);
                             out.layer(j, d);
                         });
    }
};

}  // namespace

void responseOverGrid(const LayeredStack& s, const ResponseRequest& request, KernelPath path)
{
    Wanted wanted = {};
    int order = 0;
    wanted.transmission = request.t[0] || request.t[1];
    for (int q = 0; q < QUANTITY_COUNT; ++q) {
        const bool weighted = request.g && request.weight[q];
        wanted.gradient[q] = request.gradient[q] || weighted;
        if (request.value[q] || wanted.gradient[q]) {
            order = std::max(order, jetOrderOf(q));
            wanted.transmission = wanted.transmission || needsTransmission(q);
        }
        wanted.gradients = wanted.gradients || wanted.gradient[q];
    }
    if (s.L == 0) wanted.gradients = false;
    const InterfacePlan plan = planInterfaces(s);
    const ResponseContext context = {s, plan, request, wanted};
    // Work: layer steps of jets of order D, three times as many with gradients.
    const RunShape shape = {
        s.K, order, request.walk == WalkChoice::Lossless || plan.lossless,
        double(s.K) * double(s.L + 1) * double(order + 1) * (wanted.gradients ? 3 : 1),
        request.g, s.L};
    runOverGrid<ResponseWalk>(context, shape, path);
}

}  // namespace coat
