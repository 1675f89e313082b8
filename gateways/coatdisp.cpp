// [R, GD, GDD] = coatdisp(k, d, n_a, N, Nprime, theta, pol): reflectance,
// group delay and group-delay dispersion, TE or TM.
#include "gateways/dispersion_gateway.h"

using namespace coat;

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    runDispersionGateway({"coatdisp", nlhs, plhs, nrhs, prhs}, 7, IN_SELECTOR);
}
