// [R, GD] = coatdelay(k, d, n_a, N, Nprime, theta, pol), checked build: fixed
// checks first, per-layer tables, and the exit interface of the last layer's
// own material (a stack ending in A is closed with A to substrate).
#include "delay/layer_tables.h"
#include "gateways/gateway.h"

using namespace coat;

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const Gateway g = {"coatdelay", nlhs, plhs, nrhs, prhs};
    // These three texts are the module's own, relied on by its callers.
    if (nrhs < 7) mexErrMsgIdAndTxt("coatdelay:nargin", "coatdelay: 7 input arguments required.");
    if (nlhs != 2) mexErrMsgIdAndTxt("coatdelay:nargout", "coatdelay: 2 output arguments required.");
    if (mxGetM(prhs[IN_GRID]) != 1 || mxGetN(prhs[IN_THICKNESS]) != 1)
        mexErrMsgIdAndTxt("coatdelay:dimensions", "coatdelay called with incorrect dimensions.");

    const StackGrid grid = readStackInputs(g, Counting::ColumnsAndRows, Derivatives::With);
    const Polarization pol = readSelector(g, IN_SELECTOR);
    runGuarded(g, [&] {
        double* R = createOutput(g, 0, 1, grid.K);
        double* GD = createOutput(g, 1, 1, grid.K);
        physicalClosingDelayOverGrid(grid, pol, R, GD);
    });
}
