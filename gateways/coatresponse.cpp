// out = coatresponse(k, d, m, n_a, N, Np, Npp, theta, pol, want [, weights]):
// r, t, R, T, A and the phase derivatives of any stack with full dispersion,
// their exact thickness gradients, and the gradient of a weighted merit.
// Every input is checked before any output is created.
#include <algorithm>
#include <cmath>
#include <vector>

#include "gateways/response_inputs.h"

enum { WANT_IN = RESPONSE_INPUTS, WEIGHTS_IN };

// The names of `want`: r, t, the quantities, their gradients, g; then those
// of the same stack lit from the substrate (r, t, R, T, A and the gradients
// of R, T, A), each with the suffix "sub".
const char* const NAMES[] = {"r",     "t",     "R",     "T",     "A",     "GD",    "GDD",
                             "TOD",   "GDt",   "GDDt",  "TODt",  "dR",    "dT",    "dA",
                             "dGD",   "dGDD",  "dTOD",  "dGDt",  "dGDDt", "dTODt", "g",
                             "rsub",  "tsub",  "Rsub",  "Tsub",  "Asub",  "dRsub", "dTsub",
                             "dAsub"};
const int NAME_COUNT = sizeof NAMES / sizeof NAMES[0];
const int FIRST_VALUE = 2, FIRST_GRADIENT = FIRST_VALUE + QUANTITY_COUNT,
          G_NAME = FIRST_GRADIENT + QUANTITY_COUNT, FIRST_SUB = G_NAME + 1,
          FIRST_SUB_VALUE = FIRST_SUB + 2, FIRST_SUB_GRADIENT = FIRST_SUB_VALUE + 3;

// Where no wave propagates in a lossless substrate (n_s^2 <= (n_a sin theta)^2),
// no light arrives from it: its wavenumber's "sub" outputs are NaN.
void markUnlit(const LayeredStack& s, const ResponseRequest& request)
{
    const double tau = tangentialIndexSquared(s.na, s.theta);
    for (std::size_t i = 0; i < s.K; ++i) {
        const double n = s.n.realAt(i, s.M);
        if (s.n.imagAt(i, s.M) != 0 || n * n > tau) continue;
        for (double* const* part : {request.r, request.t})
            for (int c = 0; c < 2; ++c)
                if (part[c]) part[c][i] = NAN;
        for (int q = 0; q < QUANTITY_COUNT; ++q) {
            if (request.value[q]) request.value[q][i] = NAN;
            if (request.gradient[q])
                for (std::size_t j = 0; j < s.L; ++j) request.gradient[q][j + s.L * i] = NAN;
        }
    }
}

// The gradients of the reversed stack, row j its layer L - 1 - j, back in
// the order of the layers as given.
void reverseRows(const LayeredStack& s, const ResponseRequest& request)
{
    for (int q = 0; q < QUANTITY_COUNT; ++q)
        if (request.gradient[q])
            for (std::size_t i = 0; i < s.K; ++i)
                std::reverse(request.gradient[q] + s.L * i, request.gradient[q] + s.L * (i + 1));
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const Gateway g = {"coatresponse", nlhs, plhs, nrhs, prhs};
    if (nrhs != 10 && nrhs != 11)
        raiseError(g, nrhs < 10 ? "notEnoughInputs" : "tooManyInputs",
                   "10 or 11 inputs expected (k, d, m, n_a, N, Np, Npp, theta, pol, want "
                   "[, weights]); %d given.",
                   nrhs);
    requireAtMostOutputs(g, 1);
    ResponseCall call;
    readResponseInputs(g, call);
    ResponseRequest request = {};
    const bool weighted = nrhs == 11;
    if (weighted) readWeights(g, WEIGHTS_IN, call.stack.K, request.weight, request.weightStride);
    runGuarded(g, [&] { readNames(g, WANT_IN, "names want", NAMES, NAME_COUNT); });
    if (namesHold(g, WANT_IN, "g") && !weighted)
        raiseError(g, "missingWeights",
                   "The name 'g' (the weighted gradient) needs input 11 (weights), a struct of "
                   "weights of the quantities; none was given.");

    runGuarded(g, [&] {
        numberMaterials(g, call);
        const LayeredStack& s = call.stack;
        const std::vector<int> names = readNames(g, WANT_IN, "names want", NAMES, NAME_COUNT);
        mxArray* out = createStructOf(names, NAMES);
        ResponseRequest sub = {};
        bool forward = false, reverse = false;
        for (int n : names) {
            mxArray* a;
            if (n >= FIRST_SUB) {
                reverse = true;
                if (n < FIRST_SUB_VALUE) {
                    double** parts = n == FIRST_SUB ? sub.r : sub.t;
                    a = createComplexRow(s.K, &parts[0], &parts[1]);
                } else {
                    const bool gradient = n >= FIRST_SUB_GRADIENT;
                    a = mxCreateUninitNumericMatrix(gradient ? s.L : 1, s.K, mxDOUBLE_CLASS,
                                                    mxREAL);
                    const int q = gradient ? n - FIRST_SUB_GRADIENT : n - FIRST_SUB_VALUE;
                    (gradient ? sub.gradient : sub.value)[q] = mxGetPr(a);
                }
                mxSetField(out, 0, NAMES[n], a);
                continue;
            }
            forward = true;
            if (n < FIRST_VALUE) {
                double** parts = n == 0 ? request.r : request.t;
                a = createComplexRow(s.K, &parts[0], &parts[1]);
            } else {
                const std::size_t rows = n >= FIRST_GRADIENT ? s.L : 1;
                a = mxCreateUninitNumericMatrix(rows, n == G_NAME ? 1 : s.K, mxDOUBLE_CLASS,
                                                mxREAL);
                if (n == G_NAME)
                    request.g = mxGetPr(a);
                else if (n >= FIRST_GRADIENT)
                    request.gradient[n - FIRST_GRADIENT] = mxGetPr(a);
                else
                    request.value[n - FIRST_VALUE] = mxGetPr(a);
            }
            mxSetField(out, 0, NAMES[n], a);
        }
        plhs[0] = out;
        if (forward) responseOverGrid(s, request);
        if (reverse) {
            // The same stack lit from the substrate: its layers read from the
            // last, the substrate the incident medium, the ambient the exit.
            const std::vector<double> d(s.d, s.d + s.L);
            std::vector<int> material(call.materials);
            LayeredStack back = s;
            std::vector<double> reversed(d.rbegin(), d.rend());
            std::reverse(material.begin(), material.end());
            back.d = reversed.data();
            back.material = material.data();
            back.fromSubstrate = true;
            responseOverGrid(back, sub);
            reverseRows(back, sub);
            markUnlit(back, sub);
        }
    });
}
