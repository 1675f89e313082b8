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
    bool transmission;              // t or a quantity of t
    bool reflectionGradients, transmissionGradients;
};

// What every lane group of a call shares.
struct ResponseContext {
    const LayeredStack& s;
    const InterfacePlan& plan;
    const ResponseRequest& request;
    Wanted wanted;
};

// The per-layer tables of one lane group, sized once per call for what it
// asks (sweep.h): for dr, (beta Y) U_j W_j at the back of layer j, in a
// lossless walk times conj(prod_(i>j) E_i), in any other E_j beside it; for
// d log t, sigma_j and E_j W_j; and the rescale of every layer's step.
template <class V, int D>
struct LayerTablesOf {
    std::vector<ComplexJetOf<V, D>> reflection, E, sigma, EW;
    std::vector<RescaleOf<V>> rescale;

    LayerTablesOf(std::size_t L, const Wanted& w, bool lossless)
        : reflection(w.reflectionGradients ? L : 0),
          E(w.reflectionGradients && !lossless ? L : 0), sigma(w.transmissionGradients ? L : 0),
          EW(w.transmissionGradients ? L : 0),
          rescale(w.reflectionGradients || w.transmissionGradients ? L : 0)
    {
    }
};

// A lane group's values, gradients, and weighted gradient added into g.
template <int D, bool Lossless>
struct ResponseWalk {
    template <class V>
    struct Tables {
        MediaJetsOf<V, D, Lossless> jets;
        LayerTablesOf<V, D> layers;

        explicit Tables(const ResponseContext& c)
            : jets(c.s.M, c.plan.near.size()), layers(c.s.L, c.wanted, Lossless)
        {
        }
    };

    template <class Trig, class V>
    static void group(const ResponseContext& context, Tables<V>& t, const GroupOf<V>& group,
                      double* g)
    {
        using Jet = ComplexJetOf<V, D>;
        const LayeredStack& s = context.s;
        const Wanted& wanted = context.wanted;
        const MediaJetsOf<V, D, Lossless>& jets = t.jets;
        LayerTablesOf<V, D>& tables = t.layers;
        fillMediaJets(t.jets, s, context.plan, group.first, group.count);
        const GroupWriterOf<V> out(context.request, g, s.L, group.first, group.count);
        const bool gradients = wanted.reflectionGradients || wanted.transmissionGradients;
        // prod_(i>j) E_i of a lossless walk, as the sweep passes layer j.
        Jet behind = asComplexJet(constantJet<V, D>(V{} + 1.0));
        const SweptOf<V, D> w = sweepFromSubstrate<Trig>(
            jets, s, context.plan,
            [&](std::size_t j, const FieldOf<V, D>& back, const PhaseOf<V, D>& phase,
                const RescaleOf<V>& rescale) {
                if (!gradients) return;
                tables.rescale[j] = rescale;
                if (wanted.reflectionGradients) {
                    const Jet UW = jets.betaTimesY[std::size_t(s.material[j])] *
                                   ((back.F - back.W) * back.W);
                    if constexpr (Lossless) {
                        tables.reflection[j] = conj(behind) * UW;
                        behind = behind * phase.E;
                    } else {
                        tables.reflection[j] = UW;
                        tables.E[j] = phase.E;
                    }
                }
                if (wanted.transmissionGradients) {
                    tables.sigma[j] = phase.sigma;
                    tables.EW[j] = phase.E * back.W;
                }
            });
        const ClosingOf<V, D> c = closingOf<Trig>(w, jets, wanted.transmission);
        out.values(c.r, c.t, c.value);
        if (!gradients) return;
        // From the ambient down: the rescales taken so far, 2 i / (Y_a w_1^2)
        // times the E_i in front (sweep.h), and the transmission row.
        V scale = V{} + 1.0;
        Jet factor = 2.0 * c.reflectionFactor;
        if constexpr (Lossless) factor = factor * behind;  // prod_all E_i
        FieldOf<V, D> row = c.transmissionRow;
        for (std::size_t j = 0; j < s.L; ++j) {
            const std::size_t x = std::size_t(s.material[j]);
            const auto& halfRatio = jets.halfRatio[context.plan.interfaceOfLayer[j]];
            if (tables.rescale[j].taken) {
                scale = scale * tables.rescale[j].factor;
                row = {tables.rescale[j].factor * row.F, tables.rescale[j].factor * row.W};
            }
            Jet dr{};
            if (wanted.reflectionGradients) {
                if constexpr (!Lossless) factor = factor * tables.E[j];
                dr = (scale * scale) * (factor * tables.reflection[j]);
            }
            V d[QUANTITY_COUNT];
            if (wanted.transmissionGradients) {
                const Jet dlogT = transmissionSlope(row, tables.EW[j], jets.beta[x], halfRatio);
                row = transmissionRowBelow(row, tables.sigma[j], halfRatio);
                quantityDerivatives(c, dr, &dlogT, wanted.gradient, d);
            } else {
                quantityDerivatives<V, D>(c, dr, nullptr, wanted.gradient, d);
            }
            out.layer(j, d);
        }
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
        wanted.gradient[q] = (request.gradient[q] || weighted) && s.L > 0;
        if (request.value[q] || wanted.gradient[q]) {
            order = std::max(order, jetOrderOf(q));
            wanted.transmission = wanted.transmission || needsTransmission(q);
        }
        if (wanted.gradient[q] && (!needsTransmission(q) || q == QUANTITY_A))
            wanted.reflectionGradients = true;
        if (wanted.gradient[q] && needsTransmission(q)) wanted.transmissionGradients = true;
    }
    const InterfacePlan plan = planInterfaces(s);
    const ResponseContext context = {s, plan, request, wanted};
    // Work: layer steps of jets of order D, twice as many with gradients.
    const bool gradients = wanted.reflectionGradients || wanted.transmissionGradients;
    const RunShape shape = {
        s.K, order, request.walk == WalkChoice::Lossless || plan.lossless,
        double(s.K) * double(s.L + 1) * double(order + 1) * (gradients ? 2 : 1), request.g, s.L};
    runOverGrid<ResponseWalk>(context, shape, path);
}

}  // namespace coat
