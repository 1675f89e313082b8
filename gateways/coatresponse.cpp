// out = coatresponse(k, d, m, n_a, N, Np, Npp, theta, pol, want [, weights]):
// r, t, R, T, A and the phase derivatives of any stack with full dispersion,
// their exact thickness gradients, their derivatives by the materials' indices,
// and the gradient of a weighted merit; and r, t, R, T, A and their gradients
// of the stack lit from the substrate.
// Every input is checked before any output is created.
#include "gateways/response_inputs.h"

using namespace coat;

enum { WANT_IN = RESPONSE_INPUTS, WEIGHTS_IN };
// The names of responseVocabulary's own: r, t, g, and r, t lit from the
// substrate.
enum { NAME_SMALL_R, NAME_SMALL_T, NAME_G, NAME_SUB_R, NAME_SUB_T };

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
    const Vocabulary v = responseVocabulary();
    const NameSet names = readNames(g, WANT_IN, "names want", v);
    if (names.holds(v, NameKind::Own, NAME_G) && !weighted)
        raiseError(g, "missingWeights",
                   "The name 'g' (the weighted gradient) needs input 11 (weights), a struct of "
                   "weights of the quantities; none was given.");

    // The light from the substrate, asked for by the names ...sub, is a
    // request of its own.
    bool forward = false, reverse = false;
    for (int i = 0; i < names.count; ++i) {
        const int n = names.name[i], q = v.quantity[n];
        const bool sub = v.kind[n] == NameKind::SubstrateValue ||
                         v.kind[n] == NameKind::SubstrateGradient ||
                         (v.kind[n] == NameKind::Own && q >= NAME_SUB_R);
        (sub ? reverse : forward) = true;
    }
    if (reverse) requireLitSubstrate(g, call.stack);

    runGuarded(g, [&] {
        numberMaterials(g, call);
        const LayeredStack& s = call.stack;
        ResponseRequest fromSubstrate = {};
        fromSubstrate.direction = Direction::FromSubstrate;
        mxArray* out = createStructOf(names, v);
        for (int i = 0; i < names.count; ++i) {
            const int n = names.name[i], q = v.quantity[n];
            const NameKind kind = v.kind[n];
            mxArray* a;
            if (kind == NameKind::Own && q != NAME_G) {  // r or t, complex, of either side
                ResponseRequest& to = q >= NAME_SUB_R ? fromSubstrate : request;
                double** parts = q == NAME_SMALL_R || q == NAME_SUB_R ? to.r : to.t;
                a = mxCreateDoubleMatrix(1, s.K, mxCOMPLEX);
                parts[0] = mxGetPr(a);
                parts[1] = mxGetPi(a);
            } else if (kind == NameKind::Own) {  // g
                a = mxCreateUninitNumericMatrix(s.L, 1, mxDOUBLE_CLASS, mxREAL);
                request.g = mxGetPr(a);
            } else if (v.kind[n] == NameKind::Index) {  // (M + 1) x K: the materials, the substrate
                a = mxCreateUninitNumericMatrix(s.M + 1, s.K, mxDOUBLE_CLASS, mxREAL);
                request.index[q] = mxGetPr(a);
            } else {
                const bool gradient =
                    kind == NameKind::Gradient || kind == NameKind::SubstrateGradient;
                ResponseRequest& to = kind == NameKind::SubstrateValue ||
                                              kind == NameKind::SubstrateGradient
                                          ? fromSubstrate
                                          : request;
                a = mxCreateUninitNumericMatrix(gradient ? s.L : 1, s.K, mxDOUBLE_CLASS, mxREAL);
                (gradient ? to.gradient : to.value)[q] = mxGetPr(a);
            }
            mxSetField(out, 0, v.text[n], a);
        }
        plhs[0] = out;
        if (forward) responseOverGrid(s, request);
        if (reverse) responseOverGrid(s, fromSubstrate);
    });
}
