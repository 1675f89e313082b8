#include "profile/profile.h"

#include <algorithm>
#include <vector>

#include "profile/needle.h"
#include "engine/closing.h"
#include "engine/run.h"

namespace coat {

namespace {

struct ProfileWanted {
    bool quantity[QUANTITY_COUNT];  // in a needle output or the weighted one
    bool field, needles, transmission;
};

// The per-layer tables of one lane group, sized once per call for what it
// asks: the state at each layer's back and its step's rescale; for needles
// in a lossless walk conj(prod_(i>j) E_i), in any other E_j; for needles of
// t, sigma_j. Then, from the ambient down, per layer: the factor of dr/dt
// in front of the depth's (needle.h), |e^(i Phi_(<j)) / w_1|^2 of the field,
// and the transmission row in front of the layer.
template <class V, int D>
struct ProfileTablesOf {
    std::vector<FieldOf<V, D>> back, row;
    std::vector<ComplexJetOf<V, D>> product, sigma, lead;
    std::vector<RescaleOf<V>> rescale;
    std::vector<V> size;

    ProfileTablesOf(std::size_t L, const ProfileWanted& w)
        : back(L), row(w.transmission ? L : 0), product(w.needles ? L : 0),
          sigma(w.transmission ? L : 0), lead(w.needles ? L : 0), rescale(L),
          size(w.field ? L : 0)
    {
    }
};

// |E|^2 of the field F and its companion H in medium x (TM: both
// components of E, the normal one n_a sin(theta) F / n^2 in units where the
// incident |E| is 1).
template <class V, int D, bool Lossless>
inline V fieldSquare(const MediaJetsOf<V, D, Lossless>& jets, const LayeredStack& s, std::size_t x,
                     const ComplexOf<V>& F, const ComplexOf<V>& H)
{
    if (s.pol == Polarization::TE) return norm2(F);
    const double tau = tangentialIndexSquared(s.na, s.theta);
    return (s.na * s.na) * (norm2(H) + tau * (jets.inverseSquareNorm[x] * norm2(F)));
}

// Im of a medium's phase rate, 0 in a lossless walk.
template <class V, int D>
inline V imaginaryPart(const JetOf<V, D>&)
{
    return V{};
}
template <class V, int D>
inline V imaginaryPart(const ComplexJetOf<V, D>& x)
{
    return x.im.c[0];
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
};

// A lane group's field and needles at every depth, and its needle function
// added into ng.
template <int D, bool Lossless>
struct ProfileWalk {
    template <class V>
    struct Tables {
        MediaJetsOf<V, D, Lossless> jets;
        ProfileTablesOf<V, D> layers;

        explicit Tables(const ProfileContext& c)
            : jets(c.s.M, c.plan.near.size()), layers(c.s.L, c.wanted)
        {
        }
    };

    template <class Trig, class V>
    static void group(const ProfileContext& context, Tables<V>& tables, const GroupOf<V>& group,
                      double* ng)
    {
        using Jet = ComplexJetOf<V, D>;
        const LayeredStack& s = context.s;
        const ProfileWanted& wanted = context.wanted;
        const ProfileRequest& request = context.request;
        const std::size_t P = context.P, L = s.L;
        MediaJetsOf<V, D, Lossless>& jets = tables.jets;
        ProfileTablesOf<V, D>& t = tables.layers;
        fillMediaJets(jets, s, context.plan, group.first, group.count);
        const GroupWeightsOf<V> weights(request.weight, request.weightStride, group.first,
                                        ng ? group.count : 0);
        Jet behind = asComplexJet(constantJet<V, D>(V{} + 1.0));  // prod_(i>j) E_i
        const SweptOf<V, D> swept = sweepFromSubstrate<Trig>(
            jets, s, context.plan,
            [&](std::size_t j, const FieldOf<V, D>& back, const PhaseOf<V, D>& phase,
                const RescaleOf<V>& rescale) {
                t.back[j] = back;
                t.rescale[j] = rescale;
                if (wanted.transmission) t.sigma[j] = phase.sigma;
                if (!wanted.needles) return;
                if constexpr (Lossless) {
                    t.product[j] = conj(behind);
                    behind = behind * phase.E;
                } else {
                    t.product[j] = phase.E;
                }
            });
        const ClosingOf<V, D> c = closingOf<Trig>(swept, jets, true);
        // From the ambient down, layer by layer.
        V scale = V{} + 1.0, imaginaryPhase = V{};
        Jet factor = 0.5 * c.reflectionFactor;
        if constexpr (Lossless) factor = factor * behind;  // prod_all E_i
        FieldOf<V, D> row = c.transmissionRow;
        for (std::size_t j = 0; j < L; ++j) {
            if (t.rescale[j].taken) {
                scale = scale * t.rescale[j].factor;
                row = {t.rescale[j].factor * row.F, t.rescale[j].factor * row.W};
            }
            const V scale2 = scale * scale;
            if (wanted.field) {
                using std::exp;
                t.size[j] = scale2 * c.inverseW1Squared;
                if constexpr (!Lossless) t.size[j] = t.size[j] * exp(-2.0 * imaginaryPhase);
                imaginaryPhase =
                    imaginaryPhase + s.d[j] * imaginaryPart(jets.beta[std::size_t(s.material[j])]);
            }
            if (wanted.needles) {
                if constexpr (Lossless) {
                    t.lead[j] = scale2 * (factor * t.product[j]);
                } else {
                    t.lead[j] = scale2 * factor;
                    factor = factor * t.product[j];
                }
            }
            if (wanted.transmission) {
                t.row[j] = row;
                row = transmissionRowBelow(row, t.sigma[j],
                                           jets.halfRatio[context.plan.interfaceOfLayer[j]]);
            }
        }
        for (std::size_t p = 0; p < P; ++p) {
            const DepthSite& site = context.sites[p];
            const std::size_t j = site.layer, x = std::size_t(s.material[j]);
            const auto& beta = jets.beta[x];
            const PhaseOf<V, D> below = phaseOf<Trig>(site.back * beta);
            const DepthFieldOf<V, D> at = fieldAtDepth(t.back[j], below.sigma, jets.admittance[x]);
            const std::size_t first = p + P * group.first;
            if (request.E2) {
                // Just inside the substrate at the bottom of the stack (TM:
                // the normal field is the substrate's there).
                const bool substrate = context.virtualLayer || (j + 1 == L && site.back == 0);
                V size = t.size[j];
                if constexpr (!Lossless) {
                    using std::exp;
                    size = size * exp(-2.0 * (site.front * imaginaryPart(beta)));
                }
                const V e2 = size * fieldSquare(jets, s, substrate ? s.M : x,
                                                coefficient(at.state.F, 0), coefficient(at.H, 0));
                for (std::size_t l = 0; l < group.count; ++l) request.E2[first + P * l] = laneOf(e2, l);
            }
            if (!wanted.needles) continue;
            const int y = context.needleMaterial[p];
            V d[QUANTITY_COUNT];
            for (V& v : d) v = V{};
            if (context.virtualLayer || y != int(x)) {
                // dr/dt: in a lossless walk prod_(i<j) E_i E_a is
                // prod_all conj(prod_(i>j) E_i) conj(E_b).
                Jet front;
                if constexpr (Lossless)
                    front = conj(below.E);
                else
                    front = phaseOf<Trig>(site.front * beta).E;
                const Jet dr = (t.lead[j] * front) * needleOfReflection(jets, y, at);
                if (wanted.transmission) {
                    const PhaseOf<V, D> above = phaseOf<Trig>(site.front * beta);
                    const FieldOf<V, D> rowAt = transmissionRowBelow(
                        t.row[j], above.sigma, jets.halfRatio[context.plan.interfaceOfLayer[j]]);
                    const Jet dlogT = needleOfTransmission(jets, y, int(x), at, rowAt);
                    quantityDerivatives(c, dr, &dlogT, wanted.quantity, d);
                } else {
                    quantityDerivatives<V, D>(c, dr, nullptr, wanted.quantity, d);
                }
            }
            for (int q = 0; q < QUANTITY_COUNT; ++q)
                if (request.needle[q])
                    for (std::size_t l = 0; l < group.count; ++l)
                        request.needle[q][first + P * l] = laneOf(d[q], l);
            if (ng) weights.addInto(ng[p], d);
        }
    }
};

}  // namespace

void profileOverGrid(const LayeredStack& stack, const DepthSite* sites, const int* needleMaterial,
                     std::size_t P, const ProfileRequest& request, KernelPath path)
{
    ProfileWanted wanted = {};
    wanted.field = request.E2 != nullptr;
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
    const ProfileContext context = {s, plan, request, wanted, sites, needleMaterial, P, virtualLayer};
    const RunShape shape = {s.K, order, request.walk == WalkChoice::Lossless || plan.lossless,
                            double(s.K) * double(2 * s.L + P) * double(order + 1), request.ng, P};
    runOverGrid<ProfileWalk>(context, shape, path);
}

}  // namespace coat
