// The jet engine: reflection and transmission of any layered stack with full
// dispersion, and their exact thickness gradients, from wavenumber jets
// carried through one sweep from the substrate to the ambient and, for
// gradients, one back.
//
// Fields go as exp(-i omega t). In a medium of index n the normal index is
// q = sqrt(n^2 - tau), tau = (n_a sin theta)^2, on the branch Im q >= 0 (a
// wave that decays or leaves), so absorbing, evanescent and metallic layers
// and substrates are all modelled. The tangential field (TE: E; TM: H) is
// U e^(i beta z) + W e^(-i beta z) in a layer, beta = k q, with the
// admittance Y = q (TE) or q / n^2 (TM) relating the other tangential
// component to U - W. Every index follows n(k) = n + n' h + n'' h^2 / 2 about
// each wavenumber (h = k - k_i), in the phases and in every admittance; the
// ambient and the angle carry none. Each complex quantity is a jet in k
// (numeric/jet.h), so r' and r'' are exact derivatives.
//
// Matrices acting on the amplitudes (U, W):
//   interface into a medium of admittance Y_far from one of Y_near:
//     D(m) = (1/2) [[1 + m, 1 - m], [1 - m, 1 + m]],  m = Y_far / Y_near,
//     giving the near side's amplitudes from the far side's;
//   layer j: diag(e^(-i beta d), e^(i beta d)) = e^(-i beta d) S_j,
//     S_j = diag(1, E_j),  E_j = e^(2 i beta_j d_j),  |E_j| <= 1.
// The stack maps the substrate's (t, 0) to the ambient's (1, r):
//   w = D_0 S_0 D_1 S_1 ... S_(L-1) D_exit (1, 0)^T,
//   r = w_2 / w_1,  t = e^(i Phi) / w_1,  Phi = sum over layers of beta_j d_j,
// the dropped factors e^(-i beta d) returning in t alone. Carrying S_j
// rather than the full layer matrix keeps every step bounded: a thick metal
// or evanescent layer makes E_j small, never anything large.
//
// The sweep from the substrate (w^(L) = D_exit (1, 0)^T, then
// w^(j) = D_j S_j w^(j+1)) keeps, per layer j,
//   E_j and u_j = E_j w_2^(j+1)   (the tables of a gradient),
//   w^(j+1)                       (also, for needles and fields).
// The thickness derivative of w is A_j (0, 2 i beta_j u_j)^T, with
// A_j = D_0 S_0 ... S_(j-1) D_j the product from the ambient to layer j, so
// with the adjoint rows mu_j = c A_j, carried from the ambient to the
// substrate (mu_0 = c D_0, mu_(j+1) = mu_j S_j D_(j+1)),
//   dr/dd_j = 2 i beta_j (mu_j)_2 u_j,          c = (-r / w_1, 1 / w_1),
//   d log t/dd_j = i beta_j - 2 i beta_j (nu_j)_2 u_j,   c = (1 / w_1, 0),
// each a jet in k: finite where r = 0, and for a layer of zero thickness.
//
// Lossless stacks (every index real and every medium propagating at the
// angle) take the same walk with real admittance ratios and phases, which
// costs about half: the engine's compact form.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "engine/media.h"

namespace coat {

// A pair of amplitudes (U, W), or an adjoint row: two complex jets.
template <class V, int D>
struct AmplitudesOf {
    ComplexJetOf<V, D> u, w;
};

// D(m) x for a column x, and x^T D(m) for a row (D is symmetric):
// (p + s, p - s), p = (x_1 + x_2) / 2, s = m (x_1 - x_2) / 2.
template <class V, int D, class M>
inline AmplitudesOf<V, D> throughInterface(const AmplitudesOf<V, D>& x, const M& halfM)
{
    const ComplexJetOf<V, D> p = 0.5 * (x.u + x.w);
    const ComplexJetOf<V, D> s = halfM * (x.u - x.w);
    return {p + s, p - s};
}

// Per-layer entries of one lane group: E_j, u_j = E_j w_2^(j+1), and the
// power of two the sweep scaled the amplitudes by after layer j's step
// (1 almost always; see sweepFromSubstrate).
template <class V, int D>
struct LayerEntryOf {
    ComplexJetOf<V, D> E, u;
    V rescale;
    bool rescaled;  // in any lane
};

// The tables of one lane group: sized once per call, rewritten by every
// group. `behind` (w^(j+1) of every layer) is sized only when asked for.
template <class V, int D>
struct SweepTablesOf {
    std::vector<LayerEntryOf<V, D>> layers;
    std::vector<AmplitudesOf<V, D>> behind;

    SweepTablesOf(std::size_t L, bool keepBehind) : layers(L), behind(keepBehind ? L : 0) {}
};

// The amplitudes of the sweep grow through a long reflecting stack like
// (n_high / n_low)^(L/2), far past the range of a double at a few thousand
// layers of strong contrast. Every few layers, a lane whose amplitudes have
// passed 2^128 is brought back by the power of two that puts the larger part
// near 1: exact, it changes no digit of any ratio. The sweep records it, the
// adjoint sweep applies it where it was taken, and t takes the total.
inline double rangeScaleOf(const Complex& a, const Complex& b)
{
    const double m = std::fmax(std::fmax(std::fabs(a.re), std::fabs(a.im)),
                               std::fmax(std::fabs(b.re), std::fabs(b.im)));
    return m > 0x1p128 && std::isfinite(m) ? std::ldexp(1.0, -std::ilogb(m)) : 1.0;
}
const std::size_t RANGE_CHECK_EVERY = 8;

// The result of a sweep from the substrate: w, scaled by 2^exponent.
template <class V, int D>
struct SweptOf {
    AmplitudesOf<V, D> w;
    V exponent;
};

// The sweep from the substrate to the ambient: onLayer(j, E_j, u_j, w^(j+1),
// rescale_j) sees every layer, deepest first, w^(j+1) and u_j as the sweep
// holds them (scaled by the rescales of the deeper layers).
template <class Trig, class V, int D, bool Lossless, class OnLayer>
inline SweptOf<V, D> sweepFromSubstrate(const MediaJetsOf<V, D, Lossless>& jets,
                                        const LayeredStack& s, const InterfacePlan& plan,
                                        OnLayer&& onLayer)
{
    constexpr std::size_t lanes = laneCountOf<V>;
    const ComplexJetOf<V, D> exitHalf = asComplexJet(jets.halfRatio[plan.interfaceOfLayer[s.L]]);
    const ComplexJetOf<V, D> half = asComplexJet(constantJet<V, D>(V{} + 0.5));
    SweptOf<V, D> out = {{half + exitHalf, half - exitHalf}, V{}};
    AmplitudesOf<V, D>& w = out.w;
    for (std::size_t j = s.L; j-- > 0;) {
        const ComplexJetOf<V, D> E =
            phaseFactor<Trig>((2.0 * s.d[j]) * jets.beta[std::size_t(s.material[j])]);
        const ComplexJetOf<V, D> u = E * w.w;
        const AmplitudesOf<V, D> behind = w;
        w = throughInterface(AmplitudesOf<V, D>{w.u, u}, jets.halfRatio[plan.interfaceOfLayer[j]]);
        V rescale = V{} + 1.0;
        bool rescaled = false;
        if (j % RANGE_CHECK_EVERY == 0) {
            for (std::size_t l = 0; l < lanes; ++l) {
                const double r = rangeScaleOf(laneOf(coefficient(w.u, 0), l),
                                              laneOf(coefficient(w.w, 0), l));
                if (r != 1.0) {
                    setLane(rescale, l, r);
                    setLane(out.exponent, l, laneOf(out.exponent, l) + std::log2(r));
                    rescaled = true;
                }
            }
            if (rescaled) w = {rescale * w.u, rescale * w.w};
        }
        onLayer(j, E, u, behind, rescale, rescaled);
    }
    return out;
}

// The forward sweep into the tables.
template <class Trig, class V, int D, bool Lossless>
inline SweptOf<V, D> sweepIntoTables(SweepTablesOf<V, D>& t,
                                     const MediaJetsOf<V, D, Lossless>& jets,
                                     const LayeredStack& s, const InterfacePlan& plan)
{
    const bool keepBehind = !t.behind.empty();
    return sweepFromSubstrate<Trig>(
        jets, s, plan,
        [&](std::size_t j, const ComplexJetOf<V, D>& E, const ComplexJetOf<V, D>& u,
            const AmplitudesOf<V, D>& w, const V& rescale, bool rescaled) {
            t.layers[j] = {E, u, rescale, rescaled};
            if (keepBehind) t.behind[j] = w;
        });
}

// The adjoint rows mu_j = c A_j from the ambient to the substrate, any number
// of them at once (one per start row c): onLayer(j, mu) with mu[a] the row of
// c[a] just inside layer j, in front of its phase.
template <std::size_t Rows, class V, int D, bool Lossless, class OnLayer>
inline void sweepFromAmbient(const AmplitudesOf<V, D> (&c)[Rows], const SweepTablesOf<V, D>& t,
                             const MediaJetsOf<V, D, Lossless>& jets, const LayeredStack& s,
                             const InterfacePlan& plan, std::size_t rows, OnLayer&& onLayer)
{
    AmplitudesOf<V, D> mu[Rows];
    for (std::size_t a = 0; a < rows; ++a)
        mu[a] = throughInterface(c[a], jets.halfRatio[plan.interfaceOfLayer[0]]);
    for (std::size_t j = 0; j < s.L; ++j) {
        if (t.layers[j].rescaled)
            for (std::size_t a = 0; a < rows; ++a)
                mu[a] = {t.layers[j].rescale * mu[a].u, t.layers[j].rescale * mu[a].w};
        onLayer(j, static_cast<const AmplitudesOf<V, D>(&)[Rows]>(mu));
        if (j + 1 == s.L) break;
        const auto& halfM = jets.halfRatio[plan.interfaceOfLayer[j + 1]];
        for (std::size_t a = 0; a < rows; ++a) {
            mu[a].w = mu[a].w * t.layers[j].E;
            mu[a] = throughInterface(mu[a], halfM);
        }
    }
}

}  // namespace coat
