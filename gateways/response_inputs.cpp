#include "gateways/response_inputs.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace coat {

const char* const RESPONSE_NAMES[] = {
    "wavenumbers k", "thicknesses d", "materials m", "ambient index n_a", "indices N",
    "slopes Np",     "curvatures Npp", "angle theta", "polarization pol"};

namespace {

const char* const REAL_ONLY = "";

// The index tables: (M+1) x K or (M+1) x 1, complex allowed (Im >= 0 for
// N); [] for the derivatives means zero.
IndexTable readIndexTable(const Gateway& g, int input, std::size_t rows, std::size_t K,
                          bool mayBeEmpty)
{
    const mxArray* a = g.prhs[input];
    requireFullDouble(g, input, RESPONSE_NAMES[input]);
    if (mayBeEmpty && mxIsEmpty(a)) return {nullptr, nullptr, 0};
    const std::size_t stride = columnStride(g, input, RESPONSE_NAMES[input], rows, K);
    return {mxGetPr(a), mxIsComplex(a) ? mxGetPi(a) : nullptr, stride};
}

}  // namespace

void readResponseInputs(const Gateway& g, ResponseCall& call)
{
    const char* const* names = RESPONSE_NAMES;
    const mxArray* const* prhs = g.prhs;
    for (int input : {RK_IN, RD_IN, RM_IN, RNA_IN, RTHETA_IN})
        requireRealDouble(g, input, names[input], REAL_ONLY);
    LayeredStack& s = call.stack;
    s.K = vectorLength(g, RK_IN, names[RK_IN]);
    s.L = vectorLength(g, RD_IN, names[RD_IN]);
    const std::size_t materials = vectorLength(g, RM_IN, names[RM_IN]);
    if (materials != s.L)
        raiseError(g, "badMaterials",
                   "Input 3 (materials m) must hold one material number per layer: %zu "
                   "expected (the length of d), %zu given.",
                   s.L, materials);
    s.na = readScalar(g, RNA_IN, names[RNA_IN]);
    if (!(s.na > 0 && std::isfinite(s.na)))
        raiseError(g, "badAmbient",
                   "Input 4 (ambient index n_a) must be real, positive and finite; %g was "
                   "given.",
                   s.na);

    requireFullDouble(g, RN_IN, names[RN_IN]);
    const std::size_t rows = mxGetM(prhs[RN_IN]);
    if (rows == 0 || mxGetNumberOfDimensions(prhs[RN_IN]) != 2)
        raiseError(g, "badShape",
                   "Input 5 (indices N) must be (M+1)xK or (M+1)x1: a row per material, then "
                   "the substrate's; a %zux%zu%s array was given.",
                   rows, mxGetN(prhs[RN_IN]), mxGetNumberOfDimensions(prhs[RN_IN]) == 2 ? "" : "x...");
    const std::size_t columns = mxGetN(prhs[RN_IN]);
    if (columns != s.K && columns != 1 && rows == s.K && s.K > 1)
        raiseTransposed(g, RN_IN, names[RN_IN], rows, columns, s.K);
    s.M = rows - 1;
    s.n = readIndexTable(g, RN_IN, rows, s.K, false);
    s.nPrime = readIndexTable(g, RNP_IN, rows, s.K, true);
    s.nSecond = readIndexTable(g, RNPP_IN, rows, s.K, true);
    s.theta = readAngle(g, RTHETA_IN, names[RTHETA_IN]);
    s.pol = readSelector(g, RPOL_IN, SelectorRule::Strict);

    const double* k = mxGetPr(prhs[RK_IN]);
    for (std::size_t i = 0; i < s.K; ++i)
        if (!(k[i] > 0 && std::isfinite(k[i])))
            raiseError(g, "badWavenumber",
                       "Input 1 (wavenumbers k) must be positive and finite (rad/um); element "
                       "%zu is %g.",
                       i + 1, k[i]);
    const double* d = mxGetPr(prhs[RD_IN]);
    checkThicknesses(g, RD_IN, names[RD_IN], d, s.L);
    const double* m = mxGetPr(prhs[RM_IN]);
    for (std::size_t j = 0; j < s.L; ++j)
        if (!(m[j] >= 1 && m[j] <= double(s.M) && m[j] == std::floor(m[j])))
            raiseError(g, "badMaterial",
                       "Input 3 (materials m) must hold integers from 1 to M = %zu (the rows of "
                       "N but the substrate's); element %zu is %g.",
                       s.M, j + 1, m[j]);
    // Gain (Im n < 0) would make the decaying branch of q meaningless.
    if (s.n.im) {
        const std::size_t columns = s.n.stride ? s.K : 1;
        for (std::size_t i = 0; i < columns; ++i)
            for (std::size_t x = 0; x < rows; ++x)
                if (s.n.imagAt(i, x) < 0)
                    raiseError(g, "gainMedium",
                               "Input 5 (indices N) must have Im N >= 0 (absorption, with "
                               "fields going as exp(-i omega t)); N(%zu, %zu) = %g%+gi was "
                               "given: gain media are not modelled.",
                               x + 1, i + 1, s.n.realAt(i, x), s.n.imagAt(i, x));
    }
    s.k = k;
    s.d = d;
    s.material = nullptr;
}

void numberMaterials(const Gateway& g, ResponseCall& call)
{
    const double* m = mxGetPr(g.prhs[RM_IN]);
    call.materials.resize(call.stack.L);
    for (std::size_t j = 0; j < call.stack.L; ++j) call.materials[j] = int(m[j]) - 1;
    call.stack.material = call.materials.data();
}

}  // namespace coat
