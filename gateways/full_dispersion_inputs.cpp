#include "gateways/full_dispersion_inputs.h"

namespace coat {

const char* const FULL_DISPERSION_NAMES[] = {
    "wavenumbers k", "thicknesses d", "ambient index n_a", "indices N",      "slopes Np",
    "curvatures Npp", "angle theta",  "polarization pol",  "depths z"};

void requireRealInput(const Gateway& g, int input)
{
    requireRealDouble(g, input, FULL_DISPERSION_NAMES[input],
                      " (absorbing layers are not modelled)");
}

FullDispersionCall readFullDispersionInputs(const Gateway& g)
{
    const char* const* names = FULL_DISPERSION_NAMES;
    const mxArray* const* prhs = g.prhs;
    for (int input = K_IN; input < POL_IN; ++input) requireRealInput(g, input);

    const std::size_t K = vectorLength(g, K_IN, names[K_IN]);
    const std::size_t L = vectorLength(g, D_IN, names[D_IN]);
    const double na = readScalar(g, NA_IN, names[NA_IN]);
    const std::size_t nStride = columnStride(g, N_IN, names[N_IN], 3, K);
    const std::size_t npStride = columnStride(g, NP_IN, names[NP_IN], 3, K);
    const bool curvatures = !mxIsEmpty(prhs[NPP_IN]);
    const std::size_t nppStride = curvatures ? columnStride(g, NPP_IN, names[NPP_IN], 3, K) : 0;
    const double theta = readAngle(g, THETA_IN, names[THETA_IN]);
    const double* d = mxGetPr(prhs[D_IN]);
    checkThicknesses(g, D_IN, names[D_IN], d, L);
    const Polarization pol = readSelector(g, POL_IN, SelectorRule::Strict);

    const FullDispersionGrid grid = {
        {mxGetPr(prhs[K_IN]), K, d, L, na, mxGetPr(prhs[N_IN]), mxGetPr(prhs[NP_IN]), theta},
        curvatures ? mxGetPr(prhs[NPP_IN]) : nullptr,
        nStride,
        npStride,
        nppStride};
    return {grid, pol};
}

}  // namespace coat
