// Group-delay dispersion by second-order forward differentiation: the layer
// walk carries the stack row, the derivative row and the second-derivative
// row, so rho, rho' and rho'' come out of one pass.
//
// As for the group delay, only the layer phases are differentiated. The
// normal index is treated as linear in k around each wavenumber (no second
// derivative of n is taken as input), so the phase's second derivative is
// 2 q' d.
#pragma once

#include <cstddef>

#include "delay/delay.h"

namespace coat {

// Second derivative of the phase rate q k with q'' left out.
template <class V>
inline V phaseRateSecondDerivative(const V& qPrime)
{
    return 2.0 * qPrime;
}

// kappa = -delta'^2 - i delta'', the ratio of d^2/dk^2 exp(-i delta) to
// exp(-i delta); delta'^2 formed as d (d beta'^2) from beta'^2 of the material.
template <class V>
inline ComplexOf<V> curvatureFactor(double d, const V& betaPrimeSquared, const V& betaSecond)
{
    return {-(d * (d * betaPrimeSquared)), -(betaSecond * d)};
}

// New second-derivative row by the product rule on w X, X the interface-mixed
// old row: kappa on the NEW stack row, twice sigma on the carried first
// derivative, and the old second derivative carried through the layer matrix.
template <class V>
inline RowOf<V> applyLayerSecondDerivative(const RowOf<V>& after, const RowOf<V>& derivativeBefore,
                                           const RowOf<V>& secondBefore, const ComplexOf<V>& P,
                                           const ComplexOf<V>& Q, const V& sigmaIm,
                                           const ComplexOf<V>& kappa)
{
    const RowOf<V> U = applyLayer(derivativeBefore, P, Q);
    const RowOf<V> W = applyLayer(secondBefore, P, Q);
    const V twoSigmaIm = 2.0 * sigmaIm;
    return {kappa * after.a + timesI(twoSigmaIm * U.a) + W.a,
            kappa * after.b + timesI(twoSigmaIm * U.b) + W.b};
}

template <class V>
struct ReflectionSecondDerivativeOf {
    ComplexOf<V> rho;
    ComplexOf<V> rhoPrime;
    ComplexOf<V> rhoSecond;
};

// rho, rho', rho'' after closing all three rows with the exit coefficients:
// rho'' = [(f f'' - 2 f'^2) e + (2 f' e' - f e'') f] / f^3, f^3 = (f^2) f.
template <class V>
inline ReflectionSecondDerivativeOf<V> closeStackSecondDerivative(const RowOf<V>& s,
                                                                  const RowOf<V>& derivative,
                                                                  const RowOf<V>& second,
                                                                  const V& g, const V& h)
{
    const RowOf<V> unscaled = mixInterface(s, g, h);
    const V rowScale = closingScaleOf(unscaled.a);  // 1 unless the rows have grown large
    const RowOf<V> closing = scaleRowBy(rowScale, unscaled);
    const RowOf<V> closingDerivative = scaleRowBy(rowScale, mixInterface(derivative, g, h));
    const RowOf<V> closingSecond = scaleRowBy(rowScale, mixInterface(second, g, h));
    const ReflectionDerivativeOf<V> r = reflectionDerivativeOfRescaled(closing, closingDerivative);

    const ComplexOf<V> f = closing.a, e = closing.b;
    const ComplexOf<V> fp = closingDerivative.a, ep = closingDerivative.b;
    const ComplexOf<V> fpp = closingSecond.a, epp = closingSecond.b;
    const ComplexOf<V> first = (f * fpp - 2.0 * (fp * fp)) * e;
    const ComplexOf<V> cross = (2.0 * fp * ep - f * epp) * f;
    return {r.rho, r.rhoPrime, (first + cross) / (squareOf(f) * f)};
}

// d^2(arg rho)/d(omega)^2 in fs^2, from rho, rho', rho'', R and the group delay.
template <class V>
inline V dispersionOf(const ComplexOf<V>& rho, const ComplexOf<V>& rhoPrime,
                      const ComplexOf<V>& rhoSecond, const V& R, const V& GD)
{
    const V curvature = (rho.re * rhoSecond.im - rho.im * rhoSecond.re) / SPEED_OF_LIGHT;
    const V modulusSlope = rho.re * rhoPrime.re + rho.im * rhoPrime.im;
    return (curvature - GD * 2.0 * modulusSlope) / R / SPEED_OF_LIGHT;
}

// One wavenumber (or lane group), closing with slot 3 (B to substrate)
// whatever L is.
template <class Trig = ExactTrig, class V>
inline ReflectionSecondDerivativeOf<V> stackReflectionSecondDerivative(
    const InterfaceCoefficientsOf<V>& c, const PhaseRateDerivativesOf<V>& dc, const double* d,
    std::size_t L)
{
    const V betaPrimeSquared[2] = {dc.betaPrime[MATERIAL_A] * dc.betaPrime[MATERIAL_A],
                                   dc.betaPrime[MATERIAL_B] * dc.betaPrime[MATERIAL_B]};
    const V betaSecond[2] = {phaseRateSecondDerivative(dc.qPrime[MATERIAL_A]),
                             phaseRateSecondDerivative(dc.qPrime[MATERIAL_B])};
    RowOf<V> s = identityRow<V>();
    RowOf<V> ds = zeroRow<V>();
    RowOf<V> dds = zeroRow<V>();
    forEachLayer(L, [&](std::size_t j, int slot, int material) {
        const LayerFactorsOf<V> f = layerFactors<Trig>(c, dc, d[j], slot, material);
        const ComplexOf<V> kappa =
            curvatureFactor(d[j], betaPrimeSquared[material], betaSecond[material]);
        const RowOf<V> next = applyLayer(s, f.P, f.Q);
        dds = applyLayerSecondDerivative(next, ds, dds, f.P, f.Q, f.sigmaIm, kappa);
        ds = applyLayerDerivative(next, ds, f.P, f.Q, f.sigmaIm);
        s = next;
    });
    return closeStackSecondDerivative(s, ds, dds, c.g[SLOT_EXIT], c.h[SLOT_EXIT]);
}

// R, GD (fs) and GDD (fs^2) of every wavenumber, slot 3 closing; GD and GDD
// may be null.
void dispersionOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD,
                        double* GDD, KernelPath path = fastestKernelPath());

}  // namespace coat
