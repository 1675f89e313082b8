// The layer walk over per-layer tables: one pass fills the layer factors of a
// wavenumber, a second runs the product and keeps the stack row and derivative
// row after every layer. Closing uses the exit interface of the last layer's
// own material, so a stack ending in A is closed with A to substrate.
//
// The tables are sized once per call and rewritten by every wavenumber; the
// gradient walk adds its own rows beside them through the hook of forwardSweep.
#pragma once

#include <cstddef>
#include <vector>

#include "delay/delay.h"

// Interface matrix halves (g/2, h/2): here the factor 1/2 of the interface
// matrix sits with the interface rather than with the layer factor.
struct InterfacePair {
    double g;
    double h;
};

struct LayerTables {
    std::vector<Complex> propagation;       // E_j = exp(-i delta_j), entries 0..L-1
    std::vector<double> slope;              // imaginary part of sigma_j = -i delta'_j
    std::vector<InterfacePair> pairs;       // slot in front of layer j; entry L: exit pair
    std::vector<StackRow> rows;             // stack row after layer j; entry L: (f, e)
    std::vector<StackRow> derivativeRows;   // derivative row after layer j; entry L: (f', e')

    explicit LayerTables(std::size_t L)
        : propagation(L), slope(L), pairs(L + 1), rows(L + 1), derivativeRows(L + 1)
    {
    }
    std::size_t layers() const { return propagation.size(); }
};

// Material in front of the substrate: A for an odd layer count, B for an even one.
inline int exitMaterialOf(std::size_t L) { return static_cast<int>((L + 1) % 2); }

inline InterfacePair halvedPair(const InterfaceCoefficients& c, int slot)
{
    return {(1 + c.m[slot]) * 0.5, (1 - c.m[slot]) * 0.5};
}

// Layer factors of one wavenumber. `c` must have been formed with the exit
// material of this L.
void fillLayerTables(LayerTables& t, const InterfaceCoefficients& c,
                     const PhaseRateDerivatives& dc, const double* d);

// What one layer step of the forward sweep produced, for walks that carry
// more rows alongside (the thickness gradient).
struct LayerStepRows {
    std::size_t j;
    StackRow row;      // stack row after layer j
    StackRow carried;  // old derivative row carried through layer j's matrix
};

// Products over the tables, layer 0 first, from the identity; then the closing
// rows in entry L. `onLayer(const LayerStepRows&)` sees every step. L >= 1.
template <class OnLayer>
void forwardSweep(LayerTables& t, OnLayer onLayer)
{
    const std::size_t L = t.layers();
    const Complex E0 = t.propagation[0];
    StackRow row = {scale(t.pairs[0].g, E0), scale(t.pairs[0].h, E0)};
    StackRow deriv = {mulImaginary(t.slope[0], row.a), mulImaginary(t.slope[0], row.b)};
    t.rows[0] = row;
    t.derivativeRows[0] = deriv;
    onLayer(LayerStepRows{0, row, {{0.0, 0.0}, {0.0, 0.0}}});
    for (std::size_t j = 1; j < L; ++j) {
        const Complex E = t.propagation[j];
        const Complex P = scale(t.pairs[j].g, E), Q = scale(t.pairs[j].h, E);
        const StackRow carried = applyLayer(deriv, P, Q);
        row = applyLayer(row, P, Q);
        deriv = {add(mulImaginary(t.slope[j], row.a), carried.a),
                 add(mulImaginary(t.slope[j], row.b), carried.b)};
        t.rows[j] = row;
        t.derivativeRows[j] = deriv;
        onLayer(LayerStepRows{j, row, carried});
    }
    t.rows[L] = mixInterface(row, t.pairs[L].g, t.pairs[L].h);
    t.derivativeRows[L] = mixInterface(deriv, t.pairs[L].g, t.pairs[L].h);
}

// rho and rho' of one wavenumber through the tables. L >= 1.
ReflectionDerivative tableReflectionDerivative(LayerTables& t, const InterfaceCoefficients& c,
                                               const PhaseRateDerivatives& dc, const double* d);

// Per-wavenumber coefficients of the table walk: tau = (n_a sin theta)^2 once
// per call, the exit slot evaluated with the last layer's material.
struct TableWalkSetup {
    double tau;
    double cosTheta;
    int exitMaterial;
};
TableWalkSetup tableWalkSetup(const StackGrid& grid);

// R and GD (fs) of every wavenumber through the tables (sized for grid.L),
// closing with the exit interface of the last layer's material; GD may be
// null. With no layers the result is the bare substrate: the ambient-to-
// substrate reflection and a group delay of zero.
void tableDelayOverGrid(const StackGrid& grid, Polarization pol, LayerTables& t, double* R,
                        double* GD);

// R and GD of the uncoated substrate at every wavenumber.
void bareSubstrateOverGrid(const StackGrid& grid, Polarization pol, double tau, double* R,
                           double* GD);
