#include "profile/profile.h"

#include <algorithm>
#include <vector>

#include "needle/needle.h"
#include "platform/dispatch.h"
#include "platform/threads.h"

namespace {

struct ProfileWanted {
    bool quantity[QUANTITY_COUNT];  // in a needle output or the weighted one
    bool needles, transmission;
};

// Per layer, for the field: Phi_(<j), the phases in front of the layer, and
// |e^(i Phi_(<j)) / w_1|^2 with the rescales of the sweep up to the layer
// (their product, scale). |E|^2 needs only the size of that factor: in a
// lossless stack it is real and no phase of it is taken, unless the field's
// gradient is asked for.
template <class V>
struct FieldEntryOf {
    ComplexOf<V> phase;
    V size2, scale;
};

// Per layer, for the field's gradient: dr/dd_j, Re d log t/dd_j, and the
// amplitudes (U, W) at the layer's front of psi, the field whose ambient
// amplitudes are (0, 1): a wave leaving the stack alone.
template <class V>
struct FieldGradientEntryOf {
    ComplexOf<V> dr, psiU, psiW;
    V dlogT;
};

// The per-call tables beside the engine's, sized once.
template <class V, int D>
struct ProfileTablesOf {
    SweepTablesOf<V, D> sweep;
    std::vector<AmplitudesOf<V, D>> rows;  // mu_j, nu_j of every layer
    std::vector<FieldEntryOf<V>> field;
    std::vector<FieldGradientEntryOf<V>> gradient;

    ProfileTablesOf(std::size_t L, bool needles, bool field, bool gradient)
        : sweep(L, true), rows(needles ? 2 * L : 0), field(field ? L : 0),
          gradient(gradient ? L : 0)
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

// The field's gradient tables of one lane group (FieldGradientEntryOf): the
// derivatives of r and log t from the adjoint rows, as coatresponse forms
// them, and psi swept from the ambient through the inverse interfaces,
// D(m)^-1 = D(1/m), and the inverse layers, diag(e^(i beta d), e^(-i beta d)).
// psi grows with depth where the layers absorb, as the true field decays:
// their product, all the gradient takes, stays bounded.
template <class Trig, class V, int D, bool Lossless>
void fieldGradientTables(const ClosingOf<V, D>& c, const MediaJetsOf<V, D, Lossless>& jets,
                         const LayeredStack& s, const InterfacePlan& plan,
                         ProfileTablesOf<V, D>& t)
{
    const AmplitudesOf<V, D> starts[2] = {c.startR, c.startT};
    sweepFromAmbient(starts, t.sweep, jets, s, plan, 2,
                     [&](std::size_t j, const AmplitudesOf<V, D>(&mu)[2]) {
                         const ComplexOf<V> beta = valueOf(jets.beta[std::size_t(s.material[j])]);
                         const ComplexOf<V> twoIBetaU =
                             timesI(2.0 * (beta * coefficient(t.sweep.layers[j].u, 0)));
                         t.gradient[j].dr = coefficient(mu[0].w, 0) * twoIBetaU;
                         t.gradient[j].dlogT = -beta.im - (coefficient(mu[1].w, 0) * twoIBetaU).re;
                     });
    ComplexOf<V> u = {V{}, V{}}, w = {V{} + 1.0, V{}};
    for (std::size_t j = 0; j < s.L; ++j) {
        const ComplexOf<V> m = 2.0 * valueOf(jets.halfRatio[std::size_t(plan.interfaceOfLayer[j])]);
        const ComplexOf<V> p = 0.5 * (u + w), q = (0.5 * (u - w)) / m;
        u = p + q;
        w = p - q;
        t.gradient[j].psiU = u;
        t.gradient[j].psiW = w;
        const ComplexOf<V> beta = valueOf(jets.beta[std::size_t(s.material[j])]);
        u = u * expOfI<Trig>(s.d[j] * beta);
        w = w * expOfI<Trig>(-s.d[j] * beta);
    }
}

// The thickness derivatives of |E|^2 = e2 at one depth of layer j (medium x,
// field (F, G) there, a behind the layer's front), for the lanes of one
// group, into out (element (i, l) at i + L stride l). The depth is held at a
// behind its layer's front, plus fraction times its thickness when tied to
// that fraction: the layers above carry it, so they change |E|^2 only
// through t (2 e2 Re d log t/dd_i); its own and the deeper ones leave the
// layers above it untouched and the field there moves with r alone, by
// psi dr/dd_i; a fraction adds fraction d|E|^2/dz, with dF/dz = i beta G and
// dG/dz = i beta F.
template <class Trig, class V, int D, bool Lossless>
void fieldGradient(const MediaJetsOf<V, D, Lossless>& jets, const LayeredStack& s,
                   const ProfileTablesOf<V, D>& t, std::size_t j, std::size_t x, double a,
                   double fraction, const ComplexOf<V>& F, const ComplexOf<V>& G, const V& e2,
                   std::size_t count, double* out, std::size_t stride)
{
    const ComplexOf<V> beta = valueOf(jets.beta[x]);
    const ComplexOf<V> ea = expOfI<Trig>(a * beta), eb = expOfI<Trig>(-a * beta);
    const FieldGradientEntryOf<V>& g = t.gradient[j];
    const ComplexOf<V> psiF = g.psiU * ea + g.psiW * eb, psiG = g.psiU * ea - g.psiW * eb;
    // |E|^2 = gamma |F|^2 + alpha |G|^2 (TE: |F|^2; TM: both components of E)
    V gamma = V{} + 1.0, alpha = V{};
    if (s.pol != Polarization::TE) {
        const double na2 = s.na * s.na;
        gamma = (na2 * tangentialIndexSquared(s.na, s.theta)) * jets.inverseSquareNorm[x];
        alpha = na2 * norm2(valueOf(jets.admittance[x]));
    }
    const ComplexOf<V> C = gamma * (conj(F) * psiF) + alpha * (conj(G) * psiG);
    const V dz = 2.0 * timesI(beta * (gamma * (conj(F) * G) + alpha * (conj(G) * F))).re;
    for (std::size_t l = 0; l < count; ++l) {
        double* o = out + stride * l;
        const double twoE2 = 2.0 * laneOf(e2, l);
        for (std::size_t i = 0; i < j; ++i) o[i] = twoE2 * laneOf(t.gradient[i].dlogT, l);
        const double cr = laneOf(C.re, l), ci = laneOf(C.im, l);
        for (std::size_t i = j; i < s.L; ++i)
            o[i] = 2.0 * (cr * laneOf(t.gradient[i].dr.re, l) - ci * laneOf(t.gradient[i].dr.im, l));
        o[j] += fraction * laneOf(dz, l);
    }
}

template <class Trig, class V, int D, bool Lossless>
void profileGroups(const LayeredStack& s, const InterfacePlan& plan, const ProfileWanted& wanted,
                   const DepthSite* sites, const int* needleMaterial, std::size_t P,
                   bool virtualLayer, const NeedlePairPlan& pairPlan,
                   std::vector<NeedlePairOf<V, D, Lossless>>& pairs,
                   MediaJetsOf<V, D, Lossless>& jets, ProfileTablesOf<V, D>& t,
                   const ProfileRequest& request, std::size_t begin, std::size_t end, double* ng)
{
    constexpr std::size_t lanes = laneCountOf<V>;
    const std::size_t L = s.L, rows = wanted.transmission ? 2 : 1;
    for (std::size_t group = begin; group < end; ++group) {
        const std::size_t first = group * lanes;
        const std::size_t count = s.K - first < lanes ? s.K - first : lanes;
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
        const bool gradient = request.dE2 && !virtualLayer;
        if (request.E2) {
            ComplexOf<V> phase = {V{}, V{}};
            V scale = V{} + 1.0;
            const V inverse2 = norm2(inverse1);
            for (std::size_t j = 0; j < L; ++j) {
                if (t.sweep.layers[j].rescaled) scale = scale * t.sweep.layers[j].rescale;
                t.field[j] = {phase, scale * scale * inverse2, scale};
                if (!Lossless || gradient)
                    phase = phase + s.d[j] * valueOf(jets.beta[std::size_t(s.material[j])]);
            }
        }
        if (gradient) fieldGradientTables<Trig>(c, jets, s, plan, t);
        for (std::size_t p = 0; p < P; ++p) {
            const DepthSite& site = sites[p];
            const std::size_t j = site.layer;
            const std::size_t x = std::size_t(s.material[j]);
            const std::size_t at = p + P * first;
            if (request.E2) {
                V e2;
                double* dE2 = gradient ? request.dE2 + L * at : nullptr;
                if (virtualLayer || (j + 1 == L && site.back == 0 && !request.fraction)) {
                    e2 = fieldSquare(jets, s, s.M, c.t, c.t);  // the top of the substrate
                    // below every layer: each changes it through t alone
                    for (std::size_t l = 0; l < count && dE2; ++l)
                        for (std::size_t i = 0; i < L; ++i)
                            dE2[i + L * P * l] = 2.0 * laneOf(e2, l) * laneOf(t.gradient[i].dlogT, l);
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
                    if (dE2) {
                        // the field itself, its phase too: P (w1 + E_b w2), P (w1 - E_b w2)
                        const ComplexOf<V> lead = t.field[j].scale *
                            (expOfI<Trig>(t.field[j].phase + site.front * beta) * inverse1);
                        const ComplexOf<V> v2 = expOfI<Trig>((2.0 * site.back) * beta) *
                                                coefficient(w.w, 0);
                        fieldGradient<Trig>(jets, s, t, j, x, site.front,
                                            request.fraction ? request.fraction[p] : 0.0,
                                            lead * (w1 + v2), lead * (w1 - v2), e2, count, dE2,
                                            L * P);
                    }
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
}

template <int D, bool Lossless>
struct Profile {
    template <class Variant, class V>
    static void run(const LayeredStack& s, const InterfacePlan& plan, const ProfileWanted& wanted,
                    const DepthSite* sites, const int* needleMaterial, std::size_t P,
                    bool virtualLayer, const NeedlePairPlan& pairPlan,
                    std::vector<NeedlePairOf<V, D, Lossless>>& pairs,
                    MediaJetsOf<V, D, Lossless>& jets, ProfileTablesOf<V, D>& t,
                    const ProfileRequest& request, std::size_t begin, std::size_t end, double* ng)
    {
        profileGroups<typename Variant::Trig>(s, plan, wanted, sites, needleMaterial, P,
                                              virtualLayer, pairPlan, pairs, jets, t, request,
                                              begin, end, ng);
    }
};

template <int D, bool Lossless, class Variant>
void runProfile(Variant variant, const LayeredStack& s, const InterfacePlan& plan,
                const ProfileWanted& wanted, const DepthSite* sites, const int* needleMaterial,
                std::size_t P, bool virtualLayer, const ProfileRequest& request)
{
    using V = typename Variant::Lanes;
    const std::size_t groups = (s.K + laneCountOf<V> - 1) / laneCountOf<V>;
    const std::size_t chunks = chunkCount(groups);
    std::vector<double> partial(request.ng ? P * chunks : 0, 0.0);
    const NeedlePairPlan pairPlan =
        wanted.needles ? planNeedlePairs(s.material, sites, needleMaterial, P) : NeedlePairPlan{};
    struct Tables {
        MediaJetsOf<V, D, Lossless> jets;
        ProfileTablesOf<V, D> profile;
        std::vector<NeedlePairOf<V, D, Lossless>> pairs;
    };
    shareGroups(
        groups, double(s.K) * double(3 * s.L + P) * double(D + 1),
        [&] {
            return Tables{MediaJetsOf<V, D, Lossless>(s.M, plan.near.size()),
                          ProfileTablesOf<V, D>(s.L, wanted.needles, request.E2 != nullptr,
                                                request.dE2 != nullptr),
                          std::vector<NeedlePairOf<V, D, Lossless>>(pairPlan.x.size())};
        },
        [&](Tables& t, std::size_t begin, std::size_t end, std::size_t c) {
            runKernel<Profile<D, Lossless>>(variant, s, plan, wanted, sites, needleMaterial, P,
                                            virtualLayer, pairPlan, t.pairs, t.jets, t.profile,
                                            request, begin, end,
                                            request.ng ? &partial[P * c] : nullptr);
        });
    for (std::size_t c = 0; c < chunks && request.ng; ++c)
        for (std::size_t p = 0; p < P; ++p) request.ng[p] += partial[P * c + p];
}

template <bool Lossless, class Variant>
void runProfileOrder(int order, Variant variant, const LayeredStack& s, const InterfacePlan& plan,
                     const ProfileWanted& wanted, const DepthSite* sites,
                     const int* needleMaterial, std::size_t P, bool virtualLayer,
                     const ProfileRequest& request)
{
    switch (order) {
    case 0: return runProfile<0, Lossless>(variant, s, plan, wanted, sites, needleMaterial, P, virtualLayer, request);
    case 1: return runProfile<1, Lossless>(variant, s, plan, wanted, sites, needleMaterial, P, virtualLayer, request);
    case 2: return runProfile<2, Lossless>(variant, s, plan, wanted, sites, needleMaterial, P, virtualLayer, request);
    default: return runProfile<3, Lossless>(variant, s, plan, wanted, sites, needleMaterial, P, virtualLayer, request);
    }
}

}  // namespace

void profileOverGrid(const LayeredStack& stack, const DepthSite* sites, const int* needleMaterial,
                     std::size_t P, const ProfileRequest& request, KernelPath path)
{
    if (request.ng)
        for (std::size_t p = 0; p < P; ++p) request.ng[p] = 0;
    if (stack.K == 0 || P == 0) return;
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
    // The field's gradient needs the field: where it alone is asked for, the
    // field goes to scratch.
    std::vector<double> field(request.dE2 && !request.E2 ? P * stack.K : 0);
    ProfileRequest r = request;
    if (!field.empty()) r.E2 = field.data();
    std::vector<int> needles;
    if (wanted.needles) needles.assign(needleMaterial, needleMaterial + P);
    std::sort(needles.begin(), needles.end());
    needles.erase(std::unique(needles.begin(), needles.end()), needles.end());
    const InterfacePlan plan = planInterfaces(s, needles);
    withVariant(path, [&](auto variant) {
        if (plan.lossless)
            runProfileOrder<true>(order, variant, s, plan, wanted, sites, needleMaterial, P,
                                  virtualLayer, r);
        else
            runProfileOrder<false>(order, variant, s, plan, wanted, sites, needleMaterial, P,
                                   virtualLayer, r);
    });
}
