#include "engine/jet_engine.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "platform/dispatch.h"
#include "platform/threads.h"

InterfacePlan planInterfaces(const LayeredStack& s, const std::vector<int>& extraMedia)
{
    InterfacePlan plan;
    const int ambient = int(s.M) + 1;
    plan.interfaceOfLayer.resize(s.L + 1);
    plan.thickness.assign(s.M, 0.0);
    // Distinct interfaces and media by hash, so that planning stays O(L + M)
    // however many materials a stack holds.
    std::unordered_map<long long, int> interfaces;
    std::unordered_set<int> media;
    auto addMedium = [&](int x) {
        if (media.insert(x).second) plan.media.push_back(x);
    };
    auto interfaceOf = [&](int near, int far) {
        const long long key = (long long)near * (long long)(s.M + 2) + far;
        const auto found = interfaces.find(key);
        if (found != interfaces.end()) return found->second;
        plan.near.push_back(near);
        plan.far.push_back(far);
        addMedium(near);
        addMedium(far);
        const int f = int(plan.near.size() - 1);
        interfaces.emplace(key, f);
        return f;
    };
    int previous = incidentMediumOf(s);
    for (std::size_t j = 0; j < s.L; ++j) {
        plan.interfaceOfLayer[j] = interfaceOf(previous, s.material[j]);
        if (std::size_t(s.material[j]) < s.M) plan.thickness[std::size_t(s.material[j])] += s.d[j];
        previous = s.material[j];
    }
    plan.interfaceOfLayer[s.L] = interfaceOf(previous, exitMediumOf(s));
    for (const int x : extraMedia) addMedium(x);

    const double tau = tangentialIndexSquared(s.na, s.theta);
    plan.lossless = true;
    for (std::size_t i = 0; i < s.K && plan.lossless; ++i)
        for (const int x : plan.media) {
            if (x == ambient) continue;
            const std::size_t m = std::size_t(x);
            const double n = s.n.realAt(i, m);
            if (s.n.imagAt(i, m) != 0 || s.nPrime.imagAt(i, m) != 0 ||
                s.nSecond.imagAt(i, m) != 0 || n * n - tau <= 0) {
                plan.lossless = false;
                break;
            }
        }
    return plan;
}

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

// The lane groups [begin, end): values, gradients, and the weighted gradient
// added into g.
template <class Trig, class V, int D, bool Lossless>
void responseGroups(const LayeredStack& s, const InterfacePlan& plan, const Wanted& wanted,
                    MediaJetsOf<V, D, Lossless>& jets, SweepTablesOf<V, D>& t,
                    const ResponseRequest& request, std::size_t begin, std::size_t end,
                    double* g)
{
    constexpr std::size_t lanes = laneCountOf<V>;
    for (std::size_t group = begin; group < end; ++group) {
        const std::size_t first = group * lanes;
        const std::size_t count = s.K - first < lanes ? s.K - first : lanes;
        fillMediaJets(jets, s, plan, first, count);
        const GroupWriterOf<V> out(request, g, s.L, first, count);
        SweptOf<V, D> w;
        if (wanted.gradients)
            w = sweepIntoTables<Trig>(t, jets, s, plan);
        else
            w = sweepFromSubstrate<Trig>(jets, s, plan,
                                         [](std::size_t, const ComplexJetOf<V, D>&,
                                            const ComplexJetOf<V, D>&, const AmplitudesOf<V, D>&,
                                            const V&, bool) {});
        const ClosingOf<V, D> c = closingOf<Trig>(w, jets, wanted.transmission);
        out.values(c.r, c.t, c.value);
        if (!wanted.gradients) continue;
        const AmplitudesOf<V, D> starts[2] = {c.startR, c.startT};
        sweepFromAmbient(starts, t, jets, s, plan, wanted.transmission ? 2 : 1,
                         [&](std::size_t j, const AmplitudesOf<V, D>(&mu)[2]) {
                             V d[QUANTITY_COUNT];
                             layerDerivatives(c, mu[0], wanted.transmission ? &mu[1] : nullptr,
                                              t.layers[j].u,
                                              jets.beta[std::size_t(s.material[j])],
                                              wanted.gradient, d);
                             out.layer(j, d);
                         });
    }
}

// The walk of order D and kind Lossless, as the variants compile it.
template <int D, bool Lossless>
struct Response {
    template <class Variant, class V>
    static void run(const LayeredStack& s, const InterfacePlan& plan, const Wanted& wanted,
                    MediaJetsOf<V, D, Lossless>& jets, SweepTablesOf<V, D>& t,
                    const ResponseRequest& request, std::size_t begin, std::size_t end,
                    double* g)
    {
        responseGroups<typename Variant::Trig>(s, plan, wanted, jets, t, request, begin, end, g);
    }
};

// The jets and tables of order D are obtained once for the call, one set per
// thread, here outside the compiled variant, and reused by every group; the
// weighted gradient is summed per chunk, then over the chunks in order.
template <int D, bool Lossless, class Variant>
void runWalk(Variant variant, const LayeredStack& s, const InterfacePlan& plan,
             const Wanted& wanted, const ResponseRequest& request)
{
    using V = typename Variant::Lanes;
    const std::size_t groups = (s.K + laneCountOf<V> - 1) / laneCountOf<V>;
    const std::size_t chunks = chunkCount(groups);
    struct Tables {
        MediaJetsOf<V, D, Lossless> jets;
        SweepTablesOf<V, D> sweep;
    };
    std::vector<double> partial(request.g ? s.L * chunks : 0, 0.0);
    // Work: layer steps of jets of order D, three times as many with gradients.
    shareGroups(
        groups, double(s.K) * double(s.L + 1) * double(D + 1) * (wanted.gradients ? 3 : 1),
        [&] {
            return Tables{MediaJetsOf<V, D, Lossless>(s.M, plan.near.size()),
                          SweepTablesOf<V, D>(wanted.gradients ? s.L : 0, false)};
        },
        [&](Tables& t, std::size_t begin, std::size_t end, std::size_t c) {
            runKernel<Response<D, Lossless>>(variant, s, plan, wanted, t.jets, t.sweep, request,
                                             begin, end, request.g ? &partial[s.L * c] : nullptr);
        });
    for (std::size_t c = 0; c < chunks && request.g; ++c)
        for (std::size_t j = 0; j < s.L; ++j) request.g[j] += partial[s.L * c + j];
}

template <bool Lossless, class Variant>
void runOrder(int order, Variant variant, const LayeredStack& s, const InterfacePlan& plan,
              const Wanted& wanted, const ResponseRequest& request)
{
    switch (order) {
    case 0: return runWalk<0, Lossless>(variant, s, plan, wanted, request);
    case 1: return runWalk<1, Lossless>(variant, s, plan, wanted, request);
    case 2: return runWalk<2, Lossless>(variant, s, plan, wanted, request);
    default: return runWalk<3, Lossless>(variant, s, plan, wanted, request);
    }
}

}  // namespace

void responseOverGrid(const LayeredStack& s, const ResponseRequest& request, WalkChoice walk,
                      KernelPath path)
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
    if (request.g)
        for (std::size_t j = 0; j < s.L; ++j) request.g[j] = 0;
    if (s.K == 0) return;
    if (s.L == 0) wanted.gradients = false;
    const InterfacePlan plan = planInterfaces(s);
    const bool lossless = walk == WalkChoice::Lossless || plan.lossless;
    withVariant(path, [&](auto variant) {
        if (lossless)
            runOrder<true>(order, variant, s, plan, wanted, request);
        else
            runOrder<false>(order, variant, s, plan, wanted, request);
    });
}
