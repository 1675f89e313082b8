// [nR, nGD, nGDD] = coatneedle(k, d, n_a, N, Np, Npp, theta, pol, z): exact
// derivatives of the full-dispersion R, GD and GDD with respect to the
// thickness of a thin layer of the other material inserted at each depth z,
// at zero thickness. Inputs 1 to 8 as coatdispgrad; every input is checked
// before any output is created.
#include <vector>

#include "gateways/full_dispersion_inputs.h"
#include "profile/alternating_needles.h"

using namespace coat;

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const Gateway g = {"coatneedle", nlhs, plhs, nrhs, prhs};
    requireInputCount(g, 9, "k, d, n_a, N, Np, Npp, theta, pol, z");
    requireAtMostOutputs(g, 3);
    const FullDispersionCall call = readFullDispersionInputs(g);
    const double* d = call.grid.stack.d;
    const std::size_t K = call.grid.stack.K, L = call.grid.stack.L;
    std::size_t P;
    const double* z = readDepths(g, Z_IN, FULL_DISPERSION_NAMES[Z_IN], d, L, &P);
    runGuarded(g, [&] {
        std::vector<DepthSite> sites(P);
        locateDepths(d, L, z, P, sites.data());
        const NeedleOutputs out = {createOutput(g, 0, P, K), createOutput(g, 1, P, K),
                                   createOutput(g, 2, P, K)};
        needleOverGrid(call.grid, call.pol, sites.data(), P, out);
    });
}
