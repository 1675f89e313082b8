// [R, GD, GDD] = coatdisp2(k, d, n_a, N, Nprime, theta): as coatdisp, always TM,
// without a polarization input.
#include "gateways/dispersion_gateway.h"

using namespace coat;

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    runDispersionGateway({"coatdisp2", nlhs, plhs, nrhs, prhs}, 6, -1);
}
