#include "gateways/response_inputs.h"

#include <algorithm>
#include <cmath>
#include <cstring>

const char* const RESPONSE_NAMES[] = {
    "wavenumbers k", "thicknesses d", "materials m", "ambient index n_a", "indices N",
    "slopes Np",     "curvatures Npp", "angle theta", "polarization pol"};

const char* const QUANTITY_NAMES[QUANTITY_COUNT] = {"R",   "T",   "A",    "GD",  "GDD",
                                                    "TOD", "GDt", "GDDt", "TODt"};

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
    s.M = rows - 1;
    s.n = readIndexTable(g, RN_IN, rows, s.K, false);
    s.nPrime = readIndexTable(g, RNP_IN, rows, s.K, true);
    s.nSecond = readIndexTable(g, RNPP_IN, rows, s.K, true);
    s.theta = readScalar(g, RTHETA_IN, names[RTHETA_IN]);
    if (!(s.theta >= 0 && s.theta < std::acos(-1.0) / 2))
        raiseError(g, "angleOutOfRange",
                   "Input 8 (angle theta) must be in radians with 0 <= theta < pi/2; %g was "
                   "given (45 degrees is pi/4).",
                   s.theta);
    s.pol = readSelector(g, RPOL_IN, SelectorRule::Strict);

    const double* k = mxGetPr(prhs[RK_IN]);
    for (std::size_t i = 0; i < s.K; ++i)
        if (!(k[i] > 0 && std::isfinite(k[i])))
            raiseError(g, "badWavenumber",
                       "Input 1 (wavenumbers k) must be positive and finite (rad/um); element "
                       "%zu is %g.",
                       i + 1, k[i]);
    const double* d = mxGetPr(prhs[RD_IN]);
    for (std::size_t j = 0; j < s.L; ++j)
        if (!(d[j] >= 0 && std::isfinite(d[j])))
            raiseError(g, "badThickness",
                       "Input 2 (thicknesses d) must be finite and >= 0 (um); element %zu is %g.",
                       j + 1, d[j]);
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

namespace {

// A character row's text, truncated to fit `out` (for messages); whether it
// is one.
bool textOf(const mxArray* c, char* out, std::size_t size)
{
    if (!c || !mxIsChar(c) || mxGetM(c) > 1) return false;
    const std::size_t n = mxGetNumberOfElements(c);
    const mxChar* ch = mxGetChars(c);
    std::size_t i = 0;
    for (; i < n && i + 1 < size; ++i) out[i] = (unsigned long)(ch[i]) < 128 ? char(ch[i]) : '?';
    out[i] = 0;
    return n + 1 <= size;  // a longer text matches no name
}

}  // namespace

std::vector<int> readNames(const Gateway& g, int input, const char* inputName,
                           const char* const* valid, int validCount)
{
    // Every element is checked before anything is allocated: a host error
    // may leave the gateway without running destructors.
    const mxArray* a = g.prhs[input];
    const bool cell = mxIsCell(a);
    const std::size_t n = cell ? mxGetNumberOfElements(a) : 1;
    if (n == 0)
        raiseError(g, "badNames", "Input %d (%s) names no output; give a name or a cell array "
                   "of names.", input + 1, inputName);
    for (std::size_t i = 0; i < n; ++i) {
        char text[64];
        if (!textOf(cell ? mxGetCell(a, i) : a, text, sizeof text))
            raiseError(g, "badNames",
                       "Input %d (%s) must be a name or a cell array of names; element %zu is "
                       "not a character row (of at most 63 characters).",
                       input + 1, inputName, i + 1);
        int v = 0;
        while (v < validCount && std::strcmp(text, valid[v]) != 0) ++v;
        if (v == validCount) {
            char list[512] = "";
            for (int w = 0; w < validCount; ++w) {
                if (w) std::strncat(list, ", ", sizeof list - std::strlen(list) - 1);
                std::strncat(list, valid[w], sizeof list - std::strlen(list) - 1);
            }
            raiseError(g, "unknownName",
                       "Input %d (%s): '%s' is not a name this module gives; the names are %s.",
                       input + 1, inputName, text, list);
        }
    }
    std::vector<int> names;
    for (std::size_t i = 0; i < n; ++i) {
        char text[64];
        textOf(cell ? mxGetCell(a, i) : a, text, sizeof text);
        int v = 0;
        while (std::strcmp(text, valid[v]) != 0) ++v;
        if (std::find(names.begin(), names.end(), v) == names.end()) names.push_back(v);
    }
    return names;
}

mxArray* createStructOf(const std::vector<int>& names, const char* const* valid)
{
    std::vector<const char*> fields;
    for (int n : names) fields.push_back(valid[n]);
    return mxCreateStructMatrix(1, 1, int(fields.size()), fields.data());
}

bool namesHold(const Gateway& g, int input, const char* name)
{
    const mxArray* a = g.prhs[input];
    const bool cell = mxIsCell(a);
    const std::size_t n = cell ? mxGetNumberOfElements(a) : 1;
    for (std::size_t i = 0; i < n; ++i) {
        char text[64];
        if (textOf(cell ? mxGetCell(a, i) : a, text, sizeof text) && std::strcmp(text, name) == 0)
            return true;
    }
    return false;
}

void readWeights(const Gateway& g, int input, std::size_t K, const double* weight[],
                 std::size_t stride[])
{
    for (int q = 0; q < QUANTITY_COUNT; ++q) {
        weight[q] = nullptr;
        stride[q] = 0;
    }
    const mxArray* a = g.prhs[input];
    if (!mxIsStruct(a) || mxGetNumberOfElements(a) != 1)
        raiseError(g, "badWeights",
                   "Input %d (weights) must be a 1x1 struct whose fields name real quantities "
                   "(R, T, A, GD, GDD, TOD, GDt, GDDt, TODt); a %s array was given.",
                   input + 1, mxGetClassName(a));
    const int fields = mxGetNumberOfFields(a);
    for (int f = 0; f < fields; ++f) {
        const char* name = mxGetFieldNameByNumber(a, f);
        int q = 0;
        while (q < QUANTITY_COUNT && std::strcmp(name, QUANTITY_NAMES[q]) != 0) ++q;
        if (q == QUANTITY_COUNT)
            raiseError(g, "badWeights",
                       "Input %d (weights): field '%s' is not a real quantity; the fields may be "
                       "R, T, A, GD, GDD, TOD, GDt, GDDt, TODt.",
                       input + 1, name);
        const mxArray* w = mxGetFieldByNumber(a, 0, f);
        const std::size_t n = w ? mxGetNumberOfElements(w) : 0;
        if (!w || !mxIsDouble(w) || mxIsSparse(w) || mxIsComplex(w) ||
            mxGetNumberOfDimensions(w) != 2 || (mxGetM(w) > 1 && mxGetN(w) > 1) ||
            (n != K && n != 1))
            raiseError(g, "badWeights",
                       "Input %d (weights): field '%s' must be a real double 1x%zu row (one "
                       "weight per wavenumber) or a scalar; %zu elements were given.",
                       input + 1, name, K, n);
        weight[q] = mxGetPr(w);
        stride[q] = n == K && K != 1 ? 1 : 0;
    }
}

mxArray* createComplexRow(std::size_t K, double** re, double** im)
{
    mxArray* a = mxCreateDoubleMatrix(1, K, mxCOMPLEX);
    *re = mxGetPr(a);
    *im = mxGetPi(a);
    return a;
}
