#include "profile/profile.h"

#include <algorithm>
#include <vector>

#include "profile/needle.h"
#include "engine/closing.h"
#include "engine/run.h"

namespace coat {

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

struct ProfileWanted {
    bool quantity[QUANTITY_COUNT];  // in a needle output or the weighted one
    bool needles, transmission;
};

// Per layer, for the field: Phi_(<j), the phases in front of the layer, and
// |e^(i Phi_(<j)) / w_1|^2 with the rescales of the sweep up to the layer.
// |E|^2 needs only the size of that factor: in a lossless stack it is real
// and no phase of it is ever taken.
template <class V>
struct FieldEntryOf {
    ComplexOf<V> phase;
    V size2;
};

// The per-call tables beside the engine's, sized once.
template <class V, int D>
struct ProfileTablesOf {
    SweepTablesOf<V, D> sweep;
    std::vector<AmplitudesOf<V, D>> rows;  // mu_j, nu_j of every layer
    std::vector<FieldEntryOf<V>> field;

    ProfileTablesOf(std::size_t L, bool needles, bool field)
        : sweep(L, true), rows(needles ? 2 * L : 0), field(field ? L : 0)
    {
    }
};

// The value of a medium's jet, as a complex number.
template <class V, int D>
inline ComplexOf<V> valueOf(const JetOf<V, D>& x)
{
    return {x.c[0], V{}};
}
template <class V, int D>
inline ComplexOf<V> valueOf(const ComplexJetOf<V, D>& x)
{
    return coefficient(x, 0);
}

// exp(i z) of a complex value: e^(-Im z) (cos Re z + i sin Re z).
template <class Trig, class V>
inline ComplexOf<V> expOfI(const ComplexOf<V>& z)
{
    using std::exp;
    V s, c;
    Trig::sinCos(z.re, &s, &c);
    const V a = exp(-z.im);
    return {a * c, a * s};
}

// |E|^2 of the field (F, G) in medium x.
template <class V, int D, bool Lossless>
inline V fieldSquare(const MediaJetsOf<V, D, Lossless>& jets, const LayeredStack& s, std::size_t x,
                     const ComplexOf<V>& F, const ComplexOf<V>& G)
{
    if (s.pol == Polarization::TE) return norm2(F);
    const double na2 = s.na * s.na;
    const double tau = tangentialIndexSquared(s.na, s.theta);
    const V y2 = norm2(valueOf(jets.admittance[x]));
    return na2 * (y2 * norm2(G) + tau * (jets.inverseSquareNorm[x] * norm2(F)));
}

// What every lane group of a call shares.
struct ProfileContext {
    const LayeredStack& s;
    const InterfacePlan& plan;
    const ProfileRequest& request;
    ProfileWanted wanted;
    const DepthSite* sites;
    const int* needleMaterial;
    std::size_t P;
    bool virtualLayer;
    const NeedlePairPlan& pairPlan;
};

// A lane group's field and needles at every depth, and its needle function
// added into ng.
template <int D, bool Lossless>
struct ProfileWalk {
    template <class V>
    struct Tables {
        MediaJetsOf<V, D, Lossless> jets;
        ProfileTablesOf<V, D> profile;
        std::vector<NeedlePairOf<V, D, Lossless>> pairs;

        explicit Tables(const ProfileContext& c)
            : jets(c.s.M, c.plan.near.size()),
              profile(c.s.L, c.wanted.needles, c.request.E2 != nullptr),
              pairs(c.pairPlan.x.size())
        {
        }
    };

    template <class Trig, class V>
    static void group(const ProfileContext& context, Tables<V>& tables, const GroupOf<V>& group,
                      double* ng)
    {
        const LayeredStack& s = context.s;
        const InterfacePlan& plan = context.plan;
        const ProfileWanted& wanted = context.wanted;
        const ProfileRequest& request = context.request;
        const DepthSite* sites = context.sites;
        const int* needleMaterial = context.needleMaterial;
        const std::size_t P = context.P, L = s.L, rows = wanted.transmission ? 2 : 1;
        const bool virtualLayer = context.virtualLayer;
        const NeedlePairPlan& pairPlan = context.pairPlan;
        MediaJetsOf<V, D, Lossless>& jets = tables.jets;
        ProfileTablesOf<V, D>& t = tables.profile;
        std::vector<NeedlePairOf<V, D, Lossless>>& pairs = tables.pairs;
        const std::size_t first = group.first, count = group.count;
    fillMediaJets(jets, s, plan, first, count);
    const GroupWeightsOf<V> weights(request.weight, request.weightStride, first, ng ? count : 0);
    const ClosingOf<V, D> c =
        closingOf<Trig>(sweepIntoTables<Trig>(t.sweep, jets, s, plan), jets, true);
    if (wanted.needles) {
        const AmplitudesOf<V, D> starts[2] = {c.startR, c.startT};
        sweepFromAmbient(starts, t.sweep, jets, s, plan, rows,
                         [&](std::size_t j, const AmplitudesOf<V, D>(&mu)[2]) {
                             t.rows[2 * j] = mu[0];
                             t.rows[2 * j + 1] = mu[1];
                         });
    }
    const ComplexOf<V> inverse1 = coefficient(c.startT.u, 0);  // 1 / w_1 as swept
    for (std::size_t f = 0; f < pairs.size(); ++f)
        pairs[f] = needlePair(jets, pairPlan.x[f], pairPlan.y[f]);
    if (request.E2) {
        ComplexOf<V> phase = {V{}, V{}};
        V scale = V{} + 1.0;
        const V inverse2 = norm2(inverse1);
        for (std::size_t j = 0; j < L; ++j) {
            if (t.sweep.layers[j].rescaled) scale = scale * t.sweep.layers[j].rescale;
            t.field[j] = {phase, scale * scale * inverse2};
            if constexpr (!Lossless)
                phase = phase + s.d[j] * valueOf(jets.beta[std::size_t(s.material[j])]);
        }
    }
    for (std::size_t p = 0; p < P; ++p) {
        const DepthSite& site = sites[p];
        const std::size_t j = site.layer;
        const std::size_t x = std::size_t(s.material[j]);
        const std::size_t at = p + P * first;
        if (request.E2) {
            V e2;
            if (virtualLayer || (j + 1 == L && site.back == 0)) {
                e2 = fieldSquare(jets, s, s.M, c.t, c.t);  // the top of the substrate
            } else {
                // The field at distance a behind the layer's front and b before
                // its back: e^(i (Phi + beta a)) / w_1 (w1 + E_b w2), with
                // E_b = e^(2 i beta b) = E_j conj(e^(i beta a))^2, and of the
                // first factor only its size.
                const ComplexOf<V> beta = valueOf(jets.beta[x]);
                V size2 = t.field[j].size2;
                ComplexOf<V> Eb;
                if constexpr (Lossless) {
                    V sa, ca;
                    Trig::sinCos(site.front * beta.re, &sa, &ca);
                    const ComplexOf<V> h = {ca, -sa};
                    Eb = coefficient(t.sweep.layers[j].E, 0) * (h * h);
                } else {
                    using std::exp;
                    size2 = size2 * exp(-2.0 * (t.field[j].phase.im + site.front * beta.im));
                    Eb = expOfI<Trig>((2.0 * site.back) * beta);
                }
                const AmplitudesOf<V, D>& w = t.sweep.behind[j];
                const ComplexOf<V> w1 = coefficient(w.u, 0), w2 = Eb * coefficient(w.w, 0);
                e2 = size2 * fieldSquare(jets, s, x, w1 + w2, w1 - w2);
            }
            for (std::size_t l = 0; l < count; ++l) request.E2[at + P * l] = laneOf(e2, l);
        }
        if (!wanted.needles) continue;
        const int y = needleMaterial[p];
        V d[QUANTITY_COUNT];
        for (V& v : d) v = V{};
        if (virtualLayer || y != int(x)) {
            ComplexJetOf<V, D> out[2];
            needleDerivatives<Trig>(jets, pairs[std::size_t(pairPlan.pairOfDepth[p])],
                                    &t.rows[2 * j], rows, t.sweep.behind[j],
                                    t.sweep.layers[j].E, site, int(x), out);
            if (wanted.transmission) {
                // d log t/dt = i beta_y - nu W w.
                const ComplexJetOf<V, D> dlogT =
                    timesI(asComplexJet(jets.beta[std::size_t(y)])) - out[1];
                quantityDerivatives(c, out[0], &dlogT, wanted.quantity, d);
            } else {
                quantityDerivatives<V, D>(c, out[0], nullptr, wanted.quantity, d);
            }
        }
        for (int q = 0; q < QUANTITY_COUNT; ++q)
            if (request.needle[q])
                for (std::size_t l = 0; l < count; ++l) request.needle[q][at + P * l] = laneOf(d[q], l);
        if (ng) weights.addInto(ng[p], d);
    }
    }
};

}  // namespace

void profileOverGrid(const LayeredStack& stack, const DepthSite* sites, const int* needleMaterial,
                     std::size_t P, const ProfileRequest& request, KernelPath path)
{
    ProfileWanted wanted = {};
    int order = 0;
    for (int q = 0; q < QUANTITY_COUNT; ++q) {
        wanted.quantity[q] = request.needle[q] || (request.ng && request.weight[q]);
        if (wanted.quantity[q]) {
            order = std::max(order, jetOrderOf(q));
            wanted.transmission = wanted.transmission || needsTransmission(q);
            wanted.needles = true;
        }
    }
    if (P == 0) return;
    // No layers: one of zero thickness, which changes nothing, for the
    // tables to hold the needle between the ambient and the substrate.
    LayeredStack s = stack;
    const double none = 0.0;
    const int host = stack.M > 0 ? 0 : int(stack.M);  // with no layer material, the substrate
    const bool virtualLayer = s.L == 0;
    if (virtualLayer) {
        s.d = &none;
        s.material = &host;
        s.L = 1;
    }
    std::vector<int> needles;
    if (wanted.needles) needles.assign(needleMaterial, needleMaterial + P);
    std::sort(needles.begin(), needles.end());
    needles.erase(std::unique(needles.begin(), needles.end()), needles.end());
    const InterfacePlan plan = planInterfaces(s, needles);
    const NeedlePairPlan pairPlan =
        wanted.needles ? planNeedlePairs(s.material, sites, needleMaterial, P) : NeedlePairPlan{};
    const ProfileContext context = {s,     plan, request, wanted, sites, needleMaterial,
                                    P,     virtualLayer, pairPlan};
    const RunShape shape = {s.K, order, request.walk == WalkChoice::Lossless || plan.lossless,
                            double(s.K) * double(3 * s.L + P) * double(order + 1), request.ng, P};
    runOverGrid<ProfileWalk>(context, shape, path);
}

}  // namespace coat
