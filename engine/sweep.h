// The engine's sweep: reflection and transmission of any layered stack with
// full dispersion, and everything asked beyond them (thickness gradients,
// the field and needles at depths), from wavenumber jets carried through one
// sweep from the substrate to the ambient.
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
// The state. At each depth the sweep holds, in the medium there, the sum
// F = U + W (the tangential field, continuous across an interface) and W; the
// companion field Y (U - W) = Y (F - 2 W) is continuous too. Up through layer
// j (material x, thickness d, E = e^(2 i beta d), |E| <= 1) and into the
// medium in front of it (admittance Y_f):
//   F' = F - 2 sigma W,                          sigma = (1 - E) / 2,
//   W' = F' / 2 - (m / 2) (F - 2 W + 2 sigma W),  m = Y_x / Y_f,
// the layer acting as diag(1, E) on (U, W), its factor e^(-i beta d) dropped
// (it returns in t alone). From the substrate's (U, W) = (1, 0) the sweep
// reaches the ambient's (w_1, w_2) = (F - W, W):
//   r = w_2 / w_1,  t = e^(i Phi) / w_1,  Phi = sum over layers of beta_j d_j.
// Every step is bounded however lossy the layer. Near a layer's critical
// angle (n^2 -> tau) its two waves merge: W grows like 1/q there but enters
// only through the products sigma W (sigma ~ q) and m (F - 2 W + ...) (the
// next m ~ q), never through a difference of large numbers, and sigma is
// formed without cancellation: with beta d = a + i b,
//   sigma = sin^2 a - expm1(-2 b) cos 2a / 2 - i e^(-2b) sin a cos a.
// (At the angle itself, media.h keeps q from 0.)
//
// Derivatives from the state alone. A change dv of the state v = (U_j, E_j W_j)
// just inside layer j's front moves the ambient's w = A v by A dv, so
// dr = (w_1 (A dv)_2 - w_2 (A dv)_1) / w_1^2 = det(A) (v_1 dv_2 - v_2 dv_1) / w_1^2,
// and det A = (Y_j / Y_a) prod_(i<j) E_i (an interface matrix has determinant
// m, a layer E): the adjoint row of r is the state turned by [[0, -1], [1, 0]]
// and scaled, so no sweep back from the ambient is needed. With U_j, W_j at
// the back of layer j,
//   dr/dd_j = 2 i (beta Y)_j (prod_(i<=j) E_i) U_j W_j / (Y_a w_1^2),
// and for a needle of material y at a depth in layer j, a behind its front
// and b before its back (E_a E_b = E_j), with the field there
// F_d = F - 2 sigma_b W and the companion H_d = Y_j (F_d - 2 E_b W),
//   dr/dt = i (prod_(i<j) E_i) E_a ((beta Y)_y F_d^2 - (beta / Y)_y H_d^2) / (2 Y_a w_1^2),
// with beta Y = k q^2 (TE) or k q^2 / n^2 (TM) and beta / Y = k or k n^2:
// products throughout, finite where r = 0, for a layer of zero thickness,
// and behind an opaque region (where an adjoint row carried from the
// ambient would be a sum of large terms cancelling). In a lossless walk
// |E_i| = 1, so prod_(i<=j) E_i = prod_all conj(prod_(i>j) E_i) comes with
// the sweep itself; otherwise one light pass from the ambient multiplies
// the E_i.
//
// Transmission needs the row that gives w_1 from the state, carried down
// from the ambient's (1, -1) by the transpose of each step's Jacobian
// (transmissionRowBelow): from the substrate side it would be the
// difference of two solutions that grow alike through an opaque layer. With
// (alpha, beta) that row in front of layer j, over w_1, and h = m / 2 of the
// interface in front of the layer,
//   d log t/dd_j = i beta_j (1 - E_j W_j (2 alpha + beta (1 + 2 h))).
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

// The state (F, W), or a row acting on it: two complex jets.
template <class V, int D>
struct FieldOf {
    ComplexJetOf<V, D> F, W;
};

// A layer's (or part of a layer's) phase factors: E = e^(2 i x) and
// sigma = (1 - E) / 2, x = beta d; sigma's value without cancellation
// however small x is.
template <class V, int D>
struct PhaseOf {
    ComplexJetOf<V, D> E, sigma;
};

// The phase factors of a real x: sigma = sin^2 x - i sin x cos x.
template <class Trig, class V, int D>
inline PhaseOf<V, D> phaseOf(const JetOf<V, D>& x)
{
    V s, c;
    Trig::sinCos(x.c[0], &s, &c);
    const ComplexOf<V> sigma = {s * s, -(s * c)};
    const ComplexOf<V> E = {1.0 - 2.0 * sigma.re, -2.0 * sigma.im};
    PhaseOf<V, D> p;
    p.E = expFromValue(ComplexJetOf<V, D>{constantJet<V, D>(V{}), 2.0 * x}, E);
    p.sigma = -0.5 * p.E;
    setCoefficient(p.sigma, 0, sigma);
    return p;
}
// The same of a complex x = a + i b (b >= 0): E = e^(-2b) e^(2ia),
// sigma = sin^2 a - expm1(-2b) cos 2a / 2 - i e^(-2b) sin a cos a.
template <class Trig, class V, int D>
inline PhaseOf<V, D> phaseOf(const ComplexJetOf<V, D>& x)
{
    V s, c, e, em;
    Trig::sinCos(x.re.c[0], &s, &c);
    exponentials(-2.0 * x.im.c[0], &e, &em);
    const V cos2a = (c - s) * (c + s), sc = s * c;
    const ComplexOf<V> sigma = {s * s - 0.5 * (em * cos2a), -(e * sc)};
    const ComplexOf<V> E = {e * cos2a, e * (2.0 * sc)};
    PhaseOf<V, D> p;
    p.E = expFromValue(timesI(2.0 * x), E);
    p.sigma = -0.5 * p.E;
    setCoefficient(p.sigma, 0, sigma);
    return p;
}

// Up through a layer of phase factor sigma and into the medium in front of
// it, across an interface of half ratio h = m / 2.
template <class V, int D, class H>
inline FieldOf<V, D> throughLayer(const FieldOf<V, D>& v, const ComplexJetOf<V, D>& sigma,
                                  const H& halfRatio)
{
    const ComplexJetOf<V, D> t = sigma * v.W;
    const ComplexJetOf<V, D> F = v.F - 2.0 * t;
    const ComplexJetOf<V, D> difference = (v.F - 2.0 * v.W) + 2.0 * t;  // U - E W
    return {F, 0.5 * F - halfRatio * difference};
}

// The row that gives w_1 from the state, taken from in front of a layer
// (sigma, h as in throughLayer) to behind it: the row times the step's
// Jacobian [[1, -2 sigma], [1/2 - h, -(sigma - 2 h (1 - sigma))]].
template <class V, int D, class H>
inline FieldOf<V, D> transmissionRowBelow(const FieldOf<V, D>& row,
                                          const ComplexJetOf<V, D>& sigma, const H& halfRatio)
{
    const ComplexJetOf<V, D> twoH = 2.0 * asComplexJet(halfRatio);
    return {row.F + (0.5 - asComplexJet(halfRatio)) * row.W,
            -(2.0 * (sigma * row.F)) - (sigma - twoH * (1.0 - sigma)) * row.W};
}

// The amplitudes of the sweep grow through a long reflecting stack like
// (n_high / n_low)^(L/2), far past the range of a double at a few thousand
// layers of strong contrast. Every few layers, a lane whose state has passed
// 2^128 is brought back by the power of two that puts its larger part near
// 1: exact, it changes no digit of any ratio. The sweep records it; whatever
// meets the state later applies it where it was taken, and t takes the total.
inline double rangeScaleOf(const Complex& a, const Complex& b)
{
    const double m = std::fmax(std::fmax(std::fabs(a.re), std::fabs(a.im)),
                               std::fmax(std::fabs(b.re), std::fabs(b.im)));
    return m > 0x1p128 && std::isfinite(m) ? std::ldexp(1.0, -std::ilogb(m)) : 1.0;
}
const std::size_t RANGE_CHECK_EVERY = 8;

// The power of two a layer's step scaled the state by (1 almost always).
template <class V>
struct RescaleOf {
    V factor;
    bool taken;  // in any lane
};

// The result of a sweep from the substrate: the ambient's state, scaled by
// 2^exponent.
template <class V, int D>
struct SweptOf {
    FieldOf<V, D> w;
    V exponent;
};

// The sweep from the substrate to the ambient: onLayer(j, v, phase, rescale)
// sees every layer, deepest first, with v the state at its back as the sweep
// holds it (scaled by the rescales of the deeper layers) and the rescale its
// own step took after it.
template <class Trig, class V, int D, bool Lossless, class OnLayer>
inline SweptOf<V, D> sweepFromSubstrate(const MediaJetsOf<V, D, Lossless>& jets,
                                        const LayeredStack& s, const InterfacePlan& plan,
                                        OnLayer&& onLayer)
{
    constexpr std::size_t lanes = laneCountOf<V>;
    const ComplexJetOf<V, D> exitHalf = asComplexJet(jets.halfRatio[plan.interfaceOfLayer[s.L]]);
    const ComplexJetOf<V, D> one = asComplexJet(constantJet<V, D>(V{} + 1.0));
    SweptOf<V, D> out = {{one, 0.5 - exitHalf}, V{}};
    FieldOf<V, D>& v = out.w;
    for (std::size_t j = s.L; j-- > 0;) {
        const PhaseOf<V, D> phase =
            phaseOf<Trig>(s.d[j] * jets.beta[std::size_t(s.material[j])]);
        const FieldOf<V, D> back = v;
        v = throughLayer(v, phase.sigma, jets.halfRatio[plan.interfaceOfLayer[j]]);
        RescaleOf<V> rescale = {V{} + 1.0, false};
        if (j % RANGE_CHECK_EVERY == 0) {
            for (std::size_t l = 0; l < lanes; ++l) {
                const double r =
                    rangeScaleOf(laneOf(coefficient(v.F, 0), l), laneOf(coefficient(v.W, 0), l));
                if (r != 1.0) {
                    setLane(rescale.factor, l, r);
                    setLane(out.exponent, l, laneOf(out.exponent, l) + std::log2(r));
                    rescale.taken = true;
                }
            }
            if (rescale.taken) v = {rescale.factor * v.F, rescale.factor * v.W};
        }
        onLayer(j, back, phase, rescale);
    }
    return out;
}

}  // namespace coat
