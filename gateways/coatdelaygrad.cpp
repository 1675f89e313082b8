// [R, GD, dR, dGD] = coatdelaygrad(k, d, n_a, N, Nprime, theta, pol): R and GD as
// the checked coatdelay gives them, and their exact thickness gradients (L x K).
#include "gateways/gateway.h"
#include "gradient/gradient.h"

using namespace coat;

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const Gateway g = {"coatdelaygrad", nlhs, plhs, nrhs, prhs};
    requireInputs(g, 7);
    requireAtMostOutputs(g, 4);
    const StackGrid grid = readStackInputs(g, Counting::ColumnsAndRows, Derivatives::With);
    const Polarization pol = readSelector(g, IN_SELECTOR);
    runGuarded(g, [&] {
        double* R = createOutput(g, 0, 1, grid.K);
        double* GD = createOutput(g, 1, 1, grid.K);
        double* dR = createOutput(g, 2, grid.L, grid.K);
        double* dGD = createOutput(g, 3, grid.L, grid.K);
        gradientOverGrid(grid, pol, R, GD, dR, dGD);
    });
}
