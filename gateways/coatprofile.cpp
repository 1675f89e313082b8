// out = coatprofile(k, d, m, n_a, N, Np, Npp, theta, pol, z, want [, mu [, weights]]):
// the standing-wave field |E|^2 at depths z of any stack, and the needle
// derivatives of every real quantity for a thin layer of material mu
// inserted there. Every input is checked before any output is created.
#include <cmath>
#include <vector>

#include "gateways/response_inputs.h"
#include "profile/profile.h"

using namespace coat;

enum { Z_IN = RESPONSE_INPUTS, WANT_IN, MU_IN, WEIGHTS_IN };
// The names of profileVocabulary's own: E2, ng.
enum { NAME_E2, NAME_NG };

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const Gateway g = {"coatprofile", nlhs, plhs, nrhs, prhs};
    if (nrhs < 11 || nrhs > 13)
        raiseError(g, nrhs < 11 ? "notEnoughInputs" : "tooManyInputs",
                   "11 to 13 inputs expected (k, d, m, n_a, N, Np, Npp, theta, pol, z, want "
                   "[, mu [, weights]]); %d given.",
                   nrhs);
    requireAtMostOutputs(g, 1);
    ResponseCall call;
    readResponseInputs(g, call);
    const LayeredStack& s = call.stack;
    std::size_t P;
    readDepths(g, Z_IN, "depths z", s.d, s.L, &P);
    const double* mu = nullptr;
    bool mus = false;  // one needle material per depth
    if (nrhs >= 12) {
        requireRealDouble(g, MU_IN, "needle materials mu", "");
        const std::size_t n = vectorLength(g, MU_IN, "needle materials mu");
        if (n != 1 && n != P)
            raiseError(g, "badNeedleMaterial",
                       "Input 12 (needle materials mu) must be a scalar or hold one material per "
                       "depth: 1 or %zu expected, %zu given.",
                       P, n);
        mu = mxGetPr(prhs[MU_IN]);
        mus = n == P && P != 1;
        for (std::size_t p = 0; p < n; ++p)
            if (!(mu[p] >= 1 && mu[p] <= double(s.M) && mu[p] == std::floor(mu[p])))
                raiseError(g, "badNeedleMaterial",
                           "Input 12 (needle materials mu) must hold integers from 1 to M = %zu; "
                           "element %zu is %g.",
                           s.M, p + 1, mu[p]);
    }
    ProfileRequest request = {};
    const bool weighted = nrhs == 13;
    if (weighted) readWeights(g, WEIGHTS_IN, s.K, request.weight, request.weightStride);
    const Vocabulary v = profileVocabulary();
    const NameSet names = readNames(g, WANT_IN, "names want", v);
    bool needles = names.holds(v, NameKind::Own, NAME_NG);
    for (int q = 0; q < QUANTITY_COUNT; ++q) needles = needles || names.holds(v, NameKind::Needle, q);
    if (needles && !mu)
        raiseError(g, "missingNeedleMaterial",
                   "The needle outputs need input 12 (needle materials mu), the material of the "
                   "needle at each depth; none was given.");
    if (names.holds(v, NameKind::Own, NAME_NG) && !weighted)
        raiseError(g, "missingWeights",
                   "The name 'ng' (the weighted needle function) needs input 13 (weights), a "
                   "struct of weights of the quantities; none was given.");

    runGuarded(g, [&] {
        numberMaterials(g, call);
        const double* z = mxGetPr(prhs[Z_IN]);
        std::vector<DepthSite> sites(P);
        locateDepths(call.stack.d, call.stack.L, z, P, sites.data());
        std::vector<int> needle(mu ? P : 0);
        for (std::size_t p = 0; p < needle.size(); ++p) needle[p] = int(mu[mus ? p : 0]) - 1;
        mxArray* out = createStructOf(names, v);
        for (int i = 0; i < names.count; ++i) {
            const int n = names.name[i], q = v.quantity[n];
            const bool ng = v.kind[n] == NameKind::Own && q == NAME_NG;
            mxArray* a = mxCreateUninitNumericMatrix(P, ng ? 1 : call.stack.K, mxDOUBLE_CLASS,
                                                     mxREAL);
            if (ng)
                request.ng = mxGetPr(a);
            else if (v.kind[n] == NameKind::Own)
                request.E2 = mxGetPr(a);
            else
                request.needle[q] = mxGetPr(a);
            mxSetField(out, 0, v.text[n], a);
        }
        plhs[0] = out;
        profileOverGrid(call.stack, sites.data(), mu ? needle.data() : nullptr, P, request);
    });
}
