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

// Second derivative of the phase rate q k with q'' left out.
inline double phaseRateSecondDerivative(double qPrime) { return 2 * qPrime; }

// kappa = -delta'^2 - i delta'', the ratio of d^2/dk^2 exp(-i delta) to
// exp(-i delta); delta'^2 formed as d (d beta'^2) from beta'^2 of the material.
inline Complex curvatureFactor(double d, double betaPrimeSquared, double betaSecond)
{
    return {-(d * (d * betaPrimeSquared)), -(betaSecond * d)};
}

// New second-derivative row by the product rule on w X, X the interface-mixed
// old row: kappa on the NEW stack row, twice sigma on the carried first
// derivative, and the old second derivative carried through the layer matrix.
inline StackRow applyLayerSecondDerivative(const StackRow& after, const StackRow& derivativeBefore,
                                           const StackRow& secondBefore, Complex P, Complex Q,
                                           double sigmaIm, Complex kappa)
{
    const StackRow U = applyLayer(derivativeBefore, P, Q);
    const StackRow V = applyLayer(secondBefore, P, Q);
    const double twoSigmaIm = 2 * sigmaIm;
    return {add(add(mul(kappa, after.a), mulImaginary(twoSigmaIm, U.a)), V.a),
            add(add(mul(kappa, after.b), mulImaginary(twoSigmaIm, U.b)), V.b)};
}

struct ReflectionSecondDerivative {
    Complex rho;
    Complex rhoPrime;
    Complex rhoSecond;
};

// rho, rho', rho'' after closing all three rows with the exit coefficients.
ReflectionSecondDerivative closeStackSecondDerivative(const StackRow& s, const StackRow& derivative,
                                                      const StackRow& second, double g, double h);

// d^2(arg rho)/d(omega)^2 in fs^2, from rho, rho', rho'', R and the group delay.
inline double dispersionOf(Complex rho, Complex rhoPrime, Complex rhoSecond, double R, double GD)
{
    const double curvature = (rho.re * rhoSecond.im - rho.im * rhoSecond.re) / SPEED_OF_LIGHT;
    const double modulusSlope = rho.re * rhoPrime.re + rho.im * rhoPrime.im;
    return (curvature - GD * 2 * modulusSlope) / R / SPEED_OF_LIGHT;
}

// One wavenumber, closing with slot 3 (B to substrate) whatever L is.
ReflectionSecondDerivative stackReflectionSecondDerivative(const InterfaceCoefficients& c,
                                                           const PhaseRateDerivatives& dc,
                                                           const double* d, std::size_t L);

// R, GD (fs) and GDD (fs^2) of every wavenumber, slot 3 closing; GD and GDD
// may be null.
void dispersionOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD,
                        double* GDD);
