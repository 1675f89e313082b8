// [R, GD, GDD, dR, dGD, dGDD] = coatdispgrad(k, d, n_a, N, Np, Npp, theta, pol):
// full-dispersion R, GD and GDD of the physical stack and their exact
// thickness gradients. Every input is checked before any output is created.
#include "gateways/full_dispersion_inputs.h"

using namespace coat;

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const Gateway g = {"coatdispgrad", nlhs, plhs, nrhs, prhs};
    requireInputCount(g, 8, "k, d, n_a, N, Np, Npp, theta, pol");
    requireAtMostOutputs(g, 6);
    const FullDispersionCall call = readFullDispersionInputs(g);
    const std::size_t K = call.grid.stack.K, L = call.grid.stack.L;
    runGuarded(g, [&] {
        const FullDispersionOutputs out = {
            createOutput(g, 0, 1, K), createOutput(g, 1, 1, K), createOutput(g, 2, 1, K),
            createOutput(g, 3, L, K), createOutput(g, 4, L, K), createOutput(g, 5, L, K)};
        fullDispersionOverGrid(call.grid, call.pol, out);
    });
}
