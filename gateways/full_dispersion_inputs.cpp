#include "gateways/full_dispersion_inputs.h"

#include <cctype>
#include <cmath>

namespace {

const char* const NAMES[] = {"wavenumbers k", "thicknesses d", "ambient index n_a",
                             "indices N",     "slopes Np",     "curvatures Npp",
                             "angle theta",   "polarization pol", "depths z"};

bool isMatrix(const mxArray* a) { return mxGetNumberOfDimensions(a) == 2; }

double scalar(const Gateway& g, int input)
{
    const mxArray* a = g.prhs[input];
    if (mxGetNumberOfElements(a) != 1)
        raiseError(g, "notScalar", "Input %d (%s) must be a scalar; %zu elements were given.",
                   input + 1, NAMES[input], mxGetNumberOfElements(a));
    return mxGetScalar(a);
}

// 3 x K, or 3 x 1 for every wavenumber: the stride between triples (3 or 0).
std::size_t tripleStride(const Gateway& g, int input, std::size_t K)
{
    const mxArray* a = g.prhs[input];
    const std::size_t rows = mxGetM(a), cols = mxGetN(a);
    if (!isMatrix(a) || rows != 3 || (cols != K && cols != 1))
        raiseError(g, "badShape",
                   "Input %d (%s) must be 3x%zu (one column per wavenumber) or 3x1 (for all); "
                   "a %zux%zu%s array was given.",
                   input + 1, NAMES[input], K, rows, cols, isMatrix(a) ? "" : "x...");
    return cols == K && K != 1 ? 3 : 0;
}

// 'TE' or 's', 'TM' or 'p', in either case.
Polarization polarization(const Gateway& g)
{
    const mxArray* a = g.prhs[POL_IN];
    if (!mxIsChar(a))
        raiseError(g, "selectorNotChar",
                   "Input 8 (polarization pol) must be 'TE', 'TM', 's' or 'p'; a %s array was "
                   "given.",
                   mxGetClassName(a));
    const std::size_t n = mxGetNumberOfElements(a);
    const mxChar* c = mxGetChars(a);
    auto upper = [&](std::size_t i) {
        const unsigned u = static_cast<unsigned>(c[i]);
        return u < 128 ? std::toupper(int(u)) : 0;
    };
    if (n == 1 && upper(0) == 'S') return Polarization::TE;
    if (n == 1 && upper(0) == 'P') return Polarization::TM;
    if (n == 2 && upper(0) == 'T' && upper(1) == 'E') return Polarization::TE;
    if (n == 2 && upper(0) == 'T' && upper(1) == 'M') return Polarization::TM;
    raiseError(g, "badSelector",
               "Input 8 (polarization pol) must be 'TE', 'TM', 's' or 'p' (either case); "
               "a %zu-character selector other than these was given.",
               n);
}

}  // namespace

const char* inputName(int input) { return NAMES[input]; }

void requireInputCount(const Gateway& g, int count, const char* names)
{
    if (g.nrhs != count)
        raiseError(g, g.nrhs < count ? "notEnoughInputs" : "tooManyInputs",
                   "%d inputs expected (%s); %d given.", count, names, g.nrhs);
}

void requireRealDouble(const Gateway& g, int input)
{
    const mxArray* a = g.prhs[input];
    if (!mxIsDouble(a))
        raiseError(g, "notDouble", "Input %d (%s) must be a double array; a %s array was given.",
                   input + 1, NAMES[input], mxGetClassName(a));
    if (mxIsSparse(a))
        raiseError(g, "sparseInput",
                   "Input %d (%s) must be a full double array; a sparse array was given.",
                   input + 1, NAMES[input]);
    if (mxIsComplex(a))
        raiseError(g, "complexInput",
                   "Input %d (%s) must be real; a complex array was given (absorbing layers are "
                   "not modelled).",
                   input + 1, NAMES[input]);
}

std::size_t vectorLength(const Gateway& g, int input)
{
    const mxArray* a = g.prhs[input];
    if (!isMatrix(a) || (mxGetM(a) > 1 && mxGetN(a) > 1))
        raiseError(g, "badShape", "Input %d (%s) must be a vector; a %zux%zu%s array was given.",
                   input + 1, NAMES[input], mxGetM(a), mxGetN(a),
                   isMatrix(a) ? "" : "x...");
    return mxGetNumberOfElements(a);
}

FullDispersionCall readFullDispersionInputs(const Gateway& g)
{
    const mxArray* const* prhs = g.prhs;
    for (int input = K_IN; input < POL_IN; ++input) requireRealDouble(g, input);

    const std::size_t K = vectorLength(g, K_IN);
    const std::size_t L = vectorLength(g, D_IN);
    const double na = scalar(g, NA_IN);
    const std::size_t nStride = tripleStride(g, N_IN, K);
    const std::size_t npStride = tripleStride(g, NP_IN, K);
    const bool curvatures = !mxIsEmpty(prhs[NPP_IN]);
    const std::size_t nppStride = curvatures ? tripleStride(g, NPP_IN, K) : 0;
    const double theta = scalar(g, THETA_IN);
    if (!(theta >= 0 && theta < std::acos(-1.0) / 2))
        raiseError(g, "angleOutOfRange",
                   "Input 7 (angle theta) must be in radians with 0 <= theta < pi/2; %g was "
                   "given (45 degrees is pi/4).",
                   theta);
    const double* d = mxGetPr(prhs[D_IN]);
    for (std::size_t j = 0; j < L; ++j)
        if (!(d[j] >= 0 && std::isfinite(d[j])))
            raiseError(g, "badThickness",
                       "Input 2 (thicknesses d) must be finite and >= 0 (um); element %zu is %g.",
                       j + 1, d[j]);
    const Polarization pol = polarization(g);

    const FullDispersionGrid grid = {
        {mxGetPr(prhs[K_IN]), K, d, L, na, mxGetPr(prhs[N_IN]), mxGetPr(prhs[NP_IN]), theta},
        curvatures ? mxGetPr(prhs[NPP_IN]) : nullptr,
        nStride,
        npStride,
        nppStride};
    return {grid, pol};
}
