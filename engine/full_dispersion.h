// The two-material stack of the full-dispersion modules as a question to the
// jet engine: materials A and B alternate from the ambient (A first), the
// index triples (n_A, n_B, n_S) are the engine's rows, every index is real,
// and a medium beyond its critical angle gives NaN at that wavenumber.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/engine.h"
#include "geometry/grid.h"

namespace coat {

// The inputs of one call: k, d, n_a, theta, and the triples of indices, their
// k-derivatives and second derivatives, one triple per wavenumber (stride 3)
// or one for all (stride 0); nSecond may be null (zero second derivatives).
struct FullDispersionGrid {
    StackGrid stack;  // its n and nPrime are read with the strides below
    const double* nSecond;
    std::size_t nStride, nPrimeStride, nSecondStride;
};

// A, B, A, ... for L layers: the material numbers of the engine.
std::vector<int> alternatingMaterials(std::size_t L);

// The engine's view of the grid, with `materials` from alternatingMaterials.
LayeredStack alternatingStack(const FullDispersionGrid& grid, Polarization pol,
                              const std::vector<int>& materials);

// The six outputs of a call; any may be null (not asked for). The gradients
// are L x K, element (j, i) at j + L i.
struct FullDispersionOutputs {
    double* R;
    double* GD;
    double* GDD;
    double* dR;
    double* dGD;
    double* dGDD;
};

// Every asked-for output over the grid. No layers: the bare substrate,
// GD = GDD = 0, no gradient entries.
void fullDispersionOverGrid(const FullDispersionGrid& grid, Polarization pol,
                            const FullDispersionOutputs& out,
                            KernelPath path = fastestKernelPath());

}  // namespace coat
