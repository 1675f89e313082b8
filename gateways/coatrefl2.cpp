// R = coatrefl2(k, d, n_a, N, theta): TM reflectance of the stack.
#include "gateways/gateway.h"
#include "stack/stack.h"

using namespace coat;

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const Gateway g = {"coatrefl2", nlhs, plhs, nrhs, prhs};
    requireInputs(g, 5);
    requireAtMostOutputs(g, 1);
    const StackGrid grid = readStackInputs(g, Counting::ColumnsAndRows, Derivatives::Without);
    double* R = createOutput(g, 0, 1, grid.K);
    reflectanceOverGrid(grid, R);
}
