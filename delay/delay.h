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

// Speed of light in micrometres per femtosecond: with k in rad/um, a
// derivative in k divided by c is a derivative in angular frequency, in fs.
constexpr double SPEED_OF_LIGHT = 0.299792458;

// Wavenumber derivatives of the normal indices and phase rates.
struct PhaseRateDerivatives {
    double qPrime[3];     // dq/dk of A, B, substrate (the substrate's is unused)
    double betaPrime[3];  // d(q k)/dk of A, B, substrate (the substrate's is unused)
};

// dq/dk of q = sqrt(n^2 - tau), from dn/dk.
inline double normalIndexDerivative(double n, double nPrime, double q) { return nPrime * n / q; }

// d(q k)/dk.
inline double phaseRateDerivative(double q, double qPrime, double k) { return q + qPrime * k; }

// From the triples (n_A, n_B, n_S), (n'_A, n'_B, n'_S) and the normal indices.
PhaseRateDerivatives phaseRateDerivatives(const double n[3], const double nPrime[3],
                                          const double q[3], double k);

// Derivative row after a layer: sigma times the NEW stack row (the derivative
// of exp(-i delta) is sigma exp(-i delta), sigma = -i delta'), plus the OLD
// derivative row carried through the layer matrix. `sigmaIm` = -delta'.
inline StackRow applyLayerDerivative(const StackRow& after, const StackRow& derivativeBefore,
                                     Complex P, Complex Q, double sigmaIm)
{
    const StackRow carried = applyLayer(derivativeBefore, P, Q);
    return {add(mulImaginary(sigmaIm, after.a), carried.a),
            add(mulImaginary(sigmaIm, after.b), carried.b)};
}

struct ReflectionDerivative {
    Complex rho;       // -e / f
    Complex rhoPrime;  // d(rho)/dk
};

// rho and rho' from the closing row (f, e) and the closing derivative row (f', e'):
// rho' = (e f' - f e') / f^2 with f^2 written out.
ReflectionDerivative reflectionDerivativeOf(const StackRow& closing,
                                            const StackRow& closingDerivative);

// Closing with the exit coefficients (g, h); a common factor on g and h
// cancels in rho and rho'.
inline ReflectionDerivative closeStackDerivative(const StackRow& s, const StackRow& derivative,
                                                 double g, double h)
{
    return reflectionDerivativeOf(mixInterface(s, g, h), mixInterface(derivative, g, h));
}

// Im(rho'/rho) = (re rho im rho' - im rho re rho') / R, the phase slope.
inline double phaseSlopeNumerator(Complex rho, Complex rhoPrime)
{
    return rho.re * rhoPrime.im - rho.im * rhoPrime.re;
}

// Group delay d(arg rho)/d(omega) in fs, the product R c formed first.
inline double groupDelayOf(Complex rho, Complex rhoPrime, double R)
{
    return phaseSlopeNumerator(rho, rhoPrime) / (R * SPEED_OF_LIGHT);
}

// The same group delay divided by R first and then by c.
inline double groupDelayStepwiseOf(Complex rho, Complex rhoPrime, double R)
{
    return phaseSlopeNumerator(rho, rhoPrime) / R / SPEED_OF_LIGHT;
}

// rho and rho' of one wavenumber: layers from the ambient side, closing with
// slot 3 (B to substrate) whatever L is.
ReflectionDerivative stackReflectionDerivative(const InterfaceCoefficients& c,
                                               const PhaseRateDerivatives& dc, const double* d,
                                               std::size_t L);

// R and GD (fs) of every wavenumber, slot 3 closing; GD may be null.
void delayOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD);
