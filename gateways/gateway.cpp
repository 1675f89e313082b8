#include "gateways/gateway.h"

#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

// The Linux MEX export that tells the host which interface the module uses.
extern "C" const char* mexVersion(void) { return "MATLAB R14 native"; }

namespace coat {

void raiseError(const Gateway& g, const char* reason, const char* format, ...)
{
    char id[96];
    std::snprintf(id, sizeof id, "%s:%s", g.module, reason);
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    mexErrMsgIdAndTxt(id, "%s", message);
    std::abort();  // not reached: the host error leaves the gateway
}

void requireInputs(const Gateway& g, int count)
{
    if (g.nrhs < count)
        raiseError(g, "notEnoughInputs", "%d inputs required, %d given.", count, g.nrhs);
}

void requireAtMostOutputs(const Gateway& g, int count)
{
    if (g.nlhs > count)
        raiseError(g, "tooManyOutputs", "At most %d output%s returned, %d requested.", count,
                   count == 1 ? " is" : "s are", g.nlhs);
}

void requireFullDouble(const Gateway& g, int input, const char* name)
{
    const mxArray* a = g.prhs[input];
    if (!mxIsDouble(a))
        raiseError(g, "notDouble", "Input %d (%s) must be a double array; a %s array was given.",
                   input + 1, name, mxGetClassName(a));
    if (mxIsSparse(a))
        raiseError(g, "sparseInput",
                   "Input %d (%s) must be a full double array; a sparse array was given.",
                   input + 1, name);
}

void requireRealDouble(const Gateway& g, int input, const char* name, const char* whyReal)
{
    requireFullDouble(g, input, name);
    if (mxIsComplex(g.prhs[input]))
        raiseError(g, "complexInput", "Input %d (%s) must be real; a complex array was given%s.",
                   input + 1, name, whyReal);
}

void requireInputCount(const Gateway& g, int count, const char* names)
{
    if (g.nrhs != count)
        raiseError(g, g.nrhs < count ? "notEnoughInputs" : "tooManyInputs",
                   "%d inputs expected (%s); %d given.", count, names, g.nrhs);
}

namespace {

bool isMatrix(const mxArray* a) { return mxGetNumberOfDimensions(a) == 2; }

}  // namespace

double readScalar(const Gateway& g, int input, const char* name)
{
    const mxArray* a = g.prhs[input];
    if (mxGetNumberOfElements(a) != 1)
        raiseError(g, "notScalar", "Input %d (%s) must be a scalar; %zu elements were given.",
                   input + 1, name, mxGetNumberOfElements(a));
    return mxGetScalar(a);
}

std::size_t vectorLength(const Gateway& g, int input, const char* name)
{
    const mxArray* a = g.prhs[input];
    if (!isMatrix(a) || (mxGetM(a) > 1 && mxGetN(a) > 1))
        raiseError(g, "badShape", "Input %d (%s) must be a vector; a %zux%zu%s array was given.",
                   input + 1, name, mxGetM(a), mxGetN(a), isMatrix(a) ? "" : "x...");
    return mxGetNumberOfElements(a);
}

void raiseTransposed(const Gateway& g, int input, const char* name, std::size_t m,
                     std::size_t n, std::size_t K)
{
    raiseError(g, "transposedIndices",
               "Input %d (%s) looks transposed: a %zux%zu array was given, whose %zu rows match "
               "the K = %zu wavenumbers; its rows are materials (the substrate's last) and its "
               "columns wavenumbers, so pass its transpose (.').",
               input + 1, name, m, n, m, K);
}

std::size_t columnStride(const Gateway& g, int input, const char* name, std::size_t rows,
                         std::size_t K)
{
    const mxArray* a = g.prhs[input];
    const std::size_t m = mxGetM(a), n = mxGetN(a);
    if (isMatrix(a) && m == K && n == rows && K != rows && K != 1)
        raiseTransposed(g, input, name, m, n, K);
    if (!isMatrix(a) || m != rows || (n != K && n != 1))
        raiseError(g, "badShape",
                   "Input %d (%s) must be %zux%zu (one column per wavenumber) or %zux1 (for "
                   "all); a %zux%zu%s array was given.",
                   input + 1, name, rows, K, rows, m, n, isMatrix(a) ? "" : "x...");
    return n == K && K != 1 ? rows : 0;
}

double readAngle(const Gateway& g, int input, const char* name)
{
    requireRealDouble(g, input, name, "");
    const double theta = readScalar(g, input, name);
    if (!(theta >= 0 && theta < std::acos(-1.0) / 2))
        raiseError(g, "angleOutOfRange",
                   "Input %d (%s) must be in radians with 0 <= theta < pi/2; %g was given (45 "
                   "degrees is pi/4).",
                   input + 1, name, theta);
    return theta;
}

void checkThicknesses(const Gateway& g, int input, const char* name, const double* d,
                      std::size_t L)
{
    for (std::size_t j = 0; j < L; ++j)
        if (!(d[j] >= 0 && std::isfinite(d[j])))
            raiseError(g, "badThickness",
                       "Input %d (%s) must be finite and >= 0 (um); element %zu is %g.",
                       input + 1, name, j + 1, d[j]);
}

const double* readDepths(const Gateway& g, int input, const char* name, const double* d,
                         std::size_t L, std::size_t* P)
{
    requireRealDouble(g, input, name, "");
    *P = vectorLength(g, input, name);
    const double* z = mxGetPr(g.prhs[input]);
    const std::size_t bad = firstDepthOutside(d, L, z, *P);
    if (bad < *P) {
        double total = 0;
        for (std::size_t j = 0; j < L; ++j) total += d[j];
        raiseError(g, "depthOutOfRange",
                   "Input %d (%s) must lie between 0 and sum(d) = %.17g um; element %zu is %g.",
                   input + 1, name, total, bad + 1, z[bad]);
    }
    return z;
}

namespace {

const char* const INPUT_NAMES_DELAY[] = {"wavenumber grid",    "thickness vector",
                                         "ambient index",      "material triples",
                                         "derivative triples", "angle of incidence",
                                         "polarization selector"};
const char* const INPUT_NAMES_REFLECTANCE[] = {"wavenumber grid", "thickness vector",
                                               "ambient index", "material triples",
                                               "angle of incidence"};

void requireNonEmpty(const Gateway& g, int input, const char* name)
{
    if (mxGetNumberOfElements(g.prhs[input]) == 0)
        raiseError(g, "emptyInput", "Input %d (%s) must be a scalar; an empty array was given.",
                   input + 1, name);
}

void requireTriples(const Gateway& g, int input, const char* name, std::size_t K)
{
    const std::size_t given = mxGetNumberOfElements(g.prhs[input]);
    if (given / 3 < K)
        raiseError(g, "tripleTooShort",
                   "Input %d (%s) needs 3 elements per wavenumber: %zu expected, %zu given.",
                   input + 1, name, 3 * K, given);
}

}  // namespace

StackGrid readStackInputs(const Gateway& g, Counting counting, Derivatives derivatives)
{
    const bool withDerivatives = derivatives == Derivatives::With;
    const char* const* names = withDerivatives ? INPUT_NAMES_DELAY : INPUT_NAMES_REFLECTANCE;
    const int angle = withDerivatives ? IN_ANGLE : IN_DERIVATIVES;
    for (int input = IN_GRID; input <= angle; ++input) requireFullDouble(g, input, names[input]);
    requireNonEmpty(g, IN_AMBIENT, names[IN_AMBIENT]);
    requireNonEmpty(g, angle, names[angle]);

    const mxArray* grid = g.prhs[IN_GRID];
    const mxArray* thickness = g.prhs[IN_THICKNESS];
    const std::size_t gridElements = mxGetNumberOfElements(grid);
    const std::size_t thicknessElements = mxGetNumberOfElements(thickness);
    std::size_t K = gridElements, L = thicknessElements;
    if (counting == Counting::ColumnsAndRows) {
        // A 0 x N array has N columns and nothing in them, an M x 0 one M rows.
        K = mxGetN(grid);
        L = mxGetM(thickness);
        if (K > gridElements)
            raiseError(g, "badShape",
                       "Input 1 (wavenumber grid) has %zu columns but %zu elements; "
                       "pass the wavenumbers as a 1xK row.",
                       K, gridElements);
        if (L > thicknessElements)
            raiseError(g, "badShape",
                       "Input 2 (thickness vector) has %zu rows but %zu elements; "
                       "pass the thicknesses as an Lx1 column.",
                       L, thicknessElements);
    }
    requireTriples(g, IN_TRIPLES, names[IN_TRIPLES], K);
    if (withDerivatives) requireTriples(g, IN_DERIVATIVES, names[IN_DERIVATIVES], K);

    StackGrid s;
    s.k = mxGetPr(grid);
    s.K = K;
    s.d = mxGetPr(thickness);
    s.L = L;
    s.na = mxGetScalar(g.prhs[IN_AMBIENT]);
    s.n = mxGetPr(g.prhs[IN_TRIPLES]);
    s.nPrime = withDerivatives ? mxGetPr(g.prhs[IN_DERIVATIVES]) : nullptr;
    s.theta = mxGetScalar(g.prhs[angle]);
    return s;
}

Polarization readSelector(const Gateway& g, int input, SelectorRule rule)
{
    const mxArray* a = g.prhs[input];
    const bool strict = rule == SelectorRule::Strict;
    if (!mxIsChar(a)) {
        if (strict)
            raiseError(g, "selectorNotChar",
                       "Input %d (polarization pol) must be 'TE', 'TM', 's' or 'p'; a %s array "
                       "was given.",
                       input + 1, mxGetClassName(a));
        raiseError(g, "selectorNotChar",
                   "Input %d (polarization selector) must be a character array such as 'TE' "
                   "or 'TM'; a %s array was given.",
                   input + 1, mxGetClassName(a));
    }
    const std::size_t n = mxGetNumberOfElements(a);
    const mxChar* c = mxGetChars(a);
    if (!strict) return n >= 2 && c[0] == 'T' && c[1] == 'M' ? Polarization::TM : Polarization::TE;
    auto upper = [&](std::size_t i) {
        const unsigned u = static_cast<unsigned>(c[i]);
        return u < 128 ? std::toupper(int(u)) : 0;
    };
    if (n == 1 && upper(0) == 'S') return Polarization::TE;
    if (n == 1 && upper(0) == 'P') return Polarization::TM;
    if (n == 2 && upper(0) == 'T' && upper(1) == 'E') return Polarization::TE;
    if (n == 2 && upper(0) == 'T' && upper(1) == 'M') return Polarization::TM;
    raiseError(g, "badSelector",
               "Input %d (polarization pol) must be 'TE', 'TM', 's' or 'p' (either case); "
               "a %zu-character selector other than these was given.",
               input + 1, n);
}

double* createOutput(const Gateway& g, int slot, std::size_t rows, std::size_t cols)
{
    const int given = g.nlhs > 1 ? g.nlhs : 1;
    if (slot >= given) return nullptr;
    // Every element is written by the kernels, so the host need not clear
    // them first (for an L x K gradient that is most of a call's overhead).
    g.plhs[slot] = mxCreateUninitNumericMatrix(rows, cols, mxDOUBLE_CLASS, mxREAL);
    return mxGetPr(g.plhs[slot]);
}

}  // namespace coat
