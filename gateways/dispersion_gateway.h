// The gateway of the two dispersion modules, which differ only in how the
// polarization is chosen.
#pragma once

#include "dispersion/dispersion.h"
#include "gateways/gateway.h"

namespace coat {

// [R, GD, GDD] over the grid; `selector` is the input holding the
// polarization selector, or -1 for a module that always computes TM.
inline void runDispersionGateway(const Gateway& g, int inputs, int selector)
{
    requireInputs(g, inputs);
    requireAtMostOutputs(g, 3);
    const StackGrid grid = readStackInputs(g, Counting::ColumnsAndRows, Derivatives::With);
    const Polarization pol = selector < 0 ? Polarization::TM : readSelector(g, selector);
    double* R = createOutput(g, 0, 1, grid.K);
    double* GD = createOutput(g, 1, 1, grid.K);
    double* GDD = createOutput(g, 2, 1, grid.K);
    dispersionOverGrid(grid, pol, R, GD, GDD);
}

}  // namespace coat
