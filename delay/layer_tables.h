// The layer walk over per-layer tables: one pass fills the layer factors of a
// wavenumber, a second runs the product and keeps the stack row after every
// layer (the derivative row only at the closing). Closing uses the exit
// interface of the last layer's own material, so a stack ending in A is
// closed with A to substrate.
//
// The tables are sized once per call and rewritten by every wavenumber (or
// lane group); the gradient walk adds its own rows beside them through the
// hook of forwardSweep.
#pragma once

#include <cstddef>
#include <vector>

#include "delay/delay.h"

namespace coat {

// Interface matrix halves (g/2, h/2): here the factor 1/2 of the interface
// matrix sits with the interface rather than with the layer factor.
template <class V>
struct InterfacePairOf {
    V g;
    V h;
};

template <class V>
struct LayerTablesOf {
    std::vector<ComplexOf<V>> propagation;     // E_j = exp(-i delta_j), entries 0..L-1
    std::vector<V> slope;                      // imaginary part of sigma_j = -i delta'_j
    std::vector<InterfacePairOf<V>> pairs;     // slot in front of layer j; entry L: exit pair
    std::vector<RowOf<V>> rows;                // stack row after layer j; entry L: (f, e)
    RowOf<V> closingDerivative;                // (f', e'): the derivative rows are not kept

    explicit LayerTablesOf(std::size_t L) : propagation(L), slope(L), pairs(L + 1), rows(L + 1) {}
    std::size_t layers() const { return propagation.size(); }
};
using LayerTables = LayerTablesOf<double>;  // one wavenumber at a time

// Material in front of the substrate: A for an odd layer count, B for an even one.
inline int exitMaterialOf(std::size_t L) { return static_cast<int>((L + 1) % 2); }

template <class V>
inline InterfacePairOf<V> halvedPair(const InterfaceCoefficientsOf<V>& c, int slot)
{
    return {(1.0 + c.m[slot]) * 0.5, (1.0 - c.m[slot]) * 0.5};
}

// Layer factors of one wavenumber. `c` must have been formed with the exit
// material of this L.
template <class Trig = ExactTrig, class V>
inline void fillLayerTables(LayerTablesOf<V>& t, const InterfaceCoefficientsOf<V>& c,
                            const PhaseRateDerivativesOf<V>& dc, const double* d)
{
    const std::size_t L = t.layers();
    forEachLayer(L, [&](std::size_t j, int slot, int material) {
        t.slope[j] = -(d[j] * dc.betaPrime[material]);
        t.pairs[j] = halvedPair(c, slot);
        t.propagation[j] = propagation<Trig>(c.beta[material] * d[j]);
    });
    t.pairs[L] = halvedPair(c, SLOT_EXIT);
}

// What one layer step of the forward sweep produced, for walks that carry
// more rows alongside (the thickness gradient).
template <class V>
struct LayerStepRowsOf {
    std::size_t j;
    int material;
    RowOf<V> row;      // stack row after layer j
    RowOf<V> carried;  // old derivative row carried through layer j's matrix
};

// Products over the tables, layer 0 first, from the identity; then the closing
// rows in entry L. `onLayer(const LayerStepRowsOf<V>&)` sees every step. L >= 1.
template <class V, class OnLayer>
inline void forwardSweep(LayerTablesOf<V>& t, OnLayer&& onLayer)
{
    const std::size_t L = t.layers();
    RowOf<V> row = identityRow<V>(), deriv = zeroRow<V>();
    forEachLayer(L, [&](std::size_t j, int, int material) {
        const ComplexOf<V> E = t.propagation[j];
        const ComplexOf<V> P = t.pairs[j].g * E, Q = t.pairs[j].h * E;
        RowOf<V> carried = zeroRow<V>();
        if (j == 0) {
            row = {P, Q};  // from the identity
            deriv = mulImaginaryRow(t.slope[0], row);
        } else {
            carried = applyLayer(deriv, P, Q);
            row = applyLayer(row, P, Q);
            deriv = addRows(mulImaginaryRow(t.slope[j], row), carried);
        }
        t.rows[j] = row;
        onLayer(LayerStepRowsOf<V>{j, material, row, carried});
    });
    t.rows[L] = mixInterface(row, t.pairs[L].g, t.pairs[L].h);
    t.closingDerivative = mixInterface(deriv, t.pairs[L].g, t.pairs[L].h);
}

// rho and rho' of one wavenumber (or lane group) through the tables. L >= 1.
template <class Trig = ExactTrig, class V>
inline ReflectionDerivativeOf<V> tableReflectionDerivative(LayerTablesOf<V>& t,
                                                           const InterfaceCoefficientsOf<V>& c,
                                                           const PhaseRateDerivativesOf<V>& dc,
                                                           const double* d)
{
    fillLayerTables<Trig>(t, c, dc, d);
    forwardSweep(t, [](const LayerStepRowsOf<V>&) {});
    const std::size_t L = t.layers();
    return reflectionDerivativeOf(t.rows[L], t.closingDerivative);
}

// Per-call set-up of the table walk: tau = (n_a sin theta)^2 once per call,
// the exit slot evaluated with the last layer's material.
inline double physicalClosingTau(const StackGrid& grid)
{
    return tangentialIndexSquaredOfProduct(grid.na, grid.theta);
}

// R and GD of the uncoated substrate at every wavenumber.
void bareSubstrateOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD);

// R and GD (fs) of every wavenumber through the tables, closing with the exit
// interface of the last layer's material; GD may be null. The tables are
// obtained once for the call, sized from grid.L, and reused by every lane
// group. With no layers the result is the bare substrate: the ambient-to-
// substrate reflection and a group delay of zero.
void physicalClosingDelayOverGrid(const StackGrid& grid, Polarization pol, double* R, double* GD,
                        KernelPath path = fastestKernelPath());

}  // namespace coat
