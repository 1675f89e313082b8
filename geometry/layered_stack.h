// Any stack a designer builds: L layers, each of one of M materials in any
// order, between an ambient and a substrate, lit at one angle over a grid of
// K wavenumbers.
//
//   ambient | layer 0 | layer 1 | ... | layer L-1 | substrate
//
// Material x (0 .. M-1) has at wavenumber k_i the complex index
// n = re + i im (Im n > 0 absorbs: fields go as exp(-i omega t)), and its
// k-derivatives n' and n''; row M is the substrate. The ambient index is real
// and carries no dispersion.
#pragma once

#include <cstddef>

#include "geometry/geometry.h"

namespace coat {

// One of the three index tables: (M+1) rows, the column of wavenumber i at
// re + stride i (stride M+1, or 0 for one column for every wavenumber). A null
// `re` is a table of zeros; a null `im`, a real table.
struct IndexTable {
    const double* re;
    const double* im;
    std::size_t stride;

    double realAt(std::size_t i, std::size_t x) const { return re ? re[stride * i + x] : 0.0; }
    double imagAt(std::size_t i, std::size_t x) const { return im ? im[stride * i + x] : 0.0; }
};

struct LayeredStack {
    const double* k;
    std::size_t K;
    const double* d;
    std::size_t L;
    const int* material;  // L material numbers, 0-based
    std::size_t M;        // layer materials; the substrate is number M
    double na;
    double theta;
    IndexTable n, nPrime, nSecond;
    Polarization pol;
};

}  // namespace coat
