// Needle derivatives: how the outputs change, per unit of its thickness t,
// when a thin layer of any material is inserted at depth z, at t = 0, with
// full dispersion, for every depth at once, from the engine's tables
// (engine/sweep.h).
//
// A needle of material y at distance a behind the front of layer j (material
// x) and b in front of its back splits that layer's S_j into
//   S_x(a) D(m) S_y(t) D(1/m) S_x(b),   m = Y_y / Y_x,
// which is S_j again at t = 0. Its t-derivative there is
//   S_x(a) W S_x(b),  W = D(m) diag(0, 2 i beta_y) D(1/m)
//                       = (i beta_y / 2) (1 - m, 1 + m)^T (1 - 1/m, 1 + 1/m),
// a matrix of rank one, so with the adjoint row mu_j of layer j and the
// amplitudes w^(j+1) behind it,
//   dr/dt = (i beta_y / 2) [mu_1 (1 - m) + mu_2 (1 + m) E_a]
//                          [(1 - 1/m) w_1 + (1 + 1/m) E_b w_2],
// E_a = e^(2 i beta_x a), E_b = e^(2 i beta_x b): both bounded, whatever the
// loss of the layer. As a jet in k, dr/dt gives the needle derivatives of R,
// GD and GDD as a thickness derivative does; each depth costs two phase
// factors and a few products.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/sweep.h"
#include "geometry/depth.h"

namespace coat {

// The factors of a needle of material y in a layer of material x, m = Y_y / Y_x:
// 1 - m, 1 + m, (1 - 1/m) beta_y / 2, (1 + 1/m) beta_y / 2; the same for every
// depth of that pair, so found once per lane group.
template <class V, int D, bool Lossless>
struct NeedlePairOf {
    MediumJetOf<V, D, Lossless> oneMinusM, onePlusM, backMinus, backPlus;
};

template <class V, int D, bool Lossless>
inline NeedlePairOf<V, D, Lossless> needlePair(const MediaJetsOf<V, D, Lossless>& jets, int x,
                                               int y)
{
    using Medium = MediumJetOf<V, D, Lossless>;
    const Medium m = jets.admittance[std::size_t(y)] / jets.admittance[std::size_t(x)];
    const Medium inverseM = inverse(m);
    const Medium halfBeta = 0.5 * jets.beta[std::size_t(y)];
    return {1.0 - m, 1.0 + m, (1.0 - inverseM) * halfBeta, (1.0 + inverseM) * halfBeta};
}

// The distinct (x, y) pairs of a call's needles, and the pair of each depth.
struct NeedlePairPlan {
    std::vector<int> x, y;
    std::vector<int> pairOfDepth;
};
NeedlePairPlan planNeedlePairs(const int* layerMaterial, const DepthSite* sites,
                               const int* needleMaterial, std::size_t P);

// The needle's derivative rho W_needle w^(j+1), as a jet, for each of the
// adjoint rows rows[0..count-1] of layer j (mu of r gives dr/dt; nu of t the
// part of d log t/dt beside i beta_y): a needle at a site inside layer j of
// material x, of the pair `pair`, behind = w^(j+1), E its phase factor E_j.
template <class Trig, class V, int D, bool Lossless>
inline void needleDerivatives(const MediaJetsOf<V, D, Lossless>& jets,
                              const NeedlePairOf<V, D, Lossless>& pair,
                              const AmplitudesOf<V, D>* rows, std::size_t count,
                              const AmplitudesOf<V, D>& behind, const ComplexJetOf<V, D>& E,
                              const DepthSite& site, int x, ComplexJetOf<V, D>* out)
{
    const auto& beta = jets.beta[std::size_t(x)];
    const ComplexJetOf<V, D> Ea = phaseFactor<Trig>((2.0 * site.front) * beta);
    ComplexJetOf<V, D> Eb;
    if constexpr (Lossless)
        Eb = E * conj(Ea);  // |E| = 1: e^(2 i beta b) = E_j e^(-2 i beta a)
    else
        Eb = phaseFactor<Trig>((2.0 * site.back) * beta);
    const ComplexJetOf<V, D> back = behind.u * pair.backMinus + (behind.w * Eb) * pair.backPlus;
    for (std::size_t a = 0; a < count; ++a)
        out[a] = timesI((rows[a].u * pair.oneMinusM + (rows[a].w * Ea) * pair.onePlusM) * back);
}

}  // namespace coat
