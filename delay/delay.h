// Group delay by forward differentiation: beside the stack row, every layer
// step carries the derivative row d(a, b)/dk, so rho and d(rho)/dk come out of
// one pass over the layers.
//
// Only the layer phases carry the wavenumber derivative. The interface
// coefficients g and h are held at their values at k (dispersion of n acts
// through the phases alone); the ambient index and the angle carry none.
#pragma once

#include <cstddef>

#include "stack/stack.h"

namespace coat {

// Wavenumber derivatives of the normal indices and phase rates.
template <class V>
struct PhaseRateDerivativesOf {
    V qPrime[3];     // dq/dk of A, B, substrate (the substrate's is unused)
    V betaPrime[3];  // d(q k)/dk of A, B, substrate (the substrate's is unused)
};
using PhaseRateDerivatives = PhaseRateDerivativesOf<double>;

// dq/dk of q = sqrt(n^2 - tau), from dn/dk.
inline double normalIndexDerivative(double n, double nPrime, double q) { return nPrime * n / q; }

// d(q k)/dk.
inline double phaseRateDerivative(double q, double qPrime, double k) { return q + qPrime * k; }

// From the triples (n_A, n_B, n_S), (n'_A, n'_B, n'_S) and the normal indices.
PhaseRateDerivatives phaseRateDerivatives(const double n[3], const double nPrime[3],
                                          const double q[3], double k);

template <std::size_t N>
inline void setLane(PhaseRateDerivativesOf<LanesOf<N>>& dc, std::size_t l,
                    const PhaseRateDerivatives& s)
{
    for (int x = 0; x < 3; ++x) {
        dc.qPrime[x].set(l, s.qPrime[x]);
        dc.betaPrime[x].set(l, s.betaPrime[x]);
    }
}
inline void setLane(PhaseRateDerivatives& dc, std::size_t, const PhaseRateDerivatives& s)
{
    dc = s;
}

// Derivative row after a layer: sigma times the NEW stack row (the derivative
// of exp(-i delta) is sigma exp(-i delta), sigma = -i delta'), plus the OLD
// derivative row carried through the layer matrix. `sigmaIm` = -delta'.
template <class V>
inline RowOf<V> applyLayerDerivative(const RowOf<V>& after, const RowOf<V>& derivativeBefore,
                                     const ComplexOf<V>& P, const ComplexOf<V>& Q,
                                     const V& sigmaIm)
{
    return addRows(mulImaginaryRow(sigmaIm, after), applyLayer(derivativeBefore, P, Q));
}

template <class V>
struct ReflectionDerivativeOf {
    ComplexOf<V> rho;       // -e / f
    ComplexOf<V> rhoPrime;  // d(rho)/dk
};
using ReflectionDerivative = ReflectionDerivativeOf<double>;

// f^2 written out.
template <class V>
inline ComplexOf<V> squareOf(const ComplexOf<V>& f)
{
    return {f.re * f.re - f.im * f.im, 2.0 * f.re * f.im};
}

// rho and rho' from the closing row (f, e) and the closing derivative row
// (f', e'), both already scaled into range by the closing row's power of two:
// rho' = (e f' - f e') / f^2.
template <class V>
inline ReflectionDerivativeOf<V> reflectionDerivativeOfRescaled(const RowOf<V>& closing,
                                                                const RowOf<V>& closingDerivative)
{
    const ComplexOf<V> f = closing.a, e = closing.b;
    const ComplexOf<V> fp = closingDerivative.a, ep = closingDerivative.b;
    const ComplexOf<V> Z = e * fp - f * ep;
    return {reflectionOfRescaled(closing), Z / squareOf(f)};
}

// The same from rows of any size.
template <class V>
inline ReflectionDerivativeOf<V> reflectionDerivativeOf(const RowOf<V>& closing,
                                                        const RowOf<V>& closingDerivative)
{
    const V s = closingScaleOf(closing.a);  // 1 unless the rows have grown large
    return reflectionDerivativeOfRescaled(scaleRowBy(s, closing), scaleRowBy(s, closingDerivative));
}

// Closing with the exit coefficients (g, h); a common factor on g and h
// cancels in rho and rho'.
template <class V>
inline ReflectionDerivativeOf<V> closeStackDerivative(const RowOf<V>& s, const RowOf<V>& derivative,
                                                      const V& g, const V& h)
{
    return reflectionDerivativeOf(mixInterface(s, g, h), mixInterface(derivative, g, h));
}

// Im(rho'/rho) R = re rho im rho' - im rho re rho', the phase slope times R.
template <class V>
inline V phaseSlopeNumerator(const ComplexOf<V>& rho, const ComplexOf<V>& rhoPrime)
{
    return rho.re * rhoPrime.im - rho.im * rhoPrime.re;
}

// Group delay d(arg rho)/d(omega) in fs, the product R c formed first.
template <class V>
inline V groupDelayOf(const ComplexOf<V>& rho, const ComplexOf<V>& rhoPrime, const V& R)
{
    return phaseSlopeNumerator(rho, rhoPrime) / (R * SPEED_OF_LIGHT);
}

// The same group delay divided by R first and then by c.
template <class V>
inline V groupDelayStepwiseOf(const ComplexOf<V>& rho, const ComplexOf<V>& rhoPrime, const V& R)
{
    return phaseSlopeNumerator(rho, rhoPrime) / R / SPEED_OF_LIGHT;
}

// One layer's factors for the derivative walks: P = g w, Q = h w with
// w = exp(-i delta)/2, and sigma's imaginary part -delta' = -(beta' d).
template <class V>
struct LayerFactorsOf {
    ComplexOf<V> P, Q;
    V sigmaIm;
};

template <class Trig, class V>
inline LayerFactorsOf<V> layerFactors(const InterfaceCoefficientsOf<V>& c,
                                      const PhaseRateDerivativesOf<V>& dc, double d, int slot,
                                      int material)
{
    const ComplexOf<V> w = halfPropagation<Trig>(c.beta[material] * d);
    return {c.g[slot] * w, c.h[slot] * w, -(dc.betaPrime[material] * d)};
}

// rho and rho' of one wavenumber (or one lane group): layers from the ambient
// side, closing with slot 3 (B to substrate) whatever L is.
template <class Trig = ExactTrig, class V>
inline ReflectionDerivativeOf<V> stackReflectionDerivative(const InterfaceCoefficientsOf<V>& c,
                                                           const PhaseRateDerivativesOf<V>& dc,
                                                           const double* d, std::size_t L)
{
    RowOf<V> s = identityRow<V>();
    RowOf<V> ds = zeroRow<V>();
    forEachLayer(L, [&](std::size_t j, int slot, int material) {
        const LayerFactorsOf<V> f = layerFactors<Trig>(c, dc, d[j], slot, material);
        const RowOf<V> next = applyLayer(s, f.P, f.Q);
        ds = applyLayerDerivative(next, ds, f.P, f.Q, f.sigmaIm);
        s = next;
    });
    return closeStackDerivative(s, ds, c.g[SLOT_EXIT], c.h[SLOT_EXIT]);
}

// As forEachLaneGroup, with the phase-rate derivatives of each lane as well.
template <class V, class PerGroup>
inline void forEachDerivativeLaneGroup(const StackGrid& grid, Polarization pol, double tau,
                                       int exitMaterial, PerGroup&& perGroup)
{
    forEachLaneGroup<V>(grid, pol, tau, exitMaterial,
                     [&](std::size_t first, std::size_t count, const InterfaceCoefficientsOf<V>& c) {
                         PhaseRateDerivativesOf<V> dc;
                         for (std::size_t l = 0; l < laneCountOf<V>; ++l) {
                             const std::size_t i = first + (l < count ? l : count - 1);
                             const double q[3] = {c.q[0][l], c.q[1][l], c.q[2][l]};
                             setLane(dc, l,
                                     phaseRateDerivatives(grid.n + 3 * i, grid.nPrime + 3 * i, q,
                                                          grid.k[i]));
                         }
                         perGroup(first, count, c, dc);
                     });
}

// R and GD (fs) of every wavenumber, slot 3 closing; GD may be null.
void delayOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD,
                   KernelPath path = fastestKernelPath());

}  // namespace coat
