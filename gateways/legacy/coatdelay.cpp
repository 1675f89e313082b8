// [R, GD] = coatdelay(k, d, n_a, N, Nprime, theta, pol), first generation:
// K and L are the element counts of k and d, so rows and columns both work.
#include "delay/delay.h"
#include "gateways/gateway.h"

using namespace coat;

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const Gateway g = {"coatdelay", nlhs, plhs, nrhs, prhs};
    requireInputs(g, 7);
    requireAtMostOutputs(g, 2);
    const StackGrid grid = readStackInputs(g, Counting::Elements, Derivatives::With);
    const Polarization pol = readSelector(g, IN_SELECTOR);
    double* R = createOutput(g, 0, 1, grid.K);
    double* GD = createOutput(g, 1, 1, grid.K);
    delayOverGrid(grid, pol, R, GD);
}
