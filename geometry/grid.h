// The grid of a call on a stack of two alternating materials (A, B, A, ...)
// on a substrate: the wavenumbers, the thicknesses, and the indices of A, B
// and the substrate per wavenumber with their k-derivatives.
#pragma once

#include <cstddef>

namespace coat {

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

}  // namespace coat
