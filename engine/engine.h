// The general engine: reflection and transmission of any layered stack
// (geometry/layered_stack.h) with full dispersion, their exact thickness
// gradients and the gradient of a weighted merit, over a grid of
// wavenumbers. How: engine/sweep.h; the field and needles at depths ask the
// same walk more (profile/profile.h).
#pragma once

#include <cstddef>

#include "engine/quantities.h"
#include "geometry/layered_stack.h"
#include "platform/dispatch.h"

namespace coat {

// How the walk is chosen: the lossless walk when the stack allows it, or
// always (a medium beyond its critical angle then gives NaN, as the
// two-material full-dispersion modules promise).
enum class WalkChoice { Automatic, Lossless };

// Where the light comes from: the ambient (the stack as given), or the
// substrate, absorbing or not, at the same tangential index n_a sin theta,
// leaving into the ambient (the inner side of a coated plate). From the
// substrate, r and t are the ratios of the tangential fields there and in
// the ambient, T the flux into the ambient over the incident wave's own, and
// the gradients keep the order of the layers as given.
enum class Direction { FromAmbient, FromSubstrate };

// What a call asks of the engine; any pointer may be null (not asked for).
// Values are 1 x K; gradients L x K, element (j, i) at j + L i; weights 1 x K
// (stride 1) or one for all (stride 0); g, with weights, the L gradient of
// sum over X and i of weight_X(i) X(i); index (M + 1) x K, element (x, i)
// at x + (M + 1) i, the derivative by a real shift of the index of material
// x (row M: the substrate's), the same at every wavenumber
// (engine/index_derivatives.h).
struct ResponseRequest {
    double* r[2];  // real and imaginary parts
    double* t[2];
    double* value[QUANTITY_COUNT];
    double* gradient[QUANTITY_COUNT];
    double* index[QUANTITY_COUNT];
    const double* weight[QUANTITY_COUNT];
    std::size_t weightStride[QUANTITY_COUNT];
    double* g;
    WalkChoice walk;
    Direction direction;
};

// Every asked-for output over the grid.
void responseOverGrid(const LayeredStack& s, const ResponseRequest& request,
                      KernelPath path = fastestKernelPath());

}  // namespace coat
