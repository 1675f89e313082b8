// Two-material multilayer on a substrate, in the compact lossless form of the
// characteristic-matrix method.
//
// Geometry, seen from the incoming light:
//   ambient | layer 0 (A) | layer 1 (B) | layer 2 (A) | ... | layer L-1 | substrate
// All indices are real, so every interface matrix, layer matrix and product
// of them has the form [[a, b], [conj b, conj a]] and is carried as its first
// row (a, b) alone.
//
// The operations are written once for a value type V: double for one
// wavenumber, Lanes for several carried side by side.
#pragma once

#include <cstddef>

#include "platform/dispatch.h"
#include "numeric/complex.h"
#include "numeric/lanes.h"
#include "geometry/geometry.h"
#include "geometry/grid.h"

namespace coat {

enum Material { MATERIAL_A = 0, MATERIAL_B = 1, SUBSTRATE = 2 };

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

// Visits the layers in order as step(j, slot, material), with the slots and
// materials known at compile time: layer 0, then B/A pairs, then a last B.
template <class Step>
inline void forEachLayer(std::size_t L, Step&& step)
{
    if (L == 0) return;
    step(std::size_t(0), SLOT_AMBIENT_A, MATERIAL_A);
    std::size_t j = 1;
    for (; j + 1 < L; j += 2) {
        step(j, SLOT_A_B, MATERIAL_B);
        step(j + 1, SLOT_B_A, MATERIAL_A);
    }
    if (j < L) step(j, SLOT_A_B, MATERIAL_B);
}

// Everything a wavenumber needs before the layer walk. Rebuilt per wavenumber.
template <class V>
struct InterfaceCoefficientsOf {
    V q[3];     // normal indices sqrt(n^2 - tau) of A, B, substrate
    V qa;       // ambient normal index n_a cos(theta)
    V beta[2];  // phase rates q k of A and B (phase per unit thickness)
    V mu[4];    // normal-index ratios q_x / q_y per slot
    V nu[4];    // index ratios n_x / n_y per slot (TM only; 1 in TE)
    V m[4];     // admittance ratios
    V g[4];     // 1 + m
    V h[4];     // 1 - m
};
using InterfaceCoefficients = InterfaceCoefficientsOf<double>;

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

// One wavenumber's coefficients into lane l.
template <std::size_t N>
inline void setLane(InterfaceCoefficientsOf<LanesOf<N>>& c, std::size_t l,
                    const InterfaceCoefficients& s)
{
    for (int x = 0; x < 3; ++x) c.q[x].set(l, s.q[x]);
    c.qa.set(l, s.qa);
    for (int x = 0; x < 2; ++x) c.beta[x].set(l, s.beta[x]);
    for (int slot = 0; slot < 4; ++slot) {
        c.mu[slot].set(l, s.mu[slot]);
        c.nu[slot].set(l, s.nu[slot]);
        c.m[slot].set(l, s.m[slot]);
        c.g[slot].set(l, s.g[slot]);
        c.h[slot].set(l, s.h[slot]);
    }
}
inline void setLane(InterfaceCoefficients& c, std::size_t, const InterfaceCoefficients& s)
{
    c = s;
}

template <class V>
struct RowOf {
    ComplexOf<V> a;
    ComplexOf<V> b;
};

template <class V = double>
inline RowOf<V> identityRow()
{
    return {{V{} + 1.0, V{}}, {V{}, V{}}};
}
template <class V = double>
inline RowOf<V> zeroRow()
{
    return {{V{}, V{}}, {V{}, V{}}};
}

// First row of [[g, h], [h, g]] times [[a, b], [conj b, conj a]]. This is the
// interface step of the walk and, with the exit coefficients, the closing row
// (f, e). Applied to a column (c, t) of a substrate-side product it gives the
// column of that product times the interface matrix.
template <class V, class S>
inline RowOf<V> mixInterface(const RowOf<V>& s, const S& g, const S& h)
{
    return {g * s.a + h * conj(s.b), g * s.b + h * conj(s.a)};
}

// Both entries times one complex factor.
template <class V>
inline RowOf<V> scaleRow(const ComplexOf<V>& w, const RowOf<V>& s)
{
    return {w * s.a, w * s.b};
}

// Both entries times i s.
template <class V, class S>
inline RowOf<V> mulImaginaryRow(const S& s, const RowOf<V>& x)
{
    return {timesI(s * x.a), timesI(s * x.b)};
}

template <class V>
inline RowOf<V> addRows(const RowOf<V>& x, const RowOf<V>& y)
{
    return {x.a + y.a, x.b + y.b};
}

// Layer step with P = g w and Q = h w already formed: (P a + Q conj b, P b + Q conj a).
// The derivative rows are carried through a layer by the same map.
template <class V>
inline RowOf<V> applyLayer(const RowOf<V>& s, const ComplexOf<V>& P, const ComplexOf<V>& Q)
{
    return {P * s.a + Q * conj(s.b), P * s.b + Q * conj(s.a)};
}

// exp(-i delta).
template <class Trig = ExactTrig, class V>
inline ComplexOf<V> propagation(const V& delta)
{
    V s, c;
    Trig::sinCos(delta, &s, &c);
    return {c, -s};
}

// Layer factor exp(-i delta)/2: the 1/2 of the interface matrix travels with it.
template <class Trig = ExactTrig, class V>
inline ComplexOf<V> halfPropagation(const V& delta)
{
    V s, c;
    Trig::sinCos(delta, &s, &c);
    return {c / 2.0, -s / 2.0};
}

// Layer j of phase delta behind an interface (g, h): S <- D T S, interface
// first, then propagation, as w (g a + h conj b, g b + h conj a).
template <class Trig = ExactTrig, class V>
inline RowOf<V> applyLayer(const RowOf<V>& s, const V& g, const V& h, const V& delta)
{
    return scaleRow(halfPropagation<Trig>(delta), mixInterface(s, g, h));
}

// Both entries times a real factor.
template <class V>
inline RowOf<V> scaleRowBy(const V& s, const RowOf<V>& x)
{
    return {s * x.a, s * x.b};
}

// The closing row brought into range by its power-of-two scale.
template <class V>
inline RowOf<V> rescaledClosing(const RowOf<V>& closing)
{
    return scaleRowBy(closingScaleOf(closing.a), closing);
}

// rho = -e / f of a closing row (f, e) already in range, as (-e) conj(f) / |f|^2.
template <class V>
inline ComplexOf<V> reflectionOfRescaled(const RowOf<V>& closing)
{
    return -closing.b / closing.a;
}

// rho of any closing row.
template <class V>
inline ComplexOf<V> reflectionOf(const RowOf<V>& closing)
{
    return reflectionOfRescaled(rescaledClosing(closing));
}

// Closing with the exit coefficients (g, h): the factor 1/2 of the interface
// matrix is left out, it cancels in rho.
template <class V>
inline ComplexOf<V> closeStack(const RowOf<V>& s, const V& g, const V& h)
{
    return reflectionOf(mixInterface(s, g, h));
}

// R = |rho|^2, the modulus squared.
inline double reflectanceOf(const Complex& rho)
{
    const double r = modulus(rho);
    return r * r;
}
template <std::size_t N>
inline LanesOf<N> reflectanceOf(const ComplexOf<LanesOf<N>>& rho)
{
    LanesOf<N> R;
    for (std::size_t l = 0; l < N; ++l) R.set(l, reflectanceOf(laneOf(rho, l)));
    return R;
}

// rho after the layers from the ambient side, closing with slot 3 (B to
// substrate) whatever L is.
template <class Trig = ExactTrig, class V>
inline ComplexOf<V> stackReflectionOf(const InterfaceCoefficientsOf<V>& c, const double* d,
                                      std::size_t L)
{
    RowOf<V> s = identityRow<V>();
    forEachLayer(L, [&](std::size_t j, int slot, int material) {
        s = applyLayer<Trig>(s, c.g[slot], c.h[slot], c.beta[material] * d[j]);
    });
    return closeStack(s, c.g[SLOT_EXIT], c.h[SLOT_EXIT]);
}

// rho of one wavenumber: coefficients, then the walk above.
Complex stackReflection(double k, double nA, double nB, double nS, const double* d, std::size_t L,
                        double na, double tau, double cosTheta, Polarization pol);

// rho of the substrate with no coating at all: the ambient-to-substrate
// interface alone, which is also the limit of any stack whose thicknesses all
// go to zero.
Complex bareSubstrateReflection(double nS, double na, double tau, double cosTheta,
                                Polarization pol);


// Runs perGroup(first, count, c) for consecutive groups of as many
// wavenumbers as the lane type V carries, c holding the coefficients of
// wavenumbers first .. first + count - 1 in its lanes; the lanes of a last,
// short group repeat its last wavenumber, and their results are dropped.
template <class V, class PerGroup>
inline void forEachLaneGroup(const StackGrid& grid, Polarization pol, double tau, int exitMaterial,
                             PerGroup&& perGroup)
{
    constexpr std::size_t lanes = laneCountOf<V>;
    const double cosTheta = std::cos(grid.theta);
    for (std::size_t first = 0; first < grid.K; first += lanes) {
        const std::size_t count = grid.K - first < lanes ? grid.K - first : lanes;
        InterfaceCoefficientsOf<V> c;
        for (std::size_t l = 0; l < lanes; ++l) {
            const std::size_t i = first + (l < count ? l : count - 1);
            const double* n = grid.n + 3 * i;
            setLane(c, l,
                    interfaceCoefficients(n[0], n[1], n[2], grid.na, tau, cosTheta, grid.k[i], pol,
                                          exitMaterial));
        }
        perGroup(first, count, c);
    }
}

// TM reflectance of every wavenumber into R[0..K-1], slot 3 closing.
void reflectanceOverGrid(const StackGrid& grid, double* R,
                         KernelPath path = fastestKernelPath());

}  // namespace coat
