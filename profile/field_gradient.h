// The thickness gradient of |E|^2 at a depth, as small functions of the
// engine's per-layer quantities (the adjoint rows, u_j, beta_j) and of the
// field at the depth; the profile walk (profile/profile.cpp) calls them.
//
// The depth is held at its distance a behind the front of its layer j (and,
// tied to a fraction f of that layer, at a = f d_j). The ambient amplitudes
// are (1, r), the depth's A^-1 (1, r), A the matrix of the layers above and
// of the part a of its own: d_i for i >= j leaves A alone, so the field there
// moves by psi dr/dd_i, psi = A^-1 (0, 1) the field of a wave leaving the
// stack alone. From below the field is t times a field the layers above do
// not touch: for i < j, d|E|^2/dd_i = 2 |E|^2 Re d log t/dd_i. A fraction f
// adds f d|E|^2/dz to layer j's, with dF/dz = i beta G and dG/dz = i beta F.
// Just inside the substrate every layer is above.
#pragma once

#include <cstddef>

#include "numeric/complex.h"
#include "numeric/lanes.h"

namespace coat {

// Per layer: dr/dd_j, Re d log t/dd_j, and psi's amplitudes (U, W) at the
// layer's front.
template <class V>
struct FieldGradientEntryOf {
    ComplexOf<V> dr, psiU, psiW;
    V dlogT;
};

// dr/dd_j and Re d log t/dd_j from the second entries of the adjoint rows of
// r (muW) and of t (nuW), beta_j and u_j = E_j w_2^(j+1), as the engine forms
// them: dr = 2 i beta mu_2 u, d log t = i beta - 2 i beta nu_2 u.
template <class V>
inline void layerFieldDerivatives(const ComplexOf<V>& muW, const ComplexOf<V>& nuW,
                                  const ComplexOf<V>& beta, const ComplexOf<V>& u,
                                  FieldGradientEntryOf<V>& e)
{
    const ComplexOf<V> twoIBetaU = timesI(2.0 * (beta * u));
    e.dr = muW * twoIBetaU;
    e.dlogT = (V{} - beta.im) - (nuW * twoIBetaU).re;
}

// psi's amplitudes carried from the near side of an interface to the far
// side, m = Y_far / Y_near: D(m)^-1 = D(1/m), (p + s, p - s) with
// p = (u + w) / 2, s = (u - w) / (2 m).
template <class V>
inline void psiThroughInterface(ComplexOf<V>& u, ComplexOf<V>& w, const ComplexOf<V>& m)
{
    const ComplexOf<V> p = 0.5 * (u + w), s = (0.5 * (u - w)) / m;
    u = p + s;
    w = p - s;
}

// The L derivatives of |E|^2 = gamma |F|^2 + alpha |G|^2 (TE: gamma 1,
// alpha 0) at a depth of layer j, for the `count` lanes of a group, into
// out[i + stride l]: the field (F, G) and psi's (psiF, psiG) there, beta of
// its medium, e2 its |E|^2, fraction its tie (0 for a depth held at its
// distance from the front).
template <class V>
inline void depthFieldGradient(const FieldGradientEntryOf<V>* g, std::size_t L, std::size_t j,
                               double fraction, const ComplexOf<V>& beta, const ComplexOf<V>& F,
                               const ComplexOf<V>& G, const ComplexOf<V>& psiF,
                               const ComplexOf<V>& psiG, const V& gamma, const V& alpha,
                               const V& e2, std::size_t count, double* out, std::size_t stride)
{
    const ComplexOf<V> C = gamma * (conj(F) * psiF) + alpha * (conj(G) * psiG);
    const V dz = 2.0 * timesI(beta * (gamma * (conj(F) * G) + alpha * (conj(G) * F))).re;
    for (std::size_t l = 0; l < count; ++l) {
        double* o = out + stride * l;
        const double twoE2 = 2.0 * laneOf(e2, l);
        for (std::size_t i = 0; i < j; ++i) o[i] = twoE2 * laneOf(g[i].dlogT, l);
        const double cr = laneOf(C.re, l), ci = laneOf(C.im, l);
        for (std::size_t i = j; i < L; ++i)
            o[i] = 2.0 * (cr * laneOf(g[i].dr.re, l) - ci * laneOf(g[i].dr.im, l));
        o[j] += fraction * laneOf(dz, l);
    }
}

// Just inside the substrate: every layer is above.
template <class V>
inline void substrateFieldGradient(const FieldGradientEntryOf<V>* g, std::size_t L, const V& e2,
                                   std::size_t count, double* out, std::size_t stride)
{
    for (std::size_t l = 0; l < count; ++l)
        for (std::size_t i = 0; i < L; ++i)
            out[i + stride * l] = 2.0 * laneOf(e2, l) * laneOf(g[i].dlogT, l);
}

}  // namespace coat
