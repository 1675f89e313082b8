// Independent references for the core tests: the textbook characteristic-
// matrix (Abeles) method in long double, and difference quotients of the
// phase of a reflection coefficient.
//
// long double is 80-bit on x86-64 (Linux and MinGW-w64) and 128-bit on
// aarch64 Linux, but no wider than double on Apple silicon and with MSVC.
// The tests that use these references allow for that: their bounds are at
// least a few times what a reference evaluated in plain double is off by
// (every one of them passes with these functions in double). The long-stack
// accuracy test, which measures errors down to 1e-13, needs a reference that
// is far more precise on every target and computes it in double-double
// (double_double.h).
#pragma once

#include <cmath>
#include <complex>
#include <functional>
#include <vector>

#include "stack/stack.h"

using namespace coat;

using LComplex = std::complex<long double>;

// A two-material stack on a substrate, lit from the ambient at theta.
struct TestStack {
    double nA, nB, nS, na, theta;
    std::vector<double> d;
};

inline long double normalIndex(long double n, long double na, long double theta)
{
    const long double t = na * std::sin(theta);
    return std::sqrt(n * n - t * t);
}

// Tilted admittance: q in TE, n^2/q in TM (ambient: q_a = n_a cos theta).
inline long double admittance(long double n, long double q, Polarization pol)
{
    return pol == Polarization::TE ? q : n * n / q;
}

struct TextbookLayer {
    long double eta;    // tilted admittance
    long double delta;  // phase k q d
};

// r = (eta_a B - C) / (eta_a B + C) with [B; C] = M_1 ... M_L [1; eta_S] and
// M_j = [[cos, i sin / eta], [i eta sin, cos]].
inline LComplex textbookReflection(long double etaAmbient, const std::vector<TextbookLayer>& layers,
                                   long double etaSubstrate)
{
    LComplex B = 1, C = etaSubstrate;
    for (auto it = layers.rbegin(); it != layers.rend(); ++it) {
        const long double c = std::cos(it->delta), s = std::sin(it->delta);
        const LComplex i(0, 1);
        const LComplex nextB = c * B + i * (s / it->eta) * C;
        const LComplex nextC = i * (it->eta * s) * B + c * C;
        B = nextB;
        C = nextC;
    }
    return (etaAmbient * B - C) / (etaAmbient * B + C);
}

// The physical stack's reflection coefficient in this project's convention
// (phase growing with optical path): conj(r) in TE, -conj(r) in TM.
// `substrateEta`, when given, replaces the substrate admittance (a stack
// closed with another interface than its physical last one).
inline LComplex physicalReflection(const TestStack& s, double k, Polarization pol,
                                   const long double* substrateEta = nullptr)
{
    const long double n[2] = {s.nA, s.nB};
    std::vector<TextbookLayer> layers;
    for (std::size_t j = 0; j < s.d.size(); ++j) {
        const long double q = normalIndex(n[j % 2], s.na, s.theta);
        layers.push_back({admittance(n[j % 2], q, pol), k * q * s.d[j]});
    }
    const long double etaA = admittance(s.na, s.na * std::cos((long double)s.theta), pol);
    const long double etaS = substrateEta ? *substrateEta
                                          : admittance(s.nS, normalIndex(s.nS, s.na, s.theta), pol);
    const LComplex r = textbookReflection(etaA, layers, etaS);
    return pol == Polarization::TE ? std::conj(r) : -std::conj(r);
}

// The stack's rho at k with the interfaces frozen at their values at k0 and
// the layer phases k (q + q' (k - k0)) d, q' = n' n / q: the normal index
// linear in k around k0, entering the phases only. `substrateEta` as above.
inline LComplex frozenInterfaceReflection(const TestStack& s, double k, double k0,
                                          const long double slopes[2], Polarization pol,
                                          const long double* substrateEta = nullptr)
{
    const long double n[2] = {s.nA, s.nB};
    std::vector<TextbookLayer> layers;
    for (std::size_t j = 0; j < s.d.size(); ++j) {
        const long double q = normalIndex(n[j % 2], s.na, s.theta);
        const long double qPrime = slopes[j % 2] * n[j % 2] / q;
        layers.push_back({admittance(n[j % 2], q, pol), k * (q + qPrime * (k - k0)) * s.d[j]});
    }
    const long double etaA = admittance(s.na, s.na * std::cos((long double)s.theta), pol);
    const long double etaS = substrateEta ? *substrateEta
                                          : admittance(s.nS, normalIndex(s.nS, s.na, s.theta), pol);
    const LComplex r = textbookReflection(etaA, layers, etaS);
    return pol == Polarization::TE ? std::conj(r) : -std::conj(r);
}

inline Complex toComplex(LComplex z) { return {double(z.real()), double(z.imag())}; }

// d(arg rho)/dk and d^2(arg rho)/dk^2 by central differences of step h,
// taking phase differences as arguments of ratios (no unwrapping needed).
inline double phaseSlope(const std::function<LComplex(double)>& rho, double k, double h)
{
    return double(std::arg(rho(k + h) / rho(k - h)) / (2 * h));
}
inline double phaseCurvature(const std::function<LComplex(double)>& rho, double k, double h)
{
    const LComplex r0 = rho(k);
    return double(std::arg(rho(k + h) * rho(k - h) / (r0 * r0)) / (h * h));
}

inline LComplex toLong(Complex z) { return {z.re, z.im}; }

// Relative difference |x - y| / max(|y|, floor).
inline double relativeDifference(double x, double y, double floor = 1e-300)
{
    return std::fabs(x - y) / std::fmax(std::fabs(y), floor);
}
