// [R, GD] = coatdelay2(k, d, n_a, N, Nprime, theta, pol): reflectance and group
// delay, K from the columns of k and L from the rows of d.
#include "delay/delay.h"
#include "gateways/gateway.h"

using namespace coat;

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const Gateway g = {"coatdelay2", nlhs, plhs, nrhs, prhs};
    requireInputs(g, 7);
    requireAtMostOutputs(g, 2);
    const StackGrid grid = readStackInputs(g, Counting::ColumnsAndRows, Derivatives::With);
    const Polarization pol = readSelector(g, IN_SELECTOR);
    double* R = createOutput(g, 0, 1, grid.K);
    double* GD = createOutput(g, 1, 1, grid.K);
    delayOverGrid(grid, pol, R, GD);
}
