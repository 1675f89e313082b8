#include <algorithm>
#include <vector>

#include "engine/closing.h"
#include "engine/engine.h"
#include "engine/index_derivatives.h"
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

    bool mirrored;  // the walk's layer j is the stack's L - 1 - j (light from the substrate)

    GroupWriterOf(const ResponseRequest& request, double* g, std::size_t L, std::size_t first,
                  std::size_t count)
        : request(request), g(g), L(L), first(first), count(count),
          weights(request.weight, request.weightStride, first, g ? count : 0),
          mirrored(request.direction == Direction::FromSubstrate)
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
        if (mirrored) j = L - 1 - j;
        for (int q = 0; q < QUANTITY_COUNT; ++q)
            if (request.gradient[q])
                for (std::size_t l = 0; l < count; ++l)
                    request.gradient[q][j + L * (first + l)] = laneOf(d[q], l);
        if (g) weights.addInto(g[j], d);
    }

    // The derivatives by material x's index, of `rows` (M + 1).
    void material(std::size_t x, std::size_t rows, const V* d) const
    {
        for (int q = 0; q < QUANTITY_COUNT; ++q)
            if (request.index[q])
                for (std::size_t l = 0; l < count; ++l)
                    request.index[q][x + rows * (first + l)] = laneOf(d[q], l);
    }
};

struct Wanted {
    bool gradient[QUANTITY_COUNT];  // in a gradient or the weighted one
    bool index[QUANTITY_COUNT];     // by the materials' indices
    bool transmission, gradients, thickness, indices;
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
        IndexJetsOf<V, D, Lossless> index;

        explicit Tables(const ResponseContext& c)
            : jets(c.s.M, c.plan.near.size()),
              sweep(c.wanted.gradients ? c.s.L : 0, c.wanted.indices),
              index(c.wanted.indices ? c.s.M : 0)
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
        const AmplitudesOf<V, D> starts[2] = {c.startR, c.startT};
        const bool tWanted = wanted.transmission;
        if (wanted.indices) fillIndexJets(t.index, t.jets, s, context.plan, group.first, group.count);
        if (wanted.gradients) {
            AmplitudesOf<V, D> last[2];  // the rows of the last layer
            sweepFromAmbient(
                starts, t.sweep, t.jets, s, context.plan, tWanted ? 2 : 1,
                [&](std::size_t j, const AmplitudesOf<V, D>(&mu)[2]) {
                    if (wanted.thickness) {
                        V d[QUANTITY_COUNT];
                        layerDerivatives(c, mu[0], tWanted ? &mu[1] : nullptr,
                                         t.sweep.layers[j].u,
                                         t.jets.beta[std::size_t(s.material[j])], wanted.gradient,
                                         d);
                        out.layer(j, d);
                    }
                    if (!wanted.indices) return;
                    const int behind = j ? s.material[j - 1] : int(s.M) + 1;
                    addLayerIndexTerms(t.index, s.M, s.material[j], behind, s.d[j], mu[0],
                                       tWanted ? &mu[1] : nullptr, t.sweep.layers[j].u,
                                       t.sweep.behind[j].u);
                    if (j + 1 == s.L)
                        for (std::size_t a = 0; a < (tWanted ? 2u : 1u); ++a) last[a] = mu[a];
                });
            if (wanted.indices) {  // the last layer's rows past its phase meet the exit
                for (std::size_t a = 0; a < (tWanted ? 2u : 1u); ++a)
                    last[a].w = last[a].w * t.sweep.layers[s.L - 1].E;
                addExitIndexTerms(t.index, s.M, s.material[s.L - 1], last[0],
                                  tWanted ? &last[1] : nullptr,
                                  t.jets.halfRatio[context.plan.interfaceOfLayer[s.L]]);
            }
        } else if (wanted.indices) {  // a bare substrate: its interface alone
            addExitIndexTerms(t.index, s.M, int(s.M) + 1, starts[0], tWanted ? &starts[1] : nullptr,
                              t.jets.halfRatio[context.plan.interfaceOfLayer[0]]);
        }
        for (std::size_t x = 0; x <= s.M && wanted.indices; ++x) {
            V d[QUANTITY_COUNT];
            indexDerivatives(t.index, t.jets, c, s.M, x, tWanted, wanted.index, d);
            out.material(x, s.M + 1, d);
        }
    }
};

}  // namespace

void responseOverGrid(const LayeredStack& given, const ResponseRequest& request, KernelPath path)
{
    // Light from the substrate walks the mirrored stack: its layers from the
    // substrate out, the substrate the incident medium, the ambient the exit.
    const bool mirrored = request.direction == Direction::FromSubstrate;
    std::vector<double> d;
    std::vector<int> material;
    LayeredStack s = given;
    if (mirrored) {
        d.assign(given.d, given.d + given.L);
        material.assign(given.material, given.material + given.L);
        std::reverse(d.begin(), d.end());
        std::reverse(material.begin(), material.end());
        s.d = d.data();
        s.material = material.data();
    }
    Wanted wanted = {};
    int order = 0;
    wanted.transmission = request.t[0] || request.t[1];
    for (int q = 0; q < QUANTITY_COUNT; ++q) {
        const bool weighted = request.g && request.weight[q];
        wanted.gradient[q] = request.gradient[q] || weighted;
        wanted.index[q] = request.index[q] != nullptr;
        if (request.value[q] || wanted.gradient[q] || wanted.index[q]) {
            order = std::max(order, jetOrderOf(q));
            wanted.transmission = wanted.transmission || needsTransmission(q);
        }
        wanted.thickness = wanted.thickness || wanted.gradient[q];
        wanted.indices = wanted.indices || wanted.index[q];
    }
    // The adjoint sweep serves the thickness and the index derivatives alike.
    wanted.gradients = (wanted.thickness || wanted.indices) && s.L > 0;
    const InterfacePlan plan = planInterfaces(s, {}, mirrored);
    const ResponseContext context = {s, plan, request, wanted};
    // Work: layer steps of jets of order D, three times as many with gradients.
    const RunShape shape = {
        s.K, order, request.walk == WalkChoice::Lossless || plan.lossless,
        double(s.K) * double(s.L + 1) * double(order + 1) * (wanted.gradients ? 3 : 1),
        request.g, s.L};
    runOverGrid<ResponseWalk>(context, shape, path);
}

}  // namespace coat
