// Two-material multilayer on a substrate, in the compact lossless form of the
// characteristic-matrix method.
//
// Geometry, seen from the incoming light:
//   ambient | layer 0 (A) | layer 1 (B) | layer 2 (A) | ... | layer L-1 | substrate
// All indices are real, so every interface matrix, layer matrix and product
// of them has the form [[a, b], [conj b, conj a]] and is carried as its first
// row (a, b) alone.
#pragma once

#include <cstddef>

#include "stack/complex.h"

enum Material { MATERIAL_A = 0, MATERIAL_B = 1, SUBSTRATE = 2 };

enum class Polarization { TE, TM };

// Interface slots: the four kinds of interface in the stack. The exit slot is
// the one between the last layer and the substrate; most modules evaluate it
// with material B whatever the parity of L.
enum Slot { SLOT_AMBIENT_A = 0, SLOT_A_B = 1, SLOT_B_A = 2, SLOT_EXIT = 3 };

struct LayerSlot {
    int slot;      // interface in front of the layer
    int material;  // MATERIAL_A or MATERIAL_B
};

// Layer 0 follows the ambient; odd layers are B behind an A->B interface,
// even layers from 2 on are A behind a B->A interface.
inline LayerSlot slotOfLayer(std::size_t j)
{
    if (j == 0) return {SLOT_AMBIENT_A, MATERIAL_A};
    return (j & 1) ? LayerSlot{SLOT_A_B, MATERIAL_B} : LayerSlot{SLOT_B_A, MATERIAL_A};
}

// Everything a wavenumber needs before the layer walk. Rebuilt per wavenumber.
struct InterfaceCoefficients {
    double q[3];     // normal indices sqrt(n^2 - tau) of A, B, substrate
    double qa;       // ambient normal index n_a cos(theta)
    double beta[2];  // phase rates q k of A and B (phase per unit thickness)
    double mu[4];    // normal-index ratios q_x / q_y per slot
    double nu[4];    // index ratios n_x / n_y per slot (TM only; 1 in TE)
    double m[4];     // admittance ratios
    double g[4];     // 1 + m
    double h[4];     // 1 - m
};

// Square of the tangential index, (n_a sin theta)^2, in the two roundings the
// modules use: sin(theta) * (sin(theta) * n_a^2), and the square of the
// product n_a sin(theta).
inline double tangentialIndexSquared(double na, double theta)
{
    const double s = std::sin(theta);
    return s * (s * (na * na));
}
inline double tangentialIndexSquaredOfProduct(double na, double theta)
{
    const double t = na * std::sin(theta);
    return t * t;
}

// TM: ratio of the tilted admittances n^2/q of far side to incidence side;
// TE: ratio of the admittances q of incidence side to far side.
inline double admittanceRatio(double mu, double nu, Polarization pol)
{
    return pol == Polarization::TM ? mu / (nu * nu) : mu;
}

// Coefficients of one wavenumber. A material with n^2 < tau cannot propagate:
// its normal index is NaN (no complex continuation) and so is every result
// that uses it. `exitMaterial` is the material in front of the substrate in
// the exit slot.
InterfaceCoefficients interfaceCoefficients(double nA, double nB, double nS, double na,
                                            double tau, double cosTheta, double k,
                                            Polarization pol, int exitMaterial = MATERIAL_B);

struct StackRow {
    Complex a;
    Complex b;
};

inline StackRow identityRow() { return {{1.0, 0.0}, {0.0, 0.0}}; }

// First row of [[g, h], [h, g]] times [[a, b], [conj b, conj a]]. This is the
// interface step of the walk and, with the exit coefficients, the closing row
// (f, e). Applied to a column (c, t) of a substrate-side product it gives the
// column of that product times the interface matrix.
inline StackRow mixInterface(const StackRow& s, double g, double h)
{
    return {add(scale(g, s.a), scale(h, conj(s.b))), add(scale(g, s.b), scale(h, conj(s.a)))};
}

// Both entries times one complex factor.
inline StackRow scaleRow(Complex w, const StackRow& s) { return {mul(w, s.a), mul(w, s.b)}; }

inline StackRow addRows(const StackRow& x, const StackRow& y)
{
    return {add(x.a, y.a), add(x.b, y.b)};
}

// Layer step with P = g w and Q = h w already formed: (P a + Q conj b, P b + Q conj a).
// The derivative rows are carried through a layer by the same map.
inline StackRow applyLayer(const StackRow& s, Complex P, Complex Q)
{
    return {add(mul(P, s.a), mul(Q, conj(s.b))), add(mul(P, s.b), mul(Q, conj(s.a)))};
}

// sin and cos of one phase in one call.
inline void sinCos(double x, double* s, double* c)
{
#if defined(__GLIBC__)
    ::sincos(x, s, c);
#else
    *s = std::sin(x);
    *c = std::cos(x);
#endif
}

// Layer factor exp(-i delta)/2: the 1/2 of the interface matrix travels with it.
inline Complex halfPropagation(double delta)
{
    double s, c;
    sinCos(delta, &s, &c);
    return {c / 2, -s / 2};
}

// Layer j of phase delta behind an interface (g, h): S <- D T S, interface
// first, then propagation, as w (g a + h conj b, g b + h conj a).
inline StackRow applyLayer(const StackRow& s, double g, double h, double delta)
{
    return scaleRow(halfPropagation(delta), mixInterface(s, g, h));
}

// rho = -e / f of a closing row (f, e), as (-e) conj(f) / |f|^2.
inline Complex reflectionOf(const StackRow& closing)
{
    return divide(neg(closing.b), closing.a);
}

// Closing with the exit coefficients (g, h): the factor 1/2 of the interface
// matrix is left out, it cancels in rho.
inline Complex closeStack(const StackRow& s, double g, double h)
{
    return reflectionOf(mixInterface(s, g, h));
}

// R = |rho|^2, the modulus squared.
inline double reflectanceOf(Complex rho)
{
    const double r = modulus(rho);
    return r * r;
}

// rho of one wavenumber: coefficients, layers from the ambient side, closing
// with slot 3 (B to substrate) whatever L is.
Complex stackReflection(double k, double nA, double nB, double nS, const double* d, std::size_t L,
                        double na, double tau, double cosTheta, Polarization pol);

// rho of the substrate with no coating at all: the ambient-to-substrate
// interface alone, which is also the limit of any stack whose thicknesses all
// go to zero.
Complex bareSubstrateReflection(double nS, double na, double tau, double cosTheta,
                                Polarization pol);

// One call's worth of input: K wavenumbers, L thicknesses, the ambient index,
// the material triples (n_A, n_B, n_S) of wavenumber i at n[3i..3i+2], their
// k-derivatives in the same layout (null where a module takes none) and the
// angle of incidence in radians.
struct StackGrid {
    const double* k;
    std::size_t K;
    const double* d;
    std::size_t L;
    double na;
    const double* n;
    const double* nPrime;
    double theta;
};

// TM reflectance of every wavenumber into R[0..K-1], slot 3 closing.
void reflectanceOverGrid(const StackGrid& grid, double* R);
