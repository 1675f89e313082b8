// coatneedle's question asked of profileOverGrid: in a stack of two
// alternating lossless materials (engine/full_dispersion.h), the derivatives
// of R, GD and GDD per unit thickness of a thin layer of the other material
// inserted at each depth, at zero thickness. No layers: a needle of B
// between the ambient and the substrate.
#pragma once

#include <cstddef>

#include "engine/full_dispersion.h"
#include "geometry/depth.h"

namespace coat {

// The three outputs, P x K, element (p, i) at p + P i; any may be null.
struct NeedleOutputs {
    double* nR;
    double* nGD;
    double* nGDD;
};

// Every asked-for output over the grid, for the P depths at sites[0..P-1],
// each needle of the material the layer holding it is not.
void needleOverGrid(const FullDispersionGrid& grid, Polarization pol, const DepthSite* sites,
                    std::size_t P, const NeedleOutputs& out, KernelPath path = fastestKernelPath());

}  // namespace coat
