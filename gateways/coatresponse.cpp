// out = coatresponse(k, d, m, n_a, N, Np, Npp, theta, pol, want [, weights]):
// r, t, R, T, A and the phase derivatives of any stack with full dispersion,
// their exact thickness gradients, and the gradient of a weighted merit.
// Every input is checked before any output is created.
#include <vector>

#include "gateways/response_inputs.h"

enum { WANT_IN = RESPONSE_INPUTS, WEIGHTS_IN };

// The names of `want`: r, t, the quantities, their gradients, g.
const char* const NAMES[] = {"r",     "t",   "R",    "T",     "A",     "GD",    "GDD",
                             "TOD",   "GDt", "GDDt", "TODt",  "dR",    "dT",    "dA",
                             "dGD",   "dGDD", "dTOD", "dGDt", "dGDDt", "dTODt", "g"};
const int NAME_COUNT = sizeof NAMES / sizeof NAMES[0];
const int FIRST_VALUE = 2, FIRST_GRADIENT = FIRST_VALUE + QUANTITY_COUNT,
          G_NAME = FIRST_GRADIENT + QUANTITY_COUNT;

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
        for (int n : names) {
            mxArray* a;
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
        responseOverGrid(s, request);
    });
}
